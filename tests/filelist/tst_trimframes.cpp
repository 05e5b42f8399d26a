// The trim dialog's frames and slider on real files: the frame at each
// time follows what is typed, the slider writes the time being edited, and
// a file without a picture leaves the dialog working.
#include "app/filelist/FileListItems.h"
#include "app/filelist/FramePicture.h"
#include "app/filelist/frmTrimVideo.h"
#include "core/filelist/TrimTimes.h"
#include "tests/filelist/SampleFiles.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

namespace {

QStringList boxes(const frmTrimVideo *trim) {
    return {trim->txtStartTimeHours->text(),   trim->txtStartTimeMinutes->text(),
            trim->txtStartTimeSeconds->text(), trim->txtEndTimeHours->text(),
            trim->txtEndTimeMinutes->text(),   trim->txtEndTimeSeconds->text()};
}

bool settled(const FramePicture *picture) {
    return !picture->isLoading() && (picture->hasPicture() || picture->showsNoPicture());
}

// Opens the trim dialog on one row of the given file and plays the user.
FileListRow trim(const QString &path, const QString &duration,
                 const std::function<void(frmTrimVideo *)> &steps) {
    FakePrompts prompts;
    auto window = OpenMainWindow();
    QTreeWidgetItem *item = AppendFileListRow(Child<QTreeWidget>(*window, "lvwVideoFiles"));
    FileListRow row;
    row.Duration = TimeTextToSeconds(duration).value_or(0);
    row.VideoSize = QSize(352, 288);
    row.Filepath = path;
    WriteFileListRow(item, row);
    Child<QTreeWidget>(*window, "lvwVideoFiles")->setCurrentItem(item);
    prompts.dialogHandler = [&](QDialog *dialog) {
        auto *trim = qobject_cast<frmTrimVideo *>(dialog);
        trim->show();
        if (QTest::qWaitForWindowExposed(trim))
            steps(trim);
        return trim->result();
    };
    Child<QAction>(*window, "mnuEdit_TrimVideoFile")->trigger();
    return ReadFileListRow(item);
}

} // namespace

class TestTrimFrames : public QObject {
    Q_OBJECT

private slots:
    void framesFollowTheTimesAndTheSlider() {
        TestHome home;
        const QString clip = SampleFiles::makeH264Mp4(home.path()); // 4 s at 25 fps
        const FileListRow row = trim(clip, QStringLiteral("00:00:04"), [](frmTrimVideo *trim) {
            FramePicture *start = trim->picStartFrame;
            FramePicture *end = trim->picEndFrame;
            QTRY_VERIFY_WITH_TIMEOUT(settled(start) && settled(end), kPatienceMs);
            QVERIFY(start->hasPicture() && end->hasPicture());
            QCOMPARE(start->frameSeconds(), 0.0);
            QCOMPARE(end->frameSeconds(), 3.96); // the last frame: the end is past it
            QCOMPARE(trim->sldTime->maximum(), 4);
            QCOMPARE(trim->sldTime->value(), 0);

            // Typed: the start frame follows, and so does the slider.
            trim->txtStartTimeSeconds->setText(QStringLiteral("2"));
            QVERIFY(start->isLoading());
            QTRY_VERIFY_WITH_TIMEOUT(settled(start), kPatienceMs);
            QCOMPARE(start->frameSeconds(), 2.0);
            QCOMPARE(trim->sldTime->value(), 2);
            trim->txtStartTimeSeconds->setText(QStringLiteral("x")); // no time: nothing moves
            QCOMPARE(trim->sldTime->value(), 2);
            trim->txtStartTimeSeconds->setText(QStringLiteral("01"));

            // The slider sets the time whose boxes have the focus.
            trim->txtEndTimeMinutes->setFocus();
            QTRY_COMPARE_WITH_TIMEOUT(trim->sldTime->value(), 4, kPatienceMs);
            trim->sldTime->setValue(3);
            QCOMPARE(boxes(trim), (QStringList{QStringLiteral("00"), QStringLiteral("00"),
                                               QStringLiteral("01"), QStringLiteral("00"),
                                               QStringLiteral("00"), QStringLiteral("03")}));
            QTRY_VERIFY_WITH_TIMEOUT(settled(end) && end->frameSeconds() == 3.0, kPatienceMs);
            trim->sldTime->setFocus(); // the slider's own focus keeps the end time
            trim->sldTime->setValue(2);
            QCOMPARE(trim->txtEndTimeSeconds->text(), QStringLiteral("02"));
            trim->txtStartTimeHours->setFocus();
            QTRY_COMPARE_WITH_TIMEOUT(trim->sldTime->value(), 1, kPatienceMs);
            trim->cmdSet->click();
        });
        QCOMPARE(row.BeginTime, 1);
        QCOMPARE(row.EndTime, 2);
    }

    void aFileWithoutPictureStaysUsable() {
        TestHome home;
        const QString text = SampleFiles::makeTextAsAvi(home.path());
        const FileListRow row = trim(text, QStringLiteral("00:10:00"), [](frmTrimVideo *trim) {
            QTRY_VERIFY_WITH_TIMEOUT(trim->picStartFrame->showsNoPicture() &&
                                         trim->picEndFrame->showsNoPicture(),
                                     kPatienceMs);
            QCOMPARE(trim->picStartFrame->text(), QStringLiteral("No picture"));
            trim->txtEndTimeMinutes->setFocus();
            trim->sldTime->setValue(90);
            QTRY_VERIFY_WITH_TIMEOUT(settled(trim->picEndFrame), kPatienceMs);
            QVERIFY(trim->picEndFrame->showsNoPicture());
            trim->cmdSet->click();
        });
        QCOMPARE(row.BeginTime, 0);
        QCOMPARE(row.EndTime, 90);
    }
};

QTEST_MAIN(TestTrimFrames)
#include "tst_trimframes.moc"
