#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The iTunes-style tags of an MP4 file (moov/udta/meta/ilst), as the
// converter writes them: what the file is (movie, TV episode, music
// video), its title, its show, season and episode, and its cover picture.
namespace trackdrop {

struct Mp4Tags {
    std::string title;                      // ©nam
    std::string show;                       // tvsh
    std::string episodeId;                  // tven, e.g. "S02E05"
    std::string sortTitle;                  // sonm
    std::string sortShow;                   // sosn
    std::optional<std::uint32_t> mediaKind; // stik: 9 movie, 10 TV show, 6 music video
    std::optional<std::uint32_t> season;    // tvsn
    std::optional<std::uint32_t> episode;   // tves
    std::string cover; // the first covr picture's bytes (JPEG or PNG); empty without one
};

// The `stik` values the iPod hand-off tells apart.
constexpr std::uint32_t MediaKindMusicVideo = 6;
constexpr std::uint32_t MediaKindMovie = 9;
constexpr std::uint32_t MediaKindTvShow = 10;

// The tags in the content of a movie box (the bytes after the moov
// header). What is missing, truncated or malformed is left out.
Mp4Tags readMp4Tags(std::string_view movie);

} // namespace trackdrop
