#pragma once

#include <string>
#include <string_view>
#include <vector>

// Encoder names and quality settings: the old builds' names for the encoders,
// and what "-sameq" becomes for each of them.
namespace converter {

// The encoder of Debian's ffmpeg 5.1 for an encoder name of the old builds
// ("xvid" is "libxvid", "libfaac" is "aac", ...); other names are kept.
std::string encoderName(std::string_view name);

// The options that keep the source's quality with the given video encoder
// instead of aiming at a bit rate: a constant rate factor for x264, the best
// quantiser scale for the others. Nothing for stream copy.
std::vector<std::string> sameQualityOptions(std::string_view encoder);

} // namespace converter
