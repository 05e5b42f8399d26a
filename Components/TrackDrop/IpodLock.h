#pragma once

#include <string>

// The lock that keeps two writers off one iPod's database: an exclusive
// flock on a file beside the database, held for a whole hand-off, by every
// TrackDrop of every user and every batch.
namespace trackdrop {

class IpodLock {
public:
    // Takes the lock of the iPod mounted at `mountPoint`, waiting for
    // another holder for at most `waitSeconds` (forever when negative).
    IpodLock(const std::string &mountPoint, int waitSeconds);
    ~IpodLock();
    IpodLock(const IpodLock &) = delete;
    IpodLock &operator=(const IpodLock &) = delete;

    bool held() const { return m_fd >= 0 && m_error.empty(); }
    // Why the lock is not held.
    const std::string &error() const { return m_error; }

private:
    int m_fd = -1;
    std::string m_error;
};

} // namespace trackdrop
