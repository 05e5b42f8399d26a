#pragma once

#include <QString>

// One row of the file list: seven text fields, in the order of the list's
// columns. Rows are addressed by their position; the list keeps the order in
// which files were added.
struct FileListRow {
    QString Filename;  // the media library's name of the file
    QString Codec;     // video codec, "UNKNOWN" when there is no video
    QString Duration;  // "hh:mm:ss"
    QString VideoSize; // width "x" height, "0x0" when unknown
    QString BeginTime; // "hh:mm:ss", empty when the file is not trimmed
    QString EndTime;   // "hh:mm:ss", empty when the file is not trimmed
    QString Filepath;  // the full path of the input file, as it was added

    // The user's choice of the source's tracks for this file (the file's
    // properties window, mobivert-cli's --audio-track): empty for the
    // source's default track, else a 1-based track number or a language
    // ("fra", "en"). Not columns: kept with the row.
    QString AudioTrack;
    QString SubtitleTrack; // the subtitles burnt in when the batch burns them

    // A row is trimmed exactly when both trim times are set.
    bool IsTrimmed() const { return !BeginTime.isEmpty() && !EndTime.isEmpty(); }

    friend bool operator==(const FileListRow &, const FileListRow &) = default;
};

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
