#pragma once

#include "Components/BrannockVideoConverter/FfmpegRun.h"
#include "Components/BrannockVideoConverter/TemporaryOutput.h"
#include "Components/BrannockVideoConverter/Translation.h"

#include <string>

// The runs of ffmpeg that write a conversion's output: one pass, or two
// passes with the second run again while it misses its target.
namespace converter {

// Where ffmpeg writes the output.
struct OutputTarget {
    std::string url;       // what ffmpeg opens
    int fd = -1;           // the unnamed file ffmpeg inherits; -1 for a named one
    TemporaryOutput &file; // emptied before a run again
};

// One pass. A run that ffmpeg refused at start-up with the cover art runs
// again without it (and `plan` loses it); a single picture whose position
// lies beyond the end of a short clip is taken from its start.
RunResult runOnePass(RunContext &context, Plan &plan, OutputTarget &output);

// Both passes of a two-pass conversion, and the second again (at most
// twice) while its output misses the target. A run again that fails, or
// that moves the rate no closer (a picture that needs fewer bits than it is
// given), ends the repeats; the output is that of the last good rate. When
// the rate control gives up on the first second pass, the file is made in
// one pass, larger than asked for, as a single pass makes it. Returns the
// last run; progress lines follow `timeline`, which ends as the last run's.
// A second pass that ffmpeg refuses at start-up with the cover art runs
// again without it.
RunResult runTwoPasses(RunContext &context, const Plan &plan, const std::string &logPrefix,
                       OutputTarget &output, PassTimeline &timeline);

} // namespace converter
