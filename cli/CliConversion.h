#pragma once

#include "convert/BatchBuilder.h"
#include "convert/BatchProgress.h"
#include "convert/BatchRecord.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>
#include <vector>

class CMDLauncher;
class CliOutput;
class SleepInhibitor;

// Runs a prepared batch as the conversion window does, without a window:
// starts the batch file through the launcher (one per lane when several
// files are converted at once), follows its output with the window's own
// parser, shows each file as it begins, a progress bar (of the current file,
// or with several lanes of the whole batch), the time elapsed and an
// estimate of the time left, and reports what was written where and the
// errors collected, in row order. Cancelling ends the batch's processes and
// removes the working files, as the window's Cancel does.
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

    const BatchProgress &progress() const { return m_progress; }

signals:
    void finished(int exitCode);

private:
    void CMDLauncher_DataReceived(int lane, const QByteArray &chunk);
    void CMDLauncher_ProcessEnded(int lane);
    void announceFiles();
    void announceFile(int number);
    void showProgress(int lane);
    // Several lanes: the whole batch's progress, and the row a lane converts.
    void showBatchProgress(int lane);
    void cleanUp();
    void writeRecord();
    void dropRecord();
    // Reports the outcome; returns how many files were converted.
    int report(bool cancelled);

    QString m_dataFolder;
    BatchPlan m_plan;
    CliOutput &m_output;
    BatchProgress m_progress;
    std::vector<std::unique_ptr<CMDLauncher>> m_launchers; // one per lane
    std::unique_ptr<SleepInhibitor> m_noSleep;
    QElapsedTimer m_elapsed;
    int m_announcedFile = 0;
    QList<bool> m_announcedRows;    // several lanes: the rows announced so far
    QList<qint64> m_shownRowValues; // several lanes: the seconds last shown per row
    int m_shownStep = -1;           // the last tenth of a file reported off a terminal
    qint64 m_highestValue = 0;      // the furthest the current file has got
    qint64 m_totalSeconds = 0;      // of every row
    qint64 m_secondsBefore = 0;     // of the rows before the current one
    bool m_ended = false;
    std::optional<BatchRecord> m_record;
    bool m_recording = false; // the record is on disk
};
