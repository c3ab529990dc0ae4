#include "Platform/BKMainThread.h"
#include "Platform/BKTerminationSignals.h"
#include "Platform/BKWorker.h"

#include <gtest/gtest.h>

#include <QObject>

#include <csignal>

// A kill or the end of the session reaches the handler on the main thread, once per signal,
// instead of ending the process on the spot.
TEST(TerminationSignals, EachSignalReachesTheHandlerThroughTheEventLoop)
{
    QObject context;
    QList<bool> calls;
    BKWatchTerminationSignals(&context, [&calls] { calls.append(BKIsMainThread()); });
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        const int before = int(calls.size());
        ASSERT_EQ(std::raise(signalNumber), 0);
        EXPECT_EQ(calls.size(), before);   // nothing runs inside the signal handler
        BKRunModalUntil([&] { return calls.size() > before; });
    }
    EXPECT_EQ(calls, (QList<bool>{true, true, true}));
}
