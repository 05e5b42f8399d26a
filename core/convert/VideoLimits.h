#pragma once

#include "core/profiles/ConversionSettings.h"

#include <QStringList>

#include <optional>

// The video codec's limits in the profile file: the largest frame size and
// the highest quality its section allows, as positions in the size and
// quality lists. Returns the message that refuses the settings, or nothing
// when they are within the limits (or no video codec is chosen).
//
// A frame size typed in the custom size dialog has no position in the
// list; it is held against the dimensions of the largest allowed entry, so
// a custom size cannot get past the limit either, and against the sizes the
// codec can encode at all (H.263 takes only its five).
std::optional<QString> CheckVideoLimits(const ConversionSettings &settings,
                                        const QStringList &sizeItems,
                                        const QStringList &qualityItems);
