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

// The resident memory ffmpeg may take, unless $MOBIVERT_CONVERTER_MEMORY_MB
// names another ceiling: 1280 MB, which leaves the converter and what ffmpeg
// takes before it is stopped below 1.5 GB. Heavy ordinary conversions (4K HDR
// to 720p on 16 cores) take 1.1 GB; a subtitle script that asks for bitmaps
// of gigabytes takes what it is given.
long long memoryCeiling();

// What the runs of one conversion share.
struct RunContext {
    std::string ffmpeg;
    Console console;
    bool durationShown = false;  // the input's Duration line has been printed
    long long memoryCeiling = 0; // bytes of resident memory ffmpeg may take; 0 any
};

struct RunResult {
    int status = 0;
    int signal = 0; // a signal the converter got while ffmpeg ran
    std::string startError;
    std::vector<LogLine> errors;
    std::optional<ProgressRecord> last;
    std::optional<FinalSizes> sizes;
    bool outOfMemory = false; // stopped when it took more memory than it may
};

bool succeeded(const RunResult &result);

// Whether the run was cut short: ffmpeg could not start, a signal stopped
// the converter, or ffmpeg took more memory than it may.
bool interrupted(const RunResult &result);

// The descriptor number ffmpeg has the unnamed output under.
inline constexpr int kOutputFd = 4;

// One run of ffmpeg with `arguments` (without the program and its logging
// options); `outputFd` becomes its kOutputFd when not -1. It prints the
// input's Duration line once per conversion and progress lines at most every
// half second, placed on `timeline`. A signal to the converter ends it: at
// once, or after `stopGraceMs` of its own ending when that is not 0. Taking
// more resident memory than the context's ceiling (checked every 20 ms) ends
// it at once.
RunResult runFfmpeg(RunContext &context, const std::vector<std::string> &arguments, int outputFd,
                    const PassTimeline &timeline = {}, int stopGraceMs = 0);

} // namespace converter
