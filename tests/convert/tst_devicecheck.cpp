// Every profile of every device converts the standard clip through the real
// batch file, launcher and converter, and the result meets the limits of the
// device class the profile targets.
#include "app/OutputDirectoryPanel.h"
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
        m_window = OpenMainWindow();
        AddFilesThroughDialog(*m_window, *m_prompts, {m_clip});
        QCOMPARE(m_window->lvwVideoFiles->topLevelItemCount(), 1);
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
        window.cmbProfiles->setCurrentIndex(profile - 1);
        QCOMPARE(window.cmbProfiles->currentText(), name);

        const QString out = m_home->path() + u"/out/" + device + u'-' + QString::number(profile);
        window.frmOutputDirectorySettings->txtOutputDirectory->setText(out);
        window.frmOutputDirectorySettings->chkPSPCreateThumbnail->setChecked(device == u"PSP");
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

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<FakePrompts> m_prompts;
    std::unique_ptr<frmMain> m_window;
    QString m_clip;
};

QTEST_MAIN(TestDeviceCheck)
#include "tst_devicecheck.moc"
