#include "core/settings/SettingsFile.h"

#include "core/platform/FileSystem.h"
#include "core/platform/UserFolders.h"
#include "core/settings/ReadWriteIniFile.h"

namespace SettingsFile {

namespace {
const QString General = QStringLiteral("General");
const QString OutputDir = QStringLiteral("OutputDir");
const QString CommonDialog = QStringLiteral("Commondialog");
const QString AddFiles = QStringLiteral("AddFiles");
const QString TwoPass = QStringLiteral("TwoPass");
const QString FitBatch = QStringLiteral("FitBatch");
const QString FitBatchSize = QStringLiteral("FitBatchSize");
const QString FilesAtOnce = QStringLiteral("FilesAtOnce");
const QString DeinterlaceKey = QStringLiteral("Deinterlace");
const QString BurnSubtitles = QStringLiteral("BurnSubtitles");
const QString AlwaysEncode = QStringLiteral("AlwaysEncode");

QString flag(bool value) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
}
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

VideoRateOptions readVideoRateOptions(const QString &applicationSettingsPath) {
    const IniFile file = ReadIniFile(path(applicationSettingsPath));
    VideoRateOptions options;
    options.twoPass = ReadIniValue(file, General, TwoPass, flag(options.twoPass)) == u"1";
    options.fitBatch = ReadIniValue(file, General, FitBatch, flag(options.fitBatch)) == u"1";
    bool numeric = false;
    const int megabytes = ReadIniValue(file, General, FitBatchSize, QString()).toInt(&numeric);
    if (numeric && megabytes >= 1 && megabytes <= MaxFitBatchMegabytes)
        options.fitBatchMegabytes = megabytes;
    return options;
}

bool writeVideoRateOptions(const QString &applicationSettingsPath,
                           const VideoRateOptions &options) {
    const VideoRateOptions stored = readVideoRateOptions(applicationSettingsPath);
    const QString file = path(applicationSettingsPath);
    bool written = true;
    if (options.twoPass != stored.twoPass)
        written = WriteIniValue(General, TwoPass, flag(options.twoPass), file) && written;
    if (options.fitBatch != stored.fitBatch)
        written = WriteIniValue(General, FitBatch, flag(options.fitBatch), file) && written;
    if (options.fitBatchMegabytes != stored.fitBatchMegabytes)
        written = WriteIniValue(General, FitBatchSize, QString::number(options.fitBatchMegabytes),
                                file) &&
                  written;
    return written;
}

PictureOptions readPictureOptions(const QString &applicationSettingsPath) {
    const IniFile file = ReadIniFile(path(applicationSettingsPath));
    PictureOptions options;
    options.deinterlace = ParseDeinterlace(ReadIniValue(file, General, DeinterlaceKey, QString()))
                              .value_or(options.deinterlace);
    options.burnSubtitles =
        ReadIniValue(file, General, BurnSubtitles, flag(options.burnSubtitles)) == u"1";
    options.alwaysEncode =
        ReadIniValue(file, General, AlwaysEncode, flag(options.alwaysEncode)) == u"1";
    return options;
}

bool writePictureOptions(const QString &applicationSettingsPath, const PictureOptions &options) {
    const PictureOptions stored = readPictureOptions(applicationSettingsPath);
    const QString file = path(applicationSettingsPath);
    bool written = true;
    if (options.deinterlace != stored.deinterlace)
        written =
            WriteIniValue(General, DeinterlaceKey, DeinterlaceText(options.deinterlace), file) &&
            written;
    if (options.burnSubtitles != stored.burnSubtitles)
        written =
            WriteIniValue(General, BurnSubtitles, flag(options.burnSubtitles), file) && written;
    if (options.alwaysEncode != stored.alwaysEncode)
        written = WriteIniValue(General, AlwaysEncode, flag(options.alwaysEncode), file) && written;
    return written;
}

QString readFilesAtOnce(const QString &applicationSettingsPath) {
    return ReadIniValue(General, FilesAtOnce, QStringLiteral("Automatic"),
                        path(applicationSettingsPath));
}

bool writeFilesAtOnce(const QString &applicationSettingsPath, const QString &choice) {
    return WriteIniValue(General, FilesAtOnce, choice, path(applicationSettingsPath));
}

} // namespace SettingsFile
