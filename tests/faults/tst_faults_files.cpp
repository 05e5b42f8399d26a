// Spoilt files and a second copy: a corrupt settings or profile file, the
// real binary starting on them, and two copies of Mobivert converting at
// once.
#include "app/OutputDirectoryPanel.h"
#include "app/VideoSettingsPanel.h"
#include "core/convert/BatchFiles.h"
#include "core/settings/ReadWriteIniFile.h"
#include "core/settings/SettingsFile.h"
#include "tests/faults/FaultFixtures.h"
#include "tests/support/ConversionDriver.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTreeWidget>
#include <QtTest>

#include <csignal>

namespace {

constexpr qsizetype OneMiB = 1024 * 1024;

// Bytes of every value, NULs and line breaks included.
QByteArray garbage(quint32 seed, qsizetype size) {
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

QByteArray oneLine(char filler, qsizetype size) {
    return QByteArray(size, filler);
}

// The written file holds every byte of the original, in order: a write may
// add, but never drop anything.
bool keepsEveryByte(const QByteArray &original, const QByteArray &written) {
    qsizetype at = 0;
    for (const char byte : written) {
        if (at < original.size() && original[at] == byte)
            ++at;
    }
    return at == original.size();
}

QString outputBoxText(const frmMain &window) {
    return Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")
        ->txtOutputDirectory->text();
}

QProcessEnvironment offscreen() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

} // namespace

class TestFileFaults : public QObject {
    Q_OBJECT

private slots:
    void corruptSettings_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("shown"); // the output folder box; "-" for the default
        QTest::newRow("binary garbage") << garbage(8, 64 * 1024) << "-";
        QTest::newRow("a 1 MB line before the key")
            << oneLine('x', OneMiB) + "\n[General]\nOutputDir=/videos\n"
            << "/videos";
        QTest::newRow("a 1 MB value") << "[General]\nOutputDir=/" + oneLine('v', OneMiB) + '\n'
                                      << QString(u'/' + QString(MaxIniValueLength - 1, u'v'));
        QTest::newRow("a 1 MB section name") << '[' + oneLine('s', OneMiB) + "]\nOutputDir=/x\n"
                                             << "-";
    }

    // The window opens with what can be read, and closing it saves the
    // folder without losing the rest of the file.
    void corruptSettings() {
        QFETCH(QByteArray, content);
        QFETCH(QString, shown);
        TestHome home;
        FakePrompts prompts;
        QVERIFY(QDir().mkpath(home.dataFolder()));
        const QString settings = SettingsFile::path(home.dataFolder());
        QVERIFY(WriteFileBytes(settings, content));

        auto window = OpenMainWindow();
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->SetFilesAtOnceChoice(1); // rows in order
        QCOMPARE(outputBoxText(*window), shown == u"-" ? SettingsFile::defaultOutputDir() : shown);
        QCOMPARE(prompts.texts(), QStringList());
        QVERIFY(Child<VideoSettingsPanel>(*window, "frmVideoSettings")->cmbVideoCodec->count() > 0);

        const QString chosen = home.path() + u"/chosen";
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->txtOutputDirectory->setText(chosen);
        window->close();
        QCOMPARE(SettingsFile::readOutputDir(home.dataFolder()), chosen);
        // Only the folder's own value is replaced; nothing else is lost.
        if (shown == u"-")
            QVERIFY(keepsEveryByte(content, ReadFileBytes(settings)));
    }

    // A spoilt profile file of the iPod: the window opens with what can be
    // read, and a conversion with the settings left is refused or reported.
    void corruptProfile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("binary garbage") << garbage(13, 256 * 1024);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("1 MB lines")
            << "[General]\nNumberOfProfiles=32767\nDefaultProfile=9\n[Defaults]\nVideoSize=" +
                   oneLine('9', OneMiB) + "\nVideoCodec=" + oneLine('c', OneMiB) +
                   "\nAudioCodec=aac|" + oneLine('a', OneMiB) + '\n';
        QTest::newRow("profiles pointing past the lists")
            << QByteArray("[General]\nNumberOfProfiles=2\nDefaultProfile=1\n[Defaults]\n"
                          "VideoCodec=mpeg4\nVideoSize=320x240\n[Profile2]\nName=Far\n"
                          "VideoCodec=40\nVideoSize=-7\nAudioCodec=999\n");
    }

    void corruptProfile() {
        QFETCH(QByteArray, content);
        TestHome home;
        ApplicationFolderCopy application;
        QVERIFY(application.isValid());
        QVERIFY(WriteFileBytes(application.profile(QStringLiteral("iPod")), content));
        FakePrompts prompts;
        auto window = OpenMainWindow();
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->SetFilesAtOnceChoice(1); // rows in order
        QCOMPARE(window->SelectedDevice, QStringLiteral("iPod"));
        QCOMPARE(prompts.texts(), QStringList());
        QCOMPARE(Child<QComboBox>(*window, "cmbProfiles")
                     ->itemText(Child<QComboBox>(*window, "cmbProfiles")->count() - 1),
                 QStringLiteral("Custom"));
        QVERIFY(Child<VideoSettingsPanel>(*window, "frmVideoSettings")
                    ->cmbVideoSize->currentText()
                    .isEmpty());

        // Without a frame size the converter refuses each file, and says so.
        const QString clip = home.path() + u"/clip.avi";
        QVERIFY(MakeClip(clip, {1.0, 160, 120, 25, true, true, {}}));
        AddFilesThroughDialog(*window, prompts, {clip});
        const QString out = home.path() + u"/out";
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->txtOutputDirectory->setText(out);
        prompts.clear();
        const ConversionSeen run = ConvertThroughWindow(*window, prompts);
        QVERIFY(run.finished);
        QCOMPARE(prompts.texts(), QStringList());
        QCOMPARE(run.errorLog, QString(u'-' + clip + u": Invalid value '' for option 's'\n"));
        QCOMPARE(FilesIn(out), QStringList());
        QCOMPARE(WorkingFiles(window->ApplicationSettingsPath), QStringList());
    }

    // The real binary on spoilt profile files and settings: it starts, and a
    // logout closes it cleanly, saving the settings.
    void realBinaryOnSpoiltFiles_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("binary garbage") << garbage(21, 256 * 1024);
        QTest::newRow("1 MB lines") << "[General]\nNumberOfProfiles=32767\nDefaultProfile=9\n"
                                       "[Defaults]\nVideoSize=" +
                                           oneLine('9', OneMiB) +
                                           "\nVideoCodec=" + oneLine('c', OneMiB) + '\n';
    }

    void realBinaryOnSpoiltFiles() {
        QFETCH(QByteArray, content);
        TestHome home;
        ApplicationFolderCopy application;
        QVERIFY(application.isValid());
        const QString binary = application.path() + u"/mobivert";
        QVERIFY(QFile::copy(TestPaths::binary(QStringLiteral("mobivert")), binary));
        for (const char16_t *device : {u"iPod", u"Zune", u"PSP", u"MobilePhone"})
            QVERIFY(WriteFileBytes(application.profile(QString::fromUtf16(device)), content));
        QVERIFY(QDir().mkpath(home.dataFolder()));
        const QString settings = SettingsFile::path(home.dataFolder());
        QVERIFY(WriteFileBytes(settings, content));

        QProcess app;
        app.setProcessEnvironment(offscreen());
        app.setProcessChannelMode(QProcess::MergedChannels);
        app.start(binary, {});
        QVERIFY(app.waitForStarted());
        const pid_t pid = pid_t(app.processId());
        QTRY_VERIFY_WITH_TIMEOUT(CatchesSignal(pid, SIGTERM) || app.state() != QProcess::Running,
                                 kPatienceMs);
        QCOMPARE(app.state(), QProcess::Running);
        ::kill(pid, SIGTERM);
        QVERIFY(app.waitForFinished(kPatienceMs));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        QCOMPARE(SettingsFile::readOutputDir(home.dataFolder()), SettingsFile::defaultOutputDir());
        QVERIFY(keepsEveryByte(content, ReadFileBytes(settings)));
    }

    // Another copy converts in the same data folder: this one is refused
    // and touches none of the other's working files; once the other is
    // done, this one converts.
    void twoCopiesConvertingAtOnce() {
        TestHome home;
        const QString in = home.makeFolder(QStringLiteral("in"));
        const QString theirs = in + u"/theirs.avi";
        const QString mine = in + u"/mine.avi";
        QVERIFY(MakeClip(theirs, {30.0, 640, 480, 25, true, true, {}}));
        QVERIFY(MakeClip(mine, {1.0, 160, 120, 25, true, true, {}}));
        const QString theirOut = home.path() + u"/their out";
        const QString myOut = home.path() + u"/my out";

        QProcess other;
        other.setProcessEnvironment(offscreen());
        other.setProcessChannelMode(QProcess::MergedChannels);
        other.start(QStringLiteral(OTHER_COPY), {theirOut, theirs});
        QVERIFY(other.waitForStarted());
        QByteArray told;
        QTRY_VERIFY2_WITH_TIMEOUT((told += other.readAll()).contains("converting"),
                                  told.constData(), kPatienceMs);
        const QString data = home.dataFolder();
        const QByteArray batch = ReadFileBytes(BatchFiles::batch(data));
        const QByteArray converter = ReadFileBytes(BatchFiles::converter(data));
        QVERIFY(batch.contains("theirs.avi"));
        QVERIFY(!converter.isEmpty());

        FakePrompts prompts;
        auto window = OpenMainWindow();
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->SetFilesAtOnceChoice(1); // rows in order
        AddFilesThroughDialog(*window, prompts, {mine});
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->txtOutputDirectory->setText(myOut);
        prompts.clear();
        const ConversionSeen refused = ConvertThroughWindow(*window, prompts);
        QVERIFY(!refused.windowOpened);
        QCOMPARE(prompts.texts(),
                 QStringList{QStringLiteral("Mobivert is already converting one or more files!")});
        QCOMPARE(other.state(), QProcess::Running);
        QCOMPARE(ReadFileBytes(BatchFiles::batch(data)), batch);
        QCOMPARE(ReadFileBytes(BatchFiles::converter(data)), converter);

        QVERIFY(other.waitForFinished(120000));
        told += other.readAll();
        QVERIFY2(other.exitCode() == 0, told.constData());
        QCOMPARE(IncompleteOutput(theirOut + u"/theirs.m4v", 30.0), QString());
        QCOMPARE(WorkingFiles(data), QStringList());

        prompts.clear();
        const ConversionSeen converted = ConvertThroughWindow(*window, prompts);
        QVERIFY(converted.finished);
        QCOMPARE(converted.errorLog, QString());
        QCOMPARE(IncompleteOutput(myOut + u"/mine.m4v", 1.0), QString());
    }

    // A copy killed in the middle of its batch: its batch ends with it, and
    // the next conversion in the same data folder goes ahead.
    void copyKilledMidBatch() {
        TestHome home;
        const QString in = home.makeFolder(QStringLiteral("in"));
        const QString theirs = in + u"/theirs.avi";
        const QString next = in + u"/next.avi";
        const QString mine = in + u"/mine.avi";
        QVERIFY(MakeClip(theirs, {30.0, 640, 480, 25, true, true, {}}));
        QVERIFY(MakeClip(mine, {1.0, 160, 120, 25, true, true, {}}));
        QVERIFY(QFile::copy(mine, next));
        const QString theirOut = home.path() + u"/their out";

        QProcess other;
        other.setProcessEnvironment(offscreen());
        other.setProcessChannelMode(QProcess::MergedChannels);
        other.start(QStringLiteral(OTHER_COPY),
                    {QStringLiteral("--one-at-a-time"), theirOut, theirs, next});
        QVERIFY(other.waitForStarted());
        QByteArray told;
        QTRY_VERIFY2_WITH_TIMEOUT((told += other.readAll()).contains("converting"),
                                  told.constData(), kPatienceMs);
        // The converter's side jobs (a cover, a probe) read the file for a
        // moment too, so a sighting is kept rather than asked for again.
        bool converterSeen = false;
        QTRY_VERIFY_WITH_TIMEOUT(
            (converterSeen = converterSeen || !ProcessesMentioning(u"file:" + theirs).isEmpty()),
            kPatienceMs);
        other.kill();
        QVERIFY(other.waitForFinished());

        // Nothing of its batch runs on, and it leaves no partial file.
        QTRY_COMPARE_WITH_TIMEOUT(ProcessesMentioning(theirs), QStringList(), kPatienceMs);
        QCOMPARE(FilesIn(theirOut), QStringList());

        // Its working files are still there; a shell reading its batch file
        // would go on reading that text, whatever the next batch writes.
        const QString data = home.dataFolder();
        QFile theirBatch(BatchFiles::batch(data));
        QVERIFY(theirBatch.open(QIODevice::ReadOnly));
        const QByteArray theirText = ReadFileBytes(BatchFiles::batch(data));
        QVERIFY(theirText.contains("next.avi"));

        FakePrompts prompts;
        auto window = OpenMainWindow();
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->SetFilesAtOnceChoice(1); // rows in order
        AddFilesThroughDialog(*window, prompts, {mine});
        const QString myOut = home.path() + u"/my out";
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->txtOutputDirectory->setText(myOut);
        prompts.clear();
        const ConversionSeen run = ConvertThroughWindow(*window, prompts);
        QVERIFY(run.finished);
        QCOMPARE(prompts.texts(), QStringList());
        QCOMPARE(run.errorLog, QString());
        QCOMPARE(IncompleteOutput(myOut + u"/mine.m4v", 1.0), QString());
        QCOMPARE(WorkingFiles(data), QStringList());
        QCOMPARE(theirBatch.readAll(), theirText);
    }

private:
};

QTEST_MAIN(TestFileFaults)
#include "tst_faults_files.moc"
