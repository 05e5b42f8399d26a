#include "core/platform/FileSystem.h"

#include "Components/BrannockVideoConverter/InputKind.h"
#include "core/platform/PathBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString JoinPath(const QString &folder, const QString &name) {
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

namespace {
bool statPath(const QString &path, struct stat &info) {
    if (path.isEmpty())
        return false;
    const QByteArray native = PathToBytes(path);
    return ::stat(native.constData(), &info) == 0;
}
} // namespace

bool IsDirectory(const QString &path) {
    struct stat info {};
    return statPath(path, info) && S_ISDIR(info.st_mode);
}

bool IsNonDirectory(const QString &path) {
    struct stat info {};
    return statPath(path, info) && !S_ISDIR(info.st_mode);
}

bool IsRegularFile(const QString &path) {
    struct stat info {};
    return statPath(path, info) && S_ISREG(info.st_mode);
}

QString SourceFileProblem(const QString &path) {
    const QByteArray native = PathToBytes(path);
    return QString::fromStdString(
        converter::inputKindProblem(converter::inputKindOf(native.toStdString())));
}

bool IsMissingPath(const QString &path) {
    const QByteArray native = PathToBytes(path);
    return converter::inputKindOf(native.toStdString()) == converter::InputKind::Missing;
}

int OpenRegularFile(const QString &path) {
    // A device is never opened: opening one can have effects of its own.
    if (!IsRegularFile(path))
        return -1;
    const QByteArray native = PathToBytes(path);
    const int descriptor = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

bool OpensAsRegularFile(const QString &path) {
    const int descriptor = OpenRegularFile(path);
    if (descriptor < 0)
        return false;
    ::close(descriptor);
    return true;
}

std::optional<FileFacts> ReadFileFacts(const QString &path) {
    struct statx info {};
    const QByteArray native = PathToBytes(path);
    if (path.isEmpty() ||
        ::statx(AT_FDCWD, native.constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
        return std::nullopt;
    const auto time = [](const statx_timestamp &at) {
        return QDateTime::fromMSecsSinceEpoch(qint64(at.tv_sec) * 1000 + at.tv_nsec / 1000000);
    };
    FileFacts facts;
    facts.isDirectory = S_ISDIR(info.stx_mode);
    facts.readable = ::access(native.constData(), R_OK) == 0;
    facts.size = qint64(info.stx_size);
    if (info.stx_mask & STATX_BTIME)
        facts.created = time(info.stx_btime);
    facts.modified = time(info.stx_mtime);
    facts.accessed = time(info.stx_atime);
    return facts;
}

bool MakeOwnerWritable(const QString &path) {
    struct stat info {};
    if (!statPath(path, info) || (info.st_mode & S_IWUSR))
        return false;
    const QByteArray native = PathToBytes(path);
    return ::chmod(native.constData(), (info.st_mode & 07777) | S_IWUSR) == 0;
}
