#include "core/convert/LibraryHandOff.h"

#include "core/convert/BatchFiles.h"
#include "core/convert/BatchProgress.h"
#include "core/convert/BatchRecord.h"
#include "core/convert/DeviceVolumes.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Mounts.h"
#include "core/platform/UserFolders.h"

#include <QProcess>

namespace {
// Reading the SysInfo and the database of a large library takes seconds;
// another program writing to the iPod is waited for for 30.
constexpr int CheckTimeoutMs = 120000;
// A hand-off copies one file and rewrites the database.
constexpr int HandOffTimeoutMs = 600000;
const QString TrackDropPrefix = QStringLiteral("TrackDrop: ");

} // namespace

bool IsHandOffError(const QString &message) {
    return message.startsWith(TrackDropPrefix);
}

HandOffOutcome HandOffOutcomeOf(const BatchProgress &progress, const QStringList &outputPaths) {
    HandOffOutcome outcome;
    for (int row = 0; row < progress.rowCount(); ++row) {
        const QString &output = outputPaths.value(row);
        if (!IsNonDirectory(output))
            continue;
        if (progress.rows()[row].handedOff) {
            ++outcome.added;
            continue;
        }
        QStringList failures = progress.rowErrors(row);
        failures.removeIf([](const QString &error) { return !IsHandOffError(error); });
        outcome.notAdded.append(
            failures.isEmpty() ? output + QStringLiteral(": its hand-off ended before it was done")
                               : failures.first().mid(TrackDropPrefix.size()));
    }
    return outcome;
}

HandOffOutcome HandOffLeftFiles(BatchRecord &record) {
    HandOffOutcome outcome;
    record.handedOff.resize(record.rows.size(), false);
    for (const int row : record.handOffsLeft()) {
        const QString file = record.outputPaths.value(row);
        QStringList arguments{file};
        if (!record.ipodMountPoint.isEmpty())
            arguments = QStringList{QStringLiteral("--ipod"), record.ipodMountPoint, file};
        QProcess handOff;
        handOff.setProcessChannelMode(QProcess::MergedChannels);
        handOff.start(BatchFiles::shippedTrackDrop(), arguments);
        const bool ended = handOff.waitForFinished(HandOffTimeoutMs);
        if (ended && handOff.exitStatus() == QProcess::NormalExit && handOff.exitCode() == 0) {
            record.handedOff[row] = true;
            ++outcome.added;
            continue;
        }
        if (!ended) {
            handOff.kill();
            handOff.waitForFinished();
        }
        QString reason = QString::fromUtf8(handOff.readAll()).trimmed();
        reason.remove(TrackDropPrefix);
        outcome.notAdded.append(reason.isEmpty() ? file + QStringLiteral(": not added (") +
                                                       handOff.errorString() + u')'
                                                 : reason);
    }
    return outcome;
}

std::optional<QString> ResumeHandOffs(const QString &dataFolder, BatchRecord &record) {
    if (record.handOffsLeft().isEmpty())
        return std::nullopt;
    const QString note = LibraryNote(record.ipodMountPoint, HandOffLeftFiles(record));
    if (record.workLeft())
        BatchRecordFile::write(dataFolder, record);
    else
        BatchRecordFile::remove(dataFolder);
    return note;
}

QString LibraryPlace(const QString &ipodMountPoint) {
    return ipodMountPoint.isEmpty()
               ? QStringLiteral("the playlist ") +
                     JoinPath(UserMusicFolder(), QStringLiteral("Mobivert.m3u8"))
               : QStringLiteral("the iPod at ") + ipodMountPoint;
}

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

QString LibraryNote(const QString &ipodMountPoint, const HandOffOutcome &outcome) {
    const QString playlist = JoinPath(UserMusicFolder(), QStringLiteral("Mobivert.m3u8"));
    const int notAdded = int(outcome.notAdded.size());
    if (notAdded == 0) {
        if (!ipodMountPoint.isEmpty())
            return QStringLiteral("The converted files were added to the iPod at ") +
                   ipodMountPoint + u'.';
        return QStringLiteral("No iPod was connected: the converted files were added to the "
                              "playlist ") +
               playlist + QStringLiteral(" instead.");
    }
    if (outcome.added == 0 && notAdded == 1)
        return QStringLiteral("The converted file was not added to ") +
               LibraryPlace(ipodMountPoint) + QStringLiteral(": ") + outcome.notAdded.first() +
               u'.';
    const QString counted = QStringLiteral("%1 of %2 converted files were added to ")
                                .arg(outcome.added)
                                .arg(outcome.added + notAdded);
    const QString where =
        ipodMountPoint.isEmpty()
            ? QString(QStringLiteral("No iPod was connected: ") + counted +
                      QStringLiteral("the playlist ") + playlist + QStringLiteral(" instead"))
            : QString(counted + QStringLiteral("the iPod at ") + ipodMountPoint);
    return where +
           QStringLiteral("; %1 %2 not: ")
               .arg(notAdded)
               .arg(notAdded == 1 ? QStringLiteral("was") : QStringLiteral("were")) +
           outcome.notAdded.join(QStringLiteral("; ")) + u'.';
}
