// The batch engine over a fake converter that prints recorded output in odd
// chunks, fails, crashes or hangs: every row runs whatever fails before it,
// a free lane takes the next row, cancel and pause reach every lane's
// processes, and the working files go.
#include "core/convert/BatchEngine.h"
#include "core/convert/BatchFiles.h"
#include "core/platform/Processes.h"
#include "tests/convert/FakeBatch.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The states ('R', 'S', 'T' stopped, ...) of the processes that still run
// among `pids`, or in `groups`.
QString processStates(const QList<pid_t> &pids, const QList<pid_t> &groups = {}) {
    QString states;
    for (const ProcessEntry &process : ListProcesses())
        if (process.state != 'Z' &&
            (pids.contains(process.pid) || groups.contains(process.processGroup)))
            states += QLatin1Char(process.state);
    return states;
}

// Every process of the groups is stopped ('T'), or waits for a child it
// was forking when the stop came ('D').
bool stopped(const QList<pid_t> &groups) {
    const QString states = processStates({}, groups);
    return states.contains(u'T') && states.count(u'T') + states.count(u'D') == states.size();
}

// Each row's state as a letter: Waiting, Running, Converted, Failed, X cancelled.
QString rowStates(const BatchProgress &progress) {
    QString letters;
    for (const RowProgress &row : progress.rows())
        letters += u"WRCFX"_s[int(row.state)];
    return letters;
}

QList<int> rowLanes(const BatchProgress &progress) {
    QList<int> lanes;
    for (const RowProgress &row : progress.rows())
        lanes << row.lane;
    return lanes;
}

} // namespace

class TestBatchEngine : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv("FAKE_PACE_MS"); }

    // Every row runs, whatever fails or crashes before it; errors come in
    // row order whichever lane reports them first. Pause stops every lane's
    // processes where they are; resume takes them up, converting nothing twice.
    void runsToTheEnd_data() {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("lanes");
        QTest::addColumn<bool>("pause"); // once every lane converts
        QTest::addColumn<QString>("states");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<QList<int>>("endOrder"); // empty: any
        const QStringList ok{u"/v/ok-1.avi"_s, u"/v/ok-2.avi"_s, u"/v/ok-3.avi"_s};
        for (const int lanes : {1, 2}) {
            for (const bool pause : {false, true})
                QTest::addRow("%d lanes%s", lanes, pause ? ", paused and resumed" : "")
                    << ok << (pause ? 20 : 4) << lanes << pause << "CCC" << QStringList()
                    << QList<int>();
        }
        QTest::newRow("a failing and a crashing row")
            << QStringList{u"/v/fail.avi"_s, u"/v/crash.avi"_s, u"/v/ok.avi"_s} << 4 << 1 << false
            << "FFC"
            << QStringList{u"/v/fail.avi: Unknown format"_s, u"/v/crash.avi: Segmentation fault"_s}
            << QList<int>();
        // The first lane converts a long file while the second fails the
        // other two.
        QTest::newRow("two lanes report errors out of row order")
            << QStringList{u"/v/ok-1.avi"_s, u"/v/fail-2.avi"_s, u"/v/fail-3.avi"_s} << 20 << 2
            << false << "CFF"
            << QStringList{u"/v/fail-2.avi: Unknown format"_s, u"/v/fail-3.avi: Unknown format"_s}
            << QList<int>{1, 2, 0};
    }

    void runsToTheEnd() {
        QFETCH(QStringList, inputs);
        QFETCH(int, seconds);
        QFETCH(int, lanes);
        QFETCH(bool, pause);
        QFETCH(QString, states);
        QFETCH(QStringList, errors);
        QFETCH(QList<int>, endOrder);
        TestHome home;
        qputenv("FAKE_PACE_MS", "50");
        FakeBatch batch(home, inputs, seconds, lanes);
        BatchEngine engine(batch.run);
        QSignalSpy ended(&engine, &BatchEngine::ended);
        QSignalSpy paused(&engine, &BatchEngine::pausedChanged);
        QList<int> ends;
        connect(&engine, &BatchEngine::rowsChanged, [&] {
            for (int row = 0; row < inputs.size(); ++row)
                if (engine.progress().rows()[row].state > RowProgress::State::Converting &&
                    !ends.contains(row))
                    ends << row;
        });
        QVERIFY(engine.start());
        if (pause) {
            QTRY_VERIFY_WITH_TIMEOUT(engine.progress().filesRunning() == lanes &&
                                         engine.processGroups().size() == lanes,
                                     kPatienceMs);
            engine.pause();
            const QList<pid_t> groups = engine.processGroups();
            QCOMPARE(groups.size(), lanes);
            QTRY_VERIFY_WITH_TIMEOUT(stopped(groups), kPatienceMs);
            QVERIFY(engine.isPaused());
            engine.resume();
            QVERIFY(!engine.isPaused());
        }
        QTRY_VERIFY_WITH_TIMEOUT(engine.hasEnded(), kPatienceMs);

        QVERIFY(!engine.wasCancelled());
        QCOMPARE(rowStates(engine.progress()), states);
        QCOMPARE(batch.startedConverters().size(), inputs.size()); // one per row
        QCOMPARE(engine.progress().errors(), errors);
        if (!endOrder.isEmpty())
            QCOMPARE(ends, endOrder);
        for (const RowProgress &row : engine.progress().rows())
            if (row.state == RowProgress::State::Converted)
                QCOMPARE(row.secondsDone, qint64(seconds));
        QCOMPARE(paused.size(), pause ? 2 : 0);
        QVERIFY(engine.processGroups().isEmpty());
        engine.cleanUp();
        QCOMPARE(WorkingFiles(batch.run.dataFolder), QStringList());
        QCOMPARE(ended.size(), 1);
    }

    // Cancel ends every lane's processes; the rows not converted are
    // cancelled. Lanes take rows alike in row order as they free up: while a file
    // that never ends holds the first lane, the second converts the others.
    void cancelEndsEveryLane_data() {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<int>("lanes");
        QTest::addColumn<QString>("before"); // the rows' states when cancelled
        QTest::addColumn<QList<int>>("laneOfRow");
        QTest::addColumn<QString>("after");
        QTest::newRow("one lane") << QStringList{u"/v/hang.avi"_s, u"/v/ok.avi"_s} << 1 << "RW"
                                  << QList<int>{0, 0} << "XX";
        QTest::newRow("two lanes") << QStringList{u"/v/hang-1.avi"_s, u"/v/hang-2.avi"_s} << 2
                                   << "RR" << QList<int>{0, 1} << "XX";
        QTest::newRow("a free lane takes the next row")
            << QStringList{u"/v/hang-1.avi"_s, u"/v/ok-2.avi"_s, u"/v/ok-3.avi"_s, u"/v/ok-4.avi"_s}
            << 2 << "RCCC" << QList<int>{0, 1, 1, 1} << "XCCC";
    }

    void cancelEndsEveryLane() {
        QFETCH(QStringList, inputs);
        QFETCH(int, lanes);
        QFETCH(QString, before);
        QFETCH(QList<int>, laneOfRow);
        QFETCH(QString, after);
        TestHome home;
        FakeBatch batch(home, inputs, 4, lanes);
        BatchEngine engine(batch.run);
        QVERIFY(engine.start());
        const qsizetype started = inputs.size() - before.count(u'W');
        QTRY_VERIFY_WITH_TIMEOUT(rowStates(engine.progress()) == before &&
                                     batch.startedConverters().size() == started,
                                 kPatienceMs);
        const QList<pid_t> groups = engine.processGroups();
        QCOMPARE(groups.size(), before.count(u'R'));
        QCOMPARE(rowLanes(engine.progress()), laneOfRow);

        engine.cancel(false);
        QVERIFY(engine.hasEnded() && engine.wasCancelled());
        for (const pid_t group : groups)
            QVERIFY(!ProcessGroupAlive(group));
        QCOMPARE(processStates(batch.startedConverters()), QString());
        QCOMPARE(batch.startedConverters().size(), started);
        QCOMPARE(rowStates(engine.progress()), after);
        engine.cleanUp();
        QCOMPARE(WorkingFiles(batch.run.dataFolder), QStringList());
    }
};

QTEST_MAIN(TestBatchEngine)
#include "tst_batchengine.moc"
