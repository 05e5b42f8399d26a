#pragma once

#include "Components/BrannockVideoConverter/SourceFacts.h"
#include "Components/BrannockVideoConverter/Translation.h"

#include <optional>
#include <string>

// A source whose picture ffmpeg cannot read (its sample tables spoilt, its
// timing broken) converts without an error from ffmpeg: into sound only, or
// into a picture of a frame or two. The converter compares the frames
// written with those the source states for the part converted and fails
// such a conversion:
//   "<in>: the picture could not be read: the file is damaged or incomplete"
namespace converter {

// The error, or nothing when the output kept its picture: no picture is
// written, or the output holds at least a quarter of the frames expected.
// Expected are the source's frames (as its picture stream counts them over
// its length, else its average rate) over the seconds of picture the output
// reached, at most the line's own frame rate; where no rate is known, at
// least one frame. `frames` are the video frames written, `reachedSeconds`
// how far the output got.
std::optional<std::string> pictureLossError(const Plan &plan, const SourceFacts &facts,
                                            long long frames, double reachedSeconds);

} // namespace converter
