#include "Components/BrannockVideoConverter/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace converter {
namespace {

// The lowest descriptor the child keeps aside while it arranges its own.
constexpr int kScratchFloor = 64;

[[noreturn]] void failInChild(int reportFd) {
    const int code = errno;
    [[maybe_unused]] const ssize_t written = ::write(reportFd, &code, sizeof code);
    ::_exit(127);
}

// Places the descriptors under the numbers the child sees them by; the
// highest of those numbers.
int placeDescriptors(const std::vector<ChildProcess::Descriptor> &descriptors, int reportFd) {
    // Copies above the final numbers first, so that no dup2() overwrites a
    // descriptor still to be placed.
    int scratch[16];
    const std::size_t count = descriptors.size() < 16 ? descriptors.size() : 16;
    for (std::size_t i = 0; i < count; ++i) {
        scratch[i] = ::fcntl(descriptors[i].parentFd, F_DUPFD_CLOEXEC, kScratchFloor);
        if (scratch[i] < 0)
            failInChild(reportFd);
    }
    int highest = 2;
    for (std::size_t i = 0; i < count; ++i) {
        if (::dup2(scratch[i], descriptors[i].childFd) < 0)
            failInChild(reportFd);
        highest = descriptors[i].childFd > highest ? descriptors[i].childFd : highest;
    }
    return highest;
}

// The child's side, between fork and exec: system calls only. What fails
// is written to `report` as an errno value.
[[noreturn]] void becomeProgram(const std::string &program, char *const *argv,
                                const std::vector<ChildProcess::Descriptor> &descriptors,
                                int report, pid_t parent) {
    const int reportFd = ::fcntl(report, F_DUPFD_CLOEXEC, kScratchFloor);
    if (reportFd < 0)
        ::_exit(127);
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0)
        failInChild(reportFd);
    if (::getppid() != parent)
        ::_exit(127); // the converter is already gone
    for (int number : {SIGTERM, SIGINT, SIGHUP, SIGPIPE})
        ::signal(number, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const int highest = placeDescriptors(descriptors, reportFd);
    // Whatever else is open (inherited from the converter's own parent)
    // closes on exec.
    ::syscall(SYS_close_range, static_cast<unsigned>(highest + 1), ~0U,
              static_cast<unsigned>(CLOSE_RANGE_CLOEXEC));
    ::execv(program.c_str(), argv);
    failInChild(reportFd);
}

} // namespace

ChildProcess::~ChildProcess() {
    if (m_pid > 0) {
        kill();
        wait();
    }
}

bool ChildProcess::start(const std::string &program, const std::vector<std::string> &arguments,
                         const std::vector<Descriptor> &descriptors, std::string &error) {
    // Everything the child needs is prepared here: between fork and exec it
    // makes system calls only.
    std::vector<char *> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        error = std::strerror(errno);
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (pid == 0) {
        ::close(report[0]);
        becomeProgram(program, argv.data(), descriptors, report[1], parent);
    }

    ::close(report[1]);
    int code = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &code, sizeof code);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    m_pid = pid;
    if (got == static_cast<ssize_t>(sizeof code)) {
        wait();
        error = std::strerror(code);
        return false;
    }
    return true;
}

void ChildProcess::kill() {
    if (m_pid > 0)
        ::kill(m_pid, SIGKILL);
}

int ChildProcess::stop(int graceMs) {
    int status = 0;
    if (m_pid <= 0)
        return status;
    ::kill(m_pid, SIGTERM);
    constexpr int stepMs = 10;
    for (int waited = 0; waited < graceMs; waited += stepMs) {
        const pid_t ended = ::waitpid(m_pid, &status, WNOHANG);
        if (ended == m_pid || (ended < 0 && errno != EINTR)) {
            m_pid = -1;
            return status;
        }
        ::usleep(stepMs * 1000);
    }
    kill();
    return wait();
}

int ChildProcess::wait() {
    int status = 0;
    if (m_pid <= 0)
        return status;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    return status;
}

} // namespace converter
