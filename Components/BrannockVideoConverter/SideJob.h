#pragma once

#include <string>
#include <vector>

namespace converter {

// Runs a short ffmpeg job on the side of a conversion (measuring, extracting)
// and returns what it printed on standard error; `status` gets its wait
// status (-1 when it could not be started).
std::string runSideJob(const std::string &ffmpeg, const std::vector<std::string> &arguments,
                       int &status);

} // namespace converter
