#pragma once

#include "core/convert/BatchBuilder.h"
#include "core/convert/BatchRecord.h"

#include <optional>

// A batch ready to run: the batch file is written and the components are in
// place in the data folder.
struct BatchRun {
    QString dataFolder;   // holds the batch files and the component copies
    QString outputFolder; // the output folder as the user named it
    QList<BatchRow> rows; // one per list row, in batch order
    int lanes = 1;        // several: that many lanes take the rows as they free up
    QString libraryNote;  // where the library hand-off put the files; empty without one
    // Kept in the data folder while the batch runs, so that an interrupted
    // batch can be taken up again; nothing keeps none.
    std::optional<BatchRecord> record;
    // The batch's commands and the row of each: several lanes write each
    // row's lines to a batch file of their own as they take it.
    QList<BatchCommand> commands;
    QList<int> lineRows;
};

// The text of a batch file that runs one row (0-based) of the batch.
QByteArray RowBatchText(const BatchRun &run, int row);

// The codec sections of the settings' profile file that a batch uses.
BatchCodecData ReadBatchCodecData(const ConversionSettings &settings);

// Why a PSP batch of `rows` files cannot be numbered in its output folder:
// the folder leaves fewer free numbers up to M4V99999/MAQ99999 (PspNumbers).
// Nothing when it can, and for other devices.
std::optional<QString> PspNumbersRefusal(const ConversionSettings &settings, qsizetype rows,
                                         const BatchOptions &options);

// The batch for the rows, its output names kept clear of the files on disk.
// What PrepareBatch writes, and what a dry run shows.
BatchPlan PlanBatch(const ConversionSettings &settings, const QList<FileListRow> &rows,
                    const BatchOptions &options);

// Prepares a batch in the data folder: copies the converter (and, for the
// iPod library hand-off, TrackDrop, with the iPod it adds to) from the
// application's Components folder, writes the batch file with one line per
// command (which one lane runs; several lanes write their own as they take
// the rows), and in debug mode writes the dumps Debug3.log (the rows) and
// Debug1.log (the batch). Returns the plan; a batch file that could not be
// written (a full disk, a read-only data folder), or a component that could
// not be copied, leaves plan.written false, and the batch must not run;
// `failure` then says which file could not be written and why
// (WriteFailureText).
BatchPlan PrepareBatch(const ConversionSettings &settings, const QList<FileListRow> &rows,
                       const BatchOptions &options, QString *failure = nullptr);

// The batch file's text: one command per line, each ending in a line feed
// (the shell would take a carriage return as part of the last argument).
QByteArray BatchText(const BatchPlan &plan);

// The batch as one text, as a dry run prints it and the debug dump keeps
// it. One lane: its lines alone. Several: a comment line saying how the
// lanes take the rows ("# 2 lanes (BVC.bat, BVC2.bat) take the files in
// order as they free up"), then each row's lines after "# File 1 of 3".
QStringList BatchListing(const BatchPlan &plan, const QString &dataFolder);
