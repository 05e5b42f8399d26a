#include "Components/TrackDrop/SafeFiles.h"

#include "Components/TrackDrop/TestStop.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace trackdrop {
namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    // Closes now; false when the close reports an error (a delayed write
    // that failed).
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool syncFolder(const std::string &folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL; // some file systems cannot
    ::close(fd);
    return synced;
}

} // namespace

std::string errnoText(int error) {
    return std::strerror(error);
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool readAll(int fd, std::string &text) {
    std::vector<char> chunk(1 << 16);
    while (true) {
        const ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        text.append(chunk.data(), static_cast<std::size_t>(got));
    }
}

std::string folderOf(const std::string &path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool readFile(const std::string &path, std::string &bytes, std::string &error) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0 || !readAll(fd.get(), bytes)) {
        error = errnoText(errno);
        return false;
    }
    return true;
}

bool replaceFile(const std::string &path, std::string_view bytes, std::string &error) {
    std::string temporary = path + ".XXXXXX";
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        error = errnoText(errno);
        return false;
    }
    // The replacement keeps the permissions of the file it replaces.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0)
        ::fchmod(fd.get(), old.st_mode & 07777);
    const bool written = writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    const int writeError = errno;
    if (!fd.close() || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errnoText(written ? errno : writeError);
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folderOf(path));
    return true;
}

bool copyFile(const std::string &from, const std::string &to, std::string &error) {
    Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) {
        error = errnoText(errno);
        return false;
    }
    Descriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (out.get() < 0) {
        error = errnoText(errno);
        return false;
    }
    std::vector<char> chunk(1 << 20);
    bool ok = true;
    while (ok) {
        const ssize_t got = ::read(in.get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ok = writeAll(out.get(), std::string_view(chunk.data(), static_cast<std::size_t>(got)));
        stopHereForTest("during-copy");
    }
    ok = ok && ::fsync(out.get()) == 0;
    const int copyError = errno;
    if (!out.close() || !ok) {
        error = errnoText(ok ? errno : copyError);
        ::unlink(to.c_str());
        return false;
    }
    syncFolder(folderOf(to));
    return true;
}

} // namespace trackdrop
