#pragma once

// Every SQL text of the vault store, named after its statement. Other copies of the program
// share the database, so table names and statement texts stay as they are. One spelling per
// table: the vault's tables in upper case (GROUPTABLE, ...), the server's own tables as
// mysql.user and mysql.user_info; servers keep lower_case_table_names=0, where names are
// case-sensitive. Values are bound through "?" placeholders; the few texts that carry an
// account name or a password are formatted with the connector's escaping (see their section).
//
// Each category of OTVDataBase keeps its statements in its own section below.

// =============================================================================================
// Schema (OTVDataBaseSchema.cpp)

#include <string_view>

#define OTV_DATABASE_NAME "vivododadi"

inline constexpr char kDatabaseName[] = OTV_DATABASE_NAME;

inline constexpr char kQueryCreateDatabase[] =
    "create database if not EXISTS " OTV_DATABASE_NAME " DEFAULT CHARACTER SET utf8mb4";

inline constexpr char kQueryCreateGroupTable[] =
    "CREATE TABLE IF NOT EXISTS GROUPTABLE(UID VARCHAR(16) PRIMARY KEY,NAME TINYBLOB,RECORDPERMISSION INT,"
    "GROUPPERMISSIONPREVAILS BOOL) ENGINE=InnoDB";

inline constexpr char kQueryCreateTypesTable[] =
    "CREATE TABLE IF NOT EXISTS TYPETABLE(UID VARCHAR(16) PRIMARY KEY,NAME TINYBLOB, ICONID INT,MASKS INT,"
    "FIELD1 TINYBLOB,FIELD2 TINYBLOB, FIELD3 TINYBLOB,FIELD4 TINYBLOB,FIELD5 TINYBLOB,FIELD6 TINYBLOB,"
    "FIELD7 TINYBLOB,FIELD8 TINYBLOB,FIELD9 TINYBLOB,FIELD10 TINYBLOB)  ENGINE=InnoDB";

inline constexpr char kQueryCreateRecordsTable[] =
    "CREATE TABLE IF NOT EXISTS RECORDTABLE(RECORDID VARCHAR(16) PRIMARY KEY,TYPEUID VARCHAR(16),"
    "FOREIGN KEY (TYPEUID) REFERENCES TYPETABLE (UID) ON DELETE CASCADE ON UPDATE CASCADE,GROUPUID VARCHAR(16),"
    "FOREIGN KEY (GROUPUID) REFERENCES GROUPTABLE(UID) ON DELETE CASCADE ON UPDATE CASCADE,FIELD1 TINYBLOB,"
    "FIELD2 TINYBLOB,FIELD3 TINYBLOB,FIELD4 TINYBLOB, FIELD5 TINYBLOB,FIELD6 TINYBLOB,FIELD7 TINYBLOB, "
    "FIELD8 TINYBLOB, FIELD9 TINYBLOB,FIELD10 TINYBLOB,NOTE LONGBLOB,HASATTACHMENT BOOL,HASCUSTOMFIELD BOOL,"
    "VIEWCOUNT BIGINT)  ENGINE=InnoDB";

inline constexpr char kQueryCreateCustomIconTable[] =
    "CREATE TABLE IF NOT EXISTS CUSTOMICONTABLE(ICONINDEX INT, DATA LONGBLOB,"
    "ROWKEY BIGINT UNSIGNED NOT NULL AUTO_INCREMENT INVISIBLE PRIMARY KEY,UNIQUE KEY ICONINDEX (ICONINDEX))  ENGINE=InnoDB";

inline constexpr char kQueryCreateCustomTypeTable[] =
    "CREATE TABLE IF NOT EXISTS CUSTOMTYPETABLE(RECORDID VARCHAR(16) PRIMARY KEY,FOREIGN KEY (RECORDID) "
    "REFERENCES RECORDTABLE (RECORDID) ON DELETE CASCADE ON UPDATE CASCADE,ICONID INT,MASKS INT,"
    "FIELD1 TINYBLOB,FIELD2 TINYBLOB, FIELD3 TINYBLOB,FIELD4 TINYBLOB,FIELD5 TINYBLOB,FIELD6 TINYBLOB,"
    "FIELD7 TINYBLOB,FIELD8 TINYBLOB,FIELD9 TINYBLOB,FIELD10 TINYBLOB)  ENGINE=InnoDB";

inline constexpr char kQueryCreateAttachmentTable[] =
    "CREATE TABLE IF NOT EXISTS ATTACHMENTTABLE(RECORDID VARCHAR(16) PRIMARY KEY,FOREIGN KEY (RECORDID) "
    "REFERENCES RECORDTABLE (RECORDID) ON DELETE CASCADE ON UPDATE CASCADE,ATTACHMENTNAME TINYBLOB,"
    "ENCRYPTIONKEY TINYBLOB,DATA LONGBLOB)  ENGINE=InnoDB";

inline constexpr char kQueryCreateUserTable[] =
    "CREATE TABLE IF NOT EXISTS USERTABLE(USERID VARCHAR(16) PRIMARY KEY,USERNAME VARCHAR(40),PASSWORD BLOB,"
    "PLATFORMNAME VARCHAR(40),GROUPPERMISSION INT,TYPEPERMISSION INT,RECORDPERMISSION INT,DATAPERMISSION INT,"
    "CANCHANGEPASSWORD BOOL,ISACCOUNTDISABLED BOOL)  ENGINE=InnoDB";

inline constexpr char kQueryCreateUserGroupList[] =
    "CREATE TABLE IF NOT EXISTS USERGROUPTABLE(GROUPID VARCHAR(16), FOREIGN KEY (GROUPID) REFERENCES "
    "GROUPTABLE (UID) ON DELETE CASCADE ON UPDATE CASCADE, USERID VARCHAR(16), FOREIGN KEY (USERID) "
    "REFERENCES USERTABLE (USERID) ON DELETE CASCADE ON UPDATE CASCADE, PRIMARY KEY (USERID, GROUPID)) "
    "ENGINE=InnoDB";

inline constexpr char kQueryCreateGroupSubGroupTable[] =
    "CREATE TABLE IF NOT EXISTS GROUPSUBGROUPTABLE(GROUPID VARCHAR(16),FOREIGN KEY (GROUPID) REFERENCES "
    "GROUPTABLE (UID) ON DELETE CASCADE ON UPDATE CASCADE,SUBGROUPID VARCHAR(16), FOREIGN KEY (SUBGROUPID) "
    "REFERENCES GROUPTABLE (UID) ON DELETE CASCADE ON UPDATE CASCADE,PRIMARY KEY (GROUPID, SUBGROUPID)) "
    "ENGINE=InnoDB";

inline constexpr char KQueryCreateColumnInfoTable[] =
    "CREATE TABLE IF NOT EXISTS COLUMNINFOTABLE(USERID VARCHAR(16), FOREIGN KEY (USERID) REFERENCES "
    "USERTABLE (USERID) ON DELETE CASCADE ON UPDATE CASCADE,TYPEID VARCHAR(16),COLUMN1 BIGINT, COLUMN2 BIGINT, "
    "COLUMN3 BIGINT, COLUMN4 BIGINT,COLUMN5 BIGINT, COLUMN6 BIGINT, COLUMN7 BIGINT, COLUMN8 BIGINT,"
    "COLUMN9 BIGINT, COLUMN10 BIGINT, COLUMN11 BIGINT, COLUMN12 BIGINT,COLUMN13 BIGINT, COLUMN14 BIGINT,"
    "PRIMARY KEY (USERID, TYPEID)) ENGINE=InnoDB";

inline constexpr char KQueryCreateEventLoggerTable[] =
    "CREATE TABLE IF NOT EXISTS EVENTLOGGERTABLE(NAME VARCHAR(100), ACTION VARCHAR(100), "
    "DESCRIPTION VARCHAR(4096), DATE DATETIME, USERNAME VARCHAR(100), SYSTEMNAME VARCHAR(100),"
    "ROWKEY BIGINT UNSIGNED NOT NULL AUTO_INCREMENT INVISIBLE PRIMARY KEY) ENGINE=InnoDB";

inline constexpr char kQueryCreateDatabaseInfoTable[] =
    "CREATE TABLE IF NOT EXISTS DATABASEINFOTABLE(NAME VARCHAR(200) PRIMARY KEY,VALUE TINYBLOB) ENGINE=InnoDB";

// One row that every enciphering write and every change of the master password update inside
// their transactions. Row locks hold only on one server: on a cluster, a write through one
// node and a change through another each update this row, so that the cluster's certification
// refuses whichever of them comes second instead of letting a value under the old key in.
inline constexpr char kQueryCreateKeyStampTable[] =
    "CREATE TABLE IF NOT EXISTS KEYSTAMPTABLE(NAME VARCHAR(200) PRIMARY KEY,STAMP BIGINT UNSIGNED NOT NULL) "
    "ENGINE=InnoDB";
inline constexpr char kKeyStampTable[] = "KEYSTAMPTABLE";
// An upsert, so that a vault whose row is missing still gets one conflicting key per writer.
inline constexpr char kQueryBumpKeyStamp[] =
    "INSERT INTO KEYSTAMPTABLE(NAME,STAMP) VALUES ('DBPASSWORD',1) ON DUPLICATE KEY UPDATE STAMP=STAMP+1";
// On a cluster a change of the master password first commits a mark of its own, so that
// writes through other nodes stop (and refuse) instead of taking turns with the change's long
// transaction until it gives up. STAMP holds the moment at which the mark lapses, in seconds of
// the server's clock: the change clears it when it commits, and a change that died leaves a
// mark that stops counting by itself. Only servers' clocks are compared, never a client's. A
// mark counts only while it lapses no later than a change's lifetime from now (parameter 1):
// one set further ahead was set by no change, and would stop writes for good.
inline constexpr char kQueryKeyChangeUnderWay[] =
    "SELECT COUNT(*) FROM KEYSTAMPTABLE WHERE NAME='DBPASSWORDCHANGE' AND STAMP>UNIX_TIMESTAMP() "
    "AND STAMP<=UNIX_TIMESTAMP()+?";
// The same for the change that is about to set the mark: a second change waits for the first's
// mark to be committed on this node, and then sees it.
inline constexpr char kQueryKeyChangeUnderWayLocked[] =
    "SELECT COUNT(*) FROM KEYSTAMPTABLE WHERE NAME='DBPASSWORDCHANGE' AND STAMP>UNIX_TIMESTAMP() "
    "AND STAMP<=UNIX_TIMESTAMP()+? FOR UPDATE";
inline constexpr char kQuerySetKeyChangeMark[] =
    "INSERT INTO KEYSTAMPTABLE(NAME,STAMP) VALUES ('DBPASSWORDCHANGE',UNIX_TIMESTAMP()+?) "
    "ON DUPLICATE KEY UPDATE STAMP=VALUES(STAMP)";
inline constexpr char kQueryClearKeyChangeMark[] = "UPDATE KEYSTAMPTABLE SET STAMP=0 WHERE NAME='DBPASSWORDCHANGE'";
// Whether the session's server is a node of a cluster; a server without the variable is not.
inline constexpr char kQueryIsClusterNode[] = "SELECT @@wsrep_on";
// A node applies what the others committed a little later. With this, each read of the session
// first waits until the node has applied everything committed anywhere before it, so that a
// session sees what another client stored through another node (and never seeds an empty-looking
// vault that another node has filled).
inline constexpr char kQueryCausalReads[] = "SET SESSION wsrep_sync_wait=1";

inline constexpr char kQueryCreateAppPreferenceTable[] =
    "CREATE TABLE IF NOT EXISTS APPPREFTABLE( USERID VARCHAR(16),FOREIGN KEY (USERID) REFERENCES USERTABLE "
    "(USERID) ON DELETE CASCADE ON UPDATE CASCADE,USERNAME VARCHAR(40),CURRENTTYPE VARCHAR(16),"
    "CURRENTCATEGORY VARCHAR(16),WINDOWPOS VARCHAR(260),SORTINFO BIGINT,SHOWDETAILPANE BOOL,"
    "DETAILPANEWIDTH INT,AUTOLOCK BOOL,FONTHEIGHT INT,FONTWIDTH INT,FONTESCAPEMENT INT,FONTORIENTATION INT,"
    "FONTWEIGHT INT, FONTITALIC BOOL,FONTUNDERLINE BOOL,FONTSTRIKEOUT BOOL,FONTCHARSET INT, "
    "FONTOUTPRECISION INT,FONTCLIPPRECISION INT,FONTQUALITY INT,FONTPITCHANDFAMILY INT,FONTNAME VARCHAR(32),"
    "ROWCOLOR BIGINT,SLEEPMINUTES INT,MAXSLEEPMINUTES INT,PWDGENFLAG BIGINT,CSAESENSITIVESEARCH BOOL,"
    "WHOLEWORDSEARCH BOOL,HINTQNO INT,HINTQANSWER BLOB,HINTQUESTION BLOB,LASTVIEW INT,AUTOSUBMIT BOOL,"
    "SEARCHCOLUMN BOOL,CLEARCLIPBOARDONEXIT BOOL,CLEARCLIPBOARDTIMER INT,MINIMISETOSYSTRAY BOOL,"
    "LOGINATTEMPTCOUNT INT,EXPORTIMPORTTIP BIGINT,BACKUPRESTORETIP BIGINT,"
    "ROWKEY BIGINT UNSIGNED NOT NULL AUTO_INCREMENT INVISIBLE PRIMARY KEY,UNIQUE KEY ONEROWPERUSER (USERID))  "
    "ENGINE=InnoDB";

inline constexpr char kQueryCreateMostViewedTable[] =
    "CREATE TABLE IF NOT EXISTS MOSTVIEWEDTABLE(USERID VARCHAR(30) ,FOREIGN KEY (USERID) REFERENCES USERTABLE "
    "(USERID) ON DELETE CASCADE ON UPDATE CASCADE,RECORDID VARCHAR(16),FOREIGN KEY (RECORDID) REFERENCES "
    "RECORDTABLE (RECORDID) ON DELETE CASCADE ON UPDATE CASCADE,"
    "ROWKEY BIGINT UNSIGNED NOT NULL AUTO_INCREMENT INVISIBLE PRIMARY KEY)  ENGINE=InnoDB";

inline constexpr char kQueryCreateRecentlyViewedTable[] =
    "CREATE TABLE IF NOT EXISTS RECENTLYVIEWEDTABLE(USERID VARCHAR(30),FOREIGN KEY (USERID) REFERENCES "
    "USERTABLE (USERID) ON DELETE CASCADE ON UPDATE CASCADE,RECORDID VARCHAR(16), FOREIGN KEY (RECORDID) "
    "REFERENCES RECORDTABLE (RECORDID) ON DELETE CASCADE ON UPDATE CASCADE,"
    "ROWKEY BIGINT UNSIGNED NOT NULL AUTO_INCREMENT INVISIBLE PRIMARY KEY)  ENGINE=InnoDB";

inline constexpr char kQueryCreateRecentlyModifiedTable[] =
    "CREATE TABLE IF NOT EXISTS RECENTLYMODIFIEDTABLE(USERID VARCHAR(30) ,FOREIGN KEY (USERID) REFERENCES "
    "USERTABLE (USERID) ON DELETE CASCADE ON UPDATE CASCADE,RECORDID VARCHAR(16),FOREIGN KEY (RECORDID) "
    "REFERENCES RECORDTABLE (RECORDID) ON DELETE CASCADE ON UPDATE CASCADE,"
    "ROWKEY BIGINT UNSIGNED NOT NULL AUTO_INCREMENT INVISIBLE PRIMARY KEY)  ENGINE=InnoDB";

inline constexpr char kQueryCreateRecentlyAddedTable[] =
    "CREATE TABLE IF NOT EXISTS RECENTLYADDEDTABLE(USERID VARCHAR(30) ,FOREIGN KEY (USERID) REFERENCES "
    "USERTABLE (USERID) ON DELETE CASCADE ON UPDATE CASCADE,RECORDID VARCHAR(16),FOREIGN KEY (RECORDID) "
    "REFERENCES RECORDTABLE (RECORDID) ON DELETE CASCADE ON UPDATE CASCADE,"
    "ROWKEY BIGINT UNSIGNED NOT NULL AUTO_INCREMENT INVISIBLE PRIMARY KEY)  ENGINE=InnoDB";

inline constexpr char kQueryCreateMySQLUserInfoTable[] =
    "CREATE TABLE IF NOT EXISTS mysql.user_info (`User` varchar(16) COLLATE utf8_bin NOT NULL,"
    "`Full_name` varchar(60) COLLATE utf8_bin DEFAULT NULL,`Description` varchar(255) COLLATE utf8_bin "
    "DEFAULT NULL,`Email` varchar(80) COLLATE utf8_bin DEFAULT NULL,`Contact_information` text COLLATE "
    "utf8_bin,`Icon` blob,PRIMARY KEY (`User`),KEY `user_info_Full_name` (`Full_name`)) ENGINE=InnoDB "
    "DEFAULT CHARSET=utf8 COLLATE=utf8_bin COMMENT='Stores additional user information'";

// The tables in the order in which they are created (foreign keys point backwards only).
inline constexpr const char* kCreateTableQueries[] = {
    kQueryCreateGroupTable,          kQueryCreateTypesTable,          kQueryCreateRecordsTable,
    kQueryCreateCustomIconTable,     kQueryCreateCustomTypeTable,     kQueryCreateAttachmentTable,
    kQueryCreateUserTable,           kQueryCreateUserGroupList,       kQueryCreateGroupSubGroupTable,
    KQueryCreateColumnInfoTable,     KQueryCreateEventLoggerTable,    kQueryCreateDatabaseInfoTable,
    kQueryCreateAppPreferenceTable,  kQueryCreateMostViewedTable,     kQueryCreateRecentlyViewedTable,
    kQueryCreateRecentlyModifiedTable, kQueryCreateRecentlyAddedTable, kQueryCreateMySQLUserInfoTable,
    kQueryCreateKeyStampTable,
};

// Vaults made before the tables had keys get them at an administrator's login. The key column
// is invisible: SELECT * and INSERT ... VALUES without a column list see the columns as before,
// and the trims that delete a user's first row still delete the oldest. A cluster applies a
// change of a keyed table by the key instead of scanning the table for each row.
inline constexpr const char* kTablesWithRowKey[] = {
    "CUSTOMICONTABLE",   "EVENTLOGGERTABLE",      "APPPREFTABLE",       "MOSTVIEWEDTABLE",
    "RECENTLYVIEWEDTABLE", "RECENTLYMODIFIEDTABLE", "RECENTLYADDEDTABLE",
};
inline constexpr char kQueryTableHasRowKey[] =
    "SELECT COUNT(*) FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_SCHEMA=DATABASE() AND TABLE_NAME=? AND "
    "COLUMN_NAME='ROWKEY'";
inline constexpr char kQueryAddRowKey[] =
    "ALTER TABLE %1 ADD COLUMN ROWKEY BIGINT UNSIGNED NOT NULL AUTO_INCREMENT INVISIBLE PRIMARY KEY";
inline constexpr char kQueryIconIndexIsUnique[] =
    "SELECT COUNT(*) FROM INFORMATION_SCHEMA.STATISTICS WHERE TABLE_SCHEMA=DATABASE() AND "
    "TABLE_NAME='CUSTOMICONTABLE' AND COLUMN_NAME='ICONINDEX' AND NON_UNIQUE=0";
// Icons that share a number with an earlier row (two clients took the same one): each gets a
// number of its own, so that the unique key can be added and no picture is lost.
inline constexpr char kQueryDuplicateIconRows[] =
    "SELECT T.ROWKEY FROM CUSTOMICONTABLE T WHERE EXISTS (SELECT 1 FROM CUSTOMICONTABLE E WHERE "
    "E.ICONINDEX=T.ICONINDEX AND E.ROWKEY<T.ROWKEY) ORDER BY T.ROWKEY";
inline constexpr char kQueryRenumberIconRow[] = "UPDATE CUSTOMICONTABLE SET ICONINDEX=? WHERE ROWKEY=?";
inline constexpr char kQueryAddUniqueIconIndex[] = "ALTER TABLE CUSTOMICONTABLE ADD UNIQUE KEY ICONINDEX (ICONINDEX)";
// One preference row per user, whichever program adds one: the rows' INSERT IGNORE then leaves
// the existing row alone. Rows that earlier runs added twice go first; the oldest stays, the
// one that readers took (all of a user's rows were updated alike).
inline constexpr char kQueryOnePreferenceRowPerUser[] =
    "SELECT COUNT(*) FROM INFORMATION_SCHEMA.STATISTICS WHERE TABLE_SCHEMA=DATABASE() AND "
    "TABLE_NAME='APPPREFTABLE' AND INDEX_NAME='ONEROWPERUSER'";
inline constexpr char kQueryDeleteLaterPreferenceRows[] =
    "DELETE P FROM APPPREFTABLE P JOIN APPPREFTABLE E ON E.USERID=P.USERID AND E.ROWKEY<P.ROWKEY";
inline constexpr char kQueryAddOnePreferenceRowPerUser[] =
    "ALTER TABLE APPPREFTABLE ADD UNIQUE KEY ONEROWPERUSER (USERID)";

// An administrator's account: every global right an administrator's work needs. The same test
// excepts administrators from the server's triggers.
#define OTV_ADMINISTRATOR_RIGHTS                                                                        \
    "SELECT_PRIV = 'Y' AND INSERT_PRIV = 'Y' AND "                                                      \
    "UPDATE_PRIV = 'Y' AND  DELETE_PRIV = 'Y' AND CREATE_PRIV = 'Y' AND DROP_PRIV = 'Y' AND RELOAD_PRIV = 'Y' " \
    "AND SHUTDOWN_PRIV = 'Y' AND PROCESS_PRIV = 'Y' AND FILE_PRIV  = 'Y' AND GRANT_PRIV = 'Y' AND "     \
    "REFERENCES_PRIV = 'Y' AND INDEX_PRIV = 'Y' AND ALTER_PRIV = 'Y' AND SHOW_DB_PRIV = 'Y' AND "       \
    "SUPER_PRIV = 'Y'AND CREATE_TMP_TABLE_PRIV = 'Y' AND LOCK_TABLES_PRIV = 'Y' AND EXECUTE_PRIV = 'Y' AND " \
    "REPL_SLAVE_PRIV = 'Y' AND REPL_CLIENT_PRIV = 'Y' AND CREATE_VIEW_PRIV = 'Y' AND SHOW_VIEW_PRIV = 'Y' AND " \
    "CREATE_ROUTINE_PRIV = 'Y' AND ALTER_ROUTINE_PRIV = 'Y' AND CREATE_USER_PRIV = 'Y'"

// Each account writes only its own preference row: the server refuses an insert, change or
// delete of another user's row (whose auto-lock, sleep time or password hint would otherwise be
// anyone's to set with any MySQL client), and a row that carries another name (which would count
// as taken); administrators keep every row. The session's account is the name the client logged
// in with (USER(), up to its last "@"; inside a trigger CURRENT_USER() is the trigger's definer),
// matched against the row's user ID in USERTABLE, which only administrators write.
#define OTV_SESSION_ACCOUNT "SUBSTRING(USER(),1,CHAR_LENGTH(USER())-CHAR_LENGTH(SUBSTRING_INDEX(USER(),'@',-1))-1)"
#define OTV_OWN_ROW(row)                                                                                \
    "EXISTS (SELECT 1 FROM USERTABLE WHERE USERID=" row ".USERID AND BINARY USERNAME=BINARY " OTV_SESSION_ACCOUNT ")"
#define OTV_OWN_NAMED_ROW(row)                                                                          \
    "EXISTS (SELECT 1 FROM USERTABLE WHERE USERID=" row ".USERID AND BINARY USERNAME=BINARY " OTV_SESSION_ACCOUNT \
    " AND BINARY USERNAME=BINARY " row ".USERNAME)"
#define OTV_ADMINISTRATOR_SESSION                                                                       \
    "EXISTS (SELECT 1 FROM mysql.user WHERE User=" OTV_SESSION_ACCOUNT " AND " OTV_ADMINISTRATOR_RIGHTS ")"
// The body of a trigger: refuses the row with `message` when `refused` holds and the session is
// not an administrator's.
#define OTV_SERVER_TRIGGER_BODY(refused, message)                                                       \
    "IF (" refused ") AND NOT " OTV_ADMINISTRATOR_SESSION " THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT=" \
    "'" message "'; END IF"
#define OTV_PREFERENCE_TRIGGER_BODY(condition)                                                          \
    OTV_SERVER_TRIGGER_BODY("NOT (" condition ")", "An account may change only its own preferences.")
// Only an administrator's session (the master-password change) writes the change's mark: any
// account could otherwise stop every enciphering write for good, or clear the mark of a change
// under way. The DBPASSWORD stamp stays every account's to bump. The column's own comparison
// is used, so that a name that differs in letter case or trailing spaces is the mark too.
#define OTV_KEY_CHANGE_MARK_TRIGGER_BODY(condition)                                                     \
    OTV_SERVER_TRIGGER_BODY(condition, "Only an administrator marks a change of the master password.")
// A group's record word and whether it prevails are rights: only administrators set them. Any
// account may add a group that gives none (word 0, not prevailing) and rename one.
#define OTV_GROUP_RIGHTS_TRIGGER_BODY(condition)                                                        \
    OTV_SERVER_TRIGGER_BODY("NOT (" condition ")", "Only an administrator sets the permissions of a group.")
struct OTVServerTrigger {
    const char* name;
    const char* event;
    const char* table;
    const char* body;
};
inline constexpr OTVServerTrigger kServerTriggers[] = {
    {"APPPREFTABLE_OWN_INSERT", "INSERT", "APPPREFTABLE", OTV_PREFERENCE_TRIGGER_BODY(OTV_OWN_NAMED_ROW("NEW"))},
    {"APPPREFTABLE_OWN_UPDATE", "UPDATE", "APPPREFTABLE",
     OTV_PREFERENCE_TRIGGER_BODY(OTV_OWN_ROW("OLD") " AND " OTV_OWN_NAMED_ROW("NEW"))},
    {"APPPREFTABLE_OWN_DELETE", "DELETE", "APPPREFTABLE", OTV_PREFERENCE_TRIGGER_BODY(OTV_OWN_ROW("OLD"))},
    {"KEYSTAMPTABLE_MARK_INSERT", "INSERT", "KEYSTAMPTABLE",
     OTV_KEY_CHANGE_MARK_TRIGGER_BODY("NEW.NAME='DBPASSWORDCHANGE'")},
    {"KEYSTAMPTABLE_MARK_UPDATE", "UPDATE", "KEYSTAMPTABLE",
     OTV_KEY_CHANGE_MARK_TRIGGER_BODY("OLD.NAME='DBPASSWORDCHANGE' OR NEW.NAME='DBPASSWORDCHANGE'")},
    {"KEYSTAMPTABLE_MARK_DELETE", "DELETE", "KEYSTAMPTABLE",
     OTV_KEY_CHANGE_MARK_TRIGGER_BODY("OLD.NAME='DBPASSWORDCHANGE'")},
    {"GROUPTABLE_RIGHTS_INSERT", "INSERT", "GROUPTABLE",
     OTV_GROUP_RIGHTS_TRIGGER_BODY("COALESCE(NEW.RECORDPERMISSION,0)=0 AND COALESCE(NEW.GROUPPERMISSIONPREVAILS,0)=0")},
    {"GROUPTABLE_RIGHTS_UPDATE", "UPDATE", "GROUPTABLE",
     OTV_GROUP_RIGHTS_TRIGGER_BODY("NEW.RECORDPERMISSION <=> OLD.RECORDPERMISSION AND "
                                   "NEW.GROUPPERMISSIONPREVAILS <=> OLD.GROUPPERMISSIONPREVAILS")},
};
// %1 the name, %2 the event, %3 the table, %4 the body.
inline constexpr char kQueryCreateServerTrigger[] = "CREATE OR REPLACE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW %4";
// A trigger stands as made when its text is the current one and its definer (whose rights it
// runs with) still exists: a trigger whose definer was dropped would refuse every write.
// The definer "user@host" is found by the account's key (host and user), not by reading every
// account; a host holds no "@".
#define OTV_DEFINER_EXISTS(definer)                                                                     \
    "EXISTS (SELECT 1 FROM mysql.user U WHERE U.Host=SUBSTRING_INDEX(" definer ",'@',-1) AND U.User=LEFT(" \
    definer ",CHAR_LENGTH(" definer ")-CHAR_LENGTH(SUBSTRING_INDEX(" definer ",'@',-1))-1))"
inline constexpr char kQueryTriggerIsCurrent[] =
    "SELECT COUNT(*) FROM INFORMATION_SCHEMA.TRIGGERS T WHERE T.TRIGGER_SCHEMA=DATABASE() AND T.TRIGGER_NAME=? "
    "AND T.ACTION_STATEMENT=? AND " OTV_DEFINER_EXISTS("T.DEFINER");
// The account details take part in transactions and replicate to every node of a cluster only
// in InnoDB.
inline constexpr char kQueryUserInfoEngine[] =
    "SELECT ENGINE FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_SCHEMA='mysql' AND TABLE_NAME='user_info'";
inline constexpr char kQueryUserInfoToInnoDB[] = "ALTER TABLE mysql.user_info ENGINE=InnoDB";

inline constexpr char CountUserTblVal[] = "SELECT COUNT(*) FROM USERTABLE";

inline constexpr char kQueryInsertDatabaseInfoTable[] =
    "INSERT IGNORE INTO DATABASEINFOTABLE(NAME,VALUE) VALUES (?,?)";

inline constexpr char kQueryDBExixts[] =
    "SELECT SCHEMA_NAME FROM INFORMATION_SCHEMA.SCHEMATA WHERE SCHEMA_NAME = ?";

// Names of the DATABASEINFOTABLE rows.
inline constexpr char kDatabaseInfoMasterPassword[] = "DBPASSWORD";
inline constexpr char kDatabaseInfoVersion[] = "DBVERSION";
inline constexpr char kDatabaseInfoVersionNumber[] = "8";
inline constexpr char kDatabaseInfoPolicyMinLength[] = "PASSWDPOLICYMINLENGTH";
inline constexpr char kDatabaseInfoPolicyCharsetFlag[] = "PASSWDPOLICYCHARSETFLAG";

// =============================================================================================
// Connection and session (OTVDataBase.cpp)

// Every session speaks utf8mb4, and the server refuses (never cuts short) a value that does
// not fit its column, on every engine.
inline constexpr char kQuerySetNames[] = "SET NAMES utf8mb4";
// The largest packet the server takes: a longer value could never be written.
inline constexpr char kQueryMaxAllowedPacket[] = "SELECT @@max_allowed_packet";
// Double quotes delimit strings in the store's statements: a server default of ANSI_QUOTES (or
// ANSI, which includes it) is taken out of the session's mode.
inline constexpr char kQuerySetStrictMode[] =
    "SET SESSION sql_mode=CONCAT(TRIM(BOTH ',' FROM REPLACE(REPLACE(CONCAT(',',@@sql_mode,','),"
    "',ANSI_QUOTES,',','),',ANSI,',',')),',STRICT_ALL_TABLES')";

inline constexpr char kQueryPrivLikeRoot[] = "SELECT COUNT(*) FROM mysql.user WHERE USER=? AND " OTV_ADMINISTRATOR_RIGHTS;

inline constexpr char kQuerySelectDatabaseInfoTable[] =
    "SELECT * FROM DATABASEINFOTABLE WHERE NAME='DBPASSWORD'";
// The same row under a shared lock: a write that enciphers holds it until it commits, so a
// change of the master password waits for the write (and the write sees a change that won).
inline constexpr char kQueryShareLockDatabaseInfoTable[] =
    "SELECT * FROM DATABASEINFOTABLE WHERE NAME='DBPASSWORD' LOCK IN SHARE MODE";
// Whether the session's account has its details row: a disabled vault account may still read it.
inline constexpr char kQueryOwnDetailsRowCount[] = "SELECT COUNT(*) FROM mysql.user_info WHERE User=?";

// =============================================================================================
// Loading the vault (OTVDataBaseLoading.cpp, OTVDataBaseRowReading.cpp)

inline constexpr char kQueryIcons[] = "SELECT * from CUSTOMICONTABLE ";
// Personal groups (UID = a user ID) are left out: each user reads only his own.
inline constexpr char kQueryGroupNotPersonal[] =
    "SELECT * FROM GROUPTABLE WHERE UID NOT IN (SELECT USERID FROM USERTABLE)";
inline constexpr char kQueryPersonalGroup[] = "SELECT * FROM GROUPTABLE WHERE UID=?";
inline constexpr char kQueryTypes[] = "select * from TYPETABLE";
inline constexpr char kQueryRecords[] = "select * from RECORDTABLE";
inline constexpr char kQueryCustomType[] = "select * from CUSTOMTYPETABLE where RECORDID = ?";
// The load reads the custom types and attachment names of all records at once, one statement
// per table instead of one per record. The attachments' data stays on the server.
inline constexpr char kQueryAllCustomTypes[] = "select * from CUSTOMTYPETABLE";
inline constexpr char kQueryAllAttachmentNames[] = "select RECORDID,ATTACHMENTNAME,ENCRYPTIONKEY from ATTACHMENTTABLE";
// The other accounts with their details. Names are compared byte for byte: LIKE would take
// "%" and "_" in a name as wildcards, and the default collation ignores letter case, so one
// account could show another's details. The first comparison, in the details' own collation,
// finds each user's row by its key (a byte comparison alone would read every row once per user).
inline constexpr char kQueryUserDetails[] =
    "SELECT UT.USERID,UT.USERNAME,UT.PASSWORD,UT.PLATFORMNAME,UT.GROUPPERMISSION,UT.TYPEPERMISSION,"
    "UT.RECORDPERMISSION,UT.DATAPERMISSION,UT.CANCHANGEPASSWORD,UT.ISACCOUNTDISABLED,UIT.FULL_NAME,"
    "UIT.DESCRIPTION,UIT.EMAIL,UIT.CONTACT_INFORMATION FROM USERTABLE UT LEFT OUTER JOIN mysql.user_info UIT "
    "ON (UIT.User = CONVERT(UT.USERNAME USING utf8) COLLATE utf8_bin AND BINARY UT.USERNAME = BINARY UIT.User)";

// =============================================================================================
// Records and queries over the maps (OTVDataBaseRecords.cpp)

// The statements name their columns: GROUPUID comes before TYPEUID here, after it in the table.
inline constexpr char kQueryRecordInsert[] =
    "Insert  IGNORE into RECORDTABLE (RECORDID, GROUPUID, TYPEUID, FIELD1, FIELD2, FIELD3, FIELD4, FIELD5, "
    "FIELD6, FIELD7, FIELD8, FIELD9, FIELD10, NOTE, HASATTACHMENT,HASCUSTOMFIELD,VIEWCOUNT ) VALUES "
    "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?) ";

inline constexpr char kQueryUpdateRecord[] =
    "Update RECORDTABLE Set GROUPUID = ?, TYPEUID = ?,  FIELD1=?, FIELD2=?, FIELD3=?, FIELD4=?, FIELD5=?, "
    "FIELD6=?, FIELD7=?, FIELD8=?, FIELD9=?,FIELD10 = ?,NOTE = ?, HASATTACHMENT = ?,HASCUSTOMFIELD = ? "
    "where RECORDID=?";

inline constexpr char kQueryDeleteRecord[] = "Delete from RECORDTABLE WHERE RECORDID=?";

inline constexpr char kQueryUpdateRecordViewCount[] =
    "UPDATE IGNORE RECORDTABLE SET VIEWCOUNT=VIEWCOUNT+1 WHERE RECORDID=?";

// An update whose values equal the stored ones counts no changed row; this tells it from a
// row that is gone.
inline constexpr char kQueryRecordExists[] = "SELECT 1 FROM RECORDTABLE WHERE RECORDID=?";
inline constexpr char kQueryRecordsOfType[] = "SELECT RECORDID FROM RECORDTABLE WHERE TYPEUID=?";

// =============================================================================================
// Groups, record types and custom types, attachments and custom icons

// Groups (OTVDataBaseGroups.cpp)
inline constexpr char kQueryGroupInsert[] =
    "Insert  IGNORE into GROUPTABLE(Name,UID,RecordPermission,GroupPermissionprevails ) VALUES (?,?,?,?)";
inline constexpr char kQueryGroupUpdate[] =
    "Update GROUPTABLE SET Name=?,RecordPermission=?,GroupPermissionprevails=? where UID=?";
inline constexpr char kQueryGroupDelete[] = "DELETE FROM GROUPTABLE WHERE UID=?";
inline constexpr char kQueryGroupExists[] = "SELECT 1 FROM GROUPTABLE WHERE UID=?";
// A format: %s takes the stored name as hexadecimal text (only hexadecimal digits reach the SQL).
inline constexpr char kQueryGroupNameLike[] = "SELECT * FROM GROUPTABLE WHERE name = CAST( x'%s' As Binary )";
inline constexpr char kQueryDeleteAllUsersForGroup[] = "DELETE FROM  USERGROUPTABLE WHERE GROUPID=?";
inline constexpr char kQueryInsertIntoUserGroupList[] = "INSERT IGNORE INTO  USERGROUPTABLE(USERID ,GROUPID ) VALUES (?,?)";
// Columns: 1 GROUPID, 2 USERID.
inline constexpr char kQuerySelectGroupUserList[] = "SELECT * FROM USERGROUPTABLE WHERE GROUPID=?";
inline constexpr char kQuerySelectUserGroupList[] = "SELECT * FROM USERGROUPTABLE WHERE USERID=?";
// Every user's group list at once, for the load (in the order of the lists read one by one).
inline constexpr char kQueryAllUserGroupLists[] = "SELECT USERID, GROUPID FROM USERGROUPTABLE ORDER BY USERID, GROUPID";
inline constexpr char kQueryDeleteAllSubGroupForGroup[] = "DELETE FROM  GROUPSUBGROUPTABLE WHERE  GROUPID=?";
inline constexpr char kQueryInsertGroupSubGroupTable[] =
    "INSERT IGNORE INTO  GROUPSUBGROUPTABLE(GROUPID ,SUBGROUPID ) VALUES (?,?)";
inline constexpr char kQueryGroupSubGroupTable[] = "SELECT SUBGROUPID FROM GROUPSUBGROUPTABLE WHERE GROUPID = ?";

// Record types and custom types (OTVDataBaseTypes.cpp)
inline constexpr char kQueryTypeInsert[] =
    "Insert  IGNORE into TYPETABLE (UID , NAME ,ICONID , MASKS , FIELD1 , FIELD2 , FIELD3 , FIELD4 , FIELD5 , "
    "FIELD6 , FIELD7 , FIELD8 , FIELD9 , FIELD10 ) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
inline constexpr char kQueryUpdateType[] =
    "Update TYPETABLE SET NAME=?,ICONID=?, MASKS=? , FIELD1=?, FIELD2=?, FIELD3=?, FIELD4=?, FIELD5=?, FIELD6=?, "
    "FIELD7=?, FIELD8=?, FIELD9=?, FIELD10=? where UID=?";
inline constexpr char kQueryDeleteType[] = "Delete from TYPETABLE WHERE UID=?";
inline constexpr char kQueryTypeExists[] = "SELECT 1 FROM TYPETABLE WHERE UID=?";
inline constexpr char kQueryReplaceCustomType[] = "REPLACE INTO CUSTOMTYPETABLE VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
// A format, as kQueryGroupNameLike.
inline constexpr char kQueryTypeNameLike[] = "SELECT * FROM TYPETABLE WHERE name = CAST( x'%s' As Binary )";

// Attachments (OTVDataBaseAttachments.cpp)
inline constexpr char kQueryInsertAttachmentTable[] = "REPLACE INTO ATTACHMENTTABLE VALUES(?, ?, ?, ?)";
inline constexpr char kQueryUpdateAttachmentTable[] =
    "UPDATE  ATTACHMENTTABLE SET ATTACHMENTNAME=?,ENCRYPTIONKEY=? WHERE RECORDID= ?";
inline constexpr char kQueryDeleteAttachmentTable[] = "Delete from ATTACHMENTTABLE WHERE RECORDID=?";
// Columns: 1 RECORDID, 2 ATTACHMENTNAME, 3 ENCRYPTIONKEY, 4 DATA.
inline constexpr char kQueryAttachments[] = "select * from ATTACHMENTTABLE WHERE RECORDID=?";
inline constexpr char kQueryAttachmentKeyText[] = "SELECT ENCRYPTIONKEY FROM ATTACHMENTTABLE WHERE RECORDID=?";
inline constexpr char kQueryCopyAttchmentRow[] =
    "INSERT INTO ATTACHMENTTABLE(RECORDID,ATTACHMENTNAME,ENCRYPTIONKEY,DATA) SELECT ?,ATTACHMENTNAME,"
    "ENCRYPTIONKEY,DATA FROM ATTACHMENTTABLE WHERE RECORDID= ?";

// Custom icons (OTVDataBaseCustomIcons.cpp). ICONINDEX is unique: a number that another client
// took meanwhile (on any node of a cluster) refuses the INSERT, and the next number is tried.
inline constexpr char SelMaxIconTblval[] = "SELECT MAX(ICONINDEX) FROM CUSTOMICONTABLE";
inline constexpr char kInsertCustomIconTable[] = "INSERT INTO CUSTOMICONTABLE VALUES(?, ?)";

// =============================================================================================
// User accounts, MySQL accounts and grants, the login step, password policy
// (OTVDataBaseUsers.cpp, OTVDataBaseLogin.cpp, OTVDataBasePasswordPolicy.cpp)
//
// Names are compared byte for byte: the USERNAME columns compare case-insensitively, while
// MySQL account names do not, so "BOB" must never find bob's row.

inline constexpr char kQueryInsertUserTable[] =
    "INSERT IGNORE INTO USERTABLE (USERID,USERNAME,PASSWORD,PLATFORMNAME,GROUPPERMISSION,TYPEPERMISSION,"
    "RECORDPERMISSION,DATAPERMISSION,CANCHANGEPASSWORD, ISACCOUNTDISABLED) VALUES (?,?,?,?,?,?,?,?,?,?)";
inline constexpr char kQueryReplaceUserTable[] =
    "Update USERTABLE SET USERNAME=?,PASSWORD=? ,PLATFORMNAME=? , GROUPPERMISSION=? , TYPEPERMISSION=? , "
    "RECORDPERMISSION=? , DATAPERMISSION=?,CANCHANGEPASSWORD=? ,ISACCOUNTDISABLED=? where USERID=?";
inline constexpr char kQueryDeleteUserTable[] = "DELETE FROM USERTABLE WHERE USERID=?";
inline constexpr char UserExistTblVal[] = "SELECT COUNT(*) FROM USERTABLE WHERE USERID=?";
inline constexpr char kQueryUserNameForID[] = "SELECT USERNAME FROM USERTABLE WHERE USERID=?";
inline constexpr char kQueryUserDisabledForID[] = "SELECT ISACCOUNTDISABLED FROM USERTABLE WHERE USERID=?";
// Every row is read: the UNION drops a second row equal to the first.
inline constexpr char kQueryUserExistInVivododaDI[] =
    "SELECT COUNT(*) FROM USERTABLE WHERE USERNAME=BINARY ? UNION SELECT COUNT(*) FROM APPPREFTABLE WHERE "
    "USERNAME=BINARY ?";
inline constexpr char kQueryMaxWellKnownUID[] = "select MAX(USERID) from USERTABLE where USERID like \"000000000000%\"";
inline constexpr char kQueryDeleteUserFromGroupList[] = "DELETE FROM  USERGROUPTABLE WHERE USERID=?";
// kQueryInsertIntoUserGroupList: with the groups above.
inline constexpr char UpdUserNameVal[] = "UPDATE IGNORE APPPREFTABLE SET USERNAME = ? WHERE USERID = ?";

// The logged-in user's row (also read by every reload).
inline constexpr char kQueryUserRowForID[] = "SELECT * FROM USERTABLE where USERID=? LIMIT 1";
inline constexpr char kQueryUserIDForName[] = "SELECT USERID FROM USERTABLE WHERE USERNAME=BINARY ?";

// The server's side of an account.
inline constexpr char kDelMySQLUserInfoTblVal[] = "DELETE FROM mysql.user_info WHERE USER=?";
inline constexpr char kInsMySQLUserInfoTblVal[] = "REPLACE INTO mysql.user_info VALUES(?, ?, ?, ?, ?, ?)";
inline constexpr char kQueryMySQLUserInfoRow[] =
    "SELECT Full_name, Description, Email, Contact_information, Icon FROM mysql.user_info WHERE User=?";
inline constexpr char kusrExistInMySql[] = "select count(*) from mysql.user where user=?";
// Whether the server holds a password for a vault account, and the vault accounts that it holds
// one for (an administrator's session reads mysql.user).
inline constexpr char kQueryAccountHasPassword[] =
    "SELECT COUNT(*) FROM mysql.user WHERE User=? AND Host='%' AND authentication_string<>''";
inline constexpr char kQueryAccountsWithPassword[] =
    "SELECT User FROM mysql.user WHERE Host='%' AND authentication_string<>''";
// Anonymous accounts: the server matches them before a vault account for the hosts they name.
inline constexpr char kQueryAnonymousAccountHosts[] = "SELECT Host FROM mysql.user WHERE User='' ORDER BY Host";
inline constexpr char kQueryAccountHosts[] = "SELECT Host FROM mysql.user WHERE User=?";
inline constexpr char kQueryDetailsRowCount[] = "SELECT COUNT(*) FROM mysql.user_info WHERE User=?";
inline constexpr char kQueryVaultTableRightsCount[] =
    "SELECT COUNT(*) FROM mysql.tables_priv WHERE User=? AND Host='%' AND Db='" OTV_DATABASE_NAME "'";
// SHOW statements take no "?": %1 is the quoted account.
inline constexpr char kQueryShowCreateUser[] = "SHOW CREATE USER %1";
inline constexpr char kQueryShowGrants[] = "SHOW GRANTS FOR %1";
// The stored password hash of an account (user, host), to put it back.
inline constexpr char kQueryMySQLPasswordHash[] = "SELECT authentication_string FROM mysql.user WHERE user=? AND host=?";
// The account the session is, as the server matched its login: "user@host".
inline constexpr char kQuerySessionAccount[] = "SELECT CURRENT_USER()";
inline constexpr char kQueryMySQLTablesWithRights[] =
    "SELECT Db, Table_name FROM mysql.tables_priv WHERE User=? AND Host='%'";

// Every name that the vault or the server knows, with what each holds, in one pass over the
// tables (an administrator's login brings the accounts to the current rules from it; a query
// per account over every grant would grow with the square of their number). Names are
// compared byte for byte. Columns: 1 name, 2 vault user ID (NULL: no vault user), 3 the vault
// user is disabled, 4 an account for any host ('%'), 5 an account for some host, 6 an
// administrator's rights, 7 a right on the key stamp, 8 a right on some vault table, 9 the
// right to the routine of its own deletion, 10 an account details row, 11 the write rights
// that earlier versions granted on USERTABLE and the event log.
inline constexpr char kQueryAccountStates[] =
    "SELECT N.NAME, MAX(N.USERID), MAX(N.DISABLED), MAX(N.ANYHOST), MAX(N.SOMEHOST), MAX(N.ADMINISTRATOR), "
    "MAX(N.KEYSTAMP), MAX(N.VAULTRIGHTS), MAX(N.OWNDELETION), MAX(N.DETAILS), MAX(N.FORMERRIGHTS) FROM ("
    "SELECT BINARY USERNAME AS NAME, USERID, IFNULL(ISACCOUNTDISABLED,0) AS DISABLED, 0 AS ANYHOST, "
    "0 AS SOMEHOST, 0 AS ADMINISTRATOR, 0 AS KEYSTAMP, 0 AS VAULTRIGHTS, 0 AS OWNDELETION, 0 AS DETAILS, "
    "0 AS FORMERRIGHTS FROM USERTABLE "
    "UNION ALL SELECT BINARY User, NULL, 0, Host='%', 1, (" OTV_ADMINISTRATOR_RIGHTS "), 0, 0, 0, 0, 0 FROM mysql.user "
    "UNION ALL SELECT BINARY User, NULL, 0, 0, 0, 0, MAX(Table_name='KEYSTAMPTABLE'), 1, 0, 0, 0 "
    "FROM mysql.tables_priv WHERE Host='%' AND Db='" OTV_DATABASE_NAME "' GROUP BY User "
    // The former rights are read only from the two tables that can hold them: the rights'
    // words of every other grant row would cost a large vault most of this statement's time.
    "UNION ALL SELECT BINARY User, NULL, 0, 0, 0, 0, 0, 0, 0, 0, "
    "(Table_name='USERTABLE' AND (FIND_IN_SET('Insert',Table_priv) OR FIND_IN_SET('Update',Table_priv) OR "
    "FIND_IN_SET('Delete',Table_priv) OR FIND_IN_SET('Create',Table_priv))) OR (Table_name='EVENTLOGGERTABLE' AND "
    "(FIND_IN_SET('Update',Table_priv) OR FIND_IN_SET('Delete',Table_priv) OR FIND_IN_SET('Create',Table_priv))) "
    "FROM mysql.tables_priv WHERE Host='%' AND Db='" OTV_DATABASE_NAME "' AND "
    "Table_name IN ('USERTABLE','EVENTLOGGERTABLE') "
    "UNION ALL SELECT BINARY User, NULL, 0, 0, 0, 0, 0, 0, 1, 0, 0 FROM mysql.procs_priv WHERE Host='%' AND Db='"
    OTV_DATABASE_NAME "' AND Routine_name='DELETEOWNVAULTUSER' "
    "UNION ALL SELECT BINARY User, NULL, 0, 0, 0, 0, 0, 0, 0, 1, 0 FROM mysql.user_info"
    ") N GROUP BY N.NAME";

// A vault user's deletion of itself, for the tenth failed unlock of an account that may not
// delete accounts: a routine run with its maker's rights (an administrator's), made at an
// administrator's login. It takes the caller's name from the session (only enabled vault accounts
// hold EXECUTE on it), refuses administrators and disabled users, and drops the caller's account, details, user row
// (its preferences, column settings and group list go with it) and personal group.
// The comment names the body's version: a login makes the routine again when it differs or when
// its maker's account is gone.
#define OTV_OWN_DELETION_VERSION "own vault user deletion 2"
inline constexpr char kOwnDeletionRoutineVersion[] = OTV_OWN_DELETION_VERSION;
inline constexpr char kQueryOwnDeletionRoutineIsCurrent[] =
    "SELECT COUNT(*) FROM information_schema.ROUTINES R WHERE R.ROUTINE_SCHEMA='" OTV_DATABASE_NAME "' AND "
    "R.ROUTINE_NAME='DELETEOWNVAULTUSER' AND R.ROUTINE_COMMENT=? AND " OTV_DEFINER_EXISTS("R.DEFINER");
inline constexpr char kQueryCreateOwnDeletionRoutine[] =
    "CREATE OR REPLACE DEFINER=CURRENT_USER PROCEDURE DELETEOWNVAULTUSER() MODIFIES SQL DATA SQL SECURITY "
    "DEFINER COMMENT '" OTV_OWN_DELETION_VERSION "' BEGIN "
    "DECLARE caller VARCHAR(128) DEFAULT SUBSTRING(USER(), 1, "
    "CHAR_LENGTH(USER()) - CHAR_LENGTH(SUBSTRING_INDEX(USER(), '@', -1)) - 1); "
    "DECLARE id VARCHAR(16) DEFAULT NULL; "
    "SET id = (SELECT USERID FROM USERTABLE WHERE USERNAME=BINARY caller LIMIT 1); "
    "IF id IS NULL OR id LIKE '00000000000000%' OR EXISTS (SELECT 1 FROM mysql.user WHERE User=BINARY caller "
    "AND (Grant_priv='Y' OR Create_user_priv='Y' OR Super_priv='Y')) THEN "
    "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='Only a vault user without administration rights deletes itself.'; "
    "END IF; "
    "IF EXISTS (SELECT 1 FROM USERTABLE WHERE USERID=id AND ISACCOUNTDISABLED) THEN "
    "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='A disabled vault user deletes nothing.'; "
    "END IF; "
    "EXECUTE IMMEDIATE CONCAT('DROP USER ', QUOTE(caller), '@''%'''); "
    "DELETE FROM mysql.user_info WHERE User=BINARY caller; "
    "DELETE FROM GROUPTABLE WHERE UID=id; "
    "DELETE FROM USERTABLE WHERE USERID=id; "
    "END";
inline constexpr char kQueryGrantOwnDeletion[] = "GRANT EXECUTE ON PROCEDURE DELETEOWNVAULTUSER TO %1";
inline constexpr char kQueryRevokeOwnDeletion[] = "REVOKE EXECUTE ON PROCEDURE DELETEOWNVAULTUSER FROM %1";
inline constexpr char kQueryHoldsOwnDeletion[] =
    "SELECT COUNT(*) FROM mysql.procs_priv WHERE User=? AND Host='%' AND Db='" OTV_DATABASE_NAME "' AND "
    "Routine_name='DELETEOWNVAULTUSER'";
inline constexpr char kQueryCallOwnDeletion[] = "CALL DELETEOWNVAULTUSER()";

// Account statements cannot take "?" placeholders. Each %n is filled with a quoted, escaped
// SQL string literal (OTVDataBase::quotedString), so the quotes are not part of these texts.
// Passwords reach the server only as their hash (OTVNativePasswordHash): statements are kept in
// the server's logs and in every node's replication cache.
inline constexpr char kQueryCreateLockedUser[] = "CREATE USER %1 IDENTIFIED BY PASSWORD %2 ACCOUNT LOCK";
inline constexpr char kQueryUnlockUser[] = "ALTER USER %1 ACCOUNT UNLOCK";
inline constexpr char kQueryDeleteUser[] = "DROP USER  %1 ";
inline constexpr char kQueryRenameUser[] = "RENAME USER %1 TO %2";
// Sets a hash: a new password's, or one read from mysql.user to put back.
inline constexpr char kQuerySetUserPassword[] = "SET PASSWORD FOR %1 = %2";

// Table rights: every account gets the same; the permission words are enforced by the program.
// Nobody but an administrator (global rights) may write the user rows and the account details,
// nor change or delete event-log entries: a user could otherwise raise his own rights, disable
// others or wipe the log with any MySQL client.
inline constexpr char kPrivAll[] = "CREATE, SELECT, INSERT, DELETE, UPDATE,";
inline constexpr char kPrivSelect[] = "SELECT,";
inline constexpr char kPrivSelectInsert[] = "SELECT, INSERT,";
inline constexpr char kPrivSelectInsertUpdate[] = "SELECT, INSERT, UPDATE,";

// One statement per table: GrantCatPrivVal ("GRANT %@ on GROUPTABLE TO '%@'"), GrantTypePrivVal,
// GrantRecPrivVal, ... with %1 the privilege list, %2 the table and %3 the account.
inline constexpr char kQueryGrantTablePrivileges[] = "GRANT %1 on %2 TO %3";

struct OTVTableGrant {
    const char* table;
    const char* privileges;   // with its trailing comma
};

inline constexpr char kMySQLUserInfoTable[] = "mysql.user_info";

inline constexpr OTVTableGrant kTableGrants[] = {
    {"GROUPTABLE", kPrivAll},        {"TYPETABLE", kPrivAll},           {"RECORDTABLE", kPrivAll},
    {"CUSTOMTYPETABLE", kPrivAll},   {"ATTACHMENTTABLE", kPrivAll},     {"CUSTOMICONTABLE", kPrivAll},
    {"APPPREFTABLE", kPrivAll},      {"MOSTVIEWEDTABLE", kPrivAll},     {"RECENTLYADDEDTABLE", kPrivAll},
    {"RECENTLYMODIFIEDTABLE", kPrivAll}, {"RECENTLYVIEWEDTABLE", kPrivAll}, {"USERTABLE", kPrivSelect},
    {"USERGROUPTABLE", kPrivAll},    {"EVENTLOGGERTABLE", kPrivSelectInsert},    {"COLUMNINFOTABLE", kPrivAll},
    {"DATABASEINFOTABLE", kPrivSelect}, {"GROUPSUBGROUPTABLE", kPrivAll}, {kMySQLUserInfoTable, kPrivSelect},
    {kKeyStampTable, kPrivSelectInsertUpdate},
};

// The tables whose rights an administrator's login brings to the set above (the accounts that
// still hold rights of earlier versions on them are column 11 of kQueryAccountStates).
inline constexpr const char* kRulesUpkeepTables[] = {"USERTABLE", "EVENTLOGGERTABLE"};
inline bool isRulesUpkeepTable(const char* table)
{
    for (const char* upkeep : kRulesUpkeepTables) {
        if (std::string_view(upkeep) == table)
            return true;
    }
    return false;
}
inline constexpr char kQueryEmptyStoredPasswords[] = "UPDATE USERTABLE SET PASSWORD='' WHERE PASSWORD<>''";

// RevokCatPrivVal ("REVOKE %@ on GROUPTABLE FROM '%@'") with the table in place of GROUPTABLE.
// A disabled account keeps only its rights on COLUMNINFOTABLE and mysql.user_info.
inline constexpr char RevokCatPrivVal[] = "REVOKE %1 on %2 FROM %3";
inline constexpr const char* kRevokedTables[] = {
    "CUSTOMTYPETABLE",   "ATTACHMENTTABLE",    "CUSTOMICONTABLE",       "APPPREFTABLE",
    "MOSTVIEWEDTABLE",   "RECENTLYADDEDTABLE", "RECENTLYMODIFIEDTABLE", "RECENTLYVIEWEDTABLE",
    "USERTABLE",         "DATABASEINFOTABLE",  "USERGROUPTABLE",        "GROUPSUBGROUPTABLE",
    "EVENTLOGGERTABLE",  "GROUPTABLE",         "TYPETABLE",             "RECORDTABLE",
    "KEYSTAMPTABLE",
};
inline bool isRevokedTable(const char* table)
{
    for (const char* revoked : kRevokedTables) {
        if (std::string_view(revoked) == table)
            return true;
    }
    return false;
}

// Password policy: two DATABASEINFOTABLE rows.
inline constexpr char kQuerySetPasswordPolicyAttr[] = "REPLACE INTO DATABASEINFOTABLE VALUES(?,?)";
inline constexpr char kQueryReadPasswordPolicyAttrMinLength[] =
    "SELECT VALUE FROM DATABASEINFOTABLE WHERE NAME='PASSWDPOLICYMINLENGTH'";
inline constexpr char kQueryReadPasswordPolicyAttrCharSetFlag[] =
    "SELECT VALUE FROM DATABASEINFOTABLE WHERE NAME='PASSWDPOLICYCHARSETFLAG'";
// A new vault's defaults end with the policy: without both rows its first load did not finish.
inline constexpr char kQueryPasswordPolicyRowCount[] =
    "SELECT COUNT(*) FROM DATABASEINFOTABLE WHERE NAME IN ('PASSWDPOLICYMINLENGTH','PASSWDPOLICYCHARSETFLAG')";


// =============================================================================================
// Event log, password hints, recent and most-viewed lists

// Event log (OTVDataBaseEventLog.cpp). The table has no key; its columns are NAME, ACTION,
// DESCRIPTION, DATE, USERNAME, SYSTEMNAME, bound in that order.
inline constexpr char KQueryInsertEventLoggerTable[] = "INSERT IGNORE INTO EVENTLOGGERTABLE VALUES(?, ?, ?, ?, ?, ?)";
inline constexpr char KQuerySelectEventLoggerTable[] = "SELECT * FROM EVENTLOGGERTABLE";
inline constexpr char kMinDateFromEventLoggerTable[] = "SELECT MIN(DATE) FROM EVENTLOGGERTABLE";
inline constexpr char kMinDateColumnLabel[] = "MIN(DATE)";
// The rotation reads the rows it backs up under lock, so that no other session adds or removes
// one before exactly those rows are deleted.
inline constexpr char kSelectEventLoggerTableForBackup[] = "SELECT * FROM EVENTLOGGERTABLE FOR UPDATE";
inline constexpr char kDeleteBackedUpLogsFromEventLoggerTable[] =
    "DELETE FROM EVENTLOGGERTABLE WHERE DATE <= ? OR DATE IS NULL";
// ACTION always holds this text; the outcome of an entry is not stored.
inline constexpr char kEventLoggerActionColumnText[] = "Ostrel Id";
inline constexpr int kEventLoggerNameCharacters = 100;          // NAME, ACTION, USERNAME, SYSTEMNAME
inline constexpr int kEventLoggerDescriptionCharacters = 4096;  // DESCRIPTION

// Password hints (OTVDataBasePasswordHints.cpp): the hint columns of the user's APPPREFTABLE row.
inline constexpr char kQueryUpdateHintQuestionNumber[] = "UPDATE IGNORE APPPREFTABLE SET HINTQNO =?  WHERE USERID = ?";
inline constexpr char kQueryUpdateHintAnswer[] = "UPDATE IGNORE APPPREFTABLE SET HINTQANSWER = ? WHERE USERID = ?";
inline constexpr char kQueryUpdateHintQuestion[] = "UPDATE IGNORE APPPREFTABLE SET HINTQUESTION = ? WHERE USERID = ?";
// A hint that pointed at a password an administrator has replaced.
inline constexpr char kQueryClearHint[] =
    "UPDATE APPPREFTABLE SET HINTQNO = 0, HINTQANSWER = '', HINTQUESTION = '' WHERE USERID = ?";
inline constexpr char kQueryHintColumns[] = "SELECT * FROM APPPREFTABLE WHERE USERID=? LIMIT 1";
inline constexpr char kHintAnswerColumn[] = "HINTQANSWER";
inline constexpr char kHintQuestionColumn[] = "HINTQUESTION";

// Recent, most-viewed and recently-modified lists (OTVDataBaseRecentLists.cpp). Rows are
// (USERID, RECORDID); the server returns a user's rows oldest first, and the trim deletes the
// first of them.
inline constexpr char kQueryMostViewedTable[] = "SELECT * FROM MOSTVIEWEDTABLE WHERE USERID =? ";
inline constexpr char kQueryRecentlyViewedTable[] = "SELECT * FROM RECENTLYVIEWEDTABLE WHERE USERID =? ";
inline constexpr char kQueryRecentlyModifiedTable[] = "SELECT * FROM RECENTLYMODIFIEDTABLE WHERE USERID =? ";
inline constexpr char kQueryInsertMostViewedTable[] = "INSERT IGNORE INTO MOSTVIEWEDTABLE VALUES(?, ?)";
inline constexpr char kQueryInsertRecentlyViewedTable[] = "INSERT IGNORE INTO RECENTLYVIEWEDTABLE VALUES(?, ?)";
inline constexpr char kQueryInsertRecentlyModifiedTable[] = "INSERT IGNORE INTO RECENTLYMODIFIEDTABLE VALUES(?, ?)";
inline constexpr char kQueryInsertRecentlyAddedTable[] = "INSERT IGNORE INTO RECENTLYADDEDTABLE VALUES(?, ?)";
inline constexpr char kQueryRemoveFirstRowMostViewed[] = "delete  from MOSTVIEWEDTABLE where USERID=? LIMIT 1";
inline constexpr char kQueryRemoveFirstRowRecentlyViewed[] = "delete  from RECENTLYVIEWEDTABLE where USERID=? LIMIT 1";
inline constexpr char kQueryRemoveFirstRowRecentlyModified[] =
    "delete  from RECENTLYMODIFIEDTABLE where USERID=? LIMIT 1";
inline constexpr char kQueryCountMostViewed[] = "SELECT COUNT(*) FROM MOSTVIEWEDTABLE WHERE USERID=?";
inline constexpr char kQueryCountRecentlyViewed[] = "SELECT COUNT(*) FROM RECENTLYVIEWEDTABLE WHERE USERID=?";
inline constexpr char kQueryCountRecentlyModified[] = "SELECT COUNT(*) FROM RECENTLYMODIFIEDTABLE WHERE USERID=?";
// Only the logged-in user's row goes: the other users' lists are theirs.
inline constexpr char kQueryDeleteMostViewedTable[] = "DELETE FROM MOSTVIEWEDTABLE WHERE USERID = ? AND RECORDID = ?";
inline constexpr int kRecentListUserIDCharacters = 30;
inline constexpr int kRecentListRecordIDCharacters = 16;

// =============================================================================================
// Per-user preferences, column, window and split-view layouts

// The user's preference row (APPPREFTABLE): created with every default when the account is
// added, read at login, written back column by column.
inline constexpr char kQueryInsertAppPreferences[] =
    "INSERT IGNORE INTO APPPREFTABLE (USERID,USERNAME,CURRENTTYPE,CURRENTCATEGORY,WINDOWPOS ,SORTINFO,"
    "SHOWDETAILPANE ,DETAILPANEWIDTH ,AUTOLOCK,FONTHEIGHT ,FONTWIDTH,FONTESCAPEMENT,FONTORIENTATION ,FONTWEIGHT ,"
    "FONTITALIC  ,FONTUNDERLINE  ,FONTSTRIKEOUT  ,FONTCHARSET  , FONTOUTPRECISION  ,FONTCLIPPRECISION  ,"
    "FONTQUALITY  ,FONTPITCHANDFAMILY  ,FONTNAME, ROWCOLOR ,SLEEPMINUTES ,MAXSLEEPMINUTES ,PWDGENFLAG,"
    "CSAESENSITIVESEARCH,WHOLEWORDSEARCH,HINTQNO ,HINTQANSWER  ,HINTQUESTION ,LASTVIEW ,AUTOSUBMIT ,SEARCHCOLUMN,"
    "CLEARCLIPBOARDONEXIT,CLEARCLIPBOARDTIMER ,MINIMISETOSYSTRAY,LOGINATTEMPTCOUNT ,EXPORTIMPORTTIP,"
    "BACKUPRESTORETIP) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";

inline constexpr char kQuerySelectAppPreferences[] = "SELECT * FROM APPPREFTABLE WHERE USERID=? LIMIT 1";

inline constexpr char kQueryUpdateBasicPreferences[] =
    "UPDATE APPPREFTABLE SET WINDOWPOS=?,DETAILPANEWIDTH=? WHERE USERID=?";

inline constexpr char kQueryUpdateOptionPanelPreferences[] =
    "UPDATE APPPREFTABLE SET AUTOLOCK=? ,FONTHEIGHT=?,FONTWEIGHT=?,FONTITALIC=?,FONTNAME=?,ROWCOLOR=?,"
    "SLEEPMINUTES=?,MAXSLEEPMINUTES=?,AUTOSUBMIT=?,CLEARCLIPBOARDONEXIT=?,CLEARCLIPBOARDTIMER=? WHERE USERID=?";

// Single-column savers: parameter 1 the value, parameter 2 the user ID.
inline constexpr char UpdLastViewVal[] = "UPDATE IGNORE APPPREFTABLE SET LASTVIEW = ? WHERE USERID = ?";
inline constexpr char UpdCurCatVal[] = "UPDATE IGNORE APPPREFTABLE SET CURRENTCATEGORY =?  WHERE USERID = ?";
inline constexpr char UpdShowDetailPaneVal[] = "UPDATE IGNORE APPPREFTABLE SET SHOWDETAILPANE = ? WHERE USERID = ?";
inline constexpr char UpdSortInfoVal[] = "UPDATE IGNORE APPPREFTABLE SET SORTINFO = ? WHERE USERID = ?";
inline constexpr char UpdPwdGenFlagVal[] = "UPDATE IGNORE APPPREFTABLE SET PWDGENFLAG = ? WHERE USERID = ?";
inline constexpr char UpdLoginAtmptCntVal[] =
    "UPDATE IGNORE APPPREFTABLE SET LOGINATTEMPTCOUNT = ? WHERE USERID = ?";

// The list-column layout of one user and type (COLUMNINFOTABLE): USERID, TYPEID, COLUMN1..14.
inline constexpr char kQuerySelectColumnInfo[] =
    "SELECT * FROM COLUMNINFOTABLE WHERE USERID = ? AND TYPEID = ? LIMIT 1";
inline constexpr char kQueryReplaceColumnInfo[] =
    "REPLACE  INTO COLUMNINFOTABLE VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

// =============================================================================================
// Personal groups and the master-password change (OTVDataBasePersonal.cpp)

// A personal group is a GROUPTABLE row whose UID is its owner's user ID (the group statements
// kQueryGroupInsert and kQueryGroupDelete serve it too).
inline constexpr char kQueryGroupUpdateName[] = "Update GROUPTABLE SET Name=? where UID=?";
inline constexpr char kQueryGetUserName[] = "SELECT USERNAME FROM USERTABLE WHERE USERID=?";
inline constexpr char kQueryAllUserUIDS[] = "SELECT USERID FROM USERTABLE";
// Columns in table order: 1 RECORDID, 2 TYPEUID, 3 GROUPUID, 4-13 FIELD1-FIELD10, 14 NOTE,
// 15 HASATTACHMENT, 16 HASCUSTOMFIELD, 17 VIEWCOUNT.
inline constexpr char kQueryUserPersonalRecords[] = "SELECT * FROM RECORDTABLE WHERE GROUPUID = ?";
inline constexpr char kQueryUpdatePersonalRecord[] =
    "Update RECORDTABLE Set  FIELD1=?, FIELD2=?, FIELD3=?, FIELD4=?, FIELD5=?, FIELD6=?, FIELD7=?, FIELD8=?, "
    "FIELD9=?,FIELD10 = ?,NOTE = ?, HASATTACHMENT = ?,HASCUSTOMFIELD = ? where RECORDID=?";
inline constexpr char kQueryReplaceDatabaseInfoTable[] = "REPLACE INTO DATABASEINFOTABLE VALUES(?,?)";

// Locks the master password's row (or its place) until the change that reads it has ended.
inline constexpr char kQueryLockDatabaseInfoMasterPassword[] =
    "SELECT NAME FROM DATABASEINFOTABLE WHERE NAME='DBPASSWORD' FOR UPDATE";
