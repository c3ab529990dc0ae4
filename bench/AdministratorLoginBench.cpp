// An administrator's login to a vault of 100 and of 2,000 vault users: the connection, the login
// step (which brings every account to the current rules) and the load, as the connection dialog
// runs them. The login at 2,000 users should take under 1.5 s and at most 3 times the login at
// 100: the upkeep of the accounts must grow with their number, not with its square.
//
// Each iteration gives the server `users` vault users as the store's add leaves them (account,
// table rights, the right to the routine of its own deletion, USERTABLE and preference rows,
// personal group, details), written straight into the tables so that setting up 2,000 takes
// seconds, and drops them again afterwards, so that every repetition starts alike.
//
// Needs a server: scripts/test-server start DIR, then
//   scripts/test-server exec DIR -- build/bench/bench_AdministratorLoginBench
#include "BenchServer.h"

#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/Database_Engine/OTVDataBaseQueries.h"

#include <benchmark/benchmark.h>

#include <cppconn/connection.h>
#include <cppconn/driver.h>
#include <cppconn/exception.h>
#include <cppconn/resultset.h>
#include <cppconn/statement.h>
#include <mysql_driver.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <memory>

namespace {

// The bench's accounts: no other program's account has this prefix.
constexpr char kPrefix[] = "bench_login_";

std::unique_ptr<sql::Connection> adminConnection(const OTVConnectRequest& request)
{
    const std::string url = "tcp://" + request.ipAddress.toStdString() + ":" + request.portNumber.toStdString();
    std::unique_ptr<sql::Connection> connection(
        get_driver_instance()->connect(url, request.userName.toStdString(), request.hostPassword.toStdString()));
    connection->setSchema(kDatabaseName);
    return connection;
}

void execute(sql::Connection& connection, const QString& statement)
{
    std::unique_ptr<sql::Statement>(connection.createStatement())->execute(statement.toStdString());
}

long long count(sql::Connection& connection, const QString& query)
{
    std::unique_ptr<sql::ResultSet> rows(
        std::unique_ptr<sql::Statement>(connection.createStatement())->executeQuery(query.toStdString()));
    return rows->next() ? rows->getInt64(1) : -1;
}

// The rights a vault user holds, as mysql.tables_priv keeps them.
QString tableRightsRows()
{
    QStringList rows;
    for (const OTVTableGrant& grant : kTableGrants) {
        const QString table = QString::fromLatin1(grant.table);
        const bool details = table == QLatin1String(kMySQLUserInfoTable);
        QStringList rights;
        for (QString word : QString::fromLatin1(grant.privileges).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            word = word.trimmed().toLower();
            word[0] = word[0].toUpper();
            rights.append(word);
        }
        rows.append(QStringLiteral("SELECT '%1' AS D, '%2' AS T, '%3' AS P")
                        .arg(details ? "mysql" : OTV_DATABASE_NAME, details ? "user_info" : table, rights.join(',')));
    }
    return rows.join(QStringLiteral(" UNION ALL "));
}

void dropAccounts(sql::Connection& connection)
{
    const QString like = QStringLiteral(" LIKE '%1%'").arg(kPrefix);
    execute(connection, "DELETE FROM mysql.global_priv WHERE User" + like);
    execute(connection, "DELETE FROM mysql.tables_priv WHERE User" + like);
    execute(connection, "DELETE FROM mysql.procs_priv WHERE User" + like);
    execute(connection, "DELETE FROM mysql.user_info WHERE User" + like);
    execute(connection, "FLUSH PRIVILEGES");
    // The preference rows and group lists go with the user rows.
    execute(connection, "DELETE G FROM " OTV_DATABASE_NAME ".GROUPTABLE G JOIN " OTV_DATABASE_NAME
                        ".USERTABLE U ON G.UID = U.USERID WHERE U.USERNAME" + like);
    execute(connection, "DELETE FROM " OTV_DATABASE_NAME ".USERTABLE WHERE USERNAME" + like);
}

void makeAccounts(sql::Connection& connection, int users)
{
    const QString numbers = QStringLiteral(" FROM mysql.seq_1_to_%1 S").arg(users);
    const QString name = QStringLiteral("CONCAT('%1', S.seq)").arg(kPrefix);
    const QString userID = QStringLiteral("CONCAT('B', LPAD(S.seq, 15, '0'))");
    execute(connection, "INSERT INTO mysql.global_priv (Host, User, Priv) SELECT '%', " + name +
                            ", JSON_OBJECT('access', 0, 'plugin', 'mysql_native_password', 'authentication_string', "
                            "PASSWORD('bench pw'))" + numbers);
    execute(connection, "INSERT INTO mysql.tables_priv (Host, Db, User, Table_name, Grantor, Table_priv, Column_priv) "
                        "SELECT '%', R.D, " + name + ", R.T, 'ostrevin_admin@%', R.P, ''" + numbers + " JOIN (" +
                            tableRightsRows() + ") R");
    execute(connection, "INSERT INTO mysql.procs_priv (Host, Db, User, Routine_name, Routine_type, Grantor, Proc_priv) "
                        "SELECT '%', '" OTV_DATABASE_NAME "', " + name +
                            ", 'DELETEOWNVAULTUSER', 'PROCEDURE', 'ostrevin_admin@%', 'Execute'" + numbers);
    execute(connection, "FLUSH PRIVILEGES");
    execute(connection, "INSERT INTO mysql.user_info SELECT " + name +
                            ", 'Bench User', 'made by the login bench', 'bench@example.org', '555', ''" + numbers);
    execute(connection, "INSERT INTO " OTV_DATABASE_NAME ".USERTABLE (USERID, USERNAME, PASSWORD, PLATFORMNAME, "
                        "GROUPPERMISSION, TYPEPERMISSION, RECORDPERMISSION, DATAPERMISSION, CANCHANGEPASSWORD, "
                        "ISACCOUNTDISABLED) SELECT " + userID + ", " + name + ", '', 'Linux', 1, 1, 1, 1, 1, 0" +
                            numbers);
    execute(connection, "INSERT INTO " OTV_DATABASE_NAME ".APPPREFTABLE (USERID, USERNAME) SELECT " + userID + ", " +
                            name + numbers);
    execute(connection, "INSERT INTO " OTV_DATABASE_NAME ".GROUPTABLE (UID, NAME, RECORDPERMISSION, "
                        "GROUPPERMISSIONPREVAILS) SELECT " + userID + ", CONCAT('Personal-', " + name + "), 7, 0" +
                            numbers);
}

} // namespace

static void BM_AdministratorLogin(benchmark::State& state)
{
    const int users = int(state.range(0));
    const OTVConnectRequest request = BenchServerRequest();
    if (request.ipAddress.isEmpty()) {
        state.SkipWithError(kBenchNoServer);
        return;
    }
    try {
        // The vault and the administrator's vault user, as a first login makes them.
        OTVDataBase first;
        if (const char* why = BenchOpenVault(first)) {
            state.SkipWithError(why);
            return;
        }
        std::unique_ptr<sql::Connection> connection = adminConnection(request);
        dropAccounts(*connection);
        const long long usersBefore = count(*connection, "SELECT COUNT(*) FROM " OTV_DATABASE_NAME ".USERTABLE");
        for (auto _ : state) {
            makeAccounts(*connection, users);
            const long long rights = count(*connection, "SELECT COUNT(*) FROM mysql.tables_priv");
            QElapsedTimer clock;
            clock.start();
            OTVDataBase store;
            const char* why = BenchOpenVault(store);
            state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
            const bool loadedAll = store.mUsers().size() >= users;
            // Accounts as the add leaves them need nothing: the login changed no right.
            const bool changedNothing = count(*connection, "SELECT COUNT(*) FROM mysql.tables_priv") == rights;
            store.closeConnection();
            dropAccounts(*connection);
            if (why || !loadedAll || !changedNothing) {
                state.SkipWithError(why ? why : !loadedAll ? "not every user was loaded" : "the login changed rights");
                return;
            }
            if (count(*connection, "SELECT COUNT(*) FROM " OTV_DATABASE_NAME ".USERTABLE") != usersBefore) {
                state.SkipWithError("the bench's users were not dropped");
                return;
            }
        }
    } catch (const sql::SQLException& e) {
        state.SkipWithError(e.what());
        return;
    }
    state.counters["users"] = users;
}

BENCHMARK(BM_AdministratorLogin)->Arg(100)->Arg(2000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

OSTREVIN_STORE_BENCHMARK_MAIN()
