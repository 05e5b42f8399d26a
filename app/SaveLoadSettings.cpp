#include "app/SaveLoadSettings.h"

#include "app/MainWindowParts.h"
#include "app/OutputDirectoryPanel.h"
#include "app/VideoSettingsPanel.h"
#include "core/convert/FilesAtOnce.h"
#include "core/settings/SettingsFile.h"

#include <QLineEdit>

void LoadSettings(const MainWindowParts &ui, const QString &dataFolder) {
    OutputDirectoryPanel *output = ui.frmOutputDirectorySettings;
    output->txtOutputDirectory->setText(SettingsFile::readOutputDir(dataFolder));
    // A value the box does not offer leaves the default, Automatic.
    output->SetFilesAtOnceChoice(FilesAtOnce::Parse(SettingsFile::readFilesAtOnce(dataFolder))
                                     .value_or(FilesAtOnce::Automatic));
    ui.frmVideoSettings->SetRateOptions(SettingsFile::readVideoRateOptions(dataFolder));
    ui.frmVideoSettings->SetPictureOptions(SettingsFile::readPictureOptions(dataFolder));
}

void SaveSettings(const MainWindowParts &ui, const QString &dataFolder) {
    const OutputDirectoryPanel *output = ui.frmOutputDirectorySettings;
    SettingsFile::writeOutputDir(dataFolder, output->txtOutputDirectory->text());
    // Written once it differs from what is stored (Automatic when nothing
    // is), so a settings file never gains the key for nothing.
    const int choice = output->FilesAtOnceChoice();
    if (FilesAtOnce::Parse(SettingsFile::readFilesAtOnce(dataFolder)) != choice)
        SettingsFile::writeFilesAtOnce(dataFolder, FilesAtOnce::Text(choice));
    SettingsFile::writeVideoRateOptions(dataFolder, ui.frmVideoSettings->RateOptions());
    SettingsFile::writePictureOptions(dataFolder, ui.frmVideoSettings->PictureOptions());
}
