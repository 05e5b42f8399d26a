#include "app/VideoSettingsPanel.h"

#include "app/SettingsPanelLayout.h"
#include "widgets/ClickableLabel.h"
#include "widgets/GUIFunctions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

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
    std::tie(lblVideoSize, cmbVideoSize) =
        layout.addBox(1, 1, u"lblVideoSize", u"Video Size:", u"cmbVideoSize", imgEditVideoSize);
    cmbVideoSize->setEditable(true);
    cmbVideoSize->setInsertPolicy(QComboBox::NoInsert);

    chkVideoNoVideo = layout.addCheckBox(2, 0, u"chkVideoNoVideo", u"No Video");
    chkVideoKeepAspectRatio =
        layout.addCheckBox(2, 1, u"chkVideoKeepAspectRatio", u"Keep Aspect Ratio");
    chkVideoOriginalQuality =
        layout.addCheckBox(3, 0, u"chkVideoOriginalQuality", u"eXtreme Qty\u2122");
    layout.finish(4);
}
