// The side files' cipher: whatever the key and the data, enciphering gives whole blocks and
// deciphering gives the data back followed by the zeros that padded it; deciphering bytes that
// were never enciphered neither fails nor changes their size beyond whole blocks. The first
// byte gives the key's length; the key follows, then the data.
#include "FuzzInput.h"

#include "Model/vRX/OTVFileCrypter.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const FuzzInput input(data + 1, size - 1);
    const std::string_view text = input.text();
    const size_t keyLength = std::min<size_t>(data[0] % 64, text.size());
    const QString key = QString::fromUtf8(text.data(), static_cast<qsizetype>(keyLength));
    const QByteArray plain(text.data() + keyLength, static_cast<qsizetype>(text.size() - keyLength));
    const qsizetype padded = (plain.size() + 7) / 8 * 8;

    const OTVFileCrypter crypter(key);
    QByteArray bytes = plain;
    if (!crypter.encryptData(bytes) || bytes.size() != padded)
        std::abort();
    if (!crypter.decryptData(bytes) || bytes != plain + QByteArray(padded - plain.size(), '\0'))
        std::abort();

    QByteArray foreign = plain;
    if (!crypter.decryptData(foreign) || foreign.size() != padded)
        std::abort();
    QByteArray none = plain;
    if (OTVFileCrypter().encryptData(none) || none != plain)
        std::abort();
    return 0;
}
