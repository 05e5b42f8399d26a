#include "Components/BrannockVideoConverter/ProgressReport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace converter {
namespace {

// The text snprintf() wrote into `buffer`, given its result.
std::string written(const char *buffer, std::size_t capacity, int length) {
    if (length < 0)
        return {};
    return std::string(buffer, std::min(static_cast<std::size_t>(length), capacity - 1));
}

// The number after `key` in `line`, read up to the first character that is not
// part of it.
std::optional<double> numberAfter(std::string_view line, std::string_view key) {
    const std::size_t at = line.find(key);
    if (at == std::string_view::npos)
        return std::nullopt;
    const char *begin = line.data() + at + key.size();
    double value = 0;
    const auto [end, error] = std::from_chars(begin, line.data() + line.size(), value);
    if (error != std::errc() || end == begin)
        return std::nullopt;
    return value;
}

} // namespace

std::string progressLine(const ProgressRecord &record, bool last,
                         std::optional<long long> shownUs) {
    const double bytes = static_cast<double>(record.totalSize.value_or(0));
    const double seconds = static_cast<double>(record.outTimeUs) / 1e6;
    const double shownSeconds = static_cast<double>(shownUs.value_or(record.outTimeUs)) / 1e6;
    const double kbitPerSecond = bytes * 8 / std::max(seconds, 0.01) / 1000.0;
    char buffer[256];
    std::string line;
    if (record.frame) {
        const int length =
            std::snprintf(buffer, sizeof buffer, "frame=%5lld fps=%3d q=%3.1f ", *record.frame,
                          static_cast<int>(std::lround(record.fps)), record.quality.value_or(0.0));
        line = written(buffer, sizeof buffer, length);
    }
    const int length =
        std::snprintf(buffer, sizeof buffer, "%s=%8.0fkB time=%0.2f bitrate=%6.1fkbits/s    \r",
                      last ? "Lsize" : "size", bytes / 1024.0, shownSeconds, kbitPerSecond);
    return line + written(buffer, sizeof buffer, length);
}

std::optional<FinalSizes> parseFinalSizes(std::string_view line) {
    if (!line.starts_with("video:"))
        return std::nullopt;
    const std::optional<double> video = numberAfter(line, "video:");
    const std::optional<double> audio = numberAfter(line, "audio:");
    if (!video || !audio)
        return std::nullopt;
    FinalSizes sizes;
    sizes.videoKb = *video;
    sizes.audioKb = *audio;
    sizes.headersKb = numberAfter(line, "global headers:").value_or(0);
    sizes.overheadPercent = numberAfter(line, "muxing overhead: ");
    return sizes;
}

std::string summaryLine(const FinalSizes &sizes) {
    char buffer[256];
    const int length = std::snprintf(
        buffer, sizeof buffer,
        "\nvideo:%1.0fkB audio:%1.0fkB global headers:%1.0fkB muxing overhead %f%%\n",
        sizes.videoKb, sizes.audioKb, sizes.headersKb, sizes.overheadPercent.value_or(0.0));
    return written(buffer, sizeof buffer, length);
}

} // namespace converter
