// User accounts against a real server: each vault user is a USERTABLE row and a MySQL account
// of the same name and password, with the vault's table rights. Checked by connecting as the
// account, by SHOW GRANTS and by the rows.
#include "StoreTestSupport.h"

#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKWorker.h"

#include <cppconn/driver.h>
#include <mysql_driver.h>

#include <QMap>
#include <QRegularExpression>
#include <QSet>

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
                              "RECENTLYMODIFIEDTABLE", "RECENTLYVIEWEDTABLE", "USERTABLE", "USERGROUPTABLE",
                              "EVENTLOGGERTABLE", "GROUPSUBGROUPTABLE"})
        rights.insert(QStringLiteral("`vivododadi`.`%1`").arg(QLatin1String(table)), all);
    rights.insert(QStringLiteral("`vivododadi`.`DATABASEINFOTABLE`"), QStringLiteral("SELECT"));
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
        EXPECT_EQ(storedPassword(user->mUserID()), "bob's pw");
        EXPECT_EQ(groupRows(user->mUserID()), (QStringList{kGroupA, kGroupB}));
        EXPECT_EQ(details(name), "Full " + name + "|made by a test|" + name + "@example.org|+41 0");
        EXPECT_EQ(rowsOf("APPPREFTABLE", user->mUserID()), 1);
        EXPECT_EQ(personalGroup(user->mUserID()), "Personal-" + name);
        ASSERT_TRUE(administrator.mUsers().contains(user->mUserID()));
        EXPECT_EQ(administrator.mUsers().value(user->mUserID()), user);

        // The account opens a session of its own and passes the login step; a disabled one
        // cannot even read the master password.
        StoreProbe own;
        if (disabled) {
            EXPECT_EQ(connect(own, {name, "bob's pw"}), kOTVStatusDatabaseError);
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
        {"a character beyond the account tables", [](OTVUser_Admin& u) { u.setMUsername("key🔑"); },
         kOTVStatusDatabaseError},
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

TEST_F(UserAccounts, AnExistingPlainAccountIsAdoptedWithTheNewPassword)
{
    const Rights before = rightsOf(server.plain.user);
    auto plain = account(server.plain.user, "new password");
    ASSERT_EQ(administrator.addUser(plain), kOTVStatusOK);
    EXPECT_EQ(accountCount(), accountsBefore);
    EXPECT_TRUE(authenticates(server.plain.user, "new password"));
    EXPECT_FALSE(authenticates(server.plain.user, server.plain.password));
    EXPECT_EQ(rightsOf(server.plain.user), vaultUserRights(false));
    EXPECT_EQ(details(server.plain.user), "Full " + server.plain.user + "|made by a test|" + server.plain.user +
                                              "@example.org|+41 0");
    EXPECT_TRUE(before.isEmpty());   // it had rights on the whole database, none on single tables
}

// Every step that fails leaves nothing behind: neither the rows, nor the account, nor its
// rights, details or a changed password.
TEST_F(UserAccounts, AFailedAddUndoesEverything)
{
    struct Case {
        const char* what;
        bool adopt;
        std::function<void(StoreProbe&)> arm;
        QStringList groups;
    };
    const Case cases[] = {
        {"the row is refused", false,
         [this](StoreProbe&) {
             root("CREATE TRIGGER vivododadi.NO_USERS BEFORE INSERT ON vivododadi.USERTABLE FOR EACH ROW "
                  "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'no users'");
         },
         {}},
        {"the group list is refused", false,
         [this](StoreProbe&) {
             root("CREATE TRIGGER vivododadi.NO_MEMBERS BEFORE INSERT ON vivododadi.USERGROUPTABLE FOR EACH ROW "
                  "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'no members'");
         },
         {kGroupA}},
        {"the preference row is refused", false,
         [this](StoreProbe&) {
             root("CREATE TRIGGER vivododadi.NO_PREFERENCES BEFORE INSERT ON vivododadi.APPPREFTABLE FOR EACH ROW "
                  "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'no preferences'");
         },
         {kGroupA}},
        {"the personal group is refused", false,
         [this](StoreProbe&) {
             root("CREATE TRIGGER vivododadi.NO_GROUPS BEFORE INSERT ON vivododadi.GROUPTABLE FOR EACH ROW "
                  "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'no groups'");
         },
         {kGroupA}},
        {"a grant fails", false,
         [](StoreProbe& store) {
             store.statementFaults().failExecution("GRANT CREATE, SELECT, INSERT, DELETE, UPDATE on USERTABLE TO "
                                                   "'carl'",
                                                   1, 1205);
         },
         {}},
        {"the row of an adopted account is refused", true,
         [this](StoreProbe&) {
             root("CREATE TRIGGER vivododadi.NO_USERS BEFORE INSERT ON vivododadi.USERTABLE FOR EACH ROW "
                  "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'no users'");
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString name = c.adopt ? server.plain.user : QStringLiteral("carl");
        auto user = account(name, "pw", false, c.groups);
        c.arm(administrator);
        EXPECT_EQ(administrator.addUser(user), kOTVStatusDatabaseError);
        for (const char* trigger : {"NO_USERS", "NO_MEMBERS", "NO_PREFERENCES", "NO_GROUPS"})
            root(QStringLiteral("DROP TRIGGER IF EXISTS vivododadi.%1").arg(trigger));
        administrator.statementFaults().clear();

        EXPECT_EQ(accountCount(), accountsBefore);
        EXPECT_EQ(accountExists(name), c.adopt);
        if (c.adopt) {
            EXPECT_TRUE(authenticates(name, server.plain.password));
            EXPECT_TRUE(rightsOf(name).isEmpty());
        }
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
    EXPECT_EQ(storedPassword(erin->mUserID()), "pw");
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

TEST_F(UserAccounts, PasswordChangesReachBothHalves)
{
    auto liv = account("liv", "first");
    ASSERT_EQ(administrator.addUser(liv), kOTVStatusOK);

    // The administrator sets it.
    liv->setMPassword("second");
    int code = -1;
    administrator.resetPasswordForUser(liv.get(), &code);
    EXPECT_EQ(code, kOTVStatusOK);
    EXPECT_TRUE(authenticates("liv", "second"));
    EXPECT_EQ(storedPassword(liv->mUserID()), "second");

    // The row cannot be written: the MySQL password goes back.
    liv->setMPassword("third");
    administrator.statementFaults().failExecution(kQueryUpdateUserPassword, 1, 1205, "Lock wait timeout");
    administrator.resetPasswordForUser(liv.get(), &code);
    EXPECT_EQ(code, kOTVStatusDatabaseError);
    EXPECT_TRUE(authenticates("liv", "second"));
    EXPECT_EQ(storedPassword(liv->mUserID()), "second");

    // The user sets her own, in her own session.
    StoreProbe own;
    ASSERT_EQ(connect(own, {"liv", "second"}), kOTVStatusOK);
    ASSERT_EQ(own.initUserDetails("liv", "second"), kOTVStatusOK);
    own.mCurrentUser()->setMPassword("fourth");
    own.resetPasswordForUser(own.mCurrentUser().get(), &code);
    EXPECT_EQ(code, kOTVStatusOK);
    EXPECT_TRUE(authenticates("liv", "fourth"));
    EXPECT_EQ(storedPassword(liv->mUserID()), "fourth");
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
