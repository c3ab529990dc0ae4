// Export and import of 10,000 records as a vRX 4.0 file with a password, through the exporter
// and the importer with providers that stand for the vault; and the Blowfish key schedule,
// which the engines make once per file, for scale (a schedule per field would cost more than
// the whole file).
#include "ManyExportRecords.h"
#include "Model/vRX/CExporter.h"
#include "Model/vRX/CvRXImporter.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <string>

namespace {

constexpr int kRecords = 10000;
const std::string kPassword = "correct horse battery staple";

class CountingDelegate : public CvRXImporterDelegate {
public:
    void CreateType(const CStringArray&, unsigned short, unsigned short, unsigned short) override { ++types; }
    void AddRecord(EFileType, const CStringArray&, const CStringArray&, const CStringArray&, const CString&,
                   unsigned short, unsigned short, unsigned short) override
    {
        ++records;
    }
    void ImportComplete() override {}
    void ErrorInImport(int) override { ++errors; }

    int types = 0;
    int records = 0;
    int errors = 0;
};

std::string ExportOnce(const QTemporaryDir& dir)
{
    const std::string path = dir.filePath(QStringLiteral("bench.vrx")).toStdString();
    ManyRecords provider(kRecords, true);
    CExporter exporter(path, &provider, kVRX4File, kPassword);
    if (!exporter.DoExport())
        return {};
    return path;
}

} // namespace

static void BM_ExportTenThousandRecordsV4WithPassword(benchmark::State& state)
{
    QTemporaryDir dir;
    for (auto _ : state) {
        if (ExportOnce(dir).empty())
            state.SkipWithError("the export failed");
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ExportTenThousandRecordsV4WithPassword)->Unit(benchmark::kMillisecond);

static void BM_ImportTenThousandRecordsV4WithPassword(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string path = ExportOnce(dir);
    for (auto _ : state) {
        CountingDelegate delegate;
        CvRXImporter importer(path, &delegate);
        importer.ImportFile(kVRX4File, kPassword);
        if (delegate.records != kRecords || delegate.errors != 0)
            state.SkipWithError("the import did not read every record");
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ImportTenThousandRecordsV4WithPassword)->Unit(benchmark::kMillisecond);

static void BM_BlowfishKeySchedule(benchmark::State& state)
{
    BLOWFISH_CTX key;
    for (auto _ : state) {
        Blowfish_Init(&key, reinterpret_cast<const unsigned char*>(kPassword.data()), kPassword.size());
        benchmark::DoNotOptimize(key);
    }
}
BENCHMARK(BM_BlowfishKeySchedule)->Unit(benchmark::kMicrosecond);
