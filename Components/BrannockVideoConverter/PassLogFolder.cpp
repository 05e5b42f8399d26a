#include "Components/BrannockVideoConverter/PassLogFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace converter {
namespace {

constexpr char kLockName[] = "lock";
// Less free space than this in the pass log's folder: the pass log (some
// hundred bytes a frame, more with x264's macroblock tree) cannot be written.
constexpr long long kLeastFreeBytes = 1024 * 1024;
// A folder without its lock file is one whose converter ended between
// creating it and locking it; after this long it is surely abandoned.
constexpr std::time_t kUnlockedGraceSeconds = 60;

// Removes the plain files in the folder (nothing is followed through a
// symbolic link), then the folder itself.
void removeFolder(int parentFd, const std::string &name, int folderFd) {
    if (DIR *listing = ::fdopendir(::dup(folderFd))) {
        std::vector<std::string> names;
        while (const dirent *entry = ::readdir(listing)) {
            const std::string entryName = entry->d_name;
            if (entryName != "." && entryName != "..")
                names.push_back(entryName);
        }
        ::closedir(listing);
        for (const std::string &entryName : names)
            ::unlinkat(folderFd, entryName.c_str(), 0);
    }
    ::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR);
}

// Removes the folder `name` in `parentFd` when it is a pass-log folder of
// this user whose converter has gone.
void removeIfAbandoned(int parentFd, const std::string &name) {
    struct stat info {};
    if (::fstatat(parentFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return;
    const int folderFd =
        ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folderFd < 0)
        return;
    const int lockFd = ::openat(folderFd, kLockName, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    bool abandoned = false;
    if (lockFd >= 0)
        abandoned = ::flock(lockFd, LOCK_EX | LOCK_NB) == 0;
    else
        abandoned = std::time(nullptr) - info.st_mtime > kUnlockedGraceSeconds;
    if (abandoned)
        removeFolder(parentFd, name, folderFd);
    if (lockFd >= 0)
        ::close(lockFd);
    ::close(folderFd);
}

void removeAbandonedFolders(const std::string &temporary) {
    const int parentFd = ::open(temporary.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0)
        return;
    std::vector<std::string> candidates;
    if (DIR *listing = ::fdopendir(::dup(parentFd))) {
        while (const dirent *entry = ::readdir(listing)) {
            const std::string name = entry->d_name;
            if (name.starts_with(kPassLogFolderPrefix))
                candidates.push_back(name);
        }
        ::closedir(listing);
    }
    for (const std::string &name : candidates)
        removeIfAbandoned(parentFd, name);
    ::close(parentFd);
}

} // namespace

std::string temporaryFolder() {
    const char *variable = std::getenv("TMPDIR");
    struct stat info {};
    if (variable && *variable == '/' && ::stat(variable, &info) == 0 && S_ISDIR(info.st_mode))
        return variable;
    return "/tmp";
}

PassLogFolder::~PassLogFolder() {
    remove();
}

bool PassLogFolder::create(std::string &error) {
    const std::string temporary = temporaryFolder();
    removeAbandonedFolders(temporary);

    std::string pattern = temporary + '/' + kPassLogFolderPrefix + "XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = errno == ENOSPC ? "the disk is full (" + temporary + ")" : std::strerror(errno);
        return false;
    }
    m_path = pattern;
    m_folderFd = ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    // Locked before it gets its name: a sweep by another converter never
    // finds the lock file unlocked while this one lives.
    constexpr char newName[] = "lock.new";
    if (m_folderFd >= 0)
        m_lockFd = ::openat(m_folderFd, newName, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (m_lockFd < 0 || ::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0 ||
        ::renameat(m_folderFd, newName, m_folderFd, kLockName) != 0) {
        error = std::strerror(errno);
        remove();
        return false;
    }
    return true;
}

long long PassLogFolder::freeBytes() const {
    struct statvfs space {};
    if (m_folderFd < 0 || ::fstatvfs(m_folderFd, &space) != 0)
        return -1;
    return static_cast<long long>(space.f_bavail) * static_cast<long long>(space.f_frsize);
}

std::string passLogSpaceProblem(const std::string &folder, long long freeBytes) {
    if (freeBytes < 0 || freeBytes >= kLeastFreeBytes)
        return {};
    return "the pass log could not be written: the disk is full (" + folder + ")";
}

std::string PassLogFolder::logPrefix() const {
    return m_path + "/pass";
}

void PassLogFolder::remove() {
    if (m_path.empty())
        return;
    const std::size_t slash = m_path.rfind('/');
    const std::string parent = slash == 0 ? "/" : m_path.substr(0, slash);
    const int parentFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd >= 0 && m_folderFd >= 0)
        removeFolder(parentFd, m_path.substr(slash + 1), m_folderFd);
    if (parentFd >= 0)
        ::close(parentFd);
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    if (m_folderFd >= 0)
        ::close(m_folderFd);
    m_lockFd = m_folderFd = -1;
    m_path.clear();
}

} // namespace converter
