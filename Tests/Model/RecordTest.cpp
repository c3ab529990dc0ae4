#include "Model/OTVRecord.h"
#include "Model/OTVUID.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>

namespace {

const QRegularExpression kModificationDate(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} [+-]\\d{4}$"));

// A record with every field set, filed in a group of its own and typed.
std::shared_ptr<OTVRecord> filledRecord()
{
    auto record = OTVRecord::createRecord();
    record->setMGroup(BKGroup::newGroup());
    record->setMType(OTVType::createType());
    for (int field = 1; field <= kNoOfFields; ++field)
        record->setValue(field, QStringLiteral("value %1").arg(field));
    record->setMNotes(QStringLiteral("notes"));
    record->setMHasAttachment(true);
    record->setMAttachmentName(QStringLiteral("scan.pdf"));
    record->setMAttachmentPassKey(QStringLiteral("abcdefghijklmnop"));
    record->setMAttachmentPath(QStringLiteral("/tmp/scan.pdf"));
    record->setMAttachmentState(kAttachmentStoreFile);
    record->setMValue10ForDisaply(QStringLiteral("1 May 2024"));
    record->setMViewCounter(12);
    return record;
}

void customise(OTVRecord& record)
{
    OTVType own = *OTVType::createType();
    own.setLabel(2, QStringLiteral("Account"));
    own.setMTypeIconID(9);
    own.setMTypeMask(6);
    record.setMRecordCustomType(own);
    record.setMIsCustomized(true);
}

// Sets TZ for the life of the object and restores it after.
class TimeZoneOverride {
public:
    explicit TimeZoneOverride(const char* zone) : hadZone_(qEnvironmentVariableIsSet("TZ")), old_(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZoneOverride()
    {
        if (hadZone_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    bool hadZone_;
    QByteArray old_;
};

} // namespace

TEST(RecordTest, InitLeavesTheRecordEmpty)
{
    const OTVRecord record;
    EXPECT_TRUE(record.mRecordUID().isNull());
    EXPECT_FALSE(record.mGroup());
    EXPECT_FALSE(record.mType());
    EXPECT_EQ(record.mRecordCustomType(), nullptr);
    for (int field = 1; field <= kNoOfFields; ++field) {
        EXPECT_FALSE(record.value(field).isNull());
        EXPECT_TRUE(record.value(field).isEmpty());
    }
    EXPECT_TRUE(record.mNotes().isEmpty());
    EXPECT_FALSE(record.mIsCustomized());
    EXPECT_FALSE(record.mHasAttachment());
    EXPECT_EQ(record.mViewCounter(), 0);
    EXPECT_TRUE(record.mAttachmentName().isEmpty());
    EXPECT_TRUE(record.mAttachmentPassKey().isEmpty());
    EXPECT_TRUE(record.mAttachmentPath().isNull());
    EXPECT_EQ(record.mAttachmentState(), kAttachmentUnchanged);
}

TEST(RecordTest, CreateRecordHasANewUIDAndNowAsValueTen)
{
    const auto record = OTVRecord::createRecord();
    EXPECT_EQ(record->mRecordUID().size(), 16);
    EXPECT_NE(record->mRecordUID(), OTVRecord::createRecord()->mRecordUID());
    EXPECT_FALSE(record->mGroup());
    EXPECT_FALSE(record->mType());
    EXPECT_EQ(record->mViewCounter(), 0);
    EXPECT_TRUE(kModificationDate.match(record->value(10)).hasMatch()) << record->value(10).toStdString();
}

TEST(RecordTest, AnUndatedRecordHasANewUIDAndNoValueTen)
{
    const auto record = OTVRecord::createUndatedRecord();
    EXPECT_EQ(record->mRecordUID().size(), 16);
    EXPECT_NE(record->mRecordUID(), OTVRecord::createUndatedRecord()->mRecordUID());
    EXPECT_TRUE(record->value(10).isEmpty()) << record->value(10).toStdString();
    EXPECT_TRUE(record->mValue10ForDisaply().isEmpty());
    // Its maker's value 10 is the one it keeps, shown as any other.
    record->setValue(10, QStringLiteral("2011-03-07 00:00:00 +0100"));
    EXPECT_EQ(record->value(10), QStringLiteral("2011-03-07 00:00:00 +0100"));
    EXPECT_EQ(record->mValue10ForDisaply(), QStringLiteral("March 07,2011"));
}

TEST(RecordTest, ValueTenCarriesTheNumericOffsetOfTheLocalZone)
{
    for (const auto& [zone, offset] : {std::pair{"Asia/Kolkata", " +0530"}, {"UTC", " +0000"},
                                       {"America/St_Johns", " -0"}}) {
        const TimeZoneOverride override(zone);
        const QString text = OTVRecord::createRecord()->value(10);
        EXPECT_TRUE(kModificationDate.match(text).hasMatch()) << text.toStdString();
        EXPECT_NE(text.indexOf(QLatin1String(offset)), -1) << zone << ": " << text.toStdString();
    }
}

TEST(RecordTest, ModificationDateTextFormatsAnyOffset)
{
    const QDate date(2024, 5, 1);
    const QTime time(13, 45, 10);
    for (const auto& [offsetSeconds, expected] :
         {std::pair{7200, "2024-05-01 13:45:10 +0200"}, {19800, "2024-05-01 13:45:10 +0530"},
          {0, "2024-05-01 13:45:10 +0000"}, {-12600, "2024-05-01 13:45:10 -0330"},
          {-36000, "2024-05-01 13:45:10 -1000"}, {50400, "2024-05-01 13:45:10 +1400"}}) {
        const QDateTime moment(date, time, Qt::OffsetFromUTC, offsetSeconds);
        EXPECT_EQ(OTVRecord::modificationDateText(moment), QLatin1String(expected));
    }
}

TEST(RecordTest, EmptyValueTenKeepsTheOldValue)
{
    OTVRecord record;
    record.setValue(10, QStringLiteral("2024-05-01 13:45:10 +0200"));
    record.setValue(10, QString());
    record.setValue(10, QStringLiteral(""));
    EXPECT_EQ(record.value(10), QStringLiteral("2024-05-01 13:45:10 +0200"));
    record.setValue(10, QStringLiteral("x"));
    EXPECT_EQ(record.value(10), QStringLiteral("x"));
    // Only field 10 refuses the empty text.
    record.setValue(9, QStringLiteral("y"));
    record.setValue(9, QStringLiteral(""));
    EXPECT_TRUE(record.value(9).isEmpty());
}

TEST(RecordTest, ValueTenIsShownAsTheStoredDayWithItsEnglishMonthName)
{
    for (const auto& [stored, shown] :
         {std::pair{"2009-03-05 14:22:10 +0100", "March 05,2009"},
          // The stored offset keeps its day: neither the local zone nor UTC moves it.
          {"2009-03-05 23:30:00 -1000", "March 05,2009"},
          {"2024-12-31 00:10:00 +1400", "December 31,2024"},
          {"2024-01-01 00:00:00 +0000", "January 01,2024"},
          // Texts that are no stored time show nothing.
          {"2009-02-30 10:00:00 +0100", ""},
          {"2009-03-05", ""},
          {"March 05,2009", ""},
          {"x", ""}}) {
        EXPECT_EQ(OTVRecord::modificationDateDisplayText(QLatin1String(stored)), QLatin1String(shown)) << stored;
        OTVRecord record;
        record.setValue(10, QLatin1String(stored));
        EXPECT_EQ(record.mValue10ForDisaply(), QLatin1String(shown)) << stored;
    }
}

// A load hands the texts over as strings, or, where they are Latin-1, as they are: both make the
// same record, and neither blanks value 10.
TEST(RecordTest, ValuesAndNotesSetAtOnceAlikeFromStringsAndLatin1)
{
    struct Case {
        const char* what;
        std::array<const char*, kNoOfFields> values;
        const char* notes;
    };
    const Case cases[] = {
        {"every value", {"a", "b", "c", "d", "e", "f", "g", "h", "Gr\xfc\xdfe", "2009-03-05 14:22:10 +0100"}, "n"},
        {"empty values and no date", {"", "", "x", "", "", "", "", "", "", ""}, ""},
        {"a date that is no stored time", {"v", "", "", "", "", "", "", "", "", "March 05,2009"}, "notes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::array<QString, kNoOfFields> strings;
        std::array<QLatin1StringView, kNoOfFields> latin1;
        for (size_t i = 0; i < size_t(kNoOfFields); ++i) {
            latin1[i] = QLatin1StringView(c.values[i]);
            strings[i] = QString(latin1[i]);
        }
        OTVRecord fromStrings;
        OTVRecord fromLatin1;
        for (OTVRecord* record : {&fromStrings, &fromLatin1}) {
            record->setValue(4, QStringLiteral("old"));
            record->setValue(10, QStringLiteral("2024-05-01 13:45:10 +0200"));
        }
        fromStrings.setValuesAndNotes(strings, QLatin1StringView(c.notes));
        fromLatin1.setValuesAndNotes(latin1, QLatin1StringView(c.notes));
        for (int field = 1; field <= kNoOfFields; ++field) {
            EXPECT_EQ(fromLatin1.value(field), fromStrings.value(field)) << field;
            EXPECT_FALSE(fromLatin1.value(field).isNull()) << field;
        }
        EXPECT_EQ(fromLatin1.value(3), strings[2]);
        EXPECT_EQ(fromLatin1.value(10), *c.values[9] ? strings[9] : QStringLiteral("2024-05-01 13:45:10 +0200"));
        EXPECT_EQ(fromLatin1.mValue10ForDisaply(), fromStrings.mValue10ForDisaply());
        EXPECT_EQ(fromLatin1.mNotes(), QLatin1StringView(c.notes));
        EXPECT_TRUE(fromLatin1.isEqualToRecord(fromStrings));
    }
}

// A value that could not be read stays apart from an empty one (the views show no mask for it).
TEST(RecordTest, NullValuesStayNull)
{
    OTVRecord record;
    std::array<QString, kNoOfFields> values;
    values[0] = QStringLiteral("first");
    values[1] = QStringLiteral("");
    record.setValuesAndNotes(values, QString());
    EXPECT_FALSE(record.value(2).isNull());
    EXPECT_TRUE(record.value(3).isNull());
    EXPECT_TRUE(record.mNotes().isNull());
    record.setValue(1, QStringLiteral("changed"));
    EXPECT_TRUE(record.value(3).isNull()) << "another value changed";
    EXPECT_TRUE(OTVRecord::copyRecord(record)->value(3).isEmpty());
}

TEST(RecordTest, NewAndCopiedRecordsShowTheirDate)
{
    const auto record = OTVRecord::createRecord();
    EXPECT_EQ(record->mValue10ForDisaply(), OTVRecord::modificationDateDisplayText(record->value(10)));
    EXPECT_FALSE(record->mValue10ForDisaply().isEmpty());
    record->setValue(10, QStringLiteral("2009-03-05 14:22:10 +0100"));
    EXPECT_EQ(OTVRecord::copyRecord(*record)->mValue10ForDisaply(), QStringLiteral("March 05,2009"));
}

TEST(RecordTest, FieldNumbersOutsideOneToTenReachNothing)
{
    OTVRecord record;
    for (int field : {-1, 0, 11}) {
        record.setValue(field, QStringLiteral("x"));
        EXPECT_TRUE(record.value(field).isNull()) << field;
    }
    for (int field = 1; field <= kNoOfFields; ++field)
        EXPECT_TRUE(record.value(field).isEmpty());
}

TEST(RecordTest, GroupAndTypeAreTheMapsObjectsAndOutliveThem)
{
    auto group = BKGroup::newGroup();
    auto type = OTVType::createType();
    const std::weak_ptr<BKGroup> watchedGroup = group;
    auto record = OTVRecord::createRecord();
    record->setMGroup(group);
    record->setMType(type);
    EXPECT_EQ(record->mGroup().get(), group.get());
    EXPECT_EQ(record->mType().get(), type.get());

    group->setMGroupName(QStringLiteral("Renamed"));
    EXPECT_EQ(record->mGroup()->mGroupName(), QStringLiteral("Renamed"));

    // A reload replaces the map's objects; a record still held by a view keeps its own.
    group.reset();
    type.reset();
    EXPECT_FALSE(watchedGroup.expired());
    EXPECT_EQ(record->mGroup()->mGroupName(), QStringLiteral("Renamed"));
    record.reset();
    EXPECT_TRUE(watchedGroup.expired());
}

TEST(RecordTest, CopyRecordCopiesContentUnderANewIdentity)
{
    const auto source = filledRecord();
    const auto copy = OTVRecord::copyRecord(*source);
    EXPECT_NE(copy->mRecordUID(), source->mRecordUID());
    EXPECT_EQ(copy->mGroup(), source->mGroup());
    EXPECT_EQ(copy->mType(), source->mType());
    for (int field = 1; field <= kNoOfFields; ++field)
        EXPECT_EQ(copy->value(field), source->value(field)) << field;
    EXPECT_EQ(copy->mNotes(), source->mNotes());
    EXPECT_TRUE(copy->mHasAttachment());
    EXPECT_EQ(copy->mAttachmentName(), source->mAttachmentName());
    EXPECT_EQ(copy->mAttachmentPassKey(), source->mAttachmentPassKey());
    EXPECT_EQ(copy->mValue10ForDisaply(), source->mValue10ForDisaply());
    EXPECT_EQ(copy->mViewCounter(), 12);
    // The attachment is to be copied anew, not taken from the source's file.
    EXPECT_EQ(copy->mAttachmentState(), kAttachmentUnchanged);
    EXPECT_TRUE(copy->mAttachmentPath().isNull());
    EXPECT_FALSE(copy->mIsCustomized());
    EXPECT_EQ(copy->mRecordCustomType(), nullptr);
    EXPECT_TRUE(copy->isEqualToRecord(*source));
}

TEST(RecordTest, CopyOfARecordWithoutDateKeepsTheCopysOwnDate)
{
    OTVRecord source;
    const auto copy = OTVRecord::copyRecord(source);
    EXPECT_TRUE(kModificationDate.match(copy->value(10)).hasMatch());
}

TEST(RecordTest, CopyOfACustomisedRecordOwnsACustomTypeOfItsOwn)
{
    auto source = filledRecord();
    customise(*source);
    const auto copy = OTVRecord::copyRecord(*source);
    ASSERT_NE(copy->mRecordCustomType(), nullptr);
    EXPECT_TRUE(copy->mIsCustomized());
    EXPECT_NE(copy->mRecordCustomType(), source->mRecordCustomType());
    EXPECT_NE(copy->mRecordCustomType()->mTypeUID(), source->mRecordCustomType()->mTypeUID());
    EXPECT_FALSE(copy->mRecordCustomType()->isNotEqualToCustomType(*source->mRecordCustomType()));

    copy->mRecordCustomType()->setLabel(2, QStringLiteral("Changed"));
    EXPECT_EQ(source->mRecordCustomType()->label(2), QStringLiteral("Account"));
}

TEST(RecordTest, CopyDropsACustomTypeThatIsNotInUse)
{
    // Customised without a custom type (a row missing in the store): the copy is plain.
    auto flagOnly = filledRecord();
    flagOnly->setMIsCustomized(true);
    const auto copyOfFlagOnly = OTVRecord::copyRecord(*flagOnly);
    EXPECT_FALSE(copyOfFlagOnly->mIsCustomized());
    EXPECT_EQ(copyOfFlagOnly->mRecordCustomType(), nullptr);

    // A custom type left behind on a record that is no longer customised is not copied.
    auto typeOnly = filledRecord();
    customise(*typeOnly);
    typeOnly->setMIsCustomized(false);
    const auto copyOfTypeOnly = OTVRecord::copyRecord(*typeOnly);
    EXPECT_FALSE(copyOfTypeOnly->mIsCustomized());
    EXPECT_EQ(copyOfTypeOnly->mRecordCustomType(), nullptr);
}

struct RecordDifference {
    const char* what;
    std::function<void(OTVRecord&)> change;
    bool equal;
};

class RecordComparisonTest : public ::testing::TestWithParam<RecordDifference> {};

TEST_P(RecordComparisonTest, ComparesBothWaysAlike)
{
    auto original = filledRecord();
    customise(*original);
    OTVRecord changed = *original;
    GetParam().change(changed);
    EXPECT_EQ(original->isEqualToRecord(changed), GetParam().equal);
    EXPECT_EQ(changed.isEqualToRecord(*original), GetParam().equal);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordComparisonTest,
    ::testing::Values(
        RecordDifference{"nothing", [](OTVRecord&) {}, true},
        RecordDifference{"value 10", [](OTVRecord& r) { r.setValue(10, QStringLiteral("2001-01-01 00:00:00 +0000")); }, true},
        RecordDifference{"UID", [](OTVRecord& r) { r.setMRecordUID(OTVUID::giveMeNewUID()); }, true},
        RecordDifference{"display of value 10", [](OTVRecord& r) { r.setMValue10ForDisaply(QStringLiteral("x")); }, true},
        RecordDifference{"view counter", [](OTVRecord& r) { r.setMViewCounter(99); }, true},
        RecordDifference{"pass key", [](OTVRecord& r) { r.setMAttachmentPassKey(QStringLiteral("x")); }, true},
        RecordDifference{"attachment path and state", [](OTVRecord& r) { r.setMAttachmentPath(QStringLiteral("/x")); r.setMAttachmentState(3); }, true},
        RecordDifference{"another group object with the same UID", [](OTVRecord& r) {
            auto twin = BKGroup::newGroup();
            twin->setMGroupUID(r.mGroup()->mGroupUID());
            r.setMGroup(twin);
        }, true},
        RecordDifference{"custom type name", [](OTVRecord& r) { r.mRecordCustomType()->setMTypeName(QStringLiteral("x")); }, true},
        RecordDifference{"custom type UID", [](OTVRecord& r) { r.mRecordCustomType()->setMTypeUID(OTVUID::giveMeNewUID()); }, true},
        RecordDifference{"attachment name", [](OTVRecord& r) { r.setMAttachmentName(QStringLiteral("other.pdf")); }, false},
        RecordDifference{"attachment flag", [](OTVRecord& r) { r.setMHasAttachment(false); }, false},
        RecordDifference{"notes", [](OTVRecord& r) { r.setMNotes(QStringLiteral("other")); }, false},
        RecordDifference{"value 1", [](OTVRecord& r) { r.setValue(1, QStringLiteral("other")); }, false},
        RecordDifference{"value 9", [](OTVRecord& r) { r.setValue(9, QStringLiteral("other")); }, false},
        RecordDifference{"type", [](OTVRecord& r) { r.setMType(OTVType::createType()); }, false},
        RecordDifference{"no type", [](OTVRecord& r) { r.setMType(nullptr); }, false},
        RecordDifference{"group", [](OTVRecord& r) { r.setMGroup(BKGroup::newGroup()); }, false},
        RecordDifference{"no group", [](OTVRecord& r) { r.setMGroup(nullptr); }, false},
        RecordDifference{"customised flag", [](OTVRecord& r) { r.setMIsCustomized(false); }, false},
        RecordDifference{"custom label", [](OTVRecord& r) { r.mRecordCustomType()->setLabel(5, QStringLiteral("x")); }, false},
        RecordDifference{"custom icon", [](OTVRecord& r) { r.mRecordCustomType()->setMTypeIconID(1); }, false},
        RecordDifference{"custom mask", [](OTVRecord& r) { r.mRecordCustomType()->setMTypeMask(0); }, false},
        RecordDifference{"no custom type", [](OTVRecord& r) { r.setMRecordCustomType(std::nullopt); }, false}),
    [](const ::testing::TestParamInfo<RecordDifference>& info) {
        return QString::fromLatin1(info.param.what).replace(QLatin1Char(' '), QLatin1Char('_')).toStdString();
    });

TEST(RecordTest, AttachmentNamesCountOnlyWithAnAttachment)
{
    auto a = filledRecord();
    a->setMHasAttachment(false);
    OTVRecord b = *a;
    b.setMAttachmentName(QStringLiteral("other.pdf"));
    EXPECT_TRUE(a->isEqualToRecord(b));
}

TEST(RecordTest, MissingGroupsTypesAndCustomTypesAreEqualToEachOther)
{
    // Two records fresh from init: no group, no type.
    EXPECT_TRUE(OTVRecord().isEqualToRecord(OTVRecord()));

    // Both customised, neither with its custom type row.
    OTVRecord a;
    a.setMIsCustomized(true);
    OTVRecord b = a;
    EXPECT_TRUE(a.isEqualToRecord(b));
    EXPECT_TRUE(b.isEqualToRecord(a));
}
