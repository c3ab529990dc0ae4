// The server side of the logged-in user's smart-type lists: most viewed, recently viewed and
// recently modified records (each also kept in memory, oldest first), and the recently added
// rows that nothing reads back.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"
#include "OTVRowsStatement.h"

#include "Model/OTVRecord.h"
#include "Model/OTVUser.h"

// ---------------------------------------------------------------------------------------------
// Reading

int OTVDataBase::readRecentList(const char* query, const QString& userID, QStringList& list)
{
    return runGuarded([&] {
        OTVStatement statement = prepare(query);
        statement.setString(1, userID);
        OTVResultSet rows = statement.executeQuery();
        QStringList recordUIDs;
        while (rows.next())
            recordUIDs.append(rows.getString(2));
        // A list read halfway would pass for the whole one.
        list = recordUIDs;
        return int(kOTVStatusOK);
    });
}

int OTVDataBase::readMostViewedRecordIDForUser(const QString& userID)
{
    return readRecentList(kQueryMostViewedTable, userID, mMostViewedRecords);
}

void OTVDataBase::readRecentlyViewedRecordIDForUser(const QString& userID, int* returnCode)
{
    const int status = readRecentList(kQueryRecentlyViewedTable, userID, mRecentlyViewedTypes);
    if (returnCode)
        *returnCode = status;
}

void OTVDataBase::readRecentlyModifiedRecordIDForUser(const QString& userID, int* returnCode)
{
    const int status = readRecentList(kQueryRecentlyModifiedTable, userID, mRecentlyMofifiedTypes);
    if (returnCode)
        *returnCode = status;
}

// ---------------------------------------------------------------------------------------------
// Adding

// The inserts of the lists ignore errors, so the server would cut a value short.
static void checkRecentListRow(const QString& userID, const QString& recordUID)
{
    OTVCheckVarcharFits(userID, kRecentListUserIDCharacters);
    OTVCheckVarcharFits(recordUID, kRecentListRecordIDCharacters);
}

int OTVDataBase::addToRecentList(const char* insertQuery, const char* trimQuery, const char* countQuery,
                                 QStringList& list, const QString& recordUID, const QString& userID)
{
    StoreLock lock(*this);
    const int checked = runGuarded([&] {
        checkRecentListRow(userID, recordUID);
        return int(kOTVStatusOK);
    });
    if (checked != kOTVStatusOK)
        return checked;

    // Make room for one: whatever the list holds (rows of other sessions, a list loaded longer
    // than the cap), it never grows past the cap.
    while (list.size() >= kRecentListCap)
        list.removeFirst();
    const int trimmed = runGuarded(
        [&] {
            OTVStatement count = prepare(countQuery);
            count.setString(1, userID);
            OTVResultSet rows = count.executeQuery();
            for (qint64 n = rows.next() ? rows.getInt64(1) : 0; n >= kRecentListCap; --n) {
                OTVStatement trim = prepare(trimQuery);
                trim.setString(1, userID);
                if (trim.executeUpdate() == 0)
                    break;
            }
            return int(kOTVStatusOK);
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
    const int inserted = runGuarded(
        [&] {
            OTVStatement insert = prepare(insertQuery);
            insert.setString(1, userID);
            insert.setString(2, recordUID);
            // The server ignores the row when the record or the user is gone; then it is not
            // listed either.
            if (insert.executeUpdate() > 0)
                list.append(recordUID);
            return int(kOTVStatusOK);
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
    return trimmed != kOTVStatusOK ? trimmed : inserted;
}

int OTVDataBase::addMostViewedRecordID(const QString& recordUID, const QString& userID)
{
    return addToRecentList(kQueryInsertMostViewedTable, kQueryRemoveFirstRowMostViewed, kQueryCountMostViewed,
                           mMostViewedRecords, recordUID, userID);
}

int OTVDataBase::addRecentlyViewedRecordID(const QString& recordUID, const QString& userID)
{
    return addToRecentList(kQueryInsertRecentlyViewedTable, kQueryRemoveFirstRowRecentlyViewed,
                           kQueryCountRecentlyViewed, mRecentlyViewedTypes, recordUID, userID);
}

int OTVDataBase::addRecentlyModifiedRecordID(const OTVRecord& record, const QString& userID)
{
    return addToRecentList(kQueryInsertRecentlyModifiedTable, kQueryRemoveFirstRowRecentlyModified,
                           kQueryCountRecentlyModified, mRecentlyMofifiedTypes, record.mRecordUID(), userID);
}

int OTVDataBase::addRecentlyAddedID(const QString& recordUID, const QString& userID)
{
    StoreLock lock(*this);
    if (mGatheredRows) {
        mGatheredRows->recentlyAdded.emplace_back(userID, recordUID);
        return kOTVStatusOK;
    }
    return insertRecentlyAddedRows({{userID, recordUID}});
}

int OTVDataBase::insertRecentlyAddedRows(const std::vector<std::pair<QString, QString>>& rows)
{
    StoreLock lock(*this);
    const int checked = runGuarded([&] {
        for (const auto& [userID, recordUID] : rows)
            checkRecentListRow(userID, recordUID);
        return int(kOTVStatusOK);
    });
    if (checked != kOTVStatusOK)
        return checked;
    constexpr size_t kRowsPerInsert = 500;
    return runGuarded(
        [&] {
            // The server ignores a row whose record or user is gone.
            for (size_t first = 0; first < rows.size(); first += kRowsPerInsert) {
                const size_t count = std::min(kRowsPerInsert, rows.size() - first);
                const std::string sql = OTVRowsStatement(kQueryInsertRecentlyAddedTable, int(count));
                OTVStatement insert = prepare(sql.c_str());
                for (size_t r = 0; r < count; ++r) {
                    insert.setString(unsigned(2 * r + 1), rows[first + r].first);
                    insert.setString(unsigned(2 * r + 2), rows[first + r].second);
                }
                insert.executeUpdate();
            }
            return int(kOTVStatusOK);
        },
        kOTVStatusDatabaseError, kOTVStatusDatabaseError);
}

// ---------------------------------------------------------------------------------------------
// Removing and reading back

int OTVDataBase::removeMostViewedRecordID(const QString& recordUID)
{
    if (recordUID.isNull())
        return kOTVStatusOK;
    return runGuarded([&] {
        OTVStatement statement = prepare(kQueryDeleteMostViewedTable);
        statement.setString(1, mCurrentUser_->mUserID());
        statement.setString(2, recordUID);
        statement.executeUpdate();
        mMostViewedRecords.removeAll(recordUID);
        return int(kOTVStatusOK);
    });
}

QStringList OTVDataBase::mostViewedRecords() const
{
    StoreLock lock(*this);
    return mMostViewedRecords;
}

QStringList OTVDataBase::recentlyViewedRecords() const
{
    StoreLock lock(*this);
    return mRecentlyViewedTypes;
}

QStringList OTVDataBase::recentlyModifiedRecords() const
{
    StoreLock lock(*this);
    return mRecentlyMofifiedTypes;
}
