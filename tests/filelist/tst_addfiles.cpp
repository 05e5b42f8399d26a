// Adding files: the file dialog and its folder memory, dropping files, the
// progress display with "(Cancel)", and every column of a row against what
// ffprobe says of the same file.
#include "app/FileListController.h"
#include "app/MainStatusBar.h"
#include "app/StartupFiles.h"
#include "app/filelist/FileListItems.h"
#include "app/filelist/VideoFileAdder.h"
#include "app/widgets/ClickableLabel.h"
#include "app/widgets/GUIFunctions.h"
#include "app/widgets/QtPrompts.h"
#include "core/filelist/AddFilesDialog.h"
#include "core/filelist/VideoFileInfo.h"
#include "core/platform/PathBytes.h"
#include "tests/filelist/SampleFiles.h"
#include "tests/support/ConversionDriver.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QJsonObject>
#include <QMimeData>
#include <QProgressBar>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// What the status bar showed each time the progress bar moved.
struct ProgressSeen {
    QString panelText;
    bool overlayShown = false;
    bool barShown = false;
    int value = 0;
    int maximum = 0;
};

// Records the status bar each time the progress bar moves.
class ProgressWatcher final : public QObject {
public:
    explicit ProgressWatcher(frmMain &window) {
        connect(Child<QProgressBar>(window, "AddFilesProgressBar"), &QProgressBar::valueChanged,
                this, [this, &window](int value) {
                    seen.append({Child<MainStatusBar>(window, "StatusBar")->panelText(2),
                                 !Child<QWidget>(window, "CancelOverlay")->isHidden(),
                                 !Child<QProgressBar>(window, "AddFilesProgressBar")->isHidden(),
                                 value,
                                 Child<QProgressBar>(window, "AddFilesProgressBar")->maximum()});
                });
    }

    QList<ProgressSeen> seen;
};

void verifyIdle(const frmMain &window) {
    QCOMPARE(Child<MainStatusBar>(window, "StatusBar")->panelText(2), QString());
    QVERIFY(Child<QWidget>(window, "CancelOverlay")->isHidden());
    QVERIFY(Child<QProgressBar>(window, "AddFilesProgressBar")->isHidden());
}

QString settingsFile(const TestHome &home) {
    return home.dataFolder() + u"/Settings.ini";
}

QByteArray fileContent(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The codec names the media library uses for what ffprobe calls a codec.
QStringList codecFamily(const QString &ffprobeName) {
    if (ffprobeName == u"mpeg4")
        return {QStringLiteral("XVID"), QStringLiteral("DIVX"), QStringLiteral("DX50"),
                QStringLiteral("MPEG-4 Visual")};
    if (ffprobeName == u"h264")
        return {QStringLiteral("AVC"), QStringLiteral("H264"), QStringLiteral("avc1")};
    return {};
}

// The Duration column as ffprobe's duration gives it: whole milliseconds,
// then seconds rounded half to even.
qint64 durationFromProbe(const QJsonObject &probe) {
    const QString text = probe.value(QStringLiteral("format"))
                             .toObject()
                             .value(QStringLiteral("duration"))
                             .toString();
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok)
        return 0;
    return MillisecondsToSeconds(qint32(*RoundHalfToEven(seconds * 1000.0)));
}

void dropOnList(frmMain &window, QMimeData *data, bool *accepted = nullptr) {
    QWidget *viewport = Child<QTreeWidget>(window, "lvwVideoFiles")->viewport();
    const QPointF position(20, 20);
    QDragEnterEvent enter(position.toPoint(), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QDropEvent drop(position, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    if (accepted)
        *accepted = enter.isAccepted() && drop.isAccepted();
}

QList<QUrl> localUrls(const QStringList &paths) {
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    return urls;
}

} // namespace

class TestAddFiles : public QObject {
    Q_OBJECT

private slots:
    void columnsMatchFfprobe_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("MPEG-4 video and MP3 audio in AVI") << "avi";
        QTest::newRow("H.264 in MP4") << "mp4";
        QTest::newRow("audio-only MP3") << "mp3";
        QTest::newRow("zero bytes") << "empty";
        QTest::newRow("text named .avi") << "text";
        QTest::newRow("blanks, quotes, $ and non-ASCII in the name") << "odd";
    }

    void columnsMatchFfprobe() {
        QFETCH(QString, kind);
        TestHome home;
        FakePrompts prompts;
        const QString folder = home.makeFolder(QStringLiteral("Videos"));
        QString path;
        if (kind == u"avi")
            path = SampleFiles::makeMpeg4Avi(folder);
        else if (kind == u"mp4")
            path = SampleFiles::makeH264Mp4(folder);
        else if (kind == u"mp3")
            path = SampleFiles::makeMp3(folder);
        else if (kind == u"empty")
            path = SampleFiles::makeEmpty(folder);
        else if (kind == u"text")
            path = SampleFiles::makeTextAsAvi(folder);
        else
            path = SampleFiles::makeOddlyNamed(folder);

        auto window = OpenMainWindow();
        prompts.fileSelections.push_back({path});
        Child<QAction>(*window, "mnuFile_AddVideos")->trigger();

        const QList<FileListRow> rows =
            ReadFileListRows(Child<QTreeWidget>(*window, "lvwVideoFiles"));
        const QJsonObject probe = Probe(path);
        const QJsonObject video = ProbeStream(probe, QStringLiteral("video"));
        if (video.isEmpty() && ProbeStream(probe, QStringLiteral("audio")).isEmpty()) {
            // Nothing to convert: named in a message, not listed.
            QCOMPARE(rows.size(), 0);
            QCOMPARE(prompts.shown.size(), 1);
            QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Exclamation);
            QCOMPARE(prompts.shown[0].text,
                     u"This file was not added, because it holds no video:\r\n"_s + path);
            verifyIdle(*window);
            return;
        }
        QCOMPARE(prompts.shown.size(), 0);
        QCOMPARE(rows.size(), 1);
        const FileListRow &row = rows.first();

        QCOMPARE(row.Filepath, path);
        // The library names a file without its extension.
        QCOMPARE(row.Filename, QFileInfo(path).completeBaseName());
        QCOMPARE(row.Duration, durationFromProbe(probe));
        if (kind == u"avi" || kind == u"mp3" || kind == u"mp4")
            QVERIFY2(row.Duration != 0, "ffprobe should know these durations");
        if (video.isEmpty()) {
            QCOMPARE(row.Codec, QStringLiteral("UNKNOWN"));
            QCOMPARE(row.VideoSize, QSize(0, 0));
        } else {
            const QString codec = video.value(QStringLiteral("codec_name")).toString();
            QVERIFY2(codecFamily(codec).contains(row.Codec),
                     qPrintable(codec + u" shown as " + row.Codec));
            QCOMPARE(row.VideoSize, QSize(video.value(QStringLiteral("width")).toInt(),
                                          video.value(QStringLiteral("height")).toInt()));
        }
        QVERIFY(!row.BeginTime);
        QVERIFY(!row.EndTime);
        QVERIFY(!row.IsTrimmed());
    }

    void columnsOfTheList() {
        TestHome home;
        auto window = OpenMainWindow();
        window->resize(820, 640);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTreeWidget *list = Child<QTreeWidget>(*window, "lvwVideoFiles");
        const QTreeWidgetItem *header = list->headerItem();
        QStringList headers;
        for (int column = 0; column < header->columnCount(); ++column)
            headers << header->text(column);
        QCOMPARE(headers,
                 (QStringList{u"Filename"_s, u"Codec"_s, u"Duration"_s, u"Video Size"_s,
                              u"Begin Time"_s, u"End Time"_s, u"Filepath"_s, u"Status"_s}));
        const QList<int> widths{140, 96, 96, 96};
        for (int column = 0; column < 4; ++column) {
            QVERIFY(!list->isColumnHidden(column));
            QCOMPARE(list->columnWidth(column), widths[column]);
        }
        for (int column = 4; column < 7; ++column)
            QVERIFY(list->isColumnHidden(column));
        // The hidden columns take no room: no scrolling sideways.
        QVERIFY(!list->isColumnHidden(ColumnStatus));
        QCOMPARE(list->header()->length(), 140 + 3 * 96 + list->columnWidth(ColumnStatus));
        QVERIFY(!list->horizontalScrollBar()->isVisible());
        QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(!list->isSortingEnabled());
    }

    void dialogTitleFolderAndFilter() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        window->show();
        QTest::mouseClick(Child<ClickableLabel>(*window, "imgAddVideos"), Qt::LeftButton);
        QCOMPARE(prompts.fileDialogCount, 1);
        QCOMPARE(prompts.lastDialogTitle, QStringLiteral("Add Video File(s)"));
        QCOMPARE(prompts.lastDialogFolder, QDir::homePath() + u'/');
        const QStringList entries = prompts.lastDialogFilter.split(QStringLiteral(";;"));
        QStringList names;
        for (const QString &entry : entries)
            names << entry.section(QStringLiteral(" ("), 0, 0);
        QCOMPARE(names, (QStringList{u"All Supported Files"_s, u"MP3 Files"_s, u"MPEG Files"_s,
                                     u"AVI Files"_s, u"3GP Files"_s, u"FLV Files"_s,
                                     u"Windows Media Files"_s, u"MPEG-4 Files"_s,
                                     u"Matroska and WebM Files"_s, u"MPEG Transport Streams"_s,
                                     u"DVD Video Files"_s, u"Ogg Video Files"_s, u"All Files"_s}));
        QCOMPARE(entries.first(),
                 QStringLiteral("All Supported Files (*.mp3 *.mpg *.mpeg *.mpe *.m2v *.mp2 *.dat "
                                "*.avi *.divx *.3gp *.flv *.wma *.wmv *.asf *.mp4 *.m4v *.mov "
                                "*.mkv *.webm *.ts *.m2ts *.mts *.vob *.ogv *.3g2)"));
        QCOMPARE(entries.at(2),
                 QStringLiteral("MPEG Files (*.mpg *.mpeg *.mpe *.m2v *.mp2 *.dat)"));
        QCOMPARE(entries.at(4), QStringLiteral("3GP Files (*.3gp *.3g2)"));
        QCOMPARE(entries.at(6), QStringLiteral("Windows Media Files (*.wma *.wmv *.asf)"));
        QCOMPARE(entries.at(7), QStringLiteral("MPEG-4 Files (*.mp4 *.m4v *.mov)"));
        QCOMPARE(entries.at(8), QStringLiteral("Matroska and WebM Files (*.mkv *.webm)"));
        QCOMPARE(entries.at(9), QStringLiteral("MPEG Transport Streams (*.ts *.m2ts *.mts)"));
        // Every pattern of an entry is offered among the supported files.
        const QString supported = entries.first();
        for (const QString &entry : entries.mid(1, entries.size() - 2)) {
            const QString patterns = entry.section(u'(', 1).chopped(1);
            for (const QString &pattern : patterns.split(u' '))
                QVERIFY2(supported.contains(u' ' + pattern + u' ') ||
                             supported.contains(u' ' + pattern + u')') ||
                             supported.contains(u'(' + pattern + u' '),
                         qPrintable(pattern));
        }
        // Cancelled: nothing added, nothing written.
        QCOMPARE(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount(), 0);
        QVERIFY(!fileContent(settingsFile(home)).contains("AddFiles"));
    }

    void folderMemory_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("trailingSlash");
        QTest::newRow("one file: its folder with a slash") << 1 << true;
        QTest::newRow("several files: the folder without one") << 3 << false;
    }

    void folderMemory() {
        QFETCH(int, files);
        QFETCH(bool, trailingSlash);
        TestHome home;
        FakePrompts prompts;
        const QString folder = home.makeFolder(QStringLiteral("My Videos"));
        auto window = OpenMainWindow();
        prompts.fileSelections.push_back(SampleFiles::makeSmallFiles(folder, files));
        Child<QAction>(*window, "mnuFile_AddVideos")->trigger();
        QCOMPARE(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount(), files);

        const QString remembered = folder + (trailingSlash ? u"/" : u"");
        QVERIFY2(fileContent(settingsFile(home))
                     .contains(QByteArray(QByteArray("AddFiles=") + remembered.toUtf8())),
                 fileContent(settingsFile(home)).constData());
        // The next dialog starts there.
        Child<QAction>(*window, "mnuFile_AddVideos")->trigger();
        QCOMPARE(prompts.lastDialogFolder, remembered);
    }

    void folderMemoryIsWrittenOnlyWhenItChanged() {
        TestHome home;
        FakePrompts prompts;
        const QString folder = home.makeFolder(QStringLiteral("Clips"));
        QDir().mkpath(home.dataFolder());
        // Written by hand: a rewrite of the key would change the line.
        const QByteArray settings = "[Commondialog]\nAddFiles = \"" + folder.toUtf8() + "/\"\n";
        QVERIFY(WriteFileBytes(settingsFile(home), settings));

        auto window = OpenMainWindow();
        prompts.fileSelections.push_back(SampleFiles::makeSmallFiles(folder, 1));
        Child<QAction>(*window, "mnuFile_AddVideos")->trigger();
        QCOMPARE(prompts.lastDialogFolder, folder + u'/');
        QCOMPARE(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount(), 1);
        QCOMPARE(fileContent(settingsFile(home)), settings);
    }

    void rememberedFolder_data() {
        QTest::addColumn<QStringList>("selection");
        QTest::addColumn<QString>("folder");
        QTest::newRow("none") << QStringList{} << QString();
        QTest::newRow("one") << QStringList{u"/data/v/a.avi"_s} << "/data/v/";
        QTest::newRow("several") << QStringList{u"/data/v/a.avi"_s, u"/data/v/b.avi"_s}
                                 << "/data/v";
        QTest::newRow("one in the root") << QStringList{u"/a.avi"_s} << "/";
        QTest::newRow("several in the root") << QStringList{u"/a.avi"_s, u"/b.avi"_s} << "/";
        QTest::newRow("name repeated in the folder") << QStringList{u"/a.avi/a.avi"_s} << "/a.avi/";
    }

    void rememberedFolder() {
        QFETCH(QStringList, selection);
        QFETCH(QString, folder);
        QCOMPARE(AddFilesDialog::rememberedFolder(selection), folder);
    }

    void oneFileShowsAddingFile() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        ProgressWatcher watcher(*window);
        prompts.fileSelections.push_back(
            SampleFiles::makeSmallFiles(home.makeFolder(QStringLiteral("v")), 1));
        Child<QAction>(*window, "mnuFile_AddVideos")->trigger();

        const QList<ProgressSeen> &seen = watcher.seen;
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].panelText, QStringLiteral("Adding File..."));
        QVERIFY(seen[0].overlayShown);
        QVERIFY(seen[0].barShown);
        QCOMPARE(seen[0].maximum, 1);
        QCOMPARE(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount(), 1);
        verifyIdle(*window);
    }

    void severalFilesInTheirOrder() {
        TestHome home;
        FakePrompts prompts;
        const QString folder = home.makeFolder(QStringLiteral("v"));
        const QString avi = SampleFiles::makeMpeg4Avi(folder);
        const QStringList others = SampleFiles::makeSmallFiles(folder, 2);
        const QString text = SampleFiles::makeTextAsAvi(folder);
        const QString empty = SampleFiles::makeEmpty(folder);
        // The same file twice gives two identical rows; the files without
        // video or sound give none, and are named once at the end.
        const QStringList selection{others[0], avi, text, others[1], empty, avi};
        auto window = OpenMainWindow();
        ProgressWatcher watcher(*window);
        prompts.fileSelections.push_back(selection);
        Child<QAction>(*window, "mnuFile_AddVideos")->trigger();

        const QList<FileListRow> rows =
            ReadFileListRows(Child<QTreeWidget>(*window, "lvwVideoFiles"));
        const QStringList listed{others[0], avi, others[1], avi};
        QCOMPARE(rows.size(), 4);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(rows[i].Filepath, listed[i]);
        QCOMPARE(rows[1], rows[3]);
        QCOMPARE(rows[1].Codec, QStringLiteral("MPEG-4 Visual"));
        QCOMPARE(rows[0].Codec, QStringLiteral("UNKNOWN")); // sound alone
        QCOMPARE(prompts.texts(), QStringList{VideoFileAdder::NoVideoMessage({text, empty})});
        QCOMPARE(prompts.shown[0].text,
                 u"These files were not added, because they hold no video:\r\n"_s + text +
                     u"\r\n"_s + empty);

        const QList<ProgressSeen> &seen = watcher.seen;
        QCOMPARE(seen.size(), 6);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(seen[i].panelText, QStringLiteral("Adding Files..."));
            QCOMPARE(seen[i].value, i + 1);
            QCOMPARE(seen[i].maximum, 6);
            QVERIFY(seen[i].overlayShown && seen[i].barShown);
        }
        verifyIdle(*window);
    }

    // The Add dialog shows its files in detail, every column whole: the name
    // (a long one too), size, type and date, in the window's own font.
    void addDialogShowsEveryColumn() {
        TestHome home;
        QVERIFY(WriteFileBytes(home.path() + u"/a rather long name of a holiday video.avi"_s, "x"));
        const QFont font = QApplication::font();
        QApplication::setFont(VerdanaFont());
        QStringList columns, cut;
        int shown = 0; // looks at the listing once it has settled
        QTimer look;
        connect(&look, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            auto *view = dialog ? dialog->findChild<QTreeView *>(u"treeView"_s) : nullptr;
            if (!view || !view->isVisible() || view->model()->rowCount(view->rootIndex()) == 0 ||
                ++shown < 5)
                return;
            const QHeaderView *header = view->header();
            for (int column = 0; column < header->count(); ++column) {
                const QString name = view->model()->headerData(column, Qt::Horizontal).toString();
                if (header->isSectionHidden(column))
                    continue;
                columns << name;
                // The text, its margins, and the name's icon.
                const QModelIndex cell = view->model()->index(0, column, view->rootIndex());
                const int needed = view->fontMetrics().horizontalAdvance(cell.data().toString()) +
                                   6 + (column == 0 ? view->iconSize().width() + 4 : 0);
                if (header->sectionSize(column) < needed)
                    cut << name;
            }
            dialog->reject();
        });
        look.start(20);
        const QStringList chosen =
            QtPrompts().openFiles(nullptr, u"Add Video File(s)"_s, home.path(), QString());
        QApplication::setFont(font);
        QCOMPARE(chosen, QStringList());
        QCOMPARE(columns, (QStringList{u"Name"_s, u"Size"_s, u"Type"_s, u"Date Modified"_s}));
        QCOMPARE(cut, QStringList());
    }

    // The list tells rows of one name apart by their extensions, for as long
    // as both are listed; the rows keep their names.
    void rowsOfOneNameAreToldApart() {
        TestHome home;
        FakePrompts prompts;
        const QString folder = home.makeFolder(u"v"_s);
        const QString mp4 = SampleFiles::makeH264Mp4(folder);
        const QString mov = folder + u"/"_s + QFileInfo(mp4).completeBaseName() + u".mov"_s;
        QVERIFY(QFile::copy(mp4, mov));
        auto window = OpenMainWindow();
        AddFilesThroughDialog(*window, prompts, {mp4, mov});
        QTreeWidget *list = Child<QTreeWidget>(*window, "lvwVideoFiles");
        const QString name = QFileInfo(mp4).completeBaseName();
        const auto shown = [list] {
            QStringList texts;
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                texts << list->topLevelItem(i)->text(ColumnFilename);
            return texts;
        };
        QCOMPARE(shown(), (QStringList{name + u".mp4"_s, name + u".mov"_s}));
        QCOMPARE(ReadFileListRows(list).value(1).Filename, name);
        delete list->topLevelItem(1);
        QCOMPARE(shown(), QStringList{name});
    }

    // The messages about files not added speak of one file as one.
    void messagesAgreeWithTheirCount_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("firstLine");
        const QStringList one{u"/v/a"_s}, two{u"/v/a"_s, u"/v/b"_s};
        QTest::newRow("no video, one") << VideoFileAdder::NoVideoMessage(one)
                                       << u"This file was not added, because it holds no video:"_s;
        QTest::newRow("no video, two")
            << VideoFileAdder::NoVideoMessage(two)
            << u"These files were not added, because they hold no video:"_s;
        QTest::newRow("refused, one") << VideoFileAdder::RefusedPathsMessage(one)
                                      << u"This was not added, because it is no video file:"_s;
        QTest::newRow("refused, two")
            << VideoFileAdder::RefusedPathsMessage(two)
            << u"These were not added, because they are no video files:"_s;
        QTest::newRow("not files, one") << NotFilesMessage(one) << u"This could not be added:"_s;
        QTest::newRow("not files, two") << NotFilesMessage(two) << u"These could not be added:"_s;
    }
    void messagesAgreeWithTheirCount() {
        QFETCH(QString, message);
        QFETCH(QString, firstLine);
        QCOMPARE(message.section(u"\r\n"_s, 0, 0), firstLine);
    }

    // Paths that are no video files are refused before any reader opens
    // them (a FIFO would keep the media library waiting for ever), each
    // named with what it is; the readable file beside them is listed.
    void refusedKinds_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("problem");
        QTest::newRow("folder") << "folder"
                                << "is a folder, not a video file";
        QTest::newRow("FIFO") << "fifo"
                              << "is not a regular file (a FIFO)";
        QTest::newRow("link to /dev/zero") << "/dev/zero"
                                           << "is not a regular file (a character device)";
        QTest::newRow("link to /dev/null") << "/dev/null"
                                           << "is not a regular file (a character device)";
        QTest::newRow("unreadable") << "unreadable"
                                    << "permission denied";
        QTest::newRow("gone") << "gone"
                              << "no such file or directory";
    }

    void refusedKinds() {
        QFETCH(QString, kind);
        QFETCH(QString, problem);
        TestHome home;
        FakePrompts prompts;
        const QString folder = home.makeFolder(QStringLiteral("v"));
        const QString clip = SampleFiles::makeSmallFiles(folder, 1).constFirst();
        const QString path = folder + u"/odd.avi"_s;
        if (kind == u"folder") {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == u"fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind.startsWith(u'/')) {
            QVERIFY(QFile::link(kind, path));
        } else if (kind == u"unreadable") {
            if (::geteuid() == 0)
                QSKIP("every file is readable to root");
            QVERIFY(QFile::copy(clip, path));
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        }
        const QString refusal = path + u": "_s + problem;
        auto window = OpenMainWindow();
        for (const QStringList &selection : {QStringList{path}, QStringList{path, clip}}) {
            prompts.shown.clear();
            Child<QTreeWidget>(*window, "lvwVideoFiles")->clear();
            prompts.fileSelections.push_back(selection);
            Child<QAction>(*window, "mnuFile_AddVideos")->trigger();
            QCOMPARE(prompts.texts(), QStringList{VideoFileAdder::RefusedPathsMessage({refusal})});
            QVERIFY(prompts.shown[0].text.endsWith(u"\r\n"_s + refusal));
            const QList<FileListRow> rows =
                ReadFileListRows(Child<QTreeWidget>(*window, "lvwVideoFiles"));
            QCOMPARE(rows.size(), selection.size() - 1);
            if (!rows.isEmpty())
                QCOMPARE(rows[0].Filepath, clip);
        }
        verifyIdle(*window);
    }

    void cancelStopsAfterTheFileInProgress() {
        TestHome home;
        FakePrompts prompts;
        const QStringList files =
            SampleFiles::makeSmallFiles(home.makeFolder(QStringLiteral("v")), 5);
        auto window = OpenMainWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));

        // While the second file's events run, the user clicks "(Cancel)".
        bool idleAtOnce = false;
        int rowsWhenClicked = -1;
        connect(Child<QProgressBar>(*window, "AddFilesProgressBar"), &QProgressBar::valueChanged,
                this, [&](int value) {
                    if (value != 2)
                        return;
                    QTimer::singleShot(0, this, [&] {
                        rowsWhenClicked =
                            Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount();
                        QTest::mouseClick(Child<ClickableLabel>(*window, "CancelLabel"),
                                          Qt::LeftButton);
                        idleAtOnce =
                            Child<MainStatusBar>(*window, "StatusBar")->panelText(2).isEmpty() &&
                            Child<QWidget>(*window, "CancelOverlay")->isHidden() &&
                            Child<QProgressBar>(*window, "AddFilesProgressBar")->isHidden();
                    });
                });
        prompts.fileSelections.push_back(files);
        Child<QAction>(*window, "mnuFile_AddVideos")->trigger();

        QCOMPARE(rowsWhenClicked, 2);
        QVERIFY(idleAtOnce);
        QVERIFY(window->fileList().adder().CancelAddingFiles);
        const QList<FileListRow> rows =
            ReadFileListRows(Child<QTreeWidget>(*window, "lvwVideoFiles"));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[1].Filepath, files[1]);
        QCOMPARE(rows[1].Codec, QStringLiteral("UNKNOWN")); // the row was completed
        QCOMPARE(rows[1].Duration, 0);
        verifyIdle(*window);

        // The next add starts afresh.
        disconnect(Child<QProgressBar>(*window, "AddFilesProgressBar"), nullptr, this, nullptr);
        prompts.fileSelections.push_back(files.mid(2));
        Child<QAction>(*window, "mnuFile_AddVideos")->trigger();
        QCOMPARE(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount(), 5);
        QVERIFY(!window->fileList().adder().CancelAddingFiles);
    }

    void drop_data() {
        QTest::addColumn<QString>("content");
        QTest::addColumn<int>("files"); // dropped files, each a step of the progress
        QTest::addColumn<int>("rows");
        QTest::newRow("one file") << "one" << 1 << 1;
        QTest::newRow("two files and a folder") << "three" << 2 << 2;
        QTest::newRow("text only") << "text" << 0 << 0;
        QTest::newRow("a web address") << "web" << 0 << 0;
        QTest::newRow("a web address and a file") << "mixed" << 1 << 1;
        QTest::newRow("an empty file list") << "none" << 0 << 0;
        QTest::newRow("a name that is no UTF-8") << "latin1" << 1 << 1;
    }

    void drop() {
        QFETCH(QString, content);
        QFETCH(int, files);
        QFETCH(int, rows);
        TestHome home;
        FakePrompts prompts;
        const QString folder = home.makeFolder(QStringLiteral("dropped"));
        const QStringList made = SampleFiles::makeSmallFiles(folder, 2);
        auto window = OpenMainWindow();
        ProgressWatcher watcher(*window);

        QMimeData data;
        QStringList expected;
        QStringList refused;
        if (content == u"one") {
            expected = {made[0]};
            data.setUrls(localUrls(expected));
        } else if (content == u"three") {
            // A folder is no video file: it is named, not read or listed.
            const QString sub = home.makeFolder(QStringLiteral("sub"));
            refused = {sub + u": is a folder, not a video file"_s};
            expected = {made[0], made[1]};
            data.setUrls(localUrls({made[0], sub, made[1]}));
        } else if (content == u"text") {
            data.setText(made[0]);
        } else if (content == u"web") {
            data.setUrls({QUrl(QStringLiteral("https://example.org/a.avi"))});
        } else if (content == u"mixed") {
            expected = {made[1]};
            data.setUrls(
                {QUrl(QStringLiteral("https://example.org/a.avi")), QUrl::fromLocalFile(made[1])});
        } else if (content == u"latin1") {
            // The name's own bytes, as a file manager puts them in the URL.
            const QByteArray name = PathToBytes(folder) + "/caf\xe9.avi";
            QCOMPARE(::rename(PathToBytes(made[0]).constData(), name.constData()), 0);
            expected = {PathFromBytes(name)};
            data.setUrls({QUrl::fromEncoded("file://" + name.toPercentEncoding("/"))});
        } else {
            data.setUrls({});
        }

        bool accepted = false;
        dropOnList(*window, &data, &accepted);
        QCOMPARE(accepted, files > 0);
        QTRY_COMPARE_WITH_TIMEOUT(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount(),
                                  rows, kPatienceMs);
        QTest::qWait(20); // nothing more arrives
        QCOMPARE(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount(), rows);

        QStringList paths;
        for (const FileListRow &row :
             ReadFileListRows(Child<QTreeWidget>(*window, "lvwVideoFiles")))
            paths << row.Filepath;
        QCOMPARE(paths, expected);
        QCOMPARE(prompts.texts(), refused.isEmpty()
                                      ? QStringList()
                                      : QStringList{VideoFileAdder::RefusedPathsMessage(refused)});
        const QList<ProgressSeen> &seen = watcher.seen;
        QCOMPARE(seen.size(), files);
        for (const ProgressSeen &step : seen) {
            QCOMPARE(step.panelText, QStringLiteral("Adding Files..."));
            QCOMPARE(step.maximum, files);
        }
        verifyIdle(*window);
    }

    void readVideoFileInfoByPosition() {
        TestHome home;
        const QString folder = home.makeFolder(QStringLiteral("v"));
        const QString avi = SampleFiles::makeMpeg4Avi(folder);
        const QString mp3 = SampleFiles::makeMp3(folder);
        auto window = OpenMainWindow();
        AppendFileListRow(Child<QTreeWidget>(*window, "lvwVideoFiles"))
            ->setText(ColumnFilepath, avi);
        AppendFileListRow(Child<QTreeWidget>(*window, "lvwVideoFiles"))
            ->setText(ColumnFilepath, mp3);

        int row = 0; // the last row
        window->fileList().adder().ReadVideoFileInfo(row);
        QCOMPARE(row, 2);
        QList<FileListRow> rows = ReadFileListRows(Child<QTreeWidget>(*window, "lvwVideoFiles"));
        QCOMPARE(rows[0].Filename, QString());
        QCOMPARE(rows[1].Filename, QStringLiteral("tone"));
        QCOMPARE(rows[1].Duration, 5);

        row = 1;
        window->fileList().adder().ReadVideoFileInfo(row);
        rows = ReadFileListRows(Child<QTreeWidget>(*window, "lvwVideoFiles"));
        QCOMPARE(rows[0].Filename, QStringLiteral("clip"));
        QCOMPARE(rows[0].VideoSize, QSize(320, 240));
        QCOMPARE(rows[0].Duration, 3);

        row = 3; // no such row: nothing happens
        window->fileList().adder().ReadVideoFileInfo(row);
        QCOMPARE(ReadFileListRows(Child<QTreeWidget>(*window, "lvwVideoFiles")), rows);
    }
};

QTEST_MAIN(TestAddFiles)
#include "tst_addfiles.moc"
