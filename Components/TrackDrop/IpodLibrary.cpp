#include "Components/TrackDrop/IpodLibrary.h"

#include "Components/TrackDrop/IpodLock.h"
#include "Components/TrackDrop/IpodModel.h"
#include "Components/TrackDrop/IpodTrackTags.h"
#include "Components/TrackDrop/Mp4Info.h"
#include "Components/TrackDrop/QuietWhileWriting.h"
#include "Components/TrackDrop/SafeFiles.h"
#include "Components/TrackDrop/TestStop.h"

#include <gpod/itdb.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <dirent.h>
#include <memory>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>

namespace trackdrop {
namespace {

// How long the check before a batch waits for another writer.
constexpr int PrepareWaitSeconds = 30;
// Room kept free for the database beside a copied file.
constexpr std::uint64_t DatabaseRoom = 4u << 20;
// Every copy TrackDrop puts in the iPod's music folders is named
// "mobivert-" and six letters or digits, then the file's extension: a copy
// of that name that the database does not list was left by a hand-off
// that was cut off, and the next hand-off removes it.
constexpr char CopyPrefix[] = "mobivert-";
constexpr std::size_t CopyRandomLength = 6;

struct DatabaseDeleter {
    void operator()(Itdb_iTunesDB *database) const { itdb_free(database); }
};
using Database = std::unique_ptr<Itdb_iTunesDB, DatabaseDeleter>;

struct StringDeleter {
    void operator()(gchar *text) const { g_free(text); }
};
using GlibText = std::unique_ptr<gchar, StringDeleter>;

std::string databasePath(const std::string &mountPoint) {
    return mountPoint + "/iPod_Control/iTunes/iTunesDB";
}

// The artwork database, which a database write rewrites beside the
// iTunesDB (the pictures themselves go into .ithmb files, where new ones
// are appended).
std::string artworkDatabasePath(const std::string &mountPoint) {
    const GlibText folder(itdb_get_artwork_dir(mountPoint.c_str()));
    return folder ? std::string(folder.get()) + "/ArtworkDB"
                  : mountPoint + "/iPod_Control/Artwork/ArtworkDB";
}

// The artwork database as it was before a write, to be put back with the
// iTunesDB should the write not go through: the iTunesDB's tracks name
// their pictures by the numbers the artwork database gives them.
class ArtworkBefore {
public:
    explicit ArtworkBefore(const std::string &mountPoint)
        : m_path(artworkDatabasePath(mountPoint)) {
        struct stat info {};
        std::string ignored;
        m_absent = ::lstat(m_path.c_str(), &info) != 0 && errno == ENOENT;
        m_read = !m_absent && readFile(m_path, m_bytes, ignored);
    }

    void putBack() const {
        std::string ignored;
        if (m_read)
            replaceFile(m_path, m_bytes, ignored);
        else if (m_absent)
            ::unlink(m_path.c_str());
    }

private:
    std::string m_path;
    std::string m_bytes;
    bool m_absent = false;
    bool m_read = false;
};

std::string messageOf(GError *error) {
    std::string text = error && error->message ? error->message : "unknown error";
    if (error)
        g_error_free(error);
    return text;
}

Database parse(const std::string &mountPoint, std::string &error) {
    GError *failure = nullptr;
    Database database(itdb_parse(mountPoint.c_str(), &failure));
    if (!database)
        error = "its database cannot be read (" + messageOf(failure) + ")";
    else if (failure)
        g_error_free(failure);
    return database;
}

bool contains(Itdb_iTunesDB *database, std::uint64_t dbid) {
    for (GList *item = database->tracks; item; item = item->next) {
        if (static_cast<Itdb_Track *>(item->data)->dbid == dbid)
            return true;
    }
    return false;
}

std::string nameWithoutExtension(const std::string &file) {
    const std::string name = file.substr(file.rfind('/') + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Bytes in MB with one decimal, rounded down or up, without a ".0".
std::string megabytes(std::uint64_t bytes, bool roundUp) {
    const std::uint64_t tenths = roundUp ? (bytes * 10 + (1u << 20) - 1) >> 20 : (bytes * 10) >> 20;
    const std::string whole = std::to_string(tenths / 10);
    return (tenths % 10 == 0 ? whole : whole + "." + std::to_string(tenths % 10)) + " MB";
}

bool isCopyName(const std::string &name) {
    const std::size_t prefix = sizeof CopyPrefix - 1;
    if (name.size() <= prefix + CopyRandomLength || name.compare(0, prefix, CopyPrefix) != 0)
        return false;
    for (std::size_t i = prefix; i < prefix + CopyRandomLength; ++i) {
        if (!g_ascii_isalnum(name[i]))
            return false;
    }
    const std::string rest = name.substr(prefix + CopyRandomLength);
    return rest.size() >= 2 && rest[0] == '.' && rest.find('.', 1) == std::string::npos;
}

// The name of a new copy, in the music folder libgpod chose for it.
std::string copyName(const std::string &libgpodDestination, const std::string &file) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = CopyPrefix;
    for (std::size_t i = 0; i < CopyRandomLength; ++i)
        name += letters[g_random_int_range(0, sizeof letters - 1)];
    const std::string source = file.substr(file.rfind('/') + 1);
    const std::size_t dot = source.rfind('.');
    std::string extension = dot == std::string::npos || dot == 0 ? ".mp4" : source.substr(dot);
    if (!isCopyName(name + extension))
        extension = ".mp4";
    return folderOf(libgpodDestination) + "/" + name + extension;
}

// Removes the copies that hand-offs cut off before their database write
// left in the music folders: TrackDrop's own names that no track lists.
// Runs with the lock held, so that no other hand-off is copying.
void removeLeftCopies(const std::string &mountPoint, Itdb_iTunesDB *database) {
    // Listed files are known by device and inode, not by how a path is
    // spelt (a folder's case on FAT, a mount point's trailing slash).
    std::set<std::pair<dev_t, ino_t>> listed;
    for (GList *item = database->tracks; item; item = item->next) {
        const GlibText path(itdb_filename_on_ipod(static_cast<Itdb_Track *>(item->data)));
        struct stat info {};
        if (path && ::stat(path.get(), &info) == 0)
            listed.insert({info.st_dev, info.st_ino});
    }
    const GlibText music(itdb_get_music_dir(mountPoint.c_str()));
    if (!music)
        return;
    DIR *folders = ::opendir(music.get());
    if (!folders)
        return;
    while (const dirent *folder = ::readdir(folders)) {
        if (folder->d_name[0] == '.')
            continue;
        const std::string path = std::string(music.get()) + "/" + folder->d_name;
        DIR *files = ::opendir(path.c_str());
        if (!files)
            continue;
        while (const dirent *entry = ::readdir(files)) {
            const std::string file = path + "/" + entry->d_name;
            struct stat info {};
            if (isCopyName(entry->d_name) && ::lstat(file.c_str(), &info) == 0 &&
                S_ISREG(info.st_mode) && !listed.contains({info.st_dev, info.st_ino}))
                ::unlink(file.c_str());
        }
        ::closedir(files);
    }
    ::closedir(folders);
}

// What marks the track of one converted file: its name, size and time of
// change, kept in the track's comment. A hand-off whose database write went
// through but whose end went unseen (the batch was ended just then) is run
// again by the next resume; the mark makes that run find its track instead
// of adding a second one.
std::string handOffMark(const std::string &file, const struct stat &info) {
    return "Mobivert: " + file.substr(file.rfind('/') + 1) + ", " + std::to_string(info.st_size) +
           " bytes, changed " + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec);
}

bool listsMark(Itdb_iTunesDB *database, const std::string &mark) {
    for (GList *item = database->tracks; item; item = item->next) {
        const auto *track = static_cast<const Itdb_Track *>(item->data);
        if (track->comment && mark == track->comment)
            return true;
    }
    return false;
}

// Fills a new track for the file, and `cover` with its cover picture's
// bytes if it has one; false with the reason when the iPod cannot take it.
bool describe(const std::string &file, const IpodModel &model, Itdb_Track *track,
              std::string &cover, std::string &error) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        error = "it cannot be read (" + errnoText(errno) + ")";
        return false;
    }
    if (std::uint64_t(info.st_size) > 0xffffffffu) {
        error = "the iPod takes files of up to 4 GB";
        return false;
    }
    Mp4Info media = readMp4Info(file);
    if (!media.valid) {
        error = "it is not an MP4 file, which is all the iPod plays";
        return false;
    }
    if (media.hasVideo && !model.playsVideo) {
        error = "an " + model.name + " cannot play video";
        return false;
    }
    describeFromTags(media.tags, media.hasVideo, nameWithoutExtension(file), track);
    cover = std::move(media.tags.cover);
    track->filetype = g_strdup(media.hasVideo ? "MPEG-4 video file" : "AAC audio file");
    track->movie_flag = media.hasVideo ? 1 : 0;
    track->tracklen = media.durationMs > INT32_MAX ? INT32_MAX : gint32(media.durationMs);
    track->size = guint32(info.st_size);
    track->time_added = std::time(nullptr);
    track->time_modified = info.st_mtime;
    track->comment = g_strdup(handOffMark(file, info).c_str());
    return true;
}

// Puts the database bytes read before a write back in place.
bool restore(const std::string &mountPoint, const std::string &before) {
    std::string ignored;
    return replaceFile(databasePath(mountPoint), before, ignored);
}

} // namespace

std::string ipodFullReason(std::uint64_t available, std::uint64_t fileSize) {
    // The room free rounded down and the file rounded up, so that the
    // figures never seem to fit: the file and the database's room always
    // come to more than what is shown free.
    return "the iPod is full (" + megabytes(available, false) + " free; the file needs " +
           megabytes(fileSize, true) + ", and " + megabytes(DatabaseRoom, false) +
           " more is kept free for its database)";
}

bool isIpod(const std::string &mountPoint) {
    struct stat info {};
    return ::stat(databasePath(mountPoint).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string backupPath(const std::string &mountPoint) {
    return databasePath(mountPoint) + ".mobivert-backup";
}

// The model of the iPod there, when Mobivert can write its database;
// checked before anything is locked or written.
std::optional<IpodModel> writableModel(const std::string &mountPoint, std::string &error) {
    if (!isIpod(mountPoint)) {
        error = "it is not connected (no iPod_Control/iTunes/iTunesDB there)";
        return std::nullopt;
    }
    IpodModel model = readIpodModel(mountPoint);
    if (!model.refusal.empty()) {
        error = model.refusal + "; nothing was written to it";
        return std::nullopt;
    }
    return model;
}

// The database's bytes as they are now.
bool readDatabase(const std::string &mountPoint, std::string &bytes, std::string &error) {
    std::string why;
    if (readFile(databasePath(mountPoint), bytes, why))
        return true;
    error = "its database cannot be read (" + why + ")";
    return false;
}

bool prepareIpod(const std::string &mountPoint, std::string &error) {
    const std::optional<IpodModel> model = writableModel(mountPoint, error);
    if (!model)
        return false;
    const IpodLock lock(mountPoint, PrepareWaitSeconds);
    if (!lock.held()) {
        error = lock.error();
        return false;
    }
    std::string before, why;
    if (!readDatabase(mountPoint, before, error))
        return false;
    const Database database = parse(mountPoint, error);
    if (!database)
        return false;
    removeLeftCopies(mountPoint, database.get());
    // The batch's backup: the database as it is before the batch's first write.
    if (!replaceFile(backupPath(mountPoint), before, why)) {
        error = "its database cannot be backed up (" + why + "); nothing was written to it";
        return false;
    }
    return true;
}

namespace {

// The batch's backup: the database as it was before the batch's first
// write, made now unless the check before the batch made it.
bool keepBackup(const std::string &mountPoint, const std::string &before, std::string &error) {
    struct stat backup {};
    std::string why;
    if (::stat(backupPath(mountPoint).c_str(), &backup) == 0 ||
        replaceFile(backupPath(mountPoint), before, why))
        return true;
    error = "its database cannot be backed up (" + why + "); nothing was written to it";
    return false;
}

// Whether an earlier hand-off of the file, whose end went unseen, added it.
bool addedBefore(Itdb_iTunesDB *database, const std::string &file) {
    struct stat source {};
    return ::stat(file.c_str(), &source) == 0 && listsMark(database, handOffMark(file, source));
}

// Whether the iPod has room for a file of `size` bytes and its database.
bool hasRoom(const std::string &mountPoint, std::uint64_t size, std::string &error) {
    struct statvfs space {};
    if (::statvfs(mountPoint.c_str(), &space) != 0)
        return true;
    const std::uint64_t available = std::uint64_t(space.f_bavail) * space.f_frsize;
    if (available >= size + DatabaseRoom)
        return true;
    error = ipodFullReason(available, size);
    return false;
}

// A new track for the file, in the database and its main list, with the
// file's cover as its artwork (written with the database; a picture the
// iPod cannot take leaves the track without artwork, never the file
// unadded). Nothing, with the reason, when the iPod cannot take the file.
Itdb_Track *listNewTrack(Itdb_iTunesDB *database, const std::string &mountPoint,
                         const std::string &file, const IpodModel &model, std::string &error) {
    Itdb_Track *track = itdb_track_new();
    std::string cover;
    if (!describe(file, model, track, cover, error) || !hasRoom(mountPoint, track->size, error)) {
        itdb_track_free(track);
        return nullptr;
    }
    itdb_track_add(database, track, -1);
    itdb_playlist_add_track(itdb_playlist_mpl(database), track, -1);
    setArtwork(database, track, cover);
    return track;
}

// Copies the file into the music folder libgpod chose for the track, under
// a name of TrackDrop's own (`destination`), and gives the track that copy.
// On failure no copy is left.
bool copyForTrack(Itdb_Track *track, const std::string &file, std::string &destination,
                  std::string &error) {
    GError *failure = nullptr;
    const GlibText place(itdb_cp_get_dest_filename(track, nullptr, file.c_str(), &failure));
    if (!place) {
        error = "no place for it on the iPod (" + messageOf(failure) + ")";
        return false;
    }
    destination = copyName(place.get(), file);
    while (::access(destination.c_str(), F_OK) == 0)
        destination = copyName(place.get(), file);
    std::string why;
    if (!copyFile(file, destination, why)) {
        error =
            "copying it to the iPod failed (" + why + "); the iPod's database was left as it was";
        return false;
    }
    if (itdb_cp_finalize(track, nullptr, destination.c_str(), &failure))
        return true;
    ::unlink(destination.c_str());
    error = "its copy on the iPod cannot be read back (" + messageOf(failure) +
            "); the iPod's database was left as it was";
    return false;
}

// What one hand-off changes on the iPod.
struct IpodChange {
    std::string mountPoint;
    std::string before;       // the database's bytes before the hand-off
    guint32 tracksBefore = 0; // and its tracks
    std::uint64_t dbid = 0;   // the new track
    std::string copy;         // the new track's file on the iPod
};

// Writes the database. What is on the iPod then is what counts: the new
// database must read back with every track it had and the new one;
// otherwise the copy goes, and the database and its artwork are put back
// as they were.
bool writeDatabase(Database database, const IpodChange &change, std::string &error) {
    stopHereForTest("before-write");
    QuietWhileWriting quiet;
    const ArtworkBefore artwork(change.mountPoint);
    GError *failure = nullptr;
    const bool written = itdb_write(database.get(), &failure);
    const std::string writeError = written ? std::string() : messageOf(failure);
    database.reset();

    std::string ignored;
    const Database after = parse(change.mountPoint, ignored);
    if (after && contains(after.get(), change.dbid) &&
        itdb_tracks_number(after.get()) == change.tracksBefore + 1) {
        quiet.keepUntilExit();
        stopHereForTest("after-write");
        return true;
    }
    ::unlink(change.copy.c_str());
    const bool unchanged = after && itdb_tracks_number(after.get()) == change.tracksBefore;
    if (!unchanged && !restore(change.mountPoint, change.before)) {
        error = "the iPod's database did not read back after writing, and the one before could "
                "not be put back; the backup from before the batch is " +
                backupPath(change.mountPoint);
        return false;
    }
    artwork.putBack();
    error = !written ? "the iPod's database could not be written (" + writeError +
                           "); it was left as it was"
            : unchanged ? "the iPod's database did not take it; it was left as it was"
                        : "the iPod's database did not read back after writing, so the one before "
                          "was put back";
    return false;
}

} // namespace

bool addToIpod(const std::string &mountPoint, const std::string &file, std::string &error) {
    const std::optional<IpodModel> model = writableModel(mountPoint, error);
    if (!model)
        return false;
    // Waits as long as another writer takes: the batch goes on after it.
    const IpodLock lock(mountPoint, -1);
    if (!lock.held()) {
        error = lock.error();
        return false;
    }
    // The database as it is now, to put back should the new one not read.
    IpodChange change{mountPoint, {}, 0, 0, {}};
    if (!readDatabase(mountPoint, change.before, error) ||
        !keepBackup(mountPoint, change.before, error))
        return false;
    Database database = parse(mountPoint, error);
    if (!database)
        return false;
    removeLeftCopies(mountPoint, database.get());
    if (addedBefore(database.get(), file)) {
        QuietWhileWriting quiet; // it is on the iPod: that is said before anything ends TrackDrop
        quiet.keepUntilExit();
        return true;
    }
    change.tracksBefore = itdb_tracks_number(database.get());
    Itdb_Track *track = listNewTrack(database.get(), mountPoint, file, *model, error);
    if (!track)
        return false;
    change.dbid = track->dbid;
    stopHereForTest("before-copy");
    if (!copyForTrack(track, file, change.copy, error))
        return false;
    stopHereForTest("after-copy");
    return writeDatabase(std::move(database), change, error);
}

} // namespace trackdrop
