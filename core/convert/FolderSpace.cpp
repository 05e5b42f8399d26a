#include "core/convert/FolderSpace.h"

#include "core/convert/BatchFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <cmath>

namespace {

// Room for the batch files, the record and the lock beside the converter copy.
constexpr qint64 DataFolderSlack = LeastFreeBytes;

QString folderOf(const QString &file) {
    return QFileInfo(file).absolutePath();
}

// Whole megabytes (of 1024 × 1024 bytes), rounded up.
QString megabytes(qint64 bytes) {
    return QString::number(
        std::max<qint64>(1, qint64(std::ceil(double(bytes) / (1024.0 * 1024.0)))));
}

} // namespace

QList<FolderNeed> BatchFolderNeeds(const QString &dataFolder, qint64 converterBytes,
                                   const QString &outputFolder, bool twoPasses) {
    QList<FolderNeed> needs{{QStringLiteral("the data folder"), dataFolder,
                             std::max<qint64>(0, converterBytes) + DataFolderSlack},
                            {QStringLiteral("the output folder"), outputFolder, LeastFreeBytes}};
    if (twoPasses)
        needs.append({QStringLiteral("the temporary folder for the two-pass logs"),
                      PassLogTemporaryFolder(), LeastFreeBytes});
    return needs;
}

std::optional<FolderNeed> FirstUnmetNeed(const QList<FolderNeed> &needs,
                                         const std::function<qint64(const QString &)> &freeBytes) {
    for (const FolderNeed &need : needs) {
        const qint64 free = freeBytes(need.folder);
        if (free >= 0 && free < need.bytes)
            return need;
    }
    return std::nullopt;
}

qint64 FreeBytes(const QString &folder) {
    QString existing = QDir::cleanPath(QDir(folder).absolutePath());
    while (!QFileInfo(existing).isDir()) {
        const QString parent = QFileInfo(existing).path();
        if (parent == existing)
            return -1;
        existing = parent;
    }
    const QStorageInfo storage(existing);
    return storage.isValid() ? storage.bytesAvailable() : -1;
}

QString PassLogTemporaryFolder() {
    const QString variable = qEnvironmentVariable("TMPDIR");
    if (variable.startsWith(u'/') && QFileInfo(variable).isDir())
        return variable;
    return QStringLiteral("/tmp");
}

std::optional<QString> BatchSpaceRefusal(const QString &dataFolder, const QString &outputFolder,
                                         bool twoPasses) {
    const std::optional<FolderNeed> unmet = FirstUnmetNeed(
        BatchFolderNeeds(dataFolder, QFileInfo(BatchFiles::shippedConverter()).size(), outputFolder,
                         twoPasses),
        FreeBytes);
    if (!unmet)
        return std::nullopt;
    return UnmetNeedText(*unmet);
}

QString DiskFullText(const QString &folder) {
    return QStringLiteral("the disk is full (") + folder + u')';
}

QString UnmetNeedText(const FolderNeed &need) {
    return DiskFullText(need.folder) + QStringLiteral(": ") + need.role +
           QStringLiteral(" needs %1 MB free").arg(megabytes(need.bytes));
}

QString WriteFailureText(const QString &file, const QString &reason, qint64 freeBytes,
                         qint64 neededBytes) {
    const bool full = freeBytes >= 0 && (freeBytes < neededBytes || freeBytes < LeastFreeBytes);
    return QStringLiteral("could not write ") + file + QStringLiteral(": ") +
           (full ? DiskFullText(folderOf(file)) : reason);
}
