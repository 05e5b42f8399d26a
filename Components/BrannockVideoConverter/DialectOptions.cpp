// The options of the old dialect that the converter reads itself, each with
// what it does to the reading of the line. A new option is one entry of the
// table and, where no handler fits yet, one small handler.
#include "Components/BrannockVideoConverter/Encoders.h"
#include "Components/BrannockVideoConverter/LineReading.h"
#include "Components/BrannockVideoConverter/OptionValues.h"

#include <array>

namespace converter {
namespace {

using Refusal = std::optional<TranslationError>;

TranslationError invalidValue(const std::string &value, std::string_view option) {
    return {"Invalid value '" + value + "' for option '" + std::string(option.substr(1)) + "'"};
}

// Options the two dialects write alike (-ar, -ac, -t).
Refusal passOn(LineReading &reading, std::string_view option, const std::string &value) {
    reading.add({std::string(option), value});
    return std::nullopt;
}

// The member of `object` that the member pointers of `path` lead to, one
// within the other: &Plan::seek; &Plan::tags, &MediaTags::title.
template<auto first, auto... rest>
auto &member(auto &object) {
    if constexpr (sizeof...(rest) == 0)
        return object.*first;
    else
        return member<rest...>(object.*first);
}

// The option's value kept in the plan as it is.
template<auto... path>
Refusal keepValue(LineReading &reading, std::string_view, const std::string &value) {
    member<path...>(reading.plan) = value;
    return std::nullopt;
}

// An option without a value that sets a member of the plan to `value`.
template<auto value, auto... path>
Refusal setTo(LineReading &reading, std::string_view, const std::string &) {
    member<path...>(reading.plan) = value;
    return std::nullopt;
}

Refusal refuseSecondInput(LineReading &, std::string_view, const std::string &) {
    return TranslationError{"Only one input file is supported"};
}

Refusal readMuxer(LineReading &reading, std::string_view, const std::string &value) {
    reading.plan.muxer = value;
    reading.add({"-f", value});
    return std::nullopt;
}

Refusal readVideoEncoder(LineReading &reading, std::string_view, const std::string &value) {
    reading.videoEncoder = encoderName(value);
    reading.videoEncoderGiven = true;
    reading.add({"-c:v", reading.videoEncoder});
    reading.placeTuning();
    return std::nullopt;
}

Refusal readSoundEncoder(LineReading &reading, std::string_view, const std::string &value) {
    const std::string encoder = encoderName(value);
    // ffmpeg's AAC encoder substitutes noise for some bands by default,
    // which iPod decoders play as squeaks and pops.
    if (encoder == "aac")
        reading.add({"-c:a", encoder, "-aac_pns", "0"});
    else
        reading.add({"-c:a", encoder});
    return std::nullopt;
}

Refusal readFrameSize(LineReading &reading, std::string_view option, const std::string &value) {
    reading.geometry.size = parseFrameSize(value);
    if (!reading.geometry.size)
        return invalidValue(value, option);
    reading.placeFilters();
    return std::nullopt;
}

int &marginField(Geometry &geometry, std::string_view option) {
    Margins &margins = option.starts_with("-pad") ? geometry.pad : geometry.crop;
    if (option.ends_with("top"))
        return margins.top;
    if (option.ends_with("bottom"))
        return margins.bottom;
    if (option.ends_with("left"))
        return margins.left;
    return margins.right;
}

// -padtop ... -cropright.
Refusal readMargin(LineReading &reading, std::string_view option, const std::string &value) {
    const std::optional<int> pixels = parseMargin(value);
    if (!pixels)
        return invalidValue(value, option);
    marginField(reading.geometry, option) = *pixels;
    reading.placeFilters();
    return std::nullopt;
}

Refusal readUserFilter(LineReading &reading, std::string_view, const std::string &value) {
    reading.userFilter = value;
    reading.placeFilters();
    return std::nullopt;
}

Refusal readVideoBitRate(LineReading &reading, std::string_view, const std::string &value) {
    reading.videoBitRateText = bitRate(value);
    reading.pieces.push_back({Piece::Kind::VideoBitRate, {"-b:v", *reading.videoBitRateText}});
    return std::nullopt;
}

Refusal readSoundBitRate(LineReading &reading, std::string_view, const std::string &value) {
    reading.add({"-b:a", bitRate(value)});
    return std::nullopt;
}

Refusal readSameQuality(LineReading &reading, std::string_view, const std::string &) {
    reading.sameQuality = true;
    reading.pieces.push_back({Piece::Kind::Quality, {}});
    return std::nullopt;
}

// A filter rather than the output option: -r drops and repeats frames
// without moving the sound, which falls out of step.
Refusal readFrameRate(LineReading &reading, std::string_view option, const std::string &value) {
    reading.frameRate = framesPerSecond(value);
    if (!reading.frameRate)
        return invalidValue(value, option);
    reading.plan.filters.frameRate = value;
    reading.placeFilters();
    return std::nullopt;
}

Refusal readNoVideo(LineReading &reading, std::string_view option, const std::string &) {
    reading.noVideo = true;
    reading.add({std::string(option)});
    return std::nullopt;
}

Refusal readNoAudio(LineReading &reading, std::string_view option, const std::string &) {
    reading.noAudio = true;
    reading.add({std::string(option)});
    return std::nullopt;
}

Refusal readFrameCount(LineReading &reading, std::string_view, const std::string &value) {
    reading.add({"-frames:v", value});
    return std::nullopt;
}

Refusal readFitSize(LineReading &reading, std::string_view option, const std::string &value) {
    reading.plan.fitSize = byteCount(value);
    if (!reading.plan.fitSize)
        return invalidValue(value, option);
    reading.plan.twoPass = true;
    return std::nullopt;
}

Refusal readKind(LineReading &reading, std::string_view, const std::string &value) {
    reading.plan.tags.kind = parseMediaKind(value);
    if (!reading.plan.tags.kind)
        return TranslationError{"-kind: expected movie, tv or musicvideo, not '" + value + "'"};
    return std::nullopt;
}

// -season and -episode.
Refusal readEpisodeNumber(LineReading &reading, std::string_view option, const std::string &value) {
    const std::optional<int> number = parseEpisodeNumber(value);
    if (!number)
        return TranslationError{std::string(option) + ": expected a whole number, not '" + value +
                                "'"};
    (option == "-season" ? reading.plan.tags.season : reading.plan.tags.episode) = number;
    return std::nullopt;
}

constexpr auto kDialect = std::to_array<DialectOption>({
    {"-i", true, refuseSecondInput},
    {"-f", true, readMuxer},
    {"-vcodec", true, readVideoEncoder},
    {"-acodec", true, readSoundEncoder},
    {"-s", true, readFrameSize},
    {"-padtop", true, readMargin},
    {"-padbottom", true, readMargin},
    {"-padleft", true, readMargin},
    {"-padright", true, readMargin},
    {"-croptop", true, readMargin},
    {"-cropbottom", true, readMargin},
    {"-cropleft", true, readMargin},
    {"-cropright", true, readMargin},
    {"-b", true, readVideoBitRate},
    {"-ab", true, readSoundBitRate},
    {"-sameq", false, readSameQuality},
    {"-r", true, readFrameRate},
    {"-ar", true, passOn},
    {"-ac", true, passOn},
    {"-vn", false, readNoVideo},
    {"-an", false, readNoAudio},
    {"-ss", true, keepValue<&Plan::seek>},
    {"-t", true, passOn},
    {"-vframes", true, readFrameCount},
    {"-y", false, setTo<true, &Plan::overwrite>},
    {"-vf", true, readUserFilter},
    {"-filter:v", true, readUserFilter},
    {"-twopass", false, setTo<true, &Plan::twoPass>},
    {"-fitsize", true, readFitSize},
    {"-deinterlace", false,
     setTo<DeinterlaceChoice::Always, &Plan::choices, &SourceChoices::deinterlace>},
    {"-nodeinterlace", false,
     setTo<DeinterlaceChoice::Never, &Plan::choices, &SourceChoices::deinterlace>},
    {"-audiotrack", true, keepValue<&Plan::choices, &SourceChoices::audioTrack>},
    {"-burnsubs", true, keepValue<&Plan::choices, &SourceChoices::burnSubtitles>},
    {"-alwaysencode", false, setTo<true, &Plan::alwaysEncode>},
    {"-kind", true, readKind},
    {"-title", true, keepValue<&Plan::tags, &MediaTags::title>},
    {"-show", true, keepValue<&Plan::tags, &MediaTags::show>},
    {"-season", true, readEpisodeNumber},
    {"-episode", true, readEpisodeNumber},
    {"-cover", false, setTo<true, &Plan::coverPicture>},
});

} // namespace

const DialectOption *dialectOption(std::string_view word) {
    for (const DialectOption &option : kDialect) {
        if (option.name == word)
            return &option;
    }
    return nullptr;
}

} // namespace converter
