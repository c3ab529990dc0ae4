#include "Model/vRX/ExchangeDates.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace {

TEST(ExchangeDates, ExportDateIsEnglishWithTwoDigitDayWhateverTheLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(ExportDateText(QDate(2009, 1, 5)), QStringLiteral("January 05,2009"));
    EXPECT_EQ(ExportDateText(QDate(2021, 12, 31)), QStringLiteral("December 31,2021"));
    QLocale::setDefault(saved);
}

TEST(ExchangeDates, ParsesRecordLineDates)
{
    const struct {
        const char* text;
        QDate date;
    } cases[] = {
        {"January 05,2009", QDate(2009, 1, 5)},
        {"March 7,2011", QDate(2011, 3, 7)},
        {"december 31, 2021", QDate(2021, 12, 31)},
        {"February 29,2020", QDate(2020, 2, 29)},
        {"", QDate()},
        {"February 30,2020", QDate()},
        {"Januar 05,2009", QDate()},
        {"2009-01-05", QDate()},
        {"January 05 2009", QDate()},
    };
    for (const auto& c : cases) {
        const std::optional<QDate> date = ParseExportDate(QString::fromUtf8(c.text));
        EXPECT_EQ(date.value_or(QDate()), c.date) << c.text;
    }
}

TEST(ExchangeDates, StoredTimeGivesItsOwnDayWithoutZoneShift)
{
    const struct {
        const char* stored;
        QDate day;
    } cases[] = {
        {"2009-01-05 23:30:00 -0800", QDate(2009, 1, 5)},   // the next day in UTC
        {"2009-01-05 00:10:00 +1400", QDate(2009, 1, 5)},   // the day before in UTC
        {"2016-02-29 12:00:00", QDate(2016, 2, 29)},
        {"", QDate()},
        {"garbage", QDate()},
        {"2009-13-05 10:00:00 +0000", QDate()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StoredModificationDay(QString::fromUtf8(c.stored)).value_or(QDate()), c.day) << c.stored;
}

} // namespace
