#include "core/convert/BatchFit.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr double Megabyte = 1e6;
constexpr double BytesPerKbit = 1000.0 / 8;

// ffmpeg's MP4 muxers (mp4, ipod, psp, mov, 3gp, 3g2) write a few kilobytes
// of headers and about 16 bytes of index per frame of every stream; ASF adds
// a packet header to every 3,200 bytes and an index.
constexpr double Mp4FixedBytes = 4000;
constexpr double Mp4BytesPerFrame = 16;
constexpr double AsfFixedBytes = 6000;
constexpr double AsfBytesPerSecond = 2700;
constexpr double AsfFraction = 0.01;
constexpr double AudioSamplesPerFrame = 1024; // AAC; WMA and AMR frames are no more frequent

// All rows at one video rate, in bytes.
double totalBytes(const FitRequest &request, double videoKbps) {
    const double seconds = std::accumulate(request.seconds.begin(), request.seconds.end(), 0.0);
    const ContainerOverhead &overhead = request.overhead;
    const double media = seconds * (videoKbps + request.audioKbps) * BytesPerKbit;
    return double(request.seconds.size()) * overhead.fixedBytes +
           seconds * overhead.bytesPerSecond + media * (1 + overhead.fraction);
}

double rowBytes(const FitRequest &request, double seconds, double videoKbps) {
    const ContainerOverhead &overhead = request.overhead;
    return overhead.fixedBytes + seconds * overhead.bytesPerSecond +
           seconds * (videoKbps + request.audioKbps) * BytesPerKbit * (1 + overhead.fraction);
}

} // namespace

ContainerOverhead OverheadOf(const QString &container, double framesPerSecond,
                             double audioSampleRate) {
    if (container == u"asf")
        return {AsfFixedBytes, AsfBytesPerSecond, AsfFraction};
    const ContainerOverhead mp4{
        Mp4FixedBytes,
        Mp4BytesPerFrame * (framesPerSecond + audioSampleRate / AudioSamplesPerFrame), 0};
    static const QStringList mp4Family{QStringLiteral("mp4"), QStringLiteral("ipod"),
                                       QStringLiteral("psp"), QStringLiteral("mov"),
                                       QStringLiteral("3gp"), QStringLiteral("3g2")};
    if (mp4Family.contains(container))
        return mp4;
    // Any other container: as MP4, with packet headers on top.
    return {mp4.fixedBytes, mp4.bytesPerSecond, AsfFraction};
}

FitPlan FitBatch(const FitRequest &request) {
    FitPlan plan;
    for (qsizetype i = 0; i < request.seconds.size(); ++i) {
        if (!(request.seconds[i] > 0)) {
            plan.verdict = FitPlan::Verdict::UnknownLength;
            plan.unknownRow = int(i);
            return plan;
        }
    }
    // The total grows in a straight line with the rate: solve for the aim.
    const double aim = FitAim * double(request.sizeBytes);
    const double atZero = totalBytes(request, 0);
    const double perKbps = totalBytes(request, 1) - atZero;
    const double wanted = perKbps > 0 ? (aim - atZero) / perKbps : 0;

    if (wanted < request.lowestKbps) {
        plan.verdict = FitPlan::Verdict::TooSmall;
        plan.neededBytes = qint64(std::ceil(totalBytes(request, request.lowestKbps) / FitAim));
        return plan;
    }
    const bool capped = wanted > request.highestKbps;
    plan.verdict = capped ? FitPlan::Verdict::BelowSize : FitPlan::Verdict::Fits;
    plan.videoKbps = std::floor(capped ? request.highestKbps : wanted);
    plan.expectedBytes = qint64(std::ceil(totalBytes(request, plan.videoKbps)));
    if (capped)
        return plan;

    // Each row may take its share of the whole size, in proportion to what
    // it is planned to take; the shares never add up to more than the size.
    for (const double seconds : request.seconds) {
        const double share = rowBytes(request, seconds, plan.videoKbps) / plan.expectedBytes;
        plan.rowBytes.append(qint64(std::floor(share * double(request.sizeBytes))));
    }
    return plan;
}

std::optional<qint64> ParseSizeText(const QString &text) {
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)\\s*([kmgt])(i?)(b?)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    // "MiB" is binary; "Mi" alone is not a unit.
    const bool binary = !match.captured(3).isEmpty();
    if (binary && match.captured(4).isEmpty())
        return std::nullopt;
    const int power = int(QStringLiteral("kmgt").indexOf(match.captured(2).toLower())) + 1;
    const double unit = std::pow(binary ? 1024.0 : 1000.0, power);
    const double bytes = match.captured(1).toDouble() * unit;
    if (bytes < 1 || bytes > 1e18)
        return std::nullopt;
    return qint64(std::llround(bytes));
}

QString MegabytesText(qint64 bytes) {
    // Tenths below 10 MB, whole megabytes above; always rounded up.
    const double megabytes = double(bytes) / Megabyte;
    const int decimals = megabytes < 10 ? 1 : 0;
    const double step = std::pow(10.0, decimals);
    return QString::number(std::ceil(megabytes * step - 1e-9) / step, 'f', decimals) +
           QStringLiteral(" MB");
}

QString AskedMegabytesText(qint64 bytes) {
    const double megabytes = double(bytes) / Megabyte;
    int decimals = megabytes < 10 ? 1 : 0;
    const auto shown = [&] {
        const double step = std::pow(10.0, decimals);
        return std::floor(megabytes * step + 1e-9) / step;
    };
    while (decimals < 3 && std::abs(shown() - megabytes) > 1e-9 * std::max(1.0, megabytes))
        ++decimals;
    return QString::number(shown(), 'f', decimals) + QStringLiteral(" MB");
}
