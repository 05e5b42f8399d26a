#include "core/profiles/ConversionSettings.h"

#include "core/filelist/FileListRow.h"

namespace {

// The number before the unit, with nothing else around it.
std::optional<double> numberBefore(const QString &text, QStringView unit) {
    bool numeric = false;
    const double value = text.endsWith(unit) ? text.chopped(unit.size()).toDouble(&numeric) : 0;
    return numeric ? std::optional<double>(value) : std::nullopt;
}

std::optional<int> wholeBefore(const QString &text, QStringView unit) {
    bool numeric = false;
    const int value = text.endsWith(unit) ? text.chopped(unit.size()).toInt(&numeric) : 0;
    return numeric ? std::optional<int>(value) : std::nullopt;
}

} // namespace

QString KbpsText(std::optional<int> kbps) {
    return kbps ? QString::number(*kbps) + QStringLiteral(" kbps") : QString();
}

std::optional<int> ReadKbps(const QString &text) {
    return wholeBefore(text, u" kbps");
}

QString SampleRateText(std::optional<int> hertz) {
    return hertz ? QString::number(*hertz) : QString();
}

std::optional<int> ReadSampleRate(const QString &text) {
    return wholeBefore(text, u"");
}

QString FrameRateText(std::optional<double> fps) {
    return fps ? QString::number(*fps) + QStringLiteral(" fps") : QString();
}

std::optional<double> ReadFrameRate(const QString &text) {
    return numberBefore(text, u" fps");
}

QString VideoSizeText(const std::optional<QSize> &size) {
    return size ? FrameSizeText(*size) : QString();
}
