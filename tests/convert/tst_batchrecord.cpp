// What lets a batch be watched and taken up again, the pure parts and the
// record on disk: the record's text, a spoilt
// record set aside, and the hidden working files of unconverted rows.
#include "core/convert/BatchProgress.h"
#include "core/convert/BatchRecord.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

BatchRecord sampleRecord(const QString &outputFolder) {
    BatchRecord record;
    record.settings.device = QStringLiteral("PSP");
    record.settings.videoCodec = QStringLiteral("h264");
    record.settings.videoSize = QSize(400, 240); // a custom size
    record.settings.videoSizePosition = -1;
    record.settings.keepAspectRatio = 2;
    record.settings.twoPass = 1;
    record.settings.deinterlace = Deinterlace::Never;
    record.settings.burnSubtitles = 1;
    record.fitBytes = 5000000000; // 5 GB, beyond 32 bits
    record.profile = QStringLiteral("Custom");
    record.outputFolder = outputFolder;
    record.createThumbnails = true;
    record.pspStartNumber = QStringLiteral("12");
    record.filesAtOnce = 0;
    for (const QString &name : {u"a"_qs, u"b \u00e9\"x"_qs, u"c"_qs}) {
        FileListRow row{name,
                        QStringLiteral("XVID"),
                        60,
                        QSize(640, 480),
                        {},
                        {},
                        u"/in/" + name + u".avi",
                        {},
                        {},
                        {}};
        if (name == u"a") {
            row.AudioTrack = QStringLiteral("2");
            row.SubtitleTrack = QStringLiteral("fra");
            row.Media = {MediaKind::TvShow, QStringLiteral("T"), QStringLiteral("S"), 0, 12};
        }
        if (name == u"c")
            row.Media.title = QStringLiteral("Only a title");
        if (name == u"c") {
            row.BeginTime = 10;
            row.EndTime = 20;
        }
        record.rows.append(row);
        record.outputPaths.append(outputFolder + u'/' + name + u".m4v");
    }
    record.converted = {true, false, false};
    record.handedOff = {true, false, false};
    return record;
}

} // namespace

class TestBatchRecord : public QObject {
    Q_OBJECT

private slots:
    void endNotice_data() {
        QTest::addColumn<QList<int>>("figures"); // converted, failed, total, cancelled
        QTest::addColumn<QString>("text");
        QTest::newRow("all") << QList<int>{5, 0, 5, 0} << "All 5 files converted";
        QTest::newRow("one") << QList<int>{1, 0, 1, 0} << "1 file converted";
        QTest::newRow("one failed") << QList<int>{4, 1, 5, 0} << "4 of 5 files converted, 1 failed";
        QTest::newRow("none") << QList<int>{0, 1, 1, 0} << "0 of 1 file converted, 1 failed";
        QTest::newRow("cancelled") << QList<int>{2, 0, 5, 1} << "Conversion cancelled";
    }

    void endNotice() {
        QFETCH(QList<int>, figures);
        QFETCH(QString, text);
        QCOMPARE(BatchEndNotice(figures[0], figures[1], figures[2], figures[3] == 1), text);
    }

    void recordReadsBackWhole() {
        const BatchRecord record = sampleRecord(QStringLiteral("/out"));
        const std::optional<BatchRecord> read = ParseBatchRecord(BatchRecordText(record));
        QVERIFY(read);
        QVERIFY(*read == record);
        QCOMPARE(read->unconvertedCount(), 2);
        QCOMPARE(read->unconvertedRows().value(1).BeginTime, 10);
        QCOMPARE(InterruptedBatchQuestion(record),
                 QStringLiteral("The last conversion was interrupted: 2 of 3 files were not "
                                "converted. Add them to the list again?"));
    }

    // The row's times and size as the list shows them and the record keeps
    // them: read as numbers and written back as they were.
    void rowTextsReadBackUnchanged_data() {
        QTest::addColumn<QStringList>("texts");     // duration, size, begin, end
        QTest::addColumn<QList<qint64>>("numbers"); // seconds, width, height, begin, end; -1: unset
        QTest::newRow("trimmed") << QStringList{u"00:01:05"_qs, u"352x288"_qs, u"00:00:10"_qs,
                                                u"00:01:00"_qs}
                                 << QList<qint64>{65, 352, 288, 10, 60};
        QTest::newRow("sound alone") << QStringList{u"00:00:04"_qs, u"0x0"_qs, u""_qs, u""_qs}
                                     << QList<qint64>{4, 0, 0, -1, -1};
        QTest::newRow("a hundred hours")
            << QStringList{u"100:00:00"_qs, u"1920x1080"_qs, u"99:59:59"_qs, u"100:00:00"_qs}
            << QList<qint64>{360000, 1920, 1080, 359999, 360000};
        QTest::newRow("a width beyond the library's range")
            << QStringList{u"00:00:00"_qs, u"0x480"_qs, u""_qs, u""_qs}
            << QList<qint64>{0, 0, 480, -1, -1};
    }

    void rowTextsReadBackUnchanged() {
        QFETCH(QStringList, texts);
        QFETCH(QList<qint64>, numbers);
        const QStringList cells =
            QStringList{u"clip"_qs, u"AVC"_qs} + texts + QStringList{u"/in/clip.mp4"_qs};
        const FileListRow row = FileListRowFromCells(cells);
        QCOMPARE(row.Duration, numbers[0]);
        QCOMPARE(row.VideoSize, QSize(int(numbers[1]), int(numbers[2])));
        QCOMPARE(row.BeginTime.value_or(-1), numbers[3]);
        QCOMPARE(row.EndTime.value_or(-1), numbers[4]);
        QCOMPARE(FileListCells(row), cells);

        BatchRecord record = sampleRecord(QStringLiteral("/out"));
        record.rows[0] = row;
        const QByteArray text = BatchRecordText(record);
        const QJsonObject kept =
            QJsonDocument::fromJson(text).object().value(u"rows"_qs).toArray().at(0).toObject();
        const QStringList keys{u"duration"_qs, u"videoSize"_qs, u"beginTime"_qs, u"endTime"_qs};
        for (qsizetype i = 0; i < keys.size(); ++i)
            QCOMPARE(kept.value(keys[i]).toString(), texts[i]);
        QCOMPARE(ParseBatchRecord(text)->rows.value(0), row);
    }

    // A record written before the picture choices and the track choices
    // existed reads with the defaults; a row without choices writes none.
    void olderRecordReadsWithTheDefaults() {
        BatchRecord record = sampleRecord(QStringLiteral("/out"));
        QJsonObject object = QJsonDocument::fromJson(BatchRecordText(record)).object();
        QJsonObject settings = object.value(u"settings").toObject();
        settings.remove(u"deinterlace");
        settings.remove(u"burnSubtitles");
        object.insert(u"settings", settings);
        QJsonArray rows = object.value(u"rows").toArray();
        QJsonObject first = rows.at(0).toObject();
        first.remove(u"audioTrack");
        first.remove(u"subtitleTrack");
        rows.replace(0, first);
        object.insert(u"rows", rows);
        QVERIFY(!rows.at(1).toObject().contains(u"audioTrack"));
        QVERIFY(!rows.at(1).toObject().contains(u"subtitleTrack"));

        QString reason;
        const std::optional<BatchRecord> read =
            ParseBatchRecord(QJsonDocument(object).toJson(), &reason);
        QVERIFY2(read, qPrintable(reason));
        record.settings.deinterlace = Deinterlace::Automatic;
        record.settings.burnSubtitles = 0;
        record.rows[0].AudioTrack.clear();
        record.rows[0].SubtitleTrack.clear();
        QVERIFY(*read == record);
    }

    void spoiltRecordIsSetAside_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("reason");
        const QByteArray whole = BatchRecordText(sampleRecord(QStringLiteral("/out")));
        QTest::newRow("empty") << QByteArray() << "not JSON";
        QTest::newRow("cut short") << whole.left(whole.size() / 2) << "not JSON";
        QTest::newRow("array") << QByteArray("[]") << "not a JSON object";
        QTest::newRow("other version")
            << QByteArray(whole).replace("\"version\": 1", "\"version\": 7") << "unknown version";
        QTest::newRow("row without path")
            << QByteArray(whole).replace("\"path\"", "\"paht\"") << "row 1: \"path\"";
        QTest::newRow("setting of the wrong type")
            << QByteArray(whole).replace("\"noVideo\": 0", "\"noVideo\": \"no\"") << "\"noVideo\"";
        QTest::newRow("unknown deinterlacing")
            << QByteArray(whole).replace("\"Never\"", "\"Sometimes\"") << "\"deinterlace\"";
        QTest::newRow("track of the wrong type")
            << QByteArray(whole).replace("\"audioTrack\": \"2\"", "\"audioTrack\": 2")
            << "row 1: \"audioTrack\"";
    }

    void spoiltRecordIsSetAside() {
        QFETCH(QByteArray, text);
        QFETCH(QString, reason);
        TestHome home;
        QDir().mkpath(home.dataFolder());
        QVERIFY(WriteFileBytes(BatchRecordFile::path(home.dataFolder()), text));
        const BatchRecordFile::ReadResult read = BatchRecordFile::read(home.dataFolder());
        QCOMPARE(read.status, BatchRecordFile::ReadResult::Status::Spoilt);
        QVERIFY2(read.reason.contains(reason), qPrintable(read.reason));
        QCOMPARE(ReadFileBytes(read.setAside), text);
        QVERIFY(!QFile::exists(BatchRecordFile::path(home.dataFolder())));
        QCOMPARE(BatchRecordFile::read(home.dataFolder()).status,
                 BatchRecordFile::ReadResult::Status::None);
    }

    // Written whole; a row whose output is on disk counts as converted; the
    // hidden working files of the rows not converted go, nothing else.
    void recordOnDiskAndWorkingFiles() {
        TestHome home;
        const QString out = home.makeFolder(QStringLiteral("out"));
        QDir().mkpath(home.dataFolder());
        const BatchRecord record = sampleRecord(out);
        QVERIFY(BatchRecordFile::write(home.dataFolder(), record));
        QVERIFY(!QFile::exists(BatchRecordFile::path(home.dataFolder()) + u".new"));
        QVERIFY(WriteFileBytes(out + u"/c.m4v", "whole")); // converted before the record said so
        const QStringList files{u".a.m4v.partial.m4v"_qs,
                                u".b \u00e9\"x.m4v.partial.m4v"_qs,
                                u".b \u00e9\"x.m4v.partial-2.m4v"_qs,
                                u".b \u00e9\"x.m4v.partial.txt"_qs,
                                u"b \u00e9\"x.m4v.partial.m4v"_qs,
                                u".bb.m4v.partial.m4v"_qs};
        for (const QString &name : files)
            QVERIFY(WriteFileBytes(out + u'/' + name, "x"));

        const BatchRecordFile::ReadResult read = BatchRecordFile::read(home.dataFolder());
        QCOMPARE(read.status, BatchRecordFile::ReadResult::Status::Found);
        QCOMPARE(read.record.converted, (QList<bool>{true, false, true}));
        // The rows left may fill what the converted files left of the size.
        BatchRecord fitted = read.record;
        QCOMPARE(fitted.fitBytesLeft(), 5000000000 - 5);
        fitted.fitBytes = 5; // used up: a size no fit can meet, never "not fitted"
        QCOMPARE(fitted.fitBytesLeft(), 1);
        QCOMPARE(BatchRecordFile::removePartialFiles(read.record), 2);
        QCOMPARE(FilesIn(out),
                 (QStringList{u".a.m4v.partial.m4v"_qs, u".b \u00e9\"x.m4v.partial.txt"_qs,
                              u".bb.m4v.partial.m4v"_qs, u"b \u00e9\"x.m4v.partial.m4v"_qs,
                              u"c.m4v"_qs}));
    }
};

QTEST_GUILESS_MAIN(TestBatchRecord)
#include "tst_batchrecord.moc"
