#include "app/SaveLoadSettings.h"

#include "app/OutputDirectoryPanel.h"
#include "app/VideoSettingsPanel.h"
#include "app/frmMain.h"
#include "core/convert/FilesAtOnce.h"
#include "core/settings/SettingsFile.h"

#include <QLineEdit>

void LoadSettings(frmMain &main) {
    OutputDirectoryPanel *output = main.frmOutputDirectorySettings;
    output->txtOutputDirectory->setText(SettingsFile::readOutputDir(main.ApplicationSettingsPath));
    // A value the box does not offer leaves the default, Automatic.
    output->SetFilesAtOnceChoice(
        FilesAtOnce::Parse(SettingsFile::readFilesAtOnce(main.ApplicationSettingsPath))
            .value_or(FilesAtOnce::Automatic));
    main.frmVideoSettings->SetRateOptions(
        SettingsFile::readVideoRateOptions(main.ApplicationSettingsPath));
    main.frmVideoSettings->SetPictureOptions(
        SettingsFile::readPictureOptions(main.ApplicationSettingsPath));
}

void SaveSettings(frmMain &main) {
    const OutputDirectoryPanel *output = main.frmOutputDirectorySettings;
    SettingsFile::writeOutputDir(main.ApplicationSettingsPath, output->txtOutputDirectory->text());
    // Written once it differs from what is stored (Automatic when nothing
    // is), so a settings file never gains the key for nothing.
    const int choice = output->FilesAtOnceChoice();
    if (FilesAtOnce::Parse(SettingsFile::readFilesAtOnce(main.ApplicationSettingsPath)) != choice)
        SettingsFile::writeFilesAtOnce(main.ApplicationSettingsPath, FilesAtOnce::Text(choice));
    SettingsFile::writeVideoRateOptions(main.ApplicationSettingsPath,
                                        main.frmVideoSettings->RateOptions());
    SettingsFile::writePictureOptions(main.ApplicationSettingsPath,
                                      main.frmVideoSettings->PictureOptions());
}
