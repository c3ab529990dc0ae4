#include "BKMainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

bool BKIsMainThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

void BKPerformOnMainThreadAndWait(const std::function<void()>& work)
{
    if (BKIsMainThread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&work] { work(); },
                              Qt::BlockingQueuedConnection);
}

void BKPerformOnMainThread(std::function<void()> work)
{
    if (BKIsMainThread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}
