// The built converter run on short clips made by ffmpeg's test sources, its
// outputs read back with ffprobe.
#include "Components/BrannockVideoConverter/OutputFormats.h"
#include "core/platform/Processes.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString ffmpegPath() {
    return QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
}

ProgramResult
convert(const QStringList &arguments, const QString &folder = {},
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment()) {
    ProgramOptions options;
    options.workingDirectory = folder;
    options.environment = environment;
    options.timeoutMs = 60000;
    return RunProgram(TestPaths::converter(), arguments, options);
}

// The progress lines of a run: the pieces that hold "time=".
QList<QByteArray> progressLines(const QByteArray &output) {
    QList<QByteArray> lines;
    QByteArray current;
    for (char c : output) {
        current += c;
        if (c == '\r' || c == '\n') {
            if (current.contains("time="))
                lines << current;
            current.clear();
        }
    }
    return lines;
}

double secondsOf(const QByteArray &line) {
    static const QRegularExpression time(QStringLiteral("time=(\\d+\\.\\d+) "));
    return time.match(QString::fromLatin1(line)).captured(1).toDouble();
}

// The luma of the first frame, one byte a pixel.
QByteArray firstFrameLuma(const QString &video, const QString &folder) {
    const QString raw = folder + QStringLiteral("/frame.gray");
    RunProgram(QStringLiteral("ffmpeg"),
               {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                QStringLiteral("-y"), QStringLiteral("-i"), video, QStringLiteral("-frames:v"),
                QStringLiteral("1"), QStringLiteral("-f"), QStringLiteral("rawvideo"),
                QStringLiteral("-pix_fmt"), QStringLiteral("gray"), raw});
    const QByteArray luma = ReadFileBytes(raw);
    QFile::remove(raw);
    return luma;
}

double meanOfRows(const QByteArray &luma, int width, int firstRow, int rows) {
    double sum = 0;
    for (int i = firstRow * width; i < (firstRow + rows) * width; ++i)
        sum += static_cast<unsigned char>(luma.at(i));
    return sum / (rows * width);
}

// The process ids whose parent is `parent`.
QList<qint64> childrenOf(qint64 parent) {
    QList<qint64> children;
    for (const ProcessEntry &process : ListProcesses()) {
        if (process.parentPid == parent)
            children << process.pid;
    }
    return children;
}

// Files and folders in a folder, sorted.
QStringList entriesIn(const QString &folder) {
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    names.sort();
    return names;
}

// An environment whose temporary folder is `folder`: where two-pass
// conversions keep their pass logs.
QProcessEnvironment withTemporaryFolder(const QString &folder) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), folder);
    return environment;
}

bool isRunning(qint64 pid) {
    const QByteArray stat = ReadFileBytes(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.isEmpty())
        return false;
    const char state = stat.at(stat.lastIndexOf(')') + 2);
    return state != 'Z' && state != 'X'; // a zombie no longer runs
}

} // namespace

class ConverterRunTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void workedExample();
    void geometry_data();
    void geometry();
    void streams_data();
    void streams();
    void thumbnail_data();
    void thumbnail();
    void progressGrows();
    void inputErrors_data();
    void inputErrors();
    void truncatedSources_data();
    void truncatedSources();
    void refusals_data();
    void refusals();
    void ffmpegLocation_data();
    void ffmpegLocation();
    void stopped_data();
    void stopped();
    void fileNames_data();
    void fileNames();
    void extensionFfmpegMustSee();
    void muxerTableMatchesFfmpeg_data();
    void muxerTableMatchesFfmpeg();
    void twoPasses();
    void twoPassesBelowWhatThePictureNeeds();
    void passLogRemoved_data();
    void passLogRemoved();
    void abandonedPassLogs();

private:
    QTemporaryDir m_clips;
    QString m_clip;     // 2 s, 320x240, 25 fps, stereo
    QString m_longClip; // 6 s, 320x240, 10 fps, stereo
    std::unique_ptr<QTemporaryDir> m_work;
    QString m_folder; // a fresh folder for each test
};

void ConverterRunTest::initTestCase() {
    QVERIFY(QFile::exists(TestPaths::converter()));
    QVERIFY(!ffmpegPath().isEmpty());
    m_clip = m_clips.filePath(QStringLiteral("clip.mp4"));
    QVERIFY(MakeClip(m_clip));
    m_longClip = m_clips.filePath(QStringLiteral("long.mp4"));
    ClipSpec spec;
    spec.seconds = 6;
    spec.fps = 10;
    QVERIFY(MakeClip(m_longClip, spec));
}

void ConverterRunTest::init() {
    m_work = std::make_unique<QTemporaryDir>();
    QVERIFY(m_work->isValid());
    m_folder = m_work->path();
}

void ConverterRunTest::workedExample() {
    const QString output = m_folder + QStringLiteral("/holiday.mp4");
    const ProgramResult result = convert({QStringLiteral("-i"),      m_clip,
                                          QStringLiteral("-vcodec"), QStringLiteral("mpeg4"),
                                          QStringLiteral("-s"),      QStringLiteral("320x240"),
                                          QStringLiteral("-b"),      QStringLiteral("718kbps"),
                                          QStringLiteral("-r"),      QStringLiteral("25"),
                                          QStringLiteral("-acodec"), QStringLiteral("aac"),
                                          QStringLiteral("-ab"),     QStringLiteral("128kbps"),
                                          QStringLiteral("-ar"),     QStringLiteral("44100"),
                                          QStringLiteral("-ac"),     QStringLiteral("2"),
                                          QStringLiteral("-y"),      output});
    QVERIFY2(result.exitCode == 0 && !result.crashed, result.output.constData());

    const QJsonObject probe = Probe(output);
    const QJsonObject video = ProbeStream(probe, QStringLiteral("video"));
    const QJsonObject audio = ProbeStream(probe, QStringLiteral("audio"));
    QCOMPARE(video.value(QStringLiteral("codec_name")).toString(), QStringLiteral("mpeg4"));
    QCOMPARE(video.value(QStringLiteral("width")).toInt(), 320);
    QCOMPARE(video.value(QStringLiteral("height")).toInt(), 240);
    QCOMPARE(video.value(QStringLiteral("r_frame_rate")).toString(), QStringLiteral("25/1"));
    QCOMPARE(audio.value(QStringLiteral("codec_name")).toString(), QStringLiteral("aac"));
    QCOMPARE(audio.value(QStringLiteral("sample_rate")).toString(), QStringLiteral("44100"));
    QCOMPARE(audio.value(QStringLiteral("channels")).toInt(), 2);

    // The texts of the old builds: the input's duration first, the last
    // report, then the summary.
    QVERIFY2(result.output.startsWith("  Duration: 00:00:02.00, start: "),
             result.output.constData());
    static const QRegularExpression ending(QStringLiteral(
        "frame= +\\d+ fps= *\\d+ q= *[\\d.]+ Lsize= +\\d+kB time=2\\.\\d\\d bitrate= "
        "*[\\d.]+kbits/s"
        "    \\r\\nvideo:\\d+kB audio:\\d+kB global headers:\\d+kB muxing overhead [\\d.]+%\\n$"));
    QVERIFY2(ending.match(QString::fromLatin1(result.output)).hasMatch(),
             result.output.constData());
    QCOMPARE(FilesIn(m_folder), QStringList{QStringLiteral("holiday.mp4")});
}

void ConverterRunTest::geometry_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bars"); // rows of black at the top and at the bottom

    QTest::newRow("padded") << QStringList{QStringLiteral("-s"),         QStringLiteral("320x180"),
                                           QStringLiteral("-padtop"),    QStringLiteral("30"),
                                           QStringLiteral("-padbottom"), QStringLiteral("30")}
                            << 320 << 240 << 30;
    QTest::newRow("cropped") << QStringList{QStringLiteral("-croptop"),
                                            QStringLiteral("8"),
                                            QStringLiteral("-cropbottom"),
                                            QStringLiteral("8"),
                                            QStringLiteral("-s"),
                                            QStringLiteral("320x240")}
                             << 320 << 240 << 0;
    QTest::newRow("scaled") << QStringList{QStringLiteral("-s"), QStringLiteral("176x144")} << 176
                            << 144 << 0;
}

void ConverterRunTest::geometry() {
    QFETCH(QStringList, options);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bars);
    const QString output = m_folder + QStringLiteral("/out.mp4");
    const ProgramResult result =
        convert(QStringList{QStringLiteral("-i"), m_clip, QStringLiteral("-vcodec"),
                            QStringLiteral("mpeg4")} +
                options + QStringList{QStringLiteral("-an"), QStringLiteral("-y"), output});
    QVERIFY2(result.exitCode == 0, result.output.constData());
    const QJsonObject video = ProbeStream(Probe(output), QStringLiteral("video"));
    QCOMPARE(video.value(QStringLiteral("width")).toInt(), width);
    QCOMPARE(video.value(QStringLiteral("height")).toInt(), height);
    QCOMPARE(video.value(QStringLiteral("sample_aspect_ratio")).toString(), QStringLiteral("1:1"));
    if (bars > 0) {
        const QByteArray luma = firstFrameLuma(output, m_folder);
        QCOMPARE(luma.size(), width * height);
        const int safe = bars - 4; // the encoder blurs the edge of the picture a little
        QVERIFY(meanOfRows(luma, width, 0, safe) < 24);
        QVERIFY(meanOfRows(luma, width, height - safe, safe) < 24);
        QVERIFY(meanOfRows(luma, width, height / 2 - 4, 8) > 40); // the picture itself
    }
}

void ConverterRunTest::streams_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("outputName");
    QTest::addColumn<bool>("video");
    QTest::addColumn<bool>("audio");

    QTest::newRow("audio only") << QStringLiteral("-vn") << QStringLiteral("song.m4a") << false
                                << true;
    QTest::newRow("video only") << QStringLiteral("-an") << QStringLiteral("silent.mp4") << true
                                << false;
}

void ConverterRunTest::streams() {
    QFETCH(QString, option);
    QFETCH(QString, outputName);
    QFETCH(bool, video);
    QFETCH(bool, audio);
    const QString output = m_folder + QLatin1Char('/') + outputName;
    QStringList arguments{QStringLiteral("-i"), m_clip, option};
    if (video)
        arguments << QStringLiteral("-vcodec") << QStringLiteral("mpeg4") << QStringLiteral("-s")
                  << QStringLiteral("160x120");
    if (audio)
        arguments << QStringLiteral("-acodec") << QStringLiteral("aac") << QStringLiteral("-ab")
                  << QStringLiteral("96kbps");
    const ProgramResult result = convert(arguments + QStringList{QStringLiteral("-y"), output});
    QVERIFY2(result.exitCode == 0, result.output.constData());

    const QJsonObject probe = Probe(output);
    QCOMPARE(ProbeStream(probe, QStringLiteral("video")).isEmpty(), !video);
    QCOMPARE(ProbeStream(probe, QStringLiteral("audio")).isEmpty(), !audio);
    // An MP4 file with a picture carries its cover art besides.
    QCOMPARE(probe.value(QStringLiteral("streams")).toArray().size(),
             video && (outputName.endsWith(u".mp4") || outputName.endsWith(u".m4v")) ? 2 : 1);
    // Without video the progress lines start at the size.
    const QList<QByteArray> lines = progressLines(result.output);
    QVERIFY(!lines.isEmpty());
    for (const QByteArray &line : lines)
        QCOMPARE(line.startsWith("frame="), video);
}

void ConverterRunTest::thumbnail_data() {
    QTest::addColumn<bool>("longClip");
    QTest::newRow("at five seconds") << true;
    QTest::newRow("clip shorter than five seconds: its first picture") << false;
}

void ConverterRunTest::thumbnail() {
    QFETCH(bool, longClip);
    const QString output = m_folder + QStringLiteral("/M4V00001.thm");
    const ProgramResult result =
        convert({QStringLiteral("-i"), longClip ? m_longClip : m_clip, QStringLiteral("-f"),
                 QStringLiteral("image2"), QStringLiteral("-ss"), QStringLiteral("5"),
                 QStringLiteral("-vframes"), QStringLiteral("1"), QStringLiteral("-s"),
                 QStringLiteral("160x120"), QStringLiteral("-an"), QStringLiteral("-y"), output});
    QVERIFY2(result.exitCode == 0, result.output.constData());
    QVERIFY(ReadFileBytes(output).startsWith("\xFF\xD8\xFF")); // a JPEG file
    const QJsonObject picture = ProbeStream(Probe(output), QStringLiteral("video"));
    QCOMPARE(picture.value(QStringLiteral("codec_name")).toString(), QStringLiteral("mjpeg"));
    QCOMPARE(picture.value(QStringLiteral("width")).toInt(), 160);
    QCOMPARE(picture.value(QStringLiteral("height")).toInt(), 120);
    QCOMPARE(FilesIn(m_folder), QStringList{QStringLiteral("M4V00001.thm")});
    QVERIFY(result.output.contains("Lsize="));
}

void ConverterRunTest::progressGrows() {
    // -re reads the clip at its own pace, so the two seconds give several reports.
    const QString output = m_folder + QStringLiteral("/out.mp4");
    const ProgramResult result =
        convert({QStringLiteral("-re"), QStringLiteral("-i"), m_clip, QStringLiteral("-vcodec"),
                 QStringLiteral("mpeg4"), QStringLiteral("-acodec"), QStringLiteral("aac"),
                 QStringLiteral("-y"), output});
    QVERIFY2(result.exitCode == 0, result.output.constData());

    const QList<QByteArray> lines = progressLines(result.output);
    QVERIFY2(lines.size() >= 3, result.output.constData());
    QVERIFY(result.output.indexOf("  Duration: ") < result.output.indexOf("time="));
    static const QRegularExpression form(QStringLiteral(
        "^frame= *\\d+ fps= *\\d+ q= *-?\\d+\\.\\d (L?)size= *\\d+kB time=(\\d+\\.\\d\\d) "
        "bitrate= *\\d+\\.\\dkbits/s    \\r$"));
    double previous = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch match = form.match(QString::fromLatin1(lines.at(i)));
        QVERIFY2(match.hasMatch(), lines.at(i).constData());
        const bool last = i == lines.size() - 1;
        QCOMPARE(match.captured(1), last ? QStringLiteral("L") : QString());
        const double seconds = secondsOf(lines.at(i));
        QVERIFY2(seconds >= previous, lines.at(i).constData());
        previous = seconds;
    }
    QVERIFY(secondsOf(lines.first()) < 1.0);
    QVERIFY(secondsOf(lines.last()) >= 1.9);
}

void ConverterRunTest::inputErrors_data() {
    QTest::addColumn<QString>("input");      // relative to the test's folder
    QTest::addColumn<QByteArray>("content"); // empty: no such file
    QTest::addColumn<QString>("message");

    QTest::newRow("missing") << QStringLiteral("no such folder/clip 1.avi") << QByteArray()
                             << QStringLiteral("no such file or directory");
    QTest::newRow("missing, with shell characters")
        << QStringLiteral("-gone $HOME `id`; 'x' \"y\" Ärger.avi") << QByteArray()
        << QStringLiteral("no such file or directory");
    QTest::newRow("missing, as ./name") << QStringLiteral("./gone.avi") << QByteArray()
                                        << QStringLiteral("no such file or directory");
    QTest::newRow("corrupt") << QStringLiteral("broken clip.avi")
                             << QByteArray("RIFF\x10\x00\x00\x00"
                                           "AVI garbage that is no video "
                                           "at all, repeated, repeated, repeated.")
                             << QStringLiteral("Unknown format");
    // Marked contents: made as a folder, a FIFO, a link or an unreadable file.
    QTest::newRow("a folder") << QStringLiteral("folder.avi") << QByteArray("/")
                              << QStringLiteral("is a folder, not a video file");
    QTest::newRow("a FIFO") << QStringLiteral("pipe.avi") << QByteArray("|")
                            << QStringLiteral("is not a regular file (a FIFO)");
    QTest::newRow("a link to /dev/zero")
        << QStringLiteral("zero.avi") << QByteArray("->/dev/zero")
        << QStringLiteral("is not a regular file (a character device)");
    QTest::newRow("a link to /dev/null")
        << QStringLiteral("null.avi") << QByteArray("->/dev/null")
        << QStringLiteral("is not a regular file (a character device)");
    QTest::newRow("unreadable") << QStringLiteral("locked.avi") << QByteArray("000")
                                << QStringLiteral("permission denied");
}

void ConverterRunTest::inputErrors() {
    QFETCH(QString, input);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QString path = m_folder + QLatin1Char('/') + input;
    if (content == "/") {
        QVERIFY(QDir(m_folder).mkdir(input));
    } else if (content == "|") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (content.startsWith("->")) {
        QVERIFY(QFile::link(QString::fromLatin1(content.mid(2)), path));
    } else if (content == "000") {
        if (::geteuid() == 0)
            QSKIP("every file is readable to root");
        QVERIFY(WriteFileBytes(path, content));
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    } else if (!content.isEmpty()) {
        QVERIFY(WriteFileBytes(path, content));
    }
    // A failed run leaves an earlier output of the same name alone.
    QVERIFY(WriteFileBytes(m_folder + QStringLiteral("/out.mp4"), "an earlier conversion"));
    const QStringList before = FilesIn(m_folder);

    const ProgramResult result =
        convert({QStringLiteral("-i"), input, QStringLiteral("-vcodec"), QStringLiteral("mpeg4"),
                 QStringLiteral("-y"), QStringLiteral("out.mp4")},
                m_folder);
    QCOMPARE(result.exitCode, 1);
    // The input path exactly as given, then the message, ending in CR LF.
    const QByteArray expected = (input + QStringLiteral(": ") + message).toUtf8() + "\r\n";
    QVERIFY2(result.output.contains(expected), result.output.constData());
    QCOMPARE(FilesIn(m_folder), before);
    QCOMPARE(ReadFileBytes(m_folder + QStringLiteral("/out.mp4")),
             QByteArray("an earlier conversion"));
}

void ConverterRunTest::truncatedSources_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("codecs");
    QTest::addColumn<bool>("cut"); // to half of its bytes
    const QStringList mp4{u"-c:v"_s, u"mpeg4"_s,     u"-c:a"_s,
                          u"aac"_s,  u"-movflags"_s, u"+faststart"_s};
    const QStringList avi{u"-c:v"_s, u"mpeg4"_s, u"-c:a"_s, u"libmp3lame"_s};
    QTest::newRow("MP4 cut") << u"cut.mp4"_s << mp4 << true;
    QTest::newRow("AVI cut") << u"cut.avi"_s << avi << true;
    QTest::newRow("MP4 whole") << u"whole.mp4"_s << mp4 << false;
    QTest::newRow("AVI whole") << u"whole.avi"_s << avi << false;
}

// A source that ends before its stated length converts what there is, and
// says so on a line of its own that names the input.
void ConverterRunTest::truncatedSources() {
    QFETCH(QString, name);
    QFETCH(QStringList, codecs);
    QFETCH(bool, cut);
    const QString source = m_folder + u'/' + name;
    QVERIFY(MakeClip(source, {6.0, 160, 120, 10, true, true, codecs}));
    if (cut)
        QVERIFY(QFile::resize(source, QFileInfo(source).size() / 2));

    const ProgramResult result =
        convert({u"-i"_s, name, u"-vcodec"_s, u"mpeg4"_s, u"-y"_s, u"out.mp4"_s}, m_folder);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.output.contains("video:"), result.output.constData());
    const QRegularExpression warning(
        u"\\n"_s + QRegularExpression::escape(name) +
        u": converted, but the source ends early at 00:00:0([0-5]) of 00:00:06 \\(damaged or "
        "incomplete\\)\\r\\n"_s);
    const QRegularExpressionMatch match = warning.match(QString::fromUtf8(result.output));
    QVERIFY2(match.hasMatch() == cut, result.output.constData());
    const double kept = Probe(m_folder + u"/out.mp4"_s)
                            .value(u"format"_s)
                            .toObject()
                            .value(u"duration"_s)
                            .toString()
                            .toDouble();
    QVERIFY2(cut ? kept > 1.5 && kept < 4.5 : kept > 5.5, qPrintable(QString::number(kept)));
}

void ConverterRunTest::refusals_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("output"); // in the test's folder; "INPUT" for the input itself
    QTest::addColumn<bool>("outputExists");
    QTest::addColumn<QString>("message");

    QTest::newRow("unknown encoder")
        << QStringList{QStringLiteral("-vcodec"), QStringLiteral("nosuchcodec"),
                       QStringLiteral("-y")}
        << QStringLiteral("out.mp4") << false << QStringLiteral("Unknown encoder 'nosuchcodec'");
    QTest::newRow("odd margin") << QStringList{QStringLiteral("-s"), QStringLiteral("320x180"),
                                               QStringLiteral("-padtop"), QStringLiteral("31"),
                                               QStringLiteral("-y")}
                                << QStringLiteral("out.mp4") << false
                                << QStringLiteral("Invalid value '31' for option 'padtop'");
    QTest::newRow("existing output without -y")
        << QStringList{QStringLiteral("-vcodec"), QStringLiteral("mpeg4")}
        << QStringLiteral("out.mp4") << true
        << QStringLiteral("File 'out.mp4' already exists. Exiting.");
    QTest::newRow("output is the input")
        << QStringList{QStringLiteral("-vcodec"), QStringLiteral("mpeg4"), QStringLiteral("-y")}
        << QStringLiteral("INPUT") << true
        << QStringLiteral("clip.mp4: the output would replace the input file");
    QTest::newRow("output folder missing")
        << QStringList{QStringLiteral("-vcodec"), QStringLiteral("mpeg4"), QStringLiteral("-y")}
        << QStringLiteral("no folder/out.mp4") << false
        << QStringLiteral("no folder/out.mp4: No such file or directory");
}

void ConverterRunTest::refusals() {
    QFETCH(QStringList, options);
    QFETCH(QString, output);
    QFETCH(bool, outputExists);
    QFETCH(QString, message);
    QVERIFY(QFile::copy(m_clip, m_folder + QStringLiteral("/clip.mp4")));
    if (output == QStringLiteral("INPUT"))
        output = QStringLiteral("clip.mp4");
    else if (outputExists)
        QVERIFY(WriteFileBytes(m_folder + QLatin1Char('/') + output, "kept"));
    const QByteArray clipBefore = ReadFileBytes(m_folder + QStringLiteral("/clip.mp4"));
    const QStringList before = FilesIn(m_folder);

    const ProgramResult result =
        convert(QStringList{QStringLiteral("-i"), QStringLiteral("clip.mp4")} + options +
                    QStringList{output},
                m_folder);
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.output.contains(QByteArray(message.toUtf8() + "\r\n")),
             result.output.constData());
    QCOMPARE(FilesIn(m_folder), before);
    QCOMPARE(ReadFileBytes(m_folder + QStringLiteral("/clip.mp4")), clipBefore);
    if (outputExists && output != QStringLiteral("clip.mp4"))
        QCOMPARE(ReadFileBytes(m_folder + QLatin1Char('/') + output), QByteArray("kept"));
}

void ConverterRunTest::ffmpegLocation_data() {
    QTest::addColumn<QString>("chosen"); // MOBIVERT_FFMPEG; empty: unset
    QTest::addColumn<bool>("onPath");
    QTest::addColumn<bool>("found");

    QTest::newRow("on PATH") << QString() << true << true;
    QTest::newRow("chosen, not on PATH") << ffmpegPath() << false << true;
    QTest::newRow("chosen by name") << QStringLiteral("ffmpeg") << true << true;
    QTest::newRow("nowhere") << QString() << false << false;
    QTest::newRow("chosen file missing") << QStringLiteral("/nonexistent/ffmpeg") << true << false;
}

void ConverterRunTest::ffmpegLocation() {
    QFETCH(QString, chosen);
    QFETCH(bool, onPath);
    QFETCH(bool, found);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("MOBIVERT_FFMPEG"));
    if (!chosen.isEmpty())
        environment.insert(QStringLiteral("MOBIVERT_FFMPEG"), chosen);
    if (!onPath)
        environment.insert(QStringLiteral("PATH"), m_folder); // holds no ffmpeg
    const QString output = m_folder + QStringLiteral("/out.mp4");
    const ProgramResult result =
        convert({QStringLiteral("-i"), m_clip, QStringLiteral("-vn"), QStringLiteral("-y"), output},
                {}, environment);
    QCOMPARE(result.exitCode, found ? 0 : 1);
    QCOMPARE(result.output.contains("ffmpeg not found: install the ffmpeg package\r\n"), !found);
    QCOMPARE(QFile::exists(output), found);
}

void ConverterRunTest::stopped_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("earlierOutput");

    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGTERM, earlier output") << int(SIGTERM) << true;
    QTest::newRow("SIGINT") << int(SIGINT) << false;
    QTest::newRow("SIGHUP") << int(SIGHUP) << false;
    QTest::newRow("SIGKILL") << int(SIGKILL) << false;
    QTest::newRow("SIGKILL, earlier output") << int(SIGKILL) << true;
}

void ConverterRunTest::stopped() {
    QFETCH(int, signal);
    QFETCH(bool, earlierOutput);
    const QString output = m_folder + QStringLiteral("/out.mp4");
    if (earlierOutput)
        QVERIFY(WriteFileBytes(output, "an earlier conversion"));

    // Thirty seconds of picture read at its own pace: the run is stopped long before.
    QProcess converter;
    converter.setProcessChannelMode(QProcess::MergedChannels);
    converter.start(
        TestPaths::converter(),
        {QStringLiteral("-re"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("testsrc2=size=320x240:rate=25:duration=30"), QStringLiteral("-vcodec"),
         QStringLiteral("mpeg4"), QStringLiteral("-y"), output});
    QVERIFY(converter.waitForStarted());
    QByteArray seen;
    QElapsedTimer clock;
    clock.start();
    while (!seen.contains("time=") && clock.elapsed() < kPatienceMs) {
        converter.waitForReadyRead(200);
        seen += converter.readAll();
    }
    QVERIFY2(seen.contains("time="), seen.constData());
    const QList<qint64> children = childrenOf(converter.processId());
    QCOMPARE(children.size(), 1);
    const qint64 ffmpeg = children.first();
    QVERIFY(isRunning(ffmpeg));

    QCOMPARE(::kill(static_cast<pid_t>(converter.processId()), signal), 0);
    QVERIFY(converter.waitForFinished(kPatienceMs));
    // Ended by the same signal, as a program that does not catch it would be.
    QCOMPARE(converter.exitStatus(), QProcess::CrashExit);
    QCOMPARE(converter.exitCode(), signal);

    QElapsedTimer grace;
    grace.start();
    while (isRunning(ffmpeg) && grace.elapsed() < kPatienceMs)
        QTest::qWait(20);
    QVERIFY(!isRunning(ffmpeg));
    if (earlierOutput) {
        QCOMPARE(FilesIn(m_folder), QStringList{QStringLiteral("out.mp4")});
        QCOMPARE(ReadFileBytes(output), QByteArray("an earlier conversion"));
    } else {
        QCOMPARE(FilesIn(m_folder), QStringList());
    }
}

void ConverterRunTest::fileNames_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");

    QTest::newRow("blanks") << QStringLiteral("my holiday  clip.mp4")
                            << QStringLiteral("my holiday  clip out.mp4");
    QTest::newRow("quotes") << QStringLiteral("it's \"the\" clip.mp4")
                            << QStringLiteral("it's \"the\" out.mp4");
    QTest::newRow("dollar") << QStringLiteral("$HOME ${PATH} $(id).mp4")
                            << QStringLiteral("$HOME $1.mp4");
    QTest::newRow("backquotes") << QStringLiteral("`id` clip.mp4") << QStringLiteral("`id`.mp4");
    QTest::newRow("semicolons") << QStringLiteral("a; rm -f b;.mp4")
                                << QStringLiteral("c; touch d;.mp4");
    QTest::newRow("non-ASCII") << QStringLiteral("Ärger mit Öl – ñandú 日本.mp4")
                               << QStringLiteral("Überraschung ß.mp4");
    QTest::newRow("leading dash") << QStringLiteral("-i.mp4") << QStringLiteral("-y.mp4");
    QTest::newRow("colon, as a protocol would be")
        << QStringLiteral("http:clip.mp4") << QStringLiteral("ftp:out.mp4");
    QTest::newRow("named like a file: address")
        << QStringLiteral("file:clip.mp4") << QStringLiteral("file:out.mp4");
    QTest::newRow("a single dash") << QStringLiteral("-") << QStringLiteral("--.mp4");
    // The longest names a folder takes: the hidden name used while
    // converting must fit as well.
    QTest::newRow("255 bytes") << QString(QString(251, u'i') + u".mp4")
                               << QString(QString(251, u'o') + u".mp4");
    QTest::newRow("255 bytes, two-byte letters") << QString(QString(125, u'\u00e4') + u"i.mp4")
                                                 << QString(QString(125, u'\u00f6') + u"o.mp4");
}

void ConverterRunTest::fileNames() {
    QFETCH(QString, input);
    QFETCH(QString, output);
    QVERIFY(QFile::copy(m_clip, m_folder + QLatin1Char('/') + input));
    // Relative names, so that nothing but the name itself protects them.
    const ProgramResult result =
        convert({QStringLiteral("-i"), input, QStringLiteral("-vcodec"), QStringLiteral("mpeg4"),
                 QStringLiteral("-s"), QStringLiteral("160x120"), QStringLiteral("-acodec"),
                 QStringLiteral("aac"), QStringLiteral("-y"), output},
                m_folder);
    QVERIFY2(result.exitCode == 0, result.output.constData());
    QStringList expected{input, output};
    expected.sort();
    QCOMPARE(FilesIn(m_folder), expected);
    const QJsonObject video =
        ProbeStream(Probe(m_folder + QLatin1Char('/') + output), QStringLiteral("video"));
    QCOMPARE(video.value(QStringLiteral("width")).toInt(), 160);
}

void ConverterRunTest::extensionFfmpegMustSee() {
    // An extension outside the converter's table: ffmpeg picks the muxer from a
    // named temporary file, which is gone afterwards.
    const QString output = m_folder + QStringLiteral("/out.nut");
    const ProgramResult result =
        convert({QStringLiteral("-i"), m_clip, QStringLiteral("-vcodec"), QStringLiteral("mpeg4"),
                 QStringLiteral("-acodec"), QStringLiteral("aac"), QStringLiteral("-y"), output});
    QVERIFY2(result.exitCode == 0, result.output.constData());
    QCOMPARE(Probe(output)
                 .value(QStringLiteral("format"))
                 .toObject()
                 .value(QStringLiteral("format_name")),
             QStringLiteral("nut"));
    QCOMPARE(FilesIn(m_folder), QStringList{QStringLiteral("out.nut")});
}

void ConverterRunTest::muxerTableMatchesFfmpeg_data() {
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QStringList>("codecs");

    const QStringList audio{QStringLiteral("-vn")};
    const QStringList picture{QStringLiteral("-frames:v"), QStringLiteral("1"),
                              QStringLiteral("-an")};
    for (const char *extension : {"mp4", "m4v", "mov", "psp", "wmv", "asf", "avi", "mkv", "flv",
                                  "mpg", "mpeg", "ts", "m2ts", "ogg", "ogv", "webm"})
        QTest::newRow(extension) << QString::fromLatin1(extension) << QStringList();
    // The phone formats' own audio encoder wants 8 kHz mono; any will do here.
    for (const char *extension : {"3gp", "3g2"})
        QTest::newRow(extension) << QString::fromLatin1(extension)
                                 << QStringList{QStringLiteral("-c:a"), QStringLiteral("aac")};
    for (const char *extension :
         {"m4a", "m4b", "wma", "mka", "mp3", "aac", "ac3", "wav", "flac", "oga", "opus"})
        QTest::newRow(extension) << QString::fromLatin1(extension) << audio;
    for (const char *extension : {"jpg", "jpeg", "png", "bmp", "tif", "tiff", "ppm", "pgm"})
        QTest::newRow(extension) << QString::fromLatin1(extension) << picture;
    QTest::newRow("amr") << QStringLiteral("amr")
                         << QStringList{QStringLiteral("-vn"), QStringLiteral("-ar"),
                                        QStringLiteral("8000"), QStringLiteral("-ac"),
                                        QStringLiteral("1")};
    QTest::newRow("upper case") << QStringLiteral("MP4") << QStringList();
    QTest::newRow("not in the table") << QStringLiteral("nut") << QStringList();
}

void ConverterRunTest::muxerTableMatchesFfmpeg() {
    // The converter names the muxer because ffmpeg cannot see the extension of
    // its unnamed output; it must name the one ffmpeg itself would pick.
    QFETCH(QString, extension);
    QFETCH(QStringList, codecs);
    const QString output = m_folder + QStringLiteral("/o.") + extension;
    QStringList arguments{QStringLiteral("-nostdin"),
                          QStringLiteral("-hide_banner"),
                          QStringLiteral("-y"),
                          QStringLiteral("-f"),
                          QStringLiteral("lavfi"),
                          QStringLiteral("-i"),
                          QStringLiteral("testsrc2=size=176x144:rate=25:duration=0.2"),
                          QStringLiteral("-f"),
                          QStringLiteral("lavfi"),
                          QStringLiteral("-i"),
                          QStringLiteral("sine=sample_rate=48000:duration=0.2")};
    arguments << codecs << output;
    const ProgramResult result = RunProgram(QStringLiteral("ffmpeg"), arguments);
    static const QRegularExpression chosen(QStringLiteral("Output #0, ([^,]+), to"));
    const QString muxer = chosen.match(QString::fromUtf8(result.output)).captured(1);
    QVERIFY2(!muxer.isEmpty(), result.output.constData());
    const std::string expected(converter::muxerForFile(output.toStdString()));
    if (extension == QStringLiteral("nut"))
        QVERIFY(expected.empty());
    else
        QCOMPARE(QString::fromStdString(expected), muxer);
}

void ConverterRunTest::twoPasses() {
    const QString temporary = m_folder + QStringLiteral("/tmp");
    QVERIFY(QDir().mkpath(temporary));
    const QString output = m_folder + QStringLiteral("/out.mp4");
    const QStringList line{QStringLiteral("-i"),
                           m_longClip,
                           QStringLiteral("-vcodec"),
                           QStringLiteral("libxvid"),
                           QStringLiteral("-b"),
                           QStringLiteral("200kbps"),
                           QStringLiteral("-r"),
                           QStringLiteral("10"),
                           QStringLiteral("-twopass"),
                           QStringLiteral("-acodec"),
                           QStringLiteral("aac"),
                           QStringLiteral("-y"),
                           output};
    const ProgramResult result = convert(line, {}, withTemporaryFolder(temporary));
    QVERIFY2(result.exitCode == 0, result.output.constData());
    const double rate = ProbeStream(Probe(output), QStringLiteral("video"))
                            .value(QStringLiteral("bit_rate"))
                            .toString()
                            .toDouble();
    QVERIFY2(std::abs(rate / 200000 - 1) <= 0.03, qPrintable(QString::number(rate)));
    QCOMPARE(entriesIn(temporary), QStringList());
    QCOMPARE(FilesIn(m_folder), QStringList{QStringLiteral("out.mp4")});

    // Read at its own pace, the short clip shows both passes sharing its
    // length: the first half, then the second, ending at its length.
    QStringList pacedLine = QStringList{QStringLiteral("-re")} + line;
    pacedLine[2] = m_clip;
    const ProgramResult paced = convert(pacedLine, {}, withTemporaryFolder(temporary));
    QVERIFY2(paced.exitCode == 0, paced.output.constData());
    const QList<QByteArray> lines = progressLines(paced.output);
    QVERIFY2(lines.size() >= 5, paced.output.constData());
    const double end = secondsOf(lines.last());
    const auto shows = [&lines](double from, double to) {
        return std::any_of(lines.begin(), lines.end(), [from, to](const QByteArray &shown) {
            return secondsOf(shown) >= from && secondsOf(shown) <= to;
        });
    };
    QVERIFY(secondsOf(lines.first()) < 0.5);
    QVERIFY2(shows(0.3, end / 2) && shows(end / 2 + 0.1, end - 0.1), paced.output.constData());
    QVERIFY2(lines.last().contains("Lsize=") && secondsOf(lines.last()) >= 1.95,
             lines.last().constData());
    QCOMPARE(paced.output.count("  Duration: "), 1);
}

// A rate ffmpeg's rate control gives up on before its second pass still
// makes the file, in one pass.
void ConverterRunTest::twoPassesBelowWhatThePictureNeeds() {
    const QString noisy = m_folder + QStringLiteral("/noisy.avi");
    QVERIFY(MakeClip(noisy,
                     {2.0, 352, 288, 15, true, false, {u"-c:v"_s, u"mpeg4"_s, u"-q:v"_s, u"2"_s}},
                     u"noise=alls=30:allf=t"_s));
    const QString output = m_folder + QStringLiteral("/out.3gp");
    const ProgramResult result =
        convert({u"-i"_s, noisy, u"-vcodec"_s, u"h263"_s, u"-s"_s, u"352x288"_s, u"-b"_s,
                 u"20kbps"_s, u"-r"_s, u"15"_s, u"-twopass"_s, u"-an"_s, u"-y"_s, output});
    QVERIFY2(result.exitCode == 0, result.output.constData());
    QCOMPARE(ProbeStream(Probe(output), QStringLiteral("video"))
                 .value(QStringLiteral("codec_name"))
                 .toString(),
             QStringLiteral("h263"));
    QVERIFY(QFile::remove(noisy) && QFile::remove(output));
}

void ConverterRunTest::passLogRemoved_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("signal");      // 0: the conversion fails by itself
    QTest::addColumn<QByteArray>("mark"); // the signal comes once this has been printed

    const QStringList mpeg4{QStringLiteral("-vcodec"), QStringLiteral("mpeg4")};
    // Every frame size but five is refused by the H.263 encoder: the first pass fails.
    QTest::newRow("failure in the first pass")
        << QStringList{QStringLiteral("-vcodec"), QStringLiteral("h263"), QStringLiteral("-s"),
                       QStringLiteral("320x240")}
        << 0 << QByteArray("is not valid for the H.263 codec");
    // The PSP's container needs a sound track, which the first pass leaves out.
    QTest::newRow("failure in the second pass")
        << QStringList{QStringLiteral("-f"), QStringLiteral("psp")} + mpeg4 << 0
        << QByteArray("PSP mode need one video and one audio stream");
    // The second pass starts by showing half of the two minutes done.
    QTest::newRow("SIGTERM in the first pass") << mpeg4 << int(SIGTERM) << QByteArray("time=");
    QTest::newRow("SIGINT in the second pass") << mpeg4 << int(SIGINT) << QByteArray(" time=60.");
    // Xvid's second pass keeps a file of its own in /tmp: ffmpeg is given
    // the time to remove it.
    QTest::newRow("SIGHUP in Xvid's second pass")
        << QStringList{QStringLiteral("-vcodec"), QStringLiteral("xvid")} << int(SIGHUP)
        << QByteArray(" time=60.");
}

void ConverterRunTest::passLogRemoved() {
    QFETCH(QStringList, options);
    QFETCH(int, signal);
    QFETCH(QByteArray, mark);
    const QString temporary = m_folder + QStringLiteral("/tmp");
    QVERIFY(QDir().mkpath(temporary));
    const QString output = m_folder + QStringLiteral("/out.MP4");
    const QStringList xvidFiles =
        QDir(QStringLiteral("/tmp")).entryList({QStringLiteral("xvidff.*")}, QDir::Files);

    QProcess converter;
    converter.setProcessChannelMode(QProcess::MergedChannels);
    converter.setProcessEnvironment(withTemporaryFolder(temporary));
    converter.start(TestPaths::converter(),
                    QStringList{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                QStringLiteral("testsrc2=size=320x240:rate=25:duration=120")} +
                        options +
                        QStringList{QStringLiteral("-b"), QStringLiteral("300kbps"),
                                    QStringLiteral("-twopass"), QStringLiteral("-y"), output});
    QVERIFY(converter.waitForStarted());
    QByteArray seen;
    QElapsedTimer clock;
    clock.start();
    while (!seen.contains(mark) && converter.state() != QProcess::NotRunning &&
           clock.elapsed() < kPatienceMs) {
        converter.waitForReadyRead(100);
        seen += converter.readAll();
    }
    if (signal != 0) {
        QVERIFY2(seen.contains(mark), seen.constData());
        QCOMPARE(entriesIn(temporary).size(), 1);
        QTest::qWait(300);
        QCOMPARE(::kill(static_cast<pid_t>(converter.processId()), signal), 0);
    }
    QVERIFY(converter.waitForFinished(kPatienceMs));
    seen += converter.readAll();
    if (signal != 0) {
        QCOMPARE(converter.exitStatus(), QProcess::CrashExit);
        QCOMPARE(converter.exitCode(), signal);
    } else {
        QCOMPARE(converter.exitCode(), 1);
        QVERIFY2(seen.contains(mark), seen.constData());
    }
    QCOMPARE(entriesIn(temporary), QStringList());
    QCOMPARE(FilesIn(m_folder), QStringList());
    // Other conversions running beside this test may keep an Xvid file there
    // for a while; one of this conversion's would never go.
    const auto xvidFilesAdded = [&xvidFiles] {
        QStringList added =
            QDir(QStringLiteral("/tmp")).entryList({QStringLiteral("xvidff.*")}, QDir::Files);
        added.removeIf([&](const QString &name) { return xvidFiles.contains(name); });
        return added;
    };
    QTRY_COMPARE_WITH_TIMEOUT(xvidFilesAdded(), QStringList(), kPatienceMs);
}

void ConverterRunTest::abandonedPassLogs() {
    const QString temporary = m_folder + QStringLiteral("/tmp");
    QVERIFY(QDir().mkpath(temporary));
    const QProcessEnvironment environment = withTemporaryFolder(temporary);
    const auto twoPassLine = [this](const QString &output) {
        return QStringList{
            QStringLiteral("-i"),       m_longClip,           QStringLiteral("-vcodec"),
            QStringLiteral("mpeg4"),    QStringLiteral("-b"), QStringLiteral("200kbps"),
            QStringLiteral("-twopass"), QStringLiteral("-y"), m_folder + u'/' + output};
    };

    // A converter killed outright leaves its pass log behind...
    QProcess killed;
    killed.setProcessEnvironment(environment);
    killed.start(TestPaths::converter(),
                 QStringList{QStringLiteral("-re")} + twoPassLine(QStringLiteral("killed.mp4")));
    QVERIFY(killed.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(entriesIn(temporary).size(), 1, kPatienceMs);
    const QString left = entriesIn(temporary).first();
    QVERIFY(left.startsWith(QStringLiteral("mobivert-passes-")));
    // Killed only once the first pass runs: a folder caught before its lock
    // has a name counts as too new to judge, and rightly stays.
    QTRY_VERIFY_WITH_TIMEOUT(entriesIn(temporary + u'/' + left).contains(QStringLiteral("lock")) &&
                                 entriesIn(temporary + u'/' + left).size() > 1,
                             kPatienceMs);
    killed.kill();
    QVERIFY(killed.waitForFinished(kPatienceMs));
    QCOMPARE(entriesIn(temporary), QStringList{left});

    // ...beside one that another converter still holds, and one too new to judge.
    const QString held = temporary + QStringLiteral("/mobivert-passes-held");
    const QString young = temporary + QStringLiteral("/mobivert-passes-young");
    QVERIFY(QDir().mkpath(held) && QDir().mkpath(young));
    QVERIFY(WriteFileBytes(held + QStringLiteral("/lock"), {}));
    QFile lock(held + QStringLiteral("/lock"));
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QCOMPARE(::flock(lock.handle(), LOCK_EX | LOCK_NB), 0);

    // The next two-pass conversion removes only what nobody holds.
    const ProgramResult next = convert(twoPassLine(QStringLiteral("next.mp4")), {}, environment);
    QVERIFY2(next.exitCode == 0, next.output.constData());
    QCOMPARE(entriesIn(temporary), (QStringList{QStringLiteral("mobivert-passes-held"),
                                                QStringLiteral("mobivert-passes-young")}));
    QCOMPARE(entriesIn(held), QStringList{QStringLiteral("lock")});
}

QTEST_GUILESS_MAIN(ConverterRunTest)
#include "tst_converter_run.moc"
