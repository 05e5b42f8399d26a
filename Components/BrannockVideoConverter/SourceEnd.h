#pragma once

#include "Components/BrannockVideoConverter/Translation.h"

#include <optional>
#include <string>

// A source that ends before the length its container states (a download
// cut short, a copy from a failing disk) converts without an error from
// ffmpeg, into a shorter file. The converter compares where the output
// ended with where the source says it ends, and warns:
//   "<in>: converted, but the source ends early at 00:00:05 of 00:00:10
//    (damaged or incomplete)"
namespace converter {

// The warning, or nothing when the output reached the expected end (within
// a second, or 5 % of the length): the source's stated duration, or the
// end of the -ss/-t part asked for. `reachedSeconds` counts from the output's
// start.
std::optional<std::string> earlyEndWarning(const Plan &plan, std::optional<double> statedDuration,
                                           double reachedSeconds);

} // namespace converter
