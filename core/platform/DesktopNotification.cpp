#include "core/platform/DesktopNotification.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");

QDBusMessage call(const QString &method) {
    return QDBusMessage::createMethodCall(Service, Path, Interface, method);
}

} // namespace

DesktopNotification::DesktopNotification(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus) {}

QVariantMap DesktopNotification::hints(const QString &desktopEntry, Category category) {
    return {{QStringLiteral("desktop-entry"), desktopEntry},
            {QStringLiteral("category"), category == Category::TransferError
                                             ? QStringLiteral("transfer.error")
                                             : QStringLiteral("transfer.complete")}};
}

DesktopNotification *DesktopNotification::send(const QString &summary, const QString &body,
                                               const QString &desktopEntry, Category category,
                                               const QList<Action> &actions, QDBusConnection bus,
                                               QObject *parent) {
    auto *notification = new DesktopNotification(bus, parent);
    const QVariantMap sentHints = hints(desktopEntry, category);
    if (!bus.isConnected()) {
        notification->deleteLater();
        return notification;
    }
    bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), notification,
                SLOT(ActionInvoked(uint, QString)));
    bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), notification,
                SLOT(NotificationClosed(uint, uint)));
    if (actions.isEmpty()) {
        notification->notify(summary, body, sentHints, actions, false);
        return notification;
    }
    // Buttons only where the server shows them.
    auto *watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(call(QStringLiteral("GetCapabilities")), 5000), notification);
    connect(watcher, &QDBusPendingCallWatcher::finished, notification,
            [=](QDBusPendingCallWatcher *finished) {
                const QDBusPendingReply<QStringList> reply = *finished;
                finished->deleteLater();
                if (reply.isError()) {
                    notification->deleteLater(); // no notification service
                    return;
                }
                notification->notify(summary, body, sentHints, actions,
                                     reply.value().contains(QStringLiteral("actions")));
            });
    return notification;
}

void DesktopNotification::notify(const QString &summary, const QString &body,
                                 const QVariantMap &hints, const QList<Action> &actions,
                                 bool withActions) {
    QStringList actionList;
    if (withActions) {
        for (const Action &action : actions)
            actionList << action.key << action.label;
    }
    QDBusMessage message = call(QStringLiteral("Notify"));
    // The desktop entry doubles as the icon's name.
    message << QStringLiteral("Mobivert") << uint(0)
            << hints.value(QStringLiteral("desktop-entry")).toString() << summary << body
            << actionList << hints << int(-1);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, withActions](QDBusPendingCallWatcher *finished) {
                const QDBusPendingReply<uint> reply = *finished;
                finished->deleteLater();
                if (reply.isError()) {
                    deleteLater();
                    return;
                }
                m_id = reply.value();
                emit shown(m_id);
                // Nothing to wait for without buttons.
                if (!withActions)
                    deleteLater();
            });
}

void DesktopNotification::ActionInvoked(uint id, const QString &key) {
    if (id == 0 || id != m_id)
        return;
    emit actionInvoked(key);
}

void DesktopNotification::NotificationClosed(uint id, uint) {
    if (id != 0 && id == m_id)
        deleteLater();
}
