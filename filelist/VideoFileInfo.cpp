#include "filelist/VideoFileInfo.h"

#include "base/Various.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace {

std::optional<double> libraryNumber(const QString &text) {
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

template<typename Int>
std::optional<Int> libraryNumberTo(const QString &text) {
    const std::optional<double> value = libraryNumber(text);
    if (!value)
        return std::nullopt;
    const std::optional<double> rounded = RoundHalfToEven(*value);
    if (!rounded || *rounded < double(std::numeric_limits<Int>::min()) ||
        *rounded > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(*rounded);
}

} // namespace

std::optional<double> RoundHalfToEven(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    // nearbyint rounds halves to the even neighbour in the default mode.
    return std::nearbyint(value);
}

std::optional<qint32> LibraryNumberToInt32(const QString &text) {
    return libraryNumberTo<qint32>(text);
}

std::optional<qint16> LibraryNumberToInt16(const QString &text) {
    return libraryNumberTo<qint16>(text);
}

qint64 MillisecondsToSeconds(qint32 milliseconds) {
    // Whole milliseconds over 1000 are exact in a double at every tie, so
    // the tie rule sees a true half.
    return static_cast<qint64>(*RoundHalfToEven(milliseconds / 1000.0));
}

VideoFileInfo ConvertMediaInfoAnswers(const MediaInfoAnswers &answers) {
    VideoFileInfo info;
    info.Filename = answers.FileName;
    info.Codec = answers.Codec.isEmpty() ? QString::fromUtf16(UnknownCodec) : answers.Codec;
    const qint32 milliseconds = LibraryNumberToInt32(answers.PlayTime).value_or(0);
    info.Duration = FormatDuration(MillisecondsToSeconds(milliseconds));
    const qint16 width = LibraryNumberToInt16(answers.Width).value_or(0);
    const qint16 height = LibraryNumberToInt16(answers.Height).value_or(0);
    info.VideoSize = QString::number(width) + u'x' + QString::number(height);
    return info;
}

VideoFileInfo ExamineVideoFile(const QString &path) {
    return ConvertMediaInfoAnswers(QueryMediaInfo(path));
}
