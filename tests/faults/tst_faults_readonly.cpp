// Folders Mobivert may not write: a read-only data folder, and an output
// folder that turns read-only during a batch.
#include "app/OutputDirectoryPanel.h"
#include "app/convert/frmProcessing.h"
#include "core/settings/SettingsFile.h"
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

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr auto ReadOnlyFolder = QFile::ReadOwner | QFile::ExeOwner;
constexpr auto WritableFolder = ReadOnlyFolder | QFile::WriteOwner;

// Whether a new file can be made in the folder.
bool canCreateIn(const QString &folder) {
    QFile probe(folder + u"/probe");
    const bool created = probe.open(QIODevice::WriteOnly);
    if (created)
        probe.remove();
    return created;
}

QLineEdit *outputBox(frmMain &window) {
    return Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")->txtOutputDirectory;
}

} // namespace

class TestReadOnlyFaults : public QObject {
    Q_OBJECT

private slots:
    // The data folder takes no new files: a conversion is refused with a
    // clear message; the settings file, when there is one, is still
    // rewritten in place, and none is created when there is none.
    void readOnlyDataFolder_data() {
        QTest::addColumn<bool>("settingsFile");
        QTest::newRow("with a settings file") << true;
        QTest::newRow("without a settings file") << false;
    }

    void readOnlyDataFolder() {
        QFETCH(bool, settingsFile);
        TestHome home;
        FakePrompts prompts;
        const QString kept = home.path() + u"/kept";
        {
            auto first = OpenMainWindow();
            Child<OutputDirectoryPanel>(*first, "frmOutputDirectorySettings")
                ->SetFilesAtOnceChoice(1); // rows in order
            outputBox(*first)->setText(kept);
            if (settingsFile)
                first->close();
        }
        const QString data = home.dataFolder();
        QCOMPARE(FilesIn(data).size(), settingsFile ? 1 : 0);
        QVERIFY(QFile::setPermissions(data, ReadOnlyFolder));
        QVERIFY2(!canCreateIn(data), "the data folder can still be written");

        auto window = OpenMainWindow();
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->SetFilesAtOnceChoice(1); // rows in order
        QCOMPARE(outputBox(*window)->text(),
                 settingsFile ? kept : SettingsFile::defaultOutputDir());
        const QString clip = home.path() + u"/clip.avi";
        QVERIFY(MakeClip(clip, {1.0, 160, 120, 25, true, true, {}}));
        AddFilesThroughDialog(*window, prompts, {clip});
        const QString out = home.path() + u"/out";
        outputBox(*window)->setText(out);
        prompts.clear();

        const ConversionSeen run = ConvertThroughWindow(*window, prompts);
        QVERIFY(!run.windowOpened);
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Critical);
        QCOMPARE(prompts.shown[0].text,
                 QString(u"Unable to prepare the conversion in the data folder:\r\n" + data));

        window->close();
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(SettingsFile::readOutputDir(data),
                 settingsFile ? out : SettingsFile::defaultOutputDir());
        QCOMPARE(FilesIn(data).size(), settingsFile ? 1 : 0);
        QVERIFY(QFile::setPermissions(data, WritableFolder));
    }

    // Something in the batch file's place: nothing would run, so the
    // conversion is refused rather than reported as done.
    void batchFileCannotBeWritten() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->SetFilesAtOnceChoice(1); // rows in order
        const QString data = window->ApplicationSettingsPath;
        QVERIFY(QDir().mkpath(data + u"/BVC.bat"));
        const QString clip = home.path() + u"/clip.avi";
        QVERIFY(MakeClip(clip, {1.0, 160, 120, 25, true, true, {}}));
        AddFilesThroughDialog(*window, prompts, {clip});
        outputBox(*window)->setText(home.path() + u"/out");
        prompts.clear();

        const ConversionSeen run = ConvertThroughWindow(*window, prompts);
        QVERIFY(!run.windowOpened);
        QCOMPARE(prompts.texts(), QStringList{u"Unable to convert:\r\nCould not write " + data +
                                              u"/BVC.bat: Filename refers to a directory."});
        QCOMPARE(WorkingFiles(data), QStringList());
    }

    void outputFolderTurnsReadOnlyMidBatch() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->SetFilesAtOnceChoice(1); // rows in order
        const QString in = home.makeFolder(QStringLiteral("in"));
        const QStringList inputs{in + u"/a.avi", in + u"/long.avi", in + u"/c.avi"};
        QVERIFY(MakeClip(inputs[0], {1.0, 160, 120, 25, true, true, {}}));
        QVERIFY(MakeClip(inputs[1], {60.0, 640, 480, 25, true, true, {}}));
        QVERIFY(QFile::copy(inputs[0], inputs[2]));
        AddFilesThroughDialog(*window, prompts, inputs);
        const QString out = home.path() + u"/out";
        outputBox(*window)->setText(out);
        prompts.clear();

        bool locked = false;
        const ConversionSeen run =
            ConvertThroughWindow(*window, prompts, [&](frmProcessing &conversion) {
                if (!locked && conversion.progress().currentFile() == 2)
                    locked = QFile::setPermissions(out, ReadOnlyFolder);
                return false;
            });
        QVERIFY(locked);
        QVERIFY(run.finished);
        QCOMPARE(run.errorLog,
                 QString(u'-' + inputs[1] + u": " + out + u"/long.m4v: Permission denied\n-" +
                         inputs[2] + u": " + out + u"/c.m4v: Permission denied\n"));
        QCOMPARE(FilesIn(out), QStringList{QStringLiteral("a.m4v")});
        QCOMPARE(IncompleteOutput(out + u"/a.m4v", 1.0), QString());
        QVERIFY(QFile::setPermissions(out, WritableFolder));
    }
};

// Root passes every permission check. The test gives up the privileges that
// let it, so that it meets read-only folders as any user does.
int main(int argc, char **argv) {
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("MOBIVERT_UNPRIVILEGED")) {
        ::setenv("MOBIVERT_UNPRIVILEGED", "1", 1);
        std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
        std::vector<char *> arguments{
            const_cast<char *>("setpriv"), const_cast<char *>("--inh-caps=-all"),
            const_cast<char *>("--bounding-set=-all"), const_cast<char *>("--"), self.data()};
        for (int i = 1; i < argc; ++i)
            arguments.push_back(argv[i]);
        arguments.push_back(nullptr);
        ::execvp("setpriv", arguments.data());
        ::perror("setpriv");
        return 1;
    }
    QApplication application(argc, argv);
    TestReadOnlyFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults_readonly.moc"
