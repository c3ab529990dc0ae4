#include "Platform/BKUserDefaults.h"
#include "Support/TemporarySettings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

TEST(UserDefaults, ValuesSurviveInTheSettingsFile)
{
    TemporarySettings temporary;
    BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
    ASSERT_EQ(defaults.settingsFilePath(), temporary.path());

    defaults.setObject(QStringLiteral("db.example.org"), kServerHostName);
    defaults.setObject(3306, kPortNumber);
    defaults.setObject(true, kMaskingStatus);
    ASSERT_TRUE(defaults.synchronize());

    QSettings file(temporary.path(), QSettings::IniFormat);
    EXPECT_EQ(file.value(kServerHostName).toString(), QStringLiteral("db.example.org"));
    EXPECT_EQ(file.value(kPortNumber).toInt(), 3306);
    EXPECT_EQ(defaults.integerForKey(kPortNumber), 3306);
    EXPECT_TRUE(defaults.boolForKey(kMaskingStatus));
}

TEST(UserDefaults, KeysWithSpacesAndRemovalRoundTrip)
{
    TemporarySettings temporary;
    BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
    defaults.setObject(QStringLiteral("0,0,200,300"), kMainSplitViewAutosaveKey);
    defaults.setObject(QStringLiteral("secret"), kMasterPasswordDefaultsKey);
    defaults.removeObjectForKey(kMasterPasswordDefaultsKey);
    ASSERT_TRUE(defaults.synchronize());

    defaults.useSettingsFile(temporary.path());   // read back from the file itself
    EXPECT_EQ(defaults.stringForKey(kMainSplitViewAutosaveKey), QStringLiteral("0,0,200,300"));
    EXPECT_FALSE(defaults.hasKey(kMasterPasswordDefaultsKey));
    EXPECT_FALSE(QFile(temporary.path()).readAll().contains("secret"));
}

TEST(UserDefaults, MissingKeysReadAsEmpty)
{
    TemporarySettings temporary;
    BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
    EXPECT_FALSE(defaults.hasKey(kUsername));
    EXPECT_TRUE(defaults.stringForKey(kUsername).isEmpty());
    EXPECT_EQ(defaults.integerForKey(kPortNumber), 0);
    EXPECT_FALSE(defaults.boolForKey(kLaunchOnStartup));
}
