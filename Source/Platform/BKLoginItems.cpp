#include "BKLoginItems.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString BKAutostartEntryPath()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || !QDir::isAbsolutePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return configHome + QStringLiteral("/autostart/ostrevin.desktop");
}

QString BKAutostartExecValue(const QString& executable)
{
    // Inside the quotes, ", `, $ and \ take a backslash; then the value, a string, escapes each
    // backslash again. A % is a field code unless doubled.
    QString quoted;
    for (const QChar c : executable) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool BKSetLaunchAtLogin(bool enabled, const QString& executable)
{
    const QString path = BKAutostartEntryPath();
    if (!enabled)
        return !QFile::exists(path) || QFile::remove(path);
    // A line break would end the value and start a line of our own making.
    if (executable.isEmpty() || executable.contains(QLatin1Char('\n')) || executable.contains(QLatin1Char('\r')))
        return false;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Ostrevin Darovazivu\n"
                                         "Exec=%1\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(BKAutostartExecValue(executable));
    file.write(entry.toUtf8());
    return file.commit();
}

bool BKIsLaunchAtLoginEnabled()
{
    return QFile::exists(BKAutostartEntryPath());
}
