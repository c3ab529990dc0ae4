#pragma once

#include <QString>
#include <QStringList>

// Shows a file in the user's file manager: the freedesktop FileManager1 "ShowItems" call on the
// session bus (through dbus-send, so the application needs no D-Bus module), and, when no file
// manager answers it, the file's folder opened with the desktop's default application. Runs
// through BKHelperRunner, so it shares the one-helper-at-a-time rule.
class BKFileManager {
public:
    // False when another helper was running and the request was dropped.
    static bool revealFile(const QString& path);

    // The two commands, program first.
    static QStringList showItemsCommand(const QString& path);
    static QStringList openFolderCommand(const QString& path);
};
