// The tags each output format gets from -kind, -title, -show, -season and
// -episode, and where the cover art goes in ffmpeg's arguments.
#include "Components/BrannockVideoConverter/CoverArt.h"
#include "Components/BrannockVideoConverter/FirstPictureOptions.h"
#include "Components/BrannockVideoConverter/MediaTags.h"
#include "Components/BrannockVideoConverter/Translation.h"
#include "Components/BrannockVideoConverter/TwoPass.h"
#include "tests/converter/ArgumentWords.h"

#include <QTest>

using namespace converter;
using namespace Qt::StringLiterals;

namespace {

Plan planOf(const std::vector<std::string> &arguments) {
    const Translation translation = translate(arguments);
    return std::holds_alternative<Plan>(translation) ? std::get<Plan>(translation) : Plan{};
}

MediaTags episode() {
    return {MediaKind::TvShow, "The Title", "Some Show", 2, 5};
}

} // namespace

Q_DECLARE_METATYPE(converter::MediaTags)

class MediaTagsTest : public QObject {
    Q_OBJECT

private slots:
    void tagsPerMuxer_data();
    void tagsPerMuxer();
    void sortNames_data();
    void sortNames();
    void optionsReachTheLine();
    void coverFollowsEveryOption();
    void firstPictureOnly_data();
    void firstPictureOnly();
    void coverFramePositions();
};

void MediaTagsTest::tagsPerMuxer_data() {
    QTest::addColumn<MediaTags>("tags");
    QTest::addColumn<QString>("muxer");
    QTest::addColumn<QString>("expected");

    const QString tv = u"title=The Title|media_type=10|show=Some Show|season_number=2|"
                       u"episode_sort=5|episode_id=S02E05|grouping=Title"_s;
    QTest::newRow("iPod, TV episode") << episode() << u"ipod"_s << tv;
    QTest::newRow("MP4, TV episode") << episode() << u"mp4"_s << tv;
    QTest::newRow("movie without a sort name") << MediaTags{MediaKind::Movie, "Heat", {}, {}, {}}
                                               << u"mp4"_s << u"title=Heat|media_type=9"_s;
    QTest::newRow("music video; show sorts without its article")
        << MediaTags{MediaKind::MusicVideo, "A Song", "An Act", {}, {}} << u"ipod"_s
        << u"title=A Song|media_type=6|show=An Act|grouping=Song|lyrics=Act"_s;
    QTest::newRow("no episode id but for TV")
        << MediaTags{MediaKind::Movie, "Heat", {}, 1, 3} << u"ipod"_s
        << u"title=Heat|media_type=9|season_number=1|episode_sort=3"_s;
    QTest::newRow("kind alone") << MediaTags{MediaKind::TvShow, {}, {}, {}, {}} << u"ipod"_s
                                << u"media_type=10"_s;
    QTest::newRow("nothing given") << MediaTags{} << u"ipod"_s << QString();
    QTest::newRow("PSP lists the episode")
        << episode() << u"psp"_s << u"title=Some Show S02E05 The Title"_s;
    QTest::newRow("PSP episode without a title")
        << MediaTags{MediaKind::TvShow, {}, "Some Show", 2, 5} << u"psp"_s
        << u"title=Some Show S02E05"_s;
    QTest::newRow("PSP movie") << MediaTags{MediaKind::Movie, "Heat", "X", 1, 1} << u"psp"_s
                               << u"title=Heat"_s;
    for (const char *muxer : {"asf", "mov", "3gp", "avi"})
        QTest::addRow("%s: the title", muxer)
            << episode() << QString::fromLatin1(muxer) << u"title=The Title"_s;
    for (const char *muxer : {"matroska", "mpeg", "mp3", "image2"})
        QTest::addRow("%s: nothing", muxer) << episode() << QString::fromLatin1(muxer) << QString();
}

void MediaTagsTest::tagsPerMuxer() {
    QFETCH(MediaTags, tags);
    QFETCH(QString, muxer);
    QFETCH(QString, expected);
    QStringList values;
    const std::vector<std::string> arguments = metadataArguments(tags, muxer.toStdString());
    for (std::size_t i = 0; i + 1 < arguments.size(); i += 2) {
        QCOMPARE(QString::fromStdString(arguments[i]), u"-metadata"_s);
        values << QString::fromStdString(arguments[i + 1]);
    }
    QCOMPARE(values.join(u'|'), expected);
}

void MediaTagsTest::sortNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("sorted");
    QTest::newRow("the") << u"The Wire"_s << u"Wire"_s;
    QTest::newRow("a, any case") << u"a Beautiful Mind"_s << u"Beautiful Mind"_s;
    QTest::newRow("an") << u"An Education"_s << u"Education"_s;
    QTest::newRow("word that begins alike") << u"Theory"_s << u"Theory"_s;
    QTest::newRow("article alone") << u"The"_s << u"The"_s;
    QTest::newRow("not leading") << u"Into The Wild"_s << u"Into The Wild"_s;
}

void MediaTagsTest::sortNames() {
    QFETCH(QString, name);
    QFETCH(QString, sorted);
    QCOMPARE(QString::fromStdString(sortName(name.toStdString())), sorted);
}

void MediaTagsTest::optionsReachTheLine() {
    // Values with blanks and "=" arrive as one argument each.
    const Plan plan = planOf({"-i", "in.mkv", "-kind", "tv", "-title", "Why = Because", "-show",
                              "Some Show", "-season", "0", "-episode", "12", "-y", "out.m4v"});
    QVERIFY(plan.tags.kind == MediaKind::TvShow && plan.tags.season == 0);
    const QString line = joined(ffmpegArguments(plan, "OUT"));
    QVERIFY2(line.contains(u"-metadata title=Why = Because -metadata media_type=10"_s),
             qPrintable(line));
    QVERIFY2(line.contains(u"episode_id=S00E12"_s), qPrintable(line));
    // A line without the options writes no tags.
    QVERIFY(!joined(ffmpegArguments(planOf({"-i", "in.mkv", "-y", "out.m4v"}), "OUT"))
                 .contains(u"-metadata"_s));
}

void MediaTagsTest::coverFollowsEveryOption() {
    Plan plan = planOf(words(u"-i in.mkv -vcodec h264 -s 320x240 -b 500kbps -fitsize 900000 "
                             u"-profile:v baseline -y out.m4v"_s));
    plan.outputOptions.insert(plan.outputOptions.end(), {"-map", "0:V:0?"});
    QVERIFY(carriesCoverArt(plan));
    plan = withCoverArt(plan, "/tmp/c.jpg");
    // The cover is copied: the picture's own options name the first picture
    // stream only, and the first pass has no cover.
    const QString second = joined(passArguments(plan, 2, "log", "OUT"));
    QVERIFY2(second.contains(u"-filter:v:0 scale="_s), qPrintable(second));
    QVERIFY(second.contains(u"-profile:v:0 baseline"_s) && !second.contains(u"-vf "_s));
    QVERIFY(second.endsWith(u"-c:v:1 copy -disposition:v:1 attached_pic OUT"_s));
    QVERIFY(second.contains(u"-i file:in.mkv -i file:/tmp/c.jpg"_s));
    QVERIFY(joined(passArguments(plan, 1, "log", "/dev/null")).contains(u"-vf scale="_s));
    QVERIFY(!joined(passArguments(plan, 1, "log", "/dev/null")).contains(u"c.jpg"_s));

    for (const char *line :
         {"-i in.mkv -vcodec h264 -y out.psp", "-i in.mkv -vn -y out.m4a",
          "-i in.mkv -vcodec h264 -shortest -y out.m4v", "-i in.mkv -vcodec h264 -y out.mov"}) {
        Plan other = planOf(words(QString::fromLatin1(line)));
        other.outputOptions.insert(other.outputOptions.end(), {"-map", "0:V:0?"});
        QVERIFY2(!carriesCoverArt(other), line);
    }
}

void MediaTagsTest::firstPictureOnly_data() {
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("expected");
    QTest::newRow("every picture stream") << u"-vf hflip -vtag avc1 -aspect 4:3 -c:v libx264"_s
                                          << u"-filter:v:0 hflip -tag:v:0 avc1 -aspect:v:0 4:3 "
                                             u"-c:v:0 libx264"_s;
    QTest::newRow("one stream, sound, or a value") << u"-c:v:1 copy -b:a 96k -map -0:v -level 3"_s
                                                   << u"-c:v:1 copy -b:a 96k -map -0:v -level 3"_s;
}

void MediaTagsTest::firstPictureOnly() {
    QFETCH(QString, options);
    QFETCH(QString, expected);
    QCOMPARE(joined(converter::firstPictureOnly(words(options))), expected);
}

void MediaTagsTest::coverFramePositions() {
    QCOMPARE(converter::coverFramePositions(100.0), (std::vector<double>{10, 12, 14, 16, 18}));
    QCOMPARE(converter::coverFramePositions(20.0), (std::vector<double>{2, 3, 4}));
    QCOMPARE(converter::coverFramePositions(std::nullopt), std::vector<double>{0});
    QCOMPARE(parseMeanLuma("[Parsed_metadata_4 @ 0x1] lavfi.signalstats.YAVG=124.5\n").value_or(0),
             124.5);
    QVERIFY(!parseMeanLuma("frame:0 pts:0").has_value());
}

QTEST_APPLESS_MAIN(MediaTagsTest)
#include "tst_media_tags.moc"
