// Records added many at a time (addRecords) against a real server: the custom types, the
// recently-added rows and the event-log entries go to the server many to a statement, and must
// come out as the same rows that adding each record alone writes.
#include "StoreTestSupport.h"

#include "Model/OTVRecord.h"
#include "Model/OTVUser.h"

namespace {

const QString kWork = QStringLiteral("00000000000000A1");
const QString kLogin = QStringLiteral("00000000000000B1");
const QString kUserID = QStringLiteral("00000000AB000001");

// More records than one statement of each kind carries.
constexpr int kBatch = 230;

class RecordBatchStorage : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
        store.createEncrypter(QStringLiteral("s3cret"));
        root("INSERT INTO vivododadi.GROUPTABLE(UID) VALUES ('" + kWork + "')");
        root("INSERT INTO vivododadi.TYPETABLE(UID) VALUES ('" + kLogin + "')");
        root("INSERT INTO vivododadi.USERTABLE(USERID, USERNAME) VALUES ('" + kUserID + "', 'admin')");
        store.mCurrentUser()->setMUserID(kUserID);
        store.mCurrentUser()->setMUsername(QStringLiteral("admin"));
        work->setMGroupUID(kWork);
        login->setMTypeUID(kLogin);
    }

    void root(const QString& sql) { server.execAsRoot(sql); }

    // Record n under `uid`: every third one customised with labels of its own (some of them
    // beyond ASCII, some missing), with values that differ from record to record.
    std::shared_ptr<OTVRecord> record(const QString& uid, int n) const
    {
        auto record = std::make_shared<OTVRecord>();
        record->setMRecordUID(uid);
        record->setMGroup(work);
        record->setMType(login);
        record->setValue(1, QStringLiteral("Mail %1 – ünï").arg(n));
        record->setValue(2, QStringLiteral("user%1@example.org").arg(n));
        record->setValue(10, QStringLiteral("2026-01-05 09:00:00 +0100"));
        record->setMNotes(QStringLiteral("notes\nof %1").arg(n));
        if (n % 3 == 0) {
            OTVType own;
            own.setMTypeIconID(n % 40 + 1);
            own.setMTypeMask(n % 4);
            own.setLabel(1, QStringLiteral("Läbel %1 €").arg(n));
            if (n % 2)
                own.setLabel(4, QStringLiteral("PIN"));
            record->setMRecordCustomType(own);
            record->setMIsCustomized(true);
        }
        return record;
    }

    static QString uid(char kind, int n) { return QStringLiteral("%1%2").arg(kind).arg(n, 15, 10, QLatin1Char('0')); }

    // A record's custom-type row as stored, without its UID.
    QString customTypeRow(const QString& recordUID) const
    {
        QStringList columns{"ICONID", "MASKS"};
        for (int field = 1; field <= kNoOfFields; ++field)
            columns << QStringLiteral("HEX(FIELD%1)").arg(field);
        return rootRows("SELECT " + columns.join(',') + " FROM vivododadi.CUSTOMTYPETABLE WHERE RECORDID='" +
                        recordUID + "'")
            .join(QLatin1Char('\n'));
    }

    // The event-log rows as stored, oldest first, without their date.
    QStringList logRows() const
    {
        return rootRows("SELECT NAME, ACTION, DESCRIPTION, USERNAME, SYSTEMNAME FROM vivododadi.EVENTLOGGERTABLE "
                        "ORDER BY ROWKEY");
    }

    StoreProbe store;
    std::shared_ptr<BKGroup> work = std::make_shared<BKGroup>();
    std::shared_ptr<OTVType> login = std::make_shared<OTVType>();
};

TEST_F(RecordBatchStorage, ManyAtATimeWritesTheRowsThatOneAtATimeWrites)
{
    // One at a time: the rows to match.
    for (int n = 0; n < kBatch; ++n)
        ASSERT_EQ(store.addRecord(record(uid('S', n), n)), kOTVStatusOK) << n;
    const QStringList singleLog = logRows();
    ASSERT_EQ(singleLog.size(), kBatch);
    const int windowBefore = int(store.eventLogWindowList().count());

    std::vector<OTVDataBase::RecordToAdd> batch;
    for (int n = 0; n < kBatch; ++n)
        batch.push_back({record(uid('M', n), n)});
    store.addRecords(batch);

    for (int n = 0; n < kBatch; ++n) {
        ASSERT_EQ(batch[size_t(n)].status, kOTVStatusOK) << n;
        EXPECT_EQ(customTypeRow(uid('M', n)), customTypeRow(uid('S', n))) << n;
        EXPECT_EQ(customTypeRow(uid('M', n)).isEmpty(), n % 3 != 0) << n;
    }
    // Each record's entry once, in the records' order, as the adds one by one wrote them.
    EXPECT_EQ(logRows().mid(kBatch), singleLog);
    EXPECT_EQ(int(store.eventLogWindowList().count()), windowBefore + kBatch);
    QStringList expectedAdded;
    for (char kind : {'S', 'M'})
        for (int n = 0; n < kBatch; ++n)
            expectedAdded << kUserID + "|" + uid(kind, n);
    EXPECT_EQ(rootRows("SELECT USERID, RECORDID FROM vivododadi.RECENTLYADDEDTABLE ORDER BY ROWKEY"), expectedAdded);

    // The custom types read back as they were given.
    for (int n = 0; n < kBatch; n += 3) {
        OTVRecord stored;
        stored.setMRecordUID(uid('M', n));
        int status = -1;
        store.readCustomTypeForRecord(stored, &status);
        ASSERT_EQ(status, kOTVStatusOK) << n;
        ASSERT_TRUE(stored.mRecordCustomType()) << n;
        EXPECT_EQ(stored.mRecordCustomType()->label(1), QStringLiteral("Läbel %1 €").arg(n));
        EXPECT_EQ(stored.mRecordCustomType()->mTypeIconID().value_or(0), n % 40 + 1);
    }
}

// An import keeps the statements of its batches from one to the next; a new connection in
// between (the old one closed) must not be handed the old one's statements.
TEST_F(RecordBatchStorage, KeptStatementsEndWithTheirConnection)
{
    const OTVDataBase::KeptStatements kept(store);
    const auto addBatch = [&](char kind) {
        std::vector<OTVDataBase::RecordToAdd> batch;
        for (int n = 0; n < 60; ++n)
            batch.push_back({record(uid(kind, n), n)});
        store.addRecords(batch);
        int stored = 0;
        for (const OTVDataBase::RecordToAdd& entry : batch)
            stored += entry.status == kOTVStatusOK ? 1 : 0;
        return stored;
    };
    EXPECT_EQ(addBatch('A'), 60);
    EXPECT_EQ(addBatch('B'), 60);
    ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
    store.createEncrypter(QStringLiteral("s3cret"));
    EXPECT_EQ(addBatch('C'), 60);
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.RECORDTABLE"), QStringLiteral("180"));
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.CUSTOMTYPETABLE"), QStringLiteral("60"));
}

} // namespace
