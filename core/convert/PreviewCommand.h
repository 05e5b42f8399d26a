#pragma once

#include "core/convert/BatchBuilder.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the preview of a row converts: a few seconds around a chosen time,
// with the batch's own converter options for that row.

// How many seconds a preview converts.
inline constexpr qint64 PreviewSeconds = 3;

// The stretch of a file, in whole seconds from its start.
struct PreviewStretch {
    qint64 begin = 0;
    qint64 end = 0;

    friend bool operator==(const PreviewStretch &, const PreviewStretch &) = default;
};

// The part of a row the batch converts: its trim, else the whole file.
PreviewStretch PreviewRange(const FileListRow &row);

// The seconds converted for a preview at `seconds`: PreviewSeconds long,
// starting a second before the time, kept inside the row's range (shorter
// only when the range is).
PreviewStretch PreviewClip(const FileListRow &row, qint64 seconds);

struct PreviewCommand {
    QString program;       // the converter shipped in the application's Components folder
    QStringList arguments; // the batch's words for the row, the trim of the clip in place
    QString outputPath;    // inside the given folder
    PreviewStretch clip;
};

// The command that converts the clip around `seconds` into `folder`: the
// batch line that BuildBatch writes for the row with the clip as its trim,
// read back into an argument list and run without a shell. `fit`: the row's
// rate when the batch is fitted into a size; the clip gets that rate, but
// not the row's cap on its size, which is for the whole file.
PreviewCommand BuildPreviewCommand(const ConversionSettings &settings, const BatchCodecData &codecs,
                                   const FileListRow &row, qint64 seconds, const QString &folder,
                                   const std::optional<RowFit> &fit = std::nullopt);

// The converter's error messages in its console output: every line but the
// input's Duration line, progress lines and the closing summary. When none
// is left, a line that names the exit status.
QString ConverterErrorText(const QByteArray &output, int exitStatus);
