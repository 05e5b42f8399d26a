#include "Components/BrannockVideoConverter/SoundCopyRules.h"

#include "Components/BrannockVideoConverter/OptionLookup.h"

namespace converter {
namespace {

// An encoder asked for 128 kbit/s averages a little above or below it.
constexpr double kBitRateAllowance = 1.01;

} // namespace

bool soundCanBeCopied(const Plan &plan, const SoundCoding &sound) {
    const std::vector<std::string> &options = plan.outputOptions;
    if (!plan.soundEncoded || !plan.extraInputs.empty() ||
        optionValue(options, {"-af", "-filter:a"}))
        return false;
    if (optionValue(options, {"-c:a", "-acodec"}) != "aac" || sound.codec != "aac" ||
        sound.profile != "LC")
        return false;
    const std::optional<std::string> rate = optionValue(options, {"-ar", "-ar:a"});
    const std::optional<std::string> channels = optionValue(options, {"-ac", "-ac:a"});
    if (!rate || *rate != std::to_string(sound.sampleRate) || !channels ||
        *channels != std::to_string(sound.channels))
        return false;
    const std::optional<std::string> bits = optionValue(options, {"-b:a", "-ab"});
    const std::optional<long long> most = bits ? bitsPerSecond(*bits) : std::nullopt;
    return most && sound.bitRate &&
           static_cast<double>(*sound.bitRate) <= static_cast<double>(*most) * kBitRateAllowance;
}

} // namespace converter
