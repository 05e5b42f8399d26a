#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class WizardHeader;

// The countdown that powers the computer off a minute after a batch ends,
// unless the user cancels it.
class frmShutdown final : public QDialog {
    Q_OBJECT
public:
    explicit frmShutdown(QWidget *parent = nullptr);

    static constexpr int CountdownSeconds = 60;

    WizardHeader *header = nullptr;
    QLabel *lblCountdown = nullptr;
    QProgressBar *prgShutdown = nullptr;
    QTimer *tmrShutdown = nullptr;
    QPushButton *cmdCancel = nullptr;

    // One tick of the countdown; the timer calls it every second.
    void tmrShutdown_Timer();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    bool m_issued = false;
};
