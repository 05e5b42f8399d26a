#include "convert/SizeOptions.h"

#include "convert/ShellQuote.h"

#include <cmath>

namespace {

// Rounds to the nearest whole number, halves to the even neighbour.
int roundEven(double value) {
    return int(std::nearbyint(value));
}

// Splits an even margin into top and bottom, keeping both even.
std::pair<int, int> splitMargin(int margin) {
    const int half = margin / 2;
    if (half % 2 != 0)
        return {half + 1, half - 1};
    return {half, half};
}

} // namespace

std::optional<FrameSize> ParseFrameSize(const QString &text) {
    const qsizetype x = text.indexOf(u'x');
    if (x < 0)
        return std::nullopt;
    bool widthOk = false;
    bool heightOk = false;
    const FrameSize size{text.left(x).trimmed().toInt(&widthOk),
                         text.mid(x + 1).trimmed().toInt(&heightOk)};
    if (!widthOk || !heightOk)
        return std::nullopt;
    return size;
}

QString SizeOptions(const QString &targetSize, const QString &sourceSize, bool keepAspectRatio) {
    const QString plain = QStringLiteral(" -s ") + ShellWord(targetSize);
    if (!keepAspectRatio)
        return plain;

    // A source of unknown size cannot be fitted; it is scaled to the target
    // size, since a file in its own size may not play on the device at all.
    const FrameSize source = ParseFrameSize(sourceSize).value_or(FrameSize{});
    if (source.width <= 0 || source.height <= 0)
        return plain;
    const std::optional<FrameSize> target = ParseFrameSize(targetSize);
    if (!target || target->width <= 0 || target->height <= 0)
        return plain; // nothing sensible to fit into: the converter judges the size

    const double sourceRatio = double(source.width) / source.height;
    const double targetRatio = double(target->width) / target->height;
    const int scaledHeight = roundEven(target->width / sourceRatio);

    if (sourceRatio >= targetRatio) {
        int padding = target->height - scaledHeight;
        if (padding % 2 != 0)
            ++padding;
        const auto [top, bottom] = splitMargin(padding);
        QString options =
            QStringLiteral(" -s %1x%2").arg(target->width).arg(target->height - padding);
        if (top != 0 || bottom != 0)
            options += QStringLiteral(" -padtop %1 -padbottom %2").arg(top).arg(bottom);
        return options;
    }

    int excess = scaledHeight - target->height;
    if (excess % 2 != 0)
        ++excess;
    const auto [top, bottom] = splitMargin(excess);
    QString options;
    if (top != 0 || bottom != 0)
        options += QStringLiteral(" -croptop %1 -cropbottom %2").arg(top).arg(bottom);
    return options + plain;
}
