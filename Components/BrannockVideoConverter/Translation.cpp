#include "Components/BrannockVideoConverter/Translation.h"

#include "Components/BrannockVideoConverter/EncoderTuning.h"
#include "Components/BrannockVideoConverter/Encoders.h"
#include "Components/BrannockVideoConverter/FirstPictureOptions.h"
#include "Components/BrannockVideoConverter/LineReading.h"
#include "Components/BrannockVideoConverter/OptionValues.h"
#include "Components/BrannockVideoConverter/OutputFormats.h"

#include <algorithm>
#include <limits>

namespace converter {
namespace {

const std::string kNoOutput = "At least one output file must be specified";

// "-b:v" and "-g:v" set what "-b" and "-g" do for the video stream.
std::string optionName(const std::string &token) {
    return token.substr(0, token.find(':'));
}

// The output frame: the scaled picture and the bars around it.
std::optional<FrameSize> outputFrame(const Geometry &geometry) {
    if (!geometry.size)
        return std::nullopt;
    // No real frame is wider or taller than an int holds; a line's numbers may be.
    const long long width = 0LL + geometry.size->width + geometry.pad.left + geometry.pad.right;
    const long long height = 0LL + geometry.size->height + geometry.pad.top + geometry.pad.bottom;
    if (width > std::numeric_limits<int>::max() || height > std::numeric_limits<int>::max())
        return std::nullopt;
    return FrameSize{static_cast<int>(width), static_cast<int>(height)};
}

// The input and its options, and the output, the last argument; the options
// between them go to `options`.
std::optional<TranslationError> readInputAndOutput(const std::vector<std::string> &arguments,
                                                   Plan &plan, std::vector<std::string> &options) {
    // Input options: everything before the first -i (-y is global and read here too).
    std::size_t at = 0;
    for (; at < arguments.size() && arguments[at] != "-i"; ++at) {
        if (arguments[at] == "-y")
            plan.overwrite = true;
        else
            plan.inputOptions.push_back(arguments[at]);
    }
    if (at == arguments.size())
        return TranslationError{"No input file given (-i)"};
    if (at + 1 == arguments.size())
        return TranslationError{"Missing argument for option 'i'"};
    plan.input = arguments[at + 1];
    const bool formatForced = std::find(plan.inputOptions.begin(), plan.inputOptions.end(), "-f") !=
                              plan.inputOptions.end();
    // The input is a file name, whatever it looks like: "file:" keeps a name
    // with a colon from reading as a protocol and "-" from reading as standard
    // input. A forced input format may name a device or a filter graph instead,
    // which passes as it is.
    plan.inputUrl = formatForced ? plan.input : "file:" + plan.input;

    const std::size_t first = at + 2;
    if (first >= arguments.size() || dialectOption(arguments.back()) != nullptr)
        return TranslationError{kNoOutput};
    plan.output = arguments.back();
    options.assign(arguments.begin() + static_cast<long>(first), arguments.end() - 1);
    return std::nullopt;
}

// A word the converter does not know: it passes as it is, and the tuning
// learns what the line sets itself.
void passUnknown(LineReading &reading, const std::vector<std::string> &options, std::size_t at) {
    const std::string &token = options[at];
    const std::string name = optionName(token);
    const bool valueFollows = at + 1 < options.size();
    reading.updateGiven = reading.updateGiven || token == "-update";
    if (token.starts_with('-'))
        reading.given.push_back(name);
    if (name == "-level" && valueFollows)
        reading.h264Level = options[at + 1];
    if (name == "-maxrate" && valueFollows)
        reading.plan.videoMaxRate = bitsPerSecond(options[at + 1]);
    reading.add({token});
}

std::optional<TranslationError> readOptions(const std::vector<std::string> &options,
                                            LineReading &reading) {
    for (std::size_t i = 0; i < options.size(); ++i) {
        const DialectOption *option = dialectOption(options[i]);
        if (option == nullptr) {
            passUnknown(reading, options, i);
            continue;
        }
        std::string value;
        if (option->takesValue) {
            if (i + 1 == options.size())
                return TranslationError{kNoOutput}; // its value is the last argument
            value = options[++i];
        }
        if (std::optional<TranslationError> refused = option->read(reading, option->name, value))
            return refused;
    }
    return std::nullopt;
}

// The muxer, named or known from the output's extension, and the video
// encoder it takes by default; the tuning's place when no encoder was named.
void settleMuxer(LineReading &reading) {
    Plan &plan = reading.plan;
    reading.muxerNamed = !plan.muxer.empty();
    if (!reading.muxerNamed)
        plan.muxer = std::string(muxerForFile(plan.output));
    if (!reading.videoEncoderGiven)
        reading.videoEncoder = std::string(defaultVideoEncoder(plan.muxer));
    if (!reading.tuningPlaced)
        reading.pieces.insert(reading.pieces.begin(), {Piece::Kind::Tuning, {}});
}

// What is encoded, at what rate, in how many passes.
std::optional<TranslationError> settleVideo(LineReading &reading) {
    Plan &plan = reading.plan;
    reading.videoEncoded =
        !reading.noVideo && plan.muxer != "image2" && reading.videoEncoder != "copy";
    if (reading.videoEncoded)
        plan.videoEncoder = reading.videoEncoder;
    if (reading.videoBitRateText && !reading.sameQuality)
        plan.videoBitRate = bitsPerSecond(*reading.videoBitRateText);
    plan.fixedFrameRate = reading.frameRate.has_value();
    if (plan.twoPass) {
        if (reading.sameQuality)
            return TranslationError{"Options 'sameq' and 'twopass' exclude each other"};
        if (!reading.videoEncoded)
            plan.twoPass = false; // nothing to encode twice: one pass does it
        else if (!plan.videoBitRate)
            return TranslationError{"Option 'twopass' needs a video bit rate (-b)"};
    }
    if (!plan.twoPass)
        plan.fitSize.reset();
    return std::nullopt;
}

std::vector<std::string> renderVideoBitRate(LineReading &reading, const Piece &piece) {
    if (reading.sameQuality)
        return {};
    reading.plan.videoBitRateAt = reading.plan.outputOptions.size() + 1;
    return piece.tokens;
}

std::vector<std::string> renderTuning(LineReading &reading) {
    if (!reading.videoEncoded)
        return {};
    Plan &plan = reading.plan;
    const EncoderUse use{
        reading.videoEncoder,          plan.muxer,        reading.frameRate, plan.videoBitRate,
        outputFrame(reading.geometry), reading.h264Level, reading.given};
    std::vector<std::string> tokens = tunedOptions(use);
    plan.tunedAt = plan.outputOptions.size();
    plan.tunedCount = tokens.size();
    const auto tolerance = std::find(tokens.begin(), tokens.end(), "-bt");
    if (tolerance != tokens.end())
        plan.rateToleranceAt =
            plan.outputOptions.size() + static_cast<std::size_t>(tolerance - tokens.begin()) + 1;
    return tokens;
}

std::vector<std::string> renderQuality(const LineReading &reading) {
    if (reading.noVideo)
        return {};
    return sameQualityOptions(reading.videoEncoder);
}

std::vector<std::string> renderFilters(LineReading &reading) {
    Plan &plan = reading.plan;
    plan.filters.geometry = reading.geometry;
    plan.filters.userFilter = reading.userFilter;
    // A picture that is not encoded cannot be filtered: its rate stays the
    // output option.
    std::vector<std::string> rate;
    if ((reading.noVideo || reading.videoEncoder == "copy") && !plan.filters.frameRate.empty()) {
        rate = {"-r", plan.filters.frameRate};
        plan.filters.frameRate.clear();
    }
    std::vector<std::string> tokens;
    const std::string chain = plan.filters.chain();
    if (!reading.noVideo && !chain.empty()) {
        tokens = {"-vf", chain};
        plan.filtersAt = plan.outputOptions.size() + 1;
    }
    tokens.insert(tokens.end(), rate.begin(), rate.end());
    return tokens;
}

std::vector<std::string> render(LineReading &reading, const Piece &piece) {
    switch (piece.kind) {
    case Piece::Kind::Tokens:
        return piece.tokens;
    case Piece::Kind::VideoBitRate:
        return renderVideoBitRate(reading, piece);
    case Piece::Kind::Tuning:
        return renderTuning(reading);
    case Piece::Kind::Quality:
        return renderQuality(reading);
    case Piece::Kind::Filters:
        return renderFilters(reading);
    }
    return {};
}

void renderPieces(LineReading &reading) {
    std::vector<std::string> &options = reading.plan.outputOptions;
    for (const Piece &piece : reading.pieces) {
        const std::vector<std::string> tokens = render(reading, piece);
        options.insert(options.end(), tokens.begin(), tokens.end());
    }
}

// After the line's own options: the muxer known from the extension, the
// tags, and what a single picture needs.
void addClosingOptions(LineReading &reading) {
    Plan &plan = reading.plan;
    std::vector<std::string> &options = plan.outputOptions;
    if (!reading.muxerNamed && !plan.muxer.empty())
        options.insert(options.end(), {"-f", plan.muxer});
    const std::vector<std::string> tagArguments = metadataArguments(plan.tags, plan.muxer);
    options.insert(options.end(), tagArguments.begin(), tagArguments.end());
    plan.soundEncoded = !reading.noAudio && plan.muxer != "image2";
    if (plan.muxer != "image2")
        return;
    // One picture: the encoder the extension names (JPEG for a ".thm"),
    // written to the output's own name rather than a numbered sequence.
    plan.singlePicture = true;
    if (!reading.videoEncoderGiven)
        options.insert(options.end(), {"-c:v", std::string(pictureEncoderForFile(plan.output))});
    if (!reading.updateGiven)
        options.insert(options.end(), {"-update", "1"});
}

} // namespace

Translation translate(const std::vector<std::string> &arguments) {
    LineReading reading;
    std::vector<std::string> options;
    if (std::optional<TranslationError> refused =
            readInputAndOutput(arguments, reading.plan, options))
        return *refused;
    if (std::optional<TranslationError> refused = readOptions(options, reading))
        return *refused;
    settleMuxer(reading);
    if (std::optional<TranslationError> refused = settleVideo(reading))
        return *refused;
    renderPieces(reading);
    addClosingOptions(reading);
    return std::move(reading.plan);
}

Plan withVideoBitRate(const Plan &plan, long long bitsPerSecond) {
    Plan changed = plan;
    if (!plan.videoBitRateAt || bitsPerSecond <= 0)
        return changed;
    changed.videoBitRate = bitsPerSecond;
    changed.outputOptions[*plan.videoBitRateAt] = std::to_string(bitsPerSecond);
    if (plan.rateToleranceAt)
        changed.outputOptions[*plan.rateToleranceAt] = std::to_string(rateTolerance(bitsPerSecond));
    return changed;
}

std::vector<std::string> ffmpegArguments(const Plan &plan, const std::string &outputUrl,
                                         bool withSeek) {
    std::vector<std::string> arguments{"-y"};
    arguments.insert(arguments.end(), plan.inputOptions.begin(), plan.inputOptions.end());
    if (withSeek && !plan.seek.empty())
        arguments.insert(arguments.end(), {"-ss", plan.seek});
    arguments.insert(arguments.end(), {"-i", plan.inputUrl});
    arguments.insert(arguments.end(), plan.extraInputs.begin(), plan.extraInputs.end());
    arguments.insert(arguments.end(), plan.coverInput.begin(), plan.coverInput.end());
    // The cover art is copied, which ffmpeg refuses for a stream that the
    // picture's filters or tag would apply to.
    const std::vector<std::string> options =
        plan.coverInput.empty() ? plan.outputOptions : firstPictureOnly(plan.outputOptions);
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), plan.coverOptions.begin(), plan.coverOptions.end());
    arguments.push_back(outputUrl);
    return arguments;
}

} // namespace converter
