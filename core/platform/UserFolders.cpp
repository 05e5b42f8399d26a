#include "core/platform/UserFolders.h"

#include "core/platform/FileSystem.h"

#include <QDir>

namespace {
QString absoluteFromEnvironment(const char *name) {
    const QString value = qEnvironmentVariable(name);
    // The XDG rules ignore relative values.
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QString();
}
} // namespace

QString HomeFolder() {
    return QDir::homePath();
}

QString UserConfigFolder() {
    const QString fromEnvironment = absoluteFromEnvironment("XDG_CONFIG_HOME");
    return fromEnvironment.isEmpty() ? JoinPath(HomeFolder(), QStringLiteral(".config"))
                                     : fromEnvironment;
}

QString UserMusicFolder() {
    const QString fromEnvironment = absoluteFromEnvironment("XDG_MUSIC_DIR");
    return fromEnvironment.isEmpty() ? JoinPath(HomeFolder(), QStringLiteral("Music"))
                                     : fromEnvironment;
}
