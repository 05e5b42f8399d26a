// Makes the screenshots of the documentation: the main window with a few
// clips in its list, its output panel for the PSP with a (stand-in) Memory
// Stick mounted, the trim dialog and the preview of the first clip, the
// conversion window during a run (with the time left) and after it, the
// conversion window converting two files at once, and the list with each
// row's outcome after that batch, in which one file could not be converted,
// and the properties of a file with two sound tracks and subtitles, named
// like a TV episode.
// The trim dialog, the preview, the list's outcomes and the properties go into manual/,
// which ships with the application.
// Usage: mobivert-screenshots OUTPUT_FOLDER (run under a display or
// QT_QPA_PLATFORM=offscreen; the clips and settings live in a temporary home).
#include "app/FileListController.h"
#include "app/OutputDirectoryPanel.h"
#include "app/SettingsArea.h"
#include "app/VideoSettingsPanel.h"
#include "app/WindowControls.h"
#include "app/convert/LaneProgressView.h"
#include "app/convert/frmPreview.h"
#include "app/convert/frmProcessing.h"
#include "app/filelist/FramePicture.h"
#include "app/filelist/VideoFileAdder.h"
#include "app/filelist/frmFileProperties.h"
#include "app/filelist/frmTrimVideo.h"
#include "app/frmMain.h"
#include "app/widgets/GUIFunctions.h"
#include "core/platform/ApplicationFolder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

#include <algorithm>

namespace {

bool makeClip(const QString &path, const QString &size, int seconds) {
    return QProcess::execute(
               QStringLiteral("ffmpeg"),
               {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                QStringLiteral("-i"),
                QStringLiteral("testsrc2=size=%1:rate=25:duration=%2").arg(size).arg(seconds),
                QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                QStringLiteral("sine=duration=%1").arg(seconds), QStringLiteral("-c:v"),
                QStringLiteral("libx264"), QStringLiteral("-preset"), QStringLiteral("ultrafast"),
                path}) == 0;
}

// 1440x1080 H.264 shown at 16:9, sound in English (stereo) and French (5.1,
// the default), and English subtitles.
bool makeTwoLanguageClip(const QString &path) {
    QTemporaryDir folder;
    QFile subtitles(folder.filePath(QStringLiteral("words.srt")));
    if (!subtitles.open(QIODevice::WriteOnly) ||
        subtitles.write("1\n00:00:00,000 --> 00:00:02,000\nBravo!\n") < 0)
        return false;
    subtitles.close();
    const QStringList arguments =
        QStringLiteral(
            "-nostdin -loglevel error -y -f lavfi -i testsrc2=size=1440x1080:rate=25:duration=2 "
            "-f lavfi -i sine=frequency=440:duration=2 -f lavfi -i sine=frequency=880:duration=2")
            .split(u' ');
    const QStringList encoding =
        QStringLiteral("-map 0 -map 1 -map 2 -map 3 -c:v libx264 -preset ultrafast -aspect 16:9 "
                       "-c:a:0 aac -ac:a:0 2 -c:a:1 ac3 -ac:a:1 6 -c:s srt "
                       "-metadata:s:a:0 language=eng -metadata:s:a:1 language=fra "
                       "-metadata:s:s:0 language=eng -disposition:a:0 0 -disposition:a:1 default")
            .split(u' ');
    return QProcess::execute(QStringLiteral("ffmpeg"),
                             arguments + QStringList{QStringLiteral("-i"), subtitles.fileName()} +
                                 encoding + QStringList{path}) == 0;
}

// Runs `steps` on the modal dialog that `open` shows, then closes it.
template<typename Dialog>
void onDialog(QAction *open, const std::function<void(Dialog *)> &steps) {
    QTimer::singleShot(0, [steps] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        steps(dialog);
        dialog->reject();
    });
    open->trigger();
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
    QApplication::setFont(VerdanaFont());
    const QString output = QApplication::arguments().value(1, QStringLiteral("."));

    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + u"/.config"));
    const QStringList clips{home.path() + u"/Holiday in Lisbon.mp4",
                            home.path() + u"/Birthday party.mp4",
                            home.path() + u"/Concert (front row).mp4"};
    const QStringList sizes{QStringLiteral("1280x720"), QStringLiteral("640x480"),
                            QStringLiteral("854x480")};
    for (int i = 0; i < clips.size(); ++i) {
        if (!makeClip(clips[i], sizes[i], 20 + 7 * i))
            return 1;
    }

    frmMain window;
    window.Form_Load(QString());
    window.resize(860, 660);
    window.show();
    window.fileList().adder().AddDroppedFiles(clips);
    QTest::qWait(1500);
    Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")
        ->txtOutputDirectory->setText(home.path() + u"/Converted Video Files");
    window.grab().save(output + u"/screenshot.png");
    // The Video tab with its two options of the user's own, as the manual shows it.
    Child<SettingsArea>(window, "settingsArea")->showPanel(SettingsArea::Panel::Video);
    Child<VideoSettingsPanel>(window, "frmVideoSettings")->chkVideoTwoPass->setChecked(true);
    Child<VideoSettingsPanel>(window, "frmVideoSettings")->chkVideoFitBatch->setChecked(true);
    Child<VideoSettingsPanel>(window, "frmVideoSettings")->txtVideoFitBatchSize->setValue(1000);
    QDir().mkpath(output + u"/manual");
    window.grab().save(output + u"/manual/video-tab.png");
    Child<VideoSettingsPanel>(window, "frmVideoSettings")->chkVideoTwoPass->setChecked(false);
    Child<VideoSettingsPanel>(window, "frmVideoSettings")->chkVideoFitBatch->setChecked(false);
    window.grab().save(output + u"/screenshot-video.png");
    Child<SettingsArea>(window, "settingsArea")->showPanel(SettingsArea::Panel::OutputDirectory);

    // The trim dialog on the first clip, a start time typed, and the preview;
    // the manual shows them, so they go beside it.
    QDir(output).mkpath(QStringLiteral("manual"));
    Child<QTreeWidget>(window, "lvwVideoFiles")
        ->setCurrentItem(Child<QTreeWidget>(window, "lvwVideoFiles")->topLevelItem(0));
    onDialog<frmTrimVideo>(
        Child<QAction>(window, "mnuEdit_TrimVideoFile"), [&](frmTrimVideo *trim) {
            trim->txtStartTimeSeconds->setText(QStringLiteral("04"));
            trim->txtEndTimeSeconds->setText(QStringLiteral("15"));
            if (QTest::qWaitFor(
                    [&] {
                        return !trim->picStartFrame->isLoading() && !trim->picEndFrame->isLoading();
                    },
                    20000)) {
                QTest::qWait(300);
                trim->grab().save(output + u"/manual/screenshot-trim.png");
            }
        });
    // The preview with the first profile (320x240), so that both pictures fit.
    Child<QComboBox>(window, "cmbProfiles")->setCurrentIndex(0);
    onDialog<frmPreview>(Child<QAction>(window, "mnuView_PreviewOutput"), [&](frmPreview *preview) {
        preview->sldPreviewTime->setValue(6);
        if (QTest::qWaitFor([&] { return !preview->isWorking(); }, 60000)) {
            QTest::qWait(500);
            preview->grab().save(output + u"/manual/screenshot-preview.png");
        }
    });
    window.SwitchDevice(QStringLiteral("iPod")); // back to the default profile

    // The PSP's output panel while a Memory Stick is mounted: a folder with
    // a PSP folder, listed as a FAT volume in the mounts the program reads.
    const QString stick = home.path() + u"/media/PSP";
    QDir().mkpath(stick + u"/PSP");
    QFile mounts(home.path() + u"/mountinfo");
    if (mounts.open(QIODevice::WriteOnly))
        mounts.write("40 1 8:17 / " + QFile::encodeName(stick) + " rw - vfat /dev/sdb1 rw\n");
    mounts.close();
    qputenv("MOBIVERT_MOUNTINFO", QFile::encodeName(mounts.fileName()));
    const QString folder = Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")
                               ->txtOutputDirectory->text();
    window.SwitchDevice(QStringLiteral("PSP"));
    Child<SettingsArea>(window, "settingsArea")->showPanel(SettingsArea::Panel::OutputDirectory);
    Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")
        ->chkPSPMemoryStick->setChecked(true);
    QTest::qWait(100);
    window.grab().save(output + u"/screenshot-psp.png");
    Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")
        ->chkPSPMemoryStick->setChecked(false);
    qunsetenv("MOBIVERT_MOUNTINFO");
    window.SwitchDevice(QStringLiteral("iPod"));
    Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")
        ->txtOutputDirectory->setText(folder);
    // The batch hands its files to the library: with no iPod connected, to
    // the playlist, which the end of the batch tells.
    Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")
        ->chkAddToiTunes->setChecked(true);
    Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")
        ->cmbFilesAtOnce->setCurrentText(QStringLiteral("1"));

    // The conversion window: once while the batch runs and tells the time
    // left, once at its end.
    QTimer::singleShot(0, &window, [&] {
        auto *conversion = qobject_cast<frmProcessing *>(QApplication::activeModalWidget());
        if (!conversion)
            return;
        const auto timeLeftShown = [&] {
            return conversion->progress().currentFile() >= 2 &&
                   conversion->lblTime->text().contains(u"left");
        };
        if (QTest::qWaitFor(timeLeftShown, 60000)) {
            QTest::qWait(1500);
            conversion->grab().save(output + u"/screenshot-conversion.png");
        }
        if (QTest::qWaitFor([&] { return conversion->isFinished(); }, 120000)) {
            QTest::qWait(300);
            conversion->grab().save(output + u"/conversion-finished.png");
        }
        conversion->close();
    });
    Child<QAction>(window, "mnuFile_Convert")->trigger();

    // Two files at once, once both lanes are well into their files, with a
    // fourth file that is gone by the time it is converted.
    const QString gone = home.path() + u"/Old camcorder tape.mp4";
    if (!makeClip(gone, QStringLiteral("720x576"), 12))
        return 1;
    window.fileList().adder().AddDroppedFiles({gone});
    QTest::qWait(1000);
    QFile::remove(gone);
    Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")
        ->chkAddToiTunes->setChecked(false);
    Child<OutputDirectoryPanel>(window, "frmOutputDirectorySettings")
        ->cmbFilesAtOnce->setCurrentText(QStringLiteral("2"));
    // The error log at the end is closed as soon as it shows.
    QTimer closeErrorLog;
    QObject::connect(&closeErrorLog, &QTimer::timeout, [] {
        if (QWidget *modal = QApplication::activeModalWidget();
            modal && modal->objectName() == u"frmError")
            modal->close();
    });
    closeErrorLog.start(200);
    QTimer::singleShot(0, &window, [&] {
        auto *conversion = qobject_cast<frmProcessing *>(QApplication::activeModalWidget());
        if (!conversion || !conversion->lanes)
            return;
        const QList<QProgressBar *> &bars = conversion->lanes->bars;
        const auto wellUnderWay = [&] {
            return std::all_of(bars.begin(), bars.end(), [](const QProgressBar *bar) {
                return bar->value() * 3 >= bar->maximum() && bar->value() < bar->maximum();
            });
        };
        if (QTest::qWaitFor(wellUnderWay, 120000))
            conversion->grab().save(output + u"/screenshot-conversion-lanes.png");
        if (!QTest::qWaitFor([&] { return conversion->isFinished(); }, 240000))
            qWarning("the two-lane batch did not finish");
        conversion->close();
    });
    Child<QAction>(window, "mnuFile_Convert")->trigger();
    Child<QTreeWidget>(window, "lvwVideoFiles")->clearSelection();
    QTest::qWait(200);
    window.grab().save(output + u"/manual/screenshot-statuses.png");

    // The properties of a file with two sound tracks and subtitles, stored
    // at 1440x1080 and shown at 16:9: what Mobivert found and the tracks.
    const QString concert = home.path() + u"/Live Sessions S01E03 The Concert.mkv";
    if (!makeTwoLanguageClip(concert))
        return 1;
    window.fileList().adder().AddDroppedFiles({concert});
    QTest::qWait(1000);
    QTreeWidgetItem *concertRow =
        Child<QTreeWidget>(window, "lvwVideoFiles")
            ->topLevelItem(Child<QTreeWidget>(window, "lvwVideoFiles")->topLevelItemCount() - 1);
    Child<QTreeWidget>(window, "lvwVideoFiles")->setCurrentItem(concertRow);
    onDialog<frmFileProperties>(
        Child<QAction>(window, "mnuView_FileProperties"), [&](frmFileProperties *properties) {
            properties->cmbAudioTrack->setCurrentIndex(1);
            QTest::qWait(300);
            properties->grab().save(output + u"/manual/screenshot-properties.png");
        });
    return 0;
}
