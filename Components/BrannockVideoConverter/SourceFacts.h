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
    std::optional<double> videoStart; // seconds, as the container gives them
    std::optional<double> duration;   // seconds, as the container states it
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
