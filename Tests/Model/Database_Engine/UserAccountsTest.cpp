// User accounts against a real server: each vault user is a USERTABLE row and a MySQL account
// of the same name, with the vault's table rights; only the server holds the password. Checked
// by connecting as the account, by SHOW GRANTS and by the rows.
#include "StoreTestSupport.h"

#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKWorker.h"

#include <cppconn/driver.h>
#include <mysql_driver.h>

#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <atomic>
#include <thread>

// Readable failure messages.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString kGroupA = QStringLiteral("00000000000000A1");
const QString kGroupB = QStringLiteral("00000000000000B2");

// `text` as an SQL string literal, for the tests' own statements as root.
QString literal(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1String("\\"), QLatin1String("\\\\")).replace(QLatin1String("'"), QLatin1String("\\'"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

// The rights of a vault user, as table -> sorted privilege list.
using Rights = QMap<QString, QString>;

Rights vaultUserRights(bool disabled)
{
    const QString all = QStringLiteral("CREATE, DELETE, INSERT, SELECT, UPDATE");
    Rights rights;
    rights.insert(QStringLiteral("`vivododadi`.`COLUMNINFOTABLE`"), all);
    rights.insert(QStringLiteral("`mysql`.`user_info`"), QStringLiteral("SELECT"));
    if (disabled)
        return rights;
    for (const char* table : {"GROUPTABLE", "TYPETABLE", "RECORDTABLE", "CUSTOMTYPETABLE", "ATTACHMENTTABLE",
                              "CUSTOMICONTABLE", "APPPREFTABLE", "MOSTVIEWEDTABLE", "RECENTLYADDEDTABLE",
                              "RECENTLYMODIFIEDTABLE", "RECENTLYVIEWEDTABLE", "USERGROUPTABLE", "GROUPSUBGROUPTABLE"})
        rights.insert(QStringLiteral("`vivododadi`.`%1`").arg(QLatin1String(table)), all);
    rights.insert(QStringLiteral("`vivododadi`.`DATABASEINFOTABLE`"), QStringLiteral("SELECT"));
    // Users may not change the user rows (their own rights) nor remove log entries.
    rights.insert(QStringLiteral("`vivododadi`.`USERTABLE`"), QStringLiteral("SELECT"));
    rights.insert(QStringLiteral("`vivododadi`.`EVENTLOGGERTABLE`"), QStringLiteral("INSERT, SELECT"));
    // Every enciphering write stamps the key it wrote under.
    rights.insert(QStringLiteral("`vivododadi`.`KEYSTAMPTABLE`"), QStringLiteral("INSERT, SELECT, UPDATE"));
    return rights;
}

} // namespace

class UserAccounts : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        dropTestAccounts();
        ASSERT_EQ(connect(administrator, server.admin), kOTVStatusOK);
        root("DELETE FROM mysql.user_info");
        ASSERT_EQ(administrator.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
        root("INSERT INTO vivododadi.GROUPTABLE (UID, NAME) VALUES ('" + kGroupA + "', 'a'), ('" + kGroupB +
             "', 'b')");
        accountsBefore = accountCount();
    }

    // Everything an earlier test made on the server goes; the fixture's accounts get their
    // passwords and rights back.
    void dropTestAccounts()
    {
        const QStringList accounts = rootRows(
            "SELECT CONCAT(QUOTE(User), '@', QUOTE(Host)) FROM mysql.user WHERE User NOT IN ('root', "
            "'ostrevin_admin', 'ostrevin_plain', 'mariadb.sys', '')");
        for (const QString& account : accounts)
            root("DROP USER " + account);
        root("ALTER USER 'ostrevin_plain'@'%' IDENTIFIED BY " + literal(server.plain.password));
        root("DELETE FROM mysql.tables_priv WHERE User = 'ostrevin_plain'");
        root("FLUSH PRIVILEGES");
    }

    static std::shared_ptr<OTVUser_Admin> account(const QString& name, const QString& password,
                                                  bool disabled = false, const QStringList& groups = {})
    {
        auto user = OTVUser_Admin::createUser();
        user->setMUsername(name);
        user->setMPassword(password);
        user->setMGroupPermissionsBit(1);
        user->setMTypePermissionsBit(2);
        user->setMRecordPermissionsBit(4);
        user->setMDataPermissionsBit(9);
        user->setMIsNotAllowedToChangePassword(true);
        user->setMIsAccountDisabled(disabled);
        user->setMUsersGroupArray(groups);
        user->setMFullName("Full " + name);
        user->setMEmail(name + "@example.org");
        user->setMPhoneNo("+41 0");
        user->setMDescription("made by a test");
        return user;
    }

    bool authenticates(const QString& name, const QString& password) const
    {
        return connectAs(name, password) != nullptr;
    }

    std::unique_ptr<sql::Connection> connectAs(const QString& name, const QString& password) const
    {
        try {
            return std::unique_ptr<sql::Connection>(get_driver_instance()->connect(
                server.url().toStdString(), name.toStdString(), password.toStdString()));
        } catch (const sql::SQLException&) {
            return nullptr;
        }
    }

    bool readsVault(const QString& name, const QString& password) const
    {
        std::unique_ptr<sql::Connection> connection = connectAs(name, password);
        if (!connection)
            return false;
        try {
            std::unique_ptr<sql::Statement> statement(connection->createStatement());
            std::unique_ptr<sql::ResultSet> rows(statement->executeQuery("SELECT COUNT(*) FROM vivododadi.GROUPTABLE"));
            return rows->next();
        } catch (const sql::SQLException&) {
            return false;
        }
    }

    // Table-level rights of name@'%' from SHOW GRANTS.
    Rights rightsOf(const QString& name) const
    {
        Rights rights;
        static const QRegularExpression grant(QStringLiteral("^GRANT (.+) ON (\\S+) TO "));
        for (const QString& line : rootRows("SHOW GRANTS FOR " + literal(name) + "@'%'")) {
            const QRegularExpressionMatch match = grant.match(line);
            if (!match.hasMatch() || match.captured(2).endsWith(QLatin1String(".*")))
                continue;
            QStringList privileges = match.captured(1).split(QStringLiteral(", "));
            privileges.sort();
            rights.insert(match.captured(2), privileges.join(QStringLiteral(", ")));
        }
        return rights;
    }

    int accountCount() const { return rootValue("SELECT COUNT(*) FROM mysql.user").toInt(); }
    bool accountExists(const QString& name) const
    {
        return rootValue("SELECT COUNT(*) FROM mysql.user WHERE User = " + literal(name)) == "1";
    }
    QString userRow(const QString& userID) const
    {
        return rootValue("SELECT USERNAME, PLATFORMNAME, GROUPPERMISSION, TYPEPERMISSION, RECORDPERMISSION, "
                         "DATAPERMISSION, CANCHANGEPASSWORD, ISACCOUNTDISABLED FROM vivododadi.USERTABLE WHERE "
                         "USERID = " + literal(userID));
    }
    QString storedPassword(const QString& userID) const
    {
        const QString hex = rootValue("SELECT HEX(PASSWORD) FROM vivododadi.USERTABLE WHERE USERID = " +
                                      literal(userID));
        return administrator.getDecryptedStringInfo(QByteArray::fromHex(hex.toLatin1()));
    }
    QStringList groupRows(const QString& userID) const
    {
        return rootRows("SELECT GROUPID FROM vivododadi.USERGROUPTABLE WHERE USERID = " + literal(userID) +
                        " ORDER BY GROUPID");
    }
    QString details(const QString& name) const
    {
        return rootValue("SELECT CONCAT_WS('|', Full_name, Description, Email, Contact_information) FROM "
                         "mysql.user_info WHERE User = " + literal(name));
    }
    int rowsOf(const QString& table, const QString& userID) const
    {
        return rootValue("SELECT COUNT(*) FROM vivododadi." + table + " WHERE USERID = " + literal(userID)).toInt();
    }
    // The deciphered name of the user's personal group; null without one.
    QString personalGroup(const QString& userID) const
    {
        QString name;
        administrator.runGuarded([&] {
            OTVStatement statement = administrator.prepare("SELECT NAME FROM GROUPTABLE WHERE UID=?");
            statement.setString(1, userID);
            OTVResultSet rows = statement.executeQuery();
            if (rows.next())
                name = administrator.getDecryptedString(rows.getBlob(1u));
            return kOTVStatusOK;
        });
        return name;
    }

    mutable StoreProbe administrator;
    RecordingAlertPresenter alerts;
    int accountsBefore = 0;
};

TEST_F(UserAccounts, LifeOfAnAccountEnabledOrDisabled)
{
    for (const bool disabled : {false, true}) {
        SCOPED_TRACE(disabled ? "disabled" : "enabled");
        const QString name = disabled ? QStringLiteral("dora") : QStringLiteral("bob");
        auto user = account(name, "bob's pw", disabled, {kGroupB, kGroupA});
        ASSERT_EQ(administrator.addUser(user), kOTVStatusOK);

        EXPECT_EQ(accountCount(), accountsBefore + 1);
        EXPECT_TRUE(authenticates(name, "bob's pw"));
        EXPECT_FALSE(authenticates(name, "bob's PW"));
        EXPECT_EQ(rightsOf(name), vaultUserRights(disabled));
        EXPECT_EQ(readsVault(name, "bob's pw"), !disabled);
        EXPECT_EQ(userRow(user->mUserID()), name + "|Mac-Standalone|1|2|4|9|0|" + (disabled ? "1" : "0"));
        EXPECT_EQ(storedPassword(user->mUserID()), "");   // only the server holds it
        EXPECT_EQ(groupRows(user->mUserID()), (QStringList{kGroupA, kGroupB}));
        EXPECT_EQ(details(name), "Full " + name + "|made by a test|" + name + "@example.org|+41 0");
        EXPECT_EQ(rowsOf("APPPREFTABLE", user->mUserID()), 1);
        EXPECT_EQ(personalGroup(user->mUserID()), "Personal-" + name);
        ASSERT_TRUE(administrator.mUsers().contains(user->mUserID()));
        EXPECT_EQ(administrator.mUsers().value(user->mUserID()), user);
        // The typed password is not kept once the server has it; that it has one is.
        EXPECT_TRUE(user->mPassword().isEmpty());
        EXPECT_TRUE(user->mHasServerPassword());

        // The account opens a session of its own and passes the login step; a disabled one
        // cannot even read the master password, and is told that it is disabled.
        StoreProbe own;
        if (disabled) {
            EXPECT_EQ(connect(own, {name, "bob's pw"}), kOTVStatusAccountDisabled);
            EXPECT_EQ(own.connectionErrorCode(), kOTVStatusAccountDisabled);
        } else {
            EXPECT_EQ(connect(own, {name, "bob's pw"}), kOTVStatusOK);
            EXPECT_EQ(own.initUserDetails(name, "bob's pw"), kOTVStatusOK);
            EXPECT_EQ(own.mCurrentUser()->mUserID(), user->mUserID());
            EXPECT_EQ(own.mCurrentUser()->mDataPermissionsBit(), 9);
            QStringList groups = own.mCurrentUser()->mUsersGroupArray();
            groups.sort();
            EXPECT_EQ(groups, (QStringList{kGroupA, kGroupB}));
        }
        own.closeConnection();

        ASSERT_EQ(administrator.deleteUser(user), kOTVStatusOK);
        EXPECT_FALSE(accountExists(name));
        EXPECT_EQ(accountCount(), accountsBefore);
        EXPECT_TRUE(userRow(user->mUserID()).isNull());
        EXPECT_TRUE(groupRows(user->mUserID()).isEmpty());
        EXPECT_TRUE(details(name).isNull());
        EXPECT_TRUE(personalGroup(user->mUserID()).isNull());
        EXPECT_FALSE(administrator.mUsers().contains(user->mUserID()));
    }
}

TEST_F(UserAccounts, NamesAndPasswordsStayText)
{
    struct Case {
        QString name;
        QString password;
    };
    const Case cases[] = {
        {"o'brien", "it's"},
        {"back\\slash", "back\\slash\\"},
        {"per%cent", "100%"},
        {"under_score", "quo\"te;"},
        {"Jürgen Müller", "pässwörd 日本"},
        {"x'@'%", "'; DROP USER root; --"},
        {"select", "y' IDENTIFIED BY 'z"},   // a reserved word: the last grant quotes it too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        auto user = account(c.name, c.password);
        ASSERT_EQ(administrator.addUser(user), kOTVStatusOK);
        EXPECT_EQ(accountCount(), accountsBefore + 1);
        EXPECT_TRUE(accountExists(c.name));
        EXPECT_TRUE(authenticates(c.name, c.password));
        EXPECT_EQ(rightsOf(c.name), vaultUserRights(false));
        EXPECT_EQ(userRow(user->mUserID()).section('|', 0, 0), c.name);
        EXPECT_TRUE(administrator.isUserExistsInOstrevin(c.name));

        const QString changed = c.password + "'2";
        user->setMPassword(changed);
        EXPECT_EQ(administrator.replaceUser(user), kOTVStatusOK);
        EXPECT_TRUE(authenticates(c.name, changed));
        EXPECT_FALSE(authenticates(c.name, c.password));

        ASSERT_EQ(administrator.deleteUser(user), kOTVStatusOK);
        EXPECT_EQ(accountCount(), accountsBefore);
    }
    EXPECT_TRUE(authenticates(server.root.user, server.root.password));
}

TEST_F(UserAccounts, NamesAndValuesThatDoNotFitAreRefusedBeforeAnythingIsWritten)
{
    struct Case {
        const char* what;
        std::function<void(OTVUser_Admin&)> change;
        int status;
    };
    const Case cases[] = {
        {"an empty name", [](OTVUser_Admin& u) { u.setMUsername(""); }, kOTVStatusDatabaseError},
        {"a control character", [](OTVUser_Admin& u) { u.setMUsername("tab\tname"); }, kOTVStatusDatabaseError},
        // What the account tables and details (utf8mb3) cannot hold, as any value too long.
        {"a character beyond the account tables", [](OTVUser_Admin& u) { u.setMUsername("key🔑"); },
         kOTVStatusValueTooLong},
        {"a NUL in the name", [](OTVUser_Admin& u) { u.setMUsername(QStringLiteral("nul") + QChar(0) + "x"); },
         kOTVStatusValueTooLong},
        {"a full name beyond the details table", [](OTVUser_Admin& u) { u.setMFullName("Anna 🔑"); },
         kOTVStatusValueTooLong},
        {"a description beyond the details table", [](OTVUser_Admin& u) { u.setMDescription("🔑"); },
         kOTVStatusValueTooLong},
        {"a phone number beyond the details table", [](OTVUser_Admin& u) { u.setMPhoneNo("555 🔑"); },
         kOTVStatusValueTooLong},
        {"17 characters", [](OTVUser_Admin& u) { u.setMUsername("abcdefghijklmnopq"); }, kOTVStatusValueTooLong},
        {"an injection longer than a name", [](OTVUser_Admin& u) { u.setMUsername("x'@'%' IDENTIFIED BY 'y"); },
         kOTVStatusValueTooLong},
        {"a full name of 61 characters", [](OTVUser_Admin& u) { u.setMFullName(QString(61, 'f')); },
         kOTVStatusValueTooLong},
        {"an e-mail address of 81 characters", [](OTVUser_Admin& u) { u.setMEmail(QString(81, 'e')); },
         kOTVStatusValueTooLong},
        {"a description of 256 characters", [](OTVUser_Admin& u) { u.setMDescription(QString(256, 'd')); },
         kOTVStatusValueTooLong},
        {"a platform name of 41 characters", [](OTVUser_Admin& u) { u.setMPlatformName(QString(41, 'p')); },
         kOTVStatusValueTooLong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto user = account("sixteen_chars_ok", "pw");
        c.change(*user);
        EXPECT_EQ(administrator.addUser(user), c.status);
        EXPECT_EQ(accountCount(), accountsBefore);
        EXPECT_TRUE(userRow(user->mUserID()).isNull());
        EXPECT_EQ(rootValue("SELECT COUNT(*) FROM mysql.user_info"), "0");
    }
    // The longest name that fits.
    auto longest = account("sixteen_chars_ok", "pw");
    EXPECT_EQ(administrator.addUser(longest), kOTVStatusOK);
    EXPECT_TRUE(authenticates("sixteen_chars_ok", "pw"));
}

TEST_F(UserAccounts, AccountsThatMustNotBeTakenOverAreRefused)
{
    const int vaultUsers = rootValue("SELECT COUNT(*) FROM vivododadi.USERTABLE").toInt();
    for (const QString& name : {server.admin.user, server.root.user}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(administrator.addUser(account(name, "taken over")), kOTVStatusDatabaseError);
    }
    auto bob = account("bob", "pw");
    ASSERT_EQ(administrator.addUser(bob), kOTVStatusOK);
    // A second vault user on bob's account would reset his password.
    EXPECT_EQ(administrator.addUser(account("bob", "other")), kOTVStatusDatabaseError);

    EXPECT_TRUE(authenticates(server.admin.user, server.admin.password));
    EXPECT_TRUE(authenticates(server.root.user, server.root.password));
    EXPECT_TRUE(authenticates("bob", "pw"));
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.USERTABLE").toInt(), vaultUsers + 1);
}

// A server account that is not a vault user (another application's, or one made by hand) is
// never taken over: no new password, no rights, no details, and no vault user whose deletion
// would drop it. An enabled or a disabled vault user alike.
TEST_F(UserAccounts, AnExistingServerAccountIsRefusedAndKeptAsItWas)
{
    root("CREATE USER 'billing'@'%' IDENTIFIED BY 'their own'");
    root("GRANT SELECT ON vivododadi.* TO 'billing'@'%'");
    struct Case {
        QString name;
        QString password;
    };
    const Case cases[] = {{server.plain.user, server.plain.password}, {"billing", "their own"}};
    for (const Case& c : cases) {
        for (const bool disabled : {false, true}) {
            SCOPED_TRACE(c.name.toStdString() + (disabled ? " disabled" : " enabled"));
            const QStringList grantsBefore = rootRows("SHOW GRANTS FOR " + literal(c.name) + "@'%'");
            auto user = account(c.name, "new password", disabled);
            EXPECT_EQ(administrator.addUser(user), kOTVStatusDatabaseError);

            EXPECT_EQ(accountCount(), accountsBefore + 1);   // billing, made above
            EXPECT_TRUE(authenticates(c.name, c.password));
            EXPECT_FALSE(authenticates(c.name, "new password"));
            EXPECT_EQ(rootRows("SHOW GRANTS FOR " + literal(c.name) + "@'%'"), grantsBefore);
            EXPECT_TRUE(details(c.name).isNull());
            EXPECT_TRUE(userRow(user->mUserID()).isNull());
            EXPECT_FALSE(administrator.isUserExistsInOstrevin(c.name));
            EXPECT_FALSE(administrator.mUsers().contains(user->mUserID()));
        }
    }
}

// An account anyone could use is never made.
// The server logs every statement (and a cluster keeps each in every node's cache): passwords
// reach it only as their hash, and the accounts still take them.
TEST_F(UserAccounts, PasswordsNeverAppearInTheStatementsTheServerReceives)
{
    const QString first = "first secret 7Yq";
    const QString second = "second secret 9Wz";
    root("SET GLOBAL log_output = 'TABLE'");
    root("TRUNCATE TABLE mysql.general_log");
    root("SET GLOBAL general_log = ON");
    auto user = account("hashed", first);
    const int added = administrator.addUser(user);
    user->setMPassword(second);
    const int replaced = administrator.replaceUser(user);
    services.currentUserName = "hashed";
    int reset = -1;
    user->setMPassword(first);
    administrator.resetPasswordForUser(user.get(), &reset);
    root("SET GLOBAL general_log = OFF");

    EXPECT_EQ(added, kOTVStatusOK);
    EXPECT_EQ(replaced, kOTVStatusOK);
    EXPECT_EQ(reset, kOTVStatusOK);
    EXPECT_TRUE(authenticates("hashed", first));
    EXPECT_FALSE(authenticates("hashed", second));
    EXPECT_GT(rootValue("SELECT COUNT(*) FROM mysql.general_log WHERE argument LIKE '%PASSWORD%hashed%' OR "
                        "argument LIKE '%hashed%PASSWORD%'")
                  .toInt(),
              0)
        << "the log saw the account statements";
    EXPECT_EQ(rootRows("SELECT argument FROM mysql.general_log WHERE argument LIKE '%secret%'"), QStringList{});
    root("TRUNCATE TABLE mysql.general_log");
}

TEST_F(UserAccounts, AnEmptyPasswordIsRefused)
{
    auto user = account("nopass", "");
    EXPECT_EQ(administrator.addUser(user), kOTVStatusDatabaseError);
    EXPECT_FALSE(accountExists("nopass"));
    EXPECT_TRUE(userRow(user->mUserID()).isNull());

    // Saving with no password typed keeps the account's password.
    user->setMPassword("set");
    ASSERT_EQ(administrator.addUser(user), kOTVStatusOK);
    user->setMPassword("");
    user->setMDescription("edited");
    services.currentUserName = "nopass";
    EXPECT_EQ(administrator.replaceUser(user), kOTVStatusOK);
    EXPECT_TRUE(authenticates("nopass", "set"));
    EXPECT_EQ(details("nopass").section('|', 1, 1), "edited");

    int code = -1;
    administrator.resetPasswordForUser(user.get(), &code);
    EXPECT_EQ(code, kOTVStatusDatabaseError);
    EXPECT_TRUE(authenticates("nopass", "set"));
}

// Every step that fails leaves nothing behind: neither the rows, nor the account, nor its
// rights, details or a changed password.
TEST_F(UserAccounts, AFailedAddUndoesEverything)
{
    struct Case {
        const char* what;
        std::function<void(StoreProbe&)> arm;
        QStringList groups;
    };
    const Case cases[] = {
        {"the row is refused",
         [this](StoreProbe&) {
             root("CREATE TRIGGER vivododadi.NO_USERS BEFORE INSERT ON vivododadi.USERTABLE FOR EACH ROW "
                  "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'no users'");
         },
         {}},
        {"the group list is refused",
         [this](StoreProbe&) {
             root("CREATE TRIGGER vivododadi.NO_MEMBERS BEFORE INSERT ON vivododadi.USERGROUPTABLE FOR EACH ROW "
                  "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'no members'");
         },
         {kGroupA}},
        {"the preference row is refused",
         [this](StoreProbe&) {
             root("CREATE TRIGGER vivododadi.NO_PREFERENCES BEFORE INSERT ON vivododadi.APPPREFTABLE FOR EACH ROW "
                  "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'no preferences'");
         },
         {kGroupA}},
        {"the personal group is refused",
         [this](StoreProbe&) {
             root("CREATE TRIGGER vivododadi.NO_GROUPS BEFORE INSERT ON vivododadi.GROUPTABLE FOR EACH ROW "
                  "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'no groups'");
         },
         {kGroupA}},
        {"a grant fails",
         [](StoreProbe& store) {
             store.statementFaults().failExecution("GRANT CREATE, SELECT, INSERT, DELETE, UPDATE on GROUPTABLE TO "
                                                   "'carl'",
                                                   1, 1205);
         },
         {}},
        // The rows are committed by then: they go again with the account.
        {"the account cannot be unlocked",
         [](StoreProbe& store) { store.statementFaults().failExecution("ALTER USER 'carl'@'%' ACCOUNT UNLOCK", 1, 1205); },
         {kGroupA}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString name = QStringLiteral("carl");
        auto user = account(name, "pw", false, c.groups);
        c.arm(administrator);
        EXPECT_EQ(administrator.addUser(user), kOTVStatusDatabaseError);
        for (const char* trigger : {"NO_USERS", "NO_MEMBERS", "NO_PREFERENCES", "NO_GROUPS"})
            root(QStringLiteral("DROP TRIGGER IF EXISTS vivododadi.%1").arg(trigger));
        administrator.statementFaults().clear();

        EXPECT_EQ(accountCount(), accountsBefore);
        EXPECT_FALSE(accountExists(name));
        EXPECT_TRUE(details(name).isNull());
        EXPECT_TRUE(userRow(user->mUserID()).isNull());
        EXPECT_TRUE(groupRows(user->mUserID()).isEmpty());
        EXPECT_EQ(rowsOf("APPPREFTABLE", user->mUserID()), 0);
        EXPECT_TRUE(personalGroup(user->mUserID()).isNull());
        EXPECT_FALSE(administrator.mUsers().contains(user->mUserID()));
    }
}

TEST_F(UserAccounts, SavingRenamesFromTheNameTheWindowOpened)
{
    auto user = account("anna", "pw");
    ASSERT_EQ(administrator.addUser(user), kOTVStatusOK);
    const QString prefName = "SELECT USERNAME FROM vivododadi.APPPREFTABLE WHERE USERID = " + literal(user->mUserID());

    // No window name and the same name: nothing to rename.
    services.currentUserName = QString();
    EXPECT_EQ(administrator.replaceUser(user), kOTVStatusOK);
    EXPECT_EQ(services.count("mCurrentUserName"), 1);
    EXPECT_TRUE(accountExists("anna"));
    EXPECT_EQ(rootValue(prefName), "anna");

    // The window's name: the account, its details and the preference row follow.
    services.currentUserName = "anna";
    user->setMUsername("anne");
    EXPECT_EQ(administrator.replaceUser(user), kOTVStatusOK);
    EXPECT_FALSE(accountExists("anna"));
    EXPECT_TRUE(authenticates("anne", "pw"));
    EXPECT_EQ(rightsOf("anne"), vaultUserRights(false));
    EXPECT_EQ(rootValue(prefName), "anne");
    EXPECT_EQ(personalGroup(user->mUserID()), "Personal-anne");
    EXPECT_EQ(userRow(user->mUserID()).section('|', 0, 0), "anne");
    EXPECT_TRUE(details("anna").isNull());
    EXPECT_FALSE(details("anne").isNull());

    // No window name, but a changed one: the stored name tells which account it is.
    services.currentUserName = QString();
    user->setMUsername("annie");
    EXPECT_EQ(administrator.replaceUser(user), kOTVStatusOK);
    EXPECT_FALSE(accountExists("anne"));
    EXPECT_TRUE(authenticates("annie", "pw"));
    EXPECT_EQ(rootValue(prefName), "annie");
    EXPECT_EQ(personalGroup(user->mUserID()), "Personal-annie");
    EXPECT_EQ(accountCount(), accountsBefore + 1);
}

TEST_F(UserAccounts, SavingKeepsADisabledAccountWithoutRights)
{
    auto user = account("dave", "pw");
    ASSERT_EQ(administrator.addUser(user), kOTVStatusOK);
    user->setMIsAccountDisabled(true);
    ASSERT_EQ(administrator.replaceUser(user), kOTVStatusOK);
    EXPECT_EQ(rightsOf("dave"), vaultUserRights(true));
    EXPECT_FALSE(readsVault("dave", "pw"));

    user->setMDescription("saved again");
    ASSERT_EQ(administrator.replaceUser(user), kOTVStatusOK);
    EXPECT_EQ(rightsOf("dave"), vaultUserRights(true));

    user->setMIsAccountDisabled(false);
    ASSERT_EQ(administrator.replaceUser(user), kOTVStatusOK);
    EXPECT_EQ(rightsOf("dave"), vaultUserRights(false));
    EXPECT_TRUE(readsVault("dave", "pw"));
}

// A disabled account holds no right that writes: disabling takes away the right to the routine
// of its own deletion, and the routine refuses a disabled caller (an account disabled by an
// earlier version kept the right) until an administrator's login takes it away. Enabling gives
// it back.
TEST_F(UserAccounts, ADisabledAccountCannotDeleteItself)
{
    auto user = account("dave", "pw", false, {kGroupA});
    ASSERT_EQ(administrator.addUser(user), kOTVStatusOK);
    const QString holdsRoutine = "SELECT COUNT(*) FROM mysql.procs_priv WHERE User = 'dave' AND Host = '%' AND "
                                 "Db = 'vivododadi' AND Routine_name = 'DELETEOWNVAULTUSER'";
    EXPECT_EQ(rootValue(holdsRoutine), "1");
    user->setMIsAccountDisabled(true);
    ASSERT_EQ(administrator.replaceUser(user), kOTVStatusOK);
    EXPECT_EQ(rootValue(holdsRoutine), "0");

    // As an earlier version left it.
    root("GRANT EXECUTE ON PROCEDURE vivododadi.DELETEOWNVAULTUSER TO 'dave'@'%'");
    {
        std::unique_ptr<sql::Connection> own = connectAs("dave", "pw");
        ASSERT_TRUE(own);
        int error = 0;
        try {
            std::unique_ptr<sql::Statement>(own->createStatement())->execute("CALL vivododadi.DELETEOWNVAULTUSER()");
        } catch (const sql::SQLException& e) {
            error = e.getErrorCode();
        }
        EXPECT_EQ(error, 1644);
    }
    EXPECT_TRUE(accountExists("dave"));
    EXPECT_EQ(userRow(user->mUserID()).section('|', 0, 0), "dave");
    EXPECT_EQ(personalGroup(user->mUserID()), "Personal-dave");
    EXPECT_FALSE(details("dave").isNull());

    StoreProbe next;
    ASSERT_EQ(connect(next, server.admin), kOTVStatusOK);
    ASSERT_EQ(next.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
    EXPECT_EQ(rootValue(holdsRoutine), "0");

    user->setMIsAccountDisabled(false);
    ASSERT_EQ(administrator.replaceUser(user), kOTVStatusOK);
    EXPECT_EQ(rootValue(holdsRoutine), "1");
    std::unique_ptr<sql::Connection> own = connectAs("dave", "pw");
    ASSERT_TRUE(own);
    EXPECT_NO_THROW(std::unique_ptr<sql::Statement>(own->createStatement())->execute("CALL vivododadi.DELETEOWNVAULTUSER()"));
    EXPECT_FALSE(accountExists("dave"));
}

TEST_F(UserAccounts, SavingFailsWithoutChangingAnything)
{
    auto erin = account("erin", "pw", false, {kGroupA});
    ASSERT_EQ(administrator.addUser(erin), kOTVStatusOK);
    ASSERT_EQ(administrator.addUser(account("frank", "pw")), kOTVStatusOK);
    const QString rowBefore = userRow(erin->mUserID());
    const QString detailsBefore = details("erin");

    // Renamed to a name that is another MySQL account.
    auto edited = std::make_shared<OTVUser_Admin>(*erin);
    edited->setMUsername("frank");
    edited->setMPassword("changed");
    edited->setMDescription("changed");
    services.currentUserName = "erin";
    EXPECT_EQ(administrator.replaceUser(edited), kOTVStatusDatabaseError);
    EXPECT_TRUE(authenticates("frank", "pw"));
    // The same, when that account was dropped by hand: the name is still another vault user's.
    root("DROP USER 'frank'@'%'");
    EXPECT_EQ(administrator.replaceUser(edited), kOTVStatusDatabaseError);
    EXPECT_FALSE(accountExists("frank"));

    // Renamed, disabled and given another password, but the group list (written after the
    // account statements) is refused.
    edited = std::make_shared<OTVUser_Admin>(*erin);
    edited->setMUsername("erina");
    edited->setMPassword("changed");
    edited->setMIsAccountDisabled(true);
    root("CREATE TRIGGER vivododadi.NO_MEMBERS BEFORE INSERT ON vivododadi.USERGROUPTABLE FOR EACH ROW "
         "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'no members'");
    EXPECT_EQ(administrator.replaceUser(edited), kOTVStatusDatabaseError);
    root("DROP TRIGGER vivododadi.NO_MEMBERS");

    EXPECT_EQ(userRow(erin->mUserID()), rowBefore);
    EXPECT_EQ(storedPassword(erin->mUserID()), "");
    EXPECT_EQ(groupRows(erin->mUserID()), QStringList{kGroupA});
    EXPECT_EQ(details("erin"), detailsBefore);
    EXPECT_TRUE(details("erina").isNull());
    EXPECT_FALSE(accountExists("erina"));
    EXPECT_TRUE(authenticates("erin", "pw"));
    EXPECT_EQ(rightsOf("erin"), vaultUserRights(false));
    EXPECT_EQ(administrator.mUsers().value(erin->mUserID()), erin);
}

TEST_F(UserAccounts, SavingReportsAGoneOrUnknownAccount)
{
    auto gone = account("gina", "pw");
    EXPECT_EQ(administrator.replaceUser(gone), kOTVStatusNothingWritten);
    EXPECT_EQ(administrator.deleteUser(gone), kOTVStatusNothingWritten);
    EXPECT_FALSE(accountExists("gina"));

    // Known to the server but not to this store's map (another administrator added it).
    StoreProbe other;
    ASSERT_EQ(connect(other, server.admin), kOTVStatusOK);
    auto hans = account("hans", "pw");
    ASSERT_EQ(other.addUser(hans), kOTVStatusOK);
    hans->setMPassword("changed");
    EXPECT_EQ(administrator.replaceUser(hans), kOTVStatusOtherFailure);
    EXPECT_TRUE(authenticates("hans", "pw"));
    EXPECT_EQ(administrator.replaceUser(nullptr), kOTVStatusDatabaseError);
    EXPECT_EQ(administrator.addUser(nullptr), kOTVStatusDatabaseError);
}

TEST_F(UserAccounts, DeletingRemovesEverythingThatHangsOnTheUser)
{
    auto ida = account("ida", "pw", false, {kGroupA, kGroupB});
    ASSERT_EQ(administrator.addUser(ida), kOTVStatusOK);
    const QString id = literal(ida->mUserID());
    root("INSERT INTO vivododadi.COLUMNINFOTABLE (USERID, TYPEID) VALUES (" + id + ", '0000000000000001')");
    root("INSERT INTO vivododadi.TYPETABLE (UID) VALUES ('00000000000000D1')");
    root("INSERT INTO vivododadi.RECORDTABLE (RECORDID, TYPEUID, GROUPUID) VALUES ('00000000000000E1', "
         "'00000000000000D1', '" + kGroupA + "')");
    for (const char* table : {"MOSTVIEWEDTABLE", "RECENTLYVIEWEDTABLE", "RECENTLYADDEDTABLE", "RECENTLYMODIFIEDTABLE"})
        root(QStringLiteral("INSERT INTO vivododadi.%1 VALUES (%2, '00000000000000E1')").arg(table, id));

    ASSERT_EQ(administrator.deleteUser(ida), kOTVStatusOK);
    for (const char* table : {"USERTABLE", "APPPREFTABLE", "COLUMNINFOTABLE", "USERGROUPTABLE", "MOSTVIEWEDTABLE",
                              "RECENTLYVIEWEDTABLE", "RECENTLYADDEDTABLE", "RECENTLYMODIFIEDTABLE"})
        EXPECT_EQ(rowsOf(table, ida->mUserID()), 0) << table;
    EXPECT_TRUE(personalGroup(ida->mUserID()).isNull());
    EXPECT_FALSE(accountExists("ida"));
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.RECORDTABLE"), "1");   // the vault's records stay

    // A user whose MySQL account was dropped by hand can still be deleted.
    auto jon = account("jon", "pw");
    ASSERT_EQ(administrator.addUser(jon), kOTVStatusOK);
    root("DROP USER 'jon'@'%'");
    EXPECT_EQ(administrator.deleteUser(jon), kOTVStatusOK);
    EXPECT_TRUE(userRow(jon->mUserID()).isNull());
    EXPECT_FALSE(administrator.mUsers().contains(jon->mUserID()));
}

TEST_F(UserAccounts, DeletingFailsWithoutForgettingTheUser)
{
    auto kim = account("kim", "pw");
    ASSERT_EQ(administrator.addUser(kim), kOTVStatusOK);
    administrator.statementFaults().failExecution(kQueryDeleteUserTable, 1, 1205, "Lock wait timeout");
    EXPECT_EQ(administrator.deleteUser(kim), kOTVStatusDatabaseError);
    EXPECT_FALSE(userRow(kim->mUserID()).isNull());
    EXPECT_TRUE(administrator.mUsers().contains(kim->mUserID()));
    // Trying again finishes the job.
    EXPECT_EQ(administrator.deleteUser(kim), kOTVStatusOK);
    EXPECT_TRUE(userRow(kim->mUserID()).isNull());
}

TEST_F(UserAccounts, PasswordChangesReachTheServerOnly)
{
    auto liv = account("liv", "first");
    ASSERT_EQ(administrator.addUser(liv), kOTVStatusOK);

    // The administrator sets it.
    liv->setMPassword("second");
    int code = -1;
    administrator.resetPasswordForUser(liv.get(), &code);
    EXPECT_EQ(code, kOTVStatusOK);
    EXPECT_TRUE(authenticates("liv", "second"));
    EXPECT_FALSE(authenticates("liv", "first"));
    EXPECT_EQ(storedPassword(liv->mUserID()), "");

    // The user sets her own, in her own session.
    StoreProbe own;
    ASSERT_EQ(connect(own, {"liv", "second"}), kOTVStatusOK);
    ASSERT_EQ(own.initUserDetails("liv", "second"), kOTVStatusOK);
    own.mCurrentUser()->setMPassword("fourth");
    own.resetPasswordForUser(own.mCurrentUser().get(), &code);
    EXPECT_EQ(code, kOTVStatusOK);
    EXPECT_TRUE(authenticates("liv", "fourth"));
    EXPECT_EQ(storedPassword(liv->mUserID()), "");
}

// A hint leads its user to the password she chose: an administrator's new password leaves it
// pointing at the old one, so the reset clears it. A save without a new password keeps it.
TEST_F(UserAccounts, AnAdministratorsPasswordResetClearsTheUsersHint)
{
    auto mia = account("mia", "first-pw");
    auto noa = account("noa", "other-pw");
    ASSERT_EQ(administrator.addUser(mia), kOTVStatusOK);
    ASSERT_EQ(administrator.addUser(noa), kOTVStatusOK);
    const auto setOwnHint = [this](const QString& name, const QString& password) {
        StoreProbe own;
        ASSERT_EQ(connect(own, {name, password}), kOTVStatusOK);
        ASSERT_EQ(own.initUserDetails(name, password), kOTVStatusOK);
        ASSERT_EQ(own.setPassword(password, QStringLiteral("the usual one, with a 1")), kOTVStatusOK);
    };
    const auto hintOf = [this](const QString& name, const QString& password) {
        StoreProbe own;
        if (connect(own, {name, password}) != kOTVStatusOK || own.initUserDetails(name, password) != kOTVStatusOK)
            return QStringLiteral("<no login>");
        int code = -1;
        return own.isHintExist(own.mCurrentUser().get(), &code) ? own.passwordHintForUser(own.mCurrentUser().get(), &code)
                                                                : QString();
    };
    setOwnHint("mia", "first-pw");
    setOwnHint("noa", "other-pw");
    ASSERT_EQ(hintOf("mia", "first-pw"), "the usual one, with a 1");

    // Other details saved, the password left empty ("unchanged"): the hint stays.
    mia->setMPassword(QString());
    mia->setMDescription("moved to sales");
    ASSERT_EQ(administrator.replaceUser(mia), kOTVStatusOK);
    EXPECT_EQ(hintOf("mia", "first-pw"), "the usual one, with a 1");

    mia->setMPassword("reset-pw-2");
    ASSERT_EQ(administrator.replaceUser(mia), kOTVStatusOK);
    EXPECT_EQ(hintOf("mia", "reset-pw-2"), QString());
    EXPECT_EQ(rootValue("SELECT CONCAT(HINTQNO, '|', HEX(HINTQANSWER), '|', HEX(HINTQUESTION)) FROM "
                        "vivododadi.APPPREFTABLE WHERE USERID = " + literal(mia->mUserID())),
              "0||");
    EXPECT_EQ(hintOf("noa", "other-pw"), "the usual one, with a 1");
}

// The user import adds accounts on a worker while the interface draws the map of accounts: the
// map changes on the main thread.
TEST_F(UserAccounts, AnImportOnAWorkerChangesTheMapOnTheMainThread)
{
    auto imported = account("imported", "pw");
    int code = -1;
    BKRunWorkerAndWait(
        [&] {
            code = administrator.addUser(imported);
            OTVDataBase::endDatabaseThread();
        });
    EXPECT_EQ(code, kOTVStatusOK);
    EXPECT_EQ(administrator.mUsers().value(imported->mUserID()), imported);
    EXPECT_TRUE(authenticates("imported", "pw"));
}

// The server or the connection dies in the middle of an add (here: while the USERTABLE row
// waits for a lock): the account made so far stays locked, so nobody can log in with it.
TEST_F(UserAccounts, AnAddKilledInTheMiddleLeavesNoAccountThatCanLogIn)
{
    auto user = account("killed", "pw", false, {kGroupA});
    const QString storeConnection = sessionIDOf(administrator);
    ASSERT_FALSE(storeConnection.isEmpty());

    // Another session holds the row's key, so the store's insert waits.
    std::unique_ptr<sql::Connection> blocker = server.connect(server.root);
    ASSERT_TRUE(blocker);
    blocker->setAutoCommit(false);
    std::unique_ptr<sql::Statement>(blocker->createStatement())
        ->execute(("INSERT INTO vivododadi.USERTABLE (USERID) VALUES (" + literal(user->mUserID()) + ")").toStdString());

    std::atomic<bool> couldLogInWhileWaiting{false};
    std::atomic<bool> sawTheWait{false};
    std::thread killer([&] {
        for (int attempt = 0; attempt < 200 && !sawTheWait; ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            sawTheWait = rootValue("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = " +
                                   storeConnection + " AND INFO LIKE '%INTO USERTABLE%'") == "1";
        }
        couldLogInWhileWaiting = authenticates("killed", "pw");
        root("KILL CONNECTION " + storeConnection);
    });
    EXPECT_NE(administrator.addUser(user), kOTVStatusOK);
    killer.join();
    blocker->rollback();

    EXPECT_TRUE(sawTheWait);
    EXPECT_FALSE(couldLogInWhileWaiting);
    EXPECT_FALSE(authenticates("killed", "pw"));
    EXPECT_TRUE(userRow(user->mUserID()).isNull());
    EXPECT_FALSE(administrator.mUsers().contains(user->mUserID()));
}

// What a plain vault user can do with any MySQL client, outside the program: read no usable
// password, change no user row (his own rights, another's disabled flag), write no account
// details, and only add to the event log.
TEST_F(UserAccounts, AVaultUserCannotUseTheServerToRaiseHisRights)
{
    auto bob = account("bob", "bob's pw");
    ASSERT_EQ(administrator.addUser(bob), kOTVStatusOK);
    const QString admin = literal(server.admin.user);
    const QString adminRowBefore = rootValue("SELECT CONCAT_WS('|', GROUPPERMISSION, ISACCOUNTDISABLED) FROM "
                                             "vivododadi.USERTABLE WHERE USERNAME = " + admin);
    root("INSERT INTO vivododadi.EVENTLOGGERTABLE (NAME) VALUES ('kept')");

    std::unique_ptr<sql::Connection> direct = connectAs("bob", "bob's pw");
    ASSERT_TRUE(direct);
    std::unique_ptr<sql::Statement> statement(direct->createStatement());
    {
        std::unique_ptr<sql::ResultSet> rows(statement->executeQuery("SELECT USERNAME, LENGTH(PASSWORD) FROM "
                                                                     "vivododadi.USERTABLE"));
        int users = 0;
        while (rows->next()) {
            ++users;
            EXPECT_EQ(rows->getInt(2), 0) << rows->getString(1);
        }
        EXPECT_GE(users, 2);
    }
    const QString refused[] = {
        "UPDATE vivododadi.USERTABLE SET GROUPPERMISSION = 7, DATAPERMISSION = 63 WHERE USERNAME = 'bob'",
        "UPDATE vivododadi.USERTABLE SET ISACCOUNTDISABLED = 1 WHERE USERNAME = " + admin,
        "DELETE FROM vivododadi.USERTABLE WHERE USERNAME = " + admin,
        "INSERT INTO vivododadi.USERTABLE (USERID, USERNAME) VALUES ('0000000000000099', 'mallory')",
        "DELETE FROM vivododadi.EVENTLOGGERTABLE",
        "UPDATE vivododadi.EVENTLOGGERTABLE SET NAME = 'forged'",
        "REPLACE INTO mysql.user_info VALUES ('bob', 'x', 'x', 'x', 'x', '')",
        "DELETE FROM mysql.user_info",
    };
    for (const QString& sql : refused) {
        SCOPED_TRACE(sql.toStdString());
        try {
            statement->execute(sql.toStdString());
            ADD_FAILURE() << "the server accepted it";
        } catch (const sql::SQLException& e) {
            EXPECT_EQ(e.getErrorCode(), 1142) << e.what();
        }
    }
    EXPECT_NO_THROW(statement->execute("INSERT INTO vivododadi.EVENTLOGGERTABLE (NAME) VALUES ('added')"));

    EXPECT_EQ(rootValue("SELECT CONCAT_WS('|', GROUPPERMISSION, ISACCOUNTDISABLED) FROM vivododadi.USERTABLE "
                        "WHERE USERNAME = " + admin),
              adminRowBefore);
    EXPECT_EQ(rootValue("SELECT GROUPPERMISSION FROM vivododadi.USERTABLE WHERE USERNAME = 'bob'"), "1");
    EXPECT_EQ(rootRows("SELECT NAME FROM vivododadi.EVENTLOGGERTABLE ORDER BY NAME"), (QStringList{"added", "kept"}));
}

// Only an administrator's session marks a change of the master password: any other account
// could stop every enciphering write with a mark for good, or clear a change's mark under way.
// The server refuses every way of writing the mark to such an account (here the fixture's plain
// account, which may write every vault table), while the key stamp stays its to bump. A vault
// of an earlier version gets the triggers at an administrator's login.
TEST_F(UserAccounts, OnlyAnAdministratorWritesTheMarkOfAMasterPasswordChange)
{
    for (const char* event : {"INSERT", "UPDATE", "DELETE"})
        root(QStringLiteral("DROP TRIGGER IF EXISTS vivododadi.KEYSTAMPTABLE_MARK_%1").arg(event));
    StoreProbe next;
    ASSERT_EQ(connect(next, server.admin), kOTVStatusOK);
    root("INSERT INTO vivododadi.KEYSTAMPTABLE (NAME, STAMP) VALUES ('DBPASSWORD', 5)");

    std::unique_ptr<sql::Connection> plain = connectAs(server.plain.user, server.plain.password);
    ASSERT_TRUE(plain);
    std::unique_ptr<sql::Statement> statement(plain->createStatement());
    statement->execute("USE vivododadi");
    const QString mark = "SELECT CONCAT_WS('|', NAME, STAMP) FROM vivododadi.KEYSTAMPTABLE WHERE NAME <> 'DBPASSWORD'";
    struct Case {
        const char* what;
        bool markStands;   // a change's live mark is there before
        const char* sql;
    };
    const Case cases[] = {
        {"a mark for good", false,
         "INSERT INTO KEYSTAMPTABLE(NAME,STAMP) VALUES('DBPASSWORDCHANGE',4000000000) ON DUPLICATE KEY UPDATE "
         "STAMP=VALUES(STAMP)"},
        {"a mark of a minute", false,
         "INSERT INTO KEYSTAMPTABLE(NAME,STAMP) VALUES ('DBPASSWORDCHANGE',UNIX_TIMESTAMP()+60)"},
        {"another spelling", false, "INSERT INTO KEYSTAMPTABLE(NAME,STAMP) VALUES ('dbPasswordChange ',4000000000)"},
        {"replaced", false, "REPLACE INTO KEYSTAMPTABLE VALUES ('DBPASSWORDCHANGE',4000000000)"},
        {"the stamp's row renamed", false, "UPDATE KEYSTAMPTABLE SET NAME='DBPASSWORDCHANGE' WHERE NAME='DBPASSWORD'"},
        {"a change's mark refreshed", true,
         "INSERT INTO KEYSTAMPTABLE(NAME,STAMP) VALUES('DBPASSWORDCHANGE',UNIX_TIMESTAMP()+60) ON DUPLICATE KEY "
         "UPDATE STAMP=VALUES(STAMP)"},
        {"a change's mark moved ahead", true, "UPDATE KEYSTAMPTABLE SET STAMP=4000000000 WHERE NAME='DBPASSWORDCHANGE'"},
        {"a change's mark cleared", true, "UPDATE KEYSTAMPTABLE SET STAMP=0"},
        {"a change's mark deleted", true, "DELETE FROM KEYSTAMPTABLE WHERE NAME='DBPASSWORDCHANGE'"},
        {"a change's mark given another name", true,
         "UPDATE KEYSTAMPTABLE SET NAME='SOMETHINGELSE' WHERE NAME='DBPASSWORDCHANGE'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        root("DELETE FROM vivododadi.KEYSTAMPTABLE WHERE NAME <> 'DBPASSWORD'");
        if (c.markStands)
            root("INSERT INTO vivododadi.KEYSTAMPTABLE (NAME, STAMP) VALUES ('DBPASSWORDCHANGE', 2000000000)");
        const QString before = rootValue(mark);
        int error = 0;
        try {
            statement->execute(c.sql);
        } catch (const sql::SQLException& e) {
            error = e.getErrorCode();
        }
        EXPECT_EQ(error, 1644);
        EXPECT_EQ(rootValue(mark), before);
        EXPECT_EQ(rootValue("SELECT STAMP FROM vivododadi.KEYSTAMPTABLE WHERE NAME = 'DBPASSWORD'"), "5");
    }

    // The stamp that every enciphering write bumps on a cluster.
    EXPECT_NO_THROW(statement->execute(kQueryBumpKeyStamp));
    EXPECT_EQ(rootValue("SELECT STAMP FROM vivododadi.KEYSTAMPTABLE WHERE NAME = 'DBPASSWORD'"), "6");
    // An administrator's session writes and clears the mark.
    std::unique_ptr<sql::Connection> admin = connectAs(server.admin.user, server.admin.password);
    ASSERT_TRUE(admin);
    std::unique_ptr<sql::Statement> asAdmin(admin->createStatement());
    asAdmin->execute("USE vivododadi");
    EXPECT_NO_THROW(asAdmin->execute("INSERT INTO KEYSTAMPTABLE(NAME,STAMP) VALUES ('DBPASSWORDCHANGE',"
                                     "UNIX_TIMESTAMP()+60) ON DUPLICATE KEY UPDATE STAMP=VALUES(STAMP)"));
    EXPECT_NO_THROW(asAdmin->execute(kQueryClearKeyChangeMark));
    EXPECT_EQ(rootValue("SELECT STAMP FROM vivododadi.KEYSTAMPTABLE WHERE NAME = 'DBPASSWORDCHANGE'"), "0");
}

// A vault of an earlier version: passwords kept in USERTABLE (under the program's key, which
// every user holds), the former rights and no right on the key stamp. An administrator's login
// empties the one and brings the others to the current set; a disabled account gets no rights
// back.
TEST_F(UserAccounts, AnAdministratorsLoginBringsFormerAccountsToTheCurrentRules)
{
    auto bob = account("bob", "bob's pw");
    auto dora = account("dora", "dora's pw", true);
    ASSERT_EQ(administrator.addUser(bob), kOTVStatusOK);
    ASSERT_EQ(administrator.addUser(dora), kOTVStatusOK);
    for (const char* name : {"bob", "dora"}) {
        for (const char* table : {"USERTABLE", "EVENTLOGGERTABLE"})
            root(QStringLiteral("GRANT CREATE, SELECT, INSERT, DELETE, UPDATE ON vivododadi.%1 TO '%2'@'%'")
                     .arg(table, name));
    }
    // Made before the key stamp existed: no right on it.
    root("REVOKE ALL ON vivododadi.KEYSTAMPTABLE FROM 'bob'@'%'");
    const QString readable = QString::fromLatin1(administrator.encryptDataString("bob's pw").toHex());
    root("UPDATE vivododadi.USERTABLE SET PASSWORD = x'" + readable + "'");
    // An account that is no vault user keeps whatever it was given.
    root("GRANT CREATE, SELECT, INSERT, DELETE, UPDATE ON vivododadi.USERTABLE TO 'ostrevin_plain'@'%'");

    StoreProbe next;
    ASSERT_EQ(connect(next, server.admin), kOTVStatusOK);
    ASSERT_EQ(next.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);

    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.USERTABLE WHERE LENGTH(PASSWORD) > 0"), "0");
    EXPECT_EQ(rightsOf("bob"), vaultUserRights(false));
    EXPECT_EQ(rightsOf("dora"), vaultUserRights(true));
    EXPECT_EQ(rightsOf(server.plain.user).value("`vivododadi`.`USERTABLE`"), "CREATE, DELETE, INSERT, SELECT, UPDATE");

    // A plain session's login changes nothing of it.
    root("UPDATE vivododadi.USERTABLE SET PASSWORD = x'" + readable + "' WHERE USERNAME = 'dora'");
    StoreProbe own;
    ASSERT_EQ(connect(own, {"bob", "bob's pw"}), kOTVStatusOK);
    EXPECT_EQ(own.initUserDetails("bob", "bob's pw"), kOTVStatusOK);
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.USERTABLE WHERE LENGTH(PASSWORD) > 0"), "1");
}

// The lock panel's check: the server decides, with a connection of its own.
TEST_F(UserAccounts, PasswordsAreCheckedByTheServer)
{
    auto bob = account("bob", "bob's pw");
    ASSERT_EQ(administrator.addUser(bob), kOTVStatusOK);
    StoreProbe own;
    ASSERT_EQ(connect(own, {"bob", "bob's pw"}), kOTVStatusOK);
    ASSERT_EQ(own.initUserDetails("bob", "bob's pw"), kOTVStatusOK);

    struct Case {
        QString password;
        int status;
    };
    const Case cases[] = {{"bob's pw", kOTVStatusOK},
                          {"bob's PW", kOTVStatusAccessDenied},
                          {"", kOTVStatusAccessDenied},
                          {"bob's pw ", kOTVStatusAccessDenied}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password.toStdString());
        EXPECT_EQ(own.authenticateAccount("bob", c.password), c.status);
        int code = -1;
        EXPECT_EQ(own.validatePasswordForUser(own.mCurrentUser().get(), c.password, &code), c.status == kOTVStatusOK);
        EXPECT_EQ(code, kOTVStatusOK);
    }
    // Changed by the administrator meanwhile: the new one opens the lock.
    bob->setMPassword("changed");
    int code = -1;
    administrator.resetPasswordForUser(bob.get(), &code);
    ASSERT_EQ(code, kOTVStatusOK);
    EXPECT_FALSE(own.validatePasswordForUser(own.mCurrentUser().get(), "bob's pw", &code));
    EXPECT_TRUE(own.validatePasswordForUser(own.mCurrentUser().get(), "changed", &code));
    // Another user's record is never checked.
    EXPECT_FALSE(own.validatePasswordForUser(administrator.mCurrentUser().get(), server.admin.password, &code));
    EXPECT_TRUE(own.isConnected());   // the session's own connection stays

    // Without a server to ask.
    StoreProbe unconnected;
    EXPECT_EQ(unconnected.authenticateAccount("bob", "changed"), kOTVStatusDatabaseError);
}

// A new account costs the same statements whatever the server holds: no reload of the grant
// tables (the server applies CREATE USER and GRANT at once), each table granted once.
TEST_F(UserAccounts, AnAddSendsEachStatementOnce)
{
    root("SET GLOBAL general_log_file = 'i44-general.log'");
    root("SET GLOBAL log_output = 'TABLE'");
    root("TRUNCATE TABLE mysql.general_log");
    root("SET GLOBAL general_log = 1");
    const QString session = sessionIDOf(administrator);
    auto user = account("counted", "pw");
    const int status = administrator.addUser(user);
    root("SET GLOBAL general_log = 0");
    ASSERT_EQ(status, kOTVStatusOK);
    const QString mine = "FROM mysql.general_log WHERE thread_id = " + session;
    EXPECT_EQ(rootValue("SELECT COUNT(*) " + mine + " AND argument LIKE 'FLUSH%'"), "0");
    EXPECT_EQ(rootValue("SELECT COUNT(*) " + mine + " AND argument LIKE 'GRANT%RECORDTABLE%'"), "1");
    // One per table right, and the right to the routine of its own deletion.
    EXPECT_EQ(rootValue("SELECT COUNT(*) " + mine + " AND argument LIKE 'GRANT EXECUTE ON PROCEDURE%'"), "1");
    EXPECT_EQ(rootValue("SELECT COUNT(*) " + mine + " AND argument LIKE 'GRANT%'").toInt(),
              int(vaultUserRights(false).size()) + 1);
    EXPECT_EQ(rootValue("SELECT COUNT(*) " + mine + " AND argument LIKE 'CREATE USER%'"), "1");
    // Granted without a reload, the rights hold at once.
    EXPECT_TRUE(readsVault("counted", "pw"));
    EXPECT_EQ(rightsOf("counted"), vaultUserRights(false));
    root("TRUNCATE TABLE mysql.general_log");
    root("SET GLOBAL log_output = 'FILE'");
}

namespace {

// A locked account with the marks of an add of this program cut short after the account (its
// details row and some of the vault's rights), as the server keeps it.
void leaveInterruptedAdd(const std::function<void(const QString&)>& root, const QString& name)
{
    root("INSERT INTO mysql.user_info VALUES ('" + name + "', 'Cut Short', '', 'c@example.org', '', '')");
    root("CREATE USER '" + name + "'@'%' IDENTIFIED BY 'half made' ACCOUNT LOCK");
    root("GRANT CREATE, SELECT, INSERT, DELETE, UPDATE ON vivododadi.GROUPTABLE TO '" + name + "'@'%'");
    root("GRANT SELECT ON mysql.user_info TO '" + name + "'@'%'");
}

} // namespace

// An add killed between the account and the vault rows leaves a locked account without a vault
// user. The next add of that name replaces it, and the user logs in.
TEST_F(UserAccounts, AnAddCutShortIsReplacedByTheNextAddOfItsName)
{
    auto first = account("halfway", "first pw", false, {kGroupA});
    const QString storeConnection = sessionIDOf(administrator);
    administrator.statementFaults().interruptExecution(kQueryInsertUserTable, 1, [&] {
        root("KILL CONNECTION " + storeConnection);
    });
    EXPECT_NE(administrator.addUser(first), kOTVStatusOK);
    ASSERT_TRUE(accountExists("halfway"));   // nothing could undo it on a dead connection
    EXPECT_FALSE(authenticates("halfway", "first pw"));
    EXPECT_TRUE(userRow(first->mUserID()).isNull());

    StoreProbe next;
    ASSERT_EQ(connect(next, server.admin), kOTVStatusOK);
    // The vault's rights alone mark it too (earlier versions wrote the details row after them).
    root("DELETE FROM mysql.user_info WHERE User = 'halfway'");
    EXPECT_FALSE(next.isServerAccountName("halfway"));
    EXPECT_FALSE(next.isAccountNameTaken("halfway"));
    auto again = account("halfway", "second pw", false, {kGroupB});
    ASSERT_EQ(next.addUser(again), kOTVStatusOK);
    EXPECT_TRUE(authenticates("halfway", "second pw"));
    EXPECT_FALSE(authenticates("halfway", "first pw"));
    EXPECT_EQ(rightsOf("halfway"), vaultUserRights(false));
    EXPECT_EQ(groupRows(again->mUserID()), QStringList{kGroupB});
    EXPECT_EQ(details("halfway"), "Full halfway|made by a test|halfway@example.org|+41 0");
    StoreProbe own;
    ASSERT_EQ(connect(own, {"halfway", "second pw"}), kOTVStatusOK);
    EXPECT_EQ(own.initUserDetails("halfway", "second pw"), kOTVStatusOK);
    // Now a vault user's account: never replaced.
    EXPECT_TRUE(next.isAccountNameTaken("halfway"));
    EXPECT_EQ(next.addUser(account("halfway", "third pw")), kOTVStatusDatabaseError);
}

// An administrator's login removes what interrupted adds left (accounts, and details rows
// without an account), and only that: an account in use, another program's locked account, one
// with rights beyond the vault and one for another host all stay, with their details.
TEST_F(UserAccounts, AnAdministratorsLoginRemovesWhatInterruptedAddsLeft)
{
    const auto asRoot = [this](const QString& statement) { root(statement); };
    leaveInterruptedAdd(asRoot, "cut1");
    // Cut right after the account: only the details row, written before it, marks it.
    root("INSERT INTO mysql.user_info VALUES ('cut2', '', '', '', '', '')");
    root("CREATE USER 'cut2'@'%' IDENTIFIED BY 'x' ACCOUNT LOCK");
    leaveInterruptedAdd(asRoot, "beyond");
    root("GRANT SELECT ON mysql.db TO 'beyond'@'%'");
    leaveInterruptedAdd(asRoot, "unlocked");
    root("ALTER USER 'unlocked'@'%' ACCOUNT UNLOCK");
    root("CREATE USER 'theirs'@'%' IDENTIFIED BY 'x' ACCOUNT LOCK");   // no mark of this program
    leaveInterruptedAdd(asRoot, "twohosts");
    root("CREATE USER 'twohosts'@'localhost' IDENTIFIED BY 'x'");
    leaveInterruptedAdd(asRoot, "withrole");
    root("CREATE ROLE IF NOT EXISTS i44_role");
    root("GRANT i44_role TO 'withrole'@'%'");
    // Cut short after the details row, before the account: details of nobody, which every vault
    // user could read.
    root("INSERT INTO mysql.user_info VALUES ('cut0', 'Cut Short', 'x', 'c@example.org', '', '')");

    StoreProbe next;
    EXPECT_EQ(connect(next, server.admin), kOTVStatusOK);
    EXPECT_EQ(next.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
    const bool roleKept = accountExists("withrole");
    root("DROP ROLE i44_role");   // the fixture's clean-up drops accounts, not roles
    EXPECT_TRUE(roleKept);

    for (const char* gone : {"cut0", "cut1", "cut2"}) {
        SCOPED_TRACE(gone);
        EXPECT_FALSE(accountExists(gone));
        EXPECT_TRUE(details(gone).isNull());
    }
    for (const char* kept : {"beyond", "unlocked", "theirs"}) {
        SCOPED_TRACE(kept);
        EXPECT_TRUE(accountExists(kept));
        EXPECT_TRUE(next.isServerAccountName(kept));
    }
    for (const char* described : {"beyond", "unlocked", "twohosts"})
        EXPECT_FALSE(details(described).isNull()) << described;
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM mysql.user WHERE User = 'twohosts'"), "2");
    // A plain session's login removes nothing (it may not read the accounts).
    leaveInterruptedAdd(asRoot, "cut3");
    StoreProbe plain;
    if (connect(plain, server.plain) == kOTVStatusOK)
        plain.initUserDetails(server.plain.user, server.plain.password);
    EXPECT_TRUE(accountExists("cut3"));
}

// The Users window's Password column: whether the server holds a password for the account, read
// by the administrator's session; the account objects keep no typed password.
TEST_F(UserAccounts, TheServerTellsWhichAccountsHaveAPassword)
{
    auto bob = account("bob", "bob's pw");
    auto ann = account("ann", "ann's pw");
    ASSERT_EQ(administrator.addUser(bob), kOTVStatusOK);
    ASSERT_EQ(administrator.addUser(ann), kOTVStatusOK);
    // An edit without a typed password keeps the account's password, and says so.
    auto edited = std::make_shared<OTVUser_Admin>(*bob);
    edited->setMDescription("edited");
    ASSERT_EQ(administrator.replaceUser(edited), kOTVStatusOK);
    EXPECT_TRUE(administrator.mUsers().value(bob->mUserID())->mHasServerPassword());
    EXPECT_TRUE(authenticates("bob", "bob's pw"));
    // Emptied by hand on the server: the next save and the next load say so.
    root("SET PASSWORD FOR 'ann'@'%' = ''");
    auto annEdited = std::make_shared<OTVUser_Admin>(*ann);
    ASSERT_EQ(administrator.replaceUser(annEdited), kOTVStatusOK);
    EXPECT_FALSE(administrator.mUsers().value(ann->mUserID())->mHasServerPassword());
    ASSERT_EQ(administrator.loadDataBase(false), kOTVStatusOK);
    QMap<QString, bool> hasPassword;
    for (const auto& user : administrator.mUsers()) {
        hasPassword.insert(user->mUsername(), user->mHasServerPassword());
        EXPECT_TRUE(user->mPassword().isEmpty());
    }
    EXPECT_EQ(hasPassword, (QMap<QString, bool>{{"ann", false}, {"bob", true}}));
}
