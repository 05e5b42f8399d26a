// A batch killed outright (SIGKILL, as a crash or a power cut would end it)
// and taken up again: at the window's next start, and with mobivert-cli
// --resume. Exactly the rows not converted come back, none is converted
// twice, and no half-written file is left. A batch to an iPod ended by a
// logout or a closed terminal while a file is being handed off, or whose
// hand-off tool is killed at any point, gets every file onto the iPod
// exactly once with --resume.
#include "app/OutputDirectoryPanel.h"
#include "app/frmMain.h"
#include "core/convert/BatchRecord.h"
#include "tests/faults/FaultFixtures.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestIpod.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTreeWidget>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/file.h>
#include <tuple>

using namespace Qt::StringLiterals;

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
            process.waitForFinished(kPatienceMs);
            return process.exitStatus() == QProcess::CrashExit;
        }
        QTest::qWait(50);
    }
    return false;
}

// Whether a process whose command line holds both texts runs.
bool running(const QString &text, QStringView program) {
    const QStringList found = ProcessesMentioning(text);
    return std::any_of(found.begin(), found.end(),
                       [&program](const QString &command) { return command.contains(program); });
}

// Whether the iPod holds the tracks it had, then one.avi's and two.avi's
// once each, and no copy that its database does not list.
bool holdsEachOnce(const QString &ipod, const QList<IpodTrack> &before) {
    const QList<IpodTrack> after = ReadIpodTracks(ipod).value_or(QList<IpodTrack>());
    QStringList titles, listed;
    for (const IpodTrack &track : after.mid(before.size())) {
        titles << track.title;
        listed << track.file;
    }
    titles.sort();
    listed.sort();
    return after.first(std::min(after.size(), before.size())) == before &&
           titles == QStringList{u"one"_s, u"two"_s} && IpodMusicFiles(ipod) == listed;
}

// Waits for the batch to end, letting every hand-off stopped at its test
// point go on. False when it does not end.
bool endLettingHandOffsGo(QProcess &cli, const QStringList &outputs) {
    QElapsedTimer clock;
    clock.start();
    while (!cli.waitForFinished(100)) {
        if (clock.elapsed() > kPatienceMs)
            return false;
        for (const QString &output : outputs) {
            if (const pid_t stopped = StoppedProcessMentioning(u"TrackDrop"_s, output))
                ::kill(stopped, SIGCONT);
        }
    }
    return true;
}

QProcessEnvironment offscreen() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

} // namespace

class TestResumeFaults : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;
    QStringList m_clips; // one.avi and two.avi, whose converted files outgrow a MB

private slots:
    void initTestCase() {
        for (const QString &name : {u"one.avi"_s, u"two.avi"_s}) {
            m_clips << m_folder.filePath(name);
            QVERIFY(MakeClip(m_clips.last(), {8.0, 320, 240, 25, true, true, {}}));
        }
    }

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
        QCOMPARE(Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
                     ->txtOutputDirectory->text(),
                 clips.out);
        QCOMPARE(Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
                     ->cmbFilesAtOnce->currentText(),
                 QStringLiteral("1"));
        QTreeWidget *list = Child<QTreeWidget>(*window, "lvwVideoFiles");
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
        QCOMPARE(Child<QTreeWidget>(*again, "lvwVideoFiles")->topLevelItemCount(), 0);
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
        QVERIFY(resume.waitForFinished(kPatienceMs));
        QCOMPARE(resume.exitCode(), 0);
        QCOMPARE(resume.readAllStandardOutput(), QByteArray("Nothing to resume.\n"));
    }

    // TrackDrop ended at each point of a hand-off, alone (a kill, a crash)
    // or with mobivert-cli (a logout): the first file's hand-off, or the
    // batch's last. The batch says what it added; --resume puts each file
    // on the iPod exactly once and leaves no copy the database does not list.
    void handOffEndedAtEachPoint_data() {
        QTest::addColumn<QString>("point");
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("logout"); // mobivert-cli gets SIGTERM too
        QTest::addColumn<int>("file");    // whose hand-off (1 or 2 of 2)
        const QString points[] = {u"before-copy"_s, u"during-copy"_s, u"after-copy"_s,
                                  u"before-write"_s, u"after-write"_s};
        int file = 1;
        for (const QString &point : points) {
            for (const auto &[name, signalNumber, logout] :
                 {std::tuple{"KILL", SIGKILL, false}, std::tuple{"TERM", SIGTERM, false},
                  std::tuple{"logout", SIGTERM, true}}) {
                QTest::addRow("%s, %s, file %d", qPrintable(point), name, file)
                    << point << signalNumber << logout << file;
                file = 3 - file;
            }
        }
    }

    void handOffEndedAtEachPoint() {
        QFETCH(QString, point);
        QFETCH(int, signalNumber);
        QFETCH(bool, logout);
        QFETCH(int, file);
        TestHome home;
        const QString out = home.path() + u"/out";
        const QString ipod = home.makeFolder(u"IPOD"_s);
        QVERIFY(MakeTestIpod(ipod, u"MA446"_s) && AddSongs(ipod, 3));
        const QList<IpodTrack> before = *ReadIpodTracks(ipod);
        const QString cli = TestPaths::binary(u"mobivert-cli"_s);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"MOBIVERT_TRACKDROP_STOP_AT"_s, point);
        QProcess first;
        first.setProcessEnvironment(environment);
        first.setProcessChannelMode(QProcess::MergedChannels);
        first.start(cli, QStringList{u"-j"_s, u"1"_s, u"-p"_s, u"2"_s, u"--always-encode"_s,
                                     u"-o"_s, out, u"--ipod"_s, ipod} +
                             m_clips);
        QVERIFY(first.waitForStarted());
        const QStringList outputs{out + u"/one.m4v", out + u"/two.m4v"};
        // The hand-offs before the one ended go on from their stop.
        pid_t handOff = 0;
        for (int k = 1; k <= file; ++k) {
            QTRY_VERIFY_WITH_TIMEOUT(
                (handOff = StoppedProcessMentioning(u"TrackDrop"_s, outputs[k - 1])) != 0 ||
                    first.state() != QProcess::Running,
                kPatienceMs);
            QVERIFY2(handOff != 0, first.readAll().constData());
            if (k < file)
                QCOMPARE(::kill(handOff, SIGCONT), 0);
        }
        if (point == u"during-copy") // a part of the file is on the iPod
            QVERIFY(QFileInfo(outputs[file - 1]).size() > 1 << 20);
        QCOMPARE(::kill(handOff, signalNumber), 0);
        if (logout)
            QCOMPARE(::kill(pid_t(first.processId()), SIGTERM), 0);
        ::kill(handOff, SIGCONT);
        QVERIFY(endLettingHandOffsGo(first, outputs));
        const QString said = QString::fromUtf8(first.readAll());
        const QString cutOff = outputs[file - 1] + u": its hand-off ended before it was done (" +
                               (signalNumber == SIGKILL ? u"Killed" : u"Terminated") + u')';
        // TrackDrop holds off a SIGTERM from its database write on, and says it is done.
        const bool added = signalNumber == SIGTERM && point == u"after-write";
        const QString allAdded = u"The converted files were added to the iPod at " + ipod + u'.';
        if (logout) {
            QVERIFY2(first.exitCode() == 128 + SIGTERM, qPrintable(said));
            QVERIFY2(said.contains(u"Run mobivert-cli --resume"), qPrintable(said));
        } else if (added) {
            QVERIFY2(first.exitCode() == 0 && said.trimmed().endsWith(allAdded), qPrintable(said));
        } else {
            QVERIFY2(first.exitCode() == 1, qPrintable(said));
            QVERIFY2(said.endsWith(u"1 of 2 converted files were added to the iPod at " + ipod +
                                   u"; 1 was not: " + cutOff +
                                   u".\nRun mobivert-cli --resume to add the rest.\n"),
                     qPrintable(said));
        }
        QTRY_COMPARE_WITH_TIMEOUT(ProcessesMentioning(out), QStringList(), kPatienceMs);

        QProcess resume;
        resume.start(cli, {u"--resume"_s});
        QVERIFY(resume.waitForFinished(kPatienceMs));
        const QString resumed = QString::fromUtf8(resume.readAllStandardOutput());
        QVERIFY2(resume.exitCode() == 0, qPrintable(resumed));
        if (added && !logout)
            QCOMPARE(resumed, u"Nothing to resume.\n"_s);
        else
            QVERIFY2(resumed.trimmed().endsWith(allAdded), qPrintable(resumed));
        QVERIFY(holdsEachOnce(ipod, before));
        resume.start(cli, {u"--resume"_s});
        QVERIFY(resume.waitForFinished(kPatienceMs));
        QCOMPARE(resume.readAllStandardOutput(), QByteArray("Nothing to resume.\n"));
    }

    // A batch whose record cannot be written says at once that it cannot
    // be resumed, and a SIGTERM then promises no --resume.
    void unrecordedBatchPromisesNoResume_data() {
        QTest::addColumn<QString>("obstacle"); // a folder in the way
        QTest::newRow("the record") << u"Interrupted batch.json"_s;
        QTest::newRow("its new copy") << u"Interrupted batch.json.new"_s;
    }

    void unrecordedBatchPromisesNoResume() {
        QFETCH(QString, obstacle);
        TestHome home;
        QVERIFY(QDir().mkpath(home.dataFolder() + u'/' + obstacle));
        QProcess cli;
        cli.start(
            TestPaths::binary(u"mobivert-cli"_s),
            QStringList{u"-j"_s, u"1"_s, u"--always-encode"_s, u"-o"_s, home.path() + u"/out"_s} +
                m_clips);
        QByteArray problems;
        QTRY_VERIFY_WITH_TIMEOUT((problems += cli.readAllStandardError()).contains('\n'),
                                 kPatienceMs);
        QCOMPARE(::kill(pid_t(cli.processId()), SIGTERM), 0);
        QVERIFY(cli.waitForFinished(kPatienceMs));
        QCOMPARE(cli.exitCode(), 128 + SIGTERM);
        QCOMPARE(QString::fromUtf8(problems),
                 u"mobivert-cli: this batch cannot be resumed if it is interrupted: its record "
                 u"cannot be written to "_s +
                     BatchRecordFile::path(home.dataFolder()) + u" ("_s +
                     QString::fromLocal8Bit(std::strerror(EISDIR)) + u")\n"_s);
        QVERIFY(!cli.readAllStandardOutput().contains("--resume"));
    }

    void cliHandOffCutOffBySignal_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("logout") << int(SIGTERM);
        QTest::newRow("closed terminal") << int(SIGHUP);
    }

    // The first file's hand-off waits for the iPod's lock, held here, when
    // the signal comes.
    void cliHandOffCutOffBySignal() {
        QFETCH(int, signalNumber);
        TestHome home;
        const QString in = home.makeFolder(QStringLiteral("in"));
        const QString out = home.path() + u"/out";
        const QStringList clips{in + u"/one.avi", in + u"/two.avi"};
        for (const QString &clip : clips)
            QVERIFY(MakeClip(clip, {2.0, 320, 240, 25, true, true, {}}));
        const QString ipod = home.makeFolder(QStringLiteral("IPOD"));
        QVERIFY(MakeTestIpod(ipod, QStringLiteral("MA446")) && AddSongs(ipod, 3));
        const QList<IpodTrack> before = *ReadIpodTracks(ipod);
        // What a hand-off cut off before its database write leaves.
        const QString leftCopy = ipod + u"/iPod_Control/Music/F00/mobivert-a1b2c3.m4v";
        QVERIFY(WriteFileBytes(leftCopy, "cut off"));

        // The iPod's lock is held here while the batch's check waits for
        // it, and taken again once the check is done, with mobivert-cli
        // stopped in between: the first hand-off then waits for the lock.
        QFile lock(ipod + u"/iPod_Control/iTunes/Mobivert.lock");
        QVERIFY(lock.open(QIODevice::ReadWrite) && ::flock(lock.handle(), LOCK_EX) == 0);
        const QString cli = TestPaths::binary(QStringLiteral("mobivert-cli"));
        QProcess first;
        first.setProcessChannelMode(QProcess::MergedChannels);
        first.start(cli, QStringList{QStringLiteral("-j"), QStringLiteral("1"),
                                     QStringLiteral("-o"), out, QStringLiteral("--ipod"), ipod} +
                             clips);
        QVERIFY(first.waitForStarted());
        const pid_t pid = pid_t(first.processId());
        QTRY_VERIFY_WITH_TIMEOUT(running(ipod, u"TrackDrop.exe --check"), kPatienceMs);
        QCOMPARE(::kill(pid, SIGSTOP), 0);
        QCOMPARE(::flock(lock.handle(), LOCK_UN), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!running(ipod, u"TrackDrop.exe --check"), kPatienceMs);
        QCOMPARE(::flock(lock.handle(), LOCK_EX), 0);
        QCOMPARE(::kill(pid, SIGCONT), 0);
        QTRY_VERIFY_WITH_TIMEOUT(running(out + u"/one.m4v", u"TrackDrop") ||
                                     first.state() != QProcess::Running,
                                 kPatienceMs);
        QVERIFY2(first.state() == QProcess::Running, first.readAll().constData());
        QCOMPARE(::kill(pid, signalNumber), 0);
        QVERIFY(first.waitForFinished(kPatienceMs));
        const QByteArray cut = first.readAll();
        QVERIFY2(first.exitCode() == 128 + signalNumber, cut.constData());
        lock.close();
        QTRY_COMPARE_WITH_TIMEOUT(ProcessesMentioning(out), QStringList(), kPatienceMs);

        QProcess resume;
        resume.start(cli, {QStringLiteral("--resume")});
        QVERIFY(resume.waitForFinished(kPatienceMs));
        const QString said = QString::fromUtf8(resume.readAllStandardOutput());
        QVERIFY2(resume.exitCode() == 0, qPrintable(said));
        // The file whose hand-off was cut off goes first, then the file left.
        const QString added = u"The converted files were added to the iPod at " + ipod + u'.';
        QVERIFY2(said.startsWith(added + u"\nResuming the interrupted batch: 1 of 2 files left.\n"),
                 qPrintable(said));
        QVERIFY2(said.trimmed().endsWith(added), qPrintable(said));
        QVERIFY(holdsEachOnce(ipod, before));
        QCOMPARE(FilesIn(out), (QStringList{QStringLiteral("one.m4v"), QStringLiteral("two.m4v")}));

        resume.start(cli, {QStringLiteral("--resume")});
        QVERIFY(resume.waitForFinished(kPatienceMs));
        QCOMPARE(resume.readAllStandardOutput(), QByteArray("Nothing to resume.\n"));
    }
};

QTEST_MAIN(TestResumeFaults)
#include "tst_faults_resume.moc"
