#pragma once

#include <functional>

// Work that must run on the application's main thread (the thread of QCoreApplication).
// Both helpers call `work` directly when already on the main thread: a blocking queued call
// to one's own thread would deadlock. Without an application object there is no main loop,
// and the work runs on the calling thread.

bool BKIsMainThread();

// Runs `work` on the main thread and returns when it has finished.
void BKPerformOnMainThreadAndWait(const std::function<void()>& work);

// Queues `work` for the main thread and returns at once (runs it now when on the main thread).
void BKPerformOnMainThread(std::function<void()> work);
