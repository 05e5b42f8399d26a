#pragma once

#include "Components/BrannockVideoConverter/Translation.h"

#include <optional>
#include <string>
#include <vector>

// Two passes over the video: the ffmpeg arguments of each, the time the
// progress lines show while they run, and whether the second must run again.
namespace converter {

// The ffmpeg arguments of pass 1 or 2. Both read the same frames (the same
// frame-rate mode) and share the pass log at `logPrefix`; the first encodes
// the video only, at full analysis, into nothing; the second writes
// `outputUrl`.
std::vector<std::string> passArguments(const Plan &plan, int pass, const std::string &logPrefix,
                                       const std::string &outputUrl);

// Which pass a run of ffmpeg is, and the output position its progress lines
// show. The conversion window and mobivert-cli measure a file's progress
// against its length, so the two passes share that length: the first fills
// its first half, the second the rest. A second pass run again fills what is
// left from where the last run got to, so that a file's progress never goes
// back.
struct PassTimeline {
    int pass = 0;         // 0: the only pass, shown as it is
    long long length = 0; // how far the first pass got, in microseconds
    long long from = 0;   // where the second pass starts showing

    static PassTimeline secondPass(long long length) { return {2, length, length / 2}; }
    long long shown(long long position) const;
    // The second pass runs again, after a run that got to `position`.
    void runAgain(long long position);
};

// What the second pass produced.
struct SecondPassOutcome {
    long long bitRate = 0;   // the -b:v it ran with, bits per second
    double videoBytes = 0;   // of the video stream
    double seconds = 0;      // the output's length
    long long fileBytes = 0; // of the whole output
};

// The -b:v for running the second pass again, or nothing when its output
// may stay. Without -fitsize the video must come within 2% of the line's -b
// (allowing for the kilobyte rounding of the encoder's figures); with it, the
// file must lie between 97% and 100% of the size, and another run aims at
// 98.5%. A video more than a quarter below what it should take stays: the
// picture needs no more. The rate reached never goes above the line's -maxrate, nor the rate
// asked for, but with Xvid, which stays well below what it is asked for.
std::optional<long long> correctedBitRate(const Plan &plan, const SecondPassOutcome &outcome);

// How often the second pass may run again.
constexpr int kMostSecondPassRepeats = 2;

} // namespace converter
