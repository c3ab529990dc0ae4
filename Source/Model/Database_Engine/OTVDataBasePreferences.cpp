// The user's preference row (APPPREFTABLE): creation with the defaults, the login read, the
// savers and the accessors on the logged-in user.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"
#include "OTVFontName.h"
#include "OTVPreferenceCodecs.h"

#include "Model/Ciphers/OTVColorValue.h"
#include "Model/OTVUID.h"
#include "Model/OTVUser.h"

namespace {

// Column sizes of APPPREFTABLE that a written text must fit.
constexpr int kUserIDColumnCharacters = 16;
constexpr int kUserNameColumnCharacters = 40;
constexpr int kGroupColumnCharacters = 16;
constexpr int kFontNameColumnCharacters = 32;

// Defaults of a new row. Other copies of the program read the same row, so they stay as they
// are, including the columns that only peers use.
const QString kDefaultStoredFontName = QStringLiteral("ArialMT");
constexpr qint64 kDefaultSortInfo = 0x10003;   // ascending on column "3" (Field 1)
constexpr int kDefaultDetailPaneWidth = 290;
constexpr int kDefaultFontHeight = 13;
constexpr int kDefaultFontWeight = 400;
constexpr int kDefaultFontCharset = 1;
constexpr int kDefaultSleepMinutes = 10;
constexpr int kDefaultMaxSleepMinutes = 60;
constexpr qint64 kDefaultPasswordGeneratorFlags = 0xFFFF;
constexpr int kDefaultLastView = 1;            // the record list
constexpr int kDefaultClearClipboardMinutes = 30;
constexpr qint64 kDefaultTipState = 0x10001;

// What the options panel writes for the font's weight: bold or not (not the 400 of a new row).
constexpr int kBoldFontWeight = 700;
constexpr int kOtherFontWeight = 200;

// A stored font that is not installed is shown in this one (rendered with a substitute where it
// is missing too).
const QString kFallbackFontName = QStringLiteral("Lucida Grande");

// The sort order of a user who never chose one: ascending on the Field 1 column.
const SortSpec kDefaultSortOrder{QStringLiteral("3"), true};

void setCode(int* returnCode, int status)
{
    if (returnCode)
        *returnCode = status;
}

// A field of the user with code 0, or nothing with code 3 when there is no user.
template <typename Value, typename Read>
Value valueOfUser(const std::shared_ptr<OTVUser>& user, int* returnCode, Read read)
{
    setCode(returnCode, user ? kOTVStatusOK : kOTVStatusDatabaseError);
    return user ? Value(read(*user)) : Value();
}

// The change's status, or 3 when there is no user.
template <typename Change>
int changeUser(const std::shared_ptr<OTVUser>& user, Change change)
{
    return user ? change(*user) : int(kOTVStatusDatabaseError);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The row

void OTVDataBase::initUserPreferencesForUser(const QString& userID, const QString& userName, int* returnCode)
{
    const int status = runGuarded(
        [&] {
            // A row without a user ID could never be found again (and the foreign key needs one).
            if (userID.isEmpty())
                return int(kOTVStatusDatabaseError);
            OTVCheckVarcharFits(userID, kUserIDColumnCharacters);
            OTVCheckVarcharFits(userName, kUserNameColumnCharacters);
            const QByteArray empty;   // WINDOWPOS, HINTQANSWER and HINTQUESTION start empty

            OTVStatement statement = prepare(kQueryInsertAppPreferences);
            statement.setString(1, userID);
            statement.setString(2, userName);
            statement.setString(3, kAllCategoriesUID);
            statement.setString(4, userID);   // the user's personal group
            statement.setBlob(5, empty);
            statement.setInt64(6, kDefaultSortInfo);
            statement.setBoolean(7, true);    // SHOWDETAILPANE
            statement.setInt(8, kDefaultDetailPaneWidth);
            statement.setBoolean(9, true);    // AUTOLOCK
            statement.setInt(10, kDefaultFontHeight);
            statement.setInt(11, 0);          // FONTWIDTH
            statement.setInt(12, 0);          // FONTESCAPEMENT
            statement.setInt(13, 0);          // FONTORIENTATION
            statement.setInt(14, kDefaultFontWeight);
            statement.setBoolean(15, false);  // FONTITALIC
            statement.setBoolean(16, false);  // FONTUNDERLINE
            statement.setBoolean(17, false);  // FONTSTRIKEOUT
            statement.setInt(18, kDefaultFontCharset);
            for (unsigned column = 19; column <= 22; ++column)   // precisions, quality, pitch and family
                statement.setInt(column, 0);
            statement.setString(23, kDefaultStoredFontName);
            statement.setInt64(24, int64Value(QColor(Qt::white)));
            statement.setInt(25, kDefaultSleepMinutes);
            statement.setInt(26, kDefaultMaxSleepMinutes);
            statement.setInt64(27, kDefaultPasswordGeneratorFlags);
            statement.setBoolean(28, false);  // CSAESENSITIVESEARCH
            statement.setBoolean(29, false);  // WHOLEWORDSEARCH
            statement.setInt(30, 0);          // HINTQNO
            statement.setBlob(31, empty);
            statement.setBlob(32, empty);
            statement.setInt(33, kDefaultLastView);
            statement.setBoolean(34, false);  // AUTOSUBMIT
            statement.setBoolean(35, false);  // SEARCHCOLUMN
            statement.setBoolean(36, false);  // CLEARCLIPBOARDONEXIT
            statement.setInt(37, kDefaultClearClipboardMinutes);
            statement.setBoolean(38, false);  // MINIMISETOSYSTRAY
            statement.setInt(39, 0);          // LOGINATTEMPTCOUNT
            statement.setInt64(40, kDefaultTipState);
            statement.setInt64(41, kDefaultTipState);
            // INSERT IGNORE turns a missing USERTABLE row into a warning: count what was written.
            return statement.executeUpdate() > 0 ? int(kOTVStatusOK) : int(kOTVStatusNothingWritten);
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
    if (returnCode)
        *returnCode = status;
}

void OTVDataBase::readUserPreferenceForTableForUser(OTVUser& user, int* returnCode)
{
    bool found = false;
    int status = runGuarded(
        [&] {
            readPreferenceRow(user, &found);
            return int(kOTVStatusOK);
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
    if (status != kOTVStatusOK) {
        setCode(returnCode, status);
        return;
    }
    if (found)
        status = readColoumWidthInfoForType(user.mCurrentType());
    const int recentLists = readRecentListsForUser(user.mUserID());
    setCode(returnCode, status != kOTVStatusOK ? status : recentLists);
}

// Columns by their position in the table (the order of "SELECT *").
void OTVDataBase::readPreferenceRow(OTVUser& user, bool* found)
{
    OTVStatement statement = prepare(kQuerySelectAppPreferences);
    statement.setString(1, user.mUserID());
    OTVResultSet rows = statement.executeQuery();
    *found = rows.next();
    if (!*found)
        return;

    // Everything is read before the user changes, so that a failure leaves it as it was.
    OTVUser read = user;
    read.setMUserID(rows.getString(1u));
    read.setMUsername(rows.getString(2u));
    read.setMCurrentType(rows.getString(3u));
    read.setMCurrentGroup(rows.getString(4u));
    const QSizeF screen = OTVMainScreenSize();
    read.setMWindowPosition(
        OTVFrameFromWindowPositionText(rows.getString(5u), screen)
            .value_or(OTVUser::defaultFrame(screen.width(), screen.height())));
    read.setMSortingInfo(OTVSortInfoFromStored(rows.getInt64(6u)));
    read.setMShowDetailOnPane(rows.getBoolean(7u));
    read.setMDetailPanelWidth(qint16(rows.getInt(8u)));
    read.setMAutoLOck(rows.getBoolean(9u));
    read.setMRowColor(colorFromInt64(rows.getInt64(24u)));
    read.setMLockTime(qint16(rows.getInt(25u)));
    read.setMMAxLockTime(qint16(rows.getInt(26u)));
    read.setMPwdGenFlag(quint8(rows.getInt64(27u)));
    read.setMHintQuestionNumber(qint16(rows.getInt(30u)));
    // HINTQANSWER and HINTQUESTION hold ciphertext: the hint operations read them when asked.
    read.setMHintAnswer(QString());
    read.setMHintEntered(QString());
    read.setMLastView(qint16(rows.getInt(33u)));
    read.setMAutoSubmit(rows.getBoolean(34u));
    read.setMClipBoardOnExit(rows.getBoolean(36u));
    read.setMClearClipBoardTimer(qint16(rows.getInt(37u)));
    // Clearing switched off is stored as neither at exit nor after some minutes.
    read.setMClearClipboardState(read.mClipBoardOnExit() || read.mClearClipBoardTimer() != 0);
    read.setMLoginAttemptCount(qint16(rows.getInt(39u)));

    QFont font = OTVFontFromStoredName(rows.getString(23u)).value_or(QFont(kFallbackFontName));
    const int fontHeight = rows.getInt(10u);
    font.setPointSizeF(fontHeight > 0 ? float(fontHeight) : float(kDefaultFontHeight));
    read.setMTextFont(font);

    user = read;
}

void OTVDataBase::saveBasicPreferencesForUser(const OTVUser& user, int* returnCode)
{
    // Asks the desktop first, before the store lock is taken.
    const QString windowPosition = getWindowDimensionsInWindowsStandard(user.mWindowPosition());
    const int status = runGuarded([&] {
        // At quit there is nobody left to tell about a lost connection.
        try {
            OTVStatement statement = prepare(kQueryUpdateBasicPreferences);
            statement.setString(1, windowPosition);
            statement.setInt(2, user.mDetailPanelWidth());
            statement.setString(3, user.mUserID());
            statement.executeUpdate();
            return int(kOTVStatusOK);
        } catch (...) {
            return int(kOTVStatusDatabaseError);
        }
    });
    setCode(returnCode, status);
}

void OTVDataBase::saveOptionPanelPreferencesForUser(const OTVUser& user, int* returnCode)
{
    const int status = runGuarded(
        [&] {
            const QFont font = user.mTextFont();
            const QString fontName = OTVStoredFontName(font, kFontNameColumnCharacters);
            if (fontName.isEmpty())
                throw OTVValueTooLong();
            const qreal points = font.pointSizeF() > 0 ? font.pointSizeF() : qreal(kDefaultFontHeight);
            const bool bold = fontName.contains(QLatin1String("Bold"), Qt::CaseInsensitive);
            const bool italic = fontName.contains(QLatin1String("Italic"), Qt::CaseInsensitive);

            OTVStatement statement = prepare(kQueryUpdateOptionPanelPreferences);
            statement.setBoolean(1, user.mAutoLOck());
            statement.setInt(2, int(points));   // whole points, toward zero
            statement.setInt(3, bold ? kBoldFontWeight : kOtherFontWeight);
            statement.setBoolean(4, italic);
            statement.setString(5, fontName);
            statement.setInt64(6, int64Value(user.mRowColor()));
            statement.setInt(7, user.mLockTime());
            statement.setInt(8, user.mMAxLockTime());
            statement.setBoolean(9, user.mAutoSubmit());
            statement.setBoolean(10, user.mClipBoardOnExit());
            statement.setInt(11, user.mClearClipBoardTimer());
            statement.setString(12, user.mUserID());
            statement.executeUpdate();
            return int(kOTVStatusOK);
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
    setCode(returnCode, status);
}

int OTVDataBase::saveOptionPanelPreferencesWithLayouts(const OTVUser& user, const QStringList& layoutTypeUIDs)
{
    return runGuarded([&] {
        return runInTransaction([&] {
            for (const QString& typeUID : layoutTypeUIDs) {
                if (const int status = setShowColumnsInListViewForTypeName(typeUID))
                    return status;
            }
            int status = kOTVStatusOK;
            saveOptionPanelPreferencesForUser(user, &status);
            return status;
        });
    });
}

// ---------------------------------------------------------------------------------------------
// Single columns

int OTVDataBase::saveUserPreferenceColumn(const char* sql, const OTVUser& user,
                                          const std::function<void(OTVStatement&)>& bindValue)
{
    return runGuarded(
        [&] {
            OTVStatement statement = prepare(sql);
            bindValue(statement);
            statement.setString(2, user.mUserID());
            statement.executeUpdate();
            return int(kOTVStatusOK);
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
}

int OTVDataBase::saveLastViewForUser(const OTVUser& user)
{
    return saveUserPreferenceColumn(UpdLastViewVal, user,
                                    [&](OTVStatement& s) { s.setInt(1, user.mLastView()); });
}

int OTVDataBase::saveCurrentGroupForUser(const OTVUser& user)
{
    return saveUserPreferenceColumn(UpdCurCatVal, user, [&](OTVStatement& s) {
        // UPDATE IGNORE would cut a longer text short.
        OTVCheckVarcharFits(user.mCurrentGroup(), kGroupColumnCharacters);
        s.setString(1, user.mCurrentGroup());
    });
}

int OTVDataBase::saveToggleInfoForUser(const OTVUser& user)
{
    return saveUserPreferenceColumn(UpdShowDetailPaneVal, user,
                                    [&](OTVStatement& s) { s.setInt64(1, user.mShowDetailOnPane() ? 1 : 0); });
}

int OTVDataBase::saveSortInfoForUser(const OTVUser& user)
{
    return saveUserPreferenceColumn(UpdSortInfoVal, user, [&](OTVStatement& s) {
        s.setInt64(1, OTVStoredSortInfo(user.mSortingInfo()));
    });
}

int OTVDataBase::savePasswordGeneratorFlagForUser(const OTVUser& user)
{
    return saveUserPreferenceColumn(UpdPwdGenFlagVal, user,
                                    [&](OTVStatement& s) { s.setInt64(1, user.mPwdGenFlag()); });
}

int OTVDataBase::saveNumberOfAttemptsForUser(const OTVUser& user)
{
    return saveUserPreferenceColumn(UpdLoginAtmptCntVal, user,
                                    [&](OTVStatement& s) { s.setInt64(1, user.mLoginAttemptCount()); });
}

// ---------------------------------------------------------------------------------------------
// Accessors on the logged-in user

std::shared_ptr<OTVUser> OTVDataBase::getCurrentUser() const
{
    return mCurrentUser();
}

bool OTVDataBase::autoLockEnabledWithInactiveTime(int* minutes, int* returnCode) const
{
    const std::shared_ptr<OTVUser> user = getCurrentUser();
    if (!user) {
        setCode(returnCode, kOTVStatusDatabaseError);
        return false;
    }
    if (minutes)
        *minutes = user->mLockTime();
    setCode(returnCode, kOTVStatusOK);
    return user->mAutoLOck();
}

int OTVDataBase::setToggleInfo(bool showDetailPane)
{
    return changeUser(getCurrentUser(), [&](OTVUser& user) {
        user.setMShowDetailOnPane(showDetailPane);
        return saveToggleInfoForUser(user);
    });
}

std::optional<SortSpec> OTVDataBase::sortDescriptor(int* returnCode) const
{
    return valueOfUser<std::optional<SortSpec>>(getCurrentUser(), returnCode, [](const OTVUser& user) {
        return user.mSortingInfo().value_or(kDefaultSortOrder);
    });
}

int OTVDataBase::setSortDescriptor(const std::optional<SortSpec>& sorting)
{
    return changeUser(getCurrentUser(), [&](OTVUser& user) {
        user.setMSortingInfo(sorting);
        return saveSortInfoForUser(user);
    });
}

quint8 OTVDataBase::passwordGeneratorFlags(int* returnCode) const
{
    return valueOfUser<quint8>(getCurrentUser(), returnCode, [](const OTVUser& user) { return user.mPwdGenFlag(); });
}

int OTVDataBase::setPasswordGeneratorFlags(quint8 flags)
{
    return changeUser(getCurrentUser(), [&](OTVUser& user) {
        user.setMPwdGenFlag(flags);
        return savePasswordGeneratorFlagForUser(user);
    });
}

qint16 OTVDataBase::numberofAttemptsLeft(int* returnCode) const
{
    return valueOfUser<qint16>(getCurrentUser(), returnCode,
                               [](const OTVUser& user) { return user.mLoginAttemptCount(); });
}

int OTVDataBase::setNumberofAttemptsLeft(int count, const std::shared_ptr<OTVUser>& user)
{
    return changeUser(user, [&](OTVUser& given) {
        given.setMLoginAttemptCount(qint16(count));
        return saveNumberOfAttemptsForUser(given);
    });
}

int OTVDataBase::setfont(const QFont& font)
{
    return changeUser(getCurrentUser(), [&](OTVUser& user) {
        user.setMTextFont(font);
        return int(kOTVStatusOK);
    });
}

// ---------------------------------------------------------------------------------------------
// The recent lists read with the preferences

// All three lists are read whatever one of them gives; the first failure is the status.
int OTVDataBase::readRecentListsForUser(const QString& userID)
{
    const int mostViewed = readMostViewedRecordIDForUser(userID);
    int recentlyViewed = kOTVStatusOK;
    readRecentlyViewedRecordIDForUser(userID, &recentlyViewed);
    int recentlyModified = kOTVStatusOK;
    readRecentlyModifiedRecordIDForUser(userID, &recentlyModified);
    for (const int status : {mostViewed, recentlyViewed, recentlyModified}) {
        if (status != kOTVStatusOK)
            return status;
    }
    return kOTVStatusOK;
}
