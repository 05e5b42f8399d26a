#include "bench/TakenLanesBench.h"

#include "bench/BenchTools.h"
#include "core/convert/BatchEngine.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/BatchStart.h"
#include "core/convert/CMDLauncher.h"
#include "core/platform/ApplicationFolder.h"
#include "core/platform/ProcessorCores.h"
#include "core/profiles/ProfileSettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <numeric>
#include <optional>

namespace {

// Kinds of clip. Light: the test picture at 25 fps, coded as cheaply as
// x264 can, no sound, 8 s; such a file costs little to decode whatever its
// size. Phone: the test picture with grain, coded at the bit rate a phone
// records at (1080p at 30 fps 16 Mbit/s or at 60 fps 30 Mbit/s, 480p at 30
// fps 2.5 Mbit/s) with sound, 20 s; decoding and scaling such a 1080p file
// costs what it does in life.
struct ClipKind {
    QString name;
    double seconds;
    bool phone;
    int bigRate = 30; // the 1080p clip's frames per second
};

QString makeH264Clip(const QString &path, const QString &size, const ClipKind &kind) {
    const QString seconds = QString::number(kind.seconds);
    if (!kind.phone)
        return BenchTools::makeLavfiClip(
            path, QStringLiteral("testsrc2=size=%1:rate=25:duration=%2").arg(size, seconds), {},
            QStringLiteral("-c:v libx264 -preset ultrafast").split(u' '));
    const bool big = size.startsWith(u"1920");
    const int rate = big ? kind.bigRate : 30;
    const QString bits = !big        ? QStringLiteral("2500k")
                         : rate > 30 ? QStringLiteral("30M")
                                     : QStringLiteral("16M");
    return BenchTools::makeLavfiClip(
        path,
        QStringLiteral("testsrc2=size=%1:rate=%2:duration=%3,noise=alls=12:allf=t")
            .arg(size)
            .arg(rate)
            .arg(seconds),
        QStringLiteral("sine=frequency=440:sample_rate=48000:duration=") + seconds,
        QStringLiteral("-c:v libx264 -preset veryfast -pix_fmt yuv420p -b:v %1 -c:a aac")
            .arg(bits)
            .split(u' '));
}

struct Timing {
    double wallSeconds = 0;
    double spreadSeconds = 0; // between the lanes' ends
    double cpuSeconds = 0;    // of every process the batch ran
};

Timing timing(const QList<double> &laneEnds, double wallSeconds) {
    return {wallSeconds, *std::max_element(laneEnds.begin(), laneEnds.end()) -
                             *std::min_element(laneEnds.begin(), laneEnds.end())};
}

// As batches ran before: each lane's rows dealt at the start, the longest
// first to the lane with the least seconds to convert.
Timing runDealt(const BatchRun &run) {
    QList<int> order(run.rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&run](int a, int b) {
        return run.rows[a].totalSeconds > run.rows[b].totalSeconds;
    });
    QList<QList<int>> dealt(run.lanes);
    QList<qint64> work(run.lanes, 0);
    for (const int row : order) {
        const auto lane = std::min_element(work.begin(), work.end()) - work.begin();
        dealt[lane].append(row);
        work[lane] += run.rows[row].totalSeconds;
    }
    std::vector<std::unique_ptr<CMDLauncher>> launchers;
    QList<double> ends;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    for (int lane = 0; lane < run.lanes; ++lane) {
        QByteArray text;
        for (qsizetype i = 0; i < run.commands.size(); ++i) {
            if (dealt[lane].contains(run.lineRows[i]))
                text += QFile::encodeName(run.commands[i].line()) + '\n';
        }
        QFile file(BatchFiles::laneBatch(run.dataFolder, lane));
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return {};
        file.close();
        auto launcher = std::make_unique<CMDLauncher>();
        QObject::connect(launcher.get(), &CMDLauncher::ProcessEnded, &loop, [&] {
            ends.append(double(clock.elapsed()) / 1000);
            if (ends.size() == run.lanes)
                loop.quit();
        });
        launcher->start(BatchFiles::laneBatch(run.dataFolder, lane));
        launchers.push_back(std::move(launcher));
    }
    loop.exec();
    return timing(ends, *std::max_element(ends.begin(), ends.end()));
}

// The batch engine's lanes, taking the rows as they free up.
Timing runTaken(const BatchRun &run) {
    BatchEngine engine(run);
    QList<double> laneEnds(run.lanes, 0);
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&engine, &BatchEngine::laneRunEnded, &loop,
                     [&](int lane) { laneEnds[lane] = double(clock.elapsed()) / 1000; });
    QObject::connect(&engine, &BatchEngine::ended, &loop, &QEventLoop::quit);
    if (!engine.start())
        return {};
    loop.exec();
    const double wall = double(clock.elapsed()) / 1000;
    engine.cleanUp();
    return timing(laneEnds, wall);
}

// Prepares the batch as the window and mobivert-cli do (names, lines, lock)
// and runs it one way or the other.
Timing runPrepared(const BatchRequest &request, bool taken) {
    QDir(request.options.outputFolder).removeRecursively();
    QDir().mkpath(request.options.outputFolder);
    const BatchStart start(request, nullptr);
    if (start.refusal())
        return {};
    const double cpuBefore = BenchTools::childrenCpuSeconds();
    Timing run = taken ? runTaken(start.run()) : runDealt(start.run());
    run.cpuSeconds = BenchTools::childrenCpuSeconds() - cpuBefore;
    return run;
}

} // namespace

QStringList RunTakenLanesBench() {
    QTemporaryDir folder;
    if (!folder.isValid())
        return {QStringLiteral("skipped: no temporary folder")};
    const QString data = folder.path() + u"/data";
    QDir().mkpath(data);
    SetApplicationFolder(QStringLiteral(MOBIVERT_APP_DIR));
    const auto restore = qScopeGuard([] { SetApplicationFolder(QString()); });
    if (!QFile::copy(BatchFiles::shippedConverter(), BatchFiles::converter(data)))
        return {QStringLiteral("skipped: no converter at ") + BatchFiles::shippedConverter()};
    // Each clip once: a kind, a frame size and a length.
    QMap<QString, FileListRow> made;
    const auto clip = [&](const ClipKind &kind, const QString &size,
                          double seconds) -> std::optional<FileListRow> {
        const QString path =
            folder.path() + QStringLiteral("/%1 %2 %3s.mp4").arg(kind.name, size).arg(seconds);
        if (!made.contains(path)) {
            ClipKind lasting = kind;
            lasting.seconds = seconds;
            if (!makeH264Clip(path, size, lasting).isEmpty())
                return std::nullopt;
            made.insert(path, BenchTools::listRow(path));
        }
        return made.value(path);
    };
    struct Trial {
        QString name;
        ClipKind kind;
        QList<std::pair<QString, double>> clips; // frame size, seconds
    };
    const QString big = QStringLiteral("1920x1080");
    const QString small = QStringLiteral("854x480");
    const ClipKind phone30{QStringLiteral("phone, 1080p30"), 20, true, 30};
    const ClipKind phone60{QStringLiteral("phone, 1080p60"), 20, true, 60};
    const ClipKind light{QStringLiteral("light"), 8, false};
    const QList<Trial> trials = {
        {QStringLiteral("phone, 1080p30: 1080p + 3x480p"),
         phone30,
         {{big, 20}, {small, 20}, {small, 20}, {small, 20}}},
        {QStringLiteral("phone, 1080p60: 1080p + 3x480p"),
         phone60,
         {{big, 20}, {small, 20}, {small, 20}, {small, 20}}},
        {QStringLiteral("phone, 1080p60: 3x480p + 1080p"),
         phone60,
         {{small, 20}, {small, 20}, {small, 20}, {big, 20}}},
        {QStringLiteral("phone, 480p: 3x10 s + 30 s"),
         phone30,
         {{small, 10}, {small, 10}, {small, 10}, {small, 30}}},
        {QStringLiteral("phone, 480p: uniform 4x20 s"),
         phone30,
         {{small, 20}, {small, 20}, {small, 20}, {small, 20}}},
        {QStringLiteral("light: 1080p + 3x480p"),
         light,
         {{big, 8}, {small, 8}, {small, 8}, {small, 8}}},
        {QStringLiteral("light: uniform 4x480p"),
         light,
         {{small, 8}, {small, 8}, {small, 8}, {small, 8}}},
    };
    QStringList lines{BenchTools::machineDescription()};
    QList<QStringList> rows{{QStringLiteral("batch"), QStringLiteral("dealt s"),
                             QStringLiteral("taken s"), QStringLiteral("speed-up"),
                             QStringLiteral("dealt spread s"), QStringLiteral("taken spread s"),
                             QStringLiteral("CPU s"), QStringLiteral("ceiling")}};
    const double cores = AvailableCores();
    for (const Trial &trial : trials) {
        BatchRequest request;
        request.settings = ProfileSettings::SettingsForProfile(QStringLiteral("iPod"), 4);
        request.profile = QStringLiteral("4");
        request.filesAtOnce = 2;
        request.options.dataFolder = data;
        request.options.outputFolder = folder.path() + u"/out";
        for (const auto &[size, seconds] : trial.clips) {
            const std::optional<FileListRow> row = clip(trial.kind, size, seconds);
            if (!row)
                return {QStringLiteral("skipped: could not make a clip with ffmpeg")};
            request.rows.append(*row);
        }
        // Each way twice, in the order dealt, taken, taken, dealt, so that
        // neither gains from running second (a warm cache, a machine that
        // has calmed down); the mean of the two.
        Timing dealt, taken;
        for (const bool takes : {false, true, true, false}) {
            const Timing run = runPrepared(request, takes);
            if (run.wallSeconds <= 0)
                return lines << QStringLiteral("failed: %1 did not run").arg(trial.name);
            Timing &mean = takes ? taken : dealt;
            mean.wallSeconds += run.wallSeconds / 2;
            mean.spreadSeconds += run.spreadSeconds / 2;
            mean.cpuSeconds += run.cpuSeconds / 2;
        }
        // No way of sharing the rows among the lanes ends sooner than the
        // batch's processor time spread over every core, so the ceiling is
        // the most any of them can gain over the dealt lanes here.
        const double cpu = std::min(dealt.cpuSeconds, taken.cpuSeconds);
        rows.append({trial.name, BenchTools::number(dealt.wallSeconds, 1),
                     BenchTools::number(taken.wallSeconds, 1),
                     BenchTools::number(dealt.wallSeconds / taken.wallSeconds, 2) + u'x',
                     BenchTools::number(dealt.spreadSeconds, 1),
                     BenchTools::number(taken.spreadSeconds, 1), BenchTools::number(cpu, 1),
                     BenchTools::number(dealt.wallSeconds / (cpu / cores), 2) + u'x'});
    }
    return lines + BenchTools::table(rows);
}
