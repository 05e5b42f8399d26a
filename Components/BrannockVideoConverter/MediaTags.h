#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a converted file says about itself: its kind, title, show, season
// and episode, from the converter's options -kind, -title, -show, -season
// and -episode, written as the tags each output format carries.
namespace converter {

enum class MediaKind { Movie, TvShow, MusicVideo };

struct MediaTags {
    std::optional<MediaKind> kind;
    std::string title; // empty: none given
    std::string show;
    std::optional<int> season;
    std::optional<int> episode;

    bool any() const { return kind || !title.empty() || !show.empty() || season || episode; }
};

// "movie", "tv" or "musicvideo"; nothing for any other word.
std::optional<MediaKind> parseMediaKind(std::string_view text);

// A season or episode number: a whole number of digits, 0 or more.
std::optional<int> parseEpisodeNumber(std::string_view text);

// The name a title or show sorts under: without a leading "The ", "A " or
// "An " (any case).
std::string sortName(std::string_view name);

// "S02E05" for season 2, episode 5; empty unless both are known.
std::string episodeId(const MediaTags &tags);

// The title a PSP lists: "Show S02E05 Title" for a TV episode (without the
// parts not known), else the title.
std::string pspTitle(const MediaTags &tags);

// The ffmpeg options ("-metadata key=value" pairs) that write the tags for
// the muxer. The iTunes item list of ipod and mp4 carries them all, the
// sort names in two stand-in items (sortItemRenames); asf, psp, mov, 3gp,
// 3g2 and avi carry the title; other muxers nothing. A title is written
// only where one was given, and then replaces any the source has.
std::vector<std::string> metadataArguments(const MediaTags &tags, std::string_view muxer);

// ffmpeg 5.1 writes no sort names into the item list: they are written as
// the grouping and lyrics items, which have the same layout, and those
// items are renamed in the finished file (ItemListRenaming.h).
struct ItemRename {
    std::string from; // four bytes, as in the file
    std::string to;
};
std::vector<ItemRename> sortItemRenames(const MediaTags &tags, std::string_view muxer);

} // namespace converter
