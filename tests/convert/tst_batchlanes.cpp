// Several files at once, the pure parts: the choice and Automatic's rule,
// names decided in row order whatever the lanes, the listing of a batch on
// several lanes, the log lines of interleaved lanes, and the progress of a
// batch followed across lanes.
#include "core/convert/BatchBuilder.h"
#include "core/convert/BatchProgress.h"
#include "core/convert/ConvertFiles.h"
#include "core/convert/FilesAtOnce.h"
#include "core/convert/ShellQuote.h"
#include "core/convert/TerminalLines.h"
#include "core/filelist/TrimTimes.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

FileListRow row(const QString &name, const QString &duration) {
    FileListRow row;
    row.Filename = name;
    row.Codec = QStringLiteral("XVID");
    row.Duration = TimeTextToSeconds(duration).value_or(0);
    row.VideoSize = QSize(640, 480);
    row.Filepath = u"/in/" + name + u".avi";
    return row;
}

ConversionSettings settingsFor(const QString &device, const QString &codec, const QString &size) {
    ConversionSettings settings;
    settings.device = device;
    settings.videoCodec = codec;
    settings.videoCodecPosition = 0;
    settings.videoSize = ParseFrameSize(size);
    settings.videoBitrate = 768;
    settings.videoFrameRate = 25;
    settings.audioCodec = QStringLiteral("aac");
    settings.audioBitrate = 128;
    settings.audioSampleRate = 48000;
    settings.audioChannelsPosition = 1;
    return settings;
}

// The echo of a converter line as "sh -v" prints it, then what the
// converter prints for an input: a finished conversion or an error.
QByteArray converted(const QString &input, int seconds) {
    return (ShellQuote(QStringLiteral("/d/BrannockVideoConverter.exe")) + u" -i " +
            ShellQuote(input) + u" -y " + ShellQuote(u"/o/x.mp4"_s) + u'\n')
               .toUtf8() +
           "frame=  1 fps= 25 q=2.0 Lsize=  10kB time=" + QByteArray::number(seconds) +
           ".00 bitrate= 1.0kbits/s    \r\nvideo:1kB audio:1kB global headers:0kB muxing "
           "overhead 1%\r\n";
}

QByteArray failed(const QString &input) {
    return (ShellQuote(QStringLiteral("/d/BrannockVideoConverter.exe")) + u" -i " +
            ShellQuote(input) + u" -y " + ShellQuote(u"/o/x.mp4"_s) + u'\n' + input +
            u": Unknown format\r\n")
        .toUtf8();
}

} // namespace

class TestBatchLanes : public QObject {
    Q_OBJECT

private slots:
    void filesAtOnceChoices_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("choice"); // -1: refused
        QTest::newRow("Automatic") << "Automatic" << FilesAtOnce::Automatic;
        QTest::newRow("auto, any case") << " AUTO " << FilesAtOnce::Automatic;
        QTest::newRow("one") << "1" << 1;
        QTest::newRow("eight") << "8" << 8;
        QTest::newRow("five, though the box offers none") << "5" << 5;
        QTest::newRow("nought") << "0" << -1;
        QTest::newRow("nine") << "9" << -1;
        QTest::newRow("words") << "many" << -1;
        QTest::newRow("empty") << "" << -1;
    }

    void filesAtOnceChoices() {
        QFETCH(QString, text);
        QFETCH(int, choice);
        QCOMPARE(FilesAtOnce::Parse(text).value_or(-1), choice);
        if (choice >= 0)
            QCOMPARE(FilesAtOnce::Parse(FilesAtOnce::Text(choice)), choice);
    }

    // Automatic fills every core, never more lanes than the batch has rows
    // or than eight; converters that use more cores get fewer lanes.
    void automaticRule() {
        const QList<ConversionSettings> shipped{
            settingsFor(u"PSP"_s, u"mpeg4"_s, u"320x240"_s),
            settingsFor(u"MobilePhone"_s, u"h263"_s, u"176x144"_s),
            settingsFor(u"Zune"_s, u"wmv2"_s, u"320x240"_s),
            settingsFor(u"iPod"_s, u"h264"_s, u"640x480"_s),
            settingsFor(u"iPod"_s, u"libx264"_s, u"1280x720"_s)};
        for (const ConversionSettings &settings : shipped) {
            QCOMPARE(FilesAtOnce::AutomaticLanes(settings, 1), 1);
            QCOMPARE(FilesAtOnce::AutomaticLanes(settings, 2), 2);
            int previous = 1;
            for (const int cores : {4, 8, 16, 64}) {
                const int lanes = FilesAtOnce::AutomaticLanes(settings, cores);
                QVERIFY(lanes >= previous && lanes <= std::min(cores, FilesAtOnce::MaxLanes));
                QVERIFY(FilesAtOnce::ConverterCoreUse(settings, cores) * lanes >= cores ||
                        lanes == FilesAtOnce::MaxLanes);
                previous = lanes;
            }
            QCOMPARE(FilesAtOnce::LanesFor(FilesAtOnce::Automatic, settings, 1, 8), 1);
            QCOMPARE(FilesAtOnce::LanesFor(6, settings, 4, 2), 4);
            QCOMPARE(FilesAtOnce::LanesFor(1, settings, 40, 8), 1);
        }
        const int small = FilesAtOnce::AutomaticLanes(shipped[0], 8);
        const int large = FilesAtOnce::AutomaticLanes(shipped[4], 8);
        QVERIFY2(small > large, qPrintable(QStringLiteral("%1 %2").arg(small).arg(large)));
    }

    // Names, PSP numbers and thumbnails are decided in row order, each row's
    // lines together, whatever the lanes.
    void lanesKeepTheNamesOfTheRowOrder_data() {
        QTest::addColumn<bool>("psp");
        QTest::addColumn<QStringList>("outputs");
        QTest::newRow("duplicate names") << false
                                         << QStringList{u"/out/a (2).mp4"_s, u"/out/b.mp4"_s,
                                                        u"/out/a (3).mp4"_s, u"/out/a (4).mp4"_s};
        QTest::newRow("PSP numbers and thumbnails")
            << true
            << QStringList{u"/out/M4V0007.MP4"_s, u"/out/M4V0008.MP4"_s, u"/out/M4V0009.MP4"_s,
                           u"/out/M4V0010.MP4"_s};
    }

    void lanesKeepTheNamesOfTheRowOrder() {
        QFETCH(bool, psp);
        QFETCH(QStringList, outputs);
        const QList<FileListRow> rows{row(u"a"_s, u"00:00:10"_s), row(u"b"_s, u"00:05:00"_s),
                                      row(u"a"_s, u"00:00:20"_s), row(u"a"_s, u"00:00:30"_s)};
        ConversionSettings settings =
            settingsFor(psp ? u"PSP"_s : u"iPod"_s, u"mpeg4"_s, u"320x240"_s);
        BatchOptions options;
        options.dataFolder = u"/data"_s;
        options.outputFolder = u"/out"_s;
        options.createThumbnails = psp;
        options.pspStartNumber = u"7"_s;
        const BatchCodecData codecs{{}, {}, psp ? u"MP4"_s : u"mp4"_s, {}};
        const auto taken = [](const QString &path) {
            return path == u"/out/a.mp4";
        };
        const BatchPlan oneLane = BuildBatch(settings, codecs, rows, options, taken);
        options.lanes = 2;
        const BatchPlan twoLanes = BuildBatch(settings, codecs, rows, options, taken);

        QCOMPARE(twoLanes.outputPaths, outputs);
        QCOMPARE(BatchLines(twoLanes.commands), BatchLines(oneLane.commands));
        QCOMPARE(twoLanes.lanes, 2);
        QCOMPARE(twoLanes.lineRows.mid(0, psp ? 2 : 1), QList<int>(psp ? 2 : 1, 0));
        QVERIFY(twoLanes.commands[0].line().endsWith(ShellQuote(outputs[0])));
        if (psp) // each thumbnail follows its video, beside it
            QVERIFY(twoLanes.commands[1].line().endsWith(ShellQuote(u"/out/M4V0007.thm"_s)));
        options.lanes = 8; // never more lanes than rows
        QCOMPARE(BuildBatch(settings, codecs, rows, options, taken).lanes, 4);
        const QStringList listing = BatchListing(twoLanes, u"/data"_s);
        QCOMPARE(listing.first(),
                 u"# 2 lanes (BVC.bat, BVC2.bat) take the files in order as they free up"_s);
        QCOMPARE(listing.filter(u"# File "_s),
                 (QStringList{u"# File 1 of 4"_s, u"# File 2 of 4"_s, u"# File 3 of 4"_s,
                              u"# File 4 of 4"_s}));
        QCOMPARE(listing.size(), 1 + 4 + twoLanes.commands.size());
        QCOMPARE(BatchListing(oneLane, u"/data"_s), BatchLines(oneLane.commands));
    }

    void terminalLines_data() {
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("progress redrawn, then the summary")
            << QByteArrayList{"echo\nframe=1 time=1.00\rframe=2 time=2.", "00\r\nvideo:1kB\r\n"}
            << QStringList{u"echo"_s, u"frame=2 time=2.00"_s, u"video:1kB"_s};
        QTest::newRow("a line cut anywhere")
            << QByteArrayList{"ab", "c\n", "\n", "d"} << QStringList{u"abc"_s, u"d"_s};
        QTest::newRow("a returned line left at the end")
            << QByteArrayList{"x\ry\r"} << QStringList{u"y"_s};
        QTest::newRow("a character split between chunks")
            << QByteArrayList{"caf\xc3", "\xa9\n"} << QStringList{u"café"_s};
    }

    void terminalLines() {
        QFETCH(QByteArrayList, chunks);
        QFETCH(QStringList, lines);
        TerminalLines terminal;
        QStringList seen;
        for (const QByteArray &chunk : chunks)
            seen += terminal.feed(chunk);
        seen += terminal.finish();
        QCOMPARE(seen, lines);
    }

    // The caption gives the whole batch's share in whole per cent, with one
    // lane too: it does not fall back to 0 as each file begins.
    void captionIsTheBatchsShare_data() {
        QTest::addColumn<int>("lanes");
        QTest::addColumn<int>("doneRows"); // rows converted in full, in row order
        QTest::addColumn<int>("into");     // seconds into the next row
        QTest::addColumn<QString>("percent");
        QTest::newRow("one lane, first file half way") << 1 << 0 << 5 << u"(16%)"_s;
        QTest::newRow("one lane, second file begun") << 1 << 1 << 0 << u"(33%)"_s;
        QTest::newRow("one lane, second file half way") << 1 << 1 << 5 << u"(50%)"_s;
        QTest::newRow("one lane, last file all but done") << 1 << 2 << 9 << u"(96%)"_s;
        QTest::newRow("two lanes") << 2 << 1 << 5 << u"(50%)"_s;
    }
    void captionIsTheBatchsShare() {
        QFETCH(int, lanes);
        QFETCH(int, doneRows);
        QFETCH(int, into);
        QFETCH(QString, percent);
        const QList<BatchRow> rows{
            {u"/in/r1.avi"_s, 10}, {u"/in/r2.avi"_s, 10}, {u"/in/r3.avi"_s, 10}};
        BatchProgress progress = BatchProgress::idleLanes(u"/d/BrannockVideoConverter.exe"_s,
                                                          u"/d/TrackDrop.exe"_s, rows, lanes);
        progress.startRun(0, {0, 1, 2});
        QByteArray output;
        for (int row = 0; row < doneRows; ++row)
            output += converted(rows[row].inputPath, 10);
        const QByteArray next = converted(rows[doneRows].inputPath, into);
        output += next.left(next.indexOf("\r\n")) + '\r'; // its progress, not its end
        progress.feed(0, output);
        QCOMPARE(progress.caption(), u"Converting Video Files..."_s + percent);
    }

    // Two lanes whose output interleaves: rows are followed in their own
    // lane, errors come out in row order, and the counts are the window's.
    void progressAcrossLanes() {
        const QList<BatchRow> rows{
            {u"/in/r1.avi"_s, 40}, {u"/in/r2.avi"_s, 10}, {u"/in/r3.avi"_s, 20}};
        BatchProgress progress = BatchProgress::idleLanes(u"/d/BrannockVideoConverter.exe"_s,
                                                          u"/d/TrackDrop.exe"_s, rows, 2);
        progress.startRun(0, {0, 1});
        progress.startRun(1, {2});
        QCOMPARE(progress.currentFileText(), u"Initializing..."_s);
        QCOMPARE(progress.rows()[2].lane, 1);

        progress.feed(1, failed(rows[2].inputPath));
        progress.feed(0, converted(rows[0].inputPath, 40).left(140));
        QCOMPARE(progress.laneRow(0), 0);
        QCOMPARE(progress.rows()[0].state, RowProgress::State::Converting);
        QCOMPARE(progress.currentFileText(), u"Processing Files: 0 of 3 done, 2 running..."_s);
        progress.finishLane(1);
        QCOMPARE(progress.rows()[2].state, RowProgress::State::Failed);
        QVERIFY(!progress.finished());

        progress.feed(
            0, QByteArray(converted(rows[0].inputPath, 40).mid(140) + failed(rows[1].inputPath)));
        QCOMPARE(progress.rows()[0].state, RowProgress::State::Converted);
        QCOMPARE(progress.rows()[0].secondsDone, 40);
        QCOMPARE(progress.currentFileText(), u"Processing Files: 2 of 3 done, 1 running..."_s);
        QCOMPARE(progress.totalValue(), 40 + 20);
        QCOMPARE(progress.totalMaximum(), 70);
        QCOMPARE(progress.caption(), u"Converting Video Files...(85%)"_s);

        progress.finishLane(0);
        QVERIFY(progress.finished());
        QCOMPARE(progress.currentFileText(), u"Finished!"_s);
        QCOMPARE(progress.rows()[1].state, RowProgress::State::Failed);
        QCOMPARE(progress.errors(),
                 (QStringList{u"/in/r2.avi: Unknown format"_s, u"/in/r3.avi: Unknown format"_s}));
        QCOMPARE(progress.totalValue(), progress.totalMaximum());
    }
};

QTEST_APPLESS_MAIN(TestBatchLanes)
#include "tst_batchlanes.moc"
