// The node that a client works through dies while the other two keep the cluster: every
// operation of the client ends in the reconnection, through which it goes on with another
// node; the dead node rejoins by incremental transfer and ends like the others.
#include "ClusterStoreSupport.h"

#include "../LostConnectionOperations.h"

#include <QFile>
#include <QProcess>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

// Whether process `pid` has ended (a zombie has: its connections are closed).
bool processEnded(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return true;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("State:"))
            return line.contains("zombie");
    }
    return true;
}

} // namespace

class ClientNodeLoss : public ClusterTest {
protected:
    void TearDown() override
    {
        // The cluster stays whole for whatever runs after, even when the test stopped early.
        for (int n : killed)
            EXPECT_TRUE(restartNode(n)) << "node " << n << " did not rejoin";
        ClusterTest::TearDown();
    }

    // Ends node n's server at once, as a crash or a power cut would, and waits until it is gone.
    void killNode(int n)
    {
        const QStringList pidFiles = qEnvironmentVariable("OSTREVIN_TEST_DB_NODE_PIDFILES").split(',');
        ASSERT_EQ(pidFiles.size(), 3);
        QFile file(pidFiles[n - 1]);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        const qint64 pid = file.readAll().trimmed().toLongLong();
        ASSERT_GT(pid, 0);
        ASSERT_EQ(::kill(pid_t(pid), SIGKILL), 0);
        killed.append(n);
        for (int attempt = 0; attempt < 200 && !processEnded(pid); ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_TRUE(processEnded(pid));
    }

    // Starts node n again with its options (scripts/test-galera restart); true once it is
    // synced with the others.
    bool restartNode(int n)
    {
        const int exitCode = QProcess::execute(QStringLiteral("bash"),
                                               {qEnvironmentVariable("OSTREVIN_TEST_GALERA_SCRIPT"), QStringLiteral("restart"),
                                                qEnvironmentVariable("OSTREVIN_TEST_GALERA_DIR"), QString::number(n)});
        if (exitCode == 0)
            killed.removeAll(n);
        return exitCode == 0;
    }

    QList<int> killed;
};

TEST_F(ClientNodeLoss, EveryOperationThroughADeadNodeEndsInTheReconnectionToAnother)
{
    using namespace lost_connection;
    root("DROP USER IF EXISTS 'dora'@'%'");
    root("DROP USER IF EXISTS 'lost_new'@'%'");
    StoreProbe store;
    ASSERT_EQ(connectTo(store, 2, server.admin), kOTVStatusOK);
    const std::optional<StoredVault> vault = storeVault(store, server, QStringLiteral("dora"));
    ASSERT_TRUE(vault);
    // A second client through the same node that has not loaded the vault yet.
    StoreProbe loader;
    ASSERT_EQ(connectTo(loader, 2, server.admin), kOTVStatusOK);
    ASSERT_EQ(loader.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
    ASSERT_TRUE(notifications.posts().isEmpty());

    killNode(2);

    // One notification for the loss, however many operations meet it.
    EXPECT_EQ(store.addRecord(newRecord(20, *vault)), kOTVStatusClientError);
    EXPECT_EQ(store.addUserPersonalGroup(*newUser(QStringLiteral("someone"))), kOTVStatusClientError);
    EXPECT_EQ(notifications.posts().size(), 1) << notifications.posts().join(' ').toStdString();
    services.clear();
    EXPECT_EQ(loader.loadDataBase(false), kOTVStatusClientError);
    EXPECT_EQ(services.calls(), QStringList{"reloadFailed(9)"});

    const Outcomes outcomes = runEachOperation(store, *vault, notifications, services);
    EXPECT_EQ(outcomes.answered, outcomes.lostConnection);

    // The reconnection dialog, given another node's address: the client goes on there.
    notifications.clear();
    ASSERT_EQ(connectTo(store, 3, server.admin), kOTVStatusOK);
    ASSERT_EQ(store.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
    vault->record->setValue(1, QStringLiteral("changed through node 3"));
    EXPECT_EQ(store.replaceRecord(vault->record), kOTVStatusOK);
    EXPECT_TRUE(notifications.posts().isEmpty()) << notifications.posts().join(' ').toStdString();

    // The dead node catches up on what it missed.
    ASSERT_TRUE(restartNode(2));
    EXPECT_EQ(rowsOn(2, "SELECT COUNT(*) FROM vivododadi.RECORDTABLE WHERE RECORDID = '" + vault->record->mRecordUID() + "'"),
              QStringList{"1"});
    root("DROP USER IF EXISTS 'dora'@'%'");
    expectNodesAgree();
}
