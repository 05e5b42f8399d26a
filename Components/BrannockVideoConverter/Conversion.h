#pragma once

#include <string>
#include <vector>

namespace converter {

// One conversion, as a line of the batch file asks for it: translates the
// arguments, runs ffmpeg on a temporary file beside the output, prints the
// old console texts on standard error and puts the output in place when ffmpeg
// succeeded. Returns the exit status (0 done, 1 failed); a SIGTERM, SIGINT or
// SIGHUP stops ffmpeg, removes the temporary file and ends the converter by
// that signal.
int runConversion(const std::vector<std::string> &arguments);

} // namespace converter
