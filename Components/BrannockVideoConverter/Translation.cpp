#include "Components/BrannockVideoConverter/Translation.h"

#include "Components/BrannockVideoConverter/EncoderTuning.h"
#include "Components/BrannockVideoConverter/Encoders.h"
#include "Components/BrannockVideoConverter/FirstPictureOptions.h"
#include "Components/BrannockVideoConverter/Geometry.h"
#include "Components/BrannockVideoConverter/OptionValues.h"
#include "Components/BrannockVideoConverter/OutputFormats.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

namespace converter {
namespace {

// The options the converter reads itself; everything else goes to ffmpeg as it is.
constexpr auto kDialect = std::to_array<DialectOption>({
    {"-i", true},
    {"-f", true},
    {"-vcodec", true},
    {"-acodec", true},
    {"-s", true},
    {"-padtop", true},
    {"-padbottom", true},
    {"-padleft", true},
    {"-padright", true},
    {"-croptop", true},
    {"-cropbottom", true},
    {"-cropleft", true},
    {"-cropright", true},
    {"-b", true},
    {"-ab", true},
    {"-sameq", false},
    {"-r", true},
    {"-ar", true},
    {"-ac", true},
    {"-vn", false},
    {"-an", false},
    {"-ss", true},
    {"-t", true},
    {"-vframes", true},
    {"-y", false},
    {"-vf", true},
    {"-filter:v", true},
    {"-twopass", false},
    {"-fitsize", true},
    {"-deinterlace", false},
    {"-nodeinterlace", false},
    {"-audiotrack", true},
    {"-burnsubs", true},
    {"-alwaysencode", false},
    {"-kind", true},
    {"-title", true},
    {"-show", true},
    {"-season", true},
    {"-episode", true},
    {"-cover", false},
});

const std::string kNoOutput = "At least one output file must be specified";

TranslationError invalidValue(const std::string &value, std::string_view option) {
    return {"Invalid value '" + value + "' for option '" + std::string(option.substr(1)) + "'"};
}

// One piece of the output options, rendered once the whole line is known.
struct Piece {
    enum class Kind { Tokens, VideoBitRate, Quality, Filters, Tuning };
    Kind kind = Kind::Tokens;
    std::vector<std::string> tokens;
};

int *marginField(Geometry &geometry, std::string_view option) {
    if (option == "-padtop")
        return &geometry.pad.top;
    if (option == "-padbottom")
        return &geometry.pad.bottom;
    if (option == "-padleft")
        return &geometry.pad.left;
    if (option == "-padright")
        return &geometry.pad.right;
    if (option == "-croptop")
        return &geometry.crop.top;
    if (option == "-cropbottom")
        return &geometry.crop.bottom;
    if (option == "-cropleft")
        return &geometry.crop.left;
    if (option == "-cropright")
        return &geometry.crop.right;
    return nullptr;
}

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

// The options that describe the file written.
bool describesOutput(std::string_view option) {
    return option == "-kind" || option == "-title" || option == "-show" || option == "-season" ||
           option == "-episode" || option == "-cover";
}

// Reads one of them; what is wrong with its value, if anything.
std::optional<TranslationError> readTagOption(Plan &plan, std::string_view option,
                                              const std::string &value) {
    MediaTags &tags = plan.tags;
    if (option == "-kind") {
        tags.kind = parseMediaKind(value);
        if (!tags.kind)
            return TranslationError{"-kind: expected movie, tv or musicvideo, not '" + value + "'"};
    } else if (option == "-title") {
        tags.title = value;
    } else if (option == "-show") {
        tags.show = value;
    } else if (option == "-season" || option == "-episode") {
        const std::optional<int> number = parseEpisodeNumber(value);
        if (!number)
            return TranslationError{std::string(option) + ": expected a whole number, not '" +
                                    value + "'"};
        (option == "-season" ? tags.season : tags.episode) = number;
    } else if (option == "-cover") {
        plan.coverPicture = true;
    }
    return std::nullopt;
}

} // namespace

const DialectOption *dialectOption(std::string_view word) {
    for (const DialectOption &option : kDialect) {
        if (option.name == word)
            return &option;
    }
    return nullptr;
}

Translation translate(const std::vector<std::string> &arguments) {
    Plan plan;

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

    // The output is the last argument; the options lie between.
    const std::size_t first = at + 2;
    if (first >= arguments.size() || dialectOption(arguments.back()) != nullptr)
        return TranslationError{kNoOutput};
    plan.output = arguments.back();
    const std::vector<std::string> options(arguments.begin() + static_cast<long>(first),
                                           arguments.end() - 1);

    std::vector<Piece> pieces;
    Geometry geometry;
    std::string videoEncoder;
    std::string userFilter;
    bool videoEncoderGiven = false;
    bool sameQuality = false;
    bool noVideo = false;
    bool noAudio = false;
    bool filtersPlaced = false;
    bool updateGiven = false;
    bool tuningPlaced = false;
    std::optional<double> frameRate;
    std::optional<std::string> videoBitRateText;
    std::vector<std::string> given; // names of the options that pass unchanged
    std::string h264Level;

    const auto placeFilters = [&] {
        if (!filtersPlaced)
            pieces.push_back({Piece::Kind::Filters, {}});
        filtersPlaced = true;
    };

    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::string &token = options[i];
        const DialectOption *option = dialectOption(token);
        if (option == nullptr) {
            updateGiven = updateGiven || token == "-update";
            if (token.starts_with('-'))
                given.push_back(optionName(token));
            if (optionName(token) == "-level" && i + 1 < options.size())
                h264Level = options[i + 1];
            if (optionName(token) == "-maxrate" && i + 1 < options.size())
                plan.videoMaxRate = bitsPerSecond(options[i + 1]);
            pieces.push_back({Piece::Kind::Tokens, {token}});
            continue;
        }
        std::string value;
        if (option->takesValue) {
            if (i + 1 == options.size())
                return TranslationError{kNoOutput}; // its value is the last argument
            value = options[++i];
        }
        if (token == "-i")
            return TranslationError{"Only one input file is supported"};
        if (token == "-f") {
            plan.muxer = value;
            pieces.push_back({Piece::Kind::Tokens, {"-f", value}});
        } else if (token == "-vcodec") {
            videoEncoder = encoderName(value);
            videoEncoderGiven = true;
            pieces.push_back({Piece::Kind::Tokens, {"-c:v", videoEncoder}});
            if (!tuningPlaced)
                pieces.push_back({Piece::Kind::Tuning, {}});
            tuningPlaced = true;
        } else if (token == "-acodec") {
            const std::string encoder = encoderName(value);
            pieces.push_back({Piece::Kind::Tokens, {"-c:a", encoder}});
            // ffmpeg's AAC encoder substitutes noise for some bands by
            // default, which iPod decoders play as squeaks and pops.
            if (encoder == "aac")
                pieces.back().tokens.insert(pieces.back().tokens.end(), {"-aac_pns", "0"});
        } else if (token == "-deinterlace") {
            plan.choices.deinterlace = DeinterlaceChoice::Always;
        } else if (token == "-nodeinterlace") {
            plan.choices.deinterlace = DeinterlaceChoice::Never;
        } else if (token == "-audiotrack") {
            plan.choices.audioTrack = value;
        } else if (token == "-burnsubs") {
            plan.choices.burnSubtitles = value;
        } else if (token == "-alwaysencode") {
            plan.alwaysEncode = true;
        } else if (describesOutput(token)) {
            if (std::optional<TranslationError> refused = readTagOption(plan, token, value))
                return *refused;
        } else if (token == "-s") {
            geometry.size = parseFrameSize(value);
            if (!geometry.size)
                return invalidValue(value, token);
            placeFilters();
        } else if (int *margin = marginField(geometry, token)) {
            const std::optional<int> pixels = parseMargin(value);
            if (!pixels)
                return invalidValue(value, token);
            *margin = *pixels;
            placeFilters();
        } else if (token == "-vf" || token == "-filter:v") {
            userFilter = value;
            placeFilters();
        } else if (token == "-b") {
            videoBitRateText = bitRate(value);
            pieces.push_back({Piece::Kind::VideoBitRate, {"-b:v", *videoBitRateText}});
        } else if (token == "-ab") {
            pieces.push_back({Piece::Kind::Tokens, {"-b:a", bitRate(value)}});
        } else if (token == "-sameq") {
            sameQuality = true;
            pieces.push_back({Piece::Kind::Quality, {}});
        } else if (token == "-ss") {
            plan.seek = value;
        } else if (token == "-vframes") {
            pieces.push_back({Piece::Kind::Tokens, {"-frames:v", value}});
        } else if (token == "-y") {
            plan.overwrite = true;
        } else if (token == "-twopass") {
            plan.twoPass = true;
        } else if (token == "-fitsize") {
            plan.fitSize = byteCount(value);
            if (!plan.fitSize)
                return invalidValue(value, token);
            plan.twoPass = true;
        } else if (token == "-r") {
            // A filter rather than the output option: -r drops and repeats
            // frames without moving the sound, which falls out of step.
            frameRate = framesPerSecond(value);
            if (!frameRate)
                return invalidValue(value, token);
            plan.filters.frameRate = value;
            placeFilters();
        } else {
            // -r, -ar, -ac, -t, -vn, -an: the same in both dialects.
            noVideo = noVideo || token == "-vn";
            noAudio = noAudio || token == "-an";
            pieces.push_back({Piece::Kind::Tokens, {token}});
            if (option->takesValue)
                pieces.back().tokens.push_back(value);
        }
    }

    const bool muxerNamed = !plan.muxer.empty();
    if (!muxerNamed)
        plan.muxer = std::string(muxerForFile(plan.output));
    if (!videoEncoderGiven)
        videoEncoder = std::string(defaultVideoEncoder(plan.muxer));
    if (!tuningPlaced)
        pieces.insert(pieces.begin(), {Piece::Kind::Tuning, {}});

    const bool videoEncoded = !noVideo && plan.muxer != "image2" && videoEncoder != "copy";
    if (videoEncoded)
        plan.videoEncoder = videoEncoder;
    if (videoBitRateText && !sameQuality)
        plan.videoBitRate = bitsPerSecond(*videoBitRateText);
    plan.fixedFrameRate = frameRate.has_value();
    if (plan.twoPass) {
        if (sameQuality)
            return TranslationError{"Options 'sameq' and 'twopass' exclude each other"};
        if (!videoEncoded)
            plan.twoPass = false; // nothing to encode twice: one pass does it
        else if (!plan.videoBitRate)
            return TranslationError{"Option 'twopass' needs a video bit rate (-b)"};
    }
    if (!plan.twoPass)
        plan.fitSize.reset();
    const EncoderUse use{videoEncoder,          plan.muxer, frameRate, plan.videoBitRate,
                         outputFrame(geometry), h264Level,  given};

    for (const Piece &piece : pieces) {
        std::vector<std::string> tokens;
        switch (piece.kind) {
        case Piece::Kind::Tokens:
            tokens = piece.tokens;
            break;
        case Piece::Kind::VideoBitRate:
            if (!sameQuality) {
                tokens = piece.tokens;
                plan.videoBitRateAt = plan.outputOptions.size() + 1;
            }
            break;
        case Piece::Kind::Tuning:
            if (videoEncoded) {
                tokens = tunedOptions(use);
                plan.tunedAt = plan.outputOptions.size();
                plan.tunedCount = tokens.size();
                const auto tolerance = std::find(tokens.begin(), tokens.end(), "-bt");
                if (tolerance != tokens.end())
                    plan.rateToleranceAt = plan.outputOptions.size() +
                                           static_cast<std::size_t>(tolerance - tokens.begin()) + 1;
            }
            break;
        case Piece::Kind::Quality:
            if (!noVideo)
                tokens = sameQualityOptions(videoEncoder);
            break;
        case Piece::Kind::Filters: {
            plan.filters.geometry = geometry;
            plan.filters.userFilter = userFilter;
            // A picture that is not encoded cannot be filtered: its rate
            // stays the output option.
            std::vector<std::string> rate;
            if ((noVideo || videoEncoder == "copy") && !plan.filters.frameRate.empty()) {
                rate = {"-r", plan.filters.frameRate};
                plan.filters.frameRate.clear();
            }
            const std::string chain = plan.filters.chain();
            if (!noVideo && !chain.empty()) {
                tokens = {"-vf", chain};
                plan.filtersAt = plan.outputOptions.size() + 1;
            }
            tokens.insert(tokens.end(), rate.begin(), rate.end());
            break;
        }
        }
        plan.outputOptions.insert(plan.outputOptions.end(), tokens.begin(), tokens.end());
    }

    if (!muxerNamed && !plan.muxer.empty())
        plan.outputOptions.insert(plan.outputOptions.end(), {"-f", plan.muxer});
    const std::vector<std::string> tagArguments = metadataArguments(plan.tags, plan.muxer);
    plan.outputOptions.insert(plan.outputOptions.end(), tagArguments.begin(), tagArguments.end());
    plan.soundEncoded = !noAudio && plan.muxer != "image2";
    if (plan.muxer == "image2") {
        // One picture: the encoder the extension names (JPEG for a ".thm"),
        // written to the output's own name rather than a numbered sequence.
        plan.singlePicture = true;
        if (!videoEncoderGiven)
            plan.outputOptions.insert(plan.outputOptions.end(),
                                      {"-c:v", std::string(pictureEncoderForFile(plan.output))});
        if (!updateGiven)
            plan.outputOptions.insert(plan.outputOptions.end(), {"-update", "1"});
    }
    return plan;
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
