// Device switching in the real main window: the entry points, the marks of
// the selected device, the device-only controls, the refill of the settings
// boxes and the profile box, and the order of the steps.
#include "app/AudioSettingsPanel.h"
#include "app/DeviceStrip.h"
#include "app/OutputDirectoryPanel.h"
#include "app/ProfileControls.h"
#include "app/VideoSettingsPanel.h"
#include "app/widgets/ClickableLabel.h"
#include "app/widgets/GUIFunctions.h"
#include "tests/profiles/ProfileFolder.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QColor White{255, 255, 255};
const QColor Cyan{0, 255, 255};

QStringList entries(const QComboBox *box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

struct Device {
    QString name, caption, clickArea, menuItem;
};

const Device Devices[] = {
    {u"iPod"_s, u"lbliPod"_s, u"lbliPodClickArea"_s, u"mnuSelectDevice_iPod"_s},
    {u"Zune"_s, u"lblZune"_s, u"lblZuneClickArea"_s, u"mnuSelectDevice_Zune"_s},
    {u"PSP"_s, u"lblPSP"_s, u"lblPSPClickArea"_s, u"mnuSelectDevice_PSP"_s},
    {u"MobilePhone"_s, u"lblMobilePhone"_s, u"lblMobilePhoneClickArea"_s,
     u"mnuSelectDevice_MobilePhone"_s},
};

} // namespace

class TestDeviceSwitching : public QObject {
    Q_OBJECT

    // Member order matters: the profile folder overrides the application
    // folder that the home sets.
    std::unique_ptr<TestHome> home;
    std::unique_ptr<ProfileFolder> folder;
    std::unique_ptr<FakePrompts> prompts;
    std::unique_ptr<frmMain> window;

    AudioSettingsPanel *audio() const {
        return Child<AudioSettingsPanel>(*window, "frmAudioSettings");
    }
    VideoSettingsPanel *video() const {
        return Child<VideoSettingsPanel>(*window, "frmVideoSettings");
    }

    // Every device gets the standard file, told apart by its first codec.
    void writeAllDevices() {
        for (const Device &device : Devices)
            folder->write(device.name, StandardDeviceFile().replace(
                                           "mpeg4|", QByteArray(device.name.toUtf8() + "-mpeg4|")));
    }

    void start() {
        window = OpenMainWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

private slots:
    void init() {
        home = std::make_unique<TestHome>();
        folder = std::make_unique<ProfileFolder>();
        prompts = std::make_unique<FakePrompts>();
    }

    void cleanup() {
        window.reset();
        prompts.reset();
        folder.reset();
        home.reset();
    }

    void startUpSelectsTheIPod() {
        writeAllDevices();
        start();
        QCOMPARE(window->SelectedDevice, QStringLiteral("iPod"));
        QCOMPARE(Child<QLabel>(*window, "lblSelectedDevice")->text(),
                 QStringLiteral("iPod / iPhone"));
        QCOMPARE(Child<QComboBox>(*window, "cmbProfiles")->currentText(), QStringLiteral("Medium"));
        QCOMPARE(video()->cmbVideoCodec->itemText(0), QStringLiteral("iPod-mpeg4"));
        QVERIFY(prompts->shown.isEmpty());
    }

    void everyEntryPointSwitches_data() {
        QTest::addColumn<int>("device");
        QTest::addColumn<QString>("via");
        for (int i = 0; i < 4; ++i) {
            for (const char *via : {"click area", "menu", "context menu"})
                QTest::addRow("%s by %s", qPrintable(Devices[i].name), via) << i << via;
        }
    }

    void everyEntryPointSwitches() {
        QFETCH(int, device);
        QFETCH(QString, via);
        writeAllDevices();
        start();
        // Start from another device so that every mark has to move.
        const Device &other = Devices[device == 1 ? 2 : 1];
        window->SwitchDevice(other.name);
        const Device &target = Devices[device];

        if (via == u"click area") {
            QTest::mouseClick(Child<ClickableLabel>(window.get(), target.clickArea),
                              Qt::LeftButton);
        } else if (via == u"menu") {
            Child<QAction>(window.get(), target.menuItem)->trigger();
        } else {
            // A right click on the strip, below the entries, pops up the
            // Select Device menu at the strip's top-left corner.
            DeviceStrip *strip = Child<DeviceStrip>(*window, "picLeftMenu");
            QTest::mousePress(strip, Qt::RightButton, {},
                              QPoint(strip->width() / 2, strip->height() - 5));
            QMenu *menu = Child<QMenu>(*window, "mnuFile_SelectDevice");
            QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), kPatienceMs);
            QCOMPARE(menu->pos(), strip->mapToGlobal(QPoint(0, 0)));
            Child<QAction>(menu, target.menuItem)->trigger();
            menu->close();
        }

        QCOMPARE(window->SelectedDevice, target.name);
        QCOMPARE(Child<QLabel>(*window, "lblSelectedDevice")->text(),
                 Child<QLabel>(window.get(), target.caption)->text());
        for (const Device &each : Devices) {
            const bool selected = each.name == target.name;
            QCOMPARE(TextColour(Child<QLabel>(window.get(), each.caption)),
                     selected ? Cyan : White);
            QCOMPARE(Child<QAction>(window.get(), each.menuItem)->isChecked(), selected);
        }
        OutputDirectoryPanel *output =
            Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings");
        QCOMPARE(output->chkAddToiTunes->isVisibleTo(window.get()), target.name == u"iPod");
        for (QWidget *pspOnly :
             std::initializer_list<QWidget *>{output->lblPSPHint, output->chkPSPCreateThumbnail,
                                              output->lblPSPVideoNumber, output->txtPSPVideoNumber})
            QCOMPARE(pspOnly->isVisibleTo(window.get()), target.name == u"PSP");
        // The device's own file filled the boxes.
        QCOMPARE(video()->cmbVideoCodec->itemText(0), QString(target.name + u"-mpeg4"));
        QCOMPARE(Child<QComboBox>(*window, "cmbProfiles")->currentText(), QStringLiteral("Medium"));
    }

    void otherClicksOnTheStripDoNothing() {
        writeAllDevices();
        start();
        DeviceStrip *strip = Child<DeviceStrip>(*window, "picLeftMenu");
        const QPoint below(strip->width() / 2, strip->height() - 5);
        QTest::mousePress(strip, Qt::LeftButton, {}, below);
        QTest::mouseRelease(strip, Qt::LeftButton, {}, below);
        QTest::mousePress(strip, Qt::MiddleButton, {}, below);
        // A right click on a device entry belongs to its click area.
        QTest::mousePress(Child<ClickableLabel>(window.get(), u"lblZuneClickArea"_s),
                          Qt::RightButton);
        QTest::qWait(50);
        QVERIFY(!Child<QMenu>(*window, "mnuFile_SelectDevice")->isVisible());
        QCOMPARE(window->SelectedDevice, QStringLiteral("iPod"));
    }

    void unknownDeviceMarksNothing() {
        writeAllDevices();
        folder->write(u"Nokia"_s, StandardDeviceFile().replace("mpeg4|", "nokia-mpeg4|"));
        start();
        window->SwitchDevice(QStringLiteral("PSP"));
        window->SwitchDevice(QStringLiteral("Nokia"));
        QCOMPARE(window->SelectedDevice, QStringLiteral("Nokia"));
        QCOMPARE(Child<QLabel>(*window, "lblSelectedDevice")->text(), QStringLiteral("Sony PSP"));
        for (const Device &each : Devices) {
            QCOMPARE(TextColour(Child<QLabel>(window.get(), each.caption)), White);
            QVERIFY(!Child<QAction>(window.get(), each.menuItem)->isChecked());
        }
        OutputDirectoryPanel *output =
            Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings");
        for (QWidget *control : std::initializer_list<QWidget *>{
                 output->chkAddToiTunes, output->lblPSPHint, output->chkPSPCreateThumbnail,
                 output->lblPSPVideoNumber, output->txtPSPVideoNumber})
            QVERIFY(!control->isVisibleTo(window.get()));
        // The name is matched exactly: another case is another file.
        QCOMPARE(video()->cmbVideoCodec->itemText(0), QStringLiteral("nokia-mpeg4"));
        window->SwitchDevice(QStringLiteral("psp"));
        QVERIFY(!Child<QAction>(window.get(), u"mnuSelectDevice_PSP"_s)->isChecked());
        QCOMPARE(video()->cmbVideoCodec->count(), 0);
    }

    void profileBoxAndDefault_data() {
        QTest::addColumn<QByteArray>("general");
        QTest::addColumn<QStringList>("profiles");
        QTest::addColumn<int>("selected");
        const QStringList three{u"Small"_s, u"Medium"_s, u"Large"_s, u"Custom"_s};
        QTest::newRow("default 1")
            << QByteArray("NumberOfProfiles=3\nDefaultProfile=1\n") << three << 1;
        QTest::newRow("default 0")
            << QByteArray("NumberOfProfiles=3\nDefaultProfile=0\n") << three << 0;
        QTest::newRow("default missing") << QByteArray("NumberOfProfiles=3\n") << three << 0;
        QTest::newRow("default last profile")
            << QByteArray("NumberOfProfiles=3\nDefaultProfile=2\n") << three << 2;
        QTest::newRow("default beyond the profiles")
            << QByteArray("NumberOfProfiles=3\nDefaultProfile=3\n") << three << -1;
        QTest::newRow("default negative")
            << QByteArray("NumberOfProfiles=3\nDefaultProfile=-1\n") << three << -1;
        QTest::newRow("default not a number")
            << QByteArray("NumberOfProfiles=3\nDefaultProfile=first\n") << three << -1;
        QTest::newRow("default present but empty")
            << QByteArray("NumberOfProfiles=3\nDefaultProfile=\n") << three << -1;
        QTest::newRow("no profiles")
            << QByteArray("NumberOfProfiles=0\n") << QStringList{u"Custom"_s} << -1;
        QTest::newRow("count not a number")
            << QByteArray("NumberOfProfiles=many\n") << QStringList{u"Custom"_s} << -1;
        QTest::newRow("count beyond the sections")
            << QByteArray("NumberOfProfiles=4\nDefaultProfile=2\n")
            << QStringList{u"Small"_s, u"Medium"_s, u"Large"_s, u""_s, u"Custom"_s} << 2;
    }

    void profileBoxAndDefault() {
        QFETCH(QByteArray, general);
        QFETCH(QStringList, profiles);
        QFETCH(int, selected);
        folder->write(u"iPod"_s, StandardDeviceFile());
        folder->write(u"Zune"_s, StandardDeviceFile(general));
        start();
        window->SwitchDevice(QStringLiteral("Zune"));

        QCOMPARE(entries(Child<QComboBox>(*window, "cmbProfiles")), profiles);
        QCOMPARE(Child<QComboBox>(*window, "cmbProfiles")->currentIndex(), selected);
        // The boxes are always refilled; the default profile, if any, is loaded.
        QCOMPARE(entries(video()->cmbVideoSize).size(), 5);
        const int position = selected < 0 ? -1 : selected;
        for (QComboBox *box :
             {audio()->cmbAudioBitrate, audio()->cmbAudioSampleRate, video()->cmbVideoCodec,
              video()->cmbVideoSize, video()->cmbVideoBitrate, video()->cmbVideoFrameRate})
            QCOMPARE(box->currentIndex(), position);
        if (selected < 0)
            QVERIFY(video()->cmbVideoSize->currentText().isEmpty());
        QVERIFY(prompts->shown.isEmpty());
    }

    void missingFileLeavesEmptyBoxes() {
        writeAllDevices();
        start();
        QFile::remove(folder->path() + u"/Profiles/Zune.ini");
        video()->chkVideoNoVideo->setChecked(true);
        window->SwitchDevice(QStringLiteral("Zune"));

        QCOMPARE(entries(Child<QComboBox>(*window, "cmbProfiles")), QStringList{u"Custom"_s});
        QCOMPARE(Child<QComboBox>(*window, "cmbProfiles")->currentIndex(), -1);
        // Every box a profile file fills ("Files at once" and "Deinterlace:"
        // are the user's own, not a profile's).
        for (QComboBox *box : window->findChildren<QComboBox *>()) {
            if (box != Child<QComboBox>(*window, "cmbProfiles") &&
                box != Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings")
                           ->cmbFilesAtOnce &&
                box != video()->cmbDeinterlace)
                QVERIFY2(box->count() == 0, qPrintable(box->objectName()));
        }
        QVERIFY(video()->cmbVideoSize->currentText().isEmpty());
        // The switch itself leaves "No Video" alone; no profile set it.
        QVERIFY(video()->chkVideoNoVideo->isChecked());
        // The marks move as usual.
        QCOMPARE(Child<QLabel>(*window, "lblSelectedDevice")->text(),
                 QStringLiteral("Microsoft Zune"));
    }

    void checkBoxesAreResetBeforeTheDefaultLoads() {
        writeAllDevices();
        start();
        window->SwitchDevice(QStringLiteral("PSP"));
        window->LoadProfile(3); // Large: eXtreme Qty and Keep Aspect Ratio
        audio()->chkAudioNoAudio->setChecked(true);

        // Record what the controls report, in order, during the next switch.
        QStringList events;
        const auto record = [&events](QObject *sender, const QString &name) {
            if (auto *check = qobject_cast<QCheckBox *>(sender))
                connect(check, &QCheckBox::stateChanged, sender, [&events, name](int state) {
                    events.append(name + u'=' + QString::number(state));
                });
            else if (auto *box = qobject_cast<QComboBox *>(sender))
                connect(box, &QComboBox::currentIndexChanged, sender, [&events, name](int index) {
                    events.append(name + u'=' + QString::number(index));
                });
        };
        record(audio()->chkAudioNoAudio, u"noAudio"_s);
        record(video()->chkVideoKeepAspectRatio, u"keep"_s);
        record(video()->chkVideoOriginalQuality, u"extreme"_s);
        record(audio()->cmbAudioCodec, u"audioCodec"_s);
        record(video()->cmbVideoCodec, u"videoCodec"_s);
        record(video()->cmbVideoFrameRate, u"frameRate"_s);
        record(Child<QComboBox>(*window, "cmbProfiles"), u"profile"_s);

        window->SwitchDevice(QStringLiteral("Zune"));
        // Refills report nothing; the resets come first, then the load that
        // selecting the default profile runs (the profile box's own report
        // is recorded after the handler that loads it has finished).
        const QStringList expected{u"noAudio=0"_s,    u"keep=0"_s,       u"extreme=0"_s,
                                   u"audioCodec=1"_s, u"videoCodec=1"_s, u"frameRate=1"_s,
                                   u"keep=2"_s,       u"profile=1"_s};
        QCOMPARE(events, expected);
        QCOMPARE(Child<QComboBox>(*window, "cmbProfiles")->currentText(), QStringLiteral("Medium"));
        QVERIFY(!video()->chkVideoOriginalQuality->isChecked());
        QVERIFY(video()->chkVideoKeepAspectRatio->isChecked());
        QVERIFY(video()->cmbVideoBitrate->isEnabled());
        QVERIFY(audio()->cmbAudioCodec->isEnabled());
    }

    void checksWhenNoProfileLoads() {
        writeAllDevices();
        folder->write(u"Zune"_s, StandardDeviceFile("NumberOfProfiles=3\nDefaultProfile=9\n"));
        folder->write(u"PSP"_s,
                      StandardDeviceFile("NumberOfProfiles=4\nDefaultProfile=3\n",
                                         ProfileSectionText(4, "Sound only",
                                                            {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0})));
        start();
        QVERIFY(!video()->chkVideoNoVideo->isChecked());
        // A profile that sets it.
        window->SwitchDevice(QStringLiteral("PSP"));
        QVERIFY(video()->chkVideoNoVideo->isChecked());
        QVERIFY(!video()->cmbVideoCodec->isEnabled());
        // No profile loaded: "No Video" stays, the two others are unchecked.
        video()->chkVideoOriginalQuality->setChecked(true);
        video()->chkVideoKeepAspectRatio->setChecked(true);
        window->SwitchDevice(QStringLiteral("Zune"));
        QCOMPARE(Child<QComboBox>(*window, "cmbProfiles")->currentIndex(), -1);
        QVERIFY(video()->chkVideoNoVideo->isChecked());
        QVERIFY(!video()->cmbVideoCodec->isEnabled());
        QVERIFY(!video()->chkVideoOriginalQuality->isChecked());
        QVERIFY(!video()->chkVideoKeepAspectRatio->isChecked());
    }

    void hiddenControlsKeepTheirValues() {
        writeAllDevices();
        start();
        OutputDirectoryPanel *output =
            Child<OutputDirectoryPanel>(*window, "frmOutputDirectorySettings");
        output->txtOutputDirectory->setText(QStringLiteral("/videos/out"));
        window->SwitchDevice(QStringLiteral("PSP"));
        output->chkPSPCreateThumbnail->setChecked(true);
        output->txtPSPVideoNumber->setText(QStringLiteral("12"));
        window->SwitchDevice(QStringLiteral("iPod"));
        output->chkAddToiTunes->setChecked(true);
        window->SwitchDevice(QStringLiteral("MobilePhone"));
        window->SwitchDevice(QStringLiteral("PSP"));
        QVERIFY(output->chkPSPCreateThumbnail->isChecked());
        QCOMPARE(output->txtPSPVideoNumber->text(), QStringLiteral("12"));
        QVERIFY(output->chkAddToiTunes->isChecked());
        QCOMPARE(output->txtOutputDirectory->text(), QStringLiteral("/videos/out"));
    }

    void switchingAgainRestoresTheDefault() {
        writeAllDevices();
        start();
        video()->cmbVideoFrameRate->setCurrentIndex(2);
        QCOMPARE(Child<QComboBox>(*window, "cmbProfiles")->currentText(), QStringLiteral("Custom"));
        // Choosing the selected device again runs the whole switch.
        Child<QAction>(window.get(), u"mnuSelectDevice_iPod"_s)->trigger();
        QCOMPARE(Child<QComboBox>(*window, "cmbProfiles")->currentText(), QStringLiteral("Medium"));
        QCOMPARE(video()->cmbVideoFrameRate->currentIndex(), 1);
        QVERIFY(Child<QAction>(window.get(), u"mnuSelectDevice_iPod"_s)->isChecked());
    }
};

QTEST_MAIN(TestDeviceSwitching)
#include "tst_deviceswitching.moc"
