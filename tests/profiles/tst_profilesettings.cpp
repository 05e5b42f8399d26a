// The settings worked out from a profile file without the window agree with
// what the real main window's controls hold after the same device switch
// and profile choice: for every shipped profile, and for profile files with
// values the window passes over.
#include "app/ProfileControls.h"
#include "core/filelist/FileListRow.h"
#include "core/profiles/ProfileSettings.h"
#include "tests/profiles/ProfileFolder.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QComboBox>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QStringList Describe(const ConversionSettings &s) {
    return {u"device "_s + s.device,
            u"profile file "_s + s.profileFile,
            u"audio codec "_s + s.audioCodec,
            u"audio bitrate "_s + KbpsText(s.audioBitrate),
            u"sample rate "_s + SampleRateText(s.audioSampleRate),
            u"channels "_s + QString::number(s.audioChannelsPosition),
            u"no audio "_s + QString::number(s.noAudio),
            u"video codec "_s + s.videoCodec + u" at "_s + QString::number(s.videoCodecPosition),
            u"size "_s + VideoSizeText(s.videoSize) + u" at "_s +
                QString::number(s.videoSizePosition),
            u"bitrate "_s + KbpsText(s.videoBitrate) + u" at "_s +
                QString::number(s.videoBitratePosition),
            u"frame rate "_s + FrameRateText(s.videoFrameRate),
            u"no video "_s + QString::number(s.noVideo),
            u"original quality "_s + QString::number(s.originalQuality),
            u"keep aspect "_s + QString::number(s.keepAspectRatio)};
}

// The window's settings after selecting the device and choosing profile
// `number` in the profile box (0: the default profile stays).
ConversionSettings WindowSettings(const QString &device, int number) {
    auto window = OpenMainWindow();
    window->SwitchDevice(device);
    if (number > 0)
        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(number - 1);
    return window->profileControls().CurrentSettings();
}

} // namespace

class TestProfileSettings : public QObject {
    Q_OBJECT

private slots:
    void shippedProfilesAgreeWithTheWindow_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("number");
        const TestHome home;
        for (const QString &device : {u"iPod"_s, u"Zune"_s, u"PSP"_s, u"MobilePhone"_s}) {
            const int count = int(ProfileFile::ReadProfileNames(ProfileFile::Path(device)).size());
            QVERIFY(count > 0);
            for (int number = 0; number <= count; ++number)
                QTest::addRow("%s %d", qPrintable(device), number) << device << number;
        }
    }

    void shippedProfilesAgreeWithTheWindow() {
        QFETCH(QString, device);
        QFETCH(int, number);
        const TestHome home;
        const FakePrompts prompts;
        const ConversionSettings expected = WindowSettings(device, number);
        QVERIFY(!expected.videoCodec.isEmpty());
        QCOMPARE(Describe(ProfileSettings::SettingsForProfile(device, number)), Describe(expected));
    }

    // Every entry of the shipped lists reads as a value that is written
    // back as the same text: batch records and lines keep their texts.
    void shippedEntriesReadBackAsTheirText_data() {
        QTest::addColumn<QString>("device");
        for (const QString &device : {u"iPod"_s, u"Zune"_s, u"PSP"_s, u"MobilePhone"_s})
            QTest::newRow(qPrintable(device)) << device;
    }

    void shippedEntriesReadBackAsTheirText() {
        QFETCH(QString, device);
        const TestHome home;
        const ProfileSettings::OptionLists lists =
            ProfileSettings::ReadOptionLists(ProfileFile::Path(device));
        QVERIFY(!lists.videoFrameRate.isEmpty());
        for (const QString &entry : lists.audioBitrate + lists.videoBitrate)
            QCOMPARE(KbpsText(ReadKbps(entry)), entry);
        for (const QString &entry : lists.audioSampleRate)
            QCOMPARE(SampleRateText(ReadSampleRate(entry)), entry);
        for (const QString &entry : lists.videoFrameRate)
            QCOMPARE(FrameRateText(ReadFrameRate(entry)), entry);
        for (const QString &entry : lists.videoSize)
            QCOMPARE(VideoSizeText(ParseFrameSize(entry)), entry);
        QCOMPARE(KbpsText(ReadKbps(QString())) + FrameRateText(ReadFrameRate(u"fast"_s)),
                 QString());
    }

    // Values the window passes over keep what the default profile set.
    void unusualProfileFilesAgreeWithTheWindow_data() {
        QTest::addColumn<QByteArray>("general");
        QTest::addColumn<QByteArray>("extra");
        QTest::addColumn<int>("number");
        const QByteArray five = "NumberOfProfiles=5\nDefaultProfile=1\n";
        QTest::newRow("default profile") << five << QByteArray() << 0;
        QTest::newRow("another profile") << five << QByteArray() << 3;
        QTest::newRow("positions beyond the lists, grayed checks")
            << five
            << ProfileSectionText(4, "Odd", {9, -1, 3, 2, 2, 5, 7, -2, 0, 3, 2, 0}) +
                   ProfileSectionText(5, "Custom", {0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0})
            << 4;
        QTest::newRow("a profile named Custom loads nothing")
            << five
            << ProfileSectionText(4, "Odd", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}) +
                   ProfileSectionText(5, "Custom", {0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0})
            << 5;
        QTest::newRow("values that are no numbers")
            << five
            << QByteArray("[Profile4]\nName=Words\nAudioCodec=one\nVideoSize=\n"
                          "VideoQuality=99999\nVideoKeepAspectRatio=x\n")
            << 4;
        QTest::newRow("missing section clears everything") << five << QByteArray() << 5;
        QTest::newRow("no default profile")
            << QByteArray("NumberOfProfiles=3\nDefaultProfile=3\n") << QByteArray() << 0;
        QTest::newRow("no default profile, one chosen")
            << QByteArray("NumberOfProfiles=3\nDefaultProfile=x\n") << QByteArray() << 3;
    }

    void unusualProfileFilesAgreeWithTheWindow() {
        QFETCH(QByteArray, general);
        QFETCH(QByteArray, extra);
        QFETCH(int, number);
        const TestHome home;
        const ProfileFolder folder;
        const FakePrompts prompts;
        folder.write(u"iPod"_s, StandardDeviceFile(general, extra));
        QCOMPARE(Describe(ProfileSettings::SettingsForProfile(u"iPod"_s, number)),
                 Describe(WindowSettings(u"iPod"_s, number)));
    }
};

QTEST_MAIN(TestProfileSettings)
#include "tst_profilesettings.moc"
