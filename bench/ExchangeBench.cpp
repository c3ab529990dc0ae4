// Export and import of 10,000 records as a vRX 4.0 file with a password, through the exporter
// and the importer with providers that stand for the vault; and the Blowfish key schedule,
// which the engines make once per file, for scale (a schedule per field would cost more than
// the whole file).
#include "Model/vRX/CExporter.h"
#include "Model/vRX/CvRXImporter.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <string>

namespace {

constexpr int kRecords = 10000;
const std::string kPassword = "correct horse battery staple";

// Ten thousand records of three types in runs, each with nine values, a date, notes and the
// attachment entries of version 4.0.
class ManyRecords : public CExportDataProviderDelegate {
public:
    void ExportComplete(EFileType, std::string) override {}
    void ErrorInExport(int) override {}
    bool GetTypeForLastRecord(CStringArray& typeFields, unsigned short& mask, unsigned short& icon) override
    {
        typeFields.Add(kTypeNames[type_]);
        for (int label = 1; label <= 10; ++label)
            typeFields.Add(("Label " + std::to_string(label)).c_str());
        mask = 2;
        icon = 12;
        return true;
    }
    bool GetNextRecord(EFileType, CStringArray& fields, unsigned short& mask, CStringArray& customNames,
                       CString& category, CStringArray& attachment, unsigned short& icon, bool& newType) override
    {
        if (next_ == kRecords)
            return false;
        const int type = (next_ / 7) % 3;
        newType = next_ == 0 || type != type_;
        type_ = type;
        const std::string n = std::to_string(next_++);
        fields.Add(("user" + n + "@example.org").c_str());
        fields.Add(("p@ss,word-" + n).c_str());
        fields.Add("https://example.org/login?next=%2Fhome");
        for (int value = 4; value <= 9; ++value)
            fields.Add(value % 2 ? "" : "some value");
        fields.Add("March 07,2011");
        fields.Add("Notes of a record,\rwith a second line and \"quotes\".");
        for (int label = 0; label < 10; ++label)
            customNames.Add("");
        category = "Work";
        attachment.Add("");
        attachment.Add("AbCdEfGh12345678");
        attachment.Add("00000000000000AA");
        mask = 2;
        icon = 12;
        return true;
    }
    void CopyAttachmentToPath(const char*, const char*, const char*) override {}
    bool AnyRecordHasAttachment() override { return false; }
    void InitPathsForExportWithAttachments(std::string&, std::string&, std::string&) override {}

private:
    static constexpr const char* kTypeNames[] = {"Login", "Bank", "Note"};
    int next_ = 0;
    int type_ = 0;
};

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
    ManyRecords provider;
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
