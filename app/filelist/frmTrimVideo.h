#pragma once

#include <QColor>
#include <QDialog>

#include <optional>

class FramePicture;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTreeWidget;
class QTreeWidgetItem;
class WizardHeader;

// The trim dialog: start and end time of the list's current row. It reads
// the row again in every handler and stores the times in the row's Begin
// Time and End Time; the file itself is never touched. It shows the frame
// at each time, and a slider across the file sets the time being edited.
class frmTrimVideo final : public QDialog {
    Q_OBJECT
public:
    // Loads the current row of the list at once.
    explicit frmTrimVideo(QTreeWidget *list, QWidget *parent = nullptr);

    // Selects the whole text of a box.
    void SelectAll(QLineEdit *box);

    WizardHeader *header = nullptr;
    QLineEdit *txtStartTimeHours = nullptr;
    QLineEdit *txtStartTimeMinutes = nullptr;
    QLineEdit *txtStartTimeSeconds = nullptr;
    QLineEdit *txtEndTimeHours = nullptr;
    QLineEdit *txtEndTimeMinutes = nullptr;
    QLineEdit *txtEndTimeSeconds = nullptr;
    QLabel *lblHr = nullptr;
    QLabel *lblMin = nullptr;
    QLabel *lblSec = nullptr;
    QLabel *lblIsSet = nullptr;
    QPushButton *cmdSet = nullptr;
    QPushButton *cmdDoNotTrim = nullptr;
    QPushButton *cmdClose = nullptr;
    FramePicture *picStartFrame = nullptr;
    FramePicture *picEndFrame = nullptr;
    QSlider *sldTime = nullptr;

    // The selected file's total duration in seconds, read at load.
    qint64 TotalDuration = 0;

    static inline const QColor IsSetColour{128, 255, 128};
    static inline const QColor IsNotSetColour{255, 128, 128};

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void Form_Load();
    void cmdSet_Click();
    void cmdDoNotTrim_Click();
    void cmdClose_Click();
    void showTrimState(const QString &text, const QColor &colour);
    QTreeWidgetItem *currentRow() const;

    // The frames and the slider follow the times typed; the slider writes
    // the time whose boxes last had the focus (the start time at first).
    void connectFrames();
    std::optional<qint64> typedSeconds(bool start) const;
    void timeTyped(bool start);
    void sldTime_ValueChanged(int seconds);
    void followWithSlider(bool start);

    QTreeWidget *m_list = nullptr;
    bool m_sliderSetsStart = true;
    bool m_writingFromSlider = false;
};
