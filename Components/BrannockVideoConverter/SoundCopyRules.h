#pragma once

#include "Components/BrannockVideoConverter/StreamCoding.h"
#include "Components/BrannockVideoConverter/Translation.h"

// Whether the chosen sound track already is what the line would encode:
// AAC LC for an AAC line, at the line's sample rate (-ar) and channel count
// (-ac), at no more than its bit rate (-ab), give or take 1%. Sound the line changes in any
// other way (a filter, a silent track) is encoded.
namespace converter {

bool soundCanBeCopied(const Plan &plan, const SoundCoding &sound);

} // namespace converter
