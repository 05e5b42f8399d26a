#include "core/platform/LauncherEntry.h"

#include <QDBusMessage>
#include <QVariantMap>

#include <algorithm>
#include <cmath>

LauncherEntry::LauncherEntry(const QString &desktopId, QDBusConnection bus)
    : m_uri(QStringLiteral("application://") + desktopId + QStringLiteral(".desktop"))
    , m_bus(bus) {}

LauncherEntry::~LauncherEntry() {
    clear();
}

void LauncherEntry::setProgress(double share) {
    share = std::clamp(share, 0.0, 1.0);
    if (m_visible && std::abs(share - m_sent) < 0.01 && share < 1.0)
        return;
    update(share, true);
}

void LauncherEntry::clear() {
    if (m_visible)
        update(0.0, false);
}

void LauncherEntry::update(double share, bool visible) {
    m_sent = share;
    m_visible = visible;
    if (!m_bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/io/github/mobivert/Mobivert/LauncherEntry"),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    signal << m_uri
           << QVariantMap{{QStringLiteral("progress"), share},
                          {QStringLiteral("progress-visible"), visible}};
    m_bus.send(signal);
}
