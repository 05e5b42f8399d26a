#pragma once

#include "core/convert/BatchProgress.h"
#include "core/convert/BatchTimeLeft.h"
#include "core/convert/CMDLauncher.h"
#include "core/convert/ConvertFiles.h"
#include "core/convert/PausableClock.h"
#include "core/convert/RowCost.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class SleepInhibitor;

// Runs a prepared batch, for the conversion window and for mobivert-cli alike,
// which only show what it reports. One lane runs the prepared batch file as it
// is. Several lanes take the rows in row order as they free up: a lane that
// ends a row writes the next waiting row's lines to its own batch file
// (BVC.bat, BVC2.bat, ...) and runs it, so that a slow file in one lane never
// holds back the files behind it. Keeps the record of an interrupted batch
// (each row is marked as it ends), judges the time left (BatchTimeLeft, each
// row's cost from what the record knows of its file and the settings, RowCost),
// keeps the computer awake while converting, pauses and continues every lane
// (SIGSTOP and SIGCONT to each lane's process group), cancels, and removes the
// working files.
class BatchEngine final : public QObject {
    Q_OBJECT
public:
    explicit BatchEngine(const BatchRun &run, QObject *parent = nullptr);
    ~BatchEngine() override;

    // Starts every lane; false when one could not start, and then nothing
    // runs: startStatus() and startError() say why.
    bool start();
    CMDLauncher::StartStatus startStatus() const { return m_startStatus; }
    int startError() const { return m_startError; }

    // Stops every lane's processes where they are (and the clock, and lets
    // the computer sleep again); continue() takes them up from there.
    void pause();
    void resume();
    bool isPaused() const { return m_paused; }

    // Ends the running batch, keeping the files converted so far: every
    // lane's processes end (paused ones too), the rows not converted are
    // cancelled. `keepRecord` keeps the record (each row converted marked)
    // so the batch can be taken up again; otherwise it goes.
    void cancel(bool keepRecord);
    // Stops whatever still runs and removes the working files;
    // `beforeAttempt` as RemoveWorkingFiles takes it.
    void cleanUp(const std::function<void()> &beforeAttempt = nullptr);
    bool isCleanedUp() const { return m_cleanedUp; }

    bool hasEnded() const { return m_ended; } // finished, or cancelled
    bool wasCancelled() const { return m_cancelled; }
    const BatchProgress &progress() const { return m_progress; }
    int laneCount() const { return m_progress.laneCount(); }
    // How long the batch has been converting: pauses are not counted, and
    // the clock stops when the batch ends.
    qint64 elapsedMs() const;
    // The whole seconds the batch still needs; nothing until there is enough
    // to go on. Stands still while paused.
    std::optional<qint64> secondsLeft() const { return m_timeLeft.secondsLeft(); }
    // What judges it: each row's cost, the lanes, the lanes that keep the machine busy.
    const BatchTimeLeft &timeLeft() const { return m_timeLeft; }
    // What the time left takes of a row beside its progress: the clock's seconds
    // when it began and ended (-1: not yet); whether its picture is encoded twice.
    struct RowTimes {
        double startedAt = -1, endedAt = -1;
        bool twoPasses = false;
    };
    const QList<RowTimes> &rowTimes() const { return m_rowTimes; }
    // A row as the time left takes it at `now`, the clock's seconds.
    static BatchTimeLeft::Row TimeLeftRow(const RowProgress &progress, const RowTimes &times,
                                          double now);
    // The process group of every lane that runs now.
    QList<pid_t> processGroups() const;
    const std::optional<BatchRecord> &record() const { return m_run.record; }
    // That the batch cannot be taken up again should it be interrupted, and
    // why: its record could not be written when it started ("this batch
    // cannot be resumed ..."). Empty when it keeps one, or has none to keep.
    const QString &recordFailure() const { return m_recordFailure; }
    // The batch has ended or was cancelled, and its record stays for
    // mobivert-cli --resume and the window's next start: rows to convert or
    // files to hand off are left.
    bool leftForResume() const { return m_leftForResume; }

signals:
    // A chunk of a lane's console output, once the progress has taken it.
    void output(int lane, const QByteArray &chunk);
    // A lane's batch file has ended, before the progress hears of it.
    void laneRunEnded(int lane);
    // A row (0-based) has begun converting.
    void fileStarted(int row);
    // The progress has moved on in a lane.
    void progressed(int lane);
    // A row's state has moved on (Converting, Converted, Failed, Cancelled).
    void rowsChanged();
    void pausedChanged(bool paused);
    // Every row has ended; the record is settled. Not sent after cancel():
    // whoever cancels ends its view there.
    void ended();

private:
    // Starts the lane's next run; false when the lane could not start.
    bool takeWork(int lane);
    // Writes the lane's batch file with the row's lines.
    bool writeRowBatch(int lane, int row);
    void launcherOutput(int lane, const QByteArray &chunk);
    void launcherEnded(int lane);
    void noteRowStates();
    void writeRecord();
    void dropRecord();
    void stopLanes();
    void signalLanes(int signalNumber);
    bool dynamicLanes() const { return m_progress.laneCount() > 1; }
    void updateTimeLeft();

    BatchRun m_run;
    BatchProgress m_progress;
    std::vector<std::unique_ptr<CMDLauncher>> m_launchers; // one per lane
    std::unique_ptr<SleepInhibitor> m_noSleep;
    PausableClock m_clock;
    BatchTimeLeft m_timeLeft;
    QTimer m_timeLeftTicker; // the time left is judged again every half second
    QList<RowTimes> m_rowTimes;
    std::optional<qint64> m_endedMs;
    QList<RowProgress::State> m_shownStates;
    CMDLauncher::StartStatus m_startStatus = CMDLauncher::Started;
    int m_startError = 0;
    bool m_started = false;
    bool m_launched = false; // every lane has started once
    bool m_paused = false;
    bool m_ended = false;
    bool m_cancelled = false;
    bool m_cleanedUp = false;
    bool m_recording = false; // the record is on disk
    QString m_recordFailure;
    bool m_leftForResume = false;
};
