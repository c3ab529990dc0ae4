#include "Model/vRX/ExchangeFormats.h"

#include "IndependentCSVReader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

using Texts = std::vector<std::string>;

// A record type or a record as the exporter hands it over and the importer receives it.
struct Line {
    bool isType = false;
    unsigned short icon = 31;
    unsigned short mask = 0;
    Texts fields;        // type: name + 10 labels; record: 9 values, date, notes
    Texts customNames;   // record: 10 labels
    std::string category;
    Texts attachment;    // version 4.0 record: name, pass key, record UID

    bool operator==(const Line& o) const
    {
        return isType == o.isType && icon == o.icon && mask == o.mask && fields == o.fields
               && customNames == o.customNames && category == o.category && attachment == o.attachment;
    }
};

std::ostream& operator<<(std::ostream& out, const Line& line)
{
    out << (line.isType ? "type" : "record") << " icon " << line.icon << " mask " << line.mask << " fields [";
    for (const auto& f : line.fields)
        out << '"' << f.substr(0, 40) << "\" ";
    out << "] labels " << line.customNames.size() << " category \"" << line.category << "\" attachment [";
    for (const auto& a : line.attachment)
        out << '"' << a << "\" ";
    return out << "]";
}

void Fill(CStringArray& list, const Texts& texts)
{
    for (const auto& text : texts)
        list.Add(text.c_str());
}

Texts TextsOf(const CStringArray& list)
{
    Texts texts;
    for (short i = 0; i < list.GetSize(); ++i)
        texts.emplace_back(list.GetAt(i));
    return texts;
}

BLOWFISH_CTX KeyOf(const std::string& password)
{
    BLOWFISH_CTX key;
    Blowfish_Init(&key, reinterpret_cast<const unsigned char*>(password.data()), password.size());
    return key;
}

const BLOWFISH_CTX kKeyAB = KeyOf("ab");

// Writes a whole vRX file the way the exporter does.
std::string WriteVRX(EFileType kind, const BLOWFISH_CTX* key, const std::vector<Line>& lines)
{
    std::string out;
    WriteHeader(kind, out, key);
    for (const Line& line : lines) {
        CStringArray fields, customNames, attachment;
        Fill(fields, line.fields);
        Fill(customNames, line.customNames);
        Fill(attachment, line.attachment);
        if (line.isType)
            WriteNextVRXType(out, kind, key, fields, line.mask, line.icon);
        else
            WriteNextVRXRecord(out, kind, key, fields, line.mask, customNames, CString(line.category.c_str()),
                               attachment, line.icon, false);
    }
    return out;
}

struct ReadResult {
    std::vector<Line> lines;
    int damaged = 0;
};

// Reads every line of a file the way the importer does.
ReadResult ReadAll(EFileType kind, std::string_view text, const BLOWFISH_CTX* key)
{
    ReadResult result;
    TextCursor cursor = text;
    for (;;) {
        CStringArray fields, customNames, attachment;
        CString category;
        Line line;
        bool damaged = false;
        const auto next = GetNextRecord(kind, cursor, key, fields, line.mask, customNames, category, attachment,
                                        line.icon, line.isType, damaged);
        if (!next)
            break;
        EXPECT_TRUE(next->size() < cursor.size() || IsTextEnd(cursor)) << "the reader did not move";
        cursor = *next;
        if (fields.GetSize() < 2 && IsTextEnd(cursor))
            break;
        if (damaged) {
            ++result.damaged;
            continue;
        }
        line.fields = TextsOf(fields);
        line.customNames = TextsOf(customNames);
        line.attachment = TextsOf(attachment);
        line.category = static_cast<const char*>(category);
        result.lines.push_back(line);
    }
    return result;
}

Line Type(const std::string& name, unsigned short icon, unsigned short mask)
{
    Line type;
    type.isType = true;
    type.icon = icon;
    type.mask = mask;
    type.fields = {name, "User", "Password", "URL", "", "", "", "", "", "", "Date"};
    return type;
}

Line Record(Texts values, const std::string& notes, const std::string& category, unsigned short icon = 31,
            unsigned short mask = 0)
{
    Line record;
    record.icon = icon;
    record.mask = mask;
    values.resize(9);
    record.fields = values;
    record.fields.push_back("January 05,2009");
    record.fields.push_back(notes);
    record.customNames = Texts(10);
    record.category = category;
    return record;
}

Line WithAttachment(Line record, Texts attachment)
{
    record.attachment = std::move(attachment);
    return record;
}

// Enough of everything that a format can get wrong.
std::vector<Line> SampleLines(EFileType kind)
{
    std::string longNotes;
    while (longNotes.size() < 100000)
        longNotes += "Line with \"quotes\", commas and Grüße €\r";
    Line custom = Record({"bob", "pa,ss\"word"}, "", "Work, \"Team\"", 12, 0x0002);
    custom.customNames = {"Login", "", "", "", "", "", "", "", "", "Changed"};
    std::vector<Line> lines = {
        Type("Login", 31, 0x0002),
        Record({"alice", "secret"}, "note", "Personal"),
        Record({" leading blank", "trailing blank "}, "first line\rsecond line", "Grüppe"),
        custom,
        Type("Bank", 5, 0),
        Record({"Ünïcødé €", "\xE2\x82\xAC"}, longNotes, "Personal"),
        Type("Login", 31, 0x0002),   // a type comes again when its records are not adjacent
        Record({std::string(5000, 'v')}, "x", "Personal"),
    };
    if (kind == kVRX4File) {
        for (Line& line : lines) {
            if (!line.isType)
                line.attachment = {"", "", ""};
        }
        lines[1] = WithAttachment(lines[1], {"scan, page 1.pdf", "Pk3x9", "0123456789ABCDEF"});
    }
    return lines;
}

// One block of eight letters: a writer always puts a NUL after the text.
std::string EncipheredWithoutNul()
{
    unsigned char block[8] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};
    BlowfishEncryptToBuffer(&kKeyAB, block, block, 8);
    std::string hex;
    WriteHexBytes(hex, block, 8, false);
    return hex;
}

QByteArray ReadTestData(const QString& name)
{
    QFile file(QStringLiteral(OSTREVIN_EXCHANGE_TEST_DATA "/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

} // namespace

TEST(FileKind, DetectedFromTheFirstBytes)
{
    const struct {
        std::string text;
        EFileType kind;
    } cases[] = {
        {"Ostrevin vRX File -v1.0\rF\r", kVRX1File},
        {"Ostrevin vRX File -v2.0\r", kVRX2File},
        {"Ostrevin vRX File -v3.0xyz", kVRX3File},
        {"Ostrevin vRX File -v4.0", kVRX4File},
        {"Ostrevin vRX File -v5.0\r", kOtherVRXFile},
        {"Ostrevin vRX File", kOtherVRXFile},
        {"Ostrevin vRX File -v3", kOtherVRXFile},
        {"Ostrevin Export File\r", kPlainCSVFile},
        {std::string(kOstrelUserCSVHeader) + "\ralice", kUserCSVFile},
        {"Username, Password", kOtherTextFile},
        {"", kOtherTextFile},
        {"ostrevin vrx file -v3.0", kOtherTextFile},
        {"a,b\x1D\t\f\v", kOtherTextFile},
        {"Ostrevin vRX File -v3.0\r\x01", kNotTextFile},
        {"text\0more"s, kNotTextFile},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetFileType(c.text), c.kind) << c.text;
}

TEST(FileHeader, HeaderAndInfoLines)
{
    const struct {
        EFileType kind;
        const BLOWFISH_CTX* key;
        std::string expected;
    } cases[] = {
        {kVRX3File, nullptr, "Ostrevin vRX File -v3.0\rF\r"},
        {kVRX4File, nullptr, "Ostrevin vRX File -v4.0\rF\r"},
        {kVRX4File, &kKeyAB,
         "Ostrevin vRX File -v4.0\rT,893487316A92B8060E0F9395FBCBD6E7A594875BE562430A4F084E71A8F0374FD7469FD9752D251D\r"},
        {kPlainCSVFile, nullptr, "Ostrevin Export File\r"},
        {kOtherTextFile, &kKeyAB, "Ostrevin Export File\r"},
        {kUserCSVFile, nullptr, std::string(kOstrelUserCSVHeader) + "\r"},
    };
    for (const auto& c : cases) {
        std::string out;
        WriteHeader(c.kind, out, c.key);
        EXPECT_EQ(out, c.expected) << "kind " << c.kind;
    }
}

TEST(FileHeader, PasswordCheck)
{
    std::string withPassword;
    WriteHeader(kVRX3File, withPassword, &kKeyAB);
    std::string withoutPassword;
    WriteHeader(kVRX3File, withoutPassword, nullptr);
    std::string lowerCase = withPassword;
    for (size_t i = lowerCase.find(',') + 1; i < lowerCase.size(); ++i)
        lowerCase[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lowerCase[i])));
    const BLOWFISH_CTX wrong = KeyOf("ba");
    const BLOWFISH_CTX longer = KeyOf("abc");

    const struct {
        std::string text;
        const BLOWFISH_CTX* key;
        int expected;
    } cases[] = {
        {withPassword, &kKeyAB, 0},
        {withPassword, &wrong, 1},
        {withPassword, &longer, 1},
        {withPassword, nullptr, 1},
        {withoutPassword, &kKeyAB, 0},
        {withoutPassword, nullptr, 0},
        {lowerCase, &kKeyAB, 1},
        {"Ostrevin vRX File -v1.0\rT,\r", &kKeyAB, 1},
        {"Ostrevin vRX File -v1.0\rT,9C15\r", &kKeyAB, 1},
        {"Ostrevin vRX File -v2.0", &kKeyAB, 0},
        {"Ostrevin Export File\rT,9C154B6ED8F43531\r", &kKeyAB, -1},
        {"Ostrevin vRX File -v5.0\rT\r", &kKeyAB, -1},
        {"Name,Value\rTom,1\r", nullptr, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProcessVRXInfo(c.text, c.key), c.expected) << c.text;

    EXPECT_TRUE(CheckForEncryption(withPassword));
    EXPECT_FALSE(CheckForEncryption(withoutPassword));
    // Only a vRX file has an info line: a CSV line that begins with T says nothing.
    EXPECT_FALSE(CheckForEncryption("Name,Value\rTom,1\r"));
}

TEST(VRXWriter, GoldenFiles)
{
    Line custom = Record({"bob", "pa,ss\"word"}, "", "Work", 12, 2);
    custom.customNames = {"Login", "", "", "", "", "", "", "", "", "Changed"};
    std::vector<Line> lines = {
        Type("Login", 31, 2),
        Record({"alice", "secret"}, "note", "Personal"),
        Record({" x"}, "first line\rsecond", "Personal"),
        custom,
    };
    EXPECT_EQ(QByteArray::fromStdString(WriteVRX(kVRX3File, nullptr, lines)), ReadTestData("v3-plain.vrx"));
    EXPECT_EQ(QByteArray::fromStdString(WriteVRX(kVRX3File, &kKeyAB, lines)), ReadTestData("v3-ab.vrx"));

    lines[1] = WithAttachment(lines[1], {"scan.pdf", "Pk3x9", "0123456789ABCDEF"});
    lines[2].attachment = lines[3].attachment = {"", "", ""};
    EXPECT_EQ(QByteArray::fromStdString(WriteVRX(kVRX4File, nullptr, lines)), ReadTestData("v4-plain.vrx"));
    EXPECT_EQ(QByteArray::fromStdString(WriteVRX(kVRX4File, &kKeyAB, lines)), ReadTestData("v4-ab.vrx"));
}

TEST(VRXWriter, EnciphersTextFieldsOnly)
{
    const struct {
        std::string text;
        size_t digits;
    } cases[] = {{"", 16}, {"1234567", 16}, {"12345678", 32}, {std::string(5000, 'n'), 10016}};
    for (const auto& c : cases) {
        std::string out;
        WriteFieldString(out, &kKeyAB, c.text);
        EXPECT_EQ(out.size(), c.digits) << c.text.size() << " characters";
        EXPECT_EQ(out.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    }
    std::string empty;
    WriteFieldString(empty, &kKeyAB, "");
    EXPECT_EQ(empty, "9C154B6ED8F43531");

    CStringArray fields;
    fields.Add("Login");
    std::string typeLine;
    WriteNextVRXType(typeLine, kVRX3File, &kKeyAB, fields, 1023, 65535);
    // Flag, icon and mask stay readable; the name and the ten missing labels are enciphered.
    EXPECT_EQ(typeLine.substr(0, 8), "T,65535,");
    EXPECT_EQ(typeLine.substr(typeLine.size() - 7), ",1023,\r");
    EXPECT_EQ(std::count(typeLine.begin(), typeLine.end(), ','), 2 + 11 + 1);
}

TEST(VRXWriter, RecordLinesAlwaysHaveTheirFullLayout)
{
    CStringArray fields, none;
    fields.Add("only value");
    std::string line;
    WriteNextVRXRecord(line, kVRX4File, nullptr, fields, 0, none, CString("Group"), none, 31, false);
    // Values 2 to 9, the date and the three attachment fields are there, empty.
    EXPECT_EQ(line, "F,31,only value,,,,,,,,,,,,,0,,,,,,,,,,,Group,\r");
}

TEST(VRXRoundTrip, EveryVersionWrittenReadsBackWhole)
{
    const struct {
        EFileType kind;
        const BLOWFISH_CTX* key;
    } formats[] = {{kVRX3File, nullptr}, {kVRX3File, &kKeyAB}, {kVRX4File, nullptr}, {kVRX4File, &kKeyAB}};
    for (const auto& format : formats) {
        SCOPED_TRACE("kind " + std::to_string(format.kind) + (format.key ? " with password" : " without password"));
        const std::vector<Line> lines = SampleLines(format.kind);
        const std::string file = WriteVRX(format.kind, format.key, lines);
        ASSERT_EQ(GetFileType(file), format.kind);
        EXPECT_EQ(CheckForEncryption(file), format.key != nullptr);
        EXPECT_EQ(ProcessVRXInfo(file, format.key), 0);
        const ReadResult read = ReadAll(format.kind, file, format.key);
        EXPECT_EQ(read.damaged, 0);
        ASSERT_EQ(read.lines.size(), lines.size());
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(read.lines[i], lines[i]) << "line " << i;
    }
}

TEST(VRXRoundTrip, EmptyNotesEndTheLineWithTheCategory)
{
    const std::string file = WriteVRX(kVRX3File, nullptr, {Record({"a"}, "", "Personal")});
    EXPECT_EQ(file.substr(file.size() - 11), ",Personal,\r");
    const ReadResult read = ReadAll(kVRX3File, file, nullptr);
    ASSERT_EQ(read.lines.size(), 1u);
    EXPECT_EQ(read.lines[0].fields.back(), "");
}

TEST(VRXReader, ReadsHandWrittenVersion1And2Files)
{
    // Version 1.0: six values and the notes; version 2.0 adds mask, custom labels and category.
    const std::string v1 = "Ostrevin vRX File -v1.0\rF\r"
                           "T,7,Login,User,Password,URL,,,,ignored,too\r"
                           "F,7,alice,secret,www,,,,\"my, notes\"\n"
                           "F,7,bob\r";
    ReadResult read = ReadAll(kVRX1File, v1, nullptr);
    ASSERT_EQ(read.lines.size(), 3u);
    EXPECT_TRUE(read.lines[0].isType);
    EXPECT_EQ(read.lines[0].fields, (Texts{"Login", "User", "Password", "URL", "", "", ""}));
    EXPECT_EQ(read.lines[1].fields, (Texts{"alice", "secret", "www", "", "", "", "", "", "", "", "my, notes"}));
    EXPECT_EQ(read.lines[1].icon, 7);
    EXPECT_EQ(read.lines[2].fields, (Texts{"bob"}));

    const std::string v2 = "Ostrevin vRX File -v2.0\r\nF\r\n"
                           "T,9,Bank,Account,PIN,,,,,6\r\n"
                           "F,9,123,4711,,,,,6,Konto,,,,,,Finanzen,Notiz\r\n"
                           "F,9,456,0815,,,,,6,Konto,Geheim,Finanzen\r\n";
    read = ReadAll(kVRX2File, v2, nullptr);
    ASSERT_EQ(read.lines.size(), 3u);
    EXPECT_EQ(read.lines[0].mask, 6);
    EXPECT_EQ(read.lines[1].fields, (Texts{"123", "4711", "", "", "", "", "", "", "", "", "Notiz"}));
    EXPECT_EQ(read.lines[1].customNames, (Texts{"Konto", "", "", "", "", ""}));
    EXPECT_EQ(read.lines[1].category, "Finanzen");
    EXPECT_EQ(read.lines[1].mask, 6);
    // A short line: the custom labels take what there is; category and notes stay empty.
    EXPECT_EQ(read.lines[2].customNames, (Texts{"Konto", "Geheim", "Finanzen"}));
    EXPECT_EQ(read.lines[2].category, "");
    EXPECT_EQ(read.lines[2].fields.back(), "");
}

TEST(VRXReader, DamagedLinesAreReportedAndTheRestIsRead)
{
    const std::string good = WriteVRX(kVRX3File, nullptr, {Record({"good"}, "n", "G")});
    const std::string goodLine = good.substr(good.find("\rF,") + 1);
    std::string enciphered = WriteVRX(kVRX3File, &kKeyAB, {Record({"good"}, "n", "G")});
    const std::string encipheredLine = enciphered.substr(enciphered.rfind("\rF,") + 1);

    auto replaceFirstField = [&](std::string hex) {
        std::string line = encipheredLine;
        return line.replace(5, 16, hex);
    };
    const struct {
        const char* what;
        std::string line;
        const BLOWFISH_CTX* key;
    } cases[] = {
        {"cut after the values", "F,31,a,b,c,d,e,f,g,h,i,date\r", nullptr},
        {"cut in the custom labels", "F,31,a,b,c,d,e,f,g,h,i,date,0,l1,l2\r", nullptr},
        {"fields after the notes", goodLine.substr(0, goodLine.size() - 1) + ",extra,more\r", nullptr},
        {"type without mask", "T,31,Login,1,2,3,4,5,6,7,8,9,10\r", nullptr},
        {"type with surplus", "T,31,Login,1,2,3,4,5,6,7,8,9,10,0,extra\r", nullptr},
        {"flag alone", "F\r", nullptr},
        {"flag and icon alone", "F,31\r", nullptr},
        {"odd hex", replaceFirstField("9C154B6ED8F4353"), &kKeyAB},
        {"lower-case hex", replaceFirstField("9c154b6ed8f43531"), &kKeyAB},
        {"not a whole block", replaceFirstField("9C154B6ED8F4"), &kKeyAB},
        {"plain text for hex", replaceFirstField("alice,,,,,,,,,"), &kKeyAB},
        {"no NUL in the block", replaceFirstField(EncipheredWithoutNul()), &kKeyAB},
    };
    for (const auto& c : cases) {
        const std::string text = "Ostrevin vRX File -v3.0\rF\r" + c.line + (c.key ? encipheredLine : goodLine);
        const ReadResult read = ReadAll(kVRX3File, text, c.key);
        EXPECT_EQ(read.damaged, 1) << c.what;
        ASSERT_EQ(read.lines.size(), 1u) << c.what;
        EXPECT_EQ(read.lines[0].fields[0], "good") << c.what;
    }
}

TEST(VRXReader, KindsWithoutRecordsGiveNoCursor)
{
    CStringArray fields, names, attachment;
    CString category("old");
    unsigned short mask = 9, icon = 9;
    bool isType = true, damaged = true;
    for (EFileType kind : {kOtherVRXFile, kUserCSVFile, kNotTextFile}) {
        EXPECT_FALSE(GetNextRecord(kind, "F,31,a\r", nullptr, fields, mask, names, category, attachment, icon, isType,
                                   damaged));
        EXPECT_EQ(mask, 0);
        EXPECT_EQ(icon, 0);
        EXPECT_FALSE(isType);
        EXPECT_TRUE(category.IsEmpty());
    }
}

TEST(PlainCSV, ExportLinesReadBackAndAnIndependentReaderAgrees)
{
    std::string longNotes;
    while (longNotes.size() < 20000)
        longNotes += "Notes, \"quoted\" and Grüße €\r";
    const std::vector<Texts> records = {
        {"Login", "alice", "secret", "", "", "", "", "", "", "", "January 05,2009", "note", "Personal"},
        {"Bank", "Ünïcødé", "pa,ss\"word", " lead", "", "", "", "", "", "", "March 01,2010", longNotes, "Work, \"Team\""},
        {"Login", "x", "", "", "", "", "", "", "", "", "", "", ""},
        // Type names that look like a file header must not be skipped as one.
        {"Ostrevin Export File", "", "", "", "", "", "", "", "", "", "", "", "Personal"},
        {"Ostrevin vRX File -v1.0 type", "", "", "", "", "", "", "", "", "", "", "", ""},
    };
    std::string file;
    WriteHeader(kPlainCSVFile, file, &kKeyAB);   // a plain export is never enciphered
    for (const Texts& record : records) {
        CStringArray fields;
        Fill(fields, Texts(record.begin(), record.end() - 1));
        WriteNextRecord(file, fields, CString(record.back().c_str()));
    }
    EXPECT_EQ(file.rfind("Ostrevin Export File\rLogin,alice,secret,,,,,,,,\"January 05,2009\",note,Personal\r"
                         "Bank,Ünïcødé,\"pa,ss\"\"word\",\" lead\",",
                         0),
              0u);

    TextCursor cursor = file;
    for (const Texts& record : records) {
        CStringArray fields;
        CString category;
        bool damaged = true;
        cursor = ProcessOstrevinRecord(cursor, fields, category, damaged);
        EXPECT_FALSE(damaged);
        EXPECT_EQ(TextsOf(fields), Texts(record.begin(), record.end() - 1));
        EXPECT_STREQ(category, record.back().c_str());
    }

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile out(folder.filePath("export.csv"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(file.data(), static_cast<qint64>(file.size()));
    out.close();
    const auto rows = ReadWithIndependentCSVReader(out.fileName());
    ASSERT_TRUE(rows.has_value()) << "python3 could not read the file";
    ASSERT_EQ(rows->size(), static_cast<qsizetype>(records.size() + 1));
    EXPECT_EQ(rows->at(0), QStringList{"Ostrevin Export File"});
    for (size_t i = 0; i < records.size(); ++i) {
        QStringList expected;
        for (const auto& field : records[i])
            expected << QString::fromStdString(field);
        EXPECT_EQ(rows->at(static_cast<qsizetype>(i + 1)), expected) << "record " << i;
    }
}

TEST(PlainCSV, FieldCountsDecideTheCategory)
{
    const struct {
        const char* line;
        short fields;
        const char* category;
        bool damaged;
        const char* next;
    } cases[] = {
        {"a,b,c\rnext", 3, "", false, "\rnext"},
        {"1,2,3,4,5,6,7,8,9,10,11,12\rnext", 12, "", false, "\rnext"},
        {"1,2,3,4,5,6,7,8,9,10,11,12,cat\rnext", 12, "cat", false, "\rnext"},
        // A 14th field is surplus: it must not start a record of its own.
        {"1,2,3,4,5,6,7,8,9,10,11,12,cat,extra,\"more\r\"\rnext", 12, "cat", true, "\rnext"},
        {"Ostrevin Export File\r\r1,2\r", 2, "", false, "\r"},
        {"Ostrevin vRX File -v1.0\rF\r1,2\r", 2, "", false, "\r"},
    };
    for (const auto& c : cases) {
        CStringArray fields;
        CString category;
        bool damaged = !c.damaged;
        const TextCursor rest = ProcessOstrevinRecord(c.line, fields, category, damaged);
        EXPECT_EQ(fields.GetSize(), c.fields) << c.line;
        EXPECT_STREQ(category, c.category) << c.line;
        EXPECT_EQ(damaged, c.damaged) << c.line;
        EXPECT_EQ(std::string(rest), c.next) << c.line;
    }
}

TEST(UserCSV, LinesWrittenAreReadBack)
{
    CStringArray text, permissions;
    Fill(text, {"alice", "p,w", "p,w", "Alice \"Al\" A", "Ünïcødé", "alice@example.org", "+1 555"});
    Fill(permissions, {"7", "7", "7", "63"});
    std::string file;
    WriteHeader(kUserCSVFile, file, nullptr);
    WriteNextCSVUserRecord(file, text, permissions);
    file += "\r\n\r\n";
    WriteNextCSVUserRecord(file, text, permissions);
    EXPECT_EQ(GetFileType(file), kUserCSVFile);
    EXPECT_NE(file.find("\ralice,\"p,w\",\"p,w\",\"Alice \"\"Al\"\" A\",Ünïcødé,alice@example.org,+1 555,7,7,7,63,\r"),
              std::string::npos);

    TextCursor cursor = file;
    for (int i = 0; i < 2; ++i) {
        CStringArray readText, readPermissions;
        bool damaged = true;
        cursor = GetCSVUserRecord(cursor, readText, readPermissions, damaged);
        EXPECT_FALSE(damaged);
        EXPECT_EQ(TextsOf(readText), TextsOf(text));
        EXPECT_EQ(TextsOf(readPermissions), TextsOf(permissions));
        EXPECT_TRUE(IsLineEmpty(cursor));
    }
    CStringArray rest, restPermissions;
    bool damaged = true;
    cursor = GetCSVUserRecord(cursor, rest, restPermissions, damaged);
    EXPECT_EQ(rest.GetSize(), 0);
    EXPECT_TRUE(IsTextEnd(cursor));
}

TEST(UserCSV, ShortAndLongLines)
{
    CStringArray text, permissions;
    bool damaged = true;
    TextCursor cursor = GetCSVUserRecord("bob,pw\rnext", text, permissions, damaged);
    EXPECT_EQ(text.GetSize(), 2);
    EXPECT_EQ(permissions.GetSize(), 0);
    EXPECT_FALSE(damaged);
    EXPECT_EQ(std::string(cursor), "\rnext");

    CStringArray text2, permissions2;
    cursor = GetCSVUserRecord("1,2,3,4,5,6,7,8,9,10,11,12,13\rnext", text2, permissions2, damaged);
    EXPECT_EQ(text2.GetSize(), 7);
    EXPECT_EQ(permissions2.GetSize(), 4);
    EXPECT_TRUE(damaged);
    EXPECT_EQ(std::string(cursor), "\rnext");
}
