#pragma once

#include "core/filelist/MediaTags.h"

#include <QWidget>

class QComboBox;
class QLineEdit;

// The part of a file's properties that says what the file is to the device:
// its kind, title and, for a TV episode, show, season and episode. A box
// left empty shows, greyed, what the file's name gives.
class MediaDescriptionEditor final : public QWidget {
    Q_OBJECT
public:
    MediaDescriptionEditor(const QString &baseName, const MediaDescription &description,
                           QWidget *parent = nullptr);

    MediaDescription description() const;

    QComboBox *cmbKind = nullptr;
    QLineEdit *txtTitle = nullptr;
    QLineEdit *txtShow = nullptr;
    QLineEdit *txtSeason = nullptr;
    QLineEdit *txtEpisode = nullptr;

private:
    void showAutomaticValues();

    QString m_baseName;
};
