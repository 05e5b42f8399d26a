#include "bench/ConsoleBench.h"

#include "app/convert/ConsoleLogView.h"
#include "bench/BenchTools.h"
#include "core/convert/ConversionProgress.h"
#include "core/convert/ShellQuote.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr qsizetype MiB = 1024 * 1024;
constexpr qsizetype ChunkBytes = 8192; // what the launcher reads at a time

// The console output of a real batch: the shell's echo of each line, and
// the converter's Duration, progress and summary lines.
struct Recording {
    QByteArray bytes;
    QString converter;
    QList<BatchRow> rows;
};

Recording recordBatch(const QString &folder, QString *error) {
    Recording recording;
    recording.converter = QStringLiteral(MOBIVERT_CONVERTER_PATH);
    QByteArray batch;
    for (int i = 1; i <= 3; ++i) {
        const QString clip = folder + QStringLiteral("/in %1.avi").arg(i);
        *error = BenchTools::makeClip(clip, QStringLiteral("320x240"), 4);
        if (!error->isEmpty())
            return {};
        const QString output = folder + QStringLiteral("/out %1.mp4").arg(i);
        batch += (ShellQuote(recording.converter) + u" -i " + ShellQuote(clip) +
                  u" -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -acodec aac -ab 128kbps -ar 44100"
                  u" -ac 2 -y " +
                  ShellQuote(output) + u'\n')
                     .toUtf8();
        recording.rows.append({clip, 4});
    }
    const QString batchPath = folder + u"/BVC.bat";
    QFile file(batchPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(batch) != batch.size()) {
        *error = QStringLiteral("cannot write the batch file");
        return {};
    }
    file.close();
    QProcess shell;
    shell.setProcessChannelMode(QProcess::MergedChannels);
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-v"), batchPath});
    if (!shell.waitForFinished(300000) || shell.exitCode() != 0) {
        *error = QStringLiteral("the recorded batch failed");
        return {};
    }
    recording.bytes = shell.readAll();
    if (recording.bytes.count("Lsize=") != 3) {
        *error = QStringLiteral("the recorded batch did not convert its three files");
        return {};
    }
    return recording;
}

// Output of the given size and the rows it belongs to.
struct Stream {
    QString name;
    QByteArray bytes;
    QList<BatchRow> rows;
};

// The recorded batch, over and over: many short files.
Stream repeatedBatch(const Recording &recording, qsizetype size) {
    Stream stream{QStringLiteral("batch output, file after file"), {}, {}};
    stream.bytes.reserve(size + recording.bytes.size());
    while (stream.bytes.size() < size) {
        stream.bytes += recording.bytes;
        stream.rows += recording.rows;
    }
    return stream;
}

// The first recorded file's start, then progress lines in the converter's
// form for as long as it takes: one very long conversion.
Stream oneLongFile(const Recording &recording, qsizetype size) {
    Stream stream{QStringLiteral("one long file's progress"), {}, {}};
    const qsizetype firstProgress = recording.bytes.indexOf("frame=");
    stream.bytes = recording.bytes.first(firstProgress);
    stream.bytes.reserve(size + 256);
    double seconds = 0;
    for (int frame = 1; stream.bytes.size() < size; frame += 12) {
        seconds = frame / 25.0;
        char line[128];
        const int length = std::snprintf(
            line, sizeof line,
            "frame=%5d fps=%3d q=%3.1f size=%8.0fkB time=%0.2f bitrate=%6.1fkbits/s    \r", frame,
            48, 2.0, seconds * 95.0, seconds, 760.0);
        stream.bytes.append(line, length);
    }
    stream.rows.append({recording.rows.first().inputPath, qint64(seconds) + 1});
    return stream;
}

using Cost = BenchTools::WorkCost;

// The best time of a few runs (other load on the machine only adds time),
// and the highest peak.
Cost measure(int runs, const std::function<void()> &work) {
    Cost cost;
    for (int run = 0; run < runs; ++run) {
        const Cost one = BenchTools::measureWork(work);
        cost.seconds = run == 0 ? one.seconds : std::min(cost.seconds, one.seconds);
        cost.peakKiB = std::max(cost.peakKiB, one.peakKiB);
        cost.extraKiB = std::max(cost.extraKiB, one.extraKiB);
    }
    return cost;
}

template<typename Feed>
void inChunks(const QByteArray &bytes, Feed feed) {
    for (qsizetype at = 0; at < bytes.size(); at += ChunkBytes)
        feed(QByteArrayView(bytes).sliced(at, std::min(ChunkBytes, bytes.size() - at)));
}

Cost feedProgress(int runs, const Recording &recording, const Stream &stream, int *files) {
    return measure(runs, [&] {
        ConversionProgress progress(recording.converter, QString(), stream.rows);
        inChunks(stream.bytes, [&](QByteArrayView chunk) { progress.feed(chunk); });
        progress.finish();
        *files = progress.currentFile();
    });
}

Cost feedLogView(int runs, const Stream &stream, int *lines) {
    return measure(runs, [&] {
        ConsoleLogView view;
        inChunks(stream.bytes, [&](QByteArrayView chunk) { view.appendOutput(chunk); });
        *lines = view.blockCount();
    });
}

} // namespace

QStringList RunConsoleBench() {
    QTemporaryDir folder;
    QString error;
    const Recording recording = folder.isValid() ? recordBatch(folder.path(), &error) : Recording();
    if (recording.bytes.isEmpty())
        return {QStringLiteral("skipped: ") + error};

    QList<QStringList> rows{{QStringLiteral("output"), QStringLiteral("fed to"),
                             QStringLiteral("MB"), QStringLiteral("seconds"),
                             QStringLiteral("MB/s"), QStringLiteral("peak MiB"),
                             QStringLiteral("extra MiB"), QStringLiteral("result")}};
    QStringList growth;
    const QList<qsizetype> sizes{10 * MiB, 100 * MiB};
    for (const auto makeStream : {repeatedBatch, oneLongFile}) {
        double progressPerMiB[2] = {0, 0}, viewPerMiB[2] = {0, 0};
        QString name;
        for (int s = 0; s < 2; ++s) {
            const Stream stream = makeStream(recording, sizes[s]);
            name = stream.name;
            const double megabytes = double(stream.bytes.size()) / double(MiB);
            const auto row = [&](const QString &consumer, const Cost &cost, const QString &result) {
                rows.append({stream.name, consumer, BenchTools::number(megabytes, 0),
                             BenchTools::number(cost.seconds, 2),
                             BenchTools::number(megabytes / cost.seconds, 0),
                             BenchTools::mib(cost.peakKiB), BenchTools::mib(cost.extraKiB),
                             result});
            };
            int files = 0;
            // The log box takes long at 100 MB, so it runs once there.
            const int runs = BenchTools::runCount(3);
            const Cost progress = feedProgress(runs, recording, stream, &files);
            row(QStringLiteral("ConversionProgress"), progress,
                QStringLiteral("%1 files followed").arg(files));
            int lines = 0;
            const Cost view = feedLogView(s == 0 ? runs : 1, stream, &lines);
            row(QStringLiteral("ConsoleLogView"), view, QStringLiteral("%1 lines kept").arg(lines));
            progressPerMiB[s] = progress.seconds / megabytes;
            viewPerMiB[s] = view.seconds / megabytes;
        }
        const auto verdict = [](double ratio) {
            return ratio <= 1.3 ? QStringLiteral("linear") : QStringLiteral("NOT linear");
        };
        const double progressRatio = progressPerMiB[1] / progressPerMiB[0];
        const double viewRatio = viewPerMiB[1] / viewPerMiB[0];
        growth << QStringLiteral("%1: time per MB at 100 MB / at 10 MB: ConversionProgress %2 "
                                 "(%3), ConsoleLogView %4 (%5)")
                      .arg(name, BenchTools::number(progressRatio, 2), verdict(progressRatio),
                           BenchTools::number(viewRatio, 2), verdict(viewRatio));
    }
    QStringList lines = BenchTools::table(rows);
    lines << QStringLiteral("fed in chunks of %1 bytes, as the launcher reads; best of %2 runs "
                            "(the log box at 100 MB: one run); extra = peak above the size "
                            "before the run")
                 .arg(ChunkBytes)
                 .arg(BenchTools::runCount(3));
    lines << growth;
    return lines;
}
