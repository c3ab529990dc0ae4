#pragma once

// Shared by the cluster's test programs: the store fixture with the cluster's three nodes
// (scripts/test-galera), a connection through any of them, and reads that wait for a node to
// have applied what the cluster committed.
#include "../StoreTestSupport.h"

class ClusterTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        for (const QString& port : qEnvironmentVariable("OSTREVIN_TEST_DB_NODE_PORTS").split(',', Qt::SkipEmptyParts))
            nodes.append(port.toInt());
        ASSERT_EQ(nodes.size(), 3) << "the cluster fixture names three nodes";
    }

    TestServer node(int n) const
    {
        TestServer copy = server;
        copy.port = nodes[n - 1];
        return copy;
    }

    int connectTo(OTVDataBase& store, int n, const TestAccount& account, const QString& master = {}) const
    {
        return store.startConnectionToServer(StoreConnectRequest(node(n), account, master));
    }

    // Rows of a query on node n, read once that node has applied what the cluster committed.
    QStringList rowsOn(int n, const QString& query) const
    {
        QStringList rows;
        std::unique_ptr<sql::Connection> connection = node(n).connect(server.root);
        if (!connection)
            return rows;
        try {
            std::unique_ptr<sql::Statement> statement(connection->createStatement());
            statement->execute("SET SESSION wsrep_sync_wait=1");
            std::unique_ptr<sql::ResultSet> result(statement->executeQuery(query.toStdString()));
            const unsigned columns = result->getMetaData()->getColumnCount();
            while (result->next()) {
                QStringList values;
                for (unsigned c = 1; c <= columns; ++c)
                    values.append(result->isNull(c) ? QStringLiteral("NULL") : QString::fromStdString(result->getString(c)));
                rows.append(values.join('|'));
            }
        } catch (const sql::SQLException& e) {
            ADD_FAILURE() << query.toStdString() << " on node " << n << ": " << e.what();
        }
        return rows;
    }

    // Every table's checksum is the same on every node.
    void expectNodesAgree() const
    {
        const QStringList tables = rowsOn(1, "SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = "
                                             "'vivododadi' ORDER BY TABLE_NAME");
        ASSERT_FALSE(tables.isEmpty());
        QStringList all;
        for (const QString& table : tables)
            all.append("vivododadi." + table);
        all.append("mysql.user_info");
        const QString checksum = "CHECKSUM TABLE " + all.join(", ");
        const QStringList first = rowsOn(1, checksum);
        EXPECT_EQ(rowsOn(2, checksum), first);
        EXPECT_EQ(rowsOn(3, checksum), first);
    }

    QList<int> nodes;
};
