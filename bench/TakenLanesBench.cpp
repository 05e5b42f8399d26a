#include "bench/TakenLanesBench.h"

#include "bench/BenchTools.h"
#include "core/convert/BatchEngine.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/CMDLauncher.h"
#include "core/convert/ShellQuote.h"
#include "core/platform/ApplicationFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

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

// The converter commands of each row, from the dry run's listing, with the
// converter of `dataFolder`.
struct Batch {
    QList<BatchCommand> commands;
    QList<int> lineRows;
    QList<BatchRow> rows;
};

std::optional<Batch> plannedBatch(const QStringList &clips, double seconds, const QString &output,
                                  const QString &dataFolder) {
    QProcess cli;
    cli.start(QStringLiteral(MOBIVERT_CLI_BINARY),
              QStringList{QStringLiteral("--dry-run"), QStringLiteral("--device"),
                          QStringLiteral("iPod"), QStringLiteral("--profile"), QStringLiteral("4"),
                          QStringLiteral("--jobs"), QStringLiteral("2"), QStringLiteral("-o"),
                          output} +
                  clips);
    if (!cli.waitForFinished(60000) || cli.exitCode() != 0)
        return std::nullopt;
    Batch batch;
    int row = -1;
    const QString converter = BatchFiles::converter(dataFolder);
    for (const QString &line : QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n')) {
        if (line.startsWith(u"# File ")) {
            row = line.section(u' ', 2, 2).toInt() - 1;
            continue;
        }
        if (row < 0 || line.isEmpty() || line.startsWith(u'#'))
            continue;
        // The dry run names its own data folder's converter.
        batch.commands.append({converter, SplitShellWords(line).words.mid(1), {}});
        batch.lineRows.append(row);
    }
    for (const QString &clip : clips)
        batch.rows.append({clip, qint64(seconds)});
    return batch;
}

struct Timing {
    double wallSeconds = 0;
    double spreadSeconds = 0; // between the lanes' ends
};

bool copyConverter(const QString &dataFolder) {
    QFile::remove(BatchFiles::converter(dataFolder));
    return QFile::copy(BatchFiles::shippedConverter(), BatchFiles::converter(dataFolder));
}

// As batches ran before: each lane's rows dealt at the start, the longest
// first to the lane with the least work; the clips being all as long, the
// rows alternate.
Timing runDealt(const Batch &batch, const QString &dataFolder) {
    copyConverter(dataFolder);
    QList<QList<int>> dealt(2);
    for (int row = 0; row < batch.rows.size(); ++row)
        dealt[row % 2].append(row);
    std::vector<std::unique_ptr<CMDLauncher>> launchers;
    QList<double> ends;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    for (int lane = 0; lane < dealt.size(); ++lane) {
        QByteArray text;
        for (qsizetype i = 0; i < batch.commands.size(); ++i) {
            if (dealt[lane].contains(batch.lineRows[i]))
                text += QFile::encodeName(batch.commands[i].line()) + '\n';
        }
        QFile file(BatchFiles::laneBatch(dataFolder, lane));
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return {};
        file.close();
        auto launcher = std::make_unique<CMDLauncher>();
        QObject::connect(launcher.get(), &CMDLauncher::ProcessEnded, &loop, [&] {
            ends.append(double(clock.elapsed()) / 1000);
            if (ends.size() == dealt.size())
                loop.quit();
        });
        launcher->start(BatchFiles::laneBatch(dataFolder, lane));
        launchers.push_back(std::move(launcher));
    }
    loop.exec();
    return {*std::max_element(ends.begin(), ends.end()),
            *std::max_element(ends.begin(), ends.end()) -
                *std::min_element(ends.begin(), ends.end())};
}

// The batch engine's lanes, taking the rows as they free up.
Timing runTaken(const Batch &batch, const QString &dataFolder) {
    copyConverter(dataFolder);
    BatchRun run;
    run.dataFolder = dataFolder;
    run.rows = batch.rows;
    run.lanes = 2;
    run.commands = batch.commands;
    run.lineRows = batch.lineRows;
    BatchEngine engine(run);
    QList<double> laneEnds(2, 0);
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
    return {wall, *std::max_element(laneEnds.begin(), laneEnds.end()) -
                      *std::min_element(laneEnds.begin(), laneEnds.end())};
}

} // namespace

QStringList RunTakenLanesBench() {
    QTemporaryDir folder;
    if (!folder.isValid())
        return {QStringLiteral("skipped: no temporary folder")};
    const QString data = folder.path() + u"/data";
    const QString output = folder.path() + u"/out";
    QDir().mkpath(data);
    SetApplicationFolder(QStringLiteral(MOBIVERT_APP_DIR));
    const auto restore = qScopeGuard([] { SetApplicationFolder(QString()); });
    if (!QFile::exists(BatchFiles::shippedConverter()))
        return {QStringLiteral("skipped: no converter at ") + BatchFiles::shippedConverter()};
    // A mixed batch (one 1080p clip, then three 480p ones) and a uniform one
    // (four 480p clips) of each kind.
    struct Trial {
        QString name;
        QStringList clips;
        double seconds;
    };
    QList<Trial> trials;
    for (const ClipKind &kind : {ClipKind{QStringLiteral("phone, 1080p30"), 20, true, 30},
                                 ClipKind{QStringLiteral("phone, 1080p60"), 20, true, 60},
                                 ClipKind{QStringLiteral("light"), 8, false}}) {
        QStringList mixed;
        for (const QString &size : {QStringLiteral("1920x1080"), QStringLiteral("854x480")}) {
            mixed << folder.path() + QStringLiteral("/%1 %2.mp4").arg(kind.name, size);
            if (const QString error = makeH264Clip(mixed.last(), size, kind); !error.isEmpty())
                return {QStringLiteral("skipped: ") + error};
        }
        QStringList uniform;
        for (int i = 1; i <= 4; ++i) {
            uniform << folder.path() + QStringLiteral("/%1 uniform %2.mp4").arg(kind.name).arg(i);
            QFile::copy(mixed[1], uniform.last());
        }
        mixed = QStringList{mixed[0], uniform[0], uniform[1], uniform[2]};
        trials.append(
            {QStringLiteral("%1: mixed (1080p + 3x480p)").arg(kind.name), mixed, kind.seconds});
        if (kind.bigRate == 30) // the 480p clips are alike for both phones
            trials.append(
                {QStringLiteral("%1: uniform (4x480p)").arg(kind.name), uniform, kind.seconds});
    }
    QStringList lines{BenchTools::machineDescription()};
    QList<QStringList> rows{{QStringLiteral("batch"), QStringLiteral("dealt s"),
                             QStringLiteral("taken s"), QStringLiteral("speed-up"),
                             QStringLiteral("dealt spread s"), QStringLiteral("taken spread s")}};
    for (const Trial &trial : trials) {
        const std::optional<Batch> batch = plannedBatch(trial.clips, trial.seconds, output, data);
        if (!batch)
            return {QStringLiteral("skipped: no dry run from mobivert-cli")};
        QDir(output).removeRecursively();
        QDir().mkpath(output);
        const Timing dealt = runDealt(*batch, data);
        QDir(output).removeRecursively();
        QDir().mkpath(output);
        const Timing taken = runTaken(*batch, data);
        rows.append({trial.name, BenchTools::number(dealt.wallSeconds, 1),
                     BenchTools::number(taken.wallSeconds, 1),
                     BenchTools::number(
                         taken.wallSeconds > 0 ? dealt.wallSeconds / taken.wallSeconds : 0, 2) +
                         u'x',
                     BenchTools::number(dealt.spreadSeconds, 1),
                     BenchTools::number(taken.spreadSeconds, 1)});
    }
    return lines + BenchTools::table(rows);
}
