#pragma once

#include <QStringList>

// Whether some item contains `text`, both compared in lower case.
bool BKContainsString(const QStringList& items, const QString& text);
// The paths whose extension is a picture format Qt can read (any case).
QStringList BKFilterImageFiles(const QStringList& paths);
