#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Small measuring tools shared by the sections.
namespace BenchTools {

// Memory of this process from /proc/self/status, in KiB (-1 when unknown).
qint64 residentKiB(); // VmRSS
qint64 peakKiB();     // VmHWM
// Starts a new peak: freed memory goes back to the system, and the kernel
// sets the high-water mark to the current size.
void resetPeak();

// CPU time (user and system) of this process, and of the children it has
// waited for, in seconds.
double processCpuSeconds();
double childrenCpuSeconds();

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

// CPU model, cores, memory and system of this machine, one line.
QString machineDescription();

} // namespace BenchTools
