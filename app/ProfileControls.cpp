#include "app/ProfileControls.h"

#include "app/AudioSettingsPanel.h"
#include "app/DeviceStrip.h"
#include "app/OutputDirectoryPanel.h"
#include "app/VideoSettingsPanel.h"
#include "app/frmMain.h"
#include "app/profiles/frmEditVideoSize.h"
#include "app/widgets/ClickableLabel.h"
#include "app/widgets/GUIFunctions.h"
#include "core/base/Prompts.h"
#include "core/filelist/FileListRow.h"
#include "core/profiles/ProfileFile.h"
#include "core/profiles/ProfileSettings.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>

#include <array>

namespace {

// Strip captions: white, and cyan for the selected device.
const QColor NotSelectedColour{255, 255, 255};
const QColor SelectedColour{0, 255, 255};

struct DeviceEntry {
    const char16_t *name;
    QLabel *DeviceStrip::*caption;
    ClickableLabel *DeviceStrip::*clickArea;
    QAction *MainMenus::*menuItem;
};

constexpr std::array<DeviceEntry, 4> Devices{{
    {u"iPod", &DeviceStrip::lbliPod, &DeviceStrip::lbliPodClickArea,
     &MainMenus::mnuSelectDevice_iPod},
    {u"Zune", &DeviceStrip::lblZune, &DeviceStrip::lblZuneClickArea,
     &MainMenus::mnuSelectDevice_Zune},
    {u"PSP", &DeviceStrip::lblPSP, &DeviceStrip::lblPSPClickArea, &MainMenus::mnuSelectDevice_PSP},
    {u"MobilePhone", &DeviceStrip::lblMobilePhone, &DeviceStrip::lblMobilePhoneClickArea,
     &MainMenus::mnuSelectDevice_MobilePhone},
}};

// Selects a position the way a user's click would, so the box's handler
// runs when the position changes. A position outside -1 .. count-1 is
// ignored and the box keeps its selection.
void selectPosition(QComboBox *box, std::optional<qint16> position) {
    if (!position || *position < -1 || *position >= box->count())
        return;
    box->setCurrentIndex(*position);
}

Qt::CheckState toCheckState(int value) {
    switch (value) {
    case 1:
        return Qt::Checked;
    case 2:
        return Qt::PartiallyChecked;
    default:
        return Qt::Unchecked;
    }
}

// Sets a check box's value (0, 1 or 2); its handler runs when the state
// changes. Other values are ignored.
void setCheckValue(QCheckBox *box, std::optional<qint16> value) {
    if (!value || *value < 0 || *value > 2)
        return;
    box->setCheckState(toCheckState(*value));
}

// A grayed state comes only from a profile; once the state has moved on,
// the user's clicks toggle between checked and unchecked again.
void settleTristate(QCheckBox *box) {
    if (box->checkState() != Qt::PartiallyChecked)
        box->setTristate(false);
}

// Writes a custom size into the size box. The box then reports the position
// of the entry with exactly that text, or none, so that the limit check of
// the conversion sees the size that will be used.
void writeCustomSize(QComboBox *box, const QString &text) {
    box->setEditText(text);
    const QSignalBlocker silence(box);
    box->setCurrentIndex(box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    // Clearing the selection also clears the text.
    box->setEditText(text);
}

} // namespace

ProfileControls::ProfileControls(frmMain &main, const MainWindowParts &ui)
    : QObject(&main)
    , m_main(main)
    , m_ui(ui) {
    connectHandlers();
}

int ProfileControls::CheckValue(const QCheckBox *box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

QString ProfileControls::HelpText() {
    return JoinLines(
        {QStringLiteral("In the box left to this button you can select an output profile."),
         QStringLiteral("An output profile contains predefined settings for the audio quality, "
                        "video quality, etc."),
         QString(),
         QStringLiteral("If you wish you can change the various audio and video settings "
                        "manually,"),
         QStringLiteral("but you can also choose to set the audio and video settings by choosing "
                        "an output profile."),
         QString(),
         QStringLiteral("There are a lot of output profiles, each is suitable for a different "
                        "type of video."),
         QStringLiteral("E.g.: high quality movies require a high quality profile. For an audio "
                        "clip you can choose a profile with a lower video quality.")});
}

QString ProfileControls::VideoSizeWarning() {
    return QStringLiteral(
        "Please, use the button on the right side of this field to change the video size.");
}

void ProfileControls::connectHandlers() {
    DeviceStrip *strip = m_ui.picLeftMenu;
    for (const DeviceEntry &device : Devices) {
        const QString name = QString::fromUtf16(device.name);
        const auto click = [this, name] {
            SwitchDevice(name);
        };
        connect(strip->*device.clickArea, &ClickableLabel::clicked, this, click);
        // The menu item does what a click on the device's strip entry does.
        connect(m_ui.*device.menuItem, &QAction::triggered, this, click);
    }
    connect(strip, &DeviceStrip::rightButtonPressed, this,
            &ProfileControls::picLeftMenu_RightButton);

    connect(m_ui.cmbProfiles, &QComboBox::currentIndexChanged, this,
            &ProfileControls::cmbProfiles_Click);
    connect(m_ui.imgHelp, &ClickableLabel::clicked, this, &ProfileControls::imgHelp_Click);

    AudioSettingsPanel *audio = m_ui.frmAudioSettings;
    VideoSettingsPanel *video = m_ui.frmVideoSettings;
    for (QComboBox *box : {audio->cmbAudioCodec, audio->cmbAudioBitrate, audio->cmbAudioSampleRate,
                           audio->cmbAudioChannels, video->cmbVideoCodec, video->cmbVideoBitrate,
                           video->cmbVideoFrameRate})
        connect(box, &QComboBox::currentIndexChanged, this, &ProfileControls::SwitchToCustom);
    connect(video->chkVideoKeepAspectRatio, &QCheckBox::stateChanged, this, [this, video] {
        settleTristate(video->chkVideoKeepAspectRatio);
        SwitchToCustom();
    });
    connect(audio->chkAudioNoAudio, &QCheckBox::stateChanged, this,
            &ProfileControls::chkAudioNoAudio_Click);
    connect(video->chkVideoNoVideo, &QCheckBox::stateChanged, this,
            &ProfileControls::chkVideoNoVideo_Click);
    connect(video->chkVideoOriginalQuality, &QCheckBox::stateChanged, this,
            &ProfileControls::chkVideoOriginalQuality_Click);

    // The size box offers no completion: every typed character is refused.
    video->cmbVideoSize->setCompleter(nullptr);
    connect(video->cmbVideoSize, &QComboBox::currentIndexChanged, this,
            &ProfileControls::cmbVideoSize_Click);
    connect(video->cmbVideoSize, &QComboBox::editTextChanged, this,
            &ProfileControls::cmbVideoSize_Change);
    connect(video->imgEditVideoSize, &ClickableLabel::clicked, this,
            &ProfileControls::imgEditVideoSize_Click);
}

void ProfileControls::picLeftMenu_RightButton() {
    m_ui.mnuFile_SelectDevice->popup(m_ui.picLeftMenu->mapToGlobal(QPoint(0, 0)));
}

void ProfileControls::ResetLeftMenuColors() {
    for (const DeviceEntry &device : Devices)
        SetTextColour(m_ui.picLeftMenu->*device.caption, NotSelectedColour);
}

void ProfileControls::ResetSelectDeviceMenu() {
    for (const DeviceEntry &device : Devices)
        (m_ui.*device.menuItem)->setChecked(false);
}

void ProfileControls::selectDevice(const QString &DeviceName) {
    for (const DeviceEntry &device : Devices) {
        if (DeviceName != QStringView(device.name))
            continue;
        QLabel *caption = m_ui.picLeftMenu->*device.caption;
        SetTextColour(caption, SelectedColour);
        (m_ui.*device.menuItem)->setChecked(true);
        m_ui.lblSelectedDevice->setText(caption->text());
        return;
    }
}

void ProfileControls::refillBox(QComboBox *box, const QString &file, const QString &key) {
    // Emptying and filling a box runs none of its handlers, and a filled box
    // has no selection (Qt would select the first item it is given).
    const QSignalBlocker silence(box);
    box->clear();
    box->addItems(ProfileFile::ReadOptionList(file, key));
    box->setCurrentIndex(-1);
}

void ProfileControls::SwitchDevice(const QString &DeviceName) {
    ResetLeftMenuColors();
    ResetSelectDeviceMenu();
    m_main.SelectedDevice = DeviceName;
    selectDevice(DeviceName);

    OutputDirectoryPanel *output = m_ui.frmOutputDirectorySettings;
    output->chkAddToiTunes->setVisible(DeviceName == u"iPod");
    const bool isPSP = DeviceName == u"PSP";
    for (QWidget *control :
         std::initializer_list<QWidget *>{output->lblPSPHint, output->chkPSPCreateThumbnail,
                                          output->lblPSPVideoNumber, output->txtPSPVideoNumber})
        control->setVisible(isPSP);
    // Shown again by its controller when a Memory Stick is mounted.
    if (!isPSP)
        output->chkPSPMemoryStick->hide();

    const QString file = ProfileFile::Path(DeviceName);
    AudioSettingsPanel *audio = m_ui.frmAudioSettings;
    VideoSettingsPanel *video = m_ui.frmVideoSettings;
    const std::array<QComboBox *, 4> audioBoxes{audio->cmbAudioCodec, audio->cmbAudioBitrate,
                                                audio->cmbAudioSampleRate, audio->cmbAudioChannels};
    for (size_t i = 0; i < audioBoxes.size(); ++i)
        refillBox(audioBoxes[i], file, QString::fromUtf16(ProfileFile::AudioListKeys[i]));
    audio->chkAudioNoAudio->setCheckState(Qt::Unchecked);

    const std::array<QComboBox *, 4> videoBoxes{video->cmbVideoCodec, video->cmbVideoSize,
                                                video->cmbVideoBitrate, video->cmbVideoFrameRate};
    for (size_t i = 0; i < videoBoxes.size(); ++i)
        refillBox(videoBoxes[i], file, QString::fromUtf16(ProfileFile::VideoListKeys[i]));
    // "No Video" keeps its state: the default profile sets it.
    video->chkVideoKeepAspectRatio->setCheckState(Qt::Unchecked);
    video->chkVideoOriginalQuality->setCheckState(Qt::Unchecked);

    QComboBox *profiles = m_ui.cmbProfiles;
    {
        const QSignalBlocker silence(profiles);
        profiles->clear();
        profiles->addItems(ProfileFile::ReadProfileNames(file));
        profiles->setCurrentIndex(-1);
    }
    // Selecting the default profile loads it.
    selectPosition(profiles, ProfileFile::ReadDefaultProfile(file));
    {
        const QSignalBlocker silence(profiles);
        const int selected = profiles->currentIndex();
        profiles->addItem(ProfileSettings::CustomEntry);
        profiles->setCurrentIndex(selected);
    }
    emit DeviceSwitched(DeviceName);
}

void ProfileControls::cmbProfiles_Click() {
    QComboBox *profiles = m_ui.cmbProfiles;
    // Every entry reading "Custom" is the custom entry: choosing it keeps
    // the current settings. No selection loads nothing either.
    if (ProfileSettings::IsCustomEntry(profiles->currentText()) || profiles->currentIndex() < 0)
        return;
    LoadProfile(static_cast<qint16>(profiles->currentIndex() + 1));
}

void ProfileControls::LoadProfile(qint16 ListIndex) {
    using ProfileFile::ProfileKey;
    ProfileLoaded = false;
    const ProfileFile::ProfileValues profile =
        ProfileFile::ReadProfile(ProfileFile::Path(m_main.SelectedDevice), ListIndex);

    AudioSettingsPanel *audio = m_ui.frmAudioSettings;
    VideoSettingsPanel *video = m_ui.frmVideoSettings;
    selectPosition(audio->cmbAudioCodec, profile[ProfileKey::AudioCodec]);
    selectPosition(audio->cmbAudioBitrate, profile[ProfileKey::AudioQuality]);
    selectPosition(audio->cmbAudioSampleRate, profile[ProfileKey::AudioSampleRate]);
    selectPosition(audio->cmbAudioChannels, profile[ProfileKey::AudioChannels]);
    setCheckValue(audio->chkAudioNoAudio, profile[ProfileKey::AudioNoAudio]);
    selectPosition(video->cmbVideoCodec, profile[ProfileKey::VideoCodec]);
    selectPosition(video->cmbVideoSize, profile[ProfileKey::VideoSize]);
    selectPosition(video->cmbVideoBitrate, profile[ProfileKey::VideoQuality]);
    selectPosition(video->cmbVideoFrameRate, profile[ProfileKey::VideoFrameRate]);
    setCheckValue(video->chkVideoNoVideo, profile[ProfileKey::VideoNoVideo]);
    setCheckValue(video->chkVideoOriginalQuality, profile[ProfileKey::VideoOriginalQuality]);
    setCheckValue(video->chkVideoKeepAspectRatio, profile[ProfileKey::VideoKeepAspectRatio]);

    ProfileLoaded = true;
}

void ProfileControls::SwitchToCustom() {
    if (!ProfileLoaded)
        return;
    // "Custom" is the last entry; choosing it runs the profile box's
    // handler, which leaves it at that.
    m_ui.cmbProfiles->setCurrentIndex(m_ui.cmbProfiles->count() - 1);
}

void ProfileControls::chkAudioNoAudio_Click() {
    AudioSettingsPanel *audio = m_ui.frmAudioSettings;
    settleTristate(audio->chkAudioNoAudio);
    const bool enabled = CheckValue(audio->chkAudioNoAudio) == 0;
    for (QWidget *control :
         std::initializer_list<QWidget *>{audio->cmbAudioCodec, audio->cmbAudioBitrate,
                                          audio->cmbAudioSampleRate, audio->cmbAudioChannels})
        control->setEnabled(enabled);
    SwitchToCustom();
}

void ProfileControls::chkVideoNoVideo_Click() {
    VideoSettingsPanel *video = m_ui.frmVideoSettings;
    settleTristate(video->chkVideoNoVideo);
    const bool enabled = CheckValue(video->chkVideoNoVideo) == 0;
    video->cmbVideoCodec->setEnabled(enabled);
    video->cmbVideoSize->setEnabled(enabled);
    video->imgEditVideoSize->setEnabled(enabled);
    // The quality box stays disabled while "eXtreme Qty" is checked.
    video->cmbVideoBitrate->setEnabled(enabled && CheckValue(video->chkVideoOriginalQuality) == 0);
    video->cmbVideoFrameRate->setEnabled(enabled);
    video->chkVideoKeepAspectRatio->setEnabled(enabled);
    video->chkVideoOriginalQuality->setEnabled(enabled);
    video->EnableRateOptions(enabled && CheckValue(video->chkVideoOriginalQuality) == 0);
    video->EnablePictureOptions(enabled);
    SwitchToCustom();
}

void ProfileControls::chkVideoOriginalQuality_Click() {
    VideoSettingsPanel *video = m_ui.frmVideoSettings;
    settleTristate(video->chkVideoOriginalQuality);
    // Nor does it come back while "No Video" is checked.
    video->cmbVideoBitrate->setEnabled(CheckValue(video->chkVideoOriginalQuality) == 0 &&
                                       CheckValue(video->chkVideoNoVideo) == 0);
    // Constant quality has no bit rate to spend in two passes or to fit.
    video->EnableRateOptions(CheckValue(video->chkVideoOriginalQuality) == 0 &&
                             CheckValue(video->chkVideoNoVideo) == 0);
    SwitchToCustom();
}

void ProfileControls::cmbVideoSize_Click() {
    SwitchToCustom();
    LastVideoSizeIndex = static_cast<qint16>(m_ui.frmVideoSettings->cmbVideoSize->currentIndex());
}

void ProfileControls::cmbVideoSize_Change(const QString &text) {
    QComboBox *size = m_ui.frmVideoSettings->cmbVideoSize;
    // Qt also reports the text that a selection puts into the box; only a
    // text that differs from the selected entry was typed or written.
    const int selected = size->currentIndex();
    if (text == (selected >= 0 ? size->itemText(selected) : QString()))
        return;
    if (m_main.AllowVideoSizeChange)
        return;

    prompts().exclamation(&m_main, VideoSizeWarning());
    // Back to the entry that was last chosen; when that position no longer
    // exists, back to the selected entry's text.
    const bool lastExists = LastVideoSizeIndex >= -1 && LastVideoSizeIndex < size->count();
    size->setCurrentIndex(lastExists ? LastVideoSizeIndex : size->currentIndex());
}

void ProfileControls::imgEditVideoSize_Click() {
    VideoSettingsPanel *video = m_ui.frmVideoSettings;
    frmEditVideoSize dialog(video->cmbVideoSize->currentText(), video->cmbVideoCodec->currentText(),
                            &m_main);
    prompts().exec(&dialog);
    if (dialog.newSize().isEmpty())
        return;
    // The size box accepts this write without its typing warning.
    m_main.AllowVideoSizeChange = true;
    writeCustomSize(video->cmbVideoSize, dialog.newSize());
    m_main.AllowVideoSizeChange = false;
}

void ProfileControls::imgHelp_Click() {
    prompts().information(&m_main, HelpText());
}

ConversionSettings ProfileControls::CurrentSettings() const {
    const AudioSettingsPanel *audio = m_ui.frmAudioSettings;
    const VideoSettingsPanel *video = m_ui.frmVideoSettings;
    ConversionSettings settings;
    settings.device = m_main.SelectedDevice;
    settings.profileFile = ProfileFile::Path(m_main.SelectedDevice);
    settings.audioCodec = audio->cmbAudioCodec->currentText();
    settings.audioBitrate = ReadKbps(audio->cmbAudioBitrate->currentText());
    settings.audioSampleRate = ReadSampleRate(audio->cmbAudioSampleRate->currentText());
    settings.audioChannelsPosition = audio->cmbAudioChannels->currentIndex();
    settings.noAudio = CheckValue(audio->chkAudioNoAudio);
    settings.videoCodec = video->cmbVideoCodec->currentText();
    settings.videoCodecPosition = video->cmbVideoCodec->currentIndex();
    settings.videoSize = ParseFrameSize(video->cmbVideoSize->currentText());
    settings.videoSizePosition = video->cmbVideoSize->currentIndex();
    settings.videoBitrate = ReadKbps(video->cmbVideoBitrate->currentText());
    settings.videoBitratePosition = video->cmbVideoBitrate->currentIndex();
    settings.videoFrameRate = ReadFrameRate(video->cmbVideoFrameRate->currentText());
    settings.noVideo = CheckValue(video->chkVideoNoVideo);
    settings.originalQuality = CheckValue(video->chkVideoOriginalQuality);
    settings.keepAspectRatio = CheckValue(video->chkVideoKeepAspectRatio);
    settings.twoPass = CheckValue(video->chkVideoTwoPass);
    const SettingsFile::PictureOptions picture = video->PictureOptions();
    settings.deinterlace = picture.deinterlace;
    settings.burnSubtitles = picture.burnSubtitles ? 1 : 0;
    settings.alwaysEncode = picture.alwaysEncode ? 1 : 0;
    return settings;
}
