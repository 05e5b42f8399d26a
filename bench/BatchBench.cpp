#include "bench/BatchBench.h"

#include "bench/BenchTools.h"
#include "core/convert/BatchBuilder.h"
#include "core/convert/ConvertFiles.h"

#include <vector>

namespace {

constexpr int RowCount = 10000;

// The iPod's default profile: H.264 320x240 at 768 kbps, 25 fps, AAC.
ConversionSettings iPodSettings() {
    ConversionSettings settings;
    settings.device = QStringLiteral("iPod");
    settings.audioCodec = QStringLiteral("aac");
    settings.audioBitrate = 128;
    settings.audioSampleRate = 44100;
    settings.audioChannelsPosition = 1;
    settings.videoCodec = QStringLiteral("h264");
    settings.videoCodecPosition = 1;
    settings.videoSize = QSize(320, 240);
    settings.videoSizePosition = 0;
    settings.videoBitrate = 768;
    settings.videoBitratePosition = 2;
    settings.videoFrameRate = 25;
    settings.keepAspectRatio = 1;
    return settings;
}

BatchCodecData iPodCodecs() {
    return {QStringLiteral("ipod"),
            QStringLiteral("-profile:v baseline -level 3.0 -pix_fmt yuv420p -maxrate 2500k "
                           "-bufsize 2500k -movflags +faststart"),
            QStringLiteral("m4v"), QStringLiteral("m4a")};
}

// Rows as the list holds them: frame sizes that pad, crop or fit, every
// tenth file trimmed.
QList<FileListRow> makeRows(bool oneName) {
    static const char *const sizes[] = {"1280x720", "640x480", "720x576", "720x480", "0x0"};
    QList<FileListRow> rows;
    rows.reserve(RowCount);
    for (int i = 0; i < RowCount; ++i) {
        FileListRow row;
        const QString name = oneName ? QStringLiteral("clip") : QStringLiteral("clip %1").arg(i);
        row.Filename = name;
        row.Codec = QStringLiteral("AVC");
        row.Duration = 42 * 60 + 17;
        row.VideoSize = *ParseFrameSize(QString::fromLatin1(sizes[i % 5]));
        if (i % 10 == 0) {
            row.BeginTime = 60;
            row.EndTime = 150;
        }
        row.Filepath = QStringLiteral("/home/user/Videos/folder %1/%2.mp4").arg(i / 100).arg(name);
        rows.append(row);
    }
    return rows;
}

} // namespace

QStringList RunBatchBench() {
    const ConversionSettings settings = iPodSettings();
    const BatchCodecData codecs = iPodCodecs();
    BatchOptions options;
    options.dataFolder = QStringLiteral("/home/user/.config/Brannock Software/Mobivert");
    options.outputFolder = QStringLiteral("/home/user/Converted Video Files");
    const int runs = BenchTools::runCount(5);

    QList<QStringList> rows{{QStringLiteral("rows"), QStringLiteral("names"),
                             QStringLiteral("best s"), QStringLiteral("median s"),
                             QStringLiteral("rows/s"), QStringLiteral("peak MiB"),
                             QStringLiteral("extra MiB"), QStringLiteral("batch MiB")}};
    for (const bool oneName : {false, true}) {
        const QList<FileListRow> listed = makeRows(oneName);
        std::vector<double> times;
        qint64 peak = -1, extra = -1, batchBytes = 0;
        for (int run = 0; run < runs; ++run) {
            BatchPlan plan;
            const BenchTools::WorkCost cost = BenchTools::measureWork([&] {
                plan = BuildBatch(settings, codecs, listed, options,
                                  [](const QString &) { return false; }); // nothing on disk yet
            });
            times.push_back(cost.seconds);
            peak = cost.peakKiB;
            extra = std::max(extra, cost.extraKiB);
            batchBytes = BatchText(plan).size();
        }
        rows.append({QString::number(RowCount),
                     oneName ? QStringLiteral("all the same") : QStringLiteral("all different"),
                     BenchTools::number(BenchTools::best(times), 3),
                     BenchTools::number(BenchTools::median(times), 3),
                     BenchTools::number(RowCount / BenchTools::best(times), 0),
                     BenchTools::mib(peak), BenchTools::mib(extra),
                     BenchTools::number(double(batchBytes) / 1024.0 / 1024.0, 1)});
    }
    QStringList lines = BenchTools::table(rows);
    lines << QStringLiteral("%1 runs each; nothing on disk is consulted (the window asks the disk "
                            "whether each output name is free)")
                 .arg(runs);
    return lines;
}
