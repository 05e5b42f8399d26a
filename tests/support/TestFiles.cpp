#include "tests/support/TestFiles.h"

#include "core/platform/Processes.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

QByteArray ReadFileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFileBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QStringList FilesIn(const QString &folder) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

QStringList WorkingFiles(const QString &dataFolder) {
    return QDir(dataFolder)
        .entryList({QStringLiteral("BVC*.bat"), QStringLiteral("BVC.lock"), QStringLiteral("*.exe"),
                    QStringLiteral("*.dll"), QStringLiteral("TrackDrop.ipod")},
                   QDir::Files | QDir::Hidden);
}

QString ProcessStatesMentioning(const QString &text) {
    QString states;
    const QByteArray wanted = text.toUtf8();
    for (const ProcessEntry &process : ListProcesses()) {
        if (process.state != 'Z' && process.pid != ::getpid() &&
            ReadFileBytes(u"/proc/" + QString::number(process.pid) + u"/cmdline").contains(wanted))
            states += QLatin1Char(process.state);
    }
    return states;
}

pid_t StoppedProcessMentioning(const QString &program, const QString &text) {
    for (const ProcessEntry &process : ListProcesses()) {
        const QByteArray commandLine =
            ReadFileBytes(u"/proc/" + QString::number(process.pid) + u"/cmdline");
        if (process.state == 'T' && commandLine.contains(program.toUtf8()) &&
            commandLine.contains(text.toUtf8()))
            return process.pid;
    }
    return 0;
}

QStringList ProcessesMentioning(const QString &text) {
    QStringList found;
    const QByteArray wanted = text.toUtf8();
    for (const ProcessEntry &process : ListProcesses()) {
        if (process.state == 'Z' || process.pid == ::getpid())
            continue;
        QByteArray commandLine =
            ReadFileBytes(u"/proc/" + QString::number(process.pid) + u"/cmdline");
        if (!commandLine.contains(wanted))
            continue;
        commandLine.replace('\0', ' ');
        found.append(QString::fromUtf8(commandLine.trimmed()));
    }
    return found;
}
