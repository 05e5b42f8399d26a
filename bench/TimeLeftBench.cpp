#include "bench/TimeLeftBench.h"

#include "bench/BenchTools.h"
#include "core/convert/BatchBuilder.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/BatchTimeLeft.h"
#include "core/convert/ConversionProgress.h"
#include "core/convert/ConvertFiles.h"
#include "core/convert/FilesAtOnce.h"
#include "core/convert/RowCost.h"
#include "core/filelist/VideoFileInfo.h"
#include "core/platform/ProcessorCores.h"
#include "core/profiles/ProfileSettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int SampleMs = 500;
// Scored from this share of the batch's time on.
constexpr double ScoredFrom = 0.25;
// In the last seconds a figure in whole seconds says little: samples with
// less real time left than this are not scored.
constexpr double LeastSecondsLeft = 3;

struct Source {
    QString name;
    QString size;
    double seconds;
    QStringList video; // ffmpeg's options for the picture
};

const QList<Source> &sources() {
    static const QList<Source> list = {
        {QStringLiteral("240p MPEG-4.mp4"),
         QStringLiteral("426x240"),
         14,
         {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-q:v"),
          QStringLiteral("3")}},
        {QStringLiteral("1080p HEVC.mp4"),
         QStringLiteral("1920x1080"),
         6,
         {QStringLiteral("-c:v"), QStringLiteral("libx265"), QStringLiteral("-preset"),
          QStringLiteral("ultrafast"), QStringLiteral("-x265-params"),
          QStringLiteral("log-level=error")}},
        {QStringLiteral("360p H.264.mp4"),
         QStringLiteral("640x360"),
         13,
         {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
          QStringLiteral("veryfast")}},
        {QStringLiteral("480p MPEG-2.mpg"),
         QStringLiteral("854x480"),
         10,
         {QStringLiteral("-c:v"), QStringLiteral("mpeg2video"), QStringLiteral("-b:v"),
          QStringLiteral("4M")}},
        {QStringLiteral("720p HEVC.mp4"),
         QStringLiteral("1280x720"),
         8,
         {QStringLiteral("-c:v"), QStringLiteral("libx265"), QStringLiteral("-preset"),
          QStringLiteral("ultrafast"), QStringLiteral("-x265-params"),
          QStringLiteral("log-level=error")}},
        {QStringLiteral("1080p MPEG-2.mpg"),
         QStringLiteral("1920x1080"),
         6,
         {QStringLiteral("-c:v"), QStringLiteral("mpeg2video"), QStringLiteral("-b:v"),
          QStringLiteral("8M")}},
        {QStringLiteral("480p HEVC.mp4"),
         QStringLiteral("854x480"),
         10,
         {QStringLiteral("-c:v"), QStringLiteral("libx265"), QStringLiteral("-preset"),
          QStringLiteral("ultrafast"), QStringLiteral("-x265-params"),
          QStringLiteral("log-level=error")}},
        {QStringLiteral("720p H.264.mp4"),
         QStringLiteral("1280x720"),
         8,
         {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
          QStringLiteral("veryfast")}},
        {QStringLiteral("1080p H.264.mp4"),
         QStringLiteral("1920x1080"),
         6,
         {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
          QStringLiteral("veryfast")}},
        {QStringLiteral("240p H.264.mp4"),
         QStringLiteral("426x240"),
         19,
         {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
          QStringLiteral("veryfast")}},
    };
    return list;
}

// A clip of moving test picture and a tone; MPEG files carry MPEG sound.
QString makeSource(const QString &path, const Source &source) {
    const QString seconds = QString::number(source.seconds);
    QStringList arguments{
        QStringLiteral("-nostdin"),
        QStringLiteral("-loglevel"),
        QStringLiteral("error"),
        QStringLiteral("-y"),
        QStringLiteral("-f"),
        QStringLiteral("lavfi"),
        QStringLiteral("-i"),
        QStringLiteral("testsrc2=size=%1:rate=25:duration=%2").arg(source.size, seconds),
        QStringLiteral("-f"),
        QStringLiteral("lavfi"),
        QStringLiteral("-i"),
        QStringLiteral("sine=frequency=440:sample_rate=48000:duration=") + seconds,
        QStringLiteral("-pix_fmt"),
        QStringLiteral("yuv420p")};
    arguments << source.video << QStringLiteral("-c:a")
              << (path.endsWith(u".mpg") ? QStringLiteral("mp2") : QStringLiteral("aac"))
              << QStringLiteral("file:") + path;
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"), arguments);
    if (!ffmpeg.waitForFinished(600000) || ffmpeg.exitStatus() != QProcess::NormalExit ||
        ffmpeg.exitCode() != 0)
        return QStringLiteral("ffmpeg could not make %1: %2")
            .arg(source.name, QString::fromUtf8(ffmpeg.readAll()).trimmed());
    return {};
}

struct Batch {
    QString title;
    QString device;
    int profile = 0;
    bool twoPasses = false;
};

// One figure of a batch's run: when, what was shown, and what the old
// estimate showed.
struct Sample {
    double elapsed = 0;
    std::optional<qint64> shown;
};

struct Replay {
    QString error; // empty when every row converted
    double wallSeconds = 0;
    std::vector<Sample> samples;
};

// A row's conversion: its own batch file run by "sh -v" as a lane runs its
// batch, followed through its console output.
struct RowRun {
    std::unique_ptr<QProcess> process;
    std::unique_ptr<ConversionProgress> progress;
    BatchTimeLeft::State state = BatchTimeLeft::State::Waiting;
    double startedAt = 0;
    double endedAt = 0;
};

// Runs the rows' batch files on `lanes` lanes, each lane taking the next row
// as it frees up, and samples both estimates every SampleMs.
Replay replay(const QStringList &rowBatches, const QList<BatchRow> &rows,
              const QList<double> &costs, int lanes, double saturation, const QString &dataFolder) {
    Replay result;
    const QString converter = BatchFiles::converter(dataFolder);
    const QString trackDrop = BatchFiles::trackDrop(dataFolder);
    std::vector<RowRun> runs(std::size_t(rows.size()));
    BatchTimeLeft estimate(costs, lanes, saturation);

    QElapsedTimer clock;
    clock.start();
    const auto now = [&clock] {
        return double(clock.nsecsElapsed()) / 1e9;
    };
    QEventLoop loop;
    qsizetype next = 0, ended = 0;
    std::function<void()> startNext = [&] {
        if (next >= rows.size())
            return;
        const qsizetype index = next++;
        RowRun &run = runs[std::size_t(index)];
        run.progress = std::make_unique<ConversionProgress>(converter, trackDrop,
                                                            QList<BatchRow>{rows[index]});
        run.process = std::make_unique<QProcess>();
        run.process->setProcessChannelMode(QProcess::MergedChannels);
        QProcess *process = run.process.get();
        QObject::connect(process, &QProcess::readyRead, process,
                         [&run, process] { run.progress->feed(process->readAll()); });
        QObject::connect(process, &QProcess::finished, process,
                         [&, index, process](int code, QProcess::ExitStatus status) {
                             RowRun &ending = runs[std::size_t(index)];
                             ending.progress->feed(process->readAll());
                             ending.progress->finish();
                             ending.endedAt = now();
                             const bool ok = status == QProcess::NormalExit && code == 0 &&
                                             ending.progress->errors().isEmpty();
                             ending.state =
                                 ok ? BatchTimeLeft::State::Done : BatchTimeLeft::State::Failed;
                             if (!ok && result.error.isEmpty())
                                 result.error =
                                     QStringLiteral("row %1 failed: %2")
                                         .arg(index + 1)
                                         .arg(ending.progress->errorMessages().trimmed());
                             if (++ended == rows.size())
                                 loop.quit();
                             else
                                 startNext();
                         });
        run.state = BatchTimeLeft::State::Running;
        run.startedAt = now();
        process->start(QStringLiteral("sh"), {QStringLiteral("-v"), rowBatches[index]});
    };

    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, &loop, [&] {
        const double elapsed = now();
        QList<BatchTimeLeft::Row> states;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const RowRun &run = runs[std::size_t(i)];
            BatchTimeLeft::Row row{run.state, 0, 0};
            if (run.state == BatchTimeLeft::State::Running) {
                const ConversionProgress &progress = *run.progress;
                row.shareDone =
                    progress.currentFile() > 0 && progress.currentMaximum() > 0
                        ? double(progress.currentValue()) / double(progress.currentMaximum())
                        : 0;
                row.runningSeconds = elapsed - run.startedAt;
            } else if (run.state != BatchTimeLeft::State::Waiting) {
                row.shareDone = 1;
                row.runningSeconds = run.endedAt - run.startedAt;
            }
            states.append(row);
        }
        estimate.update(elapsed, states);
        result.samples.push_back({elapsed, estimate.secondsLeft()});
    });
    sampler.start(SampleMs);
    for (int lane = 0; lane < lanes; ++lane)
        startNext();
    loop.exec();
    sampler.stop();
    result.wallSeconds = now();
    return result;
}

// The errors of the figures shown from a quarter of the batch on, against
// the real time left: as shares of that time left, and as shares of the
// batch's whole time (how far off the figure looks to someone watching);
// the median of their sizes and the worst, sign kept.
struct Score {
    int samples = 0;
    double median = 0;
    double worst = 0;
    double medianOfBatch = 0;
    double worstOfBatch = 0;
};

void summarise(const std::vector<double> &errors, double &median, double &worst) {
    std::vector<double> sizes;
    for (const double error : errors) {
        sizes.push_back(std::abs(error));
        if (std::abs(error) > std::abs(worst))
            worst = error;
    }
    median = BenchTools::median(sizes);
}

Score score(const Replay &run) {
    std::vector<double> errors, ofBatch;
    for (const Sample &sample : run.samples) {
        const double left = run.wallSeconds - sample.elapsed;
        const std::optional<qint64> &shown = sample.shown;
        if (sample.elapsed < ScoredFrom * run.wallSeconds || left < LeastSecondsLeft)
            continue;
        const double off = shown ? double(*shown) - left : -left;
        errors.push_back(off / left);
        ofBatch.push_back(off / run.wallSeconds);
    }
    Score result;
    result.samples = int(errors.size());
    if (!errors.empty()) {
        summarise(errors, result.median, result.worst);
        summarise(ofBatch, result.medianOfBatch, result.worstOfBatch);
    }
    return result;
}

QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(u' ', 0, 2)
                                          : QStringLiteral("?");
}

QString percent(double share) {
    return (share > 0 ? QStringLiteral("+") : QString()) + BenchTools::number(share * 100, 1) +
           u'%';
}

} // namespace

QStringList RunTimeLeftBench() {
    QTemporaryDir folder;
    if (!folder.isValid())
        return {QStringLiteral("skipped: no temporary folder")};
    const BenchTools::HomeForBench ownHome(folder.path() + u"/home");
    const QString dataFolder = folder.path() + u"/data";
    const QString output = folder.path() + u"/out";
    QDir().mkpath(dataFolder);
    if (!QFile::link(QStringLiteral(MOBIVERT_CONVERTER_PATH), BatchFiles::converter(dataFolder)))
        return {QStringLiteral("skipped: cannot link the converter into the data folder")};

    QElapsedTimer making;
    making.start();
    QList<FileListRow> rows;
    for (const Source &source : sources()) {
        const QString path = folder.path() + u'/' + source.name;
        const QString error = makeSource(path, source);
        if (!error.isEmpty())
            return {QStringLiteral("skipped: ") + error};
        const VideoFileInfo info = ExamineVideoFile(path);
        FileListRow row;
        row.Filename = info.Filename;
        row.Codec = info.Codec;
        row.Duration = info.Duration;
        row.VideoSize = info.VideoSize;
        row.Filepath = path;
        rows.append(row);
    }
    const int cores = AvailableCores();
    QStringList lines{QStringLiteral("%1 clips (%2 s to make them), %3 cores; every figure shown "
                                     "from %4% of the batch on, with at least %5 s left, against "
                                     "the real time left; load average at the start %6")
                          .arg(rows.size())
                          .arg(BenchTools::number(double(making.elapsed()) / 1000, 1))
                          .arg(cores)
                          .arg(ScoredFrom * 100)
                          .arg(LeastSecondsLeft)
                          .arg(loadAverage())};
    QList<QStringList> table{{QStringLiteral("batch"), QStringLiteral("lanes"),
                              QStringLiteral("wall s"), QStringLiteral("figures"),
                              QStringLiteral("median"), QStringLiteral("worst"),
                              QStringLiteral("of batch: median"), QStringLiteral("worst")}};
    const QList<Batch> batches = {
        {QStringLiteral("iPod 4, H.264 640x480"), QStringLiteral("iPod"), 4, false},
        {QStringLiteral("iPod 2, MPEG-4 640x480, two passes"), QStringLiteral("iPod"), 2, true},
    };
    for (const Batch &batch : batches) {
        ConversionSettings settings =
            ProfileSettings::SettingsForProfile(batch.device, batch.profile);
        settings.twoPass = batch.twoPasses ? 1 : 0;
        BatchOptions options;
        options.dataFolder = dataFolder;
        options.outputFolder = output;
        const BatchPlan plan = BuildBatch(settings, ReadBatchCodecData(settings), rows, options,
                                          [](const QString &path) { return QFile::exists(path); });
        QStringList rowBatches;
        QList<double> costs;
        for (qsizetype row = 0; row < rows.size(); ++row) {
            QStringList rowLines;
            for (qsizetype i = 0; i < plan.commands.size(); ++i) {
                if (plan.lineRows.value(i) == row)
                    rowLines << plan.commands[i].line();
            }
            rowBatches << dataFolder + QStringLiteral("/row%1.bat").arg(row + 1);
            QFile file(rowBatches.last());
            if (!file.open(QIODevice::WriteOnly) ||
                file.write(rowLines.join(u'\n').toUtf8() + '\n') < 0)
                return lines << QStringLiteral("failed: cannot write ") + rowBatches.last();
            costs << RowCost::Estimate(RowCost::Facts(settings, rows[row]));
        }
        const double saturation = cores / FilesAtOnce::ConverterCoreUse(settings, cores);
        for (const int lanes : {1, 2, 4, 8}) {
            QDir(output).removeRecursively();
            QDir().mkpath(output);
            const Replay run = replay(rowBatches, plan.rows, costs, lanes, saturation, dataFolder);
            if (!run.error.isEmpty())
                return lines << QStringLiteral("failed: %1, %2 lanes: %3")
                                    .arg(batch.title)
                                    .arg(lanes)
                                    .arg(run.error);
            const Score now = score(run);
            table.append({batch.title, QString::number(lanes),
                          BenchTools::number(run.wallSeconds, 1), QString::number(now.samples),
                          percent(now.median), percent(now.worst), percent(now.medianOfBatch),
                          percent(now.worstOfBatch)});
        }
    }
    lines << BenchTools::table(table);
    lines << QStringLiteral("Errors: (figure shown - real time left) / real time left, and / the "
                            "batch's wall time (\"of batch\"); a figure not shown yet counts as "
                            "nothing left. Load average at the end: ") +
                 loadAverage();
    return lines;
}
