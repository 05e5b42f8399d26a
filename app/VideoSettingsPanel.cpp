#include "app/VideoSettingsPanel.h"

#include "app/SettingsPanelLayout.h"
#include "app/widgets/ClickableLabel.h"
#include "app/widgets/GUIFunctions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include <algorithm>

VideoSettingsPanel::VideoSettingsPanel(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("frmVideoSettings"));
    SettingsPanelLayout layout(this);
    std::tie(lblVideoCodecText, cmbVideoCodec) =
        layout.addBox(0, 0, u"lblVideoCodecText", u"Video Codec:", u"cmbVideoCodec");
    std::tie(lblVideoBitrate, cmbVideoBitrate) =
        layout.addBox(1, 0, u"lblVideoBitrate", u"Quality:", u"cmbVideoBitrate");
    std::tie(lblVideoFrameRate, cmbVideoFrameRate) =
        layout.addBox(0, 1, u"lblVideoFrameRate", u"Frame Rate:", u"cmbVideoFrameRate");

    // The size box is the one box whose text can be edited: custom sizes
    // are written into it by the custom size dialog.
    imgEditVideoSize = new ClickableLabel(this);
    imgEditVideoSize->setObjectName(QStringLiteral("imgEditVideoSize"));
    imgEditVideoSize->setPixmap(MobivertImage(QStringLiteral("edit"), QSize(22, 22)));
    imgEditVideoSize->setToolTip(QStringLiteral("Edit Video Size"));
    imgEditVideoSize->setCursor(Qt::PointingHandCursor);
    imgEditVideoSize->setFocusPolicy(Qt::TabFocus);
    std::tie(lblVideoSize, cmbVideoSize) =
        layout.addBox(1, 1, u"lblVideoSize", u"Video Size:", u"cmbVideoSize", imgEditVideoSize);
    cmbVideoSize->setEditable(true);
    cmbVideoSize->setInsertPolicy(QComboBox::NoInsert);

    chkVideoNoVideo = layout.addCheckBox(2, 0, u"chkVideoNoVideo", u"No Video");
    chkVideoKeepAspectRatio =
        layout.addCheckBox(2, 1, u"chkVideoKeepAspectRatio", u"Keep Aspect Ratio");
    chkVideoOriginalQuality =
        layout.addCheckBox(3, 0, u"chkVideoOriginalQuality", u"eXtreme Qty\u2122");
    chkVideoTwoPass =
        layout.addCheckBox(3, 1, u"chkVideoTwoPass", u"Two passes (better quality, slower)");
    chkVideoTwoPass->setToolTip(
        QStringLiteral("Encodes the video twice: the first pass finds where the bits are "
                       "needed, the second spends them there. Takes about twice as long."));

    txtVideoFitBatchSize = new QSpinBox(this);
    txtVideoFitBatchSize->setObjectName(QStringLiteral("txtVideoFitBatchSize"));
    txtVideoFitBatchSize->setRange(1, SettingsFile::MaxFitBatchMegabytes);
    txtVideoFitBatchSize->setValue(SettingsFile::VideoRateOptions().fitBatchMegabytes);
    lblVideoFitBatchUnit = new QLabel(QStringLiteral("MB"), this);
    lblVideoFitBatchUnit->setObjectName(QStringLiteral("lblVideoFitBatchUnit"));
    chkVideoFitBatch = layout.addCheckBox(4, 0, u"chkVideoFitBatch", u"Fit the batch into",
                                          {txtVideoFitBatchSize, lblVideoFitBatchUnit});
    chkVideoFitBatch->setToolTip(
        QStringLiteral("Chooses the video bit rate so that all converted files together fill "
                       "this many megabytes (1 MB = 1,000,000 bytes), in two passes."));
    connect(chkVideoFitBatch, &QCheckBox::toggled, this, &VideoSettingsPanel::updateFitBatchSize);
    updateFitBatchSize();

    std::tie(lblDeinterlace, cmbDeinterlace) =
        layout.addBox(5, 0, u"lblDeinterlace", u"Deinterlace:", u"cmbDeinterlace");
    cmbDeinterlace->addItems(DeinterlaceItems());
    cmbDeinterlace->setToolTip(
        QStringLiteral("Automatic deinterlaces the sources that are interlaced (TV recordings, "
                       "DVDs); Always and Never decide for every file."));
    chkBurnSubtitles = layout.addCheckBox(5, 1, u"chkBurnSubtitles", u"Burn in subtitles");
    chkBurnSubtitles->setToolTip(
        QStringLiteral("Draws the source's subtitles into the picture: the track chosen for "
                       "the file, else the default one. Files without subtitles stay as they "
                       "are."));
    chkAlwaysEncode = layout.addCheckBox(6, 0, u"chkAlwaysEncode", u"Always re-encode");
    chkAlwaysEncode->setToolTip(
        QStringLiteral("Converts every video anew. Unchecked, a video that already suits the "
                       "device (codec, profile, size, frame rate and bit rate) is copied as it "
                       "is: much faster, and without any loss."));
    layout.finish(7);
}

SettingsFile::VideoRateOptions VideoSettingsPanel::RateOptions() const {
    return {chkVideoTwoPass->isChecked(), chkVideoFitBatch->isChecked(),
            txtVideoFitBatchSize->value()};
}

void VideoSettingsPanel::SetRateOptions(const SettingsFile::VideoRateOptions &options) {
    chkVideoTwoPass->setChecked(options.twoPass);
    chkVideoFitBatch->setChecked(options.fitBatch);
    txtVideoFitBatchSize->setValue(options.fitBatchMegabytes);
}

void VideoSettingsPanel::EnableRateOptions(bool enabled) {
    m_rateOptionsEnabled = enabled;
    chkVideoTwoPass->setEnabled(enabled);
    chkVideoFitBatch->setEnabled(enabled);
    updateFitBatchSize();
}

SettingsFile::PictureOptions VideoSettingsPanel::PictureOptions() const {
    return {Deinterlace(std::max(0, cmbDeinterlace->currentIndex())), chkBurnSubtitles->isChecked(),
            chkAlwaysEncode->isChecked()};
}

void VideoSettingsPanel::SetPictureOptions(const SettingsFile::PictureOptions &options) {
    cmbDeinterlace->setCurrentIndex(int(options.deinterlace));
    chkBurnSubtitles->setChecked(options.burnSubtitles);
    chkAlwaysEncode->setChecked(options.alwaysEncode);
}

void VideoSettingsPanel::EnablePictureOptions(bool enabled) {
    lblDeinterlace->setEnabled(enabled);
    cmbDeinterlace->setEnabled(enabled);
    chkBurnSubtitles->setEnabled(enabled);
    chkAlwaysEncode->setEnabled(enabled);
}

void VideoSettingsPanel::updateFitBatchSize() {
    const bool enabled = m_rateOptionsEnabled && chkVideoFitBatch->isChecked();
    txtVideoFitBatchSize->setEnabled(enabled);
    lblVideoFitBatchUnit->setEnabled(enabled);
}
