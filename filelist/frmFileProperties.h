#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class WizardHeader;

// The properties of one listed file: name, folder, size, dates and the
// media library's full report of it.
class frmFileProperties final : public QDialog {
    Q_OBJECT
public:
    explicit frmFileProperties(const QString &path, QWidget *parent = nullptr);

    WizardHeader *header = nullptr;
    QLabel *lblNameValue = nullptr;
    QLabel *lblFolderValue = nullptr;
    QLabel *lblSizeValue = nullptr;
    QLabel *lblCreatedValue = nullptr;
    QLabel *lblModifiedValue = nullptr;
    QLabel *lblAccessedValue = nullptr;
    QPlainTextEdit *txtMediaInfo = nullptr;
    QPushButton *cmdClose = nullptr;
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

// "1.4 MB (1,468,006 bytes)"
QString FileSizeText(qint64 bytes);
