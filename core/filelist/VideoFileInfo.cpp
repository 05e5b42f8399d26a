#include "core/filelist/VideoFileInfo.h"

#include <QHash>
#include <QLocale>

#include <cmath>
#include <limits>
#include <utility>

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

QString ReadableCodecName(const QString &codec, const QString &format) {
    // Identifiers that the library passes on as the container wrote them,
    // and its own short names of the MPEG codecs.
    static const QHash<QString, QString> commonNames{
        {QStringLiteral("FMP4"), QStringLiteral("MPEG-4 Visual")},
        {QStringLiteral("MPEG-4V"), QStringLiteral("MPEG-4 Visual")},
        {QStringLiteral("MPEG-1V"), QStringLiteral("MPEG-1 Video")},
        {QStringLiteral("MPEG-2V"), QStringLiteral("MPEG-2 Video")},
        {QStringLiteral("mpg1"), QStringLiteral("MPEG-1 Video")},
        {QStringLiteral("mpg2"), QStringLiteral("MPEG-2 Video")},
        {QStringLiteral("V_MPEG4/ISO/AVC"), QStringLiteral("AVC")},
        {QStringLiteral("V_MPEGH/ISO/HEVC"), QStringLiteral("HEVC")},
        {QStringLiteral("V_VP8"), QStringLiteral("VP8")},
        {QStringLiteral("V_VP9"), QStringLiteral("VP9")},
        {QStringLiteral("V_AV1"), QStringLiteral("AV1")},
        {QStringLiteral("V_MPEG1"), QStringLiteral("MPEG-1 Video")},
        {QStringLiteral("V_MPEG2"), QStringLiteral("MPEG-2 Video")},
        {QStringLiteral("V_MPEG4/ISO/SP"), QStringLiteral("MPEG-4 Visual")},
        {QStringLiteral("V_MPEG4/ISO/ASP"), QStringLiteral("MPEG-4 Visual")},
        {QStringLiteral("V_MPEG4/ISO/AP"), QStringLiteral("MPEG-4 Visual")},
        {QStringLiteral("V_THEORA"), QStringLiteral("Theora")},
        {QStringLiteral("av01"), QStringLiteral("AV1")},
        {QStringLiteral("vp08"), QStringLiteral("VP8")},
        {QStringLiteral("vp09"), QStringLiteral("VP9")},
    };
    if (const auto name = commonNames.constFind(codec); name != commonNames.constEnd())
        return *name;
    if (codec.startsWith(u"V_") && codec.size() > 2)
        return !format.isEmpty() && !format.startsWith(u"V_") ? format : codec.mid(2);
    return codec;
}

QSize DisplayedVideoSize(const MediaInfoAnswers &answers) {
    qint16 width = LibraryNumberToInt16(answers.Width).value_or(0);
    qint16 height = LibraryNumberToInt16(answers.Height).value_or(0);
    const std::optional<double> pixelAspect = libraryNumber(answers.PixelAspectRatio);
    if (width > 0 && pixelAspect && *pixelAspect > 0 && *pixelAspect != 1.0) {
        const std::optional<double> pairs = RoundHalfToEven(width * *pixelAspect / 2);
        const double displayed = pairs ? *pairs * 2 : 0;
        width = displayed <= double(std::numeric_limits<qint16>::max()) ? qint16(displayed) : 0;
    }
    if (const std::optional<qint32> degrees = LibraryNumberToInt32(answers.Rotation)) {
        const qint32 turn = ((*degrees % 360) + 360) % 360;
        if (turn == 90 || turn == 270)
            std::swap(width, height);
    }
    return {width, height};
}

VideoFileInfo ConvertMediaInfoAnswers(const MediaInfoAnswers &answers) {
    VideoFileInfo info;
    info.Filename = answers.FileName;
    info.Codec = answers.Codec.isEmpty() ? QString::fromUtf16(UnknownCodec)
                                         : ReadableCodecName(answers.Codec, answers.Format);
    const qint32 milliseconds = LibraryNumberToInt32(answers.PlayTime).value_or(0);
    info.Duration = MillisecondsToSeconds(milliseconds);
    info.VideoSize = DisplayedVideoSize(answers);
    info.HoldsVideoOrAudio = LibraryNumberToInt32(answers.VideoCount).value_or(0) > 0 ||
                             LibraryNumberToInt32(answers.AudioCount).value_or(0) > 0;
    return info;
}

VideoFileInfo ExamineVideoFile(const QString &path) {
    return ConvertMediaInfoAnswers(QueryMediaInfo(path));
}
