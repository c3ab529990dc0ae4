#include "Model/BKGroup.h"
#include "Model/OTVPermissionWords.h"
#include "Model/OTVUser.h"
#include "Model/OTVUserRights.h"

#include <gtest/gtest.h>

// Which record word decides: the group's only while its permission prevails.
struct RecordWordCase {
    const char* name;
    quint16 userWord;
    quint16 groupWord;
    bool prevails;
    quint16 bit;
    bool allowed;
};

class RecordWordTest : public ::testing::TestWithParam<RecordWordCase> {};

TEST_P(RecordWordTest, TheGroupsWordStandsInForTheUsersOnlyWhileItPrevails)
{
    const RecordWordCase c = GetParam();
    OTVUser user;
    user.setMRecordPermissionsBit(c.userWord);
    BKGroup group;
    group.setMRecordLevelPermissions(c.groupWord);
    group.setMPreferencePermissions(c.prevails);
    EXPECT_EQ(OTVUserRights(&user, false).mayChangeRecords(c.bit, &group), c.allowed);
    // An administrator keeps every right whatever the words.
    EXPECT_TRUE(OTVUserRights(&user, true).mayChangeRecords(c.bit, &group));
}

INSTANTIATE_TEST_SUITE_P(
    Words, RecordWordTest,
    ::testing::Values(
        RecordWordCase{"groupWithoutDeleteKeepsItsRecords", 7, 3, true, kPermissionDelete, false},
        RecordWordCase{"groupWithDeleteOverUserWithout", 3, 4, true, kPermissionDelete, true},
        RecordWordCase{"groupWordIgnoredUnlessItPrevails", 3, 7, false, kPermissionDelete, false},
        RecordWordCase{"userWordDecidesUnlessGroupPrevails", 7, 0, false, kPermissionDelete, true},
        RecordWordCase{"editAloneAllowsNoAdd", 2, 0, false, kPermissionAdd, false},
        RecordWordCase{"prevailingEditAloneAllowsEdit", 0, 2, true, kPermissionEdit, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UserRightsTest, WithoutAGroupTheUsersOwnWordsDecide)
{
    OTVUser user;
    user.setMRecordPermissionsBit(kPermissionAdd);
    user.setMGroupPermissionsBit(kPermissionEdit);
    user.setMTypePermissionsBit(0);
    user.setMDataPermissionsBit(kDataPermissionCopy | kDataPermissionImport | kDataPermissionRestore);
    const OTVUserRights rights(&user, false);
    EXPECT_TRUE(rights.mayChangeRecords(kPermissionAdd, nullptr));
    EXPECT_FALSE(rights.mayChangeRecords(kPermissionEdit, nullptr));
    EXPECT_TRUE(rights.mayChangeGroups(kPermissionEdit));
    EXPECT_FALSE(rights.mayChangeGroups(kPermissionAdd));
    EXPECT_FALSE(rights.mayChangeTypes(kPermissionAdd));
    const bool expected[] = {true, false, false, true, false, true};
    const quint16 bits[] = {kDataPermissionCopy,  kDataPermissionPrint,  kDataPermissionExport,
                            kDataPermissionImport, kDataPermissionBackup, kDataPermissionRestore};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(rights.mayUseData(bits[i]), expected[i]) << "data bit " << bits[i];
}

TEST(UserRightsTest, WithoutAUserNothingIsAllowedButAnAdministratorMayDoAll)
{
    const OTVUserRights none(nullptr, false);
    EXPECT_FALSE(none.mayChangeRecords(kPermissionAdd, nullptr));
    EXPECT_FALSE(none.mayUseData(kDataPermissionCopy));
    const OTVUserRights administrator(nullptr, true);
    EXPECT_TRUE(administrator.mayChangeTypes(kPermissionDelete));
    EXPECT_TRUE(administrator.mayUseData(kDataPermissionRestore));
}
