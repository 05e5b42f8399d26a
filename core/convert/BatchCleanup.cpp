#include "core/convert/BatchCleanup.h"

#include "core/base/Various.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/CMDLauncher.h"
#include "core/convert/FilesAtOnce.h"
#include "core/platform/Processes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

namespace {
// How long clean-up keeps trying to delete the converter copy.
constexpr int DeleteTimeoutMs = 10000;
// How long the processes of a batch have to end after being asked.
constexpr int StopGraceMs = 3000;
} // namespace

void StopBatches(std::vector<std::unique_ptr<CMDLauncher>> &launchers) {
    // The shells go first, so none can start its next line while its
    // converter is being ended.
    std::vector<pid_t> groups;
    for (const std::unique_ptr<CMDLauncher> &launcher : launchers) {
        if (!launcher)
            continue;
        launcher->disconnect();
        groups.push_back(launcher->processGroup());
        launcher->requestStop();
    }
    const QDeadlineTimer grace(StopGraceMs);
    for (const std::unique_ptr<CMDLauncher> &launcher : launchers) {
        if (launcher)
            launcher->finishStop(grace);
    }
    for (const pid_t group : groups)
        KillProcessByName(QString::fromUtf16(BatchFiles::ConverterName), group);
    launchers.clear();
}

void RemoveWorkingFiles(const QString &dataFolder, const std::function<void()> &beforeAttempt) {
    for (int lane = 0; lane < FilesAtOnce::MaxLanes; ++lane)
        QFile::remove(BatchFiles::laneBatch(dataFolder, lane));

    const QString converter = BatchFiles::converter(dataFolder);
    QElapsedTimer trying;
    trying.start();
    while (FileExists(converter) && trying.elapsed() < DeleteTimeoutMs) {
        if (beforeAttempt)
            beforeAttempt();
        if (!QFile::remove(converter))
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 50);
    }
    QFile::remove(BatchFiles::threadLibrary(dataFolder));
    QFile::remove(BatchFiles::trackDrop(dataFolder));
    QFile::remove(BatchFiles::trackDropTarget(dataFolder));
}
