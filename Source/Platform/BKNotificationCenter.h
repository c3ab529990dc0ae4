#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <mutex>
#include <vector>

// Names of the notifications that the parts of the application post to each other.
inline const QString kDBCommunicationLostNotification = QStringLiteral("DB_COMM_LOST");
inline const QString kDBUserDeletedNotification = QStringLiteral("DB_USR_DEL");
inline const QString kExternalIconCreatedNotification = QStringLiteral("ExternalIconCreated");
inline const QString kAddExtractAttachmentMenuNotification = QStringLiteral("AddExtractAttachmentMenu");
inline const QString kPreferenceChangedNotification = QStringLiteral("Ostrel Preference Changed Notification");

struct BKNotification {
    QString name;
    QVariant object;
};

// A process-wide notification centre. Observers register for a name; a post calls every
// observer of that name synchronously, on the posting thread. An observer that touches
// widgets must hand its work to the main thread itself.
class BKNotificationCenter {
public:
    using Observer = std::function<void(const BKNotification&)>;
    using Token = unsigned long;

    static BKNotificationCenter& defaultCenter();

    // `owner` groups observers so that an object can remove all of its own at once.
    Token addObserver(const QString& name, const void* owner, Observer observer);
    void removeObserver(Token token);
    void removeObserversOf(const void* owner);

    void postNotification(const QString& name, const QVariant& object = {});

private:
    struct Registration {
        Token token;
        QString name;
        const void* owner;
        Observer observer;
    };

    std::mutex mutex_;
    std::vector<Registration> registrations_;
    Token nextToken_ = 1;
};
