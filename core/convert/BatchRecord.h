#pragma once

#include "core/convert/BatchBuilder.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class BatchProgress;

// What a batch is started from: the window's or the command line's choices.
struct BatchRequest {
    ConversionSettings settings;
    QString profile; // as the record keeps it
    QList<FileListRow> rows;
    BatchOptions options;
    int filesAtOnce = 1; // the choice (FilesAtOnce), kept in the record
    qint64 fitBytes = 0; // the size a fitted batch fills, kept in the record
};

// What a running batch keeps in the data folder, so that a batch cut short
// by a crash, a logout or a power cut can be taken up again: its rows (with
// their trims), the device, profile and settings, where the files go, and
// which rows are converted. A batch that ends or is cancelled leaves none.
struct BatchRecord {
    ConversionSettings settings;
    QString profile; // the profile box's text when the batch began ("Custom" too)
    QString outputFolder;
    bool addToLibrary = false;
    QString ipodMountPoint;
    bool createThumbnails = false;
    QString pspStartNumber = QStringLiteral("1");
    int filesAtOnce = 1; // the choice: a number of lanes, or FilesAtOnce::Automatic
    qint64 fitBytes = 0; // the size the whole batch was fitted into; 0: not fitted
    QList<FileListRow> rows;
    QStringList outputPaths; // per row
    QList<bool> converted;   // per row
    QList<bool> handedOff;   // per row: its file was handed to the library

    // The record of a batch started from the request (with the iPod chosen)
    // writing these outputs; nothing is converted yet.
    static BatchRecord Of(const BatchRequest &request, const QStringList &outputPaths);
    // What takes the batch up again: the rows not converted, sharing what
    // the converted files left of a fitted size, with the batch's choices.
    BatchRequest resumeRequest() const;

    // Whether the batch hands each converted file to the library (iPod,
    // "Add files directly to iTunes").
    bool handsOff() const;
    // The rows (0-based) converted whose hand-off has not been done: cut
    // off, or failed. The record stays until there are none.
    QList<int> handOffsLeft() const;
    // Whether anything is left to do: a row to convert or to hand off.
    bool workLeft() const;
    int unconvertedCount() const;
    // What is left of the size the batch was fitted into once the converted
    // rows' files are counted, so that the rows taken up again still keep
    // the whole batch within it. 0 when the batch was not fitted.
    qint64 fitBytesLeft() const;
    QList<FileListRow> unconvertedRows() const;
    // Marks the rows the batch has converted: ended without an error, their
    // output on disk; and those whose hand-off said it added the file.
    // Returns whether anything changed.
    bool markConverted(const BatchProgress &progress);

    friend bool operator==(const BatchRecord &, const BatchRecord &) = default;
};

// The record as text (JSON), and back. Nothing, with the reason, for a text
// that is not a whole record.
QByteArray BatchRecordText(const BatchRecord &record);
std::optional<BatchRecord> ParseBatchRecord(const QByteArray &text, QString *reason = nullptr);

namespace BatchRecordFile {

QString path(const QString &dataFolder); // Interrupted batch.json

// Writes the record in one piece: a temporary file, flushed to the disk,
// then renamed over the record. False, with the reason in `failure`, when
// it could not be written.
bool write(const QString &dataFolder, const BatchRecord &record, QString *failure = nullptr);
void remove(const QString &dataFolder);

struct ReadResult {
    enum class Status { None, Found, Spoilt };
    Status status = Status::None;
    BatchRecord record;
    QString reason;   // Spoilt: why it could not be read
    QString setAside; // Spoilt: where the unreadable record was moved
};
// Reads the record of an interrupted batch. A row whose output is on disk
// counts as converted: the converter only gives a file its name once it is
// whole. A record that cannot be read is moved aside (never read again,
// kept for a look) and reported as Spoilt.
ReadResult read(const QString &dataFolder);

// Deletes the converter's hidden working files (".NAME.partial.EXT",
// ".NAME.partial-2.EXT", ...) beside the outputs of the rows not converted.
// Returns how many were deleted.
int removePartialFiles(const BatchRecord &record);

} // namespace BatchRecordFile

// The question the window asks at start about an interrupted batch: the
// rows not converted, and the converted files still to be handed off.
QString InterruptedBatchQuestion(const BatchRecord &record);
