#pragma once

#include "Components/BrannockVideoConverter/Console.h"
#include "Components/BrannockVideoConverter/FfmpegLog.h"
#include "Components/BrannockVideoConverter/ProgressRecord.h"
#include "Components/BrannockVideoConverter/ProgressReport.h"
#include "Components/BrannockVideoConverter/TwoPass.h"

#include <optional>
#include <string>
#include <vector>

// One run of ffmpeg for a conversion: its progress records turned into the
// old progress lines, its errors kept, and a stop signal to the converter
// passed on to it.
namespace converter {

// What the runs of one conversion share.
struct RunContext {
    std::string ffmpeg;
    Console console;
    bool durationShown = false; // the input's Duration line has been printed
};

struct RunResult {
    int status = 0;
    int signal = 0; // a signal the converter got while ffmpeg ran
    std::string startError;
    std::vector<LogLine> errors;
    std::optional<ProgressRecord> last;
    std::optional<FinalSizes> sizes;
};

bool succeeded(const RunResult &result);

// Whether the run was cut short: ffmpeg could not start, or a signal stopped
// the converter.
bool interrupted(const RunResult &result);

// The descriptor number ffmpeg has the unnamed output under.
inline constexpr int kOutputFd = 4;

// One run of ffmpeg with `arguments` (without the program and its logging
// options); `outputFd` becomes its kOutputFd when not -1. It prints the
// input's Duration line once per conversion and progress lines at most every
// half second, placed on `timeline`. A signal to the converter ends it: at
// once, or after `stopGraceMs` of its own ending when that is not 0.
RunResult runFfmpeg(RunContext &context, const std::vector<std::string> &arguments, int outputFd,
                    const PassTimeline &timeline = {}, int stopGraceMs = 0);

} // namespace converter
