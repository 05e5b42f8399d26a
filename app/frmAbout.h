#pragma once

#include <QDialog>

class ClickableLabel;
class QGroupBox;
class QLabel;
class QPushButton;
class WizardHeader;

// The About window: program name and version, where help is found (the
// manual) and credits.
class frmAbout final : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

    // Opens the window modally, owned by the given window.
    static void showModal(QWidget *owner);

    WizardHeader *header = nullptr;
    QLabel *lblProgramText = nullptr;
    QLabel *lblProgramSubText = nullptr;
    QGroupBox *frmHelp = nullptr;
    QLabel *lblManual = nullptr;
    ClickableLabel *lblManualValue = nullptr; // opens the manual, as F1 does
    QPushButton *cmdCredits = nullptr;
    QPushButton *cmdClose = nullptr;

    static QString CreditsText();

private:
    void cmdCredits_Click();
};
