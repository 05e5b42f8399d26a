#include "convert/BatchCleanup.h"

#include "base/Various.h"
#include "convert/BatchFiles.h"
#include "convert/CMDLauncher.h"
#include "platform/Processes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

namespace {
// How long clean-up keeps trying to delete the converter copy.
constexpr int DeleteTimeoutMs = 10000;
} // namespace

void StopBatch(std::unique_ptr<CMDLauncher> &launcher) {
    if (!launcher)
        return;
    launcher->disconnect();
    // The shell goes first, so it cannot start the next line while its
    // converter is being ended.
    const pid_t group = launcher->processGroup();
    launcher->stop();
    KillProcessByName(QString::fromUtf16(BatchFiles::ConverterName), group);
    launcher.reset();
}

void RemoveWorkingFiles(const QString &dataFolder, const std::function<void()> &beforeAttempt) {
    QFile::remove(BatchFiles::batch(dataFolder));

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
