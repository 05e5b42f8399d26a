#include "bench/BenchTools.h"

#include "core/filelist/VideoFileInfo.h"
#include "core/platform/ApplicationFolder.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>

#include <QElapsedTimer>

#include <algorithm>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>

extern char **environ;

namespace BenchTools {

namespace {

qint64 statusKiB(const char *field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(status.readAll());
    const QRegularExpression line(QString::fromLatin1(field) + QStringLiteral(":\\s+(\\d+)"));
    const QRegularExpressionMatch match = line.match(text);
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

double seconds(const timeval &time) {
    return double(time.tv_sec) + double(time.tv_usec) / 1e6;
}

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

QString firstMatch(const QString &file, const QString &pattern) {
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return {};
    const QRegularExpressionMatch match =
        QRegularExpression(pattern, QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(input.readAll()));
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

} // namespace

qint64 residentKiB() {
    return statusKiB("VmRSS");
}

qint64 peakKiB() {
    return statusKiB("VmHWM");
}

void resetPeak() {
    // Memory freed by earlier work goes back to the system first, so that
    // what a run needs shows as growth rather than reuse.
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

WorkCost measureWork(const std::function<void()> &work) {
    WorkCost cost;
    resetPeak();
    const qint64 before = residentKiB();
    QElapsedTimer timer;
    timer.start();
    work();
    cost.seconds = double(timer.nsecsElapsed()) / 1e9;
    cost.peakKiB = peakKiB();
    if (before >= 0 && cost.peakKiB >= 0)
        cost.extraKiB = cost.peakKiB - before;
    return cost;
}

double processCpuSeconds() {
    return cpuSeconds(RUSAGE_SELF);
}

double childrenCpuSeconds() {
    return cpuSeconds(RUSAGE_CHILDREN);
}

ProgramRun runQuietly(const std::vector<std::string> &arguments,
                      const std::function<void(pid_t)> &started, const std::string &errorFile) {
    ProgramRun run;
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1})
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
    if (errorFile.empty())
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_RDWR, 0);
    else
        posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = -1;
    run.started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!run.started)
        return run;
    if (started)
        started(pid);
    int status = 0;
    rusage usage{};
    // wait4 reports the resources of that one child alone.
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.wallSeconds = double(timer.nsecsElapsed()) / 1e9;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.peakKiB = usage.ru_maxrss; // kilobytes on Linux
    return run;
}

double best(const std::vector<double> &values) {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

int runCount(int fallback) {
    bool ok = false;
    const int runs = qEnvironmentVariableIntValue("MOBIVERT_BENCH_RUNS", &ok);
    return ok && runs > 0 ? runs : fallback;
}

QStringList table(const QList<QStringList> &rows) {
    QList<qsizetype> widths;
    for (const QStringList &row : rows) {
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (widths.size() <= i)
                widths.append(0);
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    QStringList lines;
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (i > 0)
                line += QStringLiteral("  ");
            line += i == 0 ? row[i].leftJustified(widths[i]) : row[i].rightJustified(widths[i]);
        }
        lines << line;
    }
    return lines;
}

QString mib(qint64 kib) {
    return kib < 0 ? QStringLiteral("-") : QString::number(double(kib) / 1024.0, 'f', 1);
}

QString number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QString makeClip(const QString &path, const QString &size, double duration) {
    const QString seconds = QString::number(duration);
    return makeLavfiClip(
        path, QStringLiteral("testsrc2=size=%1:rate=25:duration=%2").arg(size, seconds),
        QStringLiteral("sine=frequency=1000:sample_rate=48000:duration=%1").arg(seconds),
        QStringLiteral("-ac 2 -c:v mpeg4 -q:v 3 -c:a libmp3lame").split(u' '));
}

QString makeLavfiClip(const QString &path, const QString &picture, const QString &sound,
                      const QStringList &encoding, const QString &program) {
    QStringList arguments = QStringLiteral("-nostdin -loglevel error -y -f lavfi -i").split(u' ');
    arguments << picture;
    if (!sound.isEmpty())
        arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                  << sound;
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(program, arguments << encoding << QStringLiteral("file:") + path);
    if (!ffmpeg.waitForFinished(-1) || ffmpeg.exitStatus() != QProcess::NormalExit ||
        ffmpeg.exitCode() != 0)
        return QStringLiteral("ffmpeg could not make a clip: ") +
               QString::fromUtf8(ffmpeg.readAll()).trimmed();
    return {};
}

FileListRow listRow(const QString &path) {
    const VideoFileInfo info = ExamineVideoFile(path);
    FileListRow row;
    row.Filename = info.Filename;
    row.Codec = info.Codec;
    row.Duration = info.Duration;
    row.VideoSize = info.VideoSize;
    row.Filepath = path;
    return row;
}

QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(u' ', 0, 2)
                                          : QStringLiteral("?");
}

QString machineDescription() {
    const QString cpu =
        firstMatch(QStringLiteral("/proc/cpuinfo"), QStringLiteral("^model name\\s*:(.*)$"));
    const QString memory =
        firstMatch(QStringLiteral("/proc/meminfo"), QStringLiteral("^MemTotal:\\s*(\\d+)"));
    const QString system = firstMatch(QStringLiteral("/etc/os-release"),
                                      QStringLiteral("^PRETTY_NAME=\"?([^\"\\n]*)\"?$"));
    return QStringLiteral("%1, %2 cores, %3 GiB memory, %4, kernel %5")
        .arg(cpu.isEmpty() ? QStringLiteral("unknown CPU") : cpu)
        .arg(std::thread::hardware_concurrency())
        .arg(QString::number(memory.toDouble() / 1024.0 / 1024.0, 'f', 1),
             system.isEmpty() ? QSysInfo::prettyProductName() : system, QSysInfo::kernelVersion());
}

HomeForBench::HomeForBench(const QString &home)
    : m_home(qgetenv("HOME"))
    , m_config(qgetenv("XDG_CONFIG_HOME")) {
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home) + "/.config");
    SetApplicationFolder(QStringLiteral(MOBIVERT_APP_DIR));
}

HomeForBench::~HomeForBench() {
    SetApplicationFolder(QString());
    qputenv("HOME", m_home);
    qputenv("XDG_CONFIG_HOME", m_config);
}

} // namespace BenchTools
