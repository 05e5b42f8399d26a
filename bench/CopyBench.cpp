#include "bench/CopyBench.h"

#include "Components/BrannockVideoConverter/FfmpegLocation.h"
#include "bench/BenchTools.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <string>
#include <vector>

using BenchTools::best;
using BenchTools::number;
using BenchTools::runQuietly;

namespace {

constexpr double kGoal = 0.05;

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
    std::vector<double> copyWall, copyCpu, encodeWall, encodeCpu;
    for (int i = 0; i < runs; ++i) {
        for (const bool copying : {true, false}) {
            QFile::remove(QString::fromStdString(output));
            const BenchTools::ProgramRun timing = runQuietly(copying ? copyRun : encodeRun);
            if (!timing.ok)
                return {QStringLiteral("failed: the converter did not convert the clip")};
            (copying ? copyWall : encodeWall).push_back(timing.wallSeconds);
            (copying ? copyCpu : encodeCpu).push_back(timing.cpuSeconds);
        }
    }
    const double wallRatio = best(copyWall) / best(encodeWall);
    const double cpuRatio = best(copyCpu) / best(encodeCpu);
    QStringList lines{QStringLiteral("60 s 640x480 H.264 Constrained Baseline 3.0 clip, iPod "
                                     "profile 4 line, best of %1 runs each")
                          .arg(runs)};
    lines << BenchTools::table(
        {{QString(), QStringLiteral("wall s"), QStringLiteral("CPU s")},
         {QStringLiteral("copied"), number(best(copyWall), 3), number(best(copyCpu), 3)},
         {QStringLiteral("-alwaysencode"), number(best(encodeWall), 3), number(best(encodeCpu), 3)},
         {QStringLiteral("copied / encoded"), number(wallRatio, 3), number(cpuRatio, 3)}});
    lines << QStringLiteral("goal: the copy at most %1 of the encode: wall %2, CPU %3")
                 .arg(number(kGoal, 2),
                      wallRatio <= kGoal ? QStringLiteral("met") : QStringLiteral("NOT met"),
                      cpuRatio <= kGoal ? QStringLiteral("met") : QStringLiteral("NOT met"));
    return lines;
}
