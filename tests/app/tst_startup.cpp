// Start-up: the data folder, debug mode, an interrupted iPod batch offered
// again, and the real binary starting and quitting cleanly.
#include "app/StartupFiles.h"
#include "app/filelist/FileListItems.h"
#include "core/base/DebugLog.h"
#include "core/base/GetShellFolder.h"
#include "core/base/Various.h"
#include "core/convert/BatchRecord.h"
#include "core/platform/PathBytes.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestIpod.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QtTest>

#include <csignal>
#include <cstdio>

using namespace Qt::StringLiterals;

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { DebugLog::instance().stop(); }

    void dataFolderIsCreatedAndRemembered() {
        TestHome home;
        FakePrompts prompts;
        QVERIFY(!QFile::exists(home.configFolder()));
        auto window = OpenMainWindow();
        QCOMPARE(window->ApplicationSettingsPath, home.dataFolder());
        QVERIFY(FolderExists(home.dataFolder()));
        QVERIFY(prompts.shown.isEmpty());
        // Start-up does not create the settings file; the first write does.
        QVERIFY(!QFile::exists(home.dataFolder() + u"/Settings.ini"));
    }

    void shellFolderLookup() {
        TestHome home;
        const ShellFolderResult plain = LookUpShellFolder(CSIDL_APPDATA);
        QCOMPARE(plain.status, ShellFolderStatus::FolderDoesNotExist);
        QCOMPARE(ShellFolderMessage(plain.status),
                 QStringLiteral("ApplicationData Folder does not exist!"));

        const ShellFolderResult created = LookUpShellFolder(CSIDL_APPDATA | CSIDL_FLAG_CREATE);
        QCOMPARE(created.status, ShellFolderStatus::Ok);
        QCOMPARE(created.path, home.configFolder());

        const ShellFolderResult invalid = LookUpShellFolder(0x7777);
        QCOMPARE(invalid.status, ShellFolderStatus::InvalidFolderId);
        QVERIFY(invalid.path.isEmpty());
        QCOMPARE(ShellFolderMessage(invalid.status), QStringLiteral("Invalid Folder ID!"));
    }

    void blockedDataFolderFailsWithoutAMessage() {
        TestHome home;
        // A file where the configuration folder should be: nothing can be made.
        QVERIFY(WriteFileBytes(home.configFolder(), QByteArray()));
        const ShellFolderResult result = LookUpShellFolder(CSIDL_APPDATA | CSIDL_FLAG_CREATE);
        QCOMPARE(result.status, ShellFolderStatus::Failed);
        QVERIFY(result.path.isEmpty());
        QVERIFY(ShellFolderMessage(result.status).isEmpty());
    }

    void debugMode_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<bool>("on");
        QTest::newRow("exact") << "/debug" << true;
        QTest::newRow("none") << "" << false;
        QTest::newRow("capitals") << "/DEBUG" << false;
        QTest::newRow("dash") << "-debug" << false;
        QTest::newRow("further words") << "/debug now" << false;
        QTest::newRow("file name") << "/debug.avi" << false;
    }

    void debugMode() {
        QFETCH(QString, arguments);
        QFETCH(bool, on);
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow(arguments);
        const QStringList logs =
            QDir(home.dataFolder()).entryList({QStringLiteral("*.log")}, QDir::Files);
        if (!on) {
            QVERIFY(DebugLog::instance().path().isEmpty());
            QVERIFY(logs.isEmpty());
            QVERIFY(prompts.shown.isEmpty());
            return;
        }
        QCOMPARE(logs.size(), 1);
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{14}\\.log$")).match(logs[0]).hasMatch());
        QCOMPARE(DebugLog::instance().path(), QString(home.dataFolder() + u'/' + logs[0]));
        QFile log(DebugLog::instance().path());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("LogFile created on: "));
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown[0].text, QStringLiteral("Mobivert is now running in Debug Mode."));
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Information);
        QCOMPARE(prompts.shown[0].title, QStringLiteral("Mobivert"));
    }

    void logFileName() {
        const QDateTime time(QDate(2026, 12, 6), QTime(22, 14, 1));
        QCOMPARE(DebugLog::fileNameFor(time), QStringLiteral("06122026221401.log"));
        const QDateTime morning(QDate(2027, 1, 2), QTime(3, 4, 5));
        QCOMPARE(DebugLog::fileNameFor(morning), QStringLiteral("02012027030405.log"));
    }

    void sameSecondAppendsToTheSameLog() {
        TestHome home;
        const QString path = home.path() + u"/06122026221401.log";
        QVERIFY(DebugLog::instance().start(path));
        DebugLog::instance().write(QStringLiteral("first run"));
        DebugLog::instance().stop();
        QVERIFY(DebugLog::instance().start(path));
        DebugLog::instance().write(QStringLiteral("second run"));
        QFile log(path);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray text = log.readAll();
        QVERIFY(text.contains("first run"));
        QVERIFY(text.indexOf("second run") > text.indexOf("first run"));
        QCOMPARE(text.count('\n'), 2);
    }

    void inactiveLogWritesNothing() {
        TestHome home;
        QVERIFY(DebugLog::instance().path().isEmpty());
        DebugLog::instance().write(QStringLiteral("ignored"));
        QVERIFY(QDir(home.path()).entryList({QStringLiteral("*.log")}, QDir::Files).isEmpty());
    }

    // "Open With": existing files are added, anything else is reported once;
    // the debug switch alone is no file.
    void startupArguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("notFiles");
        const QStringList none;
        QTest::newRow("nothing") << none << none << none;
        QTest::newRow("debug switch") << QStringList{u"/debug"_s} << none << none;
        QTest::newRow("files and others")
            << QStringList{u"a.avi"_s, u"missing.avi"_s, u"folder"_s, u"file://%1/b%20c.mp4"_s,
                           u"/debug"_s}
            << QStringList{u"%1/a.avi"_s, u"%1/b c.mp4"_s}
            << QStringList{u"missing.avi: no such file or directory"_s,
                           u"folder: is a folder, not a video file"_s,
                           u"/debug: no such file or directory"_s};
    }

    void startupArguments() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        QFETCH(QStringList, notFiles);
        TestHome home;
        QVERIFY(WriteFileBytes(home.path() + u"/a.avi", "x"));
        QVERIFY(WriteFileBytes(home.path() + u"/b c.mp4", "x"));
        QVERIFY(QDir(home.path()).mkdir(QStringLiteral("folder")));
        QVERIFY(QDir::setCurrent(home.path()));
        for (QString &argument : arguments)
            argument = argument.arg(home.path());
        for (QString &file : files)
            file = file.arg(home.path());
        const StartupArguments startup = ReadStartupArguments(arguments);
        QCOMPARE(startup.files, files);
        QCOMPARE(startup.notFiles, notFiles);
    }

    void startupFilesAreAddedToTheList() {
        TestHome home;
        FakePrompts prompts;
        const QString clip = home.path() + u"/clip.avi";
        ClipSpec spec;
        spec.seconds = 2;
        QVERIFY(MakeClip(clip, spec));
        // A name written on a Latin-1 system, as the raw arguments read it.
        const QByteArray latin1 = PathToBytes(home.path()) + "/caf\xe9.avi";
        QVERIFY(MakeClip(home.path() + u"/cafe.avi", spec));
        QCOMPARE(
            std::rename(PathToBytes(home.path() + u"/cafe.avi").constData(), latin1.constData()),
            0);
        const char *argv[] = {"mobivert", latin1.constData()};
        const QString text = home.path() + u"/notes.avi";
        QVERIFY(WriteFileBytes(text, "not a video\n"));
        auto window = OpenMainWindow();
        AddStartupFiles(*window, QStringList{text, clip, home.path() + u"/gone.avi"} +
                                     PathArguments(2, argv));
        QCOMPARE(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount(), 2);
        const QTreeWidgetItem *row = Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItem(0);
        QCOMPARE(row->text(0), QStringLiteral("clip"));
        QCOMPARE(row->text(2), QStringLiteral("00:00:02"));
        QCOMPARE(row->text(3), QStringLiteral("320x240"));
        const QTreeWidgetItem *latin1Row =
            Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItem(1);
        QCOMPARE(latin1Row->text(0), u"caf\uFFFD"_s);
        QCOMPARE(latin1Row->text(2), QStringLiteral("00:00:02"));
        QCOMPARE(PathToBytes(latin1Row->text(ColumnFilepath)), latin1);
        // The file without video, then the argument that is no file.
        QCOMPARE(prompts.shown.size(), 2);
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Exclamation);
        QCOMPARE(prompts.shown[0].text,
                 u"This file was not added, because it holds no video:\r\n" + text);
        QCOMPARE(prompts.shown[1].icon, Prompts::Icon::Exclamation);
        QCOMPARE(prompts.shown[1].text, u"This could not be added:\r\n" + home.path() +
                                            u"/gone.avi: no such file or directory");
    }

    // A batch to an iPod interrupted after its files were converted, one of
    // them not yet handed off: the window offers it, and Yes adds it to the
    // iPod as mobivert-cli --resume does, before the rows not converted
    // come back into the list.
    void interruptedHandOffIsOffered_data() {
        QTest::addColumn<bool>("rowLeft");     // a third row not converted
        QTest::addColumn<bool>("answer");      // Yes
        QTest::addColumn<bool>("ipodThere");   // the iPod still connected
        QTest::addColumn<QString>("question"); // %1: the iPod
        QTest::addColumn<QString>("note");     // %1: the iPod, %2: the file
        QTest::addColumn<int>("tracksAdded");
        QTest::addColumn<bool>("recordKept");
        const QString onlyHandOff = u"The last conversion was interrupted: 1 of 2 converted files "
                                    u"is still to be added to the iPod at %1. Add it now?"_s;
        const QString added = u"The converted files were added to the iPod at %1."_s;
        QTest::newRow("added") << false << true << true << onlyHandOff << added << 1 << false;
        QTest::newRow("refused") << false << false << true << onlyHandOff << QString() << 0
                                 << false;
        QTest::newRow("iPod gone, kept")
            << false << true << false << onlyHandOff
            << u"The converted file was not added to the iPod at %1: %2: not added to the iPod "
               u"at %1: it is not connected (no iPod_Control/iTunes/iTunesDB there)."_s
            << 0 << true;
        QTest::newRow("with a row not converted")
            << true << true << true
            << u"The last conversion was interrupted: 1 of 3 files were not converted, and 1 "
               u"converted file is still to be added to the iPod at %1. Add it to the iPod now, "
               u"and the files not converted to the list again?"_s
            << added << 1 << false;
    }

    void interruptedHandOffIsOffered() {
        QFETCH(bool, rowLeft);
        QFETCH(bool, answer);
        QFETCH(bool, ipodThere);
        QFETCH(QString, question);
        QFETCH(QString, note);
        QFETCH(int, tracksAdded);
        QFETCH(bool, recordKept);
        TestHome home;
        const QString ipod = home.makeFolder(u"IPOD"_s);
        QVERIFY(MakeTestIpod(ipod, u"MA446"_s) && AddSongs(ipod, 2));
        const QString out = home.makeFolder(u"out"_s);
        BatchRecord record;
        record.settings.device = u"iPod"_s;
        record.outputFolder = out;
        record.addToLibrary = true;
        record.ipodMountPoint = ipod;
        for (const QString &name : {u"first"_s, u"second"_s, u"third"_s}) {
            if (name == u"third" && !rowLeft)
                break;
            FileListRow row;
            row.Filename = name;
            row.Filepath = home.path() + u'/' + name + u".avi";
            record.rows.append(row);
            record.outputPaths.append(out + u'/' + name + u".m4v");
            if (name != u"third")
                QVERIFY(MakeClip(record.outputPaths.last(), {1.0, 160, 120, 25, true, true, {}}));
        }
        record.converted = {true, true, false};
        record.handedOff = {true, false, false};
        record.converted.resize(record.rows.size());
        record.handedOff.resize(record.rows.size());
        QVERIFY(QDir().mkpath(home.dataFolder()) &&
                BatchRecordFile::write(home.dataFolder(), record));
        const QString away = home.path() + u"/unplugged"_s;
        if (!ipodThere)
            QVERIFY(QDir().rename(ipod, away));

        FakePrompts prompts;
        prompts.answers.push_back(answer);
        auto window = StartMainWindow();
        QStringList shown{question.arg(ipod)};
        if (!note.isEmpty())
            shown << note.arg(ipod, record.outputPaths[1]);
        QCOMPARE(prompts.texts(), shown);
        if (!note.isEmpty())
            QCOMPARE(prompts.shown.last().icon,
                     recordKept ? Prompts::Icon::Exclamation : Prompts::Icon::Information);
        if (!ipodThere)
            QVERIFY(QDir().rename(away, ipod));
        const QList<IpodTrack> tracks = *ReadIpodTracks(ipod);
        QCOMPARE(tracks.size(), 2 + tracksAdded);
        if (tracksAdded > 0)
            QCOMPARE(tracks.last().title, u"second"_s);
        QCOMPARE(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount(),
                 rowLeft && answer ? 1 : 0);
        const BatchRecordFile::ReadResult kept = BatchRecordFile::read(home.dataFolder());
        QCOMPARE(kept.status == BatchRecordFile::ReadResult::Status::Found, recordKept);
        if (recordKept)
            QCOMPARE(kept.record.handOffsLeft(), QList<int>{1});
    }

    // A logout (SIGTERM) while a dialog of the conversion holds the program in
    // its own loop ends the program at once: the conversion window's batch is
    // cancelled with its record kept for later, nothing of it left running.
    void terminationSignalEndsTheProgramUnderADialog_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<bool>("damaged"); // a damaged source: the batch ends in an error
        QTest::newRow("conversion window") << u"frmProcessing"_s << false;
        QTest::newRow("Error Log") << u"frmError"_s << true;
    }
    void terminationSignalEndsTheProgramUnderADialog() {
        QFETCH(QString, dialog);
        QFETCH(bool, damaged);
        TestHome home;
        const QString clip = home.path() + u"/clip.mp4"_s;
        QVERIFY(MakeClip(clip, {damaged ? 10.0 : 60.0,
                                640,
                                480,
                                25,
                                true,
                                false,
                                {u"-c:v"_s, u"libx264"_s, u"-movflags"_s, u"+faststart"_s}}));
        if (damaged) // the header whole, two thirds of the pictures gone
            QVERIFY(QFile::resize(clip, QFileInfo(clip).size() / 3));
        const QString out = home.path() + u"/out"_s;
        QProcess app;
        app.start(QStringLiteral(WINDOW_UNDER_SIGNAL), {out, clip});
        QVERIFY(app.waitForStarted());
        QByteArray said;
        const QByteArray shown = "shown " + dialog.toUtf8();
        QTRY_VERIFY2_WITH_TIMEOUT((said += app.readAllStandardOutput()).contains(shown),
                                  said.constData(), kPatienceMs);
        ::kill(pid_t(app.processId()), SIGTERM);
        QVERIFY2(app.waitForFinished(kPatienceMs), said.constData());
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        said += app.readAllStandardOutput();
        QVERIFY2(said.endsWith("ended\n"), said.constData());
        QCOMPARE(ProcessesMentioning(out), QStringList());
        if (!damaged)
            QCOMPARE(BatchRecordFile::read(home.dataFolder()).record.unconvertedCount(), 1);
    }

    void realBinaryStartsAndQuitsCleanly() {
        TestHome home;
        QProcess app;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        app.setProcessEnvironment(environment);
        app.setProcessChannelMode(QProcess::MergedChannels);
        app.start(TestPaths::binary(QStringLiteral("mobivert")), {});
        QVERIFY(app.waitForStarted());

        // Ready once the data folder exists and the process is still running.
        QTRY_VERIFY_WITH_TIMEOUT(FolderExists(home.dataFolder()), kPatienceMs);
        QTest::qWait(500);
        QCOMPARE(app.state(), QProcess::Running);

        // A logout closes the window as its close box would: settings saved.
        ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
        QVERIFY(app.waitForFinished(kPatienceMs));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        QFile settings(home.dataFolder() + u"/Settings.ini");
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QCOMPARE(settings.readAll(), QByteArray("[General]\nOutputDir=") +
                                         QFile::encodeName(home.path()) +
                                         "/Converted Video Files\n");
        const QByteArray output = app.readAll();
        QVERIFY2(!output.contains("QWidget") && !output.contains("QObject"), output.constData());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
