#pragma once

// The event log's entries and the guarded lists that hold them. Entries are written from any
// thread (worker threads log too), so every list here takes its own lock, and the interface
// learns of changes through a signal that reaches it queued on its own thread.

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include <mutex>

// One entry: texts under the keys below. New entries carry every key; entries read back from
// the table have no "Action" (that column is not stored).
using EventLogEntry = QMap<QString, QString>;

inline const QString kDate = QStringLiteral("Date");                 // "yyyy-MM-dd HH:mm:ss", local time
inline const QString kEvent = QStringLiteral("Event");               // e.g. "Add Type"
inline const QString kDescription = QStringLiteral("Description");   // the object concerned
inline const QString kAction = QStringLiteral("Action");             // the outcome, e.g. "Success"
// The outcome of a write that the server refused: such an entry is listed in the session that
// made it, never stored.
inline const QString kLogActionFailed = QStringLiteral("Failed");
inline const QString kUser = QStringLiteral("User");                 // the vault user
inline const QString kComputer = QStringLiteral("Computer");         // the operating-system user's full name

// The form of the "Date" text, and of the DATETIME text the server gives back.
inline const QString kEventLogDateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// A "Date" text as a local date and time; invalid when it is not in the entry form.
QDateTime BKEventLogDate(const QString& text);

// The full name of the operating-system account running the program (the GECOS name, else the
// login name).
QString BKFullUserName();

// A list of entries that any thread may read and change.
class BKEventLogList : public QObject {
    Q_OBJECT

public:
    BKEventLogList() = default;

    QList<EventLogEntry> entries() const;
    qsizetype count() const;

    void append(const EventLogEntry& entry);
    // Many at once, with one changed().
    void append(const QList<EventLogEntry>& entries);
    void setEntries(const QList<EventLogEntry>& entries);
    void clear();

signals:
    // After every change, on the thread that made it (never while the list is locked).
    // Receivers on the interface thread get it queued.
    void changed();

private:
    mutable std::mutex mutex_;
    QList<EventLogEntry> entries_;
};
