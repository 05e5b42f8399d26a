// The converter's reading of the old option dialect and the ffmpeg 5.1
// arguments it makes of it.
#include "Components/BrannockVideoConverter/OptionValues.h"
#include "Components/BrannockVideoConverter/Translation.h"

#include <QTest>

using namespace converter;

namespace {

std::vector<std::string> words(const QString &line) {
    std::vector<std::string> result;
    const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &part : parts)
        result.push_back(part.toStdString());
    return result;
}

QString joined(const std::vector<std::string> &list) {
    QStringList parts;
    for (const std::string &item : list)
        parts << QString::fromStdString(item);
    return parts.join(QLatin1Char(' '));
}

// The ffmpeg arguments for a command line, with "OUT" for the output file.
QString ffmpegLine(const QString &arguments) {
    const Translation translation = translate(words(arguments));
    if (const auto *error = std::get_if<TranslationError>(&translation))
        return QStringLiteral("error: ") + QString::fromStdString(error->message);
    return joined(ffmpegArguments(std::get<Plan>(translation), "OUT"));
}

} // namespace

class ConverterTranslationTest : public QObject {
    Q_OBJECT

private slots:
    void commandLines_data();
    void commandLines();
    void geometry_data();
    void geometry();
    void sameQuality_data();
    void sameQuality();
    void bitRates_data();
    void bitRates();
    void refused_data();
    void refused();
};

void ConverterTranslationTest::commandLines_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("expected");

    QTest::newRow("worked example")
        << QStringLiteral("-i in.avi -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -acodec aac -ab "
                          "128kbps -ar 44100 -ac 2 -y out.mp4")
        << QStringLiteral("-y -i file:in.avi -c:v mpeg4 -vf scale=320:240,setsar=1 -b:v 718k -r "
                          "25 -c:a aac -b:a 128k -ar 44100 -ac 2 -f mp4 OUT");
    QTest::newRow("container named") << QStringLiteral("-i in.avi -f psp -vcodec mpeg4 -y out.MP4")
                                     << QStringLiteral("-y -i file:in.avi -f psp -c:v mpeg4 OUT");
    QTest::newRow("container from an upper-case extension")
        << QStringLiteral("-i in.avi -vcodec mpeg4 -y M4V00001.MP4")
        << QStringLiteral("-y -i file:in.avi -c:v mpeg4 -f mp4 OUT");
    QTest::newRow("extension ffmpeg must see itself")
        << QStringLiteral("-i in.avi -vcodec mpeg4 -y out.nut")
        << QStringLiteral("-y -i file:in.avi -c:v mpeg4 OUT");
    QTest::newRow("trim: start before the input, length after")
        << QStringLiteral("-i in.avi -vcodec libx264 -ss 00:01:02.5 -t 30 -y out.mp4")
        << QStringLiteral("-y -ss 00:01:02.5 -i file:in.avi -c:v libx264 -t 30 -f mp4 OUT");
    QTest::newRow("PSP thumbnail")
        << QStringLiteral("-i in.avi -f image2 -ss 5 -vframes 1 -s 160x120 -an -y M4V0001.thm")
        << QStringLiteral("-y -ss 5 -i file:in.avi -f image2 -frames:v 1 -vf "
                          "scale=160:120,setsar=1 -an -c:v mjpeg -update 1 OUT");
    QTest::newRow("picture named by its extension")
        << QStringLiteral("-i in.avi -vframes 1 -y still.png")
        << QStringLiteral("-y -i file:in.avi -frames:v 1 -f image2 -c:v png -update 1 OUT");
    QTest::newRow("picture with its own encoder and update")
        << QStringLiteral("-i in.avi -f image2 -vcodec bmp -update 0 -y pic.thm")
        << QStringLiteral("-y -i file:in.avi -f image2 -c:v bmp -update 0 OUT");
    QTest::newRow("modern options pass unchanged and in order")
        << QStringLiteral("-i in.avi -vcodec libx264 -profile:v baseline -pix_fmt yuv420p "
                          "-maxrate 768k -bufsize 1500k -movflags +faststart -y out.m4v")
        << QStringLiteral("-y -i file:in.avi -c:v libx264 -profile:v baseline -pix_fmt yuv420p "
                          "-maxrate 768k -bufsize 1500k -movflags +faststart -f ipod OUT");
    QTest::newRow("flag passes unchanged")
        << QStringLiteral("-i in.avi -shortest -y out.mp4")
        << QStringLiteral("-y -i file:in.avi -shortest -f mp4 OUT");
    QTest::newRow("audio only")
        << QStringLiteral("-i in.avi -vn -acodec libfaac -ab 128kbps -ar 44100 -ac 2 -y out.m4a")
        << QStringLiteral("-y -i file:in.avi -vn -c:a aac -b:a 128k -ar 44100 -ac 2 -f ipod OUT");
    QTest::newRow("audio only drops picture options")
        << QStringLiteral("-i in.avi -vn -s 320x240 -padtop 10 -sameq -acodec mp3 -y out.mp3")
        << QStringLiteral("-y -i file:in.avi -vn -c:a libmp3lame -f mp3 OUT");
    QTest::newRow("old encoder names: x264, libamr_nb")
        << QStringLiteral("-i in.avi -vcodec x264 -acodec libamr_nb -y out.3gp")
        << QStringLiteral("-y -i file:in.avi -c:v libx264 -c:a libopencore_amrnb -f 3gp OUT");
    QTest::newRow("old encoder names: h264, amr_nb")
        << QStringLiteral("-i in.avi -vcodec h264 -acodec amr_nb -y out.3gp")
        << QStringLiteral("-y -i file:in.avi -c:v libx264 -c:a libopencore_amrnb -f 3gp OUT");
    QTest::newRow("old encoder names: faac, mp3; current names kept")
        << QStringLiteral("-i in.avi -vcodec wmv2 -acodec faac -acodec mp3 -acodec wmav2 out.wmv")
        << QStringLiteral("-y -i file:in.avi -c:v wmv2 -c:a aac -c:a libmp3lame -c:a wmav2 -f asf "
                          "OUT");
    QTest::newRow("video only") << QStringLiteral("-i in.avi -vcodec xvid -an -y out.avi")
                                << QStringLiteral("-y -i file:in.avi -c:v libxvid -an -f avi OUT");
    QTest::newRow("neither") << QStringLiteral("-i in.avi -vn -an -y out.mp4")
                             << QStringLiteral("-y -i file:in.avi -vn -an -f mp4 OUT");
    QTest::newRow("frame count") << QStringLiteral("-i in.avi -vframes 25 -y out.avi")
                                 << QStringLiteral("-y -i file:in.avi -frames:v 25 -f avi OUT");
    QTest::newRow("no -y") << QStringLiteral("-i in.avi -r 15 out.3gp")
                           << QStringLiteral("-y -i file:in.avi -r 15 -f 3gp OUT");
    QTest::newRow("-y before -i") << QStringLiteral("-y -i in.avi out.wmv")
                                  << QStringLiteral("-y -i file:in.avi -f asf OUT");
    QTest::newRow("input options before -i pass unchanged")
        << QStringLiteral("-re -f lavfi -i testsrc2=duration=5 -vcodec mpeg4 -y out.mp4")
        << QStringLiteral("-y -re -f lavfi -i testsrc2=duration=5 -c:v mpeg4 -f mp4 OUT");
    QTest::newRow("input with a leading dash and a colon")
        << QStringLiteral("-i -my:clip.avi -y out.mp4")
        << QStringLiteral("-y -i file:-my:clip.avi -f mp4 OUT");
    QTest::newRow("input called -")
        << QStringLiteral("-i - -y out.mp4") << QStringLiteral("-y -i file:- -f mp4 OUT");
    QTest::newRow("input named like a file: address")
        << QStringLiteral("-i file:in.avi -y out.mp4")
        << QStringLiteral("-y -i file:file:in.avi -f mp4 OUT");
    QTest::newRow("own filter after the geometry")
        << QStringLiteral("-i in.avi -vf hflip -s 320x240 -y out.mp4")
        << QStringLiteral("-y -i file:in.avi -vf scale=320:240,setsar=1,hflip -f mp4 OUT");
    QTest::newRow("own filter alone") << QStringLiteral("-i in.avi -filter:v hflip -y out.mp4")
                                      << QStringLiteral("-y -i file:in.avi -vf hflip -f mp4 OUT");
}

void ConverterTranslationTest::commandLines() {
    QFETCH(QString, arguments);
    QFETCH(QString, expected);
    QCOMPARE(ffmpegLine(arguments), expected);
}

void ConverterTranslationTest::geometry_data() {
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("filters");

    // The size table of the batch file: what each source ratio gives for 320x240.
    QTest::newRow("640x480 source")
        << QStringLiteral("-s 320x240") << QStringLiteral("scale=320:240,setsar=1");
    QTest::newRow("1280x720 source")
        << QStringLiteral("-s 320x180 -padtop 30 -padbottom 30")
        << QStringLiteral("scale=320:180,pad=320:240:0:30:black,setsar=1");
    QTest::newRow("720x480 source")
        << QStringLiteral("-s 320x212 -padtop 14 -padbottom 14")
        << QStringLiteral("scale=320:212,pad=320:240:0:14:black,setsar=1");
    QTest::newRow("640x300 source")
        << QStringLiteral("-s 320x150 -padtop 46 -padbottom 44")
        << QStringLiteral("scale=320:150,pad=320:240:0:46:black,setsar=1");
    QTest::newRow("720x576 source") << QStringLiteral("-croptop 8 -cropbottom 8 -s 320x240")
                                    << QStringLiteral("crop=iw:ih-16:0:8,scale=320:240,setsar=1");
    QTest::newRow("704x576 source") << QStringLiteral("-croptop 12 -cropbottom 10 -s 320x240")
                                    << QStringLiteral("crop=iw:ih-22:0:12,scale=320:240,setsar=1");
    QTest::newRow("all four sides")
        << QStringLiteral("-cropleft 4 -cropright 6 -croptop 2 -s 300x200 -padleft 10 -padright 10 "
                          "-padbottom 40")
        << QStringLiteral("crop=iw-10:ih-2:4:2,scale=300:200,pad=320:240:10:0:black,setsar=1");
    QTest::newRow("margins without a size")
        << QStringLiteral("-cropleft 8 -padtop 2 -padbottom 2")
        << QStringLiteral("crop=iw-8:ih:8:0,pad=iw:ih+4:0:2:black,setsar=1");
    QTest::newRow("zero margins leave the frame alone")
        << QStringLiteral("-padtop 0 -croptop 0") << QString();
    QTest::newRow("size name") << QStringLiteral("-s qcif")
                               << QStringLiteral("scale=176:144,setsar=1");
    QTest::newRow("odd size") << QStringLiteral("-s 321x241")
                              << QStringLiteral("scale=321:241,setsar=1");
    QTest::newRow("sums beyond the int range")
        << QStringLiteral("-s 2147483647x2 -padleft 2147483646 -padright 2 -croptop 2147483646 "
                          "-cropbottom 2147483646")
        << QStringLiteral("crop=iw:ih-4294967292:0:2147483646,scale=2147483647:2,"
                          "pad=4294967295:2:2147483646:0:black,setsar=1");
    QTest::newRow("the last size counts")
        << QStringLiteral("-s 640x480 -s 320x240") << QStringLiteral("scale=320:240,setsar=1");
}

void ConverterTranslationTest::geometry() {
    QFETCH(QString, options);
    QFETCH(QString, filters);
    const QString line =
        ffmpegLine(QStringLiteral("-i in.avi ") + options + QStringLiteral(" out.avi"));
    const QString expected = filters.isEmpty() ? QStringLiteral("-y -i file:in.avi -f avi OUT")
                                               : QStringLiteral("-y -i file:in.avi -vf ") +
                                                     filters + QStringLiteral(" -f avi OUT");
    QCOMPARE(line, expected);
}

void ConverterTranslationTest::sameQuality_data() {
    QTest::addColumn<QString>("codecOptions");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("quality");

    const QString scale = QStringLiteral("-q:v 2");
    const QString crf = QStringLiteral("-crf 18");
    for (const char *encoder : {"mpeg4", "xvid", "libxvid", "h263", "msmpeg4", "wmv1", "wmv2",
                                "mjpeg", "flv", "mpeg2video"}) {
        QTest::newRow(encoder) << QStringLiteral("-vcodec ") + QLatin1String(encoder)
                               << QStringLiteral("out.avi") << scale;
    }
    for (const char *encoder : {"libx264", "h264", "x264"}) {
        QTest::newRow(encoder) << QStringLiteral("-vcodec ") + QLatin1String(encoder)
                               << QStringLiteral("out.mp4") << crf;
    }
    QTest::newRow("x264 by default in mp4") << QString() << QStringLiteral("out.mp4") << crf;
    QTest::newRow("x264 by default for psp")
        << QStringLiteral("-f psp") << QStringLiteral("out.MP4") << crf;
    QTest::newRow("mpeg4 by default in avi") << QString() << QStringLiteral("out.avi") << scale;
    QTest::newRow("unknown container") << QString() << QStringLiteral("out.nut") << scale;
    QTest::newRow("stream copy") << QStringLiteral("-vcodec copy") << QStringLiteral("out.mkv")
                                 << QString();
}

void ConverterTranslationTest::sameQuality() {
    QFETCH(QString, codecOptions);
    QFETCH(QString, output);
    QFETCH(QString, quality);
    const QString line = ffmpegLine(QStringLiteral("-i in.avi ") + codecOptions +
                                    QStringLiteral(" -b 718kbps -sameq -y ") + output);
    QVERIFY2(!line.contains(QStringLiteral("-b:v")), qPrintable(line)); // quality, not a bit rate
    QVERIFY2(!line.contains(QStringLiteral("-sameq")), qPrintable(line));
    QCOMPARE(line.contains(QStringLiteral("-crf")), quality.contains(QStringLiteral("-crf")));
    QCOMPARE(line.contains(QStringLiteral("-q:v")), quality.contains(QStringLiteral("-q:v")));
    if (!quality.isEmpty())
        QVERIFY2(line.contains(QLatin1Char(' ') + quality + QLatin1Char(' ')), qPrintable(line));
}

void ConverterTranslationTest::bitRates_data() {
    QTest::addColumn<QString>("dialect");
    QTest::addColumn<QString>("ffmpeg");

    QTest::newRow("kbps") << QStringLiteral("718kbps") << QStringLiteral("718k");
    QTest::newRow("upper case") << QStringLiteral("96KBPS") << QStringLiteral("96K");
    QTest::newRow("mixed case") << QStringLiteral("128kBps") << QStringLiteral("128k");
    QTest::newRow("plain bps") << QStringLiteral("64000bps") << QStringLiteral("64000");
    QTest::newRow("mega") << QStringLiteral("2Mbps") << QStringLiteral("2M");
    QTest::newRow("fraction") << QStringLiteral("1.5Mbps") << QStringLiteral("1.5M");
    QTest::newRow("modern form") << QStringLiteral("768k") << QStringLiteral("768k");
    QTest::newRow("bits per second") << QStringLiteral("768000") << QStringLiteral("768000");
    QTest::newRow("bps only in the middle") << QStringLiteral("1bps2") << QStringLiteral("1bps2");
}

void ConverterTranslationTest::bitRates() {
    QFETCH(QString, dialect);
    QFETCH(QString, ffmpeg);
    QCOMPARE(QString::fromStdString(bitRate(dialect.toStdString())), ffmpeg);
    // Both -b (video) and -ab (audio) read it the same way.
    const QString line = ffmpegLine(QStringLiteral("-i in.avi -b %1 -ab %1 out.avi").arg(dialect));
    QCOMPARE(line, QStringLiteral("-y -i file:in.avi -b:v %1 -b:a %1 -f avi OUT").arg(ffmpeg));
}

void ConverterTranslationTest::refused_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("odd pad") << QStringLiteral("-i a.avi -s 320x180 -padtop 31 -y b.mp4")
                             << QStringLiteral("Invalid value '31' for option 'padtop'");
    QTest::newRow("odd crop") << QStringLiteral("-i a.avi -cropright 3 -y b.mp4")
                              << QStringLiteral("Invalid value '3' for option 'cropright'");
    QTest::newRow("negative") << QStringLiteral("-i a.avi -cropbottom -2 -y b.mp4")
                              << QStringLiteral("Invalid value '-2' for option 'cropbottom'");
    QTest::newRow("not a number") << QStringLiteral("-i a.avi -padleft ten -y b.mp4")
                                  << QStringLiteral("Invalid value 'ten' for option 'padleft'");
    for (const char *size : {"320by240", "320X240", "0x240", "320x", "+320x240", "huge"}) {
        QTest::addRow("size %s", size)
            << QStringLiteral("-i a.avi -s %1 -y b.mp4").arg(QLatin1String(size))
            << QStringLiteral("Invalid value '%1' for option 's'").arg(QLatin1String(size));
    }
    QTest::newRow("only an input") << QStringLiteral("-i a.avi")
                                   << QStringLiteral("At least one output file must be specified");
    QTest::newRow("value where the output belongs")
        << QStringLiteral("-i a.avi -vcodec mpeg4")
        << QStringLiteral("At least one output file must be specified");
    QTest::newRow("option where the output belongs")
        << QStringLiteral("-i a.avi -vcodec mpeg4 -y")
        << QStringLiteral("At least one output file must be specified");
    QTest::newRow("no input") << QStringLiteral("-vcodec mpeg4 -y b.mp4")
                              << QStringLiteral("No input file given (-i)");
    QTest::newRow("-i without a value")
        << QStringLiteral("-i") << QStringLiteral("Missing argument for option 'i'");
    QTest::newRow("two inputs") << QStringLiteral("-i a.avi -i b.avi -y c.mp4")
                                << QStringLiteral("Only one input file is supported");
}

void ConverterTranslationTest::refused() {
    QFETCH(QString, arguments);
    QFETCH(QString, message);
    QCOMPARE(ffmpegLine(arguments), QStringLiteral("error: ") + message);
}

QTEST_GUILESS_MAIN(ConverterTranslationTest)
#include "tst_converter_translation.moc"
