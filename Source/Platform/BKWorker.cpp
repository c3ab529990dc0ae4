#include "BKWorker.h"

#include <QCoreApplication>
#include <QDebug>
#include <QEventLoop>
#include <QTimer>

#include <exception>
#include <memory>
#include <thread>

void BKDetachNewThread(std::function<void()> work, std::function<void()> atThreadEnd)
{
    std::thread([work = std::move(work), atThreadEnd = std::move(atThreadEnd)] {
        try {
            work();
        } catch (const std::exception& e) {
            qWarning() << "worker thread ended with an exception:" << e.what();
        } catch (...) {
            qWarning() << "worker thread ended with an unknown exception";
        }
        if (atThreadEnd)
            atThreadEnd();
    }).detach();
}

void BKRunModalUntil(const std::function<bool()>& done)
{
    if (done())
        return;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start();
    loop.exec();
    // A quit of the application ends every event loop (and new ones return at once), but the
    // worker still runs and may need this thread: keep serving events until it is done.
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void BKRunModalUntilFlag(const std::atomic<bool>& flag)
{
    BKRunModalUntil([&flag] { return flag.load(); });
}

void BKRunWorkerAndWait(std::function<void()> work, std::function<void()> atThreadEnd)
{
    auto finished = std::make_shared<std::atomic<bool>>(false);
    BKDetachNewThread(
        [work = std::move(work), finished] {
            try {
                work();
            } catch (...) {
                finished->store(true);
                throw;
            }
            finished->store(true);
        },
        std::move(atThreadEnd));
    BKRunModalUntilFlag(*finished);
}
