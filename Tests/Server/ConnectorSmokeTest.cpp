// Proves the test fixture: a private MariaDB server that the connector reaches over TCP, with
// the accounts that the store's tests rely on.
#include "Support/TestServer.h"

#include <gtest/gtest.h>

#include <cppconn/connection.h>
#include <cppconn/driver.h>
#include <cppconn/exception.h>
#include <cppconn/prepared_statement.h>
#include <cppconn/resultset.h>
#include <cppconn/statement.h>

#include <memory>

class ConnectorSmoke : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(TestServer::fromEnvironment(&server)); }
    TestServer server;
};

TEST_F(ConnectorSmoke, RootRunsAStatementAndReadsTheResult)
{
    auto connection = server.connect(server.root);
    ASSERT_TRUE(connection);
    std::unique_ptr<sql::Statement> statement(connection->createStatement());
    std::unique_ptr<sql::ResultSet> result(
        statement->executeQuery("SELECT @@lower_case_table_names, @@character_set_server, 6 * 7"));
    ASSERT_TRUE(result->next());
    EXPECT_EQ(result->getInt(1), 0);
    EXPECT_EQ(result->getString(2), "utf8mb4");
    EXPECT_EQ(result->getInt(3), 42);
}

TEST_F(ConnectorSmoke, PreparedStatementsRoundTripUtf8Text)
{
    auto connection = server.connect(server.admin);
    ASSERT_TRUE(connection);
    std::unique_ptr<sql::Statement> statement(connection->createStatement());
    statement->execute("SET NAMES utf8mb4");
    statement->execute("CREATE DATABASE IF NOT EXISTS smoke DEFAULT CHARACTER SET utf8mb4");
    statement->execute("CREATE TABLE IF NOT EXISTS smoke.T (name VARCHAR(40)) ENGINE=InnoDB");
    std::unique_ptr<sql::PreparedStatement> insert(connection->prepareStatement("INSERT INTO smoke.T VALUES (?)"));
    insert->setString(1, u8"Grüße 🔑");
    EXPECT_EQ(insert->executeUpdate(), 1);
    std::unique_ptr<sql::ResultSet> result(statement->executeQuery("SELECT name FROM smoke.T"));
    ASSERT_TRUE(result->next());
    EXPECT_EQ(result->getString(1), u8"Grüße 🔑");
}

TEST_F(ConnectorSmoke, TableNamesAreCaseSensitive)
{
    auto connection = server.connect(server.root);
    ASSERT_TRUE(connection);
    std::unique_ptr<sql::Statement> statement(connection->createStatement());
    statement->execute("CREATE DATABASE IF NOT EXISTS cases");
    statement->execute("CREATE TABLE IF NOT EXISTS cases.GROUPTABLE (id INT)");
    EXPECT_THROW(statement->executeQuery("SELECT * FROM cases.grouptable"), sql::SQLException);
}

TEST_F(ConnectorSmoke, AccountsHaveTheirPrivilegesAndBadPasswordsAreRefused)
{
    auto plain = server.connect(server.plain);
    ASSERT_TRUE(plain);
    std::unique_ptr<sql::Statement> statement(plain->createStatement());
    std::unique_ptr<sql::ResultSet> grants(statement->executeQuery("SHOW GRANTS"));
    std::string all;
    while (grants->next())
        all += grants->getString(1) + "\n";
    EXPECT_NE(all.find("`vivododadi`"), std::string::npos) << all;
    EXPECT_EQ(all.find("ALL PRIVILEGES ON *.*"), std::string::npos) << all;
    EXPECT_THROW(statement->execute("CREATE DATABASE forbidden"), sql::SQLException);

    try {
        get_driver_instance()->connect(server.url().toStdString(), server.admin.user.toStdString(), "wrong");
        FAIL() << "a wrong password was accepted";
    } catch (const sql::SQLException& e) {
        EXPECT_EQ(e.getErrorCode(), 1045);
    }
}
