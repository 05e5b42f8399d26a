#include "settings/SettingsFile.h"

#include "platform/FileSystem.h"
#include "platform/UserFolders.h"
#include "settings/ReadWriteIniFile.h"

namespace SettingsFile {

namespace {
const QString General = QStringLiteral("General");
const QString OutputDir = QStringLiteral("OutputDir");
const QString CommonDialog = QStringLiteral("Commondialog");
const QString AddFiles = QStringLiteral("AddFiles");
const QString FilesAtOnce = QStringLiteral("FilesAtOnce");
} // namespace

QString path(const QString &applicationSettingsPath) {
    return JoinPath(applicationSettingsPath, QStringLiteral("Settings.ini"));
}

QString defaultOutputDir() {
    return JoinPath(HomeFolder(), QStringLiteral("Converted Video Files"));
}

QString defaultAddFilesFolder() {
    return JoinPath(HomeFolder(), QString());
}

QString readOutputDir(const QString &applicationSettingsPath) {
    return ReadIniValue(General, OutputDir, defaultOutputDir(), path(applicationSettingsPath));
}

bool writeOutputDir(const QString &applicationSettingsPath, const QString &folder) {
    return WriteIniValue(General, OutputDir, folder, path(applicationSettingsPath));
}

QString readAddFilesFolder(const QString &applicationSettingsPath) {
    return ReadIniValue(CommonDialog, AddFiles, defaultAddFilesFolder(),
                        path(applicationSettingsPath));
}

bool writeAddFilesFolder(const QString &applicationSettingsPath, const QString &folder) {
    return WriteIniValue(CommonDialog, AddFiles, folder, path(applicationSettingsPath));
}

QString readFilesAtOnce(const QString &applicationSettingsPath) {
    return ReadIniValue(General, FilesAtOnce, QStringLiteral("Automatic"),
                        path(applicationSettingsPath));
}

bool writeFilesAtOnce(const QString &applicationSettingsPath, const QString &choice) {
    return WriteIniValue(General, FilesAtOnce, choice, path(applicationSettingsPath));
}

} // namespace SettingsFile
