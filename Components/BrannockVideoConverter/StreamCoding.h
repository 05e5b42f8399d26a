#pragma once

#include <optional>
#include <string>
#include <vector>

// How the source's picture and sound are coded, as far as it decides whether
// a stream can go into the output as it is. Read by CodingProbe; judged by
// VideoCopyRules and SoundCopyRules.
namespace converter {

struct VideoCoding {
    std::string codec;       // ffmpeg's name: "h264", "mpeg4", ...
    std::string profile;     // ffmpeg's name: "Constrained Baseline", "Simple Profile", ...
    int level = -99;         // as the stream states it (H.264: 30 for 3.0); -99 unknown
    bool reordered = false;  // frames come out in another order than stored: B-frames
    std::string pixelFormat; // "yuv420p", "yuv420p10le", ...
    double frameRate = 0;    // frames per second; 0 unknown
    std::optional<long long> bitRate;   // bits per second
    std::optional<int> referenceFrames; // H.264: the sequence's max_num_ref_frames
    // Measured over the packets: the most frames, and the most bits, that
    // any one second of the stream holds.
    std::optional<int> peakFrames;
    std::optional<long long> peakBits;
};

struct SoundCoding {
    std::string codec;   // "aac", "mp3", ...
    std::string profile; // "LC", "HE-AAC", ...
    int sampleRate = 0;
    int channels = 0;
    std::optional<long long> bitRate;
};

struct StreamCoding {
    VideoCoding video;              // the first picture stream that is no cover art
    std::vector<SoundCoding> audio; // in the order of SourceFacts::audio
};

} // namespace converter
