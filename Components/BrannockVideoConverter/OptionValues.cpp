#include "Components/BrannockVideoConverter/OptionValues.h"

#include <array>
#include <charconv>

namespace converter {
namespace {

struct NamedSize {
    std::string_view name;
    FrameSize size;
};

// The size names ffmpeg has always accepted for -s.
constexpr std::array kNamedSizes{
    NamedSize{"ntsc", {720, 480}},    NamedSize{"pal", {720, 576}},
    NamedSize{"qntsc", {352, 240}},   NamedSize{"qpal", {352, 288}},
    NamedSize{"sntsc", {640, 480}},   NamedSize{"spal", {768, 576}},
    NamedSize{"film", {352, 240}},    NamedSize{"ntsc-film", {352, 240}},
    NamedSize{"sqcif", {128, 96}},    NamedSize{"qcif", {176, 144}},
    NamedSize{"cif", {352, 288}},     NamedSize{"4cif", {704, 576}},
    NamedSize{"16cif", {1408, 1152}}, NamedSize{"qqvga", {160, 120}},
    NamedSize{"qvga", {320, 240}},    NamedSize{"vga", {640, 480}},
    NamedSize{"svga", {800, 600}},    NamedSize{"xga", {1024, 768}},
    NamedSize{"uxga", {1600, 1200}},  NamedSize{"qxga", {2048, 1536}},
    NamedSize{"sxga", {1280, 1024}},  NamedSize{"wvga", {852, 480}},
    NamedSize{"wxga", {1366, 768}},   NamedSize{"wsxga", {1600, 1024}},
    NamedSize{"wuxga", {1920, 1200}}, NamedSize{"cga", {320, 200}},
    NamedSize{"ega", {640, 350}},     NamedSize{"hd480", {852, 480}},
    NamedSize{"hd720", {1280, 720}},  NamedSize{"hd1080", {1920, 1080}},
};

// A whole number made of digits only, nothing else.
std::optional<int> parseDigits(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.front() == '-' ||
        text.front() == '+')
        return std::nullopt;
    return value;
}

struct NamedRate {
    std::string_view name;
    double fps;
};

// The frame rate names ffmpeg accepts for -r.
constexpr std::array kNamedRates{
    NamedRate{"ntsc", 30000.0 / 1001},
    NamedRate{"pal", 25},
    NamedRate{"qntsc", 30000.0 / 1001},
    NamedRate{"qpal", 25},
    NamedRate{"sntsc", 30000.0 / 1001},
    NamedRate{"spal", 25},
    NamedRate{"film", 24},
    NamedRate{"ntsc-film", 24000.0 / 1001},
};

std::optional<double> plainNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
        text.front() == '-' || text.front() == '+')
        return std::nullopt;
    return value;
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::optional<FrameSize> parseFrameSize(std::string_view text) {
    for (const NamedSize &named : kNamedSizes) {
        if (named.name == text)
            return named.size;
    }
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos)
        return std::nullopt;
    const std::optional<int> width = parseDigits(text.substr(0, x));
    const std::optional<int> height = parseDigits(text.substr(x + 1));
    if (!width || !height || *width <= 0 || *height <= 0)
        return std::nullopt;
    return FrameSize{*width, *height};
}

std::optional<int> parseMargin(std::string_view text) {
    const std::optional<int> value = parseDigits(text);
    if (!value || *value % 2 != 0)
        return std::nullopt;
    return value;
}

std::string bitRate(std::string_view text) {
    constexpr std::string_view suffix = "bps";
    if (text.size() >= suffix.size()) {
        const std::string_view tail = text.substr(text.size() - suffix.size());
        bool matches = true;
        for (std::size_t i = 0; i < suffix.size(); ++i)
            matches = matches && lower(tail[i]) == suffix[i];
        if (matches)
            text.remove_suffix(suffix.size());
    }
    return std::string(text);
}

} // namespace converter

namespace converter {

std::optional<long long> bitsPerSecond(std::string_view text) {
    double factor = 1;
    bool binary = false;
    if (text.ends_with('i')) {
        binary = true;
        text.remove_suffix(1);
    }
    if (!text.empty()) {
        switch (text.back()) {
        case 'k':
        case 'K':
            factor = binary ? 1024.0 : 1e3;
            break;
        case 'M':
            factor = binary ? 1024.0 * 1024 : 1e6;
            break;
        case 'G':
            factor = binary ? 1024.0 * 1024 * 1024 : 1e9;
            break;
        default:
            if (binary)
                return std::nullopt;
            factor = 0;
            break;
        }
        if (factor != 0)
            text.remove_suffix(1);
        else
            factor = 1;
    }
    const std::optional<double> value = plainNumber(text);
    if (!value || *value * factor < 1 || *value * factor > 1e12)
        return std::nullopt;
    return static_cast<long long>(*value * factor + 0.5);
}

std::optional<double> framesPerSecond(std::string_view text) {
    for (const NamedRate &named : kNamedRates) {
        if (named.name == text)
            return named.fps;
    }
    const std::size_t slash = text.find('/');
    const std::optional<double> top = plainNumber(text.substr(0, slash));
    const std::optional<double> bottom =
        slash == std::string_view::npos ? 1.0 : plainNumber(text.substr(slash + 1));
    if (!top || !bottom || *top <= 0 || *bottom <= 0 || *top / *bottom > 1000)
        return std::nullopt;
    return *top / *bottom;
}

std::optional<long long> byteCount(std::string_view text) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text.front() == '-' || text.front() == '+' || error != std::errc() ||
        end != text.data() + text.size() || value <= 0)
        return std::nullopt;
    return value;
}

} // namespace converter
