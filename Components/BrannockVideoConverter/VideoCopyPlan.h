#pragma once

#include "Components/BrannockVideoConverter/Translation.h"

#include <optional>
#include <string>

// A conversion that copies the source's video instead of encoding it, and
// the sound too where it suits: the line's plan without the video encoder,
// its tuned settings, filters and rate, size and profile options. Stream
// choices (-map), tags and other inputs stay as they are.
namespace converter {

struct VideoCopy {
    bool sound = false; // the sound track is copied as well: the file is only remuxed
    // A trimmed copy starts at the key frame at or before the line's -ss:
    // seconds from the file's start, and where the trim ends (none: the end).
    std::optional<double> cutFrom;
    std::optional<double> cutTo;
};

Plan copyingPlan(const Plan &plan, const VideoCopy &copy);

// The console line that says so: "Copied (already suits the device)", for a
// trim with "; cut at key frames: 00:00:04.800 to 00:00:11.000".
std::string copiedLine(const VideoCopy &copy);

// Seconds as "hh:mm:ss.mmm".
std::string clockTime(double seconds);

} // namespace converter
