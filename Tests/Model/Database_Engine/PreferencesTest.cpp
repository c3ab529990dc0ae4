// The user's preference row against a real server: creation with its defaults, the login read,
// the savers and the accessors on the logged-in user.
#include "StoreTestSupport.h"

#include "Model/Database_Engine/OTVFontName.h"
#include "Model/Database_Engine/OTVPreferenceCodecs.h"
#include "Model/OTVType.h"
#include "Model/OTVUser.h"
#include "Platform/BKUserDefaults.h"
#include "Support/TemporarySettings.h"

#include <QFontDatabase>

namespace {

const QString kUserA = QStringLiteral("00000000000000A1");
const QString kUserB = QStringLiteral("00000000000000B2");
const QString kTypeX = QStringLiteral("0000000000000A0A");

// Every preference that the row or the column layout holds, one "name=value" line each, so
// that two users compare field by field.
QStringList describe(const OTVUser& user)
{
    const QRectF frame = user.mWindowPosition();
    const QFont font = user.mTextFont();
    const std::optional<SortSpec>& sorting = user.mSortingInfo();
    QStringList widths;
    for (int width : user.mColoumWidthArray().value_or(QList<int>()))
        widths.append(QString::number(width));
    return {
        "mUserID=" + user.mUserID(),
        "mUsername=" + user.mUsername(),
        "mCurrentType=" + user.mCurrentType(),
        "mCurrentGroup=" + user.mCurrentGroup(),
        QString::asprintf("mWindowPosition=%g %g %g %g", frame.x(), frame.y(), frame.width(), frame.height()),
        "mSortingInfo=" + (sorting ? sorting->key + (sorting->ascending ? " ascending" : " descending") : "none"),
        QStringLiteral("mShowDetailOnPane=%1").arg(user.mShowDetailOnPane()),
        QStringLiteral("mDetailPanelWidth=%1").arg(user.mDetailPanelWidth()),
        QStringLiteral("mAutoLOck=%1").arg(user.mAutoLOck()),
        QStringLiteral("mTextFont=%1 bold %2 italic %3 %4 pt")
            .arg(font.family())
            .arg(font.bold())
            .arg(font.italic())
            .arg(font.pointSizeF()),
        "mRowColor=" + user.mRowColor().name(),
        QStringLiteral("mLockTime=%1").arg(user.mLockTime()),
        QStringLiteral("mMAxLockTime=%1").arg(user.mMAxLockTime()),
        QStringLiteral("mPwdGenFlag=%1").arg(user.mPwdGenFlag()),
        QStringLiteral("mHintQuestionNumber=%1").arg(user.mHintQuestionNumber()),
        "mHintAnswer=" + user.mHintAnswer(),
        "mHintEntered=" + user.mHintEntered(),
        QStringLiteral("mLastView=%1").arg(user.mLastView()),
        QStringLiteral("mAutoSubmit=%1").arg(user.mAutoSubmit()),
        QStringLiteral("mClipBoardOnExit=%1").arg(user.mClipBoardOnExit()),
        QStringLiteral("mClearClipBoardTimer=%1").arg(user.mClearClipBoardTimer()),
        QStringLiteral("mLoginAttemptCount=%1").arg(user.mLoginAttemptCount()),
        "mColoumWidthArray=" + (user.mColoumWidthArray() ? widths.join(' ') : "none"),
        QStringLiteral("mColoumInfo=%1").arg(user.mColoumInfo(), 0, 16),
    };
}

QRectF defaultFrameOfTheScreen()
{
    const QSizeF screen = OTVMainScreenSize();
    return OTVUser::defaultFrame(screen.width(), screen.height());
}

} // namespace

// The store with its logged-in user opened up.
class PreferenceStore : public StoreProbe {
public:
    using OTVDataBase::mCurrentUser_;

    // Makes `userID` the logged-in user, as the login step does, with every default.
    std::shared_ptr<OTVUser> logIn(const QString& userID)
    {
        mCurrentUser_ = OTVUser::createUser();
        mCurrentUser_->setMUserID(userID);
        return mCurrentUser_;
    }

    // The login read of the user's preferences; the status it ends with.
    int readPreferences(OTVUser& user)
    {
        int code = -1;
        readUserPreferenceForTableForUser(user, &code);
        return code;
    }
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

    QString preference(const QString& userID, const QString& column) const
    {
        return rootValue(QStringLiteral("SELECT %1 FROM vivododadi.APPPREFTABLE WHERE USERID='%2'").arg(column, userID));
    }

    void setPreference(const QString& userID, const QString& assignment) const
    {
        root(QStringLiteral("UPDATE vivododadi.APPPREFTABLE SET %1 WHERE USERID='%2'").arg(assignment, userID));
    }

    QStringList columnRows(const QString& userID) const
    {
        return rootRows(QStringLiteral("SELECT * FROM vivododadi.COLUMNINFOTABLE WHERE USERID='%1'").arg(userID));
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

TEST_F(Preferences, ALostConnectionIsReportedAndGivesItsOwnStatus)
{
    store.statementFaults().failExecution(kQueryInsertAppPreferences, 1, 2013);
    EXPECT_EQ(createRow(kUserA, "alice"), kOTVStatusClientError);
    EXPECT_EQ(notifications.posts(), QStringList{"DB_COMM_LOST(2013)"});
    EXPECT_TRUE(preferenceRows(kUserA).isEmpty());
}

// ---------------------------------------------------------------------------------------------
// The login read

TEST_F(Preferences, TheFirstLoginReadsTheDefaults)
{
    ASSERT_EQ(createRow(kUserA, "alice"), kOTVStatusOK);
    const std::shared_ptr<OTVUser> user = store.logIn(kUserA);
    user->setMHintAnswer("left over");
    ASSERT_EQ(store.readPreferences(*user), kOTVStatusOK);

    // "ArialMT" where it is installed, else the fallback, at 13 points.
    const std::optional<QFont> arial = OTVFontFromStoredName("ArialMT");
    const QRectF frame = defaultFrameOfTheScreen();
    const QStringList expected = {
        "mUserID=" + kUserA,
        "mUsername=alice",
        "mCurrentType=000000000000FFFF",
        "mCurrentGroup=" + kUserA,
        QString::asprintf("mWindowPosition=%g %g %g %g", frame.x(), frame.y(), frame.width(), frame.height()),
        "mSortingInfo=3 ascending",
        "mShowDetailOnPane=1",
        "mDetailPanelWidth=290",
        "mAutoLOck=1",
        QStringLiteral("mTextFont=%1 bold 0 italic 0 13 pt").arg(arial ? arial->family() : "Lucida Grande"),
        "mRowColor=#ffffff",
        "mLockTime=10",
        "mMAxLockTime=60",
        "mPwdGenFlag=255",   // the low 8 bits of 0xFFFF
        "mHintQuestionNumber=0",
        "mHintAnswer=",      // the hint columns are not read at login
        "mHintEntered=",
        "mLastView=1",
        "mAutoSubmit=0",
        "mClipBoardOnExit=0",
        "mClearClipBoardTimer=30",
        "mLoginAttemptCount=0",
        "mColoumWidthArray=none",   // no column layout stored yet
        "mColoumInfo=2407",
    };
    EXPECT_EQ(describe(*user), expected);
}

// Every preference written through the store comes back, field for field, in a fresh store;
// the other user's row is untouched.
TEST_F(Preferences, EveryPreferenceComesBackInAFreshStore)
{
    ASSERT_TRUE(QFontDatabase::families().contains("DejaVu Sans")) << "the DejaVu fonts are not installed";
    ASSERT_EQ(createRow(kUserA, "alice"), kOTVStatusOK);
    ASSERT_EQ(createRow(kUserB, "bob"), kOTVStatusOK);
    const QStringList rowOfB = preferenceRows(kUserB);

    const std::shared_ptr<OTVUser> user = store.logIn(kUserA);
    ASSERT_EQ(store.readPreferences(*user), kOTVStatusOK);
    user->setMCurrentGroup("00000000000000C4");
    user->setMWindowPosition(QRectF(40, 30, 700, 500));
    user->setMSortingInfo(SortSpec{"7", false});
    user->setMShowDetailOnPane(false);
    user->setMDetailPanelWidth(345);
    user->setMAutoLOck(false);
    user->setMTextFont(QFontDatabase::font("DejaVu Sans", "Bold Oblique", 15));
    user->setMRowColor(QColor(0x11, 0x22, 0x33));
    user->setMLockTime(25);
    user->setMMAxLockTime(60);
    user->setMPwdGenFlag(0x2D);
    user->setMLastView(2);
    user->setMAutoSubmit(true);
    user->setMClipBoardOnExit(true);
    user->setMClearClipBoardTimer(5);
    user->setMLoginAttemptCount(3);
    user->setMColoumInfo(0x1C05);
    services.mainWindowMaximised = true;

    int code = -1;
    store.saveOptionPanelPreferencesForUser(*user, &code);
    EXPECT_EQ(code, kOTVStatusOK);
    store.saveBasicPreferencesForUser(*user, &code);
    EXPECT_EQ(code, kOTVStatusOK);
    EXPECT_EQ(store.saveLastViewForUser(*user), kOTVStatusOK);
    EXPECT_EQ(store.saveCurrentGroupForUser(*user), kOTVStatusOK);
    EXPECT_EQ(store.saveToggleInfoForUser(*user), kOTVStatusOK);
    EXPECT_EQ(store.saveSortInfoForUser(*user), kOTVStatusOK);
    EXPECT_EQ(store.savePasswordGeneratorFlagForUser(*user), kOTVStatusOK);
    EXPECT_EQ(store.saveNumberOfAttemptsForUser(*user), kOTVStatusOK);
    QList<int> widths;
    for (int i = 1; i <= kListNoOfColumns; ++i)
        widths.append(i * 10);
    EXPECT_EQ(store.setColumnWidthDetails(widths, 0), kOTVStatusOK);

    EXPECT_EQ(preference(kUserA, "WINDOWPOS").section(' ', 4), "0001");   // maximised, as the desktop said
    EXPECT_EQ(services.count("isMainWindowMaximied"), 1);
    EXPECT_EQ(preference(kUserA, "ROWCOLOR"), QString::number(0x332211));   // 0x00BBGGRR

    PreferenceStore fresh;
    ASSERT_EQ(connect(fresh, server.admin), kOTVStatusOK);
    const std::shared_ptr<OTVUser> read = fresh.logIn(kUserA);
    ASSERT_EQ(fresh.readPreferences(*read), kOTVStatusOK);
    EXPECT_EQ(describe(*read), describe(*user));

    EXPECT_EQ(preferenceRows(kUserB), rowOfB);
    EXPECT_TRUE(columnRows(kUserB).isEmpty());
}

// A user without a row keeps every field, its column layout included; the load goes on.
TEST_F(Preferences, AUserWithoutARowKeepsItsFields)
{
    ASSERT_EQ(createRow(kUserA, "alice"), kOTVStatusOK);
    root(QStringLiteral("INSERT INTO vivododadi.COLUMNINFOTABLE VALUES ('%1', '000000000000FFFF', "
                        "65636, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1)").arg(kUserB));
    const std::shared_ptr<OTVUser> user = store.logIn(kUserB);
    user->setMLastView(2);
    const QStringList before = describe(*user);
    EXPECT_EQ(store.readPreferences(*user), kOTVStatusOK);
    EXPECT_EQ(describe(*user), before);
}

// One row per user, whatever adds one: a second create writes nothing and keeps the first
// row. A vault whose rows earlier versions doubled keeps the oldest of each user's rows (the
// one readers took) at the next administrator's login, and its savers change that one.
TEST_F(Preferences, OneRowPerUser)
{
    ASSERT_EQ(createRow(kUserA, "alice"), kOTVStatusOK);
    setPreference(kUserA, "LASTVIEW=7");
    EXPECT_EQ(createRow(kUserA, "alice"), kOTVStatusNothingWritten);
    EXPECT_EQ(preferenceRows(kUserA).size(), 1);
    EXPECT_EQ(preference(kUserA, "LASTVIEW"), "7");

    // As earlier versions made the table: its user ID under a plain key.
    root("ALTER TABLE vivododadi.APPPREFTABLE ADD KEY USERID (USERID), DROP KEY ONEROWPERUSER");
    root(QStringLiteral("INSERT INTO vivododadi.APPPREFTABLE (USERID, USERNAME, LASTVIEW) VALUES ('%1', 'alice', 3), "
                        "('%1', 'alice', 4), ('%2', 'bob', 5)").arg(kUserA, kUserB));
    PreferenceStore administrator;
    ASSERT_EQ(connect(administrator, server.admin), kOTVStatusOK);
    EXPECT_EQ(rootRows(QStringLiteral("SELECT USERID, LASTVIEW FROM vivododadi.APPPREFTABLE ORDER BY USERID")),
              (QStringList{kUserA + "|7", kUserB + "|5"}));
    EXPECT_EQ(createRow(kUserB, "bob"), kOTVStatusNothingWritten);
    const std::shared_ptr<OTVUser> user = store.logIn(kUserA);
    ASSERT_EQ(store.readPreferences(*user), kOTVStatusOK);
    EXPECT_EQ(user->mLastView(), 7);
}

// Each account writes only its own row, whatever client it uses: the server refuses another
// user's row (its auto-lock, sleep time, password hint) to a vault user's account, and its own
// row under any name but its own, and takes the account's own. Administrators write every row.
TEST_F(Preferences, AnAccountWritesOnlyItsOwnRow)
{
    root("DROP USER IF EXISTS 'carol'@'%'");
    root("CREATE USER 'carol'@'%' IDENTIFIED BY 'carol pw'");
    root("GRANT SELECT, INSERT, UPDATE, DELETE ON vivododadi.* TO 'carol'@'%'");
    const QString kCarol = QStringLiteral("00000000000000C3");
    addUserRow(kCarol, "carol");
    ASSERT_EQ(createRow(kUserA, "alice"), kOTVStatusOK);
    ASSERT_EQ(createRow(kCarol, "carol"), kOTVStatusOK);
    const QStringList aliceBefore = preferenceRows(kUserA);

    std::unique_ptr<sql::Connection> carol = server.connect({"carol", "carol pw"});
    ASSERT_TRUE(carol);
    std::unique_ptr<sql::Statement> statement(carol->createStatement());
    statement->execute("USE vivododadi");
    struct Case {
        const char* what;
        QString sql;
        bool allowed;
    };
    const Case cases[] = {
        {"another's auto-lock", "UPDATE APPPREFTABLE SET AUTOLOCK=0, SLEEPMINUTES=0 WHERE USERID='" + kUserA + "'", false},
        {"another's hint", "UPDATE APPPREFTABLE SET HINTQUESTION='false hint', HINTQNO=3 WHERE USERID='" + kUserA + "'", false},
        {"every row", "UPDATE APPPREFTABLE SET SLEEPMINUTES=0", false},
        {"own row given away", "UPDATE APPPREFTABLE SET USERID='" + kUserA + "' WHERE USERID='" + kCarol + "'", false},
        {"another's row deleted", "DELETE FROM APPPREFTABLE WHERE USERID='" + kUserA + "'", false},
        {"a row for another", "INSERT INTO APPPREFTABLE (USERID, USERNAME) VALUES ('" + kUserB + "', 'bob')", false},
        // A name in the rows counts as taken: no new administrator nor vault user could have it.
        {"own row under another's name", "UPDATE APPPREFTABLE SET USERNAME='bob' WHERE USERID='" + kCarol + "'", false},
        {"own row under a free name", "UPDATE APPPREFTABLE SET USERNAME='newadmin' WHERE USERID='" + kCarol + "'", false},
        {"own name in other letters", "UPDATE APPPREFTABLE SET USERNAME='Carol' WHERE USERID='" + kCarol + "'", false},
        {"own name kept", "UPDATE APPPREFTABLE SET USERNAME='carol' WHERE USERID='" + kCarol + "'", true},
        {"own row deleted", "DELETE FROM APPPREFTABLE WHERE USERID='" + kCarol + "'", true},
        {"own row anew under a free name", "INSERT INTO APPPREFTABLE (USERID, USERNAME) VALUES ('" + kCarol + "', 'newadmin')", false},
        {"own row anew", "INSERT INTO APPPREFTABLE (USERID, USERNAME) VALUES ('" + kCarol + "', 'carol')", true},
        {"own sleep time", "UPDATE APPPREFTABLE SET SLEEPMINUTES=7 WHERE USERID='" + kCarol + "'", true},
        {"own hint", "UPDATE APPPREFTABLE SET HINTQNO=2 WHERE USERID='" + kCarol + "'", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int error = 0;
        try {
            statement->execute(c.sql.toStdString());
        } catch (const sql::SQLException& e) {
            error = e.getErrorCode();
        }
        EXPECT_EQ(error, c.allowed ? 0 : 1644);
        EXPECT_EQ(preferenceRows(kUserA), aliceBefore);
        EXPECT_TRUE(preferenceRows(kUserB).isEmpty());
    }
    EXPECT_EQ(preference(kCarol, "SLEEPMINUTES"), "7");
    EXPECT_EQ(preference(kCarol, "HINTQNO"), "2");
    EXPECT_EQ(rootRows("SELECT USERNAME FROM vivododadi.APPPREFTABLE ORDER BY USERNAME"),
              (QStringList{"alice", "carol"}));

    // The store's savers, in carol's own session, write her row as before.
    {
        PreferenceStore own;
        ASSERT_EQ(connect(own, {"carol", "carol pw"}), kOTVStatusOK);
        const std::shared_ptr<OTVUser> user = own.logIn(kCarol);
        user->setMPwdGenFlag(0x21);
        EXPECT_EQ(own.savePasswordGeneratorFlagForUser(*user), kOTVStatusOK);
        EXPECT_EQ(preference(kCarol, "PWDGENFLAG"), "33");
    }
    // An administrator's session writes another's row.
    const std::shared_ptr<OTVUser> alice = store.logIn(kUserA);
    alice->setMPwdGenFlag(0x22);
    EXPECT_EQ(store.savePasswordGeneratorFlagForUser(*alice), kOTVStatusOK);
    EXPECT_EQ(preference(kUserA, "PWDGENFLAG"), "34");
    root("DROP USER IF EXISTS 'carol'@'%'");
}

// What a peer or damage may leave in the row does not stop the login load: the default is read
// and the next save writes a good value.
TEST_F(Preferences, DamagedStoredValuesReadAsTheDefaults)
{
    ASSERT_EQ(createRow(kUserA, "alice"), kOTVStatusOK);
    const QRectF frame = defaultFrameOfTheScreen();
    const QString defaultFrame =
        QString::asprintf("mWindowPosition=%g %g %g %g", frame.x(), frame.y(), frame.width(), frame.height());
    const QString fallbackFont = "mTextFont=Lucida Grande bold 0 italic 0 13 pt";
    struct Case {
        QString assignment;
        QString field;
    };
    const Case cases[] = {
        {"WINDOWPOS='12 34'", defaultFrame},
        {"WINDOWPOS='0100 0250 0100 0850 0000'", defaultFrame},
        {"WINDOWPOS=NULL", defaultFrame},
        {"FONTNAME='', FONTHEIGHT=13", fallbackFont},
        {"FONTNAME='NoSuchFamily-Bold', FONTHEIGHT=0", fallbackFont},
        {"FONTNAME=NULL, FONTHEIGHT=NULL", fallbackFont},
        {"SORTINFO=NULL", "mSortingInfo=0 descending"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.assignment.toStdString());
        setPreference(kUserA, c.assignment);
        const std::shared_ptr<OTVUser> user = store.logIn(kUserA);
        EXPECT_EQ(store.readPreferences(*user), kOTVStatusOK);
        EXPECT_TRUE(describe(*user).contains(c.field)) << describe(*user).join('\n').toStdString();
    }
}

// The user's recent lists are read with the preferences, also for a user without a row; a list
// that cannot be read gives the status, and the others are read all the same.
TEST_F(Preferences, TheLoginReadTakesTheRecentListsAlong)
{
    root("INSERT INTO vivododadi.GROUPTABLE (UID) VALUES ('00000000000000F1')");
    root("INSERT INTO vivododadi.TYPETABLE (UID) VALUES ('00000000000000F2')");
    for (const char* record : {"00000000000000E1", "00000000000000E2", "00000000000000E3"})
        root(QStringLiteral("INSERT INTO vivododadi.RECORDTABLE (RECORDID, TYPEUID, GROUPUID) "
                            "VALUES ('%1', '00000000000000F2', '00000000000000F1')").arg(record));
    for (const QString& user : {kUserA, kUserB}) {
        root(QStringLiteral("INSERT INTO vivododadi.MOSTVIEWEDTABLE VALUES ('%1', '00000000000000E1')").arg(user));
        root(QStringLiteral("INSERT INTO vivododadi.RECENTLYVIEWEDTABLE VALUES ('%1', '00000000000000E2')").arg(user));
        root(QStringLiteral("INSERT INTO vivododadi.RECENTLYMODIFIEDTABLE VALUES ('%1', '00000000000000E3')").arg(user));
    }
    ASSERT_EQ(createRow(kUserA, "alice"), kOTVStatusOK);

    for (const QString& userID : {kUserA, kUserB}) {   // B has no preference row
        PreferenceStore fresh;
        ASSERT_EQ(connect(fresh, server.admin), kOTVStatusOK);
        const std::shared_ptr<OTVUser> user = fresh.logIn(userID);
        EXPECT_EQ(fresh.readPreferences(*user), kOTVStatusOK);
        EXPECT_EQ(fresh.mostViewedRecords(), QStringList{"00000000000000E1"});
        EXPECT_EQ(fresh.recentlyViewedRecords(), QStringList{"00000000000000E2"});
        EXPECT_EQ(fresh.recentlyModifiedRecords(), QStringList{"00000000000000E3"});
    }

    PreferenceStore fresh;
    ASSERT_EQ(connect(fresh, server.admin), kOTVStatusOK);
    fresh.statementFaults().failExecution(kQueryMostViewedTable, 1, 1146);
    const std::shared_ptr<OTVUser> user = fresh.logIn(kUserA);
    EXPECT_EQ(fresh.readPreferences(*user), kOTVStatusDatabaseError);
    EXPECT_TRUE(fresh.mostViewedRecords().isEmpty());
    EXPECT_EQ(fresh.recentlyModifiedRecords(), QStringList{"00000000000000E3"});
}

// A failed read reports, leaves the user as it was and ends the login read.
TEST_F(Preferences, AFailedReadLeavesTheUserAsItWas)
{
    ASSERT_EQ(createRow(kUserA, "alice"), kOTVStatusOK);
    const std::shared_ptr<OTVUser> user = store.logIn(kUserA);
    const QStringList before = describe(*user);
    store.statementFaults().failExecution(kQuerySelectAppPreferences, 1, 2013);
    EXPECT_EQ(store.readPreferences(*user), kOTVStatusClientError);
    EXPECT_EQ(describe(*user), before);
    EXPECT_EQ(notifications.posts(), QStringList{"DB_COMM_LOST(2013)"});

    // A failure of the column layout's read is the read's status; the row has been taken.
    store.statementFaults().failExecution(kQuerySelectColumnInfo, 1, 1146);
    EXPECT_EQ(store.readPreferences(*user), kOTVStatusDatabaseError);
    EXPECT_EQ(user->mUsername(), "alice");
}

// ---------------------------------------------------------------------------------------------
// Saving

// FONTWEIGHT and FONTITALIC follow the stored name (either case); FONTHEIGHT is the whole points.
TEST_F(Preferences, TheOptionsSaveWritesTheFontByItsName)
{
    ASSERT_EQ(createRow(kUserA, "alice"), kOTVStatusOK);
    const std::shared_ptr<OTVUser> user = store.logIn(kUserA);
    struct Case {
        QString family;   // a family that is not installed keeps its name
        QString stored;   // FONTNAME|FONTWEIGHT|FONTITALIC|FONTHEIGHT
    };
    const Case cases[] = {
        {"ArialMT", "ArialMT|200|0|12"},
        {"Arial-BoldMT", "Arial-BoldMT|700|0|12"},
        {"Arial-BoldItalicMT", "Arial-BoldItalicMT|700|1|12"},
        {"arial-bolditalic", "arial-bolditalic|700|1|12"},
    };
    for (const Case& c : cases) {
        QFont font(c.family);
        font.setPointSizeF(12.7);
        user->setMTextFont(font);
        int code = -1;
        store.saveOptionPanelPreferencesForUser(*user, &code);
        EXPECT_EQ(code, kOTVStatusOK);
        EXPECT_EQ(preference(kUserA, "FONTNAME,FONTWEIGHT,FONTITALIC,FONTHEIGHT"), c.stored);
    }

    // Not even the family fits FONTNAME: refused, nothing written.
    const QStringList before = preferenceRows(kUserA);
    user->setMTextFont(QFont(QString(33, 'f'), 12));
    user->setMAutoLOck(false);
    int code = -1;
    store.saveOptionPanelPreferencesForUser(*user, &code);
    EXPECT_EQ(code, kOTVStatusValueTooLong);
    EXPECT_EQ(preferenceRows(kUserA), before);
}

TEST_F(Preferences, FailedSavesReportAndWriteNothing)
{
    ASSERT_EQ(createRow(kUserA, "alice"), kOTVStatusOK);
    const std::shared_ptr<OTVUser> user = store.logIn(kUserA);
    const QStringList before = preferenceRows(kUserA);

    store.statementFaults().failExecution(UpdLastViewVal, 1, 2013);
    user->setMLastView(2);
    EXPECT_EQ(store.saveLastViewForUser(*user), kOTVStatusClientError);
    EXPECT_EQ(notifications.posts(), QStringList{"DB_COMM_LOST(2013)"});

    // UPDATE IGNORE would cut the group short; the store refuses it.
    user->setMCurrentGroup(QString(17, 'A'));
    EXPECT_EQ(store.saveCurrentGroupForUser(*user), kOTVStatusValueTooLong);

    store.statementFaults().failExecution(kQueryUpdateOptionPanelPreferences, 1, 1142);
    int code = -1;
    store.saveOptionPanelPreferencesForUser(*user, &code);
    EXPECT_EQ(code, kOTVStatusDatabaseError);

    // A colour without an RGB form cannot be stored.
    user->setMRowColor(QColor());
    store.saveOptionPanelPreferencesForUser(*user, &code);
    EXPECT_EQ(code, kOTVStatusDatabaseError);

    // At quit nobody is told.
    notifications.clear();
    store.statementFaults().failExecution(kQueryUpdateBasicPreferences, 1, 2013);
    store.saveBasicPreferencesForUser(*user, &code);
    EXPECT_EQ(code, kOTVStatusDatabaseError);
    EXPECT_TRUE(notifications.posts().isEmpty());

    EXPECT_EQ(preferenceRows(kUserA), before);
}

// ---------------------------------------------------------------------------------------------
// Accessors on the logged-in user

TEST_F(Preferences, AccessorsSaveAtOnce)
{
    ASSERT_EQ(createRow(kUserA, "alice"), kOTVStatusOK);
    const std::shared_ptr<OTVUser> user = store.logIn(kUserA);
    int code = -1;
    EXPECT_EQ(store.sortDescriptor(&code), (SortSpec{"3", true}));   // none set yet
    EXPECT_EQ(code, kOTVStatusOK);

    EXPECT_EQ(store.setToggleInfo(false), kOTVStatusOK);
    EXPECT_EQ(store.setSortDescriptor(SortSpec{"70000", false}), kOTVStatusOK);
    EXPECT_EQ(store.setPasswordGeneratorFlags(0x21), kOTVStatusOK);
    EXPECT_EQ(store.setNumberofAttemptsLeft(-2, user), kOTVStatusOK);
    EXPECT_EQ(preference(kUserA, "SHOWDETAILPANE,SORTINFO,PWDGENFLAG,LOGINATTEMPTCOUNT"), "0|4464|33|-2");

    EXPECT_EQ(store.sortDescriptor(&code), (SortSpec{"70000", false}));
    EXPECT_EQ(store.passwordGeneratorFlags(&code), 0x21);
    EXPECT_EQ(store.numberofAttemptsLeft(&code), -2);
    user->setMAutoLOck(true);
    user->setMLockTime(17);
    int minutes = 0;
    EXPECT_TRUE(store.autoLockEnabledWithInactiveTime(&minutes, &code));
    EXPECT_EQ(minutes, 17);
    EXPECT_EQ(code, kOTVStatusOK);
    EXPECT_EQ(store.setfont(QFont("DejaVu Serif", 9)), kOTVStatusOK);
    EXPECT_EQ(user->mTextFont().family(), "DejaVu Serif");
}

TEST_F(Preferences, AccessorsWithoutAUserAnswerThreeAndChangeNothing)
{
    ASSERT_EQ(createRow(kUserA, "alice"), kOTVStatusOK);
    const QStringList before = preferenceRows(kUserA);
    store.mCurrentUser_.reset();

    const auto codeOf = [](const std::function<void(int*)>& call) {
        int code = -1;
        call(&code);
        return code;
    };
    int minutes = 99;
    EXPECT_EQ(codeOf([&](int* c) { EXPECT_FALSE(store.autoLockEnabledWithInactiveTime(&minutes, c)); }), 3);
    EXPECT_EQ(minutes, 99);
    EXPECT_EQ(codeOf([&](int* c) { EXPECT_FALSE(store.sortDescriptor(c).has_value()); }), 3);
    EXPECT_EQ(codeOf([&](int* c) { EXPECT_EQ(store.passwordGeneratorFlags(c), 0); }), 3);
    EXPECT_EQ(codeOf([&](int* c) { EXPECT_EQ(store.numberofAttemptsLeft(c), 0); }), 3);
    EXPECT_EQ(codeOf([&](int* c) { EXPECT_FALSE(store.columnWidthDetails(c).has_value()); }), 3);
    EXPECT_EQ(store.passwordGeneratorFlags(nullptr), 0);   // a null code is not written
    EXPECT_EQ(store.setToggleInfo(false), 3);
    EXPECT_EQ(store.setSortDescriptor(SortSpec{"5", true}), 3);
    EXPECT_EQ(store.setPasswordGeneratorFlags(1), 3);
    EXPECT_EQ(store.setfont(QFont("DejaVu Sans")), 3);
    EXPECT_EQ(store.setNumberofAttemptsLeft(4, nullptr), 3);
    EXPECT_EQ(store.readColoumWidthInfoForType(QString()), 3);
    EXPECT_EQ(store.setShowColumnsInListViewForTypeName(kTypeX), 3);
    EXPECT_EQ(store.setColumnWidthDetails(QList<int>(kListNoOfColumns, 50), 0), 3);
    store.saveSplitViewInformation({"{{0, 0}, {100, 10}}"}, kMainSplitViewAutosaveKey);

    EXPECT_EQ(preferenceRows(kUserA), before);
    EXPECT_TRUE(columnRows(kUserA).isEmpty());
}

// ---------------------------------------------------------------------------------------------
// Column layout

TEST_F(Preferences, ColumnLayoutsPerType)
{
    const std::shared_ptr<OTVUser> user = store.logIn(kUserA);
    QList<int> widths(kListNoOfColumns, 80);
    widths[0] = 70000;
    user->setMColoumInfo(0x2407);
    ASSERT_EQ(store.setColumnWidthDetails(widths, 0), kOTVStatusOK);
    // Shown columns carry bit 16 (65536 + 80); the first width keeps 16 bits: 65536 + 4464.
    EXPECT_EQ(columnRows(kUserA),
              QStringList{kUserA + "|000000000000FFFF|70000|80|65616|65616|65616|80|80|80|80|80|80|80|80|65616"});

    user->setMColoumWidthArray(std::nullopt);   // no widths: 0 everywhere
    user->setMColoumInfo(0x1000);
    ASSERT_EQ(store.setShowColumnsInListViewForTypeName(kTypeX), kOTVStatusOK);
    root(QStringLiteral("UPDATE vivododadi.COLUMNINFOTABLE SET COLUMN2=%1 WHERE TYPEID='%2'")
             .arg((1 << 17) | 33)
             .arg(kTypeX));   // bit 17 alone: shown

    PreferenceStore fresh;
    ASSERT_EQ(connect(fresh, server.admin), kOTVStatusOK);
    const std::shared_ptr<OTVUser> read = fresh.logIn(kUserA);
    ASSERT_EQ(fresh.readColoumWidthInfoForType(QString()), kOTVStatusOK);   // all types
    widths[0] = 4464;
    EXPECT_EQ(read->mColoumWidthArray(), widths);
    EXPECT_EQ(read->mColoumInfo(), 0x2407u);
    ASSERT_EQ(fresh.readColoumWidthInfoForType(kTypeX), kOTVStatusOK);
    QList<int> widthsOfX(kListNoOfColumns, 0);
    widthsOfX[1] = 33;
    EXPECT_EQ(read->mColoumWidthArray(), widthsOfX);
    EXPECT_EQ(read->mColoumInfo(), 0x1800u);
    // A type without a row leaves the layout read before.
    ASSERT_EQ(fresh.readColoumWidthInfoForType("0000000000000B0B"), kOTVStatusOK);
    EXPECT_EQ(read->mColoumWidthArray(), widthsOfX);
    EXPECT_EQ(read->mColoumInfo(), 0x1800u);
}

TEST_F(Preferences, ColumnLayoutsThatCannotBeStored)
{
    const std::shared_ptr<OTVUser> user = store.logIn(kUserA);
    const QList<int> widths(kListNoOfColumns, 50);
    user->setMColoumWidthArray(widths);
    EXPECT_EQ(store.setColumnWidthDetails(QList<int>(kListNoOfColumns - 1, 60), 0), kOTVStatusDatabaseError);
    EXPECT_EQ(store.setColumnWidthDetails(QList<int>(kListNoOfColumns, 60), -1), kOTVStatusDatabaseError);
    EXPECT_EQ(store.setColumnWidthDetails(QList<int>(kListNoOfColumns, 60), 1), kOTVStatusDatabaseError);
    EXPECT_EQ(user->mColoumWidthArray(), widths);   // unchanged

    user->setMColoumWidthArray(QList<int>(3, 10));
    EXPECT_EQ(store.setShowColumnsInListViewForTypeName(kTypeX), kOTVStatusDatabaseError);
    user->setMColoumWidthArray(widths);
    EXPECT_EQ(store.setShowColumnsInListViewForTypeName(kTypeX + "0"), kOTVStatusValueTooLong);
    EXPECT_TRUE(columnRows(kUserA).isEmpty());

    // The server refuses a row of a user ID that USERTABLE does not hold.
    store.logIn("00000000000000D5")->setMColoumWidthArray(widths);
    EXPECT_EQ(store.setShowColumnsInListViewForTypeName(kTypeX), kOTVStatusDatabaseError);
    EXPECT_TRUE(columnRows("00000000000000D5").isEmpty());
}

// Index 0 is all types, n the n-th type of the types for editing (sorted by name).
TEST_F(Preferences, TheTypeIndexCountsTheTypesForEditing)
{
    const std::shared_ptr<OTVUser> user = store.logIn(kUserA);
    QStringList uids;
    for (const QString name : {"beta", "Alpha"}) {
        const std::shared_ptr<OTVType> type = OTVType::createType();
        type->setMTypeName(name);
        ASSERT_EQ(store.addType(type), kOTVStatusOK);
        uids.append(type->mTypeUID());
    }
    for (int index = 0; index <= 2; ++index)
        EXPECT_EQ(store.setColumnWidthDetails(QList<int>(kListNoOfColumns, 40 + index), index), kOTVStatusOK);
    EXPECT_EQ(store.setColumnWidthDetails(QList<int>(kListNoOfColumns, 50), 3), kOTVStatusDatabaseError);
    const QString alpha = uids[1], beta = uids[0];
    EXPECT_EQ(rootRows("SELECT TYPEID, COLUMN1 FROM vivododadi.COLUMNINFOTABLE ORDER BY COLUMN1"),
              (QStringList{"000000000000FFFF|65576", alpha + "|65577", beta + "|65578"}));
}

// ---------------------------------------------------------------------------------------------
// Window frame and split views

TEST_F(Preferences, WindowPositionTextsOnTheMainScreen)
{
    const QSizeF screen = OTVMainScreenSize();
    const QRectF frame(10, 20, screen.width() - 100, screen.height() - 200);
    services.mainWindowMaximised = false;
    const QString stored = store.getWindowDimensionsInWindowsStandard(frame);
    EXPECT_EQ(stored, OTVWindowPositionText(frame, screen, false));
    EXPECT_EQ(store.getRectFromWindowPosition(stored), frame);
    EXPECT_EQ(store.getRectFromWindowPosition("12 34"), defaultFrameOfTheScreen());
}

TEST_F(Preferences, SplitViewLayoutsGoToTheUserDefaults)
{
    TemporarySettings settings;
    BKUserDefaults& defaults = BKUserDefaults::standardUserDefaults();
    const std::shared_ptr<OTVUser> user = store.logIn(kUserA);
    user->setMDetailPanelWidth(290);
    const QStringList layout = {"{{0, 0}, {70000.7, 10}}", "{{0, 0}, {0, 0}}"};

    store.saveSplitViewInformation(layout, "Other SplitView Autosave Key");
    EXPECT_FALSE(defaults.hasKey("Other SplitView Autosave Key"));
    store.saveSplitViewInformation(layout, kSubSplitViewAutosaveKey);
    store.saveSplitViewInformation(layout, kSmartTypeSplitViewAutosaveKey);
    EXPECT_EQ(user->mDetailPanelWidth(), 290);   // only the main view's layout sets it
    store.saveSplitViewInformation(layout, kMainSplitViewAutosaveKey);
    EXPECT_EQ(user->mDetailPanelWidth(), 4464);
    for (const QString& key : {kMainSplitViewAutosaveKey, kSubSplitViewAutosaveKey, kSmartTypeSplitViewAutosaveKey})
        EXPECT_EQ(defaults.objectForKey(key).toStringList(), layout) << key.toStdString();
}
