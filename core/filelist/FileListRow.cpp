#include "core/filelist/FileListRow.h"

#include "core/platform/PathBytes.h"

#include <QFileInfo>

QString RowBaseName(const FileListRow &row) {
    // The media library gives the name without its extension. A file it
    // could not read has none, and a name with a line break comes back with
    // " / " in its place, which would point into a folder: then the path's
    // own name serves, each byte of it that is no UTF-8 as U+FFFD.
    const QString &name = row.Filename;
    if (!name.isEmpty() && !name.contains(u'/') && name != u"." && name != u"..")
        return name;
    return PathForDisplay(QFileInfo(row.Filepath).completeBaseName());
}
