#pragma once

#include "core/convert/BatchBuilder.h"
#include "core/convert/BatchEngine.h"
#include "core/convert/BatchProgress.h"
#include "core/convert/BatchRecord.h"

#include <QObject>

class CliOutput;

// Shows a prepared batch that the batch engine runs, as the conversion
// window does, without a window: each file as it begins, a progress bar (of
// the current file, or with several lanes of the whole batch), the time
// elapsed and an estimate of the time left, and what was written where and
// the errors collected, in row order. Cancelling ends the batch's processes
// and removes the working files, as the window's Cancel does; pausing stops
// them where they are until the batch continues.
class CliConversion final : public QObject {
    Q_OBJECT
public:
    // The record is kept in the data folder while the batch runs, so that a
    // batch cut short can be taken up again with --resume.
    CliConversion(const QString &dataFolder, const BatchPlan &plan, CliOutput &output,
                  const std::optional<BatchRecord> &record = std::nullopt);
    ~CliConversion() override;

    // Starts the batch; finished() follows, also when the start fails.
    void start();
    // Ends a running batch, keeping the files converted so far. Ctrl+C is
    // the user's decision and forgets the batch; a logout (SIGTERM) or a
    // closed terminal (SIGHUP) keeps it for --resume.
    void cancel(int signalNumber);
    // Stops every lane where it is (Ctrl+Z), and takes them up again.
    void pause();
    void resume();
    bool isPaused() const { return m_engine.isPaused(); }
    QList<pid_t> processGroups() const { return m_engine.processGroups(); }

    const BatchProgress &progress() const { return m_engine.progress(); }
    // Its record stays for --resume: it left rows to convert or files to hand off.
    bool leftForResume() const { return m_engine.leftForResume(); }

signals:
    void finished(int exitCode);

private:
    void showOutput(int lane);
    void batchEnded();
    void announceFiles();
    void announceFile(int number);
    void showProgress(int lane);
    // Several lanes: the whole batch's progress, and the row a lane converts.
    void showBatchProgress(int lane);
    // Reports the outcome; returns how many files were converted.
    int report(bool cancelled);
    // One row's outcome: its result event, or its lines for after the
    // totals; whether it was converted.
    bool reportRow(qsizetype row, QStringList &lines);
    void reportTotals(bool cancelled, int converted, const QStringList &lines);

    QString m_dataFolder;
    BatchPlan m_plan;
    CliOutput &m_output;
    BatchEngine m_engine;
    int m_announcedFile = 0;
    QList<bool> m_announcedRows;    // several lanes: the rows announced so far
    QList<qint64> m_shownRowValues; // several lanes: the seconds last shown per row
    int m_shownStep = -1;           // the last tenth of a file reported off a terminal
    bool m_ended = false;
};
