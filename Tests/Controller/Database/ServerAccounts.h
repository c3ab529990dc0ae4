#pragma once

// What the fixture's server holds of an account, read as root, for the tests of user
// administration: whether it exists, its grants, counts of its rows, a login as it, and the
// end of its sessions.

#include "Support/TestServer.h"

#include <QString>
#include <QStringList>

#include <cppconn/driver.h>
#include <cppconn/exception.h>
#include <cppconn/prepared_statement.h>
#include <cppconn/resultset.h>
#include <cppconn/statement.h>

#include <memory>
#include <string>
#include <vector>

namespace ServerAccounts {

// The first column of `query` (one "?" for the name) as a number; -1 without a row.
inline int rootCount(const TestServer& server, const QString& query, const QString& name)
{
    std::unique_ptr<sql::Connection> root = server.connect(server.root);
    std::unique_ptr<sql::PreparedStatement> statement(root->prepareStatement(query.toStdString()));
    statement->setString(1, name.toStdString());
    std::unique_ptr<sql::ResultSet> rows(statement->executeQuery());
    return rows->next() ? rows->getInt(1) : -1;
}

inline bool exists(const TestServer& server, const QString& name)
{
    return rootCount(server, QStringLiteral("SELECT COUNT(*) FROM mysql.user WHERE user=?"), name) > 0;
}

// The SHOW GRANTS lines of the account; none when it does not exist.
inline QStringList grants(const TestServer& server, const QString& name)
{
    QStringList grants;
    std::unique_ptr<sql::Connection> root = server.connect(server.root);
    try {
        // SHOW GRANTS takes no parameters: the name is quoted here.
        const QString quoted = QString(name)
                                   .replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                                   .replace(QLatin1Char('\''), QStringLiteral("''"));
        std::unique_ptr<sql::Statement> show(root->createStatement());
        std::unique_ptr<sql::ResultSet> rows(
            show->executeQuery(QStringLiteral("SHOW GRANTS FOR '%1'@'%'").arg(quoted).toStdString()));
        while (rows->next())
            grants.append(QString::fromStdString(rows->getString(1)));
    } catch (const sql::SQLException&) {
    }
    return grants;
}

// A login as the account: the connection, or nullptr when the server refuses it.
inline std::unique_ptr<sql::Connection> login(const TestServer& server, const QString& name, const QString& password)
{
    try {
        return std::unique_ptr<sql::Connection>(
            get_driver_instance()->connect(server.url().toStdString(), name.toStdString(), password.toStdString()));
    } catch (const sql::SQLException&) {
        return nullptr;
    }
}

// Ends every session of the account, as a server restart or a dropped network would.
inline void killSessions(const TestServer& server, const QString& name)
{
    std::unique_ptr<sql::Connection> root = server.connect(server.root);
    std::unique_ptr<sql::PreparedStatement> find(
        root->prepareStatement("SELECT ID FROM information_schema.PROCESSLIST WHERE USER = ?"));
    find->setString(1, name.toStdString());
    std::unique_ptr<sql::ResultSet> sessions(find->executeQuery());
    std::vector<std::string> ids;
    while (sessions->next())
        ids.push_back(sessions->getString(1));
    std::unique_ptr<sql::Statement> kill(root->createStatement());
    for (const std::string& id : ids)
        kill->execute("KILL " + id);
}

} // namespace ServerAccounts
