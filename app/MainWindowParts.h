#pragma once

#include "app/MainMenus.h"

class AudioSettingsPanel;
class ClickableLabel;
class DeviceStrip;
class MainStatusBar;
class OutputDirectoryPanel;
class QComboBox;
class QLabel;
class QProgressBar;
class QTreeWidget;
class SettingsArea;
class VideoSettingsPanel;

// The main window's regions, controls and menus. The window keeps them to
// itself and hands them to the controllers that wire and drive them.
struct MainWindowParts : MainMenus {
    DeviceStrip *picLeftMenu = nullptr;
    QLabel *lblSelectedDevice = nullptr;
    QLabel *lblOutputSettings = nullptr;
    QLabel *lblChooseProfile = nullptr;
    QComboBox *cmbProfiles = nullptr;
    ClickableLabel *imgHelp = nullptr;
    QTreeWidget *lvwVideoFiles = nullptr;
    ClickableLabel *imgAddVideos = nullptr;
    ClickableLabel *imgRemoveItems = nullptr;
    ClickableLabel *imgConvert = nullptr;
    SettingsArea *settingsArea = nullptr;
    OutputDirectoryPanel *frmOutputDirectorySettings = nullptr;
    AudioSettingsPanel *frmAudioSettings = nullptr;
    VideoSettingsPanel *frmVideoSettings = nullptr;
    MainStatusBar *StatusBar = nullptr;
    QProgressBar *AddFilesProgressBar = nullptr;
    QWidget *CancelOverlay = nullptr;
    ClickableLabel *CancelLabel = nullptr;
};
