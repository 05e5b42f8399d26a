#include "Components/TrackDrop/Mp4Tags.h"

#include "Components/TrackDrop/Mp4Boxes.h"

namespace trackdrop {
namespace {

// The kinds of value a `data` box announces.
constexpr std::uint32_t DataText = 1;
constexpr std::uint32_t DataJpeg = 13;
constexpr std::uint32_t DataPng = 14;
constexpr std::uint32_t DataImplicit = 0;
constexpr std::uint32_t DataInteger = 21;

struct Value {
    std::uint32_t kind = 0;
    std::string_view bytes;
};

// A `data` box: version and kind, a locale, then the value.
std::optional<Value> valueOf(const Mp4Box &data) {
    if (data.type != "data" || data.content.size() < 8)
        return std::nullopt;
    return Value{std::uint32_t(bigEndian(data.content, 0, 4) & 0xffffff), data.content.substr(8)};
}

std::optional<Value> firstValue(std::string_view item) {
    std::optional<Value> found;
    forEachBox(item, [&found](const Mp4Box &box) {
        if (!found)
            found = valueOf(box);
    });
    return found;
}

void readText(std::string_view item, std::string &text) {
    const std::optional<Value> value = firstValue(item);
    if (!text.empty() || !value || value->kind != DataText)
        return;
    const std::string_view bytes = value->bytes.substr(0, value->bytes.find('\0'));
    text.assign(bytes);
}

void readNumber(std::string_view item, std::optional<std::uint32_t> &number) {
    const std::optional<Value> value = firstValue(item);
    if (number || !value || (value->kind != DataInteger && value->kind != DataImplicit))
        return;
    const std::size_t size = value->bytes.size();
    if (size != 1 && size != 2 && size != 4 && size != 8)
        return;
    const std::uint64_t read = bigEndian(value->bytes, 0, size);
    if (read <= 0xffffffffu)
        number = std::uint32_t(read);
}

bool looksLikePicture(std::string_view bytes) {
    return bytes.starts_with("\xff\xd8\xff") || bytes.starts_with("\x89PNG\r\n\x1a\n");
}

void readCover(std::string_view item, std::string &cover) {
    forEachBox(item, [&cover](const Mp4Box &box) {
        const std::optional<Value> value = valueOf(box);
        if (!cover.empty() || !value || value->bytes.empty())
            return;
        if (value->kind == DataJpeg || value->kind == DataPng ||
            (value->kind == DataImplicit && looksLikePicture(value->bytes)))
            cover.assign(value->bytes);
    });
}

} // namespace

Mp4Tags readMp4Tags(std::string_view movie) {
    Mp4Tags tags;
    std::string_view meta = firstBox(firstBox(movie, "udta"), "meta");
    // An MP4 meta box starts with a version and flags (zero); QuickTime's
    // starts with its first box.
    if (meta.size() >= 4 && bigEndian(meta, 0, 4) == 0)
        meta.remove_prefix(4);
    forEachBox(firstBox(meta, "ilst"), [&tags](const Mp4Box &item) {
        if (item.type == "\xa9nam")
            readText(item.content, tags.title);
        else if (item.type == "tvsh")
            readText(item.content, tags.show);
        else if (item.type == "tven")
            readText(item.content, tags.episodeId);
        else if (item.type == "sonm")
            readText(item.content, tags.sortTitle);
        else if (item.type == "sosn")
            readText(item.content, tags.sortShow);
        else if (item.type == "stik")
            readNumber(item.content, tags.mediaKind);
        else if (item.type == "tvsn")
            readNumber(item.content, tags.season);
        else if (item.type == "tves")
            readNumber(item.content, tags.episode);
        else if (item.type == "covr")
            readCover(item.content, tags.cover);
    });
    return tags;
}

} // namespace trackdrop
