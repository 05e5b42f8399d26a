#pragma once

#include <QProcess>
#include <QString>

// A D-Bus daemon of the test's own, so that stand-in services never meet
// the desktop's. Ends with the object.
class PrivateBus {
public:
    PrivateBus() = default;
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;
    ~PrivateBus() { stop(); }

    // Starts the daemon; its address, or empty when it did not start.
    QString start();
    void stop();
    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};
