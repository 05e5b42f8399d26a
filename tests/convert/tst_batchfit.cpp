// Fitting a batch into a size: the video rate, each row's share of the
// size, the refusals, the container overhead and the size texts.
#include "core/convert/BatchFit.h"

#include <QtTest>

#include <numeric>

Q_DECLARE_METATYPE(FitPlan::Verdict)

namespace {

// Round figures for working the cases out by hand: 4,000 bytes a file and
// 1,000 bytes a second of container; 125 bytes a second per kbit/s.
const ContainerOverhead Even{4000, 1000, 0};
const ContainerOverhead Asf{6000, 2700, 0.01};

} // namespace

class TestBatchFit : public QObject {
    Q_OBJECT

private slots:
    void fitBatch_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QList<double>>("seconds");
        QTest::addColumn<double>("audioKbps");
        QTest::addColumn<ContainerOverhead>("overhead");
        QTest::addColumn<double>("highestKbps");
        QTest::addColumn<FitPlan::Verdict>("verdict");
        QTest::addColumn<double>("videoKbps");
        QTest::addColumn<qint64>("expected"); // TooSmall: the size needed
        QTest::addColumn<QList<qint64>>("rows");

        // 55 s: 8,000 + 55,000 bytes of container, 880,000 of sound; the
        // aim, 98.5% of 6 MB, leaves 4,967,000 bytes for 6,875 a kbit/s.
        QTest::newRow("two files into 6 MB") << qint64(6000000) << QList<double>{20, 35} << 128.0
                                             << Even << 2450.0 << FitPlan::Verdict::Fits << 722.0
                                             << qint64(5906750) << QList<qint64>{2182926, 3817073};
        QTest::newRow("without sound the video gets its share")
            << qint64(6000000) << QList<double>{20, 35} << 0.0 << Even << 2450.0
            << FitPlan::Verdict::Fits << 850.0 << qint64(5906750)
            << QList<qint64>{2182926, 3817073};
        QTest::newRow("a film into 700 MB of ASF")
            << qint64(700000000) << QList<double>{5400.5} << 128.0 << Asf << 1450.0
            << FitPlan::Verdict::Fits << 861.0 << qint64(688900531) << QList<qint64>{699999999};
        // At the lowest rate, 334 kbit/s, the two need 3,239,250 bytes:
        // the size at which they take 98.5% of it.
        QTest::newRow("too small")
            << qint64(1000000) << QList<double>{20, 35} << 128.0 << Even << 2450.0
            << FitPlan::Verdict::TooSmall << 0.0 << qint64(3288579) << QList<qint64>{};
        QTest::newRow("too small for a film")
            << qint64(300000000) << QList<double>{5400.5} << 128.0 << Asf << 1450.0
            << FitPlan::Verdict::TooSmall << 0.0 << qint64(334604075) << QList<qint64>{};
        QTest::newRow("more room than the codec's highest rate fills")
            << qint64(100000000) << QList<double>{20, 35} << 128.0 << Even << 2450.0
            << FitPlan::Verdict::BelowSize << 2450.0 << qint64(17786750) << QList<qint64>{};
        QTest::newRow("a row of unknown length")
            << qint64(6000000) << QList<double>{20, 0} << 128.0 << Even << 2450.0
            << FitPlan::Verdict::UnknownLength << 0.0 << qint64(0) << QList<qint64>{};
    }

    void fitBatch() {
        QFETCH(qint64, size);
        QFETCH(QList<double>, seconds);
        QFETCH(double, audioKbps);
        QFETCH(ContainerOverhead, overhead);
        QFETCH(double, highestKbps);
        QFETCH(FitPlan::Verdict, verdict);
        QFETCH(double, videoKbps);
        QFETCH(qint64, expected);
        QFETCH(QList<qint64>, rows);
        const FitPlan plan = FitBatch({size, seconds, audioKbps, overhead, 334, highestKbps});
        QCOMPARE(plan.verdict, verdict);
        QCOMPARE(plan.videoKbps, videoKbps);
        QCOMPARE(verdict == FitPlan::Verdict::TooSmall ? plan.neededBytes : plan.expectedBytes,
                 expected);
        QCOMPARE(plan.rowBytes, rows);
        QCOMPARE(plan.unknownRow, verdict == FitPlan::Verdict::UnknownLength ? 1 : -1);
        if (verdict == FitPlan::Verdict::Fits) {
            // Planned within 97% to 100%, and the rows' shares never above the size.
            QVERIFY(plan.expectedBytes >= 0.97 * size && plan.expectedBytes <= size);
            QVERIFY(std::accumulate(rows.begin(), rows.end(), qint64(0)) <= size);
        }
        if (verdict == FitPlan::Verdict::TooSmall) {
            // The size named is enough, and no less would do.
            QCOMPARE(FitBatch({plan.neededBytes, seconds, audioKbps, overhead, 334, highestKbps})
                         .verdict,
                     FitPlan::Verdict::Fits);
            QCOMPARE(
                FitBatch({plan.neededBytes - 2, seconds, audioKbps, overhead, 334, highestKbps})
                    .verdict,
                FitPlan::Verdict::TooSmall);
        }
    }

    void overhead() {
        // The MP4 family: 16 bytes of index for every video and audio frame.
        QCOMPARE(OverheadOf(QStringLiteral("ipod"), 25, 44100),
                 (ContainerOverhead{4000, 16 * (25 + 44100 / 1024.0), 0}));
        QCOMPARE(OverheadOf(QStringLiteral("3gp"), 15, 0), (ContainerOverhead{4000, 240, 0}));
        QCOMPARE(OverheadOf(QStringLiteral("asf"), 25, 44100), Asf);
        // Any other container: packet headers on top.
        QCOMPARE(OverheadOf(QStringLiteral("avi"), 25, 0).fraction, 0.01);
    }

    void sizeTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("bytes"); // 0: refused
        QTest::newRow("700M") << QStringLiteral("700M") << qint64(700000000);
        QTest::newRow("2G") << QStringLiteral("2G") << qint64(2000000000);
        QTest::newRow("650MiB") << QStringLiteral("650MiB") << qint64(681574400);
        QTest::newRow("1.5 GB") << QStringLiteral("1.5 GB") << qint64(1500000000);
        QTest::newRow("4gib") << QStringLiteral("4gib") << qint64(4294967296);
        QTest::newRow("500k") << QStringLiteral("500k") << qint64(500000);
        QTest::newRow("1T") << QStringLiteral("1T") << qint64(1000000000000);
        QTest::newRow("no unit") << QStringLiteral("700") << qint64(0);
        QTest::newRow("Mi without B") << QStringLiteral("700Mi") << qint64(0);
        QTest::newRow("negative") << QStringLiteral("-1G") << qint64(0);
        QTest::newRow("zero") << QStringLiteral("0M") << qint64(0);
        QTest::newRow("exponent") << QStringLiteral("1e3M") << qint64(0);
        QTest::newRow("bytes") << QStringLiteral("700B") << qint64(0);
    }

    void sizeTexts() {
        QFETCH(QString, text);
        QFETCH(qint64, bytes);
        QCOMPARE(ParseSizeText(text).value_or(0), bytes);
    }

    void megabytes() {
        QCOMPARE(MegabytesText(6000000), QStringLiteral("6.0 MB"));
        QCOMPARE(MegabytesText(3288579), QStringLiteral("3.3 MB"));
        QCOMPARE(MegabytesText(3200001), QStringLiteral("3.3 MB"));
        QCOMPARE(MegabytesText(334604075), QStringLiteral("335 MB"));
        QCOMPARE(MegabytesText(700000000), QStringLiteral("700 MB"));
        // A size asked for never reads like the larger one that would do.
        QCOMPARE(AskedMegabytesText(6000000), QStringLiteral("6.0 MB"));
        QCOMPARE(AskedMegabytesText(4150000), QStringLiteral("4.15 MB"));
        QCOMPARE(AskedMegabytesText(4199999), QStringLiteral("4.199 MB"));
        QCOMPARE(AskedMegabytesText(681574400), QStringLiteral("681.574 MB"));
        QCOMPARE(AskedMegabytesText(2000000000), QStringLiteral("2000 MB"));
    }
};

QTEST_APPLESS_MAIN(TestBatchFit)
#include "tst_batchfit.moc"
