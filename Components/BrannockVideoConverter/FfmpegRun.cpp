#include "Components/BrannockVideoConverter/FfmpegRun.h"

#include "Components/BrannockVideoConverter/ChildProcess.h"
#include "Components/BrannockVideoConverter/StopSignals.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace converter {
namespace {

using Clock = std::chrono::steady_clock;

// The descriptor ffmpeg writes its progress records to.
constexpr int kProgressFd = 3;
constexpr auto kReportInterval = std::chrono::milliseconds(500);

// Reads ffmpeg's standard error: prints the input's Duration line once, keeps
// the errors and the closing figures.
class LogReader {
public:
    LogReader(RunResult &result, RunContext &context)
        : m_result(result)
        , m_context(context) {}

    void feed(std::string_view bytes) {
        m_partial.append(bytes);
        std::size_t begin = 0;
        std::size_t end;
        while ((end = m_partial.find_first_of("\r\n", begin)) != std::string::npos) {
            takeLine(std::string_view(m_partial).substr(begin, end - begin));
            begin = end + 1;
        }
        m_partial.erase(0, begin);
    }

    void finish() {
        if (!m_partial.empty())
            takeLine(m_partial);
        m_partial.clear();
    }

private:
    void takeLine(std::string_view raw) {
        if (raw.empty())
            return;
        LogLine line = parseLogLine(raw, m_level);
        m_level = line.level;
        if (isDurationLine(line.text) && !m_context.durationShown) {
            m_context.console.print(line.text + '\n');
            m_context.durationShown = true;
        } else if (std::optional<FinalSizes> sizes = parseFinalSizes(line.text)) {
            m_result.sizes = sizes;
        } else if (line.isError()) {
            m_result.errors.push_back(std::move(line));
        }
    }

    RunResult &m_result;
    RunContext &m_context;
    std::string m_partial;
    std::string m_level = "info";
};

// Prints progress lines from ffmpeg's records, at most one every half second;
// a record that comes sooner waits for its turn and gives way to a newer one.
class ProgressPrinter {
public:
    ProgressPrinter(RunResult &result, Console &console, const PassTimeline &timeline)
        : m_result(result)
        , m_console(console)
        , m_timeline(timeline) {}

    void feed(std::string_view bytes) {
        for (const ProgressRecord &record : m_parser.feed(bytes)) {
            m_result.last = record;
            if (record.end) {
                m_pending.reset(); // the last report is printed once the output is in place
            } else {
                m_pending = record;
                flushIfDue();
            }
        }
    }

    // Milliseconds until the waiting record is due, -1 when none waits.
    int waitMs() const {
        if (!m_pending)
            return -1;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            m_lastPrint + kReportInterval - Clock::now());
        return static_cast<int>(std::max<long long>(0, left.count() + 1));
    }

    void flushIfDue() {
        if (m_pending && (!m_printed || Clock::now() - m_lastPrint >= kReportInterval)) {
            m_console.print(
                progressLine(*m_pending, false, m_timeline.shown(m_pending->outTimeUs)));
            m_pending.reset();
            m_lastPrint = Clock::now();
            m_printed = true;
        }
    }

private:
    RunResult &m_result;
    Console &m_console;
    PassTimeline m_timeline;
    ProgressParser m_parser;
    std::optional<ProgressRecord> m_pending;
    Clock::time_point m_lastPrint;
    bool m_printed = false;
};

// How often the memory ffmpeg takes is looked at: memory a renderer runs
// away with grows by about a gigabyte a second.
constexpr int kMemoryCheckMs = 20;
constexpr long long kDefaultMemoryCeilingMb = 1280;

// The resident memory of a running process, from /proc/PID/statm.
class ResidentMemory {
public:
    explicit ResidentMemory(pid_t pid) {
        const std::string path = "/proc/" + std::to_string(pid) + "/statm";
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    ~ResidentMemory() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ResidentMemory(const ResidentMemory &) = delete;
    ResidentMemory &operator=(const ResidentMemory &) = delete;

    // Bytes; 0 when not known.
    long long bytes() const {
        char text[128];
        const ssize_t got = m_fd >= 0 ? ::pread(m_fd, text, sizeof text - 1, 0) : -1;
        if (got <= 0)
            return 0;
        text[got] = '\0';
        long long size = 0, resident = 0;
        if (std::sscanf(text, "%lld %lld", &size, &resident) != 2)
            return 0;
        return resident * ::sysconf(_SC_PAGESIZE);
    }

private:
    int m_fd = -1;
};

// Reads what is there; false at the end of the stream.
bool readInto(int fd, std::string &buffer) {
    char chunk[16384];
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0)
        return errno == EINTR || errno == EAGAIN;
    buffer.assign(chunk, static_cast<std::size_t>(got));
    return got > 0;
}

// The two pipes ffmpeg writes to: its standard error and its progress records.
struct Pipes {
    int error[2] = {-1, -1};
    int progress[2] = {-1, -1};

    bool open(std::string &failure) {
        if (::pipe2(error, O_CLOEXEC) != 0 || ::pipe2(progress, O_CLOEXEC) != 0) {
            failure = std::strerror(errno);
            closeAll();
            return false;
        }
        return true;
    }
    void closeWriteEnds() { closeBoth(error[1], progress[1]); }
    void closeReadEnds() { closeBoth(error[0], progress[0]); }
    void closeAll() {
        closeWriteEnds();
        closeReadEnds();
    }

private:
    static void closeBoth(int &first, int &second) {
        for (int *fd : {&first, &second}) {
            if (*fd >= 0)
                ::close(*fd);
            *fd = -1;
        }
    }
};

bool startFfmpeg(ChildProcess &child, const std::string &ffmpeg,
                 const std::vector<std::string> &arguments, int outputFd, const Pipes &pipes,
                 std::string &failure) {
    const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    std::vector<ChildProcess::Descriptor> descriptors{{nothing, STDIN_FILENO},
                                                      {nothing, STDOUT_FILENO},
                                                      {pipes.error[1], STDERR_FILENO},
                                                      {pipes.progress[1], kProgressFd}};
    if (outputFd >= 0)
        descriptors.push_back({outputFd, kOutputFd});
    std::vector<std::string> argv{
        ffmpeg,          "-nostdin", "-hide_banner", "-loglevel",
        "level+info",    "-nostats", "-progress",    "pipe:" + std::to_string(kProgressFd),
        "-stats_period", "0.5"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const bool started = child.start(ffmpeg, argv, descriptors, failure);
    if (nothing >= 0)
        ::close(nothing);
    return started;
}

// The poll timeout: until the waiting progress record is due, and no
// longer than the memory check allows.
int waitMs(const ProgressPrinter &progress, bool checkingMemory) {
    const int due = progress.waitMs();
    if (!checkingMemory)
        return due;
    return due < 0 ? kMemoryCheckMs : std::min(due, kMemoryCheckMs);
}

// Follows ffmpeg's two pipes to their end, or until a stop signal arrives or
// ffmpeg takes more memory than it may.
void followOutput(RunResult &result, RunContext &context, const PassTimeline &timeline,
                  const Pipes &pipes, pid_t pid) {
    LogReader log(result, context);
    ProgressPrinter progress(result, context.console, timeline);
    const ResidentMemory memory(pid);
    pollfd watched[3] = {
        {stopSignalFd(), POLLIN, 0}, {pipes.error[0], POLLIN, 0}, {pipes.progress[0], POLLIN, 0}};
    std::string chunk;
    while (watched[1].fd >= 0 || watched[2].fd >= 0) {
        const int ready = ::poll(watched, 3, waitMs(progress, context.memoryCeiling > 0));
        if (ready < 0 && errno != EINTR)
            break;
        if (context.memoryCeiling > 0 && memory.bytes() > context.memoryCeiling) {
            result.outOfMemory = true;
            break;
        }
        if (ready <= 0) {
            progress.flushIfDue();
            continue;
        }
        if ((watched[0].revents & POLLIN) != 0 && (result.signal = pendingStopSignal()) != 0)
            break;
        if (watched[1].revents != 0) {
            if (readInto(watched[1].fd, chunk))
                log.feed(chunk);
            else
                watched[1].fd = -1;
        }
        if (watched[2].revents != 0) {
            if (readInto(watched[2].fd, chunk))
                progress.feed(chunk);
            else
                watched[2].fd = -1;
        }
        progress.flushIfDue();
    }
    log.finish();
}

void endFfmpeg(ChildProcess &child, RunResult &result, int stopGraceMs) {
    if (result.signal != 0 && stopGraceMs > 0) {
        result.status = child.stop(stopGraceMs);
        return;
    }
    if (result.signal != 0 || result.outOfMemory)
        child.kill();
    result.status = child.wait();
}

} // namespace

long long memoryCeiling() {
    long long megabytes = kDefaultMemoryCeilingMb;
    if (const char *given = std::getenv("MOBIVERT_CONVERTER_MEMORY_MB"); given && *given) {
        char *end = nullptr;
        const long long value = std::strtoll(given, &end, 10);
        if (*end == '\0' && value > 0)
            megabytes = value;
    }
    return megabytes * 1024 * 1024;
}

bool succeeded(const RunResult &result) {
    return result.signal == 0 && result.startError.empty() && !result.outOfMemory &&
           WIFEXITED(result.status) && WEXITSTATUS(result.status) == 0;
}

bool interrupted(const RunResult &result) {
    return result.signal != 0 || !result.startError.empty() || result.outOfMemory;
}

RunResult runFfmpeg(RunContext &context, const std::vector<std::string> &arguments, int outputFd,
                    const PassTimeline &timeline, int stopGraceMs) {
    RunResult result;
    Pipes pipes;
    if (!pipes.open(result.startError))
        return result;
    ChildProcess child;
    const bool started =
        startFfmpeg(child, context.ffmpeg, arguments, outputFd, pipes, result.startError);
    pipes.closeWriteEnds();
    if (started)
        followOutput(result, context, timeline, pipes, child.pid());
    pipes.closeReadEnds();
    if (started)
        endFfmpeg(child, result, stopGraceMs);
    // A signal that came while ffmpeg was ending counts as well.
    if (result.signal == 0)
        result.signal = pendingStopSignal();
    return result;
}

} // namespace converter
