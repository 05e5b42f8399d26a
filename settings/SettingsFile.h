#pragma once

#include <QString>

// The user's own settings file, "Settings.ini" in the data folder, and its
// keys with their defaults.
namespace SettingsFile {

QString path(const QString &applicationSettingsPath);

QString defaultOutputDir();      // ~/Converted Video Files
QString defaultAddFilesFolder(); // ~/

QString readOutputDir(const QString &applicationSettingsPath);
bool writeOutputDir(const QString &applicationSettingsPath, const QString &folder);

QString readAddFilesFolder(const QString &applicationSettingsPath);
bool writeAddFilesFolder(const QString &applicationSettingsPath, const QString &folder);

} // namespace SettingsFile
