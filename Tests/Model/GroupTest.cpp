#include "Model/BKGroup.h"
#include "Model/OTVUID.h"

#include <gtest/gtest.h>

TEST(GroupTest, NewGroupHasANewUIDAnEmptyNameAndNoLists)
{
    const auto group = BKGroup::newGroup();
    const auto other = BKGroup::newGroup();
    EXPECT_EQ(group->mGroupUID().size(), 16);
    EXPECT_FALSE(OTVUID::isWellKnownUID(group->mGroupUID()));
    EXPECT_NE(group->mGroupUID(), other->mGroupUID());
    EXPECT_TRUE(group->mGroupName().isEmpty());
    EXPECT_EQ(group->mRecordLevelPermissions(), 0);
    EXPECT_EQ(group->mTypeLevelPermissions(), 0);
    EXPECT_FALSE(group->mPreferencePermissions());
    // "No list" is not "an empty list": the loader and the editor tell them apart.
    EXPECT_FALSE(group->mUserMembersArray().has_value());
    EXPECT_FALSE(group->mSubGroupsUID().has_value());
}

TEST(GroupTest, MemberAndSubGroupListsKeepEmptyApartFromNone)
{
    auto group = BKGroup::newGroup();
    group->setMUserMembersArray(QStringList());
    group->setMSubGroupsUID(QStringList{QStringLiteral("00000000000000AA")});
    ASSERT_TRUE(group->mUserMembersArray().has_value());
    EXPECT_TRUE(group->mUserMembersArray()->isEmpty());
    EXPECT_EQ(*group->mSubGroupsUID(), QStringList{QStringLiteral("00000000000000AA")});

    group->setMSubGroupsUID(std::nullopt);
    EXPECT_FALSE(group->mSubGroupsUID().has_value());
}

TEST(GroupTest, UnfiledGroupIsOneFixedObject)
{
    const auto unfiled = BKGroup::UnfiledGroup();
    EXPECT_EQ(unfiled->mGroupUID(), QStringLiteral("0000000000000000"));
    EXPECT_EQ(unfiled->mGroupName(), QStringLiteral("Unfiled"));
    EXPECT_EQ(unfiled->mRecordLevelPermissions(), 0);
    EXPECT_FALSE(unfiled->mUserMembersArray().has_value());
    EXPECT_EQ(BKGroup::UnfiledGroup().get(), unfiled.get());
}
