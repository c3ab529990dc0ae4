// Import and export of 10,000 records through the main window's commands (vRX 4.0 with a
// password): the controller's import of a file into the selected group, with the progress panel
// and the views refreshed at the end, then its export of every record (one with an attachment,
// so the export is a package). Each iteration is one whole command.
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
#include "Model/vRX/CExporter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

static void BM_ImportCommandTenThousandRecordsV4WithPassword(benchmark::State& state)
{
    Session& s = session();
    if (!s.error.isEmpty()) {
        state.SkipWithError(s.error.toUtf8().constData());
        return;
    }
    const QString file = s.files.filePath(QStringLiteral("Import.vrx"));
    ManyRecords provider(kRecords, false);
    CExporter exporter(file.toStdString(), &provider, kVRX4File, kPassword.toStdString());
    if (!exporter.DoExport()) {
        state.SkipWithError("the file could not be written");
        return;
    }
    s.answers->path = file;
    for (auto _ : state) {
        const int before = int(s.store.mRecords().size());
        if (!s.controller->importVRXFile(file, false) || int(s.store.mRecords().size()) != before + kRecords)
            state.SkipWithError("the import did not bring every record");
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ImportCommandTenThousandRecordsV4WithPassword)->Unit(benchmark::kMillisecond)->Iterations(1);

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
