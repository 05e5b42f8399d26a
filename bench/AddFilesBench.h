#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Adding 1,000 small media files to the list, measured five ways: the media
// queries alone on one thread and on a worker thread per core, the whole add
// through the main window (rows, progress display, events), mobivert-cli
// --info, and the mediainfo command-line tool run once over the same files,
// each in every round and the best of each kept; the table sets every rate
// against the tool's.
struct AddFilesMeasurement {
    QString name;
    int files = 0;
    double seconds = 0;   // wall-clock time
    qint64 peakKiB = -1;  // peak resident memory of the process doing the work
    qint64 extraKiB = -1; // peak above the process's size when the run began
    QString note;         // why a measurement is missing, or what it includes

    double filesPerSecond() const { return seconds > 0 ? files / seconds : 0; }
};

// Makes the files in a temporary folder, measures, removes them. A
// QApplication must exist for the window measurement; without one it is
// skipped with a note. Settings and prompts are kept away from the user's.
QList<AddFilesMeasurement> RunAddFilesBench(int fileCount = 1000);

// The measurements as table lines (header first).
QStringList AddFilesBenchTable(const QList<AddFilesMeasurement> &measurements);

// The bench section: $MOBIVERT_BENCH_FILES files (default 1000), as a table.
QStringList RunAddFilesBenchSection();
