#include "Components/BrannockVideoConverter/SideJob.h"

#include "Components/BrannockVideoConverter/ChildProcess.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace converter {

std::string runSideJob(const std::string &ffmpeg, const std::vector<std::string> &arguments,
                       int &status) {
    status = -1;
    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0)
        return {};
    const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    std::vector<std::string> argv{ffmpeg, "-nostdin", "-hide_banner", "-nostats"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildProcess child;
    std::string error;
    const bool started = child.start(
        ffmpeg, argv,
        {{nothing, STDIN_FILENO}, {nothing, STDOUT_FILENO}, {errorPipe[1], STDERR_FILENO}}, error);
    ::close(errorPipe[1]);
    if (nothing >= 0)
        ::close(nothing);
    std::string log;
    char chunk[16384];
    while (started) {
        const ssize_t got = ::read(errorPipe[0], chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        log.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(errorPipe[0]);
    if (started)
        status = child.wait();
    return log;
}

} // namespace converter
