#include "Components/BrannockVideoConverter/FfmpegLog.h"

#include <array>

namespace converter {
namespace {

constexpr auto kLevels = std::to_array<std::string_view>(
    {"quiet", "panic", "fatal", "error", "warning", "info", "verbose", "debug", "trace"});

bool isLevel(std::string_view word) {
    for (std::string_view level : kLevels) {
        if (level == word)
            return true;
    }
    return false;
}

} // namespace

LogLine parseLogLine(std::string_view line, std::string_view previousLevel) {
    LogLine parsed;
    while (line.starts_with('[')) {
        const std::size_t close = line.find("] ");
        if (close == std::string_view::npos)
            break;
        const std::string_view inside = line.substr(1, close - 1);
        const std::size_t at = inside.find(" @ 0x");
        if (at != std::string_view::npos) {
            parsed.contexts.emplace_back(inside.substr(0, at));
        } else if (isLevel(inside)) {
            parsed.level = inside;
            line.remove_prefix(close + 2);
            break; // the level tag is the last prefix
        } else {
            break;
        }
        line.remove_prefix(close + 2);
    }
    if (parsed.level.empty())
        parsed.level = previousLevel;
    parsed.text = line;
    return parsed;
}

bool isDurationLine(std::string_view text) {
    return text.starts_with("  Duration: ");
}

} // namespace converter
