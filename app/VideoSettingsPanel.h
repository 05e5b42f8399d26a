#pragma once

#include "core/settings/SettingsFile.h"

#include <QWidget>

class ClickableLabel;
class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

// The video settings panel: four boxes filled from the device's profile
// file (the size box also takes custom sizes), and three check boxes; below
// them the user's own choices that act on the bit rate, which no profile
// sets: two passes, and fitting the batch into a size; last the user's
// choices about the picture: deinterlacing, and subtitles burnt in.
class VideoSettingsPanel final : public QWidget {
    Q_OBJECT
public:
    explicit VideoSettingsPanel(QWidget *parent = nullptr);

    SettingsFile::VideoRateOptions RateOptions() const;
    void SetRateOptions(const SettingsFile::VideoRateOptions &options);
    // Two passes and the fit need a bit rate: they are enabled only while
    // the picture is converted at one ("No Video" and "eXtreme Qty"
    // unchecked). The size box follows its check box too.
    void EnableRateOptions(bool enabled);

    SettingsFile::PictureOptions PictureOptions() const;
    void SetPictureOptions(const SettingsFile::PictureOptions &options);
    // They act on the picture: enabled while "No Video" is unchecked.
    void EnablePictureOptions(bool enabled);

    QLabel *lblVideoCodecText = nullptr;
    QComboBox *cmbVideoCodec = nullptr;
    QLabel *lblVideoBitrate = nullptr;
    QComboBox *cmbVideoBitrate = nullptr;
    QLabel *lblVideoFrameRate = nullptr;
    QComboBox *cmbVideoFrameRate = nullptr;
    QLabel *lblVideoSize = nullptr;
    QComboBox *cmbVideoSize = nullptr;
    ClickableLabel *imgEditVideoSize = nullptr;
    QCheckBox *chkVideoNoVideo = nullptr;
    QCheckBox *chkVideoKeepAspectRatio = nullptr;
    QCheckBox *chkVideoOriginalQuality = nullptr;
    QCheckBox *chkVideoTwoPass = nullptr;
    QCheckBox *chkVideoFitBatch = nullptr;
    QSpinBox *txtVideoFitBatchSize = nullptr; // megabytes
    QLabel *lblVideoFitBatchUnit = nullptr;
    QLabel *lblDeinterlace = nullptr;
    QComboBox *cmbDeinterlace = nullptr; // DeinterlaceItems(), in the enum's order
    QCheckBox *chkBurnSubtitles = nullptr;
    QCheckBox *chkAlwaysEncode = nullptr;

private:
    void updateFitBatchSize();

    bool m_rateOptionsEnabled = true;
};
