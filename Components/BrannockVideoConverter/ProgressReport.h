#pragma once

#include "Components/BrannockVideoConverter/ProgressRecord.h"

#include <optional>
#include <string>
#include <string_view>

// The console texts of the old builds that the conversion window reads.
namespace converter {

// "frame=  123 fps= 25 q=3.1 size=     456kB time=4.92 bitrate= 759.3kbits/s"
// followed by four blanks and a carriage return; an output without video starts
// at "size=", and the last report of a run says "Lsize=". `shownUs` is the
// position "time=" shows when it is not the record's own (two passes); the
// bit rate always comes from the record.
std::string progressLine(const ProgressRecord &record, bool last,
                         std::optional<long long> shownUs = std::nullopt);

// ffmpeg's closing figures ("video:272kB audio:32kB subtitle:0kB other
// streams:0kB global headers:0kB muxing overhead: 0.837570%").
struct FinalSizes {
    double videoKb = 0;
    double audioKb = 0;
    double headersKb = 0;
    std::optional<double> overheadPercent; // absent when ffmpeg says "unknown"
};

std::optional<FinalSizes> parseFinalSizes(std::string_view line);

// A line feed, then "video:272kB audio:32kB global headers:0kB muxing overhead
// 0.837570%" and a line feed.
std::string summaryLine(const FinalSizes &sizes);

} // namespace converter
