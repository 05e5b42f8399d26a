#include "core/filelist/MediaTags.h"

#include <QTest>

Q_DECLARE_METATYPE(MediaKind)
Q_DECLARE_METATYPE(MediaDescription)
Q_DECLARE_METATYPE(MediaTags)

class TestMediaTags : public QObject {
    Q_OBJECT

private slots:
    void episodeNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("show"); // empty: not an episode
        QTest::addColumn<int>("season");
        QTest::addColumn<int>("episode");
        QTest::addColumn<QString>("title");
        QTest::newRow("SxxEyy") << "Some Show S02E05 The Title"
                                << "Some Show" << 2 << 5 << "The Title";
        QTest::newRow("dotted release") << "Some.Show.s02e05.The.Title.720p.HDTV.x264-GRP"
                                        << "Some Show" << 2 << 5 << "The Title";
        QTest::newRow("dashes") << "Some Show - S1E12 - Pilot"
                                << "Some Show" << 1 << 12 << "Pilot";
        QTest::newRow("double episode") << "Show S03E01E02 Both"
                                        << "Show" << 3 << 1 << "Both";
        QTest::newRow("no title") << "Show S10E100"
                                  << "Show" << 10 << 100 << "";
        QTest::newRow("release only") << "Show.S01E02.1080p.WEB-DL"
                                      << "Show" << 1 << 2 << "";
        QTest::newRow("2x05") << "Some Show 2x05 The Title"
                              << "Some Show" << 2 << 5 << "The Title";
        QTest::newRow("2x05 dotted") << "Some_Show.2x05"
                                     << "Some Show" << 2 << 5 << "";
        QTest::newRow("- 205") << "Some Show - 205 - The Title"
                               << "Some Show" << 2 << 5 << "The Title";
        QTest::newRow("- 205 plain") << "Some Show - 205"
                                     << "Some Show" << 2 << 5 << "";
        QTest::newRow("title words like release words")
            << "Web Design S01E02 The Web Proper"
            << "Web Design" << 1 << 2 << "The Web Proper";
        // Names that are no episode.
        QTest::newRow("movie") << "The Big Film (2009)"
                               << "" << 0 << 0 << "";
        QTest::newRow("year after dash") << "Film - 2009"
                                         << "" << 0 << 0 << "";
        QTest::newRow("resolution") << "Clip 1920x1080"
                                    << "" << 0 << 0 << "";
        QTest::newRow("no show") << "S02E05 The Title"
                                 << "" << 0 << 0 << "";
        QTest::newRow("word with s and e") << "Chess1e5 opening"
                                           << "" << 0 << 0 << "";
        QTest::newRow("three digits no dash") << "Apollo 205 Film"
                                              << "" << 0 << 0 << "";
    }
    void episodeNames() {
        QFETCH(QString, name);
        QFETCH(QString, show);
        QFETCH(int, season);
        QFETCH(int, episode);
        QFETCH(QString, title);
        const std::optional<EpisodeName> parsed = ParseEpisodeName(name);
        if (show.isEmpty()) {
            QVERIFY2(!parsed, qPrintable(parsed ? parsed->show : QString()));
            return;
        }
        QVERIFY(parsed);
        QCOMPARE(*parsed, (EpisodeName{show, season, episode, title}));
    }

    // What the user set wins field by field; the name gives the rest.
    void resolve_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<MediaDescription>("set");
        QTest::addColumn<MediaTags>("tags");
        QTest::newRow("automatic episode")
            << "Some Show S02E05 The Title" << MediaDescription{}
            << MediaTags{MediaKind::TvShow, QStringLiteral("The Title"),
                         QStringLiteral("Some Show"), 2, 5};
        QTest::newRow("episode without title")
            << "Some Show S02E05" << MediaDescription{}
            << MediaTags{MediaKind::TvShow, QStringLiteral("Some Show S02E05"),
                         QStringLiteral("Some Show"), 2, 5};
        QTest::newRow("automatic movie")
            << "My.Holiday.Film.1080p" << MediaDescription{}
            << MediaTags{MediaKind::Movie, QStringLiteral("My Holiday Film"), {}, {}, {}};
        QTest::newRow("episode name made a movie")
            << "Some Show S02E05 The Title" << MediaDescription{MediaKind::Movie, {}, {}, {}, {}}
            << MediaTags{
                   MediaKind::Movie, QStringLiteral("Some Show S02E05 The Title"), {}, {}, {}};
        QTest::newRow("music video")
            << "Band - Song" << MediaDescription{MediaKind::MusicVideo, {}, {}, {}, {}}
            << MediaTags{MediaKind::MusicVideo, QStringLiteral("Band - Song"), {}, {}, {}};
        QTest::newRow("fields override the name")
            << "Some Show S02E05 The Title"
            << MediaDescription{MediaKind::Automatic,
                                QStringLiteral("Other"),
                                QStringLiteral("Another Show"),
                                3,
                                {}}
            << MediaTags{MediaKind::TvShow, QStringLiteral("Other"), QStringLiteral("Another Show"),
                         3, 5};
        QTest::newRow("tv chosen for a plain name")
            << "holiday" << MediaDescription{MediaKind::TvShow, {}, QStringLiteral("Trips"), 1, 4}
            << MediaTags{MediaKind::TvShow, QStringLiteral("holiday"), QStringLiteral("Trips"), 1,
                         4};
    }
    void resolve() {
        QFETCH(QString, name);
        QFETCH(MediaDescription, set);
        QFETCH(MediaTags, tags);
        const MediaTags resolved = ResolveMediaTags(name, set);
        QCOMPARE(resolved.kind, tags.kind);
        QCOMPARE(resolved.title, tags.title);
        QCOMPARE(resolved.show, tags.show);
        QCOMPARE(resolved.season, tags.season);
        QCOMPARE(resolved.episode, tags.episode);
    }

    void kindWords() {
        for (const MediaKind kind :
             {MediaKind::Automatic, MediaKind::Movie, MediaKind::TvShow, MediaKind::MusicVideo})
            QCOMPARE(MediaKindFromWord(MediaKindWord(kind)), kind);
        QCOMPARE(MediaKindFromWord(QStringLiteral("TV")), MediaKind::TvShow);
        QVERIFY(!MediaKindFromWord(QStringLiteral("series")));
    }
};

QTEST_APPLESS_MAIN(TestMediaTags)
#include "tst_mediatags.moc"
