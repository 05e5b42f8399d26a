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

// Small files that only need to exist (rows that are not examined closely).
QStringList makeTextFiles(const QString &folder, int count);

} // namespace SampleFiles
