#pragma once

#include "app/MainMenus.h"

#include <QColor>
#include <QMainWindow>

class AudioSettingsPanel;
class ClickableLabel;
class ConvertCommand;
class DeviceStrip;
class FileListController;
class MainStatusBar;
class MemoryStickOption;
class OutputDirectoryPanel;
class PreviewOutputCommand;
class ProfileControls;
class QComboBox;
class QLabel;
class QProgressBar;
class QTreeWidget;
class SettingsArea;
class VideoSettingsPanel;

// The main window: the only window the user works in. It owns the shared
// state that the other windows read and write, the file list and the
// settings controls. The behaviour of each region lives in its own
// controller (device and profile controls, file list, conversion).
class frmMain final : public QMainWindow, public MainMenus {
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // The load steps, run once before the window is first shown. The
    // argument text is the command line after the program name, joined by
    // single blanks.
    void Form_Load(const QString &argumentText);

    // Shared state.
    QString ApplicationSettingsPath;
    QString SelectedDevice;
    bool AllowVideoSizeChange = false;

    void SwitchDevice(const QString &DeviceName);
    void LoadProfile(qint16 ListIndex);

    ProfileControls &profileControls() const { return *m_profiles; }
    FileListController &fileList() const { return *m_fileList; }
    ConvertCommand &convertCommand() const { return *m_convert; }
    MemoryStickOption &memoryStickOption() const { return *m_memoryStick; }

    // Regions and controls, named as the rest of the program knows them.
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

    // Colours of the device strip's gradient, top and bottom.
    static inline const QColor GradientTop{55, 100, 157};
    static inline const QColor GradientBottom{83, 152, 116};

protected:
    // Closing the window through its close box saves the settings.
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *buildHeader();
    QWidget *buildFileArea();
    void buildStatusBar();
    void connectFrameHandlers();
    void setFocusChain();
    QString lookUpDataFolder();

    void mnuFile_Exit_Click();
    void cmdChooseOutputDirectory_Click();
    void lblPSPHint_Click();
    void StatusBar_PanelDblClick(int panel);

    ProfileControls *m_profiles = nullptr;
    FileListController *m_fileList = nullptr;
    ConvertCommand *m_convert = nullptr;
    MemoryStickOption *m_memoryStick = nullptr;
    PreviewOutputCommand *m_preview = nullptr;
};
