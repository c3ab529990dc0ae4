// The import into the vault against the server: how the lines of a file become types, custom
// types and records of the target group, which lines are counted as failed and why, and that a
// refused file changes nothing.
#include "ExchangeVaultFixture.h"

#include "Model/Database_Engine/OTVDataBaseQueries.h"
#include "Model/vRX/ExchangeFormats.h"
#include "Model/vRX/OTVFileCrypter.h"
#include "Model/OTVStatusMessages.h"

#include <QDir>

#include <functional>
#include <stdexcept>

namespace {

const QDateTime kNow(QDate(2024, 5, 6), QTime(7, 8, 9));

QDateTime fixedNow()
{
    return kNow;
}

QString at(QDate day)
{
    return OTVRecord::modificationDateText(QDateTime(day, QTime(0, 0)));
}

// A file of the exchange formats, line by line, through the exporter's own line writers.
class FileBuilder {
public:
    explicit FileBuilder(EFileType kind, const std::string& password = {})
        : kind_(kind)
    {
        if (!password.empty()) {
            key_ = std::make_unique<BLOWFISH_CTX>();
            Blowfish_Init(key_.get(), reinterpret_cast<const unsigned char*>(password.data()), password.size());
        }
        WriteHeader(kind, text_, key_.get());
    }

    FileBuilder& type(const char* name, unsigned short icon, unsigned short mask, std::vector<std::string> labels = {})
    {
        labels.resize(10);
        CStringArray fields;
        fields.Add(name);
        for (const std::string& label : labels)
            fields.Add(label.c_str());
        WriteNextVRXType(text_, kind_, key_.get(), fields, mask, icon);
        return *this;
    }
    FileBuilder& record(std::vector<std::string> values, const char* date, const char* notes, unsigned short icon,
                        unsigned short mask, std::vector<std::string> labels = {},
                        std::vector<std::string> attachment = {"", "", "0000000000000000"})
    {
        values.resize(9);
        labels.resize(10);
        CStringArray fields, customNames, files;
        for (const std::string& value : values)
            fields.Add(value.c_str());
        fields.Add(date);
        fields.Add(notes);
        for (const std::string& label : labels)
            customNames.Add(label.c_str());
        for (const std::string& entry : attachment)
            files.Add(entry.c_str());
        WriteNextVRXRecord(text_, kind_, key_.get(), fields, mask, customNames, CString("Group"), files, icon, false);
        return *this;
    }
    FileBuilder& raw(const std::string& line)
    {
        text_ += line + "\r";
        return *this;
    }
    QByteArray text() const { return QByteArray::fromStdString(text_); }

private:
    EFileType kind_;
    std::unique_ptr<BLOWFISH_CTX> key_;
    std::string text_;
};

// Hands every call on to the vault's delegate, and throws at one record line, as a failure
// inside the reader would.
class ThrowingAtRecord final : public CvRXImporterDelegate {
public:
    ThrowingAtRecord(CvRXImporterDelegate& delegate, int line, std::function<void()> fail)
        : delegate_(delegate), line_(line), fail_(std::move(fail))
    {
    }

    void CreateType(const CStringArray& fields, unsigned short icon, unsigned short mask, unsigned short count) override
    {
        delegate_.CreateType(fields, icon, mask, count);
    }
    void AddRecord(EFileType kind, const CStringArray& fields, const CStringArray& customNames,
                   const CStringArray& attachment, const CString& category, unsigned short icon, unsigned short mask,
                   unsigned short count) override
    {
        if (++seen_ == line_)
            fail_();
        delegate_.AddRecord(kind, fields, customNames, attachment, category, icon, mask, count);
    }
    void ImportComplete() override { delegate_.ImportComplete(); }
    void ErrorInImport(int code) override { delegate_.ErrorInImport(code); }

private:
    CvRXImporterDelegate& delegate_;
    int line_;
    std::function<void()> fail_;
    int seen_ = 0;
};

class VaultImport : public ExchangeVaultTest {
protected:
    void SetUp() override
    {
        ExchangeVaultTest::SetUp();
        work = addGroup(QStringLiteral("Work"));
    }

    ImportResult importText(const QByteArray& text, const std::string& password = {},
                            const QString& name = QStringLiteral("import.vrx"))
    {
        return importInto(work, writeFile(files, name, text), password, &fixedNow);
    }

    std::shared_ptr<OTVType> typeNamed(const QString& name) const
    {
        for (const std::shared_ptr<OTVType>& type : store->mTypes()) {
            if (type->mTypeName() == name)
                return type;
        }
        return nullptr;
    }

    std::shared_ptr<BKGroup> work;
};

TEST_F(VaultImport, HandMadeVersionOneAndTwoFiles)
{
    const ImportResult v1 = importText("Ostrevin vRX File -v1.0\rF\r"
                                       "T,12,Mail,Address,Password,Server,,,,ignored\r"
                                       "F,12,ann@example.org,pw,imap.example.org,,,,Old notes\r");
    EXPECT_EQ(v1.imported, 1);
    EXPECT_EQ(v1.failed, 0);
    auto ann = recordWithValue1(QStringLiteral("ann@example.org"));
    ASSERT_TRUE(ann);
    EXPECT_EQ(ann->value(3), QStringLiteral("imap.example.org"));
    EXPECT_EQ(ann->value(kNoOfFields), OTVRecord::modificationDateText(kNow));   // the file has no date
    EXPECT_EQ(ann->mNotes(), QStringLiteral("Old notes"));
    EXPECT_FALSE(ann->mIsCustomized());
    EXPECT_EQ(ann->mGroup(), work);
    const std::shared_ptr<OTVType> mail = ann->mType();
    EXPECT_EQ(mail->mTypeName(), QStringLiteral("Mail"));
    EXPECT_EQ(mail->label(3), QStringLiteral("Server"));
    EXPECT_EQ(mail->label(7), QStringLiteral("Field 7"));   // version 1.0 has six labels
    EXPECT_EQ(mail->mTypeIconID(), 12);

    // Version 2.0 adds masks, six custom labels and the category; its type of the same name is
    // the vault's type now.
    const ImportResult v2 = importText("Ostrevin vRX File -v2.0\rF\r"
                                       "T,12,Mail,Address,Password,Server,,,,4,\r"
                                       "F,12,bob@example.org,pw,imap,,,,4,Mailbox,,,,,,Home,Notes\r");
    EXPECT_EQ(v2.imported, 1);
    auto bob = recordWithValue1(QStringLiteral("bob@example.org"));
    ASSERT_TRUE(bob);
    EXPECT_EQ(bob->mType(), mail);
    ASSERT_TRUE(bob->mIsCustomized());
    EXPECT_EQ(bob->mRecordCustomType()->label(1), QStringLiteral("Mailbox"));
    EXPECT_EQ(bob->mRecordCustomType()->label(2), QStringLiteral("Password"));
    EXPECT_EQ(bob->mNotes(), QStringLiteral("Notes"));
    EXPECT_EQ(rows("TYPETABLE"), 1);
    EXPECT_EQ(rows("RECORDTABLE"), 2);
    EXPECT_EQ(rows("CUSTOMTYPETABLE"), 1);
}

// Each type line is resolved once: a vault type of the same name is reused as it is (its group
// choice untouched), a new one is added once, and a second import into another group adds no
// type at all.
TEST_F(VaultImport, TypesAreResolvedOncePerNameAcrossImports)
{
    auto login = addType(QStringLiteral("Login"), 12, 2, {"User", "Password"});
    auto home = addGroup(QStringLiteral("Home"));
    const QByteArray text = FileBuilder(kVRX3File)
                                .type("Login", 12, 2, {"User", "Password"})
                                .record({"a1"}, "May 01,2020", "", 12, 2)
                                .record({"a2"}, "May 01,2020", "", 12, 2)
                                .type("Bank", 5, 0, {"Account"})
                                .record({"b1"}, "May 01,2020", "", 5, 0)
                                .record({"b2"}, "May 01,2020", "", 5, 0)
                                .type("Login", 12, 2, {"User", "Password"})
                                .record({"a3"}, "May 01,2020", "", 12, 2)
                                .text();
    const std::string file = writeFile(files, QStringLiteral("types.vrx"), text);
    EXPECT_EQ(importInto(work, file).imported, 5);
    EXPECT_EQ(importInto(home, file).imported, 5);

    EXPECT_EQ(rows("TYPETABLE"), 2);
    EXPECT_EQ(store->mTypes().size(), 2);
    EXPECT_EQ(store->logged(QStringLiteral("Add Type"), QStringLiteral("Type Added Successfully")), 2);   // ours and Bank
    EXPECT_EQ(login->mSelectedGroupUID(), QString());
    const std::shared_ptr<OTVType> bank = typeNamed(QStringLiteral("Bank"));
    ASSERT_TRUE(bank);
    EXPECT_EQ(bank->mSelectedGroupUID(), work->mGroupUID());
    for (const std::shared_ptr<OTVRecord>& record : store->mRecords()) {
        EXPECT_EQ(record->mType(), record->value(1).startsWith('a') ? login : bank) << record->value(1).toStdString();
        EXPECT_FALSE(record->mIsCustomized());
    }
    EXPECT_EQ(rows("RECORDTABLE"), 10);
}

// What a line's icon, mask, labels and date make of the record and its type.
TEST_F(VaultImport, LineLookAndDateOfTheRecord)
{
    const ImportResult result = importText(FileBuilder(kVRX3File)
                                               .type("Odd", 0, 1)
                                               .record({"same"}, "July 04,2019", "", 31, 1)
                                               .record({"icon 300"}, "", "", 300, 1)
                                               .record({"mask"}, "Someday 99,20x", "", 31, 6)
                                               .record({"labels"}, "July 04,2019", "", 31, 1, {"", "Own"})
                                               .text());
    EXPECT_EQ(result.imported, 4);
    const std::shared_ptr<OTVType> odd = typeNamed(QStringLiteral("Odd"));
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->mTypeIconID(), kDefaultIconID);   // icon 0

    const auto same = recordWithValue1(QStringLiteral("same"));
    EXPECT_FALSE(same->mIsCustomized());
    EXPECT_EQ(same->value(kNoOfFields), at(QDate(2019, 7, 4)));

    const auto icon = recordWithValue1(QStringLiteral("icon 300"));
    ASSERT_TRUE(icon->mIsCustomized());
    EXPECT_EQ(icon->mRecordCustomType()->mTypeIconID(), kDefaultIconID);
    EXPECT_EQ(icon->value(kNoOfFields), OTVRecord::modificationDateText(kNow));   // no date

    const auto mask = recordWithValue1(QStringLiteral("mask"));
    ASSERT_TRUE(mask->mIsCustomized());
    EXPECT_EQ(mask->mRecordCustomType()->mTypeMask(), 6);
    EXPECT_EQ(mask->value(kNoOfFields), OTVRecord::modificationDateText(kNow));   // unreadable date

    const auto labels = recordWithValue1(QStringLiteral("labels"));
    ASSERT_TRUE(labels->mIsCustomized());
    EXPECT_EQ(labels->mRecordCustomType()->label(1), QStringLiteral(""));   // the type's, empty in the file
    EXPECT_EQ(labels->mRecordCustomType()->label(2), QStringLiteral("Own"));
    EXPECT_EQ(rows("CUSTOMTYPETABLE"), 3);
}

// The plain export names the type on every line and has no look: the records get a type of
// that name and the default look of their own.
TEST_F(VaultImport, PlainExportLines)
{
    const ImportResult result = importText("Ostrevin Export File\r"
                                           "Login,alice,pw,,,,,,,,\"May 01,2020\",\"two\rlines\",Work\r"
                                           "Login,bob,,,,,,,,,,,\r"
                                           "Bank,carol,1234,,,,,,,,\"June 30,2021\",x,Home\r",
                                           {}, QStringLiteral("export.csv"));
    EXPECT_EQ(result.imported, 3);
    EXPECT_EQ(rows("TYPETABLE"), 2);
    const auto alice = recordWithValue1(QStringLiteral("alice"));
    ASSERT_TRUE(alice);
    EXPECT_EQ(alice->value(2), QStringLiteral("pw"));
    EXPECT_EQ(alice->value(kNoOfFields), at(QDate(2020, 5, 1)));
    EXPECT_EQ(alice->mNotes(), QStringLiteral("two\nlines"));
    EXPECT_EQ(alice->mType()->mTypeName(), QStringLiteral("Login"));
    EXPECT_EQ(alice->mType()->mTypeIconID(), kDefaultIconID);
    EXPECT_FALSE(alice->mIsCustomized());
    EXPECT_FALSE(alice->mRecordCustomType());
    EXPECT_EQ(recordWithValue1(QStringLiteral("bob"))->mType(), alice->mType());
    EXPECT_EQ(recordWithValue1(QStringLiteral("carol"))->mType()->mTypeName(), QStringLiteral("Bank"));
}

// A spreadsheet ends its lines with LF and keeps a cell's line break as LF inside the quotes:
// the break stays, and the words on either side stay apart.
TEST_F(VaultImport, ALineBreakInsideQuotesStaysALineBreak)
{
    const ImportResult result = importText("Ostrevin Export File\n"
                                           "Login,dave,\"pass\nword\",,,,,,,,\"May 01,2020\",\"first line\nsecond line\",Work\n"
                                           "Login,erin,pw,,,,,,,,,,Work\n",
                                           {}, QStringLiteral("sheet.csv"));
    EXPECT_EQ(result.imported, 2);
    EXPECT_EQ(result.failed, 0);
    const auto dave = recordWithValue1(QStringLiteral("dave"));
    ASSERT_TRUE(dave);
    EXPECT_EQ(dave->value(2), QStringLiteral("pass\nword"));
    EXPECT_EQ(dave->mNotes(), QStringLiteral("first line\nsecond line"));
    EXPECT_TRUE(recordWithValue1(QStringLiteral("erin")));
}

// A plain line names a type of the vault and carries no mask: its record keeps the type's mask
// and icon (no custom type is stored for it), so its password stays masked.
TEST_F(VaultImport, PlainLinesKeepTheMaskAndIconOfTheirType)
{
    const std::shared_ptr<OTVType> login =
        addType(QStringLiteral("Site Login"), 5, 0x4, {"Site", "User", "Password", "Address"});
    ASSERT_TRUE(login);
    const ImportResult result = importText("Ostrevin Export File\r"
                                           "Site Login,bank,alice,s3cret,https://bank.example,,,,,,,,Work\r",
                                           {}, QStringLiteral("export.csv"));
    EXPECT_EQ(result.imported, 1);
    EXPECT_EQ(rows("CUSTOMTYPETABLE"), 0);
    const auto bank = recordWithValue1(QStringLiteral("bank"));
    ASSERT_TRUE(bank);
    EXPECT_EQ(bank->value(3), QStringLiteral("s3cret"));
    EXPECT_EQ(bank->mType()->mTypeUID(), login->mTypeUID());
    EXPECT_FALSE(bank->mIsCustomized());
    EXPECT_FALSE(bank->mRecordCustomType());
    EXPECT_EQ(bank->mType()->mTypeMask(), 0x4);
    EXPECT_EQ(bank->mType()->mTypeIconID(), 5);
}

// A file that is refused as a whole leaves the vault as it was.
TEST_F(VaultImport, RefusedFilesChangeNothing)
{
    const QByteArray enciphered =
        FileBuilder(kVRX3File, "right").type("Login", 12, 0).record({"alice"}, "May 01,2020", "", 12, 0).text();
    const struct {
        QByteArray text;
        std::string password;
        const char* refusal;
    } cases[] = {
        {enciphered, "wrong", "That is not the correct password for this import file."},
        {enciphered, "", "That is not the correct password for this import file."},
        {"Login,alice,secret\rBank,bob,1234\r", "",
         "Import failed. The file does not begin with the line \"Ostrevin Export File\". A CSV file to import begins "
         "with that line, then holds one record a line: the record type, values 1 to 9, the date, the notes and the "
         "group, separated by commas."},
        {"Ostrevin vRX File -v9.0\rF\rT,12,Login\r", "", "Import failed. The file holds no records that can be imported."},
    };
    const int typesBefore = rows("TYPETABLE");
    for (const auto& c : cases) {
        const ImportResult result = importText(c.text, c.password);
        EXPECT_EQ(result.refusal, QString::fromUtf8(c.refusal));
        EXPECT_EQ(result.imported + result.failed, 0);
    }
    EXPECT_EQ(rows("RECORDTABLE"), 0);
    EXPECT_EQ(rows("TYPETABLE"), typesBefore);
    EXPECT_EQ(store->logged(QStringLiteral("Add Type"), QString()), 0);

    // Without a target group nothing is written either; the records are counted.
    const std::string file = writeFile(files, QStringLiteral("plain.vrx"),
                                       FileBuilder(kVRX3File).type("Login", 12, 0).record({"a"}, "", "", 12, 0).text());
    const ImportResult noGroup = importInto(nullptr, file);
    EXPECT_EQ(noGroup.imported, 0);
    EXPECT_EQ(noGroup.failed, 1);
    EXPECT_EQ(rows("TYPETABLE"), typesBefore);
}

// Lines that cannot be read or stored are counted with their reason; the others are imported
// and nothing else changes.
TEST_F(VaultImport, BadLinesAreCountedAndTheGoodOnesImported)
{
    const std::string tooLong(300, 'x');
    FileBuilder file(kVRX3File, "pw");
    file.record({"before any type"}, "", "", 31, 0)
        .type("Login", 12, 0)
        .record({"good 1"}, "", "", 12, 0)
        .raw("F,12,ABCDEF")   // hex that deciphers to nothing
        .record({"good 2"}, "", "", 12, 0)
        .record({tooLong}, "", "", 12, 0)
        .raw("T,12,0123")   // a damaged type line: its records have no type
        .record({"typeless"}, "", "", 12, 0)
        .type(tooLong.c_str(), 5, 0)
        .record({"type too long 1"}, "", "", 5, 0)
        .record({"type too long 2"}, "", "", 5, 0)
        .type("", 5, 0)
        .record({"empty type name"}, "", "", 5, 0)
        .type("Bank", 5, 0)
        .record({"good 3"}, "", "", 5, 0);
    QByteArray text = file.text();
    text.chop(40);   // the last line, cut short
    const ImportResult result = importText(text, "pw");

    EXPECT_EQ(result.imported, 2);
    const QMap<QString, int> reasons{
        {"The record has no record type in the file.", 2},
        {"A record line of the file cannot be read.", 1},
        {"The file is damaged or cut short: it ends inside the next record.", 1},
        {"The value is too long or contains characters that cannot be stored.", 1},
        {"The record type line of the file cannot be read.", 1},
        {"The record type could not be added. The value is too long or contains characters that cannot be stored.", 2},
    };
    EXPECT_EQ(result.reasons, reasons);
    EXPECT_EQ(result.failed, 8);
    // The nine records read before the cut are the total; the cut one is no record.
    EXPECT_TRUE(result.summary.startsWith(QStringLiteral("2 of 9 records imported.\n"))) << result.summary.toStdString();
    EXPECT_TRUE(result.summary.contains(QStringLiteral("The record has no record type in the file. (2 records)\n")));
    EXPECT_TRUE(result.summary.contains(QStringLiteral("A record line of the file cannot be read. (1 record)\n")));
    EXPECT_TRUE(result.summary.contains(
        QStringLiteral("The file is damaged or cut short: it ends inside the next record.\n")));
    EXPECT_TRUE(recordWithValue1(QStringLiteral("good 1")));
    EXPECT_TRUE(recordWithValue1(QStringLiteral("good 2")));
    EXPECT_EQ(rows("RECORDTABLE"), 2);
    // A type is added at its first record that can be read: Bank has none.
    EXPECT_EQ(rows("TYPETABLE"), 1);
    EXPECT_EQ(store->logged(QStringLiteral("Add Type"), QStringLiteral("Failed")), 1);   // tried once
}

// Attachments of a version 4.0 package: a missing side file, one named by something other than
// a UID, or a link leaves the record without its attachment, counted; nothing outside the
// package is read.
TEST_F(VaultImport, PackageAttachmentsThatCannotBeHad)
{
    QDir(files.path()).mkpath(QStringLiteral("P.vrx/Files"));
    writeFile(files, QStringLiteral("secret.ofa"), "outside the package");
    ASSERT_TRUE(QFile::link(files.filePath(QStringLiteral("secret.ofa")),
                            files.filePath(QStringLiteral("P.vrx/Files/00000000000000C2.ofa"))));
    const QByteArray text = FileBuilder(kVRX4File)
                                .type("Login", 12, 0)
                                .record({"missing"}, "", "", 12, 0, {}, {"a.txt", "key", "00000000000000C1"})
                                .record({"escape"}, "", "", 12, 0, {}, {"b.txt", "key", "../../secret"})
                                .record({"link"}, "", "", 12, 0, {}, {"c.txt", "key", "00000000000000C2"})
                                .record({"plain"}, "", "", 12, 0)
                                .text();
    const ImportResult result = importText(text, {}, QStringLiteral("P.vrx/P.vrx"));
    EXPECT_EQ(result.imported, 4);
    EXPECT_EQ(result.missingAttachments, 3);
    for (const char* name : {"missing", "escape", "link", "plain"}) {
        const auto record = recordWithValue1(QString::fromUtf8(name));
        ASSERT_TRUE(record) << name;
        EXPECT_FALSE(record->mHasAttachment()) << name;
        EXPECT_EQ(record->mAttachmentName(), QString()) << name;
    }
    EXPECT_EQ(rows("ATTACHMENTTABLE"), 0);
    EXPECT_TRUE(QDir(attachments.path()).isEmpty());
}

// A damaged file: the records before the damage are imported, the damage is reported with how
// many records were read before it, and nothing of the damaged record is stored.
TEST_F(VaultImport, DamagedFilesReportWhereTheyEndAndStoreNothingOfTheDamage)
{
    const std::string notes(2000, 'n');
    const QByteArray v3 = FileBuilder(kVRX3File)
                              .type("Login", 12, 0)
                              .record({"first"}, "", "", 12, 0)
                              .record({"second"}, "", ("quoted, \"" + notes + "\"\rline 2").c_str(), 12, 0)
                              .text();
    const int notesStart = v3.indexOf("\"quoted");
    const QByteArray plain = "Ostrevin Export File\r"
                             "Login,first,,,,,,,,,\"May 01,2020\",,Work\r"
                             "Login,second,,,,,,,,,\"May 01,2020\",\"" + QByteArray::fromStdString(notes) + "\r" +
                             QByteArray::fromStdString(notes) + "\",Work\r";
    const QByteArray bom = "\xEF\xBB\xBF";
    const QString cutAfterOne = QStringLiteral("The file is damaged or cut short: it ends inside the next record.");
    const struct {
        const char* what;
        QByteArray text;
        int imported;
        QString reason;   // empty: none
    } cases[] = {
        {"whole", v3, 2, {}},
        {"cut inside quoted notes", v3.left(notesStart + 1000), 1, cutAfterOne},
        {"cut just after a line break inside quoted notes", v3.left(v3.indexOf("\rline 2") + 1), 1, cutAfterOne},
        {"cut inside a value", v3.left(v3.indexOf("second") + 3), 1, cutAfterOne},
        {"cut before the record's line break", v3.left(v3.size() - 1), 1, cutAfterOne},
        {"a quote that never closes", v3.left(v3.lastIndexOf('"')) + v3.mid(v3.lastIndexOf('"') + 1), 1, cutAfterOne},
        {"plain export whole", plain, 2, {}},
        {"plain export cut inside notes", plain.left(plain.indexOf("\r", plain.indexOf("second")) + 1), 1, cutAfterOne},
        {"plain export cut at the category", plain.left(plain.size() - 3), 1, cutAfterOne},
        {"byte-order mark", bom + v3, 2, {}},
        {"byte-order mark, plain export", bom + plain, 2, {}},
    };
    for (const auto& c : cases) {
        openEmptyVault();
        work = addGroup(QStringLiteral("Work"));
        const ImportResult result = importText(c.text);
        EXPECT_EQ(result.refusal, QString()) << c.what;
        EXPECT_EQ(result.imported, c.imported) << c.what;
        EXPECT_EQ(result.failed, c.reason.isEmpty() ? 0 : 1) << c.what;
        const QMap<QString, int> reasons = c.reason.isEmpty() ? QMap<QString, int>() : QMap<QString, int>{{c.reason, 1}};
        EXPECT_EQ(result.reasons, reasons) << c.what;
        // The count of the records read before the cut is said once.
        if (!c.reason.isEmpty())
            EXPECT_EQ(result.summary, QStringLiteral("1 of 1 record imported.\n") + c.reason) << c.what;
        EXPECT_EQ(rows("RECORDTABLE"), c.imported) << c.what;
        EXPECT_TRUE(recordWithValue1(QStringLiteral("first"))) << c.what;
        // Whole notes only: a quoted line break, a doubled quote and 2000 characters around them.
        if (c.imported == 2)
            EXPECT_TRUE(recordWithValue1(QStringLiteral("second"))->mNotes().contains(
                QString::fromStdString(notes + (c.text.contains("line 2") ? "\"\nline 2" : "\n" + notes))))
                << c.what;
    }
}

// A value far past its column is read only up to a bound and refused as too long, in plain and in
// enciphered files alike (an enciphered one cut at the bound is not taken for damage); long
// notes, whose limit is the server's, come through whole.
TEST_F(VaultImport, OversizedValuesAreRefusedAsTooLongAndLongNotesKept)
{
    const std::string huge(1000000, 'x');
    const std::string notes(200000, 'n');
    const QString tooLong = OTVStatusMessage(kOTVStatusValueTooLong);
    struct Case {
        const char* name;
        QByteArray text;
        std::string password;
        QMap<QString, int> reasons;
    };
    const std::vector<Case> cases{
        {"plain value",
         // type name, nine values, date, notes, group
         QByteArray("Ostrevin Export File\rLogin,") + QByteArray::fromStdString(huge) + ",,,,,,,,,," +
             QByteArray::fromStdString(notes) + ",Work\rLogin,kept,,,,,,,,,," + QByteArray::fromStdString(notes) +
             ",Work\r",
         "",
         {{tooLong, 1}}},
        {"enciphered value",
         FileBuilder(kVRX3File, "pw").type("Login", 12, 0).record({huge}, "", "", 12, 0)
             .record({"kept"}, "", notes.c_str(), 12, 0).text(),
         "pw",
         {{tooLong, 1}}},
        {"enciphered type name",
         FileBuilder(kVRX3File, "pw").type(huge.c_str(), 12, 0).record({"lost"}, "", "", 12, 0)
             .type("Login", 12, 0).record({"kept"}, "", notes.c_str(), 12, 0).text(),
         "pw",
         {{QStringLiteral("The record type could not be added. ") + tooLong, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openEmptyVault();
        work = addGroup(QStringLiteral("Work"));
        const ImportResult result = importText(c.text, c.password);
        EXPECT_EQ(result.imported, 1);
        EXPECT_EQ(result.reasons, c.reasons);
        const auto kept = recordWithValue1(QStringLiteral("kept"));
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->mNotes().size(), qsizetype(notes.size()));
        EXPECT_EQ(rows("RECORDTABLE"), 1);
    }
}

// Files that hold no record say so; a header alone is no damage.
TEST_F(VaultImport, FilesWithoutRecordsSaySo)
{
    for (const QByteArray& text : {QByteArray("Ostrevin vRX File -v3.0\rF\r"), QByteArray("Ostrevin Export File\r\r\r")}) {
        const ImportResult result = importText(text);
        EXPECT_EQ(result.refusal, QString());
        EXPECT_EQ(result.imported + result.failed, 0);
        EXPECT_EQ(result.summary, QStringLiteral("The file holds no records."));
    }
    EXPECT_EQ(importText("\x01\x02 binary").summary,
              QStringLiteral("Import failed. The file holds no records that can be imported."));
}

// A type is stored with the first of its records that is stored, never alone: a record that
// fails takes the type made for it with it, and the next record of that type tries again.
TEST_F(VaultImport, ATypeIsStoredOnlyWithARecord)
{
    const std::string tooLong(300, 'x');
    const ImportResult result = importText(FileBuilder(kVRX3File)
                                               .type("Only failing", 12, 0)
                                               .record({tooLong}, "", "", 12, 0)
                                               .type("Later good", 5, 0)
                                               .record({tooLong}, "", "", 5, 0)
                                               .record({"good"}, "", "", 5, 0)
                                               .text());
    EXPECT_EQ(result.imported, 1);
    EXPECT_EQ(result.reasons, (QMap<QString, int>{{OTVStatusMessage(kOTVStatusValueTooLong), 2}}));
    EXPECT_EQ(rows("TYPETABLE"), 1);
    EXPECT_EQ(rows("RECORDTABLE"), 1);
    EXPECT_EQ(recordWithValue1(QStringLiteral("good"))->mType()->mTypeName(), QStringLiteral("Later good"));
    EXPECT_EQ(store->logged(QStringLiteral("Add Type"), QStringLiteral("Type Added Successfully")), 1);
    int inMap = 0;
    for (const auto& type : store->mTypes())
        inMap += type->mTypeName() == QStringLiteral("Only failing") ? 1 : 0;
    EXPECT_EQ(inMap, 0);
}

// A side file whose size is not the one its record's line gives is reported, never padded or
// cut silently; one over the vault's limit fails its record.
TEST_F(VaultImport, SideFilesOfTheWrongLengthAreReported)
{
    QDir(files.path()).mkpath(QStringLiteral("P.vrx/Files"));
    const QString key = QStringLiteral("ABCDEFGHIJKLMNOP");
    const auto side = [&](const char* uid, QByteArray bytes, const QString& entry) {
        OTVFileCrypter(entry).encryptData(bytes);
        writeFile(files, QStringLiteral("P.vrx/Files/%1.ofa").arg(QLatin1String(uid)), bytes);
    };
    side("00000000000000C1", QByteArray(20, 'a'), key + "20");
    side("00000000000000C2", QByteArray(20, 'b'), key + "30");            // shorter than it says
    side("00000000000000C3", QByteArray(20, 'c'), key + "4");             // longer than it says
    side("00000000000000C4", QByteArray(20, 'd'), key);                   // another copy's: no length
    side("00000000000000C5", QByteArray(OTVDataBase::kAttacmentMaxSize + 8, 'e'), key);
    const auto entry = [&](const QString& e) { return e.toStdString(); };
    const QByteArray text = FileBuilder(kVRX4File)
                                .type("Files", 12, 0)
                                .record({"exact"}, "", "", 12, 0, {}, {"a", entry(key + "20"), "00000000000000C1"})
                                .record({"short"}, "", "", 12, 0, {}, {"b", entry(key + "30"), "00000000000000C2"})
                                .record({"long"}, "", "", 12, 0, {}, {"c", entry(key + "4"), "00000000000000C3"})
                                .record({"old"}, "", "", 12, 0, {}, {"d", entry(key), "00000000000000C4"})
                                .record({"huge"}, "", "", 12, 0, {}, {"e", entry(key), "00000000000000C5"})
                                .text();
    const ImportResult result = importText(text, {}, QStringLiteral("P.vrx/P.vrx"));
    EXPECT_EQ(result.imported, 4);
    EXPECT_EQ(result.reasons, (QMap<QString, int>{{OTVStatusMessage(kOTVStatusValueTooLong), 1}}))
        << result.reasons.firstKey().toStdString();
    EXPECT_EQ(result.damagedAttachments, 2);
    EXPECT_EQ(storedAttachment(*recordWithValue1(QStringLiteral("exact"))).left(20), QByteArray(20, 'a'));
    EXPECT_FALSE(recordWithValue1(QStringLiteral("short"))->mHasAttachment());
    EXPECT_FALSE(recordWithValue1(QStringLiteral("long"))->mHasAttachment());
    EXPECT_EQ(storedAttachment(*recordWithValue1(QStringLiteral("old"))).left(24), QByteArray(20, 'd') + QByteArray(4, '\0'));
    EXPECT_FALSE(recordWithValue1(QStringLiteral("huge")));
    EXPECT_TRUE(result.summary.contains(QStringLiteral("2 records were imported without their attachment, whose file is damaged")));
}

} // namespace

// Records are stored a few hundred at a time. One that the server refuses in the middle of such
// a batch (another client deleted its type meanwhile) fails alone, like one refused before it
// reaches the server: the records before and after both are stored, and each is logged once.
TEST_F(VaultImport, RecordsRefusedInTheMiddleOfABatchFailAlone)
{
    addType(QStringLiteral("Login"), 12, 0);
    const std::shared_ptr<OTVType> bank = addType(QStringLiteral("Bank"), 5, 0);
    constexpr int kEachSide = 150;
    FileBuilder file(kVRX3File);
    file.type("Login", 12, 0);
    for (int i = 0; i < kEachSide; ++i)
        file.record({"before " + std::to_string(i)}, "", "", 12, 0);
    file.record({std::string(300, 'x')}, "", "", 12, 0);
    file.type("Bank", 5, 0).record({"bank"}, "", "", 5, 0).type("Login", 12, 0);
    for (int i = 0; i < kEachSide; ++i)
        file.record({"after " + std::to_string(i)}, "", "", 12, 0);
    // As the import's transaction checks the vault's key.
    store->statementFaults().interruptExecution(kQueryShareLockDatabaseInfoTable, 1, [&] {
        root(QStringLiteral("DELETE FROM vivododadi.TYPETABLE WHERE UID='%1'").arg(bank->mTypeUID()));
    });

    const ImportResult result = importText(file.text());

    EXPECT_EQ(result.imported, 2 * kEachSide);
    const QMap<QString, int> reasons{{OTVStatusMessage(kOTVStatusValueTooLong), 1},
                                     {OTVStatusMessage(kOTVStatusNothingWritten), 1}};
    EXPECT_EQ(result.reasons, reasons);
    EXPECT_EQ(rows("RECORDTABLE"), 2 * kEachSide);
    EXPECT_TRUE(recordWithValue1(QStringLiteral("before 0")));
    EXPECT_TRUE(recordWithValue1(QStringLiteral("after 149")));
    EXPECT_FALSE(recordWithValue1(QStringLiteral("bank")));
    EXPECT_EQ(store->logged(QStringLiteral("Add Record"), QStringLiteral("Success")), 2 * kEachSide);
    EXPECT_EQ(store->logged(QStringLiteral("Add Record"), QStringLiteral("Failed")), 2);
}

// Whatever is thrown out of the reading, the records read before it are stored and counted (a
// whole batch and the pending part of the next, or the pending part alone), and the import ends
// complete with a summary that tells it stopped early.
TEST_F(VaultImport, AFailureInsideTheReaderKeepsTheRecordsReadBeforeIt)
{
    struct Case {
        const char* what;
        int failingLine;
        std::function<void()> fail;
    };
    const Case cases[] = {
        {"a standard exception after a stored batch", 612, [] { throw std::runtime_error("reader failure"); }},
        {"any other thrown value in the first batch", 3, [] { throw 42; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(openEmptyVault());
        work = addGroup(QStringLiteral("Work"));
        FileBuilder file(kVRX3File);
        file.type("Login", 12, 0);
        for (int i = 1; i <= 700; ++i)
            file.record({"record " + std::to_string(i)}, "", "", 12, 0);
        const std::string path = writeFile(files, QStringLiteral("import.vrx"), file.text());

        OTVvRXImportDelegate delegate(path, work, attachments.path(), *store, &fixedNow);
        ThrowingAtRecord reader(delegate, c.failingLine, c.fail);
        CvRXImporter importer(path, &reader);
        BKRunWorkerAndWait([&] { delegate.Import(importer, ""); }, &OTVDataBase::endDatabaseThread);

        const int before = c.failingLine - 1;
        EXPECT_TRUE(delegate.IsImportComplete());
        EXPECT_TRUE(delegate.Interrupted());
        EXPECT_EQ(delegate.ImportedCount(), before);
        EXPECT_EQ(delegate.FailedCount(), 0);
        EXPECT_EQ(rows("RECORDTABLE"), before);
        EXPECT_TRUE(recordWithValue1(QString::fromStdString("record " + std::to_string(before))));
        EXPECT_FALSE(recordWithValue1(QString::fromStdString("record " + std::to_string(c.failingLine))));
        EXPECT_EQ(store->logged(QStringLiteral("Add Record"), QStringLiteral("Success")), before);
        EXPECT_TRUE(delegate.Summary().contains(QStringLiteral("The import stopped before the end of the file")))
            << delegate.Summary().toStdString();
    }
}
