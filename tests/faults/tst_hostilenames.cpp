// Hostile file names through a whole batch in the main window: each file
// converts under its own name, or is reported clearly, and the shell that
// runs the batch never runs anything but the converter.
#include "app/OutputDirectoryPanel.h"
#include "app/filelist/FileListItems.h"
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

namespace {

// Every name that a shell would read as a command runs "touch MARKER" in
// the folder the batch runs in.
const QString Marker = QStringLiteral("MARKER");
constexpr double ClipSeconds = 1.0;

struct HostileName {
    const char *row;
    QString name;
};

QString repeated(const QString &piece, int times) {
    QString text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

QList<HostileName> corpus() {
    return {
        {"single quotes", QStringLiteral("it's 'quoted'.avi")},
        {"double quotes", QStringLiteral("say \"cheese\".avi")},
        {"quote breaking out", QStringLiteral("'; touch MARKER; '.avi")},
        {"escaped quote breaking out", QStringLiteral("'\\''; touch MARKER; echo '.avi")},
        {"double quote breaking out", QStringLiteral("\"; touch MARKER; \".avi")},
        {"command substitution", QStringLiteral("$(touch MARKER).avi")},
        {"backquotes", QStringLiteral("`touch MARKER`.avi")},
        {"variables", QStringLiteral("${IFS}touch${IFS}MARKER $HOME.avi")},
        {"semicolon", QStringLiteral("a; touch MARKER; b.avi")},
        {"ampersand", QStringLiteral("a & touch MARKER & b.avi")},
        {"pipe", QStringLiteral("a | touch MARKER | b.avi")},
        {"redirection", QStringLiteral("a > MARKER < b.avi")},
        {"percent", QStringLiteral("100% %d %s %n.avi")},
        {"media library fields", QStringLiteral("%FileName% %Codec%%PlayTime%.avi")},
        {"exclamation marks", QStringLiteral("wow!! !$ !-1.avi")},
        {"wildcards", QStringLiteral("star * ? [a-z].avi")},
        {"backslashes", QStringLiteral("back\\slash \\n \\.avi")},
        {"newline", QStringLiteral("new\ntouch MARKER\n.avi")},
        {"tab", QStringLiteral("tab\there.avi")},
        {"leading dash", QStringLiteral("-y -i x.avi")},
        {"leading double dash", QStringLiteral("--help.avi")},
        {"non-ASCII letters", QStringLiteral("Größe ñandú 日本語 Ελληνικά.avi")},
        {"right-to-left override", QStringLiteral("clip\u202Eiva.exe.avi")},
        {"right-to-left marks", QStringLiteral("\u200Fמקור\u200E קובץ.avi")},
        {"255 bytes", repeated(QStringLiteral("n"), 251) + u".avi"},
        {"255 bytes, two-byte letters", repeated(QStringLiteral("ä"), 125) + u"x.avi"},
    };
}

} // namespace

class TestHostileNames : public QObject {
    Q_OBJECT

private slots:
    // One batch of every name.
    void initTestCase() {
        m_home = std::make_unique<TestHome>();
        // A command that ran would leave its marker here.
        m_previousFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_home->path()));
        const QString clip = m_home->path() + u"/clip.avi";
        QVERIFY(MakeClip(clip, {ClipSeconds, 160, 120, 25, true, true, {}}));
        const QString in = m_home->makeFolder(QStringLiteral("in"));
        QStringList inputs;
        for (const HostileName &entry : corpus()) {
            inputs << in + u'/' + entry.name;
            QVERIFY2(QFile::copy(clip, inputs.last()), entry.row);
        }

        m_window = OpenMainWindow();
        AddFilesThroughDialog(*m_window, m_prompts, inputs);
        QCOMPARE(Child<QTreeWidget>(*m_window, "lvwVideoFiles")->topLevelItemCount(),
                 inputs.size());
        m_out = m_home->path() + u"/out";
        Child<OutputDirectoryPanel>(*m_window, "frmOutputDirectorySettings")
            ->txtOutputDirectory->setText(m_out);
        m_prompts.clear();
        m_run = ConvertThroughWindow(*m_window, m_prompts);
        QVERIFY(m_run.finished);
        QCOMPARE(m_prompts.texts(), QStringList());
    }

    void cleanupTestCase() {
        m_window.reset();
        QDir::setCurrent(m_previousFolder);
        m_home.reset();
    }

    void eachName_data() {
        QTest::addColumn<QString>("name");
        for (const HostileName &entry : corpus())
            QTest::newRow(entry.row) << entry.name;
    }

    void eachName() {
        QFETCH(QString, name);
        const QString input = m_home->path() + u"/in/" + name;
        const QList<FileListRow> rows =
            ReadFileListRows(Child<QTreeWidget>(*m_window, "lvwVideoFiles"));
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&](const FileListRow &r) { return r.Filepath == input; });
        QVERIFY(row != rows.end());
        // Listed under its own name (a line break in it shows as " / ", so
        // that the row stays one line), with what the file holds.
        const QString base = QFileInfo(input).completeBaseName();
        QCOMPARE(row->Filename, base);
        const QString shown = Child<QTreeWidget>(*m_window, "lvwVideoFiles")
                                  ->topLevelItem(int(row - rows.begin()))
                                  ->text(ColumnFilename);
        QVERIFY2(!shown.contains(u'\n') && !shown.contains(u'\r'), qPrintable(shown));
        QCOMPARE(row->Duration, 1);
        QCOMPARE(row->VideoSize, QSize(160, 120));

        // Converted under the same name.
        const QString output = m_out + u'/' + base + u".m4v";
        QCOMPARE(IncompleteOutput(output, ClipSeconds), QString());
        QVERIFY2(!m_run.errorLog.contains(input), qPrintable(m_run.errorLog));
    }

    void nothingElseRan() {
        QVERIFY2(m_run.errorLog.isEmpty(), qPrintable(m_run.errorLog));
        QCOMPARE(FindNamed(m_home->path(), Marker), QStringList());
        // One output per input, and no partial file.
        QCOMPARE(FilesIn(m_out).size(), corpus().size());
        QCOMPARE(WorkingFiles(m_window->ApplicationSettingsPath), QStringList());
    }

private:
    std::unique_ptr<TestHome> m_home;
    QString m_previousFolder;
    FakePrompts m_prompts;
    std::unique_ptr<frmMain> m_window;
    QString m_out;
    ConversionSeen m_run;
};

QTEST_MAIN(TestHostileNames)
#include "tst_hostilenames.moc"
