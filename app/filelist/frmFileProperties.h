#pragma once

#include "Components/BrannockVideoConverter/SourceFacts.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidgetItem;
class MediaDescriptionEditor;
class WizardHeader;

// The properties of one listed file: name, folder, size, dates, what
// Mobivert found in it (the picture as shown, scan, range, tracks) and the
// media library's full report of it. Given the file's row, it also offers
// the row's choice of sound track and of subtitles to burn in, and what the
// converted file is to the device (kind, title, show, episode).
class frmFileProperties final : public QDialog {
    Q_OBJECT
public:
    explicit frmFileProperties(const QString &path, QWidget *parent = nullptr,
                               QTreeWidgetItem *row = nullptr);

    // Writes the tracks chosen here, and the file's description, into the
    // row; a track left as it was found keeps the row's own text (a language
    // stays a language).
    void keepRowChoices() const;

    WizardHeader *header = nullptr;
    QLabel *lblNameValue = nullptr;
    QLabel *lblFolderValue = nullptr;
    QLabel *lblSizeValue = nullptr;
    QLabel *lblCreatedValue = nullptr;
    QLabel *lblModifiedValue = nullptr;
    QLabel *lblAccessedValue = nullptr;
    QGroupBox *grpFound = nullptr; // "What Mobivert found"; absent for a folder
    QComboBox *cmbAudioTrack = nullptr;
    QComboBox *cmbSubtitleTrack = nullptr;
    MediaDescriptionEditor *mediaEditor = nullptr; // "Shown on the device"; only for a row
    QPlainTextEdit *txtMediaInfo = nullptr;
    QPushButton *cmdClose = nullptr;

private:
    QGroupBox *foundBox(const std::optional<converter::SourceFacts> &facts);
    QComboBox *trackBox(const QString &name, const std::vector<converter::SourceTrack> &tracks,
                        bool sound, const QString &chosen);

    QTreeWidgetItem *m_row = nullptr;
    int m_foundAudioIndex = 0;
    int m_foundSubtitleIndex = 0;
};

// Result codes of ShowFileProperties: above 32 means the properties were
// shown; the failures name why not.
inline constexpr qint32 FilePropertiesShown = 42;
inline constexpr qint32 FilePropertiesFileNotFound = 2;
inline constexpr qint32 FilePropertiesAccessDenied = 5;

// Shows the properties of the file, owned by the given window. Returns a
// value above 32 when they were shown, 32 or less when the file cannot be
// read (it does not exist, or may not be read).
qint32 ShowFileProperties(const QString &path, QWidget *owner);
// The same for the file of a list row, whose track choices the window edits.
qint32 ShowFileProperties(QTreeWidgetItem *row, QWidget *owner);

// "1.4 MB (1,468,006 bytes)"
QString FileSizeText(qint64 bytes);
