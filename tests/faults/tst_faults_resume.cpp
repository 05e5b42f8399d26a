// A batch killed outright (SIGKILL, as a crash or a power cut would end it)
// and taken up again: at the window's next start, and with mobivert-cli
// --resume. Exactly the rows not converted come back, none is converted
// twice, and no half-written file is left.
#include "app/OutputDirectoryPanel.h"
#include "app/frmMain.h"
#include "convert/BatchRecord.h"
#include "tests/faults/FaultFixtures.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTreeWidget>
#include <QtTest>

#include <csignal>

namespace {

struct Clips {
    explicit Clips(const TestHome &home) {
        const QString in = home.makeFolder(QStringLiteral("in"));
        // The first is done long before the second, which runs a while.
        const double seconds[] = {1.0, 40.0, 3.0};
        for (int i = 0; i < 3; ++i) {
            paths << in + QStringLiteral("/clip%1.avi").arg(i + 1);
            ok = ok && MakeClip(paths.last(), {seconds[i], 640, 480, 25, true, true, {}});
        }
        out = home.path() + u"/out";
    }
    QStringList paths;
    QString out;
    bool ok = true;
};

// Waits until the record says the first row is converted, then kills the
// process outright. True when that happened.
bool killAfterFirstFile(QProcess &process, const TestHome &home) {
    const QString record = BatchRecordFile::path(home.dataFolder());
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kPatienceMs && process.state() == QProcess::Running) {
        const std::optional<BatchRecord> read = ParseBatchRecord(ReadFileBytes(record));
        if (read && read->converted.value(0)) {
            ::kill(pid_t(process.processId()), SIGKILL);
            process.waitForFinished(10000);
            return process.exitStatus() == QProcess::CrashExit;
        }
        QTest::qWait(50);
    }
    return false;
}

QProcessEnvironment offscreen() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

} // namespace

class TestResumeFaults : public QObject {
    Q_OBJECT

private slots:
    void windowOffersTheRowsNotConverted() {
        TestHome home;
        Clips clips(home);
        QVERIFY(clips.ok);
        QProcess copy;
        copy.setProcessEnvironment(offscreen());
        copy.setProcessChannelMode(QProcess::MergedChannels);
        copy.start(QStringLiteral(OTHER_COPY),
                   QStringList{QStringLiteral("--device"), QStringLiteral("Zune"),
                               QStringLiteral("--one-at-a-time"), QStringLiteral("--trim-last"),
                               QStringLiteral("00:00:01"), QStringLiteral("00:00:02"), clips.out} +
                       clips.paths);
        QVERIFY(copy.waitForStarted());
        QVERIFY2(killAfterFirstFile(copy, home), copy.readAll().constData());
        QTRY_COMPARE_WITH_TIMEOUT(ProcessesMentioning(clips.out), QStringList(), kPatienceMs);
        // Where unnamed files are not to be had, the converter leaves a hidden one.
        const QString partial = clips.out + u"/.clip2.wmv.partial.wmv";
        QVERIFY(WriteFileBytes(partial, "half"));

        FakePrompts prompts;
        prompts.answers.push_back(true);
        auto window = StartMainWindow();
        QCOMPARE(prompts.texts(),
                 QStringList{QStringLiteral("The last conversion was interrupted: 2 of 3 files "
                                            "were not converted. Add them to the list again?")});
        QCOMPARE(window->SelectedDevice, QStringLiteral("Zune"));
        QCOMPARE(window->frmOutputDirectorySettings->txtOutputDirectory->text(), clips.out);
        QCOMPARE(window->frmOutputDirectorySettings->cmbFilesAtOnce->currentText(),
                 QStringLiteral("1"));
        QTreeWidget *list = window->lvwVideoFiles;
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(ColumnFilepath), clips.paths[1]);
        QCOMPARE(list->topLevelItem(0)->text(ColumnBeginTime), QString());
        QCOMPARE(list->topLevelItem(1)->text(ColumnFilepath), clips.paths[2]);
        QCOMPARE(list->topLevelItem(1)->text(ColumnBeginTime), QStringLiteral("00:00:01"));
        QCOMPARE(list->topLevelItem(1)->text(ColumnEndTime), QStringLiteral("00:00:02"));
        QVERIFY(!QFile::exists(partial));
        QVERIFY(!QFile::exists(BatchRecordFile::path(home.dataFolder())));
        QCOMPARE(FilesIn(clips.out), QStringList{QStringLiteral("clip1.wmv")});

        // The next start asks nothing.
        prompts.clear();
        auto again = StartMainWindow();
        QCOMPARE(prompts.texts(), QStringList());
        QCOMPARE(again->lvwVideoFiles->topLevelItemCount(), 0);
    }

    void cliResumesWhatIsLeft() {
        TestHome home;
        Clips clips(home);
        QVERIFY(clips.ok);
        const QString cli = TestPaths::binary(QStringLiteral("mobivert-cli"));
        QProcess first;
        first.setProcessChannelMode(QProcess::MergedChannels);
        first.start(cli, QStringList{QStringLiteral("-j"), QStringLiteral("1"),
                                     QStringLiteral("-o"), clips.out} +
                             clips.paths);
        QVERIFY(first.waitForStarted());
        QVERIFY2(killAfterFirstFile(first, home), first.readAll().constData());
        QTRY_COMPARE_WITH_TIMEOUT(ProcessesMentioning(clips.out), QStringList(), kPatienceMs);
        QVERIFY(WriteFileBytes(clips.out + u"/.clip2.m4v.partial-2.m4v", "half"));

        QProcess resume;
        resume.start(cli, {QStringLiteral("--resume")});
        QVERIFY(resume.waitForFinished(180000));
        const QString said = QString::fromUtf8(resume.readAllStandardOutput());
        QVERIFY2(resume.exitCode() == 0, qPrintable(said));
        QVERIFY2(said.startsWith(u"Resuming the interrupted batch: 2 of 3 files left.\n"),
                 qPrintable(said));
        QVERIFY(said.contains(u"2 of 2 files converted."));
        QCOMPARE(FilesIn(clips.out),
                 (QStringList{QStringLiteral("clip1.m4v"), QStringLiteral("clip2.m4v"),
                              QStringLiteral("clip3.m4v")}));
        QCOMPARE(IncompleteOutput(clips.out + u"/clip2.m4v", 40.0), QString());

        resume.start(cli, {QStringLiteral("--resume")});
        QVERIFY(resume.waitForFinished(30000));
        QCOMPARE(resume.exitCode(), 0);
        QCOMPARE(resume.readAllStandardOutput(), QByteArray("Nothing to resume.\n"));
    }
};

QTEST_MAIN(TestResumeFaults)
#include "tst_faults_resume.moc"
