#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>

// Keeps the computer from going to sleep on its own while it lives, through
// a logind inhibitor lock. Where there is no logind (no system bus, a
// container), it does nothing and says nothing.
class SleepInhibitor final {
public:
    explicit SleepInhibitor(const QString &why);
    // Asks the logind service on the given bus (tests use a bus of their own).
    SleepInhibitor(const QString &why, QDBusConnection bus);
    bool isHeld() const { return m_lock.isValid(); }

private:
    QDBusUnixFileDescriptor m_lock; // the lock lasts as long as this descriptor is open
};
