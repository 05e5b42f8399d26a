#include "core/filelist/FileListRow.h"

#include "core/filelist/TrimTimes.h"
#include "core/platform/PathBytes.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

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

QStringList NamesApart(const QList<FileListRow> &rows) {
    // The extensions the files of each name have.
    QHash<QString, QSet<QString>> extensions;
    for (const FileListRow &row : rows)
        extensions[row.Filename].insert(QFileInfo(row.Filepath).suffix());
    QStringList names;
    names.reserve(rows.size());
    for (const FileListRow &row : rows) {
        const QString extension = QFileInfo(row.Filepath).suffix();
        const bool alike = !row.Filename.isEmpty() && extensions.value(row.Filename).size() > 1;
        names.append(alike && !extension.isEmpty() ? row.Filename + u'.' + PathForDisplay(extension)
                                                   : row.Filename);
    }
    return names;
}

QStringList FileListCells(const FileListRow &row) {
    const auto trimTime = [](const std::optional<qint64> &seconds) {
        return seconds ? FormatTrimTime(*seconds) : QString();
    };
    return {row.Filename,
            row.Codec,
            FormatTrimTime(row.Duration),
            FrameSizeText(row.VideoSize),
            trimTime(row.BeginTime),
            trimTime(row.EndTime),
            row.Filepath};
}

FileListRow FileListRowFromCells(const QStringList &cells) {
    FileListRow row;
    row.Filename = cells.value(ColumnFilename);
    row.Codec = cells.value(ColumnCodec);
    row.Duration = TimeTextToSeconds(cells.value(ColumnDuration)).value_or(0);
    row.VideoSize = ParseFrameSize(cells.value(ColumnVideoSize)).value_or(QSize(0, 0));
    row.BeginTime = TimeTextToSeconds(cells.value(ColumnBeginTime));
    row.EndTime = TimeTextToSeconds(cells.value(ColumnEndTime));
    row.Filepath = cells.value(ColumnFilepath);
    return row;
}

QString FrameSizeText(const QSize &size) {
    return QString::number(size.width()) + u'x' + QString::number(size.height());
}

std::optional<QSize> ParseFrameSize(const QString &text) {
    const qsizetype x = text.indexOf(u'x');
    if (x < 0)
        return std::nullopt;
    bool widthOk = false;
    bool heightOk = false;
    const QSize size(text.left(x).trimmed().toInt(&widthOk),
                     text.mid(x + 1).trimmed().toInt(&heightOk));
    if (!widthOk || !heightOk)
        return std::nullopt;
    return size;
}
