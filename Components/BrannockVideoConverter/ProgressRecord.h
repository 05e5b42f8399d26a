#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The records ffmpeg writes with "-progress pipe:N": blocks of key=value lines,
// each closed by "progress=continue" or, for the last one, "progress=end".
namespace converter {

struct ProgressRecord {
    std::optional<long long> frame; // present only when a video stream is encoded
    double fps = 0;
    std::optional<double> quality;      // the first video stream's q
    std::optional<long long> totalSize; // bytes written so far
    long long outTimeUs = 0;            // the output's position, never negative
    bool end = false;                   // the last record of the run
};

class ProgressParser {
public:
    // Takes the next bytes of the stream, cut anywhere; returns the records they complete.
    std::vector<ProgressRecord> feed(std::string_view bytes);

private:
    void takeLine(std::string_view line, std::vector<ProgressRecord> &done);

    std::string m_partial;
    ProgressRecord m_record;
    bool m_haveMicroseconds = false;
};

} // namespace converter
