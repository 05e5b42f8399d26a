// The main window: its regions, menus and shortcuts, the settings panels,
// the output folder, and what closing and File > Exit keep.
#include "app/AudioSettingsPanel.h"
#include "app/DeviceStrip.h"
#include "app/MainStatusBar.h"
#include "app/OutputDirectoryPanel.h"
#include "app/ProfileControls.h"
#include "app/SettingsArea.h"
#include "app/VideoSettingsPanel.h"
#include "app/filelist/FileListItems.h"
#include "app/profiles/frmEditVideoSize.h"
#include "app/widgets/ClickableLabel.h"
#include "app/widgets/GUIFunctions.h"
#include "core/convert/BatchRecord.h"
#include "core/settings/SettingsFile.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

namespace {

QByteArray settingsText(const TestHome &home) {
    QFile file(home.dataFolder() + u"/Settings.ini");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeSettings(const TestHome &home, const QByteArray &text) {
    QDir().mkpath(home.dataFolder());
    QVERIFY(WriteFileBytes(home.dataFolder() + u"/Settings.ini", text));
}

QLineEdit *outputBox(const frmMain &window) {
    return Child<QLineEdit>(&window, QStringLiteral("txtOutputDirectory"));
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void captions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        const char *rows[][2] = {
            {"lbliPod", "iPod / iPhone"},
            {"lblZune", "Microsoft Zune"},
            {"lblPSP", "Sony PSP"},
            {"lblMobilePhone", "Mobile Phone"},
            {"lblOutputSettings", "Output Settings"},
            {"lblChooseProfile", "Choose Profile:"},
            {"lblOutputDirectorySettings", "Output Directory"},
            {"lblAudioSettings", "Audio"},
            {"lblVideoSettings", "Video"},
            {"lblChooseOutputDirectory",
             "Where would you like to save your converted video files?"},
            {"lblPSPHint", "Where do I need to save my PSP video files?"},
            {"lblPSPVideoNumber", "Start Video Number:"},
            {"lblAudioCodecText", "Audio Codec:"},
            {"lblAudioBitrate", "Quality:"},
            {"lblAudioSampleRate", "Sample Rate:"},
            {"lblAudioChannels", "Channels:"},
            {"lblVideoCodecText", "Video Codec:"},
            {"lblVideoBitrate", "Quality:"},
            {"lblVideoFrameRate", "Frame Rate:"},
            {"lblVideoSize", "Video Size:"},
            {"CancelLabel", "(Cancel)"},
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromUtf8(row[1]);
    }

    void captions() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        TestHome home;
        auto window = OpenMainWindow();
        QCOMPARE(Child<QLabel>(window.get(), name)->text(), caption);
    }

    void checkBoxCaptions() {
        TestHome home;
        auto window = OpenMainWindow();
        const char *rows[][2] = {{"chkAddToiTunes", "Add files directly to iTunes"},
                                 {"chkPSPCreateThumbnail", "Create thumbnails"},
                                 {"chkAudioNoAudio", "No Audio"},
                                 {"chkVideoNoVideo", "No Video"},
                                 {"chkVideoKeepAspectRatio", "Keep Aspect Ratio"},
                                 {"chkVideoOriginalQuality", "eXtreme Qty\u2122"}};
        for (const auto &row : rows)
            QCOMPARE(Child<QCheckBox>(window.get(), QString::fromLatin1(row[0]))->text(),
                     QString::fromUtf8(row[1]));
        // The output options start unchecked; the others follow the default profile.
        QVERIFY(!Child<QCheckBox>(window.get(), QStringLiteral("chkAddToiTunes"))->isChecked());
        QVERIFY(
            !Child<QCheckBox>(window.get(), QStringLiteral("chkPSPCreateThumbnail"))->isChecked());
        QCOMPARE(Child<QLineEdit>(window.get(), QStringLiteral("txtPSPVideoNumber"))->text(),
                 QStringLiteral("1"));
    }

    void fileListColumns() {
        TestHome home;
        auto window = OpenMainWindow();
        QTreeWidget *list = Child<QTreeWidget>(*window, "lvwVideoFiles");
        const QStringList headers{QStringLiteral("Filename"),   QStringLiteral("Codec"),
                                  QStringLiteral("Duration"),   QStringLiteral("Video Size"),
                                  QStringLiteral("Begin Time"), QStringLiteral("End Time"),
                                  QStringLiteral("Filepath"),   QStringLiteral("Status")};
        QCOMPARE(list->columnCount(), 8);
        for (int column = 0; column < 8; ++column) {
            QCOMPARE(list->headerItem()->text(column), headers[column]);
            QCOMPARE(list->isColumnHidden(column), column >= 4 && column < 7);
        }
        QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
        const char *buttons[][2] = {
            {"imgAddVideos", "Add Video File(s)"},
            {"imgRemoveItems", "Remove Selected Item(s) - Right click for more options"},
            {"imgConvert", "Convert your video files"},
            {"imgHelp", "Help about profiles"},
            {"imgEditVideoSize", "Edit Video Size"}};
        for (const auto &button : buttons)
            QCOMPARE(Child<QWidget>(window.get(), QString::fromLatin1(button[0]))->toolTip(),
                     QString::fromLatin1(button[1]));
    }

    void menus_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QKeySequence>("shortcut");
        const QKeySequence none;
        QTest::newRow("iPod") << "mnuSelectDevice_iPod"
                              << "&Apple iPod / iPhone" << none;
        QTest::newRow("Zune") << "mnuSelectDevice_Zune"
                              << "&Microsoft Zune" << none;
        QTest::newRow("PSP") << "mnuSelectDevice_PSP"
                             << "&Sony PSP" << none;
        QTest::newRow("phone") << "mnuSelectDevice_MobilePhone"
                               << "&Mobile Phone" << none;
        QTest::newRow("add") << "mnuFile_AddVideos"
                             << "&Add Video(s)" << none;
        QTest::newRow("convert") << "mnuFile_Convert"
                                 << "&Convert Files!" << QKeySequence(Qt::Key_F5);
        QTest::newRow("exit") << "mnuFile_Exit"
                              << "&Exit" << none;
        QTest::newRow("remove") << "mnuRemoveItems_RemoveSelectedItems"
                                << "&Remove Selected Item(s)" << QKeySequence(Qt::Key_Delete);
        QTest::newRow("clear") << "mnuRemoveItems_ClearList"
                               << "&Clear List" << QKeySequence(Qt::SHIFT | Qt::Key_Delete);
        QTest::newRow("remove converted") << "mnuRemoveItems_RemoveConvertedFiles"
                                          << "Remove C&onverted Files" << none;
        QTest::newRow("trim") << "mnuEdit_TrimVideoFile"
                              << "&Trim Video File" << QKeySequence(Qt::CTRL | Qt::Key_T);
        QTest::newRow("view output") << "mnuView_OutputDirectory"
                                     << "&Output Directory Settings" << none;
        QTest::newRow("view audio") << "mnuView_AudioSettings"
                                    << "&Audio Settings" << none;
        QTest::newRow("view video") << "mnuView_VideoSettings"
                                    << "&Video Settings" << none;
        QTest::newRow("open") << "mnuView_OpenVideoFile"
                              << "&Open Video File" << none;
        QTest::newRow("properties") << "mnuView_FileProperties"
                                    << "&File Properties" << none;
        QTest::newRow("manual") << "mnuHelp_HelpManual"
                                << "&Help Manual" << QKeySequence(Qt::Key_F1);
        QTest::newRow("about") << "mnuHelp_About"
                               << "&About" << none;
    }

    void menus() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QKeySequence, shortcut);
        TestHome home;
        auto window = OpenMainWindow();
        auto *item = Child<QAction>(window.get(), name);
        QCOMPARE(item->text(), caption);
        QCOMPARE(item->shortcut(), shortcut);
    }

    void menuOrder() {
        TestHome home;
        auto window = OpenMainWindow();
        const auto captions = [](const QMenu *menu) {
            QStringList texts;
            for (const QAction *item : menu->actions())
                texts << (item->isSeparator() ? QStringLiteral("-") : item->text());
            return texts;
        };
        QCOMPARE(captions(Child<QMenu>(*window, "mnuFile")),
                 QStringList({QStringLiteral("&Select Device"), QStringLiteral("-"),
                              QStringLiteral("&Add Video(s)"), QStringLiteral("-"),
                              QStringLiteral("&Convert Files!"), QStringLiteral("-"),
                              QStringLiteral("&Exit")}));
        QCOMPARE(captions(Child<QMenu>(*window, "mnuEdit")),
                 QStringList({QStringLiteral("Remove Items"), QStringLiteral("-"),
                              QStringLiteral("&Trim Video File")}));
        QCOMPARE(captions(Child<QMenu>(*window, "mnuHelp")),
                 QStringList({QStringLiteral("&Help Manual"), QStringLiteral("-"),
                              QStringLiteral("&About")}));
    }

    void shortcutsTriggerTheirItems_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("F5") << "mnuFile_Convert" << QKeySequence(Qt::Key_F5);
        QTest::newRow("Del") << "mnuRemoveItems_RemoveSelectedItems"
                             << QKeySequence(Qt::Key_Delete);
        QTest::newRow("Shift+Del")
            << "mnuRemoveItems_ClearList" << QKeySequence(Qt::SHIFT | Qt::Key_Delete);
        QTest::newRow("Ctrl+T") << "mnuEdit_TrimVideoFile" << QKeySequence(Qt::CTRL | Qt::Key_T);
        QTest::newRow("F1") << "mnuHelp_HelpManual" << QKeySequence(Qt::Key_F1);
    }

    void shortcutsTriggerTheirItems() {
        QFETCH(QString, name);
        QFETCH(QKeySequence, keys);
        TestHome home;
        FakePrompts prompts; // whatever the item opens is recorded, not shown
        auto window = OpenMainWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        Child<QTreeWidget>(*window, "lvwVideoFiles")->setFocus();
        QSignalSpy triggered(Child<QAction>(window.get(), name), &QAction::triggered);
        QTest::keySequence(window.get(), keys);
        QCOMPARE(triggered.size(), 1);
    }

    // Where no browser can be started, F1 says so and names the manual.
    void helpManualOpensTheShippedManual_data() {
        QTest::addColumn<bool>("browser");
        QTest::newRow("browser") << true;
        QTest::newRow("no browser") << false;
    }

    void helpManualOpensTheShippedManual() {
        QFETCH(bool, browser);
        TestHome home;
        FakePrompts prompts;
        prompts.desktopOpensUrls = browser;
        auto window = OpenMainWindow();
        Child<QAction>(*window, "mnuHelp_HelpManual")->trigger();
        QCOMPARE(prompts.openedUrls.size(), 1);
        QVERIFY(prompts.openedUrls[0].isLocalFile());
        const QString manual = prompts.openedUrls[0].toLocalFile();
        QVERIFY(QFile::exists(manual));
        QVERIFY(manual.endsWith(u"/manual/index.html"));
        const QStringList said{QStringLiteral("No web browser could be started to show the "
                                              "manual. It is at:\r\n") +
                               manual};
        QCOMPARE(prompts.texts(), browser ? QStringList() : said);
        if (!browser)
            QVERIFY(prompts.shown[0].parent == window.get());
    }

    // Tab goes as the window reads: from the devices to the profile above the
    // files, the files and their buttons, the settings tabs and the visible
    // panel's controls, Convert last;
    // Space clicks a focused device or tab.
    void tabWalksTheWindowInOrder() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QWidget *first = Child<DeviceStrip>(*window, "picLeftMenu")->lbliPodClickArea;
        first->setFocus();
        QStringList reached;
        do {
            reached << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        } while (QApplication::focusWidget() != first && reached.size() < 60);
        const QStringList named{QStringLiteral("lbliPodClickArea"),
                                QStringLiteral("lblZuneClickArea"),
                                QStringLiteral("lblPSPClickArea"),
                                QStringLiteral("lblMobilePhoneClickArea"),
                                QStringLiteral("cmbProfiles"),
                                QStringLiteral("lvwVideoFiles"),
                                QStringLiteral("imgAddVideos"),
                                QStringLiteral("imgRemoveItems"),
                                QStringLiteral("lblOutputDirectorySettings"),
                                QStringLiteral("lblAudioSettings"),
                                QStringLiteral("lblVideoSettings"),
                                QStringLiteral("txtOutputDirectory"),
                                QStringLiteral("cmdChooseOutputDirectory"),
                                QStringLiteral("imgConvert")};
        QStringList inOrder = reached;
        inOrder.removeIf([&named](const QString &name) { return !named.contains(name); });
        QCOMPARE(inOrder, named);
        QCOMPARE(reached.last(), QStringLiteral("imgConvert"));

        QTest::keyClick(Child<SettingsArea>(*window, "settingsArea")->lblAudioSettings,
                        Qt::Key_Space);
        QCOMPARE(Child<SettingsArea>(*window, "settingsArea")->visiblePanel(),
                 SettingsArea::Panel::Audio);
        QTest::keyClick(Child<DeviceStrip>(*window, "picLeftMenu")->lblPSPClickArea, Qt::Key_Space);
        QCOMPARE(window->SelectedDevice, QStringLiteral("PSP"));
    }

    // The window opens within the screen's free area, on a netbook's screen
    // 600 pixels high too: this test runs again on such a screen.
    void windowFitsAScreen600PixelsHigh() {
        if (qEnvironmentVariableIsEmpty("MOBIVERT_NETBOOK_SCREEN")) {
            TestHome home;
            const QString screens = home.path() + u"/screens.json";
            QVERIFY(WriteFileBytes(screens, R"({"screens": [{"name": "netbook", "x": 0, "y": 0,
                "width": 1024, "height": 600, "logicalDpi": 96, "dpr": 1}]})"));
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                               QStringLiteral("offscreen:configfile=") + screens);
            environment.insert(QStringLiteral("MOBIVERT_NETBOOK_SCREEN"), QStringLiteral("1"));
            QProcess again;
            again.setProcessEnvironment(environment);
            again.setProcessChannelMode(QProcess::MergedChannels);
            again.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("windowFitsAScreen600PixelsHigh")});
            QVERIFY(again.waitForFinished(kPatienceMs));
            QVERIFY2(again.exitCode() == 0, again.readAll().constData());
        }
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QRect free = window->screen()->availableGeometry();
        if (!qEnvironmentVariableIsEmpty("MOBIVERT_NETBOOK_SCREEN"))
            QCOMPARE(free.size(), QSize(1024, 600));
        QVERIFY2(free.contains(window->frameGeometry()),
                 qPrintable(QStringLiteral("%1x%2").arg(window->width()).arg(window->height())));
    }

    void panelSwitching() {
        TestHome home;
        auto window = OpenMainWindow();
        SettingsArea *area = Child<SettingsArea>(*window, "settingsArea");
        const auto check = [&](SettingsArea::Panel expected) {
            QWidget *panels[] = {area->frmOutputDirectorySettings, area->frmAudioSettings,
                                 area->frmVideoSettings};
            QWidget *tabs[] = {area->lblOutputDirectorySettings, area->lblAudioSettings,
                               area->lblVideoSettings};
            QAction *items[] = {Child<QAction>(*window, "mnuView_OutputDirectory"),
                                Child<QAction>(*window, "mnuView_AudioSettings"),
                                Child<QAction>(*window, "mnuView_VideoSettings")};
            for (int i = 0; i < 3; ++i) {
                const bool shown = i == static_cast<int>(expected);
                QCOMPARE(!panels[i]->isHidden(), shown);
                QCOMPARE(TextColour(tabs[i]), shown ? QColor(64, 64, 64) : QColor(0, 0, 255));
                QCOMPARE(items[i]->isChecked(), shown);
            }
        };
        check(SettingsArea::Panel::OutputDirectory);
        QTest::mouseClick(area->lblVideoSettings, Qt::LeftButton);
        check(SettingsArea::Panel::Video);
        Child<QAction>(*window, "mnuView_AudioSettings")->trigger();
        check(SettingsArea::Panel::Audio);
        Child<QAction>(*window, "mnuView_AudioSettings")
            ->trigger(); // the panel already shown stays
        check(SettingsArea::Panel::Audio);
        QTest::mouseClick(area->lblOutputDirectorySettings, Qt::LeftButton);
        check(SettingsArea::Panel::OutputDirectory);
    }

    void outputFolderChooser() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        auto *choose =
            Child<QAbstractButton>(window.get(), QStringLiteral("cmdChooseOutputDirectory"));
        outputBox(*window)->setText(QStringLiteral("typed by hand"));
        Child<QTreeWidget>(*window, "lvwVideoFiles")->setFocus();

        // Cancelled: the box and the focus stay.
        choose->click();
        QCOMPARE(prompts.lastDialogTitle, QStringLiteral("Choose Output Directory"));
        QCOMPARE(outputBox(*window)->text(), QStringLiteral("typed by hand"));
        QVERIFY(Child<QTreeWidget>(*window, "lvwVideoFiles")->hasFocus());

        // Chosen: the box takes the folder and the focus; nothing is stored yet.
        prompts.folderSelections.push_back(home.path() + u"/Videos");
        choose->click();
        QCOMPARE(outputBox(*window)->text(), QString(home.path() + u"/Videos"));
        QVERIFY(outputBox(*window)->hasFocus());
        QVERIFY(settingsText(home).isEmpty());
    }

    void pspHintNamesTheFolders() {
        TestHome home;
        FakePrompts prompts;
        auto window = OpenMainWindow();
        window->SwitchDevice(QStringLiteral("PSP")); // the hint shows for the PSP only
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTest::mouseClick(Child<QWidget>(window.get(), QStringLiteral("lblPSPHint")),
                          Qt::LeftButton);
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Information);
        QCOMPARE(prompts.shown[0].title,
                 QStringLiteral("Where do I need to save my PSP video files?"));
        QCOMPARE(prompts.shown[0].text,
                 QStringLiteral("If you convert your video files to MPEG4 or XVID, you must save "
                                "your converted video files in the following folder:\r\n"
                                "MP_ROOT\\100MNV01\r\n\r\n"
                                "If you convert your video files to H264, you must save your "
                                "converted video files in the following folder:\r\n"
                                "MP_ROOT\\100ANV01"));
    }

    void closingSavesTheOutputFolder_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("shownAtStart");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("first start") << QByteArray() << "<default>"
                                     << "/srv/out" << QByteArray("[General]\nOutputDir=/srv/out\n");
        QTest::newRow("empty value") << QByteArray("[General]\nOutputDir=\n") << ""
                                     << "" << QByteArray("[General]\nOutputDir=\n");
        QTest::newRow("other keys kept")
            << QByteArray("[Commondialog]\nAddFiles=/in/\n[General]\nOutputDir=/old\n") << "/old"
            << "/new" << QByteArray("[Commondialog]\nAddFiles=/in/\n[General]\nOutputDir=/new\n");
        QTest::newRow("long value cut")
            << QByteArray("[General]\nOutputDir=/" + QByteArray(299, 'x') + "\n")
            << QString(u'/' + QString(253, u'x')) << QString()
            << QByteArray("[General]\nOutputDir=\n");
    }

    void closingSavesTheOutputFolder() {
        QFETCH(QByteArray, before);
        QFETCH(QString, shownAtStart);
        QFETCH(QString, typed);
        QFETCH(QByteArray, after);
        TestHome home;
        if (!before.isEmpty())
            writeSettings(home, before);
        auto window = OpenMainWindow();
        if (shownAtStart == u"<default>")
            shownAtStart = home.path() + u"/Converted Video Files";
        QCOMPARE(outputBox(*window)->text(), shownAtStart);
        outputBox(*window)->setText(typed);
        window->close();
        QCOMPARE(settingsText(home), after);
    }

    void videoRateOptionsAreKept() {
        TestHome home;
        writeSettings(home, "[General]\nOutputDir=/out\nFitBatchSize=650\n");
        auto window = OpenMainWindow();
        VideoSettingsPanel *video = Child<VideoSettingsPanel>(*window, "frmVideoSettings");
        QCOMPARE(video->RateOptions(), (SettingsFile::VideoRateOptions{false, false, 650}));
        video->chkVideoTwoPass->setChecked(true);
        video->chkVideoFitBatch->setChecked(true);
        video->txtVideoFitBatchSize->setValue(4000);
        window->close();
        QCOMPARE(settingsText(home),
                 QByteArray("[General]\nOutputDir=/out\nFitBatchSize=4000\nTwoPass=1\n"
                            "FitBatch=1\n"));
        window = OpenMainWindow();
        QCOMPARE(Child<VideoSettingsPanel>(*window, "frmVideoSettings")->RateOptions(),
                 (SettingsFile::VideoRateOptions{true, true, 4000}));
    }

    // "Deinterlace:" and "Burn in subtitles" come back at the next start; an
    // unknown value leaves the default.
    void pictureOptionsAreKept() {
        TestHome home;
        writeSettings(home, "[General]\nOutputDir=/out\nDeinterlace=Often\n");
        auto window = OpenMainWindow();
        VideoSettingsPanel *video = Child<VideoSettingsPanel>(*window, "frmVideoSettings");
        QCOMPARE(video->cmbDeinterlace->currentText(), QStringLiteral("Automatic"));
        QVERIFY(!video->chkBurnSubtitles->isChecked());
        video->cmbDeinterlace->setCurrentText(QStringLiteral("Always"));
        video->chkBurnSubtitles->setChecked(true);
        window->close();
        QCOMPARE(settingsText(home), QByteArray("[General]\nOutputDir=/out\nDeinterlace=Always\n"
                                                "BurnSubtitles=1\n"));
        window = OpenMainWindow();
        QCOMPARE(Child<VideoSettingsPanel>(*window, "frmVideoSettings")->PictureOptions(),
                 (SettingsFile::PictureOptions{Deinterlace::Always, true}));
    }

    // "Files at once" starts at Automatic, is stored once the user changes
    // it, comes back at the next start; a value the box does not offer
    // leaves Automatic.
    void filesAtOnceIsKept_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("shownAtStart");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("left alone") << QByteArray() << "Automatic"
                                    << "Automatic" << QByteArray("[General]\nOutputDir=/o\n");
        QTest::newRow("chosen") << QByteArray() << "Automatic"
                                << "1" << QByteArray("[General]\nOutputDir=/o\nFilesAtOnce=1\n");
        QTest::newRow("read back") << QByteArray("[General]\nFilesAtOnce=6\n") << "6"
                                   << "6" << QByteArray("[General]\nFilesAtOnce=6\nOutputDir=/o\n");
        QTest::newRow("spoilt") << QByteArray("[General]\nFilesAtOnce=99\n") << "Automatic"
                                << "Automatic"
                                << QByteArray("[General]\nFilesAtOnce=Automatic\nOutputDir=/o\n");
    }

    void filesAtOnceIsKept() {
        QFETCH(QByteArray, before);
        QFETCH(QString, shownAtStart);
        QFETCH(QString, chosen);
        QFETCH(QByteArray, after);
        TestHome home;
        if (!before.isEmpty())
            writeSettings(home, before);
        auto window = OpenMainWindow();
        QComboBox *box =
            Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")->cmbFilesAtOnce;
        QCOMPARE(box->currentText(), shownAtStart);
        QCOMPARE(box->count(), 7);
        box->setCurrentText(chosen);
        outputBox(*window)->setText(QStringLiteral("/o"));
        window->close();
        QCOMPARE(settingsText(home), after);
    }

    // At start, over the shown window: a spoilt record is reported and set
    // aside; an interrupted batch is offered (Yes the default button), and
    // Yes brings back its rows not converted with the device, the changed
    // settings and the output folder.
    void interruptedBatchAtStart() {
        TestHome home;
        FakePrompts prompts;
        QDir().mkpath(home.dataFolder());
        const QString record = BatchRecordFile::path(home.dataFolder());
        QVERIFY(WriteFileBytes(record, "{\"version\": 1"));
        QVERIFY(!OpenMainWindow()->isVisible() && prompts.shown.isEmpty()); // loading asks nothing
        auto spoilt = StartMainWindow();
        QCOMPARE(prompts.shown.size(), 1);
        QVERIFY(prompts.shown[0].parent == spoilt.get() && prompts.shown[0].parentVisible);
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Exclamation);
        QVERIFY2(prompts.shown[0].text.contains(u"could not be read") &&
                     prompts.shown[0].text.endsWith(u".spoilt"),
                 qPrintable(prompts.shown[0].text));
        QVERIFY(!QFile::exists(record));

        BatchRecord batch;
        {
            auto before = OpenMainWindow();
            before->SwitchDevice(QStringLiteral("PSP"));
            Child<VideoSettingsPanel>(*before, "frmVideoSettings")
                ->cmbVideoBitrate->setCurrentIndex(0);
            Child<VideoSettingsPanel>(*before, "frmVideoSettings")
                ->chkVideoKeepAspectRatio->setChecked(true);
            prompts.dialogHandler = [](QDialog *dialog) {
                auto *edit = qobject_cast<frmEditVideoSize *>(dialog);
                edit->txtWidth->setText(QStringLiteral("400"));
                edit->txtHeight->setText(QStringLiteral("240"));
                edit->cmdOk->click();
                return edit->result();
            };
            QTest::mouseClick(
                Child<VideoSettingsPanel>(*before, "frmVideoSettings")->imgEditVideoSize,
                Qt::LeftButton);
            Child<VideoSettingsPanel>(*before, "frmVideoSettings")
                ->cmbDeinterlace->setCurrentText(QStringLiteral("Never"));
            Child<VideoSettingsPanel>(*before, "frmVideoSettings")
                ->chkBurnSubtitles->setChecked(true);
            batch.settings = before->profileControls().CurrentSettings();
            batch.profile = Child<QComboBox>(*before, "cmbProfiles")->currentText();
        }
        QCOMPARE(batch.profile, QStringLiteral("Custom"));
        QCOMPARE(batch.settings.videoSize, QSize(400, 240)); // a custom size
        batch.outputFolder = QStringLiteral("/videos/psp");
        batch.filesAtOnce = 3;
        for (const QString &name : {QStringLiteral("done"), QStringLiteral("left")}) {
            batch.rows.append({name,
                               QStringLiteral("AVC"),
                               60,
                               QSize(640, 480),
                               5,
                               50,
                               u"/in/" + name + u".mp4",
                               QStringLiteral("2"),
                               QStringLiteral("eng"),
                               {}});
            batch.outputPaths.append(u"/videos/psp/" + name + u".MP4");
        }
        batch.converted = {true, false};
        QVERIFY(BatchRecordFile::write(home.dataFolder(), batch));
        prompts.clear();
        prompts.answers.push_back(true);
        auto window = StartMainWindow();
        QCOMPARE(prompts.texts(),
                 QStringList{QStringLiteral("The last conversion was interrupted: 1 of 2 files "
                                            "were not converted. Add them to the list again?")});
        QVERIFY(prompts.shown[0].parent == window.get() && prompts.shown[0].parentVisible);
        QCOMPARE(prompts.shown[0].defaultButton, Prompts::Answer::Yes);
        QVERIFY(window->profileControls().CurrentSettings() == batch.settings);
        QCOMPARE(Child<QComboBox>(*window, "cmbProfiles")->currentText(), QStringLiteral("Custom"));
        QCOMPARE(outputBox(*window)->text(), QStringLiteral("/videos/psp"));
        QCOMPARE(Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
                     ->cmbFilesAtOnce->currentText(),
                 QStringLiteral("3"));
        QCOMPARE(ReadFileListRows(Child<QTreeWidget>(*window, "lvwVideoFiles")),
                 QList<FileListRow>{batch.rows[1]});
        QVERIFY(!QFile::exists(record));
    }

    void readOnlySettingsAreStillSaved() {
        TestHome home;
        writeSettings(home, "[General]\nOutputDir=/old\n");
        const QString path = home.dataFolder() + u"/Settings.ini";
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        auto window = OpenMainWindow();
        outputBox(*window)->setText(QStringLiteral("/new"));
        window->close();
        QCOMPARE(settingsText(home), QByteArray("[General]\nOutputDir=/new\n"));
        QVERIFY(QFile::permissions(path) & QFileDevice::WriteOwner);
    }

    // File -> Exit keeps the choices as closing the window does.
    void exitSavesAsClosingDoes() {
        TestHome home;
        writeSettings(home, "[General]\nOutputDir=/kept\n");
        auto window = OpenMainWindow();
        window->show();
        outputBox(*window)->setText(QStringLiteral("/changed"));
        QTimer::singleShot(0, Child<QAction>(*window, "mnuFile_Exit"), &QAction::trigger);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        watchdog.start(10000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(window->isVisible()); // ended at once, without closing anything
        QCOMPARE(SettingsFile::readOutputDir(home.dataFolder()), QStringLiteral("/changed"));
    }

    void statusBarAtStart() {
        TestHome home;
        auto window = OpenMainWindow();
        QCOMPARE(Child<MainStatusBar>(*window, "StatusBar")->panelText(1),
                 QStringLiteral("Version: 1.1"));
        QCOMPARE(Child<MainStatusBar>(*window, "StatusBar")->panel(1)->toolTip(),
                 QStringLiteral("Version: 1.1"));
        QCOMPARE(Child<MainStatusBar>(*window, "StatusBar")->panelText(2), QString());
        QVERIFY(Child<QProgressBar>(*window, "AddFilesProgressBar")->isHidden());
        QVERIFY(Child<QWidget>(*window, "CancelOverlay")->isHidden());
        QVERIFY(Child<MainStatusBar>(*window, "StatusBar")
                    ->isAncestorOf(Child<QProgressBar>(*window, "AddFilesProgressBar")));
        QVERIFY(Child<MainStatusBar>(*window, "StatusBar")
                    ->isAncestorOf(Child<QWidget>(*window, "CancelOverlay")));
    }

    void statusBarDoubleClickOpensAbout() {
        TestHome home;
        FakePrompts prompts;
        QStringList opened;
        prompts.dialogHandler = [&](QDialog *dialog) {
            opened << dialog->objectName();
            return int(QDialog::Accepted);
        };
        auto window = OpenMainWindow();
        window->show();
        QTest::mouseDClick(Child<MainStatusBar>(*window, "StatusBar")->panel(2), Qt::LeftButton);
        QVERIFY(opened.isEmpty());
        QTest::mouseDClick(Child<MainStatusBar>(*window, "StatusBar")->panel(1), Qt::LeftButton);
        QCOMPARE(opened, QStringList{QStringLiteral("frmAbout")});
    }

    void stripIsPaintedWithTheGradient() {
        TestHome home;
        auto window = OpenMainWindow();
        QVERIFY(Child<DeviceStrip>(*window, "picLeftMenu")->isPainted());
        const QImage strip =
            PaintGradient(QSize(150, 600), frmMain::GradientTop, frmMain::GradientBottom);
        // The broad pen leaves the bottom in the end colour, and every row
        // lies between the two colours, greener further down.
        QCOMPARE(strip.pixelColor(75, 599), QColor(83, 152, 116));
        int previousGreen = 0;
        for (int y = 0; y < 600; y += 25) {
            const QColor colour = strip.pixelColor(75, y);
            QVERIFY(colour.green() >= 100 && colour.green() <= 152);
            QVERIFY(colour.green() >= previousGreen);
            previousGreen = colour.green();
        }
        QVERIFY(strip.pixelColor(75, 0).blue() > strip.pixelColor(75, 599).blue());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
