#include "BKMailComposer.h"

#include "BKDesktopEntries.h"
#include "BKHelperRunner.h"
#include "BKMainThread.h"

#include <QFileInfo>
#include <QList>
#include <QMap>

namespace {

// The mail command of each template; "%1" is the attachment. Whatever the registered mail
// program, the desktop's composer is the one way in on this platform.
const QMap<QString, QStringList> kMailTemplates{
    {QStringLiteral("BKMialScript"), {QStringLiteral("xdg-email"), QStringLiteral("--attach"), QStringLiteral("%1")}},
    {QStringLiteral("BKEntourageScript"),
     {QStringLiteral("xdg-email"), QStringLiteral("--attach"), QStringLiteral("%1")}},
};

QStringList mailCommand(const QString& templateKey, const QString& attachment)
{
    QStringList command;
    for (const QString& part : kMailTemplates.value(templateKey, kMailTemplates.value(QStringLiteral("BKMialScript"))))
        command.append(part == QStringLiteral("%1") ? attachment : part);
    return command;
}

} // namespace

QString BKMailComposer::templateKeyForMailHandler(const QString& handlerName)
{
    return handlerName == QStringLiteral("Microsoft Entourage") ? QStringLiteral("BKEntourageScript")
                                                                 : QStringLiteral("BKMialScript");
}

QString BKMailComposer::mailHandlerName()
{
    const QString id = BKDesktopEntries::defaultApplicationForMimeType(QStringLiteral("x-scheme-handler/mailto")).id;
    return id.endsWith(QStringLiteral(".desktop")) ? id.chopped(int(qstrlen(".desktop"))) : id;
}

QList<QStringList> BKMailComposer::commandsForAttachment(const QString& path)
{
    const QFileInfo info(path);
    const QString key = templateKeyForMailHandler(mailHandlerName());
    if (!info.isDir())
        return {mailCommand(key, info.absoluteFilePath())};
    const QString archive = info.absoluteFilePath() + QStringLiteral(".tar.gz");
    return {{QStringLiteral("tar"), QStringLiteral("-czf"), archive, QStringLiteral("-C"), info.absolutePath(),
             QStringLiteral("--"), info.fileName()},
            mailCommand(key, archive)};
}

bool BKMailComposer::composeMailWithAttachment(const QString& path, std::function<void()> failed)
{
    const QList<QStringList> commands = commandsForAttachment(path);
    return BKHelperRunner::runDetached([commands, failed = std::move(failed)] {
        for (const QStringList& command : commands) {
            if (BKHelperRunner::runProgram(command.first(), command.mid(1)) != 0) {
                if (failed)
                    BKPerformOnMainThread(failed);
                return;
            }
        }
    });
}
