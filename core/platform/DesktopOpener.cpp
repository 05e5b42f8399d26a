#include "core/platform/DesktopOpener.h"

#include <QProcess>
#include <QStandardPaths>

bool OpenWithDesktop(const QUrl &url, QObject *context, std::function<void(bool opened)> done) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return false;
    auto *process = new QProcess(context);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    // The opener waits for a browser that does not fork; the answer comes
    // when it ends.
    QObject::connect(process, &QProcess::finished, context,
                     [process, done](int exitCode, QProcess::ExitStatus status) {
                         process->deleteLater();
                         done(status == QProcess::NormalExit && exitCode == 0);
                     });
    QObject::connect(process, &QProcess::errorOccurred, context,
                     [process, done](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return; // finished follows
                         process->deleteLater();
                         done(false);
                     });
    process->start(opener, {url.isLocalFile() ? url.toLocalFile() : url.toString()});
    return true;
}
