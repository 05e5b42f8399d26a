// mobivert-cli, run as the real program on clips made here: the batch it
// would run against the one the main window writes for the same settings
// and files, real conversions checked with ffprobe, refused values, a
// missing input, the shared batch lock, Ctrl+C in the middle of a batch,
// and the run script on a machine without a display.
#include "app/OutputDirectoryPanel.h"
#include "app/VideoSettingsPanel.h"
#include "app/filelist/FileListItems.h"
#include "app/profiles/frmEditVideoSize.h"
#include "app/widgets/ClickableLabel.h"
#include "core/convert/BatchCleanup.h"
#include "core/convert/BatchFiles.h"
#include "core/convert/BatchRecord.h"
#include "core/filelist/FileListRow.h"
#include "core/filelist/TrimTimes.h"
#include "core/filelist/VideoFileInfo.h"
#include "core/platform/PathBytes.h"
#include "core/profiles/ProfileSettings.h"
#include "tests/support/ConversionDriver.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/MediaTools.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestIpod.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

struct CliResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs mobivert-cli with the test's home as its environment, standard
// output and error kept apart.
CliResult RunCli(const QStringList &arguments, const QString &workingDirectory = QString()) {
    QProcess process;
    process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(TestPaths::binary(u"mobivert-cli"_s), arguments);
    CliResult result;
    if (!process.waitForStarted() || !process.waitForFinished(240000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QList<QJsonObject> JsonEvents(const QByteArray &output) {
    QList<QJsonObject> events;
    for (const QByteArray &line : output.split('\n')) {
        if (!line.isEmpty())
            events.append(QJsonDocument::fromJson(line).object());
    }
    return events;
}

QList<QJsonObject> EventsOf(const QList<QJsonObject> &events, const QString &kind) {
    QList<QJsonObject> found;
    for (const QJsonObject &event : events) {
        if (event.value(u"event"_s).toString() == kind)
            found.append(event);
    }
    return found;
}

// Plays the user in the main window: each entry is "what=value".
void ApplyToWindow(frmMain &window, FakePrompts &prompts, const QStringList &actions) {
    for (const QString &action : actions) {
        const QString what = action.section(u'=', 0, 0);
        const QString value = action.section(u'=', 1);
        if (what == u"device") {
            window.SwitchDevice(value);
        } else if (what == u"profile") {
            Child<QComboBox>(window, "cmbProfiles")->setCurrentIndex(value.toInt() - 1);
        } else if (what.startsWith(u"cmb")) {
            auto *box = Child<QComboBox>(&window, what);
            const int index = box->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
            QVERIFY2(index >= 0, qPrintable(action));
            box->setCurrentIndex(index);
        } else if (what.startsWith(u"chk")) {
            Child<QCheckBox>(&window, what)->setChecked(value == u"1");
        } else if (what.startsWith(u"txt")) {
            if (auto *number = window.findChild<QSpinBox *>(what))
                number->setValue(value.toInt());
            else
                Child<QLineEdit>(&window, what)->setText(value);
        } else if (what == u"customSize") {
            prompts.dialogHandler = [&](QDialog *dialog) {
                auto *edit = qobject_cast<frmEditVideoSize *>(dialog);
                edit->txtWidth->setText(value.section(u'x', 0, 0));
                edit->txtHeight->setText(value.section(u'x', 1));
                edit->cmdOk->click();
                return dialog->result();
            };
            QTest::mouseClick(
                Child<VideoSettingsPanel>(window, "frmVideoSettings")->imgEditVideoSize,
                Qt::LeftButton);
            prompts.dialogHandler = nullptr;
        } else if (what == u"tracks") {
            // As the file's properties store its track choices, on every row.
            const QTreeWidget *list = Child<QTreeWidget>(window, "lvwVideoFiles");
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                QTreeWidgetItem *item = list->topLevelItem(i);
                FileListRow row = ReadFileListRow(item);
                row.AudioTrack = value.section(u'/', 0, 0);
                row.SubtitleTrack = value.section(u'/', 1);
                WriteFileListRow(item, row);
            }
        } else if (what == u"trim") {
            // As the trim dialog stores an accepted range, on every row.
            const QTreeWidget *list = Child<QTreeWidget>(window, "lvwVideoFiles");
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                QTreeWidgetItem *row = list->topLevelItem(i);
                row->setText(ColumnBeginTime, value.section(u'-', 0, 0));
                row->setText(ColumnEndTime, value.section(u'-', 1));
            }
        } else {
            QFAIL(qPrintable(u"unknown action "_s + action));
        }
    }
}

// The batch file that the window's Convert writes, read before the
// conversion window would run it.
QByteArray WindowBatch(frmMain &window, FakePrompts &prompts) {
    QByteArray batch;
    prompts.dialogHandler = [&](QDialog *) {
        batch = ReadFileBytes(BatchFiles::batch(window.ApplicationSettingsPath));
        return int(QDialog::Rejected);
    };
    Child<QAction>(window, "mnuFile_Convert")->trigger();
    prompts.dialogHandler = nullptr;
    return batch;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    QTemporaryDir m_clips;
    QString m_wide;   // 320x180, 3 s
    QString m_narrow; // 160x120, 3 s, a name the shell must not read

private slots:
    void initTestCase() {
        m_wide = m_clips.path() + u"/wide clip.avi"_s;
        m_narrow = m_clips.path() + u"/it's $(touch pwned).mp4"_s;
        QVERIFY(MakeClip(m_wide, {3.0, 320, 180, 25, true, true, {}}));
        QVERIFY(MakeClip(m_narrow, {3.0, 160, 120, 25, true, true, {}}));
    }

    void dryRunWritesTheWindowsBatch_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("window");
        QTest::addColumn<bool>("outputExists");
        QTest::newRow("iPod default profile") << QStringList() << QStringList() << false;
        QTest::newRow("profile by name, library, an existing output")
            << QStringList{u"--profile"_s, u"ipod 5g - mpeg-4 320x240 (768 kbps)"_s,
                           u"--add-to-library"_s}
            << QStringList{u"profile=1"_s, u"chkAddToiTunes=1"_s} << true;
        QTest::newRow("Zune, every list setting overridden")
            << QStringList{u"--device"_s,        u"zune"_s,      u"--profile"_s,       u"3"_s,
                           u"--audio-codec"_s,   u"WMAV2"_s,     u"--audio-bitrate"_s, u"96"_s,
                           u"--sample-rate"_s,   u"32000"_s,     u"--channels"_s,      u"1"_s,
                           u"--video-codec"_s,   u"h264"_s,      u"--size"_s,          u"480x272"_s,
                           u"--video-bitrate"_s, u"1000 kbps"_s, u"--frame-rate"_s,    u"25fps"_s}
            << QStringList{u"device=Zune"_s,
                           u"profile=3"_s,
                           u"cmbAudioCodec=wmav2"_s,
                           u"cmbAudioBitrate=96 kbps"_s,
                           u"cmbAudioSampleRate=32000"_s,
                           u"cmbAudioChannels=Mono"_s,
                           u"cmbVideoCodec=h264"_s,
                           u"cmbVideoSize=480x272"_s,
                           u"cmbVideoBitrate=1000 kbps"_s,
                           u"cmbVideoFrameRate=25 fps"_s}
            << false;
        QTest::newRow("check boxes")
            << QStringList{u"--same-quality"_s, u"--no-keep-aspect"_s, u"--no-audio"_s}
            << QStringList{u"chkVideoOriginalQuality=1"_s, u"chkVideoKeepAspectRatio=0"_s,
                           u"chkAudioNoAudio=1"_s}
            << false;
        QTest::newRow("sound only")
            << QStringList{u"--no-video"_s} << QStringList{u"chkVideoNoVideo=1"_s} << false;
        QTest::newRow("PSP numbering and thumbnails")
            << QStringList{u"-d"_s,           u"PSP"_s,    u"--thumbnails"_s,
                           u"--psp-number"_s, u"7"_s,      u"--video-codec"_s,
                           u"libxvid"_s,      u"--size"_s, u"320x240"_s}
            << QStringList{u"device=PSP"_s, u"chkPSPCreateThumbnail=1"_s, u"txtPSPVideoNumber=7"_s,
                           u"cmbVideoCodec=libxvid"_s, u"cmbVideoSize=320x240"_s}
            << false;
        QTest::newRow("custom size and trim")
            << QStringList{u"--device"_s, u"MobilePhone"_s, u"--size"_s,
                           u"400x224"_s,  u"--trim"_s,      u"0:0:1-00:00:02"_s}
            << QStringList{u"device=MobilePhone"_s, u"customSize=400x224"_s,
                           u"trim=00:00:01-00:00:02"_s}
            << false;
        QTest::newRow("custom size that is a list entry")
            << QStringList{u"--size"_s, u"0320x0240"_s} << QStringList{u"customSize=320x240"_s}
            << false;
        QTest::newRow("two passes")
            << QStringList{u"--two-pass"_s} << QStringList{u"chkVideoTwoPass=1"_s} << false;
        QTest::newRow("always re-encode")
            << QStringList{u"--always-encode"_s} << QStringList{u"chkAlwaysEncode=1"_s} << false;
        QTest::newRow("fitted into a size")
            << QStringList{u"--fit"_s, u"1M"_s}
            << QStringList{u"chkVideoFitBatch=1"_s, u"txtVideoFitBatchSize=1"_s} << false;
        QTest::newRow("deinterlaced, default subtitles")
            << QStringList{u"--deinterlace"_s, u"ON"_s, u"--burn-subtitles"_s}
            << QStringList{u"cmbDeinterlace=Always"_s, u"chkBurnSubtitles=1"_s} << false;
        QTest::newRow("tracks chosen")
            << QStringList{u"--deinterlace"_s, u"off"_s, u"--audio-track"_s, u"02"_s,
                           u"--burn-subtitles=FRA"_s}
            << QStringList{u"cmbDeinterlace=Never"_s, u"chkBurnSubtitles=1"_s, u"tracks=2/fra"_s}
            << false;
        QTest::newRow("more room than the codec fills")
            << QStringList{u"--fit"_s, u"700M"_s}
            << QStringList{u"chkVideoFitBatch=1"_s, u"txtVideoFitBatchSize=700"_s} << false;
    }

    void dryRunWritesTheWindowsBatch() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, window);
        QFETCH(bool, outputExists);
        TestHome home;
        FakePrompts prompts;
        const QString out = home.makeFolder(u"out"_s);
        if (outputExists) {
            QVERIFY(WriteFileBytes(out + u"/wide clip.m4v"_s, QByteArray()));
        }

        auto main = OpenMainWindow();
        AddFilesThroughDialog(*main, prompts, {m_wide, m_narrow});
        ApplyToWindow(*main, prompts, window);
        Child<OutputDirectoryPanel>(*main, "frmOutputDirectorySettings")
            ->txtOutputDirectory->setText(out);
        Child<OutputDirectoryPanel>(*main, "frmOutputDirectorySettings")->SetFilesAtOnceChoice(1);
        prompts.clear();
        const QByteArray expected = WindowBatch(*main, prompts);
        QVERIFY2(!expected.isEmpty(), qPrintable(prompts.texts().join(u'|')));
        // The window's working files go, as its conversion window would remove them.
        RemoveWorkingFiles(main->ApplicationSettingsPath);

        // One file at a time, as the window was set to.
        const CliResult cli =
            RunCli(QStringList{u"--dry-run"_s, u"--jobs"_s, u"1"_s, u"-o"_s, out} + arguments +
                   QStringList{m_wide, m_narrow});
        QCOMPARE(cli.err, QByteArray());
        QCOMPARE(cli.exitCode, 0);
        // The batch is the window's; after it the CLI says what the converter
        // will do for each source.
        QStringList listing = QString::fromUtf8(cli.out).split(u'\n');
        listing.removeIf(
            [](const QString &line) { return line.startsWith(u"Adapted to the source: "); });
        QCOMPARE(listing.join(u'\n'), QString::fromUtf8(expected));
        // Nothing was run or written.
        QCOMPARE(WorkingFiles(main->ApplicationSettingsPath), QStringList());
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), outputExists ? 1 : 0);
        QVERIFY(!QFile::exists(m_clips.path() + u"/pwned"_s));
    }

    // The choices about the source reach the converter's line, the sound
    // track just before the sound's options; a file named after the bare
    // --burn-subtitles is no track.
    void dryRunPassesTheSourceChoices() {
        TestHome home;
        const CliResult cli =
            RunCli({u"--dry-run"_s, u"-o"_s, home.path(), u"--deinterlace"_s, u"on"_s,
                    u"--audio-track"_s, u"eng"_s, u"--burn-subtitles"_s, m_wide});
        QCOMPARE(cli.err, QByteArray());
        QCOMPARE(cli.exitCode, 0);
        const QString line = QString::fromUtf8(cli.out).split(u'\n').filter(u" -i "_s).value(0);
        QVERIFY2(line.contains(u" -r 25 -deinterlace -burnsubs default "_s), qPrintable(line));
        QVERIFY2(line.contains(u" -audiotrack eng -acodec aac "_s), qPrintable(line));
    }

    // What each file is to the device: a show, season or episode makes a
    // TV episode; the kind alone is for every file of a batch.
    void describesTheFilesAsAsked_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("files");
        QTest::addColumn<QString>("tags"); // in every file's line
        QTest::newRow("show, season and episode")
            << QStringList{u"--show"_s, u"My Show"_s, u"--season"_s, u"2"_s, u"--episode"_s, u"3"_s}
            << 1 << u" -kind tv -title 'wide clip' -show 'My Show' -season 2 -episode 3 "_s;
        QTest::newRow("season alone") << QStringList{u"--season"_s, u"4"_s} << 1 << u" -kind tv "_s;
        QTest::newRow("a kind given stays")
            << QStringList{u"--kind"_s, u"movie"_s, u"--show"_s, u"S"_s} << 1 << u" -kind movie "_s;
        QTest::newRow("the kind of a batch")
            << QStringList{u"--kind"_s, u"music-video"_s} << 2 << u" -kind musicvideo "_s;
    }
    void describesTheFilesAsAsked() {
        QFETCH(QStringList, options);
        QFETCH(int, files);
        QFETCH(QString, tags);
        TestHome home;
        const CliResult cli = RunCli(QStringList{u"--dry-run"_s, u"-o"_s, home.path()} + options +
                                     QStringList{m_wide, m_narrow}.mid(0, files));
        QCOMPARE(cli.err, QByteArray());
        QCOMPARE(cli.exitCode, 0);
        const QStringList lines = QString::fromUtf8(cli.out).split(u'\n').filter(u" -i "_s);
        QCOMPARE(lines.size(), files);
        for (const QString &line : lines)
            QVERIFY2(line.contains(tags), qPrintable(line));
    }

    void convertsWithEachDevicesDefaultProfile_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("videoCodec");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("audioCodec");
        QTest::addColumn<bool>("json");
        QTest::newRow("iPod") << u"iPod"_s << u"m4v"_s << u"h264"_s << 640 << 480 << u"aac"_s
                              << false;
        QTest::newRow("Zune") << u"Zune"_s << u"wmv"_s << u"wmv2"_s << 320 << 240 << u"wmav2"_s
                              << true;
        QTest::newRow("PSP") << u"PSP"_s << u"MP4"_s << u"h264"_s << 480 << 272 << u"aac"_s
                             << false;
        QTest::newRow("MobilePhone")
            << u"MobilePhone"_s << u"mp4"_s << u"h264"_s << 640 << 360 << u"aac"_s << true;
    }

    void convertsWithEachDevicesDefaultProfile() {
        QFETCH(QString, device);
        QFETCH(QString, extension);
        QFETCH(QString, videoCodec);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, audioCodec);
        QFETCH(bool, json);
        TestHome home;
        const QString out = home.path() + u"/Converted Video Files"_s;
        // A file name relative to the working folder, as typed in a terminal.
        QStringList arguments{u"--device"_s, device, u"-o"_s, out, u"wide clip.avi"_s};
        if (json)
            arguments.prepend(u"--json"_s);
        const CliResult cli = RunCli(arguments, m_clips.path());
        QVERIFY2(cli.exitCode == 0, QByteArray(cli.out + cli.err).constData());

        const QString output =
            out + (device == u"PSP" ? u"/MAQ0001."_s : u"/wide clip."_s) + extension;
        if (json) {
            const QList<QJsonObject> events = JsonEvents(cli.out);
            QCOMPARE(EventsOf(events, u"start"_s).size(), 1);
            QCOMPARE(EventsOf(events, u"file"_s).size(), 1);
            QVERIFY(!EventsOf(events, u"progress"_s).isEmpty());
            const QList<QJsonObject> results = EventsOf(events, u"result"_s);
            QCOMPARE(results.size(), 1);
            QCOMPARE(results[0].value(u"output"_s).toString(), output);
            QCOMPARE(results[0].value(u"converted"_s).toBool(), true);
            QCOMPARE(events.last().value(u"event"_s).toString(), u"done"_s);
            QCOMPARE(events.last().value(u"converted"_s).toInt(), 1);
        } else {
            const QString text = QString::fromUtf8(cli.out);
            QVERIFY2(text.contains(u"File 1 of 1: "_s + m_wide + u" -> "_s + output),
                     qPrintable(text));
            QVERIFY2(text.contains(u"%  elapsed "_s), qPrintable(text));
            QVERIFY2(text.contains(u": 1 of 1 file converted."_s), qPrintable(text));
            QVERIFY2(text.contains(u"  "_s + m_wide + u" -> "_s + output), qPrintable(text));
        }

        const QJsonObject probe = Probe(output);
        const QJsonObject video = ProbeStream(probe, u"video"_s);
        QCOMPARE(video.value(u"codec_name"_s).toString(), videoCodec);
        QCOMPARE(video.value(u"width"_s).toInt(), width);
        QCOMPARE(video.value(u"height"_s).toInt(), height);
        QCOMPARE(ProbeStream(probe, u"audio"_s).value(u"codec_name"_s).toString(), audioCodec);
        const double seconds =
            probe.value(u"format"_s).toObject().value(u"duration"_s).toString().toDouble();
        QVERIFY2(qAbs(seconds - 3.0) < 0.3, qPrintable(QString::number(seconds)));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QCOMPARE(WorkingFiles(home.dataFolder()), QStringList());
    }

    void invalidValuesAreRefused_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const QStringList &arguments,
                            const QString &message) {
            QTest::newRow(name) << arguments << message;
        };
        row("unknown option", {u"--bogus"_s}, u"Unknown option 'bogus'."_s);
        row("preview time", {u"--preview"_s, u"soon"_s},
            u"--preview: 'soon' is no time: give HH:MM:SS or seconds"_s);
        row("unknown device", {u"--device"_s, u"Walkman"_s},
            u"--device: unknown device 'Walkman'. Devices: iPod, Zune, PSP, MobilePhone"_s);
        row("unknown profile", {u"--profile"_s, u"9"_s}, u"--profile: iPod has no profile '9'."_s);
        row("audio codec", {u"--audio-codec"_s, u"mp3"_s},
            u"--audio-codec: iPod offers no audio codec 'mp3'. Valid values: aac"_s);
        row("audio bit rate", {u"--audio-bitrate"_s, u"100"_s},
            u"Valid values: 64 kbps, 96 kbps, 128 kbps, 160 kbps"_s);
        row("sample rate", {u"-d"_s, u"PSP"_s, u"--sample-rate"_s, u"44100"_s},
            u"--sample-rate: PSP offers no sample rate '44100'. Valid values: 24000, 48000"_s);
        row("channels", {u"--channels"_s, u"3"_s},
            u"Valid values: Mono, Stereo (or the channel count, 1 to 2)"_s);
        row("video codec", {u"--video-codec"_s, u"theora"_s},
            u"Valid values: mpeg4, h264, libx264"_s);
        row("frame rate", {u"--frame-rate"_s, u"60"_s},
            u"Valid values: 12 fps, 15 fps, 20 fps, 23.976 fps, 25 fps, 29.97 fps, 30 fps"_s);
        row("quality above the codec's limit", {u"--video-bitrate"_s, u"3500"_s},
            u"The maximum video quality for the selected videocodec is: 2500 kbps"_s);
        row("size above the codec's limit", {u"--size"_s, u"1280x720"_s},
            u"The maximum video size for the selected videocodec is: 640x480"_s);
        row("custom size above the limit", {u"--size"_s, u"800x600"_s},
            u"The maximum video size for the selected videocodec is: 640x480"_s);
        row("size below the encoders' minimum", {u"--size"_s, u"2x2"_s},
            u"--size: The minimum video size is: 16x16"_s);
        row("size H.263 cannot encode",
            {u"-d"_s, u"MobilePhone"_s, u"-p"_s, u"1"_s, u"--size"_s, u"160x120"_s},
            u"--size: The H.263 videocodec takes only these video sizes: 128x96, 176x144, "
            u"352x288, 704x576, 1408x1152"_s);
        row("neither sound nor picture", {u"--no-audio"_s, u"--no-video"_s},
            u"no sound and no picture: nothing would be converted"_s);
        for (const char *size : {"401x300", "0x240", "-320x240", "320.5x240", "320", "axb"})
            row(size, {u"--size"_s, QString::fromLatin1(size)},
                u"is not a frame size. Give WIDTHxHEIGHT, both positive even whole numbers"_s);
        row("trim form", {u"--trim"_s, u"1-2"_s},
            u"--trim: expected START-END as HH:MM:SS-HH:MM:SS, not '1-2'"_s);
        row("trim not numeric", {u"--trim"_s, u"00:61:00-00:62:00"_s},
            u"Invalid Start or End Time! Reason: You can only enter numeric values."_s);
        row("trim start after end", {u"--trim"_s, u"00:00:02-00:00:01"_s},
            u"The start time you've entered is not valid. Reason: The Start Time cannot exceed "
            u"the End Time."_s);
        row("trim of no length", {u"--trim"_s, u"00:00:03-00:00:03"_s},
            u"--trim: The End Time you've entered is not valid. Reason: The End Time must be "
            u"after the Start Time."_s);
        row("trim end after the file", {u"--trim"_s, u"00:00:01-00:00:04"_s},
            u"The End Time you've entered is not valid. Reason: The End Time cannot exceed the "
            u"Total Duration of: 00:00:03"_s);
        row("thumbnails", {u"--thumbnails"_s}, u"--thumbnails is for the PSP only"_s);
        row("library", {u"-d"_s, u"Zune"_s, u"--add-to-library"_s},
            u"--add-to-library is for the iPod only"_s);
        row("no iPod there", {u"--ipod"_s, u"/nowhere"_s},
            u"--ipod: no iPod at '/nowhere' (it holds no iPod_Control/iTunes/iTunesDB)"_s);
        row("iPod for the Zune", {u"-d"_s, u"Zune"_s, u"--ipod"_s, u"/nowhere"_s},
            u"--ipod is for the iPod only"_s);
        row("Memory Stick for the iPod", {u"--memory-stick"_s},
            u"--memory-stick is for the PSP only"_s);
        row("Memory Stick and output", {u"-d"_s, u"PSP"_s, u"--memory-stick"_s},
            u"--memory-stick and --output cannot be used together"_s);
        row("PSP number", {u"-d"_s, u"PSP"_s, u"--psp-number"_s, u"0"_s},
            u"--psp-number: '0' is not a whole number from 1 to 99999"_s);
        // With the table's file, two files: the second would be MAQ100000.
        row("PSP numbers past five digits",
            {u"-d"_s, u"PSP"_s, u"--psp-number"_s, u"99999"_s, m_wide},
            u"--psp-number: 2 files from number 99999 would go past 99999, the highest PSP file "
            u"number; give at most 99998"_s);
        for (const char *jobs : {"0", "9", "two"})
            row(jobs, {u"--jobs"_s, QString::fromLatin1(jobs)},
                u"is not auto or a whole number from 1 to 8"_s);
        row("two modes", {u"--dry-run"_s, u"--info"_s},
            u"--dry-run and --info cannot be used together"_s);
        row("files to resume", {u"--resume"_s}, u"--resume takes no video files"_s);
        row("check and its opposite", {u"--keep-aspect"_s, u"--no-keep-aspect"_s},
            u"--keep-aspect and --no-keep-aspect cannot be used together"_s);
        row("empty output folder", {u"-o"_s, u" "_s}, u"Please, choose an output folder first."_s);
        row("fit without a unit", {u"--fit"_s, u"700"_s},
            u"--fit: '700' is not a size. Give a number and a unit: 700M or 2G"_s);
        // 3 s at the lowest rate, 384 kbps less 50, and 160 kbps of sound.
        row("fit too small", {u"--fit"_s, u"100k"_s},
            u"The files do not fit into 0.1 MB. Even at the lowest video quality the device "
            u"offers (384 kbps) they need 0.2 MB."_s);
        row("two passes and same quality", {u"--two-pass"_s, u"--same-quality"_s},
            u"--two-pass and same quality exclude each other (--no-same-quality turns it off)"_s);
        row("fit without a picture", {u"--fit"_s, u"1G"_s, u"--no-video"_s},
            u"--fit needs a picture: it cannot be used with --no-video"_s);
        row("deinterlace", {u"--deinterlace"_s, u"yes"_s},
            u"--deinterlace: 'yes' is not auto, on or off"_s);
        row("deinterlace without a picture", {u"--deinterlace"_s, u"on"_s, u"--no-video"_s},
            u"--deinterlace needs a picture: it cannot be used with --no-video"_s);
        row("subtitles without a picture", {u"--burn-subtitles"_s, u"--no-video"_s},
            u"--burn-subtitles needs a picture: it cannot be used with --no-video"_s);
        row("kind", {u"--kind"_s, u"series"_s},
            u"--kind: 'series' is not movie, tv or music-video"_s);
        row("season", {u"--season"_s, u"two"_s},
            u"--season: 'two' is not a whole number from 0 to 9999"_s);
        row("episode", {u"--episode"_s, u"-1"_s},
            u"--episode: '-1' is not a whole number from 0 to 9999"_s);
        row("title without a picture", {u"--title"_s, u"T"_s, u"--no-video"_s},
            u"cannot be used with --no-video"_s);
        row("title for two files", {u"--title"_s, u"T"_s, m_wide},
            u"--title, --show, --season and --episode describe one file, and 2 were given"_s);
        row("episode for two files", {u"--episode"_s, u"3"_s, m_wide},
            u"--title, --show, --season and --episode describe one file, and 2 were given"_s);
        row("audio track without sound", {u"--audio-track"_s, u"1"_s, u"--no-audio"_s},
            u"--audio-track needs sound: it cannot be used with --no-audio"_s);
        const QString notATrack =
            u"is neither a track number (1 to 999) nor a language code of two or three letters"_s;
        for (const char *track : {"0", "-1", "1000", "e", "engl", "e1", "fr a", "\u00e9n"})
            row(track, {u"--audio-track"_s, QString::fromUtf8(track)},
                u"--audio-track: '"_s + QString::fromUtf8(track) + u"' "_s + notATrack);
        row("subtitle track", {u"--burn-subtitles=x"_s}, u"--burn-subtitles: 'x' "_s + notATrack);
        row("empty subtitle track", {u"--burn-subtitles="_s},
            u"--burn-subtitles: '' "_s + notATrack);
    }

    void invalidValuesAreRefused() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        TestHome home;
        QStringList all = arguments;
        if (!all.contains(u"-o"_s))
            all << u"-o"_s << home.path() + u"/out"_s;
        const CliResult cli = RunCli(all << m_wide);
        QCOMPARE(cli.exitCode, 2);
        QVERIFY2(QString::fromUtf8(cli.err).contains(message), cli.err.constData());
        QCOMPARE(cli.out, QByteArray());
        QVERIFY(!QFile::exists(home.path() + u"/out"_s));
        QCOMPARE(WorkingFiles(home.dataFolder()), QStringList());
    }

    void handsFilesToTheIpod_data() {
        QTest::addColumn<bool>("ipod"); // a classic named by --ipod, or none connected
        QTest::newRow("classic named by --ipod") << true;
        QTest::newRow("no iPod connected") << false;
    }

    void handsFilesToTheIpod() {
        QFETCH(bool, ipod);
        TestHome home;
        const QString out = home.path() + u"/out"_s;
        const QString folder = home.makeFolder(u"IPOD"_s);
        QVERIFY(MakeTestIpod(folder, u"MB029"_s, u"0x000A27001A2B3C4D"_s));
        QVERIFY(AddSongs(folder, 500));
        const QList<IpodTrack> before = *ReadIpodTracks(folder);
        const QStringList library =
            ipod ? QStringList{u"--ipod"_s, folder} : QStringList{u"--add-to-library"_s};
        const CliResult cli = RunCli(QStringList{u"-o"_s, out, m_wide} + library);
        QVERIFY2(cli.exitCode == 0, QByteArray(cli.out + cli.err).constData());

        const QString output = out + u"/wide clip.m4v"_s;
        QVERIFY(QFileInfo::exists(output));
        const QList<IpodTrack> after = *ReadIpodTracks(folder);
        QCOMPARE(after.first(500), before);
        QCOMPARE(after.size(), ipod ? 501 : 500);
        if (ipod) {
            QCOMPARE(after.last().title, u"wide clip"_s);
            QCOMPARE(after.last().mediatype, MovieType());
            QCOMPARE(ReadFileBytes(after.last().file), ReadFileBytes(output));
        }
        const QString note =
            ipod ? QString(u"The converted files were added to the iPod at "_s + folder + u'.')
                 : QString(u"No iPod was connected: the converted files were added to the "
                           u"playlist "_s +
                           home.musicFolder() + u"/Mobivert.m3u8 instead."_s);
        QVERIFY2(cli.out.trimmed().endsWith(note.toUtf8()), cli.out.constData());
        QCOMPARE(ReadFileBytes(home.musicFolder() + u"/Mobivert.m3u8"_s).contains(output.toUtf8()),
                 !ipod);
    }

    void iPodsThatCannotBeUsedStopTheBatch_data() {
        QTest::addColumn<bool>("two"); // two iPods connected; else a classic without its guid
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("two connected") << true << 2 << u"name one with --ipod"_s;
        QTest::newRow("classic without FirewireGuid")
            << false << 1 << u"whose database needs a checksum made from the iPod's FirewireGuid"_s;
    }

    void iPodsThatCannotBeUsedStopTheBatch() {
        QFETCH(bool, two);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        TestHome home;
        const QString a = home.makeFolder(u"IPOD A"_s), b = home.makeFolder(u"IPOD B"_s);
        QVERIFY(MakeTestIpod(a, u"MA446"_s) &&
                MakeTestIpod(b, u"MB029"_s, u"0x000A27001A2B3C4D"_s));
        QVERIFY(WriteFileBytes(b + u"/iPod_Control/Device/SysInfo"_s, "ModelNumStr: MB029\n"));
        home.setMounts(two ? QStringList{a, b} : QStringList{b});
        const QByteArray database = IpodDatabase(b);
        const CliResult cli =
            RunCli({u"-o"_s, home.path() + u"/out"_s, u"--add-to-library"_s, m_wide});
        QCOMPARE(cli.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(cli.err).contains(message), cli.err.constData());
        QCOMPARE(QDir(home.path() + u"/out"_s).entryList(QDir::Files), QStringList());
        QCOMPARE(IpodDatabase(b), database);
        QCOMPARE(WorkingFiles(home.dataFolder()), QStringList());
    }

    void memoryStickIsTheOutputFolder() {
        TestHome home;
        const QString stick = home.makeFolder(u"PSP STICK"_s);
        QVERIFY(QDir().mkpath(stick + u"/PSP/GAME"_s));
        home.setMounts({stick});
        const CliResult cli = RunCli({u"--json"_s, u"--dry-run"_s, u"-d"_s, u"PSP"_s,
                                      u"--memory-stick"_s, u"--video-codec"_s, u"h264"_s, m_wide});
        QCOMPARE(cli.exitCode, 0);
        const QList<QJsonObject> batch = EventsOf(JsonEvents(cli.out), u"batch"_s);
        QCOMPARE(batch.size(), 1);
        QCOMPARE(batch[0].value(u"outputs"_s).toArray().first().toString(),
                 stick + u"/MP_ROOT/100ANV01/MAQ0001.MP4"_s);
    }

    // PSP numbers never pass 99999, the highest the PSP lists: the lowest
    // free ones follow.
    void pspNumbersNeverPass99999() {
        TestHome home;
        const QString out = home.makeFolder(u"out"_s);
        QVERIFY(WriteFileBytes(out + u"/MAQ99999.MP4"_s, "last") &&
                WriteFileBytes(out + u"/MAQ0001.MP4"_s, "first"));
        const CliResult cli = RunCli({u"--json"_s, u"--dry-run"_s, u"-d"_s, u"PSP"_s, u"-o"_s, out,
                                      u"--video-codec"_s, u"h264"_s, m_wide, m_wide});
        QCOMPARE(cli.exitCode, 0);
        const QList<QJsonObject> batch = EventsOf(JsonEvents(cli.out), u"batch"_s);
        QCOMPARE(batch.size(), 1);
        QCOMPARE(batch[0].value(u"outputs"_s).toArray(),
                 QJsonArray({QString(out + u"/MAQ0002.MP4"_s), QString(out + u"/MAQ0003.MP4"_s)}));
    }

    void noFilesIsAnError() {
        TestHome home;
        const CliResult cli = RunCli({u"--device"_s, u"PSP"_s});
        QCOMPARE(cli.exitCode, 2);
        QVERIFY(cli.err.contains("no video files given"));
        QVERIFY(cli.err.contains("--help"));
    }

    void missingInputFailsWithTheConvertersError() {
        TestHome home;
        const QString out = home.path() + u"/out"_s;
        const QString missing = home.path() + u"/not there.avi"_s;
        const CliResult cli = RunCli({u"-o"_s, out, missing, m_wide});
        QCOMPARE(cli.exitCode, 1);
        QVERIFY2(cli.err.contains(
                     QByteArray(QFile::encodeName(missing) + ": no such file or directory")),
                 cli.err.constData());
        QVERIFY2(cli.out.contains("1 of 2 files converted"), cli.out.constData());
        QVERIFY(cli.out.contains(QByteArray(QFile::encodeName(missing) + ": not converted")));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{u"wide clip.m4v"_s});
        QCOMPARE(WorkingFiles(home.dataFolder()), QStringList());
    }

    // A path that is no file to read a video from is refused at once, in
    // every mode, with what it is; nothing opens it (a FIFO would hang).
    // --resume meets it in the interrupted batch's record, as a file
    // swapped for a FIFO since it was listed.
    void inputKindsAreRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QByteArray>("problem");
        const QList<std::pair<QString, QByteArray>> kinds{
            {u"folder"_s, "is a folder, not a video file"},
            {u"fifo"_s, "is not a regular file (a FIFO)"},
            {u"/dev/zero"_s, "is not a regular file (a character device)"},
            {u"/dev/null"_s, "is not a regular file (a character device)"}};
        for (const auto &[kind, problem] : kinds)
            for (const QString &mode : {u"--info"_s, u"--preview"_s, u"convert"_s, u"--resume"_s})
                QTest::addRow("%s, %s", qPrintable(kind), qPrintable(mode))
                    << kind << mode << problem;
    }

    void inputKindsAreRefused() {
        QFETCH(QString, kind);
        QFETCH(QString, mode);
        QFETCH(QByteArray, problem);
        TestHome home;
        const QString path = home.path() + u"/odd.avi"_s;
        if (kind == u"folder")
            QVERIFY(QDir().mkdir(path));
        else if (kind == u"fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            QVERIFY(QFile::link(kind, path));
        QStringList arguments{u"-o"_s, home.path() + u"/out"_s, path};
        if (mode == u"--preview")
            arguments.prepend(u"1"_s);
        if (mode == u"--resume") {
            BatchRequest request{ProfileSettings::SettingsForProfile(u"iPod"_s, 1), {}, {}, {}};
            request.rows.append(FileListRow{});
            request.rows[0].Filepath = path;
            request.rows[0].Duration = 3;
            request.options.outputFolder = home.path() + u"/out"_s;
            QVERIFY(QDir().mkpath(home.dataFolder()));
            QVERIFY(BatchRecordFile::write(
                home.dataFolder(), BatchRecord::Of(request, {home.path() + u"/out/odd.m4v"_s})));
            arguments = QStringList{};
        }
        if (mode != u"convert")
            arguments.prepend(mode);
        const CliResult cli = RunCli(arguments);
        QCOMPARE(cli.exitCode, 1);
        const QByteArray refusal = QFile::encodeName(path) + ": " + problem + '\n';
        QVERIFY2(mode == u"--resume" ? cli.err.contains(refusal)
                                     : cli.err.startsWith(QByteArray("mobivert-cli: " + refusal)),
                 cli.err.constData());
        QVERIFY(!cli.err.contains("no such file"));
    }

    // Two lanes: the names are those of the row order ("(2)" numbering
    // against a file already there), each result against its own row.
    void twoLanesKeepTheRowOrdersNames() {
        TestHome home;
        const QString out = home.makeFolder(u"out"_s);
        QVERIFY(WriteFileBytes(out + u"/wide clip.m4v"_s, QByteArray()));
        const QString other = home.makeFolder(u"other"_s) + u"/wide clip.avi"_s;
        QVERIFY(MakeClip(other, {1.0, 160, 120, 25, true, true, {}}));
        const CliResult cli =
            RunCli({u"--json"_s, u"--jobs"_s, u"2"_s, u"-o"_s, out, m_wide, other, m_wide});
        QVERIFY2(cli.exitCode == 0, QByteArray(cli.out + cli.err).constData());
        const QList<QJsonObject> events = JsonEvents(cli.out);
        QCOMPARE(EventsOf(events, u"start"_s).value(0).value(u"filesAtOnce"_s).toInt(), 2);
        const QList<QJsonObject> results = EventsOf(events, u"result"_s);
        QCOMPARE(results.size(), 3);
        const QStringList inputs{m_wide, other, m_wide};
        const double seconds[] = {3.0, 1.0, 3.0};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(results[i].value(u"input"_s).toString(), inputs[i]);
            const QString output = out + u"/wide clip (%1).m4v"_s.arg(i + 2);
            QCOMPARE(results[i].value(u"output"_s).toString(), output);
            const double length = Probe(output)
                                      .value(u"format"_s)
                                      .toObject()
                                      .value(u"duration"_s)
                                      .toString()
                                      .toDouble();
            QVERIFY2(qAbs(length - seconds[i]) < 0.3, qPrintable(output));
        }
        QCOMPARE(WorkingFiles(home.dataFolder()), QStringList());
    }

    // --preview: both frames as pictures, the converter's error for a file
    // it cannot read, a file without video left out, nothing replaced and no
    // temporary file left.
    void previewWritesBothFrames() {
        TestHome home;
        const QString out = home.makeFolder(u"pictures"_s);
        const QString temporary = home.makeFolder(u"tmp"_s);
        const QString text = home.path() + u"/notes.avi"_s;
        QVERIFY(WriteFileBytes(text, "not a video"));
        // Its headers name a video stream; no picture follows them.
        const QString cut = home.path() + u"/cut short.avi"_s;
        QVERIFY(QFile::copy(m_wide, cut));
        QVERIFY(QFile::resize(cut, 4000));
        QVERIFY(WriteFileBytes(out + u"/wide clip-source.png"_s, "kept"));
        qputenv("TMPDIR", QFile::encodeName(temporary));
        const CliResult cli = RunCli({u"--preview"_s, u"00:00:01"_s, u"--size"_s, u"320x240"_s,
                                      u"--keep-aspect"_s, u"-o"_s, out, m_wide, text, cut});
        qunsetenv("TMPDIR");
        QCOMPARE(cli.exitCode, 1);
        QVERIFY2(cli.out.contains("at 00:00:01: 320x240, "), cli.out.constData());
        QVERIFY2(
            cli.err.contains(QByteArray(QFile::encodeName(text) + ": holds no video, not added")),
            cli.err.constData());
        QVERIFY2(cli.err.contains(QByteArray(QFile::encodeName(cut) + ": Unknown format")),
                 cli.err.constData());
        QCOMPARE(ReadFileBytes(out + u"/wide clip-source.png"_s), QByteArray("kept"));
        const QImage source(out + u"/wide clip-source (2).png"_s);
        const QImage preview(out + u"/wide clip-preview.png"_s);
        QCOMPARE(preview.size(), QSize(320, 240));
        QCOMPARE(source.size(), QSize(427, 240)); // 320x180 at the preview's height
        QCOMPARE(QDir(temporary).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    // A reader that stops early ("| head") does not stop the batch halfway.
    void closedOutputStillFinishesTheBatch() {
        TestHome home;
        const QString out = home.path() + u"/out"_s;
        const ProgramResult run =
            RunProgram(u"/bin/sh"_s, {u"-c"_s, u"\"$0\" -o \"$1\" \"$2\" | head -c 1"_s,
                                      TestPaths::binary(u"mobivert-cli"_s), out, m_wide});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{u"wide clip.m4v"_s});
        QCOMPARE(WorkingFiles(home.dataFolder()), QStringList());
        QCOMPARE(ProcessesMentioning(home.path()), QStringList());
    }

    void oneBatchAtATimePerDataFolder() {
        TestHome home;
        QDir().mkpath(home.dataFolder());
        QLockFile other(BatchFiles::lock(home.dataFolder()));
        QVERIFY(other.tryLock(0));
        QFile batch(BatchFiles::batch(home.dataFolder()));
        QVERIFY(batch.open(QIODevice::WriteOnly));
        batch.write("the window's batch\n");
        batch.close();

        const CliResult cli = RunCli({u"-o"_s, home.path() + u"/out"_s, m_wide});
        QCOMPARE(cli.exitCode, 1);
        QVERIFY(cli.err.contains("Mobivert is already converting one or more files!"));
        QCOMPARE(ReadFileBytes(BatchFiles::batch(home.dataFolder())),
                 QByteArray("the window's batch\n"));
    }

    void unusableDataFolderIsReported() {
        TestHome home;
        const QString clip = home.path() + u"/clip.mp4"_s;
        QVERIFY(MakeClip(clip, {1.0, 160, 120, 10, true, true, {}}));
        // A data folder that takes no files. Without its capabilities even
        // root respects the permission bits.
        QVERIFY(QDir().mkpath(home.dataFolder()));
        QVERIFY(QFile::setPermissions(home.dataFolder(),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const ProgramResult result =
            RunProgram(u"setpriv"_s, {u"--inh-caps=-all"_s, u"--bounding-set=-all"_s, u"--"_s,
                                      TestPaths::binary(u"mobivert-cli"_s), u"-o"_s,
                                      home.path() + u"/out"_s, clip});
        QFile::setPermissions(home.dataFolder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner);
        QCOMPARE(result.exitCode, 1);
        const QByteArray expected = "Unable to prepare the conversion in the data folder: " +
                                    QFile::encodeName(home.dataFolder());
        QVERIFY2(result.output.contains(expected), result.output.constData());
        QVERIFY(!QDir(home.path() + u"/out"_s).exists() || QDir(home.path() + u"/out"_s).isEmpty());
    }

    void infoPrintsTheListsRows() {
        TestHome home;
        const QString missing = home.path() + u"/gone.avi"_s;
        const QString text = home.path() + u"/notes.avi"_s;
        QVERIFY(WriteFileBytes(text, "not a video"));
        const CliResult cli = RunCli({u"--info"_s, m_wide, text, m_narrow, missing});
        QCOMPARE(cli.exitCode, 1);
        // The text is no row; the missing file's row is printed and named.
        QCOMPARE(cli.err, QByteArray("mobivert-cli: " + QFile::encodeName(text) +
                                     ": holds no video, not added\n" + "mobivert-cli: " +
                                     QFile::encodeName(missing) + ": no such file\n"));
        QStringList expected;
        for (const QString &file : {m_wide, m_narrow, missing}) {
            const VideoFileInfo info = ExamineVideoFile(file);
            expected << QStringList{info.Filename, info.Codec, FormatTrimTime(info.Duration),
                                    FrameSizeText(info.VideoSize)}
                            .join(u'\t');
        }
        QCOMPARE(expected[0], u"wide clip\tMPEG-4 Visual\t00:00:03\t320x180"_s);
        QCOMPARE(QString::fromUtf8(cli.out), expected.join(u'\n') + u'\n');
    }

    // Files of one name are told apart by their extensions.
    void infoTellsFilesOfOneNameApart() {
        TestHome home;
        const QString mp4 = home.path() + u"/plain.mp4"_s, avi = home.path() + u"/plain.avi"_s;
        QVERIFY(QFile::copy(m_narrow, mp4) && QFile::copy(m_wide, avi));
        const CliResult cli = RunCli({u"--info"_s, mp4, avi, m_wide});
        QCOMPARE(cli.exitCode, 0);
        QStringList names;
        for (const QString &line : QString::fromUtf8(cli.out).split(u'\n', Qt::SkipEmptyParts))
            names << line.section(u'\t', 0, 0);
        QCOMPARE(names, (QStringList{u"plain.mp4"_s, u"plain.avi"_s, u"wide clip"_s}));
    }

    // A name written on a Latin-1 system (a lone 0xE9 byte) is read and
    // converted by its own bytes; the output's name shows the byte as U+FFFD.
    void nameThatIsNoUtf8_data() {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("info") << QStringList{u"--info"_s};
        QTest::newRow("convert") << QStringList{u"-o"_s, u"out"_s};
    }
    void nameThatIsNoUtf8() {
        QFETCH(QStringList, options);
        TestHome home;
        const QString folder = home.makeFolder(u"latin1"_s);
        const QByteArray name = PathToBytes(folder) + "/caf\xe9.mp4";
        QVERIFY(QFile::copy(m_narrow, folder + u"/cafe.mp4"_s));
        QCOMPARE(std::rename(PathToBytes(folder + u"/cafe.mp4"_s).constData(), name.constData()),
                 0);
        // The shell's pattern hands the program the name's bytes.
        QProcess process;
        process.setWorkingDirectory(folder);
        process.start(u"/bin/sh"_s, QStringList{u"-c"_s, u"exec \"$0\" --json \"$@\" ./caf*.mp4"_s,
                                                TestPaths::binary(u"mobivert-cli"_s)} +
                                        options);
        QVERIFY(process.waitForFinished(240000));
        QCOMPARE(process.exitCode(), 0);
        const QList<QJsonObject> events = JsonEvents(process.readAllStandardOutput());
        if (options.first() == u"--info") {
            const QList<QJsonObject> info = EventsOf(events, u"info"_s);
            QCOMPARE(info.size(), 1);
            QCOMPARE(PathToBytes(info[0].value(u"file"_s).toString()), name);
            QCOMPARE(info[0].value(u"filename"_s).toString(), u"caf\uFFFD"_s);
            QCOMPARE(info[0].value(u"duration"_s).toString(), u"00:00:03"_s);
            QCOMPARE(info[0].value(u"videoSize"_s).toString(), u"160x120"_s);
        } else {
            QCOMPARE(QDir(folder + u"/out"_s).entryList(QDir::Files),
                     QStringList{u"caf\uFFFD.m4v"_s});
        }
    }

    // Tab, newline, carriage return and backslash in a name are escaped:
    // the file stays one line of four fields, and reads back as the name.
    void infoEscapesNames() {
        TestHome home;
        const QString clip = home.path() + u"/a\tb\nc\rd\\e.mp4"_s;
        QVERIFY(QFile::copy(m_narrow, clip));
        const CliResult cli = RunCli({u"--info"_s, clip});
        QCOMPARE(cli.exitCode, 0);
        const QStringList lines = QString::fromUtf8(cli.out).split(u'\n');
        QCOMPARE(lines.size(), 2); // the line, and nothing after its end
        const QStringList fields = lines[0].split(u'\t');
        QCOMPARE(fields.size(), 4);
        // Read back as a reader of the lines would.
        QString name;
        for (qsizetype i = 0; i < fields[0].size(); ++i) {
            const QChar c = fields[0][i];
            const QChar next = c == u'\\' ? fields[0].at(++i) : QChar();
            name += next.isNull()  ? c
                    : next == u't' ? QChar(u'\t')
                    : next == u'n' ? QChar(u'\n')
                    : next == u'r' ? QChar(u'\r')
                                   : next;
        }
        QCOMPARE(name, u"a\tb\nc\rd\\e"_s); // the line breaks too, not " / "
        QCOMPARE(fields.mid(2), (QStringList{u"00:00:03"_s, u"160x120"_s}));
    }

    // The preview of a file without a picture says so, and gives only what
    // it measured.
    void previewOfSoundOnly() {
        TestHome home;
        const QString sound = home.path() + u"/tone.m4a"_s;
        QVERIFY(MakeClip(sound, {3.0, 320, 240, 25, false, true, {}}));
        const CliResult text = RunCli({u"--preview"_s, u"1"_s, u"-o"_s, home.path(), sound});
        QCOMPARE(text.exitCode, 0);
        const QString line = QString::fromUtf8(text.out).section(u'\n', 0, 0);
        QVERIFY2(QRegularExpression(u"^.*/tone.m4a at 00:00:01: no video, about \\d+\\.\\d MB "
                                    u"per minute$"_s)
                     .match(line)
                     .hasMatch(),
                 qPrintable(line));
        const CliResult json =
            RunCli({u"--json"_s, u"--preview"_s, u"1"_s, u"-o"_s, home.path(), sound});
        QCOMPARE(json.exitCode, 0);
        const QList<QJsonObject> previews = EventsOf(JsonEvents(json.out), u"preview"_s);
        QCOMPARE(previews.size(), 1);
        QCOMPARE(previews[0].value(u"video"_s), QJsonValue(false));
        QVERIFY(!previews[0].contains(u"width"_s) && !previews[0].contains(u"videoKbps"_s));
        QVERIFY(previews[0].value(u"mbPerMinute"_s).toDouble() > 0);
    }

    void listsDevicesAndProfiles() {
        TestHome home;
        const CliResult devices = RunCli({u"--list-devices"_s});
        QCOMPARE(devices.exitCode, 0);
        QCOMPARE(devices.out, QByteArray("iPod\tApple iPod / iPhone\nZune\tMicrosoft Zune\n"
                                         "PSP\tSony PSP\nMobilePhone\tMobile Phone\n"));
        const CliResult profiles = RunCli({u"--list-profiles"_s, u"--device"_s, u"psp"_s});
        QCOMPARE(profiles.exitCode, 0);
        const QList<QByteArray> lines = profiles.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QByteArray("1\tPSP - MPEG-4 320x240 (384 kbps)"));
        QCOMPARE(lines[4], QByteArray("5\tPSP - H.264 480x272 (768 kbps)\t(default)"));
    }

    void interruptLeavesNothingBehind_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("Ctrl+C") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
    }

    // One file at a time, so that the second is not done when the signal comes.
    void interruptLeavesNothingBehind() {
        QFETCH(int, signalNumber);
        TestHome home;
        const QString in = home.makeFolder(u"in"_s);
        const QStringList clips{in + u"/first.mp4"_s, in + u"/second.mp4"_s};
        for (const QString &clip : clips)
            QVERIFY(MakeClip(clip, {8.0, 1280, 720, 30, true, true, {u"-c:v"_s, u"mpeg4"_s}}));
        const QString out = home.path() + u"/out"_s;

        QProcess cli;
        cli.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        cli.start(TestPaths::binary(u"mobivert-cli"_s),
                  {u"--json"_s, u"--jobs"_s, u"1"_s, u"--profile"_s, u"6"_s, u"-o"_s, out, clips[0],
                   clips[1]});
        QVERIFY(cli.waitForStarted());
        QByteArray seen;
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         seen += cli.readAllStandardOutput();
                         return seen.contains("\"event\":\"progress\"");
                     },
                     120000),
                 seen.constData());
        QVERIFY(!ProcessesMentioning(home.path()).isEmpty());
        ::kill(pid_t(cli.processId()), signalNumber);
        QVERIFY(cli.waitForFinished(kPatienceMs));
        seen += cli.readAllStandardOutput();

        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 128 + signalNumber);
        QCOMPARE(ProcessesMentioning(home.path()), QStringList());
        QCOMPARE(WorkingFiles(home.dataFolder()), QStringList());
        // Ctrl+C is a decision; a logout leaves the batch to be taken up again.
        QCOMPARE(QFile::exists(BatchRecordFile::path(home.dataFolder())), signalNumber == SIGTERM);
        // Only complete files: those reported converted, nothing half-written.
        const QList<QJsonObject> events = JsonEvents(seen);
        QStringList converted;
        for (const QJsonObject &result : EventsOf(events, u"result"_s)) {
            if (result.value(u"converted"_s).toBool())
                converted << QFileInfo(result.value(u"output"_s).toString()).fileName();
        }
        QVERIFY(converted.size() < 2);
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::System), converted);
        QCOMPARE(events.last().value(u"event"_s).toString(), u"done"_s);
        QCOMPARE(events.last().value(u"cancelled"_s).toBool(), true);
    }

    // Killed outright, the program cannot clean up; the batch must still end
    // on its own, leave no half-written output, and not block the next batch.
    void fitsTwoFilesIntoASize() {
        // Files of different lengths share the size by their lengths; all
        // together they fill 97% to 100% of it, each its own share at most.
        TestHome home;
        const QString longer = home.path() + u"/longer.mp4"_s;
        QVERIFY(MakeClip(longer, {6.0, 320, 240, 25, true, true, {}}));
        const QString out = home.path() + u"/out"_s;
        const CliResult cli = RunCli({u"--fit"_s, u"1M"_s, u"-o"_s, out, m_wide, longer});
        QVERIFY2(cli.exitCode == 0, cli.err.constData());
        QVERIFY2(cli.out.contains("Fitting into 1.0 MB: video at "), cli.out.constData());
        qint64 total = 0;
        const QFileInfoList outputs = QDir(out).entryInfoList(QDir::Files);
        QCOMPARE(outputs.size(), 2);
        for (const QFileInfo &output : outputs)
            total += output.size();
        QVERIFY2(total >= 970000 && total <= 1000000, qPrintable(QString::number(total)));
        QVERIFY(outputs[0].size() > outputs[1].size()); // "longer" before "wide clip"
    }

    // Ctrl+Z stops both lanes, then the program; fg takes them up again and
    // each file is converted once.
    void stopAndContinue() {
        TestHome home;
        const QString in = home.makeFolder(u"in"_s);
        const QStringList clips{in + u"/a.avi"_s, in + u"/b.avi"_s};
        QVERIFY(MakeClip(clips[0], {6.0, 1280, 720, 25, true, true, {}}));
        QVERIFY(QFile::copy(clips[0], clips[1]));
        const QString out = home.path() + u"/out"_s;

        QProcess cli;
        cli.start(TestPaths::binary(u"mobivert-cli"_s),
                  QStringList{u"--json"_s, u"--jobs"_s, u"2"_s, u"-o"_s, out} + clips);
        QVERIFY(cli.waitForStarted());
        const pid_t pid = pid_t(cli.processId());
        QByteArray seen;
        QVERIFY(QTest::qWaitFor(
            [&] {
                seen += cli.readAllStandardOutput();
                return seen.count("\"event\":\"file\"") == 2;
            },
            kPatienceMs));
        ::kill(pid, SIGTSTP);
        // The program, both lanes' shells and their converters.
        QVERIFY(QTest::qWaitFor(
            [&] {
                const QString states = ProcessStatesMentioning(home.path());
                return states.size() >= 3 && states.count(u'T') == states.size();
            },
            kPatienceMs));
        ::kill(pid, SIGCONT);
        QVERIFY(cli.waitForFinished(kPatienceMs));
        seen += cli.readAllStandardOutput();
        QCOMPARE(cli.exitCode(), 0);
        const QList<QJsonObject> events = JsonEvents(seen);
        QCOMPARE(EventsOf(events, u"paused"_s).size(), 1);
        QCOMPARE(EventsOf(events, u"continued"_s).size(), 1);
        QCOMPARE(QDir(out).entryList(QDir::Files), (QStringList{u"a.m4v"_s, u"b.m4v"_s}));
        for (const QJsonObject &result : EventsOf(events, u"result"_s))
            QVERIFY(result.value(u"converted"_s).toBool());
        QCOMPARE(WorkingFiles(home.dataFolder()), QStringList());
    }

    // Two files side by side: the kill takes both lanes, stopped ones too.
    void killedProgramLeavesNoBatchRunning_data() {
        QTest::addColumn<bool>("paused");
        QTest::newRow("converting") << false;
        QTest::newRow("paused") << true;
    }

    void killedProgramLeavesNoBatchRunning() {
        QFETCH(bool, paused);
        TestHome home;
        const QString in = home.makeFolder(u"in"_s);
        const QString clip = in + u"/long.mp4"_s;
        QVERIFY(MakeClip(clip, {8.0, 1280, 720, 30, true, true, {u"-c:v"_s, u"mpeg4"_s}}));
        const QString out = home.path() + u"/out"_s;

        QProcess cli;
        cli.start(
            TestPaths::binary(u"mobivert-cli"_s),
            {u"--json"_s, u"--jobs"_s, u"2"_s, u"--profile"_s, u"6"_s, u"-o"_s, out, clip, clip});
        QVERIFY(cli.waitForStarted());
        QByteArray seen;
        QVERIFY(QTest::qWaitFor(
            [&] {
                seen += cli.readAllStandardOutput();
                return seen.contains("\"event\":\"progress\"");
            },
            120000));
        if (paused) {
            ::kill(pid_t(cli.processId()), SIGTSTP);
            QVERIFY(QTest::qWaitFor(
                [&] {
                    const QString states = ProcessStatesMentioning(home.path());
                    return states.size() >= 3 && states.count(u'T') == states.size();
                },
                kPatienceMs));
        }
        ::kill(pid_t(cli.processId()), SIGKILL);
        QVERIFY(cli.waitForFinished(kPatienceMs));

        QTRY_COMPARE_WITH_TIMEOUT(ProcessesMentioning(home.path()), QStringList(), kPatienceMs);
        // A file may have been finished just before the kill (on a slow build
        // both may); whatever is there is whole, nothing is half-written.
        const QStringList left = QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &name : left) {
            const double seconds = Probe(out + u'/' + name)
                                       .value(u"format"_s)
                                       .toObject()
                                       .value(u"duration"_s)
                                       .toString()
                                       .toDouble();
            QVERIFY2(qAbs(seconds - 8.0) < 0.5, qPrintable(name));
        }

        // The dead program's lock is stale: the next batch runs.
        const ProgramResult next =
            RunProgram(TestPaths::binary(u"mobivert-cli"_s), {u"-o"_s, out, clip});
        QVERIFY2(next.exitCode == 0, next.output.constData());
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), left.size() + 1);
    }

    // "make run" on a machine without a display converts a demo clip.
    void runScriptConvertsWithoutADisplay() {
        TestHome home;
        ProgramOptions options;
        options.environment.remove(u"DISPLAY"_s);
        options.environment.remove(u"WAYLAND_DISPLAY"_s);
        options.environment.insert(u"TMPDIR"_s, home.path());
        const ProgramResult run = RunProgram(
            u"/bin/sh"_s, {TestPaths::sourceDir() + u"/scripts/run.sh"_s, TestPaths::buildDir()},
            options);
        QVERIFY2(run.exitCode == 0, run.output.constData());
        const QString expected = home.path() + u"/Converted Video Files/mobivert-demo.m4v"_s;
        QVERIFY2(run.output.contains(
                     QByteArray("The converted demo clip is: " + QFile::encodeName(expected))),
                 run.output.constData());
        QCOMPARE(ProbeStream(Probe(expected), u"video"_s).value(u"codec_name"_s).toString(),
                 u"h264"_s);
        // The demo's source was a temporary file.
        QCOMPARE(QDir(home.path()).entryList({u"tmp.*"_s}, QDir::Dirs), QStringList());
    }
};

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
