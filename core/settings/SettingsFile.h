#pragma once

#include "core/profiles/Deinterlace.h"

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

// The Video panel's choices that act on the bit rate: "Two passes (better
// quality, slower)" and "Fit the batch into [ ] MB" (keys TwoPass, FitBatch
// and FitBatchSize of section General).
struct VideoRateOptions {
    bool twoPass = false;
    bool fitBatch = false;
    int fitBatchMegabytes = 700;

    friend bool operator==(const VideoRateOptions &, const VideoRateOptions &) = default;
};
inline constexpr int MaxFitBatchMegabytes = 9999999;

// Missing or unreadable values give the defaults above.
VideoRateOptions readVideoRateOptions(const QString &applicationSettingsPath);
// Writes the keys whose value differs from what the file gives now, so a
// user who never touches them finds no new keys in the file.
bool writeVideoRateOptions(const QString &applicationSettingsPath, const VideoRateOptions &options);

// The Video panel's choices about the picture, which no profile sets:
// "Deinterlace:", "Burn in subtitles" and "Always re-encode" (keys
// Deinterlace, as the box shows it, BurnSubtitles and AlwaysEncode, 0 or 1,
// of section General).
struct PictureOptions {
    Deinterlace deinterlace = Deinterlace::Automatic;
    bool burnSubtitles = false;
    bool alwaysEncode = false;

    friend bool operator==(const PictureOptions &, const PictureOptions &) = default;
};

// Missing or unknown values give the defaults above.
PictureOptions readPictureOptions(const QString &applicationSettingsPath);
// Writes the keys whose value differs from what the file gives now.
bool writePictureOptions(const QString &applicationSettingsPath, const PictureOptions &options);

// "Files at once" as the window's box shows it: "Automatic" or a number;
// "Automatic" when the key is missing.
QString readFilesAtOnce(const QString &applicationSettingsPath);
bool writeFilesAtOnce(const QString &applicationSettingsPath, const QString &choice);

} // namespace SettingsFile
