#pragma once

#include <QDBusConnection>
#include <QString>

// The progress bar on the application's launcher icon (the dock, the task
// manager), through com.canonical.Unity.LauncherEntry: KDE Plasma and
// GNOME's Dash to Dock show it. Only changes are sent: a hundredth of the
// way or more, and the bar's showing or hiding.
class LauncherEntry final {
public:
    // `desktopId` is the desktop file's id without ".desktop".
    explicit LauncherEntry(const QString &desktopId,
                           QDBusConnection bus = QDBusConnection::sessionBus());
    ~LauncherEntry(); // clears the bar

    // Shows the bar at this share (0 to 1).
    void setProgress(double share);
    // Hides the bar.
    void clear();

private:
    void update(double share, bool visible);

    QString m_uri; // application://<id>.desktop
    QDBusConnection m_bus;
    double m_sent = -1.0;
    bool m_visible = false;
};
