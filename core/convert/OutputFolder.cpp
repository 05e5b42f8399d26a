#include "core/convert/OutputFolder.h"

#include "core/base/Various.h"

#include <QFileInfo>

std::optional<OutputFolderRefusal> PrepareOutputFolder(const QString &folder) {
    // Without a folder the files would land in the root of the file system.
    if (folder.trimmed().isEmpty())
        return OutputFolderRefusal{false,
                                   {QStringLiteral("Please, choose an output folder first.")}};
    QString created = folder;
    CreateFolderPath(created);
    const QFileInfo info(created);
    if (!info.isDir() || !info.isWritable())
        return OutputFolderRefusal{
            true, {QStringLiteral("Unable to save files in the output folder:"), created}};
    return std::nullopt;
}
