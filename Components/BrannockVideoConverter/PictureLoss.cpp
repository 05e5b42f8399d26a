#include "Components/BrannockVideoConverter/PictureLoss.h"

#include "Components/BrannockVideoConverter/OptionLookup.h"
#include "Components/BrannockVideoConverter/OptionValues.h"
#include "Components/BrannockVideoConverter/SourceAdaptation.h"

#include <algorithm>

namespace converter {
namespace {

// The frames a second the source states for its picture; 0 unknown.
double statedRate(const SourceFacts &facts) {
    if (facts.videoFrames > 0 && facts.videoDuration && *facts.videoDuration > 0)
        return static_cast<double>(facts.videoFrames) / *facts.videoDuration;
    return facts.videoFrameRate;
}

bool writesPicture(const Plan &plan, const SourceFacts &facts) {
    return facts.hasVideo && !plan.videoEncoder.empty() && !plan.singlePicture &&
           !optionValue(plan.outputOptions, {"-frames:v", "-vframes"});
}

} // namespace

std::optional<std::string> pictureLossError(const Plan &plan, const SourceFacts &facts,
                                            long long frames, double reachedSeconds) {
    if (!writesPicture(plan, facts))
        return std::nullopt;
    double seconds = reachedSeconds;
    if (facts.videoDuration)
        seconds = std::min(seconds, *facts.videoDuration - seekSeconds(plan.seek).value_or(0));
    double rate = statedRate(facts);
    if (const std::optional<double> lineRate = framesPerSecond(plan.filters.frameRate))
        rate = rate > 0 ? std::min(rate, *lineRate) : *lineRate;
    // Without a rate known, only an output without a single frame tells.
    const double expected = seconds * (rate > 0 ? rate : 1);
    const bool lost =
        frames <= 0 ? expected >= 1 : rate > 0 && expected >= 4 && frames * 4 < expected;
    if (!lost)
        return std::nullopt;
    return plan.input + ": the picture could not be read: the file is damaged or incomplete";
}

} // namespace converter
