#include "Model/OTVPermissionWords.h"
#include "Model/OTVUID.h"
#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

// The row colour as the preference table stores it, 0x00BBGGRR.
quint32 packedColor(const QColor& color)
{
    return quint32(color.blue()) << 16 | quint32(color.green()) << 8 | quint32(color.red());
}

} // namespace

struct PermissionCase {
    qint64 mask;
    qint64 word;
    bool permitted;
};

class PermissionTest : public ::testing::TestWithParam<PermissionCase> {};

TEST_P(PermissionTest, AnyBitOfTheMaskInTheWordsLowSixteenBits)
{
    const auto [mask, word, permitted] = GetParam();
    EXPECT_EQ(isPermitted(mask, word), permitted);

    OTVUser user;
    user.setMGroupPermissionsBit(static_cast<quint16>(word));
    user.setMTypePermissionsBit(static_cast<quint16>(word));
    user.setMRecordPermissionsBit(static_cast<quint16>(word));
    EXPECT_EQ(user.checkGroupPermission(static_cast<int>(mask)), permitted);
    EXPECT_EQ(user.checkTypePermission(static_cast<int>(mask)), permitted);
    EXPECT_EQ(user.checkRecordPermission(static_cast<int>(mask)), permitted);
}

INSTANTIATE_TEST_SUITE_P(Cases, PermissionTest,
                         ::testing::Values(PermissionCase{kPermissionEdit, 7, true}, PermissionCase{kPermissionEdit, 2, true},
                                           PermissionCase{kPermissionEdit, 5, false},
                                           PermissionCase{kPermissionEdit | kPermissionDelete, 4, true},
                                           PermissionCase{0, 7, false}, PermissionCase{kPermissionAdd, 0, false},
                                           PermissionCase{1, 0x10001, true}, PermissionCase{1, 0x10000, false},
                                           PermissionCase{0x10000, 0x10000, false}));

TEST(UserTest, EachCheckReadsItsOwnWord)
{
    OTVUser user;
    user.setMGroupPermissionsBit(kPermissionAdd);
    user.setMTypePermissionsBit(kPermissionEdit);
    user.setMRecordPermissionsBit(kPermissionDelete);
    EXPECT_TRUE(user.checkGroupPermission(kPermissionAdd));
    EXPECT_FALSE(user.checkGroupPermission(kPermissionEdit | kPermissionDelete));
    EXPECT_TRUE(user.checkTypePermission(kPermissionEdit));
    EXPECT_FALSE(user.checkTypePermission(kPermissionAdd | kPermissionDelete));
    EXPECT_TRUE(user.checkRecordPermission(kPermissionDelete));
    EXPECT_FALSE(user.checkRecordPermission(kPermissionAdd | kPermissionEdit));
}

struct FrameCase {
    qreal screenWidth, screenHeight;
    QRectF frame;
};

class DefaultFrameTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(DefaultFrameTest, SeventyPercentCentredAtLeast1030Wide)
{
    EXPECT_EQ(OTVUser::defaultFrame(GetParam().screenWidth, GetParam().screenHeight), GetParam().frame);
}

INSTANTIATE_TEST_SUITE_P(Cases, DefaultFrameTest,
                         ::testing::Values(FrameCase{1280, 800, QRectF(125, 120, 1030, 560)},
                                           FrameCase{1920, 1200, QRectF(288, 180, 1344, 840)},
                                           // Narrower than the minimum: the frame starts left of the screen.
                                           FrameCase{1024, 768, QRectF(-3, 115.2, 1030, 537.6)}));

TEST(UserTest, CreateUserSnapshotOfTheBehaviouralDefaults)
{
    const auto user = OTVUser::createUser();
    EXPECT_EQ(user->mUserID().size(), 16);
    EXPECT_NE(user->mUserID(), OTVUser::createUser()->mUserID());
    EXPECT_TRUE(user->mUsername().isNull());
    EXPECT_TRUE(user->mPassword().isNull());
    EXPECT_EQ(user->mPlatformName(), QStringLiteral("Mac-Standalone"));
    EXPECT_EQ(user->mGroupPermissionsBit(), 7);
    EXPECT_EQ(user->mTypePermissionsBit(), 7);
    EXPECT_EQ(user->mDataPermissionsBit(), 7);
    EXPECT_EQ(user->mRecordPermissionsBit(), 7);
    EXPECT_TRUE(user->mIsNotAllowedToChangePassword());
    EXPECT_TRUE(user->mIsAccountDisabled());

    EXPECT_FALSE(user->mAutoLOck());
    EXPECT_FALSE(user->mAutoSubmit());
    EXPECT_TRUE(user->mCaseInsensitiveSearch());
    EXPECT_TRUE(user->mWholeWordSearch());
    EXPECT_TRUE(user->mSearchColoum());
    EXPECT_TRUE(user->mShowDetailOnPane());
    EXPECT_TRUE(user->mAutoLogin());
    EXPECT_TRUE(user->mClearClipboardState());
    EXPECT_TRUE(user->mClipBoardOnExit());
    EXPECT_TRUE(user->mMinimizeToTray());

    EXPECT_EQ(user->mLockTime(), 10);
    EXPECT_EQ(user->mMAxLockTime(), 60);
    EXPECT_EQ(user->mClearClipBoardTimer(), 0);
    EXPECT_EQ(user->mDetailPanelWidth(), 300);
    EXPECT_EQ(user->mHintQuestionNumber(), 0);
    EXPECT_EQ(user->mLoginAttemptCount(), 0);
    EXPECT_EQ(user->mLastView(), 0);
    EXPECT_EQ(user->mExportImportTip(), 0u);
    EXPECT_EQ(user->mBackupRestoreTip(), 0u);

    EXPECT_EQ(user->mColoumInfo(), 0x2407u);
    EXPECT_FALSE(user->mColoumWidthArray().has_value());
    EXPECT_EQ(user->mPwdGenFlag(), 33);
    EXPECT_EQ(packedColor(user->mRowColor()), 0x885434u);
    EXPECT_EQ(user->mRowColor().alpha(), 255);
    EXPECT_EQ(user->mTextFont().family(), QStringLiteral("LucidaGrande"));
    EXPECT_EQ(user->mTextFont().pointSizeF(), 13.0);
    EXPECT_FALSE(user->mSortingInfo().has_value());
    EXPECT_TRUE(user->mMainViewRectInfo().isEmpty());
    EXPECT_EQ(user->mCurrentType(), QStringLiteral("000000000000FFFF"));
    EXPECT_EQ(user->mCurrentGroup(), QStringLiteral("000000000000FFFF"));
    EXPECT_TRUE(user->mHintAnswer().isNull());
    EXPECT_TRUE(user->mHintEntered().isNull());
    EXPECT_TRUE(user->mUsersGroupArray().isEmpty());
}

TEST(UserTest, CreateUserPlacesTheWindowOnThePrimaryScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(OTVUser::createUser()->mWindowPosition(), OTVUser::defaultFrame(screen.width(), screen.height()));
}

TEST(UserTest, AdministeredAccountStartsWithoutRights)
{
    const auto account = OTVUser_Admin::createUser();
    EXPECT_EQ(account->mUserID().size(), 16);
    EXPECT_FALSE(OTVUID::isWellKnownUID(account->mUserID()));
    for (const QString& text : {account->mUsername(), account->mPassword(), account->mDescription(),
                                account->mFullName(), account->mEmail(), account->mPhoneNo()}) {
        EXPECT_FALSE(text.isNull());
        EXPECT_TRUE(text.isEmpty());
    }
    EXPECT_EQ(account->mPlatformName(), QStringLiteral("Mac-Standalone"));
    EXPECT_TRUE(account->mUsersGroupArray().isEmpty());
    EXPECT_EQ(account->mGroupPermissionsBit(), 0);
    EXPECT_EQ(account->mTypePermissionsBit(), 0);
    EXPECT_EQ(account->mDataPermissionsBit(), 0);
    EXPECT_EQ(account->mRecordPermissionsBit(), 0);
    EXPECT_FALSE(account->mIsNotAllowedToChangePassword());
    EXPECT_FALSE(account->mIsAccountDisabled());
    EXPECT_FALSE(account->isAdministrator());
}
