#pragma once

#include <QWidget>

class ClickableLabel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The output-directory settings panel: where converted files go, the options
// that only the iPod and the PSP have, and how many files are converted at
// once.
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
    QLabel *lblFilesAtOnce = nullptr;
    QComboBox *cmbFilesAtOnce = nullptr; // "Automatic", 1, 2, 3, 4, 6, 8

    // The choice of cmbFilesAtOnce (FilesAtOnce::Automatic or a number).
    int FilesAtOnceChoice() const;
    // Selects the entry of a choice; a choice the box does not offer selects 1.
    void SetFilesAtOnceChoice(int choice);
};
