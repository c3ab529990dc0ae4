#pragma once

#include <QString>

#include <memory>

namespace sql {
class Connection;
}

// The MariaDB server that the CTest fixture started for this test program, read from the
// OSTREVIN_TEST_DB_* environment variables.
struct TestAccount {
    QString user;
    QString password;
};

struct TestServer {
    QString host;
    int port = 0;
    TestAccount root;    // "root", every privilege
    TestAccount admin;   // another name, every global privilege with GRANT OPTION
    TestAccount plain;   // table grants on the vault database only

    // Fails the current test (and returns false) when the fixture did not start a server.
    static bool fromEnvironment(TestServer* server);
    QString url() const;   // "tcp://host:port"

    // A connection through the connector, or nullptr (the test failed) when it cannot connect.
    std::unique_ptr<sql::Connection> connect(const TestAccount& account) const;
    // Runs statements as root, e.g. to reset the vault database between tests.
    void execAsRoot(const QString& statement) const;
};
