#pragma once

#include "core/profiles/ConversionSettings.h"

#include <QObject>

class frmMain;
struct MainWindowParts;
class QCheckBox;
class QComboBox;

// The device and profile behaviour of the main window: switching devices,
// loading profiles into the twelve settings controls and the handlers of
// those controls.
//
// Notifications: a selection or check state set in code runs the same
// handler as the user's click whenever it changes; emptying or filling a box
// runs none; only typing in the size box, or writing its text in code, runs
// the size box's change handler.
class ProfileControls final : public QObject {
    Q_OBJECT
public:
    explicit ProfileControls(frmMain &main, const MainWindowParts &ui);

    void SwitchDevice(const QString &DeviceName);
    // Loads section Profile<ListIndex> (1-based) of the current device.
    void LoadProfile(qint16 ListIndex);

    // The current settings, as the conversion reads them.
    ConversionSettings CurrentSettings() const;

    bool isProfileLoaded() const { return ProfileLoaded; }
    qint16 lastVideoSizeIndex() const { return LastVideoSizeIndex; }

    static QString HelpText();
    static QString VideoSizeWarning();

    // A check box's value: 0 unchecked, 1 checked, 2 grayed.
    static int CheckValue(const QCheckBox *box);

signals:
    // A device switch has ended: its controls and default profile are in place.
    void DeviceSwitched(const QString &DeviceName);

private:
    void connectHandlers();
    void ResetLeftMenuColors();
    void ResetSelectDeviceMenu();
    void selectDevice(const QString &DeviceName);
    void refillBox(QComboBox *box, const QString &file, const QString &key);

    void cmbProfiles_Click();
    void SwitchToCustom();
    void chkAudioNoAudio_Click();
    void chkVideoNoVideo_Click();
    void chkVideoOriginalQuality_Click();
    void cmbVideoSize_Click();
    void cmbVideoSize_Change(const QString &text);
    void imgEditVideoSize_Click();
    void imgHelp_Click();
    void picLeftMenu_RightButton();

    frmMain &m_main;
    const MainWindowParts &m_ui;
    // True once a profile has been loaded; false while one is loading, so
    // that the controls' own handlers leave the profile box alone.
    bool ProfileLoaded = false;
    // The size box's position at its last click, used to undo typed text.
    qint16 LastVideoSizeIndex = 0;
};
