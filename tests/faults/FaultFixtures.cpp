#include "tests/faults/FaultFixtures.h"

#include "core/convert/BatchFiles.h"
#include "core/convert/ShellQuote.h"
#include "core/platform/ApplicationFolder.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Processes.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonObject>

#include <cmath>

ApplicationFolderCopy::ApplicationFolderCopy() {
    const QString source = TestPaths::appDir();
    bool ok = m_folder.isValid() && QDir().mkpath(path() + u"/Profiles") &&
              QDir().mkpath(path() + u"/Components");
    const QStringList profiles =
        QDir(source + u"/Profiles").entryList({QStringLiteral("*.ini")}, QDir::Files);
    for (const QString &name : profiles)
        ok = ok && QFile::copy(source + u"/Profiles/" + name, path() + u"/Profiles/" + name);
    for (const char16_t *name : {u"BrannockVideoConverter.dll", u"TrackDrop.exe"}) {
        const QString file = u"/Components/" + QString::fromUtf16(name);
        ok = ok && QFile::copy(source + file, path() + file);
    }
    m_valid = ok && !profiles.isEmpty();
    SetApplicationFolder(path());
}

ApplicationFolderCopy::~ApplicationFolderCopy() {
    SetApplicationFolder(TestPaths::appDir());
}

QString ApplicationFolderCopy::profile(const QString &device) const {
    return path() + u"/Profiles/" + device + u".ini";
}

bool ApplicationFolderCopy::replaceConverter(const QString &script) {
    const QString converter = path() + u"/Components/BrannockVideoConverter.dll";
    const QString real = path() + u"/Components/real-converter";
    if (!QFile::exists(real) && !QFile::rename(converter, real))
        return false;
    QString text = script;
    text.replace(QStringLiteral("REAL_CONVERTER"), ShellQuote(real));
    QFile::remove(converter);
    return WriteFileBytes(converter, "#!/bin/sh\n" + text.toUtf8() + '\n') &&
           QFile::setPermissions(converter, QFile::permissions(real));
}

QStringList FindNamed(const QString &folder, const QString &name) {
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (it.fileName() == name)
            found << it.filePath();
    }
    return found;
}

QString IncompleteOutput(const QString &path, double seconds) {
    if (!QFile::exists(path))
        return QStringLiteral("missing");
    const QJsonObject probe = Probe(path);
    if (ProbeStream(probe, QStringLiteral("video")).isEmpty())
        return QStringLiteral("no video stream");
    if (ProbeStream(probe, QStringLiteral("audio")).isEmpty())
        return QStringLiteral("no audio stream");
    bool ok = false;
    const double duration = probe.value(QStringLiteral("format"))
                                .toObject()
                                .value(QStringLiteral("duration"))
                                .toString()
                                .toDouble(&ok);
    if (!ok || std::abs(duration - seconds) > 0.1)
        return QStringLiteral("lasts %1 s instead of %2 s").arg(duration).arg(seconds);
    return {};
}

QList<pid_t> ConverterProcesses(pid_t processGroup) {
    QList<pid_t> found;
    for (const ProcessEntry &process : ListProcesses()) {
        if (process.processGroup == processGroup && process.state != 'Z' &&
            ImageNameMatches(process.imageName, QString::fromUtf16(BatchFiles::ConverterName)))
            found << process.pid;
    }
    return found;
}

bool CatchesSignal(pid_t pid, int signal) {
    const QByteArray status = ReadFileBytes(u"/proc/" + QString::number(pid) + u"/status");
    const qsizetype at = status.indexOf("\nSigCgt:");
    if (at < 0)
        return false;
    const qsizetype end = status.indexOf('\n', at + 1);
    bool ok = false;
    const quint64 mask = status.mid(at + 8, end - at - 8).trimmed().toULongLong(&ok, 16);
    return ok && (mask & (quint64(1) << (signal - 1))) != 0;
}
