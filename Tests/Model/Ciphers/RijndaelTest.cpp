#include "Model/Ciphers/CRijndael.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QRandomGenerator>

#include <exception>

namespace {

struct Vector {
    const char* key;
    int blockSize;
    const char* plain;
    const char* cipher;
};

// Every key and block size, from an independent textbook Rijndael (see rijndael_reference.py).
const Vector kReferenceVectors[] = {
#include "rijndael_vectors.inc"
};

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

enum class Way { Encrypt, Decrypt };

QByteArray run(Way way, const QByteArray& key, int blockSize, const QByteArray& data, int mode = CRijndael::ECB)
{
    CRijndael cipher;
    cipher.MakeKey(key.constData(), CRijndael::sm_chain0, key.size(), blockSize);
    QByteArray out(data.size(), '\0');
    if (way == Way::Encrypt)
        cipher.Encrypt(data.constData(), out.data(), data.size(), mode);
    else
        cipher.Decrypt(data.constData(), out.data(), data.size(), mode);
    return out;
}

QByteArray encryptWith(const QByteArray& key, int blockSize, const QByteArray& plain)
{
    return run(Way::Encrypt, key, blockSize, plain);
}

QByteArray decryptWith(const QByteArray& key, int blockSize, const QByteArray& cipherText)
{
    return run(Way::Decrypt, key, blockSize, cipherText);
}

// Exposes the general block routine, which a 16-byte block otherwise never reaches.
class GeneralPathRijndael : public CRijndael {
public:
    using CRijndael::generalDecrypt;
    using CRijndael::generalEncrypt;
};

QByteArray randomBytes(int n)
{
    QByteArray bytes(n, '\0');
    for (char& b : bytes)
        b = static_cast<char>(QRandomGenerator::global()->bounded(256));
    return bytes;
}

} // namespace

TEST(Rijndael, Fips197KnownAnswers)
{
    const QByteArray plain = hex("00112233445566778899aabbccddeeff");
    const struct {
        const char* key;
        const char* cipher;
    } cases[] = {
        {"000102030405060708090a0b0c0d0e0f", "69c4e0d86a7b0430d8cdb78070b4c55a"},
        {"000102030405060708090a0b0c0d0e0f1011121314151617", "dda97ca4864cdfe06eaf70a0ec0d7191"},
        {"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", "8ea2b7ca516745bfeafc49904b496089"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(encryptWith(hex(c.key), 16, plain).toHex(), QByteArray(c.cipher)) << c.key;
        EXPECT_EQ(decryptWith(hex(c.key), 16, hex(c.cipher)), plain) << c.key;
    }
}

TEST(Rijndael, MatchesTheIndependentReferenceForEveryKeyAndBlockSize)
{
    int blockSizesSeen[33] = {};
    for (const Vector& v : kReferenceVectors) {
        const QByteArray key = hex(v.key);
        const QByteArray plain = hex(v.plain);
        // Two blocks at once: the second must not depend on the first in ECB.
        const QByteArray twice = plain + plain;
        const QByteArray expected = hex(v.cipher);
        EXPECT_EQ(encryptWith(key, v.blockSize, twice), expected + expected)
            << "key " << v.key << " block " << v.blockSize;
        EXPECT_EQ(decryptWith(key, v.blockSize, expected + expected), twice)
            << "key " << v.key << " block " << v.blockSize;
        ++blockSizesSeen[v.blockSize];
    }
    EXPECT_GE(blockSizesSeen[16], 4);
    EXPECT_GE(blockSizesSeen[24], 4);
    EXPECT_GE(blockSizesSeen[32], 4);
}

TEST(Rijndael, GeneralPathEqualsTheUnrolledPathForSixteenByteBlocks)
{
    for (int keylength : {16, 24, 32}) {
        const QByteArray key = randomBytes(keylength);
        GeneralPathRijndael cipher;
        cipher.MakeKey(key.constData(), CRijndael::sm_chain0, keylength, 16);
        for (int i = 0; i < 200; ++i) {
            const QByteArray block = randomBytes(16);
            char fast[16], general[16], back[16];
            cipher.DefEncryptBlock(block.constData(), fast);
            cipher.generalEncrypt(block.constData(), general);
            ASSERT_EQ(QByteArray(fast, 16), QByteArray(general, 16)) << "key length " << keylength;
            cipher.generalDecrypt(general, back);
            ASSERT_EQ(QByteArray(back, 16), block);
            cipher.DefDecryptBlock(fast, back);
            ASSERT_EQ(QByteArray(back, 16), block);
        }
    }
}

TEST(Rijndael, RoundsFollowTheLongerOfKeyAndBlock)
{
    const int expected[3][3] = {{10, 12, 14}, {12, 12, 14}, {14, 14, 14}};
    const char key[32] = {};
    for (int k = 0; k < 3; ++k)
        for (int b = 0; b < 3; ++b) {
            CRijndael cipher;
            cipher.MakeKey(key, CRijndael::sm_chain0, 16 + 8 * k, 16 + 8 * b);
            EXPECT_EQ(cipher.GetRounds(), expected[k][b]) << "key " << 16 + 8 * k << " block " << 16 + 8 * b;
            EXPECT_EQ(cipher.GetKeyLength(), 16 + 8 * k);
            EXPECT_EQ(cipher.GetBlockSize(), 16 + 8 * b);
        }
}

TEST(Rijndael, RefusesBadKeysAndSizes)
{
    const char key[32] = {};
    const struct {
        const char* key;
        int keylength;
        int blockSize;
    } bad[] = {
        {nullptr, 16, 16}, {key, 0, 16}, {key, 8, 16}, {key, 20, 16}, {key, 33, 16},
        {key, 16, 0}, {key, 16, 12}, {key, 16, 64}, {key, -16, 16},
    };
    for (const auto& c : bad) {
        CRijndael cipher;
        EXPECT_THROW(cipher.MakeKey(c.key, CRijndael::sm_chain0, c.keylength, c.blockSize), std::exception)
            << c.keylength << "/" << c.blockSize;
        // A failed keying leaves the cipher unusable.
        char block[16] = {};
        EXPECT_THROW(cipher.EncryptBlock(block, block), std::exception);
    }
}

TEST(Rijndael, FailsBeforeWritingAnything)
{
    const char key[16] = {};
    char in[48] = {};
    char out[48];

    CRijndael unkeyed;
    std::memset(out, 0x5A, sizeof out);
    EXPECT_THROW(unkeyed.Encrypt(in, out, 16, CRijndael::ECB), std::exception);
    EXPECT_THROW(unkeyed.Decrypt(in, out, 16, CRijndael::ECB), std::exception);
    EXPECT_THROW(unkeyed.DecryptBlock(in, out), std::exception);
    EXPECT_EQ(QByteArray(out, 48), QByteArray(48, 0x5A));

    CRijndael cipher;
    cipher.MakeKey(key, CRijndael::sm_chain0, 16, 16);
    for (std::size_t n : {std::size_t(0), std::size_t(15), std::size_t(17), std::size_t(47)}) {
        std::memset(out, 0x5A, sizeof out);
        EXPECT_THROW(cipher.Encrypt(in, out, n, CRijndael::ECB), std::exception) << n;
        EXPECT_THROW(cipher.Decrypt(in, out, n, CRijndael::CBC), std::exception) << n;
        EXPECT_EQ(QByteArray(out, 48), QByteArray(48, 0x5A)) << n;
    }
    EXPECT_THROW(cipher.Encrypt(nullptr, out, 16), std::exception);
    EXPECT_THROW(cipher.Encrypt(in, nullptr, 16), std::exception);
    // A shifted overlap would read bytes already overwritten; the very same buffer is fine.
    EXPECT_THROW(cipher.Encrypt(in, in + 16, 32), std::exception);
    EXPECT_NO_THROW(cipher.Encrypt(in, in, 48));
    char back[48];
    cipher.Decrypt(in, back, 48);
    EXPECT_EQ(QByteArray(back, 48), QByteArray(48, '\0'));
}

TEST(Rijndael, ChainedModesFollowTheirDefinitionsAndContinueAcrossCalls)
{
    for (int blockSize : {16, 24, 32}) {
        const QByteArray key = randomBytes(24);
        const QByteArray chain = randomBytes(blockSize);
        const QByteArray plain = randomBytes(3 * blockSize);
        auto block = [&](const QByteArray& bytes, int i) { return bytes.mid(i * blockSize, blockSize); };
        auto xorOf = [](QByteArray a, const QByteArray& b) {
            for (int i = 0; i < a.size(); ++i)
                a[i] = static_cast<char>(a[i] ^ b[i]);
            return a;
        };

        CRijndael cipher;
        cipher.MakeKey(key.constData(), chain.constData(), 24, blockSize);
        // CBC in two calls (one block, then two) must continue the same chain.
        QByteArray cbc(plain.size(), '\0');
        cipher.Encrypt(plain.constData(), cbc.data(), blockSize, CRijndael::CBC);
        cipher.Encrypt(plain.constData() + blockSize, cbc.data() + blockSize, 2 * blockSize, CRijndael::CBC);
        QByteArray previous = chain;
        for (int i = 0; i < 3; ++i) {
            const QByteArray expected = encryptWith(key, blockSize, xorOf(block(plain, i), previous));
            EXPECT_EQ(block(cbc, i), expected) << "CBC block " << i << " of size " << blockSize;
            previous = expected;
        }

        cipher.ResetChain();
        QByteArray cfb(plain.size(), '\0');
        cipher.Encrypt(plain.constData(), cfb.data(), plain.size(), CRijndael::CFB);
        previous = chain;
        for (int i = 0; i < 3; ++i) {
            const QByteArray expected = xorOf(encryptWith(key, blockSize, previous), block(plain, i));
            EXPECT_EQ(block(cfb, i), expected) << "CFB block " << i << " of size " << blockSize;
            previous = expected;
        }

        for (auto [mode, cipherText] : {std::pair{int(CRijndael::CBC), cbc}, std::pair{int(CRijndael::CFB), cfb}}) {
            cipher.ResetChain();
            QByteArray back(plain.size(), '\0');
            cipher.Decrypt(cipherText.constData(), back.data(), cipherText.size(), mode);
            EXPECT_EQ(back, plain) << "mode " << mode << " block " << blockSize;
        }
    }
}
