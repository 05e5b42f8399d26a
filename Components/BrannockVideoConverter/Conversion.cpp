#include "Components/BrannockVideoConverter/Conversion.h"

#include "Components/BrannockVideoConverter/ChildProcess.h"
#include "Components/BrannockVideoConverter/CoverArt.h"
#include "Components/BrannockVideoConverter/CoverMaking.h"
#include "Components/BrannockVideoConverter/ErrorText.h"
#include "Components/BrannockVideoConverter/FfmpegLocation.h"
#include "Components/BrannockVideoConverter/FfmpegLog.h"
#include "Components/BrannockVideoConverter/InputKind.h"
#include "Components/BrannockVideoConverter/ItemListRenaming.h"
#include "Components/BrannockVideoConverter/PassLogFolder.h"
#include "Components/BrannockVideoConverter/ProgressReport.h"
#include "Components/BrannockVideoConverter/SideJob.h"
#include "Components/BrannockVideoConverter/SourceAdaptation.h"
#include "Components/BrannockVideoConverter/SourceEnd.h"
#include "Components/BrannockVideoConverter/SourceProbe.h"
#include "Components/BrannockVideoConverter/TemporaryOutput.h"
#include "Components/BrannockVideoConverter/Translation.h"
#include "Components/BrannockVideoConverter/TwoPass.h"
#include "Components/BrannockVideoConverter/VideoCopyChoice.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace converter {
namespace {

using Clock = std::chrono::steady_clock;

// The descriptors ffmpeg writes its progress records and the unnamed output to.
constexpr int kProgressFd = 3;
constexpr int kOutputFd = 4;
constexpr auto kReportInterval = std::chrono::milliseconds(500);
constexpr std::size_t kMostErrors = 10;
// How long ffmpeg may take to end by itself when a two-pass conversion is
// stopped: Xvid's second pass keeps a file of its own in /tmp, which only
// ffmpeg knows to remove.
constexpr int kStopGraceMs = 2000;

int g_signalPipe[2] = {-1, -1};

extern "C" void onSignal(int number) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

void installSignalHandlers() {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(number, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

// A signal that has arrived, 0 when none.
int pendingSignal() {
    unsigned char byte = 0;
    return ::read(g_signalPipe[0], &byte, 1) == 1 ? byte : 0;
}

[[noreturn]] void endBySignal(int number) {
    ::signal(number, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, number);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(number);
    ::_exit(128 + number);
}

// Standard error, written in whole messages so that a reader gets each line in
// one piece.
class Console {
public:
    void print(std::string_view text) {
        if (text.empty())
            return;
        while (!text.empty()) {
            const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return;
            m_lastCharacter = text[static_cast<std::size_t>(written) - 1];
            text.remove_prefix(static_cast<std::size_t>(written));
        }
    }

    // An error line ends with CR LF and starts a line of its own.
    void error(const std::string &message) {
        print((m_lastCharacter == '\r' ? "\n" : "") + message + "\r\n");
    }

    // A line of its own, after a progress line too.
    void line(const std::string &text) {
        print((m_lastCharacter == '\r' ? "\n" : "") + text + "\n");
    }

private:
    char m_lastCharacter = '\n';
};

struct RunResult {
    int status = 0;
    int signal = 0; // a signal the converter got while ffmpeg ran
    std::string startError;
    std::vector<LogLine> errors;
    std::optional<ProgressRecord> last;
    std::optional<FinalSizes> sizes;
};

bool succeeded(const RunResult &result) {
    return result.signal == 0 && result.startError.empty() && WIFEXITED(result.status) &&
           WEXITSTATUS(result.status) == 0;
}

// Reads ffmpeg's standard error: prints the input's Duration line once, keeps
// the errors and the closing figures.
class LogReader {
public:
    LogReader(RunResult &result, Console &console, bool &durationShown)
        : m_result(result)
        , m_console(console)
        , m_durationShown(durationShown) {}

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
        if (isDurationLine(line.text) && !m_durationShown) {
            m_console.print(line.text + '\n');
            m_durationShown = true;
        } else if (std::optional<FinalSizes> sizes = parseFinalSizes(line.text)) {
            m_result.sizes = sizes;
        } else if (line.isError()) {
            m_result.errors.push_back(std::move(line));
        }
    }

    RunResult &m_result;
    Console &m_console;
    bool &m_durationShown;
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

// Reads what is there; false at the end of the stream.
bool readInto(int fd, std::string &buffer) {
    char chunk[16384];
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0)
        return errno == EINTR || errno == EAGAIN;
    buffer.assign(chunk, static_cast<std::size_t>(got));
    return got > 0;
}

// One run of ffmpeg. A signal to the converter ends it: at once, or after
// `stopGraceMs` of its own ending when that is not 0.
RunResult runFfmpeg(const std::string &ffmpeg, const std::vector<std::string> &arguments,
                    int outputFd, Console &console, bool &durationShown,
                    const PassTimeline &timeline = {}, int stopGraceMs = 0) {
    RunResult result;
    int errorPipe[2];
    int progressPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
        result.startError = std::strerror(errno);
        return result;
    }
    if (::pipe2(progressPipe, O_CLOEXEC) != 0) {
        result.startError = std::strerror(errno);
        ::close(errorPipe[0]);
        ::close(errorPipe[1]);
        return result;
    }
    const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);

    std::vector<ChildProcess::Descriptor> descriptors{{nothing, STDIN_FILENO},
                                                      {nothing, STDOUT_FILENO},
                                                      {errorPipe[1], STDERR_FILENO},
                                                      {progressPipe[1], kProgressFd}};
    if (outputFd >= 0)
        descriptors.push_back({outputFd, kOutputFd});
    std::vector<std::string> argv{
        ffmpeg,          "-nostdin", "-hide_banner", "-loglevel",
        "level+info",    "-nostats", "-progress",    "pipe:" + std::to_string(kProgressFd),
        "-stats_period", "0.5"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());

    ChildProcess child;
    const bool started = child.start(ffmpeg, argv, descriptors, result.startError);
    ::close(errorPipe[1]);
    ::close(progressPipe[1]);
    if (nothing >= 0)
        ::close(nothing);

    LogReader log(result, console, durationShown);
    ProgressPrinter progress(result, console, timeline);
    pollfd watched[3] = {{g_signalPipe[0], POLLIN, 0},
                         {started ? errorPipe[0] : -1, POLLIN, 0},
                         {started ? progressPipe[0] : -1, POLLIN, 0}};
    std::string chunk;
    while (watched[1].fd >= 0 || watched[2].fd >= 0) {
        const int ready = ::poll(watched, 3, progress.waitMs());
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0) {
            progress.flushIfDue();
            continue;
        }
        if ((watched[0].revents & POLLIN) != 0) {
            if ((result.signal = pendingSignal()) != 0)
                break;
        }
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
    ::close(errorPipe[0]);
    ::close(progressPipe[0]);

    if (started) {
        if (result.signal != 0 && stopGraceMs > 0) {
            result.status = child.stop(stopGraceMs);
        } else {
            if (result.signal != 0)
                child.kill();
            result.status = child.wait();
        }
    }
    // A signal that came while ffmpeg was ending counts as well.
    if (result.signal == 0)
        result.signal = pendingSignal();
    return result;
}

// Whether a run that failed may have failed for the cover art (CoverArt.h):
// then `plan` loses its cover, the console says so, and the run is to be
// made again.
bool leftOutCover(const RunResult &result, Plan &plan, Console &console) {
    if (succeeded(result) || result.signal != 0 || !result.startError.empty() ||
        !mayHaveRefusedCover(plan, result.last))
        return false;
    plan = withoutCoverArt(plan);
    console.line("Adapted to the source: no cover art could be added");
    return true;
}

void reportFailure(const RunResult &result, const ErrorText &errorText, const std::string &output,
                   Console &console) {
    if (!result.startError.empty()) {
        console.error("ffmpeg could not be started: " + result.startError);
        return;
    }
    std::vector<std::string> messages;
    // ffmpeg is stopped by the kernel, without a word of its own, when the
    // output grows past the size this process may write.
    if (WIFSIGNALED(result.status) && WTERMSIG(result.status) == SIGXFSZ)
        messages.push_back(output + ": " + std::strerror(EFBIG));
    for (const LogLine &line : result.errors) {
        std::string message = errorText.translate(line);
        if (!message.empty() &&
            std::find(messages.begin(), messages.end(), message) == messages.end())
            messages.push_back(std::move(message));
        if (messages.size() == kMostErrors)
            break;
    }
    if (messages.empty()) {
        messages.push_back(
            WIFSIGNALED(result.status)
                ? "ffmpeg was ended by signal " + std::to_string(WTERMSIG(result.status))
                : "ffmpeg failed with exit status " + std::to_string(WEXITSTATUS(result.status)));
    }
    for (const std::string &message : messages)
        console.error(message);
}

// Whether ffmpeg's rate control gave up on a rate the picture cannot be
// squeezed into, even at its coarsest quantiser.
bool rateControlGaveUp(const RunResult &result) {
    return std::any_of(result.errors.begin(), result.errors.end(), [](const LogLine &line) {
        // "[lavc rc] Error: bitrate too low for this video ...", or
        // "requested bitrate is too low" before the pass begins.
        return line.text.find("bitrate") != std::string::npos &&
               line.text.find("too low") != std::string::npos;
    });
}

// Both passes of a two-pass conversion, and the second again (at most
// twice) while its output misses the target. A run again that fails, or
// that moves the rate no closer (a picture that needs fewer bits than it is
// given), ends the repeats; the output is that of the last good rate. When
// the rate control gives up on the first second pass, the file is made in
// one pass, larger than asked for, as a single pass makes it. Returns the
// last run; progress lines follow `timeline`, which ends as the last run's.
// A second pass that ffmpeg refuses at start-up with the cover art runs
// again without it.
RunResult runTwoPasses(const std::string &ffmpeg, Plan plan, const std::string &logPrefix,
                       const std::string &outputUrl, int outputFd, TemporaryOutput &temporary,
                       Console &console, bool &durationShown, PassTimeline &timeline) {
    timeline = {1, 0};
    RunResult result = runFfmpeg(ffmpeg, passArguments(plan, 1, logPrefix, "/dev/null"), -1,
                                 console, durationShown, timeline, kStopGraceMs);
    if (!succeeded(result))
        return result;
    timeline = PassTimeline::secondPass(result.last ? result.last->outTimeUs : 0);
    Plan current = plan;
    std::optional<Plan> lastGood;
    double lastVideoBytes = 0;
    // Each run after the first second pass goes on from where the last got to.
    const auto carryOn = [&] {
        if (result.last)
            timeline.runAgain(result.last->outTimeUs);
    };
    const auto runAgain = [&](const Plan &again) {
        carryOn();
        temporary.truncate();
        return runFfmpeg(ffmpeg, passArguments(again, 2, logPrefix, outputUrl), outputFd, console,
                         durationShown, timeline, kStopGraceMs);
    };
    for (int repeat = 0;; ++repeat) {
        if (repeat > 0)
            carryOn();
        result = runFfmpeg(ffmpeg, passArguments(current, 2, logPrefix, outputUrl), outputFd,
                           console, durationShown, timeline, kStopGraceMs);
        if (repeat == 0 && leftOutCover(result, plan, console)) {
            current = plan;
            result = runAgain(current);
        }
        const bool stopped = result.signal != 0 || !result.startError.empty();
        if (!succeeded(result) && !stopped) {
            if (lastGood)
                return runAgain(*lastGood);
            if (rateControlGaveUp(result)) {
                carryOn();
                temporary.truncate();
                return runFfmpeg(ffmpeg, ffmpegArguments(plan, outputUrl), outputFd, console,
                                 durationShown, timeline, kStopGraceMs);
            }
        }
        if (!succeeded(result) || repeat == kMostSecondPassRepeats || !result.sizes ||
            !result.last || !current.videoBitRate)
            return result;
        // The cover art counts as video in ffmpeg's figures.
        const double videoBytes = result.sizes->videoKb * 1024 - plan.coverBytes;
        // More bits asked for, hardly more spent: the picture needs no more.
        if (lastGood && *current.videoBitRate > *lastGood->videoBitRate &&
            videoBytes < lastVideoBytes * 1.02)
            return result;
        const SecondPassOutcome outcome{*current.videoBitRate, videoBytes,
                                        static_cast<double>(result.last->outTimeUs) / 1e6,
                                        temporary.size()};
        const std::optional<long long> rate = correctedBitRate(plan, outcome);
        if (!rate)
            return result;
        lastGood = current;
        lastVideoBytes = videoBytes;
        current = withVideoBitRate(plan, *rate);
        temporary.truncate();
    }
}

// Measures on a sample whether the picture is interlaced.
std::optional<FieldOrder> measureInterlacing(const std::string &ffmpeg, const Plan &plan) {
    std::vector<std::string> arguments{"-loglevel", "info"};
    if (!plan.seek.empty())
        arguments.insert(arguments.end(), {"-ss", plan.seek});
    arguments.insert(arguments.end(), {"-i", plan.inputUrl, "-map", "0:V:0", "-vf", "idet",
                                       "-frames:v", "100", "-an", "-sn", "-dn", "-f", "null", "-"});
    int status = 0;
    return parseInterlaceDetection(runSideJob(ffmpeg, arguments, status));
}

// Takes a text subtitle track out of the source as an .ass file.
bool extractSubtitles(const std::string &ffmpeg, const Plan &plan, int track,
                      const std::string &file) {
    int status = 0;
    runSideJob(ffmpeg,
               {"-loglevel", "error", "-y", "-i", plan.inputUrl, "-map",
                "0:s:" + std::to_string(track - 1), "-c:s", "ass", "-f", "ass", file},
               status);
    struct stat written {};
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && ::stat(file.c_str(), &written) == 0 &&
           written.st_size > 0;
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

bool sameFile(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

int runConversion(const std::vector<std::string> &arguments) {
    Console console;
    const Translation translation = translate(arguments);
    if (const auto *refused = std::get_if<TranslationError>(&translation)) {
        console.error(refused->message);
        return 1;
    }
    Plan plan = std::get<Plan>(translation);

    // A source file is examined before anything opens it: a FIFO would keep
    // ffmpeg (and the probe) waiting for a writer for ever.
    if (plan.inputUrl != plan.input) {
        if (const std::string problem = inputKindProblem(inputKindOf(plan.input));
            !problem.empty()) {
            console.error(plan.input + ": " + problem);
            return 1;
        }
    }

    const std::optional<std::string> ffmpeg = findFfmpeg();
    if (!ffmpeg) {
        console.error("ffmpeg not found: install the ffmpeg package");
        return 1;
    }

    // Only the output itself may be replaced, and only with -y.
    struct stat existing {};
    if (::stat(plan.output.c_str(), &existing) == 0) {
        struct stat input {};
        if (S_ISDIR(existing.st_mode)) {
            console.error(plan.output + ": Is a directory");
            return 1;
        }
        if (::stat(plan.input.c_str(), &input) == 0 && sameFile(existing, input)) {
            console.error(plan.input + ": the output would replace the input file");
            return 1;
        }
        if (!plan.overwrite) {
            console.error("File '" + plan.output + "' already exists. Exiting.");
            return 1;
        }
    }

    installSignalHandlers();
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
    TemporaryOutput temporary;
    std::string failure;
    // An unnamed file needs the muxer named, since ffmpeg cannot see the extension.
    if (!temporary.create(plan.output, !plan.muxer.empty(), failure)) {
        console.error(plan.output + ": " + failure);
        return 1;
    }
    // What the source needs: read only where the input is a file ffmpeg
    // opens itself, and only a picture or sound to convert asks for it.
    PassLogFolder subtitleFolder;
    PassLogFolder coverFolder;
    std::optional<double> statedDuration;
    if (plan.inputOptions.empty() &&
        (!plan.videoEncoder.empty() || plan.soundEncoded || plan.singlePicture)) {
        if (const std::optional<SourceFacts> facts = probeSource(plan.input)) {
            statedDuration = facts->duration;
            std::optional<FieldOrder> measured;
            if (needsInterlaceDetection(plan, *facts))
                measured = measureInterlacing(*ffmpeg, plan);
            SourceDecisions decisions = decide(plan, *facts, measured);
            std::string subtitleFile;
            if (decisions.subtitles && !decisions.subtitles->picture) {
                std::string ignored;
                if (subtitleFolder.create(ignored))
                    subtitleFile = subtitleFolder.logPrefix() + "-subtitles.ass";
                if (subtitleFile.empty() ||
                    !extractSubtitles(*ffmpeg, plan, decisions.subtitles->number, subtitleFile)) {
                    // Subtitles that cannot be carried never fail a conversion.
                    decisions.notes.push_back("subtitles could not be read: none burnt in");
                    decisions.subtitles.reset();
                    subtitleFile.clear();
                }
            }
            plan = adapt(plan, decisions, subtitleFile);
            plan = withSourceCover(*ffmpeg, plan, *facts, coverFolder, decisions.notes);
            if (!decisions.notes.empty())
                console.print("Adapted to the source: " + describe(decisions) + "\n");
            if (const std::optional<VideoCopy> copy =
                    chooseVideoCopy(plan, *facts, measured, decisions.sound)) {
                plan = copyingPlan(plan, *copy);
                announceVideoCopy(*copy);
            }
        }
    }

    const std::string outputUrl = temporary.ffmpegUrl(kOutputFd);
    const int outputFd = temporary.isUnnamed() ? temporary.fd() : -1;
    const ErrorText errorText(plan.inputUrl, plan.input, outputUrl, plan.output);

    bool durationShown = false;
    PassTimeline timeline;
    PassLogFolder passLog;
    RunResult result;
    if (plan.twoPass) {
        if (!passLog.create(failure)) {
            temporary.discard();
            console.error("Cannot create a folder for the pass log in " + temporaryFolder() + ": " +
                          failure);
            return 1;
        }
        result = runTwoPasses(*ffmpeg, plan, passLog.logPrefix(), outputUrl, outputFd, temporary,
                              console, durationShown, timeline);
        // A pass log cut short by a full disk fails a pass in ffmpeg's words
        // ("Error submitting video frame to the encoder"): say which folder.
        if (!succeeded(result) && result.signal == 0) {
            if (const std::string full =
                    passLogSpaceProblem(temporaryFolder(), passLog.freeBytes());
                !full.empty())
                console.error(full);
        }
        passLog.remove();
    } else {
        result =
            runFfmpeg(*ffmpeg, ffmpegArguments(plan, outputUrl), outputFd, console, durationShown);
        if (leftOutCover(result, plan, console)) {
            temporary.truncate();
            result = runFfmpeg(*ffmpeg, ffmpegArguments(plan, outputUrl), outputFd, console,
                               durationShown);
        }
        if (succeeded(result) && plan.singlePicture && !plan.seek.empty() &&
            temporary.size() == 0) {
            // The position lies beyond the end of a short clip: the first picture will do.
            result = runFfmpeg(*ffmpeg, ffmpegArguments(plan, outputUrl, false), outputFd, console,
                               durationShown);
        }
    }
    subtitleFolder.remove();
    coverFolder.remove();
    if (result.signal != 0) {
        temporary.discard();
        endBySignal(result.signal);
    }
    if (!succeeded(result)) {
        temporary.discard();
        reportFailure(result, errorText, plan.output, console);
        return 1;
    }
    // Items ffmpeg cannot name are renamed in place; failing that, the file
    // keeps them under the names they were written with.
    renameItems(temporary.fd(), sortItemRenames(plan.tags, plan.muxer));
    const long long committedSize = temporary.size();
    if (plan.fitSize && committedSize > *plan.fitSize) {
        temporary.discard();
        console.error(plan.output + ": the converted file takes " + std::to_string(committedSize) +
                      " bytes, more than the " + std::to_string(*plan.fitSize) + " it was given");
        return 1;
    }
    if (!temporary.commit(plan.overwrite, failure)) {
        console.error(plan.output + ": " + failure);
        return 1;
    }
    if (result.last) {
        ProgressRecord last = *result.last;
        if (!last.totalSize) // muxers that write their own files (image2) report no size
            last.totalSize = committedSize;
        console.print(progressLine(last, true, timeline.shown(last.outTimeUs)));
    }
    // The converted part is kept; the warning names the input, which the
    // application reads as a problem of that file.
    if (const std::optional<std::string> early =
            earlyEndWarning(plan, statedDuration,
                            result.last ? static_cast<double>(result.last->outTimeUs) / 1e6 : 0.0))
        console.error(*early);
    console.print(summaryLine(result.sizes.value_or(FinalSizes{})));
    return 0;
}

} // namespace converter
