// Profiles and the twelve settings controls in the real main window:
// loading, the switch to "Custom", the enabling rules of the group check
// boxes, the refused typing in the size box and the help message.
#include "app/AudioSettingsPanel.h"
#include "app/ProfileControls.h"
#include "app/VideoSettingsPanel.h"
#include "app/widgets/ClickableLabel.h"
#include "tests/profiles/ProfileFolder.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The state of the twelve controls and the profile box, for comparisons.
QStringList Snapshot(const frmMain &window) {
    const AudioSettingsPanel *a = Child<AudioSettingsPanel>(window, "frmAudioSettings");
    const VideoSettingsPanel *v = Child<VideoSettingsPanel>(window, "frmVideoSettings");
    QStringList state{Child<QComboBox>(window, "cmbProfiles")->currentText()};
    for (const QComboBox *box :
         {a->cmbAudioCodec, a->cmbAudioBitrate, a->cmbAudioSampleRate, a->cmbAudioChannels,
          v->cmbVideoCodec, v->cmbVideoSize, v->cmbVideoBitrate, v->cmbVideoFrameRate})
        state.append(QString::number(box->currentIndex()) + u':' + box->currentText());
    for (const QCheckBox *check : {a->chkAudioNoAudio, v->chkVideoNoVideo,
                                   v->chkVideoOriginalQuality, v->chkVideoKeepAspectRatio})
        state.append(QString::number(ProfileControls::CheckValue(check)));
    return state;
}

} // namespace

class TestProfileControls : public QObject {
    Q_OBJECT

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
    QString profile() const { return Child<QComboBox>(*window, "cmbProfiles")->currentText(); }

    void start(const QByteArray &ipodFile = StandardDeviceFile()) {
        if (!ipodFile.isNull())
            folder->write(u"iPod"_s, ipodFile);
        window = OpenMainWindow();
    }

    QList<QWidget *> videoControls() const {
        return {video()->cmbVideoCodec,           video()->cmbVideoSize,
                video()->imgEditVideoSize,        video()->cmbVideoBitrate,
                video()->cmbVideoFrameRate,       video()->chkVideoKeepAspectRatio,
                video()->chkVideoOriginalQuality, video()->cmbDeinterlace,
                video()->chkBurnSubtitles};
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

    void choosingAProfileSetsAllTwelveControls() {
        start();
        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(2);
        // AudioCodec 2 lies beyond the two-item list: that box keeps
        // Medium's choice.
        QCOMPARE(Snapshot(*window),
                 (QStringList{u"Large"_s, u"1:mp3"_s, u"2:192 kbps"_s, u"2:48000"_s, u"1:Stereo"_s,
                              u"2:wmv2"_s, u"2:480x272"_s, u"2:1500 kbps"_s, u"2:30 fps"_s, u"0"_s,
                              u"0"_s, u"1"_s, u"1"_s}));
        QVERIFY(!video()->cmbVideoBitrate->isEnabled());
        QVERIFY(window->profileControls().isProfileLoaded());
        QVERIFY(prompts->shown.isEmpty());
    }

    void aChangeSwitchesToCustom_data() {
        QTest::addColumn<QString>("control");
        for (const char *name :
             {"cmbAudioCodec", "cmbAudioBitrate", "cmbAudioSampleRate", "cmbAudioChannels",
              "cmbVideoCodec", "cmbVideoSize", "cmbVideoBitrate", "cmbVideoFrameRate",
              "chkAudioNoAudio", "chkVideoNoVideo", "chkVideoOriginalQuality",
              "chkVideoKeepAspectRatio"})
            QTest::newRow(name) << name;
    }

    void aChangeSwitchesToCustom() {
        QFETCH(QString, control);
        start();
        const QStringList medium = Snapshot(*window);
        QCOMPARE(profile(), QStringLiteral("Medium"));

        if (auto *box = window->findChild<QComboBox *>(control))
            box->setCurrentIndex(0);
        else
            Child<QCheckBox>(window.get(), control)->click();
        QCOMPARE(profile(), QStringLiteral("Custom"));
        QCOMPARE(Child<QComboBox>(*window, "cmbProfiles")->currentIndex(),
                 Child<QComboBox>(*window, "cmbProfiles")->count() - 1);

        // Choosing "Custom" keeps the settings; choosing the profile again
        // restores every control.
        const QStringList custom = Snapshot(*window);
        Child<QComboBox>(*window, "cmbProfiles")
            ->setCurrentIndex(Child<QComboBox>(*window, "cmbProfiles")->count() - 1);
        QCOMPARE(Snapshot(*window), custom);
        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(1);
        QCOMPARE(Snapshot(*window), medium);
        QVERIFY(prompts->shown.isEmpty());
    }

    void nothingSwitchesBeforeAProfileWasLoaded() {
        start(QByteArray()); // no profile file at all
        QVERIFY(!window->profileControls().isProfileLoaded());
        QCOMPARE(Child<QComboBox>(*window, "cmbProfiles")->count(), 1);
        video()->chkVideoKeepAspectRatio->click();
        video()->chkVideoNoVideo->click();
        QCOMPARE(Child<QComboBox>(*window, "cmbProfiles")->currentIndex(), -1);
        QVERIFY(!video()->cmbVideoCodec->isEnabled());
    }

    void loadIsNeverCustom_data() {
        QTest::addColumn<QList<int>>("values");
        QTest::newRow("no audio") << QList<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0};
        QTest::newRow("no video") << QList<int>{1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 0};
        QTest::newRow("extreme and grayed") << QList<int>{1, 1, 1, 1, 2, 1, 1, 1, 1, 2, 1, 2};
    }

    void loadIsNeverCustom() {
        QFETCH(QList<int>, values);
        QByteArray section = "[Profile4]\nName=Special\n";
        const char *keys[] = {"AudioCodec",    "AudioQuality",         "AudioSampleRate",
                              "AudioChannels", "AudioNoAudio",         "VideoCodec",
                              "VideoSize",     "VideoQuality",         "VideoFrameRate",
                              "VideoNoVideo",  "VideoOriginalQuality", "VideoKeepAspectRatio"};
        for (int i = 0; i < 12; ++i)
            section += QByteArray(keys[i]) + '=' + QByteArray::number(values[i]) + '\n';
        start(StandardDeviceFile("NumberOfProfiles=4\nDefaultProfile=0\n", section));

        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(3);
        QCOMPARE(profile(), QStringLiteral("Special"));
        const QStringList state = Snapshot(*window);
        for (int i = 0; i < 4; ++i)
            QVERIFY(state.at(1 + i).startsWith(QString::number(values[i]) + u':'));
        QCOMPARE(state.at(9), QString::number(values[4]));
        QCOMPARE(state.at(10), QString::number(values[9]));
        QCOMPARE(state.at(11), QString::number(values[10]));
        QCOMPARE(state.at(12), QString::number(values[11]));
        // The group check boxes took effect during the load.
        const bool audioOn = values[4] == 0;
        for (QWidget *box : std::initializer_list<QWidget *>{
                 audio()->cmbAudioCodec, audio()->cmbAudioBitrate, audio()->cmbAudioSampleRate,
                 audio()->cmbAudioChannels})
            QCOMPARE(box->isEnabled(), audioOn);
        QCOMPARE(video()->cmbVideoCodec->isEnabled(), values[9] == 0);
        QCOMPARE(video()->cmbVideoBitrate->isEnabled(), values[9] == 0 && values[10] == 0);
        QVERIFY(prompts->shown.isEmpty());
    }

    void badValuesLeaveTheControlAlone_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("control");
        QTest::newRow("position present but empty") << QByteArray("VideoCodec=") << "cmbVideoCodec";
        QTest::newRow("position not a number") << QByteArray("VideoCodec=h264") << "cmbVideoCodec";
        QTest::newRow("position beyond the list") << QByteArray("VideoSize=7") << "cmbVideoSize";
        QTest::newRow("position just beyond") << QByteArray("VideoSize=5") << "cmbVideoSize";
        QTest::newRow("position below -1") << QByteArray("VideoSize=-2") << "cmbVideoSize";
        QTest::newRow("position beyond 16 bits") << QByteArray("VideoSize=65537") << "cmbVideoSize";
        QTest::newRow("check present but empty")
            << QByteArray("VideoKeepAspectRatio=") << "chkVideoKeepAspectRatio";
        QTest::newRow("check state 3")
            << QByteArray("VideoKeepAspectRatio=3") << "chkVideoKeepAspectRatio";
        QTest::newRow("check state -1")
            << QByteArray("VideoKeepAspectRatio=-1") << "chkVideoKeepAspectRatio";
    }

    void badValuesLeaveTheControlAlone() {
        QFETCH(QByteArray, line);
        QFETCH(QString, control);
        // Profile4 is Large with one bad value; every other value loads.
        QByteArray large = ProfileSectionText(4, "Odd", {2, 2, 2, 1, 0, 2, 2, 2, 2, 0, 1, 1});
        const QByteArray key = line.left(line.indexOf('=') + 1);
        const qsizetype at = large.indexOf(QByteArray("\n" + key)) + 1;
        large.replace(at, large.indexOf('\n', at) - at, line);
        start(StandardDeviceFile("NumberOfProfiles=4\nDefaultProfile=1\n", large));
        const QStringList medium = Snapshot(*window);

        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(3);
        QCOMPARE(profile(), QStringLiteral("Odd"));
        const QStringList odd = Snapshot(*window);
        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(2);
        QStringList expected = Snapshot(*window); // Large
        const int index = QStringList{u""_s,
                                      u"cmbAudioCodec"_s,
                                      u"cmbAudioBitrate"_s,
                                      u"cmbAudioSampleRate"_s,
                                      u"cmbAudioChannels"_s,
                                      u"cmbVideoCodec"_s,
                                      u"cmbVideoSize"_s,
                                      u"cmbVideoBitrate"_s,
                                      u"cmbVideoFrameRate"_s,
                                      u"chkAudioNoAudio"_s,
                                      u"chkVideoNoVideo"_s,
                                      u"chkVideoOriginalQuality"_s,
                                      u"chkVideoKeepAspectRatio"_s}
                              .indexOf(control);
        expected[0] = QStringLiteral("Odd");
        expected[index] = medium.at(index);
        QCOMPARE(odd, expected);
    }

    void minusOneClearsASelection() {
        start(StandardDeviceFile("NumberOfProfiles=4\nDefaultProfile=1\n",
                                 "[Profile4]\nName=Cleared\nVideoSize=-1\nVideoCodec= -1 \n"));
        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(3);
        QCOMPARE(video()->cmbVideoSize->currentIndex(), -1);
        QVERIFY(video()->cmbVideoSize->currentText().isEmpty());
        QCOMPARE(video()->cmbVideoCodec->currentIndex(), -1);
        // Missing keys read their defaults: no selection, unchecked.
        QCOMPARE(audio()->cmbAudioCodec->currentIndex(), -1);
        QVERIFY(!video()->chkVideoKeepAspectRatio->isChecked());
        QCOMPARE(window->profileControls().lastVideoSizeIndex(), -1);
        QVERIFY(prompts->shown.isEmpty());
    }

    void aProfileNamedCustomIsNeverLoaded() {
        start(StandardDeviceFile(
            "NumberOfProfiles=4\nDefaultProfile=3\n",
            ProfileSectionText(4, "Custom", {0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 1})));
        // The default is the profile named "Custom": nothing was loaded.
        QCOMPARE(Child<QComboBox>(*window, "cmbProfiles")->currentIndex(), 3);
        QVERIFY(!window->profileControls().isProfileLoaded());
        QCOMPARE(video()->cmbVideoCodec->currentIndex(), -1);

        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(0);
        const QStringList small = Snapshot(*window);
        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(3);
        QStringList expected = small;
        expected[0] = QStringLiteral("Custom");
        QCOMPARE(Snapshot(*window), expected);
        QVERIFY(!audio()->chkAudioNoAudio->isChecked());
    }

    void enablingRules_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<bool>("audioOn");
        QTest::addColumn<bool>("videoOn");
        QTest::addColumn<bool>("qualityOn");
        QTest::newRow("nothing") << QStringList() << true << true << true;
        QTest::newRow("no audio") << QStringList{u"chkAudioNoAudio"_s} << false << true << true;
        QTest::newRow("no audio and back")
            << QStringList{u"chkAudioNoAudio"_s, u"chkAudioNoAudio"_s} << true << true << true;
        QTest::newRow("no video") << QStringList{u"chkVideoNoVideo"_s} << true << false << false;
        QTest::newRow("no video and back")
            << QStringList{u"chkVideoNoVideo"_s, u"chkVideoNoVideo"_s} << true << true << true;
        QTest::newRow("extreme") << QStringList{u"chkVideoOriginalQuality"_s} << true << true
                                 << false;
        QTest::newRow("extreme and back")
            << QStringList{u"chkVideoOriginalQuality"_s, u"chkVideoOriginalQuality"_s} << true
            << true << true;
        QTest::newRow("extreme, no video and back")
            << QStringList{u"chkVideoOriginalQuality"_s, u"chkVideoNoVideo"_s, u"chkVideoNoVideo"_s}
            << true << true << false;
        QTest::newRow("extreme, no video, back, extreme off")
            << QStringList{u"chkVideoOriginalQuality"_s, u"chkVideoNoVideo"_s, u"chkVideoNoVideo"_s,
                           u"chkVideoOriginalQuality"_s}
            << true << true << true;
    }

    void enablingRules() {
        QFETCH(QStringList, clicks);
        QFETCH(bool, audioOn);
        QFETCH(bool, videoOn);
        QFETCH(bool, qualityOn);
        start();
        for (const QString &name : clicks)
            Child<QCheckBox>(window.get(), name)->click();
        for (QWidget *box : std::initializer_list<QWidget *>{
                 audio()->cmbAudioCodec, audio()->cmbAudioBitrate, audio()->cmbAudioSampleRate,
                 audio()->cmbAudioChannels})
            QCOMPARE(box->isEnabled(), audioOn);
        for (QWidget *control : videoControls()) {
            if (control != video()->cmbVideoBitrate)
                QVERIFY2(control->isEnabled() == videoOn, qPrintable(control->objectName()));
        }
        QCOMPARE(video()->cmbVideoBitrate->isEnabled(), qualityOn);
        // Two passes and the fit spend the bit rate: they follow its box.
        QCOMPARE(video()->chkVideoTwoPass->isEnabled(), qualityOn);
        QCOMPARE(video()->chkVideoFitBatch->isEnabled(), qualityOn);
        video()->chkVideoFitBatch->setChecked(true);
        QCOMPARE(video()->txtVideoFitBatchSize->isEnabled(), qualityOn);
        QCOMPARE(profile(), clicks.isEmpty() ? QStringLiteral("Medium") : QStringLiteral("Custom"));
    }

    void rateOptionsBelongToNoProfile() {
        start();
        QVERIFY(!video()->txtVideoFitBatchSize->isEnabled()); // until its box is checked
        video()->chkVideoTwoPass->click();
        video()->chkVideoFitBatch->click();
        QVERIFY(video()->txtVideoFitBatchSize->isEnabled());
        video()->txtVideoFitBatchSize->setValue(1234);
        video()->cmbDeinterlace->setCurrentText(u"Never"_s);
        video()->chkBurnSubtitles->click();
        QCOMPARE(profile(), QStringLiteral("Medium"));
        const ConversionSettings settings = window->profileControls().CurrentSettings();
        QCOMPARE(settings.twoPass, 1);
        QCOMPARE(settings.deinterlace, Deinterlace::Never);
        QCOMPARE(settings.burnSubtitles, 1);
        // Choosing a profile keeps them.
        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(0);
        QCOMPARE(video()->RateOptions(), (SettingsFile::VideoRateOptions{true, true, 1234}));
        QCOMPARE(video()->PictureOptions(),
                 (SettingsFile::PictureOptions{Deinterlace::Never, true}));
        video()->chkVideoFitBatch->click();
        QVERIFY(!video()->txtVideoFitBatchSize->isEnabled());
    }

    void qualityStaysOffWhileNoVideoIsChecked() {
        // A profile that checks "No Video" and clears "eXtreme Qty" after a
        // profile that checked it: the quality box must not come back alone.
        start(StandardDeviceFile(
            "NumberOfProfiles=4\nDefaultProfile=2\n",
            ProfileSectionText(4, "Sound only", {1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 0})));
        QVERIFY(!video()->cmbVideoBitrate->isEnabled());
        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(3);
        for (QWidget *control : videoControls())
            QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(1);
        for (QWidget *control : videoControls())
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    }

    void grayedChecksCountAsChecked() {
        start(StandardDeviceFile(
            "NumberOfProfiles=4\nDefaultProfile=3\n",
            ProfileSectionText(4, "Grayed", {1, 1, 1, 1, 2, 1, 1, 1, 1, 0, 2, 0})));
        QCOMPARE(audio()->chkAudioNoAudio->checkState(), Qt::PartiallyChecked);
        QVERIFY(!audio()->cmbAudioCodec->isEnabled());
        QVERIFY(!video()->cmbVideoBitrate->isEnabled());
        QCOMPARE(window->profileControls().CurrentSettings().noAudio, 2);
        // A click moves on to checked, and from there the box toggles.
        audio()->chkAudioNoAudio->click();
        QCOMPARE(audio()->chkAudioNoAudio->checkState(), Qt::Checked);
        audio()->chkAudioNoAudio->click();
        QCOMPARE(audio()->chkAudioNoAudio->checkState(), Qt::Unchecked);
        QVERIFY(audio()->cmbAudioCodec->isEnabled());
        audio()->chkAudioNoAudio->click();
        QCOMPARE(audio()->chkAudioNoAudio->checkState(), Qt::Checked);
    }

    void typingIntoTheSizeBoxIsRefused_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("warnings");
        QTest::newRow("one character") << "1" << 1;
        QTest::newRow("three characters") << "abc" << 3;
    }

    void typingIntoTheSizeBoxIsRefused() {
        QFETCH(QString, typed);
        QFETCH(int, warnings);
        start();
        QComboBox *size = video()->cmbVideoSize;
        Child<QComboBox>(*window, "cmbProfiles")->setCurrentIndex(2);
        QCOMPARE(size->currentText(), QStringLiteral("480x272"));
        prompts->clear();

        QTest::keyClicks(size->lineEdit(), typed);
        QCOMPARE(prompts->shown.size(), warnings);
        for (const FakePrompts::Shown &shown : std::as_const(prompts->shown)) {
            QCOMPARE(shown.text, ProfileControls::VideoSizeWarning());
            QCOMPARE(shown.icon, Prompts::Icon::Exclamation);
            QCOMPARE(shown.title, QStringLiteral("Mobivert"));
        }
        QCOMPARE(shown(), QStringLiteral("Please, use the button on the right side of this "
                                         "field to change the video size."));
        // The entry last chosen is back and the profile box is untouched.
        QCOMPARE(size->currentText(), QStringLiteral("480x272"));
        QCOMPARE(size->currentIndex(), 2);
        QCOMPARE(profile(), QStringLiteral("Large"));

        // After the user's own choice, typing goes back to that choice.
        size->setCurrentIndex(4);
        QCOMPARE(profile(), QStringLiteral("Custom"));
        QTest::keyClicks(size->lineEdit(), typed);
        QCOMPARE(prompts->shown.size(), 2 * warnings);
        QCOMPARE(size->currentText(), QStringLiteral("720x480"));
        QCOMPARE(size->currentIndex(), 4);
    }

    void pastingWarnsOnce() {
        start();
        QComboBox *size = video()->cmbVideoSize;
        size->lineEdit()->selectAll();
        size->lineEdit()->insert(QStringLiteral("1024x768"));
        QCOMPARE(prompts->shown.size(), 1);
        QCOMPARE(size->currentText(), QStringLiteral("320x240"));
        // Deleting text is typing too.
        size->lineEdit()->end(false);
        QTest::keyClick(size->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(prompts->shown.size(), 2);
        QCOMPARE(size->currentText(), QStringLiteral("320x240"));
        QCOMPARE(profile(), QStringLiteral("Medium"));
    }

    void typingIntoAnEmptySizeBox() {
        start(QByteArray());
        QComboBox *size = video()->cmbVideoSize;
        QTest::keyClicks(size->lineEdit(), QStringLiteral("x"));
        QCOMPARE(prompts->shown.size(), 1);
        QVERIFY(size->currentText().isEmpty());
    }

    void helpMessage() {
        start();
        QTest::mouseClick(Child<ClickableLabel>(*window, "imgHelp"), Qt::LeftButton);
        QCOMPARE(prompts->shown.size(), 1);
        const FakePrompts::Shown &help = prompts->shown.first();
        QCOMPARE(help.icon, Prompts::Icon::Information);
        QCOMPARE(help.title, QStringLiteral("Mobivert"));
        const QStringList lines = help.text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 8);
        QCOMPARE(
            lines.at(0),
            QStringLiteral("In the box left to this button you can select an output profile."));
        QVERIFY(lines.at(2).isEmpty());
        QVERIFY(lines.at(5).isEmpty());
        QCOMPARE(lines.at(7), QStringLiteral("E.g.: high quality movies require a high quality "
                                             "profile. For an audio clip you can choose a profile "
                                             "with a lower video quality."));
        QVERIFY(!help.text.contains(QStringLiteral("\n\n")));
    }

    void currentSettingsForTheConversion() {
        start();
        const ConversionSettings settings = window->profileControls().CurrentSettings();
        QCOMPARE(settings.device, QStringLiteral("iPod"));
        QCOMPARE(settings.profileFile, QString(folder->path() + u"/Profiles/iPod.ini"));
        QCOMPARE(settings.audioCodec, QStringLiteral("mp3"));
        QCOMPARE(settings.audioBitrate, 128);
        QCOMPARE(settings.audioSampleRate, 44100);
        QCOMPARE(settings.audioChannelsPosition, 1);
        QCOMPARE(settings.videoCodec, QStringLiteral("h264"));
        QCOMPARE(settings.videoCodecPosition, 1);
        QCOMPARE(settings.videoSize, QSize(320, 240));
        QCOMPARE(settings.videoSizePosition, 1);
        QCOMPARE(settings.videoBitrate, 768);
        QCOMPARE(settings.videoBitratePosition, 1);
        QCOMPARE(settings.videoFrameRate, 25.0);
        QCOMPARE(settings.noAudio, 0);
        QCOMPARE(settings.noVideo, 0);
        QCOMPARE(settings.originalQuality, 0);
        QCOMPARE(settings.keepAspectRatio, 1);
    }

private:
    QString shown() const {
        return prompts->shown.isEmpty() ? QString() : prompts->shown.last().text;
    }
};

QTEST_MAIN(TestProfileControls)
#include "tst_profilecontrols.moc"
