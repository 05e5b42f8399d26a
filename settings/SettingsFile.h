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

// "Files at once" as the window's box shows it: "Automatic" or a number;
// "Automatic" when the key is missing.
QString readFilesAtOnce(const QString &applicationSettingsPath);
bool writeFilesAtOnce(const QString &applicationSettingsPath, const QString &choice);

} // namespace SettingsFile
