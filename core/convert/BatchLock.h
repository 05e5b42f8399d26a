#pragma once

#include <QStringList>

class QLockFile;

// One batch at a time per data folder, for the window and the command line
// alike: the lock is held from the writing of the batch to its clean-up.
enum class BatchLockRefusal {
    None,              // the lock is ours
    Busy,              // another batch of this data folder is running
    DataFolderUnusable // the lock (and so the batch) cannot be written there
};

BatchLockRefusal TakeBatchLock(QLockFile &lock);

// What the user is told when a batch cannot be prepared, one line each.
QStringList BusyMessage();
QStringList DataFolderMessage(const QString &dataFolder);
