// The trim command and dialog: when it opens, what it loads, the messages
// of Set in their order, storing and reading back, Do not trim and Close.
#include "app/FileListController.h"
#include "app/filelist/FileListItems.h"
#include "app/filelist/frmTrimVideo.h"
#include "core/filelist/TrimTimes.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace Qt::StringLiterals;

#include <functional>

namespace {

struct Times {
    Times(const QString &hours, const QString &minutes, const QString &seconds)
        : h(hours)
        , m(minutes)
        , s(seconds) {}
    Times(const char *hours, const char *minutes, const char *seconds)
        : Times(QString::fromUtf8(hours), QString::fromUtf8(minutes), QString::fromUtf8(seconds)) {}
    QString h, m, s;
};

void type(QLineEdit *hours, QLineEdit *minutes, QLineEdit *seconds, const Times &time) {
    hours->setText(time.h);
    minutes->setText(time.m);
    seconds->setText(time.s);
}

void typeStart(frmTrimVideo *trim, const Times &time) {
    type(trim->txtStartTimeHours, trim->txtStartTimeMinutes, trim->txtStartTimeSeconds, time);
}

void typeEnd(frmTrimVideo *trim, const Times &time) {
    type(trim->txtEndTimeHours, trim->txtEndTimeMinutes, trim->txtEndTimeSeconds, time);
}

QStringList boxes(const frmTrimVideo *trim) {
    return {trim->txtStartTimeHours->text(),   trim->txtStartTimeMinutes->text(),
            trim->txtStartTimeSeconds->text(), trim->txtEndTimeHours->text(),
            trim->txtEndTimeMinutes->text(),   trim->txtEndTimeSeconds->text()};
}

QStringList totals(const frmTrimVideo *trim) {
    return {trim->lblHr->text(), trim->lblMin->text(), trim->lblSec->text()};
}

// A window whose list holds one row of the given duration, current and
// selected; the prompts play the user in the dialog with the given steps.
class TrimFixture {
public:
    explicit TrimFixture(const QString &duration) {
        window = OpenMainWindow();
        FileListRow row;
        row.Filename = QStringLiteral("holiday");
        row.Codec = QStringLiteral("XVID");
        row.Duration = TimeTextToSeconds(duration).value_or(0);
        row.VideoSize = QSize(640, 480);
        row.Filepath = QStringLiteral("/videos/holiday.avi");
        item = AppendFileListRow(Child<QTreeWidget>(*window, "lvwVideoFiles"));
        WriteFileListRow(item, row);
        Child<QTreeWidget>(*window, "lvwVideoFiles")->setCurrentItem(item);
        prompts.dialogHandler = [this](QDialog *dialog) {
            auto *trim = qobject_cast<frmTrimVideo *>(dialog);
            ++opened;
            if (trim && user)
                user(trim);
            return dialog->result();
        };
    }

    // Opens the dialog through the menu and lets the user act in it.
    void open(const std::function<void(frmTrimVideo *)> &steps) {
        user = steps;
        Child<QAction>(*window, "mnuEdit_TrimVideoFile")->trigger();
    }

    FileListRow row() const { return ReadFileListRow(item); }

    TestHome home;
    FakePrompts prompts;
    std::unique_ptr<frmMain> window;
    QTreeWidgetItem *item = nullptr;
    std::function<void(frmTrimVideo *)> user;
    int opened = 0;
};

const QString NotSetText =
    QStringLiteral("The selected video file is currently NOT set to be trimmed.");
const QString IsSetText = QStringLiteral("The selected video file is currently set to be trimmed.");

} // namespace

class TestTrimDialog : public QObject {
    Q_OBJECT

private slots:
    void refusedWithoutOneSelectedRow() {
        TestHome home;
        FakePrompts prompts;
        int opened = 0;
        prompts.dialogHandler = [&](QDialog *) {
            return ++opened, int(QDialog::Rejected);
        };
        auto window = OpenMainWindow();
        Child<QAction>(*window, "mnuEdit_TrimVideoFile")->trigger();

        for (int i = 0; i < 2; ++i)
            AppendFileListRow(Child<QTreeWidget>(*window, "lvwVideoFiles"))
                ->setText(ColumnDuration, QStringLiteral("00:10:00"));
        Child<QTreeWidget>(*window, "lvwVideoFiles")
            ->setCurrentItem(FileListItem(Child<QTreeWidget>(*window, "lvwVideoFiles"), 2));
        Child<QTreeWidget>(*window, "lvwVideoFiles")->selectAll();
        Child<QAction>(*window, "mnuEdit_TrimVideoFile")->trigger();

        QCOMPARE(prompts.texts(),
                 (QStringList{QStringLiteral("Please, select a video file you would like to "
                                             "trim first."),
                              QStringLiteral("You cannot trim multiple video files at once.\r\n"
                                             "Please, make sure that you have selected only 1 "
                                             "video file.")}));
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Exclamation);
        QCOMPARE(prompts.shown[1].icon, Prompts::Icon::Exclamation);
        QCOMPARE(opened, 0);
    }

    void loadsAnUntrimmedRow() {
        TrimFixture fixture(QStringLiteral("00:10:00"));
        fixture.open([](frmTrimVideo *trim) {
            QCOMPARE(trim->windowTitle(), QStringLiteral("Trim Video File"));
            QCOMPARE(boxes(trim),
                     (QStringList{u"00"_s, u"00"_s, u"00"_s, u"00"_s, u"10"_s, u"00"_s}));
            QCOMPARE(totals(trim), (QStringList{u"00"_s, u"10"_s, u"00"_s}));
            QCOMPARE(trim->lblIsSet->text(), NotSetText);
            QCOMPARE(trim->lblIsSet->palette().color(QPalette::Window), QColor(255, 128, 128));
            QCOMPARE(trim->txtStartTimeHours->selectedText(), QStringLiteral("00"));
            QCOMPARE(trim->TotalDuration, 600);
            QCOMPARE(trim->cmdSet->text(), QStringLiteral("&Set"));
            QVERIFY(trim->cmdSet->font().bold());
            // Tab order: start boxes, end boxes, Set, Do not trim, Close.
            QWidget *step = trim->txtStartTimeHours;
            const QList<QWidget *> order{trim->txtStartTimeMinutes, trim->txtStartTimeSeconds,
                                         trim->txtEndTimeHours,     trim->txtEndTimeMinutes,
                                         trim->txtEndTimeSeconds,   trim->cmdSet,
                                         trim->cmdDoNotTrim,        trim->cmdClose};
            for (QWidget *next : order) {
                step = step->nextInFocusChain();
                while (step->focusPolicy() == Qt::NoFocus)
                    step = step->nextInFocusChain();
                QCOMPARE(step, next);
            }
        });
        QCOMPARE(fixture.opened, 1);
    }

    void messagesOfSetInTheirOrder() {
        TrimFixture fixture(QStringLiteral("00:10:00"));
        QList<QStringList> boxesAfterRefusal;
        QList<int> results;
        QList<bool> trimmed;
        fixture.open([&](frmTrimVideo *trim) {
            const auto set = [&] {
                trim->cmdSet->click();
                boxesAfterRefusal << boxes(trim);
                results << trim->result();
                trimmed << fixture.row().IsTrimmed();
            };
            typeStart(trim, {"00", "05", "00"});
            typeEnd(trim, {"00", "04", "x"});
            set(); // letters
            typeEnd(trim, {"00", "04", ""});
            set(); // empty box
            typeEnd(trim, {"00", "04", "0.5"});
            set(); // a fraction
            typeEnd(trim, {"00", "04", "00"});
            set(); // start after end
            typeEnd(trim, {"00", "05", "00"});
            set(); // no length
            typeEnd(trim, {"00", "10", "01"});
            set(); // end after the total
            typeStart(trim, {"00", "01", "00"});
            typeEnd(trim, {"00", "10", "00"});
            set(); // accepted
        });
        const QString numeric = QStringLiteral(
            "Invalid Start or End Time!\r\nReason: You can only enter numeric values.");
        QCOMPARE(fixture.prompts.texts(),
                 (QStringList{numeric, numeric, numeric,
                              QStringLiteral("The start time you've entered is not valid.\r\n"
                                             "Reason: The Start Time cannot exceed the End Time."),
                              QStringLiteral("The End Time you've entered is not valid.\r\n"
                                             "Reason: The End Time must be after the Start Time."),
                              QStringLiteral("The End Time you've entered is not valid.\r\n"
                                             "Reason: The End Time cannot exceed the Total "
                                             "Duration of: 00:10:00")}));
        for (const FakePrompts::Shown &shown : fixture.prompts.shown)
            QCOMPARE(shown.icon, Prompts::Icon::Exclamation);
        // A refused Set leaves the boxes as typed and the dialog open.
        QCOMPARE(boxesAfterRefusal[0],
                 (QStringList{u"00"_s, u"05"_s, u"00"_s, u"00"_s, u"04"_s, u"x"_s}));
        QCOMPARE(boxesAfterRefusal[5],
                 (QStringList{u"00"_s, u"05"_s, u"00"_s, u"00"_s, u"10"_s, u"01"_s}));
        QCOMPARE(results, (QList<int>{0, 0, 0, 0, 0, 0, int(QDialog::Accepted)}));
        QCOMPARE(trimmed, (QList<bool>{false, false, false, false, false, false, true}));
        QCOMPARE(fixture.item->text(ColumnBeginTime), QStringLiteral("00:01:00"));
        QCOMPARE(fixture.item->text(ColumnEndTime), QStringLiteral("00:10:00"));
    }

    void setAndReadBack_data() {
        QTest::addColumn<QString>("duration");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("begin");
        QTest::addColumn<QString>("end");
        QTest::newRow("a range") << "00:10:00" << QStringList{u"00"_s, u"01"_s, u"00"_s,
                                                              u"00"_s, u"03"_s, u"30"_s}
                                 << "00:01:00"
                                 << "00:03:30";
        QTest::newRow("one second")
            << "00:10:00" << QStringList{u"00"_s, u"02"_s, u"00"_s, u"00"_s, u"02"_s, u"01"_s}
            << "00:02:00"
            << "00:02:01";
        QTest::newRow("the whole file")
            << "00:10:00" << QStringList{u"00"_s, u"00"_s, u"00"_s, u"00"_s, u"10"_s, u"00"_s}
            << "00:00:00"
            << "00:10:00";
        QTest::newRow("one digit each, stored with two")
            << "00:10:00" << QStringList{u"0"_s, u"1"_s, u"5"_s, u"0"_s, u"3"_s, u"0"_s}
            << "00:01:05"
            << "00:03:00";
        QTest::newRow("a file longer than a day")
            << "25:30:00" << QStringList{u"23"_s, u"59"_s, u"00"_s, u"25"_s, u"00"_s, u"00"_s}
            << "23:59:00"
            << "25:00:00";
        QTest::newRow("a hundred hours")
            << "100:05:09" << QStringList{u"99"_s, u"0"_s, u"0"_s, u"100"_s, u"05"_s, u"09"_s}
            << "99:00:00"
            << "100:05:09";
    }

    void setAndReadBack() {
        QFETCH(QString, duration);
        QFETCH(QStringList, typed);
        QFETCH(QString, begin);
        QFETCH(QString, end);
        TrimFixture fixture(duration);
        fixture.open([&](frmTrimVideo *trim) {
            typeStart(trim, {typed[0], typed[1], typed[2]});
            typeEnd(trim, {typed[3], typed[4], typed[5]});
            trim->cmdSet->click();
        });
        QVERIFY2(fixture.prompts.shown.isEmpty(), qPrintable(fixture.prompts.texts().join(u'|')));
        QCOMPARE(fixture.item->text(ColumnBeginTime), begin);
        QCOMPARE(fixture.item->text(ColumnEndTime), end);
        QVERIFY(fixture.row().IsTrimmed());

        fixture.open([&](frmTrimVideo *trim) {
            QCOMPARE(boxes(trim), (begin.split(u':') + end.split(u':')));
            QCOMPARE(totals(trim), duration.split(u':'));
            QCOMPARE(trim->lblIsSet->text(), IsSetText);
            QCOMPARE(trim->lblIsSet->palette().color(QPalette::Window), QColor(128, 255, 128));
            trim->cmdSet->click(); // unchanged values are accepted again
        });
        QCOMPARE(fixture.item->text(ColumnBeginTime), begin);
        QCOMPARE(fixture.item->text(ColumnEndTime), end);
        QVERIFY(fixture.prompts.shown.isEmpty());
    }

    void doNotTrim() {
        TrimFixture fixture(QStringLiteral("00:10:00"));
        fixture.item->setText(ColumnBeginTime, QStringLiteral("00:01:00"));
        fixture.item->setText(ColumnEndTime, QStringLiteral("00:02:00"));
        fixture.open([](frmTrimVideo *trim) {
            QCOMPARE(trim->lblIsSet->text(), IsSetText);
            trim->cmdDoNotTrim->click();
            QCOMPARE(trim->result(), int(QDialog::Accepted));
        });
        QVERIFY(fixture.item->text(ColumnBeginTime).isEmpty());
        QVERIFY(fixture.item->text(ColumnEndTime).isEmpty());
        fixture.open([](frmTrimVideo *trim) {
            QCOMPARE(trim->lblIsSet->text(), NotSetText);
            QCOMPARE(boxes(trim),
                     (QStringList{u"00"_s, u"00"_s, u"00"_s, u"00"_s, u"10"_s, u"00"_s}));
        });
        QVERIFY(fixture.prompts.shown.isEmpty());
    }

    void closeKeepsTheRow_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Close button") << false;
        QTest::newRow("Esc key") << true;
    }

    void closeKeepsTheRow() {
        QFETCH(bool, escape);
        TrimFixture fixture(QStringLiteral("00:10:00"));
        fixture.item->setText(ColumnBeginTime, QStringLiteral("00:01:00"));
        fixture.item->setText(ColumnEndTime, QStringLiteral("00:02:00"));
        const FileListRow before = fixture.row();
        fixture.open([&](frmTrimVideo *trim) {
            trim->show();
            QVERIFY(QTest::qWaitForWindowExposed(trim));
            typeStart(trim, {"00", "03", "00"});
            typeEnd(trim, {"00", "04", "00"});
            if (escape)
                QTest::keyClick(trim->txtEndTimeSeconds, Qt::Key_Escape);
            else
                QTest::mouseClick(trim->cmdClose, Qt::LeftButton);
            QCOMPARE(trim->result(), int(QDialog::Rejected));
            QVERIFY(!trim->isVisible());
        });
        QCOMPARE(fixture.row(), before);
        QVERIFY(fixture.prompts.shown.isEmpty());
    }

    void clickSelectsTheWholeBox() {
        TrimFixture fixture(QStringLiteral("01:23:45"));
        fixture.open([](frmTrimVideo *trim) {
            trim->show();
            QVERIFY(QTest::qWaitForWindowExposed(trim));
            const QList<QLineEdit *> all{trim->txtStartTimeHours,   trim->txtStartTimeMinutes,
                                         trim->txtStartTimeSeconds, trim->txtEndTimeHours,
                                         trim->txtEndTimeMinutes,   trim->txtEndTimeSeconds};
            for (QLineEdit *box : all) {
                box->setText(QStringLiteral("123"));
                box->deselect();
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(3, box->height() / 2));
                QCOMPARE(box->selectedText(), QStringLiteral("123"));
                // A second click on the selected text keeps it selected.
                QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
                QCOMPARE(box->selectedText(), QStringLiteral("123"));
            }
            trim->reject();
        });
    }
};

QTEST_MAIN(TestTrimDialog)
#include "tst_trimdialog.moc"
