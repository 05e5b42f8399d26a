// The converter command of every row: options, frame sizes, output names,
// the library hand-off and thumbnail lines, and quoting that survives any
// file name when the shell runs the batch.
#include "core/convert/BatchBuilder.h"
#include "core/convert/ConvertFiles.h"
#include "core/convert/ShellQuote.h"
#include "core/convert/SizeOptions.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(MediaDescription)

namespace {

const QString Data = QStringLiteral("/data");
const QString Out = QStringLiteral("/out");

ConversionSettings exampleSettings() {
    ConversionSettings settings;
    settings.device = QStringLiteral("iPod");
    settings.videoCodec = QStringLiteral("mpeg4");
    settings.videoCodecPosition = 0;
    settings.videoSize = QSize(320, 240);
    settings.videoBitrate = 768;
    settings.videoFrameRate = 25;
    settings.audioCodec = QStringLiteral("aac");
    settings.audioBitrate = 128;
    settings.audioSampleRate = 44100;
    settings.audioChannelsPosition = 1;
    return settings;
}

FileListRow row(const QString &name, const QString &path,
                const QString &size = QStringLiteral("640x480")) {
    return FileListRowFromCells(
        {name, QStringLiteral("XVID"), QStringLiteral("00:01:40"), size, {}, {}, path});
}

BatchOptions defaultOptions() {
    BatchOptions result;
    result.dataFolder = Data;
    result.outputFolder = Out;
    return result;
}

const BatchCodecData Mp4{{}, {}, QStringLiteral("mp4"), QStringLiteral("m4a")};

BatchPlan build(const ConversionSettings &settings, const QList<FileListRow> &rows,
                const BatchOptions &batchOptions = defaultOptions(),
                const BatchCodecData &codecs = Mp4, const QStringList &onDisk = {}) {
    return BuildBatch(settings, codecs, rows, batchOptions,
                      [&](const QString &path) { return onDisk.contains(path); });
}

// Arguments as a batch line shows them, each after a blank.
QString shown(const QStringList &arguments) {
    QString text;
    for (const QString &argument : arguments)
        text += u' ' + ShellWord(argument);
    return text;
}

} // namespace

class TestBatchBuilder : public QObject {
    Q_OBJECT

private slots:
    void workedExample() {
        BatchOptions withLibrary = defaultOptions();
        withLibrary.addToLibrary = true;
        const BatchPlan plan = build(
            exampleSettings(),
            {row(QStringLiteral("holiday"), QStringLiteral("/Videos/holiday.avi"))}, withLibrary);
        QCOMPARE(
            BatchLines(plan.commands),
            QStringList(
                {QStringLiteral(
                     "'/data/BrannockVideoConverter.exe' -i '/Videos/holiday.avi' -vcodec mpeg4 "
                     "-s 320x240 -b 718kbps -r 25 -acodec aac -ab 128kbps -ar 44100 -ac 2 "
                     "-kind movie -title holiday -y '/out/holiday.mp4'"),
                 QStringLiteral("'/data/TrackDrop.exe' '/out/holiday.mp4'")}));
        QCOMPARE(plan.outputPaths, QStringList{QStringLiteral("/out/holiday.mp4")});
        QCOMPARE(plan.rows.size(), 1);
        QCOMPARE(plan.rows[0].totalSeconds, 100);
        QCOMPARE(BatchText(plan).count('\n'), 2);
        QVERIFY(!BatchText(plan).contains('\r'));
    }

    void options_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("expected");
        QTest::newRow("as is")
            << ""
            << " -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -acodec aac -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("no video") << "noVideo"
                                  << " -vn -acodec aac -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("no audio") << "noAudio"
                                  << " -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -an";
        QTest::newRow("neither") << "noVideo noAudio"
                                 << " -vn -an";
        QTest::newRow("grayed counts as unchecked")
            << "grayed"
            << " -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -acodec aac -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("container and extras")
            << "format extra"
            << " -f psp -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -pix_fmt yuv420p -maxrate 768k "
               "-acodec aac -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("extras not for audio only")
            << "extra noVideo"
            << " -vn -acodec aac -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("same quality") << "sameq"
                                      << " -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -sameq "
                                         "-acodec aac -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("no channel entry")
            << "channels"
            << " -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -acodec aac -ab 128kbps -ar 44100 -ac 0";
        QTest::newRow("fractional frame rate") << "fps"
                                               << " -vcodec mpeg4 -s 320x240 -b 718kbps -r 29.97 "
                                                  "-acodec aac -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("trimmed") << "trim"
                                 << " -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -ss 00:01:00 -t "
                                    "00:02:30 -acodec aac -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("half a trim")
            << "halftrim"
            << " -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -acodec aac -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("keep aspect") << "aspect"
                                     << " -vcodec mpeg4 -s 320x180 -padtop 30 -padbottom 30 -b "
                                        "718kbps -r 25 -acodec aac -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("odd values quoted") << "odd"
                                           << " -vcodec 'mpeg4;x' -s 320x240 -b 718kbps -r 25 "
                                              "-acodec '' -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("two passes") << "twopass"
                                    << " -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -twopass "
                                       "-acodec aac -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("two passes need a bit rate")
            << "twopass sameq"
            << " -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -sameq -acodec aac -ab 128kbps -ar "
               "44100 -ac 2";
        QTest::newRow("two passes need a picture")
            << "twopass noVideo"
            << " -vn -acodec aac -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("fitted: its own rate and size, two passes")
            << "fit"
            << " -vcodec mpeg4 -s 320x240 -b 522kbps -r 25 -twopass -fitsize 2182926 "
               "-acodec aac -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("fitted at the codec's highest rate: no size")
            << "fitcapped"
            << " -vcodec mpeg4 -s 320x240 -b 2450kbps -r 25 -twopass -acodec aac "
               "-ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("always deinterlace, default subtitles")
            << "interlaced burn"
            << " -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -deinterlace -burnsubs default "
               "-acodec aac -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("never deinterlace, the row's tracks")
            << "progressive burn tracks"
            << " -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -nodeinterlace -burnsubs fra "
               "-audiotrack 2 -acodec aac -ab 128kbps -ar 44100 -ac 2";
        QTest::newRow("subtitle track without burning")
            << "tracks"
            << " -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -audiotrack 2 -acodec aac -ab "
               "128kbps -ar 44100 -ac 2";
        QTest::newRow("picture choices need a picture, the sound track sound")
            << "interlaced burn tracks noVideo noAudio"
            << " -vn -an";
        QTest::newRow("odd track values quoted")
            << "burn oddtracks"
            << " -vcodec mpeg4 -s 320x240 -b 718kbps -r 25 -burnsubs 'a b' -audiotrack "
               "'$(x)' -acodec aac -ab 128kbps -ar 44100 -ac 2";
    }

    void options() {
        QFETCH(QString, change);
        QFETCH(QString, expected);
        ConversionSettings settings = exampleSettings();
        BatchCodecData codecs = Mp4;
        FileListRow source =
            row(QStringLiteral("clip"), QStringLiteral("/v/clip.avi"), QStringLiteral("1280x720"));
        const QStringList changes = change.split(u' ', Qt::SkipEmptyParts);
        for (const QString &what : changes) {
            if (what == u"noVideo")
                settings.noVideo = 1;
            if (what == u"noAudio")
                settings.noAudio = 1;
            if (what == u"grayed") {
                settings.noVideo = 2;
                settings.noAudio = 2;
                settings.originalQuality = 2;
            }
            if (what == u"format")
                codecs.videoFormat = QStringLiteral("psp");
            if (what == u"extra")
                codecs.extraParameters = QStringLiteral("-pix_fmt yuv420p  -maxrate 768k");
            if (what == u"sameq")
                settings.originalQuality = 1;
            if (what == u"channels")
                settings.audioChannelsPosition = -1;
            if (what == u"fps")
                settings.videoFrameRate = 29.97;
            if (what == u"trim") {
                source.BeginTime = 60;
                source.EndTime = 210;
            }
            if (what == u"halftrim")
                source.BeginTime = 60;
            if (what == u"aspect")
                settings.keepAspectRatio = 1;
            if (what == u"interlaced")
                settings.deinterlace = Deinterlace::Always;
            if (what == u"progressive")
                settings.deinterlace = Deinterlace::Never;
            if (what == u"burn")
                settings.burnSubtitles = 1;
            if (what == u"tracks") {
                source.AudioTrack = QStringLiteral("2");
                source.SubtitleTrack = QStringLiteral("fra");
            }
            if (what == u"oddtracks") {
                source.AudioTrack = QStringLiteral("$(x)");
                source.SubtitleTrack = QStringLiteral("a b");
            }
            if (what == u"odd") {
                settings.videoCodec = QStringLiteral("mpeg4;x");
                settings.audioCodec.clear();
            }
        }
        std::optional<RowFit> fit;
        if (changes.contains(u"fit"))
            fit = RowFit{522, 2182926};
        if (changes.contains(u"fitcapped"))
            fit = RowFit{2450, 0};
        if (changes.contains(u"twopass"))
            settings.twoPass = 1;
        QCOMPARE(shown(ConversionOptions(settings, codecs, source, fit)), expected);
    }

    void sizeOptions_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("expected");
        QTest::newRow("same shape") << "640x480"
                                    << "320x240"
                                    << " -s 320x240";
        QTest::newRow("16:9") << "1280x720"
                              << "320x240"
                              << " -s 320x180 -padtop 30 -padbottom 30";
        QTest::newRow("3:2") << "720x480"
                             << "320x240"
                             << " -s 320x212 -padtop 14 -padbottom 14";
        QTest::newRow("wide, odd half") << "640x300"
                                        << "320x240"
                                        << " -s 320x150 -padtop 46 -padbottom 44";
        // Narrower by at most a fiftieth: cropped, in source rows.
        QTest::newRow("a fiftieth") << "640x488"
                                    << "320x240"
                                    << " -croptop 4 -cropbottom 4 -s 320x240";
        QTest::newRow("just over a fiftieth") << "640x492"
                                              << "320x240"
                                              << " -s 312x240 -padleft 4 -padright 4";
        QTest::newRow("PAL") << "720x576"
                             << "320x240"
                             << " -s 300x240 -padleft 10 -padright 10";
        // Narrower by more: the whole picture, with bars at the sides.
        QTest::newRow("4:3 into the PSP") << "640x480"
                                          << "480x272"
                                          << " -s 362x272 -padleft 60 -padright 58";
        QTest::newRow("portrait phone video") << "1080x1920"
                                              << "320x240"
                                              << " -s 134x240 -padleft 94 -padright 92";
        QTest::newRow("portrait 3:4 into the PSP") << "480x640"
                                                   << "480x272"
                                                   << " -s 204x272 -padleft 138 -padright 138";
        // Unknown: scaled as it is, so the file still fits the device.
        QTest::newRow("unknown") << "0x0"
                                 << "320x240"
                                 << " -s 320x240";
    }

    void sizeOptions() {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QString, expected);
        const QSize sourceSize = *ParseFrameSize(source);
        QCOMPARE(shown(SizeOptions(ParseFrameSize(target), sourceSize, true)), expected);
        QCOMPARE(SizeOptions(ParseFrameSize(target), sourceSize, false),
                 QStringList({u"-s"_s, target}));
    }

    void outputNames() {
        const ConversionSettings settings = exampleSettings();
        // Taken on disk, and taken by an earlier row of the same batch.
        const BatchPlan plan =
            build(settings,
                  {row(QStringLiteral("holiday"), QStringLiteral("/a/holiday.avi")),
                   row(QStringLiteral("holiday"), QStringLiteral("/b/holiday.avi")),
                   row(QString(), QStringLiteral("/c/unreadable.avi"))},
                  defaultOptions(), Mp4,
                  {QStringLiteral("/out/holiday.mp4"), QStringLiteral("/out/holiday (2).mp4")});
        QCOMPARE(plan.outputPaths, QStringList({QStringLiteral("/out/holiday (3).mp4"),
                                                QStringLiteral("/out/holiday (4).mp4"),
                                                QStringLiteral("/out/unreadable.mp4")}));

        // Gaps on disk are filled in order, however many rows share a name.
        QList<FileListRow> sameName;
        for (int i = 0; i < 5; ++i)
            sameName << row(QStringLiteral("holiday"), QStringLiteral("/a/holiday.avi"));
        QCOMPARE(
            build(settings, sameName, defaultOptions(), Mp4,
                  {QStringLiteral("/out/holiday (3).mp4"), QStringLiteral("/out/holiday (5).mp4")})
                .outputPaths,
            QStringList({QStringLiteral("/out/holiday.mp4"), QStringLiteral("/out/holiday (2).mp4"),
                         QStringLiteral("/out/holiday (4).mp4"),
                         QStringLiteral("/out/holiday (6).mp4"),
                         QStringLiteral("/out/holiday (7).mp4")}));

        // An empty extension; a folder given with a trailing separator; audio only.
        BatchOptions trailing = defaultOptions();
        trailing.outputFolder = QStringLiteral("/out/");
        QCOMPARE(build(settings, {row(QStringLiteral("a"), QStringLiteral("/a.avi"))}, trailing, {})
                     .outputPaths,
                 QStringList{QStringLiteral("/out/a.")});
        ConversionSettings audioOnly = settings;
        audioOnly.noVideo = 1;
        QCOMPARE(build(audioOnly, {row(QStringLiteral("a"), QStringLiteral("/a.avi"))}).outputPaths,
                 QStringList{QStringLiteral("/out/a.m4a")});
    }

    void pspNamesAndThumbnails_data() {
        QTest::addColumn<int>("codecPosition");
        QTest::addColumn<QString>("startNumber");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("first codec")
            << 0 << "7" << QStringLiteral("M4V0007 M4V0008 M4V0009").split(u' ');
        QTest::newRow("second codec")
            << 1 << "7" << QStringLiteral("M4V0007 M4V0008 M4V0009").split(u' ');
        QTest::newRow("H.264") << 2 << "11"
                               << QStringLiteral("MAQ0011 MAQ0012 MAQ0013").split(u' ');
        QTest::newRow("five digits")
            << 0 << "12345" << QStringLiteral("M4V12345 M4V12346 M4V12347").split(u' ');
        QTest::newRow("not a number")
            << 0 << "abc" << QStringLiteral("M4V0000 M4V0001 M4V0002").split(u' ');
        QTest::newRow("negative") << 0 << "-5"
                                  << QStringLiteral("M4V0000 M4V0001 M4V0002").split(u' ');
    }

    void pspNamesAndThumbnails() {
        QFETCH(int, codecPosition);
        QFETCH(QString, startNumber);
        QFETCH(QStringList, names);
        ConversionSettings settings = exampleSettings();
        settings.device = QStringLiteral("PSP");
        settings.videoCodecPosition = codecPosition;
        BatchOptions psp = defaultOptions();
        psp.pspStartNumber = startNumber;
        psp.createThumbnails = true;
        psp.addToLibrary = true; // never for the PSP
        const BatchCodecData codecs{QStringLiteral("psp"), {}, QStringLiteral("MP4"), {}};
        const QList<FileListRow> rows{row(QStringLiteral("a"), QStringLiteral("/v/a.avi")),
                                      row(QStringLiteral("b"), QStringLiteral("/v/b.avi")),
                                      row(QStringLiteral("c"), QStringLiteral("/v/c.avi"))};
        const BatchPlan plan = build(settings, rows, psp, codecs);
        QCOMPARE(plan.commands.size(), 6);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(plan.outputPaths[i], QString(u"/out/" + names[i] + u".MP4"));
            QCOMPARE(plan.commands[2 * i + 1].line(),
                     QString(u"'/data/BrannockVideoConverter.exe' -i '" + rows[i].Filepath +
                             u"' -f image2 -cover -vframes 1 -s 160x120 -an -y '/out/" + names[i] +
                             u".thm'"));
        }
        QVERIFY(!BatchLines(plan.commands).join(u'\n').contains(u"TrackDrop"));
    }

    void pspNumbersContinueAfterTheFolders_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("inFolder");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<qint64>>("numbers"); // empty: refused
        // Every number but `free` taken (by MPEG-4 and H.264 files alike).
        const auto allBut = [](qint64 free) {
            QStringList names;
            for (qint64 n = 1; n <= 99999; ++n) {
                if (n != free)
                    names << (n % 2 ? u"M4V"_s : u"MAQ"_s) + QString::number(n) + u".MP4"_s;
            }
            return names;
        };
        QTest::newRow("empty folder") << "7" << QStringList() << 3 << QList<qint64>{7, 8, 9};
        QTest::newRow("after the highest")
            << "1" << QStringList({u"M4V0003.MP4"_s, u"M4V0012.THM"_s, u"M4V0005.MP4"_s}) << 1
            << QList<qint64>{13};
        QTest::newRow("H.264 and MPEG-4 alike, any case, five digits")
            << "2" << QStringList({u"maq00041.mp4"_s, u"M4V00007.MP4"_s}) << 1 << QList<qint64>{42};
        QTest::newRow("a higher number typed")
            << "50" << QStringList({u"M4V0012.MP4"_s}) << 1 << QList<qint64>{50};
        QTest::newRow("other names")
            << "1"
            << QStringList({u"M4V0009 (2).MP4"_s, u"holiday.mp4"_s, u"M4Vabc.MP4"_s, u"XM4V0050"_s})
            << 1 << QList<qint64>{1};
        // Never past 99999: the lowest free numbers instead.
        QTest::newRow("MAQ99999 there")
            << "1" << QStringList{u"MAQ99999.MP4"_s} << 2 << QList<qint64>{1, 2};
        QTest::newRow("up to 99999, then the gaps")
            << "1"
            << QStringList(
                   {u"MAQ99998.MP4"_s, u"M4V0001.MP4"_s, u"M4V0001.THM"_s, u"MAQ0003.MP4"_s})
            << 3 << QList<qint64>{99999, 2, 4};
        QTest::newRow("typed near the end")
            << "99998" << QStringList() << 3 << QList<qint64>{99998, 99999, 1};
        QTest::newRow("a number past 99999 there")
            << "1" << QStringList{u"MAQ100000.MP4"_s} << 1 << QList<qint64>{1};
        QTest::newRow("the one free number") << "1" << allBut(500) << 1 << QList<qint64>{500};
        QTest::newRow("one free number, two files") << "1" << allBut(500) << 2 << QList<qint64>{};
        QTest::newRow("none free") << "1" << allBut(0) << 1 << QList<qint64>{};
        QTest::newRow("only 99999 free, two files") << "1" << allBut(99999) << 2 << QList<qint64>{};
    }

    void pspNumbersContinueAfterTheFolders() {
        QFETCH(QString, typed);
        QFETCH(QStringList, inFolder);
        QFETCH(int, count);
        QFETCH(QList<qint64>, numbers);
        QCOMPARE(PspNumbers(typed, inFolder, count).value_or(QList<qint64>()), numbers);
    }

    void thumbnailsFollowTheVideoAndReplaceNothing() {
        ConversionSettings settings = exampleSettings();
        settings.device = QStringLiteral("PSP");
        BatchOptions psp = defaultOptions();
        psp.createThumbnails = true;
        const BatchCodecData codecs{QStringLiteral("psp"), {}, QStringLiteral("MP4"), {}};
        const BatchPlan plan = build(
            settings,
            {row(QStringLiteral("a"), QStringLiteral("/v/a.avi")),
             row(QStringLiteral("b"), QStringLiteral("/v/b.avi"))},
            psp, codecs, {QStringLiteral("/out/M4V0001.MP4"), QStringLiteral("/out/M4V0002.thm")});
        QCOMPARE(plan.outputPaths, QStringList({QStringLiteral("/out/M4V0001 (2).MP4"),
                                                QStringLiteral("/out/M4V0002.MP4")}));
        QCOMPARE(plan.thumbnailPaths,
                 QStringList({QStringLiteral("/out/M4V0001 (2).thm"), QString()}));
        QCOMPARE(plan.commands.size(), 3);
    }

    void libraryLineOnlyForTheIPod_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("line");
        QTest::newRow("iPod checked") << "iPod" << true << true;
        QTest::newRow("iPod unchecked") << "iPod" << false << false;
        QTest::newRow("Zune") << "Zune" << true << false;
        QTest::newRow("phone") << "MobilePhone" << true << false;
    }

    void libraryLineOnlyForTheIPod() {
        QFETCH(QString, device);
        QFETCH(bool, checked);
        QFETCH(bool, line);
        ConversionSettings settings = exampleSettings();
        settings.device = device;
        BatchOptions batchOptions = defaultOptions();
        batchOptions.addToLibrary = checked;
        const BatchPlan plan =
            build(settings, {row(QStringLiteral("a"), QStringLiteral("/v/a.avi"))}, batchOptions);
        QCOMPARE(plan.commands.size(), line ? 2 : 1);
    }

    void trimmedRowsRunAgainstTheirLength() {
        FileListRow trimmed = row(QStringLiteral("a"), QStringLiteral("/v/a.avi"));
        trimmed.BeginTime = 30;
        trimmed.EndTime = 60;
        const BatchPlan plan = build(
            exampleSettings(), {trimmed, row(QStringLiteral("b"), QStringLiteral("/v/b.avi"))});
        QCOMPARE(plan.rows[0].totalSeconds, 30);
        QCOMPARE(plan.rows[1].totalSeconds, 100);
    }

    // The shell reads back exactly the intended arguments, whatever the
    // file is called, and runs nothing but the converter.
    // The row's description wins over its name; without video nothing is tagged.
    void mediaTagOptions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<MediaDescription>("media");
        QTest::addColumn<bool>("noVideo");
        QTest::addColumn<QString>("options");
        QTest::newRow("episode from the name")
            << "Some Show S02E05 The Title" << MediaDescription{} << false
            << " -kind tv -title 'The Title' -show 'Some Show' -season 2 -episode 5";
        QTest::newRow("music video chosen")
            << "Band - Song"
            << MediaDescription{MediaKind::MusicVideo, QStringLiteral("It's"), {}, {}, {}} << false
            << " -kind musicvideo -title 'It'\\''s'";
        QTest::newRow("season zero set")
            << "x" << MediaDescription{MediaKind::TvShow, {}, {}, 0, {}} << false
            << " -kind tv -title x -season 0";
        QTest::newRow("sound only") << "Some Show S02E05" << MediaDescription{} << true << "";
    }
    void mediaTagOptions() {
        QFETCH(QString, name);
        QFETCH(MediaDescription, media);
        QFETCH(bool, noVideo);
        QFETCH(QString, options);
        ConversionSettings settings = exampleSettings();
        settings.noVideo = noVideo ? 1 : 0;
        FileListRow source = row(name, u"/in/" + name + u".mkv");
        source.Media = media;
        QCOMPARE(shown(MediaTagOptions(settings, source)), options);
    }

    void shellRunsExactlyTheIntendedCommand_data() {
        QTest::addColumn<QString>("name");
        const char *names[] = {"$(touch pwned)",
                               "`touch pwned`",
                               "a\"b",
                               "a'b",
                               "a;b",
                               "a&b",
                               "a|b",
                               "-x",
                               "two\nlines",
                               "tab\there",
                               "100% !*",
                               "caf\xc3\xa9 \xe2\x80\x8f"
                               "rtl"};
        for (const char *name : names)
            QTest::newRow(name) << QString::fromUtf8(name);
    }

    void shellRunsExactlyTheIntendedCommand() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("data"));
        QDir().mkpath(data);
        // A stand-in converter that records its arguments, NUL-separated.
        const QString recorder = data + u"/BrannockVideoConverter.exe";
        QVERIFY(WriteFileBytes(recorder, "#!/bin/sh\nprintf '%s\\0' \"$@\" >> \"$0.args\"\n"));
        QFile::setPermissions(recorder, QFileDevice::ExeOwner | QFileDevice::ReadOwner |
                                            QFileDevice::WriteOwner);

        ConversionSettings settings = exampleSettings();
        settings.device = QStringLiteral("PSP");
        BatchOptions psp;
        psp.dataFolder = data;
        psp.outputFolder = dir.filePath(name);
        psp.createThumbnails = true;
        const QString input = dir.path() + u'/' + name + u".avi";
        const BatchPlan plan =
            BuildBatch(settings, {{}, {}, QStringLiteral("MP4"), {}}, {row(name, input)}, psp,
                       [](const QString &) { return false; });
        QVERIFY(WriteFileBytes(data + u"/BVC.bat", BatchText(plan)));

        const ProgramResult result = RunProgram(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), u"cd " + ShellQuote(dir.path()) + u" && sh -v ./data/BVC.bat"});
        QCOMPARE(result.exitCode, 0);
        QFile recorded(recorder + u".args");
        QVERIFY(recorded.open(QIODevice::ReadOnly));
        QList<QByteArray> arguments = recorded.readAll().split('\0');
        arguments.removeLast();
        const QString output = psp.outputFolder + u"/M4V0001.MP4";
        QStringList expected{QStringLiteral("-i"),      input,
                             QStringLiteral("-vcodec"), QStringLiteral("mpeg4"),
                             QStringLiteral("-s"),      QStringLiteral("320x240"),
                             QStringLiteral("-b"),      QStringLiteral("718kbps"),
                             QStringLiteral("-r"),      QStringLiteral("25"),
                             QStringLiteral("-acodec"), QStringLiteral("aac"),
                             QStringLiteral("-ab"),     QStringLiteral("128kbps"),
                             QStringLiteral("-ar"),     QStringLiteral("44100"),
                             QStringLiteral("-ac"),     QStringLiteral("2"),
                             QStringLiteral("-kind"),   QStringLiteral("movie"),
                             QStringLiteral("-title"),  TitleFromName(name),
                             QStringLiteral("-y"),      output,
                             QStringLiteral("-i"),      input,
                             QStringLiteral("-f"),      QStringLiteral("image2"),
                             QStringLiteral("-cover"),  QStringLiteral("-vframes"),
                             QStringLiteral("1"),       QStringLiteral("-s"),
                             QStringLiteral("160x120"), QStringLiteral("-an"),
                             QStringLiteral("-y"),      psp.outputFolder + u"/M4V0001.thm"};
        QStringList actual;
        for (const QByteArray &argument : arguments)
            actual << QString::fromUtf8(argument);
        QCOMPARE(actual, expected);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("pwned"))));
        QVERIFY(!QFile::exists(data + u"/pwned"));
    }
};

QTEST_APPLESS_MAIN(TestBatchBuilder)
#include "tst_batchbuilder.moc"
