// Frames decoded in process against ffmpeg's own extraction of the same
// frame, the frame shown at a time (at or just before it), files that hold
// no picture, and a loader that answers only the newest request.
#include "core/filelist/FrameLoader.h"
#include "core/filelist/VideoFrameReader.h"
#include "tests/filelist/SampleFiles.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

constexpr int Fps = 25;

// A 4-second 25 fps clip in the given container and codec; keyframes every
// `gop` frames, so times deep inside a group need decoding from a keyframe.
QString makeClip(const QString &folder, const QString &name, const QStringList &codec) {
    ClipSpec clip;
    clip.seconds = 4;
    clip.fps = Fps;
    clip.codecArguments = codec;
    const QString path = folder + u'/' + name;
    if (!MakeClip(path, clip))
        qFatal("ffmpeg could not make %s", qPrintable(path));
    return path;
}

// The time of every frame in presentation order, from the start of the
// file, as ffprobe reads them (a clip may lack a frame, or start its video
// after its sound).
QList<double> frameTimes(const QString &path) {
    const ProgramResult result = RunProgram(
        QStringLiteral("ffprobe"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
         QStringLiteral("v"), QStringLiteral("-show_entries"),
         QStringLiteral("frame=best_effort_timestamp_time:format=start_time"),
         QStringLiteral("-of"), QStringLiteral("default=nw=1"), path});
    QList<double> times;
    double start = 0;
    for (const QByteArray &line : result.output.split('\n')) {
        bool known = false;
        if (line.startsWith("best_effort_timestamp_time=")) {
            const double time = line.mid(27).toDouble(&known);
            // The decoder may leave the last frame's time unknown.
            times.append(known ? time : times.value(times.size() - 1) + 1.0 / Fps);
        } else if (line.startsWith("start_time="))
            start = line.mid(11).toDouble();
    }
    for (double &time : times)
        time -= start;
    return times;
}

// Frame `index` (in presentation order) as ffmpeg extracts it, as RGB24.
QByteArray ffmpegFrame(const QString &path, int index) {
    const ProgramResult result =
        RunProgram(QStringLiteral("ffmpeg"),
                   {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                    QStringLiteral("-i"), path, QStringLiteral("-vf"),
                    QStringLiteral("select=eq(n\\,%1)").arg(index), QStringLiteral("-frames:v"),
                    QStringLiteral("1"), QStringLiteral("-f"), QStringLiteral("rawvideo"),
                    QStringLiteral("-pix_fmt"), QStringLiteral("rgb24"), QStringLiteral("-")});
    return result.exitCode == 0 ? result.output : QByteArray();
}

QByteArray rgbBytes(const QImage &image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray bytes;
    for (int y = 0; y < rgb.height(); ++y)
        bytes.append(reinterpret_cast<const char *>(rgb.constScanLine(y)), rgb.width() * 3);
    return bytes;
}

// Mean absolute difference per byte; infinite for pictures of other sizes.
double meanDifference(const QByteArray &a, const QByteArray &b) {
    if (a.size() != b.size() || a.isEmpty())
        return INFINITY;
    double sum = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        sum += std::abs(int(uchar(a[i])) - int(uchar(b[i])));
    return sum / double(a.size());
}

} // namespace

class TestVideoFrames : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        const QString folder = m_dir.path();
        m_clips = {
            {QStringLiteral("H.264 with B-frames, MP4"),
             makeClip(folder, QStringLiteral("b.mp4"),
                      {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                       QStringLiteral("veryfast"), QStringLiteral("-g"), QStringLiteral("40"),
                       QStringLiteral("-bf"), QStringLiteral("3")})},
            {QStringLiteral("MPEG-4 in AVI"),
             makeClip(folder, QStringLiteral("m.avi"),
                      {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-g"),
                       QStringLiteral("30")})},
            // A program stream starts its clock late: times count from its start.
            {QStringLiteral("MPEG-2 program stream"),
             makeClip(folder, QStringLiteral("p.mpg"),
                      {QStringLiteral("-c:v"), QStringLiteral("mpeg2video"), QStringLiteral("-bf"),
                       QStringLiteral("2"), QStringLiteral("-c:a"), QStringLiteral("mp2")})},
        };
    }

    // One reader asked for times in this order: seeks, decoding on from the
    // last frame, a time inside the frame already shown, going back, the
    // very start and a time past the end.
    void frameAtMatchesFfmpeg_data() {
        QTest::addColumn<QString>("path");
        for (const auto &[kind, path] : std::as_const(m_clips))
            QTest::newRow(qPrintable(kind)) << path;
    }

    void frameAtMatchesFfmpeg() {
        QFETCH(QString, path);
        VideoFrameReader reader(path);
        QVERIFY(reader.hasVideo());
        QCOMPARE(reader.displaySize(), QSize(320, 240));
        const QList<double> shown = frameTimes(path);
        QVERIFY(shown.size() >= 4 * Fps - 2);
        const double times[] = {2.95, 3.03, 3.05, 1.0, 0.0, 1.79, 2.1, 9.0};
        for (const double time : times) {
            // The last frame that starts at or before the time.
            int index = 0;
            while (index + 1 < shown.size() && shown[index + 1] <= time + 1e-6)
                ++index;
            const VideoFrameReader::Frame frame = reader.frameAt(time);
            QVERIFY2(!frame.image.isNull(), qPrintable(QString::number(time)));
            QCOMPARE(frame.image.size(), QSize(320, 240));
            QVERIFY2(std::abs(frame.seconds - shown[index]) < 0.002,
                     qPrintable(
                         QStringLiteral("at %1 got the frame of %2").arg(time).arg(frame.seconds)));
            const QByteArray ours = rgbBytes(frame.image);
            const double same = meanDifference(ours, ffmpegFrame(path, index));
            const int neighbour = index > 0 ? index - 1 : index + 1;
            const double other = meanDifference(ours, ffmpegFrame(path, neighbour));
            QVERIFY2(same < 0.5 && other > same + 1.0,
                     qPrintable(QStringLiteral("at %1: %2 from frame %3, %4 from frame %5")
                                    .arg(time)
                                    .arg(same)
                                    .arg(index)
                                    .arg(other)
                                    .arg(neighbour)));
        }
    }

    void scaledToFitWithItsShape() {
        VideoFrameReader reader(m_clips.first().second);
        QCOMPARE(reader.frameAt(1, QSize(160, 160)).image.size(), QSize(160, 120));
        QCOMPARE(reader.frameAt(1, QSize(0, 60)).image.size(), QSize(80, 60));
        QCOMPARE(reader.frameAt(1, QSize(100, 0)).image.size(), QSize(100, 75));
    }

    // A phone video stored on its side is shown upright, as ffmpeg shows it,
    // and fits a box the way it is shown.
    void turnedAsShown_data() {
        QTest::addColumn<int>("degrees");
        QTest::newRow("a quarter") << 90;
        QTest::newRow("half") << 180;
        QTest::newRow("three quarters") << 270;
    }

    void turnedAsShown() {
        QFETCH(int, degrees);
        const QString path = SampleFiles::makeRotatedMp4(m_dir.path(), degrees);
        VideoFrameReader reader(path);
        const QSize stored(352, 288);
        const QSize shown = degrees == 180 ? stored : stored.transposed();
        QCOMPARE(reader.displaySize(), shown);
        const QImage picture = reader.frameAt(0).image;
        QCOMPARE(picture.size(), shown);
        const double difference = meanDifference(rgbBytes(picture), ffmpegFrame(path, 0));
        QVERIFY2(difference < 1.0, qPrintable(QString::number(difference)));
        QCOMPARE(reader.frameAt(0.5, QSize(100, 100)).image.size().height(),
                 degrees == 180 ? 82 : 100);
    }

    void noPictureInFilesWithoutOne_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("empty") << "empty";
        QTest::newRow("text named .avi") << "text";
        QTest::newRow("sound only") << "mp3";
        QTest::newRow("cut short") << "truncated";
    }

    void noPictureInFilesWithoutOne() {
        QFETCH(QString, kind);
        const QString folder = m_dir.path();
        QString path = folder + QStringLiteral("/nothing.avi");
        if (kind == u"empty")
            path = SampleFiles::makeEmpty(folder);
        else if (kind == u"text")
            path = SampleFiles::makeTextAsAvi(folder);
        else if (kind == u"mp3")
            path = SampleFiles::makeMp3(folder);
        if (kind == u"truncated") {
            // The header of an MP4 whose index is at its end, and no more.
            QFile whole(m_clips.first().second);
            QVERIFY(whole.open(QIODevice::ReadOnly));
            path = folder + QStringLiteral("/cut.mp4");
            QFile cut(path);
            QVERIFY(cut.open(QIODevice::WriteOnly));
            cut.write(whole.read(600));
        }
        VideoFrameReader reader(path);
        QVERIFY(!reader.hasVideo());
        QVERIFY(reader.frameAt(1).image.isNull());
        QVERIFY(reader.displaySize().isEmpty());
    }

    void statsOfAFile() {
        const std::optional<MediaStats> stats = ReadMediaStats(m_clips.first().second);
        QVERIFY(stats);
        QCOMPARE(stats->pictureSize, QSize(320, 240));
        QVERIFY(std::abs(stats->seconds - 4.0) < 0.1);
        QVERIFY(stats->videoBytes > 0 && stats->audioBytes > 0);
        QVERIFY(stats->videoBytes + stats->audioBytes <= stats->fileBytes);
        QCOMPARE(stats->bytesPerMinute(), stats->fileBytes / stats->seconds * 60);
        QVERIFY(!ReadMediaStats(SampleFiles::makeTextAsAvi(m_dir.path())));
    }

    void onlyTheNewestRequestIsAnswered() {
        FrameLoader loader;
        QSignalSpy answers(&loader, &FrameLoader::frameReady);
        loader.setFile(m_clips.first().second);
        loader.request(3.5);
        loader.request(0.5);
        loader.request(1.0, QSize(80, 60));
        QVERIFY(loader.isBusy());
        QVERIFY(answers.wait(kPatienceMs));
        QTest::qWait(200);
        QCOMPARE(answers.size(), 1);
        const auto result = answers.first().first().value<FrameLoader::Result>();
        QCOMPARE(result.requested, 1.0);
        QCOMPARE(result.frame.image.size(), QSize(80, 60));
        QVERIFY(!loader.isBusy());

        loader.setFile(m_dir.path() + QStringLiteral("/nothing.avi"));
        loader.request(1.0);
        QVERIFY(answers.wait(kPatienceMs));
        QVERIFY(answers.last().first().value<FrameLoader::Result>().frame.image.isNull());

        loader.setFile(m_clips.first().second);
        loader.request(2.0);
        loader.cancel();
        QTest::qWait(500);
        QCOMPARE(answers.size(), 2);
    }

private:
    QTemporaryDir m_dir;
    QList<std::pair<QString, QString>> m_clips;
};

QTEST_GUILESS_MAIN(TestVideoFrames)
#include "tst_videoframes.moc"
