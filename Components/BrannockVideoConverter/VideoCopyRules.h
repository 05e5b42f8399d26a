#pragma once

#include "Components/BrannockVideoConverter/SourceFacts.h"
#include "Components/BrannockVideoConverter/StreamCoding.h"
#include "Components/BrannockVideoConverter/Translation.h"

#include <optional>
#include <string>

// Whether the source's video already is what the line would encode for the
// device, so that it can go into the output as it is: same coding family,
// a profile and level the device decodes, no larger, faster or richer than
// the line asks for. The rules are checked in the order of CopyBar; the
// first one the source breaks is the verdict.
namespace converter {

enum class CopyBar {
    None,            // the video is copied
    NotApplicable,   // no picture to convert, or the source has none
    Asked,           // -alwaysencode, -twopass or -fitsize: encoded on purpose
    Encoder,         // the target's coding is another, or one never copied
    Profile,         // an H.264 or MPEG-4 profile the target does not allow
    Level,           // above the line's -level, or unknown
    BFrames,         // B-frames where the target has none
    Picture,         // the line crops or filters the picture, or subtitles are drawn into it
    FrameSize,       // wider or taller than the line's -s, or no -s
    PixelShape,      // pixels that are not square
    Rotation,        // turned for display
    PixelFormat,     // other than 8-bit 4:2:0
    Interlaced,      // interlaced, or deinterlacing asked for
    Hdr,             // PQ or HLG
    FrameRate,       // faster than the line's -r, or no -r
    ReferenceFrames, // more than the level allows at that size (the PSP: 3)
    BitRateUnknown,  // the stream's bit rate or its peaks are not known (yet): measure them
    BitRate,         // above the line's -b, or no -b
    FramePeak,       // some second holds more frames than the line's -r
    BitRatePeak,     // some second holds more bits than the line's -maxrate and -bufsize allow
};

struct VideoCopyVerdict {
    CopyBar bar = CopyBar::None;
    std::string reason; // for the log; empty when copied

    bool copy() const { return bar == CopyBar::None; }
};

// The verdict for a probed source. `plan` is the line's plan adapted to the
// source (SourceAdaptation.h), which says whether subtitles are drawn;
// `measured` is the field order a sample showed, where the file did not say.
VideoCopyVerdict judgeVideoCopy(const Plan &plan, const SourceFacts &facts,
                                const VideoCoding &coding,
                                std::optional<FieldOrder> measured = std::nullopt);

} // namespace converter
