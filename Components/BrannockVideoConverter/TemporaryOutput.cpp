#include "Components/BrannockVideoConverter/TemporaryOutput.h"

#include "Components/BrannockVideoConverter/OutputFormats.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace converter {
namespace {

constexpr int kAttempts = 100;
constexpr std::size_t kNameMax = 255; // bytes in one name, on every common file system

std::string folderOf(const std::string &path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string procPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace

std::string partialName(const std::string &output, int attempt) {
    const std::size_t slash = output.rfind('/');
    const std::string prefix = slash == std::string::npos ? "" : output.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? output : output.substr(slash + 1);
    const std::string_view extension = extensionOf(name);
    std::string suffix = ".partial";
    if (attempt > 0)
        suffix += '-' + std::to_string(attempt + 1);
    if (!extension.empty())
        suffix += '.' + std::string(extension);
    // The hidden name must fit where the output's own name just fits: the
    // middle gives way, never in the middle of a UTF-8 character.
    std::string middle = name;
    const std::size_t room = kNameMax - 1 - suffix.size();
    if (middle.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(middle[cut]) & 0xC0) == 0x80)
            --cut;
        middle.resize(cut);
    }
    return prefix + '.' + middle + suffix;
}

TemporaryOutput::~TemporaryOutput() {
    discard();
}

bool TemporaryOutput::create(const std::string &output, bool unnamed, std::string &error) {
    m_output = output;
    m_folder = folderOf(output);
    if (unnamed) {
        m_fd = ::open(m_folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_unnamed = true;
            return true;
        }
        // ENOENT and ENOTDIR name a real problem with the folder; the other
        // failures mean this file system has no unnamed files.
        if (errno == ENOENT || errno == ENOTDIR) {
            error = std::strerror(errno);
            return false;
        }
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::string candidate = partialName(output, attempt);
        m_fd = ::open(candidate.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_partialPath = candidate;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    error = std::strerror(errno);
    return false;
}

std::string TemporaryOutput::ffmpegUrl(int childFd) const {
    return m_unnamed ? "file:" + procPath(childFd) : "file:" + m_partialPath;
}

long long TemporaryOutput::size() const {
    struct stat info {};
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0)
        return 0;
    return static_cast<long long>(info.st_size);
}

bool TemporaryOutput::commit(bool replace, std::string &error) {
    if (m_fd < 0) {
        error = std::strerror(EBADF);
        return false;
    }
    bool done = false;
    if (m_unnamed) {
        const std::string source = procPath(m_fd);
        if (!replace) {
            done = ::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, m_output.c_str(),
                            AT_SYMLINK_FOLLOW) == 0;
        } else {
            // A name of its own first, then rename() puts it in place in one step.
            for (int attempt = 0; attempt < kAttempts && !done; ++attempt) {
                const std::string candidate = partialName(m_output, attempt);
                if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, candidate.c_str(),
                             AT_SYMLINK_FOLLOW) == 0) {
                    m_partialPath = candidate;
                    done = true;
                } else if (errno != EEXIST) {
                    break;
                }
            }
            if (done) {
                m_unnamed = false;
                done = ::rename(m_partialPath.c_str(), m_output.c_str()) == 0;
            }
        }
    } else if (replace) {
        done = ::rename(m_partialPath.c_str(), m_output.c_str()) == 0;
    } else {
        // link() refuses to replace an existing file, which rename() would not.
        done = ::link(m_partialPath.c_str(), m_output.c_str()) == 0;
        if (done) {
            ::unlink(m_partialPath.c_str());
        } else if (errno == EPERM || errno == EOPNOTSUPP) {
            // A file system without hard links: check, then rename.
            struct stat info {};
            if (::lstat(m_output.c_str(), &info) == 0)
                errno = EEXIST;
            else
                done = ::rename(m_partialPath.c_str(), m_output.c_str()) == 0;
        }
    }
    if (!done) {
        error = std::strerror(errno);
        discard();
        return false;
    }
    m_partialPath.clear();
    ::close(m_fd);
    m_fd = -1;
    return true;
}

void TemporaryOutput::truncate() {
    if (m_fd >= 0) [[maybe_unused]]
        const int done = ::ftruncate(m_fd, 0);
}

void TemporaryOutput::discard() {
    if (!m_partialPath.empty()) {
        ::unlink(m_partialPath.c_str());
        m_partialPath.clear();
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace converter
