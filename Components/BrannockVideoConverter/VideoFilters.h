#pragma once

#include "Components/BrannockVideoConverter/Geometry.h"
#include "Components/BrannockVideoConverter/SourceFacts.h"

#include <optional>
#include <string>

namespace converter {

// Everything the video filter chain of one conversion does, in the order it
// does it: deinterlace the source, make its pixels square (only where rows
// are cropped, which are counted in the picture as shown), crop, scale, burn
// subtitles in, map HDR to standard range, pad, square pixels, and last the
// output frame rate (a filter, so that dropped or repeated frames keep their
// times and the picture stays with the sound).
struct VideoFilters {
    std::optional<FieldOrder> deinterlace; // Unknown: the frames' own flags decide
    bool squarePixels = false;
    Geometry geometry;
    std::string subtitleFile; // text subtitles to burn in (an .ass file)
    double subtitleShift = 0; // seconds the input was entered at (-ss), for the subtitles
    Transfer toneMap = Transfer::Standard;
    bool primariesAssumed = false; // the source's HDR primaries, not tagged, taken as BT.2020
    bool matrixAssumed = false;    // the same for its matrix
    std::string userFilter;        // -vf of the line itself
    std::string frameRate;         // -r of the line
    bool fillStart = false;        // the picture starts after the sound: repeat its first frame

    // The -vf value; empty when there is nothing to do.
    std::string chain() const;

private:
    std::string subtitles() const;   // the subtitles drawn, empty for none
    std::string toneMapping() const; // HDR to standard range, empty for none
};

// A file name as one value of a filter option, escaped for the option and
// for the filter graph.
std::string filterPath(const std::string &path);

} // namespace converter
