#pragma once

#include <QString>

// The application's own copies to the clipboard, told apart from what other programs put there,
// whatever window has focus: only those are ever cleared.

// Puts `text` on the clipboard as the application's own copy.
void BKCopyToClipboard(const QString& text);

// Whether the clipboard holds a copy the application made: through BKCopyToClipboard, or
// through its own widgets where the platform tells (X11 knows the clipboard's owner).
bool BKClipboardHoldsOwnCopy();
