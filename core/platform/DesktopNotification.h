#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

// One desktop notification through org.freedesktop.Notifications. It is
// sent without waiting for the server; where the server offers actions it
// carries the buttons asked for, and actionInvoked reports the one chosen.
// Without a notification service nothing is shown and nothing is said. The
// object deletes itself once the notification is gone (or never came).
class DesktopNotification final : public QObject {
    Q_OBJECT
public:
    struct Action {
        QString key;
        QString label;
    };
    // What the notification tells of, for the server's choice of icon and sound.
    enum class Category { TransferComplete, TransferError };

    // Sends the notification; `desktopEntry` names the sending application's
    // desktop file (its id, without ".desktop").
    static DesktopNotification *send(const QString &summary, const QString &body,
                                     const QString &desktopEntry, Category category,
                                     const QList<Action> &actions = {},
                                     QDBusConnection bus = QDBusConnection::sessionBus(),
                                     QObject *parent = nullptr);
    // The hints sent with a notification: its desktop entry and category.
    static QVariantMap hints(const QString &desktopEntry, Category category);

signals:
    void actionInvoked(const QString &key);
    // The server gave the notification its id (it is on screen).
    void shown(uint id);

private slots:
    void ActionInvoked(uint id, const QString &key);
    void NotificationClosed(uint id, uint reason);

private:
    DesktopNotification(QDBusConnection bus, QObject *parent);
    void notify(const QString &summary, const QString &body, const QVariantMap &hints,
                const QList<Action> &actions, bool withActions);

    QDBusConnection m_bus;
    uint m_id = 0;
};
