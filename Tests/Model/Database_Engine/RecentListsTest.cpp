// The most-viewed, recently-viewed and recently-modified lists (and the recently-added rows)
// against a real server: the cap of 10 in memory and on the server, their order, one user's
// list never touching another's, the cascade of a deleted record, and the failure paths.
#include "StoreTestSupport.h"

#include "Model/OTVRecord.h"
#include "Model/OTVUser.h"

#include <functional>

namespace {

constexpr char kAlice[] = "00000000000000A1";
constexpr char kBob[] = "00000000000000B2";

QString recordUID(int n)
{
    return QStringLiteral("%1").arg(n, 16, 10, QLatin1Char('0'));
}

QStringList recordUIDs(int first, int last)
{
    QStringList uids;
    for (int n = first; n <= last; ++n)
        uids.append(recordUID(n));
    return uids;
}

} // namespace

class RecentLists : public StoreTest {
public:
    // One of the three listed kinds: its table, how to add to it, read it and see it in memory.
    struct ListKind {
        const char* table;
        std::function<int(OTVDataBase&, const QString& record, const QString& user)> add;
        std::function<int(OTVDataBase&, const QString& user)> read;
        std::function<QStringList(const OTVDataBase&)> listed;
    };

    static std::vector<ListKind> listKinds()
    {
        return {
            {"MOSTVIEWEDTABLE", [](OTVDataBase& s, const QString& r, const QString& u) { return s.addMostViewedRecordID(r, u); },
             [](OTVDataBase& s, const QString& u) { return s.readMostViewedRecordIDForUser(u); },
             [](const OTVDataBase& s) { return s.mostViewedRecords(); }},
            {"RECENTLYVIEWEDTABLE",
             [](OTVDataBase& s, const QString& r, const QString& u) { return s.addRecentlyViewedRecordID(r, u); },
             [](OTVDataBase& s, const QString& u) {
                 int rc = -1;
                 s.readRecentlyViewedRecordIDForUser(u, &rc);
                 return rc;
             },
             [](const OTVDataBase& s) { return s.recentlyViewedRecords(); }},
            {"RECENTLYMODIFIEDTABLE",
             [](OTVDataBase& s, const QString& r, const QString& u) {
                 OTVRecord record;
                 record.setMRecordUID(r);
                 return s.addRecentlyModifiedRecordID(record, u);
             },
             [](OTVDataBase& s, const QString& u) {
                 int rc = -1;
                 s.readRecentlyModifiedRecordIDForUser(u, &rc);
                 return rc;
             },
             [](const OTVDataBase& s) { return s.recentlyModifiedRecords(); }},
        };
    }

    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
        root(QStringLiteral("INSERT INTO vivododadi.USERTABLE(USERID, USERNAME) VALUES ('%1', 'alice'), ('%2', 'bob')")
                 .arg(kAlice, kBob));
        QStringList values;
        for (const QString& uid : recordUIDs(1, 20))
            values.append(QStringLiteral("('%1')").arg(uid));
        root(QStringLiteral("INSERT INTO vivododadi.RECORDTABLE(RECORDID) VALUES ") + values.join(','));
        store.mCurrentUser()->setMUserID(kAlice);
        store.mCurrentUser()->setMUsername(QStringLiteral("alice"));
    }

    // The user's record UIDs in the table, in the server's order.
    QStringList rows(const char* table, const QString& user) const
    {
        return rootRows(QStringLiteral("SELECT RECORDID FROM vivododadi.%1 WHERE USERID='%2'").arg(table, user));
    }

    void insertRows(const char* table, const QString& user, const QStringList& records) const
    {
        for (const QString& record : records)
            root(QStringLiteral("INSERT INTO vivododadi.%1 VALUES ('%2', '%3')").arg(table, user, record));
    }

    StoreProbe store;
};

// Each list keeps the newest 10, oldest first, the same in memory and on the server, however
// long it was when it was loaded; and only the given user's list moves.
TEST_F(RecentLists, AListKeepsItsNewestTenForItsUserOnly)
{
    struct Case {
        const char* name;
        QStringList loaded;   // alice's rows before the list is read
        QStringList added;
        QStringList after;
    };
    const Case cases[] = {
        {"the first add", {}, {recordUID(1)}, {recordUID(1)}},
        {"eleven adds", {}, recordUIDs(1, 11), recordUIDs(2, 11)},
        {"a list loaded with twelve", recordUIDs(1, 12), {recordUID(13)}, recordUIDs(4, 13)},
        {"a full list", recordUIDs(1, 10), {recordUID(20)}, recordUIDs(2, 10) << recordUID(20)},
    };
    for (const ListKind& kind : listKinds()) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(kind.table) + ": " + c.name);
            root(QStringLiteral("DELETE FROM vivododadi.%1").arg(kind.table));
            insertRows(kind.table, kAlice, c.loaded);
            insertRows(kind.table, kBob, recordUIDs(1, 10));
            ASSERT_EQ(kind.read(store, kAlice), kOTVStatusOK);
            EXPECT_EQ(kind.listed(store), c.loaded);

            for (const QString& record : c.added)
                ASSERT_EQ(kind.add(store, record, kAlice), kOTVStatusOK);

            EXPECT_EQ(kind.listed(store), c.after);
            EXPECT_EQ(rows(kind.table, kAlice), c.after);
            EXPECT_EQ(rows(kind.table, kBob), recordUIDs(1, 10));
        }
    }
}

// Nothing reads the recently added rows back, so they are never trimmed.
TEST_F(RecentLists, RecentlyAddedRowsAreNeverTrimmed)
{
    for (const QString& record : recordUIDs(1, 12))
        ASSERT_EQ(store.addRecentlyAddedID(record, kAlice), kOTVStatusOK);
    EXPECT_EQ(rows("RECENTLYADDEDTABLE", kAlice), recordUIDs(1, 12));
}

TEST_F(RecentLists, RemovingFromMostViewedTouchesOnlyTheLoggedInUsersList)
{
    insertRows("MOSTVIEWEDTABLE", kAlice, {recordUID(1), recordUID(2), recordUID(1)});
    insertRows("MOSTVIEWEDTABLE", kBob, {recordUID(1)});
    ASSERT_EQ(store.readMostViewedRecordIDForUser(kAlice), kOTVStatusOK);

    EXPECT_EQ(store.removeMostViewedRecordID(recordUID(1)), kOTVStatusOK);
    EXPECT_EQ(store.mostViewedRecords(), QStringList({recordUID(2)}));
    EXPECT_EQ(rows("MOSTVIEWEDTABLE", kAlice), QStringList({recordUID(2)}));
    EXPECT_EQ(rows("MOSTVIEWEDTABLE", kBob), QStringList({recordUID(1)}));

    EXPECT_EQ(store.removeMostViewedRecordID(QString()), kOTVStatusOK);
    EXPECT_EQ(rows("MOSTVIEWEDTABLE", kAlice), QStringList({recordUID(2)}));
}

// A deleted record leaves every list on the server; memory keeps it until the next login read,
// and an add for it is ignored by the server and not listed.
TEST_F(RecentLists, ADeletedRecordLeavesTheServersListsAndIsNotListedAgain)
{
    for (const ListKind& kind : listKinds())
        ASSERT_EQ(kind.add(store, recordUID(1), kAlice), kOTVStatusOK);
    ASSERT_EQ(store.addRecentlyAddedID(recordUID(1), kAlice), kOTVStatusOK);

    root(QStringLiteral("DELETE FROM vivododadi.RECORDTABLE WHERE RECORDID='%1'").arg(recordUID(1)));
    for (const ListKind& kind : listKinds()) {
        SCOPED_TRACE(kind.table);
        EXPECT_TRUE(rows(kind.table, kAlice).isEmpty());
        EXPECT_EQ(kind.listed(store), QStringList({recordUID(1)}));
        EXPECT_EQ(kind.add(store, recordUID(1), kAlice), kOTVStatusOK);
        EXPECT_EQ(kind.listed(store), QStringList({recordUID(1)}));
        EXPECT_TRUE(rows(kind.table, kAlice).isEmpty());
        EXPECT_EQ(kind.read(store, kAlice), kOTVStatusOK);
        EXPECT_TRUE(kind.listed(store).isEmpty());
    }
    EXPECT_TRUE(rows("RECENTLYADDEDTABLE", kAlice).isEmpty());
}

TEST_F(RecentLists, FailuresLeaveTheListsAsTheServerHasThem)
{
    insertRows("RECENTLYVIEWEDTABLE", kAlice, recordUIDs(1, 10));
    ASSERT_EQ(store.readMostViewedRecordIDForUser(kAlice), kOTVStatusOK);
    int rc = -1;
    store.readRecentlyViewedRecordIDForUser(kAlice, &rc);
    ASSERT_EQ(rc, kOTVStatusOK);

    // The trim fails: the insert still happens, and the add says it failed.
    store.statementFaults().failExecution(kQueryRemoveFirstRowRecentlyViewed, 1, 1205, "Lock wait timeout");
    EXPECT_EQ(store.addRecentlyViewedRecordID(recordUID(11), kAlice), kOTVStatusDatabaseError);
    EXPECT_EQ(rows("RECENTLYVIEWEDTABLE", kAlice), recordUIDs(1, 11));
    EXPECT_EQ(store.recentlyViewedRecords(), recordUIDs(2, 11));

    // The insert fails: the list made room but does not list the record.
    store.statementFaults().failExecution(kQueryInsertRecentlyViewedTable, 1, 1205, "Lock wait timeout");
    EXPECT_EQ(store.addRecentlyViewedRecordID(recordUID(12), kAlice), kOTVStatusDatabaseError);
    EXPECT_EQ(store.recentlyViewedRecords(), recordUIDs(3, 11));
    EXPECT_EQ(rows("RECENTLYVIEWEDTABLE", kAlice), recordUIDs(3, 11));

    // A reader that fails keeps the list it had.
    store.statementFaults().failExecution(kQueryRecentlyViewedTable, 1, 2013);
    store.readRecentlyViewedRecordIDForUser(kAlice, &rc);
    EXPECT_EQ(rc, kOTVStatusClientError);
    EXPECT_EQ(store.recentlyViewedRecords(), recordUIDs(3, 11));
    store.statementFaults().failExecutionWithOtherException(kQueryMostViewedTable, 1);
    EXPECT_EQ(store.readMostViewedRecordIDForUser(kAlice), kOTVStatusOtherFailure);

    // A UID longer than its column is refused before anything is written.
    EXPECT_EQ(store.addRecentlyAddedID(recordUID(1) + "0", kAlice), kOTVStatusValueTooLong);
    EXPECT_TRUE(rows("RECENTLYADDEDTABLE", kAlice).isEmpty());
    EXPECT_EQ(notifications.posts(), QStringList({"DB_COMM_LOST(2013)"}));
}
