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
#include "Model/vRX/CExporter.h"

#include <benchmark/benchmark.h>

#include <cppconn/connection.h>
#include <cppconn/driver.h>
#include <cppconn/prepared_statement.h>
#include <cppconn/statement.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <sstream>
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
// event-log rows, in one transaction through the connector alone, each statement prepared once
// and run once per row. Needs the records of the import above.
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
    for (const std::shared_ptr<OTVRecord>& record : s.store.mRecords()) {
        if (int(rows.size()) == records)
            break;
        Row row;
        row.group = record->mGroup()->mGroupUID().toStdString();
        row.type = record->mType()->mTypeUID().toStdString();
        for (int field = 1; field <= kNoOfFields; ++field)
            row.values.push_back(s.store.encryptString(record->value(field)).toStdString());
        row.values.push_back(s.store.encryptString(record->mNotes()).toStdString());
        row.description = record->value(1).toStdString();
        rows.push_back(std::move(row));
    }
    const OTVConnectRequest request = BenchServerRequest();
    std::unique_ptr<sql::Connection> connection(get_driver_instance()->connect(
        ("tcp://" + request.ipAddress + ":" + request.portNumber).toStdString(), request.userName.toStdString(),
        request.hostPassword.toStdString()));
    connection->setSchema(kDatabaseName);
    const std::string userID = s.store.getCurrentUser()->mUserID().toStdString();
    const std::string userName = s.store.getCurrentUser()->mUsername().toStdString();
    const std::string computer = BKFullUserName().toStdString();
    int run = 0;
    for (auto _ : state) {
        ++run;
        connection->setAutoCommit(false);
        std::unique_ptr<sql::PreparedStatement> record(connection->prepareStatement(kQueryRecordInsert));
        std::unique_ptr<sql::PreparedStatement> added(connection->prepareStatement(kQueryInsertRecentlyAddedTable));
        std::unique_ptr<sql::PreparedStatement> log(connection->prepareStatement(KQueryInsertEventLoggerTable));
        for (size_t r = 0; r < rows.size(); ++r) {
            Row& row = rows[r];
            char uid[17];
            std::snprintf(uid, sizeof uid, "F%02X%013zX", run & 0xFF, r);
            row.uid = uid;
            record->setString(1, row.uid);
            record->setString(2, row.group);
            record->setString(3, row.type);
            std::vector<std::unique_ptr<std::istringstream>> streams;
            for (size_t v = 0; v < row.values.size(); ++v) {
                streams.push_back(std::make_unique<std::istringstream>(row.values[v]));
                record->setBlob(unsigned(4 + v), streams.back().get());
            }
            record->setBoolean(15, false);
            record->setBoolean(16, false);
            record->setInt64(17, 0);
            record->executeUpdate();
            added->setString(1, userID);
            added->setString(2, row.uid);
            added->executeUpdate();
            log->setString(1, "Add Record");
            log->setString(2, "Action");
            log->setString(3, row.description);
            log->setDateTime(4, QDateTime::currentDateTime().toString(kEventLogDateFormat).toStdString());
            log->setString(5, userName);
            log->setString(6, computer);
            log->executeUpdate();
        }
        std::unique_ptr<sql::Statement>(connection->createStatement())->execute("COMMIT");
        connection->setAutoCommit(true);
        state.PauseTiming();
        std::unique_ptr<sql::Statement>(connection->createStatement())
            ->execute("DELETE FROM RECORDTABLE WHERE RECORDID LIKE 'F%'");
        state.ResumeTiming();
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
