#pragma once

#include "Components/BrannockVideoConverter/SourceFacts.h"

#include <optional>
#include <string>

struct AVStream;

namespace converter {

// How far the stream's picture is turned clockwise for display (0, 90,
// 180 or 270 degrees), as ffmpeg turns it.
int displayRotation(const AVStream *stream);

// Reads what a source holds with ffmpeg's own libraries, so that the facts
// name the streams as ffmpeg will: the picture as displayed, the scan, the
// grading, the sound and subtitle tracks. Nothing when the file cannot be
// read as media.
std::optional<SourceFacts> probeSource(const std::string &path);

} // namespace converter
