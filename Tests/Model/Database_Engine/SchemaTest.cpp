// The vault database and its tables, as an administrator's session creates them on a real
// MariaDB server, and the schema operations.
#include "StoreTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

namespace {

QString repeated(const QString& prefix, int count, const QString& type)
{
    QStringList columns;
    for (int i = 1; i <= count; ++i)
        columns.append(QStringLiteral("%1%2 %3").arg(prefix).arg(i).arg(type));
    return columns.join(QStringLiteral(", "));
}

struct TableLayout {
    QString table;
    QString columns;       // "NAME type, ..." in position order: readers of SELECT * rely on it
    QString primaryKey;    // key columns in key order
    QStringList foreignKeys;   // "COLUMN->TABLE.COLUMN", every one ON DELETE and ON UPDATE CASCADE
};

QList<TableLayout> expectedLayouts()
{
    const QString fields = repeated(QStringLiteral("FIELD"), 10, QStringLiteral("tinyblob"));
    const QStringList recentList = {QStringLiteral("USERID->USERTABLE.USERID"),
                                    QStringLiteral("RECORDID->RECORDTABLE.RECORDID")};
    return {
        {"GROUPTABLE", "UID varchar(16), NAME tinyblob, RECORDPERMISSION int(11), GROUPPERMISSIONPREVAILS tinyint(1)",
         "UID", {}},
        {"TYPETABLE", "UID varchar(16), NAME tinyblob, ICONID int(11), MASKS int(11), " + fields, "UID", {}},
        {"RECORDTABLE",
         "RECORDID varchar(16), TYPEUID varchar(16), GROUPUID varchar(16), " + fields +
             ", NOTE longblob, HASATTACHMENT tinyint(1), HASCUSTOMFIELD tinyint(1), VIEWCOUNT bigint(20)",
         "RECORDID", {"GROUPUID->GROUPTABLE.UID", "TYPEUID->TYPETABLE.UID"}},
        {"CUSTOMICONTABLE", "ICONINDEX int(11), DATA longblob, ROWKEY bigint(20) unsigned", "ROWKEY", {}},
        {"CUSTOMTYPETABLE", "RECORDID varchar(16), ICONID int(11), MASKS int(11), " + fields, "RECORDID",
         {"RECORDID->RECORDTABLE.RECORDID"}},
        {"ATTACHMENTTABLE", "RECORDID varchar(16), ATTACHMENTNAME tinyblob, ENCRYPTIONKEY tinyblob, DATA longblob",
         "RECORDID", {"RECORDID->RECORDTABLE.RECORDID"}},
        {"USERTABLE",
         "USERID varchar(16), USERNAME varchar(40), PASSWORD blob, PLATFORMNAME varchar(40), GROUPPERMISSION int(11), "
         "TYPEPERMISSION int(11), RECORDPERMISSION int(11), DATAPERMISSION int(11), CANCHANGEPASSWORD tinyint(1), "
         "ISACCOUNTDISABLED tinyint(1)",
         "USERID", {}},
        {"USERGROUPTABLE", "GROUPID varchar(16), USERID varchar(16)", "USERID,GROUPID",
         {"GROUPID->GROUPTABLE.UID", "USERID->USERTABLE.USERID"}},
        {"GROUPSUBGROUPTABLE", "GROUPID varchar(16), SUBGROUPID varchar(16)", "GROUPID,SUBGROUPID",
         {"GROUPID->GROUPTABLE.UID", "SUBGROUPID->GROUPTABLE.UID"}},
        {"COLUMNINFOTABLE",
         "USERID varchar(16), TYPEID varchar(16), " + repeated(QStringLiteral("COLUMN"), 14, QStringLiteral("bigint(20)")),
         "USERID,TYPEID", {"USERID->USERTABLE.USERID"}},
        {"EVENTLOGGERTABLE",
         "NAME varchar(100), ACTION varchar(100), DESCRIPTION varchar(4096), DATE datetime, USERNAME varchar(100), "
         "SYSTEMNAME varchar(100), ROWKEY bigint(20) unsigned",
         "ROWKEY", {}},
        {"DATABASEINFOTABLE", "NAME varchar(200), VALUE tinyblob", "NAME", {}},
        {"KEYSTAMPTABLE", "NAME varchar(200), STAMP bigint(20) unsigned", "NAME", {}},
        {"APPPREFTABLE",
         "USERID varchar(16), USERNAME varchar(40), CURRENTTYPE varchar(16), CURRENTCATEGORY varchar(16), "
         "WINDOWPOS varchar(260), SORTINFO bigint(20), SHOWDETAILPANE tinyint(1), DETAILPANEWIDTH int(11), "
         "AUTOLOCK tinyint(1), FONTHEIGHT int(11), FONTWIDTH int(11), FONTESCAPEMENT int(11), FONTORIENTATION int(11), "
         "FONTWEIGHT int(11), FONTITALIC tinyint(1), FONTUNDERLINE tinyint(1), FONTSTRIKEOUT tinyint(1), "
         "FONTCHARSET int(11), FONTOUTPRECISION int(11), FONTCLIPPRECISION int(11), FONTQUALITY int(11), "
         "FONTPITCHANDFAMILY int(11), FONTNAME varchar(32), ROWCOLOR bigint(20), SLEEPMINUTES int(11), "
         "MAXSLEEPMINUTES int(11), PWDGENFLAG bigint(20), CSAESENSITIVESEARCH tinyint(1), WHOLEWORDSEARCH tinyint(1), "
         "HINTQNO int(11), HINTQANSWER blob, HINTQUESTION blob, LASTVIEW int(11), AUTOSUBMIT tinyint(1), "
         "SEARCHCOLUMN tinyint(1), CLEARCLIPBOARDONEXIT tinyint(1), CLEARCLIPBOARDTIMER int(11), "
         "MINIMISETOSYSTRAY tinyint(1), LOGINATTEMPTCOUNT int(11), EXPORTIMPORTTIP bigint(20), "
         "BACKUPRESTORETIP bigint(20), ROWKEY bigint(20) unsigned",
         "ROWKEY", {"USERID->USERTABLE.USERID"}},
        {"MOSTVIEWEDTABLE", "USERID varchar(30), RECORDID varchar(16), ROWKEY bigint(20) unsigned", "ROWKEY", recentList},
        {"RECENTLYVIEWEDTABLE", "USERID varchar(30), RECORDID varchar(16), ROWKEY bigint(20) unsigned", "ROWKEY", recentList},
        {"RECENTLYMODIFIEDTABLE", "USERID varchar(30), RECORDID varchar(16), ROWKEY bigint(20) unsigned", "ROWKEY", recentList},
        {"RECENTLYADDEDTABLE", "USERID varchar(30), RECORDID varchar(16), ROWKEY bigint(20) unsigned", "ROWKEY", recentList},
    };
}

} // namespace

class Schema : public StoreTest {
protected:
    // Column layout, primary key and foreign keys of every table of the vault, as the server
    // reports them.
    QMap<QString, TableLayout> actualLayouts() const
    {
        QMap<QString, TableLayout> layouts;
        for (const QString& row : rootRows("SELECT TABLE_NAME, CONCAT(COLUMN_NAME, ' ', COLUMN_TYPE) FROM "
                                           "information_schema.COLUMNS WHERE TABLE_SCHEMA = 'vivododadi' "
                                           "ORDER BY TABLE_NAME, ORDINAL_POSITION")) {
            const QStringList parts = row.split('|');
            TableLayout& layout = layouts[parts[0]];
            layout.table = parts[0];
            layout.columns += (layout.columns.isEmpty() ? "" : ", ") + parts[1];
        }
        for (const QString& row : rootRows("SELECT TABLE_NAME, COLUMN_NAME FROM information_schema.KEY_COLUMN_USAGE "
                                           "WHERE TABLE_SCHEMA = 'vivododadi' AND CONSTRAINT_NAME = 'PRIMARY' "
                                           "ORDER BY TABLE_NAME, ORDINAL_POSITION")) {
            const QStringList parts = row.split('|');
            QString& key = layouts[parts[0]].primaryKey;
            key += (key.isEmpty() ? "" : ",") + parts[1];
        }
        for (const QString& row : rootRows(
                 "SELECT k.TABLE_NAME, CONCAT(k.COLUMN_NAME, '->', k.REFERENCED_TABLE_NAME, '.', "
                 "k.REFERENCED_COLUMN_NAME), r.UPDATE_RULE, r.DELETE_RULE FROM information_schema.KEY_COLUMN_USAGE k "
                 "JOIN information_schema.REFERENTIAL_CONSTRAINTS r ON r.CONSTRAINT_SCHEMA = k.CONSTRAINT_SCHEMA AND "
                 "r.CONSTRAINT_NAME = k.CONSTRAINT_NAME AND r.TABLE_NAME = k.TABLE_NAME "
                 "WHERE k.TABLE_SCHEMA = 'vivododadi' ORDER BY k.TABLE_NAME, k.COLUMN_NAME")) {
            const QStringList parts = row.split('|');
            EXPECT_EQ(parts[2], "CASCADE") << row.toStdString();
            EXPECT_EQ(parts[3], "CASCADE") << row.toStdString();
            layouts[parts[0]].foreignKeys.append(parts[1]);
        }
        return layouts;
    }

    QString showCreateTables() const
    {
        QString all;
        for (const QString& row : rootRows("SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = "
                                           "'vivododadi' ORDER BY TABLE_NAME"))
            all += rootValue("SHOW CREATE TABLE vivododadi." + row) + "\n";
        // The next row key is no part of the layout.
        all.remove(QRegularExpression(QStringLiteral(" AUTO_INCREMENT=\\d+")));
        return all + rootValue("SHOW CREATE TABLE mysql.user_info");
    }
};

TEST_F(Schema, AnAdministratorCreatesEveryTableWithTheSpecifiedLayout)
{
    OTVDataBase store;
    ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);

    EXPECT_EQ(rootValue("SELECT DEFAULT_CHARACTER_SET_NAME FROM information_schema.SCHEMATA "
                        "WHERE SCHEMA_NAME = 'vivododadi'"),
              "utf8mb4");
    const QMap<QString, TableLayout> actual = actualLayouts();
    const QList<TableLayout> expected = expectedLayouts();
    EXPECT_EQ(actual.size(), expected.size()) << QStringList(actual.keys()).join(' ').toStdString();
    for (const TableLayout& table : expected) {
        SCOPED_TRACE(table.table.toStdString());
        ASSERT_TRUE(actual.contains(table.table));
        EXPECT_EQ(actual[table.table].columns, table.columns);
        EXPECT_EQ(actual[table.table].primaryKey, table.primaryKey);
        QStringList foreignKeys = table.foreignKeys;
        foreignKeys.sort();
        EXPECT_EQ(actual[table.table].foreignKeys, foreignKeys);
    }
    EXPECT_EQ(rootRows("SELECT DISTINCT ENGINE FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'vivododadi'"),
              QStringList{"InnoDB"});
    EXPECT_EQ(rootValue("SELECT CONCAT(ENGINE, '|', TABLE_COLLATION, '|', TABLE_COMMENT) FROM "
                        "information_schema.TABLES WHERE TABLE_SCHEMA = 'mysql' AND TABLE_NAME = 'user_info'"),
              "InnoDB|utf8mb3_bin|Stores additional user information");
    // The keys that tables without one of their own got stay out of every SELECT * and of
    // INSERT ... VALUES without a column list; icon numbers are unique.
    EXPECT_EQ(rootRows("SELECT CONCAT(TABLE_NAME, ' ', EXTRA) FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = "
                       "'vivododadi' AND COLUMN_NAME = 'ROWKEY' ORDER BY TABLE_NAME"),
              (QStringList{"APPPREFTABLE auto_increment, INVISIBLE", "CUSTOMICONTABLE auto_increment, INVISIBLE",
                           "EVENTLOGGERTABLE auto_increment, INVISIBLE", "MOSTVIEWEDTABLE auto_increment, INVISIBLE",
                           "RECENTLYADDEDTABLE auto_increment, INVISIBLE",
                           "RECENTLYMODIFIEDTABLE auto_increment, INVISIBLE",
                           "RECENTLYVIEWEDTABLE auto_increment, INVISIBLE"}));
    EXPECT_EQ(rootValue("SELECT NON_UNIQUE FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = 'vivododadi' "
                        "AND TABLE_NAME = 'CUSTOMICONTABLE' AND COLUMN_NAME = 'ICONINDEX'"),
              "0");
}

// A vault of an earlier version: its key-less tables get their keys at an administrator's login,
// icons that two clients numbered alike get numbers of their own, the account details move to
// InnoDB, and no row is lost.
TEST_F(Schema, AnAdministratorsLoginBringsAnEarlierVaultsTablesToTheCurrentSchema)
{
    root("CREATE DATABASE vivododadi DEFAULT CHARACTER SET utf8mb4");
    root("CREATE TABLE vivododadi.CUSTOMICONTABLE(ICONINDEX INT, DATA LONGBLOB) ENGINE=InnoDB");
    root("CREATE TABLE vivododadi.EVENTLOGGERTABLE(NAME VARCHAR(100), ACTION VARCHAR(100), DESCRIPTION "
         "VARCHAR(4096), DATE DATETIME, USERNAME VARCHAR(100), SYSTEMNAME VARCHAR(100)) ENGINE=InnoDB");
    root("INSERT INTO vivododadi.CUSTOMICONTABLE VALUES (1001,'a'),(1002,'b'),(1001,'c'),(1002,'d'),(1001,'e')");
    root("INSERT INTO vivododadi.EVENTLOGGERTABLE (NAME) VALUES ('first'),('second')");
    root("DROP TABLE IF EXISTS mysql.user_info");
    root("CREATE TABLE mysql.user_info (`User` varchar(16) COLLATE utf8_bin NOT NULL, `Full_name` varchar(60) "
         "COLLATE utf8_bin DEFAULT NULL, `Description` varchar(255) COLLATE utf8_bin DEFAULT NULL, `Email` "
         "varchar(80) COLLATE utf8_bin DEFAULT NULL, `Contact_information` text COLLATE utf8_bin, `Icon` blob, "
         "PRIMARY KEY (`User`)) ENGINE=MyISAM DEFAULT CHARSET=utf8 COLLATE=utf8_bin");
    root("INSERT INTO mysql.user_info (User, Full_name) VALUES ('kept', 'Kept Details')");

    OTVDataBase store;
    ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);

    EXPECT_EQ(rootRows("SELECT TABLE_NAME FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = 'vivododadi' AND "
                       "COLUMN_NAME = 'ROWKEY' AND COLUMN_KEY = 'PRI' AND EXTRA LIKE '%INVISIBLE%' ORDER BY TABLE_NAME"),
              (QStringList{"APPPREFTABLE", "CUSTOMICONTABLE", "EVENTLOGGERTABLE", "MOSTVIEWEDTABLE",
                           "RECENTLYADDEDTABLE", "RECENTLYMODIFIEDTABLE", "RECENTLYVIEWEDTABLE"}));
    // The first row of a number keeps it; the others take the next free ones in row order.
    EXPECT_EQ(rootRows("SELECT CONCAT(ICONINDEX, '=', DATA) FROM vivododadi.CUSTOMICONTABLE ORDER BY ICONINDEX"),
              (QStringList{"1001=a", "1002=b", "1003=c", "1004=d", "1005=e"}));
    EXPECT_EQ(rootRows("SELECT * FROM vivododadi.EVENTLOGGERTABLE ORDER BY ROWKEY").size(), 2);
    EXPECT_EQ(rootValue("SELECT ENGINE FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'mysql' AND "
                        "TABLE_NAME = 'user_info'"),
              "InnoDB");
    EXPECT_EQ(rootValue("SELECT Full_name FROM mysql.user_info WHERE User = 'kept'"), "Kept Details");
    EXPECT_TRUE(notifications.posts().isEmpty());
}

TEST_F(Schema, LaterConnectionsLeaveTablesAndDataAsTheyAre)
{
    {
        OTVDataBase first;
        ASSERT_EQ(connect(first, server.root), kOTVStatusOK);
    }
    const QString layout = showCreateTables();
    root("INSERT INTO vivododadi.GROUPTABLE VALUES ('0000000000000001', 'name', 7, 1)");
    root("INSERT INTO vivododadi.EVENTLOGGERTABLE (NAME) VALUES ('kept')");

    for (const TestAccount& account : {server.root, server.admin, server.plain}) {
        OTVDataBase again;
        ASSERT_EQ(connect(again, account), kOTVStatusOK) << account.user.toStdString();
    }
    EXPECT_EQ(showCreateTables(), layout);
    EXPECT_EQ(rootValue("SELECT CONCAT(UID, '|', NAME) FROM vivododadi.GROUPTABLE"), "0000000000000001|name");
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.EVENTLOGGERTABLE"), "1");
    EXPECT_TRUE(notifications.posts().isEmpty());
}

// What a deleted row takes with it: the foreign keys cascade.
TEST_F(Schema, DeletingARowCascadesToEveryTableThatHangsOnIt)
{
    OTVDataBase store;
    ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);

    const QStringList dependent = {"GROUPTABLE",      "TYPETABLE",          "RECORDTABLE",     "CUSTOMTYPETABLE",
                                   "ATTACHMENTTABLE", "USERTABLE",          "USERGROUPTABLE",  "GROUPSUBGROUPTABLE",
                                   "COLUMNINFOTABLE", "APPPREFTABLE",       "MOSTVIEWEDTABLE", "RECENTLYVIEWEDTABLE",
                                   "RECENTLYMODIFIEDTABLE", "RECENTLYADDEDTABLE"};
    struct Case {
        const char* deletion;
        const char* countsAfter;   // rows left in the tables above, in that order
    };
    const Case cases[] = {
        // Group G1 holds record R1 (of type T1); G2 holds R2 (of type T2). U1 is in G1; G1 has sub-group G2.
        {"DELETE FROM GROUPTABLE WHERE UID = 'G1'", "1 2 1 0 0 1 0 0 1 1 1 1 1 1"},
        {"DELETE FROM TYPETABLE WHERE UID = 'T1'", "2 1 1 0 0 1 1 1 1 1 1 1 1 1"},
        {"DELETE FROM RECORDTABLE WHERE RECORDID = 'R1'", "2 2 1 0 0 1 1 1 1 1 1 1 1 1"},
        {"DELETE FROM USERTABLE WHERE USERID = 'U1'", "2 2 2 1 1 0 0 1 0 0 0 0 0 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.deletion);
        for (const QString& table : dependent)
            root("DELETE FROM vivododadi." + table);
        root("INSERT INTO vivododadi.GROUPTABLE (UID) VALUES ('G1'), ('G2')");
        root("INSERT INTO vivododadi.TYPETABLE (UID) VALUES ('T1'), ('T2')");
        root("INSERT INTO vivododadi.RECORDTABLE (RECORDID, TYPEUID, GROUPUID) VALUES ('R1', 'T1', 'G1'), "
             "('R2', 'T2', 'G2')");
        root("INSERT INTO vivododadi.CUSTOMTYPETABLE (RECORDID) VALUES ('R1')");
        root("INSERT INTO vivododadi.ATTACHMENTTABLE (RECORDID) VALUES ('R1')");
        root("INSERT INTO vivododadi.USERTABLE (USERID) VALUES ('U1')");
        root("INSERT INTO vivododadi.USERGROUPTABLE (GROUPID, USERID) VALUES ('G1', 'U1')");
        root("INSERT INTO vivododadi.GROUPSUBGROUPTABLE VALUES ('G1', 'G2')");
        root("INSERT INTO vivododadi.COLUMNINFOTABLE (USERID, TYPEID) VALUES ('U1', '000000000000FFFF')");
        root("INSERT INTO vivododadi.APPPREFTABLE (USERID) VALUES ('U1')");
        // Each recent list: entries of U1 for R1 and for R2.
        for (const QString& table : dependent.mid(10))
            root("INSERT INTO vivododadi." + table + " VALUES ('U1', 'R1'), ('U1', 'R2')");

        root(QStringLiteral("DELETE FROM vivododadi.") + QString(c.deletion).mid(12));
        QStringList counts;
        for (const QString& table : dependent)
            counts.append(rootValue("SELECT COUNT(*) FROM vivododadi." + table));
        EXPECT_EQ(counts.join(' '), c.countsAfter);
    }
}

TEST_F(Schema, AVaultIsVirginUntilItHasAUser)
{
    OTVDataBase store;
    ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
    int status = -1;
    EXPECT_TRUE(store.isVirginLaunch(&status));
    EXPECT_EQ(status, kOTVStatusOK);

    root("INSERT INTO vivododadi.USERTABLE (USERID, USERNAME) VALUES ('0000000000000001', 'someone')");
    EXPECT_FALSE(store.isVirginLaunch(&status));
    EXPECT_EQ(status, kOTVStatusOK);
}

TEST_F(Schema, VersionRowsAreAddedWithoutTouchingAStoredMasterPassword)
{
    OTVDataBase store;
    ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
    ASSERT_EQ(store.insertDataBaseInfoVersionNumber(), kOTVStatusOK);
    EXPECT_EQ(rootRows("SELECT NAME, ISNULL(VALUE), LENGTH(VALUE), VALUE FROM vivododadi.DATABASEINFOTABLE "
                       "ORDER BY NAME"),
              (QStringList{"DBPASSWORD|0|0|", "DBVERSION|0|1|8"}));

    root("UPDATE vivododadi.DATABASEINFOTABLE SET VALUE = x'00112233445566778899AABBCCDDEEFF' "
         "WHERE NAME = 'DBPASSWORD'");
    ASSERT_EQ(store.insertDataBaseInfoVersionNumber(), kOTVStatusOK);
    EXPECT_EQ(rootValue("SELECT HEX(VALUE) FROM vivododadi.DATABASEINFOTABLE WHERE NAME = 'DBPASSWORD'"),
              "00112233445566778899AABBCCDDEEFF");
}

TEST_F(Schema, CheckIfDBExistsAsksTheServer)
{
    OTVDataBase store;
    ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
    EXPECT_TRUE(store.checkIfDBExixists(kDatabaseName));
    EXPECT_FALSE(store.checkIfDBExixists("no_such_database"));
}

// The first table that cannot be created ends the run: it is reported once, and the tables
// after it are missing until a later run.
TEST_F(Schema, AFailingTableEndsTheRunAndIsReportedOnce)
{
    StoreProbe store;
    ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
    root("DROP DATABASE vivododadi");
    root("DROP TABLE IF EXISTS mysql.user_info");
    store.createDefaultSchema();
    store.selectSchema(kDatabaseName);

    store.statementFaults().failExecution(kQueryCreateUserTable, 1, kDBTABLEACCESS_DENIEDCode1);
    EXPECT_EQ(store.createDataBaseTables(), kOTVStatusDatabaseError);
    EXPECT_EQ(notifications.posts(), QStringList{"DB_USR_DEL(1142)"});
    EXPECT_EQ(rootRows("SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'vivododadi' "
                       "ORDER BY CREATE_TIME, TABLE_NAME")
                  .size(),
              6);
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'mysql' AND "
                        "TABLE_NAME = 'user_info'"),
              "0");

    // The eighteenth statement (the server's mysql.user_info) fails as it does for an account
    // named "root" without rights on the mysql database.
    store.statementFaults().failExecution(kQueryCreateMySQLUserInfoTable, 1, kDBTABLEACCESS_DENIEDCode1);
    EXPECT_EQ(store.createDataBaseTables(), kOTVStatusDatabaseError);
    EXPECT_EQ(notifications.posts(), QStringList{"DB_USR_DEL(1142)"}) << "reported, but posted once per attempt";
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'vivododadi'"), "17");

    EXPECT_EQ(store.createDataBaseTables(), kOTVStatusOK);
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'mysql' AND "
                        "TABLE_NAME = 'user_info'"),
              "1");
}

TEST_F(Schema, WithoutAConnectionTheOperationsFailWithInvalidConnection)
{
    OTVDataBase store;
    const auto expectInvalidConnection = [](const std::function<void()>& operation) {
        try {
            operation();
            ADD_FAILURE() << "no exception";
        } catch (const sql::SQLException& e) {
            EXPECT_STREQ(e.what(), "Invalid Connection");
            EXPECT_EQ(e.getSQLState(), "HY000");
            EXPECT_EQ(e.getErrorCode(), 2013);
        }
    };
    expectInvalidConnection([&] { store.createDefaultSchema(); });
    expectInvalidConnection([&] { store.selectSchema(kDatabaseName); });
    expectInvalidConnection([&] { store.checkIfDBExixists(kDatabaseName); });

    // Guarded: a status, never an exception.
    int status = -1;
    EXPECT_FALSE(store.isVirginLaunch(&status));
    EXPECT_EQ(status, kOTVStatusClientError);
    EXPECT_EQ(store.createDataBaseTables(), kOTVStatusClientError);
}

// Table names are case-sensitive on the servers the project runs: every SQL text must spell
// the vault's tables in upper case and the server's own tables as mysql.user(_info).
TEST(SqlTexts, SpellEveryTableOneWay)
{
    const QString header = QFileInfo(QStringLiteral(__FILE__)).absolutePath() +
                           "/../../../Source/Model/Database_Engine/OTVDataBaseQueries.h";
    QFile file(header);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << header.toStdString();
    const QString source = QString::fromUtf8(file.readAll());

    const QRegularExpression literal(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\""));
    const QRegularExpression tableName(QStringLiteral("\\b\\w*table\\b"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression systemSchema(QStringLiteral("\\bmysql\\.\\w+"), QRegularExpression::CaseInsensitiveOption);
    int literals = 0;
    for (const QRegularExpressionMatch& text : literal.globalMatch(source)) {
        ++literals;
        const QString sql = text.captured(1);
        for (const QRegularExpressionMatch& name : tableName.globalMatch(sql))
            EXPECT_EQ(name.captured(), name.captured().toUpper()) << sql.toStdString();
        for (const QRegularExpressionMatch& name : systemSchema.globalMatch(sql))
            EXPECT_EQ(name.captured(), name.captured().toLower()) << sql.toStdString();
    }
    EXPECT_GT(literals, 20);
}
