#include "Components/BrannockVideoConverter/EncoderTuning.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace converter {
namespace {

// Seconds between key frames: short for the MPEG-4 part 2, H.263 and Windows
// Media encoders, which lose more to a long run of predicted frames than a
// key frame costs; the longest a device should wait for one when seeking
// for H.264.
constexpr double kKeyFrameSeconds = 2;
constexpr double kLongestKeyFrameSeconds = 10;
constexpr int kX264KeyFrameInterval = 250; // x264's own default
constexpr int kX264References = 3;         // x264's default (preset medium)
constexpr int kPspReferences = 3;
constexpr double kToleranceSeconds = 2;

struct LevelLimit {
    std::string_view level;
    int decodedPictureBufferMacroblocks; // MaxDpbMbs of the H.264 level table
};

constexpr auto kLevels = std::to_array<LevelLimit>({
    {"1", 396},
    {"1b", 396},
    {"1.1", 900},
    {"1.2", 2376},
    {"1.3", 2376},
    {"2", 2376},
    {"2.1", 4752},
    {"2.2", 8100},
    {"3", 8100},
    {"3.1", 18000},
    {"3.2", 20480},
    {"4", 32768},
    {"4.1", 32768},
    {"4.2", 34816},
    {"5", 110400},
    {"5.1", 184320},
    {"5.2", 184320},
});

// "3.0" and "30" are "3", "31" is "3.1": the forms ffmpeg and x264 take.
std::string normalisedLevel(std::string_view level) {
    std::string text(level);
    if (text.size() == 2 && text[0] >= '1' && text[0] <= '5' && text[1] >= '0' && text[1] <= '9')
        text = std::string(1, text[0]) + '.' + text[1];
    if (text.size() == 3 && text[1] == '.' && text[2] == '0')
        text.resize(1);
    return text;
}

bool given(const EncoderUse &use, std::string_view option) {
    return std::find(use.given.begin(), use.given.end(), option) != use.given.end();
}

int framesIn(double seconds, double fps) {
    return std::max(1, static_cast<int>(std::lround(seconds * fps)));
}

} // namespace

EncoderFamily encoderFamily(std::string_view encoder) {
    if (encoder == "mpeg4")
        return EncoderFamily::Mpeg4;
    if (encoder == "libxvid")
        return EncoderFamily::Xvid;
    if (encoder == "h263" || encoder == "h263p")
        return EncoderFamily::H263;
    if (encoder == "wmv1" || encoder == "wmv2" || encoder == "msmpeg4" || encoder == "msmpeg4v2")
        return EncoderFamily::WindowsMedia;
    if (encoder == "libx264")
        return EncoderFamily::H264;
    return EncoderFamily::Other;
}

bool followsRateTolerance(EncoderFamily family) {
    return family == EncoderFamily::Mpeg4 || family == EncoderFamily::H263 ||
           family == EncoderFamily::WindowsMedia;
}

long long rateTolerance(long long bitsPerSecond) {
    return std::llround(kToleranceSeconds * static_cast<double>(bitsPerSecond));
}

std::optional<int> maxReferenceFrames(std::string_view level, FrameSize frame) {
    const std::string wanted = normalisedLevel(level);
    const long long macroblocks = ((frame.width + 15LL) / 16) * ((frame.height + 15LL) / 16);
    if (macroblocks <= 0)
        return std::nullopt;
    for (const LevelLimit &limit : kLevels) {
        if (limit.level == wanted)
            return static_cast<int>(
                std::clamp<long long>(limit.decodedPictureBufferMacroblocks / macroblocks, 1, 16));
    }
    return std::nullopt;
}

std::vector<std::string> tunedOptions(const EncoderUse &use) {
    std::vector<std::pair<std::string, std::string>> options;
    const EncoderFamily family = encoderFamily(use.encoder);
    switch (family) {
    case EncoderFamily::Mpeg4:
    case EncoderFamily::Xvid:
        options.emplace_back("-bf", "0");
        if (use.frameRate)
            options.emplace_back("-g", std::to_string(framesIn(kKeyFrameSeconds, *use.frameRate)));
        options.emplace_back("-flags", "+mv4+aic");
        if (family == EncoderFamily::Mpeg4)
            options.emplace_back("-mbd", "rd");
        else
            options.emplace_back("-trellis", "1");
        break;
    case EncoderFamily::H263:
    case EncoderFamily::WindowsMedia:
        if (use.frameRate)
            options.emplace_back("-g", std::to_string(framesIn(kKeyFrameSeconds, *use.frameRate)));
        options.emplace_back("-mbd", "rd");
        break;
    case EncoderFamily::H264: {
        if (use.frameRate) {
            options.emplace_back(
                "-g", std::to_string(std::min(kX264KeyFrameInterval,
                                              framesIn(kLongestKeyFrameSeconds, *use.frameRate))));
        }
        const bool psp = use.muxer == "psp";
        int references = psp ? kPspReferences : kX264References;
        if (use.frame && !use.h264Level.empty()) {
            if (const std::optional<int> limit = maxReferenceFrames(use.h264Level, *use.frame))
                references = std::min(references, *limit);
        }
        if (references < kX264References)
            options.emplace_back("-refs", std::to_string(references));
        if (psp)
            options.emplace_back("-b-pyramid", "none");
        break;
    }
    case EncoderFamily::Other:
        break;
    }
    if (followsRateTolerance(family) && use.bitRate) {
        options.emplace_back("-bt", std::to_string(rateTolerance(*use.bitRate)));
    }

    std::vector<std::string> arguments;
    for (const auto &[name, value] : options) {
        if (given(use, name))
            continue;
        arguments.push_back(name);
        arguments.push_back(value);
    }
    return arguments;
}

} // namespace converter
