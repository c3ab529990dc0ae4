// The login step against a real server: which accounts are bound to which vault user, which
// become vault administrators, and which are refused.
#include "StoreTestSupport.h"

#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"

namespace {

// Records the store's status at the moment the desktop is told the attempt ended.
class StatusAtCompletion final : public BKApplicationServices {
public:
    explicit StatusAtCompletion(const OTVDataBase& store) : store_(store) { install(this); }
    ~StatusAtCompletion() override { install(nullptr); }
    void connectionISComplete() override { statuses.append(store_.connectionErrorCode()); }
    void finishReloadingData() override {}
    void reloadFailed(int) override {}
    void updateApplicationUIForCurrectPermissions() override {}
    void dontSavePreference() override {}
    bool isMainWindowMaximied() override { return false; }
    void terminateApplication() override {}
    QString mCurrentUserName() override { return {}; }

    QList<int> statuses;

private:
    const OTVDataBase& store_;
};

} // namespace

class LoginStep : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_EQ(connect(administrator, server.admin), kOTVStatusOK);   // creates the vault
        root(QStringLiteral("DELETE FROM mysql.user_info"));
    }

    // A vault user's row written directly, as another copy of the program would have.
    void insertUserRow(const QString& userID, const QString& name, const QString& password, bool disabled,
                       int words = 5)
    {
        const QString hex = QString::fromLatin1(administrator.encryptDataString(password).toHex());
        root(QStringLiteral("INSERT INTO vivododadi.USERTABLE VALUES ('%1', '%2', x'%3', 'Mac-Standalone', %4, %4, "
                            "%4, %4, 0, %5)")
                 .arg(userID, name, hex)
                 .arg(words)
                 .arg(disabled ? 1 : 0));
    }

    QStringList userRows() const
    {
        return rootRows(QStringLiteral("SELECT USERID, USERNAME, GROUPPERMISSION, TYPEPERMISSION, RECORDPERMISSION, "
                                       "DATAPERMISSION, CANCHANGEPASSWORD, ISACCOUNTDISABLED FROM "
                                       "vivododadi.USERTABLE ORDER BY USERID"));
    }

    StoreProbe administrator;
    RecordingAlertPresenter alerts;
};

TEST_F(LoginStep, AdministratorsBecomeVaultAdministratorsWithWellKnownIDs)
{
    EXPECT_EQ(administrator.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
    EXPECT_EQ(administrator.connectionErrorCode(), kOTVStatusOK);
    const std::shared_ptr<OTVUser> me = administrator.mCurrentUser();
    EXPECT_EQ(me->mUserID(), "0000000000000001");
    EXPECT_EQ(me->mUsername(), server.admin.user);
    EXPECT_EQ(me->mPassword(), server.admin.password);
    EXPECT_EQ(me->mGroupPermissionsBit(), 7);
    EXPECT_EQ(me->mTypePermissionsBit(), 7);
    EXPECT_EQ(me->mRecordPermissionsBit(), 7);
    EXPECT_EQ(me->mDataPermissionsBit(), 63);
    EXPECT_FALSE(me->mIsNotAllowedToChangePassword());
    EXPECT_FALSE(me->mIsAccountDisabled());
    EXPECT_TRUE(administrator.mUsers().contains("0000000000000001"));

    // "root" is the second administrator; it never enters the map of accounts.
    StoreProbe rootStore;
    ASSERT_EQ(connect(rootStore, server.root), kOTVStatusOK);
    EXPECT_EQ(rootStore.initUserDetails(server.root.user, server.root.password), kOTVStatusOK);
    EXPECT_EQ(rootStore.mCurrentUser()->mUserID(), "0000000000000002");
    EXPECT_TRUE(rootStore.mUsers().isEmpty());

    // A second login binds to the row made at the first.
    StoreProbe again;
    ASSERT_EQ(connect(again, server.admin), kOTVStatusOK);
    EXPECT_EQ(again.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
    EXPECT_EQ(again.mCurrentUser()->mUserID(), "0000000000000001");

    EXPECT_EQ(userRows(), (QStringList{"0000000000000001|" + server.admin.user + "|7|7|7|63|1|0",
                                       "0000000000000002|root|7|7|7|63|1|0"}));
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM mysql.user_info"), "0");   // the account is used as it is
    EXPECT_TRUE(alerts.alerts.isEmpty());
}

// A server whose default sql_mode treats double quotes as identifiers (ANSI_QUOTES, or ANSI):
// the session takes it out of its own mode, so the first administrator login works there.
TEST_F(LoginStep, AServerWithAnsiQuotesByDefaultWorksAsAnother)
{
    for (const char* mode : {"ANSI_QUOTES", "ANSI"}) {
        SCOPED_TRACE(mode);
        root("DROP DATABASE IF EXISTS vivododadi");
        const QString before = rootValue("SELECT @@GLOBAL.sql_mode");
        root(QStringLiteral("SET GLOBAL sql_mode = CONCAT(@@GLOBAL.sql_mode, ',%1')").arg(mode));
        StoreProbe first;
        const int connected = connect(first, server.admin);
        const int login = first.initUserDetails(server.admin.user, server.admin.password);
        const QString sessionMode = valueInSessionOf(first, "SELECT @@SESSION.sql_mode");
        root("SET GLOBAL sql_mode = '" + before + "'");
        EXPECT_EQ(connected, kOTVStatusOK);
        EXPECT_EQ(login, kOTVStatusOK);
        EXPECT_EQ(first.mCurrentUser()->mUserID(), "0000000000000001");
        EXPECT_FALSE(sessionMode.contains("ANSI_QUOTES")) << sessionMode.toStdString();
        EXPECT_TRUE(sessionMode.contains("STRICT_ALL_TABLES")) << sessionMode.toStdString();
    }
}

TEST_F(LoginStep, StatusesOfVaultUsersAndOtherAccounts)
{
    struct Case {
        const char* name;
        QString rowName;           // a vault user's row to write first (none when empty)
        bool disabled;
        const TestAccount* account;
        int status;
        bool boundToRow;
    };
    const Case cases[] = {
        {"a plain account that is a vault user", server.plain.user, false, &server.plain, kOTVStatusOK, true},
        {"a disabled vault user", server.plain.user, true, &server.plain, kOTVStatusAccountDisabled, false},
        {"a plain account that is no vault user is refused", {}, false, &server.plain, kOTVStatusAccessDenied, false},
        {"another case of the name is another user", server.plain.user.toUpper(), false, &server.plain,
         kOTVStatusAccessDenied, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        root(QStringLiteral("DELETE FROM vivododadi.USERTABLE"));
        if (!c.rowName.isEmpty())
            insertUserRow("0A0B0C0D0E0F1011", c.rowName, "pw", c.disabled);

        StoreProbe store;
        ASSERT_EQ(connect(store, *c.account), kOTVStatusOK);
        const QString before = store.mCurrentUser()->mUserID();
        StatusAtCompletion completion(store);
        EXPECT_EQ(store.initUserDetails(c.account->user, c.account->password), c.status);
        EXPECT_EQ(store.connectionErrorCode(), c.status);
        // The desktop hears of a disabled account with its status already set.
        EXPECT_EQ(completion.statuses, c.status == kOTVStatusAccountDisabled ? QList<int>{kOTVStatusAccountDisabled}
                                                                              : QList<int>{});
        if (c.boundToRow) {
            EXPECT_EQ(store.mCurrentUser()->mUserID(), "0A0B0C0D0E0F1011");
            // The password the server accepted, never one kept in the row.
            EXPECT_EQ(store.mCurrentUser()->mPassword(), c.account->password);
            EXPECT_EQ(store.mCurrentUser()->mRecordPermissionsBit(), 5);
            EXPECT_TRUE(store.mCurrentUser()->mIsNotAllowedToChangePassword());
        } else {
            EXPECT_EQ(store.mCurrentUser()->mUserID(), before);
        }
        // Only administrators become vault users at login.
        EXPECT_EQ(userRows().size(), c.rowName.isEmpty() ? 0 : 1);
    }
    BKApplicationServices::install(&services);
}

TEST_F(LoginStep, AnAdministratorIsNotBoundToAnotherCaseOfItsName)
{
    insertUserRow("0A0B0C0D0E0F1011", server.admin.user.toUpper(), "pw", false);
    EXPECT_EQ(administrator.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
    EXPECT_EQ(administrator.mCurrentUser()->mUserID(), "0000000000000001");
    EXPECT_EQ(administrator.mCurrentUser()->mUsername(), server.admin.user);
}

TEST_F(LoginStep, ANameOnlyInThePreferenceRowsIsTaken)
{
    // A preference row that still carries a user's former name.
    insertUserRow("0A0B0C0D0E0F1011", "carol", "pw", false);
    root("INSERT INTO vivododadi.APPPREFTABLE (USERID, USERNAME) VALUES ('0A0B0C0D0E0F1011', 'carol_old')");
    EXPECT_TRUE(administrator.isUserExistsInOstrevin("carol_old"));
    EXPECT_TRUE(administrator.isUserExistsInOstrevin("carol"));
    EXPECT_FALSE(administrator.isUserExistsInOstrevin("Carol"));
    EXPECT_FALSE(administrator.isUserExistsInOstrevin("nobody"));
    // The login finds no row for the name: the account counts as deleted.
    EXPECT_EQ(administrator.initUserDetails("carol_old", "x"), kOTVStatusNoSuchUser);
}

TEST_F(LoginStep, DatabaseErrorsBecomeStatuses)
{
    insertUserRow("0A0B0C0D0E0F1011", server.admin.user, "pw", false);
    administrator.statementFaults().failExecution(kQueryUserRowForID, 1, 2013, "Lost connection");
    EXPECT_EQ(administrator.initUserDetails(server.admin.user, server.admin.password), kOTVStatusClientError);
    EXPECT_EQ(administrator.connectionErrorCode(), kOTVStatusClientError);
    EXPECT_EQ(notifications.posts(), QStringList{"DB_COMM_LOST(2013)"});

    administrator.statementFaults().failExecution(kQueryUserIDForName, 1, 1146, "Table doesn't exist");
    EXPECT_EQ(administrator.initUserDetails(server.admin.user, server.admin.password), kOTVStatusDatabaseError);
    EXPECT_TRUE(alerts.alerts.isEmpty());
}

TEST_F(LoginStep, AFailedAdministratorIsNotHalfMade)
{
    administrator.statementFaults().failExecution(kQueryInsertUserTable, 1, 1205, "Lock wait timeout");
    EXPECT_EQ(administrator.initUserDetails(server.admin.user, server.admin.password), kOTVStatusDatabaseError);
    EXPECT_EQ(administrator.connectionErrorCode(), kOTVStatusDatabaseError);
    EXPECT_TRUE(userRows().isEmpty());
    EXPECT_TRUE(administrator.mUsers().isEmpty());
    ASSERT_EQ(alerts.alerts.size(), 1);
    EXPECT_EQ(alerts.alerts.first().title, "Ostrevin Darovazivu Alert");
    EXPECT_EQ(alerts.alerts.first().message, "Connection failed");

    // The next attempt takes the first ID.
    EXPECT_EQ(administrator.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
    EXPECT_EQ(administrator.mCurrentUser()->mUserID(), "0000000000000001");
}
