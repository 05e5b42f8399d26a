#include "core/convert/SizeOptions.h"

#include "core/profiles/ConversionSettings.h"

#include <cmath>

namespace {

// Rounds to the nearest whole number, halves to the even neighbour.
int roundEven(double value) {
    return int(std::nearbyint(value));
}

// The most of a narrower source's height that is cropped to fill the
// frame; beyond it the picture is pillarboxed. Kept small, so that the
// shape of what is shown stays within 2% of the source's.
constexpr double MaxCropShare = 0.02;

// Splits an even margin into top and bottom (or left and right), keeping
// both even.
std::pair<int, int> splitMargin(int margin) {
    const int half = margin / 2;
    if (half % 2 != 0)
        return {half + 1, half - 1};
    return {half, half};
}

} // namespace

QStringList SizeOptions(const std::optional<QSize> &target, const QSize &source,
                        bool keepAspectRatio) {
    const QStringList plain{QStringLiteral("-s"), VideoSizeText(target)};
    if (!keepAspectRatio)
        return plain;

    // A source of unknown size cannot be fitted; it is scaled to the target
    // size, since a file in its own size may not play on the device at all.
    if (source.isEmpty())
        return plain;
    if (!target || target->isEmpty())
        return plain; // nothing sensible to fit into: the converter judges the size

    const double sourceRatio = double(source.width()) / source.height();
    const double targetRatio = double(target->width()) / target->height();

    if (sourceRatio >= targetRatio) {
        const int scaledHeight = roundEven(target->width() / sourceRatio);
        int padding = target->height() - scaledHeight;
        if (padding % 2 != 0)
            ++padding;
        const auto [top, bottom] = splitMargin(padding);
        QStringList options{
            QStringLiteral("-s"),
            QStringLiteral("%1x%2").arg(target->width()).arg(target->height() - padding)};
        if (top != 0 || bottom != 0)
            options << QStringLiteral("-padtop") << QString::number(top)
                    << QStringLiteral("-padbottom") << QString::number(bottom);
        return options;
    }

    // A narrower source. The converter crops source rows before it scales,
    // so the margins are counted in the source's rows: those beyond the
    // target's shape. Cropping more than a sliver would cut away the
    // picture (a portrait phone video would keep less than half of it), so
    // then the picture keeps its height and gets bars left and right.
    const double excessRows = source.height() - source.width() / targetRatio;
    if (excessRows <= MaxCropShare * source.height()) {
        int excess = roundEven(excessRows);
        if (excess % 2 != 0)
            ++excess;
        const auto [top, bottom] = splitMargin(excess);
        QStringList options;
        if (top != 0 || bottom != 0)
            options << QStringLiteral("-croptop") << QString::number(top)
                    << QStringLiteral("-cropbottom") << QString::number(bottom);
        return options + plain;
    }
    int bars = target->width() - roundEven(target->height() * sourceRatio);
    if (bars % 2 != 0)
        ++bars;
    const auto [left, right] = splitMargin(bars);
    return {QStringLiteral("-s"),
            QStringLiteral("%1x%2").arg(target->width() - bars).arg(target->height()),
            QStringLiteral("-padleft"),
            QString::number(left),
            QStringLiteral("-padright"),
            QString::number(right)};
}
