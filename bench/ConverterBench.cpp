#include "bench/ConverterBench.h"

#include "Components/BrannockVideoConverter/FfmpegLocation.h"
#include "Components/BrannockVideoConverter/Translation.h"
#include "bench/BenchTools.h"

#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <vector>

using BenchTools::best;
using BenchTools::median;
using BenchTools::runQuietly;

QStringList RunConverterBench() {
    const std::optional<std::string> ffmpeg = converter::findFfmpeg();
    if (!ffmpeg)
        return {QStringLiteral("skipped: ffmpeg not found")};
    const std::string converterProgram = MOBIVERT_CONVERTER_PATH;
    if (!QFile::exists(QString::fromStdString(converterProgram)))
        return {QStringLiteral("skipped: the converter is not built")};

    QTemporaryDir folder;
    const std::string clip = folder.filePath(QStringLiteral("clip.mp4")).toStdString();
    if (!BenchTools::makeLavfiClip(
             QString::fromStdString(clip),
             QStringLiteral("testsrc2=size=640x480:rate=25:duration=30"),
             QStringLiteral("sine=frequency=1000:sample_rate=48000:duration=30"),
             QStringLiteral("-ac 2 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac")
                 .split(u' '),
             QString::fromStdString(*ffmpeg))
             .isEmpty())
        return {QStringLiteral("skipped: the 30-second clip could not be made")};

    const std::string throughConverter =
        folder.filePath(QStringLiteral("converter.mp4")).toStdString();
    const std::string direct = folder.filePath(QStringLiteral("direct.mp4")).toStdString();
    const std::vector<std::string> line{
        "-i",      clip,  "-vcodec", "mpeg4",   "-s",  "320x240", "-b",  "718kbps", "-r", "25",
        "-acodec", "aac", "-ab",     "128kbps", "-ar", "44100",   "-ac", "2",       "-y"};
    std::vector<std::string> converterRun{converterProgram};
    converterRun.insert(converterRun.end(), line.begin(), line.end());
    converterRun.push_back(throughConverter);

    std::vector<std::string> lineWithOutput = line;
    lineWithOutput.push_back(direct);
    const converter::Translation translation = converter::translate(lineWithOutput);
    const auto &plan = std::get<converter::Plan>(translation);
    std::vector<std::string> ffmpegRun{*ffmpeg, "-nostdin", "-hide_banner"};
    const std::vector<std::string> translated = converter::ffmpegArguments(plan, "file:" + direct);
    ffmpegRun.insert(ffmpegRun.end(), translated.begin(), translated.end());

    // One run of each to warm the caches, then the measured runs, the order of
    // the two alternating.
    runQuietly(ffmpegRun);
    runQuietly(converterRun);
    const int runs = BenchTools::runCount(7);
    std::vector<double> ffmpegWall, ffmpegCpu, converterWall, converterCpu;
    for (int i = 0; i < runs; ++i) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool converterTurn = (turn == 0) == (i % 2 == 0);
            // Each run writes a new file: replacing one costs the file system extra work.
            QFile::remove(QString::fromStdString(converterTurn ? throughConverter : direct));
            const BenchTools::ProgramRun timing =
                runQuietly(converterTurn ? converterRun : ffmpegRun);
            if (!timing.ok)
                return {QStringLiteral("failed: %1 did not convert the clip")
                            .arg(converterTurn ? QStringLiteral("the converter")
                                               : QStringLiteral("ffmpeg"))};
            (converterTurn ? converterWall : ffmpegWall).push_back(timing.wallSeconds);
            (converterTurn ? converterCpu : ffmpegCpu).push_back(timing.cpuSeconds);
        }
    }

    // The best run shows the cost itself; other load on the machine only adds
    // to a run, and the median shows how much it did.
    const auto row = [](const QString &label, double a, double b, double c, double d) {
        return QStringLiteral("%1 %2 %3 %4 %5")
            .arg(label, -16)
            .arg(a, 11, 'f', 3)
            .arg(b, 11, 'f', 3)
            .arg(c, 11, 'f', 3)
            .arg(d, 11, 'f', 3);
    };
    const double wallRatio = best(converterWall) / best(ffmpegWall);
    const double cpuRatio = best(converterCpu) / best(ffmpegCpu);
    QStringList table;
    table << QStringLiteral("30 s 640x480 clip, \"-vcodec mpeg4 -s 320x240 -b 718kbps -r 25 "
                            "-acodec aac -ab 128kbps -ar 44100 -ac 2\", %1 runs each")
                 .arg(runs);
    table << QStringLiteral("%1 %2 %3 %4 %5")
                 .arg(QString(), -16)
                 .arg(QStringLiteral("wall best"), 11)
                 .arg(QStringLiteral("wall median"), 11)
                 .arg(QStringLiteral("CPU best"), 11)
                 .arg(QStringLiteral("CPU median"), 11);
    table << row(QStringLiteral("ffmpeg directly"), best(ffmpegWall), median(ffmpegWall),
                 best(ffmpegCpu), median(ffmpegCpu));
    table << row(QStringLiteral("converter"), best(converterWall), median(converterWall),
                 best(converterCpu), median(converterCpu));
    table << row(QStringLiteral("ratio"), wallRatio, median(converterWall) / median(ffmpegWall),
                 cpuRatio, median(converterCpu) / median(ffmpegCpu));
    table << QStringLiteral("goal: converter / ffmpeg at most 1.020 (best runs): wall %1, CPU %2")
                 .arg(wallRatio <= 1.02 ? QStringLiteral("met") : QStringLiteral("NOT met"),
                      cpuRatio <= 1.02 ? QStringLiteral("met") : QStringLiteral("NOT met"));
    return table;
}
