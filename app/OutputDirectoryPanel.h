#pragma once

#include <QWidget>

class ClickableLabel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The output-directory settings panel: where converted files go, and the
// options that only the iPod and the PSP have.
class OutputDirectoryPanel final : public QWidget {
    Q_OBJECT
public:
    explicit OutputDirectoryPanel(QWidget *parent = nullptr);

    QLabel *lblChooseOutputDirectory = nullptr;
    QLineEdit *txtOutputDirectory = nullptr;
    QPushButton *cmdChooseOutputDirectory = nullptr;
    // "Save to the PSP Memory Stick (<its mount point>)": shown for the PSP
    // while a Memory Stick is mounted.
    QCheckBox *chkPSPMemoryStick = nullptr;
    QCheckBox *chkAddToiTunes = nullptr;
    ClickableLabel *lblPSPHint = nullptr;
    QCheckBox *chkPSPCreateThumbnail = nullptr;
    QLabel *lblPSPVideoNumber = nullptr;
    QLineEdit *txtPSPVideoNumber = nullptr;
};
