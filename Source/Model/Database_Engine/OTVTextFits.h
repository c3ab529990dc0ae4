#pragma once

#include <QString>

// Whether the store takes `text` for an enciphered TINYBLOB column (names, labels, record
// values): what the interface checks before it hands a value over, so that nothing typed is lost.
bool OTVFitsEncipheredTinyBlob(const QString& text);
