#pragma once

#include <QString>
#include <QStringList>

// Input files for the file-list tests, made in a folder with ffmpeg's test
// sources: real media plus the awkward cases (empty, not media, odd names).
namespace SampleFiles {

// An AVI with MPEG-4 video (320x240) and MP3 audio, 3 seconds.
QString makeMpeg4Avi(const QString &folder, const QString &name = QStringLiteral("clip.avi"));
// An MP4 with H.264 video (352x288) and AAC audio, 4 seconds.
QString makeH264Mp4(const QString &folder, const QString &name = QStringLiteral("clip.mp4"));
// An MP3 without video, 5 seconds.
QString makeMp3(const QString &folder, const QString &name = QStringLiteral("tone.mp3"));
// A file of zero bytes.
QString makeEmpty(const QString &folder, const QString &name = QStringLiteral("empty.mpg"));
// A text file whose name claims it is a video.
QString makeTextAsAvi(const QString &folder, const QString &name = QStringLiteral("notes.avi"));
// A short clip whose name has blanks, quotes, "$" and non-ASCII letters.
QString makeOddlyNamed(const QString &folder);
// An MP4 with H.264 video (352x288) whose picture is displayed turned by
// `degrees` (ffmpeg's "rotate"), 1 second.
QString makeRotatedMp4(const QString &folder, int degrees = 90);
// An MPEG-2 program stream of 720x480 pixels displayed at 16:9, 1 second.
QString makeAnamorphicMpeg(const QString &folder);
// A Matroska file with H.264 video of 320x240 pixels displayed at 16:9, 1 second.
QString makeAnamorphicMkv(const QString &folder);
// A Matroska file with H.264 video of 320x240 pixels, two sound tracks (1:
// "eng", AAC stereo; 2: "fra", AC-3 in 6 channels, the default) and one SRT
// subtitle track in "eng", 1 second.
QString makeTwoSoundTracksMkv(const QString &folder);

// Small media files, named file1.avi, file2.avi, ..., for rows that are not
// examined closely: copies of one short MP3 (no video, "00:00:00").
QStringList makeSmallFiles(const QString &folder, int count);

} // namespace SampleFiles
