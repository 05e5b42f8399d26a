#include "bench/TimeLeftBench.h"

#include "bench/BenchTools.h"
#include "core/convert/BatchBuilder.h"
#include "core/convert/BatchEngine.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/BatchStart.h"
#include "core/platform/ProcessorCores.h"
#include "core/profiles/ProfileSettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
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
         42,
         {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-q:v"),
          QStringLiteral("3")}},
        {QStringLiteral("1080p HEVC.mp4"),
         QStringLiteral("1920x1080"),
         18,
         {QStringLiteral("-c:v"), QStringLiteral("libx265"), QStringLiteral("-preset"),
          QStringLiteral("ultrafast"), QStringLiteral("-x265-params"),
          QStringLiteral("log-level=error")}},
        {QStringLiteral("360p H.264.mp4"),
         QStringLiteral("640x360"),
         39,
         {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
          QStringLiteral("veryfast")}},
        {QStringLiteral("480p MPEG-2.mpg"),
         QStringLiteral("854x480"),
         30,
         {QStringLiteral("-c:v"), QStringLiteral("mpeg2video"), QStringLiteral("-b:v"),
          QStringLiteral("4M")}},
        {QStringLiteral("720p HEVC.mp4"),
         QStringLiteral("1280x720"),
         24,
         {QStringLiteral("-c:v"), QStringLiteral("libx265"), QStringLiteral("-preset"),
          QStringLiteral("ultrafast"), QStringLiteral("-x265-params"),
          QStringLiteral("log-level=error")}},
        {QStringLiteral("1080p MPEG-2.mpg"),
         QStringLiteral("1920x1080"),
         18,
         {QStringLiteral("-c:v"), QStringLiteral("mpeg2video"), QStringLiteral("-b:v"),
          QStringLiteral("8M")}},
        {QStringLiteral("480p HEVC.mp4"),
         QStringLiteral("854x480"),
         30,
         {QStringLiteral("-c:v"), QStringLiteral("libx265"), QStringLiteral("-preset"),
          QStringLiteral("ultrafast"), QStringLiteral("-x265-params"),
          QStringLiteral("log-level=error")}},
        {QStringLiteral("720p H.264.mp4"),
         QStringLiteral("1280x720"),
         24,
         {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
          QStringLiteral("veryfast")}},
        {QStringLiteral("1080p H.264.mp4"),
         QStringLiteral("1920x1080"),
         18,
         {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
          QStringLiteral("veryfast")}},
        {QStringLiteral("240p H.264.mp4"),
         QStringLiteral("426x240"),
         57,
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

// One figure of a batch's run: when, and what was shown.
struct Sample {
    double elapsed = 0;
    std::optional<qint64> shown;
};

// The rows of a batch as they stood at a moment of its run.
struct Tick {
    double elapsed = 0;
    QList<RowProgress> rows;
    QList<BatchEngine::RowTimes> times;
};

struct Replay {
    QString error; // empty when every row converted
    double wallSeconds = 0;
    std::vector<Sample> samples;
    // The time left as the engine set it up, and the rows at every sample, so
    // that the run can be scored again without running.
    BatchTimeLeft timeLeft;
    int lanes = 1;
    std::vector<Tick> ticks;
};

// Runs the batch as the window and mobivert-cli run it (BatchStart, then
// BatchEngine) and samples the time left they show every SampleMs.
Replay replay(const BatchStart::Request &request) {
    Replay result;
    BatchStart start(request, nullptr);
    if (start.refusal()) {
        result.error = start.refusal()->problem;
        return result;
    }
    BatchEngine engine(start.run());
    result.lanes = engine.laneCount();
    result.timeLeft = engine.timeLeft();
    const auto now = [&engine] {
        return double(engine.elapsedMs()) / 1000;
    };
    QEventLoop loop;
    QObject::connect(&engine, &BatchEngine::ended, &loop, &QEventLoop::quit);
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, &loop, [&] {
        result.samples.push_back({now(), engine.secondsLeft()});
        result.ticks.push_back({now(), engine.progress().rows(), engine.rowTimes()});
    });
    if (!engine.start()) {
        result.error = QStringLiteral("the batch could not start");
        return result;
    }
    sampler.start(SampleMs);
    loop.exec();
    sampler.stop();
    result.wallSeconds = now();
    for (const RowProgress &row : engine.progress().rows()) {
        if (row.state != RowProgress::State::Converted && result.error.isEmpty())
            result.error = row.inputPath + QStringLiteral(" did not convert");
    }
    engine.cleanUp();
    return result;
}

// The figures the time left shows for a recorded run, worked out again.
std::vector<Sample> rescored(const Replay &run) {
    BatchTimeLeft estimate = run.timeLeft;
    std::vector<Sample> samples;
    for (const Tick &tick : run.ticks) {
        QList<BatchTimeLeft::Row> rows;
        for (qsizetype row = 0; row < tick.rows.size(); ++row)
            rows << BatchEngine::TimeLeftRow(tick.rows[row], tick.times[row], tick.elapsed);
        estimate.update(tick.elapsed, rows);
        samples.push_back({tick.elapsed, estimate.secondsLeft()});
    }
    return samples;
}

QJsonObject traceJson(const Replay &run) {
    QJsonArray costs, twoPasses, ticks;
    for (const double cost : run.timeLeft.costs())
        costs << cost;
    for (qsizetype row = 0; !run.ticks.empty() && row < run.ticks.front().times.size(); ++row)
        twoPasses << run.ticks.front().times[row].twoPasses;
    for (const Tick &tick : run.ticks) {
        QJsonArray rows;
        for (qsizetype row = 0; row < tick.rows.size(); ++row)
            rows << QJsonArray{int(tick.rows[row].state), tick.rows[row].secondsDone,
                               tick.rows[row].totalSeconds, tick.times[row].startedAt,
                               tick.times[row].endedAt};
        ticks << QJsonObject{{u"elapsed"_qs, tick.elapsed}, {u"rows"_qs, rows}};
    }
    return {{u"wall"_qs, run.wallSeconds},
            {u"lanes"_qs, run.lanes},
            {u"saturation"_qs, run.timeLeft.saturationLanes()},
            {u"costs"_qs, costs},
            {u"twoPasses"_qs, twoPasses},
            {u"ticks"_qs, ticks}};
}

Replay traceFromJson(const QJsonObject &json) {
    Replay run;
    run.wallSeconds = json[u"wall"_qs].toDouble();
    run.lanes = json[u"lanes"_qs].toInt();
    QList<double> costs;
    for (const QJsonValue cost : json[u"costs"_qs].toArray())
        costs << cost.toDouble();
    run.timeLeft = BatchTimeLeft(costs, run.lanes, json[u"saturation"_qs].toDouble());
    const QJsonArray twoPasses = json[u"twoPasses"_qs].toArray();
    for (const QJsonValue value : json[u"ticks"_qs].toArray()) {
        Tick tick;
        tick.elapsed = value[u"elapsed"_qs].toDouble();
        for (const QJsonValue row : value[u"rows"_qs].toArray()) {
            RowProgress progress;
            progress.state = RowProgress::State(row[0].toInt());
            progress.secondsDone = row[1].toInteger();
            progress.totalSeconds = row[2].toInteger();
            tick.rows << progress;
            tick.times.append(
                {row[3].toDouble(), row[4].toDouble(), twoPasses.at(tick.times.size()).toBool()});
        }
        run.ticks.push_back(tick);
    }
    run.samples = rescored(run);
    return run;
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
        if (sample.elapsed < ScoredFrom * run.wallSeconds || left < LeastSecondsLeft)
            continue;
        const double off = sample.shown ? double(*sample.shown) - left : -left;
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

QStringList scoreRow(const QString &title, int lanes, const Replay &run) {
    const Score now = score(run);
    return {title,
            QString::number(lanes),
            BenchTools::number(run.wallSeconds, 1),
            QString::number(now.samples),
            percent(now.median),
            percent(now.worst),
            percent(now.medianOfBatch),
            percent(now.worstOfBatch)};
}

const QStringList Heading{QStringLiteral("batch"),
                          QStringLiteral("lanes"),
                          QStringLiteral("wall s"),
                          QStringLiteral("figures"),
                          QStringLiteral("median"),
                          QStringLiteral("worst"),
                          QStringLiteral("of batch: median"),
                          QStringLiteral("worst")};

QString explanation() {
    return QStringLiteral("Errors: (figure shown - real time left) / real time left, and / the "
                          "batch's wall time (\"of batch\"); a figure not shown yet counts as "
                          "nothing left. Load average at the end: ") +
           loadAverage();
}

// MOBIVERT_BENCH_REPLAY names a folder of runs recorded with
// MOBIVERT_BENCH_TRACES: they are scored again as the time left now judges
// them, without converting anything.
QStringList rescoreRecorded(const QString &folder) {
    QList<QStringList> table{Heading};
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.json")}, QDir::Files);
    for (const QString &name : names) {
        QFile file(folder + u'/' + name);
        if (!file.open(QIODevice::ReadOnly))
            return {QStringLiteral("failed: cannot read ") + file.fileName()};
        const Replay run = traceFromJson(QJsonDocument::fromJson(file.readAll()).object());
        table.append(scoreRow(name.chopped(5), run.lanes, run));
    }
    return QStringList{QStringLiteral("%1 recorded runs in %2").arg(names.size()).arg(folder)} +
           BenchTools::table(table) + QStringList{explanation()};
}

} // namespace

QStringList RunTimeLeftBench() {
    if (const QString recorded = qEnvironmentVariable("MOBIVERT_BENCH_REPLAY"); !recorded.isEmpty())
        return rescoreRecorded(recorded);
    const QString traces = qEnvironmentVariable("MOBIVERT_BENCH_TRACES");
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
        rows.append(BenchTools::listRow(path));
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
    QList<QStringList> table{Heading};
    const QList<Batch> batches = {
        {QStringLiteral("iPod 4, H.264 640x480"), QStringLiteral("iPod"), 4, false},
        {QStringLiteral("iPod 2, MPEG-4 640x480, two passes"), QStringLiteral("iPod"), 2, true},
    };
    for (const Batch &batch : batches) {
        ConversionSettings settings =
            ProfileSettings::SettingsForProfile(batch.device, batch.profile);
        settings.twoPass = batch.twoPasses ? 1 : 0;
        BatchStart::Request request;
        request.settings = settings;
        request.profile = batch.title;
        request.rows = rows;
        request.options.dataFolder = dataFolder;
        request.options.outputFolder = output;
        for (const int lanes : {1, 2, 4, 8}) {
            QDir(output).removeRecursively();
            QDir().mkpath(output);
            request.filesAtOnce = lanes;
            const Replay run = replay(request);
            if (!run.error.isEmpty())
                return lines << QStringLiteral("failed: %1, %2 lanes: %3")
                                    .arg(batch.title)
                                    .arg(lanes)
                                    .arg(run.error);
            table.append(scoreRow(batch.title, lanes, run));
            if (!traces.isEmpty()) {
                QDir().mkpath(traces);
                QFile trace(traces +
                            QStringLiteral("/%1, %2 lanes.json").arg(batch.title).arg(lanes));
                if (!trace.open(QIODevice::WriteOnly) ||
                    trace.write(QJsonDocument(traceJson(run)).toJson(QJsonDocument::Compact)) < 0)
                    return lines << QStringLiteral("failed: cannot write ") + trace.fileName();
            }
        }
    }
    return lines << BenchTools::table(table) << explanation();
}
