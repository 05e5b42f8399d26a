#include "bench/BenchTools.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>

#include <algorithm>
#include <malloc.h>
#include <sys/resource.h>
#include <thread>

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

double processCpuSeconds() {
    return cpuSeconds(RUSAGE_SELF);
}

double childrenCpuSeconds() {
    return cpuSeconds(RUSAGE_CHILDREN);
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
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    const QString seconds = QString::number(duration);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-nostdin"),
                  QStringLiteral("-loglevel"),
                  QStringLiteral("error"),
                  QStringLiteral("-y"),
                  QStringLiteral("-f"),
                  QStringLiteral("lavfi"),
                  QStringLiteral("-i"),
                  QStringLiteral("testsrc2=size=%1:rate=25:duration=%2").arg(size, seconds),
                  QStringLiteral("-f"),
                  QStringLiteral("lavfi"),
                  QStringLiteral("-i"),
                  QStringLiteral("sine=frequency=1000:sample_rate=48000:duration=%1").arg(seconds),
                  QStringLiteral("-ac"),
                  QStringLiteral("2"),
                  QStringLiteral("-c:v"),
                  QStringLiteral("mpeg4"),
                  QStringLiteral("-q:v"),
                  QStringLiteral("3"),
                  QStringLiteral("-c:a"),
                  QStringLiteral("libmp3lame"),
                  QStringLiteral("file:") + path});
    if (!ffmpeg.waitForFinished(600000) || ffmpeg.exitStatus() != QProcess::NormalExit ||
        ffmpeg.exitCode() != 0)
        return QStringLiteral("ffmpeg could not make a clip: ") +
               QString::fromUtf8(ffmpeg.readAll()).trimmed();
    return {};
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

} // namespace BenchTools
