#include "Components/BrannockVideoConverter/Console.h"

#include <cerrno>
#include <unistd.h>

namespace converter {

std::size_t writeAll(int fd, std::string_view text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
        done += static_cast<std::size_t>(written);
    }
    return done;
}

void Console::print(std::string_view text) {
    if (const std::size_t written = writeAll(STDERR_FILENO, text); written > 0)
        m_lastCharacter = text[written - 1];
}

void Console::error(const std::string &message) {
    print((m_lastCharacter == '\r' ? "\n" : "") + message + "\r\n");
}

void Console::line(const std::string &text) {
    print((m_lastCharacter == '\r' ? "\n" : "") + text + "\n");
}

} // namespace converter
