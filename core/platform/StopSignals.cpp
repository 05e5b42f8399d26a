#include "core/platform/StopSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace StopSignals {

namespace {

int g_pipe[2] = {-1, -1};

void onSignal(int signalNumber) {
    // Only async-signal-safe work here: hand the number to the event loop.
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[0], &number, 1);
}

} // namespace

bool watch(std::function<void()> onStop, std::function<void()> onContinue) {
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return false;
    auto *notifier =
        new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [onStop = std::move(onStop), onContinue = std::move(onContinue)] {
                         unsigned char number = 0;
                         if (::read(g_pipe[1], &number, 1) != 1)
                             return;
                         if (number == SIGTSTP)
                             onStop();
                         else if (number == SIGCONT)
                             onContinue();
                     });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool installed = true;
    for (const int signalNumber : {SIGTSTP, SIGCONT})
        installed = ::sigaction(signalNumber, &action, nullptr) == 0 && installed;
    return installed;
}

void stopSelf() {
    // SIGSTOP cannot be caught, and stops an orphaned process group too.
    ::raise(SIGSTOP);
}

} // namespace StopSignals
