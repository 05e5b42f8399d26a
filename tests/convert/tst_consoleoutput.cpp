// Following a batch's console output: current file, progress, errors. The
// transcripts are what "sh -v" and the converter print.
#include "core/convert/BatchProgress.h"
#include "core/convert/ConsoleLineSplitter.h"
#include "core/convert/ConversionProgress.h"
#include "core/convert/ShellQuote.h"
#include "core/platform/PathBytes.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString Data = QStringLiteral("/home/u/.config/Brannock Software/Mobivert");
const QString Converter = Data + u"/BrannockVideoConverter.exe";
const QString TrackDrop = Data + u"/TrackDrop.exe";

QByteArray echoOf(const QString &input, const QString &output,
                  const QString &options = QStringLiteral("-vcodec mpeg4 -s 320x240")) {
    return (ShellQuote(Converter) + u" -i " + ShellQuote(input) + u' ' + options + u" -y " +
            ShellQuote(output) + u'\n')
        .toUtf8();
}

// The shell echoes a name's own bytes, which need not be UTF-8.
QByteArray echoOfBytes(const QString &input, const QString &output) {
    return PathToBytes(ShellQuote(Converter) + u" -i " + ShellQuote(input) +
                       u" -vcodec mpeg4 -s 320x240 -y " + ShellQuote(output) + u'\n');
}

QByteArray thumbnailEchoOf(const QString &input, const QString &output) {
    return (ShellQuote(Converter) + u" -i " + ShellQuote(input) +
            u" -f image2 -ss 5 -vframes 1 -s 160x120 -an -y " + ShellQuote(output) + u'\n')
        .toUtf8();
}

QByteArray progress(int seconds) {
    return "frame=  100 fps= 25 q=2.0 size=     100kB time=" + QByteArray::number(seconds) +
           ".48 bitrate= 800.0kbits/s    \r";
}

const QByteArray Summary = "video:100kB audio:20kB global headers:0kB muxing overhead 1.0%\r\n";

QByteArray success(int seconds) {
    QByteArray text = "  Duration: 00:00:10.00, start: 0.000000, bitrate: 900 kb/s\r\n";
    for (int s = 1; s <= seconds; ++s)
        text += progress(s);
    return text + "\n" + Summary;
}

// Feeds the transcript in chunks of the given size (0: whole).
ConversionProgress run(const QList<BatchRow> &rows, const QByteArray &transcript, int chunk = 0,
                       bool finish = true) {
    ConversionProgress model(Converter, TrackDrop, rows);
    if (chunk <= 0) {
        model.feed(transcript);
    } else {
        for (qsizetype at = 0; at < transcript.size(); at += chunk)
            model.feed(QByteArrayView(transcript)
                           .sliced(at, std::min<qsizetype>(chunk, transcript.size() - at)));
    }
    if (finish)
        model.finish();
    return model;
}

} // namespace

class TestConsoleOutput : public QObject {
    Q_OBJECT

private slots:
    void splitterCutsAtCarriageReturnsAndLineFeeds() {
        ConsoleLineSplitter splitter;
        QCOMPARE(splitter.feed("ab"), QList<QString>());
        QCOMPARE(splitter.feed("c\rde\r\nf"),
                 (QList<QString>{QStringLiteral("abc"), QStringLiteral("de")}));
        QCOMPARE(splitter.feed("\xc3"), QList<QString>()); // half a character waits
        QCOMPARE(splitter.feed("\xa9\n"), QList<QString>{QString::fromUtf8("f\xc3\xa9")});
        QCOMPARE(splitter.finish(), QList<QString>());
        splitter.feed("tail");
        QCOMPARE(splitter.finish(), QList<QString>{QStringLiteral("tail")});
    }

    void chunkingNeverChangesTheResult_data() {
        QTest::addColumn<int>("chunk");
        for (int size : {1, 2, 3, 5, 7, 13, 64, 0})
            QTest::newRow(qPrintable(QStringLiteral("chunk %1").arg(size))) << size;
    }

    void chunkingNeverChangesTheResult() {
        QFETCH(int, chunk);
        const QList<BatchRow> rows{{QStringLiteral("/v/a.avi"), 10},
                                   {QStringLiteral("/v/b.avi"), 20},
                                   {QStringLiteral("/v/c.avi"), 0}};
        const QByteArray transcript =
            echoOf(rows[0].inputPath, QStringLiteral("/o/a.mp4")) + success(10) +
            echoOf(rows[1].inputPath, QStringLiteral("/o/b.mp4")) + "/v/b.avi: Unknown format\r\n" +
            echoOf(rows[2].inputPath, QStringLiteral("/o/c.mp4")) + success(3);
        const ConversionProgress whole = run(rows, transcript);
        const ConversionProgress pieces = run(rows, transcript, chunk);
        QCOMPARE(pieces.errorMessages(), whole.errorMessages());
        QCOMPARE(pieces.currentFile(), whole.currentFile());
        QCOMPARE(pieces.status(), whole.status());
        QCOMPARE(pieces.caption(), whole.caption());
        QCOMPARE(whole.errorMessages(), QStringLiteral("-/v/b.avi: Unknown format\r\n"));
        QCOMPARE(whole.currentFile(), 3);
    }

    void followsFilesAndProgress() {
        const QList<BatchRow> rows{{QStringLiteral("/v/a.avi"), 40},
                                   {QStringLiteral("/v/b.avi"), 8},
                                   {QStringLiteral("/v/c.avi"), 12}};
        ConversionProgress model(Converter, TrackDrop, rows);
        QCOMPARE(model.currentFileText(), QStringLiteral("Initializing..."));
        QCOMPARE(model.totalMaximum(), 4);
        QCOMPARE(model.currentMaximum(), 100);

        model.feed(echoOf(rows[0].inputPath, QStringLiteral("/o/a.mp4")));
        QCOMPARE(model.currentFileText(), QStringLiteral("Processing File: 1 of 3..."));
        QCOMPARE(model.totalValue(), 1);
        QCOMPARE(model.currentMaximum(), 40);
        QCOMPARE(model.currentValue(), 0);

        model.feed(progress(10));
        QCOMPARE(model.currentValue(), 10);
        QCOMPARE(model.caption(), QStringLiteral("Converting Video Files...(25%)"));
        QCOMPARE(model.status(), QString::fromLatin1(progress(10)).trimmed());
        model.feed(progress(5).chopped(1)); // no line end yet: nothing changes
        QCOMPARE(model.currentValue(), 10);
        model.feed(QByteArray("\n" + Summary)); // a file's bar never goes back
        QCOMPARE(model.currentValue(), 10);
        QCOMPARE(model.caption(), QStringLiteral("Converting Video Files...(25%)"));

        model.feed(echoOf(rows[1].inputPath, QStringLiteral("/o/b.mp4")));
        QCOMPARE(model.totalValue(), 2);
        QCOMPARE(model.currentMaximum(), 8);
        // Beyond the length: the bar stays full and the caption keeps its value.
        model.feed(progress(9));
        QCOMPARE(model.currentValue(), 8);
        QCOMPARE(model.caption(), QStringLiteral("Converting Video Files...(25%)"));
        model.feed(Summary);

        model.feed(QByteArray(echoOf(rows[2].inputPath, QStringLiteral("/o/c.mp4")) + progress(4) +
                              "\n" + Summary));
        QCOMPARE(model.totalValue(), 3);
        QCOMPARE(model.caption(), QStringLiteral("Converting Video Files...(33.33%)"));

        model.finish();
        QCOMPARE(model.totalValue(), 4);
        QCOMPARE(model.currentValue(), model.currentMaximum());
        QCOMPARE(model.currentFileText(), QStringLiteral("Finished!"));
        QCOMPARE(model.caption(), QStringLiteral("Converting Video Files...Finished!"));
        QCOMPARE(model.errorMessages(), QString());
    }

    // A copy is told by the converter's own line; the row shows it only when
    // it ends converted.
    void copiedRowsAreShownAsCopies() {
        const QList<BatchRow> rows{{QStringLiteral("/v/a.mp4"), 10},
                                   {QStringLiteral("/v/b.mp4"), 10},
                                   {QStringLiteral("/v/c.mp4"), 10}};
        BatchProgress batch(Converter, TrackDrop, rows);
        batch.feed(0,
                   QByteArray(echoOf(rows[0].inputPath, QStringLiteral("/o/a.m4v")) +
                              "Copied (already suits the device); cut at key frames: 00:00:04.800 "
                              "to 00:00:11.000\n" +
                              success(3)));
        batch.feed(0,
                   QByteArray(echoOf(rows[1].inputPath, QStringLiteral("/o/b.m4v")) + success(3)));
        batch.feed(
            0,
            QByteArray(echoOf(rows[2].inputPath, QStringLiteral("/o/c.m4v")) +
                       "Copied (already suits the device)\n/v/c.mp4: No space left on device\n"));
        batch.finishLane(0);
        QCOMPARE(RowStatusText(batch.rows()[0]),
                 QStringLiteral("Copied (already suits the device)"));
        QCOMPARE(batch.rows()[0].copyNote,
                 QStringLiteral("cut at key frames: 00:00:04.800 to 00:00:11.000"));
        QCOMPARE(RowStatusText(batch.rows()[1]), QStringLiteral("Converted"));
        QCOMPARE(RowStatusText(batch.rows()[2]), QStringLiteral("Failed"));
    }

    void unknownLengthKeepsThePreviousMaximum() {
        const QList<BatchRow> rows{{QStringLiteral("/v/zero.avi"), 0},
                                   {QStringLiteral("/v/b.avi"), 30},
                                   {QStringLiteral("/v/zero2.avi"), 0}};
        ConversionProgress model(Converter, TrackDrop, rows);
        model.feed(echoOf(rows[0].inputPath, QStringLiteral("/o/a.mp4")));
        QCOMPARE(model.currentMaximum(), 100);
        model.feed(echoOf(rows[1].inputPath, QStringLiteral("/o/b.mp4")));
        QCOMPARE(model.currentMaximum(), 30);
        model.feed(echoOf(rows[2].inputPath, QStringLiteral("/o/c.mp4")));
        QCOMPARE(model.currentMaximum(), 30);
    }

    void percentage_data() {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<qint64>("maximum");
        QTest::addColumn<QString>("expected");
        QTest::newRow("quarter") << qint64(10) << qint64(40) << "25";
        QTest::newRow("half a percent") << qint64(1) << qint64(8) << "12.5";
        QTest::newRow("third") << qint64(1) << qint64(3) << "33.33";
        QTest::newRow("two thirds") << qint64(2) << qint64(3) << "66.67";
        QTest::newRow("all") << qint64(7) << qint64(7) << "100";
        QTest::newRow("none") << qint64(0) << qint64(9) << "0";
        QTest::newRow("small share") << qint64(1) << qint64(7000) << "0.01";
    }

    void percentage() {
        QFETCH(qint64, value);
        QFETCH(qint64, maximum);
        QFETCH(QString, expected);
        QCOMPARE(ConversionProgress::percentage(value, maximum), expected);
    }

    void errors_data() {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QString>("expected");
        QTest::newRow("input error") << QByteArray("/v/a.avi: no such file or directory\r\n")
                                     << "-/v/a.avi: no such file or directory\r\n";
        QTest::newRow("scaler error")
            << QByteArray("swScaler: Unknown format is not supported\r\n" + Summary)
            << "-swScaler: Unknown format is not supported\r\n";
        QTest::newRow("path with nothing after the colon")
            << QByteArray("/v/a.avi:") << "-/v/a.avi: unknown error\r\n";
        QTest::newRow("no summary: reported with the last message")
            << QByteArray("Unknown encoder 'libfoo'\r\n")
            << "-/v/a.avi: Unknown encoder 'libfoo'\r\n";
        QTest::newRow("crash after progress")
            << QByteArray(progress(1) + progress(2)) << "-/v/a.avi: conversion failed\r\n";
        QTest::newRow("success") << success(3) << "";
    }

    void errors() {
        QFETCH(QByteArray, output);
        QFETCH(QString, expected);
        const QList<BatchRow> rows{{QStringLiteral("/v/a.avi"), 10}};
        const ConversionProgress model =
            run(rows, echoOf(rows[0].inputPath, QStringLiteral("/o/a.mp4")) + output);
        QCOMPARE(model.errorMessages(), expected);
    }

    // A name that is no UTF-8 is matched by its bytes: the error is the
    // row's, and the second row's echo starts the second row.
    void aNameThatIsNoUtf8IsMatched() {
        const QByteArray bytes("/v/caf\xe9.avi");
        const QList<BatchRow> rows{{PathFromBytes(bytes), 10}, {QStringLiteral("/v/b.avi"), 10}};
        const ConversionProgress model =
            run(rows, echoOfBytes(rows[0].inputPath, QStringLiteral("/o/a.mp4")) + success(2) +
                          bytes + ": converted, but the source ends early\r\n" +
                          echoOf(rows[1].inputPath, QStringLiteral("/o/b.mp4")) + success(1));
        QCOMPARE(model.errorMessages(),
                 u'-' + rows[0].inputPath + u": converted, but the source ends early\r\n");
        QCOMPARE(model.currentFile(), 2);
    }

    void errorsBeforeTheFirstFileAreIgnored() {
        const QList<BatchRow> rows{{QStringLiteral("/v/a.avi"), 10}};
        const ConversionProgress model =
            run(rows, "/v/a.avi: stray\r\n" +
                          echoOf(rows[0].inputPath, QStringLiteral("/o/a.mp4")) + success(2));
        QCOMPARE(model.errorMessages(), QString());
    }

    void thumbnailEchoDoesNotAdvance() {
        const QList<BatchRow> rows{{QStringLiteral("/v/a.avi"), 10},
                                   {QStringLiteral("/v/b.avi"), 10}};
        const QByteArray transcript =
            echoOf(rows[0].inputPath, QStringLiteral("/o/M4V0001.MP4"),
                   QStringLiteral("-f psp -vcodec mpeg4")) +
            success(2) + thumbnailEchoOf(rows[0].inputPath, QStringLiteral("/o/M4V0001.thm")) +
            success(1);
        const ConversionProgress model = run(rows, transcript, 0, false);
        QCOMPARE(model.currentFile(), 1);
        // A file name that reads like the thumbnail options stays a conversion.
        const QList<BatchRow> tricky{{QStringLiteral("/v/-f image2 x.avi"), 10}};
        const ConversionProgress named = run(
            tricky, echoOf(tricky[0].inputPath, QStringLiteral("/o/x.mp4")) + success(1), 0, false);
        QCOMPARE(named.currentFile(), 1);
    }

    void thumbnailFailureIsListed() {
        const QList<BatchRow> rows{{QStringLiteral("/v/a.avi"), 3}};
        const QByteArray transcript =
            echoOf(rows[0].inputPath, QStringLiteral("/o/a.MP4")) + success(2) +
            thumbnailEchoOf(rows[0].inputPath, QStringLiteral("/o/a.thm")) +
            "/v/a.avi: Error while opening file\r\n";
        QCOMPARE(run(rows, transcript).errorMessages(),
                 QStringLiteral("-/v/a.avi: Error while opening file\r\n"));
    }

    // What the hand-off tool and the shell print after a conversion: the
    // file counts as handed off only when TrackDrop said it is done.
    void handOffIsDoneOnlyWhenTrackDropSaysSo_data() {
        QTest::addColumn<bool>("converted"); // the conversion before it succeeded
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<bool>("handedOff");
        QTest::addColumn<QString>("errors");
        const QString cut = u"-TrackDrop: /o/a.mp4: its hand-off ended before it was done"_s;
        const QString full = u"-TrackDrop: cannot write /home/u/Music/Mobivert.m3u8\r\n"_s;
        QTest::newRow("done") << true << QByteArray("TrackDrop done\n") << true << QString();
        QTest::newRow("failed") << true
                                << QByteArray("TrackDrop: cannot write /home/u/Music/"
                                              "Mobivert.m3u8\n")
                                << false << full;
        for (const char *shell : {"Killed", "Terminated", "Segmentation fault (core dumped)"})
            QTest::addRow("%s", shell)
                << true << QByteArray(shell) + '\n'
                << false << cut + u" (" + QLatin1StringView(shell) + u")\r\n";
        QTest::newRow("cut off without a word") << true << QByteArray() << false << cut + u"\r\n";
        QTest::newRow("ended after it said done")
            << true << QByteArray("TrackDrop done\nTerminated\n") << true << QString();
        QTest::newRow("crashed after saying why")
            << true
            << QByteArray("TrackDrop: cannot write /home/u/Music/Mobivert.m3u8\n"
                          "Segmentation fault\n")
            << false << full;
        QTest::newRow("no file after a failed conversion")
            << false << QByteArray() << false << u"-/v/a.avi: conversion failed\r\n"_s;
    }

    void handOffIsDoneOnlyWhenTrackDropSaysSo() {
        QFETCH(bool, converted);
        QFETCH(QByteArray, output);
        QFETCH(bool, handedOff);
        QFETCH(QString, errors);
        const QList<BatchRow> rows{{u"/v/a.avi"_s, 3}, {u"/v/b.avi"_s, 3}};
        const QByteArray transcript = echoOf(rows[0].inputPath, u"/o/a.mp4"_s) +
                                      (converted ? success(2) : progress(1)) +
                                      (ShellQuote(TrackDrop) + u" '/o/a.mp4'\n").toUtf8() + output;
        // Ended by the next file's echo, or by the end of the output.
        for (const QByteArray &next : {echoOf(rows[1].inputPath, u"/o/b.mp4"_s), QByteArray()}) {
            const ConversionProgress model = run(rows, transcript + next);
            QCOMPARE(model.handedOff(), handedOff ? QList<int>{1} : QList<int>());
            QString firstFile;
            for (qsizetype k = 0; k < model.errors().size(); ++k) {
                if (model.errorFiles()[k] == 1)
                    firstFile += u'-' + model.errors()[k] + u"\r\n";
            }
            QCOMPARE(firstFile, errors);
        }
    }

    void hostileNamesNeitherStartFilesNorHideErrors() {
        // A file named like the converter: its error line is no echo.
        const QList<BatchRow> rows{{QStringLiteral("/v/BrannockVideoConverter.exe.avi"), 10},
                                   {QString::fromUtf8("/v/two\nlines 'q' \xc3\xa9.avi"), 10}};
        const QByteArray transcript = echoOf(rows[0].inputPath, QStringLiteral("/o/a.mp4")) +
                                      "/v/BrannockVideoConverter.exe.avi: Unknown format\r\n" +
                                      echoOf(rows[1].inputPath, QStringLiteral("/o/b.mp4")) +
                                      success(2);
        for (int chunk : {0, 1, 4}) {
            const ConversionProgress model = run(rows, transcript, chunk, false);
            QCOMPARE(model.currentFile(), 2);
            QCOMPARE(model.errorMessages(),
                     QStringLiteral("-/v/BrannockVideoConverter.exe.avi: Unknown format\r\n"));
        }
    }

    void moreEchoesThanRowsDoNotOverrun() {
        const QList<BatchRow> rows{{QStringLiteral("/v/a.avi"), 10}};
        const ConversionProgress model =
            run(rows, echoOf(rows[0].inputPath, QStringLiteral("/o/a.mp4")) + success(1) +
                          echoOf(QStringLiteral("/v/extra.avi"), QStringLiteral("/o/x.mp4")) +
                          success(1));
        QCOMPARE(model.currentFile(), 1);
        QCOMPARE(model.errorMessages(), QString());
    }
};

QTEST_APPLESS_MAIN(TestConsoleOutput)
#include "tst_consoleoutput.moc"
