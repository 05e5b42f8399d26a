#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace converter {

// A program run as a child without a shell. It gets the parent-death signal
// SIGKILL, so it never outlives the converter, not even a SIGKILL of it.
class ChildProcess {
public:
    struct Descriptor {
        int parentFd; // open in the converter
        int childFd;  // the number the child sees it under
    };

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts `program` with `arguments` (argv[0] included). The child gets the
    // given descriptors and no others. On failure returns false and sets `error`.
    bool start(const std::string &program, const std::vector<std::string> &arguments,
               const std::vector<Descriptor> &descriptors, std::string &error);

    // Sends SIGKILL (when still running).
    void kill();
    // Asks the program to end (SIGTERM), so that it removes its own
    // temporary files, and sends SIGKILL when it has not ended within
    // `graceMs`. Returns the wait status.
    int stop(int graceMs);
    // Waits for the end; returns the wait status.
    int wait();

    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

} // namespace converter
