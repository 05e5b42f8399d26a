#include "Components/BrannockVideoConverter/VideoCopyChoice.h"

#include "Components/BrannockVideoConverter/CodingProbe.h"
#include "Components/BrannockVideoConverter/Console.h"
#include "Components/BrannockVideoConverter/OptionLookup.h"
#include "Components/BrannockVideoConverter/SoundCopyRules.h"
#include "Components/BrannockVideoConverter/SourceAdaptation.h"
#include "Components/BrannockVideoConverter/VideoCopyRules.h"

#include <unistd.h>

namespace converter {

std::optional<VideoCopy> chooseVideoCopy(const Plan &plan, const SourceFacts &facts,
                                         std::optional<FieldOrder> measured,
                                         const std::optional<SourceTrack> &sound) {
    // What the line and the codec's name alone rule out needs no more reading.
    VideoCoding named;
    named.codec = facts.videoCodec;
    const CopyBar early = judgeVideoCopy(plan, facts, named, measured).bar;
    if (early == CopyBar::NotApplicable || early == CopyBar::Asked || early == CopyBar::Encoder)
        return std::nullopt;

    std::optional<StreamCoding> coding = probeCoding(plan.input);
    if (!coding)
        return std::nullopt;
    VideoCopyVerdict verdict = judgeVideoCopy(plan, facts, coding->video, measured);
    if (verdict.bar == CopyBar::BitRateUnknown) {
        if (const std::optional<VideoRates> rates = measureVideoRates(plan.input)) {
            coding->video.bitRate = coding->video.bitRate.value_or(rates->bitRate);
            coding->video.peakFrames = rates->peakFrames;
            coding->video.peakBits = rates->peakBits;
        }
        verdict = judgeVideoCopy(plan, facts, coding->video, measured);
    }
    if (!verdict.copy())
        return std::nullopt;

    VideoCopy copy;
    if (sound && sound->number >= 1 &&
        static_cast<std::size_t>(sound->number) <= coding->audio.size())
        copy.sound =
            soundCanBeCopied(plan, coding->audio[static_cast<std::size_t>(sound->number - 1)]);
    if (!plan.seek.empty()) {
        const std::optional<double> start = seekSeconds(plan.seek);
        if (!start)
            return std::nullopt;
        copy.cutFrom = keyFrameAtOrBefore(plan.input, *start);
        if (!copy.cutFrom)
            return std::nullopt;
        const std::optional<std::string> length = optionValue(plan.outputOptions, {"-t"});
        if (const std::optional<double> seconds = length ? seekSeconds(*length) : std::nullopt)
            copy.cutTo = *start + *seconds;
        else if (facts.duration)
            copy.cutTo = facts.duration;
    }
    return copy;
}

void announceVideoCopy(const VideoCopy &copy) {
    writeAll(STDOUT_FILENO, copiedLine(copy) + "\n");
}

} // namespace converter
