#pragma once

#include "Components/BrannockVideoConverter/OptionValues.h"

#include <optional>
#include <string>

// The picture geometry of the old dialect (-s, -crop*, -pad*) as one chain of
// ffmpeg filters: crop, then scale, then pad, then square pixels.
namespace converter {

struct Margins {
    int top = 0;
    int bottom = 0;
    int left = 0;
    int right = 0;

    bool any() const { return top != 0 || bottom != 0 || left != 0 || right != 0; }
};

struct Geometry {
    Margins crop;                  // source rows and columns removed before scaling
    std::optional<FrameSize> size; // the picture size after scaling (inside the bars)
    Margins pad;                   // black bars added after scaling, in output pixels

    bool any() const { return crop.any() || size.has_value() || pad.any(); }

    // "crop=iw:ih-16:0:8,scale=320:240,setsar=1"; empty when there is nothing to do.
    std::string filterChain() const;
};

} // namespace converter
