#include "profiles/ProfileControls.h"

#include "app/frmMain.h"

ProfileControls::ProfileControls(frmMain &main)
    : QObject(&main)
    , m_main(main)
{
}

void ProfileControls::SwitchDevice(const QString &DeviceName)
{
    m_main.SelectedDevice = DeviceName;
}

void ProfileControls::ResetLeftMenuColors() {}

void ProfileControls::ResetSelectDeviceMenu() {}

void ProfileControls::LoadProfile(qint16) {}
