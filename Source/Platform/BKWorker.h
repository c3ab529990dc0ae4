#pragma once

#include <atomic>
#include <functional>

// Long work runs on a detached worker thread while the main thread waits in an event loop,
// so that the interface keeps drawing and the worker can perform work on the main thread.

// Starts `work` on a new detached thread. `atThreadEnd`, when given, runs on that thread after
// `work` (the store ends the database client's per-thread state there). Exceptions that escape
// `work` are caught and logged: a worker never takes the process down.
void BKDetachNewThread(std::function<void()> work, std::function<void()> atThreadEnd = {});

// Runs an event loop on the calling (main) thread until `done` returns true, polling every
// millisecond. Never blocks the thread in a sleep or a thread join. A quit of the application
// does not end the wait early.
void BKRunModalUntil(const std::function<bool()>& done);

// Convenience: waits for a completion flag set by a worker.
void BKRunModalUntilFlag(const std::atomic<bool>& flag);

// Starts `work` on a worker thread and waits in an event loop until it has finished.
void BKRunWorkerAndWait(std::function<void()> work, std::function<void()> atThreadEnd = {});
