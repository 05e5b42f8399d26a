#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Whether the converter deinterlaces the picture: Automatic leaves it to
// the converter, which looks at each source; Always and Never decide for
// every file.
enum class Deinterlace { Automatic, Always, Never };

// "Automatic", "Always" or "Never": the Video panel's box and the settings
// file alike.
QString DeinterlaceText(Deinterlace choice);
// The choice a text names (any letter case); nothing for any other text.
std::optional<Deinterlace> ParseDeinterlace(const QString &text);
// The three texts, in the enum's order.
QStringList DeinterlaceItems();
