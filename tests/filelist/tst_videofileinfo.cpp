// Media information: how the library's answers become the row's fields, and
// the library's behaviour that the list relies on.
#include "core/filelist/FileListRow.h"
#include "core/filelist/MediaInfoDLL.h"
#include "core/filelist/TrimTimes.h"
#include "core/filelist/VideoFileInfo.h"
#include "core/filelist/VideoFileReader.h"
#include "tests/filelist/SampleFiles.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// The processes that any thread of this process started and that still run.
QStringList childProcesses() {
    QStringList children;
    const QString tasks = QStringLiteral("/proc/self/task");
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        children += QString::fromLatin1(ReadFileBytes(tasks + u'/' + task + u"/children"))
                        .split(u' ', Qt::SkipEmptyParts);
    return children;
}

} // namespace

class TestVideoFileInfo : public QObject {
    Q_OBJECT

private slots:
    void roundingRefusesNonFiniteValues() {
        QVERIFY(!RoundHalfToEven(std::numeric_limits<double>::infinity()));
        QVERIFY(!RoundHalfToEven(std::numeric_limits<double>::quiet_NaN()));
    }

    void duration_data() {
        QTest::addColumn<QString>("playTime");
        QTest::addColumn<QString>("duration");
        QTest::newRow("1500 ms rounds up to 2") << "1500"
                                                << "00:00:02";
        QTest::newRow("2500 ms ties to even 2") << "2500"
                                                << "00:00:02";
        QTest::newRow("3500 ms ties to even 4") << "3500"
                                                << "00:00:04";
        QTest::newRow("2501 ms") << "2501"
                                 << "00:00:03";
        QTest::newRow("59400 ms") << "59400"
                                  << "00:00:59";
        QTest::newRow("59500 ms ties to 60") << "59500"
                                             << "00:01:00";
        QTest::newRow("187 s") << "187000"
                               << "00:03:07";
        QTest::newRow("one hour") << "3600000"
                                  << "01:00:00";
        QTest::newRow("one hundred hours") << "360000000"
                                           << "100:00:00";
        QTest::newRow("milliseconds rounded first") << "1499.5"
                                                    << "00:00:02";
        QTest::newRow("library decimals") << "2040.000"
                                          << "00:00:02";
        QTest::newRow("blanks around") << " 1500 "
                                       << "00:00:02";
        QTest::newRow("largest 32-bit") << "2147483647"
                                        << "596:31:24";
        QTest::newRow("beyond 32 bits") << "2147483648"
                                        << "00:00:00";
        QTest::newRow("empty") << ""
                               << "00:00:00";
        QTest::newRow("not a number") << "abc"
                                      << "00:00:00";
        QTest::newRow("group separator") << "1,500"
                                         << "00:00:00";
        QTest::newRow("negative") << "-1500"
                                  << "00:00:00";
        QTest::newRow("exponent") << "1e6"
                                  << "00:16:40";
        QTest::newRow("infinity") << "inf"
                                  << "00:00:00";
    }

    void duration() {
        QFETCH(QString, playTime);
        QFETCH(QString, duration);
        MediaInfoAnswers answers;
        answers.PlayTime = playTime;
        QCOMPARE(FormatTrimTime(ConvertMediaInfoAnswers(answers).Duration), duration);
    }

    void videoSize_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("videoSize");
        QTest::newRow("plain") << "640"
                               << "480"
                               << "640x480";
        QTest::newRow("no leading zeros") << "0320"
                                          << "0240"
                                          << "320x240";
        QTest::newRow("largest 16-bit") << "32767"
                                        << "32767"
                                        << "32767x32767";
        QTest::newRow("width beyond 16 bits") << "32768"
                                              << "480"
                                              << "0x480";
        QTest::newRow("height beyond 16 bits") << "640"
                                               << "40000"
                                               << "640x0";
        QTest::newRow("no video") << ""
                                  << ""
                                  << "0x0";
        QTest::newRow("not numbers") << "wide"
                                     << "tall"
                                     << "0x0";
        QTest::newRow("fraction ties to even") << "320.5"
                                               << "241.5"
                                               << "320x242";
        // Two video streams answer with both widths run together.
        QTest::newRow("two streams") << "320640"
                                     << "240480"
                                     << "0x0";
    }

    void videoSize() {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, videoSize);
        MediaInfoAnswers answers;
        answers.Width = width;
        answers.Height = height;
        QCOMPARE(FrameSizeText(ConvertMediaInfoAnswers(answers).VideoSize), videoSize);
    }

    // The picture as displayed: pixels that are not square widen or narrow
    // the width to an even number, a quarter turn swaps the sides.
    void displayedSize_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("pixelAspect");
        QTest::addColumn<QString>("rotation");
        QTest::addColumn<QString>("videoSize");
        const auto row = [](const char *name, const char *w, const char *h, const char *aspect,
                            const char *turn, const char *size) {
            QTest::newRow(name) << w << h << aspect << turn << size;
        };
        row("square, unturned, odd width kept", "321", "241", "1.000", "0.000", "321x241");
        row("neither answered", "321", "241", "", "", "321x241");
        row("NTSC DVD at 16:9", "720", "480", "1.185", "", "854x480");
        row("PAL DVD at 4:3", "720", "576", "1.067", "", "768x576");
        row("HDV: narrow pixels", "1440", "1080", "1.333", "", "1920x1080");
        row("half a pair ties down to even", "14", "10", "1.5", "", "20x10");
        row("half a pair ties up to even", "10", "10", "1.5", "", "16x10");
        row("pixels taller than wide", "720", "480", "0.889", "", "640x480");
        row("turned 90", "320", "240", "1.000", "90.000", "240x320");
        row("turned 270", "320", "240", "", "270.000", "240x320");
        row("turned -90", "320", "240", "", "-90", "240x320");
        row("turned 180", "320", "240", "", "180.000", "320x240");
        row("turned a full circle and a quarter", "320", "240", "", "450", "240x320");
        row("anamorphic and turned", "720", "480", "1.185", "270.000", "480x854");
        row("widened beyond 16 bits", "30000", "100", "1.5", "", "0x100");
        row("aspect not a number", "320", "240", "wide", "", "320x240");
        row("aspect zero", "320", "240", "0", "", "320x240");
        row("aspect negative", "320", "240", "-2", "", "320x240");
        row("rotation not a number", "320", "240", "", "sideways", "320x240");
        row("two streams' rotations run together", "320", "240", "", "90.00090.000", "320x240");
        row("turned, no size", "", "", "", "90", "0x0");
    }

    void displayedSize() {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, pixelAspect);
        QFETCH(QString, rotation);
        QFETCH(QString, videoSize);
        MediaInfoAnswers answers;
        answers.Width = width;
        answers.Height = height;
        answers.PixelAspectRatio = pixelAspect;
        answers.Rotation = rotation;
        QCOMPARE(FrameSizeText(ConvertMediaInfoAnswers(answers).VideoSize), videoSize);
    }

    // Rows that would read the same are told apart by their extensions.
    void namesApart_data() {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("different names")
            << QStringList{u"/v/a.mov"_s, u"/v/b.webm"_s} << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("one name, two kinds")
            << QStringList{u"/v/plain.mov"_s, u"/v/plain.webm"_s, u"/v/other.mp4"_s}
            << QStringList{u"plain.mov"_s, u"plain.webm"_s, u"other"_s};
        QTest::newRow("the same file twice")
            << QStringList{u"/v/a.mov"_s, u"/v/a.mov"_s} << QStringList{u"a"_s, u"a"_s};
        QTest::newRow("one without an extension") << QStringList{u"/v/plain"_s, u"/v/plain.avi"_s}
                                                  << QStringList{u"plain"_s, u"plain.avi"_s};
        QTest::newRow("no name known")
            << QStringList{u"/v/x.mov"_s, u"/w/.mov"_s} << QStringList{u"x"_s, QString()};
    }
    void namesApart() {
        QFETCH(QStringList, paths);
        QFETCH(QStringList, names);
        QList<FileListRow> rows;
        for (const QString &path : paths) {
            rows.append(FileListRow{});
            rows.last().Filepath = path;
            rows.last().Filename = QFileInfo(path).completeBaseName();
        }
        QCOMPARE(NamesApart(rows), names);
    }

    void codecAndName_data() {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *codec, const char *format,
                            const char *expected) {
            QTest::newRow(name) << codec << format << expected;
        };
        // Rows of the containers that name codecs well keep their text.
        row("known", "XVID", "", "XVID");
        row("MP4 with H.264", "AVC", "AVC", "AVC");
        // FourCCs and the library's short names become the common names.
        row("AVI with MPEG-4", "FMP4", "MPEG-4 Visual", "MPEG-4 Visual");
        row("MP4 with MPEG-4", "MPEG-4V", "MPEG-4 Visual", "MPEG-4 Visual");
        row("MPEG-2 program stream", "MPEG-2V", "MPEG Video", "MPEG-2 Video");
        row("MPEG-1 program stream", "MPEG-1V", "MPEG Video", "MPEG-1 Video");
        row("AVI with MPEG-2", "mpg2", "MPEG Video", "MPEG-2 Video");
        row("empty is unknown", "", "AVC", "UNKNOWN");
        row("blank is kept", " ", "", " ");
        // Matroska and WebM name the codec by the container's identifier.
        row("Matroska H.264", "V_MPEG4/ISO/AVC", "AVC", "AVC");
        row("Matroska HEVC", "V_MPEGH/ISO/HEVC", "HEVC", "HEVC");
        row("WebM VP8", "V_VP8", "VP8", "VP8");
        row("WebM VP9", "V_VP9", "VP9", "VP9");
        row("Matroska AV1", "V_AV1", "AV1", "AV1");
        row("Matroska MPEG-2", "V_MPEG2", "MPEG Video", "MPEG-2 Video");
        row("Matroska MPEG-1", "V_MPEG1", "MPEG Video", "MPEG-1 Video");
        row("Matroska MPEG-4", "V_MPEG4/ISO/ASP", "MPEG-4 Visual", "MPEG-4 Visual");
        row("Matroska Theora", "V_THEORA", "Theora", "Theora");
        row("other identifier: the format", "V_REAL/RV40", "RealVideo 4", "RealVideo 4");
        row("other identifier, no format", "V_MJPEG", "V_MJPEG", "MJPEG");
        row("just the prefix", "V_", "", "V_");
        // MP4 sample entries that the library passes on.
        row("MP4 AV1", "av01", "AV1", "AV1");
        row("MP4 VP9", "vp09", "vp09", "VP9");
    }

    void codecAndName() {
        QFETCH(QString, codec);
        QFETCH(QString, format);
        QFETCH(QString, expected);
        MediaInfoAnswers answers;
        answers.FileName = QStringLiteral("holiday");
        answers.Codec = codec;
        answers.Format = format;
        const VideoFileInfo info = ConvertMediaInfoAnswers(answers);
        QCOMPARE(info.Codec, expected);
        QCOMPARE(info.Filename, QStringLiteral("holiday"));
    }

    void holdsVideoOrAudio_data() {
        QTest::addColumn<QString>("videoCount");
        QTest::addColumn<QString>("audioCount");
        QTest::addColumn<bool>("holds");
        QTest::newRow("video and sound") << "1"
                                         << "1" << true;
        QTest::newRow("sound alone") << ""
                                     << "1" << true;
        QTest::newRow("two videos") << "2"
                                    << "" << true;
        QTest::newRow("neither") << ""
                                 << "" << false;
        QTest::newRow("zero of each") << "0"
                                      << "0" << false;
        QTest::newRow("not numbers") << "x"
                                     << "y" << false;
    }

    void holdsVideoOrAudio() {
        QFETCH(QString, videoCount);
        QFETCH(QString, audioCount);
        QFETCH(bool, holds);
        MediaInfoAnswers answers;
        answers.VideoCount = videoCount;
        answers.AudioCount = audioCount;
        QCOMPARE(ConvertMediaInfoAnswers(answers).HoldsVideoOrAudio, holds);
    }

    // What the library answers for real files: turned, anamorphic and
    // Matroska pictures as displayed, and only media holds video or sound.
    void realFiles() {
        QTemporaryDir folder;
        const QString dir = folder.path();
        const QList<std::tuple<QString, QString, QString, bool>> cases{
            {SampleFiles::makeRotatedMp4(dir, 90), u"AVC"_s, u"288x352"_s, true},
            {SampleFiles::makeRotatedMp4(dir, 180), u"AVC"_s, u"352x288"_s, true},
            {SampleFiles::makeAnamorphicMpeg(dir), u"MPEG-2 Video"_s, u"854x480"_s, true},
            {SampleFiles::makeAnamorphicMkv(dir), u"AVC"_s, u"426x240"_s, true},
            {SampleFiles::makeMp3(dir), u"UNKNOWN"_s, u"0x0"_s, true},
            {SampleFiles::makeTextAsAvi(dir), u"UNKNOWN"_s, u"0x0"_s, false},
            {SampleFiles::makeEmpty(dir), u"UNKNOWN"_s, u"0x0"_s, false},
            {folder.filePath(u"gone.avi"_s), u"UNKNOWN"_s, u"0x0"_s, false}};
        for (const auto &[path, codec, size, holds] : cases) {
            const VideoFileInfo info = ExamineVideoFile(path);
            QCOMPARE(info.Codec, codec);
            QCOMPARE(FrameSizeText(info.VideoSize), size);
            QCOMPARE(info.HoldsVideoOrAudio, holds);
        }
    }

    // The library keeps its report template for the whole process; the
    // full report and the row's queries must not spoil each other.
    void reportAndQueriesDoNotDisturbEachOther() {
        QTemporaryDir folder;
        const QString avi = SampleFiles::makeMpeg4Avi(folder.path());
        const VideoFileInfo before = ExamineVideoFile(avi);
        QCOMPARE(before.Codec, QStringLiteral("MPEG-4 Visual"));

        const QString report = MediaInfoReport(avi);
        QVERIFY2(report.contains(u"Audio Video Interleave"), qPrintable(report.left(400)));
        QVERIFY(report.contains(u"320 pixels"));
        QVERIFY(report.count(u'\n') > 20);

        QCOMPARE(ExamineVideoFile(avi), before);
        QCOMPARE(MediaInfoReport(avi), report);
    }

    // The library opens files through the C library's locale; names that
    // are not ASCII must open whatever locale the program was started in.
    void oddNamesOpenInAnyLocale_data() {
        QTest::addColumn<QByteArray>("locale");
        QTest::newRow("C") << QByteArray("C");
        QTest::newRow("C.UTF-8") << QByteArray("C.UTF-8");
    }

    void oddNamesOpenInAnyLocale() {
        QFETCH(QByteArray, locale);
        QTemporaryDir folder;
        const QString odd = SampleFiles::makeOddlyNamed(folder.path());
        const QByteArray previous = setlocale(LC_ALL, nullptr);
        QVERIFY(setlocale(LC_ALL, locale.constData()));
        const VideoFileInfo info = ExamineVideoFile(odd);
        const QString report = MediaInfoReport(odd);
        setlocale(LC_ALL, previous.constData());
        QCOMPARE(info.Filename, QFileInfo(odd).completeBaseName());
        QCOMPARE(info.VideoSize, QSize(160, 120));
        QCOMPARE(info.Duration, 2);
        QVERIFY(report.contains(QFileInfo(odd).fileName()));
    }

    // Many files on several threads, while the full report is asked on this
    // one: every row as one thread alone reads it, in the order given; a
    // stopped reader finishes the files begun and begins no other. The
    // threads read in this process or each through a reading process; one
    // that cannot be started leaves the thread to read itself, and a file on
    // which the process fails is unreadable. No reading process outlives its
    // reader.
    void readingOnSeveralThreads_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("readable");
        QTest::newRow("in this process") << QString() << true;
        QTest::newRow("in reading processes")
            << TestPaths::appDir() + QStringLiteral("/Components/MediaInfoReader.exe") << true;
        QTest::newRow("reading program missing")
            << TestPaths::appDir() + QStringLiteral("/Components/gone.exe") << true;
        QTest::newRow("reading processes that fail on every file")
            << QStringLiteral("failing reader") << false;
    }

    void readingOnSeveralThreads() {
        QFETCH(QString, program);
        QFETCH(bool, readable);
        QTemporaryDir folder;
        if (program == QStringLiteral("failing reader")) {
            program = folder.filePath(QStringLiteral("failing-reader"));
            QVERIFY(WriteFileBytes(program, "#!/bin/sh\nprintf 'ready\\0'\n"));
            QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
        }
        const QStringList kinds{
            SampleFiles::makeMpeg4Avi(folder.path()),   SampleFiles::makeH264Mp4(folder.path()),
            SampleFiles::makeMp3(folder.path()),        SampleFiles::makeTextAsAvi(folder.path()),
            SampleFiles::makeOddlyNamed(folder.path()), folder.filePath(QStringLiteral("gone.avi")),
            SampleFiles::makeRotatedMp4(folder.path())};
        QStringList paths;
        QList<VideoFileInfo> expected;
        for (int i = 0; i < 240; ++i) {
            paths << kinds[i % kinds.size()];
            if (i < kinds.size())
                expected << ExamineVideoFile(readable ? kinds[i] : QString());
        }
        // The turned picture comes back turned through a reading process too.
        QCOMPARE(expected.last().VideoSize, readable ? QSize(288, 352) : QSize(0, 0));
        {
            VideoFileReader reader(paths, 4, program);
            for (int i = 0; i < paths.size(); ++i) {
                if (i % 40 == 0)
                    QVERIFY(MediaInfoReport(kinds[0]).contains(u"320 pixels"));
                QCOMPARE(reader.waitFor(i), expected[i % kinds.size()]);
            }
        }
        QCOMPARE(childProcesses(), QStringList());

        // Readers that start their workers together on a list the caller
        // still holds, again and again.
        for (int i = 0; i < (program.isEmpty() ? 300 : 10); ++i) {
            const QStringList two = kinds.mid(3, 2);
            VideoFileReader pair(two, 2, program);
            QCOMPARE(pair.waitFor(1), expected[4]);
        }

        VideoFileReader stopped(paths, 2, program);
        stopped.stop();
        const qsizetype begun = stopped.begun();
        QVERIFY(begun < paths.size() / 2);
        for (qsizetype i = 0; i < begun; ++i)
            QVERIFY(stopped.waitFor(i).has_value());
        QVERIFY(!stopped.waitFor(begun).has_value());
        QCOMPARE(stopped.begun(), begun);
    }

    void reportOfAMissingFileIsEmpty() {
        QTemporaryDir folder;
        QVERIFY(MediaInfoReport(folder.filePath(QStringLiteral("gone.avi"))).isEmpty());
        const MediaInfoAnswers answers =
            QueryMediaInfo(folder.filePath(QStringLiteral("gone.avi")));
        QVERIFY(answers.FileName.isEmpty());
        QVERIFY(answers.Codec.isEmpty());
        QVERIFY(answers.PlayTime.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestVideoFileInfo)
#include "tst_videofileinfo.moc"
