#pragma once

#include "Components/BrannockVideoConverter/FfmpegLog.h"

#include <string>
#include <vector>

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

// Whether ffmpeg's errors say that it could not read what the input holds:
// errors of the input's demuxer or of a decoder of its streams (named by
// `readers`, ffmpeg's names of the demuxer and the codecs), or ffmpeg's own
// words for a stream it could not decode or that ended too soon. A failed
// conversion that says so fails for a damaged or incomplete file.
bool inputUnreadable(const std::vector<LogLine> &errors, const std::vector<std::string> &readers);

} // namespace converter
