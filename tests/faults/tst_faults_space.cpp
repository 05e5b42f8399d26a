// A data folder that cannot take a batch's working files, and the record of
// an interrupted batch that cannot be read: nothing is converted, the user
// is told which file is at fault, and no working file is left behind.
#include "app/InterruptedBatch.h"
#include "app/OutputDirectoryPanel.h"
#include "app/frmMain.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/BatchRecord.h"
#include "tests/faults/FaultFixtures.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

struct CliRun {
    int exitCode = -1;
    QString said; // standard output and error together
};

CliRun runCli(const QStringList &arguments) {
    QProcess cli;
    cli.setProcessChannelMode(QProcess::MergedChannels);
    cli.start(TestPaths::binary(QStringLiteral("mobivert-cli")), arguments);
    CliRun run;
    if (cli.waitForFinished(120000) && cli.exitStatus() == QProcess::NormalExit)
        run.exitCode = cli.exitCode();
    run.said = QString::fromUtf8(cli.readAll());
    return run;
}

// A folder with something in it where the batch writes one of its files.
bool blockWorkingFile(const QString &dataFolder, const QString &name) {
    return QDir().mkpath(dataFolder + u'/' + name + u"/inside");
}

// What a batch that was cut short leaves in the data folder, and its record,
// spoilt.
bool leaveSpoiltBatch(const QString &dataFolder) {
    return QDir().mkpath(dataFolder) &&
           WriteFileBytes(BatchRecordFile::path(dataFolder), "{\"version\": 1, \"rows\": [") &&
           WriteFileBytes(BatchFiles::laneBatch(dataFolder, 0), "true\n") &&
           WriteFileBytes(BatchFiles::laneBatch(dataFolder, 1), "true\n") &&
           WriteFileBytes(BatchFiles::converter(dataFolder), "copy");
}

// The file the record was set aside as, from what the user was told.
QString setAsideIn(const QString &said) {
    static const QRegularExpression spoilt(QStringLiteral("(/\\S[^\\r\\n]*?\\.spoilt)"));
    return spoilt.match(said).captured(1);
}

} // namespace

class TestSpaceFaults : public QObject {
    Q_OBJECT

private slots:
    void workingFileCannotBeWritten_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("converter copy") << QString::fromUtf16(BatchFiles::ConverterName);
        QTest::newRow("batch file") << QStringLiteral("BVC.bat");
    }

    // The command line refuses the batch and names the file.
    void workingFileCannotBeWritten() {
        QFETCH(QString, name);
        TestHome home;
        const QString data = home.dataFolder();
        QVERIFY(blockWorkingFile(data, name));
        const QString clip = home.path() + u"/clip.avi";
        QVERIFY(MakeClip(clip, {1.0, 160, 120, 25, true, true, {}}));
        const QString out = home.path() + u"/out";

        const CliRun run =
            runCli({QStringLiteral("-j"), QStringLiteral("1"), QStringLiteral("-o"), out, clip});
        QVERIFY2(run.exitCode == 1, qPrintable(run.said));
        QVERIFY2(
            run.said.contains(u"unable to convert: could not write " + data + u'/' + name + u": "),
            qPrintable(run.said));
        QCOMPARE(FilesIn(out), QStringList());
        QCOMPARE(WorkingFiles(data), QStringList());
    }

    // The window says the same, before its conversion window opens.
    void converterCopyCannotBeWrittenInTheWindow() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")->SetFilesAtOnceChoice(1);
        const QString data = window->ApplicationSettingsPath;
        const QString converter = BatchFiles::converter(data);
        QVERIFY(blockWorkingFile(data, QString::fromUtf16(BatchFiles::ConverterName)));
        const QString clip = home.path() + u"/clip.avi";
        QVERIFY(MakeClip(clip, {1.0, 160, 120, 25, true, true, {}}));
        AddFilesThroughDialog(*window, prompts, {clip});
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->txtOutputDirectory->setText(home.path() + u"/out");
        prompts.clear();

        const ConversionSeen run = ConvertThroughWindow(*window, prompts);
        QVERIFY(!run.windowOpened);
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Critical);
        QVERIFY2(prompts.shown[0].text.startsWith(u"Unable to convert:\r\nCould not write " +
                                                  converter + u": "),
                 qPrintable(prompts.shown[0].text));
        QCOMPARE(WorkingFiles(data), QStringList());
    }

    // --resume of a record that cannot be read fails, says where the record
    // went, and removes what its batch left.
    void cliResumeOfASpoiltRecord() {
        TestHome home;
        const QString data = home.dataFolder();
        QVERIFY(leaveSpoiltBatch(data));

        const CliRun run = runCli({QStringLiteral("--resume")});
        QVERIFY2(run.exitCode == 1, qPrintable(run.said));
        const QString setAside = setAsideIn(run.said);
        QVERIFY2(setAside.startsWith(BatchRecordFile::path(data) + u'.'), qPrintable(run.said));
        QVERIFY(QFile::exists(setAside));
        QVERIFY(!run.said.contains(u"Nothing to resume"));
        QCOMPARE(WorkingFiles(data), QStringList());
        QVERIFY(!QFile::exists(BatchRecordFile::path(data)));
    }

    // The window's start does the same through its prompts.
    void windowStartWithASpoiltRecord() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        const QString data = window->ApplicationSettingsPath;
        QVERIFY(leaveSpoiltBatch(data));
        prompts.clear();

        window->OfferInterruptedBatch();
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Exclamation);
        const QString setAside = setAsideIn(prompts.shown[0].text);
        QVERIFY2(setAside.startsWith(BatchRecordFile::path(data) + u'.'),
                 qPrintable(prompts.shown[0].text));
        QVERIFY(QFile::exists(setAside));
        QCOMPARE(WorkingFiles(data), QStringList());
    }
};

QTEST_MAIN(TestSpaceFaults)
#include "tst_faults_space.moc"
