#pragma once

#include "core/convert/BatchCommand.h"
#include "core/convert/ConversionProgress.h"
#include "core/filelist/FileListRow.h"
#include "core/profiles/ConversionSettings.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// A row's share of a batch fitted into a size: the video rate every row
// gets, and the most bytes the row's file may take (0: no limit, when the
// codec's highest rate leaves the batch below the size).
struct RowFit {
    double videoKbps = 0;
    qint64 maxBytes = 0;
};

// What a batch needs beyond the settings controls and the rows.
struct BatchOptions {
    QString dataFolder;                           // where the batch runs the component copies from
    QString outputFolder;                         // as the user named it
    bool addToLibrary = false;                    // "Add files directly to iTunes" checked
    QString ipodMountPoint;                       // the iPod it adds to; empty: the playlist
    bool createThumbnails = false;                // "Create thumbnails" checked
    QString pspStartNumber = QStringLiteral("1"); // the PSP's first file number, as typed
    QList<qint64> pspNumbers; // per row, as the output folder leaves them (PspNumbers);
                              // empty: on from pspStartNumber
    QList<RowFit> fit;        // one per row when the batch is fitted into a size, else empty
    int lanes = 1;            // files converted at once (FilesAtOnce)
};

// The codec data of the profile file that a batch uses.
struct BatchCodecData {
    QString videoFormat;
    QString extraParameters;
    QString videoExtension; // of the video codec's section
    QString audioExtension; // of the audio codec's section: audio-only output
};

// One batch: its commands and, per row, the output written and what the
// conversion window follows. Several lanes take the rows in order as they
// free up, each running a row's commands from a batch file of its own.
struct BatchPlan {
    QList<BatchCommand> commands; // one line each in the batch file
    QList<int> lineRows;          // the row (0-based) of each command
    QStringList outputPaths;
    QStringList thumbnailPaths; // empty entries where a row gets none
    bool written = false;       // the batch file is on disk (set by PrepareBatch)
    QList<BatchRow> rows;
    int lanes = 1; // files converted at once: never more than the rows
};

// Builds the converter command of every row, in list order: the converter
// command, then the library hand-off (iPod) or the thumbnail (PSP).
// Pure: files on disk are only consulted through the given test, so that
// output names never replace an existing file; a path given to an earlier
// row counts as taken too. Output names, PSP numbers and
// thumbnails are all decided here, in row order, whatever lane converts a row.
BatchPlan BuildBatch(const ConversionSettings &settings, const BatchCodecData &codecs,
                     const QList<FileListRow> &rows, const BatchOptions &options,
                     const std::function<bool(const QString &)> &pathTaken);

// Whether the batch hands each converted file to the library: the iPod,
// with "Add files directly to iTunes" checked.
bool AddsToLibrary(const ConversionSettings &settings, const BatchOptions &options);

// The converter arguments of one row, after "-i <input>" and before "-y <output>".
// A fitted row gets its own video rate and size limit, and always two passes.
QStringList ConversionOptions(const ConversionSettings &settings, const BatchCodecData &codecs,
                              const FileListRow &row,
                              const std::optional<RowFit> &fit = std::nullopt);

// The converter arguments that describe a converted video file to the device
// (kind, title, show, season, episode), resolved from the row's description
// and its name; empty when no video is converted.
QStringList MediaTagOptions(const ConversionSettings &settings, const FileListRow &row);

// Whether the settings ask for two passes: "Two passes" checked, with a
// picture at a bit rate.
bool UsesTwoPasses(const ConversionSettings &settings);

// The length of a trimmed row's part, in seconds; nothing for an untrimmed row.
std::optional<qint64> TrimmedLength(const FileListRow &row);

// The highest PSP file number, M4V99999 or MAQ99999: the PSP lists no
// file past it.
inline constexpr qint64 HighestPspNumber = 99999;

// The PSP file numbers of a batch of `count` files, one after the other
// from the number typed, or from the one after the highest M4Vnnnn or
// MAQnnnn file already among `namesInFolder` (any extension, any case) when
// that is higher, so that nothing there is replaced and no name needs a
// counter the PSP would not list. A number that would pass 99999 gives way
// to the lowest number from 1 up that no file there has. Nothing when the
// folder leaves fewer free numbers than files.
std::optional<QList<qint64>> PspNumbers(const QString &typed, const QStringList &namesInFolder,
                                        qsizetype count);

// The base name of a PSP output file: "M4V" for the first two video codecs
// (MPEG-4), "MAQ" for the others (H.264), then the number with at least
// four digits.
QString PspBaseName(int videoCodecPosition, qint64 number);
