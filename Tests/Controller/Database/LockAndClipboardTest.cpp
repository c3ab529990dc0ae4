// The lock sheet, the automatic lock and the clipboard clearing against the fixture's MariaDB:
// the unlock asks the server, failed attempts are stored and survive a restart, an account
// that administers the server is never deleted by failed unlocks, the idle lock waits for the
// user's minutes (shortened here) and for a running worker, the tenth failed unlock of a plain
// vault user deletes it on the server, a quit while locked shows nothing of the vault again, and
// the clipboard is cleared only while it holds the application's own copy.
#include "../ControllerTestSupport.h"
#include "ServerAccounts.h"
#include "VaultSessionTest.h"
#include "ViewsTestVault.h"

#include "Controller/BKController.h"
#include "Controller/BKDetailsWindowController.h"
#include "Controller/BKIdleWatcher.h"
#include "Controller/BKLockPanel.h"
#include "Controller/BKMainWindowViews.h"
#include "Controller/BKRecordButtons.h"
#include "Controller/BKRecordViewModels.h"
#include "Customization/BKOwnClipboard.h"
#include "Customization/BKTableView.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKNotificationCenter.h"
#include "Platform/BKTerminationSignals.h"
#include "Support/StoreConnectRequest.h"
#include "Support/TemporarySettings.h"
#include "Support/UrlRecorder.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <algorithm>

#include <csignal>
#include <thread>

namespace {

constexpr int kMinuteMs = 40;
const TestAccount kPlain{QStringLiteral("plain41"), QStringLiteral("Plain-pw-41")};
const QString kTenthFailure = QStringLiteral(
    "Since you have entered an incorrect password 10 times, your data will now be deleted.\n"
    "Quit Ostrevin, and you can start the app again and start entering data from scratch.");

void typeAndClickOK(BKLockPanel* panel, const QString& password)
{
    panel->passwordField()->setText(password);
    panel->okButton()->click();
}

} // namespace

class LockAndClipboardTest : public VaultSessionTest {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(TestServer::fromEnvironment(&server_));
        // As the application does: a kill reaches the controller through the event loop.
        BKWatchTerminationSignals(this, [this] {
            if (controller_)
                controller_->terminate();
        });
    }

    void init()
    {
        QVERIFY(startVaultSession());
        newController();
        controller_->setTimerMinuteLength(kMinuteMs);
        QGuiApplication::clipboard()->clear();
    }

    void cleanup()
    {
        BKNotificationCenter::defaultCenter().removeObserversOf(this);
        endVaultSession();
        server_.execAsRoot(QStringLiteral("DROP USER IF EXISTS '%1'@'%'").arg(kPlain.user));
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

    // While locked the record buttons and the mask button show disabled and both toolbars hide;
    // the unlock gives every button its own state back. The sheet shows its whole title, and
    // neither Esc, its close button nor minimising it gets past it.
    void theLockedWindowOffersNothingAndTheSheetStays()
    {
        controller_->updateApplicationViews();
        QMainWindow* window = controller_->mainWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        BKRecordButtons* bar = controller_->recordButtons();
        const int view = controller_->mainWindowViews()->currentView();
        const auto buttonStates = [&] {
            QList<bool> states;
            for (QToolButton* button : {bar->addButton(), bar->editButton(), bar->deleteButton(),
                                        bar->duplicateButton(view), bar->toggleInfoButton(view)})
                states.append(button->isEnabled());
            states.append(controller_->unmaskButton()->isEnabled());
            return states;
        };
        const auto toolbarsShown = [&] {
            QList<bool> shown;
            for (const QToolBar* toolbar : window->findChildren<QToolBar*>())
                shown.append(toolbar->isVisible());
            return shown;
        };
        const QList<bool> before = buttonStates();
        QVERIFY(before.contains(true) && before.contains(false));
        QCOMPARE(toolbarsShown(), (QList<bool>{true, true}));

        BKLockPanel* panel = controller_->lockPanel();
        QList<bool> whileLocked;
        QList<bool> toolbarsWhileLocked;
        bool stayedLocked = false;
        bool cameBack = false;
        whenVisible(panel, [&] {
            whileLocked = buttonStates();
            toolbarsWhileLocked = toolbarsShown();
            QTest::keyClick(panel->passwordField(), Qt::Key_Escape);
            panel->close();
            panel->setWindowState(Qt::WindowMinimized);
            QElapsedTimer clock;
            clock.start();
            while (panel->isMinimized() && clock.elapsed() < 3000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            cameBack = !panel->isMinimized() && !window->isMinimized();
            stayedLocked = panel->isVisible() && controller_->isLocked();
            typeAndClickOK(panel, server_.admin.password);
        });
        controller_->displayLockPanel();

        QCOMPARE(whileLocked, QList<bool>(before.size(), false));
        QCOMPARE(toolbarsWhileLocked, (QList<bool>{false, false}));
        QVERIFY(stayedLocked);
        QVERIFY(cameBack);
        QCOMPARE(buttonStates(), before);
        QCOMPARE(toolbarsShown(), (QList<bool>{true, true}));

        // Title bars set the title in bold beside the window's icon and buttons.
        QFont bold = panel->font();
        bold.setBold(true);
        const int title = QFontMetrics(bold).horizontalAdvance(panel->windowTitle());
        QVERIFY2(panel->width() >= title + 100,
                 qPrintable(QStringLiteral("%1 wide for a title of %2").arg(panel->width()).arg(title)));
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

    // A vault user without administration rights: the tenth failure deletes its user row (and
    // what hangs on it), its personal group, its details and its account on the server, through
    // the routine an administrator's login made; nobody else's rows go, and it cannot log in.
    void theTenthFailureOfAPlainUserDeletesItOnTheServer()
    {
        startPlainSession();
        const int recordsBefore = rootCount(QStringLiteral("RECORDTABLE"));
        BKLockPanel* panel = controller_->lockPanel();
        bool okLeft = true;
        whenVisible(panel, [&] {
            for (int count = 1; count <= 10; ++count)
                typeAndClickOK(panel, QStringLiteral("wrong%1").arg(count));
            okLeft = panel->okButton()->isEnabled();
            panel->quitButton()->click();
        });
        controller_->displayLockPanel();

        QVERIFY(!okLeft);
        QCOMPARE(alerts_->messages().count(kTenthFailure), 1);
        QCOMPARE(alerts_->messages().last(), kTenthFailure);   // no refusal reported
        QCOMPARE(rootCount(QStringLiteral("USERTABLE"), QStringLiteral("USERID='%1'").arg(plainID_)), 0);
        QCOMPARE(rootCount(QStringLiteral("APPPREFTABLE"), QStringLiteral("USERID='%1'").arg(plainID_)), 0);
        QCOMPARE(rootCount(QStringLiteral("GROUPTABLE"), QStringLiteral("UID='%1'").arg(plainID_)), 0);
        QCOMPARE(rootCount(QStringLiteral("mysql.user_info"), QStringLiteral("User='%1'").arg(kPlain.user)), 0);
        QCOMPARE(rootCount(QStringLiteral("mysql.user"), QStringLiteral("User='%1'").arg(kPlain.user)), 0);
        QVERIFY(!ServerAccounts::login(server_, kPlain.user, kPlain.password));
        // The administrator and the vault's records stay.
        QCOMPARE(rootCount(QStringLiteral("USERTABLE")), 1);
        QCOMPARE(rootCount(QStringLiteral("RECORDTABLE")), recordsBefore);
        QVERIFY(ServerAccounts::login(server_, server_.admin.user, server_.admin.password));
        QVERIFY(controller_->isTerminationRequested());
        QVERIFY(controller_->isConnectionCancelled());
    }

    // When the server refuses the deletion (here its routine is gone), the count stays at ten:
    // every later lock leaves only Quit and tries the deletion again, which goes through once
    // an administrator's login made the routine again.
    void aRefusedDeletionKeepsTheCountAndIsTriedAgain()
    {
        startPlainSession();
        server_.execAsRoot(QStringLiteral("DROP PROCEDURE vivododadi.DELETEOWNVAULTUSER"));
        BKLockPanel* panel = controller_->lockPanel();
        whenVisible(panel, [&] {
            for (int count = 1; count <= 10; ++count)
                typeAndClickOK(panel, QStringLiteral("wrong%1").arg(count));
            panel->quitButton()->click();
        });
        controller_->displayLockPanel();
        QVERIFY(alerts_->messages().last() != kTenthFailure);   // the refusal is reported
        QCOMPARE(rootValue(QStringLiteral("SELECT LOGINATTEMPTCOUNT FROM vivododadi.APPPREFTABLE WHERE USERID='%1'")
                               .arg(plainID_)),
                 QStringLiteral("10"));
        QVERIFY(ServerAccounts::login(server_, kPlain.user, kPlain.password));

        // An administrator logs in; the plain user starts again and gets the lock with only Quit.
        {
            TemporarySettings adminSettings;
            OTVDataBase administrator;
            QVERIFY(ViewsTestVault::open(administrator, server_, false));
        }
        startPlainSession(false);
        panel = controller_->lockPanel();
        bool okLeft = true;
        whenVisible(panel, [&] {
            okLeft = panel->okButton()->isEnabled();
            QElapsedTimer clock;
            clock.start();
            while (ServerAccounts::login(server_, kPlain.user, kPlain.password) && clock.elapsed() < 5000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            panel->quitButton()->click();
        });
        controller_->displayLockPanel();
        QVERIFY(!okLeft);
        QCOMPARE(rootCount(QStringLiteral("USERTABLE"), QStringLiteral("USERID='%1'").arg(plainID_)), 0);
        QVERIFY(!ServerAccounts::login(server_, kPlain.user, kPlain.password));
    }

    // A kill while locked (a desktop logout sends SIGTERM or SIGHUP) ends the lock as its Quit
    // does: nothing of the vault shows again and nothing is saved.
    void aKillWhileLockedEndsTheSessionShowingNothing_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void aKillWhileLockedEndsTheSessionShowingNothing()
    {
        QFETCH(int, signalNumber);
        startPlainSession();
        controller_->updateApplicationViews();
        controller_->mainWindow()->show();
        BKLockPanel* panel = controller_->lockPanel();
        bool endedByTheKill = false;
        whenVisible(panel, [&] {
            ::raise(signalNumber);
            QElapsedTimer clock;
            clock.start();
            while (panel->isVisible() && clock.elapsed() < 3000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            endedByTheKill = !panel->isVisible();
            if (panel->isVisible())
                panel->quitButton()->click();
        });
        controller_->displayLockPanel();

        QVERIFY(endedByTheKill);
        QVERIFY(controller_->isTerminationRequested());
        QVERIFY(controller_->isConnectionCancelled());
        QVERIFY(controller_->mainWindowViews()->shouldLockInfoDisplay());
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName() + " " + window->windowTitle()));
        // The user is not deleted by a kill.
        QVERIFY(ServerAccounts::login(server_, kPlain.user, kPlain.password));
    }

    // The lock's own Quit after a quit that came while locked: the vault does not show again.
    void quitAfterAQuitRequestWhileLockedShowsNothing()
    {
        controller_->updateApplicationViews();
        controller_->mainWindow()->show();
        BKLockPanel* panel = controller_->lockPanel();
        whenVisible(panel, [&] {
            controller_->mainWindow()->close();
            if (panel->isVisible())
                panel->quitButton()->click();
        });
        controller_->displayLockPanel();
        QVERIFY(controller_->isTerminationRequested());
        QVERIFY(!controller_->mainWindow()->isVisible());
        QVERIFY(controller_->mainToolBar()->isHidden());
        QVERIFY(controller_->mainWindowViews()->shouldLockInfoDisplay());
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

    // The idle lock runs an open record window's OK first: what was typed is stored and the lock
    // follows. Where OK refuses (a value the vault cannot hold), the window stays behind the
    // lock, untouched and without a word, and comes back at the unlock with what was typed.
    void theIdleLockStoresTheOpenRecordWindowOrKeepsIt_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("storedByTheLock");
        QTest::newRow("OK stores it") << "typed before the lock" << true;
        QTest::newRow("OK refuses it") << QString(300, QLatin1Char('L')) << false;
    }
    void theIdleLockStoresTheOpenRecordWindowOrKeepsIt()
    {
        QFETCH(QString, title);
        QFETCH(bool, storedByTheLock);
        const QString kept = QStringLiteral("kept across the lock");
        controller_->updateApplicationViews();
        user()->setMAutoLOck(true);
        BKDetailsWindowController window(store_.get());
        controller_->setDetailsWindowRunner(
            [&window](const std::shared_ptr<OTVRecord>& info, int* operation, const BKDetailsAnswerWriter& write) {
                return window.orderFrontDetailsWindowWithInfo(info, operation, write);
            });
        const auto storedWith = [this](const QString& value1) {
            return rootCount(QStringLiteral("RECORDTABLE")) - recordsBefore_ == 1 &&
                   std::any_of(store_->mRecords().begin(), store_->mRecords().end(),
                               [&](const std::shared_ptr<OTVRecord>& r) { return r->value(1) == value1; });
        };
        recordsBefore_ = rootCount(QStringLiteral("RECORDTABLE"));

        BKLockPanel* panel = controller_->lockPanel();
        bool hiddenWhileLocked = false;
        bool storedAtLock = false;
        int alertsAtLock = -1;
        bool backAfterUnlock = false;
        whenVisible(panel, [&] {
            hiddenWhileLocked = !window.isVisible();
            storedAtLock = storedWith(title);
            alertsAtLock = int(alerts_->alerts.size());
            // No second lock while the test looks at the window.
            controller_->installInactiveTimerWithTime(1000);
            typeAndClickOK(panel, server_.admin.password);
            if (storedByTheLock)
                return;
            QTimer::singleShot(200, &window, [&] {
                backAfterUnlock = window.isVisible() && window.valueField(1)->text() == title &&
                                  window.valueField(2)->text() == kept;
                window.valueField(1)->setText(QStringLiteral("mended after the unlock"));
                window.detailPanelOK();
                if (window.isVisible())
                    window.detailPanelCancel();
            });
        });
        whenVisible(&window, [&] {
            window.valueField(1)->setText(title);
            window.valueField(2)->setText(kept);
            controller_->applyAutoLockMinutes(1);
        });
        controller_->addItemsToDetail();
        QTRY_VERIFY_WITH_TIMEOUT(alertsAtLock >= 0 && !panel->isVisible(), 5000);
        QVERIFY(hiddenWhileLocked);
        QCOMPARE(alertsAtLock, 0);
        QCOMPARE(storedAtLock, storedByTheLock);
        if (!storedByTheLock) {
            QVERIFY(backAfterUnlock);
            QVERIFY(storedWith(QStringLiteral("mended after the unlock")));
        }
        QVERIFY(!window.isVisible());
        QVERIFY(alerts_->alerts.isEmpty());
    }

    // Only the application's own copy is cleared: after the delay, or at exit. Whatever another
    // program copies (here: put on the clipboard without the application's copy) is not ours,
    // cancels a pending clear and stays, also while a window of ours is the active one.
    void clipboardClearing_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<bool>("onlyAtExit");
        QTest::addColumn<bool>("ownCopy");
        QTest::addColumn<bool>("foreignCopyMeanwhile");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<QString>("afterDelay");
        QTest::addColumn<QString>("afterExit");
        QTest::newRow("own copy cleared") << 1 << false << true << false << true << QString() << QString();
        QTest::newRow("foreign copy after ours kept") << 1 << false << true << true << false << "theirs" << "theirs";
        QTest::newRow("foreign copy alone kept") << 1 << false << false << true << false << "theirs" << "theirs";
        QTest::newRow("no delay: only at exit") << 0 << false << true << false << false << "ours" << QString();
        QTest::newRow("only at exit") << 1 << true << true << false << false << "ours" << QString();
    }

    void clipboardClearing()
    {
        QFETCH(int, minutes);
        QFETCH(bool, onlyAtExit);
        QFETCH(bool, ownCopy);
        QFETCH(bool, foreignCopyMeanwhile);
        QFETCH(bool, pending);
        QFETCH(QString, afterDelay);
        QFETCH(QString, afterExit);
        user()->setMClearClipboardState(true);
        user()->setMClipBoardOnExit(onlyAtExit);
        controller_->applyClipboardClearMinutes(minutes);
        controller_->mainWindow()->show();
        controller_->mainWindow()->activateWindow();
        controller_->startIdleAndClipboardWatch();
        QClipboard* clipboard = QGuiApplication::clipboard();

        if (ownCopy)
            BKCopyToClipboard(QStringLiteral("ours"));
        if (foreignCopyMeanwhile)
            clipboard->setText(QStringLiteral("theirs"));
        QCOMPARE(controller_->isClipboardClearPending(), pending);
        QTest::qWait(3 * kMinuteMs);
        QCOMPARE(clipboard->text(), afterDelay);
        if (afterDelay.isEmpty())
            BKCopyToClipboard(QStringLiteral("ours"));
        controller_->installClearClipBoardTimer(true);
        QCOMPARE(clipboard->text(), afterExit);
    }

    // The web login copies the password while the browser comes to the front: the clearing is
    // armed by the copy itself, runs on time while another window is active, and a quit before
    // then clears it too.
    void aWebLoginsPasswordIsClearedOnTimeAndAtExitWhateverHasFocus()
    {
        user()->setMClearClipboardState(true);
        user()->setMClipBoardOnExit(false);
        controller_->applyClipboardClearMinutes(2);
        auto portal = OTVRecord::createRecord();
        portal->setMGroup(vault_->groups["Banking"]);
        portal->setMType(vault_->types["Login"]);
        portal->setValue(1, QStringLiteral("Portal"));
        portal->setValue(3, QStringLiteral("s3cret!"));
        portal->setValue(4, QStringLiteral("www.portal.example"));
        QCOMPARE(store_->addRecord(portal), int(kOTVStatusOK));
        user()->setMCurrentGroup(vault_->groups["Banking"]->mGroupUID());
        user()->setMLastView(BKMainWindowViews::kListViewTag);
        controller_->updateApplicationViews();
        controller_->mainWindow()->show();
        controller_->startIdleAndClipboardWatch();
        BKMainWindowViews* views = controller_->mainWindowViews();
        for (int row = 0; row < views->listModel()->rowCount(); ++row)
            if (views->listModel()->record(row)->value(1) == QLatin1String("Portal"))
                views->listViewTypesTable()->selectRow(row);
        QWidget browser;
        browser.show();
        browser.activateWindow();
        QClipboard* clipboard = QGuiApplication::clipboard();

        controller_->webLogin();
        QCOMPARE(urls_.urls.value(0), QUrl(QStringLiteral("http://www.portal.example")));
        QCOMPARE(clipboard->text(), QStringLiteral("s3cret!"));
        QVERIFY(controller_->isClipboardClearPending());
        QTest::qWait(kMinuteMs);
        QCOMPARE(clipboard->text(), QStringLiteral("s3cret!"));
        QTRY_COMPARE_WITH_TIMEOUT(clipboard->text(), QString(), 20 * kMinuteMs);

        controller_->webLogin();
        QCOMPARE(clipboard->text(), QStringLiteral("s3cret!"));
        controller_->terminate();
        QCOMPARE(clipboard->text(), QString());
    }

    void nothingIsClearedWhenTheUserDoesNotWantIt()
    {
        user()->setMClearClipboardState(false);
        controller_->startIdleAndClipboardWatch();
        BKCopyToClipboard(QStringLiteral("ours"));
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

    int rootCount(const QString& table, const QString& where = QStringLiteral("1")) const
    {
        const QString qualified = table.contains(QLatin1Char('.')) ? table : QStringLiteral("vivododadi.") + table;
        return rootValue(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(qualified, where)).toInt();
    }

    // The session becomes that of a vault user without administration rights (made by the
    // administrator's store first, unless `make` is false), with a controller of its own.
    void startPlainSession(bool make = true)
    {
        if (make) {
            auto account = OTVUser_Admin::createUser();
            account->setMUsername(kPlain.user);
            account->setMPassword(kPlain.password);
            QCOMPARE(store_->addUser(account), int(kOTVStatusOK));
            plainID_ = account->mUserID();
        }
        alerts_.reset();
        controller_.reset();
        store_ = std::make_unique<OTVDataBase>();
        QCOMPARE(store_->startConnectionToServer(StoreConnectRequest(server_, kPlain)), int(kOTVStatusOK));
        QCOMPARE(store_->initUserDetails(kPlain.user, kPlain.password), int(kOTVStatusOK));
        QCOMPARE(store_->loadDataBase(false), int(kOTVStatusOK));
        QVERIFY(!store_->isAdministratorSession());
        newController();
        controller_->setTimerMinuteLength(kMinuteMs);
    }

    UrlRecorder urls_;
    QString plainID_;
    int recordsBefore_ = 0;
};

QTEST_MAIN(LockAndClipboardTest)
#include "LockAndClipboardTest.moc"
