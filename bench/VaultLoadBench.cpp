// The load of a vault of 10,000, 100,000 and 200,000 records (nine values, a modification date
// and a note each, enciphered; 10 % with a custom type, 10 % with an attachment), beside the
// bare fetch of the same rows through the connector: no deciphering, no objects (buffered as
// the connector does by default, and streamed as the load reads them).
//
// Each benchmark makes the vault it needs (or finds it, written by an earlier run with the same
// content) and the load checks what it loaded: a hash over every loaded value must equal the
// hash over the values written.
//
// Needs a MariaDB server: run it through scripts/bench-load, which starts a throw-away one
// (the OSTREVIN_TEST_DB_* variables of scripts/test-server). Counters: records per second,
// the peak resident memory of the run above what the process held before (the high-water
// mark, reset before the run) and the memory the loaded maps keep.
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/Database_Engine/OTVDataBaseQueries.h"
#include "Model/OTVRecord.h"
#include "Model/OTVUser.h"
#include "Platform/BKHeapHugePages.h"

#include <benchmark/benchmark.h>

#include <cppconn/connection.h>
#include <cppconn/driver.h>
#include <cppconn/exception.h>
#include <cppconn/prepared_statement.h>
#include <cppconn/resultset.h>
#include <cppconn/resultset_metadata.h>
#include <cppconn/statement.h>

#include <QCryptographicHash>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <utility>
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

// The texts of record r, as the vault stores them enciphered.
struct RecordTexts {
    QString values[kNoOfFields];
    QString notes;
    bool custom = false;
    bool attached = false;
    QString attachmentName;
    QString passKey;
};

RecordTexts recordTexts(int r)
{
    RecordTexts texts;
    for (int f = 1; f < kNoOfFields; ++f)
        texts.values[f - 1] = QStringLiteral("Value %1 of record %2").arg(f).arg(r);
    texts.values[kNoOfFields - 1] = QStringLiteral("2024-05-%1 10:11:12 +0200").arg(1 + r % 28, 2, 10, QLatin1Char('0'));
    texts.notes = QStringLiteral("The note of record %1, with a few more words.").arg(r);
    texts.custom = r % 10 == 5;
    texts.attached = r % 10 == 0;
    if (texts.attached) {
        texts.attachmentName = QStringLiteral("file %1.pdf").arg(r);
        texts.passKey = QStringLiteral("Pass-key-%1").arg(r % 1000000, 7, 10, QLatin1Char('0'));
    }
    return texts;
}

QString customLabel(int field)
{
    return QStringLiteral("Own label %1").arg(field);
}

// A hash over the records' UIDs and texts in the order of their UIDs.
class VaultHash {
public:
    void add(const QString& uid, const QString* values, const QString& notes, const QString& attachmentName,
             const QString& passKey, const QStringList& customLabels)
    {
        addText(uid);
        for (int f = 0; f < kNoOfFields; ++f)
            addText(values[f]);
        addText(notes);
        addText(attachmentName);
        addText(passKey);
        for (const QString& label : customLabels)
            addText(label);
        hash_.addData(QByteArrayView("\n", 1));
    }
    QByteArray result() const { return hash_.result().toHex(); }

private:
    void addText(const QString& text)
    {
        hash_.addData(QByteArrayView(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
        hash_.addData(QByteArrayView("\0", 1));
    }
    QCryptographicHash hash_{QCryptographicHash::Sha256};
};

QByteArray expectedHash(int records)
{
    QStringList labels;
    for (int f = 1; f <= kNoOfFields; ++f)
        labels.append(customLabel(f));
    VaultHash hash;
    for (int r = 0; r < records; ++r) {   // the UIDs count up: their order is r's
        const RecordTexts texts = recordTexts(r);
        hash.add(uid(0x4000000000000000, r), texts.values, texts.notes, texts.attachmentName, texts.passKey,
                 texts.custom ? labels : QStringList());
    }
    return hash.result();
}

QByteArray loadedHash(const OTVRecordMap& records)
{
    VaultHash hash;
    for (const std::shared_ptr<OTVRecord>& record : records) {
        QString values[kNoOfFields];
        for (int f = 1; f <= kNoOfFields; ++f)
            values[f - 1] = record->value(f);
        QStringList labels;
        if (const OTVType* custom = record->mIsCustomized() ? record->mRecordCustomType() : nullptr) {
            for (int f = 1; f <= kNoOfFields; ++f)
                labels.append(custom->label(f));
        }
        hash.add(record->mRecordUID(), values, record->mNotes(),
                 record->mHasAttachment() ? record->mAttachmentName() : QString(),
                 record->mHasAttachment() ? record->mAttachmentPassKey() : QString(), labels);
    }
    return hash.result();
}

// Fills the vault with `records` records, writing many rows per statement, and marks it with its
// size and content hash (in a table of its own, which goes when the vault is dropped).
void populate(int records, const QByteArray& hash)
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
    auto labels = [&](const std::function<QString(int)>& label) {
        std::string text;
        for (int f = 1; f <= 10; ++f)
            text += "," + sealed(label(f));
        return text;
    };
    for (int t = 0; t < kTypes; ++t)
        statement->execute("INSERT INTO TYPETABLE VALUES('" + uid(0x2000000000000000, t).toStdString() + "'," +
                           sealed(QStringLiteral("Type %1").arg(t)) + ",5,4" +
                           labels([](int f) { return QStringLiteral("Type label %1").arg(f); }) + ")");

    std::string recordRows, customRows, attachmentRows;
    auto flush = [&](std::string& rows, const char* table) {
        if (rows.empty())
            return;
        statement->execute(std::string("INSERT INTO ") + table + " VALUES " + rows);
        rows.clear();
    };
    const std::string customLabels = labels(customLabel);
    const std::string attachmentData = "x'" + std::string(2048, 'a') + "'";
    for (int r = 0; r < records; ++r) {
        const RecordTexts texts = recordTexts(r);
        const std::string id = "'" + uid(0x4000000000000000, r).toStdString() + "'";
        std::string row = "(" + id + ",'" + uid(0x2000000000000000, r % kTypes).toStdString() + "','" +
                          uid(0x1000000000000000, r % kGroups).toStdString() + "'";
        for (const QString& value : texts.values)
            row += "," + sealed(value);
        row += "," + sealed(texts.notes);
        row += std::string(",") + (texts.attached ? "1" : "0") + "," + (texts.custom ? "1" : "0") + "," +
               std::to_string(r % 50) + ")";
        recordRows += (recordRows.empty() ? "" : ",") + row;
        if (texts.custom)
            customRows += (customRows.empty() ? "(" : ",(") + id + ",7,2" + customLabels + ")";
        if (texts.attached)
            attachmentRows += (attachmentRows.empty() ? "(" : ",(") + id + "," + sealed(texts.attachmentName) + "," +
                              sealed(texts.passKey) + "," + attachmentData + ")";
        if ((r + 1) % kRowsPerInsert == 0) {
            flush(recordRows, "RECORDTABLE");
            flush(customRows, "CUSTOMTYPETABLE");
            flush(attachmentRows, "ATTACHMENTTABLE");
        }
    }
    flush(recordRows, "RECORDTABLE");
    flush(customRows, "CUSTOMTYPETABLE");
    flush(attachmentRows, "ATTACHMENTTABLE");
    statement->execute("CREATE TABLE BENCHMARKVAULT(RECORDS INT, HASH VARCHAR(64))");
    statement->execute("INSERT INTO BENCHMARKVAULT VALUES(" + std::to_string(records) + ",'" + hash.toStdString() + "')");
    // Last: it answers with rows, which must be read before another statement runs.
    std::unique_ptr<sql::ResultSet>(statement->executeQuery("ANALYZE TABLE RECORDTABLE, CUSTOMTYPETABLE, ATTACHMENTTABLE"));
}

// The size and content hash of the benchmark vault on the server, when it holds one.
std::optional<std::pair<int, QByteArray>> storedVault()
{
    try {
        std::unique_ptr<sql::Connection> connection = server().connect();
        std::unique_ptr<sql::Statement> statement(connection->createStatement());
        std::unique_ptr<sql::ResultSet> rows(statement->executeQuery(
            "SELECT RECORDS, HASH, (SELECT COUNT(*) FROM " OTV_DATABASE_NAME ".RECORDTABLE) FROM " OTV_DATABASE_NAME
            ".BENCHMARKVAULT"));
        if (!rows->next() || rows->getInt(1) != rows->getInt(3))
            return std::nullopt;
        return std::make_pair(rows->getInt(1), QByteArray::fromStdString(rows->getString(2).asStdString()));
    } catch (const sql::SQLException&) {
        return std::nullopt;
    }
}

// The benchmark vault of `records` records, written unless the server holds it already (from an
// earlier run: each benchmark runs in a process of its own). Returns the hash of its values.
QByteArray ensureVault(int records)
{
    const QByteArray hash = expectedHash(records);
    if (storedVault() == std::make_pair(records, hash))
        return hash;
    populate(records, hash);
    loggedInStore();   // the first login makes the administrator a vault user
    return hash;
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
    const QByteArray written = ensureVault(records);
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
        if (loadedHash(store->mRecords()) != written) {
            state.SkipWithError("the loaded values differ from the values written");
            break;
        }
        store.reset();
        state.ResumeTiming();
    }
    state.counters["records_per_s"] = benchmark::Counter(double(records), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_bytes"] = benchmark::Counter(peak, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    state.counters["kept_bytes"] = benchmark::Counter(kept, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
}

// Every column of the rows the load reads, as the connector hands them over: through a
// prepared statement, whose rows the connector buffers before the first is read, or streamed
// as they arrive (the load's way). Counts the rows.
int fetchAll(sql::Connection& connection, const char* query, bool streamed, std::size_t* bytes)
{
    std::unique_ptr<sql::Statement> plain;
    std::unique_ptr<sql::PreparedStatement> prepared;
    std::unique_ptr<sql::ResultSet> rows;
    if (streamed) {
        plain.reset(connection.createStatement());
        plain->setResultSetType(sql::ResultSet::TYPE_FORWARD_ONLY);
        rows.reset(plain->executeQuery(query));
    } else {
        prepared.reset(connection.prepareStatement(query));
        rows.reset(prepared->executeQuery());
    }
    const unsigned columns = rows->getMetaData()->getColumnCount();
    int count = 0;
    while (rows->next()) {
        ++count;
        for (unsigned c = 1; c <= columns; ++c)
            *bytes += rows->getString(c).length();
    }
    return count;
}

void bareFetch(benchmark::State& state, bool streamed)
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

        std::size_t bytes = 0;
        const int fetched = fetchAll(*connection, kQueryRecords, streamed, &bytes);
        fetchAll(*connection, kQueryAllCustomTypes, streamed, &bytes);
        fetchAll(*connection, kQueryAllAttachmentNames, streamed, &bytes);
        benchmark::DoNotOptimize(bytes);

        state.PauseTiming();
        peak = std::max(peak, double(residentKilobytes("VmHWM:") - before) * 1024);
        if (fetched != records) {
            state.SkipWithError("the fetch read another number of records");
            break;
        }
        state.ResumeTiming();
    }
    state.counters["records_per_s"] = benchmark::Counter(double(records), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_bytes"] = benchmark::Counter(peak, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
}

void BM_BareFetch(benchmark::State& state)
{
    bareFetch(state, false);
}

void BM_BareFetchStreamed(benchmark::State& state)
{
    bareFetch(state, true);
}

// Size by size, so that each vault is written once. One iteration each: the application loads
// once per process, into memory it has not touched yet (scripts/bench-load runs each in a
// process of its own, a few times).
const bool kRegistered = [] {
    for (int records : {10000, 100000, 200000}) {
        for (const auto& [name, function] : {std::pair{"BM_VaultLoad", BM_VaultLoad}, {"BM_BareFetch", BM_BareFetch},
                                             {"BM_BareFetchStreamed", BM_BareFetchStreamed}})
            benchmark::RegisterBenchmark(name, function)->Arg(records)->Iterations(1)->Unit(benchmark::kMillisecond);
    }
    return true;
}();

} // namespace

// The process as the application's own: its heap set up as the application sets it up.
int main(int argc, char** argv)
{
    BKUseHugePagesForTheHeap(argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
