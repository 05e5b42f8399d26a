#include "Components/BrannockVideoConverter/Geometry.h"

namespace converter {
namespace {

// "iw", "iw-16" or "iw+16": the input dimension changed by `change` pixels.
std::string relative(const char *dimension, long long change) {
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
    // Sums are taken in 64 bits: any two margins or sizes a command line can
    // give fit there, so an absurd value reaches ffmpeg (which refuses it)
    // instead of wrapping round.
    const auto sum = [](long long a, long long b, long long c = 0) {
        return a + b + c;
    };
    if (crop.any()) {
        add("crop=" + relative("iw", -sum(crop.left, crop.right)) + ':' +
            relative("ih", -sum(crop.top, crop.bottom)) + ':' + std::to_string(crop.left) + ':' +
            std::to_string(crop.top));
    }
    if (size)
        add("scale=" + std::to_string(size->width) + ':' + std::to_string(size->height));
    if (pad.any()) {
        const std::string width = size ? std::to_string(sum(size->width, pad.left, pad.right))
                                       : relative("iw", sum(pad.left, pad.right));
        const std::string height = size ? std::to_string(sum(size->height, pad.top, pad.bottom))
                                        : relative("ih", sum(pad.top, pad.bottom));
        add("pad=" + width + ':' + height + ':' + std::to_string(pad.left) + ':' +
            std::to_string(pad.top) + ":black");
    }
    add("setsar=1");
    return chain;
}

} // namespace converter
