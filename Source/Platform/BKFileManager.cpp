#include "BKFileManager.h"

#include "BKHelperRunner.h"

#include <QFileInfo>
#include <QUrl>

QStringList BKFileManager::showItemsCommand(const QString& path)
{
    // dbus-send splits array items at commas; an escaped comma means the same file.
    const QString uri = QString::fromUtf8(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded())
                            .replace(QLatin1Char(','), QStringLiteral("%2C"));
    return {QStringLiteral("dbus-send"),
            QStringLiteral("--session"),
            QStringLiteral("--print-reply"),
            QStringLiteral("--dest=org.freedesktop.FileManager1"),
            QStringLiteral("--type=method_call"),
            QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1.ShowItems"),
            QStringLiteral("array:string:") + uri,
            QStringLiteral("string:")};
}

QStringList BKFileManager::openFolderCommand(const QString& path)
{
    return {QStringLiteral("xdg-open"), QFileInfo(path).absolutePath()};
}

bool BKFileManager::revealFile(const QString& path)
{
    const QStringList showItems = showItemsCommand(path);
    const QStringList openFolder = openFolderCommand(path);
    return BKHelperRunner::runDetached([showItems, openFolder] {
        if (BKHelperRunner::runProgram(showItems.first(), showItems.mid(1)) != 0)
            BKHelperRunner::runProgram(openFolder.first(), openFolder.mid(1));
    });
}
