// Damaged and strange sources through the built converter. A clip that
// suits the iPod is made with ffmpeg, then spoilt by byte edits of its MP4
// boxes: each spoilt source fails its own conversion with a message that
// names it, and leaves no output. Valid sources with strange streams
// convert whole, without a false warning.
#include "tests/converter/IpodLine.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {

// Where the box at `path` ("moov/trak/mdia/mdhd") starts in an MP4 file,
// taking the first box of each name; -1 when there is none.
qsizetype boxAt(const QByteArray &file, const QStringList &path, qsizetype from = 0,
                qsizetype to = -1) {
    to = to < 0 ? file.size() : to;
    while (from + 8 <= to) {
        const quint32 size = qFromBigEndian<quint32>(file.constData() + from);
        if (size < 8)
            return -1;
        if (file.mid(from + 4, 4) == path.front().toLatin1())
            return path.size() == 1 ? from : boxAt(file, path.mid(1), from + 8, from + size);
        from += size;
    }
    return -1;
}

void putWord(QByteArray &file, qsizetype at, quint32 value) {
    qToBigEndian(value, file.data() + at);
}

// The source spoilt as `edit` says.
QByteArray spoilt(QByteArray file, const QString &edit) {
    const QStringList table{u"moov"_s, u"trak"_s, u"mdia"_s, u"minf"_s, u"stbl"_s};
    const qsizetype mdat = boxAt(file, {u"mdat"_s});
    const quint32 mdatSize = qFromBigEndian<quint32>(file.constData() + mdat);
    if (edit == u"sizes") { // every third entry of the video's sample-size table
        const qsizetype stsz = boxAt(file, table + QStringList{u"stsz"_s});
        const quint32 count = qFromBigEndian<quint32>(file.constData() + stsz + 16);
        for (quint32 entry = 0; entry < count; entry += 3)
            putWord(file, stsz + 20 + 4 * entry, 500000);
    } else if (edit == u"timing") { // its time-to-sample entry
        const qsizetype stts = boxAt(file, table + QStringList{u"stts"_s});
        putWord(file, stts + 16, 0x7FFFFFFF);
        putWord(file, stts + 20, 0xFFFFFF);
    } else if (edit == u"timescale") {
        const qsizetype mdhd = boxAt(file, {u"moov"_s, u"trak"_s, u"mdia"_s, u"mdhd"_s});
        putWord(file, mdhd + 20, 1);
    } else if (edit == u"cut") { // the media data box taken out, the index kept
        file.remove(mdat, mdatSize);
    } else if (edit == u"garbled") {
        for (qsizetype at = mdat + 8; at < mdat + mdatSize; ++at)
            file[at] = char((at * 2654435761U) >> 13);
    }
    return file;
}

} // namespace

class DamagedSourcesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_clips.isValid());
        ClipSpec spec;
        spec.seconds = 6;
        spec.codecArguments = {u"-c:v"_s,   u"libx264"_s, u"-profile:v"_s, u"baseline"_s,
                               u"-level"_s, u"3.0"_s,     u"-pix_fmt"_s,   u"yuv420p"_s,
                               u"-b:v"_s,   u"600k"_s,    u"-c:a"_s,       u"aac"_s};
        QVERIFY(MakeClip(m_clips.filePath(u"suits.mp4"_s), spec));
    }

    void corruptSources_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("message"); // after "<input>: "; empty: converted
        const QString unreadable = u"the picture could not be read: the file is damaged or "_s
                                   u"incomplete"_s;
        QTest::newRow("whole: copied") << u"none"_s << QString();
        QTest::newRow("sample sizes spoilt: no sound-only file") << u"sizes"_s << unreadable;
        QTest::newRow("time-to-sample spoilt: no one-frame copy") << u"timing"_s << unreadable;
        QTest::newRow("video timescale 1: no one-frame copy") << u"timescale"_s << unreadable;
        QTest::newRow("media data cut away")
            << u"cut"_s << u"the file holds no media data (damaged or incomplete)"_s;
        QTest::newRow("media data garbled: not in ffmpeg's words")
            << u"garbled"_s << u"the file is damaged or incomplete"_s;
    }

    void corruptSources() {
        QFETCH(QString, edit);
        QFETCH(QString, message);
        QTemporaryDir work;
        const QString input = work.filePath(edit + u".mp4"_s);
        QVERIFY(
            WriteFileBytes(input, spoilt(ReadFileBytes(m_clips.filePath(u"suits.mp4"_s)), edit)));
        ProgramOptions options;
        options.workingDirectory = work.path();
        options.timeoutMs = kPatienceMs;
        const ProgramResult result =
            RunProgram(TestPaths::converter(), IpodLine(input, {}, u"out.m4v"_s), options);
        const QString output = QString::fromUtf8(result.output);
        if (message.isEmpty()) {
            QVERIFY2(result.exitCode == 0, result.output.constData());
            QCOMPARE(ProbeStream(Probe(work.filePath(u"out.m4v"_s)), u"video"_s)
                         .value(u"nb_frames"_s)
                         .toString(),
                     u"150"_s);
            return;
        }
        QCOMPARE(result.exitCode, 1);
        // The summary comes last, so that it is what the file's row shows;
        // ffmpeg's own words stay before it, in the log.
        QVERIFY2(output.endsWith(input + u": "_s + message + u"\r\n"_s), qPrintable(output));
        QVERIFY(!QFile::exists(work.filePath(u"out.m4v"_s)));
    }

    // What mobivert-cli and the window show for the file (its row's errors,
    // which the Error Log and the row's tooltip list too): the summary, not
    // ffmpeg's words.
    void damagedFileThroughTheCli() {
        const TestHome home;
        const QString input = home.path() + u"/damaged clip.mp4"_s;
        QVERIFY(WriteFileBytes(
            input, spoilt(ReadFileBytes(m_clips.filePath(u"suits.mp4"_s)), u"garbled"_s)));
        const ProgramResult result =
            RunProgram(TestPaths::binary(u"mobivert-cli"_s),
                       {u"-p"_s, u"4"_s, u"-o"_s, home.makeFolder(u"out"_s), input}, kPatienceMs);
        QCOMPARE(result.exitCode, 1);
        QStringList problems;
        for (const QByteArray &line : result.output.split('\n')) {
            if (line.startsWith("mobivert-cli: "))
                problems << QString::fromUtf8(line.trimmed());
        }
        QCOMPARE(problems, QStringList{u"mobivert-cli: "_s + input +
                                       u": the file is damaged or incomplete"_s});
    }

    void strangeSources_data() {
        QTest::addColumn<QString>("make");       // ffmpeg's arguments; SIDE and OUT filled in
        QTest::addColumn<QByteArray>("sidecar"); // SIDE's text
        QTest::addColumn<QString>("said");       // in the converter's output
        QTest::addColumn<QString>("unsaid");     // not in it
        const QString suits = m_clips.filePath(u"suits.mp4"_s);
        QTest::newRow("a subtitle track ending after nine hours: no early end")
            << u"-i %1 -i SIDE -map 0 -map 1 -c copy -c:s ass OUT.mkv"_s.arg(suits)
            << QByteArray("[Script Info]\nScriptType: v4.00+\n\n[Events]\nFormat: Layer, "
                          "Start, End, Style, Text\nDialogue: 0,0:00:01.00,9:00:00.00,"
                          "Default,Broken\n")
            << QString() << u"ends early"_s;
        QTest::newRow("chapters to 20 s of 6: cut at the end")
            << u"-i %1 -i SIDE -map 0 -map_chapters 1 -c copy OUT.mp4"_s.arg(suits)
            << QByteArray(";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=10000\n"
                          "[CHAPTER]\nTIMEBASE=1/1000\nSTART=10000\nEND=20000\n")
            << u"chapters past the end cut off at 6.0 s"_s << u"ends early"_s;
        QTest::newRow("PQ tagged with its transfer alone: taken as BT.2020")
            << u"-f lavfi -i testsrc2=size=320x240:duration=2 -c:v libx264 -pix_fmt "_s
               u"yuv420p10le -color_trc smpte2084 OUT.mp4"_s
            << QByteArray() << u"tone-mapped from HDR (PQ, taken as BT.2020)"_s << u"Error"_s;
        const QString baseline = u" -c:v libx264 -profile:v baseline -level 3.0 -pix_fmt "_s
                                 u"yuv420p -b:v 600k -fps_mode vfr OUT.mp4"_s;
        QTest::newRow("23.3 fps with a stretch at 50: encoded")
            << u"-f lavfi -i testsrc2=size=320x240:rate=50:duration=6,select="_s
               u"lt(t\\,2)+not(mod(n\\,5))"_s +
                   baseline
            << QByteArray() << QString() << u"Copied"_s;
        QTest::newRow("a first second of 7.8 Mbit, 1.1 on average: encoded")
            << u"-f lavfi -i testsrc2=size=320x240:duration=8,noise=alls=60:allf=t+u:"_s
               u"enable=lt(t\\,1)"_s +
                   QString(baseline).replace(u"-b:v 600k"_s, u"-crf 20"_s)
            << QByteArray() << QString() << u"Copied"_s;
    }

    void strangeSources() {
        QFETCH(QString, make);
        QFETCH(QByteArray, sidecar);
        QFETCH(QString, said);
        QFETCH(QString, unsaid);
        QTemporaryDir work;
        const QString side = work.filePath(sidecar.startsWith('[') ? u"side.ass"_s : u"side.txt"_s);
        QVERIFY(WriteFileBytes(side, sidecar));
        QStringList arguments{u"-nostdin"_s, u"-v"_s, u"error"_s, u"-y"_s};
        for (const QString &word : make.split(u' '))
            arguments
                << QString(word).replace(u"SIDE"_s, side).replace(u"OUT"_s, work.filePath(u"in"_s));
        const ProgramResult made = RunProgram(u"ffmpeg"_s, arguments);
        QVERIFY2(made.exitCode == 0, made.output.constData());
        const QString input = work.filePath(u"in."_s + make.section(u'.', -1));

        ProgramOptions options;
        options.workingDirectory = work.path();
        options.timeoutMs = kPatienceMs;
        const ProgramResult result =
            RunProgram(TestPaths::converter(), IpodLine(input, {}, u"out.m4v"_s), options);
        QVERIFY2(result.exitCode == 0, result.output.constData());
        QVERIFY2(result.output.contains(said.toUtf8()), result.output.constData());
        QVERIFY2(!result.output.contains(unsaid.toUtf8()), result.output.constData());
        // No longer than the picture: chapters and subtitles do not count.
        const QRegularExpressionMatch length = QRegularExpression(u"duration=(\\d+)"_s).match(make);
        const double picture = length.hasMatch() ? length.captured(1).toDouble() : 6;
        const double seconds = Probe(work.filePath(u"out.m4v"_s))
                                   .value(u"format"_s)
                                   .toObject()
                                   .value(u"duration"_s)
                                   .toString()
                                   .toDouble();
        QVERIFY2(seconds > 1 && seconds < picture + 0.5,
                 qPrintable(QString::number(seconds) + u" of "_s + QString::number(picture)));
    }

    void hostileSubtitles_data() {
        QTest::addColumn<QString>("subtitles"); // the source's subtitle track
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("SRT font size 99999: lowered, burnt in")
            << u"1\n00:00:00,500 --> 00:00:05,000\n<font size=\"99999\">Hello</font>\n"_s << 0
            << u"Adapted to the source: subtitles track 1 burnt in, subtitle sizes and effects "_s
               u"lowered to what the frame can show\n"_s;
        QString events = u"[Script Info]\nPlayResY: 288\n\n[Events]\nFormat: Layer, Start, "_s
                         u"End, Style, Text\n"_s;
        for (int event = 0; event < 400; ++event)
            events += u"Dialogue: 0,0:00:00.00,0:00:05.00,Default,{\\fs3000\\blur20}Event "_s +
                      QString::number(event) + u'\n';
        QTest::newRow("400 events at once: more than the memory given, an error of its own")
            << events << 1
            << u": the subtitles to burn in need more memory than a conversion may take "_s
               u"(300 MB)\r\n"_s;
    }

    // Under a memory ceiling of 300 MB: an ordinary conversion takes less
    // than half of it.
    void hostileSubtitles() {
        QFETCH(QString, subtitles);
        QFETCH(int, status);
        QFETCH(QString, said);
        QTemporaryDir work;
        const QString side = work.filePath(subtitles.startsWith(u'[') ? u"s.ass"_s : u"s.srt"_s);
        QVERIFY(WriteFileBytes(side, subtitles.toUtf8()));
        const QString input = work.filePath(u"in.mkv"_s);
        const ProgramResult made = RunProgram(
            u"ffmpeg"_s, {u"-nostdin"_s, u"-v"_s, u"error"_s, u"-i"_s,
                          m_clips.filePath(u"suits.mp4"_s), u"-i"_s, side, u"-map"_s, u"0"_s,
                          u"-map"_s, u"1"_s, u"-c"_s, u"copy"_s, u"-c:s"_s, u"ass"_s, input});
        QVERIFY2(made.exitCode == 0, made.output.constData());
        ProgramOptions options;
        options.workingDirectory = work.path();
        options.timeoutMs = kPatienceMs;
        options.environment.insert(u"MOBIVERT_CONVERTER_MEMORY_MB"_s, u"300"_s);
        QStringList line = IpodLine(input, {}, u"out.m4v"_s);
        line.insert(line.size() - 2, u"-burnsubs"_s);
        line.insert(line.size() - 2, u"default"_s);
        const ProgramResult result = RunProgram(TestPaths::converter(), line, options);
        QCOMPARE(result.exitCode, status);
        QVERIFY2(result.output.contains(said.toUtf8()), result.output.constData());
        QCOMPARE(QFile::exists(work.filePath(u"out.m4v"_s)), status == 0);
    }

private:
    QTemporaryDir m_clips;
};

QTEST_GUILESS_MAIN(DamagedSourcesTest)
#include "tst_damaged_sources.moc"
