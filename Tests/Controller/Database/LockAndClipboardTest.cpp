// The lock sheet, the automatic lock and the clipboard clearing against the fixture's MariaDB:
// the unlock asks the server, failed attempts are stored and survive a restart, an account
// that administers the server is never deleted by failed unlocks, the idle lock waits for the
// user's minutes (shortened here) and for a running worker, and the clipboard is cleared only
// while it holds the application's own copy.
#include "../ControllerTestSupport.h"
#include "VaultSessionTest.h"
#include "ViewsTestVault.h"

#include "Controller/BKController.h"
#include "Controller/BKIdleWatcher.h"
#include "Controller/BKLockPanel.h"
#include "Controller/BKMainWindowViews.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVUser.h"
#include "Platform/BKNotificationCenter.h"
#include "Support/TemporarySettings.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QtTest>

#include <thread>

namespace {

constexpr int kMinuteMs = 40;

void typeAndClickOK(BKLockPanel* panel, const QString& password)
{
    panel->passwordField()->setText(password);
    panel->okButton()->click();
}

} // namespace

class LockAndClipboardTest : public VaultSessionTest {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(TestServer::fromEnvironment(&server_)); }

    void init()
    {
        QVERIFY(startVaultSession());
        newController();
        controller_->setTimerMinuteLength(kMinuteMs);
        controller_->setApplicationActiveCheck([this] { return active_; });
        active_ = true;
        QGuiApplication::clipboard()->clear();
    }

    void cleanup()
    {
        BKNotificationCenter::defaultCenter().removeObserversOf(this);
        endVaultSession();
    }

    void theRightPasswordUnlocksAndResetsTheCount()
    {
        user()->setMLoginAttemptCount(2);
        controller_->updateApplicationViews();
        BKLockPanel* panel = controller_->lockPanel();
        bool viewsEmptyWhileLocked = false;
        whenVisible(panel, [&] {
            // The toolbar shows the group's name and the search text: it hides too.
            viewsEmptyWhileLocked = controller_->mainWindowViews()->shouldLockInfoDisplay()
                                    && controller_->mainToolBar()->isHidden();
            QVERIFY(panel->attemptsLine()->isHidden());
            typeAndClickOK(panel, QStringLiteral("not it"));
            QVERIFY(panel->isVisible());
            typeAndClickOK(panel, server_.admin.password);
        });
        controller_->displayLockPanel();

        QVERIFY(viewsEmptyWhileLocked);
        QVERIFY(!controller_->mainToolBar()->isHidden());
        QVERIFY(!panel->isVisible());
        QVERIFY(!controller_->isConnectionCancelled());
        QCOMPARE(alerts_->messages(), QStringList{"That is not a correct password."});
        QCOMPARE(storedAttemptsAfterRestart(), 0);
    }

    // Wrong passwords from a stored count up to the tenth failure: the warning once at five,
    // the attempts line from five, and, for an account with every server privilege, no
    // deletion: the count stays stored and only Quit is left, also after a restart.
    void wrongPasswordsCountUpToTheTenth_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("lineAtOnce");
        QTest::newRow("from none") << 0 << QString();
        QTest::newRow("from four") << 4 << QString();
        QTest::newRow("from seven") << 7 << QStringLiteral("3 attempts left");
    }

    void wrongPasswordsCountUpToTheTenth()
    {
        QFETCH(int, stored);
        QFETCH(QString, lineAtOnce);
        QCOMPARE(store_->setNumberofAttemptsLeft(stored, user()), int(kOTVStatusOK));
        BKLockPanel* panel = controller_->lockPanel();
        QStringList lines;
        QString firstLine;
        bool okLeftAtTen = true;
        whenVisible(panel, [&] {
            firstLine = panel->attemptsLine()->isVisible() ? panel->attemptsLine()->text() : QString();
            for (int count = stored + 1; count <= 10; ++count) {
                typeAndClickOK(panel, QStringLiteral("wrong%1").arg(count));
                lines.append(panel->attemptsLine()->isVisible() ? panel->attemptsLine()->text() : QString());
            }
            okLeftAtTen = panel->okButton()->isEnabled();
            panel->quitButton()->click();
        });
        controller_->displayLockPanel();

        QCOMPARE(firstLine, lineAtOnce);
        QVERIFY(!okLeftAtTen);
        QCOMPARE(lines.last(), QStringLiteral("0 attempts left"));
        if (stored < 5)
            QCOMPARE(lines.at(4 - stored), QStringLiteral("5 attempts left"));
        QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("1 attempts left"));
        const QStringList messages = alerts_->messages();
        QCOMPARE(messages.count("Only 5 attempts left !!!"), stored < 5 ? 1 : 0);
        QCOMPARE(messages.count("That is not a correct password."), 10 - stored);
        QVERIFY(!messages.join('\n').contains("10 times"));
        QVERIFY(controller_->isConnectionCancelled());
        QVERIFY(controller_->isTerminationRequested());
        QCoreApplication::processEvents();
        QCOMPARE(storedAttemptsAfterRestart(), 10);
        QCOMPARE(storeAsUser(server_.admin), true);

        // The next lock opens with only Quit usable.
        controller_.reset();
        controller_ = std::make_unique<BKController>(*store_);
        panel = controller_->lockPanel();
        whenVisible(panel, [&] {
            okLeftAtTen = panel->okButton()->isEnabled();
            firstLine = panel->attemptsLine()->text();
            panel->quitButton()->click();
        });
        controller_->displayLockPanel();
        QCoreApplication::processEvents();
        QVERIFY(!okLeftAtTen);
        QCOMPARE(firstLine, QStringLiteral("0 attempts left"));
    }

    void aUserWithoutPasswordIsToldToSetOne()
    {
        user()->setMPassword(QString());
        controller_->displayLockPanel();
        QVERIFY(!controller_->isLocked());
        QCOMPARE(alerts_->messages(), QStringList{"You need to set password first."});
    }

    void theFreeTextHintShowsAsItsText()
    {
        QCOMPARE(store_->setPassword(server_.admin.password, QStringLiteral("<b>the usual</b>")), int(kOTVStatusOK));
        BKLockPanel* panel = controller_->lockPanel();
        whenVisible(panel, [&] {
            panel->hintButton()->click();
            typeAndClickOK(panel, server_.admin.password);
        });
        controller_->displayLockPanel();
        QCOMPARE(alertLines(*alerts_), QStringList{"The Hint | <b>the usual</b> | OK"});
        // Asked for, not a warning.
        QVERIFY(alerts_->alerts.first().informational);
    }

    void theHintQuestionAsksForItsAnswer_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("right") << QStringLiteral("Lyon") << QStringList{"The Hint | born there | OK"};
        QTest::newRow("wrong") << QStringLiteral("Paris")
                               << QStringList{"Ostrevin Darovazivu Alert! | Hint Challenge Answer is incorrect. | OK"};
    }

    void theHintQuestionAsksForItsAnswer()
    {
        QFETCH(QString, answer);
        QFETCH(QStringList, expected);
        OTVDataBase::PasswordHint hint;
        hint.questionNumber = 1;
        hint.answer = QStringLiteral("Lyon");
        hint.hint = QStringLiteral("born there");
        QCOMPARE(store_->setPassword(server_.admin.password, hint), int(kOTVStatusOK));
        BKLockPanel* panel = controller_->lockPanel();
        whenVisible(panel, [&] {
            QTimer::singleShot(0, panel, [&] {
                auto* asked = panel->findChild<QDialog*>(QStringLiteral("mHintChallengePanel"));
                asked->findChild<QLineEdit*>(QStringLiteral("mHintAnswerField"))->setText(answer);
                asked->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
            });
            panel->hintButton()->click();
            typeAndClickOK(panel, server_.admin.password);
        });
        controller_->displayLockPanel();
        QCOMPARE(alertLines(*alerts_), expected);
    }

    // The automatic lock comes after the minutes without input, and is put off while a store
    // worker holds the connection.
    void theIdleLockComesAfterTheMinutesAndNotDuringAWorker()
    {
        user()->setMAutoLOck(true);
        user()->setMLockTime(2);
        BKLockPanel* panel = controller_->lockPanel();
        bool workerRanAtLock = true;
        QElapsedTimer clock;
        qint64 lockedAfter = 0;
        whenVisible(panel, [&] {
            lockedAfter = clock.elapsed();
            workerRanAtLock = controller_->isStoreWorkerRunning();
            typeAndClickOK(panel, server_.admin.password);
        });
        clock.start();
        controller_->startIdleAndClipboardWatch();
        QVERIFY(controller_->idleWatcher()->isActive());
        QCOMPARE(controller_->idleWatcher()->interval(), 2 * kMinuteMs);
        controller_->runStoreWorkerAndWait([] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); });
        QTRY_VERIFY_WITH_TIMEOUT(lockedAfter > 0, 5000);
        QVERIFY(!workerRanAtLock);
        QVERIFY(lockedAfter >= 300);
        QTRY_VERIFY(!panel->isVisible());
        QVERIFY(controller_->idleWatcher()->isActive());
    }

    // Input starts the wait again; an open modal window is cancelled before the lock.
    void inputPutsTheLockOffAndModalWindowsCloseFirst()
    {
        user()->setMAutoLOck(true);
        controller_->applyAutoLockMinutes(3);
        QCOMPARE(controller_->idleWatcher()->interval(), 3 * kMinuteMs);
        QWidget target;
        target.show();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 6 * kMinuteMs) {
            QTest::keyClick(&target, Qt::Key_Shift);
            QTest::qWait(kMinuteMs / 2);
            QVERIFY(!controller_->isLocked());
        }

        BKLockPanel* panel = controller_->lockPanel();
        bool locked = false;
        whenVisible(panel, [&] {
            locked = true;
            typeAndClickOK(panel, server_.admin.password);
        });
        QDialog open;
        open.setWindowModality(Qt::ApplicationModal);
        QCOMPARE(open.exec(), int(QDialog::Rejected));
        QTRY_VERIFY(locked);
    }

    void clipboardClearing_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<bool>("onlyAtExit");
        QTest::addColumn<bool>("foreignCopyMeanwhile");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<QString>("afterDelay");
        QTest::addColumn<QString>("afterExit");
        QTest::newRow("own copy cleared") << 1 << false << false << true << QString() << QString();
        QTest::newRow("foreign copy kept") << 1 << false << true << false << "theirs" << "theirs";
        QTest::newRow("no delay: only at exit") << 0 << false << false << false << "ours" << QString();
        QTest::newRow("only at exit") << 1 << true << false << false << "ours" << QString();
    }

    void clipboardClearing()
    {
        QFETCH(int, minutes);
        QFETCH(bool, onlyAtExit);
        QFETCH(bool, foreignCopyMeanwhile);
        QFETCH(bool, pending);
        QFETCH(QString, afterDelay);
        QFETCH(QString, afterExit);
        user()->setMClearClipboardState(true);
        user()->setMClipBoardOnExit(onlyAtExit);
        controller_->applyClipboardClearMinutes(minutes);
        controller_->startIdleAndClipboardWatch();
        QClipboard* clipboard = QGuiApplication::clipboard();

        clipboard->setText(QStringLiteral("ours"));
        controller_->checkClipBoard();
        if (foreignCopyMeanwhile) {
            active_ = false;
            clipboard->setText(QStringLiteral("theirs"));
            controller_->checkClipBoard();
        }
        QCOMPARE(controller_->isClipboardClearPending(), pending);
        QTest::qWait(3 * kMinuteMs);
        QCOMPARE(clipboard->text(), afterDelay);
        if (afterDelay.isEmpty()) {
            clipboard->setText(QStringLiteral("ours"));
            controller_->checkClipBoard();
        }
        controller_->installClearClipBoardTimer(true);
        QCOMPARE(clipboard->text(), afterExit);
    }

    void nothingIsClearedWhenTheUserDoesNotWantIt()
    {
        user()->setMClearClipboardState(false);
        controller_->startIdleAndClipboardWatch();
        QGuiApplication::clipboard()->setText(QStringLiteral("ours"));
        controller_->checkClipBoard();
        QVERIFY(!controller_->isClipboardClearPending());
        controller_->installClearClipBoardTimer(true);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ours"));
    }

private:
    std::shared_ptr<OTVUser> user() const { return store_->getCurrentUser(); }

    int storedAttemptsAfterRestart()
    {
        OTVDataBase second;
        if (!ViewsTestVault::open(second, server_, false))
            return -1;
        return second.numberofAttemptsLeft(nullptr);
    }

    bool storeAsUser(const TestAccount& account) { return server_.connect(account) != nullptr; }

    bool active_ = true;
};

QTEST_MAIN(LockAndClipboardTest)
#include "LockAndClipboardTest.moc"
