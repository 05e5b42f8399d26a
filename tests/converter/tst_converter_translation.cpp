// The converter's reading of the old option dialect and the ffmpeg 5.1
// arguments it makes of it.
#include "Components/BrannockVideoConverter/EncoderTuning.h"
#include "Components/BrannockVideoConverter/OptionValues.h"
#include "Components/BrannockVideoConverter/Translation.h"
#include "Components/BrannockVideoConverter/TwoPass.h"
#include "tests/converter/ArgumentWords.h"

#include <QTest>

using namespace converter;

namespace {

// The ffmpeg arguments for a command line, with "OUT" for the output file.
QString ffmpegLine(const QString &arguments) {
    const Translation translation = translate(words(arguments));
    if (const auto *error = std::get_if<TranslationError>(&translation))
        return QStringLiteral("error: ") + QString::fromStdString(error->message);
    return joined(ffmpegArguments(std::get<Plan>(translation), "OUT"));
}

Plan planOf(const QString &arguments) {
    const Translation translation = translate(words(arguments));
    return std::holds_alternative<Plan>(translation) ? std::get<Plan>(translation) : Plan{};
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
    void tuning_data();
    void tuning();
    void referenceFrames_data();
    void referenceFrames();
    void numbers_data();
    void numbers();
    void twoPassLines();
    void secondPassAgain_data();
    void secondPassAgain();
    void shownPositions_data();
    void shownPositions();
};

void ConverterTranslationTest::commandLines_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("expected");

    QTest::newRow("worked example")
        << QStringLiteral("-i in.avi -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -acodec aac -ab "
                          "128kbps -ar 44100 -ac 2 -y out.mp4")
        << QStringLiteral(
               "-y -i file:in.avi -c:v mpeg4 -bf 0 -g 50 -flags +mv4+aic -mbd rd -bt "
               "1436000 -vf scale=320:240,setsar=1,fps=25 -b:v 718k -c:a aac -aac_pns 0 -b:a 128k "
               "-ar 44100 -ac 2 -f mp4 OUT");
    QTest::newRow("container named")
        << QStringLiteral("-i in.avi -f psp -vcodec mpeg4 -y out.MP4")
        << QStringLiteral("-y -i file:in.avi -f psp -c:v mpeg4 -bf 0 -flags "
                          "+mv4+aic -mbd rd OUT");
    QTest::newRow("container from an upper-case extension")
        << QStringLiteral("-i in.avi -vcodec mpeg4 -y M4V00001.MP4")
        << QStringLiteral("-y -i file:in.avi -c:v mpeg4 -bf 0 -flags +mv4+aic -mbd rd -f mp4 OUT");
    QTest::newRow("extension ffmpeg must see itself")
        << QStringLiteral("-i in.avi -vcodec mpeg4 -y out.nut")
        << QStringLiteral("-y -i file:in.avi -c:v mpeg4 -bf 0 -flags +mv4+aic -mbd rd OUT");
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
        << QStringLiteral(
               "-y -i file:in.avi -vn -c:a aac -aac_pns 0 -b:a 128k -ar 44100 -ac 2 -f ipod OUT");
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
        << QStringLiteral(
               "-y -i file:in.avi -c:v wmv2 -mbd rd -c:a aac -aac_pns 0 -c:a libmp3lame -c:a wmav2 "
               "-f asf OUT");
    QTest::newRow("video only") << QStringLiteral("-i in.avi -vcodec xvid -an -y out.avi")
                                << QStringLiteral("-y -i file:in.avi -c:v libxvid -bf 0 -flags "
                                                  "+mv4+aic -trellis 1 -an -f avi OUT");
    QTest::newRow("neither") << QStringLiteral("-i in.avi -vn -an -y out.mp4")
                             << QStringLiteral("-y -i file:in.avi -vn -an -f mp4 OUT");
    QTest::newRow("frame count") << QStringLiteral("-i in.avi -vframes 25 -y out.avi")
                                 << QStringLiteral("-y -i file:in.avi -frames:v 25 -f avi OUT");
    QTest::newRow("no -y") << QStringLiteral("-i in.avi -r 15 out.3gp")
                           << QStringLiteral("-y -i file:in.avi -vf fps=15 -f 3gp OUT");
    QTest::newRow("-y before -i") << QStringLiteral("-y -i in.avi out.wmv")
                                  << QStringLiteral("-y -i file:in.avi -f asf OUT");
    QTest::newRow("input options before -i pass unchanged")
        << QStringLiteral("-re -f lavfi -i testsrc2=duration=5 -vcodec mpeg4 -y out.mp4")
        << QStringLiteral("-y -re -f lavfi -i testsrc2=duration=5 -c:v mpeg4 -bf 0 -flags "
                          "+mv4+aic -mbd rd -f mp4 OUT");
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
    QTest::newRow("two passes and same quality")
        << QStringLiteral("-i a.avi -vcodec mpeg4 -b 700k -twopass -sameq -y b.mp4")
        << QStringLiteral("Options 'sameq' and 'twopass' exclude each other");
    QTest::newRow("fit and same quality")
        << QStringLiteral("-i a.avi -vcodec mpeg4 -b 700k -sameq -fitsize 900000 -y b.mp4")
        << QStringLiteral("Options 'sameq' and 'twopass' exclude each other");
    QTest::newRow("two passes without a bit rate")
        << QStringLiteral("-i a.avi -vcodec mpeg4 -twopass -y b.mp4")
        << QStringLiteral("Option 'twopass' needs a video bit rate (-b)");
    QTest::newRow("kind") << QStringLiteral("-i a.avi -kind film -y b.m4v")
                          << QStringLiteral("-kind: expected movie, tv or musicvideo, not 'film'");
    for (const char *number : {"-1", "two", "2.5"}) {
        QTest::addRow("season %s", number)
            << QStringLiteral("-i a.avi -season %1 -y b.m4v").arg(QLatin1String(number))
            << QStringLiteral("-season: expected a whole number, not '%1'")
                   .arg(QLatin1String(number));
    }
    QTest::newRow("episode") << QStringLiteral("-i a.avi -episode 1e3 -y b.m4v")
                             << QStringLiteral("-episode: expected a whole number, not '1e3'");
    for (const char *size : {"6M", "0", "-5", "1e6"}) {
        QTest::addRow("fit size %s", size)
            << QStringLiteral("-i a.avi -b 700k -fitsize %1 -y b.mp4").arg(QLatin1String(size))
            << QStringLiteral("Invalid value '%1' for option 'fitsize'").arg(QLatin1String(size));
    }
}

void ConverterTranslationTest::refused() {
    QFETCH(QString, arguments);
    QFETCH(QString, message);
    QCOMPARE(ffmpegLine(arguments), QStringLiteral("error: ") + message);
}

void ConverterTranslationTest::tuning_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("expected");

    QTest::newRow("MPEG-4: Simple Profile tools, key frame every 2 s, rate tolerance 2 s")
        << QStringLiteral("-f ipod -vcodec mpeg4 -b 718kbps -r 25 -maxrate 2500k -y out.m4v")
        << QStringLiteral("-f ipod -c:v mpeg4 -bf 0 -g 50 -flags +mv4+aic -mbd rd -bt 1436000 "
                          "-b:v 718k -vf fps=25 -maxrate 2500k OUT");
    QTest::newRow("Xvid: trellis, its own rate control")
        << QStringLiteral("-f psp -vcodec xvid -b 718kbps -r 29.97 -y M4V0001.MP4")
        << QStringLiteral("-f psp -c:v libxvid -bf 0 -g 60 -flags +mv4+aic -trellis 1 -b:v 718k "
                          "-vf fps=29.97 OUT");
    QTest::newRow("H.263: baseline only")
        << QStringLiteral("-f 3gp -vcodec h263 -b 46kbps -r 15 -y out.3gp")
        << QStringLiteral("-f 3gp -c:v h263 -g 30 -mbd rd -bt 92000 -b:v 46k -vf fps=15 OUT");
    QTest::newRow("Windows Media")
        << QStringLiteral("-f asf -vcodec wmv2 -b 718kbps -r 25 -y out.wmv")
        << QStringLiteral("-f asf -c:v wmv2 -g 50 -mbd rd -bt 1436000 -b:v 718k -vf fps=25 OUT");
    QTest::newRow("H.264 at 25 fps: x264's own 250 frames")
        << QStringLiteral("-f ipod -vcodec h264 -s 640x480 -b 1450kbps -r 25 -level 3.0 -y o.m4v")
        << QStringLiteral(
               "-f ipod -c:v libx264 -g 250 -vf scale=640:480,setsar=1,fps=25 -b:v 1450k "
               "-level 3.0 OUT");
    QTest::newRow("H.264 at 15 fps: 10 s; references the level's buffer holds")
        << QStringLiteral("-f mp4 -vcodec h264 -s 640x360 -b 718kbps -r 15 -level 13 -y o.mp4")
        << QStringLiteral("-f mp4 -c:v libx264 -g 150 -refs 2 -vf scale=640:360,setsar=1,fps=15 "
                          "-b:v 718k -level 13 OUT");
    QTest::newRow("H.264 for the PSP: no B-frame pyramid")
        << QStringLiteral("-f psp -vcodec h264 -s 480x272 -b 718kbps -r 29.97 -profile:v main "
                          "-level 3.0 -y o.MP4")
        << QStringLiteral(
               "-f psp -c:v libx264 -g 250 -b-pyramid none -vf "
               "scale=480:272,setsar=1,fps=29.97 -b:v 718k -profile:v main -level 3.0 OUT");
    QTest::newRow("the line's own options win")
        << QStringLiteral("-vcodec mpeg4 -b 700k -r 25 -g 300 -flags:v +qpel -bt 1M -y o.avi")
        << QStringLiteral(
               "-c:v mpeg4 -bf 0 -mbd rd -b:v 700k -vf fps=25 -g 300 -flags:v +qpel -bt 1M "
               "-f avi OUT");
    QTest::newRow("same quality: no rate tolerance")
        << QStringLiteral("-vcodec mpeg4 -b 700k -sameq -y o.avi")
        << QStringLiteral("-c:v mpeg4 -bf 0 -flags +mv4+aic -mbd rd -q:v 2 -f avi OUT");
    QTest::newRow("stream copy") << QStringLiteral("-vcodec copy -r 25 -y o.mkv")
                                 << QStringLiteral("-c:v copy -r 25 -f matroska OUT");
    QTest::newRow("no video") << QStringLiteral("-vn -vcodec mpeg4 -r 25 -y o.mp4")
                              << QStringLiteral("-vn -c:v mpeg4 -r 25 -f mp4 OUT");
}

void ConverterTranslationTest::tuning() {
    QFETCH(QString, arguments);
    QFETCH(QString, expected);
    QCOMPARE(ffmpegLine(QStringLiteral("-i in.avi ") + arguments),
             QStringLiteral("-y -i file:in.avi ") + expected);
}

void ConverterTranslationTest::referenceFrames_data() {
    QTest::addColumn<QString>("level");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("references"); // 0: unknown level

    QTest::newRow("1.3 at 320x240") << QStringLiteral("1.3") << 320 << 240 << 7;
    QTest::newRow("13 at 640x480") << QStringLiteral("13") << 640 << 480 << 1;
    QTest::newRow("3.0 at 720x480") << QStringLiteral("3.0") << 720 << 480 << 6;
    QTest::newRow("3 at 480x272, 17 rows of macroblocks")
        << QStringLiteral("3") << 480 << 272 << 15;
    QTest::newRow("3.1 at 1280x720") << QStringLiteral("3.1") << 1280 << 720 << 5;
    QTest::newRow("at most 16") << QStringLiteral("5.1") << 176 << 144 << 16;
    QTest::newRow("at least 1") << QStringLiteral("1") << 1920 << 1080 << 1;
    QTest::newRow("1b") << QStringLiteral("1b") << 176 << 144 << 4;
    QTest::newRow("unknown") << QStringLiteral("high") << 320 << 240 << 0;
}

void ConverterTranslationTest::referenceFrames() {
    QFETCH(QString, level);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, references);
    QCOMPARE(maxReferenceFrames(level.toStdString(), {width, height}).value_or(0), references);
}

void ConverterTranslationTest::numbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qlonglong>("bitsPerSecond"); // 0: refused
    QTest::addColumn<double>("framesPerSecond");  // 0: refused

    QTest::newRow("718k") << QStringLiteral("718k") << 718000LL << 0.0;
    QTest::newRow("1.5M") << QStringLiteral("1.5M") << 1500000LL << 0.0;
    QTest::newRow("64Ki") << QStringLiteral("64Ki") << 65536LL << 0.0;
    QTest::newRow("96000") << QStringLiteral("96000") << 96000LL << 96000.0 * 0 + 0.0;
    QTest::newRow("25") << QStringLiteral("25") << 25LL << 25.0;
    QTest::newRow("29.97") << QStringLiteral("29.97") << 30LL << 29.97;
    QTest::newRow("30000/1001") << QStringLiteral("30000/1001") << 0LL << 30000.0 / 1001;
    QTest::newRow("pal") << QStringLiteral("pal") << 0LL << 25.0;
    QTest::newRow("negative") << QStringLiteral("-25") << 0LL << 0.0;
    QTest::newRow("zero over") << QStringLiteral("25/0") << 0LL << 0.0;
    QTest::newRow("milli") << QStringLiteral("5m") << 0LL << 0.0;
    QTest::newRow("empty") << QString() << 0LL << 0.0;
}

void ConverterTranslationTest::numbers() {
    QFETCH(QString, text);
    QFETCH(qlonglong, bitsPerSecond);
    QFETCH(double, framesPerSecond);
    QCOMPARE(converter::bitsPerSecond(text.toStdString()).value_or(0), bitsPerSecond);
    QCOMPARE(converter::framesPerSecond(text.toStdString()).value_or(0), framesPerSecond);
}

void ConverterTranslationTest::twoPassLines() {
    const Plan plan = planOf(QStringLiteral("-i in.avi -vcodec h264 -b 718kbps -r 25 -twopass -ac "
                                            "2 -y out.mp4"));
    QVERIFY(plan.twoPass);
    QCOMPARE(
        joined(passArguments(plan, 1, "LOG", "OUT")),
        QStringLiteral("-y -i file:in.avi -c:v libx264 -g 250 -b:v 718k -vf fps=25 -ac 2 -f mp4 "
                       "-pass 1 -passlogfile LOG -fps_mode cfr -fastfirstpass 0 -an -sn -dn "
                       "-f null OUT"));
    QCOMPARE(
        joined(passArguments(plan, 2, "LOG", "OUT")),
        QStringLiteral("-y -i file:in.avi -c:v libx264 -g 250 -b:v 718k -vf fps=25 -ac 2 -f mp4 "
                       "-pass 2 -passlogfile LOG -fps_mode cfr OUT"));

    // A second pass that runs again changes the rate and its tolerance only.
    const Plan mpeg4 =
        planOf(QStringLiteral("-i in.avi -vcodec mpeg4 -b 700k -fitsize 900000 -y out.mp4"));
    QVERIFY(mpeg4.twoPass);
    QCOMPARE(mpeg4.fitSize.value_or(0), 900000);
    QCOMPARE(joined(passArguments(withVideoBitRate(mpeg4, 650000), 2, "LOG", "OUT")),
             QStringLiteral("-y -i file:in.avi -c:v mpeg4 -bf 0 -flags +mv4+aic -mbd rd -bt "
                            "1300000 -b:v 650000 -f mp4 -pass 2 -passlogfile LOG -fps_mode "
                            "passthrough OUT"));
    // ffmpeg's own encoders analyse the first pass without the costly decision.
    QVERIFY(
        joined(passArguments(mpeg4, 1, "LOG", "OUT"))
            .endsWith(QStringLiteral("-fps_mode passthrough -mbd simple -an -sn -dn -f null OUT")));
    // Nothing to encode twice without a picture: one pass.
    QVERIFY(!planOf(QStringLiteral("-i in.avi -vn -b 700k -twopass -y out.m4a")).twoPass);
}

void ConverterTranslationTest::secondPassAgain_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<qlonglong>("usedRate");
    QTest::addColumn<double>("videoKb");
    QTest::addColumn<qlonglong>("fileBytes");
    QTest::addColumn<qlonglong>("again"); // 0: the output stays

    // 10 s at 700 kbit/s are 854.5 kB of video.
    const QString rate = QStringLiteral("-vcodec mpeg4 -b 700k -twopass");
    QTest::newRow("on target") << rate << 700000LL << 854.5 << 0LL << 0LL;
    QTest::newRow("1.9% over") << rate << 700000LL << 870.7 << 0LL << 0LL;
    QTest::newRow("6% under: the ratio") << rate << 700000LL << 803.0 << 0LL << 744887LL;
    QTest::newRow("again from the rate of the last run")
        << rate << 750000LL << 900.0 << 0LL << 712077LL;
    QTest::newRow("a quarter under: the picture needs no more")
        << rate << 700000LL << 630.0 << 0LL << 0LL;
    QTest::newRow("at most half") << rate << 700000LL << 2000.0 << 0LL << 466667LL;
    QTest::newRow("Xvid: the rate reached never above -maxrate")
        << QStringLiteral("-vcodec xvid -b 700k -twopass -maxrate 650k") << 700000LL << 750.0 << 0LL
        << 740560LL;
    QTest::newRow("ffmpeg's encoders: the rate asked for never above -maxrate")
        << QStringLiteral("-vcodec mpeg4 -b 640k -twopass -maxrate 650k") << 640000LL << 720.0
        << 0LL << 650000LL;
    QTest::newRow("short: kilobyte rounding tolerated")
        << QStringLiteral("-vcodec h263 -b 46k -twopass") << 46000LL << 55.0 << 0LL << 0LL;

    const QString fit = QStringLiteral("-vcodec mpeg4 -b 700k -fitsize 1000000");
    QTest::newRow("fits: 97%") << fit << 700000LL << 854.5 << 970000LL << 0LL;
    QTest::newRow("fits: 100%") << fit << 700000LL << 854.5 << 1000000LL << 0LL;
    // Aiming at 985,000 bytes: the video gives up the 20,000 bytes over it.
    QTest::newRow("over") << fit << 700000LL << 854.5 << 1005000LL << 684000LL;
    QTest::newRow("under") << fit << 700000LL << 854.5 << 960000LL << 720000LL;
}

void ConverterTranslationTest::secondPassAgain() {
    QFETCH(QString, arguments);
    QFETCH(qlonglong, usedRate);
    QFETCH(double, videoKb);
    QFETCH(qlonglong, fileBytes);
    QFETCH(qlonglong, again);
    const Plan plan = planOf(QStringLiteral("-i in.avi ") + arguments + QStringLiteral(" o.mp4"));
    QVERIFY(plan.videoBitRate);
    const SecondPassOutcome outcome{usedRate, videoKb * 1024, 10.0, fileBytes};
    const std::optional<long long> corrected = correctedBitRate(plan, outcome);
    QCOMPARE(corrected.value_or(0), again);
}

void ConverterTranslationTest::shownPositions_data() {
    // The first pass's length, then the positions (s) each run of the second
    // pass reports, and the positions shown.
    QTest::addColumn<double>("length");
    QTest::addColumn<QList<QList<double>>>("runs");
    QTest::addColumn<QList<double>>("shown");
    // Both passes share the file's length: 0-5 s, then 5-10 s.
    QTest::newRow("second pass") << 10.0 << QList<QList<double>>{{0, 4, 10, 12}}
                                 << QList<double>{5, 7, 10, 10};
    // A run again goes on from where the last got to, never back.
    QTest::newRow("run again") << 10.0 << QList<QList<double>>{{0, 9}, {0, 6, 10}}
                               << QList<double>{5, 9.5, 9.5, 9.8, 10};
    QTest::newRow("run twice again")
        << 10.0 << QList<QList<double>>{{8}, {5}, {0, 10}} << QList<double>{9, 9.5, 9.5, 10};
    QTest::newRow("first pass saw nothing")
        << 0.0 << QList<QList<double>>{{3}, {4}} << QList<double>{3, 4};
}

void ConverterTranslationTest::shownPositions() {
    QFETCH(double, length);
    QFETCH(QList<QList<double>>, runs);
    QFETCH(QList<double>, shown);
    const auto us = [](double seconds) {
        return static_cast<long long>(seconds * 1e6);
    };
    QCOMPARE((PassTimeline{1, 0, 0}.shown(us(4))), us(2));
    QCOMPARE((PassTimeline{0, 0, 0}.shown(us(4))), us(4));
    PassTimeline timeline = PassTimeline::secondPass(us(length));
    QList<double> seen;
    for (qsizetype run = 0; run < runs.size(); ++run) {
        if (run > 0)
            timeline.runAgain(us(runs[run - 1].last()));
        for (const double position : runs[run])
            seen.append(double(timeline.shown(us(position))) / 1e6);
    }
    QCOMPARE(seen, shown);
}

QTEST_GUILESS_MAIN(ConverterTranslationTest)
#include "tst_converter_translation.moc"
