#include "Components/BrannockVideoConverter/Encoders.h"

#include <array>
#include <utility>

namespace converter {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kAliases{{
    {"xvid", "libxvid"},
    {"h264", "libx264"},
    {"x264", "libx264"},
    {"mp3", "libmp3lame"},
    {"libfaac", "aac"},
    {"faac", "aac"},
    {"libamr_nb", "libopencore_amrnb"},
    {"amr_nb", "libopencore_amrnb"},
}};

} // namespace

std::string encoderName(std::string_view name) {
    for (const auto &[old, current] : kAliases) {
        if (old == name)
            return std::string(current);
    }
    return std::string(name);
}

std::vector<std::string> sameQualityOptions(std::string_view encoder) {
    if (encoder == "copy")
        return {};
    if (encoder == "libx264" || encoder == "libx264rgb")
        return {"-crf", "18"};
    // mpeg4, libxvid, h263, msmpeg4, wmv1, wmv2, mjpeg and every other
    // encoder with a quantiser scale.
    return {"-q:v", "2"};
}

} // namespace converter
