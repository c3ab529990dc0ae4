// The event log: writing entries (from any thread), reading them with the vault, the lists of
// the event-log window, and the monthly rotation into CSV backup files.
#include "OTVDataBase.h"

#include "OTVDataBaseQueries.h"
#include "OTVRowsStatement.h"

#include "Model/OTVUser.h"
#include "Model/vRX/CEventLoggerBackupCreator.h"
#include "Platform/BKApplicationServices.h"
#include "Platform/BKLocalization.h"
#include "Platform/BKUserDefaults.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cppconn/exception.h>

#include <algorithm>
#include <stdexcept>

namespace {

// The kind of list the backup writer is given: the event log.
constexpr int kEventLogBackupKind = 2;

// An entry as stored: NAME, ACTION (not read), DESCRIPTION, DATE, USERNAME, SYSTEMNAME.
EventLogEntry storedEntry(const OTVResultSet& row)
{
    EventLogEntry entry;
    entry.insert(kEvent, row.getString(1));
    entry.insert(kDescription, row.getString(3));
    entry.insert(kDate, row.getString(4));
    entry.insert(kUser, row.getString(5));
    entry.insert(kComputer, row.getString(6));
    return entry;
}

bool isSameMonth(const QDate& a, const QDate& b)
{
    return a.year() == b.year() && a.month() == b.month();
}

// A failure of the backup that keeps the rows; its text goes to the user.
class BackupFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Writing entries

int OTVDataBase::addLogEvent(const QString& event, const QString& description, const QString& action,
                             const QString& userName)
{
    const EventLogEntry entry = newLogEntry(event, description, action, userName);
    const int status = saveLogsArrayToDatabase(entry);
    listLogEntry(entry);
    return status;
}

EventLogEntry OTVDataBase::newLogEntry(const QString& event, const QString& description, const QString& action,
                                       const QString& userName)
{
    QString user = userName;
    if (user.isEmpty()) {
        StoreLock lock(*this);
        if (mCurrentUser_)
            user = mCurrentUser_->mUsername();
    }
    EventLogEntry entry;
    entry.insert(kDate, eventLogDateText());
    entry.insert(kEvent, event);
    entry.insert(kDescription, description.isNull() ? QStringLiteral("") : description);
    entry.insert(kAction, action.isNull() ? QStringLiteral("") : action);
    // With nobody logged in the entry is still stored, under an empty user name: an audit trail
    // that drops such entries would hide them.
    entry.insert(kUser, user.isNull() ? QStringLiteral("") : user);
    // The account's name is read from the system once: a run of entries would read it for each.
    static const QString computer = BKFullUserName();
    entry.insert(kComputer, computer);
    return entry;
}

void OTVDataBase::listLogEntry(const EventLogEntry& entry)
{
    {
        StoreLock lock(*this);
        if (mHeldLogEntries) {
            mHeldLogEntries->push_back(entry);
            return;
        }
    }
    mEventLogWindowList_.append(entry);
}

OTVDataBase::HeldLogEntries::HeldLogEntries(OTVDataBase& store, std::vector<EventLogEntry>& held)
    : store_(store), previous_(store.mHeldLogEntries)
{
    store_.mHeldLogEntries = &held;
}

OTVDataBase::HeldLogEntries::~HeldLogEntries()
{
    store_.mHeldLogEntries = previous_;
}

int OTVDataBase::saveLogsArrayToDatabase(const EventLogEntry& entry)
{
    return runEventLogWrite([&] {
        // The insert ignores errors, so the server would store a zero date or cut a text short.
        // Entries come in runs of one moment: its date is read once.
        const QString date = entry.value(kDate);
        if (date != mLastValidLogDate) {
            if (!BKEventLogDate(date).isValid())
                throw std::invalid_argument("an event-log entry without a valid date");
            mLastValidLogDate = date;
        }
        OTVCheckVarcharFits(entry.value(kEvent), kEventLoggerNameCharacters);
        OTVCheckVarcharFits(entry.value(kDescription), kEventLoggerDescriptionCharacters);
        OTVCheckVarcharFits(entry.value(kUser), kEventLoggerNameCharacters);
        OTVCheckVarcharFits(entry.value(kComputer), kEventLoggerNameCharacters);
        if (mGatheredRows) {
            mGatheredRows->logEntries.push_back(entry);
            return int(kOTVStatusOK);
        }
        insertLogEntries(&entry, 1);
        return int(kOTVStatusOK);
    });
}

void OTVDataBase::insertLogEntries(const EventLogEntry* entries, size_t count)
{
    // Descriptions run to 4,096 characters: a few hundred of them keep the packet small.
    constexpr size_t kEntriesPerInsert = 200;
    constexpr unsigned kParameters = 6;
    for (size_t first = 0; first < count; first += kEntriesPerInsert) {
        const size_t rows = std::min(kEntriesPerInsert, count - first);
        const std::string sql = OTVRowsStatement(KQueryInsertEventLoggerTable, int(rows));
        OTVStatement statement = prepare(sql.c_str());
        for (size_t r = 0; r < rows; ++r) {
            const EventLogEntry& entry = entries[first + r];
            const unsigned base = unsigned(r) * kParameters;
            statement.setString(base + 1, entry.value(kEvent));
            statement.setString(base + 2, QString::fromLatin1(kEventLoggerActionColumnText));
            statement.setString(base + 3, entry.value(kDescription));
            statement.setDateTime(base + 4, entry.value(kDate));
            statement.setString(base + 5, entry.value(kUser));
            statement.setString(base + 6, entry.value(kComputer));
        }
        statement.executeUpdate();
    }
}

OTVDataBase::GatheredRows::GatheredRows(OTVDataBase& store) : store_(store)
{
    store_.mGatheredRows = this;
}

OTVDataBase::GatheredRows::~GatheredRows()
{
    store_.mGatheredRows = nullptr;
}

int OTVDataBase::GatheredRows::write()
{
    store_.mGatheredRows = nullptr;
    const int added = store_.insertRecentlyAddedRows(recentlyAdded);
    if (!logEntries.empty()) {
        store_.runEventLogWrite([&] {
            store_.insertLogEntries(logEntries.data(), logEntries.size());
            return int(kOTVStatusOK);
        });
    }
    recentlyAdded.clear();
    logEntries.clear();
    return added;
}

// Like runGuarded, except that a failed write does not mark an enclosing transaction for
// rollback: logging an action must never undo it.
int OTVDataBase::runEventLogWrite(const std::function<int()>& body)
{
    StoreLock lock(*this);
    try {
        return body();
    } catch (const sql::SQLException& e) {
        reportDatabaseError(OTVDatabaseError::fromException(e));
        return statusOfDatabaseError(e.getErrorCode(), kOTVStatusDatabaseError);
    } catch (const OTVValueTooLong&) {
        return kOTVStatusValueTooLong;
    } catch (const std::exception& e) {
        qWarning() << "event log: the entry was not stored:" << e.what();
    } catch (...) {
        qWarning() << "event log: the entry was not stored";
    }
    return kOTVStatusDatabaseError;
}

// ---------------------------------------------------------------------------------------------
// Reading entries and the window's list

int OTVDataBase::readSaveLogsArrayToDatabase()
{
    StoreLock lock(*this);
    OTVStatement statement = prepare(KQuerySelectEventLoggerTable);
    OTVResultSet rows = statement.executeQuery();
    QList<EventLogEntry> entries;
    while (rows.next())
        entries.append(storedEntry(rows));
    mLogArray_.setEntries(entries);
    return kOTVStatusOK;
}

void OTVDataBase::reloadLogDatabase()
{
    mEventLogWindowList_.setEntries(mLogArray_.entries());
}

void OTVDataBase::clearLog()
{
    mEventLogWindowList_.clear();
}

// ---------------------------------------------------------------------------------------------
// Monthly rotation

void OTVDataBase::setEventLogClock(std::function<QDateTime()> clock)
{
    std::lock_guard<std::mutex> lock(mEventLogClockMutex);
    mEventLogClock = std::move(clock);
}

QDateTime OTVDataBase::eventLogNow() const
{
    std::function<QDateTime()> clock;
    {
        std::lock_guard<std::mutex> lock(mEventLogClockMutex);
        clock = mEventLogClock;
    }
    return clock ? clock() : QDateTime::currentDateTime();
}

QString OTVDataBase::eventLogDateText()
{
    std::function<QDateTime()> clock;
    {
        std::lock_guard<std::mutex> lock(mEventLogClockMutex);
        clock = mEventLogClock;
    }
    if (clock)
        return clock().toString(kEventLogDateFormat);
    // The text changes once a second; made anew for each entry, the local time's conversion
    // would cost a run of entries more than writing them.
    const qint64 second = QDateTime::currentSecsSinceEpoch();
    std::lock_guard<std::mutex> lock(mEventLogClockMutex);
    if (second != mEventLogDateSecond) {
        mEventLogDateText = QDateTime::fromSecsSinceEpoch(second).toString(kEventLogDateFormat);
        mEventLogDateSecond = second;
    }
    return mEventLogDateText;
}

QString OTVDataBase::eventLogBackupFileName(const QDate& logMonth, const QDate& today)
{
    // Month names in English whatever the system's language, as in every copy of the program.
    return QStringLiteral("%1-%2 (Created_On_%3).csv")
        .arg(QLocale::c().toString(logMonth, QStringLiteral("MMM")), logMonth.toString(QStringLiteral("yyyy")),
             today.toString(QStringLiteral("dd-MM-yyyy")));
}

int OTVDataBase::checkForMonthChangeInEventLoggerTable()
{
    // Other accounts may only read and add entries: an administrator's session rotates.
    if (!isAdministratorSession())
        return kOTVStatusOK;
    QString failure;
    const int status = runGuarded([&] {
        OTVStatement statement = prepare(kMinDateFromEventLoggerTable);
        OTVResultSet rows = statement.executeQuery();
        // An empty table (perhaps just rotated by another session) has nothing to rotate.
        if (!rows.next() || rows.isNull(kMinDateColumnLabel))
            return int(kOTVStatusOK);
        const QDate oldest = BKEventLogDate(rows.getString(kMinDateColumnLabel)).date();
        if (mLogArray_.count() == 0)
            return int(kOTVStatusOK);
        const QDate today = eventLogNow().date();
        if (oldest.isValid() && isSameMonth(oldest, today))
            return int(kOTVStatusOK);
        try {
            return rotateEventLog(oldest.isValid() ? oldest : today);
        } catch (const BackupFailure& e) {
            failure = QString::fromUtf8(e.what());
            return int(kOTVStatusOtherFailure);
        }
    });
    if (!failure.isEmpty()) {
        qWarning() << "event log:" << failure;
        const QString message = BKLocalizedString("Operation failed.") + QLatin1Char('\n') + failure;
        performOnMainThreadWhenUnlocked([message] { BKRunAlertPanel(QString(), message); });
    }
    return status;
}

// Writes every stored row to the month's backup file and then deletes exactly those rows. The
// rows stay locked from the read to the delete, so other sessions' new entries wait and are
// kept; when the file cannot be written, nothing is deleted. Throws BackupFailure.
int OTVDataBase::rotateEventLog(const QDate& logMonth)
{
    QString writtenPath;
    auto removeWrittenFile = [&writtenPath] {
        if (!writtenPath.isEmpty())
            QFile::remove(writtenPath);
    };
    int status = kOTVStatusOK;
    try {
        status = runInTransaction([&] {
            OTVStatement select = prepare(kSelectEventLoggerTableForBackup);
            OTVResultSet rows = select.executeQuery();
            QList<EventLogEntry> entries;
            QString newest;
            while (rows.next()) {
                entries.append(storedEntry(rows));
                newest = std::max(newest, entries.last().value(kDate));
            }
            if (newest.isEmpty())
                return int(kOTVStatusOK);   // gone meanwhile

            const QString folder =
                BKUserDefaults::standardUserDefaults().stringForKey(kEventLoggerDatabaseLocation);
            if (folder.isEmpty())
                throw BackupFailure("No folder is set for the event log's backups, so the log was kept.");
            if (!QDir().mkpath(folder))
                throw BackupFailure(
                    QStringLiteral("The folder %1 cannot be created, so the event log was kept.").arg(folder).toStdString());
            const QString path = QDir(folder).filePath(eventLogBackupFileName(logMonth, eventLogNow().date()));
            // An earlier backup of the same name holds rows that are no longer on the server.
            if (QFileInfo::exists(path))
                throw BackupFailure(
                    QStringLiteral("The backup file %1 exists already, so the event log was kept.").arg(path).toStdString());
            CEventLoggerBackupCreator creator(entries, kEventLogBackupKind);
            if (!creator.doBackupToPath(path))
                throw BackupFailure((creator.errorString() + QStringLiteral(", so the event log was kept.")).toStdString());
            writtenPath = path;
            if (QFileInfo(path).size() <= 0)
                throw BackupFailure(QStringLiteral("The backup file %1 is empty, so the event log was kept.").arg(path).toStdString());

            OTVStatement remove = prepare(kDeleteBackedUpLogsFromEventLoggerTable);
            remove.setDateTime(1, newest);
            remove.executeUpdate();
            return int(kOTVStatusOK);
        });
    } catch (...) {
        removeWrittenFile();
        throw;
    }
    if (status != kOTVStatusOK)
        removeWrittenFile();   // the rows stay on the server: the next start backs them up again
    return status;
}
