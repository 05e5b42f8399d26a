#include "core/base/DebugLog.h"

#include <QDateTime>
#include <QFile>

DebugLog &DebugLog::instance() {
    static DebugLog log;
    return log;
}

bool DebugLog::start(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return false;
    m_path = path;
    return true;
}

void DebugLog::write(const QString &text) {
    if (m_path.isEmpty())
        return;
    // Opened per entry, so every entry is on disk at once, also when the
    // process later crashes.
    QFile file(m_path);
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return;
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    file.write((stamp + u"  Information  " + text + u'\n').toUtf8());
}

QString DebugLog::fileNameFor(const QDateTime &time) {
    return time.toString(QStringLiteral("ddMMyyyyhhmmss")) + u".log";
}
