// Loading and reloading the vault against a real server: what the maps hold after a load, the
// seeding of a new vault, failures that reach the desktop and leave the vault unloaded, and the
// reload's refresh and its end for a deleted or disabled account.
#include "StoreTestSupport.h"
#include "VaultTestSupport.h"

#include "Model/Ciphers/CDBEncrypter.h"
#include "Model/OTVUser.h"
#include "Model/OTVUser_Admin.h"
#include "Platform/BKWorker.h"

#include <QImage>

#include <cstdlib>
#include <functional>
#include <memory>

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString kMasterPassword = QStringLiteral("s3cret master");
const QString kMe = QStringLiteral("0000000000000001");   // the first administrator's ID
const QString kOther = QStringLiteral("A1B2C3D4E5F60718");
const QString kBank = QStringLiteral("1000000000000001");
const QString kShared = QStringLiteral("1000000000000002");
const QString kLogin = QStringLiteral("2000000000000001");

QStringList sorted(QStringList keys)
{
    keys.sort();
    return keys;
}

constexpr char kInsertDatabaseInfo[] = "REPLACE INTO DATABASEINFOTABLE VALUES(?,?)";
// REPLACE: the login step may have made the user's personal group already.
constexpr char kInsertGroup[] = "REPLACE INTO GROUPTABLE VALUES (?,?,?,?)";
constexpr char kInsertType[] = "INSERT INTO TYPETABLE VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
constexpr char kInsertRecord[] = "INSERT INTO RECORDTABLE VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
constexpr char kInsertCustomType[] = "INSERT INTO CUSTOMTYPETABLE VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)";
constexpr char kInsertAttachment[] = "INSERT INTO ATTACHMENTTABLE VALUES (?,?,?,?)";
constexpr char kInsertIcon[] = "INSERT INTO CUSTOMICONTABLE VALUES (?,?)";
constexpr char kInsertUser[] = "INSERT INTO USERTABLE VALUES (?,?,?,?,?,?,?,?,?,?)";
constexpr char kInsertMember[] = "INSERT INTO USERGROUPTABLE (GROUPID,USERID) VALUES (?,?)";
constexpr char kInsertSubgroup[] = "INSERT INTO GROUPSUBGROUPTABLE VALUES (?,?)";
constexpr char kQuestions[] = "SELECT VARIABLE_VALUE FROM information_schema.SESSION_STATUS WHERE VARIABLE_NAME='QUESTIONS'";

struct RecordRow {
    QString uid;
    QString typeUID;
    QString groupUID;
    QStringList values;   // 1 .. 10; missing ones are empty
    QString note;
    bool hasAttachment = false;
    bool hasCustomField = false;
    qint64 viewCount = 0;
};

} // namespace

class VaultLoading : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);   // creates the vault
        root(QStringLiteral("DELETE FROM mysql.user_info"));
        write(kInsertDatabaseInfo, [&](OTVStatement& s) {
            s.setString(1, QStringLiteral("DBPASSWORD"));
            s.setBlob(2, store.encryptDataString(kMasterPassword));
        });
        ASSERT_EQ(connect(store, server.admin, kMasterPassword), kOTVStatusOK);
        ASSERT_EQ(store.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
        ASSERT_EQ(store.mCurrentUser()->mUserID(), kMe);
        // Every vault past its first load has its policy (the defaults are complete).
        ASSERT_EQ(store.initpasswordPolicy(), kOTVStatusOK);
        services.clear();
    }

    void write(const char* sql, const std::function<void(OTVStatement&)>& bind)
    {
        writeWith(store, sql, bind);
    }

    static void writeWith(StoreProbe& writer, const char* sql, const std::function<void(OTVStatement&)>& bind)
    {
        const int status = writer.runGuarded([&] {
            OTVStatement statement = writer.prepare(sql);
            bind(statement);
            statement.executeUpdate();
            return kOTVStatusOK;
        });
        ASSERT_EQ(status, kOTVStatusOK) << sql;
    }

    void addGroup(const QString& uid, const QString& name, int word = 7, bool prevails = false)
    {
        write(kInsertGroup, [&](OTVStatement& s) {
            s.setString(1, uid);
            s.setBlob(2, store.encryptString(name));
            s.setUInt(3, uint32_t(word));
            s.setBoolean(4, prevails);
        });
    }

    void addType(const QString& uid, const QString& name, int icon, int mask, const QString& labelPrefix)
    {
        write(kInsertType, [&](OTVStatement& s) {
            s.setString(1, uid);
            s.setBlob(2, store.encryptString(name));
            s.setInt(3, icon);
            s.setInt(4, mask);
            for (unsigned field = 1; field <= kNoOfFields; ++field)
                s.setBlob(4 + field, store.encryptString(labelPrefix + QString::number(field)));
        });
    }

    void addRecord(const RecordRow& row)
    {
        write(kInsertRecord, [&](OTVStatement& s) {
            s.setString(1, row.uid);
            s.setString(2, row.typeUID);
            s.setString(3, row.groupUID);
            for (unsigned field = 1; field <= kNoOfFields; ++field)
                s.setBlob(3 + field, store.encryptString(row.values.value(int(field) - 1)));
            s.setBlob(14, store.encryptString(row.note));
            s.setBoolean(15, row.hasAttachment);
            s.setBoolean(16, row.hasCustomField);
            s.setInt64(17, row.viewCount);
        });
    }

    void addCustomType(const QString& recordUID, int icon, int mask)
    {
        write(kInsertCustomType, [&](OTVStatement& s) {
            s.setString(1, recordUID);
            s.setInt(2, icon);
            s.setInt(3, mask);
            for (unsigned field = 1; field <= kNoOfFields; ++field)
                s.setBlob(3 + field, store.encryptString(QStringLiteral("Own %1").arg(field)));
        });
    }

    void addAttachment(const QString& recordUID, const QString& name, const QString& passKey)
    {
        write(kInsertAttachment, [&](OTVStatement& s) {
            s.setString(1, recordUID);
            s.setBlob(2, store.encryptString(name));
            s.setBlob(3, store.encryptString(passKey));
            s.setBlob(4, QByteArray(48, 'x'));
        });
    }

    void addIcon(int index, const QByteArray& data)
    {
        write(kInsertIcon, [&](OTVStatement& s) {
            s.setInt(1, index);
            s.setBlob(2, data);
        });
    }

    void addUser(const QString& userID, const QString& name, bool canChangePassword = true, bool disabled = false)
    {
        write(kInsertUser, [&](OTVStatement& s) {
            s.setString(1, userID);
            s.setString(2, name);
            s.setBlob(3, store.encryptDataString(QStringLiteral("pw of ") + name));
            s.setString(4, QStringLiteral("Linux"));
            s.setInt(5, 1);
            s.setInt(6, 2);
            s.setInt(7, 4);
            s.setInt(8, 63);
            s.setBoolean(9, canChangePassword);
            s.setBoolean(10, disabled);
        });
    }

    void addPair(const char* sql, const QString& first, const QString& second)
    {
        write(sql, [&](OTVStatement& s) {
            s.setString(1, first);
            s.setString(2, second);
        });
    }

    int questionsOfTheStoreSession() { return valueInSessionOf(store, kQuestions).toInt(); }

    StoreProbe store;
    RecordingAlertPresenter alerts;
};

// A new vault is seeded with the record types of the templates and the default policy; the
// types in the map come back from the table, so their names, icons, masks and labels went
// through the cipher.
TEST_F(VaultLoading, AFirstLaunchStoresTheTemplateTypesAndThePolicy)
{
    const QList<std::shared_ptr<OTVType>> templates = OTVType::readtypesFromFile(kTypeTemplatesPath);
    ASSERT_FALSE(templates.isEmpty());

    EXPECT_EQ(store.loadDataBase(true), kOTVStatusOK);
    EXPECT_TRUE(store.isLoadingComplete());
    EXPECT_TRUE(store.isVaultLoaded());
    EXPECT_EQ(services.calls(), QStringList());

    QStringList expected;
    for (const std::shared_ptr<OTVType>& type : templates)
        expected.append(type->mTypeUID() + " -> " + vault_maps::describe(*type));
    expected.sort();
    EXPECT_EQ(vault_maps::describeAll(store.mTypes()), expected);
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.TYPETABLE").toInt(), templates.size());
    // Stored enciphered, not as plain text.
    EXPECT_EQ(rootValue(QStringLiteral("SELECT COUNT(*) FROM vivododadi.TYPETABLE WHERE NAME='%1'")
                            .arg(templates.first()->mTypeName())),
              "0");
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.DATABASEINFOTABLE WHERE NAME IN "
                        "('PASSWDPOLICYMINLENGTH','PASSWDPOLICYCHARSETFLAG')"),
              "2");
}

// The defaults of a new vault are stored all or nothing: a failure in the middle of the types
// is reported and leaves no type and no policy; the next load (not a first launch any more)
// stores them all. Types stored by an interrupted load of an earlier version are kept, and a
// complete vault whose user deleted a template type does not get it back.
TEST_F(VaultLoading, AFailedSeedingIsReportedAndRepairedByTheNextLoad)
{
    const QList<std::shared_ptr<OTVType>> templates = OTVType::readtypesFromFile(kTypeTemplatesPath);
    ASSERT_GT(templates.size(), 4);
    root("DELETE FROM vivododadi.DATABASEINFOTABLE WHERE NAME LIKE 'PASSWDPOLICY%'");

    store.statementFaults().failExecution(kQueryTypeInsert, 4, 1205, "Lock wait timeout");
    EXPECT_NE(store.loadDataBase(true), kOTVStatusOK);
    EXPECT_FALSE(store.isVaultLoaded());
    EXPECT_EQ(services.calls().filter(QStringLiteral("reloadFailed")).size(), 1);
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.TYPETABLE"), "0");
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.DATABASEINFOTABLE WHERE NAME LIKE 'PASSWDPOLICY%'"), "0");

    // An earlier version left three of the types.
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(store.addType(std::make_shared<OTVType>(*templates.at(i))), kOTVStatusOK);
    }
    EXPECT_EQ(store.loadDataBase(false), kOTVStatusOK);
    EXPECT_EQ(store.mTypes().size(), templates.size());
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.TYPETABLE").toInt(), templates.size());
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.DATABASEINFOTABLE WHERE NAME LIKE 'PASSWDPOLICY%'"), "2");

    // Complete now: a deleted template type stays deleted.
    const std::shared_ptr<OTVType> deleted = store.mTypes().first();   // the map lets go of it
    ASSERT_EQ(store.deleteType(deleted), kOTVStatusOK);
    StoreProbe next;
    ASSERT_EQ(connect(next, server.admin, kMasterPassword), kOTVStatusOK);
    ASSERT_EQ(next.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
    EXPECT_EQ(next.loadDataBase(false), kOTVStatusOK);
    EXPECT_EQ(next.mTypes().size(), templates.size() - 1);
}

// One row of each kind that the readers treat specially, and what the maps make of it.
TEST_F(VaultLoading, TheMapsHoldWhatTheTablesHold)
{
    addUser(kOther, QStringLiteral("olga"));
    addGroup(kBank, QStringLiteral("Bank"), 5, true);
    addGroup(kShared, QStringLiteral("Shared"));
    addPair(kInsertMember, kBank, kOther);
    addPair(kInsertSubgroup, kBank, kShared);
    addGroup(kMe, QStringLiteral("Personal-me"));
    addGroup(kOther, QStringLiteral("Personal-olga"));
    addType(kLogin, QStringLiteral("Login"), 12, 4, QStringLiteral("Label "));
    addIcon(1005, vault_maps::png(Qt::red));
    addIcon(1006, QByteArray("no image at all"));

    const QStringList values = {"v1", "v2", "v3", "v4", "v5", "v6", "v7", "v8", "v9", "2020-01-02 03:04:05 +0100"};
    addRecord({"3000000000000001", kLogin, kBank, values, "a note", false, false, 25});
    addRecord({"3000000000000002", kLogin, kOther, {"olga's"}, "", false, false, 0});   // value 10 empty
    addRecord({"3000000000000003", kLogin, kMe, {"mine"}, "", false, false, 0});
    addRecord({"3000000000000004", kLogin, kShared, {"no row"}, "", false, true, 0});
    addRecord({"3000000000000005", kLogin, kShared, {"icon gone"}, "", false, true, 0});
    addCustomType("3000000000000005", 1234, 3);
    addRecord({"3000000000000006", kLogin, kShared, {"custom icon"}, "", false, true, 0});
    addCustomType("3000000000000006", 1005, 1);
    addRecord({"3000000000000007", kLogin, kShared, {"own icon"}, "", true, true, 0});
    addCustomType("3000000000000007", 7, 0);
    addAttachment("3000000000000007", "scan.pdf", "K3y-0f-sixteen!!");
    addRecord({"3000000000000008", kLogin, kShared, {"flag cleared"}, "", false, false, 0});
    addCustomType("3000000000000008", 7, 0);
    addAttachment("3000000000000008", "old.pdf", "0ld-k3y-sixteen!");

    ASSERT_EQ(store.loadDataBase(false), kOTVStatusOK);

    // Other users' personal groups are not listed; the user's own is, without lists.
    EXPECT_EQ(vault_maps::describeAll(store.mGroups()),
              QStringList({"0000000000000001 -> 0000000000000001 | Personal-me | 7 | 0 | - | none | none",
                           "1000000000000001 -> 1000000000000001 | Bank | 5 | 0 | prevails | [A1B2C3D4E5F60718] | "
                           "[1000000000000002]",
                           "1000000000000002 -> 1000000000000002 | Shared | 7 | 0 | - | [] | []"}));
    EXPECT_EQ(vault_maps::describeAll(store.mTypes()),
              QStringList({"2000000000000001 -> 2000000000000001 | Login | icon 12 mask 4 labels [Label 1,Label 2,"
                           "Label 3,Label 4,Label 5,Label 6,Label 7,Label 8,Label 9,Label 10]"}));
    EXPECT_EQ(store.mCustomIcons().keys(), QStringList({"Icon1005"}));
    EXPECT_EQ(store.mCustomIcons().value("Icon1005").pixelColor(3, 3), QColor(Qt::red));

    const QString ownLabels = "labels [Own 1,Own 2,Own 3,Own 4,Own 5,Own 6,Own 7,Own 8,Own 9,Own 10]";
    const QString empty9 = ",,,,,,,,,";   // values 2 to 10
    EXPECT_EQ(
        vault_maps::describeAll(store.mRecords()),
        QStringList({
            "3000000000000001 -> 3000000000000001 | 1000000000000001 | 2000000000000001 | "
            "v1,v2,v3,v4,v5,v6,v7,v8,v9,2020-01-02 03:04:05 +0100 | a note | - | no custom type | - |  |  | 25 | 0",
            "3000000000000002 -> 3000000000000002 | no group | 2000000000000001 | olga's" + empty9 +
                " |  | - | no custom type | - |  |  | 0 | 0",
            "3000000000000003 -> 3000000000000003 | 0000000000000001 | 2000000000000001 | mine" + empty9 +
                " |  | - | no custom type | - |  |  | 0 | 0",
            "3000000000000004 -> 3000000000000004 | 1000000000000002 | 2000000000000001 | no row" + empty9 +
                " |  | customized | no custom type | - |  |  | 0 | 0",
            "3000000000000005 -> 3000000000000005 | 1000000000000002 | 2000000000000001 | icon gone" + empty9 +
                " |  | customized | icon 31 mask 3 " + ownLabels + " | - |  |  | 0 | 0",
            "3000000000000006 -> 3000000000000006 | 1000000000000002 | 2000000000000001 | custom icon" + empty9 +
                " |  | customized | icon 1005 mask 1 " + ownLabels + " | - |  |  | 0 | 0",
            "3000000000000007 -> 3000000000000007 | 1000000000000002 | 2000000000000001 | own icon" + empty9 +
                " |  | customized | icon 7 mask 0 " + ownLabels + " | attachment | scan.pdf | K3y-0f-sixteen!! | 0 | 0",
            "3000000000000008 -> 3000000000000008 | 1000000000000002 | 2000000000000001 | flag cleared" + empty9 +
                " |  | - | no custom type | - |  |  | 0 | 0",
        }));

    // A record's group and type are the very objects of the maps.
    const std::shared_ptr<OTVRecord> record = store.mRecords().value("3000000000000001");
    EXPECT_EQ(record->mGroup().get(), store.mGroups().value(kBank).get());
    EXPECT_EQ(record->mType().get(), store.mTypes().value(kLogin).get());
    EXPECT_EQ(store.mRecords().value("3000000000000003")->mGroup().get(), store.mGroups().value(kMe).get());

    // The vault is read once per process: a second load reads nothing.
    addGroup(QStringLiteral("1000000000000009"), QStringLiteral("Later"));
    EXPECT_EQ(store.loadDataBase(false), kOTVStatusOK);
    EXPECT_FALSE(store.mGroups().contains("1000000000000009"));
}

// The records are read as the server sends them and deciphered on the way: many rows, long
// notes and damaged values come through whole and each in its own record.
TEST_F(VaultLoading, StreamedRecordsKeepLongNotesAndDamagedValues)
{
    addGroup(kShared, QStringLiteral("Shared"));
    addType(kLogin, QStringLiteral("Login"), 12, 4, QStringLiteral("Label "));
    const QString longNote = QStringLiteral("Grüße € 漢字 ").repeated(3000);
    addRecord({"3000000000000000", kLogin, kShared, {"first"}, longNote, false, false, 0});
    constexpr int kRecords = 1200;
    for (int i = 1; i < kRecords; ++i)
        addRecord({QStringLiteral("3%1").arg(i, 15, 10, QLatin1Char('0')), kLogin, kShared,
                   {QStringLiteral("value %1").arg(i), QStringLiteral("second %1").arg(i)},
                   QStringLiteral("note %1").arg(i), false, false, i});
    // Bytes that are no whole number of blocks read as the empty text, bytes that decipher to no
    // UTF-8 as a null text.
    CDBEncrypter cipher(kMasterPassword.toUtf8().constData());
    int length = 2;
    const std::unique_ptr<char, void (*)(void*)> notUtf8(cipher.Encrypt("\xff\xfe", &length), std::free);
    write("UPDATE RECORDTABLE SET FIELD2=?, FIELD3=? WHERE RECORDID='3000000000000007'", [&](OTVStatement& s) {
        s.setBlob(1, QByteArray(20, 'x'));
        s.setBlob(2, QByteArray(notUtf8.get(), length));
    });

    ASSERT_EQ(store.loadDataBase(false), kOTVStatusOK);
    ASSERT_EQ(store.mRecords().size(), kRecords);
    EXPECT_EQ(store.mRecords().value("3000000000000000")->mNotes(), longNote);
    for (int i = 1; i < kRecords; ++i) {
        const std::shared_ptr<OTVRecord> record = store.mRecords().value(QStringLiteral("3%1").arg(i, 15, 10, QLatin1Char('0')));
        ASSERT_TRUE(record) << i;
        EXPECT_EQ(record->value(1), QStringLiteral("value %1").arg(i));
        EXPECT_EQ(record->mNotes(), QStringLiteral("note %1").arg(i));
        EXPECT_EQ(record->mViewCounter(), i);
        if (i != 7)
            EXPECT_EQ(record->value(2), QStringLiteral("second %1").arg(i));
    }
    const std::shared_ptr<OTVRecord> damaged = store.mRecords().value("3000000000000007");
    EXPECT_EQ(damaged->value(2), QStringLiteral(""));
    EXPECT_FALSE(damaged->value(2).isNull());
    EXPECT_TRUE(damaged->value(3).isNull());
}

// The accounts' list leaves out the logged-in user and every well-known (administrator) ID;
// details come from the mysql.user_info row of exactly the same name.
TEST_F(VaultLoading, TheAccountsListHoldsTheOtherUsersWithTheirOwnDetails)
{
    addUser("0000000000000002", "root");
    addUser("B000000000000001", "bob", false, true);
    addUser("B000000000000002", "a_b");
    addUser("B000000000000003", "axb");
    addUser("B000000000000004", "Carol");
    addGroup(kBank, "Bank");
    addPair(kInsertMember, kBank, "B000000000000003");
    root("INSERT INTO mysql.user_info VALUES ('axb','Ax B','the x','axb@example.org','555-1',NULL),"
         "('carol','Carol Lower','lower case','carol@example.org','555-2',NULL)");

    ASSERT_EQ(store.loadDataBase(false), kOTVStatusOK);

    // Passwords stay on the server: what earlier versions kept in USERTABLE is not read.
    EXPECT_EQ(vault_maps::describeAll(store.mUsers()),
              QStringList({"B000000000000001 -> B000000000000001 | bob |  | Linux | 1/2/4/63 | fixed password "
                           "| disabled |  |  |  |  | ",
                           "B000000000000002 -> B000000000000002 | a_b |  | Linux | 1/2/4/63 | - | - |  |  |  "
                           "|  | ",
                           "B000000000000003 -> B000000000000003 | axb |  | Linux | 1/2/4/63 | - | - | "
                           "1000000000000001 | Ax B | the x | axb@example.org | 555-1",
                           "B000000000000004 -> B000000000000004 | Carol |  | Linux | 1/2/4/63 | - | - |  "
                           "|  |  |  | "}));
}

// The desktop starts the load on a worker and waits for the flag, which is down from the start.
TEST_F(VaultLoading, TheLoadRunsOnAWorkerWhileTheMainThreadWaits)
{
    addGroup(kBank, "Bank");
    store.startLoadingDataBase(false);
    EXPECT_FALSE(store.isLoadingComplete());
    BKRunModalUntil([&] { return store.isLoadingComplete(); });
    EXPECT_TRUE(store.isVaultLoaded());
    EXPECT_EQ(store.mGroups().keys(), QStringList({kMe, kBank}));
    EXPECT_EQ(store.mGroups().value(kBank)->mGroupName(), "Bank");
}

// A load that fails on the way is reported to the desktop, changes no map and leaves the vault
// unloaded: the next load reads everything.
TEST_F(VaultLoading, AFailedLoadIsReportedAndTheNextLoadReadsAgain)
{
    addGroup(kBank, "Bank");
    addType(kLogin, "Login", 1, 0, "L");
    addRecord({"3000000000000001", kLogin, kBank, {"v"}, "", false, false, 0});
    addUser("B000000000000001", "bob");

    struct Case {
        const char* sql;
        int errorNumber;   // 0: an exception that is no database error
        int status;
    };
    const Case cases[] = {
        {kQueryUserDetails, 1142, kOTVStatusDatabaseError},
        {kQueryRecords, 2013, kOTVStatusClientError},
        {kQueryAllAttachmentNames, 2006, kOTVStatusClientError},
        {kQueryGroupNotPersonal, 0, kOTVStatusDatabaseError},
        {kQueryPersonalGroup, 1045, kOTVStatusAccessDenied},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        services.clear();
        if (c.errorNumber)
            store.statementFaults().failExecution(c.sql, 1, c.errorNumber);
        else
            store.statementFaults().failExecutionWithOtherException(c.sql, 1);
        EXPECT_EQ(store.loadDataBase(false), c.status);
        EXPECT_EQ(store.connectionErrorCode(), c.status);
        EXPECT_TRUE(store.isLoadingComplete());
        EXPECT_FALSE(store.isVaultLoaded());
        EXPECT_EQ(services.calls(), QStringList({QStringLiteral("reloadFailed(%1)").arg(c.status)}));
        EXPECT_TRUE(store.mGroups().isEmpty());
        EXPECT_TRUE(store.mRecords().isEmpty());
    }
    // The loss of the connection is the reload handler's to report: no notification besides.
    EXPECT_EQ(notifications.posts(), QStringList());

    services.clear();
    EXPECT_EQ(store.loadDataBase(false), kOTVStatusOK);
    EXPECT_TRUE(store.isVaultLoaded());
    EXPECT_EQ(services.calls(), QStringList());
    EXPECT_EQ(store.mRecords().size(), 1);
    EXPECT_EQ(store.mUsers().size(), 1);
}

// The same with the server's own failures: a session that was killed, and an account that
// lost its right to read mysql.user_info.
TEST_F(VaultLoading, AKilledSessionOrARevokedGrantEndsTheLoadWithItsStatus)
{
    addGroup(kBank, "Bank");
    root("KILL " + sessionIDOf(store));
    EXPECT_EQ(store.loadDataBase(false), kOTVStatusClientError);
    EXPECT_EQ(services.calls(), QStringList({"reloadFailed(9)"}));
    EXPECT_FALSE(store.isVaultLoaded());

    // Back through the connection dialog: a new session, then the load reads the vault.
    ASSERT_EQ(connect(store, server.admin, kMasterPassword), kOTVStatusOK);
    ASSERT_EQ(store.initUserDetails(server.admin.user, server.admin.password), kOTVStatusOK);
    services.clear();
    EXPECT_EQ(store.loadDataBase(false), kOTVStatusOK);
    EXPECT_EQ(store.mGroups().keys(), QStringList({kMe, kBank}));

    // A vault user of its own MySQL account, whose right on mysql.user_info is taken away.
    auto carl = OTVUser_Admin::createUser();
    carl->setMUsername("carl_loader");
    carl->setMPassword("Carl's pw 1");
    carl->setMGroupPermissionsBit(7);
    carl->setMTypePermissionsBit(7);
    carl->setMRecordPermissionsBit(7);
    carl->setMDataPermissionsBit(63);
    ASSERT_EQ(store.addUser(carl), kOTVStatusOK);
    root("REVOKE SELECT ON mysql.user_info FROM 'carl_loader'@'%'");
    StoreProbe carlsStore;
    ASSERT_EQ(connect(carlsStore, {"carl_loader", "Carl's pw 1"}, kMasterPassword), kOTVStatusOK);
    ASSERT_EQ(carlsStore.initUserDetails("carl_loader", "Carl's pw 1"), kOTVStatusOK);
    services.clear();
    EXPECT_EQ(carlsStore.loadDataBase(false), kOTVStatusDatabaseError);
    EXPECT_EQ(services.calls(), QStringList({"reloadFailed(3)"}));
    EXPECT_FALSE(carlsStore.isVaultLoaded());

    root("GRANT SELECT ON mysql.user_info TO 'carl_loader'@'%'");
    services.clear();
    EXPECT_EQ(carlsStore.loadDataBase(false), kOTVStatusOK);
    EXPECT_EQ(carlsStore.mGroups().keys(), sorted({kBank, carl->mUserID()}));
    EXPECT_TRUE(carlsStore.mUsers().isEmpty());   // the only other user is a well-known administrator
    root("DROP USER 'carl_loader'@'%'");
}

// A reload shows what other clients added and drops what they deleted, in the same map
// objects, and then tells the desktop.
TEST_F(VaultLoading, AReloadSeesOtherClientsAdditionsAndDeletions)
{
    addGroup(kBank, "Bank");
    ASSERT_EQ(store.loadDataBase(false), kOTVStatusOK);
    const OTVRecordMap* records = &store.mRecords();
    const OTVGroupMap* groups = &store.mGroups();

    StoreProbe other;   // another client, under the same master password
    ASSERT_EQ(connect(other, server.root, kMasterPassword), kOTVStatusOK);
    writeWith(other, kInsertGroup, [&](OTVStatement& s) {
        s.setString(1, kShared);
        s.setBlob(2, other.encryptString("Shared"));
        s.setUInt(3, 7);
        s.setBoolean(4, false);
    });
    addType(kLogin, "Login", 1, 0, "L");
    addRecord({"3000000000000001", kLogin, kShared, {"added"}, "", false, false, 0});
    addIcon(1001, vault_maps::png(Qt::blue));

    services.clear();
    store.startReloadingDatabase();
    EXPECT_TRUE(store.isDataReloading());
    BKRunModalUntil([&] { return !store.isDataReloading(); });
    EXPECT_EQ(store.connectionErrorCode(), kOTVStatusOK);
    EXPECT_EQ(services.calls(), QStringList({"finishReloadingData", "updateApplicationUIForCurrectPermissions"}));
    EXPECT_EQ(store.mGroups().keys(), QStringList({kMe, kBank, kShared}));
    EXPECT_EQ(store.mGroups().value(kShared)->mGroupName(), "Shared");
    EXPECT_EQ(store.mRecords().value("3000000000000001")->mGroup().get(), store.mGroups().value(kShared).get());
    EXPECT_EQ(store.mCustomIcons().keys(), QStringList({"Icon1001"}));
    EXPECT_EQ(&store.mRecords(), records);
    EXPECT_EQ(&store.mGroups(), groups);

    root("DELETE FROM vivododadi.GROUPTABLE WHERE UID='" + kShared + "'");   // and its record, by cascade
    root("DELETE FROM vivododadi.CUSTOMICONTABLE");
    services.clear();
    EXPECT_EQ(store.reloadDatabase(), kOTVStatusOK);
    EXPECT_EQ(store.mGroups().keys(), QStringList({kMe, kBank}));
    EXPECT_TRUE(store.mRecords().isEmpty());
    EXPECT_TRUE(store.mCustomIcons().isEmpty());
    EXPECT_EQ(store.mTypes().keys(), QStringList({kLogin}));
}

// The reload makes the record cipher again from the stored master password: values another
// client wrote under a new master password read correctly.
TEST_F(VaultLoading, AReloadFollowsAChangedMasterPassword)
{
    ASSERT_EQ(store.loadDataBase(false), kOTVStatusOK);
    StoreProbe other;
    ASSERT_EQ(connect(other, server.root, kMasterPassword), kOTVStatusOK);
    writeWith(other, kInsertDatabaseInfo, [&](OTVStatement& s) {
        s.setString(1, QStringLiteral("DBPASSWORD"));
        s.setBlob(2, other.encryptDataString("n3w master"));
    });
    other.createEncrypter("n3w master");
    writeWith(other, kInsertGroup, [&](OTVStatement& s) {
        s.setString(1, kShared);
        s.setBlob(2, other.encryptString("Under the new one"));
        s.setUInt(3, 7);
        s.setBoolean(4, false);
    });

    EXPECT_EQ(store.reloadDatabase(), kOTVStatusOK);
    EXPECT_EQ(store.mGroups().value(kShared)->mGroupName(), "Under the new one");
}

// Another client changed the master password: the reload reads the vault under the new one,
// and the session's master password follows, so that later changes start from it.
TEST_F(VaultLoading, AReloadFollowsAMasterPasswordChangedByAnotherClient)
{
    addGroup(kBank, "Bank");
    ASSERT_EQ(store.loadDataBase(false), kOTVStatusOK);

    StoreProbe other;
    ASSERT_EQ(connect(other, server.root, kMasterPassword), kOTVStatusOK);
    ASSERT_EQ(other.changeMasterPassword("changed elsewhere"), kOTVStatusOK);

    ASSERT_EQ(store.reloadDatabase(), kOTVStatusOK);
    EXPECT_EQ(store.masterPassword(), "changed elsewhere");
    EXPECT_EQ(store.mGroups().value(kBank)->mGroupName(), "Bank");
    EXPECT_EQ(store.changeMasterPassword("changed here"), kOTVStatusOK);
    EXPECT_EQ(store.masterPassword(), "changed here");
}

// A failed reload is reported and keeps the maps as they were.
TEST_F(VaultLoading, AFailedReloadKeepsTheMaps)
{
    addGroup(kBank, "Bank");
    ASSERT_EQ(store.loadDataBase(false), kOTVStatusOK);
    const std::shared_ptr<BKGroup> bank = store.mGroups().value(kBank);
    addGroup(kShared, "Shared");

    store.statementFaults().failExecution(kQueryTypes, 1, 1146);
    EXPECT_EQ(store.reloadDatabase(), kOTVStatusDatabaseError);
    EXPECT_EQ(store.connectionErrorCode(), kOTVStatusDatabaseError);
    EXPECT_EQ(services.calls(), QStringList({"reloadFailed(3)"}));
    EXPECT_EQ(store.mGroups().keys(), QStringList({kMe, kBank}));
    EXPECT_EQ(store.mGroups().value(kBank).get(), bank.get());
    EXPECT_FALSE(store.isDataReloading());
}

// A reload after the user's row was deleted or disabled ends with the alert, the preferences
// unsaved and the application quitting, and sends no statement after reading the row.
TEST_F(VaultLoading, AReloadForADeletedOrDisabledAccountQuitsWithoutAnotherStatement)
{
    struct Case {
        const char* change;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"UPDATE vivododadi.USERTABLE SET ISACCOUNTDISABLED=1 WHERE USERID='0000000000000001'",
         kOTVStatusAccountDisabled, "Your account has been disabled. Please contact administrator."},
        {"DELETE FROM vivododadi.USERTABLE WHERE USERID='0000000000000001'", kOTVStatusNoSuchUser,
         "Your account has been deleted"},
    };
    addGroup(kBank, "Bank");
    ASSERT_EQ(store.loadDataBase(false), kOTVStatusOK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        root(c.change);
        services.clear();
        alerts.alerts.clear();
        const int before = questionsOfTheStoreSession();
        EXPECT_EQ(store.reloadDatabase(), c.status);
        // This count's own statement and the row of the user: nothing else.
        EXPECT_EQ(questionsOfTheStoreSession() - before, 2);
        EXPECT_EQ(store.connectionErrorCode(), c.status);
        ASSERT_EQ(alerts.alerts.size(), 1);
        EXPECT_EQ(alerts.alerts[0].title, "Ostrevin Darovazivu Alert!");
        EXPECT_EQ(alerts.alerts[0].message, c.message);
        EXPECT_EQ(alerts.alerts[0].defaultButton, "Quit");
        EXPECT_EQ(services.calls(), QStringList({"dontSavePreference", "terminateApplication"}));
        EXPECT_EQ(store.mGroups().keys(), QStringList({kMe, kBank}));
        EXPECT_FALSE(store.isDataReloading());
    }
}
