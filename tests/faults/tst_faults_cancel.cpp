// A batch of 200 files cancelled at a random moment: no process is left,
// no partial output, and every file converted before is whole.
#include "app/OutputDirectoryPanel.h"
#include "app/convert/frmProcessing.h"
#include "core/convert/BatchProgress.h"
#include "core/platform/Processes.h"
#include "tests/faults/FaultFixtures.h"
#include "tests/support/ConversionDriver.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTreeWidget>
#include <QtTest>

namespace {

constexpr int FileCount = 200;
constexpr double ClipSeconds = 1.0;

QString numbered(int number) {
    return QStringLiteral("clip %1").arg(number, 3, 10, QLatin1Char('0'));
}

} // namespace

class TestCancelFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // MOBIVERT_FAULT_SEED repeats a run; the seed is printed either way.
        bool given = false;
        const quint32 chosen = quint32(qEnvironmentVariableIntValue("MOBIVERT_FAULT_SEED", &given));
        const quint32 seed = given ? chosen : QRandomGenerator::system()->generate();
        m_random.seed(seed);
        qInfo("MOBIVERT_FAULT_SEED=%u", seed);
    }

    void cancelAtARandomMoment_data() {
        QTest::addColumn<int>("earliestMs");
        QTest::addColumn<int>("latestMs");
        QTest::newRow("soon after the start") << 0 << 2000;
        QTest::newRow("some files in") << 2000 << 8000;
    }

    void cancelAtARandomMoment() {
        QFETCH(int, earliestMs);
        QFETCH(int, latestMs);
        const int moment = earliestMs + int(m_random.bounded(latestMs - earliestMs));
        qInfo("cancelling %d ms after the batch started", moment);

        TestHome home;
        const QString in = home.makeFolder(QStringLiteral("in"));
        const QString clip = home.path() + u"/clip.avi";
        QVERIFY(MakeClip(clip, {ClipSeconds, 160, 120, 25, true, true, {}}));
        QStringList inputs;
        for (int i = 1; i <= FileCount; ++i) {
            inputs << in + u'/' + numbered(i) + u".avi";
            QVERIFY(QFile::copy(clip, inputs.last()));
        }
        FakePrompts prompts;
        auto window = OpenMainWindow();
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->SetFilesAtOnceChoice(1); // rows in order
        AddFilesThroughDialog(*window, prompts, inputs);
        QCOMPARE(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount(), FileCount);
        const QString out = home.path() + u"/out";
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->txtOutputDirectory->setText(out);
        prompts.clear();

        QElapsedTimer sinceStart;
        const ConversionSeen run =
            ConvertThroughWindow(*window, prompts, [&](frmProcessing &conversion) {
                if (!sinceStart.isValid() && conversion.processGroup() != 0)
                    sinceStart.start();
                return sinceStart.isValid() && sinceStart.elapsed() >= moment;
            });
        QVERIFY(run.cancelled);
        QVERIFY(!run.finished);
        QVERIFY(run.cleanedUp);
        QCOMPARE(run.errorLog, QString());
        QCOMPARE(prompts.shown.size(), 1); // the cancel question, answered Yes

        // No process of the batch is left, nor any that works on its files.
        QVERIFY(run.processGroup != 0);
        QVERIFY(!ProcessGroupAlive(run.processGroup));
        QCOMPARE(ProcessesMentioning(out), QStringList());
        QCOMPARE(ProcessesMentioning(in), QStringList());
        QCOMPARE(WorkingFiles(window->ApplicationSettingsPath), QStringList());

        // The outputs are those of the first files, each one whole: the file
        // being converted at the moment of the cancel is either finished or
        // absent.
        const QStringList outputs = FilesIn(out);
        qInfo("%lld files converted, the window was at file %d", qlonglong(outputs.size()),
              run.fileAtEnd);
        QVERIFY(outputs.size() == run.fileAtEnd || outputs.size() == run.fileAtEnd - 1);
        for (int i = 0; i < outputs.size(); ++i) {
            QCOMPARE(outputs[i], numbered(i + 1) + u".m4v");
            QCOMPARE(IncompleteOutput(out + u'/' + outputs[i], ClipSeconds), QString());
        }
        for (const QString &input : inputs)
            QVERIFY(QFile::exists(input));
    }

    // Two lanes, cancelled while each converts a file and after some are
    // done: both lanes stop, nothing is half-written, the files finished
    // before stay whole.
    void cancelTwoLanesMidBatch() {
        TestHome home;
        const QString in = home.makeFolder(QStringLiteral("in"));
        // Long enough that both lanes are a second into their files together,
        // however quickly this machine converts.
        constexpr double Seconds = 12.0;
        const QString clip = home.path() + u"/clip.avi";
        QVERIFY(MakeClip(clip, {Seconds, 320, 240, 25, true, true, {}}));
        QStringList inputs;
        for (int i = 1; i <= 6; ++i) {
            inputs << in + u'/' + numbered(i) + u".avi";
            QVERIFY(QFile::copy(clip, inputs.last()));
        }
        FakePrompts prompts;
        auto window = OpenMainWindow();
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->SetFilesAtOnceChoice(1); // rows in order
        AddFilesThroughDialog(*window, prompts, inputs);
        const QString out = home.path() + u"/out";
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->txtOutputDirectory->setText(out);
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->cmbFilesAtOnce->setCurrentText(QStringLiteral("2"));
        prompts.clear();

        QList<pid_t> groups;
        QStringList convertedBefore;
        const ConversionSeen run =
            ConvertThroughWindow(*window, prompts, [&](frmProcessing &conversion) {
                const BatchProgress &progress = conversion.progress();
                if (progress.filesDone() < 1 || progress.filesRunning() < 2 ||
                    conversion.processGroups().size() < 2)
                    return false;
                for (int lane = 0; lane < 2; ++lane) {
                    if (progress.rows()[progress.laneRow(lane)].secondsDone < 1)
                        return false;
                }
                groups = conversion.processGroups();
                for (int row = 0; row < progress.rowCount(); ++row) {
                    if (progress.rows()[row].state == RowProgress::State::Converted)
                        convertedBefore << numbered(row + 1) + u".m4v";
                }
                return true;
            });
        QVERIFY(run.cancelled);
        QVERIFY(run.cleanedUp);
        QCOMPARE(groups.size(), 2);
        for (const pid_t group : groups)
            QVERIFY(!ProcessGroupAlive(group));
        QCOMPARE(ProcessesMentioning(out), QStringList());
        QCOMPARE(ProcessesMentioning(in), QStringList());
        QCOMPARE(WorkingFiles(window->ApplicationSettingsPath), QStringList());

        // Whole files only: those done before the cancel, and any that
        // finished while it was being answered.
        const QStringList outputs = FilesIn(out);
        qInfo("%lld files converted, %lld before the cancel", qlonglong(outputs.size()),
              qlonglong(convertedBefore.size()));
        for (const QString &done : convertedBefore)
            QVERIFY2(outputs.contains(done), qPrintable(done));
        QVERIFY(outputs.size() < inputs.size());
        for (const QString &output : outputs)
            QCOMPARE(IncompleteOutput(out + u'/' + output, Seconds), QString());
    }

private:
    QRandomGenerator m_random;
};

QTEST_MAIN(TestCancelFaults)
#include "tst_faults_cancel.moc"
