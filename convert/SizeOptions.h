#pragma once

#include <QString>

#include <optional>

// The frame-size options of one conversion line. Without "Keep Aspect
// Ratio" the target size is passed as it is. With it, the source is scaled
// to the target width and either padded above and below (a wider source)
// or cropped at top and bottom (a narrower source), with even margins that
// differ by at most two pixels. A source of unknown size is scaled to the
// target size as it is.
QString SizeOptions(const QString &targetSize, const QString &sourceSize, bool keepAspectRatio);

// "640x480" split at its first lowercase "x"; nothing unless both parts are
// whole numbers.
struct FrameSize {
    int width = 0;
    int height = 0;
};
std::optional<FrameSize> ParseFrameSize(const QString &text);
