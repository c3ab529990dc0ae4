#include "TestServer.h"

#include <gtest/gtest.h>

#include <cppconn/driver.h>
#include <cppconn/exception.h>
#include <cppconn/statement.h>
#include <mysql_driver.h>

#include <QByteArray>

namespace {
QString env(const char* name)
{
    return qEnvironmentVariable(name);
}
} // namespace

bool TestServer::fromEnvironment(TestServer* server)
{
    server->host = env("OSTREVIN_TEST_DB_HOST");
    server->port = env("OSTREVIN_TEST_DB_PORT").toInt();
    server->root = {env("OSTREVIN_TEST_DB_ROOT_USER"), env("OSTREVIN_TEST_DB_ROOT_PASSWORD")};
    server->admin = {env("OSTREVIN_TEST_DB_ADMIN_USER"), env("OSTREVIN_TEST_DB_ADMIN_PASSWORD")};
    server->plain = {env("OSTREVIN_TEST_DB_PLAIN_USER"), env("OSTREVIN_TEST_DB_PLAIN_PASSWORD")};
    if (server->host.isEmpty() || server->port == 0) {
        ADD_FAILURE() << "no test server: run this program through ctest (its fixture starts MariaDB)";
        return false;
    }
    return true;
}

QString TestServer::url() const
{
    return QStringLiteral("tcp://%1:%2").arg(host).arg(port);
}

std::unique_ptr<sql::Connection> TestServer::connect(const TestAccount& account) const
{
    try {
        sql::Driver* driver = get_driver_instance();
        return std::unique_ptr<sql::Connection>(driver->connect(
            url().toStdString(), account.user.toStdString(), account.password.toStdString()));
    } catch (const sql::SQLException& e) {
        ADD_FAILURE() << "cannot connect as " << account.user.toStdString() << ": " << e.what()
                      << " (" << e.getErrorCode() << ")";
        return nullptr;
    }
}

void TestServer::execAsRoot(const QString& statement) const
{
    std::unique_ptr<sql::Connection> connection = connect(root);
    if (!connection)
        return;
    try {
        std::unique_ptr<sql::Statement> stmt(connection->createStatement());
        stmt->execute(statement.toStdString());
    } catch (const sql::SQLException& e) {
        ADD_FAILURE() << statement.toStdString() << ": " << e.what();
    }
}
