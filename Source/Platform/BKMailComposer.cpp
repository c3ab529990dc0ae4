#include "BKMailComposer.h"

#include "BKDesktopEntries.h"
#include "BKHelperRunner.h"

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

QStringList BKMailComposer::commandForAttachment(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return {};
    return mailCommand(templateKeyForMailHandler(mailHandlerName()), info.absoluteFilePath());
}

bool BKMailComposer::composeMailWithAttachment(const QString& path, std::function<void()> failed,
                                               std::function<void()> tookFile)
{
    const QStringList command = commandForAttachment(path);
    if (command.isEmpty())
        return false;
    return BKHelperRunner::runDetached([command, failed = std::move(failed), tookFile = std::move(tookFile)] {
        BKHelperRunner::runProgramReportingOutcome(command, failed, tookFile);
    });
}
