#include "Components/TrackDrop/IpodTrackTags.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

namespace trackdrop {
namespace {

// Tag text for libgpod, which takes UTF-8 only; null for no text.
gchar *textOf(const std::string &text) {
    return text.empty() ? nullptr : g_utf8_make_valid(text.data(), gssize(text.size()));
}

guint32 mediaTypeOf(const Mp4Tags &tags, bool hasVideo) {
    if (!hasVideo)
        return ITDB_MEDIATYPE_AUDIO;
    if (tags.mediaKind == MediaKindTvShow)
        return ITDB_MEDIATYPE_TVSHOW;
    if (tags.mediaKind == MediaKindMusicVideo)
        return ITDB_MEDIATYPE_MUSICVIDEO;
    return ITDB_MEDIATYPE_MOVIE;
}

// Whether gdk-pixbuf, which libgpod makes the iPod's thumbnails with,
// reads the picture.
bool readablePicture(const std::string &bytes) {
    GdkPixbufLoader *loader = gdk_pixbuf_loader_new();
    const bool written = gdk_pixbuf_loader_write(
        loader, reinterpret_cast<const guchar *>(bytes.data()), bytes.size(), nullptr);
    // Closed whether or not the bytes were taken, as the loader asks.
    const bool closed = gdk_pixbuf_loader_close(loader, nullptr);
    GdkPixbuf *picture = written && closed ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    const bool usable =
        picture && gdk_pixbuf_get_width(picture) > 0 && gdk_pixbuf_get_height(picture) > 0;
    g_object_unref(loader);
    return usable;
}

} // namespace

void describeFromTags(const Mp4Tags &tags, bool hasVideo, const std::string &fallbackTitle,
                      Itdb_Track *track) {
    track->mediatype = mediaTypeOf(tags, hasVideo);
    track->title = textOf(tags.title.empty() ? fallbackTitle : tags.title);
    track->sort_title = textOf(tags.sortTitle);
    if (track->mediatype != ITDB_MEDIATYPE_TVSHOW)
        return;
    track->tvshow = textOf(tags.show);
    track->sort_tvshow = textOf(tags.sortShow);
    track->tvepisode = textOf(tags.episodeId);
    track->season_nr = tags.season.value_or(0);
    track->episode_nr = tags.episode.value_or(0);
    // The iPod's TV Shows menu lists a show's episodes as iTunes syncs
    // them: under the show as album and artist, in episode order.
    track->album = textOf(tags.show);
    track->artist = textOf(tags.show);
    track->sort_album = textOf(tags.sortShow);
    track->sort_artist = textOf(tags.sortShow);
    track->track_nr = gint32(tags.episode.value_or(0) & 0x7fffffff);
}

bool setArtwork(Itdb_iTunesDB *database, Itdb_Track *track, const std::string &cover) {
    if (cover.empty() || !database->device || !itdb_device_supports_artwork(database->device) ||
        !readablePicture(cover))
        return false;
    return itdb_track_set_thumbnails_from_data(
        track, reinterpret_cast<const guchar *>(cover.data()), cover.size());
}

} // namespace trackdrop
