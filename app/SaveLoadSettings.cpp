#include "app/SaveLoadSettings.h"

#include "app/OutputDirectoryPanel.h"
#include "app/VideoSettingsPanel.h"
#include "app/frmMain.h"
#include "settings/SettingsFile.h"

#include <QLineEdit>

void LoadSettings(frmMain &main) {
    main.frmOutputDirectorySettings->txtOutputDirectory->setText(
        SettingsFile::readOutputDir(main.ApplicationSettingsPath));
    main.frmVideoSettings->SetRateOptions(
        SettingsFile::readVideoRateOptions(main.ApplicationSettingsPath));
}

void SaveSettings(frmMain &main) {
    SettingsFile::writeOutputDir(main.ApplicationSettingsPath,
                                 main.frmOutputDirectorySettings->txtOutputDirectory->text());
    SettingsFile::writeVideoRateOptions(main.ApplicationSettingsPath,
                                        main.frmVideoSettings->RateOptions());
}
