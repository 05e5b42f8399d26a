#include "convert/LibraryHandOff.h"

#include "convert/BatchFiles.h"
#include "convert/DeviceVolumes.h"
#include "platform/FileSystem.h"
#include "platform/Mounts.h"
#include "platform/UserFolders.h"

#include <QProcess>

namespace {
// Reading the SysInfo and the database of a large library takes seconds;
// another program writing to the iPod is waited for for 30.
constexpr int CheckTimeoutMs = 120000;
} // namespace

QStringList ConnectedIpods() {
    return IpodMountPoints(ReadMounts());
}

std::optional<QString> CheckIpod(const QString &mountPoint) {
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(BatchFiles::shippedTrackDrop(), {QStringLiteral("--check"), mountPoint});
    if (!check.waitForFinished(CheckTimeoutMs)) {
        check.kill();
        check.waitForFinished();
        return QStringLiteral("the iPod at ") + mountPoint +
               QStringLiteral(" could not be checked (") + check.errorString() + u')';
    }
    if (check.exitStatus() == QProcess::NormalExit && check.exitCode() == 0)
        return std::nullopt;
    QString reason = QString::fromUtf8(check.readAll()).trimmed();
    reason.remove(QStringLiteral("TrackDrop: "));
    return reason.isEmpty() ? QStringLiteral("the iPod at ") + mountPoint +
                                  QStringLiteral(" could not be checked")
                            : reason;
}

QString LibraryNote(const QString &ipodMountPoint) {
    if (!ipodMountPoint.isEmpty())
        return QStringLiteral("The converted files were added to the iPod at ") + ipodMountPoint +
               u'.';
    return QStringLiteral("No iPod was connected: the converted files were added to the "
                          "playlist ") +
           JoinPath(UserMusicFolder(), QStringLiteral("Mobivert.m3u8")) +
           QStringLiteral(" instead.");
}
