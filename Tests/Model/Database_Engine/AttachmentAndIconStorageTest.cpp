// Attachments and custom icons against a real server: the attachment cipher's round trip with
// its padding, pass-key consistency when a write fails, copying and removing rows, the
// re-encipherment after a master-password change, and custom icons numbered from 1001.
#include "StoreTestSupport.h"

#include "Model/OTVRecord.h"
#include "Model/OTVUID.h"
#include "Platform/BKWorker.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

namespace {

// The store with its hooks observed: the save of a record after its attachment was removed
// answers with a scripted status.
class AttachmentStore : public StoreProbe {
public:
    using OTVDataBase::mCustomIcons_;

    int saveRecordAfterAttachmentRemoval(const std::shared_ptr<OTVRecord>& record) override
    {
        savedRecords.append(record->mRecordUID());
        return saveStatus;
    }

    QStringList savedRecords;
    int saveStatus = kOTVStatusOK;
};

QByteArray patternBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + 3) % 251 + 1);   // no zero byte: padding stays recognisable
    return bytes;
}

QByteArray encodedImage(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage filledImage(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

} // namespace

class AttachmentStorage : public StoreTest {
public:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
        store.createEncrypter(QStringLiteral("s3cret"));
        ASSERT_TRUE(folder.isValid());
    }

    // A record with a row in RECORDTABLE (attachments hang on it by foreign key).
    std::shared_ptr<OTVRecord> storedRecord()
    {
        auto record = OTVRecord::createRecord();
        root(QStringLiteral("INSERT INTO vivododadi.RECORDTABLE(RECORDID) VALUES ('%1')").arg(record->mRecordUID()));
        return record;
    }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // The caller's side of an attachment write: record storage runs it guarded.
    int attach(OTVRecord& record, const QString& path, const QString& name = QStringLiteral("file.bin"))
    {
        record.setMAttachmentPath(path);
        record.setMAttachmentName(name);
        return store.runGuarded([&] { return store.insertAttachmentforRecordID(record); });
    }

    QByteArray storedColumn(const QString& uid, const char* column)
    {
        QByteArray value;
        store.runGuarded([&] {
            OTVStatement statement =
                store.prepare(QStringLiteral("SELECT %1 FROM ATTACHMENTTABLE WHERE RECORDID=?").arg(column).toUtf8().constData());
            statement.setString(1, uid);
            OTVResultSet rows = statement.executeQuery();
            if (rows.next())
                value = rows.getBlob(1u);
            return kOTVStatusOK;
        });
        return value;
    }

    int attachmentRows() const { return rootValue("SELECT COUNT(*) FROM vivododadi.ATTACHMENTTABLE").toInt(); }

    AttachmentStore store;
    QTemporaryDir folder;
};

// Every size across the first blocks of the 24-byte cipher and up to the largest file the
// interface lets through: the stored data is the file rounded up to 24 bytes, the stored key
// text carries the file's length after the pass key, and extraction gives the file byte for
// byte, zero bytes at its end included (an empty file is an empty value and comes back empty,
// not as no data).
TEST_F(AttachmentStorage, FilesComeBackByteForByteAtEverySize)
{
    QList<qsizetype> sizes;
    for (qsizetype size = 0; size <= 73; ++size)
        sizes.append(size);
    sizes << 4095 << 65536 << 500001 << OTVDataBase::kAttacmentMaxSize - 24 << OTVDataBase::kAttacmentMaxSize - 1;
    for (const qsizetype size : sizes) {
        SCOPED_TRACE(size);
        // Odd sizes end in zero bytes, which the cipher's padding must not swallow nor extend.
        QByteArray original = patternBytes(size);
        for (qsizetype i = size / 2; size % 2 == 1 && i < size; ++i)
            original[i] = '\0';
        auto record = storedRecord();
        ASSERT_EQ(attach(*record, writeFile(QString::number(size), original), QStringLiteral("Report ü.pdf")),
                  kOTVStatusOK);
        EXPECT_EQ(record->mAttachmentPassKey().size(), 16);

        const qsizetype storedSize = (size + 23) / 24 * 24;
        EXPECT_EQ(rootValue(QStringLiteral("SELECT LENGTH(DATA) FROM vivododadi.ATTACHMENTTABLE WHERE RECORDID='%1'")
                                .arg(record->mRecordUID())),
                  QString::number(storedSize));   // never NULL
        EXPECT_EQ(store.getDecryptedString(storedColumn(record->mRecordUID(), "ATTACHMENTNAME")), "Report ü.pdf");
        EXPECT_EQ(store.getDecryptedString(storedColumn(record->mRecordUID(), "ENCRYPTIONKEY")),
                  record->mAttachmentPassKey() + QString::number(size));

        int code = 42;
        const std::optional<QByteArray> extracted = store.extractAttachmentDataForRecord(*record, &code);
        EXPECT_EQ(code, kOTVStatusOK);
        ASSERT_TRUE(extracted.has_value());
        EXPECT_TRUE(*extracted == original) << "extracted " << extracted->size() << " bytes";
        EXPECT_EQ(store.extractAttachmentData(record->mRecordUID()), extracted);

        // A copy carries the length with the key.
        auto copy = storedRecord();
        store.copyAttachmentRow(*record, *copy, &code);
        ASSERT_EQ(code, kOTVStatusOK);
        EXPECT_TRUE(store.extractAttachmentDataForRecord(*copy, &code) == original);
    }
    EXPECT_TRUE(notifications.posts().isEmpty());
}

// Rows written without a length (the pass key alone) still open, with the cipher's padding;
// so do rows whose text after the key is no length that fits the data.
TEST_F(AttachmentStorage, KeyTextsWithoutAUsableLengthKeepThePadding)
{
    const QByteArray original = patternBytes(30);
    const QString passKey = QStringLiteral("AbCdEfGhIjKlMnOp");
    const QByteArray data = *OTVDataBase::encryptFile(writeFile("old", original), passKey);
    struct Case {
        QString keyText;
        QByteArray expected;
    };
    const Case cases[] = {
        {passKey, original + QByteArray(18, '\0')},
        {passKey + "30", original},
        {passKey + "49", original + QByteArray(18, '\0')},    // longer than the data
        {passKey + "x7", original + QByteArray(18, '\0')},
        {passKey + "-1", original + QByteArray(18, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keyText.toStdString());
        auto record = storedRecord();
        store.runGuarded([&] {
            OTVStatement statement = store.prepare("INSERT INTO ATTACHMENTTABLE VALUES(?, ?, ?, ?)");
            statement.setString(1, record->mRecordUID());
            statement.setBlob(2, store.encryptString(QStringLiteral("old.bin")));
            statement.setBlob(3, store.encryptString(c.keyText));
            statement.setBlob(4, data);
            statement.executeUpdate();
            return kOTVStatusOK;
        });
        int code = 42;
        EXPECT_EQ(store.extractAttachmentData(record->mRecordUID(), &code), c.expected);
        EXPECT_EQ(code, kOTVStatusOK);
    }
}

// Each write makes a new pass key; the record takes it only once the row is written, so the
// key it holds always opens what is stored.
TEST_F(AttachmentStorage, ARecordsPassKeyAlwaysOpensItsStoredData)
{
    auto record = storedRecord();
    const QByteArray first = patternBytes(100);
    ASSERT_EQ(attach(*record, writeFile("first", first)), kOTVStatusOK);
    const QString firstKey = record->mAttachmentPassKey();

    const QByteArray second = patternBytes(48).toLower();
    ASSERT_EQ(attach(*record, writeFile("second", second)), kOTVStatusOK);
    EXPECT_NE(record->mAttachmentPassKey(), firstKey);
    EXPECT_EQ(attachmentRows(), 1);
    const QByteArray stored = storedColumn(record->mRecordUID(), "DATA");
    EXPECT_EQ(OTVDataBase::decrypt(stored, record->mAttachmentPassKey()), second);
    EXPECT_NE(OTVDataBase::decrypt(stored, firstKey), second);

    // Failed writes: the connection lost in the statement, a file that is gone, a file of the
    // interface's limit, a name that does not fit its column.
    const QString secondKey = record->mAttachmentPassKey();
    store.statementFaults().failExecution(kQueryInsertAttachmentTable, 1, 2013);
    EXPECT_EQ(attach(*record, writeFile("third", patternBytes(30))), kOTVStatusClientError);
    EXPECT_EQ(attach(*record, folder.filePath("missing")), kOTVStatusNothingWritten);
    EXPECT_EQ(attach(*record, writeFile("large", patternBytes(OTVDataBase::kAttacmentMaxSize))),
              kOTVStatusValueTooLong);
    EXPECT_EQ(attach(*record, writeFile("fourth", patternBytes(30)), QString(241, 'n')), kOTVStatusValueTooLong);
    EXPECT_EQ(record->mAttachmentPassKey(), secondKey);
    int code = -1;
    EXPECT_EQ(store.extractAttachmentDataForRecord(*record, &code), second);
    EXPECT_EQ(code, kOTVStatusOK);
    EXPECT_EQ(notifications.posts(), QStringList{"DB_COMM_LOST(2013)"});
}

// A duplicated record gets its own copy of the row, which opens with the source's key and
// outlives the source's row; a second copy to the same record is refused.
TEST_F(AttachmentStorage, ACopiedRowIsAnIndependentCopy)
{
    auto source = storedRecord();
    const QByteArray bytes = patternBytes(72);
    ASSERT_EQ(attach(*source, writeFile("source", bytes)), kOTVStatusOK);
    auto copy = OTVRecord::copyRecord(*source);
    copy->setMAttachmentPassKey(QStringLiteral("stale"));
    root(QStringLiteral("INSERT INTO vivododadi.RECORDTABLE(RECORDID) VALUES ('%1')").arg(copy->mRecordUID()));

    int code = -1;
    store.copyAttachmentRow(*source, *copy, &code);
    EXPECT_EQ(code, kOTVStatusOK);
    EXPECT_EQ(copy->mAttachmentPassKey(), source->mAttachmentPassKey());

    EXPECT_EQ(store.removeAttachment(source), kOTVStatusOK);
    EXPECT_EQ(store.extractAttachmentDataForRecord(*copy, &code), bytes);

    store.copyAttachmentRow(*copy, *copy, &code);   // the row is there already (1062)
    EXPECT_EQ(code, kOTVStatusDatabaseError);
    auto unstored = OTVRecord::createRecord();      // no record row (1452)
    store.copyAttachmentRow(*copy, *unstored, &code);
    EXPECT_EQ(code, kOTVStatusDatabaseError);
    EXPECT_EQ(unstored->mAttachmentPassKey(), "");
    EXPECT_EQ(attachmentRows(), 1);
}

// After the master password changed, name and pass key are enciphered anew while the data
// keeps its pass key; a record that holds no key leaves its row alone.
TEST_F(AttachmentStorage, ReencipheringKeepsTheDataReadable)
{
    auto record = storedRecord();
    const QByteArray bytes = patternBytes(50);
    ASSERT_EQ(attach(*record, writeFile("data", bytes), QStringLiteral("notes.txt")), kOTVStatusOK);
    const QByteArray storedData = storedColumn(record->mRecordUID(), "DATA");

    // Rewritten under the cipher it is stored with (the whole vault was re-enciphered, and the
    // name changed): the file's length stays with the key.
    record->setMAttachmentName(QStringLiteral("renamed.txt"));
    EXPECT_EQ(store.runGuarded([&] { return store.reEncryptAttachmentforRecord(*record); }), kOTVStatusOK);
    EXPECT_EQ(store.getDecryptedString(storedColumn(record->mRecordUID(), "ENCRYPTIONKEY")),
              record->mAttachmentPassKey() + "50");
    EXPECT_EQ(store.extractAttachmentData(record->mRecordUID()), bytes);
    record->setMAttachmentName(QStringLiteral("notes.txt"));

    // Only the session's cipher changed: the stored key text cannot be read any more, so the
    // record's pass key is written alone and the file opens with its padding.
    store.createEncrypter(QStringLiteral("new master"));
    EXPECT_EQ(store.runGuarded([&] { return store.reEncryptAttachmentforRecord(*record); }), kOTVStatusOK);
    EXPECT_EQ(store.getDecryptedString(storedColumn(record->mRecordUID(), "ATTACHMENTNAME")), "notes.txt");
    EXPECT_EQ(store.getDecryptedString(storedColumn(record->mRecordUID(), "ENCRYPTIONKEY")),
              record->mAttachmentPassKey());
    EXPECT_EQ(storedColumn(record->mRecordUID(), "DATA"), storedData);
    EXPECT_EQ(store.extractAttachmentData(record->mRecordUID()), bytes + QByteArray(22, '\0'));

    const QByteArray storedKey = storedColumn(record->mRecordUID(), "ENCRYPTIONKEY");
    OTVRecord unread(*record);
    unread.setMAttachmentPassKey(QStringLiteral(""));
    unread.setMAttachmentName(QStringLiteral(""));
    EXPECT_EQ(store.runGuarded([&] { return store.reEncryptAttachmentforRecord(unread); }),
              kOTVStatusNothingWritten);
    EXPECT_EQ(storedColumn(record->mRecordUID(), "ENCRYPTIONKEY"), storedKey);
}

// Removing deletes the row and leaves the record without attachment and with a fresh date,
// also when the row was gone already; a failed save of the record is shown to the user and
// leaves the row and the record as they were.
TEST_F(AttachmentStorage, RemovingClearsTheRecordAndSavesIt)
{
    RecordingAlertPresenter alerts;
    const QRegularExpression dateText(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d [+-]\\d{4}$"));
    auto record = storedRecord();
    ASSERT_EQ(attach(*record, writeFile("data", patternBytes(10))), kOTVStatusOK);
    record->setMHasAttachment(true);
    record->setValue(kNoOfFields, QStringLiteral("2000-01-01 00:00:00 +0000"));

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(store.removeAttachment(record), kOTVStatusOK);
        EXPECT_EQ(attachmentRows(), 0);
        EXPECT_FALSE(record->mHasAttachment());
        EXPECT_EQ(record->mAttachmentName(), "");
        EXPECT_EQ(record->mAttachmentPassKey(), "");
        EXPECT_TRUE(dateText.match(record->value(kNoOfFields)).hasMatch()) << record->value(kNoOfFields).toStdString();
        EXPECT_NE(record->value(kNoOfFields), "2000-01-01 00:00:00 +0000");
    }
    EXPECT_EQ(store.savedRecords, QStringList(2, record->mRecordUID()));
    EXPECT_TRUE(alerts.alerts.isEmpty());

    ASSERT_EQ(attach(*record, writeFile("again", patternBytes(12)), QStringLiteral("again.bin")), kOTVStatusOK);
    record->setMHasAttachment(true);
    const QString passKey = record->mAttachmentPassKey();
    const QString date = record->value(kNoOfFields);
    store.saveStatus = kOTVStatusNothingWritten;
    EXPECT_EQ(store.removeAttachment(record), kOTVStatusNothingWritten);
    EXPECT_EQ(attachmentRows(), 1);
    EXPECT_TRUE(record->mHasAttachment());
    EXPECT_EQ(record->mAttachmentName(), "again.bin");
    EXPECT_EQ(record->mAttachmentPassKey(), passKey);
    EXPECT_EQ(record->value(kNoOfFields), date);
    ASSERT_EQ(alerts.alerts.size(), 1);
    EXPECT_EQ(alerts.alerts[0].title, "Ostrevin Darovazivu Alert!");
    EXPECT_EQ(alerts.alerts[0].message, "Operation failed. Please reload the database first.");
    EXPECT_EQ(alerts.alerts[0].defaultButton, "OK");

    store.saveStatus = kOTVStatusOK;
    store.statementFaults().failExecution(kQueryDeleteAttachmentTable, 1, 2013);
    EXPECT_EQ(store.removeAttachment(record), kOTVStatusClientError);
    EXPECT_TRUE(record->mHasAttachment());
    EXPECT_EQ(store.savedRecords.size(), 3);
}

// Stored data that the cipher cannot take (not a multiple of 24 bytes) and records without a row.
TEST_F(AttachmentStorage, ExtractionFailuresAreReportedByCode)
{
    auto record = storedRecord();
    ASSERT_EQ(store.runGuarded([&] {
        OTVStatement statement = store.prepare(kQueryInsertAttachmentTable);
        statement.setString(1, record->mRecordUID());
        statement.setBlob(2, store.encryptString("name"));
        statement.setBlob(3, store.encryptString("0123456789abcdef"));
        statement.setBlob(4, QByteArray(20, 'x'));
        return statement.executeUpdate() > 0 ? kOTVStatusOK : kOTVStatusNothingWritten;
    }),
              kOTVStatusOK);
    int code = 42;
    EXPECT_FALSE(store.extractAttachmentDataForRecord(*record, &code).has_value());
    EXPECT_EQ(code, kOTVStatusDatabaseError);

    auto bare = storedRecord();
    code = 42;
    EXPECT_FALSE(store.extractAttachmentDataForRecord(*bare, &code).has_value());
    EXPECT_EQ(code, 42);
    EXPECT_FALSE(store.extractAttachmentData(bare->mRecordUID()).has_value());

    store.statementFaults().failExecution(kQueryAttachments, 1, 2013);
    EXPECT_FALSE(store.extractAttachmentData(record->mRecordUID(), &code).has_value());
    EXPECT_EQ(code, kOTVStatusClientError);
}

// ---------------------------------------------------------------------------------------------
// Custom icons

class CustomIconStorage : public AttachmentStorage {
public:
    void SetUp() override
    {
        AttachmentStorage::SetUp();
        BKNotificationCenter::defaultCenter().addObserver(kExternalIconCreatedNotification, this,
                                                          [this](const BKNotification& n) {
                                                              posted.append(n.object.toInt());
                                                              postedOnMainThread.append(BKIsMainThread());
                                                          });
    }
    void TearDown() override { BKNotificationCenter::defaultCenter().removeObserversOf(this); }

    QStringList storedIcons() const
    {
        return rootRows("SELECT ICONINDEX, LENGTH(DATA) > 0 FROM vivododadi.CUSTOMICONTABLE ORDER BY ICONINDEX");
    }

    QList<int> posted;
    QList<bool> postedOnMainThread;
};

TEST_F(CustomIconStorage, IconsAreNumberedFrom1001AndShownAt24Pixels)
{
    const QByteArray png = encodedImage(filledImage(48, 48, Qt::blue), "PNG");
    int number = 0;
    ASSERT_EQ(store.insertCustomIconWithIndex(&number, png), kOTVStatusOK);
    EXPECT_EQ(number, 1001);
    ASSERT_EQ(store.insertCustomIconWithIndex(&number, png), kOTVStatusOK);
    EXPECT_EQ(number, 1002);
    EXPECT_EQ(storedIcons(), QStringList({"1001|1", "1002|1"}));
    EXPECT_EQ(rootValue("SELECT HEX(LEFT(DATA, 4)) FROM vivododadi.CUSTOMICONTABLE WHERE ICONINDEX=1001"),
              "89504E47");   // the PNG signature

    EXPECT_EQ(store.mCustomIcons().value("Icon1001").size(), QSize(48, 48));
    EXPECT_EQ(store.getImageFromIconIndex(1001).size(), QSize(24, 24));
    EXPECT_TRUE(store.getImageFromIconIndex(1000).isNull());
    // Up to 999 the numbers name the application's own images, never a custom one.
    store.mCustomIcons_.insert("Icon999", filledImage(48, 48, Qt::red));
    EXPECT_TRUE(store.getImageFromIconIndex(999).isNull());

    EXPECT_EQ(store.insertCustomIconWithIndex(&number, QByteArray("no picture here")), kOTVStatusDatabaseError);
    EXPECT_EQ(number, 1002);
    // A stray low number in the table never makes a custom icon take a built-in number.
    root("DELETE FROM vivododadi.CUSTOMICONTABLE");
    root("INSERT INTO vivododadi.CUSTOMICONTABLE VALUES (5, 'x')");
    ASSERT_EQ(store.insertCustomIconWithIndex(&number, png), kOTVStatusOK);
    EXPECT_EQ(number, 1001);
}

// The import runs on a worker while the caller waits: a PNG, a JPEG and a large picture become
// 48 x 48 PNG icons; what is no picture is skipped without a word; each icon is announced on
// the main thread; a second import goes on numbering.
TEST_F(CustomIconStorage, ImportingPicturesMakesNumberedIcons)
{
    const QString png = writeFile("a.png", encodedImage(filledImage(96, 48, Qt::green), "PNG"));
    const QString jpeg = writeFile("b.jpg", encodedImage(filledImage(30, 60, Qt::yellow), "JPEG"));
    const QString large = writeFile("c.png", encodedImage(filledImage(4000, 3000, Qt::cyan), "PNG"));
    const QString text = writeFile("d.png", "not a picture at all");

    EXPECT_EQ(store.importCustomIcons({png, jpeg, text, folder.filePath("gone.png"), large}),
              QList<int>({1001, 1002, 1003}));
    EXPECT_EQ(posted, QList<int>({1001, 1002, 1003}));
    EXPECT_EQ(postedOnMainThread, QList<bool>({true, true, true}));
    EXPECT_EQ(store.importCustomIcons({png}), QList<int>({1004}));

    for (int number : {1001, 1002, 1003, 1004}) {
        SCOPED_TRACE(number);
        QByteArray stored;
        store.runGuarded([&] {
            OTVStatement statement = store.prepare("SELECT DATA FROM CUSTOMICONTABLE WHERE ICONINDEX=?");
            statement.setInt(1, number);
            OTVResultSet rows = statement.executeQuery();
            if (rows.next())
                stored = rows.getBlob(1u);
            return kOTVStatusOK;
        });
        const QImage icon = QImage::fromData(stored, "PNG");
        EXPECT_EQ(icon.size(), QSize(48, 48));
        EXPECT_TRUE(icon.hasAlphaChannel());
        EXPECT_EQ(store.getImageFromIconIndex(number).size(), QSize(24, 24));
    }
}

// Two clients storing icons at the same time never take the same number.
TEST_F(CustomIconStorage, ConcurrentClientsGetDistinctNumbers)
{
    AttachmentStore other;
    ASSERT_EQ(connect(other, server.admin), kOTVStatusOK);
    const QByteArray png = encodedImage(filledImage(48, 48, Qt::blue), "PNG");
    constexpr int kPerClient = 15;
    std::atomic<int> finished{0};
    std::atomic<int> failures{0};
    for (OTVDataBase* client : {static_cast<OTVDataBase*>(&store), static_cast<OTVDataBase*>(&other)}) {
        BKDetachNewThread(
            [client, &png, &finished, &failures] {
                for (int i = 0; i < kPerClient; ++i) {
                    int number = 0;
                    if (client->insertCustomIconWithIndex(&number, png) != kOTVStatusOK)
                        ++failures;
                }
                ++finished;
            },
            &OTVDataBase::endDatabaseThread);
    }
    BKRunModalUntil([&] { return finished.load() == 2; });
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(rootValue("SELECT COUNT(DISTINCT ICONINDEX) FROM vivododadi.CUSTOMICONTABLE"),
              QString::number(2 * kPerClient));
    EXPECT_EQ(rootValue("SELECT MIN(ICONINDEX) FROM vivododadi.CUSTOMICONTABLE"), "1001");
}
