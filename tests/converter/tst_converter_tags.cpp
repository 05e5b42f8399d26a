// Tags, cover art and chapters written by the built converter, read back
// with ffprobe and from the files' own bytes.
#include "Components/TrackDrop/Mp4Info.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr double kFrame = 1.0 / 25;

const QStringList kIpodLine{u"-vcodec"_s,    u"h264"_s,     u"-s"_s,        u"640x480"_s,
                            u"-b"_s,         u"1450kbps"_s, u"-r"_s,        u"25"_s,
                            u"-acodec"_s,    u"aac"_s,      u"-ab"_s,       u"128kbps"_s,
                            u"-profile:v"_s, u"baseline"_s, u"-level"_s,    u"3.0"_s,
                            u"-pix_fmt"_s,   u"yuv420p"_s,  u"-movflags"_s, u"+faststart"_s};

const QStringList kEpisode{u"-kind"_s,     u"tv"_s,      u"-title"_s, u"The Title"_s, u"-show"_s,
                           u"Some Show"_s, u"-season"_s, u"2"_s,      u"-episode"_s,  u"5"_s};

ProgramResult run(const QString &program, const QStringList &arguments) {
    ProgramOptions options;
    options.timeoutMs = kPatienceMs;
    return RunProgram(program, arguments, options);
}

ProgramResult convert(const QString &source, const QStringList &options, const QString &output) {
    return run(TestPaths::converter(),
               QStringList{u"-i"_s, source} + options + QStringList{u"-y"_s, output});
}

QJsonObject probe(const QString &file) {
    const ProgramResult result =
        run(u"ffprobe"_s, {u"-v"_s, u"error"_s, u"-of"_s, u"json"_s, u"-show_format"_s,
                           u"-show_streams"_s, u"-show_chapters"_s, file});
    return QJsonDocument::fromJson(result.output).object();
}

// The mean luma (0-255) of a file's video stream `stream`'s first frame.
double meanLuma(const QString &file, const QString &stream, const QString &folder) {
    const QString gray = folder + u"/luma.gray"_s;
    run(u"ffmpeg"_s,
        {u"-v"_s, u"error"_s, u"-y"_s, u"-i"_s, file, u"-map"_s, stream, u"-frames:v"_s, u"1"_s,
         u"-f"_s, u"rawvideo"_s, u"-pix_fmt"_s, u"gray"_s, gray});
    QFile bytes(gray);
    if (!bytes.open(QIODevice::ReadOnly) || bytes.size() == 0)
        return -1;
    const QByteArray data = bytes.readAll();
    double sum = 0;
    for (char c : data)
        sum += static_cast<unsigned char>(c);
    return sum / static_cast<double>(data.size());
}

// The title in the PSP's metadata box (uuid USMT / MTDT): entries of a
// 16-bit size, a 32-bit type (1 for the title), language, a word, and
// UTF-16BE text.
QString pspTitle(const QString &file) {
    QFile psp(file);
    if (!psp.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = psp.readAll();
    const auto number = [&](qsizetype at, int bytes) {
        quint32 value = 0;
        for (int i = 0; i < bytes && at + i < data.size(); ++i)
            value = (value << 8) | static_cast<unsigned char>(data[at + i]);
        return value;
    };
    for (qsizetype at = data.indexOf("MTDT"); at >= 0; at = data.indexOf("MTDT", at + 4)) {
        qsizetype entry = at + 6;
        for (quint32 count = number(at + 4, 2); count > 0; --count) {
            const quint32 size = number(entry, 2);
            if (size < 10)
                break;
            if (number(entry + 2, 4) == 1) {
                QString text;
                for (qsizetype i = entry + 10; i + 1 < entry + size; i += 2)
                    if (const auto unit = static_cast<char16_t>(number(i, 2)); unit != 0)
                        text += QChar(unit);
                return text;
            }
            entry += size;
        }
    }
    return {};
}

} // namespace

class ConverterTagsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void episodeWithCoverAndChapters();
    void trimKeepsChaptersInside();
    void coverWhateverTheLine_data();
    void coverWhateverTheLine();
    void coverFromAFrameThatIsNotBlack();
    void coverIsAKeyFrame();
    void pspAndWindowsMediaTitles();

private:
    QTemporaryDir m_folder;
    QString m_episode; // "Some Show S02E05 The Title.mkv": 3 chapters, a cover, a title of its own
};

void ConverterTagsTest::initTestCase() {
    QVERIFY(m_folder.isValid());
    const QString chapters = m_folder.filePath(u"chapters.txt"_s);
    QFile text(chapters);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(";FFMETADATA1\ntitle=Source Title\n");
    for (const char *chapter : {"0;2000;Opening", "2000;4000;Middle", "4000;6000;End"}) {
        const QList<QByteArray> parts = QByteArray(chapter).split(';');
        text.write("[CHAPTER]\nTIMEBASE=1/1000\nSTART=" + parts[0] + "\nEND=" + parts[1] +
                   "\ntitle=" + parts[2] + "\n");
    }
    text.close();
    const QString cover = m_folder.filePath(u"cover.jpg"_s);
    QCOMPARE(run(u"ffmpeg"_s, {u"-v"_s, u"error"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                               u"smptebars=s=300x300"_s, u"-frames:v"_s, u"1"_s, cover})
                 .exitCode,
             0);
    m_episode = m_folder.filePath(u"Some Show S02E05 The Title.mkv"_s);
    const ProgramResult made = run(u"ffmpeg"_s, {u"-v"_s,
                                                 u"error"_s,
                                                 u"-f"_s,
                                                 u"lavfi"_s,
                                                 u"-i"_s,
                                                 u"testsrc2=s=320x240:r=25:d=6"_s,
                                                 u"-f"_s,
                                                 u"lavfi"_s,
                                                 u"-i"_s,
                                                 u"sine=d=6"_s,
                                                 u"-i"_s,
                                                 chapters,
                                                 u"-map"_s,
                                                 u"0"_s,
                                                 u"-map"_s,
                                                 u"1"_s,
                                                 u"-map_metadata"_s,
                                                 u"2"_s,
                                                 u"-map_chapters"_s,
                                                 u"2"_s,
                                                 u"-attach"_s,
                                                 cover,
                                                 u"-metadata:s:t"_s,
                                                 u"mimetype=image/jpeg"_s,
                                                 u"-c:v"_s,
                                                 u"libx264"_s,
                                                 u"-c:a"_s,
                                                 u"aac"_s,
                                                 m_episode});
    QVERIFY2(made.exitCode == 0, made.output.constData());
}

void ConverterTagsTest::episodeWithCoverAndChapters() {
    const QString output = m_folder.filePath(u"episode.m4v"_s);
    const ProgramResult result = convert(m_episode, kEpisode + kIpodLine, output);
    QVERIFY2(result.exitCode == 0, result.output.constData());
    QVERIFY(result.output.contains("video:"));
    const QJsonObject info = probe(output);
    const QJsonObject tags = info[u"format"_s][u"tags"_s].toObject();
    QCOMPARE(tags[u"title"_s].toString(), u"The Title"_s);
    QCOMPARE(tags[u"media_type"_s].toString(), u"10"_s);
    QCOMPARE(tags[u"show"_s].toString(), u"Some Show"_s);
    QCOMPARE(tags[u"season_number"_s].toString(), u"2"_s);
    QCOMPARE(tags[u"episode_sort"_s].toString(), u"5"_s);
    QCOMPARE(tags[u"episode_id"_s].toString(), u"S02E05"_s);
    QCOMPARE(tags[u"sort_name"_s].toString(), u"Title"_s);
    QVERIFY(!tags.contains(u"grouping"_s));

    int covers = 0;
    for (const QJsonValue &stream : info[u"streams"_s].toArray()) {
        if (stream[u"disposition"_s][u"attached_pic"_s].toInt() == 1) {
            ++covers;
            QCOMPARE(stream[u"width"_s].toInt(), 300);
        }
    }
    QCOMPARE(covers, 1);
    QCOMPARE(ProbeStream(info, u"video"_s)[u"width"_s].toInt(), 640);

    const QJsonArray chapters = info[u"chapters"_s].toArray();
    QCOMPARE(chapters.size(), 3);
    const QStringList titles{u"Opening"_s, u"Middle"_s, u"End"_s};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(chapters[i][u"tags"_s][u"title"_s].toString(), titles[i]);
        QVERIFY(qAbs(chapters[i][u"start_time"_s].toString().toDouble() - 2.0 * i) <= kFrame);
    }
}

void ConverterTagsTest::trimKeepsChaptersInside() {
    const QString output = m_folder.filePath(u"trimmed.m4v"_s);
    const ProgramResult result = convert(
        m_episode, kEpisode + kIpodLine + QStringList{u"-ss"_s, u"1"_s, u"-t"_s, u"2.5"_s}, output);
    QVERIFY2(result.exitCode == 0, result.output.constData());
    // 1 s to 3.5 s of the source: the rest of the opening, then the middle.
    const QJsonArray chapters = probe(output)[u"chapters"_s].toArray();
    QCOMPARE(chapters.size(), 2);
    QCOMPARE(chapters[0][u"tags"_s][u"title"_s].toString(), u"Opening"_s);
    QCOMPARE(chapters[1][u"tags"_s][u"title"_s].toString(), u"Middle"_s);
    QVERIFY(qAbs(chapters[1][u"start_time"_s].toString().toDouble() - 1.0) <= kFrame);
    QVERIFY(qAbs(chapters[1][u"end_time"_s].toString().toDouble() - 2.5) <= kFrame);
}

void ConverterTagsTest::coverWhateverTheLine_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("covered");
    QTest::newRow("tag and shape of every picture stream")
        << QStringList{u"-vtag"_s, u"avc1"_s, u"-aspect"_s, u"4:3"_s} << true;
    QTest::newRow("two passes filling a size") << QStringList{u"-fitsize"_s, u"900000"_s} << true;
    // A filter for the second picture stream, which ffmpeg cannot apply to a
    // JPEG: the conversion is made without the cover.
    const QStringList refused{u"-bsf:v:1"_s, u"h264_mp4toannexb"_s};
    QTest::newRow("refused") << refused << false;
    QTest::newRow("refused in the second pass") << refused + QStringList{u"-twopass"_s} << false;
}

void ConverterTagsTest::coverWhateverTheLine() {
    QFETCH(QStringList, options);
    QFETCH(bool, covered);
    const QString output = m_folder.filePath(u"any line.m4v"_s);
    const ProgramResult result = convert(m_episode, kIpodLine + options, output);
    QVERIFY2(result.exitCode == 0, result.output.constData());
    QCOMPARE(result.output.count("video:"), 1);
    QCOMPARE(result.output.contains("no cover art could be added"), !covered);
    int covers = 0;
    for (const QJsonValue &stream : probe(output)[u"streams"_s].toArray())
        covers += stream[u"disposition"_s][u"attached_pic"_s].toInt();
    QCOMPARE(covers, covered ? 1 : 0);
    // What TrackDrop hands the iPod: the JPEG as it was made.
    const std::string cover = trackdrop::readMp4Info(output.toStdString()).tags.cover;
    QCOMPARE(cover.starts_with("\xFF\xD8\xFF"), covered);
}

void ConverterTagsTest::coverFromAFrameThatIsNotBlack() {
    // Black for the first 12%: the frame a tenth of the way in is black too.
    const QString source = m_folder.filePath(u"fade in.mp4"_s);
    const ProgramResult made =
        run(u"ffmpeg"_s, {u"-v"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                          u"color=black:s=800x450:r=25:d=1.2[a];testsrc2=s=800x450:r=25:d=8.8[b];"
                          u"[a][b]concat=n=2:v=1:a=0"_s,
                          u"-c:v"_s, u"libx264"_s, u"-preset"_s, u"ultrafast"_s, source});
    QVERIFY2(made.exitCode == 0, made.output.constData());

    const QString output = m_folder.filePath(u"fade in.m4v"_s);
    QVERIFY(convert(source, kIpodLine + QStringList{u"-t"_s, u"2"_s}, output).exitCode == 0);
    const QJsonObject info = probe(output);
    const QJsonObject cover = info[u"streams"_s].toArray().last().toObject();
    QCOMPARE(cover[u"disposition"_s][u"attached_pic"_s].toInt(), 1);
    QCOMPARE(cover[u"width"_s].toInt(), 600);
    QVERIFY(meanLuma(output, u"0:v:1"_s, m_folder.path()) > 40);

    // A thumbnail with -cover shows the same picture, in the bars of its frame.
    const QString thumbnail = m_folder.filePath(u"fade in.thm"_s);
    const ProgramResult shown = convert(
        source,
        {u"-cover"_s, u"-f"_s, u"image2"_s, u"-vframes"_s, u"1"_s, u"-s"_s, u"160x120"_s, u"-an"_s},
        thumbnail);
    QVERIFY2(shown.exitCode == 0, shown.output.constData());
    QCOMPARE(ProbeStream(probe(thumbnail), u"video"_s)[u"height"_s].toInt(), 120);
    QVERIFY(meanLuma(thumbnail, u"0:v:0"_s, m_folder.path()) > 40);
}

// The cover is the first key frame from a tenth of the way in, read
// without decoding the frames before it: here the one at 2 s, where the
// picture turns from dark grey to light grey, not the dark frame at 1 s.
void ConverterTagsTest::coverIsAKeyFrame() {
    const QString source = m_folder.filePath(u"two greys.mp4"_s);
    const ProgramResult made =
        run(u"ffmpeg"_s, {u"-v"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                          u"color=c=0x404040:s=320x240:r=25:d=2[a];color=c=0xc8c8c8:s=320x240:"_s
                          u"r=25:d=8[b];[a][b]concat=n=2:v=1:a=0"_s,
                          u"-c:v"_s, u"libx264"_s, u"-preset"_s, u"ultrafast"_s,
                          u"-force_key_frames"_s, u"0,2"_s, source});
    QVERIFY2(made.exitCode == 0, made.output.constData());
    const QString output = m_folder.filePath(u"two greys.m4v"_s);
    QVERIFY(convert(source, kIpodLine + QStringList{u"-t"_s, u"1"_s}, output).exitCode == 0);
    QVERIFY(meanLuma(output, u"0:v:1"_s, m_folder.path()) > 150);
}

void ConverterTagsTest::pspAndWindowsMediaTitles() {
    const QString psp = m_folder.filePath(u"episode.mp4"_s);
    const ProgramResult forPsp =
        convert(m_episode,
                kEpisode + QStringList{u"-f"_s, u"psp"_s, u"-vcodec"_s, u"h264"_s, u"-s"_s,
                                       u"320x240"_s, u"-b"_s, u"500kbps"_s, u"-acodec"_s, u"aac"_s},
                psp);
    QVERIFY2(forPsp.exitCode == 0, forPsp.output.constData());
    QCOMPARE(pspTitle(psp), u"Some Show S02E05 The Title"_s);
    // The PSP reads its thumbnail from a file of its own, not from the video.
    for (const QJsonValue &stream : probe(psp)[u"streams"_s].toArray())
        QCOMPARE(stream[u"disposition"_s][u"attached_pic"_s].toInt(), 0);

    const QString wmv = m_folder.filePath(u"episode.wmv"_s);
    const QString title = u"Ça déménage — 第2話"_s;
    const ProgramResult forWmv = convert(
        m_episode, {u"-title"_s, title, u"-vcodec"_s, u"wmv2"_s, u"-acodec"_s, u"wmav2"_s}, wmv);
    QVERIFY2(forWmv.exitCode == 0, forWmv.output.constData());
    QCOMPARE(probe(wmv)[u"format"_s][u"tags"_s][u"title"_s].toString(), title);
}

QTEST_GUILESS_MAIN(ConverterTagsTest)
#include "tst_converter_tags.moc"
