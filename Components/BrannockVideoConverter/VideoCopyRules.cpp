#include "Components/BrannockVideoConverter/VideoCopyRules.h"

#include "Components/BrannockVideoConverter/EncoderTuning.h"
#include "Components/BrannockVideoConverter/OptionLookup.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace converter {
namespace {

constexpr int kPspReferences = 3;
// A rate of 29.97 written as 30000/1001, or rounded on the line to 29.97.
constexpr double kFrameRateAllowance = 1.001;

VideoCopyVerdict barred(CopyBar bar, std::string reason) {
    return {bar, std::move(reason)};
}

bool oneOf(const std::string &value, std::initializer_list<const char *> allowed) {
    return std::any_of(allowed.begin(), allowed.end(),
                       [&](const char *candidate) { return value == candidate; });
}

// An H.264 level in tenths: "3.0", "3" and "30" are 30, "3.1" and "31" are 31;
// level 1b counts as 1. Nothing for any other text.
std::optional<int> levelTenths(const std::string &text) {
    if (text == "1b")
        return 10;
    int whole = 0;
    int tenth = 0;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%d.%d%c", &whole, &tenth, &rest) == 2 && tenth >= 0 &&
        tenth <= 9)
        return whole * 10 + tenth;
    if (std::sscanf(text.c_str(), "%d%c", &whole, &rest) == 1)
        return whole < 10 ? whole * 10 : whole;
    return std::nullopt;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

bool h264(const Plan &plan) {
    return encoderFamily(plan.videoEncoder) == EncoderFamily::H264 || plan.videoEncoder == "h264";
}

VideoCopyVerdict judgeCoding(const Plan &plan, const VideoCoding &coding,
                             const std::string &profile, const std::string &level) {
    const EncoderFamily family = encoderFamily(plan.videoEncoder);
    if (h264(plan)) {
        if (coding.codec != "h264")
            return barred(CopyBar::Encoder,
                          "the source's video is " + coding.codec + ", not H.264");
        const bool baseline = profile == "baseline";
        if (!baseline && profile != "main")
            return barred(CopyBar::Profile, profile.empty()
                                                ? "the line names no H.264 profile"
                                                : "H.264 profile " + profile + " is never copied");
        const bool allowed = baseline ? oneOf(coding.profile, {"Baseline", "Constrained Baseline"})
                                      : oneOf(coding.profile, {"Constrained Baseline", "Main"});
        if (!allowed)
            return barred(CopyBar::Profile,
                          "H.264 profile " + (coding.profile.empty() ? "unknown" : coding.profile) +
                              ", the device takes " + profile);
        const std::optional<int> target = levelTenths(level);
        if (!target)
            return barred(CopyBar::Level, "the line names no H.264 level");
        // Level 1b streams state 11 (Baseline, Main) or 9: 9 counts as 1.1 here.
        const int source = coding.level == 9 ? 11 : coding.level;
        if (source <= 0 || source > *target)
            return barred(CopyBar::Level,
                          source <= 0 ? "the source's H.264 level is unknown"
                                      : "H.264 level " + number(source / 10.0) + " above " + level);
        if (baseline && coding.reordered)
            return barred(CopyBar::BFrames, "B-frames, which Baseline has none of");
        return {};
    }
    if (family == EncoderFamily::Mpeg4 || family == EncoderFamily::Xvid) {
        if (coding.codec != "mpeg4")
            return barred(CopyBar::Encoder,
                          "the source's video is " + coding.codec + ", not MPEG-4 Part 2");
        if (coding.profile != "Simple Profile")
            return barred(CopyBar::Profile,
                          "MPEG-4 " +
                              (coding.profile.empty() ? "profile unknown" : coding.profile) +
                              ", the device takes Simple Profile");
        if (coding.reordered)
            return barred(CopyBar::BFrames, "B-frames, which Simple Profile has none of");
        return {};
    }
    return barred(CopyBar::Encoder, plan.videoEncoder + " video is always encoded");
}

VideoCopyVerdict judgePicture(const Plan &plan, const SourceFacts &facts, const VideoCoding &coding,
                              std::optional<FieldOrder> measured) {
    const Geometry &geometry = plan.filters.geometry;
    if (geometry.crop.any() || !plan.filters.userFilter.empty() || plan.subtitlesDrawn)
        return barred(CopyBar::Picture, "the picture is cropped, filtered or given subtitles");
    if (!geometry.size)
        return barred(CopyBar::FrameSize, "the line sets no frame size");
    if (facts.width <= 0 || facts.height <= 0 || facts.width > geometry.size->width ||
        facts.height > geometry.size->height)
        return barred(CopyBar::FrameSize, "frame " + std::to_string(facts.width) + "x" +
                                              std::to_string(facts.height) + " larger than " +
                                              std::to_string(geometry.size->width) + "x" +
                                              std::to_string(geometry.size->height));
    if (facts.anamorphic())
        return barred(CopyBar::PixelShape, "pixels are not square");
    if (facts.rotation != 0)
        return barred(CopyBar::Rotation, "the picture is turned for display");
    if (!oneOf(coding.pixelFormat, {"yuv420p", "yuvj420p"}))
        return barred(CopyBar::PixelFormat,
                      "pixel format " + coding.pixelFormat + ", the device takes 8-bit 4:2:0");
    const FieldOrder order = facts.fieldOrder == FieldOrder::Unknown
                                 ? measured.value_or(facts.fieldOrder)
                                 : facts.fieldOrder;
    if (plan.choices.deinterlace == DeinterlaceChoice::Always || order == FieldOrder::TopFirst ||
        order == FieldOrder::BottomFirst)
        return barred(CopyBar::Interlaced, "interlaced, or deinterlacing asked for");
    if (facts.transfer != Transfer::Standard)
        return barred(CopyBar::Hdr, "HDR picture");
    return {};
}

VideoCopyVerdict judgeFrameRate(const Plan &plan, const VideoCoding &coding) {
    const std::optional<double> rate = framesPerSecond(plan.filters.frameRate);
    if (!rate)
        return barred(CopyBar::FrameRate, "the line sets no frame rate");
    if (coding.frameRate <= 0 || coding.frameRate > *rate * kFrameRateAllowance)
        return barred(CopyBar::FrameRate, number(coding.frameRate) + " frames a second, above " +
                                              plan.filters.frameRate);
    return {};
}

VideoCopyVerdict judgeReferenceFrames(const Plan &plan, const SourceFacts &facts,
                                      const VideoCoding &coding, const std::string &level) {
    if (!h264(plan))
        return {};
    int most = maxReferenceFrames(level, {facts.width, facts.height}).value_or(0);
    if (plan.muxer == "psp")
        most = std::min(most, kPspReferences);
    if (!coding.referenceFrames || *coding.referenceFrames > most)
        return barred(CopyBar::ReferenceFrames,
                      (coding.referenceFrames ? std::to_string(*coding.referenceFrames)
                                              : std::string("unknown")) +
                          " reference frames, the device takes " + std::to_string(most));
    return {};
}

VideoCopyVerdict judgeBitRate(const Plan &plan, const VideoCoding &coding) {
    if (!plan.videoBitRate)
        return barred(CopyBar::BitRate, "the line sets no video bit rate");
    if (!coding.bitRate || !coding.peakFrames || !coding.peakBits)
        return barred(CopyBar::BitRateUnknown, "the video's rates are not measured");
    if (*coding.bitRate > *plan.videoBitRate)
        return barred(CopyBar::BitRate, "video bit rate " + std::to_string(*coding.bitRate) +
                                            " above " + std::to_string(*plan.videoBitRate));
    return {};
}

// A source whose rates average within the line's may still have stretches
// above them: a variable frame rate that runs at twice the line's for a
// while, a first second that takes several times the bit rate.
VideoCopyVerdict judgePeaks(const Plan &plan, const VideoCoding &coding) {
    const double rate = framesPerSecond(plan.filters.frameRate).value_or(0);
    const int mostFrames = static_cast<int>(std::ceil(rate * kFrameRateAllowance - 1e-9));
    if (coding.peakFrames.value_or(0) > mostFrames)
        return barred(CopyBar::FramePeak, std::to_string(*coding.peakFrames) +
                                              " frames in one second, above " +
                                              plan.filters.frameRate);
    if (!plan.videoMaxRate)
        return {};
    // A decoder buffer of -bufsize filled at -maxrate takes that much in a second.
    const long long buffer =
        bitsPerSecond(optionValue(plan.outputOptions, {"-bufsize", "-bufsize:v"}).value_or(""))
            .value_or(0);
    const long long mostBits = *plan.videoMaxRate + buffer;
    if (coding.peakBits.value_or(0) > mostBits)
        return barred(CopyBar::BitRatePeak, std::to_string(*coding.peakBits) +
                                                " bits in one second, above " +
                                                std::to_string(mostBits));
    return {};
}

} // namespace

VideoCopyVerdict judgeVideoCopy(const Plan &plan, const SourceFacts &facts,
                                const VideoCoding &coding, std::optional<FieldOrder> measured) {
    if (plan.videoEncoder.empty() || plan.singlePicture || !facts.hasVideo)
        return barred(CopyBar::NotApplicable, "no video to convert");
    if (plan.alwaysEncode || plan.twoPass || plan.fitSize)
        return barred(CopyBar::Asked, "encoding asked for");

    const std::string profile =
        optionValue(plan.outputOptions, {"-profile:v", "-profile", "-vprofile"}).value_or("");
    const std::string level = optionValue(plan.outputOptions, {"-level:v", "-level"}).value_or("");
    for (const VideoCopyVerdict &verdict :
         {judgeCoding(plan, coding, profile, level), judgePicture(plan, facts, coding, measured),
          judgeFrameRate(plan, coding), judgeReferenceFrames(plan, facts, coding, level),
          judgeBitRate(plan, coding), judgePeaks(plan, coding)}) {
        if (!verdict.copy())
            return verdict;
    }
    return {};
}

} // namespace converter
