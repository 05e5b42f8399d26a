#pragma once

#include <QString>

#include <optional>

// What a converted file is to the device that browses it: which menu it
// appears in and under which names.
enum class MediaKind { Automatic, Movie, TvShow, MusicVideo };

// A row's description as the user set it in the file's properties window or
// on mobivert-cli's command line. Every field left empty (or Automatic) is
// taken from the file's name.
struct MediaDescription {
    MediaKind kind = MediaKind::Automatic;
    QString title;
    QString show;
    std::optional<int> season;
    std::optional<int> episode;

    bool isAutomatic() const { return *this == MediaDescription{}; }
    friend bool operator==(const MediaDescription &, const MediaDescription &) = default;
};

// The tags a converted file carries: the kind is never Automatic here.
struct MediaTags {
    MediaKind kind = MediaKind::Movie;
    QString title;
    QString show;               // TV shows only
    std::optional<int> season;  // TV shows only
    std::optional<int> episode; // TV shows only

    friend bool operator==(const MediaTags &, const MediaTags &) = default;
};

// A TV episode as its file is commonly named: "Some Show S02E05 The Title",
// "Some.Show.2x05.The.Title", "Some Show - 205 - The Title". Release words
// after the title (720p, HDTV, x264...) are left out.
struct EpisodeName {
    QString show;
    int season = 0;
    int episode = 0;
    QString title; // empty when the name gives none

    friend bool operator==(const EpisodeName &, const EpisodeName &) = default;
};

// The episode a file's name (without its extension) describes; nothing for
// any other name.
std::optional<EpisodeName> ParseEpisodeName(const QString &baseName);

// The title a movie's file name gives: dots and underscores between words
// read as blanks, release words at the end left out.
QString TitleFromName(const QString &baseName);

// The tags of a file of that name with that description: what the user set
// wins, the rest comes from the name (an episode's name makes it a TV show
// unless another kind was chosen).
MediaTags ResolveMediaTags(const QString &baseName, const MediaDescription &description);

// "movie", "tv", "music-video" (mobivert-cli's words) and back.
QString MediaKindWord(MediaKind kind);
std::optional<MediaKind> MediaKindFromWord(const QString &word);
// "Automatic", "Movie", "TV Show", "Music Video".
QString MediaKindText(MediaKind kind);
