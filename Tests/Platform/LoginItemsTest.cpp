#include "Platform/BKLoginItems.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

class LoginItems : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config_.isValid());
        hadConfigHome_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        saved_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
    }
    void TearDown() override
    {
        if (hadConfigHome_)
            qputenv("XDG_CONFIG_HOME", saved_);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }

    static QString entry()
    {
        QFile file(BKAutostartEntryPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir config_;
    QByteArray saved_;
    bool hadConfigHome_ = false;
};

} // namespace

TEST_F(LoginItems, OnWritesTheEntryAndOffRemovesIt)
{
    EXPECT_EQ(BKAutostartEntryPath(), config_.path() + "/autostart/ostrevin.desktop");
    EXPECT_FALSE(BKIsLaunchAtLoginEnabled());
    EXPECT_TRUE(BKSetLaunchAtLogin(false, "/usr/bin/ostrevin"));   // nothing to remove

    ASSERT_TRUE(BKSetLaunchAtLogin(true, "/usr/bin/ostrevin"));   // the folder is made
    EXPECT_TRUE(BKIsLaunchAtLoginEnabled());
    const QString text = entry();
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\nType=Application\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nExec=\"/usr/bin/ostrevin\"\n")) << text.toStdString();

    ASSERT_TRUE(BKSetLaunchAtLogin(true, "/opt/ostrevin/bin/ostrevin"));   // replaced, not added to
    EXPECT_EQ(entry().count("Exec="), 1);
    EXPECT_TRUE(entry().contains("Exec=\"/opt/ostrevin/bin/ostrevin\"\n"));

    ASSERT_TRUE(BKSetLaunchAtLogin(false, "/opt/ostrevin/bin/ostrevin"));
    EXPECT_FALSE(BKIsLaunchAtLoginEnabled());
}

TEST_F(LoginItems, APathThatWouldBreakTheEntryIsRefused)
{
    ASSERT_TRUE(BKSetLaunchAtLogin(true, "/usr/bin/ostrevin"));
    for (const QString& path : {QString(), QStringLiteral("/tmp/x\nExec=/bin/evil"), QStringLiteral("/tmp/x\r")}) {
        EXPECT_FALSE(BKSetLaunchAtLogin(true, path));
        EXPECT_TRUE(entry().contains("Exec=\"/usr/bin/ostrevin\"\n"));   // the old entry stays
    }
}

TEST(LoginItemsExec, SpecialCharactersAreQuoted)
{
    const struct {
        const char* path;
        const char* exec;
    } cases[] = {
        {"/usr/bin/ostrevin", R"("/usr/bin/ostrevin")"},
        {"/home/ann/my apps/ostrevin", R"("/home/ann/my apps/ostrevin")"},
        {"/home/ann/100%/ostrevin", R"("/home/ann/100%%/ostrevin")"},
        {R"(/home/a"b/o)", R"("/home/a\\"b/o")"},
        {"/home/$HOME/o", R"("/home/\\$HOME/o")"},
        {"/home/a`b`/o", R"("/home/a\\`b\\`/o")"},
        {R"(/home/a\b/o)", R"("/home/a\\\\b/o")"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BKAutostartExecValue(QString::fromUtf8(c.path)), QString::fromUtf8(c.exec)) << c.path;
}
