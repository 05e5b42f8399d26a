// The Convert command through the main window: its checks, and whole
// batches with the real converter, ffmpeg and the library hand-off tool.
#include "app/OutputDirectoryPanel.h"
#include "app/VideoSettingsPanel.h"
#include "app/filelist/FileListItems.h"
#include "app/profiles/frmEditVideoSize.h"
#include "app/widgets/ClickableLabel.h"
#include "core/base/DebugLog.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/BatchRecord.h"
#include "tests/support/ConversionDriver.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QString lastMessage(const FakePrompts &prompts) {
    return prompts.shown.isEmpty() ? QString() : prompts.shown.last().text;
}

QLineEdit *outputBox(frmMain &window) {
    return Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")->txtOutputDirectory;
}

} // namespace

class TestConvertCommand : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { DebugLog::instance().stop(); }

    void emptyListIsRefused() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        const ConversionSeen seen = ConvertThroughWindow(*window, prompts);
        QVERIFY(!seen.windowOpened);
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Exclamation);
        QCOMPARE(prompts.shown[0].text,
                 QStringLiteral("Please, add one or more files to your list first."));
    }

    void codecLimits_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("codec");
        QTest::addColumn<int>("size"); // -1: a custom size
        QTest::addColumn<QString>("customSize");
        QTest::addColumn<int>("quality");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("laterCodec"); // chosen after the size, -1: none
        // The shipped iPod file: mpeg4 allows sizes up to 640x480 and
        // qualities up to 2500 kbps.
        const QString iPod = QStringLiteral("iPod");
        QTest::newRow("size beyond")
            << iPod << 0 << 3 << "" << 2
            << "The maximum video size for the selected videocodec is: 640x480" << -1;
        QTest::newRow("quality beyond")
            << iPod << 0 << 2 << "" << 7
            << "The maximum video quality for the selected videocodec is: 2500 kbps" << -1;
        QTest::newRow("size is checked first")
            << iPod << 0 << 4 << "" << 8
            << "The maximum video size for the selected videocodec is: 640x480" << -1;
        QTest::newRow("custom size beyond")
            << iPod << 0 << -1 << "800x600" << 2
            << "The maximum video size for the selected videocodec is: 640x480" << -1;
        QTest::newRow("custom size within") << iPod << 0 << -1 << "400x300" << 2 << "" << -1;
        QTest::newRow("at the limits") << iPod << 0 << 2 << "" << 6 << "" << -1;
        // The phone's mpeg4 (codec 1) takes the size; H.263, chosen after, does not.
        QTest::newRow("custom size, then a codec that cannot take it")
            << QStringLiteral("MobilePhone") << 1 << -1 << "320x240" << 0
            << "The H.263 videocodec takes only these video sizes: "
               "128x96, 176x144, 352x288, 704x576, 1408x1152"
            << 0;
    }

    void codecLimits() {
        QFETCH(QString, device);
        QFETCH(int, codec);
        QFETCH(int, size);
        QFETCH(QString, customSize);
        QFETCH(int, quality);
        QFETCH(QString, message);
        QFETCH(int, laterCodec);
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        const QString clip = home.path() + u"/clip.avi";
        QVERIFY(MakeClip(clip, {1.0, 160, 120, 10, true, true, {}}));
        AddFilesThroughDialog(*window, prompts, {clip});
        VideoSettingsPanel *video = Child<VideoSettingsPanel>(*window, "frmVideoSettings");
        window->SwitchDevice(device);
        video->cmbVideoCodec->setCurrentIndex(codec);
        video->cmbVideoBitrate->setCurrentIndex(quality);
        if (size >= 0) {
            video->cmbVideoSize->setCurrentIndex(size);
        } else {
            // Entered in the custom size dialog, as the user would.
            prompts.dialogHandler = [&](QDialog *dialog) {
                auto *edit = qobject_cast<frmEditVideoSize *>(dialog);
                const QStringList parts = customSize.split(u'x');
                edit->txtWidth->setText(parts[0]);
                edit->txtHeight->setText(parts[1]);
                edit->cmdOk->click();
                return dialog->result();
            };
            QTest::mouseClick(video->imgEditVideoSize, Qt::LeftButton);
            prompts.dialogHandler = nullptr;
            QCOMPARE(video->cmbVideoSize->currentText(), customSize);
            QCOMPARE(video->cmbVideoSize->currentIndex(), -1);
            if (laterCodec >= 0) {
                video->cmbVideoCodec->setCurrentIndex(laterCodec);
                QCOMPARE(video->cmbVideoSize->currentText(), customSize);
            }
        }
        outputBox(*window)->setText(home.path() + u"/out");
        prompts.clear();
        const ConversionSeen seen = ConvertThroughWindow(*window, prompts);
        if (message.isEmpty()) {
            QVERIFY2(seen.windowOpened, qPrintable(lastMessage(prompts)));
            QVERIFY(seen.finished);
        } else {
            QVERIFY(!seen.windowOpened);
            QCOMPARE(lastMessage(prompts), message);
            QCOMPARE(prompts.shown.last().icon, Prompts::Icon::Exclamation);
        }
    }

    void aBatchThatCannotFitIsRefused() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        const QString clip = home.path() + u"/clip.avi";
        QVERIFY(MakeClip(clip, {30.0, 160, 120, 10, true, true, {}}));
        AddFilesThroughDialog(*window, prompts, {clip});
        VideoSettingsPanel *video = Child<VideoSettingsPanel>(*window, "frmVideoSettings");
        video->chkVideoFitBatch->setChecked(true);
        video->txtVideoFitBatchSize->setValue(1);
        outputBox(*window)->setText(home.path() + u"/out");
        prompts.clear();
        // 30 s at the lowest rate, 384 kbps less 50, and 160 kbps of sound.
        const ConversionSeen seen = ConvertThroughWindow(*window, prompts);
        QVERIFY(!seen.windowOpened);
        QCOMPARE(lastMessage(prompts),
                 QStringLiteral("The files do not fit into 1.0 MB.\r\nEven at the lowest video "
                                "quality the device offers (384 kbps) they need 2.0 MB."));
        QCOMPARE(prompts.shown.last().icon, Prompts::Icon::Exclamation);
        QVERIFY(!QDir(home.path() + u"/out").exists());
        // With "eXtreme Qty" there is no bit rate to fit: the box is off and nothing is refused.
        video->chkVideoOriginalQuality->setChecked(true);
        QVERIFY(!video->chkVideoFitBatch->isEnabled());
        prompts.clear();
        QVERIFY(ConvertThroughWindow(*window, prompts).windowOpened);
    }

    void outputFolderProblemsAreReported() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        const QString clip = home.path() + u"/clip.avi";
        QVERIFY(MakeClip(clip, {1.0, 160, 120, 10, true, true, {}}));
        AddFilesThroughDialog(*window, prompts, {clip});

        outputBox(*window)->setText(QStringLiteral("  "));
        prompts.clear();
        QVERIFY(!ConvertThroughWindow(*window, prompts).windowOpened);
        QCOMPARE(lastMessage(prompts), QStringLiteral("Please, choose an output folder first."));

        // A file where a folder should be: nothing can be created below it.
        QFile blocker(home.path() + u"/blocker");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        outputBox(*window)->setText(home.path() + u"/blocker/out/");
        prompts.clear();
        QVERIFY(!ConvertThroughWindow(*window, prompts).windowOpened);
        QCOMPARE(prompts.shown.last().icon, Prompts::Icon::Critical);
        QCOMPARE(lastMessage(prompts), QString(u"Unable to save files in the output folder:\r\n" +
                                               home.path() + u"/blocker/out"));
        // The box keeps its text as typed.
        QCOMPARE(outputBox(*window)->text(), QString(home.path() + u"/blocker/out/"));
    }

    void oneBatchAtATime() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        const QString clip = home.path() + u"/clip.avi";
        QVERIFY(MakeClip(clip, {1.0, 160, 120, 10, true, true, {}}));
        AddFilesThroughDialog(*window, prompts, {clip});
        outputBox(*window)->setText(home.path() + u"/out");

        // Another copy of Mobivert holds the data folder's batch.
        QLockFile other(BatchFiles::lock(window->ApplicationSettingsPath));
        QVERIFY(other.tryLock(0));
        QFile batch(BatchFiles::batch(window->ApplicationSettingsPath));
        QVERIFY(batch.open(QIODevice::WriteOnly));
        batch.write("the other copy's batch\n");
        batch.close();

        prompts.clear();
        QVERIFY(!ConvertThroughWindow(*window, prompts).windowOpened);
        QCOMPARE(lastMessage(prompts),
                 QStringLiteral("Mobivert is already converting one or more files!"));
        QCOMPARE(ReadFileBytes(BatchFiles::batch(window->ApplicationSettingsPath)),
                 QByteArray("the other copy's batch\n"));
        other.unlock();

        prompts.clear();
        const ConversionSeen seen = ConvertThroughWindow(*window, prompts);
        QVERIFY(seen.finished);
        QCOMPARE(seen.errorLog, QString());
    }

    // Three clips for the iPod with the library hand-off, in debug mode,
    // one of them with a name that would run commands if it were not quoted.
    void iPodBatchWithLibrary() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow(QStringLiteral("/debug"));
        const QString in = home.makeFolder(QStringLiteral("in"));
        const QStringList clips{in + u"/holiday.avi", in + u"/it's $(touch pwned).mp4",
                                in + u"/wide\nnewline.mkv"};
        QVERIFY(MakeClip(clips[0], {2.0, 320, 240, 25, true, true, {}}));
        QVERIFY(MakeClip(clips[1], {2.0, 640, 360, 25, true, true, {}}));
        QVERIFY(MakeClip(clips[2], {2.0, 480, 270, 25, true, true, {}}));
        AddFilesThroughDialog(*window, prompts, clips);
        QCOMPARE(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount(), 3);

        const QString out = home.path() + u"/Converted Video Files";
        outputBox(*window)->setText(out);
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->chkAddToiTunes->setChecked(true);
        prompts.clear();
        const ConversionSeen seen = ConvertThroughWindow(*window, prompts);
        QVERIFY(seen.finished);
        // A playlist has one entry per line: the name with a line break
        // converts but cannot be listed, and the error log says so.
        QCOMPARE(seen.errorLog,
                 QString(u"-TrackDrop: " + out +
                         u"/wide?newline.m4v: a name with a line break cannot be listed\n"));

        const QStringList outputs{out + u"/holiday.m4v", out + u"/it's $(touch pwned).m4v",
                                  out + u"/wide\nnewline.m4v"};
        for (const QString &output : outputs) {
            const QJsonObject probe = Probe(output);
            const QJsonObject video = ProbeStream(probe, QStringLiteral("video"));
            QCOMPARE(video.value(QStringLiteral("codec_name")).toString(), QStringLiteral("h264"));
            QCOMPARE(video.value(QStringLiteral("width")).toInt(), 640);
            QCOMPARE(video.value(QStringLiteral("height")).toInt(), 480);
            QCOMPARE(ProbeStream(probe, QStringLiteral("audio"))
                         .value(QStringLiteral("codec_name"))
                         .toString(),
                     QStringLiteral("aac"));
        }
        QVERIFY(!QFile::exists(in + u"/pwned"));
        QVERIFY(QDir(out).entryList(QDir::Files | QDir::Hidden).size() == 3); // no partial files

        // Every converted file is in the playlist, once.
        const QString playlist =
            QString::fromUtf8(ReadFileBytes(home.musicFolder() + u"/Mobivert.m3u8"));
        QVERIFY(playlist.startsWith(u"#EXTM3U"));
        QCOMPARE(playlist.count(outputs[0]), 1);
        QCOMPARE(playlist.count(outputs[1]), 1);
        QVERIFY(!playlist.contains(u"newline"));
        // The end counts the file that could not be listed.
        QCOMPARE(seen.libraryNote,
                 QString(u"No iPod was connected: 2 of 3 converted files were added to the "
                         u"playlist " +
                         home.musicFolder() + u"/Mobivert.m3u8 instead; 1 was not: " + out +
                         u"/wide?newline.m4v: a name with a line break cannot be listed."));

        // The working files are gone; the debug dumps stay.
        const QString data = window->ApplicationSettingsPath;
        QCOMPARE(WorkingFiles(data), QStringList());
        QVERIFY(ReadFileBytes(data + u"/Debug3.log").contains("holiday | "));
        QVERIFY(ReadFileBytes(data + u"/Debug1.log").contains("TrackDrop.exe"));
        QVERIFY(ReadFileBytes(data + u"/Debug2.log").contains("Lsize="));
        const QByteArray log = ReadFileBytes(DebugLog::instance().path());
        for (const char *entry :
             {"Dump3 will be saved to: \"", "Dump1 will be saved to: \"", "BVC Exists=True",
              "PTGC2 Exists=False", "BAT Exists=True", "Dump2 will be saved to: \""})
            QVERIFY2(log.contains(entry), entry);
    }

    void pspBatchWithThumbnails() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        window->SwitchDevice(QStringLiteral("PSP"));
        const QString in = home.makeFolder(QStringLiteral("in"));
        QStringList clips;
        for (const char *name : {"a.avi", "b.mp4", "c.avi"}) {
            clips << in + u'/' + QString::fromLatin1(name);
            QVERIFY(MakeClip(clips.last(), {6.0, 320, 240, 25, true, true, {}}));
        }
        AddFilesThroughDialog(*window, prompts, clips);
        const QString out = home.path() + u"/psp";
        outputBox(*window)->setText(out);
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->chkPSPCreateThumbnail->setChecked(true);
        Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
            ->txtPSPVideoNumber->setText(QStringLiteral("7"));
        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(1); // an MPEG-4 profile
        QCOMPARE(
            Child<VideoSettingsPanel>(*window, "frmVideoSettings")->cmbVideoCodec->currentIndex(),
            0);
        prompts.clear();
        const ConversionSeen seen = ConvertThroughWindow(*window, prompts);
        QVERIFY(seen.finished);
        QCOMPARE(seen.errorLog, QString());

        const QStringList produced = QDir(out).entryList(QDir::Files, QDir::Name);
        QCOMPARE(produced,
                 QStringList({QStringLiteral("M4V0007.MP4"), QStringLiteral("M4V0007.thm"),
                              QStringLiteral("M4V0008.MP4"), QStringLiteral("M4V0008.thm"),
                              QStringLiteral("M4V0009.MP4"), QStringLiteral("M4V0009.thm")}));
        for (const QString &name : produced) {
            const QJsonObject video =
                ProbeStream(Probe(out + u'/' + name), QStringLiteral("video"));
            if (name.endsWith(u".thm")) {
                QCOMPARE(video.value(QStringLiteral("codec_name")).toString(),
                         QStringLiteral("mjpeg"));
                QCOMPARE(video.value(QStringLiteral("width")).toInt(), 160);
                QCOMPARE(video.value(QStringLiteral("height")).toInt(), 120);
            } else {
                QCOMPARE(video.value(QStringLiteral("codec_name")).toString(),
                         QStringLiteral("mpeg4"));
            }
        }
        QCOMPARE(WorkingFiles(window->ApplicationSettingsPath), QStringList());
    }

    // A source that already suits the iPod profile is copied and says so in
    // its row, tagged as its name says; "Always re-encode" encodes it anew.
    void suitableSourceIsCopied() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        const QString in = home.makeFolder(QStringLiteral("in"));
        const QString suits = in + u"/Some Show 1x02 Pilot.mp4";
        QVERIFY(
            MakeClip(suits, {3.0, 640, 480, 25, true, true,
                             QStringList{u"-c:v"_s, u"libx264"_s, u"-profile:v"_s, u"baseline"_s,
                                         u"-level"_s, u"3.0"_s, u"-b:v"_s, u"800k"_s, u"-c:a"_s,
                                         u"aac"_s, u"-ar"_s, u"44100"_s, u"-ac"_s, u"2"_s}}));
        AddFilesThroughDialog(*window, prompts, {suits});
        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(3); // H.264 640x480 (1500 kbps)
        outputBox(*window)->setText(home.path() + u"/out");
        for (const bool alwaysEncode : {false, true}) {
            Child<VideoSettingsPanel>(*window, "frmVideoSettings")
                ->chkAlwaysEncode->setChecked(alwaysEncode);
            outputBox(*window)->setText(home.path() + (alwaysEncode ? u"/encoded" : u"/out"));
            prompts.clear();
            QVERIFY(ConvertThroughWindow(*window, prompts).finished);
            QCOMPARE(
                Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItem(0)->text(ColumnStatus),
                alwaysEncode ? u"Converted"_s : u"Copied (already suits the device)"_s);
            QCOMPARE(Child<QTreeWidget>(*window, "lvwVideoFiles")
                         ->topLevelItem(0)
                         ->toolTip(ColumnStatus),
                     alwaysEncode ? QString() : u"Copied (already suits the device)"_s);
        }
        const QJsonObject copied = Probe(home.path() + u"/out/Some Show 1x02 Pilot.m4v");
        const QJsonObject tags = copied.value(u"format"_s).toObject().value(u"tags"_s).toObject();
        QCOMPARE(tags.value(u"show"_s).toString(), u"Some Show"_s);
        QCOMPARE(tags.value(u"title"_s).toString(), u"Pilot"_s);
        QCOMPARE(tags.value(u"episode_sort"_s).toString(), u"2"_s);
        Child<QAction>(*window, "mnuRemoveItems_RemoveConvertedFiles")->trigger();
        QCOMPARE(Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItemCount(), 0);
    }

    // The same kind of batch on two lanes, with a file that cannot be read
    // among good ones: numbers and thumbnails follow the rows, the error is
    // reported against its row alone.
    void pspBatchOnTwoLanes() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow(QStringLiteral("/debug"));
        window->SwitchDevice(QStringLiteral("PSP"));
        const QString in = home.makeFolder(QStringLiteral("in"));
        const QStringList clips{in + u"/a.avi", in + u"/broken.avi", in + u"/c.avi",
                                in + u"/d.avi"};
        QVERIFY(MakeClip(clips[0], {6.0, 320, 240, 25, true, true, {}}));
        // Its headers name a video stream; no picture follows them.
        QVERIFY(MakeClip(clips[1], {2.0, 320, 240, 25, true, true, {}}));
        QVERIFY(QFile::resize(clips[1], 4000));
        QVERIFY(MakeClip(clips[2], {2.0, 320, 240, 25, true, true, {}}));
        QVERIFY(MakeClip(clips[3], {6.0, 320, 240, 25, true, true, {}}));
        AddFilesThroughDialog(*window, prompts, clips);
        const QString out = home.path() + u"/psp";
        OutputDirectoryPanel *panel =
            Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings");
        outputBox(*window)->setText(out);
        panel->chkPSPCreateThumbnail->setChecked(true);
        panel->txtPSPVideoNumber->setText(QStringLiteral("7"));
        panel->cmbFilesAtOnce->setCurrentText(QStringLiteral("2"));
        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(1); // MPEG-4
        prompts.clear();
        const ConversionSeen seen = ConvertThroughWindow(*window, prompts);
        QVERIFY(seen.finished);
        QVERIFY2(ReadFileBytes(window->ApplicationSettingsPath + u"/Debug1.log")
                     .contains("# 2 lanes (BVC.bat, BVC2.bat)"),
                 "two lanes");

        QVERIFY(!seen.errorLog.isEmpty());
        for (const QString &error : seen.errorLog.split(u'\n', Qt::SkipEmptyParts))
            QCOMPARE(error, QString(u'-' + clips[1] + u": Unknown format"));
        QCOMPARE(FilesIn(out),
                 QStringList({QStringLiteral("M4V0007.MP4"), QStringLiteral("M4V0007.thm"),
                              QStringLiteral("M4V0009.MP4"), QStringLiteral("M4V0009.thm"),
                              QStringLiteral("M4V0010.MP4"), QStringLiteral("M4V0010.thm")}));
        // Each video is the row's own (by its length), its thumbnail beside it.
        const QList<std::pair<QString, double>> expected{{QStringLiteral("M4V0007"), 6.0},
                                                         {QStringLiteral("M4V0009"), 2.0},
                                                         {QStringLiteral("M4V0010"), 6.0}};
        for (const auto &[name, seconds] : expected) {
            const QJsonObject probe = Probe(out + u'/' + name + u".MP4");
            const double length = probe.value(QStringLiteral("format"))
                                      .toObject()
                                      .value(QStringLiteral("duration"))
                                      .toString()
                                      .toDouble();
            QVERIFY2(qAbs(length - seconds) < 0.3, qPrintable(name));
            QCOMPARE(ProbeStream(Probe(out + u'/' + name + u".thm"), QStringLiteral("video"))
                         .value(QStringLiteral("width"))
                         .toInt(),
                     160);
        }
        QCOMPARE(WorkingFiles(window->ApplicationSettingsPath), QStringList());

        // Each row's outcome is in the list; the failed row's error in its
        // tooltip. Removing the converted rows leaves what to retry, and a
        // batch that ended leaves nothing to take up again.
        QStringList statuses;
        for (int row = 0; row < 4; ++row)
            statuses << Child<QTreeWidget>(*window, "lvwVideoFiles")
                            ->topLevelItem(row)
                            ->text(ColumnStatus);
        // The good clips already suit the PSP's MPEG-4 profile: copied.
        const QString copied = u"Copied (already suits the device)"_s;
        QCOMPARE(statuses, (QStringList{copied, QStringLiteral("Failed"), copied, copied}));
        QCOMPARE(
            Child<QTreeWidget>(*window, "lvwVideoFiles")->topLevelItem(1)->toolTip(ColumnStatus),
            QString(clips[1] + u": Unknown format"));
        Child<QAction>(*window, "mnuRemoveItems_RemoveConvertedFiles")->trigger();
        QCOMPARE(ReadFileListRows(Child<QTreeWidget>(*window, "lvwVideoFiles")).size(), 1);
        QCOMPARE(ReadFileListRows(Child<QTreeWidget>(*window, "lvwVideoFiles"))[0].Filepath,
                 clips[1]);
        QVERIFY(!QFile::exists(BatchRecordFile::path(window->ApplicationSettingsPath)));
    }
};

QTEST_MAIN(TestConvertCommand)
#include "tst_convertcommand.moc"
