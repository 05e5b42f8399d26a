#pragma once

#include <optional>
#include <string>
#include <string_view>

// Reading the values of the old option dialect.
namespace converter {

struct FrameSize {
    int width = 0;
    int height = 0;
};

// "320x240", or one of ffmpeg's size names ("qvga", "cif", "hd720", ...).
std::optional<FrameSize> parseFrameSize(std::string_view text);

// A crop or pad margin: an even, non-negative whole number of pixels.
std::optional<int> parseMargin(std::string_view text);

// A bit rate as the old builds read it: a trailing "bps" (any case) is dropped,
// so "718kbps" becomes ffmpeg's "718k".
std::string bitRate(std::string_view text);

} // namespace converter
