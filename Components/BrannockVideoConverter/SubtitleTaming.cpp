#include "Components/BrannockVideoConverter/SubtitleTaming.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace converter {
namespace {

constexpr double kMostScale = 400; // percent
constexpr double kMostBlur = 20;

// The most each size may be, in the script's frame.
struct Limits {
    double fontSize = 288;
    double scale = kMostScale;
    double spacing = 38.4;
    double blur = kMostBlur;
    double border = 28.8;
};

std::string trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<std::string> splitLines(const std::string &script) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin <= script.size()) {
        const std::size_t end = script.find('\n', begin);
        lines.push_back(script.substr(begin, end - begin));
        if (end == std::string::npos)
            break;
        begin = end + 1;
    }
    return lines;
}

// "Key: value" lines: the key in lower case, and the value.
bool keyed(const std::string &line, std::string &key, std::string &value) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || line.starts_with(';') || line.starts_with('['))
        return false;
    key = lower(trimmed(std::string_view(line).substr(0, colon)));
    value = line.substr(colon + 1);
    return true;
}

// The frame the script's sizes count in, as the renderer reads it.
Limits limitsOf(const std::vector<std::string> &lines) {
    double width = 0;
    double height = 0;
    std::string key, value;
    for (const std::string &line : lines) {
        if (keyed(line, key, value) && key == "playresx")
            width = std::atof(value.c_str());
        else if (keyed(line, key, value) && key == "playresy")
            height = std::atof(value.c_str());
    }
    if (width <= 0 && height <= 0) {
        width = 384;
        height = 288;
    } else if (height <= 0) {
        height = width == 1280 ? 1024 : width * 3 / 4;
    } else if (width <= 0) {
        width = height == 1024 ? 1280 : height * 4 / 3;
    }
    Limits limits;
    limits.fontSize = height;
    limits.spacing = width / 10;
    limits.border = height / 10;
    return limits;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// The number lowered to `most` (in size, either sign); as it was when it is not above.
std::string lowered(const std::string &text, double most, bool &changed) {
    const double value = std::atof(text.c_str());
    if (!std::isfinite(value) || std::fabs(value) > most) {
        changed = true;
        return number(std::isfinite(value) && value < 0 ? -most : most);
    }
    return text;
}

// The comma-separated fields of a style or event line, after its key.
std::vector<std::string> fieldsOf(const std::string &value, std::size_t count) {
    std::vector<std::string> fields;
    std::size_t begin = 0;
    while (fields.size() + 1 < count) {
        const std::size_t comma = value.find(',', begin);
        if (comma == std::string::npos)
            break;
        fields.push_back(value.substr(begin, comma - begin));
        begin = comma + 1;
    }
    fields.push_back(value.substr(begin));
    return fields;
}

std::string joinedFields(const std::vector<std::string> &fields) {
    std::string text;
    for (std::size_t i = 0; i < fields.size(); ++i)
        text += (i == 0 ? "" : ",") + fields[i];
    return text;
}

// The most a style's field may hold, by its name in the Format line; 0
// for a field that is not a size.
double styleLimit(const std::string &name, const Limits &limits) {
    if (name == "fontsize")
        return limits.fontSize;
    if (name == "scalex" || name == "scaley")
        return limits.scale;
    if (name == "spacing")
        return limits.spacing;
    if (name == "outline" || name == "shadow")
        return limits.border;
    return 0;
}

std::string tamedStyle(const std::string &value, const std::vector<std::string> &format,
                       const Limits &limits, bool &changed) {
    std::vector<std::string> fields = fieldsOf(value, format.size());
    for (std::size_t i = 0; i < fields.size() && i < format.size(); ++i) {
        if (const double most = styleLimit(format[i], limits); most > 0)
            fields[i] = lowered(fields[i], most, changed);
    }
    return joinedFields(fields);
}

// The most an override tag's value may be; 0 for a tag that is not a size.
double tagLimit(const std::string &name, const Limits &limits) {
    if (name == "fs")
        return limits.fontSize;
    if (name == "fscx" || name == "fscy")
        return limits.scale;
    if (name == "fsp")
        return limits.spacing;
    if (name == "blur" || name == "be")
        return limits.blur;
    if (name == "bord" || name == "xbord" || name == "ybord" || name == "shad" || name == "xshad" ||
        name == "yshad")
        return limits.border;
    return 0;
}

// An override block ("{\fs40\blur2}"), its sizes lowered. A font size given
// relative to the current one ("\fs+5") is dropped: repeated, it grows
// without bound.
std::string tamedBlock(const std::string &block, const Limits &limits, bool &changed) {
    std::string result;
    std::size_t at = 0;
    while (at < block.size()) {
        const std::size_t slash = block.find('\\', at);
        if (slash == std::string::npos) {
            result.append(block, at, std::string::npos);
            break;
        }
        result.append(block, at, slash + 1 - at);
        std::size_t nameEnd = slash + 1;
        while (nameEnd < block.size() && std::isalpha(static_cast<unsigned char>(block[nameEnd])))
            ++nameEnd;
        const std::string name = block.substr(slash + 1, nameEnd - slash - 1);
        const std::size_t valueAt = block.find_first_not_of(' ', nameEnd);
        const char *begin = block.c_str() + std::min(valueAt, block.size());
        char *end = nullptr;
        std::strtod(begin, &end);
        const double most = tagLimit(name, limits);
        at = slash + 1;
        if (most <= 0 || end == begin)
            continue; // another tag: copied on as it is
        const std::string value(begin, static_cast<std::size_t>(end - begin));
        at = static_cast<std::size_t>(end - block.c_str());
        if (name == "fs" && value.starts_with('+')) {
            changed = true;
            result.pop_back(); // its backslash
            continue;
        }
        result += block.substr(slash + 1, valueAt - slash - 1) + lowered(value, most, changed);
    }
    return result;
}

// An event's text: the override blocks in braces tamed, the rest as it is.
std::string tamedText(const std::string &text, const Limits &limits, bool &changed) {
    std::string result;
    std::size_t copied = 0;
    for (std::size_t open = text.find('{'); open != std::string::npos;
         open = text.find('{', copied)) {
        const std::size_t close = text.find('}', open);
        const std::size_t end = close == std::string::npos ? text.size() : close;
        result.append(text, copied, open - copied);
        result += tamedBlock(text.substr(open, end - open), limits, changed);
        copied = end;
    }
    result.append(text, copied, std::string::npos);
    return result;
}

} // namespace

TamedSubtitles tameSubtitles(const std::string &script) {
    std::vector<std::string> lines = splitLines(script);
    const Limits limits = limitsOf(lines);
    TamedSubtitles tamed;
    std::vector<std::string> styleFormat;
    std::size_t eventFields = 10;
    std::string section, key, value;
    for (std::string &line : lines) {
        const std::string plain = trimmed(line);
        if (plain.starts_with('[')) {
            section = lower(plain);
            continue;
        }
        if (!keyed(line, key, value))
            continue;
        const bool styles = section.find("styles") != std::string::npos;
        const bool carriageReturn = line.ends_with('\r');
        if (key == "format") {
            std::vector<std::string> names = fieldsOf(value, 64);
            for (std::string &name : names)
                name = lower(trimmed(name));
            if (styles)
                styleFormat = names;
            else if (section == "[events]")
                eventFields = names.size();
        } else if (styles && key == "style") {
            line = "Style:" + tamedStyle(value, styleFormat, limits, tamed.changed);
        } else if (section == "[events]" && key == "dialogue") {
            std::vector<std::string> fields = fieldsOf(value, eventFields);
            fields.back() = tamedText(fields.back(), limits, tamed.changed);
            line = "Dialogue:" + joinedFields(fields);
        }
        if (carriageReturn && !line.ends_with('\r'))
            line += '\r';
    }
    for (std::size_t i = 0; i < lines.size(); ++i)
        tamed.script += (i == 0 ? "" : "\n") + lines[i];
    return tamed;
}

} // namespace converter
