#include "Model/OTVType.h"
#include "Model/OTVUID.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

void expectDefaultLabels(const OTVType& type)
{
    for (int field = 1; field <= kNoOfFields; ++field)
        EXPECT_EQ(type.label(field), QStringLiteral("Field %1").arg(field));
}

OTVType sampleType()
{
    OTVType type = *OTVType::createType();
    type.setMTypeName(QStringLiteral("Web Login"));
    type.setMTypeIconID(7);
    type.setMTypeMask(4);
    type.setLabel(3, QStringLiteral("Password"));
    return type;
}

} // namespace

TEST(TypeTest, InitLeavesEverythingButTheLabelsAbsent)
{
    const OTVType type;
    EXPECT_TRUE(type.mTypeUID().isNull());
    EXPECT_TRUE(type.mTypeName().isNull());
    EXPECT_TRUE(type.mSelectedGroupUID().isNull());
    EXPECT_FALSE(type.mTypeIconID().has_value());
    EXPECT_FALSE(type.mTypeMask().has_value());
    expectDefaultLabels(type);
}

TEST(TypeTest, CreateTypeGivesANewUIDAndTheDefaultLook)
{
    const auto type = OTVType::createType();
    EXPECT_EQ(type->mTypeUID().size(), 16);
    EXPECT_FALSE(OTVUID::isWellKnownUID(type->mTypeUID()));
    EXPECT_NE(type->mTypeUID(), OTVType::createType()->mTypeUID());
    EXPECT_TRUE(type->mTypeName().isEmpty());
    EXPECT_EQ(type->mTypeIconID(), std::optional<int>(31));
    EXPECT_EQ(type->mTypeMask(), std::optional<int>(0));
    expectDefaultLabels(*type);
}

TEST(TypeTest, UnfiledTypeIsOneFixedObject)
{
    const auto unfiled = OTVType::UnfiledType();
    EXPECT_EQ(unfiled->mTypeUID(), QStringLiteral("0000000000000000"));
    EXPECT_EQ(unfiled->mTypeName(), QStringLiteral("Unfiled"));
    EXPECT_EQ(unfiled->mTypeIconID(), std::optional<int>(31));
    EXPECT_EQ(unfiled->mTypeMask(), std::optional<int>(0));
    expectDefaultLabels(*unfiled);
    EXPECT_EQ(OTVType::UnfiledType().get(), unfiled.get());
}

TEST(TypeTest, CopyKeepsTheUIDAndEveryFieldButIsIndependent)
{
    const auto unfiledCopy = OTVType::createCopyforType(*OTVType::UnfiledType());
    EXPECT_EQ(unfiledCopy->mTypeUID(), QStringLiteral("0000000000000000"));
    EXPECT_NE(unfiledCopy.get(), OTVType::UnfiledType().get());

    const OTVType source = sampleType();
    const auto copy = OTVType::createCopyforType(source);
    EXPECT_EQ(copy->mTypeUID(), source.mTypeUID());
    EXPECT_TRUE(copy->isEqualToType(source));
    copy->setLabel(3, QStringLiteral("PIN"));
    EXPECT_EQ(source.label(3), QStringLiteral("Password"));
}

TEST(TypeTest, LabelNumbersOutsideOneToTenReachNothing)
{
    OTVType type = sampleType();
    const OTVType before = type;
    for (int field : {-1, 0, 11}) {
        type.setLabel(field, QStringLiteral("x"));
        EXPECT_TRUE(type.label(field).isNull()) << field;
    }
    EXPECT_FALSE(type.isNotEqualToCustomType(before));
}

struct TypeDifference {
    const char* what;
    std::function<void(OTVType&)> change;
    bool equalType;       // isEqualToType
    bool differentCustom; // isNotEqualToCustomType
};

class TypeComparisonTest : public ::testing::TestWithParam<TypeDifference> {};

TEST_P(TypeComparisonTest, ComparesBothWaysAlike)
{
    const OTVType original = sampleType();
    OTVType changed = *OTVType::createCopyforType(original);
    GetParam().change(changed);
    EXPECT_EQ(original.isEqualToType(changed), GetParam().equalType);
    EXPECT_EQ(changed.isEqualToType(original), GetParam().equalType);
    EXPECT_EQ(original.isNotEqualToCustomType(changed), GetParam().differentCustom);
    EXPECT_EQ(changed.isNotEqualToCustomType(original), GetParam().differentCustom);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TypeComparisonTest,
    ::testing::Values(
        TypeDifference{"nothing", [](OTVType&) {}, true, false},
        TypeDifference{"UID", [](OTVType& t) { t.setMTypeUID(OTVUID::giveMeNewUID()); }, true, false},
        TypeDifference{"selected group", [](OTVType& t) { t.setMSelectedGroupUID(QStringLiteral("1")); }, true, false},
        TypeDifference{"name", [](OTVType& t) { t.setMTypeName(QStringLiteral("Other")); }, false, false},
        TypeDifference{"label 1", [](OTVType& t) { t.setLabel(1, QStringLiteral("Title")); }, false, true},
        TypeDifference{"label 10", [](OTVType& t) { t.setLabel(10, QStringLiteral("Changed")); }, false, true},
        TypeDifference{"label case", [](OTVType& t) { t.setLabel(3, QStringLiteral("password")); }, false, true},
        TypeDifference{"icon", [](OTVType& t) { t.setMTypeIconID(8); }, false, true},
        TypeDifference{"mask", [](OTVType& t) { t.setMTypeMask(6); }, false, true},
        TypeDifference{"icon absent", [](OTVType& t) { t.setMTypeIconID(std::nullopt); }, false, true},
        TypeDifference{"mask absent", [](OTVType& t) { t.setMTypeMask(std::nullopt); }, false, true}),
    [](const ::testing::TestParamInfo<TypeDifference>& info) {
        return QString::fromLatin1(info.param.what).replace(QLatin1Char(' '), QLatin1Char('_')).toStdString();
    });

TEST(TypeTest, AbsentIconsAndMasksAreEqualToEachOther)
{
    // Two fresh types: both without icon, mask and name compare equal, whichever asks.
    EXPECT_TRUE(OTVType().isEqualToType(OTVType()));
    EXPECT_FALSE(OTVType().isNotEqualToCustomType(OTVType()));
    // A null name and an empty one are the same text.
    OTVType named;
    named.setMTypeName(QStringLiteral(""));
    EXPECT_TRUE(named.isEqualToType(OTVType()));
}

namespace {

QVariantMap field(const QString& label, bool masked)
{
    return {{QStringLiteral("Field_Name"), label}, {QStringLiteral("Mask"), masked}};
}

QVariantMap typeEntry()
{
    return {{QStringLiteral("UID"), QStringLiteral("0000000000000042")},
            {QStringLiteral("Name"), QStringLiteral("Bank")},
            {QStringLiteral("IconID"), qlonglong(12)}};
}

} // namespace

TEST(TypeTest, DictionaryMasksAreTheOrOfTheMaskedFields)
{
    QVariantMap entry = typeEntry();
    entry.insert(QStringLiteral("Field 1"), field(QStringLiteral("PIN"), true));
    entry.insert(QStringLiteral("Field 2"), field(QStringLiteral("Bank"), false));
    entry.insert(QStringLiteral("Field 3"), field(QStringLiteral("TAN"), true));
    const auto type = OTVType::createTypeFromDictionary(entry);
    ASSERT_TRUE(type);
    EXPECT_EQ(type->mTypeMask(), std::optional<int>(5));
    EXPECT_EQ(type->mTypeUID(), QStringLiteral("0000000000000042"));
    EXPECT_EQ(type->mTypeName(), QStringLiteral("Bank"));
    EXPECT_EQ(type->mTypeIconID(), std::optional<int>(12));
    EXPECT_EQ(type->label(1), QStringLiteral("PIN"));
    EXPECT_EQ(type->label(3), QStringLiteral("TAN"));
    // Fields the entry leaves out keep their default labels.
    EXPECT_EQ(type->label(4), QStringLiteral("Field 4"));

    for (int i = 1; i <= kNoOfFields; ++i)
        entry.insert(QStringLiteral("Field %1").arg(i), field(QStringLiteral("F%1").arg(i), true));
    EXPECT_EQ(OTVType::createTypeFromDictionary(entry)->mTypeMask(), std::optional<int>(1023));
}

TEST(TypeTest, DictionaryWithoutIconGetsTheDefaultIconAndUIDIsUpperCased)
{
    QVariantMap entry = typeEntry();
    entry.remove(QStringLiteral("IconID"));
    entry.insert(QStringLiteral("UID"), QStringLiteral("00000000000000ab"));
    const auto type = OTVType::createTypeFromDictionary(entry);
    ASSERT_TRUE(type);
    EXPECT_EQ(type->mTypeIconID(), std::optional<int>(31));
    EXPECT_EQ(type->mTypeMask(), std::optional<int>(0));
    EXPECT_EQ(type->mTypeUID(), QStringLiteral("00000000000000AB"));
}

struct UnusableEntry {
    const char* what;
    std::function<void(QVariantMap&)> spoil;
};

class TypeDictionaryRefusedTest : public ::testing::TestWithParam<UnusableEntry> {};

TEST_P(TypeDictionaryRefusedTest, GivesNoType)
{
    QVariantMap entry = typeEntry();
    GetParam().spoil(entry);
    EXPECT_FALSE(OTVType::createTypeFromDictionary(entry));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TypeDictionaryRefusedTest,
    ::testing::Values(
        UnusableEntry{"no UID", [](QVariantMap& e) { e.remove("UID"); }},
        UnusableEntry{"short UID", [](QVariantMap& e) { e["UID"] = QStringLiteral("000000000000004"); }},
        UnusableEntry{"UID not hex", [](QVariantMap& e) { e["UID"] = QStringLiteral("000000000000004G"); }},
        UnusableEntry{"UID a number", [](QVariantMap& e) { e["UID"] = qlonglong(42); }},
        UnusableEntry{"no name", [](QVariantMap& e) { e.remove("Name"); }},
        UnusableEntry{"empty name", [](QVariantMap& e) { e["Name"] = QStringLiteral(""); }},
        UnusableEntry{"icon as text", [](QVariantMap& e) { e["IconID"] = QStringLiteral("12"); }},
        UnusableEntry{"icon beyond int", [](QVariantMap& e) { e["IconID"] = qlonglong(1) << 40; }},
        UnusableEntry{"icon a real", [](QVariantMap& e) { e["IconID"] = 12.5; }},
        UnusableEntry{"field not a dict", [](QVariantMap& e) { e["Field 2"] = QStringLiteral("Label"); }},
        UnusableEntry{"label a number", [](QVariantMap& e) { e["Field 2"] = QVariantMap{{"Field_Name", qlonglong(1)}}; }},
        UnusableEntry{"mask as text", [](QVariantMap& e) { e["Field 2"] = QVariantMap{{"Mask", QStringLiteral("YES")}}; }}),
    [](const ::testing::TestParamInfo<UnusableEntry>& info) {
        return QString::fromLatin1(info.param.what).replace(QLatin1Char(' '), QLatin1Char('_')).toStdString();
    });
