#include "BKDesktopEntries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMimeDatabase>
#include <QProcess>
#include <QSet>
#include <QTextStream>
#include <QUrl>

namespace {

using IniGroups = QMap<QString, QMap<QString, QString>>;

QString environmentPath(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

QStringList environmentPaths(const char* name, const QString& fallback)
{
    return environmentPath(name, fallback).split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

QString configHome()
{
    return environmentPath("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
}

QStringList configDirs()
{
    return environmentPaths("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
}

QString dataHome()
{
    return environmentPath("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"));
}

// The data folders, the user's first.
QStringList dataDirs()
{
    return QStringList{dataHome()} + environmentPaths("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
}

// Every mimeapps.list, the one that counts most first; desktop-specific ones before the
// general one of the same folder.
QStringList mimeAppsLists()
{
    QStringList desktops;
    for (const QString& desktop : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        desktops.append(desktop.toLower());
    QStringList folders{configHome()};
    folders += configDirs();
    for (const QString& data : dataDirs())
        folders.append(data + QStringLiteral("/applications"));
    QStringList files;
    for (const QString& folder : folders) {
        for (const QString& desktop : desktops)
            files.append(folder + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list"));
        files.append(folder + QStringLiteral("/mimeapps.list"));
    }
    return files;
}

// Key-file groups: "[Group]" lines and "Key=Value" lines; comments and blank lines skipped.
IniGroups readKeyFile(const QString& path)
{
    IniGroups groups;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return groups;
    QTextStream in(&file);
    QString group;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2);
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || group.isEmpty())
            continue;
        const QString key = line.left(equals).trimmed();
        if (!groups[group].contains(key))   // the first of duplicate keys counts
            groups[group].insert(key, line.mid(equals + 1).trimmed());
    }
    return groups;
}

QStringList listValue(const QString& value)
{
    return value.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

// The key-file escapes of string values: \s \n \t \r \\.
QString unescapedValue(const QString& value)
{
    QString out;
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out.append(c);
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case 's': out.append(QLatin1Char(' ')); break;
        case 'n': out.append(QLatin1Char('\n')); break;
        case 't': out.append(QLatin1Char('\t')); break;
        case 'r': out.append(QLatin1Char('\r')); break;
        case '\\': out.append(QLatin1Char('\\')); break;
        default: out.append(c).append(next); break;
        }
    }
    return out;
}

// The Exec line split into arguments: blanks separate them outside double quotes; inside,
// a backslash takes the next of " ` $ \ literally. False for an unclosed quote.
bool splitExec(const QString& exec, QStringList* arguments)
{
    QString current;
    bool inQuotes = false;
    bool inArgument = false;
    for (int i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else if (c == QLatin1Char('\\') && i + 1 < exec.size() &&
                       QStringLiteral("\"`$\\").contains(exec[i + 1])) {
                current.append(exec[++i]);
            } else {
                current.append(c);
            }
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inArgument)
                arguments->append(current);
            current.clear();
            inArgument = false;
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            inArgument = true;
        } else {
            current.append(c);
            inArgument = true;
        }
    }
    if (inQuotes)
        return false;
    if (inArgument)
        arguments->append(current);
    return true;
}

QString desktopFileForId(const QString& desktopId)
{
    if (!desktopId.endsWith(QStringLiteral(".desktop")) || desktopId.contains(QLatin1Char('/')) ||
        desktopId.startsWith(QLatin1Char('.')))
        return {};
    // "vendor-app.desktop" may also live as "vendor/app.desktop".
    QStringList names{desktopId};
    for (int dash = desktopId.indexOf(QLatin1Char('-')); dash > 0; dash = desktopId.indexOf(QLatin1Char('-'), dash + 1)) {
        QString nested = desktopId;
        nested[dash] = QLatin1Char('/');
        names.append(nested);
    }
    for (const QString& data : dataDirs()) {
        for (const QString& name : names) {
            const QString path = data + QStringLiteral("/applications/") + name;
            if (QFileInfo(path).isFile())
                return path;
        }
    }
    return {};
}

bool isUsable(const BKDesktopApplication& application)
{
    return !application.id.isEmpty();
}

QStringList typeAndParents(const QString& mimeType)
{
    QStringList types{mimeType};
    const QMimeType type = QMimeDatabase().mimeTypeForName(mimeType);
    if (type.isValid()) {
        if (type.name() != mimeType)
            types.append(type.name());   // an alias's own name
        types += type.allAncestors();
    }
    return types;
}

} // namespace

BKDesktopApplication BKDesktopEntries::readEntry(const QString& desktopFilePath)
{
    const IniGroups groups = readKeyFile(desktopFilePath);
    const QMap<QString, QString> entry = groups.value(QStringLiteral("Desktop Entry"));
    if (entry.value(QStringLiteral("Type")) != QStringLiteral("Application") ||
        entry.value(QStringLiteral("Hidden")) == QStringLiteral("true") ||
        entry.value(QStringLiteral("Exec")).isEmpty())
        return {};
    BKDesktopApplication application;
    application.id = QFileInfo(desktopFilePath).fileName();
    application.name = unescapedValue(entry.value(QStringLiteral("Name")));
    if (application.name.isEmpty())
        application.name = application.id.chopped(int(qstrlen(".desktop")));
    application.path = desktopFilePath;
    application.exec = unescapedValue(entry.value(QStringLiteral("Exec")));
    return application;
}

BKDesktopApplication BKDesktopEntries::applicationWithId(const QString& desktopId)
{
    const QString path = desktopFileForId(desktopId);
    if (path.isEmpty())
        return {};
    BKDesktopApplication application = readEntry(path);
    if (isUsable(application))
        application.id = desktopId;
    return application;
}

BKDesktopApplication BKDesktopEntries::defaultApplicationForMimeType(const QString& mimeType)
{
    for (const QString& list : mimeAppsLists()) {
        const IniGroups groups = readKeyFile(list);
        for (const QString& id : listValue(groups.value(QStringLiteral("Default Applications")).value(mimeType))) {
            const BKDesktopApplication application = applicationWithId(id);
            if (isUsable(application))
                return application;
        }
    }
    return {};
}

QList<BKDesktopApplication> BKDesktopEntries::applicationsForMimeType(const QString& mimeType)
{
    const QStringList types = typeAndParents(mimeType);
    QList<BKDesktopApplication> applications;
    const auto add = [&applications](const BKDesktopApplication& application) {
        if (isUsable(application) && !applications.contains(application))
            applications.append(application);
    };
    for (const QString& type : types) {
        const BKDesktopApplication defaultApplication = defaultApplicationForMimeType(type);
        if (isUsable(defaultApplication)) {
            add(defaultApplication);
            break;
        }
    }

    QStringList lists = mimeAppsLists();
    QList<IniGroups> listGroups;
    QSet<QString> removed;
    for (const QString& list : lists) {
        listGroups.append(readKeyFile(list));
        for (const QString& type : types) {
            for (const QString& id : listValue(listGroups.last().value(QStringLiteral("Removed Associations")).value(type)))
                removed.insert(id);
        }
    }
    QStringList ids;
    for (const QString& type : types) {
        for (const IniGroups& groups : listGroups)
            ids += listValue(groups.value(QStringLiteral("Added Associations")).value(type));
        for (const QString& data : dataDirs()) {
            const IniGroups cache = readKeyFile(data + QStringLiteral("/applications/mimeinfo.cache"));
            ids += listValue(cache.value(QStringLiteral("MIME Cache")).value(type));
        }
    }
    for (const QString& id : ids) {
        if (!removed.contains(id))
            add(applicationWithId(id));
    }
    return applications;
}

QList<BKDesktopApplication> BKDesktopEntries::applicationsForFile(const QString& path)
{
    return applicationsForMimeType(QMimeDatabase().mimeTypeForFile(path).name());
}

QStringList BKDesktopEntries::launchCommand(const BKDesktopApplication& application, const QString& file)
{
    QStringList arguments;
    if (!splitExec(application.exec, &arguments) || arguments.isEmpty())
        return {};
    const QString fileUrl = QString::fromUtf8(QUrl::fromLocalFile(file).toEncoded());
    QStringList command;
    bool fileGiven = false;
    for (const QString& argument : arguments) {
        if (argument == QStringLiteral("%f") || argument == QStringLiteral("%F")) {
            command.append(file);
            fileGiven = true;
            continue;
        }
        if (argument == QStringLiteral("%u") || argument == QStringLiteral("%U")) {
            command.append(fileUrl);
            fileGiven = true;
            continue;
        }
        QString expanded;
        bool dropped = false;
        for (int i = 0; i < argument.size(); ++i) {
            if (argument[i] != QLatin1Char('%') || i + 1 == argument.size()) {
                expanded.append(argument[i]);
                continue;
            }
            const QChar code = argument[++i];
            switch (code.unicode()) {
            case '%': expanded.append(QLatin1Char('%')); break;
            case 'f': case 'F': expanded.append(file); fileGiven = true; break;
            case 'u': case 'U': expanded.append(fileUrl); fileGiven = true; break;
            case 'c': expanded.append(application.name); break;
            case 'k': expanded.append(application.path); break;
            default: dropped = true; break;   // %i, deprecated and unknown codes
            }
        }
        if (dropped && expanded.isEmpty())
            continue;
        command.append(expanded);
    }
    if (command.isEmpty())
        return {};
    if (!fileGiven)
        command.append(file);
    return command;
}

bool BKDesktopEntries::launch(const BKDesktopApplication& application, const QString& file)
{
    const QStringList command = launchCommand(application, file);
    if (command.isEmpty())
        return false;
    return QProcess::startDetached(command.first(), command.mid(1));
}
