#include "Components/BrannockVideoConverter/Conversion.h"

#include "Components/BrannockVideoConverter/EncodingRuns.h"
#include "Components/BrannockVideoConverter/ErrorText.h"
#include "Components/BrannockVideoConverter/FfmpegLocation.h"
#include "Components/BrannockVideoConverter/InputKind.h"
#include "Components/BrannockVideoConverter/ItemListRenaming.h"
#include "Components/BrannockVideoConverter/PassLogFolder.h"
#include "Components/BrannockVideoConverter/PictureLoss.h"
#include "Components/BrannockVideoConverter/SourceEnd.h"
#include "Components/BrannockVideoConverter/SourcePreparation.h"
#include "Components/BrannockVideoConverter/StopSignals.h"
#include "Components/BrannockVideoConverter/TemporaryOutput.h"
#include "Components/BrannockVideoConverter/Translation.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>

namespace converter {
namespace {

constexpr std::size_t kMostErrors = 10;

bool sameFile(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The plan of the line, or nothing when the line or its input is refused.
std::optional<Plan> readLine(const std::vector<std::string> &arguments, Console &console) {
    const Translation translation = translate(arguments);
    if (const auto *refused = std::get_if<TranslationError>(&translation)) {
        console.error(refused->message);
        return std::nullopt;
    }
    const Plan &plan = std::get<Plan>(translation);
    // A source file is examined before anything opens it: a FIFO would keep
    // ffmpeg (and the probe) waiting for a writer for ever.
    if (plan.inputUrl != plan.input) {
        if (const std::string problem = inputKindProblem(inputKindOf(plan.input));
            !problem.empty()) {
            console.error(plan.input + ": " + problem);
            return std::nullopt;
        }
    }
    return plan;
}

// Only the output itself may be replaced, and only with -y.
bool outputMayBeWritten(const Plan &plan, Console &console) {
    struct stat existing {};
    if (::stat(plan.output.c_str(), &existing) != 0)
        return true;
    struct stat input {};
    if (S_ISDIR(existing.st_mode)) {
        console.error(plan.output + ": Is a directory");
        return false;
    }
    if (::stat(plan.input.c_str(), &input) == 0 && sameFile(existing, input)) {
        console.error(plan.input + ": the output would replace the input file");
        return false;
    }
    if (!plan.overwrite) {
        console.error("File '" + plan.output + "' already exists. Exiting.");
        return false;
    }
    return true;
}

// The names of what reads the source: its demuxer and its streams' codecs.
std::vector<std::string> sourceReaders(const SourceFacts &facts) {
    std::vector<std::string> names{facts.format, facts.videoCodec};
    for (const std::vector<SourceTrack> *tracks : {&facts.audio, &facts.subtitles}) {
        for (const SourceTrack &track : *tracks)
            names.push_back(track.codec);
    }
    return names;
}

// The line that says why the conversion failed as a whole, where it can be
// told: ffmpeg took more memory than it may, or could not read the source.
std::string failureSummary(const RunResult &result, const Plan &plan,
                           const std::optional<SourceFacts> &facts) {
    if (result.outOfMemory)
        return plan.input + ": " +
               (!plan.subtitlesDrawn ? "converting it needs"
                                                  : "the subtitles to burn in need") +
               " more memory than a conversion may take (" +
               std::to_string(memoryCeiling() / (1024 * 1024)) + " MB)";
    if (facts && inputUnreadable(result.errors, sourceReaders(*facts)))
        return plan.input + ": the file is damaged or incomplete";
    return {};
}

// ffmpeg's errors in the old words, at most kMostErrors of them, then the
// summary, which the application shows for the file.
void reportFailure(const RunResult &result, const Plan &plan, const ErrorText &errorText,
                   const std::optional<SourceFacts> &facts, Console &console) {
    const std::string &output = plan.output;
    if (!result.startError.empty()) {
        console.error("ffmpeg could not be started: " + result.startError);
        return;
    }
    const std::string summary = failureSummary(result, plan, facts);
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
    if (messages.empty() && summary.empty()) {
        messages.push_back(
            WIFSIGNALED(result.status)
                ? "ffmpeg was ended by signal " + std::to_string(WTERMSIG(result.status))
                : "ffmpeg failed with exit status " + std::to_string(WEXITSTATUS(result.status)));
    }
    if (!summary.empty())
        messages.push_back(summary);
    for (const std::string &message : messages)
        console.error(message);
}

// Both passes, with their log in a folder of their own; nothing when that
// folder cannot be made.
std::optional<RunResult> encodeTwice(RunContext &context, const Plan &plan, OutputTarget &output,
                                     PassTimeline &timeline) {
    PassLogFolder passLog;
    std::string failure;
    if (!passLog.create(failure)) {
        context.console.error("Cannot create a folder for the pass log in " + temporaryFolder() +
                              ": " + failure);
        return std::nullopt;
    }
    RunResult result = runTwoPasses(context, plan, passLog.logPrefix(), output, timeline);
    // A pass log cut short by a full disk fails a pass in ffmpeg's words
    // ("Error submitting video frame to the encoder"): say which folder.
    if (!succeeded(result) && result.signal == 0) {
        if (const std::string full = passLogSpaceProblem(temporaryFolder(), passLog.freeBytes());
            !full.empty())
            context.console.error(full);
    }
    passLog.remove();
    return result;
}

// The converted file put in place: its items named, its size checked
// against -fitsize. Its size; nothing (the file gone, the reason printed)
// on failure.
std::optional<long long> commitOutput(const Plan &plan, TemporaryOutput &temporary,
                                      Console &console) {
    // Items ffmpeg cannot name are renamed in place; failing that, the file
    // keeps them under the names they were written with.
    renameItems(temporary.fd(), sortItemRenames(plan.tags, plan.muxer));
    const long long size = temporary.size();
    if (plan.fitSize && size > *plan.fitSize) {
        temporary.discard();
        console.error(plan.output + ": the converted file takes " + std::to_string(size) +
                      " bytes, more than the " + std::to_string(*plan.fitSize) + " it was given");
        return std::nullopt;
    }
    std::string failure;
    if (!temporary.commit(plan.overwrite, failure)) {
        console.error(plan.output + ": " + failure);
        return std::nullopt;
    }
    return size;
}

// The closing lines of a conversion that succeeded: the last progress line,
// a warning when the source ended early, and the summary.
void reportSuccess(const Plan &plan, const RunResult &result, long long committedSize,
                   const PassTimeline &timeline, std::optional<double> statedDuration,
                   Console &console) {
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
}

// The error for an output that lost its picture, or most of it (PictureLoss.h).
std::optional<std::string> pictureLost(const Plan &plan, const RunResult &result,
                                       const std::optional<SourceFacts> &facts) {
    if (!facts)
        return std::nullopt;
    const long long frames = result.last ? result.last->frame.value_or(0) : 0;
    const double reached = result.last ? static_cast<double>(result.last->outTimeUs) / 1e6 : 0.0;
    return pictureLossError(plan, *facts, frames, reached);
}

// Runs ffmpeg for the prepared plan and puts the output in place; the exit status.
int encode(RunContext &context, Plan &plan, TemporaryOutput &temporary, PreparedSource &prepared) {
    OutputTarget output{temporary.ffmpegUrl(kOutputFd), temporary.isUnnamed() ? temporary.fd() : -1,
                        temporary};
    const ErrorText errorText(plan.inputUrl, plan.input, output.url, plan.output);
    PassTimeline timeline;
    std::optional<RunResult> result;
    if (plan.twoPass)
        result = encodeTwice(context, plan, output, timeline);
    else
        result = runOnePass(context, plan, output);
    prepared.removeFolders();
    if (!result) {
        temporary.discard();
        return 1;
    }
    if (result->signal != 0) {
        temporary.discard();
        endBySignal(result->signal);
    }
    if (!succeeded(*result)) {
        temporary.discard();
        reportFailure(*result, plan, errorText, prepared.facts, context.console);
        return 1;
    }
    if (const std::optional<std::string> lost = pictureLost(plan, *result, prepared.facts)) {
        temporary.discard();
        context.console.error(*lost);
        return 1;
    }
    const std::optional<long long> committedSize = commitOutput(plan, temporary, context.console);
    if (!committedSize)
        return 1;
    reportSuccess(plan, *result, *committedSize, timeline,
                  prepared.facts ? prepared.facts->duration : std::nullopt, context.console);
    return 0;
}

} // namespace

int runConversion(const std::vector<std::string> &arguments) {
    RunContext context;
    std::optional<Plan> plan = readLine(arguments, context.console);
    if (!plan)
        return 1;
    const std::optional<std::string> ffmpeg = findFfmpeg();
    if (!ffmpeg) {
        context.console.error("ffmpeg not found: install the ffmpeg package");
        return 1;
    }
    context.ffmpeg = *ffmpeg;
    context.memoryCeiling = memoryCeiling();
    if (!outputMayBeWritten(*plan, context.console))
        return 1;

    installStopSignals();
    stopWithParent();
    TemporaryOutput temporary;
    std::string failure;
    // An unnamed file needs the muxer named, since ffmpeg cannot see the extension.
    if (!temporary.create(plan->output, !plan->muxer.empty(), failure)) {
        context.console.error(plan->output + ": " + failure);
        return 1;
    }
    PreparedSource prepared;
    plan = prepareForSource(context, *plan, prepared);
    if (!plan) {
        temporary.discard();
        return 1;
    }
    return encode(context, *plan, temporary, prepared);
}

} // namespace converter
