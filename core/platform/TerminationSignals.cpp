#include "core/platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace TerminationSignals {

namespace {

int g_pipe[2] = {-1, -1};
bool g_received = false;

void onSignal(int signalNumber) {
    // Only async-signal-safe work here: hand the number to the event loop.
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[0], &number, 1);
}

} // namespace

bool watch(std::function<void(int)> callback) {
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return false;

    // Owned by the application object, so it goes when the program ends
    // rather than being left behind.
    auto *notifier =
        new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [callback = std::move(callback)] {
                         unsigned char number = 0;
                         if (::read(g_pipe[1], &number, 1) == 1) {
                             g_received = true;
                             callback(number);
                         }
                     });

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool installed = true;
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        installed = ::sigaction(signalNumber, &action, nullptr) == 0 && installed;
    return installed;
}

bool received() {
    return g_received;
}

} // namespace TerminationSignals
