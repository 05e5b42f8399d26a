#include "platform/FileSystem.h"

#include "Components/BrannockVideoConverter/InputKind.h"
#include "platform/PathBytes.h"

#include <sys/stat.h>

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

bool MakeOwnerWritable(const QString &path) {
    struct stat info {};
    if (!statPath(path, info) || (info.st_mode & S_IWUSR))
        return false;
    const QByteArray native = PathToBytes(path);
    return ::chmod(native.constData(), (info.st_mode & 07777) | S_IWUSR) == 0;
}
