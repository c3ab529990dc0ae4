#include "ExchangeDelegateFakes.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <stdexcept>

using namespace exchange_fakes;

namespace {

class ImporterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    std::string Write(const QByteArray& bytes, const char* name = "import.vrx")
    {
        const QString path = dir.filePath(QString::fromUtf8(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path.toStdString();
    }

    // A version 3.0 file written by the exporter's own line functions.
    QByteArray VersionThree(const char* password, int records)
    {
        BLOWFISH_CTX key;
        Blowfish_Init(&key, reinterpret_cast<const unsigned char*>(password), std::strlen(password));
        const BLOWFISH_CTX* k = *password ? &key : nullptr;
        std::string out;
        WriteHeader(kVRX3File, out, k);
        CStringArray type;
        Fill(type, {"Login", "User", "Password", "", "", "", "", "", "", "", ""});
        WriteNextVRXType(out, kVRX3File, k, type, 2, 31);
        for (int i = 0; i < records; ++i) {
            CStringArray fields, labels, none;
            Fill(fields, {"user" + std::to_string(i), "pw", "", "", "", "", "", "", "", "May 01,2020", "notes"});
            Fill(labels, Texts(10));
            WriteNextVRXRecord(out, kVRX3File, k, fields, 2, labels, CString("Work"), none, 31, false);
        }
        return QByteArray::fromStdString(out);
    }

    QTemporaryDir dir;
};

TEST_F(ImporterTest, FilesThatCannotBeReadAreRefusedAtConstruction)
{
    RecordingDelegate delegate;
    const std::string empty = Write("", "empty.vrx");
    const auto message = [&](const std::string& path, CvRXImporterDelegate* d) {
        try {
            CvRXImporter importer(path, d);
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string("no failure");
    };
    EXPECT_EQ(message(empty, &delegate), "Empty file");
    EXPECT_EQ(message(dir.filePath(QStringLiteral("missing.vrx")).toStdString(), &delegate), "Invalid arguments");
    EXPECT_EQ(message(dir.path().toStdString(), &delegate), "Invalid arguments");   // a folder
    EXPECT_EQ(message(Write(VersionThree("", 1)), nullptr), "Invalid arguments");
    EXPECT_THROW(CvRXImporter::DoesPasswordMatch(empty, "x"), std::runtime_error);
    EXPECT_TRUE(delegate.errors.empty());
}

TEST_F(ImporterTest, FilesWithoutRecordsAreRefusedAndCompleteOnce)
{
    const struct {
        const char* text;
        EFileType kind;
        int error;
    } cases[] = {
        {"Ostrevin vRX File -v5.0\rF\rF,31,a,b\r", kOtherVRXFile, kImportErrorNotRecordFile},
        {"Username, Password, Confirm Password, Full Name, Description, Email, Phone, Group-Permission, "
         "Type-Permission, Record-Permission, Data-Permission\rann,pw,pw,,,,,7,7,7,63\r",
         kUserCSVFile, kImportErrorNotRecordFile},
        // CSV as a spreadsheet saves it: no header line.
        {"Login,alice,secret\rBank,bob,pin\r", kOtherTextFile, kImportErrorNoHeader},
        {"Ostrevin Export File\r\x01\x02", kNotTextFile, kImportErrorNotRecordFile},
    };
    for (const auto& c : cases) {
        RecordingDelegate delegate;
        CvRXImporter importer(Write(c.text), &delegate);
        EXPECT_EQ(importer.FileType(), c.kind);
        EXPECT_EQ(delegate.errors, std::vector<int>{c.error}) << c.kind;
        importer.ImportFile(kPlainCSVFile, "");
        EXPECT_TRUE(delegate.lines.empty()) << c.kind;
        EXPECT_EQ(delegate.completeCalls, 1) << c.kind;
    }
}

TEST_F(ImporterTest, EncipheredFileIsReadOnlyWithItsPassword)
{
    const std::string path = Write(VersionThree("secret", 2));
    for (const char* wrong : {"", "Secret", "secre"}) {
        RecordingDelegate delegate;
        CvRXImporter importer(path, &delegate);
        ASSERT_TRUE(importer.IsFileEncrypted());
        EXPECT_FALSE(importer.CheckPassword(wrong));
        importer.ImportFile(kVRX3File, wrong);
        EXPECT_EQ(delegate.errors, std::vector<int>{kImportErrorWrongPassword});
        EXPECT_TRUE(delegate.lines.empty());
        EXPECT_EQ(delegate.completeCalls, 1);
    }
    RecordingDelegate delegate;
    CvRXImporter importer(path, &delegate);
    EXPECT_TRUE(importer.CheckPassword("secret"));
    // Bytes after a NUL are not part of the password.
    EXPECT_TRUE(importer.CheckPassword(std::string("secret\0tail", 11)));
    importer.ImportFile(kPlainCSVFile, "secret");   // the kind given does not decide the reader
    EXPECT_TRUE(delegate.errors.empty());
    ASSERT_EQ(delegate.lines.size(), 3u);
    EXPECT_EQ(delegate.lines[1].fields[0], "user0");
    EXPECT_EQ(delegate.lines[2].category, "Work");
}

TEST_F(ImporterTest, DoesPasswordMatchForEveryKindOfFile)
{
    const struct {
        QByteArray text;
        const char* password;
        bool matches;
    } cases[] = {
        {VersionThree("secret", 1), "secret", true},
        {VersionThree("secret", 1), "wrong", false},
        {VersionThree("", 1), "anything", true},
        {"Ostrevin Export File\rLogin,a\r", "", false},
        {"just some text\r", "", false},
    };
    for (const auto& c : cases) {
        const std::string path = Write(c.text);
        EXPECT_EQ(CvRXImporter::DoesPasswordMatch(path, c.password), c.matches) << c.text.left(30).toStdString();
    }
}

TEST_F(ImporterTest, BrokenLineInTheMiddleIsSkippedAndReported)
{
    QByteArray text = VersionThree("", 3);
    QList<QByteArray> lines = text.split('\r');
    lines[4] = "F,31,user1,pw,";   // the second record, cut short
    text = lines.join('\r');
    RecordingDelegate delegate;
    CvRXImporter importer(Write(text), &delegate);
    importer.ImportFile(kVRX3File, "");
    EXPECT_EQ(delegate.errors, std::vector<int>{kImportErrorDamagedRecord});
    ASSERT_EQ(delegate.lines.size(), 3u);
    EXPECT_TRUE(delegate.lines[0].isType);
    EXPECT_EQ(delegate.lines[1].fields[0], "user0");
    EXPECT_EQ(delegate.lines[2].fields[0], "user2");
}

TEST_F(ImporterTest, DamagedTypeLineIsReportedAsSuch)
{
    QByteArray text = VersionThree("", 1);
    QList<QByteArray> lines = text.split('\r');
    lines[2] = "T,31,Login,User";   // a type line without its labels and mask
    RecordingDelegate delegate;
    CvRXImporter importer(Write(lines.join('\r')), &delegate);
    importer.ImportFile(kVRX3File, "");
    EXPECT_EQ(delegate.errors, std::vector<int>{kImportErrorDamagedType});
    ASSERT_EQ(delegate.lines.size(), 1u);
    EXPECT_FALSE(delegate.lines[0].isType);
}

// Every prefix of a file, enciphered or not: the import ends, completes once, never hands on a
// line that was cut, and counts the cut line.
TEST_F(ImporterTest, TruncatedFilesAlwaysEndAndCountTheCutLine)
{
    for (const char* password : {"", "pw"}) {
        const QByteArray whole = VersionThree(password, 2);
        const int headerLength = whole.indexOf('\r', whole.indexOf('\r') + 1) + 1;
        // Every third length: cuts inside and between fields of every kind, quickly.
        for (int length = 1; length < whole.size(); length += 3) {
            RecordingDelegate delegate;
            CvRXImporter importer(Write(whole.left(length)), &delegate);
            importer.ImportFile(kVRX3File, password);
            EXPECT_EQ(delegate.completeCalls, 1);
            const bool atLineEnd = whole[length - 1] == '\r' || whole[length] == '\r';
            if (length > headerLength && !atLineEnd) {
                EXPECT_EQ(delegate.errors.size(), 1u) << password << " " << length;
            }
            for (const Line& line : delegate.lines) {
                if (!line.isType) {
                    EXPECT_EQ(line.fields.back(), "notes") << length;
                }
            }
        }
    }
}

// A file that ends inside a line, or inside quotes that never close, is reported as cut
// (once, last); the line is not handed on, the lines before it are.
TEST_F(ImporterTest, FilesEndingInsideALineAreReportedAsCut)
{
    const QByteArray v3 = VersionThree("", 2);
    const QByteArray enciphered = VersionThree("pw", 2);
    const QByteArray plain = "Ostrevin Export File\rLogin,a,,,,,,,,,,\"notes\",Work\rLogin,b,,,,,,,,,,\"x\ry\",Work\r";
    const QByteArray v2 = "Ostrevin vRX File -v2.0\rF\rT,31,Login,User\rF,31,a,b\rF,31,c,d";
    const struct {
        const char* what;
        QByteArray text;
        const char* password;
        size_t records;       // handed on
        bool cut;
    } cases[] = {
        {"version 3.0 whole", v3, "", 2, false},
        {"version 3.0 without its last CR", v3.left(v3.size() - 1), "", 1, true},
        {"version 3.0, quote never closed", v3.left(v3.lastIndexOf("notes")) + "\"" + v3.mid(v3.lastIndexOf("notes")), "",
         1, true},
        {"enciphered, cut inside a field", enciphered.left(enciphered.size() - 20), "pw", 1, true},
        {"plain export whole", plain, "", 2, false},
        {"plain export cut after a CR inside quotes", plain.left(plain.indexOf("x\r") + 2), "", 1, true},
        {"plain export without its last CR", plain.left(plain.size() - 1), "", 1, true},
        {"version 2.0 lines need no last CR", v2, "", 2, false},
        {"byte-order mark", "\xEF\xBB\xBF" + v3, "", 2, false},
    };
    for (const auto& c : cases) {
        RecordingDelegate delegate;
        CvRXImporter importer(Write(c.text), &delegate);
        importer.ImportFile(importer.FileType(), c.password);
        size_t records = 0;
        for (const Line& line : delegate.lines)
            records += line.isType ? 0 : 1;
        EXPECT_EQ(records, c.records) << c.what;
        EXPECT_EQ(delegate.errors, c.cut ? std::vector<int>{kImportErrorFileCut} : std::vector<int>{}) << c.what;
        EXPECT_EQ(delegate.completeCalls, 1) << c.what;
    }
}

TEST_F(ImporterTest, OlderVersionsGiveElevenEntriesWithEmptyDate)
{
    const QByteArray v1 = "Ostrevin vRX File -v1.0\rF\r"
                          "T,12,Mail,Address,Password,Server,,,,extra\r"
                          "F,12,ann@example.org,pw,imap,,,,Old notes\r";
    const QByteArray v2 = "Ostrevin vRX File -v2.0\rF\r"
                          "T,12,Mail,Address,Password,Server,,,,4,\r"
                          "F,12,ann@example.org,pw,imap,,,,4,Mailbox,,,,,,Home,Old notes\r";
    for (const QByteArray& text : {v1, v2}) {
        RecordingDelegate delegate;
        CvRXImporter importer(Write(text), &delegate);
        importer.ImportFile(kVRX4File, "");
        EXPECT_TRUE(delegate.errors.empty());
        ASSERT_EQ(delegate.lines.size(), 2u);
        EXPECT_EQ(delegate.lines[0].fields, (Texts{"Mail", "Address", "Password", "Server", "", "", ""}));
        EXPECT_EQ(delegate.counts[1], 11);
        EXPECT_EQ(delegate.lines[1].fields,
                  (Texts{"ann@example.org", "pw", "imap", "", "", "", "", "", "", "", "Old notes"}));
    }
}

TEST_F(ImporterTest, PlainExportLinesComeWithTheirTypeName)
{
    RecordingDelegate delegate;
    CvRXImporter importer(Write("Ostrevin Export File\rLogin,alice,pw,,,,,,,,\"May 01,2020\",notes,Work\r\r\n"),
                          &delegate);
    EXPECT_FALSE(importer.IsFileEncrypted());
    importer.ImportFile(kPlainCSVFile, "");
    ASSERT_EQ(delegate.lines.size(), 1u);
    EXPECT_EQ(delegate.kinds[0], kPlainCSVFile);
    EXPECT_EQ(delegate.counts[0], 12);
    EXPECT_EQ(delegate.lines[0].fields.front(), "Login");
    EXPECT_EQ(delegate.lines[0].category, "Work");
    EXPECT_TRUE(delegate.errors.empty());
}

} // namespace
