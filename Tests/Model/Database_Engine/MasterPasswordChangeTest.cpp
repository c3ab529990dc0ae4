// The master password against a real server: the first one, the change that re-enciphers the
// vault (groups, types, records with custom types and attachments, other users' personal
// groups and records), its removal, and that a failure anywhere in a change, or a connection
// killed in the middle of it, leaves the vault exactly as it was under the old password.
#include "StoreTestSupport.h"
#include "VaultTestSupport.h"

#include "Model/BKGroup.h"
#include "Model/OTVRecord.h"
#include "Model/OTVType.h"
#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKUserDefaults.h"
#include "Platform/BKWorker.h"
#include "Support/TemporarySettings.h"

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <future>
#include <thread>

namespace {

const QString kOldPassword = QStringLiteral("old master");
const QString kAdminID = QStringLiteral("0000000000000001");
const QString kBobID = QStringLiteral("00000000AB000002");

// A table as the snapshot reads it: its column count and which columns the record cipher
// protects.
struct SnapshotTable {
    const char* name;
    int columns;
    QList<int> enciphered;
};

const SnapshotTable kSnapshotTables[] = {
    {"GROUPTABLE", 4, {2}},
    {"TYPETABLE", 14, {2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}},
    {"RECORDTABLE", 17, {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}},
    {"CUSTOMTYPETABLE", 13, {4, 5, 6, 7, 8, 9, 10, 11, 12, 13}},
    {"ATTACHMENTTABLE", 4, {2, 3}},   // 4 DATA: deciphered with the pass key of column 3
    {"USERGROUPTABLE", 2, {}},
    {"GROUPSUBGROUPTABLE", 2, {}},
};

// Every row of the vault as `store` reads it, its enciphered values deciphered under the
// store's cipher; a value that does not decipher shows its stored bytes.
QStringList snapshot(StoreProbe& store)
{
    QStringList lines;
    const int status = store.runGuarded([&] {
        for (const SnapshotTable& table : kSnapshotTables) {
            OTVStatement statement = store.prepare(QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2")
                                                       .arg(table.name)
                                                       .toUtf8()
                                                       .constData());
            OTVResultSet rows = statement.executeQuery();
            while (rows.next()) {
                QStringList values{table.name};
                QString passKey;
                for (int column = 1; column <= table.columns; ++column) {
                    const unsigned c = unsigned(column);
                    if (table.enciphered.contains(column)) {
                        const QByteArray stored = rows.getBlob(c);
                        const QString plain = store.getDecryptedString(stored);
                        values << (plain.isNull() ? "undecipherable " + QString::fromLatin1(stored.toHex()) : plain);
                        passKey = plain;
                    } else if (QByteArray(table.name) == "ATTACHMENTTABLE" && column == 4) {
                        const std::optional<QByteArray> data = OTVDataBase::decrypt(rows.getBlob(c), passKey);
                        values << QString::fromLatin1(data.value_or("none").toHex());
                    } else {
                        values << (rows.isNull(c) ? QStringLiteral("NULL") : rows.getString(c));
                    }
                }
                lines << values.join('|');
            }
        }
        return kOTVStatusOK;
    });
    EXPECT_EQ(status, kOTVStatusOK);
    return lines;
}

// The SQL literal of `text` enciphered under `store`'s record cipher.
QString sealed(OTVDataBase& store, const QString& text)
{
    return "x'" + QString::fromLatin1(store.encryptString(text).toHex()) + "'";
}

using vault_build::makeGroup;
using vault_build::makeType;

// A master password whose user-data ciphertext holds a zero byte, so that it is stored and read
// back only if every byte of it is.
QString passwordWithZeroInCiphertext(OTVDataBase& store)
{
    for (int n = 0;; ++n) {
        const QString candidate = QStringLiteral("new master %1").arg(n);
        if (store.encryptDataString(candidate).contains('\0'))
            return candidate;
    }
}

} // namespace

class MasterPasswordChange : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        // An empty vault gets its first master password, and then its values from one client;
        // another client, which has loaded nothing, changes the password.
        ASSERT_EQ(connect(owner, server.admin), kOTVStatusOK);
        ASSERT_EQ(owner.setMasterPassword(kOldPassword), kOTVStatusOK);
        EXPECT_EQ(owner.masterPassword(), kOldPassword);
        ASSERT_NO_FATAL_FAILURE(buildVault());
        ASSERT_EQ(connect(changer, server.admin, kOldPassword), kOTVStatusOK);
        before = snapshot(owner);
        ASSERT_GT(before.size(), 20);
    }

    void buildVault()
    {
        root("INSERT INTO vivododadi.USERTABLE(USERID, USERNAME) VALUES ('" + kAdminID + "', 'ostrevin_admin'), ('" +
             kBobID + "', 'bob')");
        OTVUser_Admin admin;
        admin.setMUserID(kAdminID);
        admin.setMUsername("ostrevin_admin");
        OTVUser_Admin bob;
        bob.setMUserID(kBobID);
        bob.setMUsername("bob");
        ASSERT_EQ(owner.addUserPersonalGroup(admin), kOTVStatusOK);
        ASSERT_EQ(owner.addUserPersonalGroup(bob), kOTVStatusOK);

        auto home = makeGroup("00000000000000A2", "Home", {kBobID}, {});
        auto work = makeGroup("00000000000000A1", "Wörk ✓", {kAdminID}, {"00000000000000A2"});
        ASSERT_EQ(owner.addGroup(home), kOTVStatusOK);
        ASSERT_EQ(owner.addGroup(work), kOTVStatusOK);
        auto login = makeType("00000000000000B1", "Login");
        auto bank = makeType("00000000000000B2", "Bänk");
        ASSERT_EQ(owner.addType(login), kOTVStatusOK);
        ASSERT_EQ(owner.addType(bank), kOTVStatusOK);

        QFile file(files.filePath("report.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("attached bytes\n\0with a zero", 27);
        file.close();

        auto adminPersonal = makeGroup(kAdminID, "", {}, {});
        auto bobPersonal = makeGroup(kBobID, "", {}, {});
        struct Spec {
            QString uid;
            std::shared_ptr<BKGroup> group;
            std::shared_ptr<OTVType> type;
            bool customised;
            bool attachment;
        };
        const Spec specs[] = {
            {"00000000000000C1", work, login, false, false},
            {"00000000000000C2", work, bank, true, true},
            {"00000000000000C3", home, login, false, true},
            {"00000000000000C4", adminPersonal, login, true, false},
            {"00000000000000C5", bobPersonal, bank, true, true},
            {"00000000000000C6", bobPersonal, login, false, false},
        };
        for (const Spec& spec : specs) {
            auto record = std::make_shared<OTVRecord>();
            record->setMRecordUID(spec.uid);
            record->setMGroup(spec.group);
            record->setMType(spec.type);
            for (int field = 1; field <= kNoOfFields; ++field)
                record->setValue(field, field == 3 ? QString() : QStringLiteral("%1 välue %2").arg(spec.uid).arg(field));
            record->setMNotes(QStringLiteral("Notes of %1\nsecond line: ünïcode ✓").arg(spec.uid));
            record->setMViewCounter(4);
            if (spec.customised) {
                OTVType custom = *makeType(QString(), "custom");
                custom.setLabel(7, QString());   // stored as "Field7"
                record->setMIsCustomized(true);
                record->setMRecordCustomType(custom);
            }
            if (spec.attachment) {
                record->setMHasAttachment(true);
                record->setMAttachmentName("report " + spec.uid + ".txt");
                record->setMAttachmentPath(file.fileName());
                record->setMAttachmentState(kAttachmentStoreFile);
            }
            ASSERT_EQ(owner.addRecord(record), kOTVStatusOK) << spec.uid.toStdString();
        }
    }

    // A new connection keyed by `password`, which must open the vault.
    QStringList snapshotUnder(const QString& password)
    {
        StoreProbe fresh;
        EXPECT_EQ(connect(fresh, server.admin, password), kOTVStatusOK);
        EXPECT_EQ(fresh.retriveMasterPassword().value_or(QString()), password);
        return snapshot(fresh);
    }

    // Whether `store`'s record cipher is the one that `password` keys.
    static bool keyedBy(OTVDataBase& store, const QString& password)
    {
        OTVDataBase reference;
        reference.createEncrypter(password);
        const QString probe = QStringLiteral("probe text");
        return store.encryptString(probe) == reference.encryptString(probe);
    }

    TemporarySettings settings;
    QTemporaryDir files;
    StoreProbe owner;
    StoreProbe changer;
    QStringList before;
};

// A client that has loaded nothing re-enciphers what others wrote; a new session opens the
// vault with the new password and reads every value, name, label, attachment name, pass key
// and file back unchanged, and the old password no longer opens it.
TEST_F(MasterPasswordChange, EveryValueReadsBackUnchangedUnderTheNewPassword)
{
    const QString newPassword = passwordWithZeroInCiphertext(changer);
    EXPECT_EQ(changer.changeMasterPassword(newPassword), kOTVStatusOK);
    EXPECT_TRUE(changer.isLoadingComplete());
    EXPECT_EQ(changer.masterPassword(), newPassword);
    EXPECT_TRUE(keyedBy(changer, newPassword));

    EXPECT_EQ(snapshotUnder(newPassword), before);
    StoreProbe stale;
    EXPECT_EQ(connect(stale, server.admin, kOldPassword), kOTVStatusMasterPasswordMismatch);

    // The personal groups are still named after their owners.
    EXPECT_TRUE(before.contains("GROUPTABLE|" + kBobID + "|Personal-bob|7|1"));

    // The password lives in memory only.
    EXPECT_FALSE(BKUserDefaults::standardUserDefaults().hasKey(kMasterPasswordDefaultsKey));
    BKUserDefaults::standardUserDefaults().synchronize();
    QFile settingsFile(BKUserDefaults::standardUserDefaults().settingsFilePath());
    const QByteArray written = settingsFile.open(QIODevice::ReadOnly) ? settingsFile.readAll() : QByteArray();
    EXPECT_FALSE(written.contains(newPassword.toUtf8()));
}

// Without a master password the values are stored as their plain text and 'DBPASSWORD' is
// empty; a first master password then enciphers them, and a vault that has one keeps it.
TEST_F(MasterPasswordChange, RemovingAndSettingTheFirstPassword)
{
    ASSERT_EQ(changer.changeMasterPassword("interim"), kOTVStatusOK);
    ASSERT_TRUE(changer.isLoadingComplete());
    changer.startReEncryption("");
    EXPECT_FALSE(changer.isLoadingComplete()) << "the flag of the last change is cleared before the worker starts";
    BKRunModalUntil([&] { return changer.isLoadingComplete(); });
    EXPECT_EQ(changer.reEncryptionStatus(), kOTVStatusOK);
    EXPECT_FALSE(changer.hasRecordEncrypter());

    EXPECT_EQ(snapshotUnder(""), before);
    EXPECT_EQ(rootValue("SELECT HEX(VALUE) FROM vivododadi.DATABASEINFOTABLE WHERE NAME='DBPASSWORD'"), "");
    EXPECT_EQ(rootValue("SELECT NAME FROM vivododadi.GROUPTABLE WHERE UID='00000000000000A2'"), "Home");

    EXPECT_EQ(changer.setMasterPassword("first"), kOTVStatusOK);
    EXPECT_EQ(changer.masterPassword(), "first");
    EXPECT_EQ(snapshotUnder("first"), before);
    EXPECT_EQ(changer.setMasterPassword("second"), kOTVStatusNothingWritten) << "the vault keeps its key";
    EXPECT_EQ(changer.masterPassword(), "first");
    EXPECT_EQ(snapshotUnder("first"), before);
}

// Whatever fails, at whichever row: the transaction is rolled back, the vault reads as before
// under the old password, and the session keeps its old cipher and password.
TEST_F(MasterPasswordChange, AFailureAnywhereLeavesTheVaultAsItWas)
{
    struct Case {
        std::string sql;
        int nth;
        int errorNumber;   // 0: an exception that is not a database error
        int status;
    };
    const auto rewrite = [](const char* table) { return OTVDataBase::reEncipheringStatement(table); };
    const Case cases[] = {
        {kQueryLockDatabaseInfoMasterPassword, 1, kDBConnectionLastErrCode, kOTVStatusClientError},
        {kQueryRecords, 1, 1205, kOTVStatusDatabaseError},
        {kQueryAllAttachmentNames, 1, 1205, kOTVStatusDatabaseError},
        {kQueryReplaceDatabaseInfoTable, 1, 1205, kOTVStatusDatabaseError},
        {rewrite("GROUPTABLE"), 1, 1205, kOTVStatusDatabaseError},        // the shared groups
        {kQueryGroupUpdateName, 1, 1205, kOTVStatusDatabaseError},        // the first personal group
        {kQueryGetUserName, 2, 1205, kOTVStatusDatabaseError},
        {rewrite("TYPETABLE"), 1, 1205, kOTVStatusDatabaseError},
        {rewrite("RECORDTABLE"), 1, 1205, kOTVStatusDatabaseError},
        {rewrite("RECORDTABLE"), 1, 0, kOTVStatusOtherFailure},
        {rewrite("CUSTOMTYPETABLE"), 1, 1205, kOTVStatusDatabaseError},
        {rewrite("ATTACHMENTTABLE"), 1, 1205, kOTVStatusDatabaseError},
        {kOTVCommitStatement, 1, kDBConnectionLastErrCode, kOTVStatusClientError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql.substr(0, 120) + " #" + std::to_string(c.nth));
        if (c.errorNumber)
            changer.statementFaults().failExecution(c.sql, c.nth, c.errorNumber);
        else
            changer.statementFaults().failExecutionWithOtherException(c.sql, c.nth);
        EXPECT_EQ(changer.changeMasterPassword("never stored"), c.status);
        changer.statementFaults().clear();
        EXPECT_EQ(changer.masterPassword(), kOldPassword);
        EXPECT_TRUE(keyedBy(changer, kOldPassword));
        EXPECT_EQ(snapshotUnder(kOldPassword), before);
    }
    // A value that does not fit its column once enciphered, and a new password that does not fit.
    EXPECT_EQ(changer.changeMasterPassword(QString(241, 'x')), kOTVStatusValueTooLong);
    EXPECT_EQ(snapshotUnder(kOldPassword), before);

    // The session goes on under the old key: the next change succeeds.
    EXPECT_EQ(changer.changeMasterPassword("at last"), kOTVStatusOK);
    EXPECT_EQ(snapshotUnder("at last"), before);
}

// A vault of more rows than one statement rewrites: every batch is written, and a failure in a
// later batch takes the earlier ones back with the rest of the change.
TEST_F(MasterPasswordChange, ManyRowsAreRewrittenInBatchesOfOneTransaction)
{
    const auto sealed = [&](const QString& text) {
        return "x'" + QString::fromLatin1(owner.encryptString(text).toHex()) + "'";
    };
    QStringList rows;
    for (int i = 0; i < 1150; ++i) {
        QString row = QStringLiteral("('D%1','00000000000000B1','00000000000000A1'").arg(i, 15, 10, QLatin1Char('0'));
        for (int field = 1; field <= kNoOfFields; ++field)
            row += ',' + sealed(QStringLiteral("batch %1 välue %2").arg(i).arg(field));
        rows << row + ',' + sealed(QStringLiteral("note %1").arg(i)) + ",0,0,0)";
    }
    root("INSERT INTO vivododadi.RECORDTABLE VALUES " + rows.join(','));
    const QStringList many = snapshot(owner);
    ASSERT_GT(many.size(), 1150);

    changer.statementFaults().failExecution(OTVDataBase::reEncipheringStatement("RECORDTABLE"), 3, 1205);
    EXPECT_EQ(changer.changeMasterPassword("never stored"), kOTVStatusDatabaseError);
    changer.statementFaults().clear();
    EXPECT_EQ(snapshotUnder(kOldPassword), many);

    EXPECT_EQ(changer.changeMasterPassword("batched"), kOTVStatusOK);
    EXPECT_EQ(snapshotUnder("batched"), many);
}

// The server rolls back the transaction of a connection that is killed while a row is being
// rewritten (after the groups, the types and 'DBPASSWORD' were).
TEST_F(MasterPasswordChange, AConnectionKilledInTheMiddleLeavesTheVaultAsItWas)
{
    root("CREATE TRIGGER vivododadi.PAUSE_REWRITE BEFORE UPDATE ON vivododadi.RECORDTABLE FOR EACH ROW "
         "BEGIN IF NEW.RECORDID = '00000000000000C3' THEN SET @pause = SLEEP(60); END IF; END");
    const QString session = sessionIDOf(changer);
    changer.startReEncryption("never stored");
    const QString sleeping = QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID=%1 AND "
                                            "STATE='User sleep'")
                                 .arg(session);
    EXPECT_EQ(rootValueEventually(sleeping, "1"), "1");
    root("KILL " + session);
    BKRunModalUntil([&] { return changer.isLoadingComplete(); });
    root("DROP TRIGGER vivododadi.PAUSE_REWRITE");

    EXPECT_EQ(changer.reEncryptionStatus(), kOTVStatusClientError);
    EXPECT_EQ(notifications.posts(), QStringList{"DB_COMM_LOST(2013)"});
    EXPECT_EQ(changer.masterPassword(), kOldPassword);
    EXPECT_TRUE(keyedBy(changer, kOldPassword));
    EXPECT_EQ(snapshotUnder(kOldPassword), before);
}

// A client whose key is no longer the vault's (another changed the password) would read every
// value as garbage: it changes nothing and is told to reload.
// A change that the server refused at its commit (a deadlock; on a cluster, a write through
// another node) runs again from the values under the old key, and ends as one that went through.
TEST_F(MasterPasswordChange, AChangeRefusedAtItsCommitRunsAgainWhole)
{
    changer.statementFaults().failExecution(kOTVCommitStatement, 1, kDBDeadlockCode);
    EXPECT_EQ(changer.changeMasterPassword("newer"), kOTVStatusOK);
    EXPECT_EQ(changer.masterPassword(), "newer");
    EXPECT_TRUE(keyedBy(changer, "newer"));
    EXPECT_EQ(snapshotUnder("newer"), before);
}

TEST_F(MasterPasswordChange, AClientKeyedByAnOutdatedPasswordChangesNothing)
{
    ASSERT_EQ(changer.changeMasterPassword("newer"), kOTVStatusOK);
    EXPECT_EQ(owner.changeMasterPassword("newest"), kOTVStatusNothingWritten);
    EXPECT_EQ(owner.masterPassword(), kOldPassword);
    EXPECT_EQ(snapshotUnder("newer"), before);
}

// A client that logged in before another changed the master password must not store values
// under the old key (nobody could read them, and the next change would stop at them): every
// write that enciphers is refused with 8 and writes nothing; the vault stays readable and can
// be changed again.
TEST_F(MasterPasswordChange, AClientKeyedByAnOutdatedPasswordWritesNothing)
{
    ASSERT_EQ(changer.changeMasterPassword("newer"), kOTVStatusOK);
    const QStringList afterChange = snapshotUnder("newer");

    auto group = makeGroup("00000000000000A9", "Late", {}, {});
    auto type = makeType("00000000000000B9", "Late type");
    auto record = std::make_shared<OTVRecord>();
    record->setMRecordUID("00000000000000C9");
    record->setMGroup(makeGroup("00000000000000A1", "Wörk ✓", {kAdminID}, {"00000000000000A2"}));
    record->setMType(makeType("00000000000000B1", "Login"));
    record->setValue(1, "written under the old key");
    auto existing = std::make_shared<OTVRecord>(*record);
    existing->setMRecordUID("00000000000000C1");
    auto bank = makeType("00000000000000B2", "Bänk renamed");
    OTVUser_Admin carl;
    carl.setMUserID("0000000000000077");
    carl.setMUsername("carl");
    OTVUser_Admin bob;
    bob.setMUserID(kBobID);
    bob.setMUsername("bobby");
    OTVType custom = *makeType(QString(), "custom");
    root("INSERT INTO vivododadi.RECORDTABLE(RECORDID) VALUES ('00000000000000CB')");
    auto bare = std::make_shared<OTVRecord>(*record);
    bare->setMRecordUID("00000000000000CB");
    auto attached = std::make_shared<OTVRecord>(*record);
    attached->setMRecordUID("00000000000000C2");
    auto duplicate = std::make_shared<OTVRecord>(*record);
    duplicate->setMRecordUID("00000000000000CA");
    duplicate->setMHasAttachment(true);
    duplicate->setMAttachmentState(kAttachmentCopyRow);

    struct Case {
        const char* what;
        std::function<int()> write;
    };
    const Case cases[] = {
        {"add a record", [&] { return owner.addRecord(record); }},
        {"replace a record", [&] { return owner.replaceRecord(existing); }},
        {"store a custom type", [&] { return owner.updateCustomType(*existing, custom); }},
        {"add a group", [&] { return owner.addGroup(group); }},
        {"add a type", [&] { return owner.addType(type); }},
        {"edit a type", [&] { return owner.updateType(bank); }},
        {"add a personal group", [&] { return owner.addUserPersonalGroup(carl); }},
        {"rename a personal group", [&] { return owner.renameUserPersonalGroup(bob); }},
        {"copy an attachment row", [&] {
             int code = -1;
             owner.copyAttachmentRow(*attached, *bare, &code);
             return code;
         }},
        {"duplicate a record with its attachment", [&] { return owner.addRecordCopyingAttachment(*attached, duplicate); }},
    };
    const QStringList withBareRecord = snapshotUnder("newer");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.write(), kOTVStatusNothingWritten);
        EXPECT_EQ(snapshotUnder("newer"), withBareRecord);
    }
    root("DELETE FROM vivododadi.RECORDTABLE WHERE RECORDID='00000000000000CB'");
    EXPECT_EQ(changer.changeMasterPassword("newest"), kOTVStatusOK);
    EXPECT_EQ(snapshotUnder("newest"), afterChange);

    // The client that holds the vault's key writes as before.
    EXPECT_EQ(changer.addGroup(group), kOTVStatusOK);
}

// A record duplicated with its attachment while another client changes the master password:
// the attachment row is copied with the record's row, under the check of the key, so it lands
// before the change (which re-enciphers it) or not at all. Here the copy is held until the
// change has read the vault, or for a second when the change waits for it. Nothing stays under
// the old key, and the next change goes through.
TEST_F(MasterPasswordChange, ADuplicateWithAnAttachmentRacingAChangeEndsUnderOneKey)
{
    ASSERT_EQ(owner.loadDataBase(false), kOTVStatusOK);
    const std::shared_ptr<OTVRecord> source = owner.mRecords().value("00000000000000C2");
    ASSERT_TRUE(source && source->mHasAttachment());
    auto copy = OTVRecord::copyRecord(*source);
    copy->setMAttachmentState(kAttachmentCopyRow);

    std::promise<void> go, changeRead, duplicated;
    std::shared_future<void> goSeen = go.get_future().share();
    std::shared_future<void> changeReadSeen = changeRead.get_future().share();
    std::shared_future<void> duplicatedSeen = duplicated.get_future().share();
    owner.statementFaults().interruptExecution(kQueryCopyAttchmentRow, 1, [&] {
        go.set_value();
        changeReadSeen.wait_for(std::chrono::seconds(1));
    });
    changer.statementFaults().interruptExecution(kQueryReplaceDatabaseInfoTable, 1, [&] {
        changeRead.set_value();
        duplicatedSeen.wait_for(std::chrono::seconds(5));
    });
    int added = -1;
    int changed = -1;
    runConcurrently({
        [&] {
            added = owner.addRecordCopyingAttachment(*source, copy);
            duplicated.set_value();
        },
        [&] {
            goSeen.wait_for(std::chrono::seconds(10));
            changed = changer.reEncyptAllDatabaseInformation("racing master");
        },
    });
    EXPECT_EQ(changed, kOTVStatusOK);
    EXPECT_EQ(added, kOTVStatusOK);
    const QStringList after = snapshotUnder("racing master");
    EXPECT_FALSE(after.join('\n').contains("undecipherable")) << after.join('\n').toStdString();
    EXPECT_EQ(after.filter(copy->mRecordUID()).filter("ATTACHMENTTABLE").size(), 1);
    EXPECT_EQ(changer.changeMasterPassword("after the race"), kOTVStatusOK);
}

// A value that does not decipher under the old key (damaged, or written under another one)
// would be lost by a rewrite: the change is refused, the value stays as it is stored, and the
// alert's text and the event log name its table, column and row so that it can be mended.
TEST_F(MasterPasswordChange, AValueThatDoesNotDecipherStopsTheChange)
{
    QByteArray garbage;
    for (char seed = 'a'; changer.getDecryptedString(garbage).isNull() == false || garbage.isEmpty(); ++seed)
        garbage = QByteArray(16, seed);
    const QString stored = "x'" + QString::fromLatin1(garbage.toHex()) + "'";

    struct Case {
        const char* what;
        QString put;
        QString undo;
        QString place;
    };
    const Case cases[] = {
        {"a record's field",
         "UPDATE vivododadi.RECORDTABLE SET FIELD5=" + stored + " WHERE RECORDID='00000000000000C3'",
         "UPDATE vivododadi.RECORDTABLE SET FIELD5=" + sealed(owner, "00000000000000C3 välue 5") +
             " WHERE RECORDID='00000000000000C3'",
         "table RECORDTABLE, column FIELD5, row RECORDID '00000000000000C3'"},
        {"a record's note",
         "UPDATE vivododadi.RECORDTABLE SET NOTE=" + stored + " WHERE RECORDID='00000000000000C6'",
         "UPDATE vivododadi.RECORDTABLE SET NOTE=" +
             sealed(owner, "Notes of 00000000000000C6\nsecond line: ünïcode ✓") + " WHERE RECORDID='00000000000000C6'",
         "table RECORDTABLE, column NOTE, row RECORDID '00000000000000C6'"},
        {"a type's name", "INSERT INTO vivododadi.TYPETABLE(UID, NAME) VALUES ('00000000000000B9', " + stored + ")",
         "DELETE FROM vivododadi.TYPETABLE WHERE UID='00000000000000B9'",
         "table TYPETABLE, column NAME, row UID '00000000000000B9'"},
    };
    const QString logged = QStringLiteral("SELECT GROUP_CONCAT(DESCRIPTION) FROM vivododadi.EVENTLOGGERTABLE "
                                          "WHERE NAME='Failed Master Password Change'");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        root(c.put);
        const QStringList withGarbage = snapshot(changer);
        ASSERT_TRUE(withGarbage.join('\n').contains("undecipherable " + QString::fromLatin1(garbage.toHex())));

        EXPECT_EQ(changer.changeMasterPassword("never stored"), kOTVStatusOtherFailure);
        EXPECT_EQ(changer.masterPassword(), kOldPassword);
        EXPECT_EQ(snapshotUnder(kOldPassword), withGarbage);
        EXPECT_TRUE(changer.lastServerMessage().contains(c.place)) << changer.lastServerMessage().toStdString();
        const QString entry = rootValue(logged);
        EXPECT_TRUE(entry.contains(c.place)) << entry.toStdString();

        root(c.undo);
        root("DELETE FROM vivododadi.EVENTLOGGERTABLE");
        EXPECT_EQ(snapshotUnder(kOldPassword), before);
    }
    root(cases[2].put);
    const QStringList withGarbage = snapshot(changer);

    // Nor is a stored master password that does not decipher taken for none.
    root("UPDATE vivododadi.DATABASEINFOTABLE SET VALUE=x'" + QString::fromLatin1(garbage.toHex()) +
         "' WHERE NAME='DBPASSWORD'");
    EXPECT_EQ(changer.changeMasterPassword("never stored"), kOTVStatusDatabaseError);
    EXPECT_EQ(changer.setMasterPassword("never stored"), kOTVStatusDatabaseError);
    EXPECT_EQ(snapshot(changer), withGarbage);
}
