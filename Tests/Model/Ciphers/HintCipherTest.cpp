// The password-hint cipher, checked against OpenSSL's AES-128-ECB (no padding of its own) on
// the zero-padded key and the zero-padded text.
#include "Model/Ciphers/OTVHintCipher.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#ifdef OSTREVIN_HAVE_OPENSSL_ORACLE
#include <openssl/evp.h>
#endif

namespace {

#ifdef OSTREVIN_HAVE_OPENSSL_ORACLE
// AES-128-ECB of `blocks` (a multiple of 16 bytes) under the key text's first 16 UTF-8 bytes,
// zero-padded.
QByteArray openSslAes128Ecb(const QString& keyText, const QByteArray& blocks, bool encrypt = true)
{
    QByteArray key = keyText.toUtf8().left(16);
    key.append(QByteArray(16 - key.size(), '\0'));
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    EXPECT_EQ(EVP_CipherInit_ex(context, EVP_aes_128_ecb(), nullptr,
                                reinterpret_cast<const unsigned char*>(key.constData()), nullptr, encrypt ? 1 : 0),
              1);
    EVP_CIPHER_CTX_set_padding(context, 0);
    QByteArray out(blocks.size() + 16, '\0');
    int written = 0;
    int last = 0;
    EXPECT_EQ(EVP_CipherUpdate(context, reinterpret_cast<unsigned char*>(out.data()), &written,
                               reinterpret_cast<const unsigned char*>(blocks.constData()), int(blocks.size())),
              1);
    EXPECT_EQ(EVP_CipherFinal_ex(context, reinterpret_cast<unsigned char*>(out.data()) + written, &last), 1);
    EVP_CIPHER_CTX_free(context);
    return out.left(written + last);
}
#endif

} // namespace

TEST(HintCipher, IsAes128EcbOfTheZeroPaddedTextUnderTheZeroPaddedKey)
{
#ifndef OSTREVIN_HAVE_OPENSSL_ORACLE
    GTEST_SKIP() << "libcrypto is not available";
#else
    struct Case {
        QString key;
        QString value;
        int storedBytes;
    };
    const Case cases[] = {
        {"Choose later?", "", 0},
        {"Choose later?", QString(15, 'a'), 16},
        // A multiple of 16 gains a block of zeros.
        {"Paris", QString(16, 'b'), 32},
        {"Paris", QString(17, 'c'), 32},
        // Only the answer's first 16 bytes are the key.
        {"a very long answer that goes on", "hint", 16},
        // "é" is two bytes: the 8th straddles the first block's end.
        {QString::fromUtf8("Zürich"), QString(7, 'x') + QString::fromUtf8("ééééé"), 32},
        {"", "no answer given", 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key.toStdString() + " / " + c.value.toStdString());
        const QByteArray stored = OTVHintCipher::encryptForHint(c.key, c.value);
        ASSERT_EQ(stored.size(), c.storedBytes);
        QByteArray padded = c.value.toUtf8();
        if (!padded.isEmpty())
            padded.append(QByteArray(16 - padded.size() % 16, '\0'));
        EXPECT_EQ(stored.toHex(), openSslAes128Ecb(c.key, padded).toHex());
        EXPECT_EQ(OTVHintCipher::decryptForHint(c.key, stored), c.value);
    }
    // The last block of a 16-byte text holds nothing but zeros.
    const QByteArray sixteen = OTVHintCipher::encryptForHint("Paris", QString(16, 'b'));
    EXPECT_EQ(openSslAes128Ecb("Paris", sixteen.mid(16), false), QByteArray(16, '\0'));
#endif
}

TEST(HintCipher, ReadsWholeBlocksUpToTheirFirstZeroByte)
{
    const QByteArray stored = OTVHintCipher::encryptForHint("Paris", QString(20, 'h'));
    // A trailing partial block is ignored.
    EXPECT_EQ(OTVHintCipher::decryptForHint("Paris", stored.left(20)), QString(16, 'h'));
    EXPECT_EQ(OTVHintCipher::decryptForHint("Paris", QByteArray()), "");
    // Answers that agree in their first 16 bytes are the same key; letter case is not.
    const QByteArray question = OTVHintCipher::encryptForHint("the same sixteen bytes", "What is your pet's name?");
    EXPECT_EQ(OTVHintCipher::decryptForHint("the same sixteen then other", question), "What is your pet's name?");
    EXPECT_NE(OTVHintCipher::decryptForHint("The same sixteen bytes", question), "What is your pet's name?");
}
