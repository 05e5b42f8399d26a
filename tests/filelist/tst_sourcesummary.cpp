// What the file's properties window says Mobivert found in a source, and the
// track choices it offers, from the probe's facts.
#include "core/filelist/SourceSummary.h"
#include "core/filelist/TrackChoices.h"

#include <QtTest>

using converter::FieldOrder;
using converter::SourceFacts;
using converter::SourceTrack;
using converter::Transfer;
using Facts = std::optional<SourceFacts>;
using Tracks = std::vector<SourceTrack>;

Q_DECLARE_METATYPE(Facts)
Q_DECLARE_METATYPE(Tracks)

namespace {

SourceFacts picture(int width, int height) {
    SourceFacts facts;
    facts.hasVideo = true;
    facts.videoCodec = "h264";
    facts.width = width;
    facts.height = height;
    return facts;
}

SourceTrack sound(int number, const char *language, const char *codec, int channels,
                  bool isDefault = false) {
    SourceTrack track;
    track.number = number;
    track.language = language;
    track.codec = codec;
    track.channels = channels;
    track.isDefault = isDefault;
    return track;
}

SourceTrack subtitle(int number, const char *language, const char *codec, bool isPicture,
                     bool isDefault = false) {
    SourceTrack track = sound(number, language, codec, 0, isDefault);
    track.picture = isPicture;
    return track;
}

QStringList L(std::initializer_list<const char *> texts) {
    QStringList result;
    for (const char *text : texts)
        result << QString::fromUtf8(text);
    return result;
}

// "Label: text" per line, as the window shows them side by side.
QStringList rendered(const QList<SourceSummaryLine> &lines) {
    QStringList result;
    for (const SourceSummaryLine &line : lines)
        result << (line.label.isEmpty() ? line.text : line.label + u' ' + line.text);
    return result;
}

QStringList texts(const QList<TrackChoice> &choices) {
    QStringList result;
    for (const TrackChoice &choice : choices)
        result << choice.text;
    return result;
}

} // namespace

class TestSourceSummary : public QObject {
    Q_OBJECT
private slots:
    void summary_data() {
        QTest::addColumn<Facts>("facts");
        QTest::addColumn<QStringList>("expected"); // lines the summary holds
        QTest::addColumn<int>("lineCount");

        SourceFacts plain = picture(1920, 1080);
        plain.fieldOrder = FieldOrder::Progressive;
        QTest::newRow("plain") << Facts(plain)
                               << L({"Displayed size: 1920 × 1080", "Stored size: 1920 × 1080",
                                     "Rotation: none", "Pixel aspect: square", "Scan: progressive",
                                     "Range: standard (SDR)", "Sound tracks: none",
                                     "Subtitle tracks: none"})
                               << 8;
        SourceFacts upright = picture(1920, 1080);
        upright.rotation = 90;
        QTest::newRow("rotated 90")
            << Facts(upright)
            << L({"Displayed size: 1080 × 1920", "Stored size: 1920 × 1080", "Rotation: 90°"}) << 8;
        SourceFacts upsideDown = picture(1920, 1080);
        upsideDown.rotation = 180;
        QTest::newRow("rotated 180")
            << Facts(upsideDown) << L({"Displayed size: 1920 × 1080", "Rotation: 180°"}) << 8;
        SourceFacts dvd = picture(720, 480);
        dvd.sarNum = 32;
        dvd.sarDen = 27;
        QTest::newRow("anamorphic")
            << Facts(dvd)
            << L({"Displayed size: 854 × 480", "Stored size: 720 × 480", "Pixel aspect: 32:27"})
            << 8;
        SourceFacts turnedDvd = dvd;
        turnedDvd.rotation = 270;
        QTest::newRow("anamorphic, rotated 270")
            << Facts(turnedDvd) << L({"Displayed size: 480 × 854", "Rotation: 270°"}) << 8;
        SourceFacts tff = picture(720, 576);
        tff.fieldOrder = FieldOrder::TopFirst;
        QTest::newRow("top field first")
            << Facts(tff) << L({"Scan: interlaced, top field first"}) << 8;
        SourceFacts bff = picture(720, 480);
        bff.fieldOrder = FieldOrder::BottomFirst;
        QTest::newRow("bottom field first")
            << Facts(bff) << L({"Scan: interlaced, bottom field first"}) << 8;
        QTest::newRow("scan not stated")
            << Facts(picture(720, 480)) << L({"Scan: not stated: measured when converting"}) << 8;
        SourceFacts pq = picture(3840, 2160);
        pq.transfer = Transfer::Pq;
        QTest::newRow("PQ") << Facts(pq)
                            << L({"Range: HDR (PQ), tone-mapped to BT.709 when converted"}) << 8;
        SourceFacts hlg = picture(3840, 2160);
        hlg.transfer = Transfer::Hlg;
        QTest::newRow("HLG") << Facts(hlg)
                             << L({"Range: HDR (HLG), tone-mapped to BT.709 when "
                                   "converted"})
                             << 8;
        SourceFacts tracks = picture(640, 360);
        tracks.audio = {sound(1, "eng", "aac", 2), sound(2, "", "ac3", 6, true),
                        sound(3, "fra", "opus", 1)};
        tracks.subtitles = {subtitle(1, "eng", "subrip", false, true),
                            subtitle(2, "", "hdmv_pgs_subtitle", true)};
        QTest::newRow("tracks") << Facts(tracks)
                                << L({"Sound tracks: 1: eng, aac, 2 channels\n"
                                      "2: unknown language, ac3, 6 channels, default\n"
                                      "3: fra, opus, 1 channel",
                                      "Subtitle tracks: 1: eng, subrip, text, default\n"
                                      "2: unknown language, hdmv_pgs_subtitle, picture"})
                                << 8;
        SourceFacts soundOnly;
        soundOnly.audio = {sound(1, "deu", "mp3", 2)};
        QTest::newRow("no picture") << Facts(soundOnly)
                                    << L({"Picture: none", "Sound tracks: 1: deu, mp3, 2 channels",
                                          "Subtitle tracks: none"})
                                    << 3;
        QTest::newRow("unreadable")
            << Facts() << L({"Mobivert could not read this file as a video."}) << 1;
    }

    void summary() {
        QFETCH(Facts, facts);
        QFETCH(QStringList, expected);
        QFETCH(int, lineCount);
        const QStringList lines = rendered(SummarizeSource(facts));
        for (const QString &line : expected)
            QVERIFY2(lines.contains(line), qPrintable(lines.join(u'|') + u" lacks " + line));
        QCOMPARE(lines.size(), lineCount);
    }

    void choices_data() {
        QTest::addColumn<Tracks>("tracks");
        QTest::addColumn<bool>("isSound");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("values"); // a row's value per choice, in order
        QTest::addColumn<QString>("rowValue");
        QTest::addColumn<int>("index");

        const Tracks two{sound(1, "eng", "aac", 2), sound(2, "fra", "ac3", 6, true)};
        const QStringList twoTexts =
            L({"Default (track 2, fra)", "1: eng, aac, 2 channels", "2: fra, ac3, 6 channels"});
        const QStringList twoValues = L({"", "1", "2"});
        QTest::newRow("default") << two << true << twoTexts << twoValues << "" << 0;
        QTest::newRow("'default'") << two << true << twoTexts << twoValues << "Default" << 0;
        QTest::newRow("a number") << two << true << twoTexts << twoValues << "1" << 1;
        QTest::newRow("a language") << two << true << twoTexts << twoValues << "fr" << 2;
        QTest::newRow("no such number") << two << true << twoTexts << twoValues << "3" << 0;
        QTest::newRow("no such language") << two << true << twoTexts << twoValues << "deu" << 0;
        QTest::newRow("none flagged, untagged")
            << Tracks{sound(1, "", "mp3", 2), sound(2, "", "aac", 1)} << true
            << L({"Default (track 1)", "1: unknown language, mp3, 2 channels",
                  "2: unknown language, aac, 1 channel"})
            << L({"", "1", "2"}) << "2" << 2;
        QTest::newRow("subtitles")
            << Tracks{subtitle(1, "eng", "subrip", false), subtitle(2, "deu", "dvd_subtitle", true)}
            << false
            << L({"Default (track 1, eng)", "1: eng, subrip, text",
                  "2: deu, dvd_subtitle, picture"})
            << L({"", "1", "2"}) << "deu" << 2;
        QTest::newRow("no tracks")
            << Tracks{} << false << L({"Default (none in this file)"}) << L({""}) << "1" << 0;
    }

    void choices() {
        QFETCH(Tracks, tracks);
        QFETCH(bool, isSound);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, values);
        QFETCH(QString, rowValue);
        QFETCH(int, index);
        const QList<TrackChoice> choices =
            isSound ? SoundTrackChoices(tracks) : SubtitleTrackChoices(tracks);
        QCOMPARE(::texts(choices), texts);
        QStringList choiceValues;
        for (const TrackChoice &choice : choices)
            choiceValues << choice.value;
        QCOMPARE(choiceValues, values);
        QCOMPARE(TrackChoiceIndex(tracks, rowValue), index);
    }
};

QTEST_APPLESS_MAIN(TestSourceSummary)
#include "tst_sourcesummary.moc"
