#include "Components/BrannockVideoConverter/OutputFormats.h"

#include <array>
#include <cstddef>
#include <utility>

namespace converter {
namespace {

using Pair = std::pair<std::string_view, std::string_view>;

// Extension to muxer, as av_guess_format() of ffmpeg 5.1 decides it.
constexpr auto kMuxers = std::to_array<Pair>({
    {"mp4", "mp4"},      {"m4v", "ipod"},     {"m4a", "ipod"},   {"m4b", "ipod"},
    {"mov", "mov"},      {"3gp", "3gp"},      {"3g2", "3g2"},    {"psp", "psp"},
    {"wmv", "asf"},      {"wma", "asf"},      {"asf", "asf"},    {"avi", "avi"},
    {"mkv", "matroska"}, {"mka", "matroska"}, {"webm", "webm"},  {"flv", "flv"},
    {"mpg", "mpeg"},     {"mpeg", "mpeg"},    {"ts", "mpegts"},  {"m2ts", "mpegts"},
    {"mp3", "mp3"},      {"aac", "adts"},     {"amr", "amr"},    {"ac3", "ac3"},
    {"wav", "wav"},      {"flac", "flac"},    {"ogg", "ogg"},    {"oga", "oga"},
    {"ogv", "ogv"},      {"opus", "opus"},    {"jpg", "image2"}, {"jpeg", "image2"},
    {"png", "image2"},   {"bmp", "image2"},   {"tif", "image2"}, {"tiff", "image2"},
    {"ppm", "image2"},   {"pgm", "image2"},
});

constexpr auto kPictureEncoders = std::to_array<Pair>({
    {"jpg", "mjpeg"},
    {"jpeg", "mjpeg"},
    {"png", "png"},
    {"bmp", "bmp"},
    {"gif", "gif"},
    {"tif", "tiff"},
    {"tiff", "tiff"},
    {"ppm", "ppm"},
    {"pgm", "pgm"},
});

// The muxers whose default video encoder is x264 in Debian's build.
constexpr auto kX264Muxers =
    std::to_array<std::string_view>({"mp4", "ipod", "mov", "psp", "matroska", "f4v"});

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

template<std::size_t N>
std::string_view lookUp(const std::array<Pair, N> &table, std::string_view key) {
    for (const Pair &entry : table) {
        if (equalIgnoringCase(entry.first, key))
            return entry.second;
    }
    return {};
}

} // namespace

std::string_view extensionOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    return name.substr(dot + 1);
}

std::string_view muxerForFile(std::string_view path) {
    const std::string_view extension = extensionOf(path);
    return extension.empty() ? std::string_view() : lookUp(kMuxers, extension);
}

std::string_view pictureEncoderForFile(std::string_view path) {
    const std::string_view encoder = lookUp(kPictureEncoders, extensionOf(path));
    return encoder.empty() ? std::string_view("mjpeg") : encoder;
}

std::string_view defaultVideoEncoder(std::string_view muxer) {
    for (std::string_view x264Muxer : kX264Muxers) {
        if (x264Muxer == muxer)
            return "libx264";
    }
    return {};
}

} // namespace converter
