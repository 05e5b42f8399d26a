#include "bench/FrameBench.h"

#include "bench/BenchTools.h"
#include "filelist/VideoFrameReader.h"

#include <QElapsedTimer>
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
    const auto utf8 = [](const QString &text) {
        return text.toStdString();
    };
    return BenchTools::runQuietly({"ffmpeg", "-nostdin", "-y", "-f", "lavfi", "-i",
                                   utf8(material.source.arg(ClipSeconds)), "-c:v", "libx264",
                                   "-preset", "veryfast", "-pix_fmt", "yuv420p", "-g",
                                   std::to_string(material.keyframeEvery), utf8(path)})
        .ok;
}

double elapsedMs(const QElapsedTimer &timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

QString figures(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const double p90 = ms[std::min(ms.size() - 1, size_t(double(ms.size()) * 0.9))];
    const auto within = std::count_if(ms.begin(), ms.end(), [](double v) { return v <= 300; });
    return QStringLiteral("%1 | %2 | %3 | %4/%5")
        .arg(BenchTools::number(BenchTools::median(ms), 0))
        .arg(BenchTools::number(p90, 0))
        .arg(BenchTools::number(ms.back(), 0))
        .arg(within)
        .arg(ms.size());
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
                             QStringLiteral("max ms"), QStringLiteral("<= 300 ms")}};
    for (const Material &material : Materials) {
        const QString clip = folder.filePath(QStringLiteral("clip.mp4"));
        if (!makeClip(clip, material))
            return {QStringLiteral("ffmpeg could not make the %1 clip").arg(material.name)};

        std::vector<double> process, fresh, kept, forward;
        for (const double time : times) {
            const BenchTools::ProgramRun run = BenchTools::runQuietly(
                {"ffmpeg", "-nostdin", "-v", "error", "-ss", std::to_string(time), "-i",
                 clip.toStdString(), "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-y",
                 "/dev/null"});
            process.push_back(run.wallSeconds * 1000);

            QElapsedTimer timer;
            timer.start();
            VideoFrameReader once(clip);
            if (once.frameAt(time, DialogBox).image.isNull())
                return {
                    QStringLiteral("no frame at %1 s of the %2 clip").arg(time).arg(material.name)};
            fresh.push_back(elapsedMs(timer));
        }
        VideoFrameReader reader(clip);
        for (const double time : times) {
            QElapsedTimer timer;
            timer.start();
            reader.frameAt(time, DialogBox);
            kept.push_back(elapsedMs(timer));
        }
        VideoFrameReader dragged(clip);
        for (int second = 0; second < ClipSeconds; ++second) {
            QElapsedTimer timer;
            timer.start();
            dragged.frameAt(second + 0.5, DialogBox);
            forward.push_back(elapsedMs(timer));
        }
        const auto add = [&](const QString &way, const std::vector<double> &ms) {
            rows.append(QStringList{material.name, way} + figures(ms).split(QStringLiteral(" | ")));
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
