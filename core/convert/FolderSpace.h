#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The free space a batch needs in the folders it writes, checked before
// anything is converted, and what the user is told when a folder is full.

// A folder with less than this free counts as full whatever is written there.
inline constexpr qint64 LeastFreeBytes = 1024 * 1024;

struct FolderNeed {
    QString role;   // what the folder is to the batch: "the data folder", ...
    QString folder; // as the batch names it
    qint64 bytes = 0;
};

// The folders a batch writes: the data folder (the converter copy, the
// batch files and the record; `converterBytes` for the copy), the output
// folder, and with two passes the temporary folder of the converter's pass
// logs.
QList<FolderNeed> BatchFolderNeeds(const QString &dataFolder, qint64 converterBytes,
                                   const QString &outputFolder, bool twoPasses);

// The first need that the folder's free space does not meet; `freeBytes`
// gives a negative figure when it cannot tell, and such a folder passes.
std::optional<FolderNeed> FirstUnmetNeed(const QList<FolderNeed> &needs,
                                         const std::function<qint64(const QString &)> &freeBytes);

// The bytes this user may still write in the folder's file system, from the
// folder or, when it does not exist yet, the nearest one above it that does;
// -1 when it cannot be told.
qint64 FreeBytes(const QString &folder);

// $TMPDIR when it names a folder, else /tmp: where the converter keeps the
// pass logs of a two-pass conversion.
QString PassLogTemporaryFolder();

// What a batch about to be written in the data folder is refused for: the
// first folder of BatchFolderNeeds (with the shipped converter's size) that
// has too little free space, as UnmetNeedText says it; nothing when every
// folder has room.
std::optional<QString> BatchSpaceRefusal(const QString &dataFolder, const QString &outputFolder,
                                         bool twoPasses);

// "the disk is full (FOLDER)"
QString DiskFullText(const QString &folder);
// A batch refused for want of space: "the disk is full (FOLDER): the data
// folder needs 5 MB free".
QString UnmetNeedText(const FolderNeed &need);
// A working file that could not be written: "could not write FILE: the disk
// is full (FOLDER)" when the folder has less free than the file needed (or
// less than LeastFreeBytes), else with the reason given.
QString WriteFailureText(const QString &file, const QString &reason, qint64 freeBytes,
                         qint64 neededBytes);
