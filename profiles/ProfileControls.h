#pragma once

#include <QObject>

class frmMain;

// The device and profile behaviour of the main window: switching devices,
// loading profiles into the twelve settings controls and the handlers of
// those controls.
class ProfileControls final : public QObject
{
    Q_OBJECT
public:
    explicit ProfileControls(frmMain &main);

    void SwitchDevice(const QString &DeviceName);
    void ResetLeftMenuColors();
    void ResetSelectDeviceMenu();
    void LoadProfile(qint16 ListIndex);

private:
    frmMain &m_main;
};
