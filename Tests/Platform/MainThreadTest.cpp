#include "Platform/BKMainThread.h"
#include "Platform/BKWorker.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <atomic>

TEST(MainThread, RunsDirectlyWhenAlreadyOnTheMainThread)
{
    ASSERT_TRUE(BKIsMainThread());
    bool ran = false;
    BKPerformOnMainThreadAndWait([&] { ran = true; });
    EXPECT_TRUE(ran);   // no event loop turned: a queued call would still be pending here
}

TEST(MainThread, WorkerWaitsForWorkOnTheMainThread)
{
    QThread* mainThread = QCoreApplication::instance()->thread();
    std::atomic<bool> ranOnMain{false};
    std::atomic<bool> resultSeenByWorker{false};
    BKRunWorkerAndWait([&] {
        EXPECT_FALSE(BKIsMainThread());
        int result = 0;
        BKPerformOnMainThreadAndWait([&] {
            ranOnMain = QThread::currentThread() == mainThread;
            result = 42;
        });
        resultSeenByWorker = result == 42;   // the call returned only after the work was done
    });
    EXPECT_TRUE(ranOnMain);
    EXPECT_TRUE(resultSeenByWorker);
}

TEST(MainThread, AsynchronousPerformRunsLaterOnTheMainThread)
{
    std::atomic<bool> ran{false};
    BKRunWorkerAndWait([&] { BKPerformOnMainThread([&] { ran = BKIsMainThread(); }); });
    BKRunModalUntil([&] { return ran.load(); });
    EXPECT_TRUE(ran);
}

TEST(Worker, ThreadEndHookRunsOnTheWorkerAfterTheWork)
{
    std::atomic<int> step{0};
    std::atomic<bool> hookOnWorker{false};
    std::atomic<bool> done{false};
    BKDetachNewThread([&] { step = 1; },
                      [&] {
                          hookOnWorker = !BKIsMainThread() && step == 1;
                          done = true;
                      });
    BKRunModalUntilFlag(done);
    EXPECT_TRUE(hookOnWorker);
}

TEST(Worker, AnExceptionInTheWorkIsContainedAndTheWaitEnds)
{
    std::atomic<bool> hookRan{false};
    BKRunWorkerAndWait([] { throw std::runtime_error("lost connection"); }, [&] { hookRan = true; });
    BKRunModalUntil([&] { return hookRan.load(); });
    EXPECT_TRUE(hookRan);
}

// Quitting ends every event loop and makes new ones return at once; a wait for a worker must
// still last until the worker has ended, and serve the worker's calls to the main thread.
TEST(Worker, WaitOutlastsAQuitOfTheApplication)
{
    std::atomic<bool> finished{false};
    bool finishedWhenWaitEnded = false;
    bool mainThreadWorkRan = false;
    QTimer::singleShot(0, [&] {
        BKDetachNewThread([&] {
            QThread::msleep(100);
            BKPerformOnMainThreadAndWait([&] { mainThreadWorkRan = true; });
            finished = true;
        });
        QCoreApplication::quit();
        BKRunModalUntilFlag(finished);
        finishedWhenWaitEnded = finished;
    });
    QCoreApplication::exec();
    EXPECT_TRUE(finishedWhenWaitEnded);
    EXPECT_TRUE(mainThreadWorkRan);
}
