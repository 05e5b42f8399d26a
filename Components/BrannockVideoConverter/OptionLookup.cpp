#include "Components/BrannockVideoConverter/OptionLookup.h"

#include <algorithm>

namespace converter {

std::optional<std::string> optionValue(const std::vector<std::string> &options,
                                       std::initializer_list<std::string_view> names) {
    std::optional<std::string> value;
    for (std::size_t i = 0; i + 1 < options.size(); ++i) {
        if (std::find(names.begin(), names.end(), options[i]) != names.end())
            value = options[++i];
    }
    return value;
}

} // namespace converter
