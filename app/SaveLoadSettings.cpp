#include "app/SaveLoadSettings.h"

#include "app/OutputDirectoryPanel.h"
#include "app/frmMain.h"
#include "settings/SettingsFile.h"

#include <QLineEdit>

void LoadSettings(frmMain &main) {
    main.frmOutputDirectorySettings->txtOutputDirectory->setText(
        SettingsFile::readOutputDir(main.ApplicationSettingsPath));
}

void SaveSettings(frmMain &main) {
    SettingsFile::writeOutputDir(main.ApplicationSettingsPath,
                                 main.frmOutputDirectorySettings->txtOutputDirectory->text());
}
