#pragma once

#include "core/convert/ConversionProgress.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// One row of a running batch.
struct RowProgress {
    enum class State { Waiting, Converting, Converted, Failed, Cancelled };
    QString inputPath;
    int lane = 0;            // the lane (0-based) that converts it
    qint64 totalSeconds = 0; // its length: the whole file, or the trimmed part
    qint64 secondsDone = 0;  // how far its conversion has got
    State state = State::Waiting;
    bool copied = false;    // the converter copied the source's video
    QString copyNote;       // what it noted about the copy
    bool handedOff = false; // the library hand-off said it added the file
};

// "Waiting", "Converting", "Converted", "Failed", "Cancelled".
QString RowStateText(RowProgress::State state);
// The row's Status cell: its state, or "Copied (already suits the device)"
// for a converted row whose video was copied.
QString RowStatusText(const RowProgress &row);

// What the desktop notification says when a batch ends: "All 5 files
// converted", "4 of 5 files converted, 1 failed", "Conversion cancelled".
QString BatchEndNotice(int converted, int failed, int total, bool cancelled);

// A batch that runs in one or more lanes side by side. A lane runs one
// batch file at a time (a run: one or more rows), followed by a
// ConversionProgress of its own from that run's console output. Knows per
// row which lane converts it, how far it has got and its state, and gives
// the conversion window and mobivert-cli what they show: with one lane
// exactly what that lane's ConversionProgress shows; with several, the
// files done and running and the share of the whole batch converted.
class BatchProgress final {
public:
    // One lane that runs every row from the start.
    BatchProgress(const QString &converterPath, const QString &trackDropPath,
                  const QList<BatchRow> &rows);
    // `lanes` idle lanes, given their rows one run at a time by startRun().
    static BatchProgress idleLanes(const QString &converterPath, const QString &trackDropPath,
                                   const QList<BatchRow> &rows, int lanes);

    int laneCount() const { return int(m_lanes.size()); }
    // The lane's current (or last) run.
    const ConversionProgress &lane(int lane) const { return m_lanes[std::size_t(lane)]; }
    // The row (0-based) the lane converts now; -1 before its run's first
    // file and while the lane is idle.
    int laneRow(int lane) const;
    // The lane is idle and no row is left for it.
    bool laneFinished(int lane) const;
    bool laneBusy(int lane) const { return m_laneBusy[lane]; }
    // The first row (0-based) that no lane has taken yet; -1 when none is left.
    int nextRow() const;

    // The lane runs `rows` now (in row order), from a new batch file.
    void startRun(int lane, const QList<int> &rows);
    // A row that could not be started: it fails with the message.
    void failRow(int row, const QString &message);
    // A chunk of a lane's console output, in arrival order.
    void feed(int lane, QByteArrayView chunk);
    // The lane's current run has ended; the batch has finished once every
    // lane is idle and every row has been taken.
    void finishLane(int lane);
    bool finished() const;
    // The batch was cancelled: the rows not yet converted stay so.
    void cancel();

    const QList<RowProgress> &rows() const { return m_rows; }
    int rowCount() const { return int(m_rows.size()); }
    int filesDone() const;
    int filesIn(RowProgress::State state) const;
    int filesRunning() const;

    // The latest file (1-based) begun and how far it has got; with one lane
    // the current file and its progress bar's value.
    int currentFile() const;
    int currentValue() const;
    // "Processing File: 2 of 3..."; with several lanes "Processing Files:
    // 3 of 10 done, 2 running...".
    QString currentFileText() const;
    // The window's caption: "Converting Video Files...(42%)", the share of
    // the whole batch converted in whole per cent, with one lane or several.
    QString caption() const;
    // The lower bar: the seconds of the whole batch, a row of unknown length
    // counting as one second, and the share of them done, advancing within
    // each file. Each row weighs its seconds, or with setCosts() what it is
    // expected to cost, so that the bar moves on as the time goes.
    int totalMaximum() const;
    int totalValue() const;
    void setCosts(const QList<double> &costs) { m_costs = costs; }

    // The error messages in row order, each row's in the order they came.
    QStringList errors() const;
    // The same as the error log shows them: each "-" + message + CR LF.
    QString errorMessages() const;
    // The error messages reported against one row (0-based).
    QStringList rowErrors(int row) const;
    // The seconds of video converted so far (weighed as the lower bar), and
    // of the whole batch.
    qint64 secondsDone() const;
    qint64 secondsTotal() const;

private:
    // `lanes` idle lanes.
    BatchProgress(const QString &converterPath, const QString &trackDropPath,
                  const QList<BatchRow> &rows, int lanes);
    void update(int lane);
    void endRow(int row);
    bool oneLane() const { return m_lanes.size() == 1; }

    QString m_converterPath;
    QString m_trackDropPath;
    QList<BatchRow> m_batchRows;
    std::vector<ConversionProgress> m_lanes;
    QList<QList<int>> m_laneRows;
    QList<bool> m_laneBusy;
    QList<bool> m_taken;     // per row: a lane has taken it
    QList<int> m_laneFile;   // the lane's current file (1-based) as last seen
    QList<int> m_laneErrors; // the lane's errors taken over so far
    QList<RowProgress> m_rows;
    QList<double> m_costs;   // per row, when known
    QList<bool> m_rowErrors; // an error was reported against the row
    struct RowError {
        int row;
        QString message;
    };
    QList<RowError> m_errors;
};
