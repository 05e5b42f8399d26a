#pragma once

#include "convert/ConversionProgress.h"
#include "convert/ConvertFiles.h"

#include <QDialog>

#include <memory>

class CMDLauncher;
class ConsoleLogView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class SleepInhibitor;
class WizardHeader;

// The conversion window: runs the batch file, follows its console output,
// reports the end, and removes the working files when it closes.
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
    ConsoleLogView *txtLogContents = nullptr;
    QLabel *lblNote = nullptr;
    QLabel *lblLibraryNote = nullptr; // where the library hand-off put the files, at the end
    QCheckBox *chkShutdownComputer = nullptr;
    QPushButton *cmdOpenFolder = nullptr;
    QPushButton *cmdCancel = nullptr;

    const ConversionProgress &progress() const { return m_progress; }
    bool isFinished() const { return m_progress.finished(); }
    // The working files have been removed.
    bool isCleanedUp() const { return m_cleanedUp; }
    // The batch's process group while it runs, 0 otherwise.
    pid_t processGroup() const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void Form_Load();
    void CMDLauncher_DataReceived(const QByteArray &chunk);
    void CMDLauncher_ProcessEnded();
    void cmdOpenFolder_Click();
    void showProgress();
    void cleanUp();

    BatchRun m_run;
    ConversionProgress m_progress;
    std::unique_ptr<CMDLauncher> m_launcher;
    std::unique_ptr<SleepInhibitor> m_noSleep;
    bool m_loaded = false;
    bool m_cleanedUp = false;
};
