// Today's sources (an upright phone video, an anamorphic interlaced DVD, HDR,
// a late or missing sound track, two sound tracks, subtitles, a frame rate the
// device does not take) converted by the real mobivert-cli for every device,
// and the outputs measured with ffprobe and ffmpeg's analysis filters.
#include "tests/support/DeviceClasses.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

// How a source is made: ffmpeg arguments before the output file, where %1 is
// the folder of the sources (for a source made from another).
struct Recipe {
    QString name;
    QString arguments;
};

const QString TestPicture = u"-f lavfi -i testsrc2=s=320x240:r=25:d=2 "_s;
const QString Tone = u"-f lavfi -i sine=f=1000:sample_rate=48000:d=2 "_s;
const QString H264 = u"-c:v libx264 -preset ultrafast -pix_fmt yuv420p "_s;
const QString Hevc10 = u"-c:v libx265 -preset ultrafast -x265-params log-level=error "
                       u"-pix_fmt yuv420p10le "_s;
// A DVD's picture: moving test pattern woven from fields, top field first.
const QString DvdPicture = u"-f lavfi -i testsrc=s=720x480:r=60000/1001:d=2,scroll=h=0.005,"
                           u"tinterlace=interleave_top,fieldorder=tff "_s;
const QString DvdCodec = u"-c:v mpeg2video -b:v 5M -flags +ilme+ildct -top 1 -c:a mp2 -ac 2"_s;
// The SDR test picture as an HDR grade would carry it, at 203 nits.
QString hdr(const QString &transfer) {
    return TestPicture.chopped(1) + u",zscale=tin=bt709:pin=bt709:min=bt709:t=" + transfer +
           u":p=bt2020:m=bt2020nc:npl=203,format=yuv420p10le " + Tone + Hevc10 +
           u"-color_primaries bt2020 -colorspace bt2020nc -color_trc " + transfer + u" -c:a aac";
}

const QList<Recipe> &recipes() {
    static const QList<Recipe> list{
        {u"landscape.mp4"_s, u"-f lavfi -i testsrc2=s=640x360:r=30:d=2 "_s + Tone + H264},
        {u"portrait.mp4"_s, u"-i %1/landscape.mp4 -c copy -metadata:s:v:0 rotate=90"_s},
        {u"dvd-wide.mpg"_s, DvdPicture + Tone + u"-aspect 16:9 "_s + DvdCodec},
        {u"dvd-4x3.mpg"_s, DvdPicture + Tone + u"-aspect 4:3 "_s + DvdCodec},
        {u"four-three.mp4"_s, TestPicture + Tone + H264},
        {u"sdr.mkv"_s, TestPicture + Tone + Hevc10 + u"-c:a aac"_s},
        {u"pq.mkv"_s, hdr(u"smpte2084"_s)},
        {u"hlg.mkv"_s, hdr(u"arib-std-b67"_s)},
        // A white flash of 0.2 s and a beep of 0.1 s at 0.5, 1.5 and 2.5 s.
        {u"flashes.mp4"_s,
         u"-f lavfi -i color=c=black:s=320x240:r=30000/1001:d=3,drawbox=c=white:t=fill:"
         u"enable='between(mod(t,1),0.5,0.69)' -f lavfi -i aevalsrc='if(between(mod(t,1),"
         u"0.5,0.6),0.8*sin(2*PI*1000*t),0)':s=48000:d=3 "_s +
             H264 + u"-c:a aac"_s},
        {u"late-sound.mkv"_s, TestPicture + u"-itsoffset 2 "_s + Tone + H264 + u"-c:a aac"_s},
        {u"silent.mp4"_s, TestPicture + H264},
        {u"two-tracks.mkv"_s,
         TestPicture +
             u"-f lavfi -i sine=f=300:d=2 -f lavfi -i sine=f=900:d=2 -map 0 -map 1 "
             u"-map 2 -metadata:s:a:0 language=eng -metadata:s:a:1 language=fra "
             u"-disposition:a:0 0 -disposition:a:1 default -c:a aac "_s +
             H264},
        {u"subtitled.mkv"_s, u"-f lavfi -i color=c=gray:s=320x240:r=25:d=2 "_s + Tone +
                                 u"-i %1/subtitles.srt -map 0 -map 1 -map 2 -c:s srt "_s + H264},
    };
    return list;
}

// What a row checks beyond the duration and the device class.
enum class Check {
    Shape,          // the picture's displayed aspect (without bars) is `expected`
    NoCombing,      // idet finds no interlaced frames
    ToneMapped,     // tagged BT.709, as bright and colourful as the SDR original's conversion
    LipSync,        // flashes and beeps within one output frame of each other
    LateSound,      // the sound starts `expected` seconds in
    OneAacTrack,    // one AAC sound track
    Frequency,      // the sound's pitch is `expected` Hz
    SubtitlesBurnt, // the picture differs from the conversion without subtitles
    Converts,       // nothing beyond the basics
};

QString ffmpegLog(const QString &file, const QStringList &options) {
    return QString::fromUtf8(RunProgram(u"ffmpeg"_s, QStringList{u"-nostdin"_s, u"-i"_s, file} +
                                                         options +
                                                         QStringList{u"-f"_s, u"null"_s, u"-"_s})
                                 .output);
}

// Every capture of the pattern's first group in the text, as numbers.
QList<double> numbersIn(const QString &text, const QString &pattern) {
    QList<double> numbers;
    for (const QRegularExpressionMatch &match : QRegularExpression(pattern).globalMatch(text))
        numbers << match.captured(1).toDouble();
    return numbers;
}

double mean(const QList<double> &values) {
    return values.isEmpty() ? 0
                            : std::accumulate(values.begin(), values.end(), 0.0) / values.size();
}

double ratio(const QString &fraction) {
    const QStringList parts = fraction.split(QRegularExpression(u"[:/]"_s));
    return parts.size() == 2 && parts[1].toDouble() > 0 ? parts[0].toDouble() / parts[1].toDouble()
                                                        : 0;
}

double duration(const QString &file) {
    return Probe(file)[u"format"_s][u"duration"_s].toString().toDouble();
}

// The displayed width over height of the picture's non-black area.
double pictureAspect(const QString &file) {
    const QString log = ffmpegLog(file, {u"-vf"_s, u"cropdetect=round=2:reset=0"_s});
    QRegularExpressionMatch crop; // the last one covers the whole file
    for (const QRegularExpressionMatch &match :
         QRegularExpression(u"crop=(\\d+):(\\d+):"_s).globalMatch(log))
        crop = match;
    const double pixel =
        ratio(ProbeStream(Probe(file), u"video"_s)[u"sample_aspect_ratio"_s].toString(u"1:1"_s));
    if (!crop.hasMatch() || crop.captured(2).toDouble() == 0)
        return 0;
    return crop.captured(1).toDouble() * (pixel > 0 ? pixel : 1) / crop.captured(2).toDouble();
}

// The frames idet judges interlaced and progressive, over the whole file.
std::pair<double, double> interlacedAndProgressive(const QString &file) {
    const QString log = ffmpegLog(file, {u"-vf"_s, u"idet"_s});
    const QRegularExpressionMatch counts =
        QRegularExpression(
            u"Multi frame detection: TFF: *(\\d+) BFF: *(\\d+) Progressive: *(\\d+)"_s)
            .match(log);
    return {counts.captured(1).toDouble() + counts.captured(2).toDouble(),
            counts.captured(3).toDouble()};
}

// signalstats values of every frame, by name (YAVG, SATAVG), and the frames' times.
QList<double> frameStats(const QString &file, const QString &name, QList<double> *times = nullptr) {
    const QString log =
        ffmpegLog(file, {u"-vf"_s, u"signalstats,metadata=print:key=lavfi.signalstats."_s + name +
                                       u":file=-"_s});
    if (times)
        *times = numbersIn(log, u"pts_time:([0-9.]+)"_s);
    return numbersIn(log, u"lavfi\\.signalstats\\."_s + name + u"=([0-9.]+)"_s);
}

// When the white flashes begin, from the frames' mean brightness.
QList<double> flashOnsets(const QString &file) {
    QList<double> times;
    const QList<double> brightness = frameStats(file, u"YAVG"_s, &times);
    QList<double> onsets;
    for (qsizetype i = 0; i < std::min(brightness.size(), times.size()); ++i) {
        if (brightness[i] > 128 && (i == 0 || brightness[i - 1] <= 128))
            onsets << times[i];
    }
    return onsets;
}

// When sounds begin after silence.
QList<double> soundOnsets(const QString &file) {
    return numbersIn(ffmpegLog(file, {u"-af"_s, u"silencedetect=n=-30dB:d=0.05"_s}),
                     u"silence_end: ([0-9.]+)"_s);
}

// The pitch of the sound between 0.5 and 1.5 s, from its zero crossings.
double pitch(const QString &file) {
    const QByteArray pcm =
        RunProgram(u"ffmpeg"_s, {u"-nostdin"_s, u"-loglevel"_s, u"error"_s, u"-ss"_s, u"0.5"_s,
                                 u"-t"_s, u"1"_s, u"-i"_s, file, u"-map"_s, u"0:a:0"_s, u"-ac"_s,
                                 u"1"_s, u"-ar"_s, u"16000"_s, u"-f"_s, u"s16le"_s, u"-"_s})
            .output;
    const auto *samples = reinterpret_cast<const qint16 *>(pcm.constData());
    const qsizetype count = pcm.size() / 2;
    int crossings = 0;
    for (qsizetype i = 1; i < count; ++i)
        crossings += (samples[i - 1] < 0) != (samples[i] < 0);
    return count > 0 ? crossings / 2.0 / (count / 16000.0) : 0;
}

// The share of pixels whose luma differs clearly between two files' frames at a time.
double lumaDifference(const QString &first, const QString &second, double seconds) {
    const auto luma = [seconds](const QString &file) {
        return RunProgram(u"ffmpeg"_s,
                          {u"-nostdin"_s, u"-loglevel"_s, u"error"_s, u"-ss"_s,
                           QString::number(seconds), u"-i"_s, file, u"-frames:v"_s, u"1"_s, u"-f"_s,
                           u"rawvideo"_s, u"-pix_fmt"_s, u"gray"_s, u"-"_s})
            .output;
    };
    const QByteArray a = luma(first), b = luma(second);
    if (a.isEmpty() || a.size() != b.size())
        return -1;
    qsizetype differing = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        differing += std::abs(int(quint8(a[i])) - int(quint8(b[i]))) > 40;
    return double(differing) / a.size();
}

} // namespace

class TodaySourcesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void iPod_data() { addRows(u"iPod"_s); }
    void iPod() { convertAndCheck(); }
    void psp_data() { addRows(u"PSP"_s); }
    void psp() { convertAndCheck(); }
    void zune_data() { addRows(u"Zune"_s); }
    void zune() { convertAndCheck(); }
    void mobilePhone_data() { addRows(u"MobilePhone"_s); }
    void mobilePhone() { convertAndCheck(); }

private:
    void addRows(const QString &device);
    void convertAndCheck();
    // The output of mobivert-cli for the source, device, profile and options,
    // converted once; empty (with the reason in `failure`) when it failed.
    QString converted(const QString &source, const QString &device, int profile,
                      const QStringList &options, QString *failure);

    std::unique_ptr<TestHome> m_home;
    QString m_sources;
    QHash<QString, QString> m_converted;
    QList<ProfileTarget> m_targets;
};

void TodaySourcesTest::initTestCase() {
    m_home = std::make_unique<TestHome>();
    m_sources = m_home->makeFolder(u"sources"_s);
    QVERIFY(WriteFileBytes(m_sources + u"/subtitles.srt",
                           "1\n00:00:00,500 --> 00:00:01,500\nHELLO WORLD\n"));
    for (const Recipe &recipe : recipes()) {
        const QStringList arguments =
            QStringList{u"-nostdin"_s, u"-loglevel"_s, u"error"_s, u"-y"_s} +
            QProcess::splitCommand(QString(recipe.arguments).replace(u"%1"_s, m_sources)) +
            QStringList{m_sources + u'/' + recipe.name};
        const ProgramResult made = RunProgram(u"ffmpeg"_s, arguments);
        QVERIFY2(made.exitCode == 0,
                 qPrintable(recipe.name + u": " + QString::fromUtf8(made.output)));
    }
    // The DVD measures as woven fields, so that a missed deinterlace shows.
    const auto [interlaced, progressive] = interlacedAndProgressive(m_sources + u"/dvd-4x3.mpg"_s);
    QVERIFY2(interlaced > 10 * progressive,
             qPrintable(u"%1 %2"_s.arg(interlaced).arg(progressive)));
    m_targets = ReadProfileTargets(TestPaths::sourceDir() + u"/Profiles/device-classes.tsv");
    QVERIFY(!m_targets.isEmpty());
}

void TodaySourcesTest::addRows(const QString &device) {
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("profile");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<Check>("check");
    QTest::addColumn<double>("expected");
    struct Row {
        const char *name;
        QString device;
        QString source;
        int profile;
        QStringList options;
        Check check;
        double expected;
    };
    // The profiles are the devices' defaults unless a row needs another.
    const QList<Row> rows{
        {"upright phone video", u"iPod"_s, u"portrait.mp4"_s, 4, {}, Check::Shape, 360.0 / 640},
        {"anamorphic DVD", u"iPod"_s, u"dvd-wide.mpg"_s, 4, {}, Check::Shape, 16.0 / 9},
        {"interlaced DVD", u"iPod"_s, u"dvd-4x3.mpg"_s, 4, {}, Check::NoCombing, 0},
        {"29.97 to 25 fps", u"iPod"_s, u"flashes.mp4"_s, 4, {}, Check::LipSync, 0},
        {"default sound track", u"iPod"_s, u"two-tracks.mkv"_s, 4, {}, Check::Frequency, 900},
        {"4:3 into 480x272", u"PSP"_s, u"four-three.mp4"_s, 5, {}, Check::Shape, 4.0 / 3},
        {"no sound", u"PSP"_s, u"silent.mp4"_s, 5, {}, Check::OneAacTrack, 0},
        {"HDR PQ", u"PSP"_s, u"pq.mkv"_s, 5, {}, Check::ToneMapped, 0},
        {"HDR HLG", u"PSP"_s, u"hlg.mkv"_s, 5, {}, Check::ToneMapped, 0},
        {"sound track 1",
         u"PSP"_s,
         u"two-tracks.mkv"_s,
         5,
         {u"--audio-track"_s, u"1"_s},
         Check::Frequency,
         300},
        {"sound 2 s late", u"Zune"_s, u"late-sound.mkv"_s, 1, {}, Check::LateSound, 2},
        {"subtitles burnt in",
         u"Zune"_s,
         u"subtitled.mkv"_s,
         1,
         {u"--burn-subtitles"_s},
         Check::SubtitlesBurnt,
         0},
        {"no subtitles to burn",
         u"Zune"_s,
         u"four-three.mp4"_s,
         1,
         {u"--burn-subtitles"_s},
         Check::Converts,
         0},
        {"upright phone video",
         u"MobilePhone"_s,
         u"portrait.mp4"_s,
         5,
         {},
         Check::Shape,
         360.0 / 640},
        {"29.97 to 15 fps", u"MobilePhone"_s, u"flashes.mp4"_s, 3, {}, Check::LipSync, 0},
        {"HDR HLG", u"MobilePhone"_s, u"hlg.mkv"_s, 5, {}, Check::ToneMapped, 0},
    };
    for (const Row &row : rows) {
        if (row.device == device)
            QTest::newRow(row.name) << row.device << row.source << row.profile << row.options
                                    << row.check << row.expected;
    }
}

QString TodaySourcesTest::converted(const QString &source, const QString &device, int profile,
                                    const QStringList &options, QString *failure) {
    const QStringList arguments = QStringList{u"-d"_s, device, u"-p"_s, QString::number(profile)} +
                                  options + QStringList{m_sources + u'/' + source};
    const QString key = arguments.join(u' ');
    if (m_converted.contains(key))
        return m_converted.value(key);
    const QString folder = m_home->makeFolder(u"out-%1"_s.arg(m_converted.size()));
    const ProgramResult result = RunProgram(TestPaths::binary(u"mobivert-cli"_s),
                                            arguments + QStringList{u"-o"_s, folder}, 240000);
    const QStringList files = QDir(folder).entryList(QDir::Files);
    if (result.exitCode != 0 || files.size() != 1) {
        *failure = key + u": exit " + QString::number(result.exitCode) +
                   (result.crashed ? u" (crashed)" : u"") +
                   (result.timedOut ? u" (timed out)" : u"") + u", " + files.join(u", ") + u'\n' +
                   QString::fromUtf8(result.output);
        return {};
    }
    m_converted.insert(key, folder + u'/' + files[0]);
    return folder + u'/' + files[0];
}

void TodaySourcesTest::convertAndCheck() {
    QFETCH(QString, device);
    QFETCH(QString, source);
    QFETCH(int, profile);
    QFETCH(QStringList, options);
    QFETCH(Check, check);
    QFETCH(double, expected);
    QString failure;
    const QString output = converted(source, device, profile, options, &failure);
    QVERIFY2(!output.isEmpty(), qPrintable(failure));

    const auto target = std::find_if(m_targets.begin(), m_targets.end(), [&](const auto &t) {
        return t.device == device && t.profile == profile;
    });
    QVERIFY(target != m_targets.end());
    const QStringList problems = CheckDeviceClass(target->deviceClass, output);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"; ")));
    // Every converted file keeps the source's length.
    const double sourceSeconds = duration(m_sources + u'/' + source);
    const double outputSeconds = duration(output);
    qInfo("duration %.3f s of %.3f s", outputSeconds, sourceSeconds);
    QVERIFY(std::abs(outputSeconds - sourceSeconds) <= 0.2);

    switch (check) {
    case Check::Shape: {
        const double aspect = pictureAspect(output);
        qInfo("picture aspect %.4f, the source's %.4f", aspect, expected);
        QVERIFY(std::abs(aspect / expected - 1) <= 0.02);
        break;
    }
    case Check::NoCombing: {
        const auto [interlaced, progressive] = interlacedAndProgressive(output);
        qInfo("idet: %g interlaced, %g progressive frames", interlaced, progressive);
        QVERIFY(progressive > 0 && interlaced <= progressive / 10);
        break;
    }
    case Check::ToneMapped: {
        const QString original = converted(u"sdr.mkv"_s, device, profile, options, &failure);
        QVERIFY2(!original.isEmpty(), qPrintable(failure));
        const QJsonObject video = ProbeStream(Probe(output), u"video"_s);
        QCOMPARE(video[u"color_transfer"_s].toString(), u"bt709"_s);
        QCOMPARE(video[u"color_primaries"_s].toString(), u"bt709"_s);
        const double brightness = mean(frameStats(output, u"YAVG"_s));
        const double saturation = mean(frameStats(output, u"SATAVG"_s));
        const double sdrBrightness = mean(frameStats(original, u"YAVG"_s));
        const double sdrSaturation = mean(frameStats(original, u"SATAVG"_s));
        qInfo("YAVG %.1f (SDR %.1f), SATAVG %.1f (SDR %.1f)", brightness, sdrBrightness, saturation,
              sdrSaturation);
        QVERIFY(sdrBrightness > 0 && std::abs(brightness / sdrBrightness - 1) <= 0.15);
        QVERIFY(saturation >= 0.7 * sdrSaturation);
        break;
    }
    case Check::LipSync: {
        const QList<double> flashes = flashOnsets(output);
        const QList<double> beeps = soundOnsets(output);
        QCOMPARE(flashes.size(), 3);
        QVERIFY(!beeps.isEmpty());
        QList<double> offsets;
        for (const double flash : flashes) {
            double nearest = 1e9;
            for (const double beep : beeps)
                nearest = std::min(nearest, std::abs(flash - beep));
            offsets << nearest;
        }
        std::sort(offsets.begin(), offsets.end());
        const double frame =
            1 / ratio(ProbeStream(Probe(output), u"video"_s)[u"avg_frame_rate"_s].toString());
        qInfo("median picture-sound offset %.3f s, a frame %.3f s", offsets[1], frame);
        QVERIFY(offsets[1] <= frame + 0.002);
        break;
    }
    case Check::LateSound: {
        const QList<double> onsets = soundOnsets(output);
        qInfo("sound begins at %.3f s", onsets.value(0));
        QVERIFY(!onsets.isEmpty() && std::abs(onsets[0] - expected) <= 0.1);
        break;
    }
    case Check::OneAacTrack: {
        const QJsonArray streams = Probe(output)[u"streams"_s].toArray();
        const auto sound = std::count_if(streams.begin(), streams.end(), [](const auto &stream) {
            return stream.toObject()[u"codec_type"_s] == u"audio"_s;
        });
        QCOMPARE(sound, 1);
        QCOMPARE(ProbeStream(Probe(output), u"audio"_s)[u"codec_name"_s].toString(), u"aac"_s);
        break;
    }
    case Check::Frequency: {
        const double hertz = pitch(output);
        qInfo("pitch %.0f Hz", hertz);
        QVERIFY(std::abs(hertz / expected - 1) <= 0.1);
        break;
    }
    case Check::SubtitlesBurnt: {
        const QString plain = converted(source, device, profile, {}, &failure);
        QVERIFY2(!plain.isEmpty(), qPrintable(failure));
        const double during = lumaDifference(output, plain, 1.0);
        const double after = lumaDifference(output, plain, 1.8);
        qInfo("%.2f%% of the picture differs while shown, %.2f%% after", during * 100, after * 100);
        QVERIFY(during > 0.002 && during > 4 * after);
        break;
    }
    case Check::Converts:
        break;
    }
}

QTEST_GUILESS_MAIN(TodaySourcesTest)
#include "tst_today_sources.moc"
