#pragma once

#include "Components/BrannockVideoConverter/OptionValues.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The encoder settings the converter picks for each family of video encoders,
// within what the devices the profiles write for can play.
namespace converter {

enum class EncoderFamily {
    Mpeg4,        // mpeg4: MPEG-4 Simple Profile
    Xvid,         // libxvid: the same, written by Xvid
    H263,         // h263, h263p
    WindowsMedia, // wmv1, wmv2, msmpeg4, msmpeg4v2
    H264,         // libx264
    Other,
};

EncoderFamily encoderFamily(std::string_view encoder);

// Whether the family's rate control is ffmpeg's own (the MPEG-4 part 2,
// H.263 and Windows Media encoders), which follows -bt.
bool followsRateTolerance(EncoderFamily family);

// What the settings depend on, read from the whole command line.
struct EncoderUse {
    std::string encoder;              // ffmpeg's name: mpeg4, libx264, ...
    std::string muxer;                // psp, ipod, mp4, 3gp, asf, ...
    std::optional<double> frameRate;  // -r
    std::optional<long long> bitRate; // -b in bits per second; none for constant quality
    std::optional<FrameSize> frame;   // the output frame, bars included
    std::string h264Level;            // -level as the line gives it ("3.0", "31", "1b")
    std::vector<std::string> given;   // the options the line sets itself ("-g", "-flags", ...)
};

// The tuned options, as ffmpeg arguments. Options the line gives itself are
// left out: a profile's own settings always win.
//
//   MPEG-4 and Xvid: Simple Profile tools only (no B-frames, no quarter-pixel
//     motion, no global motion compensation): four motion vectors per
//     macroblock and AC prediction; a key frame every 2 seconds; the
//     rate-distortion macroblock decision (mpeg4) or trellis quantisation
//     (Xvid, where the decision costs too much time).
//   H.263 and Windows Media: a key frame every 2 seconds and the
//     rate-distortion macroblock decision; nothing outside the baseline.
//   These four families also get a rate tolerance of 2 seconds of the bit
//     rate (-bt): the encoder's default of 4 Mbit lets low rates drift by a
//     quarter and more.
//   H.264: a key frame at least every 10 seconds (x264's 250 frames, fewer
//     below 25 fps); no more reference frames than the level allows for the
//     frame size; for the PSP at most 3 and no B-frame pyramid.
std::vector<std::string> tunedOptions(const EncoderUse &use);

// The -bt value for a bit rate: 2 seconds of it.
long long rateTolerance(long long bitsPerSecond);

// The most reference frames an H.264 level allows for a frame size (its
// largest decoded picture buffer over the frame's macroblocks), at most 16;
// nothing for a level this table does not know.
std::optional<int> maxReferenceFrames(std::string_view level, FrameSize frame);

} // namespace converter
