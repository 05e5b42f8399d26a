#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace converter {

// The value of the last of `names` among ffmpeg options ("-ar", "44100",
// ...); nothing when none is given or it has no value.
std::optional<std::string> optionValue(const std::vector<std::string> &options,
                                       std::initializer_list<std::string_view> names);

} // namespace converter
