#include "Model/OTVUID.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QRegularExpression>
#include <QSet>

#include <cstring>

namespace {

double doubleWithBits(quint64 bits)
{
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

} // namespace

TEST(Uid, FixedUids)
{
    EXPECT_EQ(kUnfiledUID, "0000000000000000");
    EXPECT_EQ(kUnfilledUID, "0000000000000000");
    EXPECT_EQ(OTVUID::giveMeUnfilledUID(), kUnfilledUID);
    EXPECT_EQ(kAllCategoriesUID, "000000000000FFFF");
    EXPECT_EQ(kWebLoginUID, "0000000000000012");
}

TEST(Uid, LayoutOfANewUid)
{
    // A time whose IEEE-754 pattern ends in 0x89ABCDEF.
    const double time = doubleWithBits(0x41C3AB5E89ABCDEFULL);
    const QString uid = OTVUID::composeUID(0x1234ABCD, 0x00007700, time);
    EXPECT_EQ(uid.size(), 16);
    EXPECT_EQ(uid.mid(0, 4), "CDAB");     // bytes 0-1: the random draw's low 16 bits, LSB first
    EXPECT_EQ(uid.mid(4, 4), "0177");     // bytes 2-3: the secure draw (byte 2 never zero)
    EXPECT_EQ(uid.mid(8, 8), "EFCDAB89"); // bytes 4-7: the time's low 32 bits, LSB first

    for (quint32 low = 0; low < 256; ++low)
        EXPECT_NE(OTVUID::composeUID(0, low, 0.0).mid(4, 2), "00") << low;
    // Even with every other byte zero, a new UID is not well known.
    EXPECT_FALSE(OTVUID::isWellKnownUID(OTVUID::composeUID(0, 0, 0.0)));
}

TEST(Uid, NewUidsAreUniqueUpperCaseAndNotWellKnown)
{
    const QRegularExpression form("^[0-9A-F]{16}$");
    QSet<QString> seen;
    for (int i = 0; i < 10000; ++i) {
        const QString uid = OTVUID::giveMeNewUID();
        ASSERT_TRUE(form.match(uid).hasMatch()) << uid.toStdString();
        ASSERT_FALSE(OTVUID::isWellKnownUID(uid)) << uid.toStdString();
        seen.insert(uid);
    }
    EXPECT_EQ(seen.size(), 10000);
}

TEST(Uid, AbsoluteTimeCountsFrom2001WithFineResolution)
{
    const double expected = QDateTime::currentMSecsSinceEpoch() / 1000.0 - 978307200.0;
    EXPECT_NEAR(OTVUID::absoluteTimeNow(), expected, 1.0);

    // Within one millisecond the clock must give many different values; at millisecond
    // resolution every UID made in that time would share bytes 4 to 7.
    const double start = OTVUID::absoluteTimeNow();
    QSet<double> values;
    double now = start;
    while (now - start < 0.001) {
        now = OTVUID::absoluteTimeNow();
        values.insert(now);
    }
    EXPECT_GT(values.size(), 10);
}

TEST(Uid, NextWellKnownUid)
{
    const struct {
        const char* uid;
        const char* next;
    } cases[] = {
        {"0000000000000001", "0000000000000002"},
        {"0000000000000012", "0000000000000013"},
        {"00000000000000FE", "00000000000000FF"},
        {"00000000000000FF", "0000000000000100"},
        {"00000000000001FF", "0000000000000200"},
        {"000000000000FFFF", "0000000000000000"},  // byte 6 wraps without a further carry
        {"00000000000000ff", "0000000000000100"},  // lower case is read, upper case written
        {"0000000000000a0f", "0000000000000A10"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OTVUID::nextWellknownUID(c.uid), c.next) << c.uid;
}

TEST(Uid, IsWellKnownUid)
{
    const struct {
        const char* uid;
        bool wellKnown;
    } cases[] = {
        // Well known: the first 14 characters (bytes 0 to 6) are zeros; byte 7 is free.
        {"0000000000000000", true},
        {"0000000000000012", true},
        {"00000000000000FF", true},
        {"0000000000000100", false},  // byte 6 is 0x01
        {"000000000000FFFF", false},  // the all-categories UID is a fixed value, not an account
        {"0000000000001000", false},
        {"1000000000000000", false},
        {"00000000000000", true},     // 14 characters are enough
        {"0000000000000", false},     // too short to tell
        {"", false},
        {"0000000 000000FF", false},
        {"000000000000O0FF", false},  // a letter O
    };
    for (const auto& c : cases)
        EXPECT_EQ(OTVUID::isWellKnownUID(c.uid), c.wellKnown) << '"' << c.uid << '"';
}
