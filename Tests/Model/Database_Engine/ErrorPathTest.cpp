// The error path: status mapping, the two notifications and when they are posted, a lost
// connection and revoked rights on a real server, and the seam that injects failures.
#include "LostConnectionOperations.h"
#include "StoreTestSupport.h"

#include "Platform/BKWorker.h"

TEST(MapDBErrorCode, MapsErrorNumbersToConnectionStatuses)
{
    const std::pair<int, int> cases[] = {
        {1045, 11}, {100, 13}, {2003, 10}, {2005, 10}, {2000, 9}, {2002, 9}, {2013, 9},
        {2050, 9},  {2051, 3}, {1999, 3},  {1142, 3},  {1049, 3}, {0, 3},
        {1047, 9},  {1213, 3},
    };
    for (const auto& [errorNumber, status] : cases)
        EXPECT_EQ(OTVDataBase::mapDBErrorCode(errorNumber), status) << errorNumber;
}

TEST(HandleDatabaseError, PostsOnceUntilTheNextConnectionAttempt)
{
    struct Case {
        QList<int> errors;   // 0: the end of a connection attempt (setReconnectionDone)
        QStringList posts;
    };
    const Case cases[] = {
        {{2013}, {"DB_COMM_LOST(2013)"}},
        {{2000}, {"DB_COMM_LOST(2000)"}},
        {{2050}, {"DB_COMM_LOST(2050)"}},
        {{1999}, {}},
        {{1047}, {"DB_COMM_LOST(1047)"}},
        {{1213}, {}},
        {{2051}, {}},
        {{1146}, {}},
        {{2013, 2013}, {"DB_COMM_LOST(2013)"}},
        {{2013, 1142}, {"DB_COMM_LOST(2013)"}},
        {{1142}, {"DB_USR_DEL(1142)"}},
        {{1143}, {"DB_USR_DEL(1143)"}},
        {{1142, 2006}, {"DB_USR_DEL(1142)"}},
        {{1142, 0, 2013}, {"DB_USR_DEL(1142)", "DB_COMM_LOST(2013)"}},
        {{1999, 2013}, {"DB_COMM_LOST(2013)"}},
    };
    for (const Case& c : cases) {
        StoreNotificationRecorder notifications;
        OTVDataBase store;
        for (int code : c.errors) {
            if (code == 0)
                store.setReconnectionDone();
            else
                store.handleDatabaseError({QStringLiteral("error"), code, QStringLiteral("HY000")});
        }
        EXPECT_EQ(notifications.posts(), c.posts) << QStringList(c.posts).join(' ').toStdString();
    }
}

class ErrorPath : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
    }

    int countUsers()
    {
        return store.runGuarded([&] {
            OTVStatement statement = store.prepare(CountUserTblVal);
            statement.executeQuery();
            return kOTVStatusOK;
        });
    }

    StoreProbe store;
};

TEST_F(ErrorPath, ALostConnectionIsPostedOnceAndEachOperationFails)
{
    root("KILL " + sessionIDOf(store));

    int status = -1;
    EXPECT_FALSE(store.isVirginLaunch(&status));
    EXPECT_EQ(status, kOTVStatusClientError);
    EXPECT_EQ(store.insertDataBaseInfoVersionNumber(), kOTVStatusClientError);
    EXPECT_EQ(store.createDataBaseTables(), kOTVStatusClientError);
    EXPECT_EQ(store.checkForMasterPasswordMatch(), std::nullopt);
    EXPECT_EQ(notifications.posts(), QStringList{"DB_COMM_LOST(2013)"});

    // The dialog connects again: the next loss is posted again.
    ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
    EXPECT_EQ(countUsers(), kOTVStatusOK);
    root("KILL " + sessionIDOf(store));
    EXPECT_EQ(countUsers(), kOTVStatusClientError);
    EXPECT_EQ(notifications.posts(), (QStringList{"DB_COMM_LOST(2013)", "DB_COMM_LOST(2013)"}));
}

// Every operation on a killed session ends in the reconnection (9 and the notification),
// whichever step met the loss and whatever the operation answers for its other failures.
TEST_F(ErrorPath, EveryOperationOnAKilledSessionEndsInTheReconnection)
{
    root("DROP USER IF EXISTS 'erin'@'%'");
    root("DROP USER IF EXISTS 'lost_new'@'%'");
    const std::optional<lost_connection::StoredVault> vault =
        lost_connection::storeVault(store, server, QStringLiteral("erin"));
    ASSERT_TRUE(vault);
    root("KILL CONNECTION " + sessionIDOf(store));

    const lost_connection::Outcomes outcomes = lost_connection::runEachOperation(store, *vault, notifications, services);
    EXPECT_EQ(outcomes.answered, outcomes.lostConnection);
    root("DROP USER IF EXISTS 'erin'@'%'");
}

// Vault users hold table grants, which the server checks at every statement.
TEST_F(ErrorPath, RevokedRightsArePostedAsAPossiblyDeletedUser)
{
    root("CREATE OR REPLACE USER 'vault_user'@'%' IDENTIFIED BY 'pw'");
    root("GRANT SELECT ON vivododadi.USERTABLE TO 'vault_user'@'%'");
    root("GRANT SELECT ON vivododadi.DATABASEINFOTABLE TO 'vault_user'@'%'");
    StoreProbe user;
    ASSERT_EQ(connect(user, TestAccount{"vault_user", "pw"}), kOTVStatusOK);
    int status = -1;
    EXPECT_TRUE(user.isVirginLaunch(&status));

    root("REVOKE SELECT ON vivododadi.USERTABLE FROM 'vault_user'@'%'");
    EXPECT_FALSE(user.isVirginLaunch(&status));
    EXPECT_EQ(status, kOTVStatusDatabaseError);
    EXPECT_FALSE(user.isVirginLaunch(&status));
    EXPECT_EQ(notifications.posts(), QStringList{"DB_USR_DEL(1142)"});
    root("DROP USER 'vault_user'@'%'");
}

TEST_F(ErrorPath, TheSeamFailsTheNthExecutionOfOneStatementOnce)
{
    store.statementFaults().failExecution(CountUserTblVal, 2, kDBConnectionLastErrCode, "Lost connection");
    EXPECT_EQ(countUsers(), kOTVStatusOK);
    EXPECT_EQ(store.insertDataBaseInfoVersionNumber(), kOTVStatusOK) << "other statements run";
    EXPECT_EQ(countUsers(), kOTVStatusClientError);
    EXPECT_EQ(countUsers(), kOTVStatusOK) << "one shot";
    EXPECT_EQ(notifications.posts(), QStringList{"DB_COMM_LOST(2013)"});

    // An exception that is not a database error gives the operation's other status and is
    // not reported.
    store.statementFaults().failExecutionWithOtherException(kQueryInsertDatabaseInfoTable, 1);
    EXPECT_EQ(store.insertDataBaseInfoVersionNumber(), kOTVStatusDatabaseError);
    store.statementFaults().failExecutionWithOtherException(CountUserTblVal, 1);
    EXPECT_EQ(countUsers(), kOTVStatusOtherFailure);
    EXPECT_EQ(notifications.posts().size(), 1);

    store.statementFaults().failExecution(CountUserTblVal, 1, 1142);
    store.statementFaults().clear();
    EXPECT_EQ(countUsers(), kOTVStatusOK);
}

// The error is handed to the main thread only once the store lock is free, so the main thread
// may use the store while it handles the notification (the interface reopens its dialog, reads
// the store, ...). A worker's error is posted on the main thread.
TEST_F(ErrorPath, ReportsReachTheMainThreadAfterTheLockIsReleased)
{
    std::atomic<int> statusInObserver{-1};
    BKNotificationCenter::defaultCenter().addObserver(kDBCommunicationLostNotification, this, [&](const BKNotification&) {
        int status = -1;
        store.isVirginLaunch(&status);
        statusInObserver = status;
    });

    std::atomic<int> workerStatus{-1};
    store.statementFaults().failExecution(CountUserTblVal, 1, 2006);
    BKRunWorkerAndWait([&] { workerStatus = countUsers(); });
    BKNotificationCenter::defaultCenter().removeObserversOf(this);

    EXPECT_EQ(workerStatus, kOTVStatusClientError);
    EXPECT_EQ(statusInObserver, kOTVStatusOK);
    EXPECT_EQ(notifications.posts(), QStringList{"DB_COMM_LOST(2006)"});
    EXPECT_EQ(notifications.onMainThread(), QList<bool>{true});
}

// An operation that is part of a larger one reports when the outermost operation ends.
TEST_F(ErrorPath, NestedOperationsReportWhenTheOutermostEnds)
{
    store.statementFaults().failExecution(CountUserTblVal, 1, 2013);
    QStringList postsInside;
    const int outer = store.runGuarded([&] {
        const int inner = countUsers();
        postsInside = notifications.posts();
        return inner;
    });
    EXPECT_EQ(outer, kOTVStatusClientError);
    EXPECT_TRUE(postsInside.isEmpty());
    EXPECT_EQ(notifications.posts(), QStringList{"DB_COMM_LOST(2013)"});
}
