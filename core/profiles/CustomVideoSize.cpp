#include "core/profiles/CustomVideoSize.h"

#include <QLocale>
#include <QStringList>

#include <cmath>
#include <limits>

namespace CustomVideoSize {

namespace {

// The only frame sizes the H.263 encoder takes.
constexpr const char *H263Sizes[] = {"128x96", "176x144", "352x288", "704x576", "1408x1152"};

std::optional<double> readNumber(const QString &text) {
    // The user's locale first; the C locale reads what the program itself
    // wrote.
    bool ok = false;
    double value = QLocale().toDouble(text, &ok);
    if (!ok)
        value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<qint16> ToWholeNumber(const QString &text) {
    const std::optional<double> value = readNumber(text.trimmed());
    if (!value)
        return std::nullopt;
    // nearbyint rounds halves to the even neighbour in the default mode.
    const double rounded = std::nearbyint(*value);
    if (rounded < std::numeric_limits<qint16>::min() ||
        rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(rounded);
}

Fields SplitForEditing(const QString &sizeText) {
    const qsizetype separator = sizeText.indexOf(u'x');
    if (separator < 0)
        return {};
    const auto shown = [](const QString &part) {
        const std::optional<qint16> number = ToWholeNumber(part);
        return number ? QString::number(*number) : QString();
    };
    return {shown(sizeText.first(separator)), shown(sizeText.sliced(separator + 1))};
}

std::optional<int> ParseDimension(const QString &text) {
    QStringView digits = QStringView(text).trimmed();
    if (digits.startsWith(u'+'))
        digits = digits.sliced(1);
    if (digits.isEmpty() || digits.size() > 5)
        return std::nullopt;
    int value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value <= 0 || value % 2 != 0 || value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return value;
}

std::optional<QString> Compose(const QString &width, const QString &height) {
    const std::optional<int> w = ParseDimension(width);
    const std::optional<int> h = ParseDimension(height);
    if (!w || !h)
        return std::nullopt;
    return QString::number(*w) + u'x' + QString::number(*h);
}

std::optional<QString> CodecSizeRefusal(const QString &codec, const QString &sizeText) {
    const qsizetype separator = sizeText.indexOf(u'x');
    const std::optional<int> width =
        separator < 0 ? std::nullopt : ParseDimension(sizeText.first(separator));
    const std::optional<int> height =
        separator < 0 ? std::nullopt : ParseDimension(sizeText.sliced(separator + 1));
    if (!width || !height)
        return std::nullopt;
    if (codec.compare(u"h263", Qt::CaseInsensitive) == 0) {
        QStringList sizes;
        for (const char *size : H263Sizes)
            sizes.append(QString::fromLatin1(size));
        if (sizes.contains(QString::number(*width) + u'x' + QString::number(*height)))
            return std::nullopt;
        return QStringLiteral("The H.263 videocodec takes only these video sizes: ") +
               sizes.join(QStringLiteral(", "));
    }
    if (*width < MinDimension || *height < MinDimension)
        return QStringLiteral("The minimum video size is: %1x%1").arg(MinDimension);
    return std::nullopt;
}

} // namespace CustomVideoSize
