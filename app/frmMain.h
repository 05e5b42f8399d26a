#pragma once

#include "app/MainWindowParts.h"

#include <QColor>
#include <QMainWindow>

class ConvertCommand;
class FileListController;
class MemoryStickOption;
class PreviewOutputCommand;
class ProfileControls;

// The main window: the only window the user works in. It owns the shared
// state that the other windows read and write, the file list and the
// settings controls. The behaviour of each region lives in its own
// controller (device and profile controls, file list, conversion).
class frmMain final : public QMainWindow, private MainWindowParts {
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
    // Offers the batch that did not end again (see InterruptedBatch.h).
    void OfferInterruptedBatch();

    ProfileControls &profileControls() const { return *m_profiles; }
    FileListController &fileList() const { return *m_fileList; }
    MemoryStickOption &memoryStickOption() const { return *m_memoryStick; }

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
