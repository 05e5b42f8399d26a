#pragma once

#include "core/base/Prompts.h"
#include "core/filelist/FileListRow.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// Small measuring tools shared by the sections.
namespace BenchTools {

// Memory of this process from /proc/self/status, in KiB (-1 when unknown).
qint64 residentKiB(); // VmRSS
qint64 peakKiB();     // VmHWM
// Starts a new peak: freed memory goes back to the system, and the kernel
// sets the high-water mark to the current size.
void resetPeak();

// The cost of a piece of work done in this process: its time, the peak
// resident memory, and the peak above the size when the work began.
struct WorkCost {
    double seconds = 0;
    qint64 peakKiB = -1;
    qint64 extraKiB = -1;
};
WorkCost measureWork(const std::function<void()> &work);

// CPU time (user and system) of this process, and of the children it has
// waited for, in seconds.
double processCpuSeconds();
double childrenCpuSeconds();

// A program run without a shell, its standard streams on /dev/null, and
// waited for. The first argument names the program: a path, or a name
// looked up on PATH.
struct ProgramRun {
    bool started = false;
    bool ok = false; // ended by itself with status 0
    double wallSeconds = 0;
    double cpuSeconds = 0; // user and system time of the program and the children it waited for
    qint64 peakKiB = -1;   // the program's own peak resident memory
};
// `started`, when given, runs with the program's pid once it has started;
// `errorFile`, when given, receives the program's standard error instead.
ProgramRun runQuietly(const std::vector<std::string> &arguments,
                      const std::function<void(pid_t)> &started = {},
                      const std::string &errorFile = {});

double best(const std::vector<double> &values);
double median(std::vector<double> values);

// $MOBIVERT_BENCH_RUNS when set to a positive number, else the fallback.
int runCount(int fallback);

// Lines of a table: the header and rows are padded to the widths of their
// widest cell; the first column is left-aligned, the others right-aligned.
QStringList table(const QList<QStringList> &rows);

QString mib(qint64 kib);                                                    // "12.3"
QString number(double value, int decimals);                                 // fixed decimals
QString makeClip(const QString &path, const QString &size, double seconds); // "" or an error
// Makes a clip at `path` with ffmpeg (`program`) from lavfi graphs: the
// picture, and the sound unless empty; `encoding` holds the output's options.
// "" or why it could not.
QString makeLavfiClip(const QString &path, const QString &picture, const QString &sound,
                      const QStringList &encoding,
                      const QString &program = QStringLiteral("ffmpeg"));

// The list's row of the file at `path`, as the window reads it (libmediainfo).
FileListRow listRow(const QString &path);

// The load averages of the last 1, 5 and 15 minutes ("1.52 0.98 0.60").
QString loadAverage();

// CPU model, cores, memory and system of this machine, one line.
QString machineDescription();

// Installed while it lives: answers every question with No and shows
// nothing, so that a benchmark never waits for a click.
class SilentPrompts : public Prompts {
public:
    SilentPrompts() { SetPrompts(this); }
    ~SilentPrompts() override { SetPrompts(nullptr); }
    SilentPrompts(const SilentPrompts &) = delete;
    SilentPrompts &operator=(const SilentPrompts &) = delete;

    void message(QWidget *, Icon, const QString &, const QString &) override {}
    bool question(QWidget *, const QString &, const QString &) override { return false; }
    int choice(QWidget *, const QString &, const QStringList &, const QString &) override {
        return -1;
    }
    QStringList openFiles(QWidget *, const QString &, const QString &, const QString &) override {
        return {};
    }
    QString chooseFolder(QWidget *, const QString &, const QString &) override { return {}; }
    void openUrl(const QUrl &) override {}
    int exec(QDialog *) override { return 0; }
};

// Points HOME (and the configuration folder in it) at `home` and the
// application folder at the build's while it lives.
class HomeForBench final {
public:
    explicit HomeForBench(const QString &home);
    ~HomeForBench();
    HomeForBench(const HomeForBench &) = delete;
    HomeForBench &operator=(const HomeForBench &) = delete;

private:
    QByteArray m_home, m_config;
};

} // namespace BenchTools
