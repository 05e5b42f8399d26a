#include "Components/TrackDrop/IpodLock.h"

#include "Components/TrackDrop/SafeFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

namespace trackdrop {

IpodLock::IpodLock(const std::string &mountPoint, int waitSeconds) {
    const std::string path = mountPoint + "/iPod_Control/iTunes/Mobivert.lock";
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        m_error = errno == EROFS
                      ? "it is mounted read-only"
                      : "its lock " + path + " cannot be opened (" + errnoText(errno) + ")";
        return;
    }
    const int mode = waitSeconds < 0 ? LOCK_EX : LOCK_EX | LOCK_NB;
    for (int waited = 0;; ++waited) {
        if (::flock(m_fd, mode) == 0)
            return;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || waited >= waitSeconds * 10)
            break;
        const timespec pause{0, 100'000'000};
        ::nanosleep(&pause, nullptr);
    }
    m_error = errno == EWOULDBLOCK ? "another program is writing to it"
                                   : "its lock cannot be taken (" + errnoText(errno) + ")";
}

IpodLock::~IpodLock() {
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}

} // namespace trackdrop
