// The user's preference row against a real server: creation with its defaults, the login read,
// the savers and the accessors on the logged-in user.
#include "StoreTestSupport.h"

#include "Model/OTVUser.h"

namespace {

const QString kUserA = QStringLiteral("00000000000000A1");
const QString kUserB = QStringLiteral("00000000000000B2");

} // namespace

// The store with its logged-in user opened up.
class PreferenceStore : public StoreProbe {
public:
    using OTVDataBase::mCurrentUser_;
};

class Preferences : public StoreTest {
public:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_EQ(connect(store, server.admin), kOTVStatusOK);
        addUserRow(kUserA, "alice");
        addUserRow(kUserB, "bob");
    }

    void addUserRow(const QString& userID, const QString& name) const
    {
        root(QStringLiteral("INSERT INTO vivododadi.USERTABLE (USERID, USERNAME) VALUES ('%1', '%2')")
                 .arg(userID, name));
    }

    QStringList preferenceRows(const QString& userID) const
    {
        return rootRows(QStringLiteral("SELECT * FROM vivododadi.APPPREFTABLE WHERE USERID='%1'").arg(userID));
    }

    int createRow(const QString& userID, const QString& name)
    {
        int code = -1;
        store.initUserPreferencesForUser(userID, name, &code);
        return code;
    }

    PreferenceStore store;
};

// All 41 columns of a new row, in the order of the table (a slip in the order or the kind of a
// binding shows here).
TEST_F(Preferences, ANewRowHoldsEveryDefault)
{
    ASSERT_EQ(createRow(kUserA, "alice"), kOTVStatusOK);
    const QStringList expected = {
        kUserA, "alice", "000000000000FFFF", kUserA,   // USERID .. CURRENTCATEGORY
        "",                                           // WINDOWPOS
        "65539", "1", "290", "1",                     // SORTINFO, SHOWDETAILPANE, DETAILPANEWIDTH, AUTOLOCK
        "13", "0", "0", "0", "400",                   // FONTHEIGHT .. FONTWEIGHT
        "0", "0", "0", "1", "0", "0", "0", "0",       // FONTITALIC .. FONTPITCHANDFAMILY
        "ArialMT", "16777215", "10", "60", "65535",   // FONTNAME .. PWDGENFLAG
        "0", "0", "0", "", "",                        // search flags, HINTQNO, HINTQANSWER, HINTQUESTION
        "1", "0", "0", "0", "30", "0", "0",           // LASTVIEW .. LOGINATTEMPTCOUNT
        "65537", "65537",                             // EXPORTIMPORTTIP, BACKUPRESTORETIP
    };
    ASSERT_EQ(expected.size(), 41);
    EXPECT_EQ(preferenceRows(kUserA), QStringList{expected.join('|')});
    EXPECT_TRUE(preferenceRows(kUserB).isEmpty());
}

// What cannot make a sound row is refused, and nothing is written.
TEST_F(Preferences, ARowThatCannotBeMadeIsRefused)
{
    struct Case {
        const char* what;
        QString userID;
        QString name;
        int status;
    };
    const Case cases[] = {
        {"no USERTABLE row (the server would ignore the row)", "00000000000000C3", "carol", kOTVStatusNothingWritten},
        {"a name longer than its 40 characters", kUserA, QString(41, 'n'), kOTVStatusValueTooLong},
        {"an ID longer than its 16 characters", kUserA + "0", "alice", kOTVStatusValueTooLong},
        {"no ID", QString(), "alice", kOTVStatusDatabaseError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(createRow(c.userID, c.name), c.status);
    }
    EXPECT_EQ(rootValue("SELECT COUNT(*) FROM vivododadi.APPPREFTABLE"), "0");

    // A name of exactly 40 characters fits; the code pointer may be null.
    store.initUserPreferencesForUser(kUserA, QString(40, 'n'), nullptr);
    EXPECT_EQ(rootValue("SELECT USERNAME FROM vivododadi.APPPREFTABLE"), QString(40, 'n'));
}

TEST_F(Preferences, ADatabaseErrorIsReportedAndGivesThree)
{
    store.statementFaults().failExecution(kQueryInsertAppPreferences, 1, 2013);
    EXPECT_EQ(createRow(kUserA, "alice"), kOTVStatusDatabaseError);
    EXPECT_EQ(notifications.posts(), QStringList{"DB_COMM_LOST(2013)"});
    EXPECT_TRUE(preferenceRows(kUserA).isEmpty());
}
