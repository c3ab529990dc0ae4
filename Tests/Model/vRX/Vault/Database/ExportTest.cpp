// The export of vault records against the server: the lines the provider hands out (type lines,
// dates, notes, custom types), the version 4.0 package with its enciphered side files, and the
// failures that it reports.
#include "ExchangeVaultFixture.h"

#include "Model/vRX/ExchangeDelegateFakes.h"
#include "Model/vRX/OTVFileCrypter.h"

#include <QDir>
#include <QFileInfo>

namespace {

using exchange_fakes::Line;
using exchange_fakes::RecordingDelegate;

const QDate kToday(2030, 1, 2);

QDate fixedToday()
{
    return kToday;
}

class VaultExport : public ExchangeVaultTest {
protected:
    void SetUp() override
    {
        ExchangeVaultTest::SetUp();
        work = addGroup(QStringLiteral("Work"));
        login = addType(QStringLiteral("Login"), 12, 2, {"User", "Password"});
        bank = addType(QStringLiteral("Bank"), 5, 0, {"Account"});
    }

    // Exports with the fixed clock; false when the file was not written.
    bool exportRecords(bool all, QList<std::shared_ptr<OTVRecord>> records, const std::string& target,
                       EFileType kind, const std::string& password = {}, int* missingAttachments = nullptr)
    {
        CExportDelegate provider(all, std::move(records), *store, &fixedToday);
        const bool written = ExchangeVaultTest::exportRecords(provider, target, kind, password);
        EXPECT_EQ(written, !provider.ExportFailed());
        if (missingAttachments)
            *missingAttachments = provider.MissingAttachments();
        return written;
    }

    // The lines of an exported file as the importer reads them.
    std::vector<Line> linesOf(const std::string& file, const std::string& password = {})
    {
        RecordingDelegate delegate;
        CvRXImporter importer(file, &delegate);
        importer.ImportFile(importer.FileType(), password);
        EXPECT_TRUE(delegate.errors.empty());
        return delegate.lines;
    }

    std::shared_ptr<BKGroup> work;
    std::shared_ptr<OTVType> login;
    std::shared_ptr<OTVType> bank;
};

TEST_F(VaultExport, TypeLineWheneverTheTypeChanges)
{
    // The record map is ordered by UID: Login, Login, Bank, Login.
    storeRecord(makeRecord(fixtureUID(1), work, login, {"a1"}));
    storeRecord(makeRecord(fixtureUID(2), work, login, {"a2"}));
    storeRecord(makeRecord(fixtureUID(3), work, bank, {"b1"}));
    storeRecord(makeRecord(fixtureUID(4), work, login, {"a3"}));
    // Another user's personal record: in the map, without a group, never exported.
    store->mRecords_.insert(fixtureUID(5), makeRecord(fixtureUID(5), nullptr, login, {"someone else's"}));
    const std::string file = path(QStringLiteral("all.vrx"));
    ASSERT_TRUE(exportRecords(true, {}, file, kVRX3File, "pw"));

    const std::vector<Line> lines = linesOf(file, "pw");
    std::vector<std::string> order;
    for (const Line& line : lines)
        order.push_back(line.isType ? "T " + line.fields[0] : line.fields[0]);
    EXPECT_EQ(order, (std::vector<std::string>{"T Login", "a1", "a2", "T Bank", "b1", "T Login", "a3"}));
    EXPECT_EQ(lines[0].fields, (exchange_fakes::Texts{"Login", "User", "Password", "Field 3", "Field 4", "Field 5",
                                                      "Field 6", "Field 7", "Field 8", "Field 9", "Field 10"}));
    EXPECT_EQ(lines[0].icon, 12);
    EXPECT_EQ(lines[0].mask, 2);
    EXPECT_EQ(lines[1].category, "Work");

    // A selection goes in its own order.
    ASSERT_TRUE(exportRecords(false, {store->mRecords().value(fixtureUID(4)), store->mRecords().value(fixtureUID(1))},
                              file, kVRX3File));
    order.clear();
    for (const Line& line : linesOf(file))
        order.push_back(line.isType ? "T " + line.fields[0] : line.fields[0]);
    EXPECT_EQ(order, (std::vector<std::string>{"T Login", "a3", "a1"}));
}

TEST_F(VaultExport, DatesNotesAndCustomisedRecords)
{
    storeRecord(makeRecord(fixtureUID(1), work, login, {"dated"}, QStringLiteral("a\nb\r\nc"),
                           QStringLiteral("2009-01-05 23:30:00 -0800")));
    storeRecord(makeRecord(fixtureUID(2), work, login, {"garbage date"}, {}, QStringLiteral("yesterday")));
    auto custom = makeRecord(fixtureUID(3), work, login, {"custom"});
    customise(*custom, 7, 1, {"Name", "", "", "", "", "", "", "", "", "Changed"});
    storeRecord(custom);
    const std::string file = path(QStringLiteral("x.vrx"));
    ASSERT_TRUE(exportRecords(true, {}, file, kVRX3File));

    const std::vector<Line> lines = linesOf(file);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].fields[9], "January 05,2009");   // the stored day, not moved by its offset
    EXPECT_EQ(lines[1].fields[10], "a\rb\rc");
    EXPECT_EQ(lines[1].customNames, exchange_fakes::Texts(10));
    EXPECT_EQ(lines[2].fields[9], "January 02,2030");   // today
    // The customised record carries its own look; the type line before it the type's.
    EXPECT_TRUE(lines[0].isType);
    EXPECT_EQ(lines[0].icon, 12);
    EXPECT_EQ(lines[3].icon, 7);
    EXPECT_EQ(lines[3].mask, 1);
    EXPECT_EQ(lines[3].customNames, (exchange_fakes::Texts{"Name", "Password", "Field 3", "Field 4", "Field 5",
                                                           "Field 6", "Field 7", "Field 8", "Field 9", "Changed"}));

    // The plain export: the type name first, the notes quoted with their CRs, no type lines.
    const std::string csv = path(QStringLiteral("x.csv"));
    ASSERT_TRUE(exportRecords(true, {}, csv, kPlainCSVFile));
    const QByteArray text = readFile(QString::fromStdString(csv));
    EXPECT_TRUE(text.startsWith("Ostrevin Export File\rLogin,dated,,,,,,,,,\"January 05,2009\",\"a\rb\rc\",Work\r"))
        << text.toStdString();
    EXPECT_EQ(text.count("\rLogin,"), 3);
}

TEST_F(VaultExport, VersionFourPackageWithEncipheredSideFiles)
{
    const QByteArray scan = QByteArray("%PDF\0\0\x01\xff", 8).repeated(13);
    auto withScan = makeRecord(fixtureUID(1), work, login, {"scan"});
    attach(*withScan, QStringLiteral("scan.pdf"), scan);
    storeRecord(withScan);
    storeRecord(makeRecord(fixtureUID(2), work, login, {"none"}));
    auto withEmpty = makeRecord(fixtureUID(3), work, bank, {"empty"});
    attach(*withEmpty, QStringLiteral("empty.txt"), QByteArray());
    storeRecord(withEmpty);

    // A regular file in the package's place, an earlier version 3.0 export, is replaced.
    const QString package = files.filePath(QStringLiteral("Backup.vrx"));
    writeFile(files, QStringLiteral("Backup.vrx"), "an earlier export");
    int missing = -1;
    ASSERT_TRUE(exportRecords(true, {}, package.toStdString(), kVRX4File, "file password", &missing));
    EXPECT_EQ(missing, 0);
    ASSERT_TRUE(QFileInfo(package + "/Backup.vrx").isFile());
    EXPECT_EQ(QDir(package + "/Files").entryList(QDir::Files),
              (QStringList{fixtureUID(1) + ".ofa", fixtureUID(3) + ".ofa"}));

    // The line's pass-key entry is the record's 16 key characters and the attachment's length.
    // Each side file is enciphered under that entry, whatever the file's password; it deciphers
    // to the attachment as the vault gives it, padded with zeros to whole blocks.
    const QByteArray stored = storedAttachment(*withScan);
    const QString entry = withScan->mAttachmentPassKey().left(16) + QString::number(stored.size());
    QByteArray side = readFile(package + "/Files/" + fixtureUID(1) + ".ofa");
    EXPECT_EQ(side.size(), (stored.size() + 7) / 8 * 8);
    EXPECT_FALSE(side.contains("%PDF"));
    ASSERT_TRUE(OTVFileCrypter(entry).decryptData(side));
    EXPECT_EQ(side.left(stored.size()), stored);
    EXPECT_TRUE(side.startsWith(scan));
    EXPECT_EQ(side.mid(stored.size()), QByteArray(side.size() - stored.size(), '\0'));
    EXPECT_EQ(readFile(package + "/Files/" + fixtureUID(3) + ".ofa"), QByteArray());

    const std::vector<Line> lines = linesOf((package + "/Backup.vrx").toStdString(), "file password");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1].attachment, (exchange_fakes::Texts{"scan.pdf", entry.toStdString(), fixtureUID(1).toStdString()}));
    EXPECT_EQ(lines[2].attachment[0], "");
    EXPECT_EQ(lines[4].attachment[1], withEmpty->mAttachmentPassKey().left(16).toStdString() + "0");

    // An existing package folder is written into and keeps what else it holds.
    writeFile(files, QStringLiteral("Backup.vrx/Readme"), "kept");
    ASSERT_TRUE(exportRecords(true, {}, package.toStdString(), kVRX4File));
    EXPECT_EQ(readFile(package + "/Readme"), "kept");
}

TEST_F(VaultExport, FailuresAreReported)
{
    auto good = makeRecord(fixtureUID(1), work, login, {"good"});
    attach(*good, QStringLiteral("a.txt"), "a");
    storeRecord(good);
    auto broken = makeRecord(fixtureUID(2), work, login, {"broken"});
    attach(*broken, QStringLiteral("b.txt"), "b");
    storeRecord(broken);
    // Stored data that no longer deciphers: the attachment cannot be read for its side file.
    root(QStringLiteral("UPDATE vivododadi.ATTACHMENTTABLE SET DATA=0x00 WHERE RECORDID='%1'").arg(fixtureUID(2)));

    int missing = -1;
    const QString package = files.filePath(QStringLiteral("P.vrx"));
    EXPECT_TRUE(exportRecords(true, {}, package.toStdString(), kVRX4File, {}, &missing));
    EXPECT_EQ(missing, 1);
    EXPECT_TRUE(QFileInfo::exists(package + "/Files/" + fixtureUID(1) + ".ofa"));
    EXPECT_FALSE(QFileInfo::exists(package + "/Files/" + fixtureUID(2) + ".ofa"));

    // A file that cannot be made: reported, and the export still ends.
    writeFile(files, QStringLiteral("not-a-folder"), "x");
    for (EFileType kind : {kPlainCSVFile, kVRX3File, kVRX4File}) {
        const std::string target = path(QStringLiteral("not-a-folder/Export.vrx"));
        EXPECT_FALSE(exportRecords(true, {}, target, kind)) << kind;
    }
    EXPECT_EQ(readFile(files.filePath(QStringLiteral("not-a-folder"))), "x");
}

} // namespace
