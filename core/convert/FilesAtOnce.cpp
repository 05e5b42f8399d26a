#include "core/convert/FilesAtOnce.h"

#include <algorithm>
#include <cmath>

namespace FilesAtOnce {

namespace {

enum class Family { H264, Mpeg4, H263, Wmv, AudioOnly };

Family familyOf(const ConversionSettings &settings) {
    if (settings.noVideo == 1)
        return Family::AudioOnly;
    const QString codec = settings.videoCodec.trimmed().toLower();
    if (codec.contains(u"264"))
        return Family::H264;
    if (codec == u"h263" || codec == u"h263p")
        return Family::H263;
    if (codec.startsWith(u"wmv") || codec.startsWith(u"msmpeg4"))
        return Family::Wmv;
    return Family::Mpeg4; // mpeg4, libxvid, and any other encoder of that kind
}

// The output frame's pixels; a size that cannot be read counts as 640x480.
qint64 pixelsOf(const std::optional<QSize> &size) {
    if (!size || size->isEmpty())
        return 640 * 480;
    return qint64(size->width()) * size->height();
}

// How one converter spread its work over its threads (the CPU time of all
// its threads over the busiest thread's), converting a 640x480 clip on a
// two-core machine: per codec family, for output frames up to 320x240, up
// to 640x480 and larger (docs/benchmarks.md, "Files at once"). H.264's
// encoder runs many threads; the others leave most of the work to one.
struct Measured {
    double small, medium, large;
};

Measured measuredParallelism(Family family) {
    switch (family) {
    case Family::H264:
        return {4.5, 4.4, 4.1};
    case Family::Mpeg4:
        return {1.65, 1.8, 1.8};
    case Family::H263:
        return {1.9, 1.9, 1.9};
    case Family::Wmv:
        return {1.75, 1.75, 1.75};
    case Family::AudioOnly:
        return {1.0, 1.0, 1.0};
    }
    return {1.65, 1.8, 1.8};
}

} // namespace

QStringList Items() {
    return {QStringLiteral("Automatic"), QStringLiteral("1"), QStringLiteral("2"),
            QStringLiteral("3"),         QStringLiteral("4"), QStringLiteral("6"),
            QStringLiteral("8")};
}

QString Text(int choice) {
    return choice == Automatic ? QStringLiteral("Automatic") : QString::number(choice);
}

std::optional<int> Parse(const QString &text) {
    const QString value = text.trimmed();
    if (value.compare(u"automatic", Qt::CaseInsensitive) == 0 ||
        value.compare(u"auto", Qt::CaseInsensitive) == 0)
        return Automatic;
    bool numeric = false;
    const int number = value.toInt(&numeric);
    if (!numeric || number < 1 || number > MaxLanes)
        return std::nullopt;
    return number;
}

double MeasuredParallelism(const ConversionSettings &settings) {
    const Measured measured = measuredParallelism(familyOf(settings));
    const qint64 pixels = pixelsOf(settings.videoSize);
    if (settings.noVideo == 1 || pixels <= 320 * 240)
        return measured.small;
    return pixels <= 640 * 480 ? measured.medium : measured.large;
}

double PipelineCoreUse(double parallelism, int cores) {
    return PipelineEfficiency * std::min<double>(std::max(1, cores), std::max(1.0, parallelism));
}

double ConverterCoreUse(const ConversionSettings &settings, int cores) {
    return PipelineCoreUse(MeasuredParallelism(settings), cores);
}

int LanesForCoreUse(double coreUse, int cores) {
    const int machine = std::max(1, cores);
    const double lanes = std::ceil(machine / std::max(coreUse, 0.1) - 1e-9);
    return std::clamp(int(lanes), 1, std::min(machine, MaxLanes));
}

int AutomaticLanes(const ConversionSettings &settings, int cores) {
    return LanesForCoreUse(ConverterCoreUse(settings, cores), cores);
}

int LanesFor(int choice, const ConversionSettings &settings, qsizetype rows, int cores) {
    const int lanes =
        choice == Automatic ? AutomaticLanes(settings, cores) : std::clamp(choice, 1, MaxLanes);
    return int(std::clamp<qsizetype>(lanes, 1, std::max<qsizetype>(rows, 1)));
}

} // namespace FilesAtOnce
