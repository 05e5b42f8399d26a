// Preview Output: its command is the batch's line for the row plus a trim;
// through the real converter it shows both frames, cancels and closes
// without leaving a file or a process, shows the converter's error for a
// file it cannot convert, and is offered only while the list has rows.
#include "app/FileListController.h"
#include "app/PreviewOutputCommand.h"
#include "app/ProfileControls.h"
#include "app/VideoSettingsPanel.h"
#include "app/convert/frmPreview.h"
#include "app/filelist/FileListItems.h"
#include "app/filelist/VideoFileAdder.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/PreviewCommand.h"
#include "core/convert/ShellQuote.h"
#include "core/filelist/TrimTimes.h"
#include "core/platform/PathBytes.h"
#include "tests/filelist/SampleFiles.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTreeWidget>
#include <QtTest>

#include <cstdio>
#include <functional>

namespace {

ConversionSettings iPodSettings(const QString &device = QStringLiteral("iPod")) {
    ConversionSettings settings;
    settings.device = device;
    settings.audioCodec = QStringLiteral("aac");
    settings.audioBitrate = 128;
    settings.audioSampleRate = 44100;
    settings.audioChannelsPosition = 1;
    settings.videoCodec = QStringLiteral("h264");
    settings.videoCodecPosition = 1;
    settings.videoSize = QSize(320, 240);
    settings.videoBitrate = 768;
    settings.videoFrameRate = 25;
    settings.keepAspectRatio = 1;
    return settings;
}

FileListRow makeRow(const QString &name, const QString &duration, const QString &begin = {},
                    const QString &end = {}) {
    return FileListRowFromCells({name, QStringLiteral("AVC"), duration, QStringLiteral("1280x720"),
                                 begin, end, QStringLiteral("/videos/") + name + u".mp4"});
}

// The words of a command without its trim (-ss and -t with their values)
// and without its last word, the output path.
QStringList withoutTrimAndOutput(QStringList words) {
    words.removeLast();
    for (qsizetype i = 0; i + 1 < words.size();) {
        if (words[i] == u"-ss" || words[i] == u"-t")
            words.remove(i, 2);
        else
            ++i;
    }
    return words;
}

// Both pictures whole in the preview's view: each label inside the view
// and its picture inside the label.
bool picturesShownWhole(frmPreview *preview) {
    const QWidget *view = preview->findChild<QScrollArea *>()->viewport();
    for (const QLabel *picture : {preview->picSource, preview->picConverted}) {
        const QRect inView(picture->mapTo(view, QPoint(0, 0)), picture->size());
        const QSize shown = picture->pixmap().size();
        if (!view->rect().contains(inView) || shown.width() > picture->width() ||
            shown.height() > picture->height())
            return false;
    }
    return true;
}

bool noPreviewLeft(const QString &temporary) {
    return QDir(temporary)
               .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
               .isEmpty() &&
           ProcessesMentioning(temporary).isEmpty();
}

// A main window whose list holds the given files, read by the list itself;
// the preview opened on it is played by `steps`. TMPDIR points into the
// test's home, so every temporary file the preview makes is seen.
struct PreviewFixture {
    explicit PreviewFixture(const QStringList &files) {
        temporary = home.makeFolder(QStringLiteral("tmp"));
        qputenv("TMPDIR", QFile::encodeName(temporary));
        window = OpenMainWindow();
        window->fileList().adder().AddDroppedFiles(files);
        prompts.dialogHandler = [this](QDialog *dialog) {
            auto *preview = qobject_cast<frmPreview *>(dialog);
            if (preview && steps) {
                preview->show();
                if (QTest::qWaitForWindowExposed(preview))
                    steps(preview);
            }
            return dialog->result();
        };
    }
    ~PreviewFixture() { qunsetenv("TMPDIR"); }

    void open(const std::function<void(frmPreview *)> &userSteps) {
        steps = userSteps;
        Child<QAction>(*window, "mnuView_PreviewOutput")->trigger();
    }

    TestHome home;
    FakePrompts prompts;
    QString temporary;
    std::unique_ptr<frmMain> window;
    std::function<void(frmPreview *)> steps;
};

} // namespace

class TestPreview : public QObject {
    Q_OBJECT

private slots:
    void commandIsTheBatchLinePlusTheTrim_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("noVideo");
        QTest::addColumn<FileListRow>("row");
        QTest::addColumn<qint64>("time");
        QTest::addColumn<qint64>("begin");
        QTest::addColumn<qint64>("end");
        const FileListRow whole = makeRow(QStringLiteral("holiday"), QStringLiteral("00:00:40"));
        const FileListRow trimmed = makeRow(QStringLiteral("party"), QStringLiteral("00:05:00"),
                                            QStringLiteral("00:00:10"), QStringLiteral("00:00:20"));
        QTest::newRow("middle") << "iPod" << 0 << whole << 20LL << 19LL << 22LL;
        QTest::newRow("start") << "iPod" << 0 << whole << 0LL << 0LL << 3LL;
        QTest::newRow("end") << "iPod" << 0 << whole << 40LL << 37LL << 40LL;
        QTest::newRow("inside a trim") << "Zune" << 0 << trimmed << 5LL << 10LL << 13LL;
        QTest::newRow("end of a trim") << "iPod" << 0 << trimmed << 20LL << 17LL << 20LL;
        QTest::newRow("PSP") << "PSP" << 0 << whole << 10LL << 9LL << 12LL;
        QTest::newRow("sound only") << "iPod" << 1 << whole << 10LL << 9LL << 12LL;
        QTest::newRow("shorter than a clip")
            << "iPod" << 0 << makeRow(QStringLiteral("short"), QStringLiteral("00:00:02")) << 1LL
            << 0LL << 2LL;
        QTest::newRow("length unknown")
            << "iPod" << 0 << makeRow(QStringLiteral("odd"), QStringLiteral("00:00:00")) << 0LL
            << 0LL << 3LL;
    }

    void commandIsTheBatchLinePlusTheTrim() {
        QFETCH(QString, device);
        QFETCH(int, noVideo);
        QFETCH(FileListRow, row);
        QFETCH(qint64, time);
        QFETCH(qint64, begin);
        QFETCH(qint64, end);
        ConversionSettings settings = iPodSettings(device);
        settings.noVideo = noVideo;
        const BatchCodecData codecs{QStringLiteral("ipod"),
                                    QStringLiteral("-profile:v baseline -movflags +faststart"),
                                    QStringLiteral("m4v"), QStringLiteral("m4a")};
        // The row in the middle of a batch, next to rows of other sizes.
        FileListRow other = makeRow(QStringLiteral("other"), QStringLiteral("00:01:00"));
        other.VideoSize = QSize(640, 480);
        BatchOptions options;
        options.dataFolder = QStringLiteral("/data");
        options.outputFolder = QStringLiteral("/out");
        options.addToLibrary = true;
        options.createThumbnails = true;
        const BatchPlan batch = BuildBatch(settings, codecs, {other, row, other}, options,
                                           [](const QString &) { return false; });
        const qsizetype line = device == u"iPod" || device == u"PSP" ? 2 : 1;
        const QStringList batchWords = SplitShellWords(batch.commands[line].line()).words;
        QCOMPARE(batchWords.first(), BatchFiles::converter(options.dataFolder));

        const PreviewCommand preview =
            BuildPreviewCommand(settings, codecs, row, time, QStringLiteral("/tmp/preview"));
        QCOMPARE(preview.clip, (PreviewStretch{begin, end}));
        QCOMPARE(preview.program, BatchFiles::shippedConverter());
        QCOMPARE(withoutTrimAndOutput(preview.arguments), withoutTrimAndOutput(batchWords.mid(1)));
        const qsizetype at = preview.arguments.indexOf(QStringLiteral("-ss"));
        QVERIFY(at > 0);
        QCOMPARE(preview.arguments.mid(at, 4),
                 (QStringList{QStringLiteral("-ss"), FormatTrimTime(begin), QStringLiteral("-t"),
                              FormatTrimTime(end - begin)}));
        QCOMPARE(preview.arguments.count(QStringLiteral("-ss")), 1);
        QVERIFY(preview.outputPath.startsWith(QStringLiteral("/tmp/preview/")));
        QCOMPARE(preview.arguments.last(), preview.outputPath);
    }

    // Two passes stay on the clip; a fitted batch gives it the row's rate
    // but not the row's cap on its file, which is for the whole file.
    void clipKeepsTwoPassesAndTheFittedRate() {
        ConversionSettings settings = iPodSettings(QStringLiteral("iPod"));
        settings.twoPass = 1;
        const BatchCodecData codecs{QStringLiteral("ipod"), QString(), QStringLiteral("m4v"),
                                    QStringLiteral("m4a")};
        const FileListRow row = makeRow(QStringLiteral("holiday"), QStringLiteral("00:00:40"));
        const QString folder = QStringLiteral("/tmp/preview");
        QStringList words = BuildPreviewCommand(settings, codecs, row, 20, folder).arguments;
        QCOMPARE(words.count(QStringLiteral("-twopass")), 1);
        QCOMPARE(words.value(words.indexOf(QStringLiteral("-b")) + 1), QStringLiteral("718kbps"));
        settings.twoPass = 0;
        words = BuildPreviewCommand(settings, codecs, row, 20, folder, RowFit{612.5, 3000000})
                    .arguments;
        QCOMPARE(words.value(words.indexOf(QStringLiteral("-b")) + 1), QStringLiteral("612.5kbps"));
        QCOMPARE(words.count(QStringLiteral("-twopass")), 1);
        QVERIFY(!words.contains(QStringLiteral("-fitsize")));
    }

    void convertsAndShowsBothFrames() {
        TestHome clips;
        const QString clip = SampleFiles::makeH264Mp4(clips.path()); // 352x288, 4 s
        PreviewFixture fixture({clip});
        // Encoded, not copied, so that the picture takes the profile's size.
        Child<VideoSettingsPanel>(*fixture.window, "frmVideoSettings")
            ->chkAlwaysEncode->setChecked(true);
        QString folder;
        fixture.open([&](frmPreview *preview) {
            QCOMPARE(preview->windowTitle(), QStringLiteral("Preview"));
            QCOMPARE(preview->previewTime(), 2);
            folder = preview->conversion().folder();
            QVERIFY(folder.startsWith(fixture.temporary));
            QTRY_VERIFY_WITH_TIMEOUT(!preview->isWorking(), kPatienceMs);
            QVERIFY2(!preview->txtError->isVisible(), qPrintable(preview->txtError->toPlainText()));
            // The iPod's default profile: its frame size, cropped or padded to it.
            const QSize converted =
                fixture.window->profileControls().CurrentSettings().videoSize.value_or(QSize(0, 0));
            QVERIFY2(preview->lblPictureInfo->text().startsWith(
                         QStringLiteral("Converted picture: %1x%2, ")
                             .arg(converted.width())
                             .arg(converted.height())),
                     qPrintable(preview->lblPictureInfo->text()));
            QVERIFY(preview->lblSizeEstimate->text().endsWith(QStringLiteral(" MB per minute")));

            // Fitted at first: the window inside the screen it is given,
            // both pictures whole in view, scaled down alike where needed.
            QCOMPARE(preview->cmbZoom->currentText(), QStringLiteral("Fit"));
            for (const QRect &screen :
                 {QRect(0, 0, 1280, 1000), QRect(1280, 0, 1024, 600), QRect(0, 0, 640, 480)}) {
                preview->fitInto(screen);
                QVERIFY2(screen.contains(preview->frameGeometry()),
                         qPrintable(QStringLiteral("%1,%2 %3x%4")
                                        .arg(preview->frameGeometry().x())
                                        .arg(preview->frameGeometry().y())
                                        .arg(preview->frameGeometry().width())
                                        .arg(preview->frameGeometry().height())));
                QTRY_VERIFY_WITH_TIMEOUT(!preview->picSource->pixmap().isNull() &&
                                             picturesShownWhole(preview),
                                         kPatienceMs);
            }
            QTRY_VERIFY_WITH_TIMEOUT(preview->picConverted->pixmap().width() < converted.width(),
                                     kPatienceMs);
            // Each picture is scaled as its own label is laid out: on a busy
            // machine the second may follow a moment later.
            QTRY_VERIFY_WITH_TIMEOUT(qAbs(preview->picSource->pixmap().height() -
                                          preview->picConverted->pixmap().height()) <= 1,
                                     kPatienceMs);

            // 1:1: the converted frame at its real size, the source at the
            // same height with its own shape (352x288).
            const QSize fitted = preview->size();
            preview->cmbZoom->setCurrentIndex(int(frmPreview::Zoom::Actual));
            QCOMPARE(preview->picConverted->pixmap().size(), converted);
            QTRY_COMPARE_WITH_TIMEOUT(preview->picSource->pixmap().height(), converted.height(),
                                      kPatienceMs);
            QCOMPARE(preview->picSource->pixmap().width(),
                     qRound(converted.height() * 352 / 288.0));

            preview->cmbZoom->setCurrentIndex(int(frmPreview::Zoom::Double));
            QCOMPARE(preview->cmbZoom->currentText(), QStringLiteral("2×"));
            QCOMPARE(preview->picConverted->pixmap().size(), converted * 2);
            QTRY_COMPARE_WITH_TIMEOUT(preview->picSource->pixmap().height(), converted.height() * 2,
                                      kPatienceMs);

            // 2x made the window grow; Fit gives it its size back.
            QTRY_VERIFY_WITH_TIMEOUT(preview->width() > fitted.width(), kPatienceMs);
            preview->cmbZoom->setCurrentIndex(int(frmPreview::Zoom::Fit));
            QCOMPARE(preview->size(), fitted);
            QTRY_VERIFY_WITH_TIMEOUT(picturesShownWhole(preview) &&
                                         preview->picConverted->pixmap().width() <
                                             converted.width(),
                                     kPatienceMs);
            QVERIFY(!FilesIn(folder).isEmpty());
            preview->cmdClose->click();
        });
        QVERIFY(!QFile::exists(folder));
        QVERIFY(noPreviewLeft(fixture.temporary));
    }

    // A source whose name is no UTF-8 (a lone 0xE9 byte) is previewed too.
    void previewsANameThatIsNoUtf8() {
        TestHome clips;
        const QByteArray name = PathToBytes(clips.path()) + "/caf\xe9.mp4";
        QCOMPARE(std::rename(PathToBytes(SampleFiles::makeH264Mp4(clips.path())).constData(),
                             name.constData()),
                 0);
        PreviewFixture fixture({PathFromBytes(name)});
        QCOMPARE(Child<QTreeWidget>(*fixture.window, "lvwVideoFiles")->topLevelItemCount(), 1);
        fixture.open([&](frmPreview *preview) {
            QTRY_VERIFY_WITH_TIMEOUT(!preview->isWorking(), kPatienceMs);
            QVERIFY2(!preview->txtError->isVisible(), qPrintable(preview->txtError->toPlainText()));
            QTRY_VERIFY_WITH_TIMEOUT(!preview->picConverted->pixmap().isNull(), kPatienceMs);
            preview->cmdClose->click();
        });
        QVERIFY(noPreviewLeft(fixture.temporary));
    }

    void cancelAndCloseLeaveNothing() {
        TestHome clips;
        const QString clip = SampleFiles::makeH264Mp4(clips.path());
        PreviewFixture fixture({clip});
        fixture.open([&](frmPreview *preview) {
            const QString first = preview->conversion().folder();
            QVERIFY(preview->conversion().isRunning());
            preview->cmdCancel->click();
            QVERIFY(!QFile::exists(first));
            QVERIFY(noPreviewLeft(fixture.temporary));
            QCOMPARE(preview->lblStatus->text(), QStringLiteral("Cancelled."));
            QVERIFY(!preview->cmdCancel->isEnabled());

            // A new time converts again; closing in the middle removes it too.
            preview->sldPreviewTime->setValue(1);
            QTRY_VERIFY_WITH_TIMEOUT(preview->conversion().isRunning(), kPatienceMs);
            QTest::qWait(100); // the converter has started ffmpeg
            preview->reject();
        });
        QVERIFY(noPreviewLeft(fixture.temporary));
    }

    void aFileThatFailsShowsTheConvertersError() {
        TestHome clips;
        // Its headers name a video stream; no picture follows them.
        const QString text = SampleFiles::makeMpeg4Avi(clips.path(), QStringLiteral("notes.avi"));
        QVERIFY(QFile::resize(text, 4000));
        PreviewFixture fixture({text});
        fixture.open([&](frmPreview *preview) {
            QTRY_VERIFY_WITH_TIMEOUT(!preview->isWorking(), kPatienceMs);
            QVERIFY(preview->txtError->isVisible());
            QVERIFY(!preview->picConverted->isVisible());
            QCOMPARE(preview->txtError->toPlainText(), text + QStringLiteral(": Unknown format"));
            QCOMPARE(preview->picSource->text(), QStringLiteral("No picture"));
            QVERIFY(noPreviewLeft(fixture.temporary));
            preview->reject();
        });
    }

    void offeredWhileTheListHasRows() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        QTreeWidget *list = Child<QTreeWidget>(*window, "lvwVideoFiles");
        QVERIFY(!Child<QAction>(*window, "mnuView_PreviewOutput")->isEnabled());
        QCOMPARE(Child<QAction>(*window, "mnuView_PreviewOutput")->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_P));
        for (int i = 0; i < 3; ++i)
            AppendFileListRow(list)->setText(ColumnFilepath, QString::number(i + 1));
        QVERIFY(Child<QAction>(*window, "mnuView_PreviewOutput")->isEnabled());
        QCOMPARE(PreviewOutputCommand::PreviewRow(list)->text(ColumnFilepath), u"1");
        FileListItem(list, 3)->setSelected(true);
        QCOMPARE(PreviewOutputCommand::PreviewRow(list)->text(ColumnFilepath), u"3");
        list->setCurrentItem(FileListItem(list, 2));
        QCOMPARE(PreviewOutputCommand::PreviewRow(list)->text(ColumnFilepath), u"2");

        // The list's popup offers it; the Edit menu keeps its own items.
        const QList<QAction *> edit = Child<QMenu>(*window, "mnuEdit")->actions();
        window->fileList().lvwVideoFiles_MouseDown(Qt::RightButton, QPoint(10, 10));
        QTRY_VERIFY_WITH_TIMEOUT(Child<QMenu>(*window, "mnuEdit")->isVisible(), kPatienceMs);
        QCOMPARE(Child<QMenu>(*window, "mnuEdit")->actions().last(),
                 Child<QAction>(*window, "mnuView_PreviewOutput"));
        Child<QMenu>(*window, "mnuEdit")->close();
        QTRY_COMPARE_WITH_TIMEOUT(Child<QMenu>(*window, "mnuEdit")->actions(), edit, kPatienceMs);

        list->clear();
        QVERIFY(!Child<QAction>(*window, "mnuView_PreviewOutput")->isEnabled());
    }
};

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
