#include "core/platform/Processes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <csignal>

namespace {

// Fields of /proc/PID/stat after the command name, which is in parentheses
// and may itself hold blanks and parentheses.
bool readStat(const QString &pidText, ProcessEntry &process) {
    QFile stat(QStringLiteral("/proc/") + pidText + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0)
        return false;
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    if (fields.size() < 3)
        return false;
    process.state = fields[0].isEmpty() ? '?' : fields[0][0];
    process.parentPid = fields[1].toInt();
    process.processGroup = fields[2].toInt();
    return true;
}

QString imageNameOf(const QString &pidText) {
    const QString base = QStringLiteral("/proc/") + pidText;
    QString target = QFile::symLinkTarget(base + QStringLiteral("/exe"));
    // A replaced or deleted executable shows " (deleted)" after its path.
    if (target.endsWith(u" (deleted)"))
        target.chop(10);
    if (!target.isEmpty())
        return QFileInfo(target).fileName();
    QFile commandLine(base + QStringLiteral("/cmdline"));
    if (!commandLine.open(QIODevice::ReadOnly))
        return {};
    const QByteArray first = commandLine.readAll().split('\0').value(0);
    return QFileInfo(QFile::decodeName(first)).fileName();
}

// The processes whose /proc entry can be read, all of them or those of one
// process group. Only the processes kept get their image name read, so a
// look at one group does not read the executable of every process.
QList<ProcessEntry> readProcesses(pid_t onlyGroup) {
    QList<ProcessEntry> processes;
    const QStringList entries =
        QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool numeric = false;
        const pid_t pid = entry.toInt(&numeric);
        if (!numeric)
            continue;
        ProcessEntry process;
        process.pid = pid;
        if (!readStat(entry, process))
            continue;
        if (onlyGroup > 0 && process.processGroup != onlyGroup)
            continue;
        process.imageName = imageNameOf(entry);
        processes.append(process);
    }
    return processes;
}

// The processes of the group that still run (zombies have ended).
QList<ProcessEntry> runningMembers(pid_t processGroup) {
    QList<ProcessEntry> members = readProcesses(processGroup);
    members.removeIf([](const ProcessEntry &process) { return process.state == 'Z'; });
    return members;
}

} // namespace

QList<ProcessEntry> ListProcesses() {
    return readProcesses(0);
}

bool ImageNameMatches(const QString &imageName, const QString &name) {
    return !name.isEmpty() && imageName.endsWith(name, Qt::CaseInsensitive);
}

bool ProcessGroupAlive(pid_t processGroup) {
    if (processGroup <= 0 || (::kill(-processGroup, 0) != 0 && errno != EPERM))
        return false;
    return !runningMembers(processGroup).isEmpty();
}

void KillProcessByName(const QString &name, pid_t processGroup, int graceMs) {
    if (name.isEmpty() || processGroup <= 0)
        return;
    const auto matching = [&] {
        QList<pid_t> pids;
        for (const ProcessEntry &process : runningMembers(processGroup)) {
            if (ImageNameMatches(process.imageName, name))
                pids.append(process.pid);
        }
        return pids;
    };

    QList<pid_t> pids = matching();
    for (const pid_t pid : pids)
        ::kill(pid, SIGTERM);
    QElapsedTimer waited;
    waited.start();
    while (!pids.isEmpty() && waited.elapsed() < graceMs) {
        QThread::msleep(20);
        pids = matching();
    }
    for (const pid_t pid : pids)
        ::kill(pid, SIGKILL);
}
