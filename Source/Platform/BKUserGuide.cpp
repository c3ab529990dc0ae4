#include "BKUserGuide.h"

#include "BKDesktopEntries.h"
#include "BKUrlOpener.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QStringList BKUserGuide::searchFolders(const QString& programFolder)
{
    const QDir program(programFolder);
    return {QDir::cleanPath(program.filePath(QStringLiteral("docs"))),
            QDir::cleanPath(program.filePath(QStringLiteral("../share/doc/ostrevin")))};
}

QString BKUserGuide::path(const QString& programFolder)
{
    const QString folder = programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
    for (const QString& candidate : searchFolders(folder)) {
        const QFileInfo guide(QDir(candidate).filePath(fileName()));
        if (guide.isFile() && guide.isReadable())
            return guide.absoluteFilePath();
    }
    return QString();
}

bool BKUserGuide::open(const QString& path, std::function<void()> failed)
{
    if (path.isEmpty())
        return false;
    for (const BKDesktopApplication& application : BKDesktopEntries::applicationsForFile(path)) {
        if (BKDesktopEntries::launch(application, path))
            return true;
    }
    BKUrlOpener::current().openUrl(QUrl::fromLocalFile(path), std::move(failed));
    return true;
}
