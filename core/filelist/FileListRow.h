#pragma once

#include "core/filelist/MediaTags.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// One row of the file list: seven fields, in the order of the list's
// columns. Rows are addressed by their position; the list keeps the order in
// which files were added.
struct FileListRow {
    QString Filename;                // the media library's name of the file
    QString Codec;                   // video codec, "UNKNOWN" when there is no video
    qint64 Duration = 0;             // whole seconds, 0 when unknown
    QSize VideoSize{0, 0};           // as displayed, 0x0 when unknown
    std::optional<qint64> BeginTime; // seconds; nothing when the file is not trimmed
    std::optional<qint64> EndTime;   // seconds; nothing when the file is not trimmed
    QString Filepath;                // the full path of the input file, as it was added

    // The user's choice of the source's tracks for this file (the file's
    // properties window, mobivert-cli's --audio-track): empty for the
    // source's default track, else a 1-based track number or a language
    // ("fra", "en"). Not columns: kept with the row.
    QString AudioTrack;
    QString SubtitleTrack; // the subtitles burnt in when the batch burns them
    // What the file is to the device (kind, title, show, episode): what the
    // user set; the rest comes from the name when the batch is written.
    MediaDescription Media;

    // A row is trimmed exactly when both trim times are set.
    bool IsTrimmed() const { return BeginTime && EndTime; }

    friend bool operator==(const FileListRow &, const FileListRow &) = default;
};

// The row's seven columns as the list shows them (and records and dumps keep
// them): times as "hh:mm:ss" (FormatTrimTime), a trim time not set as empty
// text, the size as "WxH". And a row from such texts, in column order: a
// duration or size that does not read as one is not known, a trim time that
// does not is not set. The fields beside the columns stay empty.
QStringList FileListCells(const FileListRow &row);
FileListRow FileListRowFromCells(const QStringList &cells);

// A frame size as "WxH" ("640x480", "0x0").
QString FrameSizeText(const QSize &size);
// "640x480" split at its first lowercase "x"; nothing unless both parts are
// whole numbers.
std::optional<QSize> ParseFrameSize(const QString &text);

// The row's file name without its extension, as output names and titles
// use it.
QString RowBaseName(const FileListRow &row);

// The names the rows are shown by, in their order: a row's name, with its
// file's extension where another row of the same name has a file of
// another extension ("plain.mov" and "plain.webm" rather than "plain"
// twice).
QStringList NamesApart(const QList<FileListRow> &rows);

// The Status of a row whose video the converter copied, which is also how
// the converter's line about such a copy begins.
inline const QString CopiedStatus = QStringLiteral("Copied (already suits the device)");

// The list's columns, left to right.
enum FileListColumn : int {
    ColumnFilename = 0,
    ColumnCodec = 1,
    ColumnDuration = 2,
    ColumnVideoSize = 3,
    ColumnBeginTime = 4,
    ColumnEndTime = 5,
    ColumnFilepath = 6,
    FileListColumnCount = 7,
    // Beside the row's fields: how the row fared in the last batch.
    ColumnStatus = 7
};
