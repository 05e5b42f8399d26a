#include "app/filelist/frmTrimVideo.h"

#include "app/filelist/FileListItems.h"
#include "app/filelist/FramePicture.h"
#include "app/widgets/GUIFunctions.h"
#include "app/widgets/WizardHeader.h"
#include "core/base/Prompts.h"
#include "core/filelist/TrimTimes.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>
#include <limits>

namespace {

QLineEdit *timeBox(QWidget *parent, const QString &name, const QString &text) {
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setAlignment(Qt::AlignCenter);
    box->setFixedWidth(44);
    return box;
}

QLabel *namedLabel(QWidget *parent, const QString &name, const QString &text) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// The boxes of a time in seconds.
TimeFields boxTexts(qint64 seconds) {
    return SplitTimeText(FormatTrimTime(seconds));
}

// Stores the trim times (nothing: not trimmed) in the list's row.
void storeTrim(QTreeWidgetItem *item, std::optional<qint64> begin, std::optional<qint64> end) {
    if (!item)
        return;
    FileListRow row = ReadFileListRow(item);
    row.BeginTime = begin;
    row.EndTime = end;
    WriteFileListRow(item, row);
}

QLabel *colon(QWidget *parent) {
    return new QLabel(QStringLiteral(":"), parent);
}

void fill(QLineEdit *hours, QLineEdit *minutes, QLineEdit *seconds, const TimeFields &time) {
    hours->setText(time.Hours);
    minutes->setText(time.Minutes);
    seconds->setText(time.Seconds);
}

TimeFields fieldsOf(const QLineEdit *hours, const QLineEdit *minutes, const QLineEdit *seconds) {
    return {hours->text(), minutes->text(), seconds->text()};
}

const QSize FrameBox{240, 135};

} // namespace

frmTrimVideo::frmTrimVideo(QTreeWidget *list, QWidget *parent)
    : QDialog(parent)
    , m_list(list) {
    setObjectName(QStringLiteral("frmTrimVideo"));
    setWindowTitle(QStringLiteral("Trim Video File"));
    setFont(VerdanaFont());
    buildLayout();

    connect(cmdSet, &QPushButton::clicked, this, &frmTrimVideo::cmdSet_Click);
    connect(cmdDoNotTrim, &QPushButton::clicked, this, &frmTrimVideo::cmdDoNotTrim_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmTrimVideo::cmdClose_Click);
    for (QLineEdit *box : {txtStartTimeHours, txtStartTimeMinutes, txtStartTimeSeconds,
                           txtEndTimeHours, txtEndTimeMinutes, txtEndTimeSeconds})
        box->installEventFilter(this);

    Form_Load();
    connectFrames();
}

void frmTrimVideo::buildLayout() {
    header = new WizardHeader(QStringLiteral("Trim Video File"),
                              QStringLiteral("Trim the selected video file..."), this);

    txtStartTimeHours = timeBox(this, QStringLiteral("txtStartTimeHours"), QStringLiteral("00"));
    txtStartTimeMinutes =
        timeBox(this, QStringLiteral("txtStartTimeMinutes"), QStringLiteral("00"));
    txtStartTimeSeconds =
        timeBox(this, QStringLiteral("txtStartTimeSeconds"), QStringLiteral("00"));
    txtEndTimeHours = timeBox(this, QStringLiteral("txtEndTimeHours"), QString());
    txtEndTimeMinutes = timeBox(this, QStringLiteral("txtEndTimeMinutes"), QString());
    txtEndTimeSeconds = timeBox(this, QStringLiteral("txtEndTimeSeconds"), QString());
    lblHr = namedLabel(this, QStringLiteral("lblHr"), QStringLiteral("00"));
    lblMin = namedLabel(this, QStringLiteral("lblMin"), QStringLiteral("00"));
    lblSec = namedLabel(this, QStringLiteral("lblSec"), QStringLiteral("00"));
    lblIsSet = namedLabel(this, QStringLiteral("lblIsSet"), QStringLiteral("$status$"));
    lblIsSet->setAutoFillBackground(true);
    lblIsSet->setAlignment(Qt::AlignCenter);
    lblIsSet->setMargin(4);

    cmdSet = new QPushButton(QStringLiteral("&Set"), this);
    cmdSet->setObjectName(QStringLiteral("cmdSet"));
    cmdSet->setFont(VerdanaFont(8.25, true));
    cmdSet->setDefault(true);
    cmdDoNotTrim = new QPushButton(QStringLiteral("&Do not trim"), this);
    cmdDoNotTrim->setObjectName(QStringLiteral("cmdDoNotTrim"));
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));

    auto *times = new QGridLayout;
    const auto addTime = [&](int row, const QString &caption, QWidget *hours, QWidget *minutes,
                             QWidget *seconds) {
        times->addWidget(new QLabel(caption, this), row, 0);
        times->addWidget(hours, row, 1);
        times->addWidget(colon(this), row, 2);
        times->addWidget(minutes, row, 3);
        times->addWidget(colon(this), row, 4);
        times->addWidget(seconds, row, 5);
    };
    addTime(0, QStringLiteral("Start Time (hh:mm:ss)"), txtStartTimeHours, txtStartTimeMinutes,
            txtStartTimeSeconds);
    addTime(1, QStringLiteral("End Time (hh:mm:ss)"), txtEndTimeHours, txtEndTimeMinutes,
            txtEndTimeSeconds);
    addTime(2, QStringLiteral("Total Duration:"), lblHr, lblMin, lblSec);
    for (QLabel *total : {lblHr, lblMin, lblSec})
        total->setAlignment(Qt::AlignCenter);
    times->setColumnStretch(6, 1);

    picStartFrame = new FramePicture(FrameBox, this);
    picStartFrame->setObjectName(QStringLiteral("picStartFrame"));
    picStartFrame->setToolTip(QStringLiteral("The frame at the start time"));
    picEndFrame = new FramePicture(FrameBox, this);
    picEndFrame->setObjectName(QStringLiteral("picEndFrame"));
    picEndFrame->setToolTip(QStringLiteral("The frame at the end time"));
    auto *frames = new QHBoxLayout;
    frames->addWidget(picStartFrame);
    frames->addStretch(1);
    frames->addWidget(picEndFrame);
    sldTime = new QSlider(Qt::Horizontal, this);
    sldTime->setObjectName(QStringLiteral("sldTime"));
    sldTime->setToolTip(QStringLiteral("Sets the start or end time, whichever you are editing"));

    auto *instruction = new QLabel(
        QStringLiteral("Please, set the start and end time of the selected video file..."), this);
    instruction->setWordWrap(true);
    auto *note = new QLabel(
        QStringLiteral("Note: these settings will not affect your original file."), this);
    note->setWordWrap(true);

    auto *body = WizardBody(this, header);
    body->setSpacing(8);
    body->addWidget(instruction);
    body->addLayout(times);
    body->addLayout(frames);
    body->addWidget(sldTime);
    body->addWidget(lblIsSet);
    body->addWidget(note);
    body->addLayout(ButtonRow({cmdSet, cmdDoNotTrim, cmdClose}));

    setMinimumWidth(2 * FrameBox.width() + 60);

    setTabOrder(txtStartTimeHours, txtStartTimeMinutes);
    setTabOrder(txtStartTimeMinutes, txtStartTimeSeconds);
    setTabOrder(txtStartTimeSeconds, txtEndTimeHours);
    setTabOrder(txtEndTimeHours, txtEndTimeMinutes);
    setTabOrder(txtEndTimeMinutes, txtEndTimeSeconds);
    setTabOrder(txtEndTimeSeconds, cmdSet);
    setTabOrder(cmdSet, cmdDoNotTrim);
    setTabOrder(cmdDoNotTrim, cmdClose);
    setTabOrder(cmdClose, sldTime);
}

QTreeWidgetItem *frmTrimVideo::currentRow() const {
    return CurrentFileListItem(m_list);
}

void frmTrimVideo::Form_Load() {
    const FileListRow row = ReadFileListRow(currentRow());
    const TimeFields duration = boxTexts(row.Duration);
    TotalDuration = row.Duration;

    if (row.IsTrimmed()) {
        fill(txtStartTimeHours, txtStartTimeMinutes, txtStartTimeSeconds, boxTexts(*row.BeginTime));
        fill(txtEndTimeHours, txtEndTimeMinutes, txtEndTimeSeconds, boxTexts(*row.EndTime));
        showTrimState(QStringLiteral("The selected video file is currently set to be trimmed."),
                      IsSetColour);
    } else {
        fill(txtStartTimeHours, txtStartTimeMinutes, txtStartTimeSeconds,
             {QStringLiteral("00"), QStringLiteral("00"), QStringLiteral("00")});
        fill(txtEndTimeHours, txtEndTimeMinutes, txtEndTimeSeconds, duration);
        showTrimState(QStringLiteral("The selected video file is currently NOT set to be trimmed."),
                      IsNotSetColour);
    }
    lblHr->setText(duration.Hours);
    lblMin->setText(duration.Minutes);
    lblSec->setText(duration.Seconds);

    txtStartTimeHours->setFocus();
    SelectAll(txtStartTimeHours);
}

void frmTrimVideo::showTrimState(const QString &text, const QColor &colour) {
    lblIsSet->setText(text);
    QPalette palette = lblIsSet->palette();
    palette.setColor(QPalette::Window, colour);
    lblIsSet->setPalette(palette);
}

void frmTrimVideo::SelectAll(QLineEdit *box) {
    box->setSelection(0, int(box->text().size()));
}

void frmTrimVideo::connectFrames() {
    const QString path = ReadFileListRow(currentRow()).Filepath;
    picStartFrame->setFile(path);
    picEndFrame->setFile(path);
    sldTime->setRange(0, int(std::min<qint64>(TotalDuration, std::numeric_limits<int>::max())));
    sldTime->setPageStep(std::max(1, sldTime->maximum() / 20));
    sldTime->setEnabled(TotalDuration > 0);
    for (const bool start : {true, false}) {
        const auto boxes =
            start ? std::array{txtStartTimeHours, txtStartTimeMinutes, txtStartTimeSeconds}
                  : std::array{txtEndTimeHours, txtEndTimeMinutes, txtEndTimeSeconds};
        for (QLineEdit *box : boxes)
            connect(box, &QLineEdit::textChanged, this, [this, start] { timeTyped(start); });
    }
    connect(sldTime, &QSlider::valueChanged, this, &frmTrimVideo::sldTime_ValueChanged);

    // The frames of the times loaded are wanted at once.
    picStartFrame->showTimeNow(double(typedSeconds(true).value_or(0)));
    picEndFrame->showTimeNow(double(typedSeconds(false).value_or(0)));
    followWithSlider(true);
}

std::optional<qint64> frmTrimVideo::typedSeconds(bool start) const {
    return start ? TimeFieldsToSeconds(
                       fieldsOf(txtStartTimeHours, txtStartTimeMinutes, txtStartTimeSeconds))
                 : TimeFieldsToSeconds(
                       fieldsOf(txtEndTimeHours, txtEndTimeMinutes, txtEndTimeSeconds));
}

void frmTrimVideo::timeTyped(bool start) {
    const std::optional<qint64> seconds = typedSeconds(start);
    if (!seconds)
        return; // the picture stays until the time reads as one again
    (start ? picStartFrame : picEndFrame)->showTime(double(*seconds));
    if (start == m_sliderSetsStart && !m_writingFromSlider)
        followWithSlider(start);
}

void frmTrimVideo::followWithSlider(bool start) {
    m_sliderSetsStart = start;
    if (const std::optional<qint64> seconds = typedSeconds(start)) {
        const QSignalBlocker quiet(sldTime);
        sldTime->setValue(int(std::min<qint64>(*seconds, sldTime->maximum())));
    }
}

void frmTrimVideo::sldTime_ValueChanged(int seconds) {
    const TimeFields time = boxTexts(seconds);
    m_writingFromSlider = true;
    if (m_sliderSetsStart)
        fill(txtStartTimeHours, txtStartTimeMinutes, txtStartTimeSeconds, time);
    else
        fill(txtEndTimeHours, txtEndTimeMinutes, txtEndTimeSeconds, time);
    m_writingFromSlider = false;
}

bool frmTrimVideo::eventFilter(QObject *watched, QEvent *event) {
    // The slider sets the time whose boxes last had the focus.
    if (event->type() == QEvent::FocusIn) {
        for (QLineEdit *box : {txtStartTimeHours, txtStartTimeMinutes, txtStartTimeSeconds})
            if (watched == box)
                followWithSlider(true);
        for (QLineEdit *box : {txtEndTimeHours, txtEndTimeMinutes, txtEndTimeSeconds})
            if (watched == box)
                followWithSlider(false);
    }
    // A click in a box selects its whole text. The box handles the release
    // first (it may clear a selection there), then the text is selected.
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (auto *box = qobject_cast<QLineEdit *>(watched)) {
            static_cast<QObject *>(box)->event(event);
            SelectAll(box);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmTrimVideo::cmdSet_Click() {
    const TrimCheck check = CheckTrimTimes(
        fieldsOf(txtStartTimeHours, txtStartTimeMinutes, txtStartTimeSeconds),
        fieldsOf(txtEndTimeHours, txtEndTimeMinutes, txtEndTimeSeconds), TotalDuration);
    if (check.Verdict != TrimVerdict::Accepted) {
        prompts().exclamation(this, TrimVerdictMessage(check.Verdict, TotalDuration));
        return;
    }
    storeTrim(currentRow(), check.BeginTime, check.EndTime);
    accept();
}

void frmTrimVideo::cmdDoNotTrim_Click() {
    storeTrim(currentRow(), std::nullopt, std::nullopt);
    accept();
}

void frmTrimVideo::cmdClose_Click() {
    reject();
}
