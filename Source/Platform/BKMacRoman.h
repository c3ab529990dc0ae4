#pragma once

#include <QByteArray>
#include <QString>

// Text from files written on other systems: UTF-8 when the bytes are valid UTF-8, otherwise
// Mac OS Roman, the default encoding of the platform that wrote older files.
QString BKDecodeMacRoman(const QByteArray& bytes);
bool BKIsValidUTF8(const QByteArray& bytes);
QString BKDecodeUTF8OrMacRoman(const QByteArray& bytes);
