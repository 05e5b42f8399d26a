#include "core/convert/DeviceVolumes.h"

#include "core/platform/FileSystem.h"

#include <QSet>

#include <functional>

namespace {

bool isDeviceFileSystem(const QString &type) {
    static const QSet<QString> types{QStringLiteral("vfat"),  QStringLiteral("msdos"),
                                     QStringLiteral("exfat"), QStringLiteral("hfsplus"),
                                     QStringLiteral("hfs"),   QStringLiteral("fuseblk"),
                                     QStringLiteral("ntfs"),  QStringLiteral("ntfs3")};
    return types.contains(type);
}

QStringList matching(const QList<MountEntry> &mounts,
                     const std::function<bool(const QString &)> &isDevice) {
    QStringList found;
    QSet<QString> volumes; // a volume mounted twice is one device
    for (const MountEntry &mount : mounts) {
        const QString volume = mount.device + u' ' + mount.root;
        if (!isDeviceFileSystem(mount.fileSystemType) || volumes.contains(volume) ||
            found.contains(mount.mountPoint) || !isDevice(mount.mountPoint))
            continue;
        volumes.insert(volume);
        found.append(mount.mountPoint);
    }
    return found;
}

} // namespace

bool IsIpodFolder(const QString &folder) {
    return IsNonDirectory(JoinPath(folder, QStringLiteral("iPod_Control/iTunes/iTunesDB")));
}

QStringList IpodMountPoints(const QList<MountEntry> &mounts) {
    return matching(mounts, IsIpodFolder);
}

QStringList MemoryStickMountPoints(const QList<MountEntry> &mounts) {
    return matching(mounts, [](const QString &mountPoint) {
        return IsDirectory(JoinPath(mountPoint, QStringLiteral("PSP"))) ||
               IsDirectory(JoinPath(mountPoint, QStringLiteral("MP_ROOT")));
    });
}

QString PspVideoFolder(const QString &mountPoint, int videoCodecPosition) {
    const bool mpeg4 = videoCodecPosition == 0 || videoCodecPosition == 1;
    return JoinPath(mountPoint, mpeg4 ? QStringLiteral("MP_ROOT/100MNV01")
                                      : QStringLiteral("MP_ROOT/100ANV01"));
}
