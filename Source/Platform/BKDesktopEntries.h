#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The applications that can open a file, from the freedesktop MIME associations: the desktop
// entries under the XDG data folders ("applications/"), the per-folder "mimeinfo.cache" files
// and the "mimeapps.list" files of the XDG config and data folders (defaults, added and
// removed associations). Read fresh on every call, so the user's last choice counts.
struct BKDesktopApplication {
    QString id;     // "org.example.Viewer.desktop"
    QString name;   // the entry's Name
    QString path;   // the .desktop file
    QString exec;   // the entry's Exec line, unescaped

    bool operator==(const BKDesktopApplication& other) const { return path == other.path; }
};

class BKDesktopEntries {
public:
    // The applications for the MIME type and its parent types: the default one first (when
    // one is set and installed), then the others, each once; hidden entries and entries that
    // are not applications are left out.
    static QList<BKDesktopApplication> applicationsForMimeType(const QString& mimeType);
    static QList<BKDesktopApplication> applicationsForFile(const QString& path);
    // The default application of exactly this type (e.g. "x-scheme-handler/mailto"); an empty
    // id when none is set or installed.
    static BKDesktopApplication defaultApplicationForMimeType(const QString& mimeType);

    // The installed entry of a desktop id; an empty id when there is none.
    static BKDesktopApplication applicationWithId(const QString& desktopId);
    static BKDesktopApplication readEntry(const QString& desktopFilePath);

    // The program and its arguments that open `file` with the entry's Exec line, following the
    // Desktop Entry rules: quoting, %f %F (the path), %u %U (its file URL), %c (the name),
    // %k (the .desktop file), %% (a percent sign); other field codes are dropped. When the line
    // takes no file, the file is appended. Empty when the line cannot be parsed.
    static QStringList launchCommand(const BKDesktopApplication& application, const QString& file);
    // Starts the application on the file without a shell; false when it could not start.
    static bool launch(const BKDesktopApplication& application, const QString& file);
};
