#include "bench/CopyBench.h"

#include "Components/BrannockVideoConverter/FfmpegLocation.h"
#include "bench/BenchTools.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <string>
#include <vector>

using BenchTools::best;
using BenchTools::number;
using BenchTools::runQuietly;

namespace {

constexpr double kGoal = 0.05;
constexpr double kCliGoal = 0.10;

std::vector<std::string> profileFourLine(const std::string &input, bool alwaysEncode,
                                         const std::string &output) {
    std::vector<std::string> line{MOBIVERT_CONVERTER_PATH, "-i", input};
    if (alwaysEncode)
        line.push_back("-alwaysencode");
    line.insert(line.end(),
                {"-vcodec",   "h264",       "-s",         "640x480",  "-b",       "1450kbps",
                 "-r",        "25",         "-profile:v", "baseline", "-level",   "3.0",
                 "-pix_fmt",  "yuv420p",    "-maxrate",   "2500k",    "-bufsize", "2500k",
                 "-movflags", "+faststart", "-acodec",    "aac",      "-ab",      "128kbps",
                 "-ar",       "44100",      "-ac",        "2",        "-y",       output});
    return line;
}

// mobivert-cli with the iPod's profile 4 into an emptied `output` folder:
// the whole run, batch, cover and tags included.
std::vector<std::string> cliRun(const std::string &clip, bool alwaysEncode, const QString &output) {
    std::vector<std::string> line{MOBIVERT_CLI_BINARY,
                                  "--device",
                                  "iPod",
                                  "--profile",
                                  "4",
                                  "--output",
                                  QFile::encodeName(output).toStdString()};
    if (alwaysEncode)
        line.push_back("--always-encode");
    line.push_back(clip);
    return line;
}

// Best wall and CPU times of the copy and the encode, taking turns.
struct Timings {
    std::vector<double> copyWall, copyCpu, encodeWall, encodeCpu;
};

bool timeRuns(const std::vector<std::string> &copyRun, const std::vector<std::string> &encodeRun,
              const std::function<void()> &before, int runs, Timings &timings) {
    for (int i = 0; i < runs; ++i) {
        for (const bool copying : {true, false}) {
            before();
            const BenchTools::ProgramRun timing = runQuietly(copying ? copyRun : encodeRun);
            if (!timing.ok)
                return false;
            (copying ? timings.copyWall : timings.encodeWall).push_back(timing.wallSeconds);
            (copying ? timings.copyCpu : timings.encodeCpu).push_back(timing.cpuSeconds);
        }
    }
    return true;
}

QStringList timingTable(const QString &what, const Timings &t, double goal) {
    const double wallRatio = best(t.copyWall) / best(t.encodeWall);
    const double cpuRatio = best(t.copyCpu) / best(t.encodeCpu);
    QStringList lines = BenchTools::table(
        {{what, QStringLiteral("wall s"), QStringLiteral("CPU s")},
         {QStringLiteral("copied"), number(best(t.copyWall), 3), number(best(t.copyCpu), 3)},
         {QStringLiteral("encoded"), number(best(t.encodeWall), 3), number(best(t.encodeCpu), 3)},
         {QStringLiteral("copied / encoded"), number(wallRatio, 3), number(cpuRatio, 3)}});
    lines << QStringLiteral("goal: the copy at most %1 of the encode: wall %2, CPU %3")
                 .arg(number(goal, 2),
                      wallRatio <= goal ? QStringLiteral("met") : QStringLiteral("NOT met"),
                      cpuRatio <= goal ? QStringLiteral("met") : QStringLiteral("NOT met"));
    return lines;
}

// Whether the converter says it copied, on a run of its own.
bool saysCopied(const std::vector<std::string> &line) {
    QStringList arguments;
    for (std::size_t i = 1; i < line.size(); ++i)
        arguments << QString::fromStdString(line[i]);
    QProcess process;
    process.start(QString::fromStdString(line.front()), arguments);
    process.waitForFinished(-1);
    return process.readAllStandardOutput().contains("Copied (already suits the device)");
}

} // namespace

QStringList RunCopyBench() {
    const std::optional<std::string> ffmpeg = converter::findFfmpeg();
    if (!ffmpeg)
        return {QStringLiteral("skipped: ffmpeg not found")};
    if (!QFile::exists(QStringLiteral(MOBIVERT_CONVERTER_PATH)))
        return {QStringLiteral("skipped: the converter is not built")};

    QTemporaryDir folder;
    const std::string clip = folder.filePath(QStringLiteral("baseline.mp4")).toStdString();
    if (!BenchTools::makeLavfiClip(
             QString::fromStdString(clip),
             QStringLiteral("testsrc2=size=640x480:rate=25:duration=60"),
             QStringLiteral("sine=frequency=1000:sample_rate=44100:duration=60"),
             QStringLiteral("-ac 2 -c:v libx264 -preset veryfast -profile:v baseline -level 3.0 "
                            "-b:v 1000k -pix_fmt yuv420p -c:a aac -b:a 128k")
                 .split(u' '),
             QString::fromStdString(*ffmpeg))
             .isEmpty())
        return {QStringLiteral("skipped: the 60-second clip could not be made")};

    const std::string output = folder.filePath(QStringLiteral("out.m4v")).toStdString();
    const std::vector<std::string> copyRun = profileFourLine(clip, false, output);
    const std::vector<std::string> encodeRun = profileFourLine(clip, true, output);
    if (!saysCopied(copyRun))
        return {QStringLiteral("failed: the converter did not copy the clip")};

    const int runs = BenchTools::runCount(3);
    Timings converterTimes;
    if (!timeRuns(
            copyRun, encodeRun, [&output] { QFile::remove(QString::fromStdString(output)); }, runs,
            converterTimes))
        return {QStringLiteral("failed: the converter did not convert the clip")};

    const QString home = folder.filePath(QStringLiteral("home"));
    const QString outputFolder = folder.filePath(QStringLiteral("out"));
    QDir().mkpath(home);
    const BenchTools::HomeForBench ownHome(home);
    Timings cliTimes;
    if (!timeRuns(
            cliRun(clip, false, outputFolder), cliRun(clip, true, outputFolder),
            [&outputFolder] { QDir(outputFolder).removeRecursively(); }, runs, cliTimes))
        return {QStringLiteral("failed: mobivert-cli did not convert the clip")};

    QStringList lines{QStringLiteral("60 s 640x480 H.264 Constrained Baseline 3.0 clip, iPod "
                                     "profile 4, best of %1 runs each; load average %2")
                          .arg(runs)
                          .arg(BenchTools::loadAverage())};
    lines << timingTable(QStringLiteral("converter"), converterTimes, kGoal);
    lines << QString();
    lines << timingTable(QStringLiteral("mobivert-cli"), cliTimes, kCliGoal);
    return lines;
}
