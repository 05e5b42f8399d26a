#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class frmMain;
struct MainWindowParts;

// The Output Directory panel's "Save to the PSP Memory Stick (<mount
// point>)": offered while the PSP is the device and a Memory Stick is
// mounted. Checked, it sets the output folder to the stick's MP_ROOT/
// 100MNV01 (MPEG-4) or MP_ROOT/100ANV01 (H.264) and follows the video codec;
// unchecked, it gives back the folder there was before. A folder the user
// types or chooses unchecks it. The mounts are looked at again every two
// seconds while the PSP is the device, so a stick plugged in later appears
// and one taken out goes.
class MemoryStickOption final : public QObject {
    Q_OBJECT
public:
    explicit MemoryStickOption(frmMain &main, const MainWindowParts &ui);

    // Looks at the mounts now.
    void Refresh();

private:
    void deviceSwitched(const QString &DeviceName);
    void chkPSPMemoryStick_Click(bool checked);
    void showFolder();
    void outputFolderChanged(const QString &text);

    frmMain &m_main;
    const MainWindowParts &m_ui;
    QTimer m_poll;
    QString m_mountPoint;
    QString m_folderBefore; // the output folder before the option was checked
    QString m_folderShown;  // the folder the option last wrote into the box
};
