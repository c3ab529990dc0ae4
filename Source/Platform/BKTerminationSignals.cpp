#include "BKTerminationSignals.h"

#include <QDebug>
#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalSockets[2] = {-1, -1};

// Only async-signal-safe work here: the event loop does the rest.
void onSignal(int signalNumber)
{
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}

} // namespace

void BKWatchTerminationSignals(QObject* context, std::function<void()> handler)
{
    if (signalSockets[0] != -1)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0) {
        qWarning() << "termination signals are not watched: no socket pair";
        return;
    }
    auto* notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [handler = std::move(handler)] {
        char byte = 0;
        if (::read(signalSockets[1], &byte, 1) == 1)
            handler();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signalNumber, &action, nullptr);
}
