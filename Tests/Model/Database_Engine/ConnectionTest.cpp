// The connection thread against a real server: who may open a session, who creates the vault,
// the master-password check, and what a new attempt does to the previous session.
#include "StoreTestSupport.h"

#include "Model/Ciphers/CDBEncrypter.h"
#include "Platform/BKWorker.h"

#include <cstdlib>

namespace {

// The stored form of a master password: the user-data cipher's bytes, in hex for SQL.
QString storedMasterPassword(const QByteArray& plain)
{
    CDBEncrypter cipher(kApplicationEncryptionKey);
    int length = int(plain.size());
    char* bytes = cipher.Encrypt(plain.constData(), &length);
    const QByteArray hex = QByteArray(bytes, length).toHex();
    std::free(bytes);
    return QString::fromLatin1(hex);
}

} // namespace

class Connection : public StoreTest {
protected:
    void createVault(const QString& masterPassword = {})
    {
        OTVDataBase administrator;
        ASSERT_EQ(connect(administrator, server.admin), kOTVStatusOK);
        if (!masterPassword.isEmpty())
            setStoredMasterPassword("x'" + storedMasterPassword(masterPassword.toUtf8()) + "'");
    }
    void setStoredMasterPassword(const QString& sqlValue)
    {
        root("REPLACE INTO vivododadi.DATABASEINFOTABLE VALUES ('DBPASSWORD', " + sqlValue + ")");
    }
    bool vaultExists() const
    {
        return rootValue("SELECT COUNT(*) FROM information_schema.SCHEMATA WHERE SCHEMA_NAME = 'vivododadi'") == "1";
    }
    int vaultTables() const
    {
        return rootValue("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'vivododadi'").toInt();
    }
};

TEST_F(Connection, OutcomesByAccountAndMasterPassword)
{
    enum Vault { NoVault, EmptyVault, VaultWithMasterPassword };
    struct Case {
        const char* name;
        TestAccount account;
        Vault vault;
        QString masterPassword;   // typed; the vault's is "s3cret"
        int status;
        bool administrator;
        bool recordCipher;
        int tablesAfter;          // in vivododadi; -1: no database
    };
    const TestAccount wrongPassword{server.admin.user, server.admin.password + "x"};
    const Case cases[] = {
        {"root creates the vault", server.root, NoVault, "", kOTVStatusOK, true, false, 18},
        {"a non-root administrator creates the vault", server.admin, NoVault, "", kOTVStatusOK, true, false, 18},
        {"table grants only: a session, nothing created", server.plain, EmptyVault, "", kOTVStatusOK, false, false, 18},
        {"table grants only, no vault yet", server.plain, NoVault, "", kOTVStatusDatabaseError, false, false, -1},
        {"wrong account password", wrongPassword, NoVault, "", kOTVStatusAccessDenied, false, false, -1},
        {"empty master password, vault without one", server.admin, EmptyVault, "", kOTVStatusOK, true, false, 18},
        {"a master password for a vault without one", server.admin, EmptyVault, "s3cret",
         kOTVStatusMasterPasswordMismatch, true, false, 18},
        {"the right master password", server.plain, VaultWithMasterPassword, "s3cret", kOTVStatusOK, false, true, 18},
        {"a wrong master password", server.admin, VaultWithMasterPassword, "S3cret", kOTVStatusMasterPasswordMismatch,
         true, false, 18},
        {"an empty master password for a vault with one", server.plain, VaultWithMasterPassword, "",
         kOTVStatusMasterPasswordMismatch, false, false, 18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        root("DROP DATABASE IF EXISTS vivododadi");
        if (c.vault != NoVault)
            createVault(c.vault == VaultWithMasterPassword ? "s3cret" : "");
        services.clear();

        OTVDataBase store;
        EXPECT_EQ(connect(store, c.account, c.masterPassword), c.status);
        EXPECT_EQ(store.connectionErrorCode(), c.status);
        EXPECT_TRUE(store.isConnectionComplete());
        EXPECT_EQ(services.calls(), QStringList{"connectionISComplete"});
        EXPECT_EQ(store.isAdministratorSession(), c.administrator);
        EXPECT_EQ(store.hasRecordEncrypter(), c.recordCipher);
        EXPECT_EQ(vaultExists() ? vaultTables() : -1, c.tablesAfter);
        // A refused master password leaves the session open (the dialog asks again).
        if (c.status == kOTVStatusMasterPasswordMismatch) {
            EXPECT_TRUE(store.isConnected());
        }
    }
    EXPECT_TRUE(notifications.posts().isEmpty());
}

TEST_F(Connection, UnreachableServersGiveStatus10)
{
    OTVDataBase store;
    OTVConnectRequest closedPort = requestFor(server.admin);
    closedPort.portNumber = QStringLiteral("1");
    EXPECT_EQ(store.startConnectionToServer(closedPort), kOTVStatusServerUnreachable);

    OTVConnectRequest unknownHost = requestFor(server.admin);
    unknownHost.ipAddress = QStringLiteral("no-such-host.invalid");
    EXPECT_EQ(store.startConnectionToServer(unknownHost), kOTVStatusServerUnreachable);
    EXPECT_FALSE(store.isConnected());
    EXPECT_EQ(services.count("connectionISComplete"), 2);
}

// A stored master password that cannot be deciphered never reads as "no master password":
// an empty one would otherwise let anyone in and values would go into the vault in plain.
TEST_F(Connection, AnUndecipherableStoredMasterPasswordIsAnError)
{
    createVault();
    const QString undecipherable[] = {
        "x'0102030405'",                                                       // not whole blocks
        "x'" + storedMasterPassword(QByteArray(16, '\0')) + "'",              // deciphers to nothing
        "x'" + storedMasterPassword(QByteArray("\xC3\x28 not UTF-8")) + "'",  // not UTF-8
    };
    for (const QString& value : undecipherable) {
        SCOPED_TRACE(value.toStdString());
        setStoredMasterPassword(value);
        OTVDataBase store;
        EXPECT_EQ(connect(store, server.admin, ""), kOTVStatusDatabaseError);
        EXPECT_FALSE(store.hasRecordEncrypter());
        EXPECT_EQ(store.checkForMasterPasswordMatch(), std::nullopt);
    }

    // A NULL or empty value is a vault without a master password.
    for (const QString& value : {QStringLiteral("NULL"), QStringLiteral("''")}) {
        setStoredMasterPassword(value);
        OTVDataBase store;
        EXPECT_EQ(connect(store, server.admin, ""), kOTVStatusOK);
        EXPECT_EQ(store.checkForMasterPasswordMatch(), std::optional<QString>(""));
    }
}

TEST_F(Connection, TheStoredMasterPasswordIsReadWithTheApplicationKey)
{
    createVault(QStringLiteral("Grüße, 日本"));
    OTVDataBase store;
    ASSERT_EQ(connect(store, server.admin, QStringLiteral("Grüße, 日本")), kOTVStatusOK);
    EXPECT_EQ(store.retriveMasterPassword(), std::optional<QString>(QStringLiteral("Grüße, 日本")));
    EXPECT_EQ(store.masterPassword(), QStringLiteral("Grüße, 日本"));
    EXPECT_EQ(store.connectedServerAddress(), server.host);
    EXPECT_EQ(store.connectingPortAddress(), QString::number(server.port));
}

// Every session speaks utf8mb4 and never lets the server cut a value short, whatever the
// server's own settings.
TEST_F(Connection, TheSessionIsUtf8mb4AndStrict)
{
    root("SET GLOBAL sql_mode = ''");
    StoreProbe store;
    const int status = connect(store, server.admin);
    root("SET GLOBAL sql_mode = DEFAULT");
    ASSERT_EQ(status, kOTVStatusOK);

    QString charset;
    QString mode;
    ASSERT_EQ(store.runGuarded([&] {
        OTVResultSet rows = store.prepare("SELECT @@character_set_connection, @@SESSION.sql_mode").executeQuery();
        rows.next();
        charset = rows.getString(1u);
        mode = rows.getString(2u);
        return kOTVStatusOK;
    }),
              kOTVStatusOK);
    EXPECT_EQ(charset, "utf8mb4");
    EXPECT_TRUE(mode.split(',').contains("STRICT_ALL_TABLES")) << mode.toStdString();

    // A four-byte character fits a VARCHAR; a seventeenth character into mysql.user_info's
    // VARCHAR(16) (MyISAM, not transactional) is refused, not cut.
    EXPECT_EQ(store.runGuarded([&] {
        OTVStatement insert = store.prepare("INSERT INTO EVENTLOGGERTABLE (NAME) VALUES (?)");
        insert.setString(1, QStringLiteral("key 🔑"));
        return insert.executeUpdate() == 1 ? kOTVStatusOK : kOTVStatusNothingWritten;
    }),
              kOTVStatusOK);
    EXPECT_EQ(rootValue("SELECT NAME FROM vivododadi.EVENTLOGGERTABLE"), QStringLiteral("key 🔑"));
    EXPECT_EQ(store.runGuarded([&] {
        OTVStatement insert = store.prepare("INSERT INTO mysql.user_info (User) VALUES (?)");
        insert.setString(1, QStringLiteral("seventeen-chars-x"));
        return insert.executeUpdate() == 1 ? kOTVStatusOK : kOTVStatusNothingWritten;
    }),
              kOTVStatusDatabaseError);
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM mysql.user_info WHERE User LIKE 'seventeen%'"), "0");
}

TEST_F(Connection, ANewAttemptReplacesThePreviousSession)
{
    createVault(QStringLiteral("s3cret"));
    OTVDataBase store;
    const QString adminSessions =
        "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE USER = '" + server.admin.user + "'";
    for (int attempt = 0; attempt < 5; ++attempt)
        ASSERT_EQ(connect(store, server.admin, QStringLiteral("s3cret")), kOTVStatusOK);
    EXPECT_EQ(rootValueEventually(adminSessions, "1"), "1");
    EXPECT_TRUE(store.hasRecordEncrypter());

    // An empty master password this time: the cipher of the last session does not survive.
    EXPECT_EQ(connect(store, server.admin, ""), kOTVStatusMasterPasswordMismatch);
    EXPECT_FALSE(store.hasRecordEncrypter());

    ASSERT_EQ(connect(store, server.admin, QStringLiteral("s3cret")), kOTVStatusOK);
    EXPECT_EQ(connect(store, TestAccount{server.admin.user, "wrong"}, QStringLiteral("s3cret")),
              kOTVStatusAccessDenied);
    EXPECT_FALSE(store.hasRecordEncrypter());
    EXPECT_FALSE(store.isConnected());
    EXPECT_EQ(rootValueEventually(adminSessions, "0"), "0");
}

TEST_F(Connection, RunsOnAWorkerThreadAndTellsTheInterfaceOnTheMainThread)
{
    OTVDataBase store;
    std::atomic<int> status{-1};
    BKRunWorkerAndWait([&] { status = connect(store, server.admin); });
    EXPECT_EQ(status, kOTVStatusOK);
    EXPECT_EQ(services.calls(), QStringList{"connectionISComplete"});
    EXPECT_TRUE(store.isConnectionComplete());

    // The session opened on the worker serves the main thread.
    int virginStatus = -1;
    EXPECT_TRUE(store.isVirginLaunch(&virginStatus));
    EXPECT_EQ(virginStatus, kOTVStatusOK);
}
