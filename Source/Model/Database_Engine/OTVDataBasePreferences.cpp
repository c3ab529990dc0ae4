// The user's preference row (APPPREFTABLE): creation with the defaults, the login read, the
// savers and the accessors on the logged-in user.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"

#include "Model/Ciphers/OTVColorValue.h"
#include "Model/OTVUID.h"
#include "Model/OTVUser.h"

namespace {

// Column sizes of APPPREFTABLE that a written text must fit.
constexpr int kUserIDColumnCharacters = 16;
constexpr int kUserNameColumnCharacters = 40;

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
