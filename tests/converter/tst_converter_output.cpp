// What the converter reads from ffmpeg (progress records, log lines) and the
// old console texts it prints from them.
#include "Components/BrannockVideoConverter/ErrorText.h"
#include "Components/BrannockVideoConverter/FfmpegLog.h"
#include "Components/BrannockVideoConverter/PictureLoss.h"
#include "Components/BrannockVideoConverter/ProgressRecord.h"
#include "Components/BrannockVideoConverter/ProgressReport.h"
#include "Components/BrannockVideoConverter/Translation.h"
#include "tests/converter/ArgumentWords.h"

#include <QTest>

using namespace converter;
using namespace Qt::StringLiterals;

namespace {

// Two records as ffmpeg 5.1 writes them for a video and audio conversion.
const char kVideoRecords[] = "frame=1\nfps=0.00\nstream_0_0_q=3.5\nbitrate=  15.2kbits/s\n"
                             "total_size=44\nout_time_us=23220\nout_time_ms=23220\n"
                             "out_time=00:00:00.023220\ndup_frames=0\ndrop_frames=0\n"
                             "speed=0.5x\nprogress=continue\n"
                             "frame=50\nfps=24.60\nstream_0_0_q=4.4\nstream_0_1_q=-1.0\n"
                             "bitrate=1253.7kbits/s\ntotal_size=316581\nout_time_us=2020000\n"
                             "out_time_ms=2020000\nout_time=00:00:02.020000\ndup_frames=0\n"
                             "drop_frames=0\nspeed=13x\nprogress=end\n";

// An audio-only conversion: no frame, fps or q, and no size at first.
const char kAudioRecords[] = "bitrate=N/A\ntotal_size=N/A\nout_time_us=N/A\nout_time_ms=N/A\n"
                             "out_time=N/A\ndup_frames=0\ndrop_frames=0\nspeed=N/A\n"
                             "progress=continue\n"
                             "bitrate=   0.8kbits/s\ntotal_size=44\nout_time_us=-23220\n"
                             "out_time_ms=-23220\nout_time=-00:00:00.023220\nprogress=continue\n";

std::vector<ProgressRecord> parseInChunks(const std::string &stream, int chunkSize) {
    ProgressParser parser;
    std::vector<ProgressRecord> records;
    for (std::size_t at = 0; at < stream.size(); at += static_cast<std::size_t>(chunkSize)) {
        const std::vector<ProgressRecord> done =
            parser.feed(std::string_view(stream).substr(at, static_cast<std::size_t>(chunkSize)));
        records.insert(records.end(), done.begin(), done.end());
    }
    return records;
}

ProgressRecord record(std::optional<long long> frame, double fps, std::optional<double> q,
                      std::optional<long long> size, long long us) {
    ProgressRecord r;
    r.frame = frame;
    r.fps = fps;
    r.quality = q;
    r.totalSize = size;
    r.outTimeUs = us;
    return r;
}

} // namespace

class ConverterOutputTest : public QObject {
    Q_OBJECT

private slots:
    void progressRecords_data();
    void progressRecords();
    void audioRecords();
    void progressLines_data();
    void progressLines();
    void finalSizes_data();
    void finalSizes();
    void logLines_data();
    void logLines();
    void errorTexts_data();
    void errorTexts();
    void unreadableInput_data();
    void unreadableInput();
    void pictureLoss_data();
    void pictureLoss();
};

void ConverterOutputTest::progressRecords_data() {
    QTest::addColumn<int>("chunkSize");
    // The pipe hands the records over in pieces of any size.
    for (int size : {1, 2, 7, 64, 4096})
        QTest::addRow("chunks of %d", size) << size;
}

void ConverterOutputTest::progressRecords() {
    QFETCH(int, chunkSize);
    const std::vector<ProgressRecord> records = parseInChunks(kVideoRecords, chunkSize);
    QCOMPARE(records.size(), std::size_t(2));
    QCOMPARE(records[0].frame.value_or(-1), 1LL);
    QCOMPARE(records[0].quality.value_or(-1), 3.5);
    QCOMPARE(records[0].totalSize.value_or(-1), 44LL);
    QCOMPARE(records[0].outTimeUs, 23220LL);
    QVERIFY(!records[0].end);
    QCOMPARE(records[1].frame.value_or(-1), 50LL);
    QCOMPARE(records[1].fps, 24.6);
    QCOMPARE(records[1].quality.value_or(-1), 4.4); // the first stream's q
    QCOMPARE(records[1].totalSize.value_or(-1), 316581LL);
    QCOMPARE(records[1].outTimeUs, 2020000LL);
    QVERIFY(records[1].end);
}

void ConverterOutputTest::audioRecords() {
    const std::vector<ProgressRecord> records = parseInChunks(kAudioRecords, 5);
    QCOMPARE(records.size(), std::size_t(2));
    QVERIFY(!records[0].frame);
    QVERIFY(!records[0].quality);
    QVERIFY(!records[0].totalSize);
    QCOMPARE(records[0].outTimeUs, 0LL);
    QCOMPARE(records[1].outTimeUs, 0LL); // a position before the start counts as 0
    QCOMPARE(progressLine(records[1], false),
             QByteArray("size=       0kB time=0.00 bitrate=  35.2kbits/s    \r").toStdString());
}

void ConverterOutputTest::progressLines_data() {
    QTest::addColumn<int>("frame"); // -1: no video
    QTest::addColumn<double>("fps");
    QTest::addColumn<double>("q");
    QTest::addColumn<qlonglong>("size"); // -1: not known
    QTest::addColumn<qlonglong>("us");
    QTest::addColumn<bool>("last");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("video") << 123 << 24.6 << 3.14 << qlonglong(466944) << qlonglong(4920000)
                           << false
                           << QByteArray("frame=  123 fps= 25 q=3.1 size=     456kB time=4.92 "
                                         "bitrate= 759.3kbits/s    \r");
    QTest::newRow("last report") << 50 << 0.0 << 4.4 << qlonglong(316581) << qlonglong(2020000)
                                 << true
                                 << QByteArray("frame=   50 fps=  0 q=4.4 Lsize=     309kB "
                                               "time=2.02 bitrate=1253.8kbits/s    \r");
    QTest::newRow("audio only") << -1 << 0.0 << 0.0 << qlonglong(33660) << qlonglong(2005333)
                                << false
                                << QByteArray(
                                       "size=      33kB time=2.01 bitrate= 134.3kbits/s    \r");
    QTest::newRow("audio only, last")
        << -1 << 0.0 << 0.0 << qlonglong(33660) << qlonglong(2005333) << true
        << QByteArray("Lsize=      33kB time=2.01 bitrate= "
                      "134.3kbits/s    \r");
    QTest::newRow("nothing written yet")
        << 0 << 0.0 << 0.0 << qlonglong(-1) << qlonglong(0) << false
        << QByteArray("frame=    0 fps=  0 q=0.0 size=       "
                      "0kB time=0.00 bitrate=   0.0kbits/s    \r");
    QTest::newRow("long run") << 123456 << 250.4 << 31.0 << qlonglong(123456789)
                              << qlonglong(3723450000) << false
                              << QByteArray("frame=123456 fps=250 q=31.0 size=  120563kB "
                                            "time=3723.45 bitrate= 265.3kbits/s    \r");
}

void ConverterOutputTest::progressLines() {
    QFETCH(int, frame);
    QFETCH(double, fps);
    QFETCH(double, q);
    QFETCH(qlonglong, size);
    QFETCH(qlonglong, us);
    QFETCH(bool, last);
    QFETCH(QByteArray, line);
    const ProgressRecord r = record(frame < 0 ? std::nullopt : std::optional<long long>(frame), fps,
                                    frame < 0 ? std::nullopt : std::optional<double>(q),
                                    size < 0 ? std::nullopt : std::optional<long long>(size), us);
    QCOMPARE(QByteArray::fromStdString(progressLine(r, last)), line);
}

void ConverterOutputTest::finalSizes_data() {
    QTest::addColumn<QByteArray>("ffmpegLine");
    QTest::addColumn<QByteArray>("summary"); // empty: not a closing line

    QTest::newRow("video and audio")
        << QByteArray("video:272kB audio:32kB subtitle:0kB other streams:0kB global headers:0kB "
                      "muxing overhead: 0.837570%")
        << QByteArray("\nvideo:272kB audio:32kB global headers:0kB muxing overhead 0.837570%\n");
    QTest::newRow("overhead unknown")
        << QByteArray("video:0kB audio:0kB subtitle:0kB other streams:0kB global headers:3kB "
                      "muxing overhead: unknown")
        << QByteArray("\nvideo:0kB audio:0kB global headers:3kB muxing overhead 0.000000%\n");
    QTest::newRow("another line") << QByteArray("Stream mapping:") << QByteArray();
    QTest::newRow("not at the start") << QByteArray(" video:1kB audio:1kB") << QByteArray();
}

void ConverterOutputTest::finalSizes() {
    QFETCH(QByteArray, ffmpegLine);
    QFETCH(QByteArray, summary);
    const std::optional<FinalSizes> sizes = parseFinalSizes(ffmpegLine.toStdString());
    QCOMPARE(sizes.has_value(), !summary.isEmpty());
    if (sizes)
        QCOMPARE(QByteArray::fromStdString(summaryLine(*sizes)), summary);
}

void ConverterOutputTest::logLines_data() {
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QByteArray>("level");
    QTest::addColumn<QByteArray>("contexts");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("with a context")
        << QByteArray("[mp4 @ 0x55561b1fb180] [info] Starting second pass") << QByteArray("info")
        << QByteArray("mp4") << QByteArray("Starting second pass");
    QTest::newRow("nested contexts")
        << QByteArray("[swscaler @ 0x5580] [swscaler @ 0x5580848b] [warning] deprecated pixel "
                      "format used")
        << QByteArray("warning") << QByteArray("swscaler,swscaler")
        << QByteArray("deprecated pixel format used");
    QTest::newRow("indented text")
        << QByteArray("[info]   Duration: 00:00:02.00, start: 0.000000") << QByteArray("info")
        << QByteArray() << QByteArray("  Duration: 00:00:02.00, start: 0.000000");
    QTest::newRow("brackets in the text")
        << QByteArray("[info]       vendor_id       : [0][0][0][0]") << QByteArray("info")
        << QByteArray() << QByteArray("      vendor_id       : [0][0][0][0]");
    QTest::newRow("continuation keeps the level") << QByteArray("more words") << QByteArray("fatal")
                                                  << QByteArray() << QByteArray("more words");
}

void ConverterOutputTest::logLines() {
    QFETCH(QByteArray, raw);
    QFETCH(QByteArray, level);
    QFETCH(QByteArray, contexts);
    QFETCH(QByteArray, text);
    const LogLine line = parseLogLine(raw.toStdString(), "fatal");
    QCOMPARE(QByteArray::fromStdString(line.level), level);
    QByteArrayList names;
    for (const std::string &name : line.contexts)
        names << QByteArray::fromStdString(name);
    QCOMPARE(names.join(','), contexts);
    QCOMPARE(QByteArray::fromStdString(line.text), text);
    QCOMPARE(isDurationLine(line.text), text.startsWith("  Duration: "));
}

void ConverterOutputTest::errorTexts_data() {
    QTest::addColumn<QByteArray>("ffmpegLine");
    QTest::addColumn<QByteArray>("printed");

    QTest::newRow("missing input")
        << QByteArray("[error] file:in dir/clip 1.avi: No such file or directory")
        << QByteArray("in dir/clip 1.avi: no such file or directory");
    QTest::newRow("unreadable input")
        << QByteArray("[error] file:in dir/clip 1.avi: Permission denied")
        << QByteArray("in dir/clip 1.avi: permission denied");
    QTest::newRow("not a media file")
        << QByteArray("[error] file:in dir/clip 1.avi: Invalid data found when processing input")
        << QByteArray("in dir/clip 1.avi: Unknown format");
    QTest::newRow("other input error")
        << QByteArray("[error] file:in dir/clip 1.avi: Is a directory")
        << QByteArray("in dir/clip 1.avi: Error while opening file");
    QTest::newRow("scaler")
        << QByteArray("[swscaler @ 0x55808452e840] [error] 0x0 -> 320x240 is invalid scaling "
                      "dimension")
        << QByteArray("swScaler: 0x0 -> 320x240 is invalid scaling dimension");
    QTest::newRow("nested scaler")
        << QByteArray("[swscaler @ 0x5580] [swscaler @ 0x5581] [error] bad dimension")
        << QByteArray("swScaler: bad dimension");
    QTest::newRow("unknown encoder")
        << QByteArray("[fatal] Unknown encoder 'foo'") << QByteArray("Unknown encoder 'foo'");
    QTest::newRow("other error without its prefix")
        << QByteArray("[Parsed_crop_0 @ 0x558b4c032740] [error] Invalid too big or non positive "
                      "size")
        << QByteArray("Invalid too big or non positive size");
    QTest::newRow("output named as given")
        << QByteArray("[error] file:/proc/self/fd/4: No space left on device")
        << QByteArray("out.mp4: No space left on device");
    QTest::newRow("input named elsewhere in a message")
        << QByteArray("[error] Error opening file:in dir/clip 1.avi twice")
        << QByteArray("Error opening in dir/clip 1.avi twice");
    QTest::newRow("the input's name without a colon is no input error")
        << QByteArray("[error] file:in dir/clip 1.avi") << QByteArray("in dir/clip 1.avi");
}

void ConverterOutputTest::errorTexts() {
    QFETCH(QByteArray, ffmpegLine);
    QFETCH(QByteArray, printed);
    const ErrorText errorText("file:in dir/clip 1.avi", "in dir/clip 1.avi", "file:/proc/self/fd/4",
                              "out.mp4");
    const LogLine line = parseLogLine(ffmpegLine.toStdString(), "info");
    QVERIFY(line.isError());
    QCOMPARE(QByteArray::fromStdString(errorText.translate(line)), printed);
}

void ConverterOutputTest::unreadableInput_data() {
    QTest::addColumn<QByteArray>("ffmpegLine");
    QTest::addColumn<bool>("unreadable");
    QTest::newRow("the source's decoder") << QByteArray("[h264 @ 0x5] [error] no frame!") << true;
    QTest::newRow("the source's demuxer")
        << QByteArray("[mov,mp4,m4a,3gp,3g2,mj2 @ 0x5] [error] stream 0: partial") << true;
    QTest::newRow("a stream that could not be decoded")
        << QByteArray("[error] Error while decoding stream #0:1: Invalid data found") << true;
    QTest::newRow("a NAL unit of a decoder named otherwise")
        << QByteArray("[hevc @ 0x5] [error] Invalid NAL unit size (-15 > 833).") << true;
    QTest::newRow("the encoder") << QByteArray("[libx264 @ 0x5] [error] broken ffmpeg default")
                                 << false;
    QTest::newRow("the muxer") << QByteArray("[ipod @ 0x5] [error] Could not write header")
                               << false;
    QTest::newRow("the output's disk")
        << QByteArray("[error] file:/proc/self/fd/4: No space left on device") << false;
}

void ConverterOutputTest::unreadableInput() {
    QFETCH(QByteArray, ffmpegLine);
    QFETCH(bool, unreadable);
    const std::vector<LogLine> errors{parseLogLine("[fatal] Conversion failed!", "info"),
                                      parseLogLine(ffmpegLine.toStdString(), "info")};
    QCOMPARE(inputUnreadable(errors, {"mov,mp4,m4a,3gp,3g2,mj2", "h264", "aac"}), unreadable);
}

void ConverterOutputTest::pictureLoss_data() {
    QTest::addColumn<QString>("options");    // of the line, before -y
    QTest::addColumn<long long>("stated");   // frames the picture states over its 6 s; 0 none
    QTest::addColumn<double>("averageRate"); // its average rate
    QTest::addColumn<long long>("frames");   // written
    QTest::addColumn<double>("reached");     // seconds
    QTest::addColumn<bool>("lost");
    const QString copy = u"-vcodec h264"_s;
    QTest::newRow("whole") << copy << 150LL << 25.0 << 150LL << 6.0 << false;
    QTest::newRow("sound only") << copy << 150LL << 25.0 << 0LL << 6.0 << true;
    QTest::newRow("one frame of 150") << copy << 150LL << 25.0 << 1LL << 6.0 << true;
    QTest::newRow("a quarter") << copy << 150LL << 25.0 << 38LL << 6.0 << false;
    QTest::newRow("less than a quarter") << copy << 150LL << 25.0 << 37LL << 6.0 << true;
    QTest::newRow("a still picture of 6 s") << copy << 1LL << 0.17 << 1LL << 6.0 << false;
    QTest::newRow("a timing that states 1 frame in 512 s, 150 stated")
        << copy << 150LL << 1.0 / 512 << 1LL << 6.0 << true;
    QTest::newRow("no rate known: one frame will do") << copy << 0LL << 0.0 << 1LL << 6.0 << false;
    QTest::newRow("no rate known, no frame") << copy << 0LL << 0.0 << 0LL << 6.0 << true;
    QTest::newRow("the line's rate is lower")
        << u"-vcodec h264 -r 5"_s << 150LL << 25.0 << 8LL << 6.0 << false;
    QTest::newRow("the sound goes on past the picture, from 4 s")
        << u"-vcodec h264 -ss 4"_s << 150LL << 25.0 << 13LL << 30.0 << false;
    QTest::newRow("a number of frames asked for")
        << u"-vcodec h264 -vframes 2"_s << 150LL << 25.0 << 2LL << 6.0 << false;
    QTest::newRow("no picture written") << u"-vn"_s << 150LL << 25.0 << 0LL << 6.0 << false;
}

void ConverterOutputTest::pictureLoss() {
    QFETCH(QString, options);
    QFETCH(long long, stated);
    QFETCH(double, averageRate);
    QFETCH(long long, frames);
    QFETCH(double, reached);
    QFETCH(bool, lost);
    const Plan plan = std::get<Plan>(translate(words(u"-i in.mp4 "_s + options + u" -y o.m4v"_s)));
    SourceFacts facts;
    facts.hasVideo = true;
    facts.videoDuration = 6.0;
    facts.videoFrames = stated;
    facts.videoFrameRate = averageRate;
    const std::optional<std::string> error = pictureLossError(plan, facts, frames, reached);
    QCOMPARE(error.has_value(), lost);
    if (lost)
        QCOMPARE(*error,
                 "in.mp4: the picture could not be read: the file is damaged or incomplete");
}

QTEST_GUILESS_MAIN(ConverterOutputTest)
#include "tst_converter_output.moc"
