// Every profile of every device converts the standard clip through the real
// batch file, launcher and converter, and the result meets the limits of the
// device class the profile targets; one profile of each encoder family does
// so again with two passes, and fitted into a size.
#include "app/OutputDirectoryPanel.h"
#include "app/VideoSettingsPanel.h"
#include "core/filelist/FileListRow.h"
#include "tests/support/ConversionDriver.h"
#include "tests/support/DeviceClasses.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

class TestDeviceCheck : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_home = std::make_unique<TestHome>();
        m_prompts = std::make_unique<FakePrompts>();
        // The standard source: 10 s of 1280x720 at 30 fps with a 1 kHz
        // stereo tone at 48 kHz.
        m_clip = m_home->path() + u"/standard.mp4";
        QVERIFY(MakeClip(m_clip, {10.0,
                                  1280,
                                  720,
                                  30,
                                  true,
                                  true,
                                  {QStringLiteral("-c:v"), QStringLiteral("libx264"),
                                   QStringLiteral("-preset"), QStringLiteral("ultrafast"),
                                   QStringLiteral("-c:a"), QStringLiteral("aac")}}));
        // A busy picture for the two-pass runs: grain over the test picture
        // takes every bit a rate offers, so the rates can be checked. It is
        // stored as MPEG-4, which decodes in half the time H.264 takes, so
        // that each run stays short on a busy machine.
        m_busyClip = m_home->path() + u"/busy.mp4";
        QVERIFY(MakeClip(m_busyClip,
                         {10.0,
                          1280,
                          720,
                          30,
                          true,
                          true,
                          {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-q:v"),
                           QStringLiteral("2"), QStringLiteral("-c:a"), QStringLiteral("aac")}},
                         QStringLiteral("format=yuv420p,noise=alls=16:allf=t")));
        m_window = OpenMainWindow();
        AddFilesThroughDialog(*m_window, *m_prompts, {m_clip});
        QCOMPARE(Child<QTreeWidget>(*m_window, "lvwVideoFiles")->topLevelItemCount(), 1);
    }

    void cleanupTestCase() {
        m_window.reset();
        m_prompts.reset();
        m_home.reset();
    }

    void checkerRefusesWhatDoesNotFit() {
        // The source itself is too large and too fast for every small device.
        for (const char *deviceClass : {"ipod-5g", "psp", "phone-3gp", "zune-wmv"})
            QVERIFY2(!CheckDeviceClass(QString::fromLatin1(deviceClass), m_clip).isEmpty(),
                     deviceClass);
        QVERIFY(!CheckDeviceClass(QStringLiteral("no-such-class"), m_clip).isEmpty());
    }

    void everyProfileMeetsItsDeviceClass_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("profile");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("deviceClass");
        const QList<ProfileTarget> targets =
            ReadProfileTargets(TestPaths::sourceDir() + u"/Profiles/device-classes.tsv");
        QVERIFY(targets.size() >= 12);
        for (const ProfileTarget &target : targets)
            QTest::newRow(qPrintable(target.device + u' ' + QString::number(target.profile)))
                << target.device << target.profile << target.name << target.deviceClass;
    }

    void everyProfileMeetsItsDeviceClass() {
        QFETCH(QString, device);
        QFETCH(int, profile);
        QFETCH(QString, name);
        QFETCH(QString, deviceClass);
        frmMain &window = *m_window;
        window.SwitchDevice(device);
        Child<QComboBox>(window, "cmbProfiles")->setCurrentIndex(profile - 1);
        QCOMPARE(Child<QComboBox>(window, "cmbProfiles")->currentText(), name);

        const QString out = m_home->path() + u"/out/" + device + u'-' + QString::number(profile);
        Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")
            ->txtOutputDirectory->setText(out);
        Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")
            ->chkPSPCreateThumbnail->setChecked(device == u"PSP");
        m_prompts->clear();
        const ConversionSeen seen = ConvertThroughWindow(window, *m_prompts, {}, 300000);
        QVERIFY2(seen.windowOpened, qPrintable(m_prompts->texts().join(u'\n')));
        QVERIFY(seen.finished);
        QCOMPARE(seen.errorLog, QString());

        QStringList videos = QDir(out).entryList(QDir::Files);
        const QStringList thumbnails = videos.filter(QRegularExpression(QStringLiteral("\\.thm$")));
        for (const QString &thumbnail : thumbnails)
            videos.removeAll(thumbnail);
        QCOMPARE(videos.size(), 1);
        const QStringList problems = CheckDeviceClass(deviceClass, out + u'/' + videos[0]);
        QVERIFY2(problems.isEmpty(),
                 qPrintable(videos[0] + u": " + problems.join(QStringLiteral("; "))));

        if (device == u"PSP") {
            QVERIFY2(QRegularExpression(QStringLiteral("^(M4V|MAQ)\\d{4,5}\\.MP4$"))
                         .match(videos[0])
                         .hasMatch(),
                     qPrintable(videos[0]));
            QCOMPARE(thumbnails.size(), 1);
            const QJsonObject picture =
                ProbeStream(Probe(out + u'/' + thumbnails[0]), QStringLiteral("video"));
            QCOMPARE(picture.value(QStringLiteral("codec_name")).toString(),
                     QStringLiteral("mjpeg"));
            QCOMPARE(picture.value(QStringLiteral("width")).toInt(), 160);
            QCOMPARE(picture.value(QStringLiteral("height")).toInt(), 120);
        }
    }

    void twoPassesAndAFitStayWithinTheClass_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("profile");
        QTest::addColumn<QString>("deviceClass");
        QTest::addColumn<int>("fitMegabytes"); // 0: two passes at the profile's rate
        QTest::addColumn<bool>("fills");       // the outputs fill 97% to 100% of the size
        // One profile of each encoder family; the phone's H.263 is capped
        // at 128 kbps, below what the smallest size the window takes needs.
        const struct {
            const char *family;
            const char *device;
            int profile;
            const char *deviceClass;
        } families[] = {
            {"MPEG-4", "iPod", 1, "ipod-5g"},         {"Xvid", "PSP", 3, "psp"},
            {"H.263", "MobilePhone", 2, "phone-3gp"}, {"H.264 Baseline", "iPod", 3, "ipod-classic"},
            {"H.264 Main", "PSP", 4, "psp"},          {"WMV", "Zune", 1, "zune-wmv"}};
        for (const auto &family : families) {
            const QString device = QString::fromLatin1(family.device);
            const QString deviceClass = QString::fromLatin1(family.deviceClass);
            QTest::addRow("%s, two passes", family.family)
                << device << family.profile << deviceClass << 0 << false;
            QTest::addRow("%s, fitted into 1 MB", family.family)
                << device << family.profile << deviceClass << 1 << (device != u"MobilePhone");
        }
    }

    void twoPassesAndAFitStayWithinTheClass() {
        QFETCH(QString, device);
        QFETCH(int, profile);
        QFETCH(QString, deviceClass);
        QFETCH(int, fitMegabytes);
        QFETCH(bool, fills);
        frmMain &window = *m_window;
        if (Child<QTreeWidget>(window, "lvwVideoFiles")->topLevelItem(0)->text(ColumnFilepath) !=
            m_busyClip) {
            Child<QTreeWidget>(window, "lvwVideoFiles")->clear();
            AddFilesThroughDialog(window, *m_prompts, {m_busyClip});
        }
        window.SwitchDevice(device);
        Child<QComboBox>(window, "cmbProfiles")->setCurrentIndex(profile - 1);
        VideoSettingsPanel *video = Child<VideoSettingsPanel>(window, "frmVideoSettings");
        const double targetKbps =
            video->cmbVideoBitrate->currentText().remove(QStringLiteral(" kbps")).toDouble() - 50;
        video->chkVideoTwoPass->setChecked(fitMegabytes == 0);
        video->chkVideoFitBatch->setChecked(fitMegabytes > 0);
        video->txtVideoFitBatchSize->setValue(std::max(fitMegabytes, 1));

        const QString out = m_home->path() + u"/passes/" + device + u'-' +
                            QString::number(profile) + u'-' + QString::number(fitMegabytes);
        Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")
            ->txtOutputDirectory->setText(out);
        Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")
            ->chkPSPCreateThumbnail->setChecked(false);
        m_prompts->clear();
        const ConversionSeen seen = ConvertThroughWindow(window, *m_prompts, {}, 300000);
        video->chkVideoTwoPass->setChecked(false);
        video->chkVideoFitBatch->setChecked(false);
        QVERIFY2(seen.windowOpened, qPrintable(m_prompts->texts().join(u'\n')));
        QVERIFY(seen.finished);
        QCOMPARE(seen.errorLog, QString());

        const QFileInfoList videos = QDir(out).entryInfoList(QDir::Files);
        QCOMPARE(videos.size(), 1);
        const QString file = videos[0].filePath();
        const QStringList problems = CheckDeviceClass(deviceClass, file);
        QVERIFY2(problems.isEmpty(),
                 qPrintable(file + u": " + problems.join(QStringLiteral("; "))));
        const qint64 size = videos[0].size();
        if (fitMegabytes > 0) {
            QVERIFY2(size <= fitMegabytes * 1000000, qPrintable(QString::number(size)));
            if (fills)
                QVERIFY2(size >= 0.97 * fitMegabytes * 1000000, qPrintable(QString::number(size)));
        } else if (deviceClass != u"zune-wmv") { // ASF gives no rate per stream
            const double kbps = ProbeStream(Probe(file), QStringLiteral("video"))
                                    .value(QStringLiteral("bit_rate"))
                                    .toString()
                                    .toDouble() /
                                1000;
            QVERIFY2(qAbs(kbps / targetKbps - 1) <= 0.03, qPrintable(QString::number(kbps)));
        }
    }

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<FakePrompts> m_prompts;
    std::unique_ptr<frmMain> m_window;
    QString m_clip;
    QString m_busyClip;
};

QTEST_MAIN(TestDeviceCheck)
#include "tst_devicecheck.moc"
