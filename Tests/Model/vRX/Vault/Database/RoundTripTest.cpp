// A vault exported to every kind of file that the program writes and imported into an empty
// vault comes back equal, as far as each kind carries it: records with their values, dates,
// notes, types, custom types, group and attachments.
#include "ExchangeVaultFixture.h"

#include "Model/vRX/ExchangeDates.h"

#include <QDir>

namespace {

// A record as the exchange must keep it, independent of the vault that holds it.
struct RecordContent {
    QStringList values;        // 1 to 9
    QDate day;                 // of value 10
    QString notes;
    QString groupName;
    QString typeName;
    QStringList typeLook;      // labels, icon and mask of the type
    bool customised = false;
    QStringList customLook;    // of the custom type
    QString attachmentName;
    QByteArray attachment;     // as the vault gives it back

    bool operator==(const RecordContent& o) const
    {
        return values == o.values && day == o.day && notes == o.notes && groupName == o.groupName
               && typeName == o.typeName && typeLook == o.typeLook && customised == o.customised
               && customLook == o.customLook && attachmentName == o.attachmentName && attachment == o.attachment;
    }
};

std::ostream& operator<<(std::ostream& out, const RecordContent& r)
{
    return out << r.values.join('|').left(80).toStdString() << " day " << r.day.toString().toStdString()
               << " notes " << r.notes.left(20).toStdString() << " group " << r.groupName.toStdString() << " type "
               << r.typeName.toStdString() << " [" << r.typeLook.join('|').toStdString() << "] customised "
               << r.customised << " [" << r.customLook.join('|').toStdString() << "] attachment "
               << r.attachmentName.toStdString() << " " << r.attachment.size() << " bytes";
}

class VaultRoundTrip : public ExchangeVaultTest, public ::testing::WithParamInterface<RoundTripCase> {
protected:
    // Two types whose records alternate, a third type; customised records (by look, and by
    // labels alone); attachments with zero bytes inside; text that the formats must quote;
    // values at the column's limit; long notes with line breaks.
    void buildSourceVault()
    {
        auto work = addGroup(QStringLiteral("Work, \"Team\""));
        auto login = addType(QStringLiteral("Login"), 12, 2, {"User", "Password", "URL"});
        auto bank = addType(QStringLiteral("Bank, \"private\""), 5, 6, {"Account", "PIN, 4 digits", "Bank"});
        auto note = addType(QStringLiteral("Note"), 200, 0);

        auto alice = makeRecord(fixtureUID(1), work, login, {"alice", "pa,ss\"word", "https://example.org/?a=1,b=2"},
                                QStringLiteral("first line\nsecond line"), QStringLiteral("2011-03-07 23:45:10 -0800"));
        attach(*alice, QStringLiteral("scan, page 1.pdf"), QByteArray("%PDF\0\0\x01\xff binary", 17).repeated(7));
        storeRecord(alice);

        auto bob = makeRecord(fixtureUID(2), work, login, {"bob", " leading blank", "", "", "", "", "", "", "ninth"});
        customise(*bob, 7, 1, {"Name", "", "", "", "", "", "", "", "", "Changed"});
        storeRecord(bob);

        auto pin = makeRecord(fixtureUID(3), work, bank, {QStringLiteral("Grüße € 日本"), "1234"}, {},
                              QStringLiteral("2020-02-29 00:00:01 +1400"));
        attach(*pin, QStringLiteral("a.txt"), QByteArray("x"));
        storeRecord(pin);

        auto carol = makeRecord(fixtureUID(4), work, login, {"carol"});
        customise(*carol, 12, 2, {"Login name"});   // labels of its own, the type's look
        storeRecord(carol);

        QString longNotes;
        while (longNotes.size() < 20000)
            longNotes += QStringLiteral("Notes, \"quoted\", €\n");
        storeRecord(makeRecord(fixtureUID(5), work, note, {QString(240, QLatin1Char('v')), QStringLiteral("x")},
                               longNotes));
    }

    // What the kind of file carries of each record, by value 1.
    QMap<QString, RecordContent> contents(EFileType kind)
    {
        QMap<QString, RecordContent> result;
        for (const std::shared_ptr<OTVRecord>& record : store->mRecords()) {
            RecordContent c;
            for (int field = 1; field < kNoOfFields; ++field)
                c.values << record->value(field);
            c.day = StoredModificationDay(record->value(kNoOfFields)).value_or(QDate());
            c.notes = record->mNotes();
            c.groupName = record->mGroup()->mGroupName();
            c.typeName = record->mType()->mTypeName();
            if (kind != kPlainCSVFile) {
                c.typeLook = lookOf(*record->mType());
                c.customised = record->mIsCustomized();
                if (c.customised)
                    c.customLook = lookOf(*record->mRecordCustomType());
            }
            if (kind == kVRX4File && record->mHasAttachment()) {
                c.attachmentName = record->mAttachmentName();
                c.attachment = storedAttachment(*record);
            }
            result.insert(record->value(1), c);
        }
        return result;
    }
};

TEST_P(VaultRoundTrip, ImportedVaultEqualsTheExportedOne)
{
    const RoundTripCase c = GetParam();
    buildSourceVault();
    const QMap<QString, RecordContent> exported = contents(c.kind);
    ASSERT_EQ(exported.size(), 5);
    std::string file = path(QString::fromUtf8(c.fileName));
    ASSERT_TRUE(exportAll(file, c.kind, c.password));
    if (c.kind == kVRX4File)
        file += std::string("/") + c.fileName;   // the file inside the package

    openEmptyVault();
    auto work = addGroup(QStringLiteral("Work, \"Team\""));
    const ImportResult result = importInto(work, file, c.password);
    EXPECT_EQ(result.refusal, QString());
    EXPECT_EQ(result.imported, 5);
    EXPECT_EQ(result.failed, 0) << result.reasons.firstKey().toStdString();
    EXPECT_EQ(result.missingAttachments, 0);
    EXPECT_TRUE(QDir(attachments.path()).isEmpty());   // deciphered files live only while stored

    const QMap<QString, RecordContent> imported = contents(c.kind);
    ASSERT_EQ(imported.keys(), exported.keys());
    for (const QString& key : exported.keys())
        EXPECT_EQ(imported[key], exported[key]) << c;

    // On the server: each type once, the custom types and attachments of the records.
    EXPECT_EQ(rows("RECORDTABLE"), 5);
    EXPECT_EQ(rows("TYPETABLE"), 3);
    EXPECT_EQ(store->logged(QStringLiteral("Add Type"), QStringLiteral("Type Added Successfully")), 3);
    EXPECT_EQ(rows("ATTACHMENTTABLE"), c.kind == kVRX4File ? 2 : 0);
    // The plain export has no icon or mask: every record comes back with its type's look.
    EXPECT_EQ(rows("CUSTOMTYPETABLE"), c.kind == kPlainCSVFile ? 0 : 2);
    // A date without a time of day is taken as the start of that day here.
    EXPECT_EQ(recordWithValue1("alice")->value(kNoOfFields),
              OTVRecord::modificationDateText(QDateTime(QDate(2011, 3, 7), QTime(0, 0))));
}

INSTANTIATE_TEST_SUITE_P(EveryWrittenKind, VaultRoundTrip, ::testing::ValuesIn(kEveryWrittenKind));

} // namespace
