#include "OTVHintCipher.h"

#include "CRijndael.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kBlock = 16;

void makeHintKey(CRijndael& cipher, const QString& keyText)
{
    char key[kBlock + 1] = {};
    const QByteArray utf8 = keyText.toUtf8();
    std::memcpy(key, utf8.constData(), std::min<size_t>(size_t(utf8.size()), kBlock));
    cipher.MakeKey(key, CRijndael::sm_chain0, kBlock, kBlock);
}

} // namespace

QByteArray OTVHintCipher::encryptForHint(const QString& keyText, const QString& value)
{
    const QByteArray plain = value.toUtf8();
    if (plain.isEmpty())
        return {};
    CRijndael cipher;
    makeHintKey(cipher, keyText);
    const qsizetype blocks = plain.size() / kBlock + 1;
    QByteArray padded(blocks * kBlock, '\0');
    std::memcpy(padded.data(), plain.constData(), size_t(plain.size()));
    QByteArray result(padded.size(), '\0');
    for (qsizetype i = 0; i < blocks; ++i)
        cipher.EncryptBlock(padded.constData() + i * kBlock, result.data() + i * kBlock);
    return result;
}

QString OTVHintCipher::decryptForHint(const QString& keyText, const QByteArray& stored)
{
    if (stored.isEmpty())
        return QStringLiteral("");
    CRijndael cipher;
    makeHintKey(cipher, keyText);
    QByteArray plain;
    char block[kBlock + 1] = {};
    for (qsizetype offset = 0; offset + kBlock <= stored.size(); offset += kBlock) {
        cipher.DecryptBlock(stored.constData() + offset, block);
        plain.append(block, qsizetype(qstrnlen(block, kBlock)));
    }
    return QString::fromUtf8(plain);
}
