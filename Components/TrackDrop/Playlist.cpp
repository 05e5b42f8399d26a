#include "Components/TrackDrop/Playlist.h"

#include "Components/TrackDrop/QuietWhileWriting.h"
#include "Components/TrackDrop/SafeFiles.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trackdrop {
namespace {

std::string homeFolder() {
    if (const char *home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    if (const passwd *entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return "/";
}

// Whether a playlist line names the file: the same text, or a path that leads
// to the same file.
bool namesFile(std::string_view line, const std::string &file, const struct stat &fileInfo) {
    if (line == file)
        return true;
    if (!line.starts_with('/'))
        return false;
    struct stat info {};
    return ::stat(std::string(line).c_str(), &info) == 0 && info.st_dev == fileInfo.st_dev &&
           info.st_ino == fileInfo.st_ino;
}

// Creates the folder of the playlist and any missing folder above it.
bool makeFolders(const std::string &playlist, std::string &error) {
    const std::size_t slash = playlist.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return true;
    const std::string folder = playlist.substr(0, slash);
    for (std::size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
        const std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            error = "cannot create the folder " + part + ": " + std::strerror(errno);
            return false;
        }
        if (at == std::string::npos)
            return true;
    }
}

// Whether a line of the playlist's text names the file.
bool listsFile(std::string_view content, const std::string &file, const struct stat &fileInfo) {
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (!line.empty() && !line.starts_with('#') && namesFile(line, file, fileInfo))
            return true;
    }
    return false;
}

// Adds the file's line to the playlist open at `fd`, unless it lists the
// file already; the playlist is locked meanwhile, so that two runs at once
// do not both add it.
bool appendOnce(int fd, const std::string &file, const struct stat &fileInfo) {
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    std::string content;
    if (!readAll(fd, content))
        return false;
    if (listsFile(content, file, fileInfo))
        return true;
    std::string addition;
    if (content.empty())
        addition = "#EXTM3U\n";
    else if (content.back() != '\n')
        addition = "\n";
    addition += file + "\n";
    return writeAll(fd, addition) && ::fsync(fd) == 0;
}

} // namespace

std::string musicFolder() {
    if (const char *music = std::getenv("XDG_MUSIC_DIR"); music != nullptr && *music == '/')
        return music;
    return homeFolder() + "/Music";
}

std::string absoluteFilePath(const std::string &path, std::string &error) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        error = path + ": no such file";
        return {};
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + ": not a file";
        return {};
    }
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const std::size_t slash = trimmed.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : trimmed.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    char resolved[PATH_MAX];
    if (::realpath(folder.c_str(), resolved) == nullptr) {
        error = path + ": " + std::strerror(errno);
        return {};
    }
    const std::string base(resolved);
    return base == "/" ? "/" + name : base + "/" + name;
}

bool addToPlaylist(const std::string &playlist, const std::string &file, std::string &error) {
    if (file.find_first_of("\r\n") != std::string::npos) {
        error = file + ": a name with a line break cannot be listed";
        return false;
    }
    struct stat fileInfo {};
    if (::stat(file.c_str(), &fileInfo) != 0) {
        error = file + ": no such file";
        return false;
    }
    if (!makeFolders(playlist, error))
        return false;
    const int fd = ::open(playlist.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = "cannot write the playlist " + playlist + ": " + std::strerror(errno);
        return false;
    }
    QuietWhileWriting quiet;
    const bool appended = appendOnce(fd, file, fileInfo);
    const int appendError = errno;
    if (::close(fd) == 0 && appended) {
        quiet.keepUntilExit();
        return true;
    }
    error = "cannot write the playlist " + playlist + ": " +
            std::strerror(appended ? errno : appendError);
    return false;
}

} // namespace trackdrop
