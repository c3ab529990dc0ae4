#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

// How much a column holds. BLOB columns are measured in stored bytes: a TINYBLOB holds 255, so
// an enciphered text (rounded up to 16 bytes) may have at most 240 UTF-8 bytes and a plain one
// 255. VARCHAR columns are measured in characters.
constexpr qint64 kTinyBlobBytes = 255;
constexpr qint64 kBlobBytes = 65535;
constexpr qint64 kLongBlobBytes = 4294967295LL;
// The longest text, in UTF-8 bytes, that an enciphered TINYBLOB column holds (names, labels).
constexpr qint64 kEncipheredTinyBlobTextBytes = 240;

// Thrown before a write when a value does not fit its column, or cannot be stored at all (a
// NUL character, text without a UTF-8 form, more than the server takes in one statement). The guarded operation turns it
// into status 12 (kOTVStatusValueTooLong); since it is raised before the statement runs (or
// inside a transaction that is then rolled back), nothing is written.
class OTVValueTooLong : public std::runtime_error {
public:
    OTVValueTooLong() : std::runtime_error("The value is too long.") {}
};

// Throw OTVValueTooLong when the value does not fit.
void OTVCheckBlobFits(const QByteArray& stored, qint64 columnBytes);
void OTVCheckVarcharFits(const QString& text, int columnCharacters);
// Throw OTVValueTooLong for text that the stored format cannot hold: a NUL character (readers
// stop at it) or a lone surrogate (it has no UTF-8 form and would be stored as "?").
void OTVCheckStorableText(const QString& text);
// The same for a utf8mb3 column (the server's account tables and account details), which holds
// no character beyond the Basic Multilingual Plane either.
void OTVCheckBasicPlaneText(const QString& text);
