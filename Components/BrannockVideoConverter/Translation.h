#pragma once

#include "Components/BrannockVideoConverter/MediaTags.h"
#include "Components/BrannockVideoConverter/SourceFacts.h"
#include "Components/BrannockVideoConverter/VideoFilters.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The converter's command line: the option dialect of the 2008-2009 ffmpeg
// builds that the batch file writes, turned into arguments for ffmpeg 5.1.
namespace converter {

struct Plan {
    std::vector<std::string> inputOptions;  // options before -i, unchanged
    std::string seek;                       // -ss value; placed before -i
    std::string input;                      // the input path as given
    std::string inputUrl;                   // what ffmpeg reads it as
    std::vector<std::string> outputOptions; // translated, in order, without the output
    std::string output;                     // the output path as given (the last argument)
    std::string muxer;          // the output muxer, named or known from the extension; else empty
    bool overwrite = false;     // -y given
    bool singlePicture = false; // one image written by the image2 muxer

    std::string videoEncoder;              // ffmpeg's name; empty when no video is encoded
    std::optional<long long> videoBitRate; // -b in bits per second; none for constant quality
    std::optional<long long> videoMaxRate; // -maxrate of the line, in bits per second
    // Where the video bit rate's value, and that of its tolerance (-bt), stand
    // in outputOptions, so that a second pass can run again at another rate.
    std::optional<std::size_t> videoBitRateAt;
    std::optional<std::size_t> rateToleranceAt;
    // Where the encoder family's tuned settings stand in outputOptions
    // (EncoderTuning.h): a benchmark leaves them out to compare.
    std::size_t tunedAt = 0;
    std::size_t tunedCount = 0;
    bool fixedFrameRate = false;      // -r given: every pass writes the same frames at that rate
    bool twoPass = false;             // -twopass, or -fitsize: the converter runs both passes
    bool alwaysEncode = false;        // -alwaysencode: never copy the source's video
    std::optional<long long> fitSize; // -fitsize: the bytes the output should fill, never exceed

    // The video filters and where their chain stands in outputOptions (the
    // value after "-vf"; none when the line needs no filter), so that the
    // source's needs can be added once it has been probed.
    VideoFilters filters;
    std::optional<std::size_t> filtersAt;
    bool subtitlesDrawn = false; // subtitles of the source are drawn into the picture
    bool soundEncoded = false;   // a sound track is written (no -an, not a picture)
    SourceChoices choices;       // -deinterlace, -nodeinterlace, -audiotrack, -burnsubs
    // Inputs after the source (a silent sound track), as ffmpeg options.
    std::vector<std::string> extraInputs;

    MediaTags tags;            // -kind, -title, -show, -season, -episode
    bool coverPicture = false; // -cover: a single picture shows the source's cover
    // The cover art written with the file (CoverArt.h): its input, and its
    // options after all others, so that they win for its stream.
    std::vector<std::string> coverInput;
    std::vector<std::string> coverOptions;
    long long coverBytes = 0; // about what the cover takes in the output
};

struct TranslationError {
    std::string message;
};

using Translation = std::variant<Plan, TranslationError>;

struct LineReading; // LineReading.h

// What an option does to the reading of its line (its value empty when it
// takes none); what is wrong with the value, if anything.
using OptionHandler = std::optional<TranslationError> (*)(LineReading &reading,
                                                          std::string_view option,
                                                          const std::string &value);

// An option of the old dialect that the converter reads itself; every other
// word passes to ffmpeg as it is.
struct DialectOption {
    std::string_view name;
    bool takesValue;
    OptionHandler read;
};

// The dialect's option of that name; nullptr for any other word.
const DialectOption *dialectOption(std::string_view word);

// Reads the converter's arguments (without the program name). Options before
// -i are input options and pass unchanged; the last argument is the output.
// The dialect's options are translated; every other option passes unchanged
// and in order. The video encoder gets the tuned settings of its family
// (EncoderTuning.h) right after its name, where any option of the line
// itself overrides them.
//
// Two options are the converter's own: "-twopass" encodes the video twice,
// the first pass measuring what the second spends its bits on; "-fitsize N"
// does the same and keeps the output between 97% and 100% of N bytes. Both
// need a video bit rate (-b) and exclude -sameq.
//
// Four more are the converter's own, the user's wishes for the source:
// "-deinterlace" and "-nodeinterlace" (else the source decides),
// "-audiotrack T" (a 1-based number or a language) and "-burnsubs T"
// ("default", a number or a language). SourceAdaptation.h carries them out.
//
// "-alwaysencode" encodes the video even where the source's could be copied
// as it is (VideoCopyRules.h).
//
// And six more describe the file written: "-kind movie|tv|musicvideo",
// "-title T", "-show T", "-season N" and "-episode N" are written as tags
// (MediaTags.h); "-cover" makes a single picture of the source's cover art.
Translation translate(const std::vector<std::string> &arguments);

// The ffmpeg arguments (without the program name) that carry out the plan,
// writing to `outputUrl`. Without `withSeek` the -ss position is left out.
std::vector<std::string> ffmpegArguments(const Plan &plan, const std::string &outputUrl,
                                         bool withSeek = true);

// The plan with another video bit rate (and its tolerance): what a second
// pass that missed its target runs again with. Unchanged without a rate.
Plan withVideoBitRate(const Plan &plan, long long bitsPerSecond);

} // namespace converter
