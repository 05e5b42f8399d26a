#pragma once

#include "core/filelist/MediaInfoDLL.h"

#include <QSize>
#include <QString>

#include <optional>

// The four fields of a file-list row that come from the media library, and
// whether the library found anything to convert in the file.
struct VideoFileInfo {
    QString Filename;
    QString Codec;
    qint64 Duration = 0;   // whole seconds
    QSize VideoSize{0, 0}; // as displayed
    // The library found a video or an audio stream: only such files become
    // rows (a file of sound alone converts to sound alone).
    bool HoldsVideoOrAudio = false;

    friend bool operator==(const VideoFileInfo &, const VideoFileInfo &) = default;
};

inline constexpr char16_t UnknownCodec[] = u"UNKNOWN";

// Turns the library's answers into the row's fields: the codec becomes its
// readable name (ReadableCodecName), an empty one "UNKNOWN"; the play time
// (milliseconds) becomes whole seconds, a tie going to the even neighbour;
// width and height become the displayed size (DisplayedVideoSize). A play time that is not a number
// or outside the 32-bit range counts as 0, and so does a width or height that is not a number or
// outside the 16-bit range.
VideoFileInfo ConvertMediaInfoAnswers(const MediaInfoAnswers &answers);

// The codec as the Codec column names it: the library's codec, except where
// that is a container's own identifier of the codec (Matroska's
// "V_MPEG4/ISO/AVC", MP4's "av01"), which becomes the codec's common name
// ("AVC", "AV1"). A Matroska identifier without a common name here becomes
// the library's format, or the identifier without its "V_".
QString ReadableCodecName(const QString &codec, const QString &format);

// The picture as it is displayed: a width of pixels that are not
// square is multiplied by the pixel aspect ratio and rounded to an even
// number (a tie going to the even neighbour); then a rotation by a quarter
// turn (90, 270 or -90 degrees) swaps width and height. Square pixels and no
// rotation give width and height as they are.
QSize DisplayedVideoSize(const MediaInfoAnswers &answers);

// Asks the library about one file and converts its answers.
VideoFileInfo ExamineVideoFile(const QString &path);

// Rounds to the nearest whole number, a tie going to the even neighbour.
// Nothing for infinities and NaN.
std::optional<double> RoundHalfToEven(double value);

// Reads a number as the library writes it (C locale: sign, digits, decimal
// point, exponent, blanks around) and rounds it half to even. Nothing for
// anything else or a value outside the type's range.
std::optional<qint32> LibraryNumberToInt32(const QString &text);
std::optional<qint16> LibraryNumberToInt16(const QString &text);

// Milliseconds to whole seconds, a tie going to the even neighbour.
qint64 MillisecondsToSeconds(qint32 milliseconds);
