// The event log against a real server: entries as stored and listed, entries from several
// threads at once, reading them back, the window's list, and the monthly rotation into CSV
// backups (with a clock of the test's choosing).
#include "StoreTestSupport.h"

#include "Model/BKEventLogTableModel.h"
#include "Model/BKGroup.h"
#include "Model/OTVRecord.h"
#include "Model/OTVUser.h"
#include "Model/vRX/IndependentCSVReader.h"
#include "Platform/BKUserDefaults.h"
#include "Platform/BKWorker.h"
#include "Support/TemporarySettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>

namespace {

QDateTime at(const QString& text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class EventLog : public StoreTest {
public:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
        store.setEventLogClock([this] { return now; });
        store.mCurrentUser()->setMUsername(QStringLiteral("alice"));
        ASSERT_TRUE(backups.isValid());
        backupFolder = backups.filePath(QStringLiteral("Documents/Ostrevin"));   // two levels missing
        BKUserDefaults::standardUserDefaults().setObject(backupFolder, kEventLoggerDatabaseLocation);
    }

    // Entries made at the given times by the store (so through the insert under test).
    void logAt(const QStringList& times)
    {
        for (const QString& time : times) {
            now = at(time);
            ASSERT_EQ(store.addLogEvent(QStringLiteral("Add Record"), QStringLiteral("made ") + time,
                                        QStringLiteral("Success")),
                      kOTVStatusOK);
        }
    }

    QStringList storedRows() const
    {
        return rootRows(QStringLiteral("SELECT NAME, ACTION, DESCRIPTION, DATE, USERNAME, SYSTEMNAME "
                                       "FROM vivododadi.EVENTLOGGERTABLE"));
    }

    QStringList backupFiles() const
    {
        return QDir(backupFolder).entryList(QDir::Files, QDir::Name);
    }

    void clearLog()
    {
        root(QStringLiteral("DELETE FROM vivododadi.EVENTLOGGERTABLE"));
        QDir(backupFolder).removeRecursively();
        store.readSaveLogsArrayToDatabase();
    }

    TemporarySettings settings;
    QTemporaryDir backups;
    QString backupFolder;
    QDateTime now = at(QStringLiteral("2026-11-14 10:20:30"));
    StoreProbe store;
};

// ---------------------------------------------------------------------------------------------
// Writing and listing

TEST_F(EventLog, AnEntryIsStoredAsItIsListed)
{
    struct Case {
        const char* name;
        QString loggedIn;
        QString description;
        QString action;
        QString user;
        QString storedUser;
    };
    const Case cases[] = {
        {"no description nor action: empty texts", "alice", QString(), QString(), QString(), "alice"},
        {"a user given by the caller", "alice", "Bank", "Failed", "bob", "bob"},
        // Stored too, under an empty user name, rather than dropped from the audit trail.
        {"nobody logged in", "", "Bank", "Success", QString(), ""},
        {"four-byte characters", "alice", QString::fromUtf8("Bank \xF0\x9F\x94\x91"), "Success", QString(), "alice"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        root(QStringLiteral("DELETE FROM vivododadi.EVENTLOGGERTABLE"));
        store.mCurrentUser()->setMUsername(c.loggedIn);

        EXPECT_EQ(store.addLogEvent(QStringLiteral("Add Type"), c.description, c.action, c.user), kOTVStatusOK);

        const EventLogEntry listed = store.eventLogWindowList().entries().last();
        const EventLogEntry expected = {{kDate, "2026-11-14 10:20:30"}, {kEvent, "Add Type"},
                                        {kDescription, c.description.isNull() ? "" : c.description},
                                        {kAction, c.action.isNull() ? "" : c.action},
                                        {kUser, c.storedUser},  {kComputer, BKFullUserName()}};
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(storedRows(), QStringList({QStringList({"Add Type", "Ostrel Id", expected[kDescription],
                                                          "2026-11-14 10:20:30", c.storedUser, BKFullUserName()})
                                                 .join('|')}));
    }
    EXPECT_FALSE(BKFullUserName().isEmpty());
}

// The insert ignores errors, so the server would cut the text short: the store refuses it.
TEST_F(EventLog, AnEntryTooLongForItsColumnIsListedButNotStored)
{
    EXPECT_EQ(store.addLogEvent(QStringLiteral("Add Record"), QString(4097, 'x')), kOTVStatusValueTooLong);
    EXPECT_EQ(store.addLogEvent(QString(101, 'e')), kOTVStatusValueTooLong);
    EXPECT_EQ(store.addLogEvent(QStringLiteral("Add Record"), QString(4096, 'x')), kOTVStatusOK);
    EXPECT_EQ(storedRows().size(), 1);
    EXPECT_EQ(store.eventLogWindowList().count(), 3);
}

// A failed write is reported, answers as any operation (a lost connection's status here), and
// leaves an enclosing transaction free to commit: logging an action never undoes it.
TEST_F(EventLog, AFailedWriteIsReportedAndDoesNotUndoTheActionItRecords)
{
    store.statementFaults().failExecution(KQueryInsertEventLoggerTable, 1, kDBConnectionLastErrCode);
    const int status = store.runGuarded([&] {
        return store.runInTransaction([&] {
            store.executePlain("INSERT INTO GROUPTABLE(UID) VALUES ('00000000000000AA')");
            EXPECT_EQ(store.addLogEvent(QStringLiteral("Add Group"), QStringLiteral("Bank")),
                      kOTVStatusClientError);
            return int(kOTVStatusOK);
        });
    });
    EXPECT_EQ(status, kOTVStatusOK);
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.GROUPTABLE"), "1");
    EXPECT_EQ(notifications.posts(), QStringList({"DB_COMM_LOST(2013)"}));
    EXPECT_EQ(store.eventLogWindowList().count(), 1);
}

// The main thread and a worker log at the same time: every entry reaches the table and the
// window's list, and the window's model takes the changes on its own thread.
TEST_F(EventLog, EntriesFromTheMainThreadAndAWorkerAtOnceAllArrive)
{
    BKEventLogTableModel model(store.eventLogWindowList());
    std::atomic<bool> modelChangedOffMainThread{false};
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] {
        if (QThread::currentThread() != qApp->thread())
            modelChangedOffMainThread = true;
    });

    constexpr int kEach = 100;
    std::atomic<bool> workerDone{false};
    BKDetachNewThread(
        [&] {
            for (int i = 0; i < kEach; ++i)
                store.addLogEvent(QStringLiteral("Import"), QStringLiteral("worker %1").arg(i));
        },
        [&] {
            OTVDataBase::endDatabaseThread();
            workerDone = true;
        });
    for (int i = 0; i < kEach; ++i)
        store.addLogEvent(QStringLiteral("View Record"), QStringLiteral("main %1").arg(i));
    BKRunModalUntilFlag(workerDone);
    QCoreApplication::processEvents();

    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.EVENTLOGGERTABLE"), QString::number(2 * kEach));
    EXPECT_EQ(rootValue("SELECT COUNT(DISTINCT DESCRIPTION) FROM vivododadi.EVENTLOGGERTABLE"),
              QString::number(2 * kEach));
    EXPECT_EQ(store.eventLogWindowList().count(), 2 * kEach);
    EXPECT_EQ(model.rowCount(), 2 * kEach);
    EXPECT_FALSE(modelChangedOffMainThread);
}

// ---------------------------------------------------------------------------------------------
// Reading back and the window's list

TEST_F(EventLog, StoredEntriesReadBackInTheServersOrderWithoutAnAction)
{
    logAt({"2026-11-02 08:00:00", "2026-11-01 23:59:59"});
    store.mCurrentUser()->setMUsername(QStringLiteral("bob"));
    logAt({"2026-11-03 12:00:00"});

    ASSERT_EQ(store.readSaveLogsArrayToDatabase(), kOTVStatusOK);
    const QList<EventLogEntry> loaded = store.mLogArray();
    ASSERT_EQ(loaded.size(), 3);
    EXPECT_EQ(loaded[0], (EventLogEntry{{kDate, "2026-11-02 08:00:00"}, {kEvent, "Add Record"},
                                        {kDescription, "made 2026-11-02 08:00:00"}, {kUser, "alice"},
                                        {kComputer, BKFullUserName()}}));
    EXPECT_EQ(loaded[1][kDate], "2026-11-01 23:59:59");
    EXPECT_EQ(loaded[2][kUser], "bob");
}

// The window lists what was loaded plus what was logged since; clearing it touches nothing
// else, and a reload brings back exactly the stored entries.
TEST_F(EventLog, ClearingTheWindowKeepsTheLogAndAReloadRestoresIt)
{
    logAt({"2026-11-02 08:00:00"});
    store.readSaveLogsArrayToDatabase();
    store.reloadLogDatabase();
    logAt({"2026-11-02 09:00:00"});
    EXPECT_EQ(store.eventLogWindowList().count(), 2);

    store.clearLog();
    EXPECT_EQ(store.eventLogWindowList().count(), 0);
    EXPECT_EQ(store.mLogArray().size(), 1);
    EXPECT_EQ(storedRows().size(), 2);

    store.readSaveLogsArrayToDatabase();
    store.reloadLogDatabase();
    EXPECT_EQ(store.eventLogWindowList().entries(), store.mLogArray());
    EXPECT_EQ(store.eventLogWindowList().count(), 2);
}

// ---------------------------------------------------------------------------------------------
// Monthly rotation

TEST_F(EventLog, TheBackupFileNameUsesEnglishMonthsAndTheLogsYear)
{
    EXPECT_EQ(OTVDataBase::eventLogBackupFileName(QDate(2026, 11, 14), QDate(2026, 12, 1)),
              "Nov-2026 (Created_On_01-12-2026).csv");
    // December's log rotated in January keeps its own year.
    EXPECT_EQ(OTVDataBase::eventLogBackupFileName(QDate(2026, 12, 31), QDate(2027, 1, 5)),
              "Dec-2026 (Created_On_05-01-2027).csv");
}

TEST_F(EventLog, TheLogRotatesWhenItsOldestEntryIsFromAnotherMonth)
{
    struct Case {
        const char* name;
        QStringList logged;
        QString today;
        QString file;   // empty: no rotation
    };
    const Case cases[] = {
        {"oldest entry this month", {"2026-11-01 00:00:00", "2026-11-30 23:59:59"}, "2026-11-30 23:59:59", ""},
        {"oldest entry last month", {"2026-10-31 23:59:59", "2026-11-01 00:00:00"}, "2026-11-01 00:00:01",
         "Oct-2026 (Created_On_01-11-2026).csv"},
        // Years count as well: a log a year old is not taken for this month's.
        {"same month of an earlier year", {"2025-11-20 10:00:00"}, "2026-11-14 10:00:00",
         "Nov-2025 (Created_On_14-11-2026).csv"},
        {"December's log in January", {"2026-12-24 18:00:00"}, "2027-01-02 08:00:00",
         "Dec-2026 (Created_On_02-01-2027).csv"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clearLog();
        logAt(c.logged);
        ASSERT_EQ(store.readSaveLogsArrayToDatabase(), kOTVStatusOK);
        const QStringList before = storedRows();
        now = at(c.today);

        EXPECT_EQ(store.checkForMonthChangeInEventLoggerTable(), kOTVStatusOK);

        if (c.file.isEmpty()) {
            EXPECT_EQ(storedRows(), before);
            EXPECT_TRUE(backupFiles().isEmpty());
            continue;
        }
        EXPECT_TRUE(storedRows().isEmpty());
        ASSERT_EQ(backupFiles(), QStringList({c.file}));
        // Another program's CSV reader finds exactly the rows that were deleted.
        const auto parsed = ReadWithIndependentCSVReader(QDir(backupFolder).filePath(c.file));
        ASSERT_TRUE(parsed.has_value());
        QStringList fromFile;
        for (const QStringList& record : parsed->mid(1)) {
            ASSERT_EQ(record.size(), 6);   // every field ends with a comma
            fromFile.append(QStringList({record[1], "Ostrel Id", record[2], record[0], record[3], record[4]}).join('|'));
        }
        EXPECT_EQ(parsed->value(0), QStringList({"Date", "Event", "Description", "User", "Computer", ""}));
        EXPECT_EQ(fromFile, before);
    }
}

TEST_F(EventLog, TheBackupHoldsTheRowsAsStoredAtRotationWithCarriageReturns)
{
    logAt({"2026-10-05 09:00:00"});
    store.readSaveLogsArrayToDatabase();
    // Written by another session after this one loaded the log: backed up all the same.
    root(QStringLiteral("INSERT INTO vivododadi.EVENTLOGGERTABLE VALUES ('Delete Group', 'Ostrel Id', "
                        "'Bank, \"main\"', '2026-10-06 10:00:00', 'carol', 'Carol C')"));
    now = at(QStringLiteral("2026-11-01 07:00:00"));

    ASSERT_EQ(store.checkForMonthChangeInEventLoggerTable(), kOTVStatusOK);

    EXPECT_EQ(readFile(QDir(backupFolder).filePath("Oct-2026 (Created_On_01-11-2026).csv")),
              QByteArray("Date,Event,Description,User,Computer,\r"
                         "2026-10-05 09:00:00,Add Record,made 2026-10-05 09:00:00,alice,") +
                  BKFullUserName().toUtf8() +
                  ",\r"
                  "2026-10-06 10:00:00,Delete Group,\"Bank, \"\"main\"\"\",carol,Carol C,\r");
    EXPECT_TRUE(storedRows().isEmpty());
}

TEST_F(EventLog, NothingIsDeletedWhenTheBackupCannotBeWritten)
{
    RecordingAlertPresenter alerts;
    logAt({"2026-10-05 09:00:00", "2026-10-06 09:00:00"});
    store.readSaveLogsArrayToDatabase();
    now = at(QStringLiteral("2026-11-01 07:00:00"));
    const QStringList before = storedRows();

    // The folder's parent is a file, so the folder cannot be made.
    QFile blocker(backups.filePath(QStringLiteral("Documents")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(store.checkForMonthChangeInEventLoggerTable(), kOTVStatusOtherFailure);
    EXPECT_EQ(storedRows(), before);
    ASSERT_EQ(alerts.messages().size(), 1);
    EXPECT_TRUE(alerts.messages().first().startsWith("Operation failed.")) << alerts.messages().first().toStdString();

    // A backup of the same name already holds rows that are no longer on the server.
    ASSERT_TRUE(QFile::remove(blocker.fileName()));
    ASSERT_TRUE(QDir().mkpath(backupFolder));
    QFile earlier(QDir(backupFolder).filePath("Oct-2026 (Created_On_01-11-2026).csv"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier backup\r");
    earlier.close();
    EXPECT_EQ(store.checkForMonthChangeInEventLoggerTable(), kOTVStatusOtherFailure);
    EXPECT_EQ(storedRows(), before);
    EXPECT_EQ(readFile(earlier.fileName()), QByteArray("an earlier backup\r"));

    // When the delete fails, the rows stay and the file written for them goes again.
    ASSERT_TRUE(earlier.remove());
    store.statementFaults().failExecution(kDeleteBackedUpLogsFromEventLoggerTable, 1, 1205, "Lock wait timeout");
    EXPECT_EQ(store.checkForMonthChangeInEventLoggerTable(), kOTVStatusDatabaseError);
    EXPECT_EQ(storedRows(), before);
    EXPECT_TRUE(backupFiles().isEmpty());
}

TEST_F(EventLog, NothingRotatesWithoutALoadedLogOrWithoutStoredRows)
{
    logAt({"2026-10-05 09:00:00"});
    now = at(QStringLiteral("2026-11-01 07:00:00"));
    // Not loaded yet: the store's list is empty.
    EXPECT_EQ(store.checkForMonthChangeInEventLoggerTable(), kOTVStatusOK);
    EXPECT_EQ(storedRows().size(), 1);

    // Loaded, but another session rotated meanwhile: the empty table has nothing to back up.
    store.readSaveLogsArrayToDatabase();
    root(QStringLiteral("DELETE FROM vivododadi.EVENTLOGGERTABLE"));
    EXPECT_EQ(store.checkForMonthChangeInEventLoggerTable(), kOTVStatusOK);
    EXPECT_TRUE(backupFiles().isEmpty());
}

// ---------------------------------------------------------------------------------------------
// The store's own writes reach the log

TEST_F(EventLog, AGroupWriteIsStoredInTheLogWithItsOutcome)
{
    clearLog();
    store.createEncrypter(QStringLiteral("s3cret"));
    auto group = std::make_shared<BKGroup>();
    group->setMGroupUID(QStringLiteral("00000000AB000001"));
    group->setMGroupName(QStringLiteral("Finance"));
    ASSERT_EQ(store.addGroup(group), kOTVStatusOK);

    auto tooLong = std::make_shared<BKGroup>();
    tooLong->setMGroupUID(QStringLiteral("00000000AB000002"));
    tooLong->setMGroupName(QString(300, QLatin1Char('x')));
    EXPECT_EQ(store.addGroup(tooLong), kOTVStatusValueTooLong);

    // The table keeps event, object and user of what was done; the refused add is in this
    // session's list only.
    const QStringList rows = rootRows(QStringLiteral(
        "SELECT DESCRIPTION, USERNAME FROM vivododadi.EVENTLOGGERTABLE ORDER BY DESCRIPTION"));
    EXPECT_EQ(rows, QStringList{QStringLiteral("Finance|alice")});
    const QList<EventLogEntry> listed = store.eventLogWindowList().entries();
    ASSERT_GE(listed.size(), 2);
    EXPECT_EQ(listed[listed.size() - 2].value(kAction), QStringLiteral("Success"));
    EXPECT_EQ(listed.last().value(kAction), QStringLiteral("Failed"));
}

// A record add that the server refused is listed in the session as "Failed" but leaves no
// stored row, which other sessions and later logins would read as an add that was done.
class RecordWritesInTheLog : public EventLog {
public:
    void SetUp() override
    {
        EventLog::SetUp();
        ASSERT_EQ(store.setMasterPassword(kMasterPassword), kOTVStatusOK);
        root("INSERT INTO vivododadi.GROUPTABLE(UID) VALUES ('00000000000000A1')");
        root("INSERT INTO vivododadi.TYPETABLE(UID) VALUES ('00000000000000B1')");
        work->setMGroupUID(QStringLiteral("00000000000000A1"));
        login->setMTypeUID(QStringLiteral("00000000000000B1"));
        clearLog();
    }

    std::shared_ptr<OTVRecord> record(int n, const QString& name, const QString& password = QStringLiteral("pw")) const
    {
        auto record = std::make_shared<OTVRecord>();
        record->setMRecordUID(QStringLiteral("%1").arg(n, 16, 10, QLatin1Char('0')));
        record->setMGroup(work);
        record->setMType(login);
        record->setValue(1, name);
        record->setValue(3, password);
        return record;
    }

    QStringList storedAdds() const
    {
        return rootRows(QStringLiteral("SELECT DESCRIPTION FROM vivododadi.EVENTLOGGERTABLE WHERE NAME='Add Record' "
                                       "ORDER BY ROWKEY"));
    }

    // The outcomes that this session listed for adds, in order: "name|action".
    QStringList listedAdds()
    {
        QStringList listed;
        for (const EventLogEntry& entry : store.eventLogWindowList().entries())
            if (entry.value(kEvent) == QStringLiteral("Add Record"))
                listed << entry.value(kDescription) + "|" + entry.value(kAction);
        return listed;
    }

    // Another client changes the master password: this session's key is stale.
    void changeTheKeyElsewhere()
    {
        StoreProbe other;
        ASSERT_EQ(connect(other, server.admin, kMasterPassword), kOTVStatusOK);
        ASSERT_EQ(other.changeMasterPassword(QStringLiteral("changed elsewhere")), kOTVStatusOK);
    }

    const QString kMasterPassword = QStringLiteral("s3cret");
    std::shared_ptr<BKGroup> work = std::make_shared<BKGroup>();
    std::shared_ptr<OTVType> login = std::make_shared<OTVType>();
    const QString tooLong = QString(300, QLatin1Char('p'));
};

TEST_F(RecordWritesInTheLog, OneAtATimeOnlyTheStoredAddsAreStored)
{
    ASSERT_EQ(store.addRecord(record(1, "Stored")), kOTVStatusOK);
    EXPECT_EQ(store.addRecord(record(2, "Too long", tooLong)), kOTVStatusValueTooLong);
    EXPECT_EQ(store.addRecord(record(1, "Same UID")), kOTVStatusNothingWritten);
    changeTheKeyElsewhere();
    EXPECT_EQ(store.addRecord(record(3, "Stale key")), kOTVStatusNothingWritten);

    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.RECORDTABLE"), "1");
    EXPECT_EQ(storedAdds(), QStringList{"Stored"});
    EXPECT_EQ(listedAdds(), (QStringList{"Stored|Success", "Too long|Failed", "Same UID|Failed", "Stale key|Failed"}));
}

TEST_F(RecordWritesInTheLog, ABatchLogsExactlyTheRecordsItStored)
{
    ASSERT_EQ(store.addRecord(record(1, "Before")), kOTVStatusOK);
    std::vector<OTVDataBase::RecordToAdd> batch;
    for (int n = 2; n <= 9; ++n)
        batch.push_back({record(n, QStringLiteral("New %1").arg(n))});
    batch.push_back({record(1, "Same UID")});
    batch.push_back({record(10, "Too long", tooLong)});
    store.addRecords(batch);

    QStringList stored{"Before"};
    for (const OTVDataBase::RecordToAdd& entry : batch)
        if (entry.status == kOTVStatusOK)
            stored << entry.record->value(1);
    ASSERT_EQ(stored.size(), 9);
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.RECORDTABLE"), "9");
    EXPECT_EQ(storedAdds(), stored);
    EXPECT_TRUE(listedAdds().contains("Same UID|Failed"));
    EXPECT_TRUE(listedAdds().contains("Too long|Failed"));

    // With a stale key nothing is stored, nor logged as stored.
    changeTheKeyElsewhere();
    std::vector<OTVDataBase::RecordToAdd> refused;
    for (int n = 11; n <= 13; ++n)
        refused.push_back({record(n, QStringLiteral("Refused %1").arg(n))});
    store.addRecords(refused);
    for (const OTVDataBase::RecordToAdd& entry : refused)
        EXPECT_EQ(entry.status, kOTVStatusNothingWritten);
    EXPECT_EQ(storedAdds(), stored);
    EXPECT_EQ(listedAdds().filter("Refused").size(), 3);
}
