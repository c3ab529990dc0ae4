#include "ExchangeDelegateFakes.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <stdexcept>

using namespace exchange_fakes;

namespace {

// A type line: the name, then the labels given, the rest empty.
Line TypeLine(const std::string& name, Texts labels, unsigned short icon, unsigned short mask)
{
    labels.resize(10);
    Line type{true, icon, mask, {name}, {}, {}, {}};
    type.fields.insert(type.fields.end(), labels.begin(), labels.end());
    return type;
}

Line RecordLine(EFileType kind, const std::string& typeName, Texts values, const std::string& notes,
                const std::string& uid = "00000000000000AA")
{
    Line record;
    values.resize(9);
    if (kind == kPlainCSVFile)
        record.fields.push_back(typeName);
    record.fields.insert(record.fields.end(), values.begin(), values.end());
    record.fields.push_back("March 07,2011");
    record.fields.push_back(notes);
    record.category = "Work, \"Team\"";
    if (kind != kPlainCSVFile)
        record.customNames = Texts(10);
    if (kind == kVRX4File)
        record.attachment = {"", "", uid};
    return record;
}

// Two types, one of them coming back after the other: four records, three type lines.
std::vector<Provided> Sample(EFileType kind)
{
    const Line login = TypeLine("Login", {"User", "Password", "URL"}, 31, 2);
    const Line bank = TypeLine("Bank", {"Account", "PIN, \"online\""}, 5, 0);
    std::vector<Provided> items = {
        {login, RecordLine(kind, "Login", {"alice", "pa,ss\"word"}, "first\rsecond", "00000000000000A1")},
        {login, RecordLine(kind, "Login", {"bob"}, std::string(70000, 'n'), "00000000000000A2")},
        {bank, RecordLine(kind, "Bank", {"Grüße €"}, "", "00000000000000A3")},
        {login, RecordLine(kind, "Login", {" leading blank"}, "x", "00000000000000A4")},
    };
    items[1].record.icon = 7;   // a customised record
    items[1].record.mask = 1;
    if (kind != kPlainCSVFile)
        items[1].record.customNames = {"Name", "", "", "", "", "", "", "", "", "Changed"};
    if (kind == kVRX4File)
        items[0].record.attachment = {"scan.pdf", "Pk3x9mQ2Pk3x9mQ2", "00000000000000A1"};
    return items;
}

// What the importer should see: the type lines where the type changes, and the records.
std::vector<Line> Expected(EFileType kind, const std::vector<Provided>& items)
{
    std::vector<Line> lines;
    for (size_t i = 0; i < items.size(); ++i) {
        if (kind != kPlainCSVFile && (i == 0 || !(items[i - 1].type == items[i].type)))
            lines.push_back(items[i].type);
        lines.push_back(items[i].record);
        if (kind == kPlainCSVFile) {
            lines.back().icon = 0;   // the plain export has no icon or mask
            lines.back().mask = 0;
        }
    }
    return lines;
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ExporterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::string PathOf(const char* name) const { return dir.filePath(QString::fromUtf8(name)).toStdString(); }

    QTemporaryDir dir;
};

struct RoundTripCase {
    EFileType kind;
    const char* password;
};

class ExportImportRoundTrip : public ExporterTest, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(ExportImportRoundTrip, ImporterReadsBackEveryLineTheExporterWrote)
{
    const RoundTripCase c = GetParam();
    const std::vector<Provided> items = Sample(c.kind);
    ScriptedProvider provider(items);
    provider.hasAttachments = false;
    const std::string path = PathOf("Export.vrx");
    CExporter exporter(path, &provider, c.kind, c.password);
    ASSERT_TRUE(exporter.DoExport());
    EXPECT_TRUE(provider.errors.empty());
    EXPECT_EQ(provider.completeCalls, 1);
    EXPECT_EQ(provider.completedKind, c.kind);
    EXPECT_EQ(provider.completedPath, path);

    RecordingDelegate delegate;
    CvRXImporter importer(path, &delegate);
    EXPECT_EQ(importer.FileType(), c.kind);
    EXPECT_EQ(importer.IsFileEncrypted(), std::string(c.password) != "" && c.kind != kPlainCSVFile);
    importer.ImportFile(c.kind, c.password);
    EXPECT_TRUE(delegate.errors.empty());
    EXPECT_EQ(delegate.completeCalls, 1);
    EXPECT_EQ(delegate.lines, Expected(c.kind, items));
}

INSTANTIATE_TEST_SUITE_P(EveryWrittenKind, ExportImportRoundTrip,
                         ::testing::Values(RoundTripCase{kPlainCSVFile, ""}, RoundTripCase{kVRX3File, ""},
                                           RoundTripCase{kVRX3File, "ab"}, RoundTripCase{kVRX4File, ""},
                                           RoundTripCase{kVRX4File, "a long pass phrase"}));

TEST_F(ExporterTest, PasswordOfOneCharacterEnciphersEveryTextField)
{
    ScriptedProvider provider(Sample(kVRX3File));
    CExporter exporter(PathOf("x.vrx"), &provider, kVRX3File, "k");
    ASSERT_TRUE(exporter.DoExport());
    const QList<QByteArray> lines = Contents(QString::fromStdString(PathOf("x.vrx"))).split('\r');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], "Ostrevin vRX File -v3.0");
    EXPECT_TRUE(lines[1].startsWith("T,"));
    // Flag, icon and mask stay plain; every other field is whole blocks of upper-case hex.
    const QList<QByteArray> typeFields = lines[2].split(',');
    ASSERT_EQ(typeFields.size(), 15);   // flag, icon, name + ten labels, mask, and the empty after ","
    EXPECT_EQ(typeFields[0], "T");
    EXPECT_EQ(typeFields[1], "31");
    EXPECT_EQ(typeFields[13], "2");
    for (int i = 2; i < 13; ++i) {
        EXPECT_EQ(typeFields[i].size() % 16, 0) << i;
        EXPECT_FALSE(typeFields[i].isEmpty()) << i;
        EXPECT_EQ(typeFields[i].toUpper(), typeFields[i]) << i;
    }
    EXPECT_FALSE(lines[3].contains("alice"));
}

TEST_F(ExporterTest, EmptyPasswordWritesPlainFieldsAndTheInfoLineF)
{
    ScriptedProvider provider(Sample(kVRX3File));
    CExporter exporter(PathOf("x.vrx"), &provider, kVRX3File, "");
    EXPECT_FALSE(exporter.IsEncrypted());
    ASSERT_TRUE(exporter.DoExport());
    const QByteArray text = Contents(QString::fromStdString(PathOf("x.vrx")));
    EXPECT_TRUE(text.startsWith("Ostrevin vRX File -v3.0\rF\rT,31,Login,User,"));
    EXPECT_TRUE(text.contains("F,31,alice,\"pa,ss\"\"word\","));
}

TEST_F(ExporterTest, PlainExportWritesNoTypeLinesAndIsNeverEnciphered)
{
    ScriptedProvider provider(Sample(kPlainCSVFile));
    CExporter exporter(PathOf("x.csv"), &provider, kPlainCSVFile, "ignored");
    EXPECT_FALSE(exporter.IsEncrypted());
    ASSERT_TRUE(exporter.DoExport());
    const QByteArray text = Contents(QString::fromStdString(PathOf("x.csv")));
    EXPECT_TRUE(text.startsWith("Ostrevin Export File\rLogin,alice,\"pa,ss\"\"word\","));
    EXPECT_TRUE(text.contains(",\"March 07,2011\",\"first\rsecond\",\"Work, \"\"Team\"\"\"\rLogin,bob,"));
}

TEST_F(ExporterTest, VersionFourPackageHoldsTheFileAndOneSideFilePerRecord)
{
    ScriptedProvider provider(Sample(kVRX4File));
    const std::string package = PathOf("Backup.vrx");
    CExporter exporter(package, &provider, kVRX4File, "");
    ASSERT_TRUE(exporter.DoExport());
    EXPECT_EQ(provider.completedPath, package + "/Backup.vrx");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(package + "/Backup.vrx")).isFile());
    // Every record line carries three attachment entries; the provider is asked for each.
    ASSERT_EQ(provider.copies.size(), 4u);
    EXPECT_EQ(provider.copies[0], (Texts{package + "/Files/00000000000000A1.ofa", "00000000000000A1",
                                         "Pk3x9mQ2Pk3x9mQ2"}));
    EXPECT_EQ(Contents(QString::fromStdString(package + "/Files/00000000000000A3.ofa")), "00000000000000A3");
}

TEST_F(ExporterTest, VersionFourWithoutPackageCopiesNoAttachments)
{
    ScriptedProvider provider(Sample(kVRX4File));
    provider.hasAttachments = false;
    CExporter exporter(PathOf("Flat.vrx"), &provider, kVRX4File, "");
    ASSERT_TRUE(exporter.DoExport());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(PathOf("Flat.vrx"))).isFile());
    EXPECT_TRUE(provider.copies.empty());
}

TEST_F(ExporterTest, SideFileNamedByAnUnsafeUidIsReportedNotWritten)
{
    std::vector<Provided> items = Sample(kVRX4File);
    items[0].record.attachment = {"a.txt", "key", "../escape"};
    ScriptedProvider provider(items);
    CExporter exporter(PathOf("P.vrx"), &provider, kVRX4File, "");
    EXPECT_TRUE(exporter.DoExport());
    EXPECT_EQ(provider.errors, std::vector<int>{kExportErrorAttachmentWrite});
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(PathOf("P.vrx/escape.ofa"))));
    EXPECT_EQ(provider.copies.size(), 3u);
}

TEST_F(ExporterTest, FileThatCannotBeWrittenIsReportedBeforeCompletion)
{
    // A folder cannot be made under a regular file, whoever runs the test.
    QFile blocker(dir.filePath(QStringLiteral("plain-file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    for (EFileType kind : {kPlainCSVFile, kVRX3File, kVRX4File}) {
        ScriptedProvider provider(Sample(kind));
        CExporter exporter(PathOf("plain-file/Export.vrx"), &provider, kind, "");
        EXPECT_FALSE(exporter.DoExport()) << kind;
        EXPECT_EQ(provider.errors, std::vector<int>{kExportErrorFileWrite}) << kind;
        EXPECT_EQ(provider.completeCalls, 1) << kind;
    }
}

TEST_F(ExporterTest, FailedExportLeavesAnEarlierFileAsItWas)
{
    const QString path = QString::fromStdString(PathOf("Keep.vrx"));
    QFile earlier(path);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier export");
    earlier.close();

    ScriptedProvider provider(Sample(kVRX3File));
    provider.failTypeLookup = true;
    CExporter exporter(path.toStdString(), &provider, kVRX3File, "");
    EXPECT_FALSE(exporter.DoExport());
    EXPECT_EQ(provider.errors, std::vector<int>{kExportErrorFileWrite});
    EXPECT_EQ(provider.completeCalls, 1);
    EXPECT_EQ(Contents(path), "earlier export");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Keep.vrx")});
}

TEST_F(ExporterTest, ExportToAnExistingFolderFails)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Folder.vrx")));
    ScriptedProvider provider(Sample(kVRX3File));
    CExporter exporter(PathOf("Folder.vrx"), &provider, kVRX3File, "");
    EXPECT_FALSE(exporter.DoExport());
    EXPECT_EQ(provider.errors, std::vector<int>{kExportErrorFileWrite});
    EXPECT_TRUE(QFileInfo(QString::fromStdString(PathOf("Folder.vrx"))).isDir());
}

TEST_F(ExporterTest, EmptySelectionWritesTheHeaderAlone)
{
    ScriptedProvider provider({});
    CExporter exporter(PathOf("None.vrx"), &provider, kVRX3File, "");
    ASSERT_TRUE(exporter.DoExport());
    EXPECT_EQ(Contents(QString::fromStdString(PathOf("None.vrx"))), "Ostrevin vRX File -v3.0\rF\r");
}

TEST(ExporterArguments, RefusesWhatCannotBeExported)
{
    ScriptedProvider provider({});
    EXPECT_THROW(CExporter("x.vrx", nullptr, kVRX3File, ""), std::runtime_error);
    EXPECT_THROW(CExporter("", &provider, kVRX3File, ""), std::runtime_error);
    for (EFileType kind : {kVRX1File, kVRX2File, kOtherVRXFile, kUserCSVFile, kOtherTextFile, kNotTextFile})
        EXPECT_THROW(CExporter("x.vrx", &provider, kind, ""), std::runtime_error) << kind;
    try {
        CExporter("x.vrx", nullptr, kVRX3File, "");
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Invalid arguments");
    }
}

} // namespace
