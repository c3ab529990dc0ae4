#include "Platform/BKApplicationServices.h"
#include "Platform/BKMainThread.h"
#include "Platform/BKWorker.h"
#include "Support/RecordingApplicationServices.h"

#include <gtest/gtest.h>

TEST(AlertPanel, DefaultTitleAndButtonAndScriptedAnswers)
{
    RecordingAlertPresenter presenter;
    presenter.answers = {kBKAlertAlternateReturn};
    EXPECT_EQ(BKRunAlertPanel({}, QStringLiteral("Data can't be reloaded."), {}, QStringLiteral("Cancel")),
              kBKAlertAlternateReturn);
    EXPECT_EQ(BKRunAlertPanel(QStringLiteral("Reload Failed!"), QStringLiteral("again")), kBKAlertDefaultReturn);
    ASSERT_EQ(presenter.alerts.size(), 2);
    EXPECT_EQ(presenter.alerts[0].title, QStringLiteral("Ostrevin Darovazivu Alert!"));
    EXPECT_EQ(presenter.alerts[0].defaultButton, QStringLiteral("OK"));
    EXPECT_EQ(presenter.alerts[0].alternateButton, QStringLiteral("Cancel"));
    EXPECT_EQ(presenter.alerts[1].title, QStringLiteral("Reload Failed!"));
}

TEST(AlertPanel, AnAlertFromAWorkerIsShownOnTheMainThread)
{
    struct MainThreadChecking : BKAlertPresenter {
        bool onMain = false;
        int runAlert(const BKAlert&) override
        {
            onMain = BKIsMainThread();
            return kBKAlertOtherReturn;
        }
    } presenter;
    BKAlertPresenter::install(&presenter);
    int pressed = 0;
    BKRunWorkerAndWait([&] { pressed = BKRunAlertPanel({}, QStringLiteral("from a worker")); });
    BKAlertPresenter::install(nullptr);
    EXPECT_TRUE(presenter.onMain);
    EXPECT_EQ(pressed, kBKAlertOtherReturn);
}

TEST(ApplicationServices, SilentDefaultUntilInstalledThenRecorded)
{
    EXPECT_FALSE(BKApplicationServices::current().isMainWindowMaximied());
    {
        RecordingApplicationServices fake;
        fake.mainWindowMaximised = true;
        fake.currentUserName = QStringLiteral("alice");
        BKApplicationServices::current().reloadFailed(9);
        EXPECT_TRUE(BKApplicationServices::current().isMainWindowMaximied());
        EXPECT_EQ(BKApplicationServices::current().mCurrentUserName(), QStringLiteral("alice"));
        EXPECT_EQ(fake.calls(), QStringList({QStringLiteral("reloadFailed(9)"), QStringLiteral("isMainWindowMaximied"),
                                             QStringLiteral("mCurrentUserName")}));
    }
    EXPECT_TRUE(BKApplicationServices::current().mCurrentUserName().isNull());
}
