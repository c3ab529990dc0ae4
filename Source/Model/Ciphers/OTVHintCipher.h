#pragma once

#include <QByteArray>
#include <QString>

// The password-hint cipher: AES-128 (Rijndael, 16-byte key and block) in ECB, each block alone.
// Its key is the first 16 bytes of the key text's UTF-8, padded with zero bytes (the stored-value
// cipher pads with blanks instead). Hints stored by other copies of the program depend on the
// exact output, so it must never change.
class OTVHintCipher {
public:
    // The value's n UTF-8 bytes as floor(n / 16) + 1 zero-padded blocks (so a multiple of 16
    // gains a block of zeros); an empty value gives no bytes.
    static QByteArray encryptForHint(const QString& keyText, const QString& value);

    // Each whole 16-byte block deciphered, up to its first zero byte (a trailing partial block
    // is ignored), read as UTF-8. A wrong key gives unreadable text, never an error.
    static QString decryptForHint(const QString& keyText, const QByteArray& stored);
};
