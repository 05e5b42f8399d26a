#pragma once

#include "convert/BatchProgress.h"
#include "convert/ConvertFiles.h"
#include "convert/TerminalLines.h"
#include "convert/TimeLeftEstimate.h"

#include <QElapsedTimer>
#include <QTimer>

#include <QDialog>

#include <functional>
#include <memory>
#include <vector>

class CMDLauncher;
class ConsoleLogView;
class LaneProgressView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class LauncherEntry;
class SleepInhibitor;
class WizardHeader;

// The conversion window: runs the batch file, follows its console output,
// reports the end, and removes the working files when it closes. A batch
// that converts several files at once runs one batch file per lane, each
// through a launcher of its own; the window then shows a line per lane and
// the whole batch's progress, and marks each log line with its lane.
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
    QCheckBox *chkShutdownComputer = nullptr;
    QPushButton *cmdOpenFolder = nullptr;
    QPushButton *cmdCancel = nullptr;
    // Several lanes only: their lines, in place of prgCurrent and txtStatus.
    LaneProgressView *lanes = nullptr;

    const BatchProgress &progress() const { return m_progress; }
    bool isFinished() const { return m_progress.finished(); }
    // Whether Mobivert is the active window: a batch that ends while it is
    // not is announced by a desktop notification.
    std::function<bool()> isApplicationActive;
    // The user cancelled the batch (a logout or kill is no cancel).
    bool wasCancelled() const { return m_cancelled; }
    // The working files have been removed.
    bool isCleanedUp() const { return m_cleanedUp; }
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
    void CMDLauncher_DataReceived(int lane, const QByteArray &chunk);
    void CMDLauncher_ProcessEnded(int lane);
    void batchEnded();
    // Several lanes: complete lines of a lane's output, into the log.
    void appendLaneLines(int lane, const QStringList &lines);
    void cmdOpenFolder_Click();
    void showProgress();
    void showTime();
    void writeRecord();
    void announceEnd();
    void cleanUp();

    BatchRun m_run;
    BatchProgress m_progress;
    std::vector<std::unique_ptr<CMDLauncher>> m_launchers; // one per lane
    std::vector<TerminalLines> m_laneLogs;                 // several lanes: each lane's log lines
    std::unique_ptr<SleepInhibitor> m_noSleep;
    std::unique_ptr<LauncherEntry> m_launcherEntry; // the batch's progress on the launcher icon
    QElapsedTimer m_elapsed;
    QTimer m_clock; // the time shown moves on once a second
    TimeLeftEstimate m_estimate;
    QList<RowProgress::State> m_shownStates;
    bool m_loaded = false;
    bool m_cleanedUp = false;
    bool m_cancelled = false;
    bool m_recording = false; // the batch's record is on disk
};
