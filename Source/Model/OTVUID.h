#pragma once

#include <QString>

// A UID is eight bytes, written as sixteen upper-case hexadecimal characters (byte 0 first,
// high nibble first). UIDs whose first seven bytes are zero are "well known": reserved for
// fixed objects and for administrators' accounts.
inline const QString kUnfiledUID = QStringLiteral("0000000000000000");   // the unfiled group
inline const QString kUnfilledUID = QStringLiteral("0000000000000000");  // the unfiled type
inline const QString kAllCategoriesUID = QStringLiteral("000000000000FFFF");
inline const QString kWebLoginUID = QStringLiteral("0000000000000012");

class OTVUID {
public:
    // A new random UID, never well known.
    static QString giveMeNewUID();
    static QString giveMeUnfilledUID();
    // The UID with byte 7 raised by one; 0xFF wraps to 0 and raises byte 6 (mod 256, no further carry).
    static QString nextWellknownUID(const QString& uid);
    // True when the first 14 characters decode to zero bytes.
    static bool isWellKnownUID(const QString& uid);

    // The layout of a new UID: bytes 0-1 the low 16 bits of a draw of the random source,
    // bytes 2-3 from a draw of the secure source (byte 2 never zero), bytes 4-7 the low 32 bits
    // of the absolute time's IEEE-754 pattern (seconds since 2001-01-01), least significant first.
    static QString composeUID(quint32 randomDraw, quint32 secureDraw, double absoluteTime);
    // Seconds since 1 January 2001 00:00 UTC, to the clock's full resolution.
    static double absoluteTimeNow();
};
