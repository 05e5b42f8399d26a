#include "Components/BrannockVideoConverter/SourceEnd.h"

#include "Components/BrannockVideoConverter/SourceAdaptation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace converter {
namespace {

std::string clockTime(double seconds) {
    const long long whole = std::max(0LL, static_cast<long long>(std::floor(seconds)));
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                  whole % 60);
    return text;
}

// The -t length among the output options, when there is one.
std::optional<double> lengthAskedFor(const Plan &plan) {
    const auto &options = plan.outputOptions;
    for (std::size_t i = 0; i + 1 < options.size(); ++i)
        if (options[i] == "-t")
            return seekSeconds(options[i + 1]);
    return std::nullopt;
}

} // namespace

std::optional<std::string> earlyEndWarning(const Plan &plan, std::optional<double> statedDuration,
                                           double reachedSeconds) {
    if (!statedDuration || *statedDuration <= 0 || plan.singlePicture)
        return std::nullopt;
    const double start = plan.seek.empty() ? 0 : seekSeconds(plan.seek).value_or(0);
    double expected = *statedDuration - start;
    if (const std::optional<double> length = lengthAskedFor(plan))
        expected = std::min(expected, *length);
    if (expected <= 0 || reachedSeconds + std::max(1.0, expected * 0.05) >= expected)
        return std::nullopt;
    return plan.input + ": converted, but the source ends early at " +
           clockTime(start + reachedSeconds) + " of " + clockTime(*statedDuration) +
           " (damaged or incomplete)";
}

} // namespace converter
