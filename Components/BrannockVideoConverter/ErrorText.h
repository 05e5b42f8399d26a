#pragma once

#include "Components/BrannockVideoConverter/FfmpegLog.h"

#include <string>

// ffmpeg 5.1's error messages in the words of the old builds, with the paths as
// the converter was given them:
//   "<in>: No such file or directory"       -> "<in>: no such file or directory"
//   "<in>: Permission denied"               -> "<in>: permission denied"
//   "<in>: Invalid data found when processing input" -> "<in>: Unknown format"
//   any other "<in>: <message>"             -> "<in>: Error while opening file"
//   "[swscaler @ 0x...] <message>"          -> "swScaler: <message>"
//   anything else                           -> the message without its prefixes
namespace converter {

class ErrorText {
public:
    ErrorText(std::string inputUrl, std::string input, std::string outputUrl, std::string output);

    std::string translate(const LogLine &line) const;

private:
    std::string m_inputUrl, m_input, m_outputUrl, m_output;
};

} // namespace converter
