#include "Model/vRX/Blowfish.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#ifdef OSTREVIN_HAVE_OPENSSL_ORACLE
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>
#endif

namespace {

std::vector<unsigned char> FromHex(const char* hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    return {bytes.begin(), bytes.end()};
}

std::string ToHex(const unsigned char* bytes, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size)).toHex().toUpper().toStdString();
}

BLOWFISH_CTX KeyOf(const std::vector<unsigned char>& key)
{
    BLOWFISH_CTX ctx;
    Blowfish_Init(&ctx, key.data(), key.size());
    return ctx;
}

BLOWFISH_CTX KeyOf(const std::string& key)
{
    return KeyOf(std::vector<unsigned char>(key.begin(), key.end()));
}

std::string EncryptBlock(const BLOWFISH_CTX& ctx, const std::vector<unsigned char>& plain)
{
    unsigned char block[8];
    BlowfishEncryptToBuffer(&ctx, plain.data(), block, 8);
    return ToHex(block, 8);
}

} // namespace

// The published known-answer vectors of Blowfish (key, plaintext, ciphertext; 8-byte keys).
TEST(Blowfish, PublishedEcbVectors)
{
    const struct {
        const char* key;
        const char* plain;
        const char* cipher;
    } vectors[] = {
        {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
        {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
        {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
        {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
        {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
        {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
        {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
        {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
        {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
        {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
        {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
        {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
        {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
        {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
        {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
        {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
        {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
        {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
        {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
        {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
        {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
        {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
        {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
        {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
        {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
        {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
        {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
        {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
        {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
        {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
        {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
        {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
        {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
    };
    for (const auto& v : vectors) {
        const BLOWFISH_CTX ctx = KeyOf(FromHex(v.key));
        EXPECT_EQ(EncryptBlock(ctx, FromHex(v.plain)), v.cipher) << "key " << v.key;

        unsigned char block[8];
        const std::vector<unsigned char> cipher = FromHex(v.cipher);
        BlowfishDecryptToBuffer(&ctx, cipher.data(), block, 8);
        EXPECT_EQ(ToHex(block, 8), v.plain) << "key " << v.key;
    }
}

// The published vectors for keys of 1 to 24 bytes: prefixes of one key, one plaintext.
TEST(Blowfish, PublishedVariableKeyLengthVectors)
{
    const char* ciphers[] = {
        "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05", "B39E44481BDB1E6E",
        "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82", "15750E7A4F4EC577", "122BA70B3AB64AE0",
        "3A833C9AFFC537F6", "9409DA87A90F6BF2", "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F",
        "93142887EE3BE15C", "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
        "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
    };
    const std::vector<unsigned char> key = FromHex("F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677");
    const std::vector<unsigned char> plain = FromHex("FEDCBA9876543210");
    for (size_t length = 1; length <= key.size(); ++length) {
        const BLOWFISH_CTX ctx = KeyOf(std::vector<unsigned char>(key.begin(), key.begin() + long(length)));
        EXPECT_EQ(EncryptBlock(ctx, plain), ciphers[length - 1]) << "key length " << length;
    }
}

TEST(Blowfish, TextKeyVectorsAndHalvesAreBigEndian)
{
    const BLOWFISH_CTX alphabet = KeyOf(std::string("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(EncryptBlock(alphabet, {'B', 'L', 'O', 'W', 'F', 'I', 'S', 'H'}), "324ED0FEF413A203");
    const BLOWFISH_CTX galt = KeyOf(std::string("Who is John Galt?"));
    EXPECT_EQ(EncryptBlock(galt, FromHex("FEDCBA9876543210")), "CC91732B8022F684");

    // The word interface sees the same block as its big-endian halves.
    const uint32_t in[2] = {0x424C4F57, 0x46495348};   // "BLOWFISH"
    uint32_t out[2];
    Blowfish_Encrypt(&alphabet, in, out);
    EXPECT_EQ(out[0], 0x324ED0FEu);
    EXPECT_EQ(out[1], 0xF413A203u);
    Blowfish_Decrypt(&alphabet, out, out);
    EXPECT_EQ(out[0], in[0]);
    EXPECT_EQ(out[1], in[1]);
}

TEST(Blowfish, KeyScheduleLimits)
{
    // The file password "ab": one zero block is what an empty field of a protected file holds.
    EXPECT_EQ(EncryptBlock(KeyOf(std::string("ab")), std::vector<unsigned char>(8, 0)), "9C154B6ED8F43531");

    // Bytes past the 72nd have no effect.
    std::string longKey;
    for (int i = 0; i < 100; ++i)
        longKey += static_cast<char>('!' + i);
    const BLOWFISH_CTX full = KeyOf(longKey);
    const BLOWFISH_CTX first72 = KeyOf(longKey.substr(0, 72));
    const BLOWFISH_CTX first71 = KeyOf(longKey.substr(0, 71));
    EXPECT_EQ(std::memcmp(&full, &first72, sizeof full), 0);
    EXPECT_NE(std::memcmp(&full, &first71, sizeof full), 0);

    // Length 0 uses the first key byte throughout: for "" that is its NUL.
    BLOWFISH_CTX empty;
    Blowfish_Init(&empty, reinterpret_cast<const unsigned char*>(""), 0);
    BLOWFISH_CTX nul;
    Blowfish_Init(&nul, reinterpret_cast<const unsigned char*>("\0"), 1);
    EXPECT_EQ(std::memcmp(&empty, &nul, sizeof empty), 0);
    BLOWFISH_CTX none;
    Blowfish_Init(&none, nullptr, 0);
    EXPECT_EQ(std::memcmp(&none, &nul, sizeof none), 0);
}

TEST(Blowfish, BufferRoutinesProcessWholeBlocksOnly)
{
    const BLOWFISH_CTX ctx = KeyOf(std::string("ab"));
    unsigned char source[12] = {0};
    unsigned char destination[12];
    std::memset(destination, 0xEE, sizeof destination);
    BlowfishEncryptToBuffer(&ctx, source, destination, 12);
    EXPECT_EQ(ToHex(destination, 12), "9C154B6ED8F43531EEEEEEEE");

    // In place, on an odd address, over many blocks; and back.
    std::vector<unsigned char> buffer(1 + 8 * 9000 + 3);
    for (size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = static_cast<unsigned char>(i * 7);
    const std::vector<unsigned char> original = buffer;
    Blowfish(&ctx, buffer.data() + 1, buffer.size() - 1, true);
    EXPECT_EQ(ToHex(buffer.data() + 1, 8), EncryptBlock(ctx, {original.begin() + 1, original.begin() + 9}));
    EXPECT_EQ(buffer[0], original[0]);
    EXPECT_TRUE(std::equal(buffer.end() - 3, buffer.end(), original.end() - 3));
    Blowfish(&ctx, buffer.data() + 1, buffer.size() - 1, false);
    EXPECT_EQ(buffer, original);
}

#ifdef OSTREVIN_HAVE_OPENSSL_ORACLE
TEST(Blowfish, AgreesWithLibcryptoOnRandomKeysAndData)
{
    std::mt19937 random(20261210);
    for (int round = 0; round < 300; ++round) {
        std::vector<unsigned char> key(round % 90);
        for (auto& byte : key)
            byte = static_cast<unsigned char>(random());
        std::vector<unsigned char> data(8 * (1 + round % 20));
        for (auto& byte : data)
            byte = static_cast<unsigned char>(random());

        BF_KEY reference;
        const unsigned char nul = 0;
        BF_set_key(&reference, static_cast<int>(key.size()), key.empty() ? &nul : key.data());
        std::vector<unsigned char> expected(data.size());
        for (size_t i = 0; i < data.size(); i += 8)
            BF_ecb_encrypt(data.data() + i, expected.data() + i, &reference, BF_ENCRYPT);

        const BLOWFISH_CTX ctx = KeyOf(key);
        std::vector<unsigned char> actual = data;
        Blowfish(&ctx, actual.data(), actual.size(), true);
        ASSERT_EQ(actual, expected) << "key length " << key.size();
    }
}
#endif
