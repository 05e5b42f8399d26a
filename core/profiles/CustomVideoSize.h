#pragma once

#include <QString>

#include <optional>

// The text forms of a frame size ("640x480") as the custom size dialog reads
// and writes them. Pure functions, no widgets.
namespace CustomVideoSize {

// A size text split for editing: the parts before and after the first
// lowercase "x", each shown as a whole number in plain digits, or empty when
// that part is no number within the 16-bit range. Blanks around a part are
// allowed; a fraction is rounded to the nearest whole number, a half to the
// even neighbour. A text without "x" gives two empty fields.
struct Fields {
    QString width;
    QString height;
};
Fields SplitForEditing(const QString &sizeText);

// One part of a size text as a 16-bit whole number, rounded as above.
std::optional<qint16> ToWholeNumber(const QString &text);

// A width or height the user typed: a positive, even whole number in
// decimal digits (blanks around it and a leading "+" allowed) that fits a
// 16-bit size. Anything else, fractions and zero included, is refused:
// every device codec needs even frame sizes.
std::optional<int> ParseDimension(const QString &text);

// The size box text for a typed width and height ("400x300"), or nothing
// when either is refused.
std::optional<QString> Compose(const QString &width, const QString &height);

// The smallest width and height a custom size may have. The encoders take
// smaller frames, but a source fitted into one with its aspect ratio kept
// can come out zero pixels high, which no encoder takes.
inline constexpr int MinDimension = 16;

// Why the video codec (its item text, as "h264") cannot encode a custom
// size as the size box holds it, naming the limit; nothing when it can or
// the text is no custom size. H.263 takes five sizes only (128x96 to
// 1408x1152), every other codec anything from MinDimension on. The largest
// size a device allows is checked with the profile's limits elsewhere.
std::optional<QString> CodecSizeRefusal(const QString &codec, const QString &sizeText);

} // namespace CustomVideoSize
