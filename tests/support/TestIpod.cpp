#include "tests/support/TestIpod.h"

#include "tests/support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <memory>

#include <glib-object.h>
#include <gpod/itdb.h>

namespace {

struct DatabaseDeleter {
    void operator()(Itdb_iTunesDB *database) const { itdb_free(database); }
};
using Database = std::unique_ptr<Itdb_iTunesDB, DatabaseDeleter>;

Database parse(const QString &folder) {
    return Database(itdb_parse(QFile::encodeName(folder).constData(), nullptr));
}

} // namespace

bool MakeTestIpod(const QString &folder, const QString &model, const QString &firewireGuid) {
    const QString device = folder + QStringLiteral("/iPod_Control/Device");
    if (!QDir().mkpath(device))
        return false;
    if (!firewireGuid.isEmpty() &&
        !WriteFileBytes(device + QStringLiteral("/SysInfo"),
                        "FirewireGuid: " + firewireGuid.toLatin1() + '\n'))
        return false;
    GError *error = nullptr;
    const bool made = itdb_init_ipod(QFile::encodeName(folder).constData(),
                                     model.toLatin1().constData(), "Test iPod", &error);
    if (error)
        g_error_free(error);
    return made;
}

bool AddSongs(const QString &folder, int count) {
    const Database database = parse(folder);
    if (!database)
        return false;
    for (int i = 1; i <= count; ++i) {
        Itdb_Track *track = itdb_track_new();
        track->title = g_strdup(qPrintable(QStringLiteral("Song %1").arg(i)));
        track->artist = g_strdup("Someone");
        track->mediatype = ITDB_MEDIATYPE_AUDIO;
        track->tracklen = 180000 + i;
        itdb_track_add(database.get(), track, -1);
        itdb_playlist_add_track(itdb_playlist_mpl(database.get()), track, -1);
    }
    return itdb_write(database.get(), nullptr);
}

std::optional<QList<IpodTrack>> ReadIpodTracks(const QString &folder) {
    const Database database = parse(folder);
    if (!database)
        return std::nullopt;
    Itdb_Playlist *main = itdb_playlist_mpl(database.get());
    QList<IpodTrack> tracks;
    for (GList *item = database->tracks; item; item = item->next) {
        Itdb_Track *track = static_cast<Itdb_Track *>(item->data);
        gchar *file = itdb_filename_on_ipod(track);
        IpodTrack read{QString::fromUtf8(track->title),
                       track->mediatype,
                       track->tracklen,
                       track->size,
                       file ? QFile::decodeName(file) : QString(),
                       track->dbid,
                       main && itdb_playlist_contains_track(main, track),
                       QString::fromUtf8(track->tvshow),
                       QString::fromUtf8(track->album),
                       QString::fromUtf8(track->artist),
                       QString::fromUtf8(track->tvepisode),
                       track->season_nr,
                       track->episode_nr};
        g_free(file);
        // A GdkPixbuf, asked by property: gdk-pixbuf's header brings GIO's,
        // which do not build beside Qt's keywords.
        if (gpointer picture = itdb_track_has_thumbnails(track)
                                   ? itdb_track_get_thumbnail(track, -1, -1)
                                   : nullptr) {
            g_object_get(picture, "width", &read.artworkWidth, nullptr);
            g_object_unref(picture);
        }
        tracks.append(read);
    }
    return tracks;
}

QByteArray IpodDatabase(const QString &folder) {
    return ReadFileBytes(folder + QStringLiteral("/iPod_Control/iTunes/iTunesDB"));
}

QStringList IpodMusicFiles(const QString &folder) {
    QStringList files;
    QDirIterator it(folder + QStringLiteral("/iPod_Control/Music"), QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    return files;
}

quint32 MovieType() {
    return ITDB_MEDIATYPE_MOVIE;
}

quint32 AudioType() {
    return ITDB_MEDIATYPE_AUDIO;
}

quint32 TvShowType() {
    return ITDB_MEDIATYPE_TVSHOW;
}

quint32 MusicVideoType() {
    return ITDB_MEDIATYPE_MUSICVIDEO;
}
