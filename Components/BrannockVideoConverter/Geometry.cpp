#include "Components/BrannockVideoConverter/Geometry.h"

namespace converter {
namespace {

// "iw", "iw-16" or "iw+16": the input dimension changed by `change` pixels.
std::string relative(const char *dimension, int change) {
    std::string text(dimension);
    if (change > 0)
        text += '+' + std::to_string(change);
    else if (change < 0)
        text += std::to_string(change);
    return text;
}

} // namespace

std::string Geometry::filterChain() const {
    if (!any())
        return {};
    std::string chain;
    const auto add = [&chain](const std::string &filter) {
        if (!chain.empty())
            chain += ',';
        chain += filter;
    };
    if (crop.any()) {
        add("crop=" + relative("iw", -(crop.left + crop.right)) + ':' +
            relative("ih", -(crop.top + crop.bottom)) + ':' + std::to_string(crop.left) + ':' +
            std::to_string(crop.top));
    }
    if (size)
        add("scale=" + std::to_string(size->width) + ':' + std::to_string(size->height));
    if (pad.any()) {
        const std::string width = size ? std::to_string(size->width + pad.left + pad.right)
                                       : relative("iw", pad.left + pad.right);
        const std::string height = size ? std::to_string(size->height + pad.top + pad.bottom)
                                        : relative("ih", pad.top + pad.bottom);
        add("pad=" + width + ':' + height + ':' + std::to_string(pad.left) + ':' +
            std::to_string(pad.top) + ":black");
    }
    add("setsar=1");
    return chain;
}

} // namespace converter
