// Running a batch and ending its processes: the launcher over the real
// shell, and ending converters by name within one process group only.
#include "core/convert/CMDLauncher.h"
#include "core/convert/ShellQuote.h"
#include "core/platform/Processes.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <unistd.h>

namespace {

struct Sleeper {
    pid_t pid = 0;
    pid_t group = 0;
};

// A copy of sleep under another name, started in a process group of its own.
Sleeper startNamedSleeper(const QString &program) {
    QProcess process;
    process.setProgram(program);
    process.setArguments({QStringLiteral("30")});
    process.setChildProcessModifier([] { ::setsid(); });
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return {};
    return {pid_t(pid), ::getpgid(pid_t(pid))};
}

bool running(pid_t pid) {
    for (const ProcessEntry &process : ListProcesses()) {
        if (process.pid == pid)
            return process.state != 'Z';
    }
    return false;
}

} // namespace

class TestProcesses : public QObject {
    Q_OBJECT

private slots:
    void launcherReportsEchoOutputAndEnd() {
        QTemporaryDir dir;
        const QString batch = dir.filePath(QStringLiteral("BVC.bat"));
        QVERIFY(WriteFileBytes(batch, "printf 'first\\n'\nprintf 'second\\r' >&2\n"));
        CMDLauncher launcher;
        QCOMPARE(launcher.bufferSize(), 8192);
        QByteArray output;
        connect(&launcher, &CMDLauncher::DataReceived, this,
                [&](const QByteArray &chunk) { output += chunk; });
        QSignalSpy ended(&launcher, &CMDLauncher::ProcessEnded);
        launcher.start(batch);
        QCOMPARE(launcher.startStatus(), CMDLauncher::Started);
        QVERIFY(launcher.processGroup() > 0);
        QVERIFY(ended.wait(kPatienceMs));
        // The shell's echo of each line comes before what the line prints,
        // and error output is merged in.
        QVERIFY(output.indexOf("printf 'first\\n'") < output.indexOf("first\n"));
        QVERIFY(output.contains("second\r"));
        QCOMPARE(ended.size(), 1);
    }

    void launcherRefusesASecondStart() {
        QTemporaryDir dir;
        const QString batch = dir.filePath(QStringLiteral("BVC.bat"));
        QVERIFY(WriteFileBytes(batch, "sleep 30\n"));
        CMDLauncher launcher;
        launcher.start(batch);
        QCOMPARE(launcher.startStatus(), CMDLauncher::Started);
        launcher.start(batch);
        QCOMPARE(launcher.startStatus(), CMDLauncher::AlreadyRunning);
        launcher.stop();
        QVERIFY(!launcher.isRunning());
    }

    void stopEndsEveryCommandOfTheBatch() {
        QTemporaryDir dir;
        const QString batch = dir.filePath(QStringLiteral("BVC.bat"));
        const QString pids = dir.filePath(QStringLiteral("pids"));
        // A child that ignores SIGTERM must still be ended after the grace period.
        QVERIFY(
            WriteFileBytes(batch, "sh -c 'trap \"\" TERM; echo $$ >> \"$0\"; sleep 30; sleep 30' " +
                                      ShellQuote(pids).toUtf8() + '\n'));
        CMDLauncher launcher;
        QSignalSpy ended(&launcher, &CMDLauncher::ProcessEnded);
        launcher.start(batch);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pids) && QFile(pids).size() > 0, kPatienceMs);
        const pid_t group = launcher.processGroup();
        QVERIFY(ProcessGroupAlive(group));
        QElapsedTimer timer;
        timer.start();
        launcher.stop(500);
        // Well before the child's own sleep would end it, however busy the machine.
        QVERIFY(timer.elapsed() < 25000);
        QVERIFY(!ProcessGroupAlive(group));
        QTest::qWait(100);
        QCOMPARE(ended.size(), 0); // no event follows a stop
    }

    void imageNameMatching_data() {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("same") << "BrannockVideoConverter.exe"
                              << "BrannockVideoConverter.exe" << true;
        QTest::newRow("case") << "brannockvideoconverter.EXE"
                              << "BrannockVideoConverter.exe" << true;
        QTest::newRow("prefix does not protect") << "xBrannockVideoConverter.exe"
                                                 << "BrannockVideoConverter.exe" << true;
        QTest::newRow("other") << "ffmpeg"
                               << "BrannockVideoConverter.exe" << false;
        QTest::newRow("empty name") << "anything"
                                    << "" << false;
    }

    void imageNameMatching() {
        QFETCH(QString, image);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QCOMPARE(ImageNameMatches(image, name), matches);
    }

    void killByNameStaysInItsGroup() {
        QTemporaryDir dir;
        const QString converter = dir.filePath(QStringLiteral("BrannockVideoConverter.exe"));
        const QString other = dir.filePath(QStringLiteral("other-tool"));
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), converter));
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), other));
        QFile::setPermissions(converter, QFileDevice::ExeOwner | QFileDevice::ReadOwner);
        QFile::setPermissions(other, QFileDevice::ExeOwner | QFileDevice::ReadOwner);

        const Sleeper mine = startNamedSleeper(converter);
        const Sleeper anotherCopy = startNamedSleeper(converter); // another Mobivert's group
        const Sleeper notAConverter = startNamedSleeper(other);
        QVERIFY(mine.group > 0 && anotherCopy.group > 0 && notAConverter.group > 0);
        QVERIFY(mine.group != anotherCopy.group);
        QTRY_VERIFY_WITH_TIMEOUT(running(mine.pid) && running(anotherCopy.pid), kPatienceMs);

        KillProcessByName(QString(), mine.group); // an empty name does nothing
        QVERIFY(running(mine.pid));

        KillProcessByName(QStringLiteral("brannockvideoconverter.exe"), mine.group);
        QTRY_VERIFY_WITH_TIMEOUT(!running(mine.pid), kPatienceMs);
        QVERIFY(running(anotherCopy.pid));
        QVERIFY(running(notAConverter.pid));

        KillProcessByName(QStringLiteral("BrannockVideoConverter.exe"), notAConverter.group);
        QVERIFY(running(notAConverter.pid));
        ::kill(anotherCopy.pid, SIGKILL);
        ::kill(notAConverter.pid, SIGKILL);
    }
};

QTEST_MAIN(TestProcesses)
#include "tst_processes.moc"
