#include "Platform/BKMacRoman.h"

#include <gtest/gtest.h>

#include <QSet>

TEST(MacRoman, DecodesTheHighHalfByTheTable)
{
    // Bytes whose meaning differs most from Latin-1, with the code points they stand for.
    const struct {
        unsigned char byte;
        char16_t expected;
    } cases[] = {
        {0x80, 0x00C4}, {0x8E, 0x00E9}, {0x9F, 0x00FC}, {0xA5, 0x2022}, {0xAA, 0x2122},
        {0xB9, 0x03C0}, {0xC9, 0x2026}, {0xCA, 0x00A0}, {0xD2, 0x201C}, {0xD5, 0x2019},
        {0xDB, 0x20AC}, {0xDE, 0xFB01}, {0xF0, 0xF8FF}, {0xF5, 0x0131}, {0xFF, 0x02C7},
    };
    for (const auto& c : cases) {
        const QString text = BKDecodeMacRoman(QByteArray(1, static_cast<char>(c.byte)));
        ASSERT_EQ(text.size(), 1);
        EXPECT_EQ(text.at(0).unicode(), c.expected) << "byte 0x" << std::hex << int(c.byte);
    }
}

TEST(MacRoman, AsciiIsUnchangedAndEveryByteGivesOneCharacter)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = BKDecodeMacRoman(all);
    ASSERT_EQ(text.size(), 256);
    for (int b = 0; b < 128; ++b)
        EXPECT_EQ(text.at(b).unicode(), b);
    EXPECT_EQ(QSet<QChar>(text.begin() + 128, text.end()).size(), 128) << "two bytes share a character";
}

TEST(MacRoman, ValidUtf8IsKeptAndOtherTextFallsBack)
{
    const QByteArray utf8 = QStringLiteral("Grüße, café €").toUtf8();
    EXPECT_TRUE(BKIsValidUTF8(utf8));
    EXPECT_EQ(BKDecodeUTF8OrMacRoman(utf8), QStringLiteral("Grüße, café €"));

    const QByteArray macRoman("Gr\x9f\xa7" "e, caf\x8e", 11);   // "Grüße, café" in Mac OS Roman
    EXPECT_FALSE(BKIsValidUTF8(macRoman));
    EXPECT_EQ(BKDecodeUTF8OrMacRoman(macRoman), QStringLiteral("Grüße, café"));
    EXPECT_TRUE(BKDecodeUTF8OrMacRoman(QByteArray()).isEmpty());
}
