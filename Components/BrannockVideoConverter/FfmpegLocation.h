#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace converter {

// An executable file: a path with a slash as it is, a bare name searched in the
// folders of `searchPath` (a PATH value).
std::optional<std::string> findProgram(std::string_view program, std::string_view searchPath);

// ffmpeg: $MOBIVERT_FFMPEG when it is set, else "ffmpeg" on PATH.
std::optional<std::string> findFfmpeg();

} // namespace converter
