#include "Model/Ciphers/CPPAddOn.h"
#include "Model/Ciphers/OTVColorValue.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

TEST(StringAddOn, ReadsUtf8UpToTheFirstZero)
{
    EXPECT_EQ(stringWithSTDString("plain"), "plain");
    EXPECT_EQ(stringWithSTDString("Grüße €"), QStringLiteral("Grüße €"));
    EXPECT_EQ(stringWithSTDString(std::string("before\0after", 12)), "before");
    const QString empty = stringWithSTDString("");
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(empty.isEmpty());
    // Invalid UTF-8 is refused, not patched with replacement characters.
    EXPECT_TRUE(stringWithSTDString("\xC3\x28").isNull());
    EXPECT_TRUE(stringWithSTDString("ok\xFF").isNull());
}

TEST(StringAddOn, ReadsOneWordFromAStream)
{
    std::istringstream stream("  first second");
    EXPECT_EQ(stringWithSTDStreamPtr(&stream), "first");
    EXPECT_EQ(stringWithSTDStreamPtr(&stream), "second");
    EXPECT_TRUE(stringWithSTDStreamPtr(&stream).isNull());
    EXPECT_TRUE(stringWithSTDStreamPtr(nullptr).isNull());
}

TEST(StringAddOn, SpecialCharactersFallBackToMacRoman)
{
    EXPECT_EQ(stringWithSpecialCharacters("caf\xC3\xA9"), QStringLiteral("café"));
    EXPECT_EQ(stringWithSpecialCharacters("caf\x8E"), QStringLiteral("café"));  // Mac OS Roman é
    EXPECT_EQ(stringWithSpecialCharacters(""), "");
    EXPECT_TRUE(stringWithSpecialCharacters(nullptr).isNull());
}

TEST(StringAddOn, IPv4Addresses)
{
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"192.168.0.1", true}, {"255.255.255.255", true}, {"0.0.0.0", true}, {"127.0.0.1", true},
        {"1.2.3", false}, {"256.1.1.1", false}, {"host.example", false}, {"", false},
        {"1.2.3.4.5", false}, {" 1.2.3.4", false}, {"1.2.3.4 ", false}, {"::1", false}, {"0x7f.0.0.1", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isvalidIPv4Address(QString::fromLatin1(c.text)), c.valid) << '"' << c.text << '"';
    EXPECT_FALSE(isvalidIPv4Address(QStringLiteral("1.2.3.4") + QChar(0) + QStringLiteral("x")));
}

TEST(ColorValue, Layout)
{
    EXPECT_EQ(int64Value(QColor(255, 0, 0)), 255);
    EXPECT_EQ(int64Value(QColor(0, 255, 0)), 255 << 8);
    EXPECT_EQ(int64Value(QColor(0, 0, 255)), 255 << 16);
    EXPECT_EQ(int64Value(QColor(52, 84, 136)), 8934452);  // the default row colour, 0x885434
    EXPECT_EQ(int64Value(QColor::fromRgbF(0.5f, 0.5f, 0.5f)), 127 | 127 << 8 | 127 << 16);
    EXPECT_EQ(int64Value(QColor::fromHsv(0, 255, 255)), 255);  // converted to RGB first

    const QColor c = colorFromInt64((255 << 16) | (128 << 8));
    EXPECT_EQ(c.red(), 0);
    EXPECT_FLOAT_EQ(c.greenF(), 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(c.blueF(), 1.0f);
    EXPECT_FLOAT_EQ(c.alphaF(), 1.0f);
}

TEST(ColorValue, EveryComponentValueRoundTrips)
{
    for (int v = 0; v < 256; ++v) {
        for (int shift : {0, 8, 16}) {
            const long long value = static_cast<long long>(v) << shift;
            EXPECT_EQ(int64Value(colorFromInt64(value)), value) << v << " at " << shift;
        }
    }
}

TEST(ColorValue, AColourWithoutRgbFormThrows)
{
    try {
        int64Value(QColor());
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "ColorCreate: Color creation failed");
    }
}
