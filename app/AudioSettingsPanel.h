#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;

// The audio settings panel: four boxes filled from the device's profile
// file, and "No Audio".
class AudioSettingsPanel final : public QWidget {
    Q_OBJECT
public:
    explicit AudioSettingsPanel(QWidget *parent = nullptr);

    QLabel *lblAudioCodecText = nullptr;
    QComboBox *cmbAudioCodec = nullptr;
    QLabel *lblAudioBitrate = nullptr;
    QComboBox *cmbAudioBitrate = nullptr;
    QLabel *lblAudioSampleRate = nullptr;
    QComboBox *cmbAudioSampleRate = nullptr;
    QLabel *lblAudioChannels = nullptr;
    QComboBox *cmbAudioChannels = nullptr;
    QCheckBox *chkAudioNoAudio = nullptr;
};
