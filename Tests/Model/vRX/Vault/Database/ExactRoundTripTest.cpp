// Whatever a record holds, an export in every written variant imported into an empty vault
// gives it back byte for byte: every control byte, quotes, separators, line breaks, text beyond
// ASCII, empty and longest values, and attachments of the sizes where the cipher's padding shows.
#include "ExchangeVaultFixture.h"

namespace {

// Values that the plain file forms must carry byte for byte: every control byte at the start,
// inside and at the end of a value, quotes, separators, line breaks, text beyond ASCII, empty
// values, values at the column's limit and text that looks like a file header.
QStringList hostileValues()
{
    QStringList values;
    for (int byte = 0x01; byte <= 0x7F; byte = byte == 0x1F ? 0x7F : byte + 1) {
        const QString c = QString(QChar(char16_t(byte)));
        values << c << c + QStringLiteral("lead") << QStringLiteral("in") + c + QStringLiteral("side")
               << QStringLiteral("trail") + c << c + c + c;
    }
    values << QString() << QStringLiteral("\"") << QStringLiteral("\"\"") << QStringLiteral("a,b") << QStringLiteral(",")
           << QStringLiteral("\r\n") << QStringLiteral("a\rb") << QStringLiteral("a\nb") << QStringLiteral("\n\n")
           << QStringLiteral(" lead and trail ") << QStringLiteral("\t") << QStringLiteral("Grüße € 日本 😀")
           << QStringLiteral("Ostrevin Export File") << QStringLiteral("Ostrevin vRX File -v1.0,x")
           << QStringLiteral("T") << QString(240, QLatin1Char('v')) << QString(80, QChar(0x20AC))
           << QString(120, QLatin1Char('"')) << QStringLiteral("\x10@\x10") << QStringLiteral("\"x\r\n,\"");
    return values;
}

class ExactRoundTrip : public ExchangeVaultTest {
protected:
    // Exports every record of the vault and imports the file into an empty vault, into a group
    // named like the exported one.
    ImportResult exportAndImportAgain(const RoundTripCase& c, const QString& groupName)
    {
        std::string file = path(QString::fromUtf8(c.fileName));
        EXPECT_TRUE(exportAll(file, c.kind, c.password));
        if (c.kind == kVRX4File)
            file += std::string("/") + c.fileName;
        openEmptyVault();
        return importInto(addGroup(groupName), file, c.password);
    }

    // The notes of a value: the files write the notes' line breaks as CR, which the import takes
    // back as the vault's LF, so a CR of the notes comes back as LF.
    static QString notesOf(const QString& value)
    {
        return QString(value).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
};

class ExactValues : public ExactRoundTrip, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(ExactValues, EveryValueComesBackByteForByte)
{
    const QString groupName = QStringLiteral("Group \x1B, \"\x10\"\t");
    auto group = addGroup(groupName);
    auto type = addType(QStringLiteral("Type\x07, \"x\""), 12, 3, {QStringLiteral("Label\x01"), QStringLiteral("\n,")});
    const QStringList values = hostileValues();
    // Nine values a record; value 1 numbers the record.
    int count = 0;
    for (qsizetype first = 0; first < values.size(); first += 8, ++count) {
        QStringList own{QStringLiteral("record %1").arg(count)};
        own << values.mid(first, 8);
        const QString notes = own.mid(1).join(QStringLiteral("|")).remove(QLatin1Char('\r'));
        auto record = makeRecord(fixtureUID(count + 1), group, type, own, notes);
        if (count % 3 == 0)
            customise(*record, 7, 1, {values.value(first), values.value(first + 1)});
        storeRecord(record);
    }
    QMap<QString, std::shared_ptr<OTVRecord>> before;
    for (const auto& record : store->mRecords())
        before.insert(record->value(1), record);
    ASSERT_EQ(before.size(), count);

    const ImportResult result = exportAndImportAgain(GetParam(), groupName);
    EXPECT_EQ(result.refusal, QString());
    EXPECT_EQ(result.imported, count);
    EXPECT_EQ(result.failed, 0) << (result.reasons.isEmpty() ? "" : result.reasons.firstKey().toStdString());

    const bool plain = GetParam().kind == kPlainCSVFile;
    for (const auto& record : store->mRecords()) {
        const auto original = before.value(record->value(1));
        ASSERT_TRUE(original) << record->value(1).toStdString();
        for (int field = 1; field < kNoOfFields; ++field)
            EXPECT_EQ(record->value(field), original->value(field)) << record->value(1).toStdString() << " field "
                                                                     << field;
        EXPECT_EQ(record->mNotes(), notesOf(original->mNotes())) << record->value(1).toStdString();
        EXPECT_EQ(record->mType()->mTypeName(), type->mTypeName());
        EXPECT_EQ(record->mGroup()->mGroupName(), groupName);
        if (!plain) {
            EXPECT_EQ(lookOf(*record->mType()), lookOf(*type));
            EXPECT_EQ(record->mIsCustomized(), original->mIsCustomized());
            if (original->mIsCustomized())
                EXPECT_EQ(lookOf(*record->mRecordCustomType()), lookOf(*original->mRecordCustomType()));
        }
    }
}

// Attachments of the sizes where the cipher's padding shows: none, one byte, the sizes whose
// padding would pass the limit, and the largest the vault takes.
TEST_F(ExactRoundTrip, AttachmentsComeBackAtTheirLength)
{
    for (const RoundTripCase& c : {RoundTripCase{kVRX4File, "", "Package.vrx"}, RoundTripCase{kVRX4File, "a", "Enciphered.vrx"}}) {
        openEmptyVault();
        auto group = addGroup(QStringLiteral("Work"));
        auto type = addType(QStringLiteral("Files"), 12, 0);
        {
            auto probe = makeRecord(fixtureUID(99), group, type, {QStringLiteral("probe")});
            attach(*probe, QStringLiteral("probe"), QByteArray("x"));
            storeRecord(probe);
            ASSERT_EQ(storedAttachment(*probe), QByteArray("x")) << "the store must give an attachment back at its own length";
            ASSERT_EQ(store->deleteRecord(probe), kOTVStatusOK);
        }
        const qint64 sizes[] = {0, 1, 7, 8, 1048561, OTVDataBase::kAttacmentMaxSize - 1};
        QMap<QString, QByteArray> before;
        int n = 0;
        for (const qint64 size : sizes) {
            QByteArray bytes(size, '\0');
            for (qint64 i = 0; i < size; ++i)
                bytes[i] = char((i * 7 + size) % 251);
            if (size > 0)
                bytes[size - 1] = '\0';   // a zero at the end is data, not padding
            auto record = makeRecord(fixtureUID(++n), group, type, {QStringLiteral("size %1").arg(size)});
            attach(*record, QStringLiteral("file %1.bin").arg(size), bytes);
            storeRecord(record);
            before.insert(record->value(1), bytes);
        }

        const ImportResult result = exportAndImportAgain(c, QStringLiteral("Work"));
        EXPECT_EQ(result.imported, n) << c;
        EXPECT_EQ(result.failed, 0) << c << (result.reasons.isEmpty() ? "" : result.reasons.firstKey().toStdString());
        EXPECT_EQ(result.missingAttachments + result.damagedAttachments, 0) << c;
        for (auto expected = before.cbegin(); expected != before.cend(); ++expected) {
            const auto record = recordWithValue1(expected.key());
            ASSERT_TRUE(record) << expected.key().toStdString();
            EXPECT_TRUE(record->mHasAttachment()) << c;
            int code = -1;   // an empty file comes as none, with code 0
            const QByteArray back = store->extractAttachmentData(record->mRecordUID(), &code).value_or(QByteArray());
            EXPECT_EQ(code, kOTVStatusOK) << c << expected.key().toStdString();
            EXPECT_EQ(back, expected.value()) << c << expected.key().toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWrittenKind, ExactValues, ::testing::ValuesIn(kEveryWrittenKind));

} // namespace
