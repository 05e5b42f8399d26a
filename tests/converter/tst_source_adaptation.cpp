// What the converter does for a source beyond the line's own options: the
// decisions taken from the source's facts and the ffmpeg arguments they give.
#include "Components/BrannockVideoConverter/SourceAdaptation.h"
#include "Components/BrannockVideoConverter/Translation.h"
#include "tests/converter/ArgumentWords.h"

#include <QTest>

using namespace converter;
using namespace Qt::StringLiterals;

namespace {

SourceTrack track(int number, const char *language, bool isDefault = false, bool picture = false) {
    SourceTrack made;
    made.number = number;
    made.language = language;
    made.isDefault = isDefault;
    made.picture = picture;
    made.start = 0.0;
    return made;
}

// An ordinary source: progressive 16:9 SDR with one sound track, all starting at 0.
SourceFacts ordinary() {
    SourceFacts facts;
    facts.hasVideo = true;
    facts.videoCodec = "h264";
    facts.width = 1280;
    facts.height = 720;
    facts.fieldOrder = FieldOrder::Progressive;
    facts.primariesTagged = true;
    facts.matrixTagged = true;
    facts.videoStart = 0.0;
    facts.duration = 6.04;
    facts.audio = {track(1, "und", true)};
    return facts;
}

SourceFacts changed(const QString &change) {
    SourceFacts facts = ordinary();
    if (change == u"rotated")
        facts.rotation = 90;
    else if (change == u"anamorphic") {
        facts.sarNum = 32;
        facts.sarDen = 27;
    } else if (change == u"tff")
        facts.fieldOrder = FieldOrder::TopFirst;
    else if (change == u"unknown scan")
        facts.fieldOrder = FieldOrder::Unknown;
    else if (change == u"pq")
        facts.transfer = Transfer::Pq;
    else if (change == u"hlg")
        facts.transfer = Transfer::Hlg;
    else if (change == u"pq, transfer alone") {
        facts.transfer = Transfer::Pq;
        facts.primariesTagged = facts.matrixTagged = false;
    } else if (change == u"hlg, no matrix") {
        facts.transfer = Transfer::Hlg;
        facts.matrixTagged = false;
    } else if (change == u"chapters to 20 s")
        facts.chaptersEnd = 20.0;
    else if (change == u"chapters to the end")
        facts.chaptersEnd = 6.3;
    else if (change == u"no sound")
        facts.audio.clear();
    else if (change == u"late sound")
        facts.audio[0].start = 2.0;
    else if (change == u"late picture")
        facts.videoStart = 1.5;
    else if (change == u"tracks") {
        facts.audio = {track(1, "eng"), track(2, "fre", true)};
        facts.subtitles = {track(1, "eng"), track(2, "ger", true, true)};
    }
    return facts;
}

} // namespace

class SourceAdaptationTest : public QObject {
    Q_OBJECT

private slots:
    void adaptation_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("added");   // after the line's own arguments, before OUT
        QTest::addColumn<QString>("filters"); // the -vf (or graph) value; "-" for none
        QTest::addColumn<QString>("notes");

        QString ipod = u"-i in.mp4 -f ipod -vcodec h264 -s 320x180 -padtop 30 -padbottom 30 "_s
                       u"-b 718kbps -r 25 -acodec aac -y out.m4v"_s;
        const QString plain = u"scale=320:180,pad=320:240:0:30:black,setsar=1,fps=25"_s;
        QTest::newRow("ordinary: streams chosen, nothing else")
            << ipod << u""_s << u"-map 0:V:0? -map 0:a:0"_s << plain << u""_s;
        QTest::newRow("rotated: ffmpeg turns it, noted")
            << ipod << u"rotated"_s << u"-map 0:V:0? -map 0:a:0"_s << plain << u"rotated 90°"_s;
        QTest::newRow("anamorphic, padded: scaled as a whole")
            << ipod << u"anamorphic"_s << u"-map 0:V:0? -map 0:a:0"_s << plain
            << u"pixel aspect 32:27 made square"_s;
        QTest::newRow("anamorphic, cropped: square pixels first")
            << u"-i in.vob -vcodec mpeg4 -croptop 4 -cropbottom 4 -s 320x240 -r 25 -an -y o.mp4"_s
            << u"anamorphic"_s << u"-map 0:V:0?"_s
            << u"scale=trunc(iw*sar/2)*2:ih,setsar=1,crop=iw:ih-8:0:4,scale=320:240,setsar=1,fps=25"_s
            << u"pixel aspect 32:27 made square"_s;
        QTest::newRow("interlaced, top field first")
            << ipod << u"tff"_s << u"-map 0:V:0? -map 0:a:0"_s
            << u"bwdif=mode=send_frame:parity=tff:deint=all,"_s + plain
            << u"deinterlaced (top field first)"_s;
        QTest::newRow("interlaced, but never deinterlace")
            << ipod.replace(u"-r 25"_s, u"-r 25 -nodeinterlace"_s) << u"tff"_s
            << u"-map 0:V:0? -map 0:a:0"_s << plain << u""_s;
        QTest::newRow("progressive, but always deinterlace")
            << QString(ipod).replace(u"-nodeinterlace"_s, u"-deinterlace"_s) << u""_s
            << u"-map 0:V:0? -map 0:a:0"_s
            << u"bwdif=mode=send_frame:parity=auto:deint=all,"_s + plain << u"deinterlaced"_s;
        ipod.replace(u" -nodeinterlace"_s, u""_s);
        const QString toneMapped =
            u"scale=320:180,zscale=t=linear:npl=100,format=gbrpf32le,zscale=p=bt709,"_s
            u"tonemap=mobius:param=0.5:desat=0,zscale=t=bt709:m=bt709:r=tv,format=yuv420p,"_s
            u"pad=320:240:0:30:black,setsar=1,fps=25"_s;
        const QString bt709 =
            u"-map 0:V:0? -color_primaries bt709 -color_trc bt709 -colorspace bt709 -map 0:a:0"_s;
        QTest::newRow("PQ: tone-mapped after scaling, tagged BT.709")
            << ipod << u"pq"_s << bt709 << toneMapped << u"tone-mapped from HDR (PQ) to BT.709"_s;
        QTest::newRow("HLG") << ipod << "hlg" << bt709 << toneMapped
                             << u"tone-mapped from HDR (HLG) to BT.709"_s;
        const QString assumed =
            QString(toneMapped).replace(u"zscale=t=linear"_s, u"%1,zscale=t=linear"_s);
        QTest::newRow("PQ tagged with its transfer alone: BT.2020 taken")
            << ipod << u"pq, transfer alone"_s << bt709
            << assumed.arg(u"setparams=color_primaries=bt2020:colorspace=bt2020nc"_s)
            << u"tone-mapped from HDR (PQ, taken as BT.2020) to BT.709"_s;
        QTest::newRow("HLG without its matrix")
            << ipod << u"hlg, no matrix"_s << bt709
            << assumed.arg(u"setparams=colorspace=bt2020nc"_s)
            << u"tone-mapped from HDR (HLG, taken as BT.2020) to BT.709"_s;
        QTest::newRow("chapters past the end: the output ends with its media")
            << ipod << u"chapters to 20 s"_s << u"-map 0:V:0? -map 0:a:0 -t 6.040"_s << plain
            << u"chapters past the end cut off at 6.0 s"_s;
        QTest::newRow("chapters past the end, trimmed shorter: the trim's length")
            << QString(ipod).replace(u"-y"_s, u"-ss 2 -t 3 -y"_s) << u"chapters to 20 s"_s
            << u"-map 0:V:0? -map 0:a:0"_s << plain << u"chapters past the end cut off at 6.0 s"_s;
        QTest::newRow("chapters within half a second of the end: kept")
            << ipod << u"chapters to the end"_s << u"-map 0:V:0? -map 0:a:0"_s << plain << u""_s;
        QTest::newRow("sound starts late: silence before it")
            << ipod << u"late sound"_s
            << u"-map 0:V:0? -map 0:a:0 -af aresample=async=1:first_pts=0"_s << plain
            << u"sound starts 2.0 s late: silence put before it"_s;
        QTest::newRow("picture starts late: its first frame held")
            << ipod << u"late picture"_s << u"-map 0:V:0? -map 0:a:0"_s
            << u"scale=320:180,pad=320:240:0:30:black,setsar=1,fps=25:start_time=0"_s
            << u"picture starts 1.5 s late: its first frame held"_s;
        QTest::newRow("default sound track of several")
            << ipod << u"tracks"_s << u"-map 0:V:0? -map 0:a:1"_s << plain
            << u"sound track 2 (fre)"_s;
        QTest::newRow("sound track by language")
            << QString(ipod).replace(u"-acodec"_s, u"-audiotrack en -acodec"_s) << u"tracks"_s
            << u"-map 0:V:0? -map 0:a:0"_s << plain << u"sound track 1 (eng)"_s;
        QTest::newRow("a sound track that is not there: the default")
            << QString(ipod).replace(u"-acodec"_s, u"-audiotrack 7 -acodec"_s) << u"tracks"_s
            << u"-map 0:V:0? -map 0:a:1"_s << plain
            << u"no sound track '7': sound track 2 (fre) instead"_s;
        const QString psp = u"-i in.mp4 -f psp -vcodec h264 -s 480x272 -r 29.97 -acodec aac -ar "_s
                            u"48000 -y M4V0001.MP4"_s;
        QTest::newRow("PSP without sound: a silent track")
            << psp << "no sound" << u"-map 0:V:0? -map 1:a:0 -shortest"_s
            << u"scale=480:272,setsar=1,fps=29.97"_s << u"silent sound track added"_s;
        QTest::newRow("iPod without sound: none")
            << ipod << "no sound" << u"-map 0:V:0?"_s << plain << u""_s;
        QTest::newRow("a sound track asked of a source without sound")
            << QString(ipod).replace(u"-acodec"_s, u"-audiotrack 2 -acodec"_s) << "no sound"
            << u"-map 0:V:0?"_s << plain << u"no sound track '2': the source has no sound"_s;
        QTest::newRow("picture subtitles laid over the picture")
            << QString(psp).replace(u"-r 29.97"_s, u"-r 29.97 -burnsubs default"_s) << u"tracks"_s
            << u"-map [v] -map 0:a:1"_s
            << u"[0:V:0][0:s:1]overlay=eof_action=pass,scale=480:272,setsar=1,fps=29.97[v]"_s
            << u"subtitles track 2 (ger) burnt in, sound track 2 (fre)"_s;
        QTest::newRow("no subtitles to burn in: converted as it is")
            << QString(psp).replace(u"-r 29.97"_s, u"-r 29.97 -burnsubs default"_s) << u""_s
            << u"-map 0:V:0? -map 0:a:0"_s << u"scale=480:272,setsar=1,fps=29.97"_s
            << u"no subtitles to burn in"_s;
        QTest::newRow("sound only: no picture filters")
            << "-i in.mkv -vn -acodec aac -y out.m4a" << u"tracks"_s << u"-map 0:a:1"_s << u"-"_s
            << u"sound track 2 (fre)"_s;
    }

    void adaptation() {
        QFETCH(QString, line);
        QFETCH(QString, change);
        QFETCH(QString, added);
        QFETCH(QString, filters);
        QFETCH(QString, notes);
        const Translation translation = translate(words(line));
        QVERIFY(std::holds_alternative<Plan>(translation));
        const Plan plan = std::get<Plan>(translation);
        const SourceDecisions decisions = decide(plan, changed(change));
        const Plan adapted = adapt(plan, decisions);
        QCOMPARE(QString::fromStdString(describe(decisions)), notes);

        // The line's own options stay where they were; the source's come after.
        const QString before = joined(ffmpegArguments(plan, "OUT"));
        const QString after = joined(ffmpegArguments(adapted, "OUT"));
        const QString chainBefore =
            plan.filtersAt ? QString::fromStdString(plan.outputOptions[*plan.filtersAt]) : u"-"_s;
        QString expectedFilters = filters;
        QString expected = before;
        if (filters.endsWith(u"[v]"))
            expected.replace(u"-vf "_s + chainBefore, u"-filter_complex "_s + filters);
        else if (chainBefore != u"-")
            expected.replace(u"-vf "_s + chainBefore, u"-vf "_s + filters);
        if (added.contains(u"1:a:0"))
            expected.replace(u" -i file:in.mp4"_s,
                             u" -i file:in.mp4 -f lavfi -i anullsrc=r=48000:cl=stereo"_s);
        expected.replace(u" OUT"_s, u" "_s + added + u" OUT"_s);
        QCOMPARE(after, expected);
    }

    void chooseTrack_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<int>("chosen"); // 0: none
        QTest::newRow("default") << "" << 2;
        QTest::newRow("the word default") << "DEFAULT" << 2;
        QTest::newRow("number") << "3" << 3;
        QTest::newRow("number past the end") << "4" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("three letters") << "jpn" << 3;
        QTest::newRow("two letters, bibliographic code in the file") << "fr" << 2;
        QTest::newRow("terminology code, bibliographic in the file") << "fra" << 2;
        QTest::newRow("language not there") << "de" << 0;
    }

    void chooseTrack() {
        QFETCH(QString, request);
        QFETCH(int, chosen);
        const std::vector<SourceTrack> tracks{track(1, "eng"), track(2, "fre", true),
                                              track(3, "JPN")};
        const std::optional<SourceTrack> track =
            converter::chooseTrack(tracks, request.toStdString());
        QCOMPARE(track ? track->number : 0, chosen);
        // Without a default track the first is taken.
        QCOMPARE(converter::chooseTrack({tracks[0], tracks[2]}, "")->number, 1);
    }

    void interlaceDetection_data() {
        QTest::addColumn<QString>("log");
        QTest::addColumn<int>("order"); // FieldOrder; -1 for no answer
        const auto line = [](int tff, int bff, int progressive) {
            return QStringLiteral(
                       "[Parsed_idet_0 @ 0x55] Single frame detection: TFF: 1 BFF: 0 "
                       "Progressive: 9 Undetermined: 0\n[Parsed_idet_0 @ 0x55] Multi "
                       "frame detection: TFF: %1 BFF: %2 Progressive: %3 Undetermined: 0\n")
                .arg(tff)
                .arg(bff)
                .arg(progressive);
        };
        QTest::newRow("top field first") << line(120, 0, 0) << int(FieldOrder::TopFirst);
        QTest::newRow("bottom field first") << line(2, 95, 30) << int(FieldOrder::BottomFirst);
        QTest::newRow("progressive") << line(0, 0, 150) << int(FieldOrder::Progressive);
        QTest::newRow("fine detail combed both ways")
            << line(97, 53, 30) << int(FieldOrder::Progressive);
        QTest::newRow("too few frames") << line(6, 0, 0) << int(FieldOrder::Progressive);
        QTest::newRow("nothing measured") << "Error opening input" << -1;
    }

    void interlaceDetection() {
        QFETCH(QString, log);
        QFETCH(int, order);
        const std::optional<FieldOrder> measured = parseInterlaceDetection(log.toStdString());
        QCOMPARE(measured ? int(*measured) : -1, order);
    }

    void measuringOnlyWhereTheFileIsSilent() {
        const Plan plan =
            std::get<Plan>(translate(words(u"-i in.avi -vcodec mpeg4 -r 25 -y o.mp4"_s)));
        SourceFacts facts = changed(u"unknown scan"_s);
        QVERIFY(needsInterlaceDetection(plan, facts));
        facts.videoCodec = "vp9"; // only ever whole frames
        QVERIFY(!needsInterlaceDetection(plan, facts));
        QVERIFY(!needsInterlaceDetection(plan, ordinary()));
        const Plan never =
            std::get<Plan>(translate(words(u"-i in.avi -vcodec mpeg4 -nodeinterlace -y o.mp4"_s)));
        QVERIFY(!needsInterlaceDetection(never, changed(u"unknown scan"_s)));
        // A measured field order is acted on like a stated one.
        QCOMPARE(describe(decide(plan, changed(u"unknown scan"_s), FieldOrder::BottomFirst)),
                 std::string("deinterlaced (bottom field first)"));
    }
};

QTEST_APPLESS_MAIN(SourceAdaptationTest)
#include "tst_source_adaptation.moc"
