#include "core/convert/BatchLock.h"

#include <QLockFile>

BatchLockRefusal TakeBatchLock(QLockFile &lock) {
    // Only a process that is gone leaves a stale lock, however long a batch runs.
    lock.setStaleLockTime(0);
    if (lock.tryLock(0))
        return BatchLockRefusal::None;
    return lock.error() == QLockFile::LockFailedError ? BatchLockRefusal::Busy
                                                      : BatchLockRefusal::DataFolderUnusable;
}

QStringList BusyMessage() {
    return {QStringLiteral("Mobivert is already converting one or more files!")};
}

QStringList DataFolderMessage(const QString &dataFolder) {
    return {QStringLiteral("Unable to prepare the conversion in the data folder:"), dataFolder};
}
