// The user-account window against the fixture's MariaDB: accounts added, edited, duplicated and
// deleted through the window are what the server holds (SHOW GRANTS, a login as the account, a
// second client's view of the vault), refused names create nothing, and the password-policy
// sheet's setting is stored and enforced on the next account.
#include "Controller/BKCheckListModel.h"
#include "Controller/BKPasswordPolicySheet.h"
#include "Controller/BKUserAccountSheet.h"
#include "Controller/BKUserListModel.h"
#include "Controller/UserAccountController.h"
#include "Customization/BKPermissionGrid.h"
#include "Model/BKPasswordPolicyController.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/Database_Engine/OTVDataBaseQueries.h"
#include "Model/OTVUser_Admin.h"
#include "Support/RecordingApplicationServices.h"
#include "Support/TemporarySettings.h"

#include "../ControllerTestSupport.h"
#include "ServerAccounts.h"
#include "ViewsTestVault.h"

#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>

#include <cppconn/driver.h>
#include <cppconn/exception.h>
#include <cppconn/prepared_statement.h>

namespace {

struct Words {
    quint16 group, type, record, data;
};

// What the administrator types into the sheet.
struct Typed {
    QString name;
    QString password;
    QString email = QStringLiteral("someone@example.org");
    std::optional<Words> words;
    bool disabled = false;
};

void clickOK(QDialog& dialog)
{
    dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
}

// Presses OK; when the sheet refused (it is still open), cancels it.
void okOrCancel(QDialog& dialog)
{
    clickOK(dialog);
    if (dialog.isVisible())
        dialog.findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
}

void type(BKUserAccountSheet* sheet, const Typed& typed)
{
    if (!typed.name.isNull()) {
        // Longer names than the field takes by typing reach the checks as a duplicate's name does.
        sheet->nameField()->setMaxLength(std::max(16, int(typed.name.length())));
        sheet->nameField()->setText(typed.name);
    }
    if (!typed.password.isNull()) {
        sheet->passwordField()->setText(typed.password);
        sheet->confirmationField()->setText(typed.password);
    }
    if (!sheet->emailField()->isReadOnly())
        sheet->emailField()->setText(typed.email);
    sheet->disabledBox()->setChecked(typed.disabled);
    if (typed.words) {
        sheet->grid(0)->setWord(typed.words->group);
        sheet->grid(1)->setWord(typed.words->type);
        sheet->grid(2)->setWord(typed.words->record);
        sheet->grid(3)->setWord(typed.words->data);
    }
}

} // namespace

class UserAccountWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(TestServer::fromEnvironment(&server_)); }
    void init();
    void cleanup();

    void addsAccountsWithTheirWords_data();
    void addsAccountsWithTheirWords();
    void refusedNamesCreateNothing_data();
    void refusedNamesCreateNothing();
    void unstorableDetailsAreNamedAndKeepTheSheet_data();
    void unstorableDetailsAreNamedAndKeepTheSheet();
    void aRefusedAccountBringsTheSheetBackAsTyped();
    void aConnectionLostWhileAddingIsLeftToTheReconnection_data();
    void aConnectionLostWhileAddingIsLeftToTheReconnection();
    void editRenamesDisablesAndSetsThePassword();
    void duplicateIsAnAccountOfItsOwn();
    void passwordColumnSaysWhatTheServerHolds();
    void deleteRemovesTheSelectedFilteredRows();
    void buttonsFollowTheSelection();
    void everyOpeningOfTheSheetStartsAtTheName();
    void newAccountsStartWithTheRememberedWords();
    void policySheetIsStoredAndEnforced();
    void policySheetCancelChangesNothing();

private:
    // Runs the window's new-user command with `typed` in the sheet.
    void addThroughWindow(const Typed& typed);
    // Runs `action` once the window's password-policy sheet shows.
    void whenPolicySheetVisible(std::function<void(BKPasswordPolicySheet*)> action);
    void selectNames(const QStringList& names);
    std::shared_ptr<OTVUser_Admin> user(const QString& name) const;
    QStringList grantsOf(const QString& name) const;
    bool serverAccountExists(const QString& name) const;
    // A login as the account: the connection, or nullptr when the server refuses it.
    std::unique_ptr<sql::Connection> login(const QString& name, const QString& password) const;

    TestServer server_;
    RecordingApplicationServices services_;
    std::unique_ptr<RecordingAlertPresenter> alerts_;
    std::unique_ptr<TemporarySettings> settings_;
    std::unique_ptr<OTVDataBase> store_;
    std::unique_ptr<ViewsTestVault> vault_;
    std::unique_ptr<UserAccountController> window_;
    QStringList madeNames_;
};

void UserAccountWindowTest::init()
{
    QVERIFY(ViewsTestVault::startSession(server_, settings_, store_, vault_));
    alerts_ = std::make_unique<RecordingAlertPresenter>();
    BKPasswordPolicyController::sharedBKPasswordPolicyController().passwordPolicyDidChanged(OTVPasswordPolicy{4, 0});
    window_ = std::make_unique<UserAccountController>(*store_);
    window_->show();
}

void UserAccountWindowTest::cleanup()
{
    window_.reset();
    for (const QString& name : madeNames_)
        if (!name.isEmpty())
            server_.execAsRoot(QStringLiteral("DROP USER IF EXISTS '%1'@'%'").arg(QString(name).replace("'", "''")));
    madeNames_.clear();
    alerts_.reset();
    vault_.reset();
    store_.reset();
    settings_.reset();
}

void UserAccountWindowTest::addThroughWindow(const Typed& typed)
{
    madeNames_.append(typed.name.trimmed());
    BKUserAccountSheet* sheet = window_->accountSheet();
    whenVisible(sheet, [sheet, typed] {
        type(sheet, typed);
        okOrCancel(*sheet);
    });
    window_->newUser();
}

void UserAccountWindowTest::whenPolicySheetVisible(std::function<void(BKPasswordPolicySheet*)> action)
{
    QTimer* poll = new QTimer(window_.get());
    connect(poll, &QTimer::timeout, window_.get(), [this, poll, action] {
        auto* sheet = window_->findChild<BKPasswordPolicySheet*>();
        if (!sheet || !sheet->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        action(sheet);
    });
    poll->start(5);
}

void UserAccountWindowTest::selectNames(const QStringList& names)
{
    QTableView* table = window_->userTable();
    table->clearSelection();
    for (int row = 0; row < window_->userModel()->rowCount(); ++row) {
        if (names.contains(window_->userModel()->userAt(row)->mUsername()))
            table->selectionModel()->select(window_->userModel()->index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

std::shared_ptr<OTVUser_Admin> UserAccountWindowTest::user(const QString& name) const
{
    for (const auto& account : store_->mUsers())
        if (account->mUsername() == name)
            return account;
    return nullptr;
}

QStringList UserAccountWindowTest::grantsOf(const QString& name) const
{
    return ServerAccounts::grants(server_, name);
}

bool UserAccountWindowTest::serverAccountExists(const QString& name) const
{
    return ServerAccounts::exists(server_, name);
}

std::unique_ptr<sql::Connection> UserAccountWindowTest::login(const QString& name, const QString& password) const
{
    return ServerAccounts::login(server_, name, password);
}

void UserAccountWindowTest::addsAccountsWithTheirWords_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("record");
    QTest::addColumn<int>("data");
    QTest::addColumn<bool>("disabled");
    QTest::newRow("full rights") << "i34full" << 7 << 7 << 7 << 63 << false;
    QTest::newRow("read only") << "i34none" << 0 << 0 << 0 << 0 << false;
    QTest::newRow("mixed") << "i34mix" << 5 << 2 << 1 << 0b101010 << false;
    QTest::newRow("percent and underscore") << "i34_a%b" << 1 << 0 << 7 << 1 << false;
    QTest::newRow("non-ASCII") << QString::fromUtf16(u"i34\u00e9l\u00e8ve") << 7 << 7 << 7 << 63 << false;
    QTest::newRow("disabled") << "i34off" << 7 << 7 << 7 << 63 << true;
}

void UserAccountWindowTest::addsAccountsWithTheirWords()
{
    QFETCH(QString, name);
    QFETCH(int, group);
    QFETCH(int, type);
    QFETCH(int, record);
    QFETCH(int, data);
    QFETCH(bool, disabled);
    const QString password = QStringLiteral("Pw-%1-9").arg(group);
    Typed typed{QStringLiteral("  ") + name + QStringLiteral(" "), password};
    typed.words = Words{quint16(group), quint16(type), quint16(record), quint16(data)};
    typed.disabled = disabled;
    addThroughWindow(typed);
    QVERIFY2(alerts_->alerts.isEmpty(), qPrintable(alertLines(*alerts_).join('\n')));

    // A second client reads the words and flags back under the trimmed name.
    OTVDataBase second;
    QVERIFY(ViewsTestVault::open(second, server_, false));
    std::shared_ptr<OTVUser_Admin> stored;
    for (const auto& account : second.mUsers())
        if (account->mUsername() == name)
            stored = account;
    QVERIFY(stored);
    QCOMPARE(int(stored->mGroupPermissionsBit()), group);
    QCOMPARE(int(stored->mTypePermissionsBit()), type);
    QCOMPARE(int(stored->mRecordPermissionsBit()), record);
    QCOMPARE(int(stored->mDataPermissionsBit()), data);
    QCOMPARE(stored->mIsAccountDisabled(), disabled);
    QVERIFY(stored->mPassword().isEmpty());   // only the server holds it
    QCOMPARE(window_->userModel()->rowCount(), int(store_->mUsers().size()));

    // The server account: table rights on the vault only (a disabled one keeps none on the
    // records), no global ones.
    const QString grants = grantsOf(name).join('\n');
    QVERIFY2(grants.contains(QStringLiteral("GRANT USAGE ON *.*")), qPrintable(grants));
    QCOMPARE(grants.contains(QStringLiteral("`vivododadi`.`RECORDTABLE`")), !disabled);
    QVERIFY2(!grants.contains(QStringLiteral("ALL PRIVILEGES")), qPrintable(grants));
    // It logs in with the typed password only, and may not read other accounts.
    std::unique_ptr<sql::Connection> session = login(name, password);
    QVERIFY(session);
    QVERIFY(!login(name, password + "x"));
    std::unique_ptr<sql::Statement> statement(session->createStatement());
    QVERIFY_THROWS_EXCEPTION(sql::SQLException, statement->executeQuery("SELECT COUNT(*) FROM mysql.user"));
    QVERIFY_THROWS_EXCEPTION(sql::SQLException, statement->execute("CREATE DATABASE i34_other"));
    if (disabled) {
        QVERIFY_THROWS_EXCEPTION(sql::SQLException, statement->executeQuery("SELECT COUNT(*) FROM vivododadi.RECORDTABLE"));
    } else {
        std::unique_ptr<sql::ResultSet> rows(statement->executeQuery("SELECT COUNT(*) FROM vivododadi.RECORDTABLE"));
        QVERIFY(rows->next());
    }
}

void UserAccountWindowTest::refusedNamesCreateNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString invalid = QStringLiteral("Invalid Username.");
    QTest::newRow("quote") << "i34o'neil" << invalid;
    QTest::newRow("backslash") << "i34a\\b" << invalid;
    QTest::newRow("double quote") << "i34a\"b" << invalid;
    QTest::newRow("blanks only") << "    " << invalid;
    QTest::newRow("root") << "Root" << invalid;
    QTest::newRow("inner blank") << "i34 a" << QStringLiteral("Username should not contain spaces.");
    QTest::newRow("41 characters") << QString(41, QLatin1Char('q'))
                                   << " Username can contain maximum of 16 characters.Please Choose another username.";
    QTest::newRow("server account") << "i34server" << "The user name is already in use on the server.";
}

void UserAccountWindowTest::refusedNamesCreateNothing()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    server_.execAsRoot(QStringLiteral("CREATE USER IF NOT EXISTS 'i34server'@'%' IDENTIFIED BY 'keep-me-1'"));
    madeNames_.append(QStringLiteral("i34server"));
    const qsizetype usersBefore = store_->mUsers().size();
    addThroughWindow(Typed{name, QStringLiteral("Good-pass-1")});
    QCOMPARE(alerts_->messages(), QStringList{message});
    QCOMPARE(store_->mUsers().size(), usersBefore);
    if (name != QStringLiteral("i34server") && !name.trimmed().isEmpty() && name != QStringLiteral("Root"))
        QVERIFY(!serverAccountExists(name.trimmed()));
    // The other program's account keeps its password.
    QVERIFY(login(QStringLiteral("i34server"), QStringLiteral("keep-me-1")));
}

void UserAccountWindowTest::unstorableDetailsAreNamedAndKeepTheSheet_data()
{
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("label");
    QTest::newRow("new, full name") << false << "fullNameField" << "Full Name";
    QTest::newRow("new, description") << false << "descriptionField" << "Description";
    QTest::newRow("new, phone") << false << "phoneField" << "Phone";
    QTest::newRow("edited, full name") << true << "fullNameField" << "Full Name";
}

// The server's account columns hold no character beyond the Basic Multilingual Plane: OK names
// the field and keeps the sheet open with everything typed; once mended, OK stores all of it.
void UserAccountWindowTest::unstorableDetailsAreNamedAndKeepTheSheet()
{
    QFETCH(bool, editing);
    QFETCH(QString, field);
    QFETCH(QString, label);
    const QString name = QStringLiteral("i52e%1").arg(QTest::currentDataTag()).left(12).remove(' ').remove(',');
    if (editing) {
        addThroughWindow(Typed{name, QStringLiteral("Good-pass-1")});
        QVERIFY(user(name));
        window_->reloadTable();
        selectNames({name});
    } else {
        madeNames_.append(name);
    }
    const QString emoji = QStringLiteral("Ana \U0001F600");
    BKUserAccountSheet* sheet = window_->accountSheet();
    auto* target = sheet->findChild<QLineEdit*>(field);
    QVERIFY(target);
    bool keptOpen = false;
    whenVisible(sheet, [&] {
        type(sheet, Typed{name, QStringLiteral("Good-pass-2")});
        sheet->fullNameField()->setText(QStringLiteral("Ana Typed"));
        sheet->descriptionField()->setText(QStringLiteral("typed description"));
        sheet->phoneField()->setText(QStringLiteral("555 0101"));
        target->setText(emoji);
        clickOK(*sheet);
        keptOpen = sheet->isVisible() && target->text() == emoji && sheet->nameField()->text() == name &&
                   sheet->passwordField()->text() == QLatin1String("Good-pass-2") && sheet->focusWidget() == target;
        target->setText(QStringLiteral("mended"));
        okOrCancel(*sheet);
    });
    if (editing)
        window_->editUser();
    else
        window_->newUser();
    QVERIFY(keptOpen);
    QCOMPARE(alerts_->messages(),
             QStringList{label + QStringLiteral(": The value is too long or contains characters that cannot be stored.")});
    const std::shared_ptr<OTVUser_Admin> stored = user(name);
    QVERIFY(stored);
    const QString expected[] = {field == QLatin1String("fullNameField") ? QStringLiteral("mended") : QStringLiteral("Ana Typed"),
                                field == QLatin1String("descriptionField") ? QStringLiteral("mended")
                                                                           : QStringLiteral("typed description"),
                                field == QLatin1String("phoneField") ? QStringLiteral("mended") : QStringLiteral("555 0101")};
    QCOMPARE(stored->mFullName(), expected[0]);
    QCOMPARE(stored->mDescription(), expected[1]);
    QCOMPARE(stored->mPhoneNo(), expected[2]);
    QVERIFY(login(name, QStringLiteral("Good-pass-2")));
}

// A write the server refuses after the sheet's checks: the alert, then the sheet again with
// everything typed, and its next OK stores the account.
void UserAccountWindowTest::aRefusedAccountBringsTheSheetBackAsTyped()
{
    madeNames_.append(QStringLiteral("i52kept"));
    store_->statementFaults().failExecution(kInsMySQLUserInfoTblVal, 1, 1064);
    BKUserAccountSheet* sheet = window_->accountSheet();
    bool keptTyping = false;
    whenVisible(sheet, [&] {
        type(sheet, Typed{QStringLiteral("i52kept"), QStringLiteral("Good-pass-1")});
        sheet->fullNameField()->setText(QStringLiteral("Kept Name"));
        sheet->grid(2)->setWord(3);
        whenVisible(sheet, [&] {
            keptTyping = sheet->nameField()->text() == QLatin1String("i52kept") &&
                         sheet->passwordField()->text() == QLatin1String("Good-pass-1") &&
                         sheet->fullNameField()->text() == QLatin1String("Kept Name") && sheet->grid(2)->word() == 3;
            okOrCancel(*sheet);
        });
        clickOK(*sheet);
    });
    window_->newUser();
    QVERIFY(keptTyping);
    QCOMPARE(alerts_->messages().size(), 1);
    QVERIFY(alerts_->messages().first().startsWith(QStringLiteral("Unable to create user. Try again later.")));
    const std::shared_ptr<OTVUser_Admin> stored = user(QStringLiteral("i52kept"));
    QVERIFY(stored);
    QCOMPARE(stored->mFullName(), QStringLiteral("Kept Name"));
    QCOMPARE(stored->mRecordPermissionsBit(), quint16(3));
    QVERIFY(login(QStringLiteral("i52kept"), QStringLiteral("Good-pass-1")));
}

void UserAccountWindowTest::aConnectionLostWhileAddingIsLeftToTheReconnection_data()
{
    QTest::addColumn<int>("nthNameCheck");
    QTest::newRow("while the sheet checks the name") << 1;
    QTest::newRow("as the store begins the account") << 2;
}

void UserAccountWindowTest::aConnectionLostWhileAddingIsLeftToTheReconnection()
{
    QFETCH(int, nthNameCheck);
    store_->statementFaults().interruptExecution(kQueryUserExistInVivododaDI, nthNameCheck, [this] {
        ServerAccounts::killSessions(server_, server_.admin.user);
    });
    const qsizetype usersBefore = store_->mUsers().size();
    addThroughWindow(Typed{QStringLiteral("i34lost"), QStringLiteral("Good-pass-1")});
    QVERIFY2(alerts_->alerts.isEmpty(), qPrintable(alertLines(*alerts_).join('\n')));
    QCOMPARE(store_->mUsers().size(), usersBefore);
    QVERIFY(!serverAccountExists(QStringLiteral("i34lost")));
}

void UserAccountWindowTest::editRenamesDisablesAndSetsThePassword()
{
    addThroughWindow(Typed{QStringLiteral("i34ed"), QStringLiteral("First-pw-1")});
    QVERIFY(user(QStringLiteral("i34ed")));
    madeNames_.append(QStringLiteral("i34ed2"));
    window_->reloadTable();
    selectNames({QStringLiteral("i34ed")});
    BKUserAccountSheet* sheet = window_->accountSheet();
    bool openedClean = false;
    whenVisible(sheet, [&] {
        // No stored password is shown; the e-mail stays as it was.
        openedClean = sheet->passwordField()->text().isEmpty() &&
                      sheet->passwordField()->echoMode() == QLineEdit::Password && sheet->emailField()->isReadOnly();
        // The session's user name is what the store renames from.
        openedClean = openedClean && window_->mCurrentUserName() == QStringLiteral("i34ed");
        Typed typed{QStringLiteral("i34ed2"), QStringLiteral("Second-pw-2")};
        typed.disabled = true;
        type(sheet, typed);
        clickOK(*sheet);
    });
    window_->editUser();
    QVERIFY(openedClean);
    QVERIFY2(alerts_->alerts.isEmpty(), qPrintable(alertLines(*alerts_).join('\n')));
    QVERIFY(window_->mCurrentUserName().isNull());
    QVERIFY(!serverAccountExists(QStringLiteral("i34ed")));
    QVERIFY(!grantsOf(QStringLiteral("i34ed2")).join('\n').contains(QStringLiteral("`vivododadi`.`RECORDTABLE`")));
    QVERIFY(login(QStringLiteral("i34ed2"), QStringLiteral("Second-pw-2")));
    QVERIFY(!login(QStringLiteral("i34ed2"), QStringLiteral("First-pw-1")));
    QVERIFY(user(QStringLiteral("i34ed2")) && user(QStringLiteral("i34ed2"))->mIsAccountDisabled());

    // An edit without a typed password keeps the one the server holds.
    selectNames({QStringLiteral("i34ed2")});
    whenVisible(sheet, [&] {
        sheet->disabledBox()->setChecked(false);
        clickOK(*sheet);
    });
    window_->editUser();
    QVERIFY(login(QStringLiteral("i34ed2"), QStringLiteral("Second-pw-2")));
    QVERIFY(grantsOf(QStringLiteral("i34ed2")).join('\n').contains(QStringLiteral("`vivododadi`.`RECORDTABLE`")));
}

// The Password column after an add, an edit without a typed password, a duplicate and a reload:
// what the server holds for each account, never a password kept in memory.
void UserAccountWindowTest::passwordColumnSaysWhatTheServerHolds()
{
    const auto column = [this] {
        QStringList rows;
        window_->reloadTable();
        for (int row = 0; row < window_->userModel()->rowCount(); ++row) {
            const QString name = window_->userModel()->userAt(row)->mUsername();
            if (name.startsWith(QLatin1String("i44")))
                rows.append(name + '=' + window_->userModel()->index(row, 2).data().toString());
        }
        return rows.join(' ');
    };
    addThroughWindow(Typed{QStringLiteral("i44pw"), QStringLiteral("First-pw-1")});
    QCOMPARE(column(), QStringLiteral("i44pw=Yes"));
    QVERIFY(user(QStringLiteral("i44pw"))->mPassword().isEmpty());

    selectNames({QStringLiteral("i44pw")});
    BKUserAccountSheet* sheet = window_->accountSheet();
    whenVisible(sheet, [&] {
        sheet->descriptionField()->setText(QStringLiteral("edited"));
        clickOK(*sheet);
    });
    window_->editUser();
    QCOMPARE(column(), QStringLiteral("i44pw=Yes"));
    QVERIFY(login(QStringLiteral("i44pw"), QStringLiteral("First-pw-1")));

    madeNames_.append(QStringLiteral("i44pwcopy"));
    selectNames({QStringLiteral("i44pw")});
    whenVisible(sheet, [&] {
        type(sheet, Typed{QString(), QStringLiteral("Copy-pw-1")});
        clickOK(*sheet);
    });
    window_->duplicateUser();
    QCOMPARE(column(), QStringLiteral("i44pw=Yes i44pwcopy=Yes"));
    // Nothing of the typed passwords stays in the sheet either.
    QVERIFY(sheet->passwordField()->text().isEmpty() && sheet->confirmationField()->text().isEmpty());

    // Emptied on the server by hand: the reloaded vault says so.
    server_.execAsRoot(QStringLiteral("SET PASSWORD FOR 'i44pwcopy'@'%' = ''"));
    QCOMPARE(store_->reloadDatabase(), int(kOTVStatusOK));
    QCOMPARE(column(), QStringLiteral("i44pw=Yes i44pwcopy=No"));
    QVERIFY2(alerts_->alerts.isEmpty(), qPrintable(alertLines(*alerts_).join('\n')));
}

void UserAccountWindowTest::duplicateIsAnAccountOfItsOwn()
{
    const QString banking = vault_->groups["Banking"]->mGroupUID();
    QString popupAfterGroups;
    addThroughWindow(Typed{QStringLiteral("i34alice"), QStringLiteral("Alice-pw-1")});
    auto alice = user(QStringLiteral("i34alice"));
    QVERIFY(alice);
    madeNames_.append(QStringLiteral("i34alicecopy"));
    window_->reloadTable();
    selectNames({QStringLiteral("i34alice")});
    BKUserAccountSheet* sheet = window_->accountSheet();
    QString offeredName, offeredPassword = QStringLiteral("unset");
    whenVisible(sheet, [&] {
        offeredName = sheet->nameField()->text();
        offeredPassword = sheet->passwordField()->text();
        type(sheet, Typed{QString(), QStringLiteral("Copy-pw-1")});
        // The copy joins Banking through the group-membership sheet.
        QTimer* poll = new QTimer(sheet);
        connect(poll, &QTimer::timeout, sheet, [sheet, poll, banking] {
            QDialog* groups = sheet->groupSheet();
            if (!groups || !groups->isVisible())
                return;
            poll->stop();
            BKCheckListModel* model = sheet->groupModel();
            for (int row = 0; row < model->rowCount(); ++row)
                if (model->rows().at(row).id == banking)
                    model->setData(model->index(row, 0), Qt::Checked, Qt::CheckStateRole);
            clickOK(*groups);
        });
        poll->start(5);
        sheet->editUserGroup();
        popupAfterGroups = sheet->groupsPopup()->itemText(0);
        clickOK(*sheet);
    });
    window_->duplicateUser();
    QCOMPARE(popupAfterGroups, QStringLiteral("Banking"));
    QVERIFY(vault_->groups["Banking"]->mUserMembersArray()->contains(user(QStringLiteral("i34alicecopy"))->mUserID()));
    QVERIFY(!vault_->groups["Banking"]->mUserMembersArray()->contains(alice->mUserID()));
    OTVDataBase second;
    QVERIFY(ViewsTestVault::open(second, server_, false));
    QVERIFY(second.fetchGroupArrayForUserID(user(QStringLiteral("i34alicecopy"))->mUserID()).contains(banking));
    QVERIFY(!second.fetchGroupArrayForUserID(alice->mUserID()).contains(banking));
    QCOMPARE(offeredName, QStringLiteral("i34alicecopy"));
    QVERIFY(offeredPassword.isEmpty());
    auto copy = user(QStringLiteral("i34alicecopy"));
    QVERIFY(copy);
    QVERIFY(copy->mUserID() != alice->mUserID());
    QVERIFY(login(QStringLiteral("i34alicecopy"), QStringLiteral("Copy-pw-1")));
    QVERIFY(login(QStringLiteral("i34alice"), QStringLiteral("Alice-pw-1")));
    QCOMPARE(user(QStringLiteral("i34alice"))->mUsersGroupArray(), alice->mUsersGroupArray());
}

void UserAccountWindowTest::deleteRemovesTheSelectedFilteredRows()
{
    for (const char* name : {"i34del1", "i34del2", "i34dex", "i34keep"})
        addThroughWindow(Typed{QLatin1String(name), QStringLiteral("Del-pw-1")});
    window_->searchField()->setText(QStringLiteral("I34DE"));   // the search ignores case
    QCOMPARE(window_->userModel()->rowCount(), 3);
    selectNames({QStringLiteral("i34del2"), QStringLiteral("i34dex")});
    alerts_->answers = {kBKAlertAlternateReturn};   // "Yes"
    window_->deleteUser();
    QCOMPARE(alerts_->messages(), QStringList{" Are you sure,you want to delete selected users?"});
    QCOMPARE(alerts_->alerts.first().defaultButton, QStringLiteral("No"));
    for (const char* name : {"i34del2", "i34dex"}) {
        QVERIFY(!user(QLatin1String(name)));
        QVERIFY(!serverAccountExists(QLatin1String(name)));
    }
    for (const char* name : {"i34del1", "i34keep"})
        QVERIFY(user(QLatin1String(name)) && serverAccountExists(QLatin1String(name)));
    QCOMPARE(window_->userModel()->rowCount(), 1);

    // "No" deletes nothing.
    alerts_->alerts.clear();
    selectNames({QStringLiteral("i34del1")});
    window_->deleteUser();
    QVERIFY(user(QStringLiteral("i34del1")));

    // The session's own administrator account is never listed, so it cannot be deleted here.
    window_->searchField()->clear();
    for (const auto& listed : window_->userModel()->users())
        QVERIFY(listed->mUsername() != server_.admin.user);
}

// Wherever the last opening left the focus (the administrator typed down to the full name),
// the sheet opens at the name.
void UserAccountWindowTest::everyOpeningOfTheSheetStartsAtTheName()
{
    BKUserAccountSheet* sheet = window_->accountSheet();
    QList<QWidget*> focused;
    for (int opening = 0; opening < 3; ++opening) {
        whenVisible(sheet, [&] {
            focused.append(sheet->focusWidget());
            sheet->fullNameField()->setFocus();
            sheet->fullNameField()->setText(QStringLiteral("Typed Here"));
            sheet->reject();
        });
        window_->newUser();
    }
    QCOMPARE(focused, QList<QWidget*>(3, sheet->nameField()));
}

void UserAccountWindowTest::buttonsFollowTheSelection()
{
    for (const char* name : {"i34b1", "i34b2"})
        addThroughWindow(Typed{QLatin1String(name), QStringLiteral("Btn-pw-1")});
    struct Case {
        QStringList names;
        bool remove, edit, duplicate;
    };
    const Case cases[] = {{{}, false, false, false},
                          {{"i34b1"}, true, true, true},
                          {{"i34b1", "i34b2"}, true, false, false}};
    for (const Case& c : cases) {
        selectNames(c.names);
        QCOMPARE(window_->actionButton(UserAccountController::kDeleteTag)->isEnabled(), c.remove);
        QCOMPARE(window_->actionButton(UserAccountController::kEditTag)->isEnabled(), c.edit);
        QCOMPARE(window_->actionButton(UserAccountController::kDuplicateTag)->isEnabled(), c.duplicate);
    }
    // Every row carries the user image and the password column.
    QVERIFY(!window_->userModel()->index(0, 0).data(Qt::DecorationRole).value<QImage>().isNull());
}

void UserAccountWindowTest::newAccountsStartWithTheRememberedWords()
{
    BKUserAccountSheet* sheet = window_->accountSheet();
    Words opened{};
    bool selectAll = false;
    const auto capture = [&] {
        opened = {sheet->grid(0)->word(), sheet->grid(1)->word(), sheet->grid(2)->word(), sheet->grid(3)->word()};
        selectAll = sheet->selectAllBox()->isChecked();
    };
    whenVisible(sheet, [&] {
        capture();
        Typed typed{QStringLiteral("i34mem"), QStringLiteral("Mem-pw-1")};
        typed.words = Words{1, 3, 7, 5};
        type(sheet, typed);
        clickOK(*sheet);
    });
    madeNames_.append(QStringLiteral("i34mem"));
    window_->newUser();
    QCOMPARE(opened.group, quint16(7));
    QCOMPARE(opened.data, quint16(63));
    QVERIFY(selectAll);

    whenVisible(sheet, [&] {
        capture();
        // A click on a cell turns "Select All" off; turning it on and off clears every cell.
        sheet->grid(3)->cell(1, 2)->click();
        const bool off = !sheet->selectAllBox()->isChecked();
        sheet->selectAllPermissions(true);
        sheet->selectAllPermissions(false);
        selectAll = off && sheet->grid(0)->word() == 0 && sheet->grid(3)->word() == 0;
        sheet->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
    });
    window_->newUser();
    QCOMPARE(opened.group, quint16(1));
    QCOMPARE(opened.type, quint16(3));
    QCOMPARE(opened.record, quint16(7));
    QCOMPARE(opened.data, quint16(5));
    QVERIFY(selectAll);
}

void UserAccountWindowTest::policySheetIsStoredAndEnforced()
{
    bool opened = false;
    whenPolicySheetVisible([&](BKPasswordPolicySheet* sheet) {
        opened = sheet->lengthField()->value() == 4 && !sheet->lettersBox()->isChecked();
        sheet->lengthField()->setValue(50);   // beyond the range: 40
        sheet->digitsBox()->setChecked(true);
        sheet->lengthField()->setValue(10);
        clickOK(*sheet);
    });
    window_->showSetPasswordPanel();
    QVERIFY(opened);
    const auto stored = store_->passwordPolicyDetails();
    QVERIFY(stored);
    QCOMPARE(stored->minLength, 10);
    QCOMPARE(stored->charsetFlag, 4);
    QCOMPARE(BKPasswordPolicyController::sharedBKPasswordPolicyController().policy(), (OTVPasswordPolicy{10, 4}));

    addThroughWindow(Typed{QStringLiteral("i34pol"), QStringLiteral("short1")});
    QCOMPARE(alerts_->messages(), QStringList{"Your password doesn't match with password policy."});
    QVERIFY(!user(QStringLiteral("i34pol")));
    alerts_->alerts.clear();
    addThroughWindow(Typed{QStringLiteral("i34pol"), QStringLiteral("longenough")});
    QCOMPARE(alerts_->messages(), QStringList{"Your password doesn't match with password policy."});
    alerts_->alerts.clear();
    addThroughWindow(Typed{QStringLiteral("i34pol"), QStringLiteral("longenough7")});
    QVERIFY(alerts_->alerts.isEmpty());
    QVERIFY(user(QStringLiteral("i34pol")));
}

void UserAccountWindowTest::policySheetCancelChangesNothing()
{
    const auto before = store_->passwordPolicyDetails();
    QVERIFY(before);
    whenPolicySheetVisible([](BKPasswordPolicySheet* sheet) {
        sheet->lengthField()->setValue(30);
        sheet->lettersBox()->setChecked(true);
        sheet->reject();
    });
    window_->showSetPasswordPanel();
    QCOMPARE(store_->passwordPolicyDetails(), before);
    QCOMPARE(BKPasswordPolicyController::sharedBKPasswordPolicyController().policy(), (OTVPasswordPolicy{4, 0}));
}

QTEST_MAIN(UserAccountWindowTest)
#include "UserAccountWindowTest.moc"
