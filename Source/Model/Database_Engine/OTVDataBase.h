#pragma once

// OTVDataBase, the vault store: one instance per process (sharedOTVDataBase) that owns the one
// connection to the server, the two stored-value ciphers, the in-memory maps of the vault and
// the session of the logged-in user. The class is split by concern: this header has one section
// per category, and each category has its own .cpp file (OTVDataBase<Category>.cpp) and its own
// section of SQL texts in OTVDataBaseQueries.h.
//
// A store operation is its statements and its rules; the machinery below does the rest:
//
//     int OTVDataBase::renameThing(const QString& uid, const QString& name)
//     {
//         return runGuarded([&] {
//             OTVStatement statement = prepare(kQueryThingRename);   // "UPDATE ... SET NAME=? WHERE UID=?"
//             statement.setBlob(1, encryptedValue(name, kTinyBlobBytes));   // 12 when too long
//             statement.setString(2, uid);
//             return statement.executeUpdate() > 0 ? kOTVStatusOK : kOTVStatusNothingWritten;
//         });
//     }
//
// - runGuarded holds the store lock while the body runs and turns what it throws into the
//   operation's status: a database error into 3 (or the status given), reported through
//   handleDatabaseError on the main thread once the lock is released; OTVValueTooLong into 12;
//   anything else into 1 (or the status given). Operations that are part of a larger one nest
//   freely (the lock is recursive). Whatever an operation returns, on a connection that no
//   longer answers it ends with the lost connection's status (9): keep that status when
//   folding a failure into another (OTVNothingWrittenStatus).
// - prepare() gives a statement that deletes itself; executeQuery() a result set that deletes
//   itself and reads BLOB columns whole. Bound BLOB bytes live as long as the statement.
// - Values are enciphered and checked against their column before anything runs:
//   encryptedValue (record cipher, plain without a master password), encryptedDataValue
//   (user-data cipher), OTVCheckVarcharFits for VARCHAR columns. Read them back with
//   getDecryptedString / getDecryptedStringInfo.
// - Writes that must succeed together run in runInTransaction(...) inside runGuarded. It nests:
//   only the outermost level commits, and all of it is rolled back when any level's body returns
//   a status other than 0, throws, or runs a guarded operation that fails (3, 1 or 12). Its
//   result is the first failure's status. Statements that the server commits implicitly
//   (CREATE USER, GRANT, ...) end a transaction and must be undone by hand.
// - Never wait for the main thread while holding the store lock (a blocking call would deadlock
//   when the main thread needs the store): hand such work to performOnMainThreadWhenUnlocked.
// - Each category's section below starts with "public:"; members of its own go at the end of
//   its section under "protected:" or "private:".
// - Failure paths are tested against the real server with the seam statementFaults(): the n-th
//   execution of a chosen SQL text throws a chosen error number (or another exception). The
//   fixture StoreTest and StoreProbe (the machinery opened up) are in
//   Tests/Model/Database_Engine/StoreTestSupport.h.

#include "OTVEventLog.h"
#include "OTVRecordMap.h"
#include "OTVSortedRecords.h"
#include "OTVStatement.h"
#include "OTVStoreStatus.h"
#include "OTVValueLimits.h"
#include "OTVVaultLists.h"

#include "Model/OTVPasswordPolicy.h"

#include <QFont>
#include <QImage>
#include <QList>
#include <QMap>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

namespace sql {
class Connection;
class PreparedStatement;
}

// The server's native hash of an account password ("*" and 40 hexadecimal digits), as
// statements carry it instead of the password.
QString OTVNativePasswordHash(const QString& password);

class BKGroup;
class CDBEncrypter;
class OTVRecord;
class OTVType;
class OTVUser;
class OTVUser_Admin;
class OTVUserBase;
struct SortSpec;

// The project's own key text of the user-data cipher (only its first 16 characters count).
// Vaults made with another key cannot be opened.
extern const char kApplicationEncryptionKey[];

// What the connection dialog hands to the connection thread.
struct OTVConnectRequest {
    QString ipAddress;        // "IPAddress": the address to connect to
    QString portNumber;       // "PortNumber"
    QString userName;         // "Username": the MySQL account
    QString hostPassword;     // "HostPassword": its password
    QString masterPassword;   // "MasterPassword": as typed, may be empty
    QString serverAddress;    // "Server Address": the server as the user typed it
};

// The session's connection details.
struct OTVConnectionDetails {
    QString serverAddress;    // "Server Address"
    QString portNumber;       // "Port Number"
    QString masterPassword;   // "Master Password"
};

struct OTVRecordReferences;
using OTVGroupMap = QMap<QString, std::shared_ptr<BKGroup>>;
using OTVTypeMap = QMap<QString, std::shared_ptr<OTVType>>;
using OTVUserMap = QMap<QString, std::shared_ptr<OTVUser_Admin>>;

class OTVDataBase {
public:
    static OTVDataBase& sharedOTVDataBase();

    // Instances other than the shared one are for tests.
    OTVDataBase();
    virtual ~OTVDataBase();
    OTVDataBase(const OTVDataBase&) = delete;
    OTVDataBase& operator=(const OTVDataBase&) = delete;

    // =========================================================================================
    // Connection, session and error reporting (OTVDataBase.cpp)

    // The connection thread: opens the session and returns its status (also kept in
    // connectionErrorCode()), then tells the interface (connectionISComplete) on the main thread.
    // Every account that authenticates opens a session; only an administrator's (every global
    // privilege, or the name "root") creates the database and the tables.
    int startConnectionToServer(const OTVConnectRequest& request);
    // True when the account holds every global privilege of an administrator. Never reports.
    bool hasAdminUserPrivileges(const QString& userName);
    // Whether the open session is an administrator's (the test above, or the name "root").
    bool isAdministratorSession() const { return mIsAdministratorSession.load(); }
    void closeConnection();
    bool isConnected() const;
    // Whether the session's connection has stopped answering (asks the server; nothing is
    // reported here).
    bool hasLostConnection();

    // The stored master password; nullopt when there is none. Throws sql::SQLException on a
    // database error and when the stored value cannot be deciphered.
    std::optional<QString> retriveMasterPassword();
    // 0 when the stored master password (none reads as "") equals `typed`, else 4.
    int checkMasterPassword(const QString& typed);
    // retriveMasterPassword for the interface: nullopt after a database error (reported).
    std::optional<QString> checkForMasterPasswordMatch();
    // Inside an enciphering write's transaction: 0 when the vault's stored master password is
    // still the session's (masterPassword(); none and empty are alike), else 8 (another client changed it; the
    // write must not store values under the old key). Holds a shared lock on the stored
    // password's row until the transaction ends; on a cluster it also updates the key stamp
    // (see KEYSTAMPTABLE), which a change through another node updates too, and gives 8 while
    // a change of the master password is under way anywhere (its live mark). Throws on a
    // database error.
    int checkVaultKeyUnchanged();
    // Updates the key stamp when the session's server is a cluster node (nothing on one server,
    // where the row locks suffice).
    void stampVaultKeyOnCluster();
    // Whether `password` opens the account `userName` on the session's server, checked with a
    // short connection of its own: 0 yes; 11 refused (a wrong password, or an empty one); 10
    // the server cannot be reached; 3 no session; else the connection table's status.
    int authenticateAccount(const QString& userName, const QString& password) const;

    // The record cipher keyed by the master password; none for an empty one.
    void createEncrypter(const QString& masterPassword);
    void createUserEncrypter();
    bool hasRecordEncrypter() const;

    // A text as it is stored: the record cipher's bytes, or its UTF-8 when there is no cipher.
    QByteArray encryptString(const QString& text);
    // A text under the user-data cipher.
    QByteArray encryptDataString(const QString& text);
    // A stored value read back; a null QString when it is not valid UTF-8.
    QString getDecryptedString(const QByteArray& stored);
    QString getDecryptedStringInfo(const QByteArray& stored);
    // A column of a row read back under the record cipher, as getDecryptedString, without the
    // copies: the load's way.
    QString decryptedColumn(const OTVResultSet& row, uint32_t column);
    // The plain bytes of `count` enciphered columns from `first` on, one after the other in
    // `plain`: column i ends at ends[i]. A column that cannot be deciphered is empty.
    void decryptedColumnsPlain(const OTVResultSet& row, uint32_t first, int count, QByteArray& plain, qsizetype* ends);

    QString connectedServerAddress() const;
    QString connectingPortAddress() const;
    QString masterPassword() const;
    bool isLoadingComplete() const { return mIsLoadingComplete.load(); }
    bool isConnectionComplete() const { return mIsConnectionComplete.load(); }
    int connectionErrorCode() const { return mConnectionErrCode.load(); }

    static int mapDBErrorCode(int errorNumber);
    // The server's message of the database error that ended the last operation, or the store's
    // own word on a failure that it found (empty when it ended otherwise), for the alert that
    // tells its status.
    QString lastServerMessage() const;
    // Posts "DB_COMM_LOST" for a lost connection (2000 to 2050) and "DB_USR_DEL" for revoked
    // access (1142, 1143 while the account cannot read its own row any more: a write that the
    // account's grants refuse is only the operation's failure), once until the next connection
    // attempt ends; drops everything else.
    // Runs on the main thread.
    void handleDatabaseError(const OTVDatabaseError& error);
    void setReconnectionDone();
    void finishReloadingData();

    // The session's user (an empty one from createUser until the login step reads the row).
    std::shared_ptr<OTVUser> mCurrentUser() const;
    // The maps of the vault. The interface reads them on the main thread only; a reload swaps
    // new contents into these same objects there, so references to them stay valid.
    const OTVUserMap& mUsers() const { return mUsers_; }
    const OTVGroupMap& mGroups() const { return mGroups_; }
    const OTVTypeMap& mTypes() const { return mTypes_; }
    const OTVRecordMap& mRecords() const { return mRecords_; }
    const QMap<QString, QImage>& mCustomIcons() const { return mCustomIcons_; }

    // Ends the database client's state of the calling worker thread (its last use of the
    // store). Never on the main thread.
    static void endDatabaseThread();

    // The test seam under the connector.
    OTVStatementFaults& statementFaults() { return mStatementFaults; }

    // =========================================================================================
    // Schema (OTVDataBaseSchema.cpp)

    // Creates the vault database when it is missing. Throws on a database error.
    void createDefaultSchema();
    // Makes `name` the session's default database. Throws on a database error.
    void selectSchema(const QString& name);
    // Creates the tables that are missing and brings those of earlier versions to the current
    // schema: 0, or 3 after the first failure (reported).
    int createDataBaseTables();
    // Row keys for the tables that had none, a unique icon number, one preference row per
    // user, the server's triggers, and account details in InnoDB. Throws on a database error.
    void upgradeTables();
    // What no account but an administrator's may write, refused by the server: another's
    // preference row (or one under another name), the mark of a master-password change, and a
    // group's record word and its prevailing. The triggers are made anew when missing, changed,
    // or left by a dropped account.
    void createServerTriggers();
    // True when the vault has no users yet. A database error is reported, `returnCode` gets
    // its status (from mapDBErrorCode) and the result is false.
    bool isVirginLaunch(int* returnCode = nullptr);
    int insertDataBaseInfoVersionNumber();
    // Throws on a database error.
    bool checkIfDBExixists(const QString& name);

    // =========================================================================================
    // Loading the vault (OTVDataBaseLoading.cpp, OTVDataBaseRowReading.cpp)
public:
    //
    // The load (once per process, after a login step that returned 0) and the reload (the
    // user's command) read the vault into new maps on a worker thread; the main thread then
    // swaps the new contents into the store's maps, which stay the same container objects.
    // A failure leaves the maps as they were and is reported to the desktop's reloadFailed
    // (9, 10 and 11 lead back to the connection dialog, anything else to an alert); after a
    // failed first load the vault counts as not loaded, so the next load reads it again.

    // The load thread: reads the vault for the logged-in user. On a new vault (`firstLaunch`)
    // it stores the record types of the type templates and the default password policy first.
    // Returns the status (also kept in connectionErrorCode()): 0, or the mapped status of a
    // database error (3 for any other failure). isLoadingComplete() is true when it returns.
    int loadDataBase(bool firstLaunch);
    // Starts loadDataBase on a worker and returns at once; isLoadingComplete() is false from
    // this call until the worker has ended, so a waiter never sees the previous load's flag.
    void startLoadingDataBase(bool firstLaunch);
    // Whether a load has read the vault in this process.
    bool isVaultLoaded() const;

    // The reload thread: reads the user's own row first. A deleted (7) or disabled (6) account
    // gets its alert ("Quit"), the preferences are not saved and the application quits; nothing
    // more is read. Otherwise the record cipher is made again from the stored master password,
    // the vault is read (not the preferences) and the desktop is told: finishReloadingData and
    // updateApplicationUIForCurrectPermissions, or reloadFailed(status). Returns the status,
    // also kept in connectionErrorCode().
    int reloadDatabase();
    // Starts reloadDatabase on a worker and returns at once; isDataReloading() is true from
    // this call until the worker has ended.
    void startReloadingDatabase();
    bool isDataReloading() const { return mIsDataReloaded.load(); }

    // What one load reads: the maps of the vault, filled on the load worker and swapped into
    // the store's own maps on the main thread.
    struct VaultMaps {
        OTVGroupMap groups;
        OTVTypeMap types;
        OTVRecordMap records;
        OTVUserMap users;
        QMap<QString, QImage> customIcons;
    };

    // --- Rows into objects; shared by the load and the personal records.

    // The record of a RECORDTABLE row (the columns of "SELECT * FROM RECORDTABLE ..."): UID,
    // the ten values and the notes deciphered, the flags, the view counter, attachment state 0.
    // Its type and group are the objects of the references' maps (none when a map is not given
    // or does not hold the UID: another user's personal group). Its custom type and attachment
    // are read separately. No UID is drawn and value 10 is kept as stored, empty included.
    std::shared_ptr<OTVRecord> recordFromRow(const OTVResultSet& row, const OTVRecordReferences& references);
    // The record's custom type from its CUSTOMTYPETABLE row (none without a row); an icon
    // number without an image becomes 31 (the application's own icons 1 to kStandardIcons
    // always have one, a custom icon needs its stored image). *returnCode: 0, or 3 after a
    // failure (a database error is reported); the record is then kept without it.
    void readCustomTypeForRecord(OTVRecord& record, int* returnCode);
    // The record's attachment name and pass key from its ATTACHMENTTABLE row (the data stays
    // on the server). *returnCode as above.
    void readAttachmentForRecord(OTVRecord& record, int* returnCode);
    // The personal group of the user (UID = user ID), without member or sub-group lists;
    // nullptr when it has none. Throws on a database error.
    std::shared_ptr<BKGroup> readPersonalGroup(const QString& userID);

protected:
    // A GROUPTABLE row (UID, NAME, RECORDPERMISSION, GROUPPERMISSIONPREVAILS), without lists.
    std::shared_ptr<BKGroup> groupFromRow(const OTVResultSet& row);
    // A TYPETABLE row.
    std::shared_ptr<OTVType> typeFromRow(const OTVResultSet& row);
    // A CUSTOMTYPETABLE row (RECORDID, ICONID, MASKS, FIELD1 .. FIELD10); the icon number
    // is checked against the application's icons and `customIcons`.
    OTVType customTypeFromRow(const OTVResultSet& row, const QMap<QString, QImage>& customIcons);
    // Columns 2 and 3 of an ATTACHMENTTABLE row: the attachment name and pass key.
    void setAttachmentFromRow(OTVRecord& record, const OTVResultSet& row);

private:
    bool readIsClusterNode();   // whether the new connection's server is a cluster node
    // The readers of the load. Each fills its part of `maps` and throws on a failure.
    void getExternalIcons(VaultMaps& maps);
    void readCatagoryTable(VaultMaps& maps);
    void readTypesTable(VaultMaps& maps);
    // Every record, linked to the groups and types of `maps`, with the custom types and
    // attachment names of all records read in one statement per table.
    void readRecordTable(VaultMaps& maps);
    // Every account but the logged-in one (by name) and the well-known administrators.
    void readUserTableIfErrorReturnCode(VaultMaps& maps, const QString& loggedInName);
    // The vault as the logged-in user sees it, in the order both threads read it.
    void readVault(VaultMaps& maps, const OTVUser& user);
    // A new vault's record types and password policy, in one transaction: the templates whose
    // UID is not stored yet, then the policy. 0, or the status of the failed step (nothing is
    // written then). A vault whose policy rows are missing did not finish this and gets it
    // again at an administrator's next load.
    int initDefaults();
    bool needsDefaults();
    // The logged-in user's preferences, list layout and recent lists (first load only): 0, or
    // the status of the failed read.
    int readUserPreferencesForLoad(OTVUser& user);
    // Runs one step of a load under the store lock: its status, or the status of what it
    // threw (mapped for a database error, 3 otherwise). Nothing is reported here: the load
    // reports its end to the desktop.
    int runLoadStep(const std::function<int()>& step);
    // On the main thread: the new maps become the store's; the containers stay the same.
    void installVaultMaps(VaultMaps& maps);
    // The alert of a deleted or disabled account at reload, then the application quits.
    void quitForAccountStatus(int status);
public:

    // =========================================================================================
    // Records and queries over the maps (OTVDataBaseRecords.cpp, OTVDataBaseQueryMethods.cpp)
public:

    // Record storage. Values 1 to 10 and the notes are stored enciphered with the record
    // cipher. A record's row, its custom type and its attachment are written in one
    // transaction; the record map, the recent lists and the event log follow only once it has
    // committed. Statuses: 0 stored; 8 nothing stored (a null record, one without a group or
    // type, a UID that is already stored, a row that is gone, a failure before the row
    // statement ran, or a custom type or attachment that was not stored, e.g. a file that
    // cannot be read); 12 a value does not fit its column or the attachment file is over the
    // limit; 3 a database error after the row statement ran (reported); 1 another failure
    // after it. Nothing is kept of a write that failed.
    //
    // The store takes over the caller's reference. A stored record enters the record map and
    // the recently-added list, its attachment state becomes 0 and "Add Record" is logged; a
    // record that was not stored changes nothing and is listed as "Failed" in the session's
    // event log (logStoreEvent).
    int addRecord(std::shared_ptr<OTVRecord> record);
    // Adds the record together with its type, which is not stored yet: both rows in one
    // transaction, so that neither stays without the other. Statuses as addRecord's; typeFailed
    // tells whether the type's row was the one refused. Once stored, the type enters mTypes and
    // "Add Type" is logged as addType does (as "Failed" when nothing was stored).
    int addRecordWithItsType(std::shared_ptr<OTVRecord> record, bool* typeFailed = nullptr);
    // One record of addRecords.
    struct RecordToAdd {
        std::shared_ptr<OTVRecord> record;
        // Its type is not stored yet: it is stored with the first of the records that is.
        bool typeIsNew = false;
        // What addRecord (or addRecordWithItsType) would have returned for it, and whether the
        // refused row was its type's.
        int status = kOTVStatusNothingWritten;
        bool typeFailed = false;
    };
    // Adds the records as addRecord and addRecordWithItsType would one after the other (the
    // same statuses, maps, lists and log entries), but all in one transaction that checks the
    // vault's key once, each statement prepared once for them all and the rows sent many at a
    // time; the event-log entries are written in that transaction too. When the server
    // refuses one of them, the transaction is rolled back and the records are added one by
    // one, so that each gets its own status and the others are stored. For a few hundred
    // records at a time: the transaction holds them all.
    void addRecords(std::vector<RecordToAdd>& batch);
    // While one lives, the statements that addRecords prepares on the thread that made it are
    // kept from one call to the next (until the connection closes): many batches of records
    // prepare them once.
    class KeptStatements {
    public:
        explicit KeptStatements(OTVDataBase& store);
        ~KeptStatements();
        KeptStatements(const KeptStatements&) = delete;
        KeptStatements& operator=(const KeptStatements&) = delete;

    private:
        OTVDataBase& store_;
    };
    // Adds a duplicate of `source` whose attachment is the source's stored one (state 3): the
    // source's attachment row is copied in the same transaction, under the same check of the
    // master password, so that the copy is never left under a key the vault no longer has. 8
    // also when the source has no attachment row any more. The record then holds the source's
    // pass key. Otherwise as addRecord.
    int addRecordCopyingAttachment(const OTVRecord& source, std::shared_ptr<OTVRecord> record);
    // Rewrites the row of the record's UID (group, type, values, notes, flags; the view count
    // stays), its custom type when it is customised, and its attachment in state 1 (store the
    // file) or 4 (re-encipher the name and pass key). A row whose stored values already equal
    // the record's is a success. The record then replaces the map entry of its UID.
    int replaceRecord(const std::shared_ptr<OTVRecord>& record);
    // The custom type, the attachment and the list rows go with the row (foreign keys). A row
    // that is already gone gives 8; the map entry goes either way.
    int deleteRecord(const std::shared_ptr<OTVRecord>& record);
    // Raises the stored view count; nothing changes in memory.
    void updateRecordViewCountForRecord(const QString& recordUID);

    // Queries over the maps; nothing is sent to the server. A group or type of nullptr means
    // every group or type, a null or empty search text no search; a record's type is its base
    // type. Records without a group (other users' personal records) are never selected.
    // Unsorted results come in the map's order.
    OTVRecordList itemsOfGroup(const std::shared_ptr<BKGroup>& group, const std::shared_ptr<OTVType>& type,
                               const QString& searchString) const;
    int itemsCountOfGroup(const std::shared_ptr<BKGroup>& group, const std::shared_ptr<OTVType>& type,
                          const QString& searchString) const;
    // The same records in the order of a record-list column (OTVRecordColumnID); descending is
    // the exact reverse of ascending.
    OTVRecordList itemsOfGroup(const std::shared_ptr<BKGroup>& group, const std::shared_ptr<OTVType>& type,
                               const QString& searchString, int withSortInColumnID, bool orderAscending) const;
    OTVRecordList itemsOfGroup(const std::shared_ptr<BKGroup>& group, const QString& searchString) const;
    // Only records whose UID is in `inUIDs`.
    OTVRecordList itemsOfGroup(const std::shared_ptr<BKGroup>& group, const QString& searchString,
                               const QStringList& inUIDs) const;
    // True when value 1 to 9, the shown form of value 10 or the notes contain the search text,
    // without regard to case; masked values count. A null search text is in every record, the
    // empty one in none.
    bool containsString(const QString& searchString, const OTVRecord& record) const;
    // The distinct types of the selected records (of a null or empty group UID: of every
    // group), sorted by name.
    OTVTypeList allTypesForGroup(const QString& groupUID, const QString& searchString) const;
    // Appends the sort row of `record` for a record-list column.
    void addSearchRecordItem(const std::shared_ptr<OTVRecord>& record, std::vector<OTVRecordSortRow>& toRecordArray,
                             int withColumnID) const;

    // Group and type lists, sorted by name without regard to case.
    OTVGroupList groups(bool includePersonalGroup) const;   // less the user's personal group
    OTVGroupList groupsWithPermission() const;              // every group
    OTVGroupList groupsForEditing() const;                  // every group
    OTVTypeList typesForEditing() const;
    // The groups that may become sub-groups of a group: not Unfiled, not itself, not the
    // user's personal group.
    OTVGroupList subGroupsForGroupWithID(const QString& groupUID) const;
    // Users whose name begins with the prefix (without regard to case), in map order; every
    // user sorted by name for a null or empty prefix.
    OTVUserList sortedUsersContainsString(const QString& prefix) const;

    std::shared_ptr<BKGroup> groupWithUID(const QString& groupUID) const;
    std::shared_ptr<OTVRecord> getRecordForUID(const QString& recordUID) const;
    // The first group of the sorted list whose name is exactly `name`.
    std::shared_ptr<BKGroup> getGroupFromGroupName(const QString& name) const;
    // Another object of the map with exactly the same name (the import reuses it).
    std::shared_ptr<BKGroup> findSimilarCategory(const BKGroup& group) const;
    std::shared_ptr<OTVType> findSimilarType(const OTVType& type, const BKGroup* inGroup) const;   // group unused
    // Whether one of `records` (of nullptr: of every listed record) has an attachment.
    bool anyRecordHasAtachementinArray(const OTVRecordList* records) const;
    bool isGroupExistsInDatabase() const;
    bool isTypeExistsInDatabase() const;

    // The smart-type lists of the logged-in user: record UIDs, oldest first.
    QStringList recentlyViewedTypes() const { return recentlyViewedRecords(); }
    QStringList recentlyModifiedTypes() const { return recentlyModifiedRecords(); }
    QStringList mostViewedRecordsUIDs() const { return mostViewedRecords(); }
    // Enter the record into a list unless it is there already.
    void addRecentlyViewedRecord(const std::shared_ptr<OTVRecord>& record);
    void addRecentlyModifiedRecord(const std::shared_ptr<OTVRecord>& record);
    void addRecentlyAddedRecord(const std::shared_ptr<OTVRecord>& record);
    // Raises the record's view count first when asked, then lists it among the 10 most viewed
    // when its count is above 0 and, with a full list, not below the lowest listed count (that
    // entry, the earliest of equals, makes room).
    void addMostViewedRecord(const std::shared_ptr<OTVRecord>& record, bool byIncreamenting);
    // In memory only.
    void incrementViewCountofRecord(const QString& recordUID);
    int getViewCountofRecord(const QString& recordUID) const;

protected:
    // The one call site of each step on the per-user lists of the server (the recent-list
    // operations); tests override them to observe the calls.
    enum class OTVServerList { MostViewed, RecentlyViewed, RecentlyModified, RecentlyAdded };
    // Adds the record to the user's list on the server and (but for recently added) to the
    // in-memory list.
    virtual void addRecordToServerList(OTVServerList list, const std::shared_ptr<OTVRecord>& record,
                                       const QString& userID);
    // Takes the record off the most-viewed list, on the server and in memory.
    virtual void removeRecordFromMostViewedList(const QString& recordUID);

private:
    // Writes a record's row with `sql` (the insert or the update) in one guarded transaction:
    // binds the record's columns from `groupPosition` on and `bindOwn` the statement's other
    // parameters, runs it, then `afterRow` with the changed-row count. 8 for a record that
    // cannot be stored. `rowStatementRan` tells whether the statement ran.
    int writeRecordRow(OTVRecord& record, const char* sql, unsigned groupPosition,
                       const std::function<void(OTVStatement&)>& bindOwn,
                       const std::function<int(int changedRows)>& afterRow, bool& rowStatementRan);
    // addRecord, running `beforeRow` (when given) first in the same transaction: a status other
    // than 0 from it stores nothing.
    int addRecordAfter(std::shared_ptr<OTVRecord> record, const std::function<int()>& beforeRow,
                       const OTVRecord* attachmentSource = nullptr);
    // The statement of copyAttachmentRow, without transaction or check: the rows copied (0 or 1).
    int insertAttachmentRowCopy(const OTVRecord& source, OTVRecord& toRecord);
    // The custom type and attachment of a record whose row was just inserted: 0, or the status
    // of the one that was not stored.
    int addRecordDependents(OTVRecord& record, const OTVRecord* attachmentSource = nullptr);
    // The attachment part of addRecordDependents.
    int addRecordAttachment(OTVRecord& record, const OTVRecord* attachmentSource = nullptr);
    // The custom types of customised records whose rows were just inserted, in one statement,
    // inside the caller's transaction that checked the vault's key: 0, or 8. Throws on a
    // database error.
    int insertCustomTypeRows(const std::vector<const OTVRecord*>& records);
    // addRecords' way when a record of the batch was refused: each alone, a type refused once
    // failing its other records without trying again. Returns the types stored.
    std::set<const OTVType*> addRecordsOneByOne(const std::vector<RecordToAdd*>& entries);
    // The records that the filters select (a null filter selects all), in the map's order.
    OTVSelectedRecords selectedRecords(const QString* groupUID, const QString* typeUID, const QString& searchString,
                                       const QStringList* inUIDs) const;
    OTVSelectedRecords selectedRecords(const std::shared_ptr<BKGroup>& group, const std::shared_ptr<OTVType>& type,
                                       const QString& searchString, const QStringList* inUIDs) const;
    // Hands take(record, its revision) every record that the filters select, in the map's order.
    template <class Take>
    void walkRecords(const QString* groupUID, const QString* typeUID, const QString& searchString,
                     const QStringList* inUIDs, const Take& take) const;
    // Hands `take` every record that the filters select (a null filter selects all).
    void selectRecords(const QString* groupUID, const QString* typeUID, const QString& searchString,
                       const QStringList* inUIDs,
                       const std::function<void(const std::shared_ptr<OTVRecord>&)>& take) const;
    void selectRecords(const std::shared_ptr<BKGroup>& group, const std::shared_ptr<OTVType>& type,
                       const QString& searchString, const QStringList* inUIDs,
                       const std::function<void(const std::shared_ptr<OTVRecord>&)>& take) const;
    QString personalGroupUID() const;

    // =========================================================================================
    // Groups, record types and custom types, attachments and custom icons (OTVDataBaseGroups.cpp,
    // OTVDataBaseTypes.cpp, OTVDataBaseAttachments.cpp, OTVDataBaseCustomIcons.cpp)
    //
    // The maps change only after the write succeeded, and on the main thread: a change made on
    // a worker is handed to the main thread and is there once the outermost store lock ends.
    // Every group and type write is logged: its own action text when it succeeded; "Failed"
    // in the session's list only when it did not (logStoreEvent).
public:

    // --- Groups. Status: 0 done; 8 nothing written (no such row, or a UID already stored);
    // 12 the name does not fit its column; 3 a database error (reported); 1 another failure.

    // Inserts the row, then its member and sub-group lists, all in one transaction. The sub-
    // groups' members are merged into the stored member list; the caller's object takes the
    // merged list once the write has committed.
    int addGroup(const std::shared_ptr<BKGroup>& group);
    // 1 when the group is not in mGroups; 8 when its row is gone (another client deleted it).
    // Rewrites the row and both lists in one transaction.
    int updateGroup(const std::shared_ptr<BKGroup>& group);
    // 8 when the group is not in mGroups. The server deletes its records, member rows and
    // sub-group rows with it; in memory its records leave mRecords (also when the row was gone
    // already), and the first mention of it leaves every other group's sub-group list.
    int deleteGroup(const std::shared_ptr<BKGroup>& group);
    // Whether a stored group has exactly this name (the check matches the stored bytes, so it
    // is case-sensitive and finds the edited group's own name). No after a database error.
    bool checkForGroupDuplicate(const QString& name);
    // The same telling a failed check apart: *returnCode 0, or the failure's status (a database
    // error is reported); the answer is then No.
    bool checkForGroupDuplicate(const QString& name, int* returnCode);
    // Rewrite the group's member list (with its direct sub-groups' members merged in; the group
    // takes the merged list once it is stored) and its sub-group list; each in one transaction.
    // 0, or the failure's status (3 for a database error); a failure leaves the stored list and
    // the group as they were.
    int insertUserListForGroup(BKGroup& group);
    int insertSubgroupListForGroup(const BKGroup& group);
    // The loading readers: nullopt and code 3 after a failure (reported when a database error).
    std::optional<QStringList> readGroupUserTableforGroup(const BKGroup& group, int* returnCode);
    std::optional<QStringList> readSubgroupListForGroup(const BKGroup& group, int* returnCode);
    // The UIDs of the user's groups. Throws on a database error (the loader handles it); the
    // code is never written.
    QStringList fetchGroupArrayForUserID(const QString& userID, int* returnCode = nullptr);
    // In memory only, after an administrator changed a user's groups: the user leaves the member
    // lists of his old groups (mUsers) and is appended to those of `groupUIDs`.
    void addUser(const QString& userID, const QStringList& toGroupListForGroups);

    // --- Record types. Status: 0 a row was written; 8 nothing written (also an update whose
    // values equal the stored ones); 12 a name or label does not fit; 3 a database error; 1
    // another failure.

    int addType(std::shared_ptr<OTVType> type);
    int updateType(const std::shared_ptr<OTVType>& type);
    // The server deletes the type's records with it; in memory they leave mRecords (also those
    // with a custom type, which keep their base type), also when the row was gone already.
    int deleteType(const std::shared_ptr<OTVType>& type);
    // The UIDs of every stored record of the type, in every group (also those the user cannot
    // see, which a delete of the type takes with it). *returnCode 0, or the failure's status.
    QStringList recordUIDsOfType(const QString& typeUID, int* returnCode = nullptr);
    // Adds the types in order until one is not added, whose status is returned; 0 for none.
    int addtypes(const QList<std::shared_ptr<OTVType>>& types);
    // Stores the record's own labels, icon and mask. A label that is null is stored as "Field1"
    // .. "Field10".
    int updateCustomType(const OTVRecord& record, const OTVType& withCustomType);
    bool checkForTypeDuplicate(const QString& name);
    bool checkForTypeDuplicate(const QString& name, int* returnCode);
    // Inserts the type's row inside a transaction that checks the vault's key: 0, or 8 when
    // nothing was written (a UID already stored, or another key). Throws on a database error.
    int insertTypeRow(const OTVType& type);

    // --- Attachments: one file per record, its bytes under the attachment cipher keyed by a
    // pass key of 16 random characters; name and pass key under the record cipher.

    // Files of this size or more are refused by the interface (the store does not check).
    static constexpr qint64 kAttacmentMaxSize = 1048576;

    // Record storage writes and re-enciphers attachments inside its own guarded operations, so
    // these two throw (database errors, OTVValueTooLong for a name that does not fit).
    // Writes the file at mAttachmentPath under a new pass key: 0, or 8 when nothing was written
    // (also when the file cannot be read). The record takes the new key only once the row is
    // written, so its key always opens the stored data.
    int insertAttachmentforRecordID(OTVRecord& record);
    // Re-enciphers the stored name and pass key under the current record cipher (after the
    // master password changed); the data keeps its pass key. 8 when nothing was written, and
    // when the record holds no pass key (the row would become unreadable).
    int reEncryptAttachmentforRecord(const OTVRecord& record);
    // Deletes the row and saves the record without attachment (flag, name, pass key cleared,
    // value 10 stamped) in one transaction; the record changes only after it committed. A
    // failed save is shown to the user and returned (the row stays). 0, the save's status, 3
    // (database error) or 1.
    int removeAttachment(const std::shared_ptr<OTVRecord>& record);
    // Copies the source's row to a record that was just added as its duplicate, in a
    // transaction of its own under the check of the master password; the target then holds the
    // source's pass key. Code 0, 8 (the master password changed meanwhile), 3 (database error,
    // also a row already there) or 1. addRecordCopyingAttachment does both steps at once.
    void copyAttachmentRow(const OTVRecord& source, OTVRecord& toRecord, int* returnCode = nullptr);
    // The deciphered file, byte for byte (rows written without a length keep the cipher's zero
    // padding; an empty file comes back empty), or nullopt: no row (code untouched), or a
    // failure (code 3).
    // Both decipher with the pass key stored in the row, which always matches its data.
    std::optional<QByteArray> extractAttachmentDataForRecord(const OTVRecord& record, int* returnCode);
    std::optional<QByteArray> extractAttachmentData(const QString& recordUID, int* returnCode = nullptr);
    // The attachment cipher: nullopt when the file cannot be read, is not smaller than
    // kAttacmentMaxSize, or there is no pass key; an empty file gives no bytes.
    static std::optional<QByteArray> encryptFile(const QString& path, const QString& with);
    // nullopt for no bytes; throws when the length is not a multiple of 24.
    static std::optional<QByteArray> decrypt(const QByteArray& stored, const QString& with);
    // The pass key of a stored key text (which may carry the file's length after the key).
    static QString passKeyOfKeyText(const QString& keyText);

    // --- Custom icons: 48 x 48 PNG images numbered from 1001 (CUSTOMICONTABLE, mCustomIcons).

    static constexpr int kStandardIcons = 256;   // the application's own icons 1 .. 256
    static constexpr int kCustomIcons = 1000;    // custom icons are numbered above this

    // Stores the PNG under the next free number (written to iconIndex): 0; 3 when the bytes
    // are no image (nothing stored) or after a database error. Numbers stay distinct across
    // clients.
    int insertCustomIconWithIndex(int* iconIndex, const QByteArray& withdata);
    // The icon import's worker: each picture that can be read becomes a custom icon, and
    // "ExternalIconCreated" is posted with its number, on the main thread. Returns the numbers.
    QList<int> addCustomIconsFromImages(const QStringList& paths);
    // On the main thread: runs the import above on a worker while the interface waits.
    QList<int> importCustomIcons(const QStringList& paths);
    // The image to show for an icon number (24 x 24 at most), a null image when there is none:
    // 1 .. kStandardIcons the application's drawn icons (OTVBuiltInIcons.h; the default icon
    // for a number without a drawing), from 1000 the custom icons.
    QImage getImageFromIconIndex(int iconIndex) const;

protected:
    // The event-log entry of a group, type or record write (event, the plain name or value 1,
    // action, the session's user name), written by addLogEvent; a refused write's (action
    // kLogActionFailed) only enters the session's list. Called after the write has ended,
    // never inside its transaction. Virtual so that tests can watch the entries.
    virtual void logStoreEvent(const QString& event, const QString& description, const QString& action,
                               const QString& userName);
    // removeAttachment saves the record through record storage: replaceRecord.
    virtual int saveRecordAfterAttachmentRemoval(const std::shared_ptr<OTVRecord>& record);
    // The key text to store again for the record's attachment: the stored one (with its length)
    // while it holds the record's pass key. Throws on a database error.
    QString storedKeyTextFor(const OTVRecord& record);
    // Runs `change` of the maps on the main thread: at once there, else (waiting) once the
    // outermost store lock ends.
    void changeMapsOnMainThread(std::function<void()> change);
    // Whether a row of the table in `queryFormat` (a format whose %s takes hexadecimal text)
    // holds exactly the stored form of `name`.
    bool isNameStored(const char* queryFormat, const QString& name, int* returnCode = nullptr);
    // Runs the delete `sql` of the row `uid`: 0 when it deleted the row, else 8. Once it ran,
    // whatever it counted, the records that `belongs` picks leave mRecords (the server has
    // deleted them by cascade); `whenDeleted` changes the maps when the row was deleted.
    int deleteCascadingToRecords(const char* sql, const QString& uid,
                                 const std::function<bool(const OTVRecord&)>& belongs,
                                 const std::function<void()>& whenDeleted);
    // The `column` of every row of `sql` (one "?" bound to `key`) as UTF-8 text; nullopt
    // and code 3 after a failure.
    std::optional<QStringList> readTexts(const char* sql, const QString& key,
                                         const std::function<QByteArray(const OTVResultSet&)>& column,
                                         int* returnCode);
    // The group's members with those of its direct sub-groups (of mGroups) merged in.
    QStringList membersWithSubgroupMembers(const BKGroup& group);
    // The event of a group or type write, after it ended.
    void logWrite(const QString& event, const QString& name, int status, const QString& successAction);

    // =========================================================================================
    // User accounts, MySQL accounts and grants, the login step, password policy (OTVDataBaseUsers.cpp,
    // OTVDataBaseLogin.cpp, OTVDataBasePasswordPolicy.cpp)
public:
    //
    // Every vault user exists twice: a USERTABLE row (with its preference row, group list and
    // personal group) and a MySQL account of the same name, through which that user's copy of
    // the program connects. Only the server holds the password: USERTABLE.PASSWORD stays empty
    // (every account may read the table), and passwords are checked by authenticateAccount. Account names are at most 16 characters (the
    // `mysql.user_info` column), without control characters; names and passwords are escaped
    // into the account statements. Adding, saving and deleting a user either succeed as a whole
    // or report the failure and undo what they did: the rows in one transaction, the account
    // statements (which the server commits at once) by hand. Codes: 0 done, 3 failed (a
    // database error is reported), 1 another failure, 8 the user's row is not (or no longer)
    // there: reload first, 12 a value does not fit its column; nothing is written then.
    // The account statements end any open transaction: never call these inside
    // runInTransaction, nor (replaceUser asks the window on the main thread) holding the lock.

    // A new user: the MySQL account, created locked, its table grants (revoked again for a
    // disabled account), the `mysql.user_info` details, the USERTABLE row, the preference row,
    // the group list and the personal group; the account is unlocked last, and then joins
    // mUsers. Refused with 3 when the password is empty, or when the name is a vault user or a
    // server account already (no existing account is taken over).
    // An account that an add of this program left when it was cut short (locked, no vault user,
    // the details row or the vault's table rights, no right beyond the vault) does not count as
    // a server account: the add replaces it. The object joins mUsers without its password.
    void addUser(const std::shared_ptr<OTVUser_Admin>& user, int* returnCode);
    int addUser(const std::shared_ptr<OTVUser_Admin>& user);
    // addUser that tells, in `nameTaken`, a refusal because the name is a vault user's or a server
    // account's already (the status is then 3): a user list's rows are checked only once.
    int addUserIfNameFree(const std::shared_ptr<OTVUser_Admin>& user, bool* nameTaken);
    // Saves an edited account as a whole. The account is renamed from the name it had when the
    // user-account window opened it (its mCurrentUserName, asked on the main thread), or from
    // its stored name when the window edits nothing. 8 when its row is gone, 1 when mUsers does
    // not know it. A disabled account keeps no table rights. The account's password changes
    // only when the user object holds one (an empty one means unchanged).
    void replaceUser(const std::shared_ptr<OTVUser_Admin>& user, int* returnCode);
    int replaceUser(const std::shared_ptr<OTVUser_Admin>& user);
    // Removes the MySQL account (one that is gone already counts as removed), the details
    // and the USERTABLE row with everything that hangs on it, and the personal group. 8 when
    // the row is gone. The caller updates the groups' member lists.
    void deleteUser(const std::shared_ptr<OTVUser_Admin>& user, int* returnCode);
    int deleteUser(const std::shared_ptr<OTVUser_Admin>& user);
    // A new MySQL password (the administrator's or the logged-in user's account); an empty one
    // is refused with 3.
    void resetPasswordForUser(const OTVUserBase* user, int* returnCode);
    // At an administrator's login: empties the passwords that earlier versions kept in
    // USERTABLE, brings every vault account's rights on USERTABLE, the event log, the key
    // stamp and the routine of deleteOwnVaultUser (made when needed) to the current set, and
    // removes the accounts and details rows that interrupted adds left. One pass over the
    // accounts, whatever their number. 0, or 3 after a database error (reported).
    int bringAccountsToCurrentRules();
    // The tenth failed unlock of a session that may not delete accounts: the server deletes the
    // session's own vault user, details and account through the routine an administrator's
    // login made. 0, or the mapped status of the server's refusal (nothing deleted).
    int deleteOwnVaultUser();

    // Whether USERTABLE has the user's ID (true after a database error, which is reported).
    bool isUserExists(const OTVUser_Admin* user);
    // Whether the name is taken by a vault user or a preference row, compared exactly (true
    // after a database error).
    bool isUserExistsInOstrevin(const QString& name);
    // Whether the server has an account of exactly this name (a vault user's, or one that is no
    // vault user), other than what an interrupted add left; true when the check fails.
    bool isServerAccountName(const QString& name);
    // Either of the two above: the name cannot be a new vault user's.
    bool isAccountNameTaken(const QString& name);
    // The hosts of the server's anonymous accounts (an administrator's session only; none after
    // a database error, which is reported). For local logins the server matches them before a
    // vault user's account, which is then refused.
    QStringList anonymousAccountHosts();

    // The login step, on the main thread after a successful connection and before the load:
    // binds the session to the vault user of `userName` (fills mCurrentUser), or makes an
    // administrator's account that is no vault user yet a new vault administrator. Returns the
    // status, also kept in connectionErrorCode(): 0, 6 the account is disabled (the desktop's
    // connectionISComplete is called first, with connectionErrorCode() already 6), 7 the
    // user's row is gone, 11 neither a vault user nor an administrator (it never becomes a
    // vault user), 12 the name does not fit, or the mapped status of a database error. The
    // caller starts the load only after 0. Never call it while holding the store lock.
    int initUserDetails(const QString& userName, const QString& password);
    // The account that logged in without being a vault user becomes one: the next well-known
    // ID, full rights, description "Admin"; USERTABLE row, preference row and personal group
    // together. An alert "Connection failed" tells the user when that fails.
    int createAdmin(const QString& userName, const QString& password);
    // "0000000000000001" on a vault without well-known user IDs, else the one after the
    // highest. Throws on a database error.
    QString createNextWellKnownUIDForAdmin();
    // Reads the user's row into mCurrentUser: 0, 7 no such row, 6 disabled (mCurrentUser left
    // as it was). Throws on a database error.
    int readAllSavedRecordsForUserWithUserPrimaryNameID(const QString& userID);
    // The ID of the vault user of exactly this name; a null string when there is none. Throws
    // on a database error.
    QString getUserIDForName(const QString& userName);

    // The vault-wide password policy (two DATABASEINFOTABLE rows).
    // 0, or 3 for no policy, a minimum length outside 0-40 (nothing written) or a database
    // error (reported).
    int setPasswordPolicy(const OTVPasswordPolicy* policy);
    // The policy of a new vault: at least 4 characters, no class required.
    int initpasswordPolicy();
    // The stored policy; a missing row reads as the new-vault value. nullopt and 3 in
    // `returnCode` after a database error (reported).
    std::optional<OTVPasswordPolicy> passwordPolicyDetails(int* returnCode = nullptr);

private:
    int addUserAccount(const std::shared_ptr<OTVUser_Admin>& user, bool* nameTaken);
    int replaceUserAccount(const std::shared_ptr<OTVUser_Admin>& user, const QString& nameInEditor);
    int deleteUserAccount(const std::shared_ptr<OTVUser_Admin>& user);
    // The steps of the three operations above; each throws on failure.
    int checkAccountFits(const OTVUser_Admin& user);   // 0, 3 (name refused) or 12
    bool isAlreadyMySQLUser(const QString& name);
    void addDetailsToMySqlInfoTable(const OTVUser_Admin& user);
    void setPermissionsForUser(const QString& userName);
    // The vault's table rights; a disabled account gets only those it keeps.
    void grantTableRights(const QString& userName, bool disabled);
    // Whether the server holds a password for the vault account.
    bool accountHasPassword(const QString& name);
    bool isLeftByInterruptedAdd(const QString& name);
    // Drops such an account with its details row; false (nothing done) for any other account.
    bool removeIfLeftByInterruptedAdd(const QString& name);
    void assignTablePrivilegesforTable(const char* statementFormat, const char* table, const char* privileges,
                                       const QString& userName);
    void revokeAllPermissionsForUser(const QString& userName);
    void revokeTablePrivileges(const char* table, const char* privileges, const QString& userName);
    bool writeUserRow(const OTVUser_Admin& user, bool insert);   // false: an insert was ignored
    void insertIntoGroupListForUser(const OTVUser_Admin& user);
    // The USERTABLE row and what hangs on it, and the personal group, in one transaction: 0, or
    // 8 when the row is gone.
    int removeUserRows(const OTVUser_Admin& user);
    QString storedUserName(const QString& userID);
    bool storedAccountDisabled(const QString& userID);
    // Every name of the vault and the server with what it holds (kQueryAccountStates).
    struct AccountState;
    QList<AccountState> readAccountStates();
    void bringUpkeepTablesToCurrentRights(const AccountState& account);
    void grantKeyStampRights(const QString& name);
    void deleteDetailsRow(const QString& name);
    // Makes the routine of deleteOwnVaultUser when it is missing, outdated or its maker is gone.
    void makeOwnDeletionRoutine();
    // Takes the right to the routine away; an account without it stays as it is.
    void revokeOwnDeletion(const QString& name);
    void rememberUserInMap(const std::shared_ptr<OTVUser_Admin>& user);
    // The host part of the account statements for `name`: '%' for vault accounts, and for the
    // session's own account the host the server matched it with (CURRENT_USER()).
    QString accountHost(const QString& name);
    // `name` with that host, quoted: 'name'@'host'.
    QString accountOf(const QString& name);
    // The format's %1 is the account `account`, its %2 (when given) the quoted `value`.
    void executeAccountStatement(const char* format, const QString& account, const QString& value = {});
    void renameAccount(const QString& from, const QString& to);
    // Each returns the step that puts back what it is about to change (nothing to do when the
    // session may not read the old state).
    std::function<void()> restorerOfDetailsRow(const QString& userName);
    std::function<void()> restorerOfPassword(const QString& userName);
    std::function<void()> restorerOfTableRights(const QString& userName);

    // Steps that other categories of the store provide, inside the operation's transaction:
    // the preference row of a new user (initUserPreferencesForUser); the personal group of a
    // new, renamed and deleted user (addUserPersonalGroup, renameUserPersonalGroup,
    // deleteUserPersonalGroup). Each returns that operation's status.
    int addPreferenceRowForNewUser(const QString& userID, const QString& userName);
    int addPersonalGroupForUser(const OTVUserBase& user);
    int renamePersonalGroupForUser(const OTVUserBase& user);
    int deletePersonalGroupForUser(const OTVUserBase& user);

    // =========================================================================================
    // Event log, password hints, recent and most-viewed lists (OTVDataBaseEventLog.cpp,
    // OTVDataBasePasswordHints.cpp, OTVDataBaseRecentLists.cpp)
public:

    // -----------------------------------------------------------------------------------------
    // Event log (OTVDataBaseEventLog.cpp)

    // Makes one entry and writes it to EVENTLOGGERTABLE at once, on the calling thread (any
    // thread), then appends it to the event-log window's list, where it stays even when it
    // could not be stored. Description and action may be empty; an empty user name stands for
    // the logged-in user's (with nobody logged in the entry is stored with an empty user).
    // Returns the write's status: 0, 3 (database error, reported) or 12 (a value longer than
    // its column). A failed write never fails or undoes the action it records.
    int addLogEvent(const QString& event, const QString& description = QString(),
                    const QString& action = QString(), const QString& userName = QString());
    // Writes one entry (all of its keys but "Action"): 0, 3 or 12 as above.
    int saveLogsArrayToDatabase(const EventLogEntry& entry);

    // Reads every stored entry into mLogArray (load and reload of the vault). Returns 0;
    // throws sql::SQLException on a database error, for the load to handle.
    int readSaveLogsArrayToDatabase();
    // The entries as last read from the table (new entries are not added here).
    QList<EventLogEntry> mLogArray() const { return mLogArray_.entries(); }

    // The event-log window's list: mLogArray as last copied, plus every entry added since.
    // Its changed() signal tells the window's model.
    BKEventLogList& eventLogWindowList() { return mEventLogWindowList_; }
    // The window's list becomes a copy of mLogArray again (after each reload of the vault).
    void reloadLogDatabase();
    // Empties the window's list only: the table and mLogArray keep their entries.
    void clearLog();

    // The monthly rotation, once per start after the vault is loaded, on the main thread, in an
    // administrator's session only (other accounts may not delete entries; they get 0):
    // when the oldest stored entry is from another month than today (year and month compared,
    // so the same month of another year rotates too), every stored row is written to
    // "<Mon>-<yyyy> (Created_On_<dd-MM-yyyy>).csv", month and year those of the oldest entry,
    // in the folder of the user default
    // "EventLoggerDatabaseLocation" (created when missing), and exactly the rows written are
    // then deleted. Returns 0 (also when there is nothing to rotate), 3 after a database error
    // (reported), 1 when the backup file could not be written: the rows are then kept and the
    // user is told why in an alert.
    int checkForMonthChangeInEventLoggerTable();
    // The file name of the backup of the log of `logMonth`, made on `today`.
    static QString eventLogBackupFileName(const QDate& logMonth, const QDate& today);

    // The clock of the event log (new entries' dates and the rotation); tests set their own.
    // An empty function returns to the system clock.
    void setEventLogClock(std::function<QDateTime()> clock);

    // -----------------------------------------------------------------------------------------
    // Password hints and the own password (OTVDataBasePasswordHints.cpp)

    // The hint questions, indexed by the stored question number. These English texts are part
    // of the stored format (they are enciphered), whatever the interface shows.
    static const QStringList& kQuestions();
    static constexpr int kHintQuestionCount = 7;

    // Writes the three hint columns of the user's APPPREFTABLE row from its hint fields, all or
    // nothing. *returnCode: 0; 8 when the user has no preference row; 12 when the hint does not
    // fit; 3 after a database error (reported); 1 after another failure.
    void saveHintPreferencs(OTVUser& user, int* returnCode);
    // The readers work on the current user's row (`user` names the current user). Their
    // *returnCode: 0, 7 when the server refused access (1142, 1143), 9 when the connection was
    // lost (2013), 3 after another database error; these are not reported, and the reader then
    // answers what it had.
    bool isHintExist(const OTVUser* user, int* returnCode);
    // The hint deciphered with `answer` (kept as the current user's mHintEntered); a wrong
    // answer gives unreadable text. A null string with no current user.
    QString passwordHintForUser(const OTVUser* user, const QString& answer, int* returnCode);
    // The free-text hint (question 0).
    QString passwordHintForUser(const OTVUser* user, int* returnCode);
    bool validatePasswordHintAnswerForUser(const QString& userName, const QString& answer, int questionNumber,
                                           int* returnCode);

    // What the password panel hands over with a new password.
    struct PasswordHint {
        int questionNumber = 0;   // index into kQuestions(); 0 is a free-text hint
        QString answer;           // the answer to the question (the hint's key)
        QString hint;
    };

    // Sets the current user's own password with a free-text hint, and with a hint from the
    // password panel (which also switches the automatic lock on for a password
    // that is not empty). An empty password switches the lock password off and leaves the
    // MySQL account's password as it is. Returns 0 (also with no current user) or the failed
    // step's status; after a failure the user's password and hint in memory are as before.
    int setPassword(const QString& password, const QString& hint);
    int setPassword(const QString& password, const PasswordHint& hint);

    bool isPasswordEnableForUser(const OTVUser* user, int* returnCode) const;
    // True only for the current user (same user ID) with a non-empty password that the server
    // accepts for the account (authenticateAccount). *returnCode: 0 when the server answered
    // (yes or no), else authenticateAccount's status.
    bool validatePasswordForUser(const OTVUser* user, const QString& password, int* returnCode) const;
    static bool doesPasswordMatchForUser(const OTVUser* user, const QString& password);

    // -----------------------------------------------------------------------------------------
    // Recent, most-viewed and recently-modified lists (OTVDataBaseRecentLists.cpp)

    // The lists hold at most this many record UIDs, oldest first, in memory and on the server.
    static constexpr int kRecentListCap = 10;

    // Replace the in-memory list with the user's rows (only when all of them were read).
    // 0; 3 after a database error (reported); 1 after another failure.
    int readMostViewedRecordIDForUser(const QString& userID);
    void readRecentlyViewedRecordIDForUser(const QString& userID, int* returnCode);
    void readRecentlyModifiedRecordIDForUser(const QString& userID, int* returnCode);

    // Add the record for the user: first the oldest entries go until the list has room (in
    // memory, and the user's oldest rows on the server), then the row is inserted and the UID
    // listed (not listed when the server ignored the row: the record or the user is gone).
    // 0 when every step succeeded; 3 otherwise (database errors are reported); 12 for a UID
    // longer than its column.
    int addMostViewedRecordID(const QString& recordUID, const QString& userID);
    int addRecentlyViewedRecordID(const QString& recordUID, const QString& userID);
    int addRecentlyModifiedRecordID(const OTVRecord& record, const QString& userID);
    // Recently added records are only written to the server, never listed nor trimmed.
    int addRecentlyAddedID(const QString& recordUID, const QString& userID);
    // Removes the record from the logged-in user's most-viewed list (server and memory); other
    // users' lists keep it. A null UID does nothing. 0; 3 (reported); 1.
    int removeMostViewedRecordID(const QString& recordUID);

    // Snapshots of the in-memory lists.
    QStringList mostViewedRecords() const;
    QStringList recentlyViewedRecords() const;
    QStringList recentlyModifiedRecords() const;

private:
    // The own password on the server: a password that is not empty changes the MySQL
    // account's and USERTABLE's (resetPasswordForUser); an empty one is stored in USERTABLE
    // only and leaves the MySQL account's password as it is.
    int storeOwnPassword(const OTVUser& user);
    int setOwnPasswordAndHint(const std::function<void(OTVUser&)>& applyFields);
    int readCurrentUserHintRow(const std::function<void(const OTVResultSet&)>& onRow, int* returnCode);

    int readRecentList(const char* query, const QString& userID, QStringList& list);
    int addToRecentList(const char* insertQuery, const char* trimQuery, const char* countQuery,
                        QStringList& list, const QString& recordUID, const QString& userID);

    int runEventLogWrite(const std::function<int()>& body);
    // An entry as addLogEvent makes it, and its place in the event-log window's list (or among
    // the held entries).
    EventLogEntry newLogEntry(const QString& event, const QString& description, const QString& action,
                              const QString& userName);
    void listLogEntry(const EventLogEntry& entry);
    // While one lives (its maker holds the store lock), addLogEvent keeps the entries for the
    // event-log window in `held` instead of showing them: entries written inside a transaction
    // are shown once it has committed.
    class HeldLogEntries {
    public:
        HeldLogEntries(OTVDataBase& store, std::vector<EventLogEntry>& held);
        ~HeldLogEntries();
        HeldLogEntries(const HeldLogEntries&) = delete;
        HeldLogEntries& operator=(const HeldLogEntries&) = delete;

    private:
        OTVDataBase& store_;
        std::vector<EventLogEntry>* previous_;
    };
    std::vector<EventLogEntry>* mHeldLogEntries = nullptr;   // guarded by mStoreMutex
    // While one lives (its maker holds the store lock, inside a transaction), the
    // recently-added rows and the event-log entries are checked as they come and kept; write()
    // then stores them with few statements of many rows. write()'s status is the recently-added
    // rows' (a failure marks the transaction for rollback); the entries' never fails it.
    class GatheredRows {
    public:
        explicit GatheredRows(OTVDataBase& store);
        ~GatheredRows();
        GatheredRows(const GatheredRows&) = delete;
        GatheredRows& operator=(const GatheredRows&) = delete;
        int write();

        std::vector<std::pair<QString, QString>> recentlyAdded;   // user ID, record UID
        std::vector<EventLogEntry> logEntries;

    private:
        OTVDataBase& store_;
    };
    GatheredRows* mGatheredRows = nullptr;   // guarded by mStoreMutex
    // Inserts the entries, many to a statement. Throws on a database error.
    void insertLogEntries(const EventLogEntry* entries, size_t count);
    // Inserts the recently-added rows, many to a statement: 0, 3 (reported) or 12.
    int insertRecentlyAddedRows(const std::vector<std::pair<QString, QString>>& rows);
    QString mLastValidLogDate;   // guarded by mStoreMutex
    int rotateEventLog(const QDate& logMonth);
    QDateTime eventLogNow() const;
    // eventLogNow() as the entries store it.
    QString eventLogDateText();
    qint64 mEventLogDateSecond = -1;   // guarded by mEventLogClockMutex
    QString mEventLogDateText;         // guarded by mEventLogClockMutex

    BKEventLogList mLogArray_;
    BKEventLogList mEventLogWindowList_;
    mutable std::mutex mEventLogClockMutex;
    std::function<QDateTime()> mEventLogClock;

public:

    // =========================================================================================
    // Per-user preferences (OTVDataBasePreferences.cpp), column, window and split-view layouts
    // (OTVDataBaseLayouts.cpp)
public:

    // Creates the user's preference row with every default (all types, the user's own group,
    // the font "ArialMT" at 13 points, white rows, ...). *returnCode (may be null): 0; 8 when
    // nothing was written (no USERTABLE row for the ID); 12 when the ID or the name is longer
    // than its column; 3 for an empty ID and after a failure (database errors are reported).
    // Part of the caller's transaction when there is one.
    void initUserPreferencesForUser(const QString& userID, const QString& userName, int* returnCode);

    // Reads the user's row into `user` (the logged-in user) at login, then the column layout of
    // its current type and its recent lists. The row's fields are taken all at once or not at
    // all; a user without a row keeps its fields and layout. A WINDOWPOS that makes no window
    // gives the default frame, a font that is not installed "Lucida Grande" (at 13 points when
    // FONTHEIGHT is not a size). The hint columns are not read here: they are ciphertext, read
    // when the hint is asked for. *returnCode (may be null): 0, or the first failure (database
    // errors are reported); after a failure of the row's read nothing more is read.
    void readUserPreferenceForTableForUser(OTVUser& user, int* returnCode);
    // At quit: WINDOWPOS (from mWindowPosition and whether the desktop shows the main window
    // maximised) and DETAILPANEWIDTH. *returnCode (may be null): 0, or 3 after any failure,
    // reported to nobody (the application is quitting). Asks the desktop on the main thread:
    // never call it holding the store lock on another thread.
    void saveBasicPreferencesForUser(const OTVUser& user, int* returnCode);
    // The options panel's columns: auto-lock, font (FONTHEIGHT its whole points; FONTNAME, with
    // FONTWEIGHT 700 or 200 and FONTITALIC taken from the name), row colour, lock minutes,
    // auto-submit and the clipboard settings. *returnCode (may be null): 0; 12 when not even
    // the font's family fits FONTNAME; 3 after a failure (database errors are reported).
    void saveOptionPanelPreferencesForUser(const OTVUser& user, int* returnCode);
    // The options panel's OK: the columns above and the logged-in user's list-column layout as
    // the row of each type of `layoutTypeUIDs` (setShowColumnsInListViewForTypeName), in one
    // transaction: all of it is stored, or nothing. 0, or the first failure's status.
    int saveOptionPanelPreferencesWithLayouts(const OTVUser& user, const QStringList& layoutTypeUIDs);

    // Single columns of the user's row: 0; 12 (current group longer than its column); 3 after
    // a failure (database errors are reported). Every row of the user ID is updated.
    int saveLastViewForUser(const OTVUser& user);
    int saveCurrentGroupForUser(const OTVUser& user);
    int saveToggleInfoForUser(const OTVUser& user);
    int saveSortInfoForUser(const OTVUser& user);
    int savePasswordGeneratorFlagForUser(const OTVUser& user);
    int saveNumberOfAttemptsForUser(const OTVUser& user);

    // Accessors on the logged-in user. Without one they answer 0, false or nothing with the
    // code 3 and change nothing; a null code pointer is not written. The setters save at once
    // and return the saver's status.
    std::shared_ptr<OTVUser> getCurrentUser() const;
    // mAutoLOck; *minutes (not null) = mLockTime.
    bool autoLockEnabledWithInactiveTime(int* minutes, int* returnCode) const;
    int setToggleInfo(bool showDetailPane);
    // Ascending on column "3" (Field 1) when no sort order was set.
    std::optional<SortSpec> sortDescriptor(int* returnCode) const;
    int setSortDescriptor(const std::optional<SortSpec>& sorting);
    quint8 passwordGeneratorFlags(int* returnCode) const;
    int setPasswordGeneratorFlags(quint8 flags);
    // The failed unlock attempts so far (mLoginAttemptCount).
    qint16 numberofAttemptsLeft(int* returnCode) const;
    // Works on the given user: 3 for none.
    int setNumberofAttemptsLeft(int count, const std::shared_ptr<OTVUser>& user);
    // In memory only: the options panel saves it.
    int setfont(const QFont& font);

    // The logged-in user's list-column layout of a type (a null UID: all types) from
    // COLUMNINFOTABLE into mColoumWidthArray and mColoumInfo; without a row both keep their
    // values. 0; 3 without a user and after a failure (database errors are reported).
    int readColoumWidthInfoForType(const QString& typeUID);
    // Stores the logged-in user's layout as the type's row. 0; 3 without a user, when the width
    // list holds fewer than 14 entries (nothing is written; no list writes width 0 everywhere)
    // and after a failure (database errors are reported); 12 for a UID longer than its column.
    int setShowColumnsInListViewForTypeName(const QString& typeUID);
    // Sets the 14 widths of the list columns "1" to "14" and stores the layout for the type at
    // `typeIndex` (0 all types; n the n-th type of typesForEditing()). The store's status,
    // or 3 without a user, for fewer than 14 widths or an index out of range (nothing changed).
    int setColumnWidthDetails(const QList<int>& widths, int typeIndex);
    std::optional<QList<int>> columnWidthDetails(int* returnCode) const;

    // The main window's frame (Qt screen coordinates) as the stored window-position text, and
    // back, on the main screen; a text that makes no window reads as the default frame. The
    // first asks the desktop on the main thread whether the window is maximised: never call it
    // holding the store lock on another thread.
    QString getWindowDimensionsInWindowsStandard(const QRectF& frame) const;
    QRectF getRectFromWindowPosition(const QString& text) const;

    // Keeps a split view's layout (its subviews' rectangle texts) in the user defaults under its
    // name, for the three split views of the main window only; the main one's first width also
    // becomes the user's DETAILPANEWIDTH (saved at quit). Nothing without a logged-in user.
    void saveSplitViewInformation(const QStringList& rectangles, const QString& name);

private:
    int saveUserPreferenceColumn(const char* sql, const OTVUser& user,
                                 const std::function<void(OTVStatement&)>& bindValue);
    void readPreferenceRow(OTVUser& user, bool* found);
    // The user's most-viewed, recently viewed and recently modified lists: 0 or the first
    // failure.
    int readRecentListsForUser(const QString& userID);

    // =========================================================================================
    // Personal groups and the master-password change (OTVDataBasePersonal.cpp)
public:

    // --- Personal groups. Every user owns one group that only he sees: its UID is his user ID
    // (tell it by that, never by its name: the word "Personal" is localised), its name the
    // localised word, a hyphen and his user name, its record word 7, prevailing. Its records
    // are ordinary records filed in it; the server deletes them with it.

    // The plain name of the personal group of `userName` ("Personal-ann").
    static QString personalGroupName(const QString& userName);
    // The name of the logged-in user's personal group.
    QString currentUserPersnaolGroupName() const;
    // 0 inserted; 8 nothing written (the account has its group already, or a failure); 12 the
    // name does not fit its column.
    int addUserPersonalGroup(const OTVUserBase& account);
    // Names the account's group after its current user name: 0 (also when it has no group),
    // 12, 3 (a database error, reported) or 1.
    int renameUserPersonalGroup(const OTVUserBase& account);
    // The same with the user name that USERTABLE holds for `userID`; 0 when it holds none.
    int renamePersonalGroupForUser(const QString& userID);
    // 0 deleted; 8 nothing deleted (no such group, or a failure).
    int deleteUserPersonalGroup(const OTVUserBase& account);
    // Every user ID of USERTABLE; after a failure (reported) what was read before it.
    QStringList allUsersUIDS();
    // The records of personal group `groupUID` (its owner's user ID), with their custom types
    // and attachment names. Read completely (the logged-in user's own records, for a load):
    // with their group and type from `into`'s maps, put into its record map, and none returned;
    // without `into` the store's own maps are used (the records enter mRecords on the main
    // thread). Otherwise: without group or type, attachment state 4 (re-encipher), returned.
    // After a database error (reported; code 3) what was read before it.
    OTVRecordList readUserPersonalRecords(const QString& groupUID, bool readCompletely, VaultMaps* into = nullptr,
                                          int* returnCode = nullptr);

    // --- The master password, kept in DATABASEINFOTABLE ('DBPASSWORD', under the user-data
    // cipher; empty for none) and, for the session, in the connection details (masterPassword()).
    // It is never written to the settings file. The record cipher is keyed by it: changing it
    // re-enciphers every group name, type, record value and note, custom type, and attachment
    // name and pass key that the server holds (also those of other users' personal groups and
    // those that other clients added after this session loaded), and stores the new password,
    // all in one transaction. After any failure the vault, the session's cipher and its master
    // password are exactly as before. Other clients must connect again after a change: what
    // they write under the old key cannot be read under the new one.
    //
    // Statuses: 0 done; 8 nothing changed: the vault's master password is not the one this
    // session's cipher is keyed by (another client changed it: reload first), or, for
    // setMasterPassword, the vault has one already; 12 the new password (at most 240 UTF-8
    // bytes) or a re-enciphered value does not fit its column; 3 a database error (reported),
    // also a stored master password that does not decipher; 1 another failure, such as a
    // stored value that does not decipher under the old key (a rewrite would lose it): the
    // first such value's table, column and row key are then lastServerMessage() and an event-log
    // entry "Failed Master Password Change", so that an administrator can remove or restore it.

    // The first master password of a vault, on the calling thread: stores it and keys the
    // session's cipher with it. A vault that has a master password keeps it (8); values that a
    // vault without one holds plain are enciphered.
    int setMasterPassword(const QString& password);
    void setChangeMasterPassword(bool changed);
    // The change on the calling thread (the worker's body); isLoadingComplete() reads false
    // until it has ended. An empty new password removes the master password: values are then
    // stored plain.
    int reEncyptAllDatabaseInformation(const QString& newPassword);
    // Clears isLoadingComplete() at once, then runs the change on a worker. Its status is
    // reEncryptionStatus() once isLoadingComplete() reads true.
    void startReEncryption(const QString& newPassword);
    int reEncryptionStatus() const { return mReEncryptionStatus.load(); }
    // On the main thread (never while holding the store lock): the change on a worker while
    // this thread waits in an event loop; returns its status. The change-master-password sheet
    // calls this (or startReEncryption with its own wait) and nothing else: the new password is
    // stored as part of the change.
    int changeMasterPassword(const QString& newPassword);
    // On a cluster a change first commits a mark that makes every enciphering write refuse
    // (8) until the change clears it in its own commit. A change that died leaves the mark
    // standing for this long at most, by the server's clock (a minute; tests shorten it).
    static constexpr int kKeyChangeMarkSeconds = 60;
    // A mark that lapses further ahead than any change sets one (with a few seconds for the
    // nodes' clocks to differ) was set by no change: it counts for nothing, so that no mark
    // stops the vault's writes for good.
    static constexpr int kKeyChangeMarkReachSeconds = kKeyChangeMarkSeconds + 5;
    void setKeyChangeMarkLifetime(int seconds) { mKeyChangeMarkSeconds = std::min(seconds, kKeyChangeMarkSeconds); }
    // The statement with which the change rewrites a batch of rows of `table` ("RECORDTABLE",
    // ...) under the new key; empty for a table without values under the record cipher.
    static std::string reEncipheringStatement(const std::string& table);

protected:
    // Names each user's personal group anew from USERTABLE under the current record cipher:
    // 0, or the first failure's status.
    int reEncryptPersonalGroups(const QStringList& userIDs);
    // Writes the DATABASEINFOTABLE row of the master password (throws); stored alone, without
    // re-enciphering the vault, it would make the vault unreadable.
    void saveMasterPasswordForAdmin(const QString& password);

private:
    struct PlainRow;
    struct EncipheredTable;
    // Every table with values under the record cipher but GROUPTABLE's personal groups.
    static const std::vector<EncipheredTable>& encipheredTables();
    int rekeyVault(const QString& newPassword, bool onlyFirstPassword);
    // The rows of `table` deciphered under the current record cipher: 0, or 1 for a value
    // that does not decipher, whose place (table, column and row key) `undecipherable` then
    // tells the user.
    int readPlainRows(const EncipheredTable& table, QList<PlainRow>& rows, QString& undecipherable);
    void writePlainRows(const EncipheredTable& table, const QList<PlainRow>& rows);
    void writePersonalGroupName(const QString& userID, const QString& userName);
    QStringList readUserIDs();
    bool recordCipherIsKeyedBy(const QString& password) const;
    // The change's mark: 0 set (or not needed, off a cluster), 8 another change's stands.
    int markKeyChange();
    // After a change that failed: its mark goes, so that writers need not wait for it to lapse.
    void clearKeyChangeMarkQuietly();

    std::atomic<int> mReEncryptionStatus{kOTVStatusOK};
    std::atomic<int> mKeyChangeMarkSeconds{kKeyChangeMarkSeconds};

public:

protected:
    // =========================================================================================
    // Shared machinery of every category

    // The store-wide lock: serialises all use of the connection and the ciphers. Recursive.
    // Main-thread work queued while it is held runs, waiting, when the outermost level ends.
    class StoreLock {
    public:
        explicit StoreLock(const OTVDataBase& store);
        ~StoreLock();
        StoreLock(const StoreLock&) = delete;
        StoreLock& operator=(const StoreLock&) = delete;

    private:
        const OTVDataBase& store_;
    };

    // Status for a database error taken from mapDBErrorCode (for operations whose status
    // follows the connection table).
    static constexpr int kStatusFromErrorNumber = -1;
    // The status of an operation that met database error `errorNumber`: the operation's own
    // `databaseErrorStatus`, or mapDBErrorCode's for a lost connection.
    static int statusOfDatabaseError(int errorNumber, int databaseErrorStatus);

    // A body refused by a deadlock or a cluster's certification (1213) runs again, up to
    // kDeadlockAttempts times in all, when no transaction was open when it started. Two clients
    // that write one row through two nodes in a loop refuse each other ten times in a row and
    // more: the limit is for a writer that never gets through, not for contention. An
    // outermost operation that fails asks the connection whether it still answers: one that
    // does not (its server or cluster node died) makes the status a lost connection's, reported
    // like any other, whichever step failed and however.
    int runGuarded(const std::function<int()>& body, int databaseErrorStatus = kOTVStatusDatabaseError,
                   int otherFailureStatus = kOTVStatusOtherFailure);
    static constexpr int kDeadlockAttempts = 32;
    int runInTransaction(const std::function<int()>& body);

    // While one lives (on the thread that holds the store lock), prepare() hands out one
    // server-side statement per SQL text instead of preparing it anew: for operations that run
    // the same statements for hundreds of rows. Nothing may still read a result set of a
    // statement when the same text is prepared again.
    class ReusedStatements {
    public:
        explicit ReusedStatements(OTVDataBase& store);
        ~ReusedStatements();
        ReusedStatements(const ReusedStatements&) = delete;
        ReusedStatements& operator=(const ReusedStatements&) = delete;

    private:
        OTVDataBase& store_;
        StoreLock lock_;
    };

    // Throw sql::SQLException("Invalid Connection", "HY000", 2013) without a connection.
    OTVStatement prepare(const char* sql);
    // The rows of a query without parameters, read as the server sends them instead of all at
    // once first: a load deciphers while the rows arrive. Until the last row is read (or the
    // result set is gone) nothing else may run on the connection.
    OTVResultSet streamQuery(const char* sql);
    void executePlain(const char* sql);
    void executePlain(const QString& sql);

    // `text` as a quoted SQL string literal, escaped by the connection, for the few statements
    // that cannot take "?" placeholders (account names and passwords in CREATE USER, GRANT, ...).
    QString quotedString(const QString& text);

    // The stored form of a value, refused (OTVValueTooLong) when it does not fit the column or
    // a statement of the server, or holds text that cannot be stored (OTVCheckStorableText).
    QByteArray encryptedValue(const QString& text, qint64 columnBytes);
    QByteArray encryptedDataValue(const QString& text, qint64 columnBytes);
    // The most bytes one value may have in a statement of the session's server.
    qint64 largestStatementValue() const;

    // Reports a database error through handleDatabaseError on the main thread, waiting, as soon
    // as the store lock is released.
    void reportDatabaseError(const OTVDatabaseError& error);
    void performOnMainThreadWhenUnlocked(std::function<void()> work);

    sql::Connection& connection();

    // =========================================================================================
    // State shared by the categories

    std::shared_ptr<OTVUser> mCurrentUser_;
    std::unique_ptr<CDBEncrypter> mEncrypter;           // record cipher; none without a master password
    std::unique_ptr<CDBEncrypter> mUserDataEncrypter;   // user-data cipher
    OTVUserMap mUsers_;                                 // user ID -> account, the logged-in one left out
    OTVGroupMap mGroups_;                               // group UID -> group
    OTVTypeMap mTypes_;                                 // type UID -> record type
    OTVRecordMap mRecords_;                             // record UID -> record
    QMap<QString, QImage> mCustomIcons_;                // "Icon%d" of the icon number -> image
    bool mReadRecords = false;
    QStringList mRecentlyMofifiedTypes;   // record UIDs
    QStringList mMostViewedRecords;
    QStringList mRecentlyAddedRecords;
    QStringList mRecentlyViewedTypes;     // record UIDs
    std::atomic<bool> mIsDataReloaded{false};
    bool mIsMasterPasswordChanged = false;
    std::atomic<bool> mIsLoadingComplete{false};
    std::atomic<bool> mIsConnectionComplete{false};
    std::atomic<int> mConnectionErrCode{kOTVStatusOK};
    OTVConnectionDetails mConnectionDetails;

private:
    void connectToServer(const OTVConnectRequest& request);
    void openSession(const OTVConnectRequest& request);
    bool hasOwnDetailsRow(const QString& userName);
    // The session's account can no longer read its own vault row (deleted, or disabled).
    bool hasLostVaultAccess();
    std::optional<QString> readStoredMasterPassword(const char* query);
    // Whether a live mark of a master-password change stands (kQueryKeyChangeUnderWay...).
    bool keyChangeUnderWay(const char* query);
    QString mSessionURL;   // the server the session connected to, for authenticateAccount
    std::atomic<qint64> mMaxAllowedPacket{0};   // the server's max_allowed_packet; 0 unknown
    std::atomic<bool> mOnCluster{false};        // the session's server is a cluster node
    QString decryptWith(CDBEncrypter* cipher, const char* stored, size_t size);
    // A stored text's bytes up to their zero padding, deciphered into `out` (room for `size`
    // bytes) when there is a cipher; nullopt when they are no whole number of blocks.
    static std::optional<QByteArrayView> plainBytes(CDBEncrypter* cipher, const char* stored, size_t size, char* out);
    // The text of plain UTF-8 bytes: the empty text for none, the null text for bytes that are
    // no UTF-8.
    static QString textOfPlainBytes(QByteArrayView plain);
    int runGuardedBody(const std::function<int()>& body, int databaseErrorStatus, int otherFailureStatus);
    // The error that tells the session's connection lost, when it no longer answers; nothing
    // when it does.
    std::optional<OTVDatabaseError> lostConnection();
    void markRollbackOnly(int status);
    void endTransaction(bool commit);
    static void waitBeforeRetry(int attempt);

    // The lock's own state changes under const accessors too.
    mutable std::recursive_mutex mStoreMutex;
    mutable int mLockDepth = 0;                                          // guarded by mStoreMutex
    mutable std::vector<std::function<void()>> mMainThreadWorkAfterUnlock;   // guarded by mStoreMutex
    int mTransactionDepth = 0;                                   // guarded by mStoreMutex
    int mReusedStatementsDepth = 0;                              // guarded by mStoreMutex
    int mKeptStatementsDepth = 0;                                // guarded by mStoreMutex
    std::thread::id mKeptStatementsThread;                       // guarded by mStoreMutex
    bool keepsStatementsForThisThread() const;
    std::map<std::string, std::shared_ptr<sql::PreparedStatement>> mReusedStatements;   // guarded by mStoreMutex
    int mGuardDepth = 0;                                         // guarded by mStoreMutex
    QString mLastServerMessage;                                  // guarded by mStoreMutex
    bool mTransactionRollbackOnly = false;
    int mTransactionFailureStatus = kOTVStatusOK;

    std::unique_ptr<sql::Connection> mCPcon;
    std::atomic<bool> mIsAdministratorSession{false};
    std::atomic<bool> mConnectionLostHandlerIsOn{false};
    OTVStatementFaults mStatementFaults;
    // The record lists of the views in order, kept between rebuilds; guarded by mStoreMutex.
    mutable OTVSortedRecords mSortedRecords_;
};
