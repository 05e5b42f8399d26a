#pragma once

#include <csignal>

namespace trackdrop {

// Holds off the signals that end a batch (a logout, a closed terminal,
// Ctrl+C, a cancel) while the library is written and checked: it is
// written whole or not at all. They take effect afterwards, unless the
// write went through: then they wait until TrackDrop has said so and ended
// (keepUntilExit), so that no file is added without its batch hearing of it.
class QuietWhileWriting {
public:
    QuietWhileWriting() {
        sigset_t endings;
        sigemptyset(&endings);
        for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT, SIGQUIT})
            sigaddset(&endings, signalNumber);
        sigprocmask(SIG_BLOCK, &endings, &m_before);
    }
    ~QuietWhileWriting() {
        if (!m_kept)
            sigprocmask(SIG_SETMASK, &m_before, nullptr);
    }
    QuietWhileWriting(const QuietWhileWriting &) = delete;
    QuietWhileWriting &operator=(const QuietWhileWriting &) = delete;

    void keepUntilExit() { m_kept = true; }

private:
    sigset_t m_before{};
    bool m_kept = false;
};

} // namespace trackdrop
