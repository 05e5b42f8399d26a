// Faults during a conversion through the main window with the real
// converter and ffmpeg: what the user is told, and that nothing is lost.
#include "app/OutputDirectoryPanel.h"
#include "app/convert/frmProcessing.h"
#include "tests/faults/FaultFixtures.h"
#include "tests/support/ConversionDriver.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

// Seconds of the short clips; the long one takes long enough to convert
// that a fault can strike in the middle of it.
constexpr double ShortSeconds = 1.0;
constexpr double LongSeconds = 60.0;

// The main window with the given clips copied into the home and listed, and
// an output folder named.
struct Listed {
    // Each clip is copied under the name given with it.
    Listed(const TestHome &home, const QList<std::pair<QString, QString>> &clips) {
        window = OpenMainWindow();
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->SetFilesAtOnceChoice(1); // rows in order
        const QString in = home.makeFolder(QStringLiteral("in"));
        for (const auto &[clip, name] : clips) {
            inputs << in + u'/' + name;
            QVERIFY(QFile::copy(clip, inputs.last()));
        }
        AddFilesThroughDialog(*window, prompts, inputs);
        QCOMPARE(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount(), inputs.size());
        out = home.path() + u"/out";
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->txtOutputDirectory->setText(out);
        prompts.clear();
    }
    QString output(int row) const { // 0-based
        return out + u'/' + QFileInfo(inputs[row]).completeBaseName() + u".m4v";
    }

    FakePrompts prompts;
    std::unique_ptr<frmMain> window;
    QStringList inputs;
    QString out;
};

// Restores an environment variable when it goes.
struct SavedVariable {
    explicit SavedVariable(const char *variable)
        : name(variable)
        , value(qgetenv(variable))
        , wasSet(qEnvironmentVariableIsSet(variable)) {}
    ~SavedVariable() {
        if (wasSet)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    const char *name;
    QByteArray value;
    bool wasSet;
};

} // namespace

class TestConversionFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // A crashing converter leaves no core file behind.
        const rlimit noCore{0, 0};
        QCOMPARE(setrlimit(RLIMIT_CORE, &noCore), 0);
        QVERIFY(m_clips.isValid());
        m_short = m_clips.filePath(QStringLiteral("short.avi"));
        m_long = m_clips.filePath(QStringLiteral("long.avi"));
        QVERIFY(MakeClip(m_short, {ShortSeconds, 160, 120, 25, true, true, {}}));
        QVERIFY(MakeClip(m_long, {LongSeconds, 640, 480, 25, true, true, {}}));
    }

    void ffmpegMissing_data() {
        QTest::addColumn<QString>("chosen"); // MOBIVERT_FFMPEG; "-" unsets it
        QTest::addColumn<QString>("path");   // PATH; empty keeps it
        QTest::newRow("MOBIVERT_FFMPEG names no file") << "/nonexistent/ffmpeg"
                                                       << "";
        QTest::newRow("MOBIVERT_FFMPEG names a folder") << "/usr/bin"
                                                        << "";
        QTest::newRow("no ffmpeg on PATH") << "-"
                                           << "/nonexistent";
    }

    void ffmpegMissing() {
        QFETCH(QString, chosen);
        QFETCH(QString, path);
        TestHome home;
        Listed listed(home,
                      {{m_short, QStringLiteral("a.avi")}, {m_short, QStringLiteral("b.avi")}});
        SavedVariable savedChoice("MOBIVERT_FFMPEG"), savedPath("PATH");
        if (chosen == u"-")
            qunsetenv("MOBIVERT_FFMPEG");
        else
            qputenv("MOBIVERT_FFMPEG", chosen.toUtf8());
        if (!path.isEmpty())
            qputenv("PATH", path.toUtf8());

        const ConversionSeen run = ConvertThroughWindow(*listed.window, listed.prompts);
        QVERIFY(run.finished);
        QCOMPARE(run.currentFile, QStringLiteral("Finished!"));
        QString expected;
        for (const QString &input : listed.inputs)
            expected += u'-' + input + u": ffmpeg not found: install the ffmpeg package\n";
        QCOMPARE(run.errorLog, expected);
        QCOMPARE(FilesIn(listed.out), QStringList());
        QCOMPARE(WorkingFiles(listed.window->ApplicationSettingsPath), QStringList());
    }

    void inputDeletedAfterItWasAdded() {
        TestHome home;
        Listed listed(home, {{m_short, QStringLiteral("a.avi")},
                             {m_short, QStringLiteral("b.avi")},
                             {m_short, QStringLiteral("c.avi")}});
        QVERIFY(QFile::remove(listed.inputs[1]));

        const ConversionSeen run = ConvertThroughWindow(*listed.window, listed.prompts);
        QVERIFY(run.finished);
        QCOMPARE(run.errorLog, QString(u'-' + listed.inputs[1] + u": no such file or directory\n"));
        QCOMPARE(FilesIn(listed.out), QStringList({QFileInfo(listed.output(0)).fileName(),
                                                   QFileInfo(listed.output(2)).fileName()}));
        QCOMPARE(IncompleteOutput(listed.output(0), ShortSeconds), QString());
        QCOMPARE(IncompleteOutput(listed.output(2), ShortSeconds), QString());
        QCOMPARE(WorkingFiles(listed.window->ApplicationSettingsPath), QStringList());
    }

    // The user removes the output folder while the second file converts.
    void outputFolderRemovedMidBatch() {
        TestHome home;
        Listed listed(home, {{m_short, QStringLiteral("a.avi")},
                             {m_long, QStringLiteral("long.avi")},
                             {m_short, QStringLiteral("c.avi")}});
        bool removed = false;
        const ConversionSeen run =
            ConvertThroughWindow(*listed.window, listed.prompts, [&](frmProcessing &window) {
                if (!removed && window.progress().currentFile() == 2 &&
                    window.progress().currentValue() > 0)
                    removed = QDir(listed.out).removeRecursively();
                return false;
            });
        QVERIFY(removed);
        QVERIFY(run.finished);
        // The files still to convert are reported; nothing is written
        // anywhere else.
        QCOMPARE(run.errorLog,
                 QString(u'-' + listed.inputs[1] + u": " + listed.output(1) +
                         u": No such file or directory\n-" + listed.inputs[2] + u": " +
                         listed.output(2) + u": No such file or directory\n"));
        QVERIFY(!QFileInfo::exists(listed.out));
        QCOMPARE(WorkingFiles(listed.window->ApplicationSettingsPath), QStringList());
    }

    // The converter may write files no larger than a limit that the second
    // file passes: that file fails, the others convert.
    void fileSizeLimit() {
        TestHome home;
        ApplicationFolderCopy application;
        QVERIFY(application.isValid());
        QVERIFY(application.replaceConverter(
            QStringLiteral("exec prlimit --fsize=400000 -- REAL_CONVERTER \"$@\"")));
        Listed listed(home, {{m_short, QStringLiteral("a.avi")},
                             {m_long, QStringLiteral("long.avi")},
                             {m_short, QStringLiteral("c.avi")}});

        const ConversionSeen run = ConvertThroughWindow(*listed.window, listed.prompts);
        QVERIFY(run.finished);
        QCOMPARE(run.errorLog, QString(u'-' + listed.inputs[1] + u": " + listed.output(1) +
                                       u": File too large\n"));
        QCOMPARE(FilesIn(listed.out), QStringList({QFileInfo(listed.output(0)).fileName(),
                                                   QFileInfo(listed.output(2)).fileName()}));
        QCOMPARE(IncompleteOutput(listed.output(0), ShortSeconds), QString());
        QCOMPARE(IncompleteOutput(listed.output(2), ShortSeconds), QString());
        QCOMPARE(WorkingFiles(listed.window->ApplicationSettingsPath), QStringList());
    }

    // The converter crashes in the middle of the second file.
    void converterCrashesMidFile() {
        TestHome home;
        Listed listed(home, {{m_short, QStringLiteral("a.avi")},
                             {m_long, QStringLiteral("long.avi")},
                             {m_short, QStringLiteral("c.avi")}});
        bool crashed = false;
        const ConversionSeen run =
            ConvertThroughWindow(*listed.window, listed.prompts, [&](frmProcessing &window) {
                if (!crashed && window.progress().currentFile() == 2 &&
                    window.progress().currentValue() > 0) {
                    for (const pid_t pid : ConverterProcesses(window.processGroup()))
                        crashed = ::kill(pid, SIGSEGV) == 0 || crashed;
                }
                return false;
            });
        QVERIFY(crashed);
        QVERIFY(run.finished);
        QCOMPARE(run.errorLog, QString(u'-' + listed.inputs[1] + u": Segmentation fault\n"));
        QCOMPARE(FilesIn(listed.out), QStringList({QFileInfo(listed.output(0)).fileName(),
                                                   QFileInfo(listed.output(2)).fileName()}));
        QCOMPARE(IncompleteOutput(listed.output(0), ShortSeconds), QString());
        QCOMPARE(IncompleteOutput(listed.output(2), ShortSeconds), QString());
        // Its encoder went with it.
        QCOMPARE(ProcessesMentioning(listed.inputs[1]), QStringList());
        QCOMPARE(WorkingFiles(listed.window->ApplicationSettingsPath), QStringList());
    }

private:
    QTemporaryDir m_clips;
    QString m_short, m_long;
};

QTEST_MAIN(TestConversionFaults)
#include "tst_faults_conversion.moc"
