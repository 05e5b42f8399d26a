// Whether a source's video is copied instead of encoded: the rules at their
// edges, the sound that goes with it, and the ffmpeg arguments of a copy.
#include "Components/BrannockVideoConverter/SoundCopyRules.h"
#include "Components/BrannockVideoConverter/SourceAdaptation.h"
#include "Components/BrannockVideoConverter/Translation.h"
#include "Components/BrannockVideoConverter/VideoCopyPlan.h"
#include "Components/BrannockVideoConverter/VideoCopyRules.h"
#include "tests/converter/ArgumentWords.h"

#include <QTest>

using namespace converter;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(converter::CopyBar)
Q_DECLARE_METATYPE(converter::SoundCoding)

namespace {

const QString kIpod = u"-i in.mp4 -vcodec h264 -s 640x480 -b 1450kbps -r 25 -profile:v baseline "_s
                      u"-level 3.0 -pix_fmt yuv420p -maxrate 2500k -bufsize 2500k -movflags "_s
                      u"+faststart -acodec aac -ab 128kbps -ar 44100 -ac 2 -y out.m4v"_s;

Plan planOf(const QString &line) {
    return std::get<Plan>(translate(words(line)));
}

// A source that suits the iPod line: 640x480 Constrained Baseline 3.0 at 25 fps.
SourceFacts suitingFacts() {
    SourceFacts facts;
    facts.hasVideo = true;
    facts.videoCodec = "h264";
    facts.width = 640;
    facts.height = 480;
    facts.fieldOrder = FieldOrder::Progressive;
    return facts;
}

VideoCoding suitingCoding() {
    VideoCoding coding;
    coding.codec = "h264";
    coding.profile = "Constrained Baseline";
    coding.level = 30;
    coding.pixelFormat = "yuv420p";
    coding.frameRate = 25;
    coding.bitRate = 1450000;
    coding.referenceFrames = 6; // level 3.0 holds 8100 macroblocks, 1200 in a 640x480 frame
    coding.peakFrames = 25;
    coding.peakBits = 2000000;
    return coding;
}

SoundCoding suitingSound() {
    return {"aac", "LC", 44100, 2, 128000};
}

} // namespace

class VideoCopyTest : public QObject {
    Q_OBJECT

private slots:
    void rules_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("change"); // "what=value" on the source
        QTest::addColumn<CopyBar>("bar");

        const QString psp = u"-i in.mp4 -f psp -vcodec h264 -s 480x272 -b 1500kbps -r 29.97 "_s
                            u"-profile:v main -level 3.0 -acodec aac -y M4V0001.MP4"_s;
        const QString xvid = u"-i in.avi -f psp -vcodec libxvid -s 320x240 -b 1500kbps -r 25 "_s
                             u"-acodec aac -y M4V0002.MP4"_s;
        const auto row = [](const char *name, const QString &line, const QString &change,
                            CopyBar bar) {
            QTest::newRow(name) << line << change << bar;
        };
        const auto with = [](const QString &options) {
            return QString(kIpod).replace(u" -y "_s, u" "_s + options + u" -y "_s);
        };
        row("suits: copied", kIpod, {}, CopyBar::None);
        row("no picture stream", kIpod, u"video=none"_s, CopyBar::NotApplicable);
        row("-vn", with(u"-vn"_s), {}, CopyBar::NotApplicable);
        row("a single picture", u"-i in.mp4 -f image2 -vframes 1 -s 160x120 -an -y X.thm"_s, {},
            CopyBar::NotApplicable);
        row("-alwaysencode", with(u"-alwaysencode"_s), {}, CopyBar::Asked);
        row("-twopass", with(u"-twopass"_s), {}, CopyBar::Asked);
        row("-fitsize", with(u"-fitsize 100000000"_s), {}, CopyBar::Asked);
        row("MPEG-4 source for H.264", kIpod, u"codec=mpeg4"_s, CopyBar::Encoder);
        row("Windows Media never copied",
            u"-i in.wmv -vcodec wmv2 -s 320x240 -b 500kbps -r 25 -y out.wmv"_s, u"codec=wmv2"_s,
            CopyBar::Encoder);
        row("baseline takes Baseline", kIpod, u"profile=Baseline"_s, CopyBar::None);
        row("baseline refuses Main", kIpod, u"profile=Main"_s, CopyBar::Profile);
        row("main takes Constrained Baseline", psp, u"size=480x272 rate=29.97 refs=3"_s,
            CopyBar::None);
        row("main takes Main", psp, u"size=480x272 rate=29.97 refs=3 profile=Main"_s,
            CopyBar::None);
        row("main refuses plain Baseline", psp, u"size=480x272 rate=29.97 profile=Baseline"_s,
            CopyBar::Profile);
        row("main refuses High", psp, u"size=480x272 rate=29.97 profile=High"_s, CopyBar::Profile);
        row("no profile on the line", QString(kIpod).remove(u"-profile:v baseline "_s), {},
            CopyBar::Profile);
        row("level above", kIpod, u"level=31"_s, CopyBar::Level);
        row("level below", kIpod, u"level=21"_s, CopyBar::None);
        row("level unknown", kIpod, u"level=-99"_s, CopyBar::Level);
        row("B-frames for Baseline", kIpod, u"profile=Baseline reordered=1"_s, CopyBar::BFrames);
        row("B-frames for Main", psp, u"size=480x272 rate=29.97 refs=3 profile=Main reordered=1"_s,
            CopyBar::None);
        row("cropped", with(u"-croptop 8"_s), {}, CopyBar::Picture);
        row("filtered", with(u"-vf hflip"_s), {}, CopyBar::Picture);
        row("text subtitles burnt in", with(u"-burnsubs default"_s), u"subs=text"_s,
            CopyBar::Picture);
        row("picture subtitles laid over", with(u"-burnsubs default"_s), u"subs=picture"_s,
            CopyBar::Picture);
        row("burning asked for, no subtitles: copied", with(u"-burnsubs default"_s), u"subs=none"_s,
            CopyBar::None);
        row("no such subtitle track: copied", with(u"-burnsubs 3"_s), u"subs=text"_s,
            CopyBar::None);
        row("smaller frame", kIpod, u"size=320x240 refs=16"_s, CopyBar::None);
        row("wider frame", kIpod, u"size=642x480"_s, CopyBar::FrameSize);
        row("taller frame", kIpod, u"size=640x482"_s, CopyBar::FrameSize);
        row("custom size", QString(kIpod).replace(u"640x480"_s, u"320x176"_s),
            u"size=320x176 refs=16"_s, CopyBar::None);
        row("custom size, source taller", QString(kIpod).replace(u"640x480"_s, u"320x176"_s),
            u"size=320x180 refs=16"_s, CopyBar::FrameSize);
        row("anamorphic", kIpod, u"sar=4:3"_s, CopyBar::PixelShape);
        row("rotated", kIpod, u"rotation=90"_s, CopyBar::Rotation);
        row("full-range 4:2:0", kIpod, u"pixels=yuvj420p"_s, CopyBar::None);
        row("10-bit", kIpod, u"pixels=yuv420p10le"_s, CopyBar::PixelFormat);
        row("4:2:2", kIpod, u"pixels=yuv422p"_s, CopyBar::PixelFormat);
        row("interlaced", kIpod, u"scan=tff"_s, CopyBar::Interlaced);
        row("measured progressive", kIpod, u"scan=unknown measured=progressive"_s, CopyBar::None);
        row("measured interlaced", kIpod, u"scan=unknown measured=bff"_s, CopyBar::Interlaced);
        row("deinterlacing forced", with(u"-deinterlace"_s), {}, CopyBar::Interlaced);
        row("PQ", kIpod, u"transfer=pq"_s, CopyBar::Hdr);
        row("HLG", kIpod, u"transfer=hlg"_s, CopyBar::Hdr);
        row("rate within 0.1%", kIpod, u"rate=25.025"_s, CopyBar::None);
        row("rate above", kIpod, u"rate=25.03"_s, CopyBar::FrameRate);
        row("30000/1001 for 29.97", psp, u"size=480x272 rate=29.97003 refs=3"_s, CopyBar::None);
        row("rate unknown", kIpod, u"rate=0"_s, CopyBar::FrameRate);
        row("references at the level's most", kIpod, u"refs=6"_s, CopyBar::None);
        row("references above the level's most", kIpod, u"refs=7"_s, CopyBar::ReferenceFrames);
        row("references unknown", kIpod, u"refs=none"_s, CopyBar::ReferenceFrames);
        row("PSP: 4 references", psp, u"size=480x272 rate=29.97 refs=4"_s,
            CopyBar::ReferenceFrames);
        row("bit rate at the line's", kIpod, u"bits=1450000"_s, CopyBar::None);
        row("bit rate above", kIpod, u"bits=1450001"_s, CopyBar::BitRate);
        row("bit rate unknown", kIpod, u"bits=none"_s, CopyBar::BitRateUnknown);
        row("peaks not measured", kIpod, u"peakframes=none"_s, CopyBar::BitRateUnknown);
        row("a second of 50 frames at 25 on average", kIpod, u"peakframes=50"_s,
            CopyBar::FramePeak);
        row("one frame more in a second: rounding", kIpod, u"peakframes=26"_s, CopyBar::None);
        row("30 frames in a second for 29.97", psp,
            u"size=480x272 rate=29.97 refs=3 peakframes=30"_s, CopyBar::None);
        row("a second within -maxrate and -bufsize", kIpod, u"peakbits=5000000"_s, CopyBar::None);
        row("a second of 10.2 Mbit for -maxrate 2500k", kIpod, u"peakbits=10200000"_s,
            CopyBar::BitRatePeak);
        row("no -maxrate: no cap on a second", QString(kIpod).remove(u"-maxrate 2500k "_s),
            u"peakbits=10200000"_s, CopyBar::None);
        row("MPEG-4 Simple Profile", xvid, u"codec=mpeg4 size=320x240 profile=Simple_Profile"_s,
            CopyBar::None);
        row("MPEG-4 Advanced Simple", xvid,
            u"codec=mpeg4 size=320x240 profile=Advanced_Simple_Profile"_s, CopyBar::Profile);
        row("MPEG-4 with B-frames", xvid,
            u"codec=mpeg4 size=320x240 profile=Simple_Profile reordered=1"_s, CopyBar::BFrames);
    }

    void rules() {
        QFETCH(QString, line);
        QFETCH(QString, change);
        QFETCH(CopyBar, bar);
        SourceFacts facts = suitingFacts();
        VideoCoding coding = suitingCoding();
        std::optional<FieldOrder> measured;
        const auto order = [](const QString &name) {
            return name == u"tff"       ? FieldOrder::TopFirst
                   : name == u"bff"     ? FieldOrder::BottomFirst
                   : name == u"unknown" ? FieldOrder::Unknown
                                        : FieldOrder::Progressive;
        };
        for (const QString &part : change.split(u' ', Qt::SkipEmptyParts)) {
            const QString what = part.section(u'=', 0, 0);
            const QString value = part.section(u'=', 1);
            const std::string text = QString(value).replace(u'_', u' ').toStdString();
            if (what == u"video")
                facts.hasVideo = false;
            else if (what == u"codec")
                coding.codec = facts.videoCodec = text;
            else if (what == u"profile")
                coding.profile = text;
            else if (what == u"level")
                coding.level = value.toInt();
            else if (what == u"reordered")
                coding.reordered = true;
            else if (what == u"size") {
                facts.width = value.section(u'x', 0, 0).toInt();
                facts.height = value.section(u'x', 1).toInt();
            } else if (what == u"sar") {
                facts.sarNum = value.section(u':', 0, 0).toInt();
                facts.sarDen = value.section(u':', 1).toInt();
            } else if (what == u"rotation")
                facts.rotation = value.toInt();
            else if (what == u"pixels")
                coding.pixelFormat = text;
            else if (what == u"scan")
                facts.fieldOrder = order(value);
            else if (what == u"measured")
                measured = order(value);
            else if (what == u"transfer")
                facts.transfer = value == u"pq" ? Transfer::Pq : Transfer::Hlg;
            else if (what == u"rate")
                coding.frameRate = value.toDouble();
            else if (what == u"refs")
                coding.referenceFrames =
                    value == u"none" ? std::nullopt : std::optional<int>(value.toInt());
            else if (what == u"subs" && value != u"none")
                facts.subtitles = {{1, "eng", value == u"picture" ? "dvd_subtitle" : "subrip", true,
                                    value == u"picture", 0, 0.0}};
            else if (what == u"subs")
                facts.subtitles.clear();
            else if (what == u"peakframes")
                coding.peakFrames =
                    value == u"none" ? std::nullopt : std::optional<int>(value.toInt());
            else if (what == u"peakbits")
                coding.peakBits = value.toLongLong();
            else if (what == u"bits")
                coding.bitRate =
                    value == u"none" ? std::nullopt : std::optional<long long>(value.toLongLong());
            else
                QFAIL(qPrintable(u"unknown change "_s + part));
        }
        // Judged as the converter judges: on the plan adapted to the source.
        Plan plan = planOf(line);
        if (change.contains(u"subs="_s))
            plan = adapt(plan, decide(plan, facts, measured), "subtitles.ass");
        const VideoCopyVerdict verdict = judgeVideoCopy(plan, facts, coding, measured);
        QCOMPARE(verdict.bar, bar);
        QCOMPARE(verdict.reason.empty(), bar == CopyBar::None);
    }

    void sound_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<SoundCoding>("sound");
        QTest::addColumn<bool>("copied");
        const SoundCoding lc = suitingSound();
        const auto changed = [&](auto change) {
            SoundCoding sound = lc;
            change(sound);
            return sound;
        };
        QTest::newRow("AAC LC as the line asks") << kIpod << lc << true;
        QTest::newRow("HE-AAC") << kIpod << changed([](SoundCoding &s) { s.profile = "HE-AAC"; })
                                << false;
        QTest::newRow("MP3") << kIpod << changed([](SoundCoding &s) { s.codec = "mp3"; }) << false;
        QTest::newRow("48 kHz") << kIpod << changed([](SoundCoding &s) { s.sampleRate = 48000; })
                                << false;
        QTest::newRow("mono") << kIpod << changed([](SoundCoding &s) { s.channels = 1; }) << false;
        QTest::newRow("bit rate above")
            << kIpod << changed([](SoundCoding &s) { s.bitRate = 129281; }) << false;
        QTest::newRow("bit rate 1% above")
            << kIpod << changed([](SoundCoding &s) { s.bitRate = 129280; }) << true;
        QTest::newRow("bit rate unknown")
            << kIpod << changed([](SoundCoding &s) { s.bitRate.reset(); }) << false;
        QTest::newRow("line without -ar") << QString(kIpod).remove(u"-ar 44100 "_s) << lc << false;
        QTest::newRow("no sound written")
            << QString(kIpod).replace(u"-acodec aac"_s, u"-an"_s) << lc << false;
    }

    void sound() {
        QFETCH(QString, line);
        QFETCH(SoundCoding, sound);
        QFETCH(bool, copied);
        QCOMPARE(soundCanBeCopied(planOf(line), sound), copied);
    }

    void arguments_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("sound");
        QTest::addColumn<double>("cutFrom"); // negative: no trim
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("said");

        const QString kept = u"-movflags +faststart -c:a aac -aac_pns 0 -b:a 128k -ar 44100 "_s
                             u"-ac 2 -f ipod -map 0:V:0? -map 0:a:0 OUT"_s;
        QTest::newRow("video copied, sound encoded")
            << kIpod << false << -1.0 << u"-y -i file:in.mp4 -c:v copy "_s + kept
            << u"Copied (already suits the device)"_s;
        QTest::newRow("both copied: remuxed")
            << kIpod << true << -1.0
            << u"-y -i file:in.mp4 -c:v copy -movflags +faststart -c:a copy -f ipod "_s
               u"-map 0:V:0? -map 0:a:0 OUT"_s
            << u"Copied (already suits the device)"_s;
        QTest::newRow("trimmed: from the key frame, to the same end")
            << QString(kIpod).replace(u"-y"_s, u"-ss 5 -t 6 -y"_s) << false << 4.8
            << u"-y -ss 4.800000 -i file:in.mp4 -c:v copy "_s +
                   QString(kept).replace(u"-ac 2"_s, u"-ac 2 -t 6.200000"_s)
            << u"Copied (already suits the device); cut at key frames: 00:00:04.800 to "_s
               u"00:00:11.000"_s;
    }

    void arguments() {
        QFETCH(QString, line);
        QFETCH(bool, sound);
        QFETCH(double, cutFrom);
        QFETCH(QString, arguments);
        QFETCH(QString, said);
        const Plan plan = planOf(line);
        SourceFacts facts = suitingFacts();
        facts.audio = {{1, "und", "aac", true, false, 2, 0.0}};
        VideoCopy copy;
        copy.sound = sound;
        if (cutFrom >= 0) {
            copy.cutFrom = cutFrom;
            copy.cutTo = *seekSeconds(plan.seek) + 6;
        }
        const Plan adapted = adapt(plan, decide(plan, facts));
        QCOMPARE(joined(ffmpegArguments(copyingPlan(adapted, copy), "OUT")), arguments);
        QCOMPARE(QString::fromStdString(copiedLine(copy)), said);
    }
};

QTEST_APPLESS_MAIN(VideoCopyTest)
#include "tst_video_copy.moc"
