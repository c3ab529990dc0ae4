// The load of a vault of 1,000, 10,000 and 100,000 records (nine values, a modification date
// and a note each, enciphered; 10 % with a custom type, 10 % with an attachment), beside the
// bare fetch of the same rows through the connector: no deciphering, no objects.
//
// Needs a MariaDB server: run it through scripts/bench-load, which starts a throw-away one
// (the OSTREVIN_TEST_DB_* variables of scripts/test-server). Counters: records per second,
// the peak resident memory of the run above what the process held before (the high-water
// mark, reset before the run) and the memory the loaded maps keep.
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/Database_Engine/OTVDataBaseQueries.h"
#include "Model/OTVUser.h"

#include <benchmark/benchmark.h>

#include <cppconn/connection.h>
#include <cppconn/driver.h>
#include <cppconn/exception.h>
#include <cppconn/prepared_statement.h>
#include <cppconn/resultset.h>
#include <cppconn/resultset_metadata.h>
#include <cppconn/statement.h>

#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

const QString kMasterPassword = QStringLiteral("bench master");
constexpr int kGroups = 20;
constexpr int kTypes = 10;
constexpr int kRowsPerInsert = 1000;

struct Server {
    std::string host = qEnvironmentVariable("OSTREVIN_TEST_DB_HOST").toStdString();
    std::string port = qEnvironmentVariable("OSTREVIN_TEST_DB_PORT").toStdString();
    std::string user = qEnvironmentVariable("OSTREVIN_TEST_DB_ADMIN_USER").toStdString();
    std::string password = qEnvironmentVariable("OSTREVIN_TEST_DB_ADMIN_PASSWORD").toStdString();

    bool present() const { return !host.empty() && !port.empty(); }
    std::unique_ptr<sql::Connection> connect() const
    {
        std::unique_ptr<sql::Connection> connection(
            get_driver_instance()->connect("tcp://" + host + ":" + port, user, password));
        return connection;
    }
    OTVConnectRequest request(const QString& masterPassword) const
    {
        OTVConnectRequest r;
        r.ipAddress = QString::fromStdString(host);
        r.portNumber = QString::fromStdString(port);
        r.userName = QString::fromStdString(user);
        r.hostPassword = QString::fromStdString(password);
        r.masterPassword = masterPassword;
        r.serverAddress = r.ipAddress;
        return r;
    }
};

const Server& server()
{
    static const Server s;
    return s;
}

// A store with a session of the vault's administrator, ready to load.
std::unique_ptr<OTVDataBase> loggedInStore()
{
    auto store = std::make_unique<OTVDataBase>();
    if (store->startConnectionToServer(server().request(kMasterPassword)) != kOTVStatusOK)
        throw std::runtime_error("cannot connect to the vault");
    if (store->initUserDetails(QString::fromStdString(server().user), QString::fromStdString(server().password)) !=
        kOTVStatusOK)
        throw std::runtime_error("cannot log in");
    return store;
}

QString uid(quint64 prefix, int n)
{
    return QStringLiteral("%1").arg(prefix + quint64(n), 16, 16, QLatin1Char('0')).toUpper();
}

std::string hex(const QByteArray& bytes)
{
    return "x'" + bytes.toHex().toStdString() + "'";
}

// Fills the vault with `records` records, writing many rows per statement.
void populate(int records)
{
    std::unique_ptr<sql::Connection> connection = server().connect();
    std::unique_ptr<sql::Statement> statement(connection->createStatement());
    statement->execute("DROP DATABASE IF EXISTS " OTV_DATABASE_NAME);

    // The store creates the vault and its tables, and enciphers as the load will decipher.
    OTVDataBase store;
    if (store.startConnectionToServer(server().request({})) != kOTVStatusOK)
        throw std::runtime_error("cannot create the vault");
    connection->setSchema(OTV_DATABASE_NAME);
    store.createEncrypter(kMasterPassword);
    statement->execute("REPLACE INTO DATABASEINFOTABLE VALUES('DBPASSWORD'," +
                       hex(store.encryptDataString(kMasterPassword)) + ")");

    auto sealed = [&](const QString& text) { return hex(store.encryptString(text)); };
    for (int g = 0; g < kGroups; ++g)
        statement->execute("INSERT INTO GROUPTABLE VALUES('" + uid(0x1000000000000000, g).toStdString() + "'," +
                           sealed(QStringLiteral("Group %1").arg(g)) + ",7,0)");
    auto labels = [&](const QString& prefix) {
        std::string text;
        for (int f = 1; f <= 10; ++f)
            text += "," + sealed(QStringLiteral("%1 label %2").arg(prefix).arg(f));
        return text;
    };
    for (int t = 0; t < kTypes; ++t)
        statement->execute("INSERT INTO TYPETABLE VALUES('" + uid(0x2000000000000000, t).toStdString() + "'," +
                           sealed(QStringLiteral("Type %1").arg(t)) + ",5,4" + labels(QStringLiteral("Type")) + ")");

    std::string recordRows, customRows, attachmentRows;
    auto flush = [&](std::string& rows, const char* table) {
        if (rows.empty())
            return;
        statement->execute(std::string("INSERT INTO ") + table + " VALUES " + rows);
        rows.clear();
    };
    const std::string customLabels = labels(QStringLiteral("Own"));
    const std::string attachmentData = "x'" + std::string(2048, 'a') + "'";
    for (int r = 0; r < records; ++r) {
        const std::string id = "'" + uid(0x4000000000000000, r).toStdString() + "'";
        const bool custom = r % 10 == 5;
        const bool attached = r % 10 == 0;
        std::string row = "(" + id + ",'" + uid(0x2000000000000000, r % kTypes).toStdString() + "','" +
                          uid(0x1000000000000000, r % kGroups).toStdString() + "'";
        for (int f = 1; f <= 9; ++f)
            row += "," + sealed(QStringLiteral("Value %1 of record %2").arg(f).arg(r));
        row += "," + sealed(QStringLiteral("2024-05-%1 10:11:12 +0200").arg(1 + r % 28, 2, 10, QLatin1Char('0')));
        row += "," + sealed(QStringLiteral("The note of record %1, with a few more words.").arg(r));
        row += std::string(",") + (attached ? "1" : "0") + "," + (custom ? "1" : "0") + "," + std::to_string(r % 50) +
               ")";
        recordRows += (recordRows.empty() ? "" : ",") + row;
        if (custom)
            customRows += (customRows.empty() ? "(" : ",(") + id + ",7,2" + customLabels + ")";
        if (attached)
            attachmentRows += (attachmentRows.empty() ? "(" : ",(") + id + "," +
                              sealed(QStringLiteral("file %1.pdf").arg(r)) + "," +
                              sealed(QStringLiteral("Pass-key-%1").arg(r % 1000000, 7, 10, QLatin1Char('0'))) + "," +
                              attachmentData + ")";
        if ((r + 1) % kRowsPerInsert == 0) {
            flush(recordRows, "RECORDTABLE");
            flush(customRows, "CUSTOMTYPETABLE");
            flush(attachmentRows, "ATTACHMENTTABLE");
        }
    }
    flush(recordRows, "RECORDTABLE");
    flush(customRows, "CUSTOMTYPETABLE");
    flush(attachmentRows, "ATTACHMENTTABLE");
    statement->execute("ANALYZE TABLE RECORDTABLE, CUSTOMTYPETABLE, ATTACHMENTTABLE");
}

// The number of records of the vault on the server; -1 when there is none.
int storedRecords()
{
    try {
        std::unique_ptr<sql::Connection> connection = server().connect();
        std::unique_ptr<sql::Statement> statement(connection->createStatement());
        std::unique_ptr<sql::ResultSet> rows(
            statement->executeQuery("SELECT COUNT(*) FROM " OTV_DATABASE_NAME ".RECORDTABLE"));
        return rows->next() ? rows->getInt(1) : -1;
    } catch (const sql::SQLException&) {
        return -1;
    }
}

// A vault of `records` records; one left by an earlier run of the same size is used as it is,
// so that each benchmark can run in a process of its own.
void ensureVault(int records)
{
    if (storedRecords() == records)
        return;
    populate(records);
    loggedInStore();   // the first login makes the administrator a vault user
}

// Resident memory in kilobytes: the high-water mark ("VmHWM") or the current size ("VmRSS").
long residentKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::char_traits<char>::length(field) + 1, nullptr, 10);
    }
    return 0;
}

void resetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_VaultLoad(benchmark::State& state)
{
    if (!server().present()) {
        state.SkipWithError("no server: run through scripts/bench-load");
        return;
    }
    const int records = int(state.range(0));
    ensureVault(records);
    double peak = 0;
    double kept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<OTVDataBase> store = loggedInStore();
        const long before = residentKilobytes("VmRSS:");
        resetPeakMemory();
        state.ResumeTiming();

        if (store->loadDataBase(false) != kOTVStatusOK || store->mRecords().size() != records) {
            state.SkipWithError("the load failed");
            break;
        }

        state.PauseTiming();
        peak = std::max(peak, double(residentKilobytes("VmHWM:") - before) * 1024);
        kept = double(residentKilobytes("VmRSS:") - before) * 1024;
        store.reset();
        state.ResumeTiming();
    }
    state.counters["records_per_s"] = benchmark::Counter(double(records), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_bytes"] = benchmark::Counter(peak, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    state.counters["kept_bytes"] = benchmark::Counter(kept, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
}

// Every column of the rows the load reads, as the connector hands them over.
std::size_t fetchAll(sql::Connection& connection, const char* query)
{
    std::unique_ptr<sql::PreparedStatement> statement(connection.prepareStatement(query));
    std::unique_ptr<sql::ResultSet> rows(statement->executeQuery());
    const unsigned columns = rows->getMetaData()->getColumnCount();
    std::size_t bytes = 0;
    while (rows->next()) {
        for (unsigned c = 1; c <= columns; ++c)
            bytes += rows->getString(c).length();
    }
    return bytes;
}

void BM_BareFetch(benchmark::State& state)
{
    if (!server().present()) {
        state.SkipWithError("no server: run through scripts/bench-load");
        return;
    }
    const int records = int(state.range(0));
    ensureVault(records);
    std::unique_ptr<sql::Connection> connection = server().connect();
    connection->setSchema(OTV_DATABASE_NAME);
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const long before = residentKilobytes("VmRSS:");
        resetPeakMemory();
        state.ResumeTiming();

        std::size_t bytes = fetchAll(*connection, kQueryRecords);
        bytes += fetchAll(*connection, kQueryAllCustomTypes);
        bytes += fetchAll(*connection, kQueryAllAttachmentNames);
        benchmark::DoNotOptimize(bytes);

        state.PauseTiming();
        peak = std::max(peak, double(residentKilobytes("VmHWM:") - before) * 1024);
        state.ResumeTiming();
    }
    state.counters["records_per_s"] = benchmark::Counter(double(records), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_bytes"] = benchmark::Counter(peak, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
}

// Writes the vault of the given size (not a measurement): run it in a process of its own
// before the others, so that the memory of writing it is not there for the load to reuse.
void BM_Populate(benchmark::State& state)
{
    if (!server().present()) {
        state.SkipWithError("no server: run through scripts/bench-load");
        return;
    }
    for (auto _ : state)
        ensureVault(int(state.range(0)));
}

// Size by size, so that each vault is written once. One iteration each: the application loads
// once per process, into memory it has not touched yet (scripts/bench-load runs each in a
// process of its own, a few times).
const bool kRegistered = [] {
    for (int records : {1000, 10000, 100000}) {
        benchmark::RegisterBenchmark("BM_Populate", BM_Populate)->Arg(records)->Iterations(1);
        benchmark::RegisterBenchmark("BM_VaultLoad", BM_VaultLoad)
            ->Arg(records)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_BareFetch", BM_BareFetch)
            ->Arg(records)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

} // namespace
