// Import and export of records through the main window's commands (vRX 4.0 with a password):
// the controller's import of a file of 10,000 and of 100,000 records into the selected group,
// with the progress panel and the views refreshed at the end, beside the floor of the same rows
// written in one transaction; then its export of every record (one with an attachment, so the
// export is a package). Each iteration is one whole command.
//
// Needs a server with an empty vault: scripts/test-server start DIR, then
//   scripts/test-server exec DIR -- build/bench/bench_ExchangeCommandsBench
#include "BenchApplication.h"
#include "BenchServer.h"
#include "ManyExportRecords.h"

#include "Controller/BKController.h"
#include "Model/BKGroup.h"
#include "Model/Database_Engine/OTVDataBase.h"
#include "Model/OTVRecord.h"
#include "Model/OTVUser.h"
#include "Model/Database_Engine/OTVDataBaseQueries.h"
#include "Model/Database_Engine/OTVEventLog.h"
#include "Model/Database_Engine/OTVRowsStatement.h"
#include "Model/vRX/CExporter.h"

#include <benchmark/benchmark.h>

#include <cppconn/connection.h>
#include <cppconn/driver.h>
#include <cppconn/prepared_statement.h>
#include <cppconn/resultset.h>
#include <cppconn/statement.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRecords = 10000;
const QString kPassword = QStringLiteral("correct horse battery staple");

// The panels answered at once: every record, the attachments box on, the password.
class Answers final : public BKExchangePrompts {
public:
    QString path;
    std::optional<BKExportPanelAnswer> runExportPanel(const BKExportPanelSetup&) override
    {
        BKExportPanelAnswer answer;
        answer.path = path;
        answer.scopeRow = 0;
        answer.attachments = true;
        return answer;
    }
    QString runOpenPanel(const QString&) override { return path; }
    std::optional<QString> runExportPasswordSheet(const std::function<bool(const QString&, const QString&)>&) override
    {
        return kPassword;
    }
    std::optional<QString> runImportPasswordSheet(const std::function<bool(const QString&)>&) override
    {
        return kPassword;
    }
};

// The mail question after each export is answered No.
class NoToEveryAlert final : public BKAlertPresenter {
public:
    int runAlert(const BKAlert&) override { return kBKAlertDefaultReturn; }
};

struct Session {
    NoToEveryAlert alerts;
    OTVDataBase store;
    std::unique_ptr<BKController> controller;
    Answers* answers = nullptr;
    QTemporaryDir files;
    QString error;

    bool open()
    {
        if (const char* why = BenchOpenVault(store))
            return fail(why);
        auto group = BKGroup::newGroup();
        group->setMGroupName(QStringLiteral("Bench %1").arg(QDateTime::currentMSecsSinceEpoch()));
        group->setMRecordLevelPermissions(7);
        group->setMUserMembersArray(QStringList{store.getCurrentUser()->mUserID()});
        group->setMSubGroupsUID(QStringList{});
        if (store.addGroup(group) != kOTVStatusOK)
            return fail("cannot add the group");
        store.getCurrentUser()->setMCurrentGroup(group->mGroupUID());
        controller = std::make_unique<BKController>(store);
        BKAlertPresenter::install(&alerts);
        controller->applicationWillFinishLaunching();
        controller->updateApplicationViews();
        auto prompts = std::make_unique<Answers>();
        answers = prompts.get();
        controller->setExchangePrompts(std::move(prompts));
        return true;
    }

    bool fail(const char* why)
    {
        error = QString::fromLatin1(why);
        return false;
    }
};

Session& session()
{
    // Kept to the end of the process: the controller must not outlive the application object
    // in a static destructor.
    static Session* shared = new Session;
    static const bool opened = shared->open();
    Q_UNUSED(opened);
    return *shared;
}

// The floor's statements carry this many rows each (fewer if the server's packet limit asks).
constexpr size_t kFloorRowsPerStatement = 300;

long long queryNumber(sql::Connection& connection, const std::string& query)
{
    std::unique_ptr<sql::ResultSet> result(
        std::unique_ptr<sql::Statement>(connection.createStatement())->executeQuery(query));
    return result->next() ? result->getInt64(1) : -1;
}

std::string storedFirstValue(sql::Connection& connection, const std::string& recordUID)
{
    std::unique_ptr<sql::PreparedStatement> select(
        connection.prepareStatement("SELECT FIELD1 FROM RECORDTABLE WHERE RECORDID = ?"));
    select->setString(1, recordUID);
    std::unique_ptr<sql::ResultSet> result(select->executeQuery());
    return result->next() ? std::string(result->getString(1)) : std::string();
}

// Runs the statement `sqlOfRows(n)` over `count` rows, `perStatement` rows at a time, each
// shape prepared once; `bind(statement, firstParameter - 1, row)` binds one row's values. The
// rows that the statements changed.
template <typename SqlOfRows, typename Bind>
long long runInBatches(sql::Connection& connection, SqlOfRows sqlOfRows, size_t count, size_t perStatement,
                       unsigned parametersPerRow, Bind bind)
{
    std::unique_ptr<sql::PreparedStatement> full, rest;
    long long changed = 0;
    for (size_t first = 0; first < count; first += perStatement) {
        const size_t rows = std::min(perStatement, count - first);
        std::unique_ptr<sql::PreparedStatement>& statement = rows == perStatement ? full : rest;
        if (!statement)
            statement.reset(connection.prepareStatement(sqlOfRows(int(rows))));
        for (size_t r = 0; r < rows; ++r)
            bind(*statement, unsigned(r * parametersPerRow), first + r);
        changed += statement->executeUpdate();
    }
    return changed;
}

// The insert `singleRow` (ending with its one parenthesised row) for `rows` rows.
auto rowsOf(const char* singleRow)
{
    return [singleRow](int rows) { return OTVRowsStatement(singleRow, rows); };
}

} // namespace

// The import command of a file of `state.range(0)` records. Records per wall-clock second.
static void BM_ImportCommandV4WithPassword(benchmark::State& state)
{
    Session& s = session();
    if (!s.error.isEmpty()) {
        state.SkipWithError(s.error.toUtf8().constData());
        return;
    }
    const int records = int(state.range(0));
    const QString file = s.files.filePath(QStringLiteral("Import%1.vrx").arg(records));
    ManyRecords provider(records, false);
    CExporter exporter(file.toStdString(), &provider, kVRX4File, kPassword.toStdString());
    if (!exporter.DoExport()) {
        state.SkipWithError("the file could not be written");
        return;
    }
    s.answers->path = file;
    for (auto _ : state) {
        const int before = int(s.store.mRecords().size());
        if (!s.controller->importVRXFile(file, false) || int(s.store.mRecords().size()) != before + records)
            state.SkipWithError("the import did not bring every record");
    }
    state.counters["records_per_second"] =
        benchmark::Counter(double(state.iterations()) * records, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ImportCommandV4WithPassword)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The floor of the import: the rows that it writes for `state.range(0)` records, as stored
// (enciphered values of imported records, under new UIDs), with their recently-added and
// event-log rows, in one transaction through the connector alone, as the fastest plain client
// writes them: inserts of a few hundred rows each, every value bound inside the statement's
// packet. Needs the records of the import above. Afterwards it deletes the rows it wrote, and
// only those: the vault's own records stay for the benchmarks that follow.
static void BM_ImportOneTransactionFloor(benchmark::State& state)
{
    Session& s = session();
    const int records = int(state.range(0));
    if (!s.error.isEmpty() || s.store.mRecords().size() < records) {
        state.SkipWithError("the import benchmark fills the vault first");
        return;
    }
    struct Row {
        std::string uid, group, type;
        std::vector<std::string> values;   // FIELD1 .. FIELD10, NOTE as stored
        std::string description;
    };
    std::vector<Row> rows;
    size_t largestRow = 0;
    for (const std::shared_ptr<OTVRecord>& record : s.store.mRecords()) {
        if (int(rows.size()) == records)
            break;
        Row row;
        char uid[17];
        std::snprintf(uid, sizeof uid, "F%015zX", rows.size());
        row.uid = uid;
        row.group = record->mGroup()->mGroupUID().toStdString();
        row.type = record->mType()->mTypeUID().toStdString();
        for (int field = 1; field <= kNoOfFields; ++field)
            row.values.push_back(s.store.encryptString(record->value(field)).toStdString());
        row.values.push_back(s.store.encryptString(record->mNotes()).toStdString());
        row.description = record->value(1).toStdString();
        size_t bytes = row.uid.size() + row.group.size() + row.type.size() + row.description.size();
        for (const std::string& value : row.values)
            bytes += value.size();
        largestRow = std::max(largestRow, bytes);
        rows.push_back(std::move(row));
    }
    const OTVConnectRequest request = BenchServerRequest();
    std::unique_ptr<sql::Connection> connection(get_driver_instance()->connect(
        ("tcp://" + request.ipAddress + ":" + request.portNumber).toStdString(), request.userName.toStdString(),
        request.hostPassword.toStdString()));
    connection->setSchema(kDatabaseName);
    // A few hundred rows to a statement, and a statement well within the server's packet limit.
    const size_t rowsPerStatement =
        std::clamp<size_t>(size_t(queryNumber(*connection, "SELECT @@max_allowed_packet")) / 2 / (largestRow + 64), 1,
                           kFloorRowsPerStatement);
    const std::string userID = s.store.getCurrentUser()->mUserID().toStdString();
    const std::string userName = s.store.getCurrentUser()->mUsername().toStdString();
    const std::string computer = BKFullUserName().toStdString();
    // Each iteration deletes the event-log rows after this one again.
    const long long lastLogRow = queryNumber(*connection, "SELECT COALESCE(MAX(ROWKEY), 0) FROM EVENTLOGGERTABLE");
    for (auto _ : state) {
        connection->setAutoCommit(false);
        const long long written =
            runInBatches(*connection, rowsOf(kQueryRecordInsert), rows.size(), rowsPerStatement, 17,
                         [&](sql::PreparedStatement& insert, unsigned base, size_t r) {
                             const Row& row = rows[r];
                             insert.setString(base + 1, row.uid);
                             insert.setString(base + 2, row.group);
                             insert.setString(base + 3, row.type);
                             for (size_t v = 0; v < row.values.size(); ++v)
                                 insert.setString(unsigned(base + 4 + v), row.values[v]);
                             insert.setBoolean(base + 15, false);
                             insert.setBoolean(base + 16, false);
                             insert.setInt64(base + 17, 0);
                         });
        runInBatches(*connection, rowsOf(kQueryInsertRecentlyAddedTable), rows.size(), rowsPerStatement, 2,
                     [&](sql::PreparedStatement& insert, unsigned base, size_t r) {
                         insert.setString(base + 1, userID);
                         insert.setString(base + 2, rows[r].uid);
                     });
        const std::string now = QDateTime::currentDateTime().toString(kEventLogDateFormat).toStdString();
        runInBatches(*connection, rowsOf(KQueryInsertEventLoggerTable), rows.size(), rowsPerStatement, 6,
                     [&](sql::PreparedStatement& insert, unsigned base, size_t r) {
                         insert.setString(base + 1, "Add Record");
                         insert.setString(base + 2, "Action");
                         insert.setString(base + 3, rows[r].description);
                         insert.setDateTime(base + 4, now);
                         insert.setString(base + 5, userName);
                         insert.setString(base + 6, computer);
                     });
        connection->commit();
        connection->setAutoCommit(true);
        state.PauseTiming();
        const bool sameRows =
            written == records && storedFirstValue(*connection, rows.front().uid) == rows.front().values.front();
        // Its records by their keys (their recently-added rows go with them) and its event-log
        // rows, which follow the last one before it; undone if that would delete any other row.
        connection->setAutoCommit(false);
        const long long recordsDeleted = runInBatches(
            *connection,
            [](int keys) { return "DELETE FROM RECORDTABLE WHERE RECORDID IN (" + OTVRowsStatement("", "?", keys) + ")"; },
            rows.size(), rowsPerStatement, 1,
            [&](sql::PreparedStatement& remove, unsigned base, size_t r) { remove.setString(base + 1, rows[r].uid); });
        const int logRowsDeleted = std::unique_ptr<sql::Statement>(connection->createStatement())
                                       ->executeUpdate("DELETE FROM EVENTLOGGERTABLE WHERE ROWKEY > " +
                                                       std::to_string(lastLogRow));
        const bool onlyItsOwn = recordsDeleted == records && logRowsDeleted == records;
        if (onlyItsOwn)
            connection->commit();
        else
            connection->rollback();
        connection->setAutoCommit(true);
        state.ResumeTiming();
        if (!sameRows || !onlyItsOwn) {
            state.SkipWithError(!sameRows ? "the floor did not write the import's rows"
                                          : "the floor's rows were not all and only its own");
            return;
        }
    }
    state.counters["records_per_second"] =
        benchmark::Counter(double(state.iterations()) * records, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ImportOneTransactionFloor)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ImportCommandV4WithPassword)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ImportOneTransactionFloor)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

static void BM_ExportCommandTenThousandRecordsV4WithPassword(benchmark::State& state)
{
    Session& s = session();
    if (!s.error.isEmpty() || s.store.mRecords().size() < kRecords) {
        state.SkipWithError("the import benchmark fills the vault first");
        return;
    }
    // One record with an attachment makes the export a package.
    const QString attachment = s.files.filePath(QStringLiteral("attachment.bin"));
    QFile file(attachment);
    if (file.open(QIODevice::WriteOnly))
        file.write(QByteArray(4096, 'a'));
    file.close();
    std::shared_ptr<OTVRecord> record = s.store.mRecords().first();
    record->setMHasAttachment(true);
    record->setMAttachmentName(QStringLiteral("attachment.bin"));
    record->setMAttachmentPath(attachment);
    record->setMAttachmentState(kAttachmentStoreFile);
    s.store.replaceRecord(record);
    int n = 0;
    for (auto _ : state) {
        s.answers->path = s.files.filePath(QStringLiteral("Export%1.vrx").arg(++n));
        s.controller->exportSelectedFile(kExportVRXTag);
        if (!QFileInfo(s.answers->path + QStringLiteral("/Files")).isDir())
            state.SkipWithError("no package was written");
    }
    state.SetItemsProcessed(state.iterations() * int(s.store.mRecords().size()));
}
BENCHMARK(BM_ExportCommandTenThousandRecordsV4WithPassword)->Unit(benchmark::kMillisecond)->Iterations(3);

OSTREVIN_WIDGETS_BENCHMARK_MAIN()
