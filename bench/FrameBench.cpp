#include "bench/FrameBench.h"

#include "bench/BenchTools.h"
#include "core/filelist/VideoFrameReader.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr int ClipSeconds = 20;
// The trim dialog's picture box.
const QSize DialogBox{240, 135};

struct Material {
    QString name;
    QString source; // a lavfi graph at 1920x1080, 25 fps; %1 is the duration
    int keyframeEvery;
};

// Kinds of picture that decode at different speeds, and two spacings of
// keyframes: every 2 s (cameras, streaming) and x264's default of 10 s.
const Material Materials[] = {
    {QStringLiteral("testsrc2, keyframe 2 s"),
     QStringLiteral("testsrc2=size=1920x1080:rate=25:duration=%1"), 50},
    {QStringLiteral("noise, keyframe 2 s"),
     QStringLiteral("testsrc2=size=1920x1080:rate=25:duration=%1,noise=alls=40:allf=t+u"), 50},
    {QStringLiteral("life, keyframe 2 s"),
     QStringLiteral("life=size=1920x1080:rate=25:mold=10:ratio=0.2:death_color=#400040,"
                    "trim=duration=%1"),
     50},
    {QStringLiteral("testsrc2, keyframe 10 s"),
     QStringLiteral("testsrc2=size=1920x1080:rate=25:duration=%1"), 250},
};

bool makeClip(const QString &path, const Material &material) {
    return BenchTools::makeLavfiClip(
               path, material.source.arg(ClipSeconds), {},
               QStringLiteral("-c:v libx264 -preset veryfast -pix_fmt yuv420p -g %1")
                   .arg(material.keyframeEvery)
                   .split(u' '))
        .isEmpty();
}

double elapsedMs(const QElapsedTimer &timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

// Wall and CPU time of each frame, in milliseconds. CPU time is the work
// itself (every thread of the decoder, or the ffmpeg process), which other
// load on the machine does not change.
struct Timings {
    std::vector<double> wall;
    std::vector<double> cpu;

    template<typename Work>
    bool measure(Work work) {
        const double cpuBefore = BenchTools::processCpuSeconds();
        QElapsedTimer timer;
        timer.start();
        const bool ok = work();
        wall.push_back(elapsedMs(timer));
        cpu.push_back((BenchTools::processCpuSeconds() - cpuBefore) * 1000);
        return ok;
    }
};

QStringList figures(const Timings &timings) {
    std::vector<double> ms = timings.wall;
    std::sort(ms.begin(), ms.end());
    const double p90 = ms[std::min(ms.size() - 1, size_t(double(ms.size()) * 0.9))];
    const auto within = std::count_if(ms.begin(), ms.end(), [](double v) { return v <= 300; });
    return {BenchTools::number(BenchTools::median(ms), 0), BenchTools::number(p90, 0),
            BenchTools::number(ms.back(), 0),
            BenchTools::number(BenchTools::median(timings.cpu), 0),
            QStringLiteral("%1/%2").arg(within).arg(ms.size())};
}

} // namespace

QStringList RunFrameBench() {
    QTemporaryDir folder;
    const int count = BenchTools::runCount(15);
    std::mt19937 random(16);
    std::uniform_real_distribution<double> anyTime(0.0, ClipSeconds - 0.5);
    std::vector<double> times(size_t(count), 0);
    for (double &time : times)
        time = anyTime(random);

    QList<QStringList> rows{{QStringLiteral("material"), QStringLiteral("way"),
                             QStringLiteral("median ms"), QStringLiteral("p90 ms"),
                             QStringLiteral("max ms"), QStringLiteral("CPU median ms"),
                             QStringLiteral("<= 300 ms")}};
    for (const Material &material : Materials) {
        const QString clip = folder.filePath(QStringLiteral("clip.mp4"));
        if (!makeClip(clip, material))
            return {QStringLiteral("ffmpeg could not make the %1 clip").arg(material.name)};

        Timings process, fresh, kept, forward;
        for (const double time : times) {
            const BenchTools::ProgramRun run = BenchTools::runQuietly(
                {"ffmpeg", "-nostdin", "-v", "error", "-ss", std::to_string(time), "-i",
                 clip.toStdString(), "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-y",
                 "/dev/null"});
            process.wall.push_back(run.wallSeconds * 1000);
            process.cpu.push_back(run.cpuSeconds * 1000);

            const bool decoded = fresh.measure([&] {
                VideoFrameReader once(clip);
                return !once.frameAt(time, DialogBox).image.isNull();
            });
            if (!decoded)
                return {
                    QStringLiteral("no frame at %1 s of the %2 clip").arg(time).arg(material.name)};
        }
        VideoFrameReader reader(clip);
        for (const double time : times)
            kept.measure([&] { return !reader.frameAt(time, DialogBox).image.isNull(); });
        VideoFrameReader dragged(clip);
        for (int second = 0; second < ClipSeconds; ++second)
            forward.measure(
                [&] { return !dragged.frameAt(second + 0.5, DialogBox).image.isNull(); });
        // The clip's bit rate tells how much there is to decode per frame.
        const QString kind =
            material.name +
            QStringLiteral(", %1 Mbit/s")
                .arg(BenchTools::number(double(QFileInfo(clip).size()) * 8 / ClipSeconds / 1e6, 1));
        const auto add = [&](const QString &way, const Timings &timings) {
            rows.append(QStringList{kind, way} + figures(timings));
        };
        add(QStringLiteral("ffmpeg process"), process);
        add(QStringLiteral("reader opened each time"), fresh);
        add(QStringLiteral("reader kept open"), kept);
        add(QStringLiteral("kept, 1 s steps forward"), forward);
    }
    QStringList lines = BenchTools::table(rows);
    lines << QStringLiteral(
                 "%1 random times per 20-second 1920x1080 H.264 clip (x264 veryfast, B-frames); "
                 "the reader scales to the trim dialog's %2x%3 box, ffmpeg writes RGB24 to "
                 "/dev/null")
                 .arg(count)
                 .arg(DialogBox.width())
                 .arg(DialogBox.height());
    return lines;
}
