#include "core/platform/SleepInhibitor.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

SleepInhibitor::SleepInhibitor(const QString &why)
    : SleepInhibitor(why, QDBusConnection::systemBus()) {}

SleepInhibitor::SleepInhibitor(const QString &why, QDBusConnection bus) {
    if (!bus.isConnected())
        return;
    QDBusInterface logind(QStringLiteral("org.freedesktop.login1"),
                          QStringLiteral("/org/freedesktop/login1"),
                          QStringLiteral("org.freedesktop.login1.Manager"), bus);
    if (!logind.isValid())
        return;
    logind.setTimeout(2000);
    const QDBusReply<QDBusUnixFileDescriptor> reply =
        logind.call(QStringLiteral("Inhibit"), QStringLiteral("sleep:idle"),
                    QStringLiteral("Mobivert"), why, QStringLiteral("block"));
    if (reply.isValid())
        m_lock = reply.value();
}
