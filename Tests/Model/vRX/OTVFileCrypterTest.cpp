#include "Model/vRX/OTVFileCrypter.h"

#include <gtest/gtest.h>

namespace {

QByteArray Pattern(qsizetype size)
{
    QByteArray data(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        data[i] = static_cast<char>(i * 31 + 7);
    return data;
}

} // namespace

TEST(OTVFileCrypter, GrowsDataToWholeBlocks)
{
    const OTVFileCrypter crypter(QStringLiteral("Pk3x9"));
    const struct {
        qsizetype in;
        qsizetype out;
    } sizes[] = {{0, 0}, {1, 8}, {8, 8}, {13, 16}, {65528, 65528}, {65536, 65536}, {65537, 65544}};
    for (const auto& s : sizes) {
        QByteArray data = Pattern(s.in);
        ASSERT_TRUE(crypter.encryptData(data));
        EXPECT_EQ(data.size(), s.out) << s.in << " bytes";
    }
}

TEST(OTVFileCrypter, IsEcbOverTheZeroPaddedDataAndKeepsThePaddingWhenDeciphering)
{
    const QString passKey = QStringLiteral("Pk3x9");
    const OTVFileCrypter crypter(passKey);
    // Longer than one of the 16-bit chunks the format was first written with.
    QByteArray data = Pattern(70001);
    ASSERT_TRUE(crypter.encryptData(data));

    QByteArray padded = Pattern(70001) + QByteArray(7, '\0');
    BLOWFISH_CTX ctx;
    const QByteArray key = passKey.toUtf8();
    Blowfish_Init(&ctx, reinterpret_cast<const unsigned char*>(key.constData()), size_t(key.size()));
    Blowfish(&ctx, padded.data(), size_t(padded.size()), true);
    EXPECT_EQ(data, padded);

    ASSERT_TRUE(crypter.decryptData(data));
    EXPECT_EQ(data, Pattern(70001) + QByteArray(7, '\0'));

    QByteArray small("13 bytes here");
    ASSERT_TRUE(crypter.encryptData(small));
    ASSERT_TRUE(crypter.decryptData(small));
    EXPECT_EQ(small, QByteArray("13 bytes here") + QByteArray(3, '\0'));
}

TEST(OTVFileCrypter, KeyIsTheUtf8TextCutToThePasswordsLengthInCharacters)
{
    // "é" is one character but two UTF-8 bytes: only the first byte is key.
    const OTVFileCrypter accented(QStringLiteral("\u00E9"));
    BLOWFISH_CTX firstByte;
    Blowfish_Init(&firstByte, reinterpret_cast<const unsigned char*>("\xC3"), 1);
    const OTVFileCrypter reference(firstByte);
    QByteArray a = Pattern(16), b = Pattern(16);
    ASSERT_TRUE(accented.encryptData(a));
    ASSERT_TRUE(reference.encryptData(b));
    EXPECT_EQ(a, b);
}

TEST(OTVFileCrypter, WithoutKeyRefusesAndLeavesTheDataAlone)
{
    const OTVFileCrypter noKey;
    EXPECT_FALSE(noKey.hasKey());
    QByteArray data = Pattern(13);
    EXPECT_FALSE(noKey.encryptData(data));
    EXPECT_FALSE(noKey.decryptData(data));
    EXPECT_EQ(data, Pattern(13));
}
