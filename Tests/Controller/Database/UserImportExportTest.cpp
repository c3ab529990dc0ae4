// The user-account window's import and export of user lists against the fixture's MariaDB:
// every row's outcome in the result sheet and on the server (accounts, SHOW GRANTS, rows),
// refused rows that leave nothing, a server error inside one user's add that leaves nothing of
// that user, exports that come back as the same users and rights; and the toolbar, and the
// account-details mail of the add/edit sheet.
#include "Controller/AccountMailSender.h"
#include "Controller/BKUserAccountSheet.h"
#include "Controller/BKUserListModel.h"
#include "Controller/OEImportUserStatisticsController.h"
#include "Controller/UserAccountController.h"
#include "Model/BKPasswordPolicyController.h"
#include "Model/OTVAccountMail.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVUser_Admin.h"
#include "Model/vRX/CStringArray.h"
#include "Model/vRX/ExchangeFormats.h"
#include "Model/vRX/Vault/CBKUserParser.h"
#include "Model/vRX/Vault/OTVUserParserDelegate.h"
#include "Platform/BKUserDefaults.h"
#include "Support/LoopbackFormService.h"
#include "Support/RecordingApplicationServices.h"
#include "Support/TemporarySettings.h"

#include "../ControllerTestSupport.h"
#include "ServerAccounts.h"
#include "ViewsTestVault.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <sys/stat.h>

namespace {

// One line of a user list, as bytes (a field need not be UTF-8).
struct Line {
    std::string name = {};
    std::string password = {};
    std::string confirmation = {};
    std::string fullName = {};
    std::string words[4] = {"1", "1", "1", "1"};
};

QByteArray userList(const QList<Line>& lines)
{
    std::string text;
    WriteHeader(kUserCSVFile, text, nullptr);
    for (const Line& line : lines) {
        CStringArray texts;
        for (const std::string* field : {&line.name, &line.password, &line.confirmation, &line.fullName})
            texts.Add(field->c_str());
        for (const char* field : {"description", "someone@example.org", "555 0101"})
            texts.Add(field);
        CStringArray words;
        for (const std::string& word : line.words)
            words.Add(word.c_str());
        WriteNextCSVUserRecord(text, texts, words);
    }
    return QByteArray(text.data(), qsizetype(text.size()));
}

// The result sheet as it showed: "name | status | description" per row, and the summary.
struct Results {
    bool shown = false;
    QStringList rows;
    QString summary;
};

} // namespace

class UserImportExportTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(TestServer::fromEnvironment(&server_)); }
    void init();
    void cleanup();

    void importReportsEveryRow();
    void headerOnlyImportsNothing();
    void fileThatIsNoUserListAddsNothing_data();
    void fileThatIsNoUserListAddsNothing();
    void serverErrorInsideOneUserLeavesNothingOfIt();
    void exportComesBackAsTheSameUsersAndRights();
    void exportRefusals();
    void toolbarItemsAndTheirCommands();
    void accountDetailsMailOfTheSheet();
    void exportedPasswordsMeetThePolicy_data();
    void exportedPasswordsMeetThePolicy();

private:
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    // Imports the file and reads the result sheet, which it closes.
    Results importFile(const QString& path);
    bool serverAccountExists(const QString& name) const;
    int rootCount(const QString& query, const QString& name) const;
    QStringList grantsOf(const QString& name) const;
    std::shared_ptr<OTVUser_Admin> user(const QString& name) const;
    bool login(const QString& name, const QString& password) const;
    void forget(const QStringList& names) { madeNames_ += names; }

    TestServer server_;
    RecordingApplicationServices services_;
    std::unique_ptr<RecordingAlertPresenter> alerts_;
    std::unique_ptr<TemporarySettings> settings_;
    std::unique_ptr<OTVDataBase> store_;
    std::unique_ptr<ViewsTestVault> vault_;
    std::unique_ptr<UserAccountController> window_;
    std::unique_ptr<QTemporaryDir> files_;
    QStringList madeNames_;
};

void UserImportExportTest::init()
{
    QVERIFY(ViewsTestVault::startSession(server_, settings_, store_, vault_));
    alerts_ = std::make_unique<RecordingAlertPresenter>();
    BKPasswordPolicyController::sharedBKPasswordPolicyController().passwordPolicyDidChanged(OTVPasswordPolicy{4, 0});
    window_ = std::make_unique<UserAccountController>(*store_);
    window_->show();
    files_ = std::make_unique<QTemporaryDir>();
}

void UserImportExportTest::cleanup()
{
    window_.reset();
    server_.execAsRoot(QStringLiteral("DROP TRIGGER IF EXISTS vivododadi.i35_refuse"));
    for (const QString& name : madeNames_)
        server_.execAsRoot(QStringLiteral("DROP USER IF EXISTS '%1'@'%'").arg(QString(name).replace("'", "''")));
    madeNames_.clear();
    alerts_.reset();
    vault_.reset();
    store_.reset();
    settings_.reset();
    files_.reset();
}

QString UserImportExportTest::writeFile(const QString& name, const QByteArray& bytes) const
{
    const QString path = files_->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

Results UserImportExportTest::importFile(const QString& path)
{
    Results results;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* sheet = window_->findChild<OEImportUserStatisticsController*>();
        if (!sheet || !sheet->isVisible())
            return;
        poll.stop();
        results.shown = true;
        QTableWidget* table = sheet->resultTable();
        for (int row = 0; row < table->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < 3; ++column)
                cells.append(table->item(row, column) ? table->item(row, column)->text() : QStringLiteral("-"));
            results.rows.append(cells.join(QStringLiteral(" | ")));
        }
        results.summary = sheet->summaryField()->text();
        sheet->findChild<QPushButton*>(QStringLiteral("closeResultsButton"))->click();
    });
    poll.start(5);
    window_->importUsersFromFile(path);
    return results;
}

bool UserImportExportTest::serverAccountExists(const QString& name) const
{
    return ServerAccounts::exists(server_, name);
}

int UserImportExportTest::rootCount(const QString& query, const QString& name) const
{
    return ServerAccounts::rootCount(server_, query, name);
}

QStringList UserImportExportTest::grantsOf(const QString& name) const
{
    QStringList grants;
    // The password's hash differs from one account to the next; the rights do not.
    for (const QString& grant : ServerAccounts::grants(server_, name))
        grants.append(grant.left(grant.indexOf(QStringLiteral(" IDENTIFIED"))));
    grants.sort();
    return grants;
}

std::shared_ptr<OTVUser_Admin> UserImportExportTest::user(const QString& name) const
{
    for (const auto& account : store_->mUsers())
        if (account->mUsername() == name)
            return account;
    return nullptr;
}

bool UserImportExportTest::login(const QString& name, const QString& password) const
{
    return bool(ServerAccounts::login(server_, name, password));
}

void UserImportExportTest::importReportsEveryRow()
{
    server_.execAsRoot(QStringLiteral("CREATE USER IF NOT EXISTS 'i35server'@'%' IDENTIFIED BY 'keep-me-1'"));
    forget({"i35good", "i35trim", "i35mac", "i35lat", "i35smile", "i35server", "i35nopw", "i35mis", "i35data",
            "i35weak", "i35seventeenchars", "i35bad"});
    struct Case {
        Line line;
        QString reported;    // the name in the sheet
        QString outcome;     // "status | description"
    };
    const QString failed = QStringLiteral("Failed | ");
    const QList<Case> cases = {
        {{"i35good", "Good-pass-1", "Good-pass-1"}, "i35good", "Succeeded | "},
        {{"i35good", "Good-pass-2", "Good-pass-2"}, "i35good", failed + "User already exists"},
        {{"  i35trim ", "Trim-pass-1", "Trim-pass-1"}, "i35trim", "Succeeded | "},
        // A user list is UTF-8: a row with a text in another encoding is refused, not guessed at.
        {{"i35mac", "Mac-pass-1", "Mac-pass-1", "Caf\x8e cr\x8fme"}, "i35mac", failed + "Invalid user details"},
        {{"i35lat", "Mon\xc8-pass-1", "Mon\xc8-pass-1"}, "i35lat", failed + "Invalid user details"},
        // The server's details table cannot hold characters beyond the basic plane: the store
        // says why.
        {{"i35smile", "Smile-pass-1", "Smile-pass-1", "Happy \xf0\x9f\x99\x82"}, "i35smile",
         failed + "Unable to create user: The value is too long or contains characters that cannot be stored."},
        {{"i35server", "Srv-pass-1", "Srv-pass-1"}, "i35server", failed + "User already exists"},
        {{"i35nopw", "", ""}, "i35nopw", failed + "Invalid user details"},
        {{"i35mis", "Mis-pass-1", "Mis-pass-2", "", {"1", "1", "1", "101"}}, "i35mis", failed + "Password mismatch"},
        {{"i35data", "Data-pass-1", "Data-pass-1", "", {"1", "1", "1", "101"}}, "i35data",
         failed + "Invalid permission"},
        {{"i35weak", "abc", "abc"}, "i35weak", failed + "Password Policy mismatch"},
        {{"Root", "Root-pass-1", "Root-pass-1"}, "Root", failed + "Invalid user details"},
        {{"i35o'neil", "Quote-pass-1", "Quote-pass-1"}, "i35o'neil", failed + "Invalid user details"},
        {{"i35a`b", "Tick-pass-1", "Tick-pass-1"}, "i35a`b", failed + "Invalid user details"},
        {{"i35seventeenchars", "Long-pass-1", "Long-pass-1"}, "i35seventeenchars", failed + "Invalid user details"},
        {{"i35caf\x8e", "Caf-pass-1", "Caf-pass-1"}, QString::fromUtf8("i35caf\xc3\xa9"),
         failed + "Invalid user details"},
        {{"i35bad", std::string(41, 'p'), std::string(41, 'p')}, "i35bad", failed + "Invalid user details"},
    };
    QList<Line> lines;
    for (const Case& c : cases)
        lines.append(c.line);
    const qsizetype usersBefore = store_->mUsers().size();

    const Results results = importFile(writeFile(QStringLiteral("users.csv"), userList(lines)));

    QVERIFY2(alerts_->alerts.isEmpty(), qPrintable(alertLines(*alerts_).join('\n')));
    QVERIFY(results.shown);
    QStringList expected;
    for (const Case& c : cases)
        expected.append(c.reported + QStringLiteral(" | ") + c.outcome);
    QCOMPARE(results.rows, expected);
    QCOMPARE(results.summary, QStringLiteral("2 of 17 users were added."));
    QCOMPARE(store_->mUsers().size(), usersBefore + 2);
    QCOMPARE(window_->userModel()->rowCount(), int(store_->mUsers().size()));

    // The added ones are accounts with their rights, and log in with the file's password.
    for (const auto& [name, password] : {std::pair{"i35good", "Good-pass-1"}, {"i35trim", "Trim-pass-1"}}) {
        QVERIFY2(login(QLatin1String(name), QLatin1String(password)), name);
        QVERIFY(grantsOf(QLatin1String(name)).join('\n').contains(QStringLiteral("`vivododadi`.`RECORDTABLE`")));
        QVERIFY(user(QLatin1String(name)));
    }
    QVERIFY(login(QStringLiteral("i35server"), QStringLiteral("keep-me-1")));   // not taken over
    // Refused rows leave nothing anywhere.
    for (const char* name : {"i35mac", "i35lat", "i35smile", "i35nopw", "i35mis", "i35data", "i35weak", "i35o'neil",
                             "i35a`b", "i35seventeenchars", "i35seventeencha", "i35bad"}) {
        QVERIFY2(!serverAccountExists(QLatin1String(name)), name);
        QCOMPARE(rootCount(QStringLiteral("SELECT COUNT(*) FROM vivododadi.USERTABLE WHERE USERNAME=?"),
                           QLatin1String(name)), 0);
    }
    QCOMPARE(rootCount(QStringLiteral("SELECT COUNT(*) FROM mysql.user WHERE user LIKE ?"), QStringLiteral("i35caf%")),
             0);
}

void UserImportExportTest::headerOnlyImportsNothing()
{
    const Results results = importFile(writeFile(QStringLiteral("empty.csv"), userList({})));
    QVERIFY(results.shown);
    QVERIFY(results.rows.isEmpty());
    QCOMPARE(results.summary, QStringLiteral("0 of 0 users were added."));
    QVERIFY(alerts_->alerts.isEmpty());
}

void UserImportExportTest::fileThatIsNoUserListAddsNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QString>("message");
    const QString invalid = QStringLiteral("Invalid input file.");
    QTest::newRow("record list") << QByteArray("\"Name\",\"Password\"\r\"x\",\"y\"\r") << true << invalid;
    QTest::newRow("empty file") << QByteArray() << true << invalid;
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe\x01", 4) << true << invalid;
    QTest::newRow("missing file") << QByteArray() << false << invalid;
    // A user list but for one byte: the line is named (CR LF ends one line, as CR and LF do).
    QByteArray nul = userList({{"i35a", "A-pass-1", "A-pass-1"}, {"i35b", "B-pass-1", "B-pass-1", "B"}});
    nul.replace("\r", "\r\n");
    nul.replace(",B,", QByteArray(",B\0,", 4));
    QTest::newRow("a NUL byte in a row") << nul << true
                                         << invalid + " Line 3 holds a control character (such as a NUL byte) that a "
                                                      "user list cannot hold.";
}

void UserImportExportTest::fileThatIsNoUserListAddsNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, exists);
    QFETCH(QString, message);
    const qsizetype usersBefore = store_->mUsers().size();
    const QString path = exists ? writeFile(QStringLiteral("other.csv"), bytes) : files_->filePath("none.csv");
    const Results results = importFile(path);
    QVERIFY(!results.shown);
    QCOMPARE(alertLines(*alerts_), QStringList{"Ostrevin Darovazivu Alert | " + message + " | OK"});
    QCOMPARE(store_->mUsers().size(), usersBefore);
}

void UserImportExportTest::serverErrorInsideOneUserLeavesNothingOfIt()
{
    forget({"i35before", "i35boom", "i35after"});
    // The vault row of one user is refused after its account, details and grants were made.
    server_.execAsRoot(QStringLiteral(
        "CREATE TRIGGER vivododadi.i35_refuse BEFORE INSERT ON vivododadi.USERTABLE FOR EACH ROW "
        "IF NEW.USERNAME = 'i35boom' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'; END IF"));
    const Results results = importFile(writeFile(
        QStringLiteral("users.csv"), userList({{"i35before", "Before-pw-1", "Before-pw-1"},
                                               {"i35boom", "Boom-pw-1", "Boom-pw-1"},
                                               {"i35after", "After-pw-1", "After-pw-1"}})));
    QCOMPARE(results.rows, (QStringList{"i35before | Succeeded | ", "i35boom | Failed | Unable to create user: Operation failed. refused",
                                        "i35after | Succeeded | "}));
    QVERIFY(!serverAccountExists(QStringLiteral("i35boom")));
    for (const char* query : {"SELECT COUNT(*) FROM mysql.user_info WHERE User=?",
                              "SELECT COUNT(*) FROM mysql.tables_priv WHERE User=?",
                              "SELECT COUNT(*) FROM vivododadi.USERTABLE WHERE USERNAME=?"})
        QCOMPARE(rootCount(QLatin1String(query), QStringLiteral("i35boom")), 0);
    QVERIFY(!user(QStringLiteral("i35boom")));
    QVERIFY(login(QStringLiteral("i35after"), QStringLiteral("After-pw-1")));
    QVERIFY(!login(QStringLiteral("i35boom"), QStringLiteral("Boom-pw-1")));
}

void UserImportExportTest::exportComesBackAsTheSameUsersAndRights()
{
    const QStringList names = {"i35zed", "i35amy", "i35mid"};
    forget(names);
    const QList<Line> lines = {{"i35zed", "Zed-pass-1", "Zed-pass-1", "Zed", {"1", "0", "101", "101010"}},
                               {"i35amy", "Amy-pass-1", "Amy-pass-1", "Amy", {"0", "0", "0", "0"}},
                               {"i35mid", "Mid-pass-1", "Mid-pass-1", "Mid", {"110", "011", "1", "000001"}}};
    QCOMPARE(importFile(writeFile(QStringLiteral("in.csv"), userList(lines))).summary,
             QStringLiteral("3 of 3 users were added."));
    QMap<QString, QStringList> grants;
    QMap<QString, QList<int>> words;
    for (const QString& name : names) {
        grants[name] = grantsOf(name);
        const auto account = user(name);
        words[name] = {account->mGroupPermissionsBit(), account->mTypePermissionsBit(),
                       account->mRecordPermissionsBit(), account->mDataPermissionsBit()};
    }

    const auto exportRecords = [this](const QString& path) {
        window_->exportUsersToFile(path);
        OTVUserParserDelegate delegate;
        CBKUserParser(QFile::encodeName(path).toStdString(), &delegate).StartParsing();
        return delegate.ImportedUsers();
    };
    const QString first = files_->filePath(QStringLiteral("out1.csv"));
    const std::vector<OEUserRecord> once = exportRecords(first);
    const std::vector<OEUserRecord> twice = exportRecords(files_->filePath(QStringLiteral("out2.csv")));
    // Each export says that its passwords are new ones, not the accounts'.
    const QString newPasswords = QStringLiteral("Ostrevin Darovazivu Alert | The file gives each user a newly "
                                                "generated password, not the account's own; the accounts here keep "
                                                "their passwords. | OK");
    QCOMPARE(alertLines(*alerts_), (QStringList{newPasswords, newPasswords}));
    struct stat status {};
    QCOMPARE(stat(QFile::encodeName(first).constData(), &status), 0);
    QCOMPARE(status.st_mode & 07777, mode_t(0600));
    // Every ordinary user sorted by name, none of the administrators; a new password each time.
    QStringList exported;
    for (const OEUserRecord& record : once)
        exported.append(*record.mUsername());
    QCOMPARE(exported, (QStringList{"i35amy", "i35mid", "i35zed"}));
    QCOMPARE(twice.size(), once.size());
    for (size_t i = 0; i < once.size(); ++i) {
        QVERIFY(!once[i].mPassword()->isEmpty());
        QCOMPARE(*once[i].mPassword(), *once[i].mConfirmPassword());
        QVERIFY(*once[i].mPassword() != *twice[i].mPassword());
        QVERIFY(*once[i].mPassword() != QStringLiteral("Zed-pass-1"));
    }
    // The vault keeps the passwords it had.
    QVERIFY(login(QStringLiteral("i35zed"), QStringLiteral("Zed-pass-1")));

    // Into an empty vault on a server without these accounts.
    window_.reset();
    for (const QString& name : names) {
        server_.execAsRoot(QStringLiteral("DROP USER '%1'@'%'").arg(name));
        server_.execAsRoot(QStringLiteral("DELETE FROM mysql.user_info WHERE User='%1'").arg(name));
    }
    QVERIFY(ViewsTestVault::startSession(server_, settings_, store_, vault_));
    window_ = std::make_unique<UserAccountController>(*store_);
    window_->show();
    QCOMPARE(importFile(first).summary, QStringLiteral("3 of 3 users were added."));
    for (const QString& name : names) {
        const auto account = user(name);
        QVERIFY(account);
        QCOMPARE((QList<int>{account->mGroupPermissionsBit(), account->mTypePermissionsBit(),
                             account->mRecordPermissionsBit(), account->mDataPermissionsBit()}),
                 words[name]);
        QCOMPARE(grantsOf(name), grants[name]);
    }
    QCOMPARE(user(QStringLiteral("i35zed"))->mFullName(), QStringLiteral("Zed"));
    QVERIFY(login(QStringLiteral("i35zed"), *once.back().mPassword()));
}

void UserImportExportTest::exportRefusals()
{
    // Only the session's administrator is a vault user yet.
    window_->exportUsersToFile(files_->filePath(QStringLiteral("none.csv")));
    QCOMPARE(alertLines(*alerts_), QStringList{"Ostrevin Darovazivu Alert | No User to export. | OK"});
    QVERIFY(!QFile::exists(files_->filePath(QStringLiteral("none.csv"))));

    forget({"i35one"});
    importFile(writeFile(QStringLiteral("one.csv"), userList({{"i35one", "One-pass-1", "One-pass-1"}})));
    alerts_->alerts.clear();
    window_->exportUsersToFile(files_->filePath(QStringLiteral("no/such/folder/out.csv")));
    QCOMPARE(alertLines(*alerts_),
             QStringList{"Ostrevin Darovazivu Alert | Export incomplete. Unable to create export file, please try "
                         "again. | OK"});
}

void UserImportExportTest::toolbarItemsAndTheirCommands()
{
    QToolBar* toolbar = window_->toolbar();
    QVERIFY(toolbar);
    QCOMPARE(toolbar->objectName(), QStringLiteral("UserToolBar"));
    QStringList items;
    for (QAction* action : toolbar->actions()) {
        if (!action->objectName().isEmpty())
            items.append(action->objectName() + QLatin1Char('=') + action->data().toString());
    }
    QCOMPARE(items, (QStringList{"Set Password Policy=0", "Import Users=1", "Export Users=2", "Search bar="}));
    QCOMPARE(toolbar->widgetForAction(toolbar->actions().last()), window_->searchField());

    QList<bool> asked;
    window_->setFileChooser([&asked](bool save) {
        asked.append(save);
        return QString();   // cancelled
    });
    for (const char* identifier : {"Import Users", "Export Users"}) {
        for (QAction* action : toolbar->actions())
            if (action->objectName() == QLatin1String(identifier))
                action->trigger();
    }
    window_->toolBarItemClicked(QStringLiteral("Search bar"));
    window_->toolBarItemClicked(QStringLiteral("Unknown"));
    QCOMPARE(asked, (QList<bool>{false, true}));
    QVERIFY(alerts_->alerts.isEmpty());
}

void UserImportExportTest::accountDetailsMailOfTheSheet()
{
    BKUserAccountSheet* sheet = window_->accountSheet();
    struct Box {
        bool enabledAtOpen = true;
        bool enabledTyped = false;
        bool checkedTyped = false;
        QString tipAtOpen;
    };
    // Runs `command` with `password` typed (none: nothing typed) and the send box set to `mail`.
    const auto throughSheet = [&](const std::function<void()>& command, const QString& name, const QString& password,
                                  bool mail, Box* box) {
        whenVisible(sheet, [=] {
            box->enabledAtOpen = sheet->sendMailBox()->isEnabled() || sheet->sendMailBox()->isChecked();
            box->tipAtOpen = sheet->sendMailBox()->toolTip();
            if (!name.isNull())
                sheet->nameField()->setText(name);
            sheet->passwordField()->setText(password);
            sheet->confirmationField()->setText(password);
            box->enabledTyped = sheet->sendMailBox()->isEnabled();
            box->checkedTyped = sheet->sendMailBox()->isChecked();
            if (!sheet->emailField()->isReadOnly())
                sheet->emailField()->setText(QStringLiteral("%1@example.org").arg(name));
            if (sheet->sendMailBox()->isEnabled())
                sheet->sendMailBox()->setChecked(mail);
            sheet->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        command();
    };
    const auto add = [&](const QString& name, const QString& password, bool mail, Box* box) {
        forget({name});
        throughSheet([this] { window_->newUser(); }, name, password, mail, box);
    };
    const auto edit = [&](const QString& name, const QString& password, bool mail, Box* box) {
        window_->reloadTable();
        for (int row = 0; row < window_->userModel()->rowCount(); ++row) {
            if (window_->userModel()->userAt(row)->mUsername() == name)
                window_->userTable()->selectRow(row);
        }
        throughSheet([this] { window_->editUser(); }, QString(), password, mail, box);
    };

    // No endpoint: the box is off and cannot be turned on; its tip names the three settings.
    Box box;
    add(QStringLiteral("i35plain"), QStringLiteral("Plain-pw-1"), false, &box);
    QVERIFY(!box.enabledAtOpen && !box.enabledTyped);
    for (const QString& key : {kAccountMailEndpointKey, kAccountMailSenderKey, kAccountMailRefererKey})
        QVERIFY2(box.tipAtOpen.contains(key), qPrintable(box.tipAtOpen));

    LoopbackFormService service;
    service.chunks = {"Your message has been sent"};
    BKUserDefaults::standardUserDefaults().setObject(service.url().toString(), kAccountMailEndpointKey);
    BKUserDefaults::standardUserDefaults().setObject(QStringLiteral("Vault Admin"), kAccountMailSenderKey);
    QSignalSpy reports(&AccountMailSender::sharedAccountMailSender(), &AccountMailSender::mailFinished);
    // Off until a password is typed, then on.
    add(QStringLiteral("i35mail"), QStringLiteral("Mail-pw-1"), true, &box);
    QVERIFY(!box.enabledAtOpen);
    QVERIFY(box.tipAtOpen.contains(QStringLiteral("typed")));
    QVERIFY(box.enabledTyped && box.checkedTyped);
    add(QStringLiteral("i35quiet"), QStringLiteral("Quiet-pw-1"), false, &box);
    // An edit without a typed password mails nothing (there is no password to tell).
    edit(QStringLiteral("i35mail"), QString(), true, &box);
    QVERIFY(!box.enabledTyped && !box.checkedTyped);
    // With one, the new password.
    edit(QStringLiteral("i35mail"), QStringLiteral("Mail-pw-2"), true, &box);
    QVERIFY(box.enabledTyped);
    QTRY_COMPARE_WITH_TIMEOUT(reports.count(), 2, 5000);
    QTest::qWait(100);
    QCOMPARE(service.requests.size(), 2);
    const QStringList passwords = {QStringLiteral("Mail-pw-1"), QStringLiteral("Mail-pw-2")};
    for (int i = 0; i < 2; ++i) {
        const QByteArray body = service.requests.at(i).body;
        const QByteArray expected =
            OTVAccountMailMessage(store_->connectedServerAddress(), store_->connectingPortAddress(),
                                  QStringLiteral("i35mail"), passwords.at(i), store_->masterPassword())
                .toUtf8();
        QVERIFY2(body.contains("\r\r\n" + expected + "\n"), body.constData());
        QVERIFY(body.contains("\r\r\ni35mail@example.org\n"));
        QVERIFY(body.contains("name=\"name\"\n\nVault Admin\n"));
    }
    QVERIFY(login(QStringLiteral("i35mail"), QStringLiteral("Mail-pw-2")));
    QVERIFY(alerts_->alerts.isEmpty());
}

// Exported users get passwords of at least 12 characters that meet the policy, whatever its
// minimum: the file imports again as it is, and each password opens its account.
void UserImportExportTest::exportedPasswordsMeetThePolicy_data()
{
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("length");
    QTest::newRow("minimum 0") << 0 << 12;
    QTest::newRow("minimum 4") << 4 << 12;
    QTest::newRow("minimum 40") << 40 << 40;
}

void UserImportExportTest::exportedPasswordsMeetThePolicy()
{
    QFETCH(int, minimum);
    QFETCH(int, length);
    forget({"i44exp"});
    QCOMPARE(importFile(writeFile(QStringLiteral("in.csv"), userList({{"i44exp", "Exp-pass-1", "Exp-pass-1"}})))
                 .summary,
             QStringLiteral("1 of 1 users were added."));
    const OTVPasswordPolicy policy{minimum, 5};
    QCOMPARE(store_->setPasswordPolicy(&policy), int(kOTVStatusOK));
    BKPasswordPolicyController::sharedBKPasswordPolicyController().passwordPolicyDidChanged(policy);

    const QString path = files_->filePath(QStringLiteral("out.csv"));
    window_->exportUsersToFile(path);
    OTVUserParserDelegate delegate;
    CBKUserParser(QFile::encodeName(path).toStdString(), &delegate).StartParsing();
    QCOMPARE(delegate.ImportedUsers().size(), size_t(1));
    const QString password = *delegate.ImportedUsers().front().mPassword();
    QCOMPARE(password.length(), length);
    QVERIFY(BKPasswordPolicyController::sharedBKPasswordPolicyController().stringConformsPassowrdPolicy(password));

    QCOMPARE(store_->deleteUser(user(QStringLiteral("i44exp"))), int(kOTVStatusOK));
    QCOMPARE(importFile(path).summary, QStringLiteral("1 of 1 users were added."));
    QVERIFY(login(QStringLiteral("i44exp"), password));
}

QTEST_MAIN(UserImportExportTest)
#include "UserImportExportTest.moc"
