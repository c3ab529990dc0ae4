#include "BKMailer.h"

#include "BKApplicationServices.h"
#include "BKLocalization.h"
#include "BKMailComposer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <atomic>
#include <mutex>

#include <sys/stat.h>

namespace {

std::atomic<BKMailer*> installedMailer{nullptr};
std::mutex privateFolderMutex;
QString privateFolder;

// What the user must know of a file to attach by hand that the application removes at quit.
QString removedAtQuitNote(const QString& file)
{
    const QString folder = BKMailer::folderRemovedAtQuit();
    if (folder.isEmpty() || !file.startsWith(folder + QLatin1Char('/')))
        return QString();
    return QLatin1Char('\n') + BKLocalizedString("The file is in a private folder that is removed when Ostrevin "
                                                  "Darovazivu quits: attach it, or copy it elsewhere, before you quit.");
}

} // namespace

BKMailer& BKMailer::current()
{
    static BKDesktopMailer desktop;
    BKMailer* mailer = installedMailer.load();
    return mailer ? *mailer : desktop;
}

void BKMailer::install(BKMailer* mailer)
{
    installedMailer.store(mailer);
}

void BKMailer::setFolderRemovedAtQuit(const QString& folder)
{
    std::lock_guard<std::mutex> lock(privateFolderMutex);
    privateFolder = folder.isEmpty() ? QString() : QFileInfo(folder).absoluteFilePath();
}

QString BKMailer::folderRemovedAtQuit()
{
    std::lock_guard<std::mutex> lock(privateFolderMutex);
    return privateFolder;
}

bool BKDesktopMailer::mailFileAsAttachment(const QString& path, std::function<void()> tookFile)
{
    if (!QFileInfo(path).isFile())
        return false;
    // The composer starts the mail program without waiting for it, one helper at a time; whether
    // it took the file (none is set up, say) is known when it ends.
    const QString file = QFileInfo(path).absoluteFilePath();
    return BKMailComposer::composeMailWithAttachment(file, [file] {
        BKRunAlertPanel(QString(), BKLocalizedString("No mail program could take the exported file. You can attach "
                                                     "it to a mail yourself:")
                                       + QLatin1Char('\n') + file + removedAtQuitNote(file));
    }, std::move(tookFile));
}

QString BKPackFolderAsTarGz(const QString& folder, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return QString();
    };
    const QFileInfo info(folder);
    if (!info.isDir())
        return fail(QStringLiteral("not a folder: %1").arg(folder));
    const QString name = info.fileName();
    const QString archive = info.absolutePath() + QLatin1Char('/') + name + QStringLiteral(".tar.gz");
    // Written under a temporary name first: a failed run never leaves a cut archive under the
    // name that is mailed.
    const QString partial = archive + QStringLiteral(".part");
    QFile::remove(partial);
    QProcess tar;
    tar.setProgram(QStringLiteral("tar"));
    // "--" keeps a name that begins with "-" from being read as an option.
    tar.setArguments({QStringLiteral("-czf"), partial, QStringLiteral("-C"), info.absolutePath(),
                      QStringLiteral("--"), name});
    // The archive holds the export's values in plain text: owner-only from its first byte.
    tar.setChildProcessModifier([] { ::umask(077); });
    tar.start();
    if (!tar.waitForFinished(-1) || tar.exitStatus() != QProcess::NormalExit || tar.exitCode() != 0) {
        const QString why = tar.error() == QProcess::FailedToStart
                                ? QStringLiteral("tar could not be started")
                                : QString::fromLocal8Bit(tar.readAllStandardError()).trimmed();
        QFile::remove(partial);
        return fail(why.isEmpty() ? QStringLiteral("tar failed") : why);
    }
    QFile::remove(archive);
    if (!QFile::rename(partial, archive)) {
        QFile::remove(partial);
        return fail(QStringLiteral("cannot write %1").arg(archive));
    }
    return archive;
}
