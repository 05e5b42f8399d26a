#pragma once

#include <string>
#include <string_view>
#include <vector>

// ffmpeg's log lines as "-loglevel level+info" writes them:
// "[mp4 @ 0x55d5c5b0a640] [error] message", "[info]   Duration: ...".
namespace converter {

struct LogLine {
    std::string level;                 // "info", "warning", "error", "fatal", ...
    std::vector<std::string> contexts; // the "[name @ 0x...]" names, outermost first
    std::string text;                  // the message without its prefixes

    bool isError() const { return level == "error" || level == "fatal" || level == "panic"; }
};

// Reads one line (without its line end). A line without a level tag continues
// the previous message and gets `previousLevel`.
LogLine parseLogLine(std::string_view line, std::string_view previousLevel);

// "  Duration: 00:00:02.00, start: 0.000000, bitrate: 411 kb/s"
bool isDurationLine(std::string_view text);

} // namespace converter
