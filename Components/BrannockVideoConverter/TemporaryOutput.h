#pragma once

#include <string>

namespace converter {

// The file ffmpeg writes into, beside the output, until the conversion has
// succeeded. Preferably an unnamed file (O_TMPFILE) that ffmpeg reaches through
// an inherited descriptor: whatever ends the run, even a SIGKILL, nothing is
// left behind. Where the file system has no unnamed files, or ffmpeg must see
// the output's extension, a hidden file ".NAME.partial.EXT" is used instead.
class TemporaryOutput {
public:
    TemporaryOutput() = default;
    ~TemporaryOutput();
    TemporaryOutput(const TemporaryOutput &) = delete;
    TemporaryOutput &operator=(const TemporaryOutput &) = delete;

    // Creates the temporary file for `output`. On failure returns false and sets
    // `error` (the reason, as strerror gives it).
    bool create(const std::string &output, bool unnamed, std::string &error);

    int fd() const { return m_fd; }
    bool isUnnamed() const { return m_unnamed; }
    // The name ffmpeg opens; `childFd` is the descriptor number ffmpeg has the
    // unnamed file under.
    std::string ffmpegUrl(int childFd) const;
    long long size() const;

    // Gives the file the output's name. Without `replace` an existing file of
    // that name is never touched.
    bool commit(bool replace, std::string &error);
    // Removes the temporary file.
    void discard();
    // Empties the file for another run of ffmpeg.
    void truncate();

private:
    std::string m_output;
    std::string m_folder;
    std::string m_partialPath; // the named file, or "" for an unnamed one
    int m_fd = -1;
    bool m_unnamed = false;
};

// The hidden name beside `output` for attempt `attempt` (0, 1, ...):
// ".holiday.mp4.partial.mp4", ".holiday.mp4.partial-2.mp4", ...
std::string partialName(const std::string &output, int attempt);

} // namespace converter
