#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// The frame-size arguments of one conversion command. Without "Keep Aspect
// Ratio" the target size is passed as it is. With it, a wider source is
// scaled to the target width and padded above and below. A narrower one is
// cropped at top and bottom, in source rows, when that removes at most a
// tenth of its height; otherwise it is scaled to the target height and
// padded left and right. Margins are even and differ by at most two
// pixels. The source size is the picture as displayed (rotation and pixel
// aspect applied). A source of unknown size is scaled to the target size as
// it is. No target size passes an empty size.
QStringList SizeOptions(const std::optional<QSize> &target, const QSize &sourceSize,
                        bool keepAspectRatio);
