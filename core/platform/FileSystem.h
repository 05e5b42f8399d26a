#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// Joins a folder and a name with the native separator. Every path the
// program builds goes through here, so a folder ending in "/" (the root)
// never yields a doubled separator.
QString JoinPath(const QString &folder, const QString &name);

// The paths here are file names as PathFromBytes reads them (any plain
// text is one), so a name that is no UTF-8 reaches the system as its bytes.

// stat()-based tests: false whenever the path cannot be examined.
bool IsDirectory(const QString &path);
bool IsNonDirectory(const QString &path);
bool IsRegularFile(const QString &path);

// What the system records of a file, read with statx() from the name's own
// bytes; nothing when it cannot be examined. A time the file system does not
// keep (often the creation time) is invalid.
struct FileFacts {
    bool isDirectory = false;
    bool readable = false;
    qint64 size = 0;
    QDateTime created, modified, accessed;
};
std::optional<FileFacts> ReadFileFacts(const QString &path);

// Why the path is no file a video can be read from, in the converter's
// words ("is a folder, not a video file", "is not a regular file (a FIFO)",
// "permission denied", "no such file or directory"); empty for a readable
// regular file. Examined with stat(), so nothing is opened and a FIFO
// cannot block the caller.
QString SourceFileProblem(const QString &path);
// Whether the path is missing altogether (as opposed to being no file).
bool IsMissingPath(const QString &path);

// Whether the path is a readable regular file now, just before a library
// opens it by name: examined with stat(), then opened without waiting
// (O_NONBLOCK) and the opened file asked, so that a name swapped for a FIFO
// since it was listed is refused here rather than waited on for ever there.
bool OpensAsRegularFile(const QString &path);
// The same, keeping the file open: its descriptor (close-on-exec, reading
// blocks as usual), or -1 when the path is no readable regular file.
int OpenRegularFile(const QString &path);

// Gives the owner write permission when the file exists; the counterpart of
// resetting a file's attributes to normal. Returns false when nothing changed.
bool MakeOwnerWritable(const QString &path);
