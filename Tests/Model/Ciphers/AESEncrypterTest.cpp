#include "Model/Ciphers/CAESEncrypter.h"
#include "Model/Ciphers/CRijndael.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <cstdlib>
#include <exception>
#include <memory>

namespace {

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};
using Owned = std::unique_ptr<char, FreeDeleter>;

const unsigned char kPassKey[] = "Zq7#Lm2!Tx9&Pw4%";

QByteArray encrypt(const QByteArray& plain, const unsigned char* key = kPassKey)
{
    CAESEncrypter cipher;
    int len = plain.size();
    Owned result(cipher.Encrypt(key, plain.constData(), &len));
    EXPECT_NE(result, nullptr);
    EXPECT_EQ(result.get()[len], '\0');
    return QByteArray(result.get(), len);
}

QByteArray decrypt(const QByteArray& data, const unsigned char* key = kPassKey)
{
    CAESEncrypter cipher;
    Owned result(cipher.Decrypt(reinterpret_cast<const char*>(key), data.constData(), data.size()));
    return QByteArray(result.get(), data.size());
}

} // namespace

TEST(AESEncrypter, PadsToTwentyFourByteBlocksAndKeepsThePadding)
{
    const struct {
        int in;
        int out;
    } lengths[] = {{1, 24}, {24, 24}, {25, 48}, {47, 48}, {48, 48}, {1000, 1008}};
    for (const auto& c : lengths) {
        QByteArray plain(c.in, '\0');
        for (int i = 0; i < c.in; ++i)
            plain[i] = static_cast<char>(i * 7 + 1);
        const QByteArray stored = encrypt(plain);
        EXPECT_EQ(stored.size(), c.out) << c.in;
        // No length is kept: deciphering gives the data followed by the zero padding.
        EXPECT_EQ(decrypt(stored), plain + QByteArray(c.out - c.in, '\0')) << c.in;
    }
}

TEST(AESEncrypter, KeyIsThePassKeyFollowedByZeros)
{
    const QByteArray plain(30, 'a');
    char key[24] = {};
    std::memcpy(key, kPassKey, 16);
    CRijndael reference;
    reference.MakeKey(key, CRijndael::sm_chain0, 24, 24);
    ASSERT_EQ(reference.GetRounds(), 12);
    QByteArray padded = plain + QByteArray(18, '\0');
    QByteArray expected(48, '\0');
    reference.Encrypt(padded.constData(), expected.data(), 48);
    EXPECT_EQ(encrypt(plain), expected);

    // Only 24 bytes of a longer key text count.
    const unsigned char longKey[] = "abcdefghijklmnopqrstuvwxXXXX";
    const unsigned char cutKey[] = "abcdefghijklmnopqrstuvwx";
    EXPECT_EQ(encrypt(plain, longKey), encrypt(plain, cutKey));
    EXPECT_NE(encrypt(plain, longKey), encrypt(plain));
}

TEST(AESEncrypter, NothingToEncipherGivesNull)
{
    CAESEncrypter cipher;
    for (int n : {0, -1}) {
        int len = n;
        EXPECT_EQ(cipher.Encrypt(kPassKey, "data", &len), nullptr);
        EXPECT_EQ(len, n);
    }
    int len = 4;
    EXPECT_EQ(cipher.Encrypt(kPassKey, nullptr, &len), nullptr);
    EXPECT_EQ(len, 4);
}

TEST(AESEncrypter, DecryptRefusesLengthsThatAreNotWholeBlocks)
{
    const QByteArray stored = encrypt(QByteArray(25, 'z'));
    CAESEncrypter cipher;
    const char* key = reinterpret_cast<const char*>(kPassKey);
    for (int n : {0, 1, 23, 47, -24})
        EXPECT_THROW(Owned(cipher.Decrypt(key, stored.constData(), n)), std::exception) << n;
    EXPECT_THROW(Owned(cipher.Decrypt(nullptr, stored.constData(), 48)), std::exception);
    EXPECT_THROW(Owned(cipher.Decrypt(key, nullptr, 48)), std::exception);
}
