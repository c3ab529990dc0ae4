#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The user guide shipped with the application, an HTML page read from disk (Help never needs
// the network): "docs/userguide.html" beside the program in a build tree, or
// "../share/doc/ostrevin/userguide.html" from the program's folder once installed.
class BKUserGuide {
public:
    static QString fileName() { return QStringLiteral("userguide.html"); }
    // The folders searched, in order, for a program in `programFolder`.
    static QStringList searchFolders(const QString& programFolder);
    // The guide's path, or a null string when none of the folders holds it. Without a folder,
    // the running program's.
    static QString path(const QString& programFolder = QString());
    // Opens the guide with the desktop's application for its type (the default one first), or
    // through the desktop's opener (xdg-open) when no such application starts. False without a
    // path; `failed` runs on the main thread when nothing could open the guide.
    static bool open(const QString& path, std::function<void()> failed = {});
};
