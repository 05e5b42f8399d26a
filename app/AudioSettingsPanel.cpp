#include "app/AudioSettingsPanel.h"

#include "app/SettingsPanelLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

AudioSettingsPanel::AudioSettingsPanel(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("frmAudioSettings"));
    SettingsPanelLayout layout(this);
    std::tie(lblAudioCodecText, cmbAudioCodec) =
        layout.addBox(0, 0, u"lblAudioCodecText", u"Audio Codec:", u"cmbAudioCodec");
    std::tie(lblAudioBitrate, cmbAudioBitrate) =
        layout.addBox(1, 0, u"lblAudioBitrate", u"Quality:", u"cmbAudioBitrate");
    std::tie(lblAudioSampleRate, cmbAudioSampleRate) =
        layout.addBox(0, 1, u"lblAudioSampleRate", u"Sample Rate:", u"cmbAudioSampleRate");
    std::tie(lblAudioChannels, cmbAudioChannels) =
        layout.addBox(1, 1, u"lblAudioChannels", u"Channels:", u"cmbAudioChannels");
    chkAudioNoAudio = layout.addCheckBox(2, 0, u"chkAudioNoAudio", u"No Audio");
    layout.finish(3);
}
