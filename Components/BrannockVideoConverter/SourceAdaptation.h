#pragma once

#include "Components/BrannockVideoConverter/SourceFacts.h"
#include "Components/BrannockVideoConverter/Translation.h"

#include <optional>
#include <string>
#include <vector>

// What a conversion does for its source beyond the line's own options, and
// the line's plan changed to do it: every filter and stream choice is made
// only where the source needs it, so an ordinary source runs as before.
namespace converter {

struct SourceDecisions {
    // Deinterlace with this field order (Unknown: the frames' flags decide).
    std::optional<FieldOrder> deinterlace;
    bool squarePixels = false; // anamorphic, with rows cropped
    Transfer toneMap = Transfer::Standard;
    bool primariesAssumed = false; // HDR tagged with its transfer alone: BT.2020 is taken
    bool matrixAssumed = false;
    std::optional<SourceTrack> sound;     // the sound track converted
    std::optional<SourceTrack> subtitles; // burnt in
    bool silentSound = false;             // the container needs sound the source lacks
    bool soundStartsLate = false;         // silence is put before it
    bool pictureStartsLate = false;       // its first frame is held from the start
    bool mapStreams = false;              // the source was probed: streams are chosen
    // Chapters that run past the picture and sound: the output ends with
    // them, this many seconds from the file's start.
    std::optional<double> endAt;
    std::vector<std::string> notes; // for the log: "rotated 90°", "deinterlaced", ...
};

// Whether the interlacing of the source must be measured on a sample: it is
// asked for automatically and the file does not say how it was scanned.
bool needsInterlaceDetection(const Plan &plan, const SourceFacts &facts);

// The decisions for a probed source. `measured` is the field order a
// sample showed, where one was measured.
SourceDecisions decide(const Plan &plan, const SourceFacts &facts,
                       std::optional<FieldOrder> measured = std::nullopt);

// The plan carrying the decisions out. `subtitleFile` is the text subtitle
// track taken out of the source as an .ass file, where text subtitles are
// burnt in.
Plan adapt(const Plan &plan, const SourceDecisions &decisions,
           const std::string &subtitleFile = {});

// The notes in one line: "rotated 90°, deinterlaced, tone-mapped from HDR
// (PQ) to BT.709"; empty when nothing was done.
std::string describe(const SourceDecisions &decisions);

// The track a request names among `tracks`: "" or "default" for the
// default track (else the first), a 1-based number, or a language, in two
// or three letters ("fr", "fra", "fre"). Nothing when none matches.
std::optional<SourceTrack> chooseTrack(const std::vector<SourceTrack> &tracks,
                                       const std::string &request);

// A -ss position ("90", "00:01:30", "1:30.5") in seconds.
std::optional<double> seekSeconds(const std::string &text);

// The field order that ffmpeg's idet filter measured, from its closing
// "Multi frame detection: TFF: n BFF: n Progressive: n Undetermined: n".
// Progressive unless clearly interlaced; nothing without that line.
std::optional<FieldOrder> parseInterlaceDetection(const std::string &log);

} // namespace converter
