#include "core/convert/BatchFiles.h"

#include "core/platform/ApplicationFolder.h"
#include "core/platform/FileSystem.h"

namespace BatchFiles {

namespace {
QString component(const char16_t *name) {
    return JoinPath(JoinPath(ApplicationFolder(), QStringLiteral("Components")),
                    QString::fromUtf16(name));
}
} // namespace

QString batch(const QString &dataFolder) {
    return JoinPath(dataFolder, QStringLiteral("BVC.bat"));
}

QString laneBatch(const QString &dataFolder, int lane) {
    if (lane <= 0)
        return batch(dataFolder);
    return JoinPath(dataFolder, QStringLiteral("BVC%1.bat").arg(lane + 1));
}

QString converter(const QString &dataFolder) {
    return JoinPath(dataFolder, QString::fromUtf16(ConverterName));
}

QString threadLibrary(const QString &dataFolder) {
    return JoinPath(dataFolder, QStringLiteral("pthreadGC2.dll"));
}

QString trackDrop(const QString &dataFolder) {
    return JoinPath(dataFolder, QString::fromUtf16(TrackDropName));
}

QString trackDropTarget(const QString &dataFolder) {
    return JoinPath(dataFolder, QStringLiteral("TrackDrop.ipod"));
}

QString lock(const QString &dataFolder) {
    return JoinPath(dataFolder, QStringLiteral("BVC.lock"));
}

QString shippedConverter() {
    return component(u"BrannockVideoConverter.dll");
}

QString shippedThreadLibrary() {
    return component(u"pthreadGC2.dll");
}

QString shippedTrackDrop() {
    return component(TrackDropName);
}

} // namespace BatchFiles
