#include "Components/BrannockVideoConverter/FirstPictureOptions.h"

#include <array>
#include <cctype>
#include <string_view>
#include <utility>

namespace converter {
namespace {

// ffmpeg's short names for an option on every picture stream.
constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kPictureAliases{{
    {"-vf", "-filter:v"},
    {"-vtag", "-tag:v"},
    {"-vbsf", "-bsf:v"},
    {"-aspect", "-aspect:v"},
    {"-pix_fmt", "-pix_fmt:v"},
}};

std::string narrowed(const std::string &token) {
    // An option's name starts with a letter; "-0:v" (a stream left out of
    // -map) is a value.
    if (token.size() < 2 || token[0] != '-' || !std::isalpha(static_cast<unsigned char>(token[1])))
        return token;
    for (const auto &[alias, name] : kPictureAliases) {
        if (token == alias)
            return std::string(name) + ":0";
    }
    return token.ends_with(":v") ? token + ":0" : token;
}

} // namespace

std::vector<std::string> firstPictureOnly(const std::vector<std::string> &options) {
    std::vector<std::string> narrowedOptions;
    narrowedOptions.reserve(options.size());
    for (const std::string &token : options)
        narrowedOptions.push_back(narrowed(token));
    return narrowedOptions;
}

} // namespace converter
