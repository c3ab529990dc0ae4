// The controller against a real server: the start-up through the connection dialog, the first
// master password and the load; failed attempts; a lost connection; quitting.
#include "../ControllerTestSupport.h"
#include "ServerAccounts.h"

#include "Controller/BKConnectionDialog.h"
#include "Controller/BKController.h"
#include "Controller/BKLockPanel.h"
#include "Controller/BKMainWindowViews.h"
#include "Controller/BKFirstMasterPasswordDialog.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/BKGroup.h"
#include "Model/OTVRecord.h"
#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKNotificationCenter.h"
#include "Platform/BKUserDefaults.h"
#include "Support/TemporarySettings.h"
#include "Support/StoreConnectRequest.h"
#include "Support/TestServer.h"

#include <cppconn/connection.h>
#include <cppconn/exception.h>
#include <cppconn/resultset.h>
#include <cppconn/statement.h>

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>

namespace {

// Plays the user at the connection dialog: each step runs when the dialog is up and no
// attempt is running, so a step after a failed attempt finds the dialog open again.
class DialogScript {
public:
    explicit DialogScript(QWidget* dialog, std::function<bool()> busy)
        : busy_(std::move(busy))
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, dialog, [this, dialog] {
            if (!dialog->isVisible() || busy_() || steps_.empty())
                return;
            std::function<void()> step = std::move(steps_.front());
            steps_.pop_front();
            ++stepsRun_;
            step();
        });
        timer_.start();
    }

    void then(std::function<void()> step) { steps_.push_back(std::move(step)); }
    int stepsRun() const { return stepsRun_; }
    bool done() const { return steps_.empty(); }

private:
    QTimer timer_;
    std::function<bool()> busy_;
    std::deque<std::function<void()>> steps_;
    int stepsRun_ = 0;
};

} // namespace

class LoginTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(TestServer::fromEnvironment(&server_));
    }

    void init()
    {
        server_.execAsRoot(QStringLiteral("DROP DATABASE IF EXISTS vivododadi"));
        settings_ = std::make_unique<TemporarySettings>();
        store_ = std::make_unique<OTVDataBase>();
        newController();
    }

    void cleanup()
    {
        alerts_.reset();
        controller_.reset();
        store_.reset();
        settings_.reset();
    }

    // The first start on an empty vault: the defaults from the command line fill the dialog,
    // the first master password is asked for (and checked), the vault is loaded and the main
    // window shows.
    void firstLoginSetsTheMasterPasswordAndShowsTheMainWindow()
    {
        BKUserDefaults::standardUserDefaults().setObject(QStringLiteral("stale"), kMasterPasswordDefaultsKey);
        BKUserDefaults::standardUserDefaults().synchronize();
        controller_->setConnectionDefaults(server_.host, QString::number(server_.port), server_.admin.user);
        controller_->applicationWillFinishLaunching();
        QVERIFY(!BKUserDefaults::standardUserDefaults().hasKey(kMasterPasswordDefaultsKey));
        const QString attachmentFolder = controller_->attachmentFolderPath();
        QVERIFY(QFileInfo(attachmentFolder).isDir());
        QCOMPARE(QFileInfo(attachmentFolder).permissions() & 0x0777, QFileDevice::Permissions(0x0700));

        BKConnectionDialog* dialog = controller_->connectionDialog();
        QStringList shown;
        DialogScript script = connectionScript();
        script.then([&] {
            shown = QStringList{dialog->serverField()->text(), dialog->portField()->text(),
                                dialog->userField()->text(), dialog->masterPasswordField()->text()};
            dialog->passwordField()->setText(server_.admin.password);
            QTest::mouseClick(dialog->connectButton(), Qt::LeftButton);
        });
        BKFirstMasterPasswordDialog* panel = controller_->firstMasterPasswordDialog();
        DialogScript panelScript(panel, [] { return false; });
        auto enter = [panel](const QString& password, const QString& confirmation) {
            return [panel, password, confirmation] {
                panel->passwordField()->setText(password);
                panel->confirmField()->setText(confirmation);
                QTest::mouseClick(panel->okButton(), Qt::LeftButton);
            };
        };
        panelScript.then(enter(QStringLiteral("abc"), QStringLiteral("abc")));
        panelScript.then(enter(QStringLiteral("abcd"), QStringLiteral("abce")));
        panelScript.then(enter(QStringLiteral("abcd"), QStringLiteral("abcd")));

        QVERIFY(controller_->applicationDidFinishLaunching());

        QCOMPARE(shown, (QStringList{server_.host, QString::number(server_.port), server_.admin.user, QString()}));
        QCOMPARE(alertLines(*alerts_),
                 (QStringList{"Ostrevin Darovazivu Alert | Password must be at least 4 characters in length. | OK",
                              "Ostrevin Darovazivu Alert | Your new Master Password doesn't match the confirm "
                              "password. | OK"}));
        QVERIFY(panelScript.done());
        QVERIFY(store_->isVaultLoaded());
        QCOMPARE(store_->masterPassword(), QStringLiteral("abcd"));
        QCOMPARE(store_->getCurrentUser()->mUsername(), server_.admin.user);
        QVERIFY(!store_->mTypes().isEmpty());   // a new vault gets the standard record types
        QVERIFY(controller_->mainWindow()->isVisible());
        QVERIFY(!dialog->isVisible());
        QVERIFY(!controller_->isTerminationRequested());
        QVERIFY(!controller_->isStoreWorkerRunning());
        BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
        QVERIFY(defaults.boolForKey(kIsApplicationFirstLaunch));
        QCOMPARE(defaults.stringForKey(kEventLoggerDatabaseLocation), QDir::homePath() + "/Documents/Ostrevin/");
        QCOMPARE(defaults.stringForKey(kServerHostName), server_.host);
        QVERIFY(!defaults.hasKey(kMasterPasswordDefaultsKey));
    }

    void firstMasterPasswordPanelChoices_data()
    {
        QTest::addColumn<bool>("closed");
        QTest::newRow("go on without a master password") << false;
        QTest::newRow("close the panel") << true;
    }

    // Going on without a master password (once confirmed) loads the vault with none; closing
    // the panel quits without loading or saving.
    void firstMasterPasswordPanelChoices()
    {
        QFETCH(bool, closed);
        controller_->applicationWillFinishLaunching();
        DialogScript script = connectionScript();
        script.then(attempt(server_.admin.user, server_.admin.password, QString()));
        BKFirstMasterPasswordDialog* panel = controller_->firstMasterPasswordDialog();
        DialogScript panelScript(panel, [] { return false; });
        panelScript.then([panel, closed] {
            panel->passwordField()->setText(QStringLiteral("ab"));   // emptied when the option is ticked
            if (closed) {
                QTest::mouseClick(panel->closeButton(), Qt::LeftButton);
            } else {
                panel->withoutPasswordOption()->setChecked(true);
                QTest::mouseClick(panel->okButton(), Qt::LeftButton);
            }
        });

        QCOMPARE(controller_->applicationDidFinishLaunching(), !closed);

        QCOMPARE(alertLines(*alerts_),
                 closed ? QStringList()
                        : QStringList{"Ostrevin Darovazivu Alert | Without a master password the records are stored "
                                      "unenciphered. Go on without a master password? | Go On"});
        QCOMPARE(store_->isVaultLoaded(), !closed);
        QCOMPARE(controller_->mainWindow()->isVisible(), !closed);
        QCOMPARE(controller_->isTerminationRequested(), closed);
        QCOMPARE(controller_->isConnectionCancelled(), closed);
        QVERIFY(store_->masterPassword().isEmpty());
        QCOMPARE(rootColumn(QStringLiteral("SELECT COUNT(*) FROM vivododadi.USERTABLE")).value(0),
                 closed ? QStringLiteral("0") : QStringLiteral("1"));
    }

    void failedAttemptsAlertAndBringTheDialogBack_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("masterPassword");
        QTest::addColumn<QString>("alert");
        QTest::newRow("wrong account password")
            << "admin" << "wrong" << "abcd" << "Connection Failed! | Invalid login credentials. | OK";
        QTest::newRow("wrong master password")
            << "admin" << "" << "abce" << "Connection Failed! | Master Password does not match. | OK";
        QTest::newRow("no master password given")
            << "admin" << "" << "" << "Connection Failed! | Master Password does not match. | OK";
        // Connects, but is neither a vault user nor an administrator: refused by the login step.
        QTest::newRow("account that is no vault user")
            << "plain" << "" << "abcd" << "Connection Failed! | Invalid login credentials. | OK";
    }

    // Each failure is told once, the dialog comes back editable for another attempt, and the
    // vault is never loaded; cancelling then quits without saving anything.
    void failedAttemptsAlertAndBringTheDialogBack()
    {
        QFETCH(QString, account);
        QFETCH(QString, password);
        QFETCH(QString, masterPassword);
        QFETCH(QString, alert);
        makeVault(QStringLiteral("abcd"));
        const TestAccount& login = account == QLatin1String("plain") ? server_.plain : server_.admin;
        BKConnectionDialog* dialog = controller_->connectionDialog();
        controller_->applicationWillFinishLaunching();
        const QString attachmentFolder = controller_->attachmentFolderPath();
        bool editableAgain = false;
        DialogScript script = connectionScript();
        script.then(attempt(login.user, password.isEmpty() ? login.password : password, masterPassword));
        script.then([&] {
            editableAgain = !dialog->userField()->isReadOnly() && !dialog->passwordField()->isReadOnly() &&
                            dialog->connectButton()->isEnabled();
            QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
        });

        QVERIFY(!controller_->applicationDidFinishLaunching());

        QCOMPARE(alertLines(*alerts_), QStringList{alert});
        QCOMPARE(script.stepsRun(), 2);
        QVERIFY(editableAgain);
        QVERIFY(!store_->isVaultLoaded());
        QVERIFY(controller_->isConnectionCancelled());
        QVERIFY(controller_->isTerminationRequested());
        QVERIFY(!controller_->mainWindow()->isVisible());
        controller_->applicationWillTerminate();
        QVERIFY(!QFileInfo::exists(attachmentFolder));
    }

    // A vault user whose account an administrator disabled: told so, and the application quits
    // without loading the vault or saving anything (never the main window).
    void disabledAccountAtLoginQuits()
    {
        makeVault(QStringLiteral("abcd"), /*disabledUser=*/server_.plain.user);
        controller_->applicationWillFinishLaunching();
        const QString attachmentFolder = controller_->attachmentFolderPath();
        DialogScript script = connectionScript();
        script.then(attempt(server_.plain.user, server_.plain.password, QStringLiteral("abcd")));

        QVERIFY(!controller_->applicationDidFinishLaunching());

        QCOMPARE(alertLines(*alerts_),
                 QStringList{"Ostrevin Darovazivu Alert! | Your account has been disabled. Please contact "
                             "administrator. | Quit"});
        QVERIFY(controller_->isTerminationRequested());
        QVERIFY(controller_->isConnectionCancelled());
        QVERIFY(!store_->isVaultLoaded());
        QVERIFY(!controller_->connectionDialog()->isVisible());
        QVERIFY(!controller_->mainWindow()->isVisible());
        controller_->applicationWillTerminate();
        QVERIFY(!QFileInfo::exists(attachmentFolder));
    }

    // The tenth failed unlock of an administrator deleted nothing, and it stands: the next start
    // shows only the lock with its Quit, never the vault, and the count stays stored.
    void aStartAfterTheTenthFailedUnlockLeavesOnlyQuit()
    {
        makeVault(QStringLiteral("abcd"));
        server_.execAsRoot(QStringLiteral("UPDATE vivododadi.APPPREFTABLE SET LOGINATTEMPTCOUNT = 10"));
        controller_->applicationWillFinishLaunching();
        BKLockPanel* panel = controller_->lockPanel();
        bool okEnabled = true;
        bool mainWindowShown = true;
        whenVisible(panel, [&] {
            okEnabled = panel->okButton()->isEnabled();
            mainWindowShown = controller_->mainWindow()->isVisible();
            panel->quitButton()->click();
        });
        DialogScript script = connectionScript();
        script.then(attempt(server_.admin.user, server_.admin.password, QStringLiteral("abcd")));

        QVERIFY(!controller_->applicationDidFinishLaunching());
        QVERIFY(!okEnabled);
        QVERIFY(!mainWindowShown);
        QVERIFY(!controller_->mainWindow()->isVisible());
        QVERIFY(controller_->isTerminationRequested());
        QVERIFY(controller_->isConnectionCancelled());
        QCOMPARE(storedPreference("LOGINATTEMPTCOUNT"), QStringLiteral("10"));
    }

    // Files named on the command line are offered for import once the main window shows.
    // Each file given at launch is offered once the main window shows; the one accepted is
    // imported into the selected group.
    void filesGivenAtLaunchAreOfferedAfterTheMainWindowShows()
    {
        makeVault(QStringLiteral("abcd"));
        QTemporaryDir folder;
        const QString refused = folder.filePath(QStringLiteral("a.vrx"));
        const QString accepted = folder.filePath(QStringLiteral("b.vrx"));
        for (const QString& path : {refused, accepted}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("Ostrevin vRX File -v3.0\rF\rT,31,Login,User,Password,URL,,,,,,,Date,2,\r");
            file.write(QStringLiteral("F,31,from %1,secret,,,,,,,,\"January 05,2009\",0,,,,,,,,,,,Work,note\r")
                           .arg(QFileInfo(path).fileName())
                           .toUtf8());
        }
        controller_->openFilesAtLaunch({refused, accepted});
        alerts_->answers = {kBKAlertAlternateReturn, kBKAlertDefaultReturn};
        startUp(server_.admin, QStringLiteral("abcd"));
        QCOMPARE(alertLines(*alerts_),
                 (QStringList{"Ostrevin Darovazivu Alert! | Do you want to import the file " + refused + "? | Yes",
                              "Ostrevin Darovazivu Alert! | Do you want to import the file " + accepted + "? | Yes"}));
        QCOMPARE(alerts_->alerts.first().alternateButton, QStringLiteral("No"));
        QStringList values;
        for (const auto& record : store_->mRecords())
            values.append(record->value(1) + QStringLiteral(" in ") + record->mGroup()->mGroupName());
        QCOMPARE(values, QStringList{"from b.vrx in " + controller_->mainWindowViews()->selectedGroup()->mGroupName()});
    }

    // The login's load fills the event-log window's list; a reload reads what another copy of
    // the program wrote meanwhile, into the maps and into that list.
    void reloadReadsWhatAnotherClientWrote()
    {
        makeVault(QStringLiteral("abcd"));
        server_.execAsRoot(QStringLiteral("INSERT INTO vivododadi.EVENTLOGGERTABLE VALUES('Add Group', 'Ostrel Id', "
                                          "'Earlier', '2026-01-02 03:04:05', 'bob', 'Bob')"));
        startUp(server_.admin, QStringLiteral("abcd"));
        // The event-log window starts from what the login's load read.
        bool listed = false;
        for (const EventLogEntry& entry : store_->eventLogWindowList().entries())
            listed = listed || (entry.value(kEvent) == "Add Group" && entry.value(kDescription) == "Earlier");
        QVERIFY(listed);
        alerts_->alerts.clear();
        const QString userID = store_->getCurrentUser()->mUserID();

        OTVDataBase other;
        QCOMPARE(other.startConnectionToServer(requestFor(server_.admin, QStringLiteral("abcd"))), int(kOTVStatusOK));
        QCOMPARE(other.initUserDetails(server_.admin.user, server_.admin.password), int(kOTVStatusOK));
        QCOMPARE(other.loadDataBase(false), int(kOTVStatusOK));
        std::shared_ptr<BKGroup> group = BKGroup::newGroup();
        group->setMGroupName(QStringLiteral("Servers"));
        group->setMUserMembersArray(QStringList{userID});
        group->setMSubGroupsUID(QStringList());
        QCOMPARE(other.addGroup(group), int(kOTVStatusOK));
        other.closeConnection();
        QVERIFY(!store_->mGroups().contains(group->mGroupUID()));

        controller_->reloadDatabase();

        QCOMPARE(alertLines(*alerts_), QStringList());
        QVERIFY(store_->mGroups().contains(group->mGroupUID()));
        QVERIFY(!controller_->isStoreWorkerRunning());
        const QList<EventLogEntry> log = store_->eventLogWindowList().entries();
        QCOMPARE(log.size(), store_->mLogArray().size());
        QVERIFY(!log.isEmpty());
    }

    // A connection that the server drops: the next use of the store finds it gone, the user is
    // told once, and the dialog comes back for the same account with the password emptied.
    // Connecting again ends the dialog and the session goes on.
    void lostConnectionBringsTheDialogBackForTheSameUser()
    {
        makeVault(QStringLiteral("abcd"));
        startUp(server_.admin, QStringLiteral("abcd"));
        alerts_->alerts.clear();

        BKConnectionDialog* dialog = controller_->connectionDialog();
        QStringList shown;
        bool userFixed = false;
        DialogScript script = connectionScript();
        script.then([&] {
            shown = QStringList{dialog->userField()->text(), dialog->passwordField()->text()};
            userFixed = dialog->userField()->isReadOnly();
            dialog->userField()->setText(QStringLiteral("someone else"));   // read-only: ignored by the user
            dialog->userField()->setText(server_.admin.user);
            dialog->passwordField()->setText(server_.admin.password);
            QTest::mouseClick(dialog->connectButton(), Qt::LeftButton);
        });

        ServerAccounts::killSessions(server_, server_.admin.user);
        controller_->reloadDatabase();   // finds the connection gone
        QTRY_VERIFY_WITH_TIMEOUT(script.done() && !dialog->isVisible(), 20000);
        QTest::qWait(50);   // a second report of the same loss would show up here

        QCOMPARE(alertLines(*alerts_),
                 QStringList{"Ostrevin Darovazivu Alert! | Connection to the server has been lost.Please connect "
                             "again. | OK"});
        QCOMPARE(shown, (QStringList{server_.admin.user, QString()}));
        QVERIFY(userFixed);
        QVERIFY(store_->isConnected());
        QVERIFY(!controller_->isTerminationRequested());
        QVERIFY(!dialog->isVisible());

        // The session works again: a reload now succeeds.
        controller_->reloadDatabase();
        QCOMPARE(alerts_->alerts.size(), 1);
        QCOMPARE(store_->connectionErrorCode(), int(kOTVStatusOK));
    }

    // A view switch whose preference write meets a dropped connection: the write says "lost"
    // (never a plain database error), so the user is told once, by the reconnection, and not
    // "Operation failed." around it.
    void aWriteOnADroppedConnectionIsToldOnlyByTheReconnection()
    {
        makeVault(QStringLiteral("abcd"));
        startUp(server_.admin, QStringLiteral("abcd"));
        alerts_->alerts.clear();
        BKConnectionDialog* dialog = controller_->connectionDialog();
        whenVisible(dialog, [dialog] { QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton); });

        ServerAccounts::killSessions(server_, server_.admin.user);
        const int status = store_->saveLastViewForUser(*store_->getCurrentUser());
        QVERIFY2(OTVIsLostConnectionStatus(status), qPrintable(QString::number(status)));
        controller_->changeView(controller_->mainWindowViews()->currentView() == 1 ? 2 : 1);
        QTRY_VERIFY_WITH_TIMEOUT(controller_->isTerminationRequested(), 20000);

        QCOMPARE(alertLines(*alerts_),
                 QStringList{"Ostrevin Darovazivu Alert! | Connection to the server has been lost.Please connect "
                             "again. | OK"});
    }

    // A server set up with mariadb-install-db's defaults has anonymous accounts, which the server
    // takes before a vault user's account for local logins. The administrator is told at login,
    // in plain words and with the statements that remove them; once they are gone, the vault
    // user logs in.
    void anAdministratorIsToldOfAnonymousAccounts()
    {
        const QString host = rootColumn(QStringLiteral("SELECT @@hostname")).value(0);
        QVERIFY(!host.isEmpty());
        const QStringList anonymous = {QStringLiteral("''@'localhost'"), QStringLiteral("''@'%1'").arg(host)};
        struct DropAtEnd {
            const TestServer& server;
            QStringList accounts;
            ~DropAtEnd()
            {
                for (const QString& account : accounts)
                    server.execAsRoot(QStringLiteral("DROP USER IF EXISTS %1").arg(account));
            }
        } dropAtEnd{server_, anonymous + QStringList{QStringLiteral("'i44anon'@'%'")}};
        makeVault(QStringLiteral("abcd"));
        for (const QString& account : anonymous)
            server_.execAsRoot(QStringLiteral("CREATE USER %1").arg(account));

        // root@localhost is matched before the anonymous account of its host.
        startUp(server_.root, QStringLiteral("abcd"));
        const QStringList messages = alerts_->messages();
        QCOMPARE(messages.size(), 1);
        for (const QString& account : anonymous) {
            QVERIFY2(messages.first().contains(account), qPrintable(messages.first()));
            QVERIFY2(messages.first().contains(QStringLiteral("DROP USER %1;").arg(account)), qPrintable(messages.first()));
        }
        QVERIFY(messages.first().contains(QStringLiteral("refuses the login")));

        auto user = OTVUser_Admin::createUser();
        user->setMUsername(QStringLiteral("i44anon"));
        user->setMPassword(QStringLiteral("Anon-pw-12"));
        QCOMPARE(store_->addUser(user), int(kOTVStatusOK));
        QVERIFY(!ServerAccounts::login(server_, QStringLiteral("i44anon"), QStringLiteral("Anon-pw-12")));

        for (const QString& account : anonymous)
            server_.execAsRoot(QStringLiteral("DROP USER %1").arg(account));
        QVERIFY(ServerAccounts::login(server_, QStringLiteral("i44anon"), QStringLiteral("Anon-pw-12")));
        OTVDataBase own;
        QCOMPARE(own.startConnectionToServer(
                     requestFor({QStringLiteral("i44anon"), QStringLiteral("Anon-pw-12")}, QStringLiteral("abcd"))),
                 int(kOTVStatusOK));
        QCOMPARE(own.initUserDetails(QStringLiteral("i44anon"), QStringLiteral("Anon-pw-12")), int(kOTVStatusOK));
        QVERIFY(own.anonymousAccountHosts().isEmpty());   // only administrators are told
        own.closeConnection();
    }

    // Quitting a session writes the window's frame and the last view; the attachment folder goes.
    void quitSavesTheLayoutAndPreferences()
    {
        makeVault(QStringLiteral("abcd"));
        startUp(server_.admin, QStringLiteral("abcd"));
        const QString attachmentFolder = controller_->attachmentFolderPath();
        const QString before = storedPreference("WINDOWPOS");
        const QRect frame(40, 50, 600, 400);
        controller_->mainWindow()->setGeometry(frame);
        store_->getCurrentUser()->setMLastView(2);

        controller_->terminate();
        controller_->applicationWillTerminate();

        const QString after = storedPreference("WINDOWPOS");
        QVERIFY2(after != before, qPrintable(before + " / " + after));
        QCOMPARE(store_->getRectFromWindowPosition(after).toRect(), frame);
        QCOMPARE(storedPreference("LASTVIEW"), QStringLiteral("2"));
        QCOMPARE(storedPreference("CURRENTTYPE"), QStringLiteral("000000000000FFFF"));
        QVERIFY(!QFileInfo::exists(attachmentFolder));

        // The next session opens the window where this one left it.
        controller_.reset();
        store_ = std::make_unique<OTVDataBase>();
        newController();
        startUp(server_.admin, QStringLiteral("abcd"));
        QCOMPARE(controller_->mainWindow()->geometry(), frame);
        QCOMPARE(store_->getCurrentUser()->mLastView(), qint16(2));
    }

    void endsWithoutSaving_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("alert");
        QTest::newRow("revoked account") << "DB_USR_DEL"
                                         << "Ostrevin Darovazivu Alert! | This User may be deleted. Please contact "
                                            "Administrator for more information. | Quit";
        QTest::newRow("store gives up") << "dontSavePreference" << "";
        // The server is there: a save at quit would succeed if it were tried.
        QTest::newRow("reconnection cancelled")
            << "DB_COMM_LOST"
            << "Ostrevin Darovazivu Alert! | Connection to the server has been lost.Please connect again. | OK";
        // The reload's worker finds the account disabled and asks to quit.
        QTest::newRow("account disabled, then reload")
            << "reload"
            << "Ostrevin Darovazivu Alert! | Your account has been disabled. Please contact administrator. | Quit";
        QTest::newRow("account disabled at unlock")
            << "displayErrCode(6)"
            << "Ostrevin Darovazivu Alert! | Your account has been disabled. Please contact administrator. | Quit";
        QTest::newRow("account deleted at unlock")
            << "displayErrCode(7)" << "Ostrevin Darovazivu Alert! | Your account has been deleted | Quit";
    }

    // Sessions that end because the account may no longer work save nothing at quit.
    void endsWithoutSaving()
    {
        QFETCH(QString, how);
        QFETCH(QString, alert);
        makeVault(QStringLiteral("abcd"));
        startUp(server_.admin, QStringLiteral("abcd"));
        alerts_->alerts.clear();
        const QString attachmentFolder = controller_->attachmentFolderPath();
        const QString before = QStringLiteral("0010 0010 0300 0200 0000");
        server_.execAsRoot(QStringLiteral("UPDATE vivododadi.APPPREFTABLE SET WINDOWPOS = '%1'").arg(before));
        controller_->mainWindow()->setGeometry(QRect(40, 50, 600, 400));

        if (how == QLatin1String("DB_USR_DEL")) {
            BKNotificationCenter::defaultCenter().postNotification(kDBUserDeletedNotification);
            QTRY_VERIFY(controller_->isTerminationRequested());
        } else if (how == QLatin1String("DB_COMM_LOST")) {
            BKConnectionDialog* dialog = controller_->connectionDialog();
            whenVisible(dialog, [dialog] { QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton); });
            BKNotificationCenter::defaultCenter().postNotification(kDBCommunicationLostNotification);
            QTRY_VERIFY(controller_->isTerminationRequested());
        } else if (how == QLatin1String("reload")) {
            server_.execAsRoot(QStringLiteral("UPDATE vivododadi.USERTABLE SET ISACCOUNTDISABLED = 1 WHERE "
                                              "USERNAME = '%1'")
                                   .arg(server_.admin.user));
            controller_->reloadDatabase();
            QVERIFY(!controller_->isStoreWorkerRunning());
        } else if (how == QLatin1String("dontSavePreference")) {
            controller_->dontSavePreference();
            controller_->terminateApplication();
        } else {
            controller_->displayErrCode(how.endsWith(QLatin1String("(6)")) ? 6 : 7);
        }
        controller_->applicationWillTerminate();

        QCOMPARE(alertLines(*alerts_), alert.isEmpty() ? QStringList() : QStringList{alert});
        QVERIFY(controller_->isTerminationRequested());
        QVERIFY(controller_->isConnectionCancelled());
        QCOMPARE(storedPreference("WINDOWPOS"), before);
        QVERIFY(!QFileInfo::exists(attachmentFolder));
    }

private:
    void newController()
    {
        alerts_.reset();
        controller_ = std::make_unique<BKController>(*store_);
        alerts_ = std::make_unique<RecordingAlertPresenter>();
    }

    DialogScript connectionScript()
    {
        BKConnectionDialog* dialog = controller_->connectionDialog();
        return DialogScript(dialog, [dialog] { return dialog->isConnecting(); });
    }

    std::function<void()> attempt(const QString& user, const QString& password, const QString& masterPassword)
    {
        return [this, user, password, masterPassword] {
            BKConnectionDialog* dialog = controller_->connectionDialog();
            dialog->serverField()->setText(server_.host);
            dialog->portField()->setText(QString::number(server_.port));
            dialog->userField()->setText(user);
            dialog->passwordField()->setText(password);
            dialog->masterPasswordField()->setText(masterPassword);
            QTest::mouseClick(dialog->connectButton(), Qt::LeftButton);
        };
    }

    // A vault with a master password and the administrator as its user, made by another copy.
    OTVConnectRequest requestFor(const TestAccount& account, const QString& masterPassword = QString()) const
    {
        return StoreConnectRequest(server_, account, masterPassword);
    }

    void makeVault(const QString& masterPassword, const QString& disabledUser = QString())
    {
        OTVDataBase other;
        QCOMPARE(other.startConnectionToServer(requestFor(server_.admin)), int(kOTVStatusOK));
        // The login made the administrator a vault user, with its preference row.
        QCOMPARE(other.initUserDetails(server_.admin.user, server_.admin.password), int(kOTVStatusOK));
        QCOMPARE(other.setMasterPassword(masterPassword), int(kOTVStatusOK));
        QCOMPARE(other.loadDataBase(true), int(kOTVStatusOK));
        if (!disabledUser.isEmpty()) {
            const QString password = QString::fromLatin1(other.encryptDataString(QStringLiteral("x")).toHex());
            server_.execAsRoot(QStringLiteral("INSERT INTO vivododadi.USERTABLE VALUES ('0000000000000009', '%1', "
                                              "x'%2', 'Mac-Standalone', 5, 5, 5, 5, 0, 1)")
                                   .arg(disabledUser, password));
        }
        other.closeConnection();
    }

    void startUp(const TestAccount& account, const QString& masterPassword)
    {
        controller_->applicationWillFinishLaunching();
        DialogScript script = connectionScript();
        script.then(attempt(account.user, account.password, masterPassword));
        QVERIFY(controller_->applicationDidFinishLaunching());
        QVERIFY(store_->isVaultLoaded());
        QVERIFY(controller_->mainWindow()->isVisible());
    }

    QString storedPreference(const char* column)
    {
        const QStringList rows =
            rootColumn(QStringLiteral("SELECT %1 FROM vivododadi.APPPREFTABLE WHERE USERNAME = '%2'")
                           .arg(QLatin1String(column), server_.admin.user));
        return rows.value(0);
    }

    QStringList rootColumn(const QString& query)
    {
        QStringList values;
        std::unique_ptr<sql::Connection> connection = server_.connect(server_.root);
        if (!connection)
            return values;
        try {
            std::unique_ptr<sql::Statement> statement(connection->createStatement());
            std::unique_ptr<sql::ResultSet> result(statement->executeQuery(query.toStdString()));
            while (result->next())
                values.append(result->isNull(1) ? QString() : QString::fromStdString(result->getString(1)));
        } catch (const sql::SQLException& e) {
            qWarning() << query << e.what();
        }
        return values;
    }

    TestServer server_;
    std::unique_ptr<TemporarySettings> settings_;
    std::unique_ptr<OTVDataBase> store_;
    std::unique_ptr<BKController> controller_;
    std::unique_ptr<RecordingAlertPresenter> alerts_;
};

QTEST_MAIN(LoginTest)
#include "LoginTest.moc"
