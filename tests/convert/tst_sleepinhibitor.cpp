// Keeping the computer awake during a batch: the logind inhibitor lock is
// asked for on a real D-Bus (a private bus with a stand-in logind) and
// released when the holder goes.
#include "core/platform/SleepInhibitor.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// Plays logind's Inhibit: hands out the write end of a pipe and keeps the
// read end, which reports end-of-file once every copy of the lock is closed.
class FakeLogind final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    QStringList request;
    int lockEnd = -1;

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &who, const QString &why,
                                    const QString &mode) {
        request = {what, who, why, mode};
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return {};
        lockEnd = ends[0];
        QDBusUnixFileDescriptor handed(ends[1]); // keeps a copy of its own
        ::close(ends[1]);
        return handed;
    }
};

bool lockReleased(int fd, int timeoutMs) {
    pollfd watched{fd, POLLIN, 0};
    if (::poll(&watched, 1, timeoutMs) <= 0)
        return false;
    char byte;
    return ::read(fd, &byte, 1) == 0;
}

} // namespace

class TestSleepInhibitor : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_address = m_bus.start();
        QVERIFY(!m_address.isEmpty());
    }

    void cleanupTestCase() { m_bus.stop(); }

    void holdsTheLockWhileItLives() {
        // The stand-in answers on a thread of its own, as logind would from
        // its own process, while the inhibitor's call waits.
        QThread serviceThread;
        FakeLogind logind;
        logind.moveToThread(&serviceThread);
        serviceThread.start();
        QDBusConnection service =
            QDBusConnection::connectToBus(m_address, QStringLiteral("service"));
        QVERIFY(service.registerService(QStringLiteral("org.freedesktop.login1")));
        QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/login1"), &logind,
                                       QDBusConnection::ExportAllSlots));
        QDBusConnection client = QDBusConnection::connectToBus(m_address, QStringLiteral("client"));

        {
            SleepInhibitor inhibitor(QStringLiteral("Converting video files"), client);
            QVERIFY(inhibitor.isHeld());
            QCOMPARE(
                logind.request,
                QStringList({QStringLiteral("sleep:idle"), QStringLiteral("Mobivert"),
                             QStringLiteral("Converting video files"), QStringLiteral("block")}));
            QVERIFY(!lockReleased(logind.lockEnd, 200));
        }
        QVERIFY(lockReleased(logind.lockEnd, 5000));
        ::close(logind.lockEnd);

        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        serviceThread.quit();
        serviceThread.wait();
        logind.moveToThread(thread());
    }

    void withoutLogindNothingHappens() {
        QDBusConnection client = QDBusConnection::connectToBus(m_address, QStringLiteral("lonely"));
        SleepInhibitor inhibitor(QStringLiteral("Converting video files"), client);
        QVERIFY(!inhibitor.isHeld());
        QDBusConnection::disconnectFromBus(QStringLiteral("lonely"));

        SleepInhibitor noBus(QStringLiteral("x"),
                             QDBusConnection(QStringLiteral("never-connected")));
        QVERIFY(!noBus.isHeld());
    }

private:
    PrivateBus m_bus;
    QString m_address;
};

QTEST_MAIN(TestSleepInhibitor)
#include "tst_sleepinhibitor.moc"
