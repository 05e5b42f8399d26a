#pragma once

#include <QList>
#include <QString>

#include <tuple>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QWidget;

// Lays out a settings panel as two columns of "Caption: [box]" rows with
// check boxes below, so the audio and video panels line up alike.
class SettingsPanelLayout final {
public:
    explicit SettingsPanelLayout(QWidget *panel);

    // A caption and a drop-down list at (row, column); an optional widget
    // (a button) sits right of the box.
    std::tuple<QLabel *, QComboBox *> addBox(int row, int column, const char16_t *labelName,
                                             const char16_t *caption, const char16_t *boxName,
                                             QWidget *trailing = nullptr);
    // A check box at (row, column); optional widgets (a box and its unit)
    // follow it on the same line.
    QCheckBox *addCheckBox(int row, int column, const char16_t *name, const char16_t *caption,
                           const QList<QWidget *> &trailing = {});
    void finish(int rowCount);

private:
    QWidget *m_panel;
    QGridLayout *m_grid;
};
