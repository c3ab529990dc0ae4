// Record storage against a real server: what RECORDTABLE holds after an add, a replace and a
// delete, the companions written in the same transaction (custom type, attachment), the
// statuses, the record map, the recent lists and the event log, and the failure paths.
#include "StoreTestSupport.h"

#include "Model/OTVRecord.h"
#include "Model/OTVUser.h"
#include "Platform/BKWorker.h"

#include <QFile>
#include <QTemporaryDir>

#include <atomic>

namespace {

const QString kMasterPassword = QStringLiteral("s3cret");
const QString kWork = QStringLiteral("00000000000000A1");
const QString kHome = QStringLiteral("00000000000000A2");
const QString kLogin = QStringLiteral("00000000000000B1");
const QString kBank = QStringLiteral("00000000000000B2");
const QString kUserID = QStringLiteral("00000000AB000001");

constexpr char kSelectValues[] =
    "SELECT FIELD1,FIELD2,FIELD3,FIELD4,FIELD5,FIELD6,FIELD7,FIELD8,FIELD9,FIELD10,NOTE FROM RECORDTABLE "
    "WHERE RECORDID=?";

// The store with the event log and the server's recent lists replaced by a recorder.
class RecordStoreProbe : public StoreProbe {
public:
    RecordStoreProbe()
    {
        mCurrentUser_->setMUserID(kUserID);
        mCurrentUser_->setMUsername(QStringLiteral("admin"));
    }

    QStringList calls() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }
    void clearCalls()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.clear();
    }
    void forgetRecords() { mRecords_.clear(); }

protected:
    void logStoreEvent(const QString& event, const QString& description, const QString& action,
                       const QString& userName) override
    {
        note(QStringList{"log", event, description, action, userName}.join('|'));
    }
    void addRecordToServerList(OTVServerList list, const std::shared_ptr<OTVRecord>& record,
                               const QString& userID) override
    {
        static const char* const names[] = {"mostViewed", "recentlyViewed", "recentlyModified", "recentlyAdded"};
        note(QStringLiteral("%1 %2 for %3").arg(names[int(list)], record->mRecordUID(), userID));
    }

private:
    void note(const QString& call)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_ << call;
    }
    mutable std::mutex mutex_;
    QStringList calls_;
};

class RecordStorage : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
        store.createEncrypter(kMasterPassword);
        ASSERT_TRUE(folder.isValid());
        root("INSERT INTO vivododadi.GROUPTABLE(UID) VALUES ('" + kWork + "'), ('" + kHome + "')");
        root("INSERT INTO vivododadi.TYPETABLE(UID) VALUES ('" + kLogin + "'), ('" + kBank + "')");
        work = group(kWork);
        home = group(kHome);
        login = type(kLogin);
        bank = type(kBank);
    }

    static std::shared_ptr<BKGroup> group(const QString& uid)
    {
        auto group = std::make_shared<BKGroup>();
        group->setMGroupUID(uid);
        return group;
    }
    static std::shared_ptr<OTVType> type(const QString& uid)
    {
        auto type = std::make_shared<OTVType>();
        type->setMTypeUID(uid);
        return type;
    }

    std::shared_ptr<OTVRecord> newRecord(const QString& uid, const QString& value1 = QStringLiteral("Mail"))
    {
        auto record = std::make_shared<OTVRecord>();
        record->setMRecordUID(uid);
        record->setMGroup(work);
        record->setMType(login);
        record->setValue(1, value1);
        record->setValue(2, QStringLiteral("user@example.org"));
        record->setValue(10, QStringLiteral("2026-01-05 09:00:00 +0100"));
        record->setMNotes(QStringLiteral("notes"));
        return record;
    }

    static void customise(OTVRecord& record, int icon = 9)
    {
        OTVType own;
        own.setMTypeIconID(icon);
        record.setMRecordCustomType(own);
        record.setMIsCustomized(true);
    }

    // Gives the record an attachment: a file of `size` bytes named `name` in the test's folder.
    void attach(OTVRecord& record, int state, const QString& name = QStringLiteral("scan.pdf"), qint64 size = 100)
    {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(size, 'a' + char(name.size() % 26))) != size)
            ADD_FAILURE() << "cannot write " << name.toStdString();
        record.setMHasAttachment(true);
        record.setMAttachmentName(name);
        record.setMAttachmentPath(file.fileName());
        record.setMAttachmentState(state);
    }

    // The attachment's name and pass key as the store deciphers them from the row (the file's
    // length after the key is the attachment tests' concern).
    QStringList storedAttachment(const QString& uid)
    {
        const QStringList row = rootRows("SELECT HEX(ATTACHMENTNAME),HEX(ENCRYPTIONKEY) FROM vivododadi.ATTACHMENTTABLE "
                                         "WHERE RECORDID='" + uid + "'");
        QStringList texts;
        for (const QString& hex : row.value(0).split('|', Qt::SkipEmptyParts))
            texts << store.getDecryptedString(QByteArray::fromHex(hex.toLatin1()));
        if (texts.size() == 2)
            texts[1] = OTVDataBase::passKeyOfKeyText(texts[1]);
        return texts;
    }

    // RECORDID|GROUPUID|TYPEUID|HASATTACHMENT|HASCUSTOMFIELD|VIEWCOUNT of every row.
    QStringList recordRows() const
    {
        return rootRows("SELECT RECORDID,GROUPUID,TYPEUID,HASATTACHMENT,HASCUSTOMFIELD,VIEWCOUNT "
                        "FROM vivododadi.RECORDTABLE ORDER BY RECORDID");
    }
    int count(const QString& table) const
    {
        return rootValue("SELECT COUNT(*) FROM vivododadi." + table).toInt();
    }

    // Values 1 to 10 and the notes as `reader` deciphers them from the row.
    static QStringList storedValues(StoreProbe& reader, const QString& uid)
    {
        QStringList values;
        reader.runGuarded([&] {
            OTVStatement statement = reader.prepare(kSelectValues);
            statement.setString(1, uid);
            OTVResultSet rows = statement.executeQuery();
            while (rows.next()) {
                for (uint32_t column = 1; column <= 11; ++column)
                    values << reader.getDecryptedString(rows.getBlob(column));
            }
            return kOTVStatusOK;
        });
        return values;
    }

    static QStringList valuesOf(const OTVRecord& record)
    {
        QStringList values;
        for (int field = 1; field <= kNoOfFields; ++field)
            values << record.value(field);
        return values << record.mNotes();
    }

    RecordStoreProbe store;
    QTemporaryDir folder;
    std::shared_ptr<BKGroup> work, home;
    std::shared_ptr<OTVType> login, bank;
};

} // namespace

// Every value is stored enciphered (or as plain UTF-8 without a master password), and another
// session keyed with the same master password reads it back whole.
TEST_F(RecordStorage, ValuesAreStoredEncipheredAndReadBackByAnotherSession)
{
    for (const QString& masterPassword : {kMasterPassword, QString()}) {
        SCOPED_TRACE(masterPassword.isEmpty() ? "no master password" : "a master password");
        root("DELETE FROM vivododadi.RECORDTABLE");
        store.createEncrypter(masterPassword);
        auto record = newRecord("0000000000000001");
        record->setValue(3, QStringLiteral("Grüße, 日本 🔑"));
        record->setValue(4, QString());
        record->setValue(5, QString(masterPassword.isEmpty() ? 255 : 240, 'x'));
        record->setValue(9, QString(120, QChar(0xE9)));   // 240 UTF-8 bytes
        record->setMNotes(QString(QChar(0x65E5)).repeated(3000) + "\nend");
        record->setMViewCounter(41);
        const QStringList written = valuesOf(*record);
        ASSERT_EQ(store.addRecord(record), kOTVStatusOK);

        EXPECT_EQ(recordRows(), QStringList{"0000000000000001|" + kWork + "|" + kLogin + "|0|0|41"});
        const QString field2 = rootValue("SELECT HEX(FIELD2) FROM vivododadi.RECORDTABLE");
        const QString plain2 = QString::fromLatin1(QByteArray("user@example.org").toHex().toUpper());
        if (masterPassword.isEmpty()) {
            EXPECT_EQ(field2, plain2);
        } else {
            EXPECT_EQ(field2.size(), 32) << "16 bytes enciphered";
            EXPECT_NE(field2, plain2.leftJustified(32, '0')) << "not the text";
        }

        StoreProbe reader;
        ASSERT_EQ(connect(reader, server.plain), kOTVStatusOK);
        reader.createEncrypter(masterPassword);
        EXPECT_EQ(storedValues(reader, "0000000000000001"), written);
        if (!masterPassword.isEmpty()) {
            reader.createEncrypter("S3cret");
            EXPECT_NE(storedValues(reader, "0000000000000001"), written);
        }
    }
}

// A TINYBLOB holds 240 bytes of enciphered text (255 plain). A longer value is refused with
// 12 before anything is written: the insert ignores errors and would cut it short.
TEST_F(RecordStorage, OverlongValuesAreRefusedAndNothingIsWritten)
{
    struct Case {
        QString masterPassword;
        int field;
        QString value;
        int status;
    };
    const QString fits = QString(120, QChar(0xE9));
    const Case cases[] = {
        {kMasterPassword, 1, fits, kOTVStatusOK},
        {kMasterPassword, 1, fits + "x", kOTVStatusValueTooLong},
        {kMasterPassword, 10, QString(241, '9'), kOTVStatusValueTooLong},
        {"", 7, QString(255, 'p'), kOTVStatusOK},
        {"", 7, QString(256, 'p'), kOTVStatusValueTooLong},
    };
    int uid = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("field %1, %2 bytes").arg(c.field).arg(c.value.toUtf8().size()).toStdString());
        store.createEncrypter(c.masterPassword);
        store.clearCalls();
        const QString id = QStringLiteral("%1").arg(++uid, 16, 10, QLatin1Char('0'));
        auto record = newRecord(id);
        record->setValue(c.field, c.value);
        const int rowsBefore = count("RECORDTABLE");
        EXPECT_EQ(store.addRecord(record), c.status);
        EXPECT_EQ(count("RECORDTABLE"), rowsBefore + (c.status == kOTVStatusOK ? 1 : 0));
        EXPECT_EQ(store.mRecords().contains(id), c.status == kOTVStatusOK);
        if (c.status != kOTVStatusOK) {
            EXPECT_EQ(store.calls(), QStringList{"log|Add Record|" + record->value(1) + "|Failed|admin"});
            continue;
        }
        // An edit to an overlong value leaves the stored row as it was.
        const QStringList stored = storedValues(store, id);
        record->setValue(c.field, c.value + QString(20, 'z'));
        EXPECT_EQ(store.replaceRecord(record), kOTVStatusValueTooLong);
        EXPECT_EQ(storedValues(store, id), stored);
    }
    EXPECT_TRUE(notifications.posts().isEmpty());
}

// Text that the stored format cannot hold is refused like a value too long, with nothing
// written: a NUL (everything after it would be lost on reading), a lone surrogate (no UTF-8
// form: the server would store "?"), a note larger than the server takes in one statement.
TEST_F(RecordStorage, ValuesThatCannotBeStoredAreRefused)
{
    struct Case {
        const char* what;
        std::function<void(OTVRecord&)> set;
        int status;
    };
    const QString nul = QStringLiteral("before") + QChar(0) + QStringLiteral("after");
    const Case cases[] = {
        {"a NUL in a value", [&](OTVRecord& r) { r.setValue(2, nul); }, kOTVStatusValueTooLong},
        {"a NUL in the notes", [&](OTVRecord& r) { r.setMNotes(nul); }, kOTVStatusValueTooLong},
        {"a lone high surrogate", [](OTVRecord& r) { r.setValue(3, QString(QChar(0xD83D)) + "x"); },
         kOTVStatusValueTooLong},
        {"a lone low surrogate", [](OTVRecord& r) { r.setValue(3, "x" + QString(QChar(0xDE00))); },
         kOTVStatusValueTooLong},
        {"a surrogate pair", [](OTVRecord& r) { r.setValue(3, QStringLiteral("smile \U0001F600")); }, kOTVStatusOK},
        {"a note of 17 MB", [](OTVRecord& r) { r.setMNotes(QString(17 * 1024 * 1024, 'n')); },
         kOTVStatusValueTooLong},
        {"a note of 1 MB", [](OTVRecord& r) { r.setMNotes(QString(1024 * 1024, 'n')); }, kOTVStatusOK},
    };
    int uid = 100;
    for (const QString& masterPassword : {kMasterPassword, QString()}) {
        store.createEncrypter(masterPassword);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (masterPassword.isEmpty() ? " plain" : " enciphered"));
            const QString id = QStringLiteral("%1").arg(++uid, 16, 10, QLatin1Char('0'));
            auto record = newRecord(id);
            c.set(*record);
            const int rowsBefore = count("RECORDTABLE");
            EXPECT_EQ(store.addRecord(record), c.status);
            EXPECT_EQ(count("RECORDTABLE"), rowsBefore + (c.status == kOTVStatusOK ? 1 : 0));
            if (c.status == kOTVStatusOK) {
                const QStringList stored = storedValues(store, id);   // values 1 to 10, the notes
                EXPECT_EQ(stored.value(2), record->value(3));
                EXPECT_TRUE(stored.value(10) == record->mNotes());
                continue;
            }
            // Nor may an edit bring such a value into a stored record.
            auto plain = newRecord(id);
            ASSERT_EQ(store.addRecord(plain), kOTVStatusOK);
            const QStringList stored = storedValues(store, id);
            auto edited = std::make_shared<OTVRecord>(*plain);
            c.set(*edited);
            EXPECT_EQ(store.replaceRecord(edited), c.status);
            EXPECT_EQ(storedValues(store, id), stored);
        }
    }
}

// The row, its custom type and its attachment are stored together or not at all; the map,
// the recently-added list and the log follow only a stored record.
TEST_F(RecordStorage, AddWritesTheRowWithItsCustomTypeAndAttachmentInOneTransaction)
{
    struct Case {
        const char* what;
        std::function<void(OTVRecord&)> prepare;
        std::function<void()> arm;   // makes a step fail
        int status;
        QString row;                 // HASATTACHMENT|HASCUSTOMFIELD of the stored row, or "" for none
        bool customTypeRow;
        bool attachmentRow;
        bool customisedAfter;
        int stateAfter;
    };
    const QString id = "00000000000000C1";
    const auto customised = [this](OTVRecord& r) { customise(r), attach(r, kAttachmentStoreFile); };
    const Case cases[] = {
        {"a plain record", [](OTVRecord&) {}, {}, kOTVStatusOK, "0|0", false, false, false, 0},
        {"customised with a custom type", [](OTVRecord& r) { customise(r); }, {}, kOTVStatusOK, "0|1", true, false,
         true, 0},
        {"customised without a custom type", [](OTVRecord& r) { r.setMIsCustomized(true); }, {}, kOTVStatusOK, "0|0",
         false, false, false, 0},
        {"an attachment in state 0", [this](OTVRecord& r) { attach(r, kAttachmentUnchanged); }, {}, kOTVStatusOK,
         "1|0", false, true, false, 0},
        {"customised with an attachment in state 1", customised, {}, kOTVStatusOK, "1|1", true, true, true, 0},
        {"an attachment whose row the caller copies", [this](OTVRecord& r) { attach(r, kAttachmentCopyRow); }, {},
         kOTVStatusOK, "1|0", false, false, false, 0},
        {"a custom type that is not stored", customised,
         [this] { store.statementFaults().failExecution(kQueryReplaceCustomType, 1, 1452, "foreign key"); },
         kOTVStatusNothingWritten, "", false, false, true, kAttachmentStoreFile},
        {"an attachment whose statement fails", customised,
         [this] { store.statementFaults().failExecution(kQueryInsertAttachmentTable, 1, 1452, "foreign key"); },
         kOTVStatusDatabaseError, "", false, false, true, kAttachmentStoreFile},
        {"an attachment that fails otherwise", customised,
         [this] { store.statementFaults().failExecutionWithOtherException(kQueryInsertAttachmentTable, 1); },
         kOTVStatusOtherFailure, "", false, false, true, kAttachmentStoreFile},
        {"an attachment file that is gone", [](OTVRecord& r) { r.setMHasAttachment(true), r.setMAttachmentState(1); },
         {}, kOTVStatusNothingWritten, "", false, false, false, kAttachmentStoreFile},
        {"an attachment file over the limit",
         [this](OTVRecord& r) { attach(r, kAttachmentStoreFile, "big.bin", OTVDataBase::kAttacmentMaxSize); }, {},
         kOTVStatusValueTooLong, "", false, false, false, kAttachmentStoreFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        root("DELETE FROM vivododadi.RECORDTABLE");
        store.forgetRecords();
        store.clearCalls();
        auto record = newRecord(id);
        c.prepare(*record);
        if (c.arm)
            c.arm();
        EXPECT_EQ(store.addRecord(record), c.status);

        const QStringList rows = recordRows();
        EXPECT_EQ(rows.isEmpty() ? QString() : rows.first().section('|', 3, 4), c.row);
        EXPECT_EQ(count("CUSTOMTYPETABLE"), c.customTypeRow ? 1 : 0);
        EXPECT_EQ(count("ATTACHMENTTABLE"), c.attachmentRow ? 1 : 0);
        EXPECT_EQ(record->mIsCustomized(), c.customisedAfter);
        EXPECT_EQ(record->mAttachmentState(), c.stateAfter);
        EXPECT_EQ(store.mRecords().value(id), c.status == kOTVStatusOK ? record : nullptr);
        if (c.attachmentRow) {
            EXPECT_EQ(storedAttachment(id), (QStringList{"scan.pdf", record->mAttachmentPassKey()}));
            int code = -1;
            EXPECT_EQ(store.extractAttachmentDataForRecord(*record, &code).value_or("").left(100), QByteArray(100, 'i'));
        }
        QStringList expected;
        if (c.status == kOTVStatusOK)
            expected << "recentlyAdded " + id + " for " + kUserID << "log|Add Record|Mail|Success|admin";
        else if (c.status != kOTVStatusDatabaseError)
            expected << "log|Add Record|Mail|Failed|admin";
        EXPECT_EQ(store.calls(), expected);
    }
    EXPECT_EQ(notifications.posts(), QStringList{}) << "1452 is reported, but posts nothing";
}

// A UID that is already stored changes nothing: not the stored row, not its attachment, not
// the map entry of the record that has it.
TEST_F(RecordStorage, AddingAStoredUIDLeavesTheStoredRecordAlone)
{
    const QString id = "00000000000000D1";
    auto stored = newRecord(id, "Original");
    attach(*stored, kAttachmentStoreFile, "original.pdf");
    ASSERT_EQ(store.addRecord(stored), kOTVStatusOK);
    const QStringList storedRow = recordRows();
    const QString attachmentRow = rootValue("SELECT HEX(ATTACHMENTNAME) FROM vivododadi.ATTACHMENTTABLE");
    store.clearCalls();

    auto intruder = newRecord(id, "Intruder");
    intruder->setMGroup(home);
    customise(*intruder);
    attach(*intruder, kAttachmentStoreFile, "intruder.pdf");
    EXPECT_EQ(store.addRecord(intruder), kOTVStatusNothingWritten);

    EXPECT_EQ(recordRows(), storedRow);
    EXPECT_EQ(storedValues(store, id).first(), "Original");
    EXPECT_EQ(rootValue("SELECT HEX(ATTACHMENTNAME) FROM vivododadi.ATTACHMENTTABLE"), attachmentRow);
    EXPECT_EQ(count("CUSTOMTYPETABLE"), 0);
    EXPECT_EQ(store.mRecords().value(id), stored);
    EXPECT_EQ(store.calls(), QStringList{"log|Add Record|Intruder|Failed|admin"});
    EXPECT_EQ(intruder->mAttachmentState(), kAttachmentStoreFile);
}

// Other users' personal records have no group in this session; no record is written without
// a group, a type and a UID that fit. A group that another client deleted makes the insert
// count nothing.
TEST_F(RecordStorage, RecordsWithoutGroupTypeOrUIDAreNotWritten)
{
    const std::pair<const char*, std::function<void(OTVRecord&)>> cases[] = {
        {"no group", [](OTVRecord& r) { r.setMGroup(nullptr); }},
        {"no type", [](OTVRecord& r) { r.setMType(nullptr); }},
        {"no UID", [](OTVRecord& r) { r.setMRecordUID(QString()); }},
        {"a group that is gone", [](OTVRecord& r) { r.setMGroup(group("00000000000000EE")); }},
    };
    auto stored = newRecord("00000000000000E1");
    ASSERT_EQ(store.addRecord(stored), kOTVStatusOK);
    const QStringList rows = recordRows();
    for (const auto& [what, spoil] : cases) {
        SCOPED_TRACE(what);
        auto record = newRecord("00000000000000E2");
        spoil(*record);
        EXPECT_EQ(store.addRecord(record), kOTVStatusNothingWritten);
        auto edited = std::make_shared<OTVRecord>(*stored);
        spoil(*edited);
        edited->setValue(1, "Edited");
        EXPECT_EQ(store.replaceRecord(edited), kOTVStatusNothingWritten);
        EXPECT_EQ(recordRows(), rows);
    }
    // A UID longer than its column would be cut short by the insert, naming another record.
    auto longUID = newRecord("00000000000000E1X");
    EXPECT_EQ(store.addRecord(longUID), kOTVStatusValueTooLong);
    EXPECT_EQ(store.replaceRecord(longUID), kOTVStatusValueTooLong);
    longUID->setMRecordUID("00000000000000E3");
    longUID->setMType(type("00000000000000B1X"));
    EXPECT_EQ(store.addRecord(longUID), kOTVStatusValueTooLong);
    EXPECT_EQ(recordRows(), rows);

    EXPECT_EQ(store.addRecord(nullptr), kOTVStatusNothingWritten);
    EXPECT_EQ(store.replaceRecord(nullptr), kOTVStatusNothingWritten);
    EXPECT_EQ(store.deleteRecord(nullptr), kOTVStatusNothingWritten);
    EXPECT_EQ(store.mRecords().size(), 1);
}

// A replace rewrites the row (but the view count) and the companions its state asks for; a row
// whose stored values already equal the record's is a success too.
TEST_F(RecordStorage, ReplaceWritesRowCustomTypeAndAttachmentByState)
{
    const QString id = "00000000000000F1";
    for (bool changeValues : {true, false}) {
        for (bool customised : {false, true}) {
            for (int state : {kAttachmentUnchanged, kAttachmentStoreFile, kAttachmentRemoved, kAttachmentReencipher}) {
                SCOPED_TRACE(QStringLiteral("values %1, customised %2, state %3")
                                 .arg(changeValues ? "changed" : "unchanged")
                                 .arg(customised)
                                 .arg(state)
                                 .toStdString());
                root("DELETE FROM vivododadi.RECORDTABLE");
                store.forgetRecords();
                store.createEncrypter(kMasterPassword);
                auto original = newRecord(id);
                original->setMViewCounter(7);
                attach(*original, kAttachmentStoreFile, "first.pdf");
                ASSERT_EQ(store.addRecord(original), kOTVStatusOK);
                const QString firstKey = original->mAttachmentPassKey();
                store.clearCalls();

                auto edited = std::make_shared<OTVRecord>(*original);
                edited->setMViewCounter(99);
                if (changeValues) {
                    edited->setValue(2, "changed@example.org");
                    edited->setMGroup(home);
                    edited->setMType(bank);
                }
                if (customised)
                    customise(*edited);
                if (state == kAttachmentStoreFile)
                    attach(*edited, state, "second.pdf");
                edited->setMAttachmentState(state);
                edited->setMHasAttachment(state != kAttachmentRemoved);
                if (state == kAttachmentReencipher)
                    store.createEncrypter("n3w master");   // the master password changed
                EXPECT_EQ(store.replaceRecord(edited), kOTVStatusOK);

                const QString row = QStringList{id, changeValues ? kHome : kWork, changeValues ? kBank : kLogin,
                                                state == kAttachmentRemoved ? "0" : "1", customised ? "1" : "0", "7"}
                                        .join('|');
                EXPECT_EQ(recordRows(), QStringList{row});
                EXPECT_EQ(storedValues(store, id), valuesOf(*edited));
                EXPECT_EQ(count("CUSTOMTYPETABLE"), customised ? 1 : 0);
                EXPECT_EQ(count("ATTACHMENTTABLE"), 1) << "a removed attachment's row stays, ignored";
                if (state == kAttachmentStoreFile) {
                    EXPECT_EQ(storedAttachment(id), (QStringList{"second.pdf", edited->mAttachmentPassKey()}));
                    EXPECT_NE(edited->mAttachmentPassKey(), firstKey) << "a new file gets a new pass key";
                } else {
                    EXPECT_EQ(storedAttachment(id), (QStringList{"first.pdf", firstKey}));
                }
                int code = -1;
                EXPECT_TRUE(store.extractAttachmentDataForRecord(*edited, &code).has_value());
                EXPECT_EQ(edited->mAttachmentState(), kAttachmentUnchanged);
                EXPECT_EQ(store.mRecords().value(id), edited);

                const QStringList expected{"recentlyModified " + id + " for " + kUserID,
                                           "log|Replace Record|Mail|Success|admin"};
                EXPECT_EQ(store.calls(), expected);
            }
        }
    }
}

TEST_F(RecordStorage, ReplaceOfARowThatIsGoneOrOfAMissingAttachmentRow)
{
    const QString id = "00000000000000F2";
    auto record = newRecord(id);
    ASSERT_EQ(store.addRecord(record), kOTVStatusOK);

    // Re-enciphering finds no attachment row to change: the rest is still saved.
    auto edited = std::make_shared<OTVRecord>(*record);
    attach(*edited, kAttachmentReencipher);
    edited->setValue(1, "Renamed");
    store.clearCalls();
    EXPECT_EQ(store.replaceRecord(edited), kOTVStatusOK);
    EXPECT_EQ(storedValues(store, id).first(), "Renamed");

    // Another client deleted the row: nothing is written, and the map keeps what it had.
    root("DELETE FROM vivododadi.RECORDTABLE");
    auto again = std::make_shared<OTVRecord>(*edited);
    customise(*again);
    attach(*again, kAttachmentStoreFile);
    store.clearCalls();
    EXPECT_EQ(store.replaceRecord(again), kOTVStatusNothingWritten);
    EXPECT_EQ(store.calls(), QStringList{});
    EXPECT_EQ(store.mRecords().value(id), edited);
    EXPECT_EQ(again->mAttachmentState(), kAttachmentStoreFile);
    EXPECT_EQ(count("CUSTOMTYPETABLE") + count("ATTACHMENTTABLE") + count("RECORDTABLE"), 0);
}

// Deleting takes the custom type, the attachment and the four list rows with the row.
TEST_F(RecordStorage, DeleteTakesTheDependentRowsAlong)
{
    const QString id = "00000000000000A9";
    auto record = newRecord(id, "Doomed");
    customise(*record);
    attach(*record, kAttachmentStoreFile);
    ASSERT_EQ(store.addRecord(record), kOTVStatusOK);
    auto other = newRecord("00000000000000AA", "Survivor");
    ASSERT_EQ(store.addRecord(other), kOTVStatusOK);
    root("INSERT INTO vivododadi.USERTABLE(USERID,USERNAME) VALUES ('" + kUserID + "','admin')");
    const QStringList listTables{"MOSTVIEWEDTABLE", "RECENTLYVIEWEDTABLE", "RECENTLYMODIFIEDTABLE", "RECENTLYADDEDTABLE"};
    for (const QString& table : listTables)
        root("INSERT INTO vivododadi." + table + " VALUES ('" + kUserID + "','" + id + "'),('" + kUserID +
             "','00000000000000AA')");
    store.clearCalls();

    EXPECT_EQ(store.deleteRecord(record), kOTVStatusOK);
    EXPECT_EQ(recordRows().size(), 1);
    EXPECT_EQ(count("CUSTOMTYPETABLE") + count("ATTACHMENTTABLE"), 0);
    for (const QString& table : listTables)
        EXPECT_EQ(rootRows("SELECT RECORDID FROM vivododadi." + table), QStringList{"00000000000000AA"}) << table.toStdString();
    EXPECT_FALSE(store.mRecords().contains(id));
    EXPECT_TRUE(store.mRecords().contains("00000000000000AA"));
    EXPECT_EQ(store.calls(), QStringList{"log|Delete Record|Doomed|Success|admin"});

    // A row that is already gone: the map entry goes too, and the delete did not happen here.
    root("DELETE FROM vivododadi.RECORDTABLE");
    store.clearCalls();
    EXPECT_EQ(store.deleteRecord(other), kOTVStatusNothingWritten);
    EXPECT_TRUE(store.mRecords().isEmpty());
    EXPECT_EQ(store.calls(), QStringList{"log|Delete Record|Survivor|Failed|admin"});

    // A failure of the statement itself leaves the map as it was.
    store.forgetRecords();
    auto kept = newRecord("00000000000000AB");
    ASSERT_EQ(store.addRecord(kept), kOTVStatusOK);
    store.statementFaults().failExecutionWithOtherException(kQueryDeleteRecord, 1);
    store.clearCalls();
    EXPECT_EQ(store.deleteRecord(kept), kOTVStatusNothingWritten);
    EXPECT_TRUE(store.mRecords().contains("00000000000000AB"));
    EXPECT_EQ(store.calls(), QStringList{});
}

// A failing row statement on a worker: the error reaches the main thread once, while the
// worker waits; nothing is stored and nothing in memory changes. A successful add on a worker
// changes the map on the main thread before the add returns.
TEST_F(RecordStorage, ARowStatementThatFailsOnAWorkerIsReportedOnTheMainThread)
{
    std::atomic<bool> workerDone{false};
    std::atomic<int> reportsWhileWorking{0};
    BKNotificationCenter::defaultCenter().addObserver(kDBCommunicationLostNotification, this, [&](const BKNotification&) {
        if (!workerDone)
            ++reportsWhileWorking;
    });
    auto failing = newRecord("00000000000000B7");
    auto succeeding = newRecord("00000000000000B8");
    std::atomic<int> failed{-1};
    std::atomic<int> added{-1};
    std::atomic<bool> inMapWhenAddReturned{false};
    store.statementFaults().failExecution(kQueryRecordInsert, 1, 2013, "Lost connection");
    BKRunWorkerAndWait([&] {
        failed = store.addRecord(failing);
        added = store.addRecord(succeeding);
        inMapWhenAddReturned = store.mRecords().contains("00000000000000B8");
        workerDone = true;
    });
    BKNotificationCenter::defaultCenter().removeObserversOf(this);

    EXPECT_EQ(failed, kOTVStatusClientError) << "the connection was lost before the row statement";
    EXPECT_EQ(added, kOTVStatusOK);
    EXPECT_TRUE(inMapWhenAddReturned);
    EXPECT_EQ(notifications.posts(), QStringList{"DB_COMM_LOST(2013)"});
    EXPECT_EQ(notifications.onMainThread(), QList<bool>{true});
    EXPECT_EQ(reportsWhileWorking, 1);
    EXPECT_EQ(recordRows().size(), 1);
    EXPECT_FALSE(store.mRecords().contains("00000000000000B7"));
    EXPECT_EQ(store.calls(), (QStringList{"recentlyAdded 00000000000000B8 for " + kUserID,
                                          "log|Add Record|Mail|Success|admin"}));
}

// INSERT IGNORE turns many errors into warnings, but not an error that a trigger raises.
TEST_F(RecordStorage, AnErrorRaisedOnTheServerIsNotIgnored)
{
    root("CREATE TRIGGER vivododadi.refuse BEFORE INSERT ON vivododadi.RECORDTABLE FOR EACH ROW "
         "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'");
    auto record = newRecord("00000000000000B9");
    EXPECT_EQ(store.addRecord(record), kOTVStatusNothingWritten);
    EXPECT_EQ(count("RECORDTABLE"), 0);
    EXPECT_TRUE(store.mRecords().isEmpty());
    EXPECT_EQ(store.calls(), QStringList{}) << "a database error is reported, not logged";
    root("DROP TRIGGER vivododadi.refuse");
}

TEST_F(RecordStorage, ViewCountIsRaisedOnTheServerOnly)
{
    auto record = newRecord("00000000000000BA");
    record->setMViewCounter(3);
    ASSERT_EQ(store.addRecord(record), kOTVStatusOK);
    store.updateRecordViewCountForRecord("00000000000000BA");
    store.updateRecordViewCountForRecord("00000000000000BA");
    store.updateRecordViewCountForRecord("0000000000000404");
    EXPECT_EQ(rootValue("SELECT VIEWCOUNT FROM vivododadi.RECORDTABLE"), "5");
    EXPECT_EQ(record->mViewCounter(), 3);
    EXPECT_TRUE(notifications.posts().isEmpty());
}

// Removing an attachment saves the record through record storage; a record that is gone from
// the server cannot be saved, and the user is told (and the caller gets the status).
TEST_F(RecordStorage, RemovingAnAttachmentSavesTheRecord)
{
    RecordingAlertPresenter alerts;
    const QString id = "00000000000000BB";
    auto record = newRecord(id);
    attach(*record, kAttachmentStoreFile);
    ASSERT_EQ(store.addRecord(record), kOTVStatusOK);
    store.clearCalls();

    EXPECT_EQ(store.removeAttachment(record), kOTVStatusOK);
    EXPECT_EQ(count("ATTACHMENTTABLE"), 0);
    EXPECT_EQ(recordRows(), QStringList{id + "|" + kWork + "|" + kLogin + "|0|0|0"});
    EXPECT_EQ(storedValues(store, id).at(kNoOfFields - 1), record->value(kNoOfFields)) << "a fresh date is stored";
    EXPECT_EQ(store.calls(), (QStringList{"recentlyModified " + id + " for " + kUserID,
                                          "log|Replace Record|Mail|Success|admin"}));
    EXPECT_TRUE(alerts.alerts.isEmpty());

    root("DELETE FROM vivododadi.RECORDTABLE");
    EXPECT_EQ(store.removeAttachment(record), kOTVStatusNothingWritten);
    EXPECT_EQ(alerts.messages(), QStringList{"Operation failed. Please reload the database first."});
}

// With the store's own event log and lists: a stored record enters the user's recently-added
// and recently-modified lists, viewing it the other two, each write leaves an entry in the
// event log, and deleting the record takes its list rows along.
TEST_F(RecordStorage, RecordWritesReachTheEventLogAndTheUsersLists)
{
    class SessionStore : public StoreProbe {
    public:
        SessionStore()
        {
            mCurrentUser_->setMUserID(kUserID);
            mCurrentUser_->setMUsername(QStringLiteral("admin"));
        }
    } session;
    ASSERT_EQ(connect(session, server.admin), kOTVStatusOK);
    session.createEncrypter(kMasterPassword);
    root("INSERT INTO vivododadi.USERTABLE(USERID,USERNAME) VALUES ('" + kUserID + "','admin')");
    const QString id = "00000000000000BC";
    const QStringList listTables{"RECENTLYADDEDTABLE", "RECENTLYMODIFIEDTABLE", "MOSTVIEWEDTABLE",
                                 "RECENTLYVIEWEDTABLE"};
    const auto listRows = [&] {
        QStringList rows;
        for (const QString& table : listTables)
            rows << table + ":" + rootRows("SELECT * FROM vivododadi." + table).join(',');
        return rows;
    };

    auto record = newRecord(id);
    ASSERT_EQ(session.addRecord(record), kOTVStatusOK);
    auto edited = std::make_shared<OTVRecord>(*record);
    edited->setValue(1, "Renamed");
    ASSERT_EQ(session.replaceRecord(edited), kOTVStatusOK);
    session.addMostViewedRecord(edited, true);
    session.addRecentlyViewedRecord(edited);

    const QString row = kUserID + "|" + id;
    EXPECT_EQ(listRows(), (QStringList{"RECENTLYADDEDTABLE:" + row, "RECENTLYMODIFIEDTABLE:" + row,
                                       "MOSTVIEWEDTABLE:" + row, "RECENTLYVIEWEDTABLE:" + row}));
    EXPECT_EQ(session.recentlyModifiedTypes(), QStringList{id});
    EXPECT_EQ(session.recentlyViewedTypes(), QStringList{id});
    EXPECT_EQ(session.mostViewedRecordsUIDs(), QStringList{id});
    EXPECT_EQ(edited->mViewCounter(), 1);

    ASSERT_EQ(session.deleteRecord(edited), kOTVStatusOK);
    EXPECT_EQ(listRows(), (QStringList{"RECENTLYADDEDTABLE:", "RECENTLYMODIFIEDTABLE:", "MOSTVIEWEDTABLE:",
                                       "RECENTLYVIEWEDTABLE:"}));
    EXPECT_EQ(rootRows("SELECT NAME,DESCRIPTION,USERNAME FROM vivododadi.EVENTLOGGERTABLE ORDER BY NAME"),
              (QStringList{"Add Record|Mail|admin", "Delete Record|Renamed|admin", "Replace Record|Renamed|admin"}));
}
