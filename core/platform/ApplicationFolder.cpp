#include "core/platform/ApplicationFolder.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
QString &overriddenFolder() {
    static QString folder;
    return folder;
}
} // namespace

QString ApplicationFolder() {
    if (!overriddenFolder().isEmpty())
        return overriddenFolder();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
}

void SetApplicationFolder(const QString &folder) {
    overriddenFolder() = folder;
}
