// The built converter copying a source's video where it already suits the
// line, on clips made by ffmpeg: the packets arrive unchanged, a trim starts
// at a key frame, and what does not suit is encoded as before.
#include "tests/converter/IpodLine.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kCopied = u"Copied (already suits the device)"_s;

// The MD5 of a file's packets of one kind ("v", "a"), as ffmpeg's streamhash muxer gives it.
QByteArray streamHash(const QString &file, const QString &kind) {
    return RunProgram(u"ffmpeg"_s, {u"-nostdin"_s, u"-v"_s, u"error"_s, u"-i"_s, file, u"-map"_s,
                                    u"0:"_s + kind + u":0"_s, u"-c"_s, u"copy"_s, u"-f"_s,
                                    u"streamhash"_s, u"-hash"_s, u"md5"_s, u"-"_s})
        .output.trimmed();
}

// The MD5 of each video packet, in order.
QList<QByteArray> packetHashes(const QString &file) {
    const ProgramResult result = RunProgram(
        u"ffprobe"_s, {u"-v"_s, u"error"_s, u"-select_streams"_s, u"v:0"_s, u"-show_packets"_s,
                       u"-show_data_hash"_s, u"MD5"_s, u"-show_entries"_s, u"packet=data_hash"_s,
                       u"-of"_s, u"csv=p=0"_s, file});
    return result.output.trimmed().split('\n');
}

} // namespace

class VideoCopyRunTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_clips.isValid());
        ClipSpec spec;
        spec.seconds = 12;
        spec.width = 640;
        spec.height = 480;
        // Constrained Baseline 3.0 at 25 fps, a key frame every 2.4 s.
        spec.codecArguments = {u"-c:v"_s,     u"libx264"_s, u"-profile:v"_s,    u"baseline"_s,
                               u"-level"_s,   u"3.0"_s,     u"-b:v"_s,          u"1000k"_s,
                               u"-g"_s,       u"60"_s,      u"-sc_threshold"_s, u"0"_s,
                               u"-pix_fmt"_s, u"yuv420p"_s, u"-c:a"_s,          u"aac"_s,
                               u"-b:a"_s,     u"128k"_s,    u"-ar"_s,           u"44100"_s};
        QVERIFY(MakeClip(m_clips.filePath(u"suits.mp4"_s), spec));
        // 720p High profile with B-frames: x264's own choice.
        spec.seconds = 2;
        spec.width = 1280;
        spec.height = 720;
        spec.codecArguments = {u"-c:v"_s, u"libx264"_s, u"-c:a"_s, u"aac"_s};
        QVERIFY(MakeClip(m_clips.filePath(u"high720.mp4"_s), spec));
    }

    void copiedOrEncoded_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<bool>("copied");
        QTest::newRow("suits: copied, sound too") << u"suits.mp4"_s << QStringList() << true;
        QTest::newRow("burning subtitles asked for, none there: copied")
            << u"suits.mp4"_s << QStringList{u"-burnsubs"_s, u"default"_s} << true;
        QTest::newRow("-alwaysencode: encoded")
            << u"suits.mp4"_s << QStringList{u"-alwaysencode"_s} << false;
        QTest::newRow("720p High with B-frames: encoded")
            << u"high720.mp4"_s << QStringList() << false;
    }

    void copiedOrEncoded() {
        QFETCH(QString, source);
        QFETCH(QStringList, extra);
        QFETCH(bool, copied);
        QTemporaryDir work;
        const QString input = m_clips.filePath(source);
        const QString output = work.filePath(u"out.m4v"_s);
        ProgramOptions options;
        options.timeoutMs = kPatienceMs;
        const ProgramResult result =
            RunProgram(TestPaths::converter(), IpodLine(input, extra, output), options);
        QVERIFY2(result.exitCode == 0, result.output.constData());
        QCOMPARE(result.output.contains(kCopied.toUtf8()), copied);
        // What the application follows is there either way.
        QVERIFY2(result.output.contains("time="), result.output.constData());
        QVERIFY2(QRegularExpression(u"\nvideo:\\d+kB audio:\\d+kB"_s)
                     .match(QString::fromLatin1(result.output))
                     .hasMatch(),
                 result.output.constData());
        QCOMPARE(streamHash(output, u"v"_s) == streamHash(input, u"v"_s), copied);
        QCOMPARE(streamHash(output, u"a"_s) == streamHash(input, u"a"_s), copied);
        const QJsonObject video = ProbeStream(Probe(output), u"video"_s);
        QCOMPARE(video.value(u"width"_s).toInt(), 640);
        QCOMPARE(video.value(u"profile"_s).toString(), u"Constrained Baseline"_s);
    }

    void trimmedCopyStartsAtAKeyFrame() {
        QTemporaryDir work;
        const QString input = m_clips.filePath(u"suits.mp4"_s);
        const QString output = work.filePath(u"cut.m4v"_s);
        ProgramOptions options;
        options.timeoutMs = kPatienceMs;
        const ProgramResult result =
            RunProgram(TestPaths::converter(),
                       IpodLine(input, {u"-ss"_s, u"5"_s, u"-t"_s, u"6"_s}, output), options);
        QVERIFY2(result.exitCode == 0, result.output.constData());
        QVERIFY2(result.output.contains(
                     "Copied (already suits the device); cut at key frames: 00:00:04.800 to "
                     "00:00:11.000\n"),
                 result.output.constData());
        // The source's packets from the key frame at 4.8 s (the 121st) to 11 s.
        const QList<QByteArray> all = packetHashes(input);
        QCOMPARE(packetHashes(output), all.mid(120, 155));
    }

private:
    QTemporaryDir m_clips;
};

QTEST_GUILESS_MAIN(VideoCopyRunTest)
#include "tst_video_copy_run.moc"
