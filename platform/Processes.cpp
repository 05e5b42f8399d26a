#include "platform/Processes.h"

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

} // namespace

QList<ProcessEntry> ListProcesses() {
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
        process.imageName = imageNameOf(entry);
        processes.append(process);
    }
    return processes;
}

bool ImageNameMatches(const QString &imageName, const QString &name) {
    return !name.isEmpty() && imageName.endsWith(name, Qt::CaseInsensitive);
}

bool ProcessGroupAlive(pid_t processGroup) {
    if (processGroup <= 0 || (::kill(-processGroup, 0) != 0 && errno != EPERM))
        return false;
    for (const ProcessEntry &process : ListProcesses()) {
        if (process.processGroup == processGroup && process.state != 'Z')
            return true;
    }
    return false;
}

void KillProcessByName(const QString &name, pid_t processGroup, int graceMs) {
    if (name.isEmpty() || processGroup <= 0)
        return;
    const auto matching = [&] {
        QList<pid_t> pids;
        for (const ProcessEntry &process : ListProcesses()) {
            if (process.processGroup == processGroup && process.state != 'Z' &&
                ImageNameMatches(process.imageName, name))
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
