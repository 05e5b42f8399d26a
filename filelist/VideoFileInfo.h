#pragma once

#include "filelist/MediaInfoDLL.h"

#include <QString>

#include <optional>

// The four fields of a file-list row that come from the media library.
struct VideoFileInfo {
    QString Filename;
    QString Codec;
    QString Duration;
    QString VideoSize;

    friend bool operator==(const VideoFileInfo &, const VideoFileInfo &) = default;
};

inline constexpr char16_t UnknownCodec[] = u"UNKNOWN";

// Turns the library's answers into the row's fields: an empty codec becomes
// "UNKNOWN"; the play time (milliseconds) becomes whole seconds, a tie going
// to the even neighbour, written as "hh:mm:ss"; width and height become
// "WxH". A play time that is not a number or outside the 32-bit range counts
// as 0, and so does a width or height that is not a number or outside the
// 16-bit range.
VideoFileInfo ConvertMediaInfoAnswers(const MediaInfoAnswers &answers);

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
