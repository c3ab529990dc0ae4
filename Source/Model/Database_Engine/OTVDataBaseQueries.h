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
    "CREATE TABLE IF NOT EXISTS CUSTOMICONTABLE(ICONINDEX INT, DATA LONGBLOB)  ENGINE=InnoDB";

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
    "DESCRIPTION VARCHAR(4096), DATE DATETIME, USERNAME VARCHAR(100), SYSTEMNAME VARCHAR(100)) ENGINE=InnoDB";

inline constexpr char kQueryCreateDatabaseInfoTable[] =
    "CREATE TABLE IF NOT EXISTS DATABASEINFOTABLE(NAME VARCHAR(200) PRIMARY KEY,VALUE TINYBLOB) ENGINE=InnoDB";

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
    "LOGINATTEMPTCOUNT INT,EXPORTIMPORTTIP BIGINT,BACKUPRESTORETIP BIGINT )  ENGINE=InnoDB";

inline constexpr char kQueryCreateMostViewedTable[] =
    "CREATE TABLE IF NOT EXISTS MOSTVIEWEDTABLE(USERID VARCHAR(30) ,FOREIGN KEY (USERID) REFERENCES USERTABLE "
    "(USERID) ON DELETE CASCADE ON UPDATE CASCADE,RECORDID VARCHAR(16),FOREIGN KEY (RECORDID) REFERENCES "
    "RECORDTABLE (RECORDID) ON DELETE CASCADE ON UPDATE CASCADE)  ENGINE=InnoDB";

inline constexpr char kQueryCreateRecentlyViewedTable[] =
    "CREATE TABLE IF NOT EXISTS RECENTLYVIEWEDTABLE(USERID VARCHAR(30),FOREIGN KEY (USERID) REFERENCES "
    "USERTABLE (USERID) ON DELETE CASCADE ON UPDATE CASCADE,RECORDID VARCHAR(16), FOREIGN KEY (RECORDID) "
    "REFERENCES RECORDTABLE (RECORDID) ON DELETE CASCADE ON UPDATE CASCADE)  ENGINE=InnoDB";

inline constexpr char kQueryCreateRecentlyModifiedTable[] =
    "CREATE TABLE IF NOT EXISTS RECENTLYMODIFIEDTABLE(USERID VARCHAR(30) ,FOREIGN KEY (USERID) REFERENCES "
    "USERTABLE (USERID) ON DELETE CASCADE ON UPDATE CASCADE,RECORDID VARCHAR(16),FOREIGN KEY (RECORDID) "
    "REFERENCES RECORDTABLE (RECORDID) ON DELETE CASCADE ON UPDATE CASCADE)  ENGINE=InnoDB";

inline constexpr char kQueryCreateRecentlyAddedTable[] =
    "CREATE TABLE IF NOT EXISTS RECENTLYADDEDTABLE(USERID VARCHAR(30) ,FOREIGN KEY (USERID) REFERENCES "
    "USERTABLE (USERID) ON DELETE CASCADE ON UPDATE CASCADE,RECORDID VARCHAR(16),FOREIGN KEY (RECORDID) "
    "REFERENCES RECORDTABLE (RECORDID) ON DELETE CASCADE ON UPDATE CASCADE)  ENGINE=InnoDB";

inline constexpr char kQueryCreateMySQLUserInfoTable[] =
    "CREATE TABLE IF NOT EXISTS mysql.user_info (`User` varchar(16) COLLATE utf8_bin NOT NULL,"
    "`Full_name` varchar(60) COLLATE utf8_bin DEFAULT NULL,`Description` varchar(255) COLLATE utf8_bin "
    "DEFAULT NULL,`Email` varchar(80) COLLATE utf8_bin DEFAULT NULL,`Contact_information` text COLLATE "
    "utf8_bin,`Icon` blob,PRIMARY KEY (`User`),KEY `user_info_Full_name` (`Full_name`)) ENGINE=MyISAM "
    "DEFAULT CHARSET=utf8 COLLATE=utf8_bin COMMENT='Stores additional user information'";

// The tables in the order in which they are created (foreign keys point backwards only).
inline constexpr const char* kCreateTableQueries[] = {
    kQueryCreateGroupTable,          kQueryCreateTypesTable,          kQueryCreateRecordsTable,
    kQueryCreateCustomIconTable,     kQueryCreateCustomTypeTable,     kQueryCreateAttachmentTable,
    kQueryCreateUserTable,           kQueryCreateUserGroupList,       kQueryCreateGroupSubGroupTable,
    KQueryCreateColumnInfoTable,     KQueryCreateEventLoggerTable,    kQueryCreateDatabaseInfoTable,
    kQueryCreateAppPreferenceTable,  kQueryCreateMostViewedTable,     kQueryCreateRecentlyViewedTable,
    kQueryCreateRecentlyModifiedTable, kQueryCreateRecentlyAddedTable, kQueryCreateMySQLUserInfoTable,
};

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
inline constexpr char kQuerySetStrictMode[] = "SET SESSION sql_mode=CONCAT(@@sql_mode,',STRICT_ALL_TABLES')";

inline constexpr char kQueryPrivLikeRoot[] =
    "SELECT COUNT(*) FROM mysql.user WHERE USER=? AND SELECT_PRIV = 'Y' AND INSERT_PRIV = 'Y' AND "
    "UPDATE_PRIV = 'Y' AND  DELETE_PRIV = 'Y' AND CREATE_PRIV = 'Y' AND DROP_PRIV = 'Y' AND RELOAD_PRIV = 'Y' "
    "AND SHUTDOWN_PRIV = 'Y' AND PROCESS_PRIV = 'Y' AND FILE_PRIV  = 'Y' AND GRANT_PRIV = 'Y' AND "
    "REFERENCES_PRIV = 'Y' AND INDEX_PRIV = 'Y' AND ALTER_PRIV = 'Y' AND SHOW_DB_PRIV = 'Y' AND "
    "SUPER_PRIV = 'Y'AND CREATE_TMP_TABLE_PRIV = 'Y' AND LOCK_TABLES_PRIV = 'Y' AND EXECUTE_PRIV = 'Y' AND "
    "REPL_SLAVE_PRIV = 'Y' AND REPL_CLIENT_PRIV = 'Y' AND CREATE_VIEW_PRIV = 'Y' AND SHOW_VIEW_PRIV = 'Y' AND "
    "CREATE_ROUTINE_PRIV = 'Y' AND ALTER_ROUTINE_PRIV = 'Y' AND CREATE_USER_PRIV = 'Y'";

inline constexpr char kQuerySelectDatabaseInfoTable[] =
    "SELECT * FROM DATABASEINFOTABLE WHERE NAME='DBPASSWORD'";

// =============================================================================================
// Loading the vault

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

// =============================================================================================
// Groups, record types and custom types, attachments and custom icons

// Groups (OTVDataBaseGroups.cpp)
inline constexpr char kQueryGroupInsert[] =
    "Insert  IGNORE into GROUPTABLE(Name,UID,RecordPermission,GroupPermissionprevails ) VALUES (?,?,?,?)";
inline constexpr char kQueryGroupUpdate[] =
    "Update GROUPTABLE SET Name=?,RecordPermission=?,GroupPermissionprevails=? where UID=?";
inline constexpr char kQueryGroupDelete[] = "DELETE FROM GROUPTABLE WHERE UID=?";
// A format: %s takes the stored name as hexadecimal text (only hexadecimal digits reach the SQL).
inline constexpr char kQueryGroupNameLike[] = "SELECT * FROM GROUPTABLE WHERE name = CAST( x'%s' As Binary )";
inline constexpr char kQueryDeleteAllUsersForGroup[] = "DELETE FROM  USERGROUPTABLE WHERE GROUPID=?";
inline constexpr char kQueryInsertIntoUserGroupList[] = "INSERT IGNORE INTO  USERGROUPTABLE(USERID ,GROUPID ) VALUES (?,?)";
// Columns: 1 GROUPID, 2 USERID.
inline constexpr char kQuerySelectGroupUserList[] = "SELECT * FROM USERGROUPTABLE WHERE GROUPID=?";
inline constexpr char kQuerySelectUserGroupList[] = "SELECT * FROM USERGROUPTABLE WHERE USERID=?";
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
inline constexpr char kQueryCopyAttchmentRow[] =
    "INSERT INTO ATTACHMENTTABLE(RECORDID,ATTACHMENTNAME,ENCRYPTIONKEY,DATA) SELECT ?,ATTACHMENTNAME,"
    "ENCRYPTIONKEY,DATA FROM ATTACHMENTTABLE WHERE RECORDID= ?";

// Custom icons (OTVDataBaseCustomIcons.cpp). CUSTOMICONTABLE has no key: a named server lock
// keeps two clients from taking the same number.
inline constexpr char SelMaxIconTblval[] = "SELECT MAX(ICONINDEX) FROM CUSTOMICONTABLE";
inline constexpr char kUpdateCustomIconTable[] = "REPLACE INTO CUSTOMICONTABLE VALUES(?, ?)";
inline constexpr char kQueryGetCustomIconLock[] = "SELECT GET_LOCK('" OTV_DATABASE_NAME ".customicon', 10)";
inline constexpr char kQueryReleaseCustomIconLock[] = "SELECT RELEASE_LOCK('" OTV_DATABASE_NAME ".customicon')";

// =============================================================================================
// User accounts, MySQL accounts and grants, the login step, password policy

// =============================================================================================
// Event log, password hints, recent and most-viewed lists

// =============================================================================================
// Per-user preferences, column, window and split-view layouts

// =============================================================================================
// Personal groups and the master-password change
