// The custom frame size texts. Input: a typed width, a typed height, a size
// text from the size box (one line each), then the name of the user's locale.
//
// What must hold, in any locale: nothing crashes; a number read from a size
// part is shown in plain digits that read back as the same number; a size
// text split for editing and joined again splits the same; a typed width or
// height is accepted only as a positive, even 16-bit number, and a composed
// size splits back into the typed numbers and composes again unchanged.
#include "tests/fuzz/FuzzInput.h"

#include "core/profiles/CustomVideoSize.h"

#include <QLocale>

using namespace CustomVideoSize;

namespace {

void checkShownPart(const QString &part, const QString &detail) {
    if (part.isEmpty())
        return;
    const std::optional<qint16> number = ToWholeNumber(part);
    FUZZ_CHECK(number && QString::number(*number) == part, fuzz::shown(part) + u" for " + detail);
}

void checkSizeText(const QString &text) {
    if (const std::optional<qint16> number = ToWholeNumber(text))
        FUZZ_CHECK(ToWholeNumber(QString::number(*number)) == number, fuzz::shown(text));

    const Fields fields = SplitForEditing(text);
    if (!text.contains(u'x'))
        FUZZ_CHECK(fields.width.isEmpty() && fields.height.isEmpty(), fuzz::shown(text));
    checkShownPart(fields.width, fuzz::shown(text));
    checkShownPart(fields.height, fuzz::shown(text));
    if (!fields.width.isEmpty() && !fields.height.isEmpty()) {
        const Fields again = SplitForEditing(fields.width + u'x' + fields.height);
        FUZZ_CHECK(again.width == fields.width && again.height == fields.height, fuzz::shown(text));
    }
}

void checkTyped(const QString &width, const QString &height) {
    const QString detail = fuzz::shown(width) + u" by " + fuzz::shown(height);
    const std::optional<int> w = ParseDimension(width);
    const std::optional<int> h = ParseDimension(height);
    for (const std::optional<int> &d : {w, h}) {
        if (!d)
            continue;
        FUZZ_CHECK(*d > 0 && *d % 2 == 0 && *d <= 32767, detail);
        FUZZ_CHECK(ParseDimension(QString::number(*d)) == d, detail);
    }
    const std::optional<QString> size = Compose(width, height);
    FUZZ_CHECK(size.has_value() == (w && h), detail);
    if (!size)
        return;
    FUZZ_CHECK(*size == QString::number(*w) + u'x' + QString::number(*h),
               *size + u" for " + detail);
    const Fields fields = SplitForEditing(*size);
    FUZZ_CHECK(fields.width == QString::number(*w) && fields.height == QString::number(*h),
               *size + u" for " + detail);
    FUZZ_CHECK(Compose(fields.width, fields.height) == size, *size + u" for " + detail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QByteArray rest;
    const QList<QByteArray> f = fuzz::fields(fuzz::bytes(data, size), 3, &rest);
    // Any locale Qt knows by name ("de_DE", "ar_EG", ...); an unknown name is
    // the C locale.
    QLocale::setDefault(QLocale(QString::fromUtf8(rest.trimmed())));
    for (const auto decode : {fuzz::asUtf8, fuzz::asUtf16}) {
        checkSizeText(decode(f[2]));
        checkTyped(decode(f[0]), decode(f[1]));
    }
    return 0;
}
