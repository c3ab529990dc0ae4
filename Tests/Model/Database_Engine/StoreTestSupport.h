#pragma once

// Shared by the store's test programs: a fixture that gives each test an empty server (the
// vault database dropped), a recording desktop, a recorder of the store's notifications, and
// access to the store's machinery and to the server as root.

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/Database_Engine/OTVDataBaseQueries.h"
#include "Platform/BKMainThread.h"
#include "Platform/BKNotificationCenter.h"
#include "Support/RecordingApplicationServices.h"
#include "Support/StoreConnectRequest.h"
#include "Support/TestServer.h"

#include <gtest/gtest.h>

#include <cppconn/connection.h>
#include <cppconn/exception.h>
#include <cppconn/resultset.h>
#include <cppconn/resultset_metadata.h>
#include <cppconn/statement.h>

#include <QCoreApplication>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

// The store with its shared machinery opened up for tests.
class StoreProbe : public OTVDataBase {
public:
    using OTVDataBase::encryptedDataValue;
    using OTVDataBase::encryptedValue;
    using OTVDataBase::executePlain;
    using OTVDataBase::kDeadlockAttempts;
    using OTVDataBase::kStatusFromErrorNumber;
    using OTVDataBase::performOnMainThreadWhenUnlocked;
    using OTVDataBase::prepare;
    using OTVDataBase::quotedString;
    using OTVDataBase::runGuarded;
    using OTVDataBase::runInTransaction;
    using OTVDataBase::StoreLock;
};

// The first value of `query` run in the store's own session; empty when it cannot be read.
inline QString valueInSessionOf(StoreProbe& store, const char* query)
{
    QString value;
    store.runGuarded([&] {
        OTVResultSet rows = store.prepare(query).executeQuery();
        if (rows.next())
            value = rows.getString(1u);
        return kOTVStatusOK;
    });
    return value;
}

// The server's ID of the store's session, for KILL.
inline QString sessionIDOf(StoreProbe& store)
{
    return valueInSessionOf(store, "SELECT CONNECTION_ID()");
}

// Runs the functions on threads of their own while the main thread serves the store's
// main-thread work; returns when all have ended.
inline void runConcurrently(const std::vector<std::function<void()>>& work)
{
    std::atomic<int> running{int(work.size())};
    std::vector<std::thread> threads;
    for (const auto& item : work)
        threads.emplace_back([&running, item] {
            item();
            --running;
        });
    while (running > 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    for (std::thread& thread : threads)
        thread.join();
}

// Records the notifications "DB_COMM_LOST" and "DB_USR_DEL": name, error number, and whether
// each was posted on the main thread.
class StoreNotificationRecorder {
public:
    StoreNotificationRecorder()
    {
        for (const QString& name : {kDBCommunicationLostNotification, kDBUserDeletedNotification}) {
            BKNotificationCenter::defaultCenter().addObserver(name, this, [this](const BKNotification& n) {
                std::lock_guard<std::mutex> lock(mutex_);
                const OTVDatabaseError error = n.object.value<OTVDatabaseError>();
                posts_.append(QStringLiteral("%1(%2)").arg(n.name).arg(error.code));
                onMainThread_.append(BKIsMainThread());
            });
        }
    }
    ~StoreNotificationRecorder() { BKNotificationCenter::defaultCenter().removeObserversOf(this); }

    QStringList posts() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return posts_;
    }
    QList<bool> onMainThread() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return onMainThread_;
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        posts_.clear();
        onMainThread_.clear();
    }

private:
    mutable std::mutex mutex_;
    QStringList posts_;
    QList<bool> onMainThread_;
};

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestServer::fromEnvironment(&server));
        server.execAsRoot(QStringLiteral("DROP DATABASE IF EXISTS vivododadi"));
    }

    OTVConnectRequest requestFor(const TestAccount& account, const QString& masterPassword = {}) const
    {
        return StoreConnectRequest(server, account, masterPassword);
    }

    int connect(OTVDataBase& store, const TestAccount& account, const QString& masterPassword = {}) const
    {
        return store.startConnectionToServer(requestFor(account, masterPassword));
    }

    // The rows of a query run as root, each row's columns joined with "|" (NULL as "NULL").
    QStringList rootRows(const QString& query) const
    {
        QStringList rows;
        std::unique_ptr<sql::Connection> connection = server.connect(server.root);
        if (!connection)
            return rows;
        try {
            std::unique_ptr<sql::Statement> statement(connection->createStatement());
            std::unique_ptr<sql::ResultSet> result(statement->executeQuery(query.toStdString()));
            const unsigned columns = result->getMetaData()->getColumnCount();
            while (result->next()) {
                QStringList values;
                for (unsigned c = 1; c <= columns; ++c)
                    values.append(result->isNull(c) ? QStringLiteral("NULL")
                                                    : QString::fromStdString(result->getString(c)));
                rows.append(values.join(QLatin1Char('|')));
            }
        } catch (const sql::SQLException& e) {
            ADD_FAILURE() << query.toStdString() << ": " << e.what();
        }
        return rows;
    }

    QString rootValue(const QString& query) const
    {
        const QStringList rows = rootRows(query);
        return rows.isEmpty() ? QString() : rows.first();
    }

    // rootValue once it equals `expected`, or after five seconds: the server ends the thread of
    // a closed session a little after the client has gone.
    QString rootValueEventually(const QString& query, const QString& expected) const
    {
        QString value = rootValue(query);
        for (int attempt = 0; attempt < 100 && value != expected; ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            value = rootValue(query);
        }
        return value;
    }

    void root(const QString& statement) const { server.execAsRoot(statement); }

    TestServer server;
    RecordingApplicationServices services;
    StoreNotificationRecorder notifications;
};
