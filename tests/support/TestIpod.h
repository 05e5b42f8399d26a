#pragma once

#include <QList>
#include <QString>

#include <optional>

// Test iPods in folders, laid out and read back by libgpod itself.

// Lays out an empty iPod of the model (e.g. "MA446", a 5th generation iPod;
// "MB029", an iPod classic) in the folder. A classic needs its FirewireGuid
// in SysInfo; with an empty guid none is written.
bool MakeTestIpod(const QString &folder, const QString &model, const QString &firewireGuid = {});

// Adds `count` songs ("Song 1", "Song 2", ...) to the iPod's database,
// without files.
bool AddSongs(const QString &folder, int count);

struct IpodTrack {
    QString title;
    quint32 mediatype = 0; // ITDB_MEDIATYPE_*
    int lengthMs = 0;
    quint32 size = 0;
    QString file; // where its file is on the iPod; empty without one
    quint64 dbid = 0;
    bool inMainList = false;
    // What its tags set: for a TV episode the show (also as album and
    // artist), season, episode and episode id.
    QString tvShow, album, artist, episodeId;
    quint32 season = 0, episode = 0;
    int artworkWidth = 0; // its artwork's picture as libgpod reads it back; 0 without

    friend bool operator==(const IpodTrack &, const IpodTrack &) = default;
};

// The tracks of the iPod's database; nothing when libgpod cannot read it.
std::optional<QList<IpodTrack>> ReadIpodTracks(const QString &folder);

// The iPod's database and the files in its music folders, to compare
// before and after.
QByteArray IpodDatabase(const QString &folder);
QStringList IpodMusicFiles(const QString &folder);

// ITDB_MEDIATYPE_MOVIE, ITDB_MEDIATYPE_AUDIO, ITDB_MEDIATYPE_TVSHOW and
// ITDB_MEDIATYPE_MUSICVIDEO.
quint32 MovieType();
quint32 AudioType();
quint32 TvShowType();
quint32 MusicVideoType();
