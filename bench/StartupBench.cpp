#include "bench/StartupBench.h"

#include "app/frmMain.h"
#include "bench/BenchTools.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

QByteArray statusOf(pid_t pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    return status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
}

// A field of /proc/PID/status in KiB, -1 when unknown.
qint64 statusKiB(pid_t pid, const char *field) {
    const QByteArray text = statusOf(pid);
    const qsizetype at = text.indexOf(field);
    if (at < 0)
        return -1;
    const qsizetype start = at + qsizetype(qstrlen(field));
    bool ok = false;
    const qint64 value = text.mid(start, text.indexOf('\n', start) - start)
                             .replace("kB", "")
                             .trimmed()
                             .toLongLong(&ok);
    return ok ? value : -1;
}

// Whether the process has a handler for SIGTERM: Mobivert installs it after
// showing its window, right before it starts waiting for the user.
bool catchesTerm(pid_t pid) {
    const QByteArray text = statusOf(pid);
    const qsizetype at = text.indexOf("\nSigCgt:");
    if (at < 0)
        return false;
    bool ok = false;
    const quint64 mask =
        text.mid(at + 8, text.indexOf('\n', at + 1) - at - 8).trimmed().toULongLong(&ok, 16);
    return ok && (mask & (quint64(1) << (SIGTERM - 1))) != 0;
}

struct Start {
    bool ok = false;
    double readySeconds = 0;
    qint64 peakKiB = -1;
};

// Starts the binary, waits until it is ready, ends it as a logout would.
Start startBinary(const QString &home) {
    std::vector<QByteArray> variables;
    for (char **variable = environ; *variable; ++variable) {
        const QByteArray entry(*variable);
        if (!entry.startsWith("HOME=") && !entry.startsWith("XDG_CONFIG_HOME=") &&
            !entry.startsWith("QT_QPA_PLATFORM="))
            variables.push_back(entry);
    }
    variables.push_back("HOME=" + QFile::encodeName(home));
    variables.push_back("XDG_CONFIG_HOME=" + QFile::encodeName(home) + "/.config");
    variables.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char *> environment;
    for (QByteArray &variable : variables)
        environment.push_back(variable.data());
    environment.push_back(nullptr);
    QByteArray program = MOBIVERT_BINARY;
    char *argv[] = {program.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2})
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
    Start start;
    QElapsedTimer timer;
    timer.start();
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environment.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return start;
    bool ready = false;
    while (!(ready = catchesTerm(pid)) && timer.elapsed() < 60000) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return start; // ended before it was ready
        QThread::usleep(500);
    }
    start.readySeconds = double(timer.nsecsElapsed()) / 1e9;
    // Its own peak so far (the figure wait4 reports would include this
    // process, which the child shared until it started the program).
    start.peakKiB = statusKiB(pid, "VmHWM:");
    ::kill(pid, ready ? SIGTERM : SIGKILL);
    int status = 0;
    if (waitpid(pid, &status, 0) == pid)
        start.ok = ready && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return start;
}

// The same steps in this process: the window built, loaded and shown, and
// the events that showing it posts handled.
double startInProcess(const QString &home) {
    const BenchTools::HomeForBench ownHome(home);
    QElapsedTimer timer;
    timer.start();
    frmMain window;
    window.Form_Load(QString());
    window.show();
    QCoreApplication::processEvents();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    window.hide();
    return seconds;
}

} // namespace

QStringList RunStartupBench() {
    QTemporaryDir home;
    if (!home.isValid())
        return {QStringLiteral("skipped: no temporary folder")};
    const int runs = BenchTools::runCount(7);

    std::vector<double> binary;
    qint64 binaryPeak = -1;
    for (int i = 0; i < runs + 1; ++i) {
        const Start start = startBinary(home.path());
        if (!start.ok)
            return {QStringLiteral("failed: the mobivert binary did not start and quit cleanly")};
        if (i > 0) // the first start fills the disk cache
            binary.push_back(start.readySeconds);
        binaryPeak = std::max(binaryPeak, start.peakKiB);
    }

    std::vector<double> inProcess;
    startInProcess(home.path());
    for (int i = 0; i < runs; ++i)
        inProcess.push_back(startInProcess(home.path()));

    QList<QStringList> rows{{QStringLiteral("start-up to ready"), QStringLiteral("best ms"),
                             QStringLiteral("median ms"), QStringLiteral("peak MiB")}};
    rows.append({QStringLiteral("mobivert binary (process start to waiting for the user)"),
                 BenchTools::number(BenchTools::best(binary) * 1000, 0),
                 BenchTools::number(BenchTools::median(binary) * 1000, 0),
                 BenchTools::mib(binaryPeak)});
    rows.append({QStringLiteral("main window in this process (built, loaded, shown)"),
                 BenchTools::number(BenchTools::best(inProcess) * 1000, 0),
                 BenchTools::number(BenchTools::median(inProcess) * 1000, 0), QStringLiteral("-")});
    QStringList lines = BenchTools::table(rows);
    lines << QStringLiteral("%1 runs each, after one to warm up; offscreen platform").arg(runs);
    return lines;
}
