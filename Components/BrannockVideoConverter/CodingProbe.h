#pragma once

#include "Components/BrannockVideoConverter/StreamCoding.h"

#include <optional>
#include <string>

// Reading how a source's streams are coded with ffmpeg's libraries, for the
// decision whether its video (and sound) can be copied.
namespace converter {

// The coding of the first picture stream that is no cover art, and of every
// sound stream. The H.264 reference frame count is read from the sequence
// header the decoder meets with the first picture. Nothing when the file
// cannot be read as media.
std::optional<StreamCoding> probeCoding(const std::string &path);

// What the video's packets show: their bits a second over their time span,
// and the most frames and bits any one second holds.
struct VideoRates {
    long long bitRate = 0;
    int peakFrames = 0;
    long long peakBits = 0;
};
std::optional<VideoRates> measureVideoRates(const std::string &path);

// Seconds from the file's start of the video key frame at or before
// `seconds`; nothing when none is found.
std::optional<double> keyFrameAtOrBefore(const std::string &path, double seconds);

} // namespace converter
