#pragma once

#include <QString>

// Launch at login: an autostart entry of the freedesktop desktop (a .desktop file in the
// user's autostart folder, $XDG_CONFIG_HOME/autostart or ~/.config/autostart).

QString BKAutostartEntryPath();

// Writes the entry that starts `executable`, or removes it. False when the file could not be
// written or removed; the entry is then as it was.
bool BKSetLaunchAtLogin(bool enabled, const QString& executable);

// Whether our entry exists.
bool BKIsLaunchAtLoginEnabled();

// The Exec value of the entry: the path quoted by the desktop-entry rules.
QString BKAutostartExecValue(const QString& executable);
