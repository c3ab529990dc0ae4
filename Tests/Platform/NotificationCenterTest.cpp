#include "Platform/BKMainThread.h"
#include "Platform/BKNotificationCenter.h"
#include "Platform/BKWorker.h"

#include <gtest/gtest.h>

#include <QThread>

TEST(NotificationCenter, DeliversToObserversOfTheNameOnly)
{
    BKNotificationCenter center;
    int lost = 0, deleted = 0;
    QVariant received;
    center.addObserver(kDBCommunicationLostNotification, this, [&](const BKNotification& n) {
        ++lost;
        received = n.object;
    });
    center.addObserver(kDBUserDeletedNotification, this, [&](const BKNotification&) { ++deleted; });

    center.postNotification(kDBCommunicationLostNotification, 2013);
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(received.toInt(), 2013);
    center.postNotification(QStringLiteral("Unobserved"));
    EXPECT_EQ(lost + deleted, 1);
}

TEST(NotificationCenter, RemovedObserversAreNotCalled)
{
    BKNotificationCenter center;
    int owned = 0, other = 0;
    int ownerA = 0, ownerB = 0;
    const auto token = center.addObserver(kExternalIconCreatedNotification, &ownerA,
                                          [&](const BKNotification&) { ++owned; });
    center.addObserver(kExternalIconCreatedNotification, &ownerA, [&](const BKNotification&) { ++owned; });
    center.addObserver(kExternalIconCreatedNotification, &ownerB, [&](const BKNotification&) { ++other; });

    center.removeObserver(token);
    center.postNotification(kExternalIconCreatedNotification, 1001);
    EXPECT_EQ(owned, 1);
    center.removeObserversOf(&ownerA);
    center.postNotification(kExternalIconCreatedNotification, 1002);
    EXPECT_EQ(owned, 1);
    EXPECT_EQ(other, 2);
}

TEST(NotificationCenter, DeliversOnThePostingThread)
{
    BKNotificationCenter center;
    QThread* observedOn = nullptr;
    center.addObserver(kExternalIconCreatedNotification, this,
                       [&](const BKNotification&) { observedOn = QThread::currentThread(); });
    QThread* worker = nullptr;
    BKRunWorkerAndWait([&] {
        worker = QThread::currentThread();
        center.postNotification(kExternalIconCreatedNotification, 1001);
    });
    EXPECT_EQ(observedOn, worker);
    EXPECT_FALSE(observedOn == QThread::currentThread());
}

TEST(NotificationCenter, AnObserverMayRemoveItselfWhileBeingCalled)
{
    BKNotificationCenter center;
    int calls = 0;
    BKNotificationCenter::Token token = 0;
    token = center.addObserver(kDBUserDeletedNotification, this, [&](const BKNotification&) {
        ++calls;
        center.removeObserver(token);
    });
    center.postNotification(kDBUserDeletedNotification);
    center.postNotification(kDBUserDeletedNotification);
    EXPECT_EQ(calls, 1);
}
