#pragma once

#include <optional>
#include <string>
#include <vector>

// What the converter finds in a source before converting it: the picture as
// it is meant to be shown, how it was scanned and graded, and its sound and
// subtitle tracks. Read by SourceProbe; decided upon by SourceAdaptation.
namespace converter {

enum class FieldOrder { Unknown, Progressive, TopFirst, BottomFirst };
enum class Transfer { Standard, Pq, Hlg };

struct SourceTrack {
    int number = 0;       // 1-based among the tracks of its kind
    std::string language; // as tagged ("fra", "eng"); empty when untagged
    std::string codec;    // ffmpeg's name of the codec
    bool isDefault = false;
    bool picture = false;        // subtitles drawn as pictures (PGS, VobSub, DVB)
    int channels = 0;            // sound tracks only
    std::optional<double> start; // seconds, as the container gives them
};

struct SourceFacts {
    bool hasVideo = false; // a picture stream other than cover art
    std::string videoCodec;
    int width = 0; // as stored
    int height = 0;
    int rotation = 0; // clockwise degrees for display: 0, 90, 180 or 270
    int sarNum = 1;   // the pixel aspect, width over height
    int sarDen = 1;
    FieldOrder fieldOrder = FieldOrder::Unknown;
    Transfer transfer = Transfer::Standard;
    // Whether the stream names its colour primaries and its matrix; HDR
    // pictures are often tagged with their transfer alone.
    bool primariesTagged = false;
    bool matrixTagged = false;
    std::optional<double> videoStart;    // seconds, as the container gives them
    std::optional<double> videoDuration; // seconds the picture lasts, as stated
    long long videoFrames = 0;           // frames the picture stream states; 0 unknown
    double videoFrameRate = 0;           // its average frames per second; 0 unknown
    // Seconds from the file's start to the end of its picture and sound, as
    // their streams state it; as the container states it where they do not.
    // Subtitle streams and chapters do not count.
    std::optional<double> duration;
    std::optional<double> chaptersEnd; // seconds from the file's start
    std::string format;                // ffmpeg's name of the container's demuxer
    bool mediaDataMissing = false;     // an MP4 that holds no media data box
    std::vector<SourceTrack> audio;
    std::vector<SourceTrack> subtitles;

    bool anamorphic() const { return sarNum > 0 && sarDen > 0 && sarNum != sarDen; }
};

// The user's wishes from the command line, resolved against the facts.
enum class DeinterlaceChoice { Automatic, Always, Never };

struct SourceChoices {
    DeinterlaceChoice deinterlace = DeinterlaceChoice::Automatic;
    std::string audioTrack;                   // empty: the default track, else the first
    std::optional<std::string> burnSubtitles; // "default", a number or a language
};

} // namespace converter
