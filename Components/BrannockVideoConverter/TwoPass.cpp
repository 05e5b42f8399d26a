#include "Components/BrannockVideoConverter/TwoPass.h"

#include <algorithm>
#include <cmath>

namespace converter {
namespace {

constexpr double kRateTolerance = 0.02;
constexpr double kFitLowest = 0.97;
constexpr double kFitAim = 0.985;
// A run again moves the rate by at most this factor either way.
constexpr double kLargestCorrection = 1.5;
// Rate control misses by a few per cent; an output this far below what it
// was given is a picture that needs fewer bits (a still or a plain one), and
// another run at a higher rate would spend no more.
constexpr double kNeedsFewerBits = 0.75;

bool contains(const std::vector<std::string> &tokens, const std::string &word) {
    return std::find(tokens.begin(), tokens.end(), word) != tokens.end();
}

} // namespace

std::vector<std::string> passArguments(const Plan &plan, int pass, const std::string &logPrefix,
                                       const std::string &outputUrl) {
    // The first pass writes no cover art; the second copies it, its options
    // after the pass options, which are the picture's.
    Plan passPlan = plan;
    if (pass == 1) {
        passPlan.coverInput.clear();
        passPlan.coverOptions.clear();
    }
    std::vector<std::string> arguments = ffmpegArguments(passPlan, outputUrl);
    std::vector<std::string> passOptions{"-pass", std::to_string(pass), "-passlogfile", logPrefix};
    // Without a fixed rate ffmpeg would let the null muxer of the first pass
    // see other frames than the file of the second, and the second pass
    // would run past the end of its log.
    if (!contains(plan.outputOptions, "-fps_mode") && !contains(plan.outputOptions, "-vsync"))
        passOptions.insert(passOptions.end(),
                           {"-fps_mode", plan.fixedFrameRate ? "cfr" : "passthrough"});
    if (pass == 1) {
        // x264's quick first pass misjudges some pictures by a sixth of the
        // rate; the full analysis keeps the second within a per cent.
        if (plan.videoEncoder == "libx264" && !contains(plan.outputOptions, "-fastfirstpass"))
            passOptions.insert(passOptions.end(), {"-fastfirstpass", "0"});
        // ffmpeg's own encoders measure the pictures as well without the
        // rate-distortion decision, at a tenth less time.
        const auto tunedBegin = plan.outputOptions.begin() + static_cast<long>(plan.tunedAt);
        if (std::find(tunedBegin, tunedBegin + static_cast<long>(plan.tunedCount), "-mbd") !=
            tunedBegin + static_cast<long>(plan.tunedCount))
            passOptions.insert(passOptions.end(), {"-mbd", "simple"});
        passOptions.insert(passOptions.end(), {"-an", "-sn", "-dn", "-f", "null"});
    }
    arguments.insert(arguments.end() - 1 - static_cast<long>(passPlan.coverOptions.size()),
                     passOptions.begin(), passOptions.end());
    return arguments;
}

long long PassTimeline::shown(long long position) const {
    if (pass == 1)
        return position / 2;
    if (pass == 2 && length > 0)
        return from + std::llround(static_cast<double>(length - from) *
                                   static_cast<double>(std::clamp(position, 0LL, length)) /
                                   static_cast<double>(length));
    return position;
}

void PassTimeline::runAgain(long long position) {
    from = std::max(from, std::min(shown(position), length));
}

std::optional<long long> correctedBitRate(const Plan &plan, const SecondPassOutcome &outcome) {
    if (!plan.videoBitRate || outcome.bitRate <= 0 || outcome.videoBytes <= 0 ||
        outcome.seconds <= 0)
        return std::nullopt;
    const double achieved = outcome.videoBytes * 8 / outcome.seconds;
    double factor = 1;
    if (plan.fitSize) {
        const double size = static_cast<double>(*plan.fitSize);
        const auto file = static_cast<double>(outcome.fileBytes);
        if (file <= size && file >= kFitLowest * size)
            return std::nullopt;
        const double videoWanted = outcome.videoBytes + kFitAim * size - file;
        factor = videoWanted / outcome.videoBytes;
    } else {
        const double target = static_cast<double>(*plan.videoBitRate);
        // The encoder gives the video's size in whole kilobytes.
        const double rounding = 512 / outcome.videoBytes;
        if (std::abs(achieved / target - 1) <= kRateTolerance + rounding)
            return std::nullopt;
        factor = target / achieved;
    }
    if (factor > 1 / kNeedsFewerBits)
        return std::nullopt;
    factor = std::clamp(factor, 1 / kLargestCorrection, kLargestCorrection);
    // The rate asked for may go above -maxrate (Xvid, for one, stays well
    // below what it is asked for), the rate reached may not.
    if (plan.videoMaxRate)
        factor = std::min(factor, static_cast<double>(*plan.videoMaxRate) / achieved);
    long long corrected = std::llround(static_cast<double>(outcome.bitRate) * factor);
    // ffmpeg's own encoders refuse a rate above -maxrate outright.
    if (plan.videoMaxRate && plan.videoEncoder != "libxvid")
        corrected = std::min(corrected, *plan.videoMaxRate);
    if (corrected == outcome.bitRate)
        return std::nullopt;
    return corrected;
}

} // namespace converter
