#pragma once

#include "core/convert/BatchEngine.h"
#include "core/convert/BatchProgress.h"
#include "core/convert/ConvertFiles.h"
#include "core/convert/TerminalLines.h"

#include <QTimer>

#include <QDialog>

#include <functional>
#include <memory>
#include <vector>

class ConsoleLogView;
class LaneProgressView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class LauncherEntry;
class WizardHeader;

// The conversion window: shows a batch that the batch engine runs (its
// console output, progress, time and end), pauses, continues and cancels
// it, and has the working files removed when it closes. A batch that
// converts several files at once shows a line per lane and the whole
// batch's progress, and marks each log line with its lane.
class frmProcessing final : public QDialog {
    Q_OBJECT
public:
    explicit frmProcessing(const BatchRun &run, QWidget *parent = nullptr);
    ~frmProcessing() override;

    WizardHeader *header = nullptr;
    QLabel *lblCurrentFile = nullptr;
    QProgressBar *prgCurrent = nullptr;
    QLineEdit *txtStatus = nullptr;
    QProgressBar *prgTotal = nullptr;
    QLabel *lblTime = nullptr; // "Elapsed 00:01:12 · about 00:03:40 left"; the total at the end
    ConsoleLogView *txtLogContents = nullptr;
    QLabel *lblNote = nullptr;
    QLabel *lblLibraryNote = nullptr; // where the library hand-off put the files, at the end
    QLabel *lblResumeNote = nullptr;  // from the start: the batch cannot be resumed, and why
    QCheckBox *chkShutdownComputer = nullptr;
    QPushButton *cmdOpenFolder = nullptr;
    QPushButton *cmdPause = nullptr; // "Continue" while paused
    QPushButton *cmdCancel = nullptr;
    // Several lanes only: their lines, in place of prgCurrent and txtStatus.
    LaneProgressView *lanes = nullptr;

    const BatchProgress &progress() const { return m_engine.progress(); }
    bool isFinished() const { return progress().finished(); }
    bool isPaused() const { return m_engine.isPaused(); }
    // Whether Mobivert is the active window: a batch that ends while it is
    // not is announced by a desktop notification.
    std::function<bool()> isApplicationActive;
    // The user cancelled the batch (a logout or kill is no cancel).
    bool wasCancelled() const { return m_cancelled; }
    // The working files have been removed.
    bool isCleanedUp() const { return m_engine.isCleanedUp(); }
    // The batch's process group while it runs (the first lane's), 0 otherwise.
    pid_t processGroup() const;
    // The process group of every lane that still runs.
    QList<pid_t> processGroups() const;

signals:
    // A row's state has moved on (Converting, Converted, Failed, Cancelled).
    void rowsChanged();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void Form_Load();
    void showOutput(int lane, const QByteArray &chunk);
    void laneRunEnded(int lane);
    void cmdPause_Click();
    void showPaused(bool paused);
    void batchEnded();
    // Several lanes: complete lines of a lane's output, into the log.
    void appendLaneLines(int lane, const QStringList &lines);
    void cmdOpenFolder_Click();
    void showProgress();
    void showTime();
    void announceEnd();
    void cleanUp();

    BatchRun m_run;
    BatchEngine m_engine;
    std::vector<TerminalLines> m_laneLogs;          // several lanes: each lane's log lines
    std::unique_ptr<LauncherEntry> m_launcherEntry; // the batch's progress on the launcher icon
    QTimer m_clock;                                 // the time shown moves on once a second
    bool m_loaded = false;
    bool m_started = false;
    bool m_cancelled = false;
};
