#pragma once

#include <QDialog>

class frmMain;
class QLabel;
class QLineEdit;
class QPushButton;
class WizardHeader;

// The custom video size dialog: shows the size box's current size split
// into width and height and, on Ok, writes the new size back into the box.
// It keeps no state of its own.
class frmEditVideoSize final : public QDialog {
    Q_OBJECT
public:
    explicit frmEditVideoSize(frmMain &main);

    WizardHeader *header = nullptr;
    QLabel *lblSpecifyCustomSize = nullptr;
    QLabel *lblWidth = nullptr;
    QLineEdit *txtWidth = nullptr;
    QLabel *lblHeight = nullptr;
    QLineEdit *txtHeight = nullptr;
    QPushButton *cmdOk = nullptr;
    QPushButton *cmdCancel = nullptr;

    static QString InvalidSizeMessage();
    // The message for a size the video codec cannot encode.
    static QString LimitMessage(const QString &limit);

private:
    void cmdOk_Click();

    frmMain &m_main;
};
