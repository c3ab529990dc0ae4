#include "OTVEventLog.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

QDateTime BKEventLogDate(const QString& text)
{
    return QDateTime::fromString(text, kEventLogDateFormat);
}

QString BKFullUserName()
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return QString::fromLocal8Bit(qgetenv("USER"));
    // The GECOS field is "Full Name,room,phone,...".
    const QString fullName = QString::fromLocal8Bit(found->pw_gecos ? found->pw_gecos : "").section(u',', 0, 0);
    return fullName.trimmed().isEmpty() ? QString::fromLocal8Bit(found->pw_name) : fullName;
}

QList<EventLogEntry> BKEventLogList::entries() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_;
}

qsizetype BKEventLogList::count() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
}

void BKEventLogList::append(const EventLogEntry& entry)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.append(entry);
    }
    emit changed();
}

void BKEventLogList::append(const QList<EventLogEntry>& entries)
{
    if (entries.isEmpty())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.append(entries);
    }
    emit changed();
}

void BKEventLogList::setEntries(const QList<EventLogEntry>& entries)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_ = entries;
    }
    emit changed();
}

void BKEventLogList::clear()
{
    setEntries({});
}
