#pragma once

#include <functional>

class QObject;

// The end of the user's session or a kill (SIGTERM, SIGHUP, SIGINT) reaches `handler` on the
// main thread, through the event loop, so that the application can quit the ordinary way
// (its preferences saved, its private files removed). Once per process; `context` owns the
// watch and the handler runs only while it lives.
void BKWatchTerminationSignals(QObject* context, std::function<void()> handler);
