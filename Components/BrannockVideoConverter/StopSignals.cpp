#include "Components/BrannockVideoConverter/StopSignals.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/prctl.h>
#include <unistd.h>

namespace converter {
namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void onSignal(int number) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

// Whether the process runs: it exists and has not ended (a process that
// has ended stays as a zombie until its parent, or init, collects it).
bool processRuns(pid_t pid) {
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno != ENOENT;
    char text[512];
    const ssize_t size = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (size <= 0)
        return true;
    // "pid (name) S ...": the state follows the last parenthesis.
    const std::string_view stat(text, static_cast<std::size_t>(size));
    const std::size_t close = stat.rfind(')');
    return close == std::string_view::npos || close + 2 >= stat.size() ||
           (stat[close + 2] != 'Z' && stat[close + 2] != 'X');
}

} // namespace

void installStopSignals() {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(number, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

int stopSignalFd() {
    return g_signalPipe[0];
}

int pendingStopSignal() {
    unsigned char byte = 0;
    return ::read(g_signalPipe[0], &byte, 1) == 1 ? byte : 0;
}

void endBySignal(int number) {
    ::signal(number, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, number);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(number);
    ::_exit(128 + number);
}

void stopWithParent() {
    // In a batch the converter's parent is the shell that runs it. Should
    // that shell end first (the application that ran it was killed), the
    // conversion stops as on a cancel instead of running on unseen.
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        ::raise(SIGTERM);
    // The shell may have ended before that, while the program was still
    // being loaded (ffmpeg's libraries take a few tens of milliseconds). A
    // batch shell of Mobivert's leads the process group of everything it
    // runs (and says so); once it is gone, nobody follows this conversion.
    if (const char *batch = std::getenv("MOBIVERT_BATCH_SHELL"); batch && *batch == '1') {
        if (const pid_t group = ::getpgrp(); group != ::getpid() && !processRuns(group))
            ::raise(SIGTERM);
    }
}

} // namespace converter
