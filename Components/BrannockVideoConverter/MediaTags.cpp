#include "Components/BrannockVideoConverter/MediaTags.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace converter {
namespace {

// The item types of grouping (©grp) and lyrics (©lyr), and those of the
// sort names they stand in for.
const std::string kGrouping = "\xa9grp";
const std::string kLyrics = "\xa9lyr";
const std::string kSortName = "sonm";
const std::string kSortShow = "sosn";

bool itemListMuxer(std::string_view muxer) {
    return muxer == "ipod" || muxer == "mp4";
}

bool titleMuxer(std::string_view muxer) {
    constexpr auto muxers = std::to_array<std::string_view>({"asf", "mov", "3gp", "3g2", "avi"});
    return std::find(muxers.begin(), muxers.end(), muxer) != muxers.end();
}

// iTunes' media kinds (the "stik" item).
int mediaTypeNumber(MediaKind kind) {
    switch (kind) {
    case MediaKind::Movie:
        return 9;
    case MediaKind::TvShow:
        return 10;
    case MediaKind::MusicVideo:
        return 6;
    }
    return 9;
}

bool startsWithWord(std::string_view name, std::string_view article) {
    if (name.size() <= article.size() + 1 || name[article.size()] != ' ')
        return false;
    return std::equal(article.begin(), article.end(), name.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

void addTag(std::vector<std::string> &arguments, const std::string &key, const std::string &value) {
    arguments.insert(arguments.end(), {"-metadata", key + "=" + value});
}

} // namespace

std::optional<MediaKind> parseMediaKind(std::string_view text) {
    if (text == "movie")
        return MediaKind::Movie;
    if (text == "tv")
        return MediaKind::TvShow;
    if (text == "musicvideo")
        return MediaKind::MusicVideo;
    return std::nullopt;
}

std::optional<int> parseEpisodeNumber(std::string_view text) {
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    return std::stoi(std::string(text));
}

std::string sortName(std::string_view name) {
    for (std::string_view article : {"The", "An", "A"}) {
        if (startsWithWord(name, article))
            return std::string(name.substr(article.size() + 1));
    }
    return std::string(name);
}

std::string episodeId(const MediaTags &tags) {
    if (!tags.season || !tags.episode)
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "S%02dE%02d", *tags.season, *tags.episode);
    return text;
}

std::string pspTitle(const MediaTags &tags) {
    if (tags.kind != MediaKind::TvShow || tags.show.empty())
        return tags.title;
    std::string title = tags.show;
    for (const std::string &part : {episodeId(tags), tags.title}) {
        if (!part.empty())
            title += " " + part;
    }
    return title;
}

std::vector<std::string> metadataArguments(const MediaTags &tags, std::string_view muxer) {
    std::vector<std::string> arguments;
    if (muxer == "psp") {
        if (const std::string title = pspTitle(tags); !title.empty())
            addTag(arguments, "title", title);
        return arguments;
    }
    if (!tags.title.empty() && (itemListMuxer(muxer) || titleMuxer(muxer)))
        addTag(arguments, "title", tags.title);
    if (!itemListMuxer(muxer))
        return arguments;
    if (tags.kind)
        addTag(arguments, "media_type", std::to_string(mediaTypeNumber(*tags.kind)));
    if (!tags.show.empty())
        addTag(arguments, "show", tags.show);
    if (tags.season)
        addTag(arguments, "season_number", std::to_string(*tags.season));
    if (tags.episode)
        addTag(arguments, "episode_sort", std::to_string(*tags.episode));
    if (tags.kind == MediaKind::TvShow && !episodeId(tags).empty())
        addTag(arguments, "episode_id", episodeId(tags));
    for (const ItemRename &rename : sortItemRenames(tags, muxer))
        addTag(arguments, rename.from == kGrouping ? "grouping" : "lyrics",
               rename.from == kGrouping ? sortName(tags.title) : sortName(tags.show));
    return arguments;
}

std::vector<ItemRename> sortItemRenames(const MediaTags &tags, std::string_view muxer) {
    std::vector<ItemRename> renames;
    if (!itemListMuxer(muxer))
        return renames;
    // A name that sorts as it is needs no sort name.
    if (!tags.title.empty() && sortName(tags.title) != tags.title)
        renames.push_back({kGrouping, kSortName});
    if (!tags.show.empty() && sortName(tags.show) != tags.show)
        renames.push_back({kLyrics, kSortShow});
    return renames;
}

} // namespace converter
