#pragma once

#include <optional>
#include <string>

namespace converter {

// The index of the source's cover art among its streams: a picture stream
// marked as attached (MP4 and MP3 covers; ffmpeg shows a Matroska file's
// JPEG and PNG attachments this way too). Nothing when it has none or
// cannot be read.
std::optional<int> coverStreamIndex(const std::string &path);

} // namespace converter
