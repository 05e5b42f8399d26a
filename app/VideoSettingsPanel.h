#pragma once

#include <QWidget>

class ClickableLabel;
class QCheckBox;
class QComboBox;
class QLabel;

// The video settings panel: four boxes filled from the device's profile
// file (the size box also takes custom sizes), and three check boxes.
class VideoSettingsPanel final : public QWidget {
    Q_OBJECT
public:
    explicit VideoSettingsPanel(QWidget *parent = nullptr);

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
};
