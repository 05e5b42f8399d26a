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

// The bits per second of a bit rate in ffmpeg's form: "718k", "1.5M", "96000"
// (k, M and G count in thousands; "Ki", "Mi" and "Gi" in 1024s).
std::optional<long long> bitsPerSecond(std::string_view text);

// The frames per second of a frame rate as -r takes it: "25", "29.97",
// "30000/1001", or one of ffmpeg's names ("ntsc", "pal", "film", ...).
std::optional<double> framesPerSecond(std::string_view text);

// A size in bytes: a whole, positive number of digits only.
std::optional<long long> byteCount(std::string_view text);

} // namespace converter
