#include "Model/Ciphers/CDBEncrypter.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};
using Owned = std::unique_ptr<char, FreeDeleter>;

// The ciphertext (exactly *len bytes) and the zero byte the result must end with.
QByteArray encrypt(CDBEncrypter& cipher, const QByteArray& plain, bool* terminated = nullptr)
{
    int len = plain.size();
    Owned result(cipher.Encrypt(plain.constData(), &len));
    if (terminated)
        *terminated = result.get()[len] == '\0';
    return QByteArray(result.get(), len);
}

QByteArray decryptText(CDBEncrypter& cipher, const QByteArray& stored)
{
    Owned result(cipher.Decrypt(stored.constData(), stored.size()));
    return QByteArray(result.get());  // up to the first zero byte
}

} // namespace

TEST(DBEncrypter, IsAes128EcbUnderTheBlankPaddedKey)
{
    // FIPS-197: key 000102...0f. With blank padding no printable key text can give that key,
    // so check the known answer through a 16-byte key text that needs no padding.
    const char key[] = "0123456789abcdef";
    CDBEncrypter cipher(key);
    CRijndael reference;
    reference.MakeKey(key, CRijndael::sm_chain0, 16, 16);
    const QByteArray plain = QByteArray::fromHex("00112233445566778899aabbccddeeff");
    char expected[16];
    reference.EncryptBlock(plain.constData(), expected);
    EXPECT_EQ(encrypt(cipher, plain), QByteArray(expected, 16));

    const QByteArray fipsKey = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");
    CDBEncrypter fips(fipsKey.constData());  // contains a zero byte: only the first byte counts
    CDBEncrypter firstByteOnly("");          // 0x00... stops at once: 16 blanks
    EXPECT_EQ(encrypt(fips, plain), encrypt(firstByteOnly, plain));
}

TEST(DBEncrypter, PadsToWholeBlocksWithATerminatingZero)
{
    CDBEncrypter cipher("master password");
    const struct {
        int in;
        int out;
    } lengths[] = {{0, 0}, {1, 16}, {15, 16}, {16, 16}, {17, 32}, {20, 32}, {240, 240}, {241, 256}};
    for (const auto& c : lengths) {
        const QByteArray plain(c.in, 'x');
        bool terminated = false;
        const QByteArray stored = encrypt(cipher, plain, &terminated);
        EXPECT_EQ(stored.size(), c.out) << c.in;
        EXPECT_TRUE(terminated) << c.in;
        EXPECT_EQ(decryptText(cipher, stored), plain) << c.in;
    }
    // The zero padding is enciphered: the padded tail differs from a zero block's cipher.
    EXPECT_NE(encrypt(cipher, QByteArray(1, 'x')), encrypt(cipher, QByteArray(16, '\0')));
}

TEST(DBEncrypter, EnciphersEveryByteOfUtf8IncludingZeros)
{
    CDBEncrypter cipher("k");
    const QByteArray text = QStringLiteral("Grüße € 漢字").toUtf8();
    EXPECT_EQ(decryptText(cipher, encrypt(cipher, text)), text);

    // Binary with an embedded zero: Decrypt returns every byte, the text reading stops at 0.
    const QByteArray binary("ab\0cd", 5);
    const QByteArray stored = encrypt(cipher, binary);
    Owned back(cipher.Decrypt(stored.constData(), stored.size()));
    EXPECT_EQ(QByteArray(back.get(), 5), binary);
}

TEST(DBEncrypter, KeyIsTheFirstSixteenBytesPaddedWithBlanks)
{
    const QByteArray sample("some stored value");
    const struct {
        const char* a;
        const char* b;
        bool same;
    } keys[] = {
        {"abc", "abc             ", true},
        {"0123456789abcdefXYZ", "0123456789abcdef", true},
        {"0123456789abcdefXYZ", "0123456789abcdefQRS", true},
        {"", "                ", true},
        {"abc", "abd", false},
        {"abc", "abc\t", false},
    };
    for (const auto& k : keys) {
        CDBEncrypter a(k.a), b(k.b);
        EXPECT_EQ(encrypt(a, sample) == encrypt(b, sample), k.same) << '"' << k.a << "\" vs \"" << k.b << '"';
    }
}

TEST(DBEncrypter, IsDeterministicAcrossInstances)
{
    CDBEncrypter first("the key"), second("the key");
    const QByteArray value("Group name");
    EXPECT_EQ(encrypt(first, value), encrypt(second, value));
    EXPECT_EQ(encrypt(first, value), encrypt(first, value));
}

TEST(DBEncrypter, FailuresReadAsTheEmptyText)
{
    CDBEncrypter cipher("key");
    const QByteArray stored = encrypt(cipher, "twenty bytes of text");
    ASSERT_EQ(stored.size(), 32);

    const struct {
        const char* in;
        int n;
    } bad[] = {{stored.constData(), 20}, {stored.constData(), 0}, {nullptr, 16}, {stored.constData(), -5}};
    for (const auto& c : bad) {
        Owned result(cipher.Decrypt(c.in, c.n));
        ASSERT_NE(result.get(), nullptr);
        const int size = c.n > 0 ? c.n : 0;
        EXPECT_EQ(QByteArray(result.get(), size + 1), QByteArray(size + 1, '\0')) << c.n;
    }

    // Not keyed: Init reports it, the cipher gives zeros instead of plaintext.
    CDBEncrypter unkeyed(nullptr);
    EXPECT_EQ(unkeyed.Init(nullptr), 0);
    int len = 5;
    Owned result(unkeyed.Encrypt("hello", &len));
    EXPECT_EQ(len, 16);
    EXPECT_EQ(QByteArray(result.get(), 17), QByteArray(17, '\0'));
    EXPECT_EQ(unkeyed.Init("now keyed"), 1);
}

// The cipher is computed by libcrypto; the table-driven Rijndael is the reference its output
// must equal byte for byte, for every length, key and content the vault may hold.
TEST(DBEncrypter, EqualsTheTableDrivenRijndaelForEveryLengthAndKey)
{
    const char* const keys[] = {"", "k", "master password", "0123456789abcdef", "0123456789abcdefXYZ",
                                "Grüße €", "\t tabs and blanks \t"};
    for (const char* keyText : keys) {
        CDBEncrypter cipher(keyText);
        char key[17] = {};
        std::strncpy(key, keyText, 16);
        for (std::size_t i = std::strlen(key); i < 16; ++i)
            key[i] = ' ';
        CRijndael reference;
        reference.MakeKey(key, CRijndael::sm_chain0, 16, 16);
        for (int n = 0; n <= 80; ++n) {
            QByteArray plain(n, '\0');
            for (int i = 0; i < n; ++i)
                plain[i] = char((i * 37 + n * 11 + 1) & 0xFF);
            const int padded = (n + 15) / 16 * 16;
            QByteArray work = plain;
            work.append(QByteArray(padded - n, '\0'));
            QByteArray expected(padded, '\0');
            if (padded > 0)
                reference.Encrypt(work.constData(), expected.data(), std::size_t(padded), CRijndael::ECB);
            const QByteArray stored = encrypt(cipher, plain);
            ASSERT_EQ(stored, expected) << "key \"" << keyText << "\", " << n << " bytes";

            Owned back(cipher.Decrypt(stored.constData(), stored.size()));
            EXPECT_EQ(QByteArray(back.get(), padded), work) << n;
            if (padded > 0) {
                QByteArray into(padded, 'x');
                ASSERT_TRUE(cipher.decryptInto(stored.constData(), padded, into.data()));
                EXPECT_EQ(into, work) << n;
            }
        }
    }
}

TEST(DBEncrypter, DecipheringIntoABufferRefusesWhatIsNoWholeBlock)
{
    CDBEncrypter cipher("key");
    const QByteArray stored = encrypt(cipher, "thirty-two bytes of text, nearly");
    char out[64];
    for (int n : {0, -16, 15, 17, 31})
        EXPECT_FALSE(cipher.decryptInto(stored.constData(), n, out)) << n;
    CDBEncrypter unkeyed;
    EXPECT_FALSE(unkeyed.decryptInto(stored.constData(), 16, out));
    // Keyed again, the cipher takes the new key.
    CDBEncrypter rekeyed("other");
    ASSERT_EQ(rekeyed.Init("key"), 1);
    EXPECT_EQ(encrypt(rekeyed, "same text"), encrypt(cipher, "same text"));
}
