#pragma once

#include "Components/BrannockVideoConverter/ProgressRecord.h"
#include "Components/BrannockVideoConverter/Translation.h"

#include <optional>
#include <string>
#include <vector>

// Cover art: the picture a converted file carries, and what a single-picture
// output shows with -cover. It is the source's own cover where it has one,
// else a frame about a tenth of the way in that is not black, written as a
// JPEG of at most kCoverLongSide pixels on its long side, upright and with
// square pixels.
namespace converter {

inline constexpr int kCoverLongSide = 600;

// Where the picture comes from: the source's cover stream, else a frame at
// a position in seconds; with `keyFrame`, the first key frame from there on,
// which is read without decoding the frames before it.
struct CoverOrigin {
    std::optional<int> stream;
    double position = 0;
    bool keyFrame = false;
};

// The ffmpeg arguments that write the picture to `file` and print the mean
// luma of the frame (parseMeanLuma).
std::vector<std::string> coverExtractionArguments(const std::string &inputUrl,
                                                  const CoverOrigin &origin,
                                                  const std::string &file);

// The positions to try for a frame, in seconds: a tenth of the way in, then
// steps forward (a second, or a fiftieth of a long source) up to a fifth of
// the way, at most kMostCoverTries of them. From the start when the length
// is unknown.
std::vector<double> coverFramePositions(std::optional<double> duration);
inline constexpr int kMostCoverTries = 5;

// The mean luma (0-255) the extraction printed; nothing when it printed none.
std::optional<double> parseMeanLuma(const std::string &log);

// Whether a frame of that mean luma is black (a fade, a title card's ground).
bool looksBlack(double meanLuma);

// Whether the output carries cover art: an MP4 or M4V file with a picture
// whose streams the converter chooses, written in one go (-shortest would
// end the file with the cover's single frame).
bool carriesCoverArt(const Plan &plan);

// The plan with `file` added as the cover art stream of the output.
Plan withCoverArt(const Plan &plan, const std::string &file);

// The plan without the cover art stream.
Plan withoutCoverArt(const Plan &plan);

// Whether a run of ffmpeg that failed, whose last progress record was
// `last`, may have failed for the cover art and should run again without:
// the plan carried a cover and ffmpeg ended before it wrote any picture,
// refusing its options at start-up (an option of the line's that the cover's
// stream cannot take).
bool mayHaveRefusedCover(const Plan &plan, const std::optional<ProgressRecord> &last);

// The single-picture plan showing `file` instead of a frame of the source,
// fitted into the picture's size keeping its shape, with black bars.
Plan showingCover(const Plan &plan, const std::string &file);

} // namespace converter
