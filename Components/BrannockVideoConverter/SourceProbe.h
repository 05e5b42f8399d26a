#pragma once

#include "Components/BrannockVideoConverter/SourceFacts.h"

#include <optional>
#include <string>

namespace converter {

// Reads what a source holds with ffmpeg's own libraries, so that the facts
// name the streams as ffmpeg will: the picture as displayed, the scan, the
// grading, the sound and subtitle tracks. Nothing when the file cannot be
// read as media.
std::optional<SourceFacts> probeSource(const std::string &path);

} // namespace converter
