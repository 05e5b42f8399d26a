#pragma once

#include "Components/BrannockVideoConverter/SourceFacts.h"
#include "Components/BrannockVideoConverter/Translation.h"
#include "Components/BrannockVideoConverter/VideoCopyPlan.h"

#include <optional>

// The decision, for a probed source, whether its video is copied: the
// stream's coding is read only where the line and the source's codec leave
// a copy possible, its bit rate measured only where nothing states it, and a
// trim moved back to the key frame at or before its start.
namespace converter {

// How the video is copied; nothing when it is encoded. `plan` is the plan
// adapted to the source, `sound` the sound track it converts.
std::optional<VideoCopy> chooseVideoCopy(const Plan &plan, const SourceFacts &facts,
                                         std::optional<FieldOrder> measured,
                                         const std::optional<SourceTrack> &sound);

// Prints the copy's console line on standard output.
void announceVideoCopy(const VideoCopy &copy);

} // namespace converter
