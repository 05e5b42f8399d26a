#pragma once

#include <string>
#include <string_view>

namespace converter {

// Writes all of `text` to `fd`, going on after interruptions; the bytes
// written (fewer when writing failed).
std::size_t writeAll(int fd, std::string_view text);

// Standard error, written in whole messages so that a reader gets each line in
// one piece.
class Console {
public:
    void print(std::string_view text);
    // An error line ends with CR LF and starts a line of its own.
    void error(const std::string &message);
    // A line of its own, after a progress line too.
    void line(const std::string &text);

private:
    char m_lastCharacter = '\n';
};

} // namespace converter
