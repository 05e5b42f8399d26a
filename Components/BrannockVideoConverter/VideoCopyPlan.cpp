#include "Components/BrannockVideoConverter/VideoCopyPlan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace converter {
namespace {

// Options that set how the picture is encoded or filtered: meaningless, or
// harmful, for a copied stream. All take a value.
constexpr auto kVideoOptions = std::to_array<std::string_view>({
    "-b",          "-vb",          "-vf",         "-filter",       "-s",       "-r",
    "-profile",    "-vprofile",    "-level",      "-pix_fmt",      "-maxrate", "-minrate",
    "-bufsize",    "-g",           "-keyint_min", "-refs",         "-bf",      "-b-pyramid",
    "-b_strategy", "-flags",       "-mbd",        "-trellis",      "-bt",      "-coder",
    "-x264opts",   "-x264-params", "-preset",     "-tune",         "-crf",     "-qmin",
    "-qmax",       "-qscale",      "-q",          "-me_method",    "-subq",    "-sc_threshold",
    "-aspect",     "-vtag",        "-partitions", "-cmp",          "-subcmp",  "-qcomp",
    "-qdiff",      "-i_qfactor",   "-b_qfactor",  "-rc_lookahead",
});
// The same for copied sound.
constexpr auto kSoundOptions = std::to_array<std::string_view>({
    "-ab",
    "-b",
    "-ar",
    "-ac",
    "-aac_pns",
    "-profile",
    "-q",
    "-aq",
    "-af",
    "-filter",
});

template<std::size_t N>
bool listed(const std::array<std::string_view, N> &names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

} // namespace

std::string clockTime(double seconds) {
    const long long ms = std::llround(std::max(0.0, seconds) * 1000);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", ms / 3600000, ms / 60000 % 60,
                  ms / 1000 % 60, ms % 1000);
    return text;
}

Plan copyingPlan(const Plan &plan, const VideoCopy &copy) {
    Plan copied = plan;
    std::vector<std::string> &options = copied.outputOptions;
    options.clear();
    for (std::size_t i = 0; i < plan.outputOptions.size(); ++i) {
        const std::string &token = plan.outputOptions[i];
        const bool hasValue = i + 1 < plan.outputOptions.size();
        const std::size_t colon = token.find(':');
        const std::string_view name = std::string_view(token).substr(0, colon);
        const std::string_view stream =
            colon == std::string::npos ? "" : std::string_view(token).substr(colon + 1);
        if (!token.starts_with('-') || !hasValue) {
            options.push_back(token);
            continue;
        }
        const bool video = stream.empty() || stream == "v";
        const bool sound = copy.sound && (stream.empty() || stream == "a");
        if ((name == "-c" || name == "-codec") &&
            (stream == "v" || (copy.sound && stream == "a"))) {
            options.insert(options.end(), {token, "copy"});
            ++i;
        } else if ((video && listed(kVideoOptions, name)) ||
                   (sound && listed(kSoundOptions, name))) {
            ++i; // left out with its value
        } else {
            options.push_back(token);
        }
    }
    if (copy.cutFrom) {
        // Just before the key frame, never after it: ffmpeg then starts at
        // that frame and drops nothing of it.
        copied.seek = seconds(std::floor(*copy.cutFrom * 1e6) / 1e6);
        if (copy.cutTo) {
            for (std::size_t i = 0; i + 1 < options.size(); ++i) {
                if (options[i] == "-t")
                    options[i + 1] = seconds(*copy.cutTo - *copy.cutFrom);
            }
        }
    }
    copied.filters = {};
    copied.filtersAt.reset();
    copied.videoBitRateAt.reset();
    copied.rateToleranceAt.reset();
    copied.tunedAt = 0;
    copied.tunedCount = 0;
    copied.twoPass = false;
    copied.fitSize.reset();
    return copied;
}

std::string copiedLine(const VideoCopy &copy) {
    std::string line = "Copied (already suits the device)";
    if (copy.cutFrom)
        line += "; cut at key frames: " + clockTime(*copy.cutFrom) + " to " +
                (copy.cutTo ? clockTime(*copy.cutTo) : std::string("the end"));
    return line;
}

} // namespace converter
