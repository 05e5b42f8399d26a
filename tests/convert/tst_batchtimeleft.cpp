// The time left of a batch run in lanes: what each row is expected to cost,
// the lanes taking the rows in row order, the pace learnt as the rows go.
#include "core/convert/BatchTimeLeft.h"
#include "core/convert/RowCost.h"

#include <QtTest>

using Row = BatchTimeLeft::Row;
using State = BatchTimeLeft::State;

namespace {

RowCostFacts facts(const QString &codec, int width, int height, const QString &encoder,
                   int outWidth, int outHeight) {
    RowCostFacts facts;
    facts.seconds = 60;
    facts.sourceCodec = codec;
    facts.sourceWidth = width;
    facts.sourceHeight = height;
    facts.videoEncoder = encoder;
    facts.width = outWidth;
    facts.height = outHeight;
    facts.frameRate = 25;
    facts.audioEncoder = QStringLiteral("aac");
    return facts;
}

Row running(double share, double seconds) {
    return {State::Running, share, seconds};
}
Row done(double seconds) {
    return {State::Done, 1, seconds};
}
QList<BatchTimeLeft::Work> works(const QList<double> &units, double startSeconds = 0) {
    QList<BatchTimeLeft::Work> list;
    for (const double each : units)
        list.append({startSeconds, each});
    return list;
}

} // namespace

class tst_BatchTimeLeft : public QObject {
    Q_OBJECT

private slots:
    void rowCostsCompare();
    void rowFacts();
    void schedule_data();
    void schedule();
    void learntPace_data();
    void learntPace();
    void startUpLearntApart();
    void shownFigureWaitsAndFollows();
};

void tst_BatchTimeLeft::rowCostsCompare() {
    const RowCostFacts small = facts(u"MPEG-4 Visual"_qs, 854, 480, u"mpeg4"_qs, 320, 240);
    RowCostFacts big = facts(u"HEVC"_qs, 1920, 1080, u"libx264"_qs, 1280, 720);
    RowCostFacts twoPasses = small, soundOnly = big, copied = big, shorter = small;
    twoPasses.twoPasses = true;
    soundOnly.video = false;
    copied.copiesVideo = true;
    shorter.seconds = 30;
    const double smallCost = RowCost::Estimate(small);
    QVERIFY(RowCost::Estimate(big) > 5 * smallCost);
    QVERIFY(RowCost::Estimate(twoPasses) > 1.3 * smallCost);
    QVERIFY(RowCost::Estimate(soundOnly) < smallCost);
    QCOMPARE(RowCost::Estimate(copied), RowCost::Estimate(soundOnly) + 60 * RowCost::CopyPerSecond);
    QCOMPARE(RowCost::Estimate(shorter) - RowCost::StartSeconds,
             (smallCost - RowCost::StartSeconds) / 2);
}

void tst_BatchTimeLeft::rowFacts() {
    ConversionSettings settings;
    settings.videoCodec = QStringLiteral("h264");
    settings.videoSize = QSize(640, 480);
    settings.videoFrameRate = 29.97;
    settings.twoPass = 1;
    settings.audioCodec = QStringLiteral("aac");
    FileListRow row;
    row.Codec = QStringLiteral("AVC");
    row.Duration = 600;
    row.VideoSize = QSize(1920, 1080);
    row.BeginTime = 60;
    row.EndTime = 90;
    const RowCostFacts trimmed = RowCost::Facts(settings, row);
    QCOMPARE(trimmed.seconds, 30.0);
    QCOMPARE(trimmed.sourceWidth, 1920);
    QCOMPARE(trimmed.height, 480);
    QCOMPARE(trimmed.frameRate, 29.97);
    QVERIFY(trimmed.twoPasses);
    row.BeginTime.reset();
    settings.noVideo = 1;
    const RowCostFacts whole = RowCost::Facts(settings, row, true);
    QCOMPARE(whole.seconds, 600.0);
    QVERIFY(!whole.video && !whole.twoPasses && whole.copiesVideo);
}

void tst_BatchTimeLeft::schedule_data() {
    QTest::addColumn<QList<double>>("running");
    QTest::addColumn<QList<double>>("waiting");
    QTest::addColumn<int>("lanes");
    QTest::addColumn<double>("saturation");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<double>("startUp"); // of each waiting row
    QTest::newRow("one lane adds up")
        << QList<double>{3} << QList<double>{2, 4} << 1 << 0.0 << 9.0 << 0.0;
    // Lane B ends at 1, takes 2 (to 3); both free at 3, the last 2 ends at 5.
    QTest::newRow("rows taken as lanes free up")
        << QList<double>{3, 1} << QList<double>{2, 2} << 2 << 0.0 << 5.0 << 0.0;
    QTest::newRow("a long row last keeps one lane busy")
        << QList<double>{1, 1} << QList<double>{1, 1, 6} << 2 << 0.0 << 8.0 << 0.0;
    // One core's worth: the lanes share it, so the batch takes its whole work.
    QTest::newRow("lanes sharing one lane's speed")
        << QList<double>{3, 1} << QList<double>{2, 2} << 2 << 1.0 << 8.0 << 0.0;
    // Four lanes on a machine for two: half pace while four run (4 s for 2
    // each), then the 6 left alone runs at full pace.
    QTest::newRow("the last lane speeds up")
        << QList<double>{2, 2, 2, 8} << QList<double>{} << 4 << 2.0 << 10.0 << 0.0;
    QTest::newRow("nothing left") << QList<double>{} << QList<double>{} << 8 << 2.0 << 0.0 << 0.0;
    // Lane B starts its row up for 1 s, then both convert: 1 s at full
    // pace, then half pace each; A ends at 3 s, B alone at 4 s.
    QTest::newRow("a lane starting up does not slow the others")
        << QList<double>{2} << QList<double>{2} << 2 << 1.0 << 4.0 << 1.0;
    QTest::newRow("start-ups one after another")
        << QList<double>{} << QList<double>{2, 2} << 1 << 0.0 << 6.0 << 1.0;
}

void tst_BatchTimeLeft::schedule() {
    QFETCH(QList<double>, running);
    QFETCH(QList<double>, waiting);
    QFETCH(int, lanes);
    QFETCH(double, saturation);
    QFETCH(double, seconds);
    QFETCH(double, startUp);
    const auto pace = [saturation](int busy) {
        return BatchTimeLeft::LanePace(busy, saturation);
    };
    QCOMPARE(BatchTimeLeft::ScheduleSeconds(works(running), works(waiting, startUp), lanes, pace),
             seconds);
}

void tst_BatchTimeLeft::learntPace_data() {
    QTest::addColumn<QList<double>>("costs");
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<int>("lanes");
    QTest::addColumn<double>("saturation");
    QTest::addColumn<double>("elapsed");
    QTest::addColumn<double>("speed");
    QTest::addColumn<double>("left");
    // 10 units in 5 s: 2 per second. Row 1 half done in 5 s by its own pace
    // and by the model alike: 5 s; then row 2 alone, 20 / 2.
    QTest::newRow("done and running")
        << QList<double>{10, 20, 20} << QList<Row>{done(5), running(0.5, 5), Row{}} << 1 << 0.0
        << 10.0 << 2.0 << 15.0;
    // The pace over both (10 + 5 units in 10 s); the row's own pace (a fifth
    // in 5 s: 20 s left) weighs a fifth against the model's (20 units / 1.5).
    QTest::newRow("a slow row's own pace")
        << QList<double>{10, 25} << QList<Row>{done(5), running(0.2, 5)} << 1 << 0.0 << 10.0 << 1.5
        << 0.2 * 20 + 0.8 * (20 / 1.5);
    QTest::newRow("failed rows teach nothing")
        << QList<double>{10, 10} << QList<Row>{Row{State::Failed, 0, 9}, done(5)} << 1 << 0.0
        << 10.0 << 2.0 << 0.0;
    // Two lanes sharing one lane's speed got through 4 units in 4 s: 0.5 a
    // lane, 8 each left (16 s); the last row then runs alone at twice that.
    QTest::newRow("the last row alone goes faster")
        << QList<double>{10, 10, 10} << QList<Row>{running(0.2, 4), running(0.2, 4), Row{}} << 2
        << 1.0 << 4.0 << 1.0 << 16.0 + 10.0;
}

void tst_BatchTimeLeft::learntPace() {
    QFETCH(QList<double>, costs);
    QFETCH(QList<Row>, rows);
    QFETCH(int, lanes);
    QFETCH(double, saturation);
    QFETCH(double, elapsed);
    QFETCH(double, speed);
    QFETCH(double, left);
    BatchTimeLeft estimate(costs, lanes, saturation);
    estimate.update(elapsed, rows);
    QCOMPARE(estimate.laneSpeed().value_or(-1), speed);
    QCOMPARE(estimate.rawSecondsLeft().value_or(-1), left);
}

void tst_BatchTimeLeft::startUpLearntApart() {
    // Row 1 showed no progress at 1 s and half of it at 6 s: it started up
    // for 1 s and converted 5 units in 5 s. Left: its 5 units, then row 2's
    // start-up and 10 units.
    BatchTimeLeft estimate({10, 10}, 1);
    estimate.update(1, {running(0, 1), Row{}});
    estimate.update(6, {running(0.5, 6), Row{}});
    QCOMPARE(estimate.laneSpeed().value_or(-1), 1.0);
    QCOMPARE(estimate.rawSecondsLeft().value_or(-1), 5.0 + 1.0 + 10.0);
    // The figure shown counts down between judgements.
    estimate.update(6.7, {running(0.57, 6.7), Row{}});
    QCOMPARE(estimate.secondsLeft().value_or(-1), 15);
}

void tst_BatchTimeLeft::shownFigureWaitsAndFollows() {
    BatchTimeLeft estimate({100, 100}, 2);
    estimate.update(2, {running(0.1, 2), running(0.1, 2)});
    QVERIFY(!estimate.secondsLeft()); // too early
    estimate.update(10, {running(0.5, 10), running(0.5, 10)});
    QCOMPARE(estimate.secondsLeft().value_or(-1), 10);
    // Twice as slow from here: the figure moves part of the way only.
    estimate.update(20, {running(0.6, 20), running(0.6, 20)});
    const qint64 shown = estimate.secondsLeft().value_or(-1);
    QVERIFY2(shown > 0 && shown < *estimate.rawSecondsLeft(), qPrintable(QString::number(shown)));
}

QTEST_GUILESS_MAIN(tst_BatchTimeLeft)
#include "tst_batchtimeleft.moc"
