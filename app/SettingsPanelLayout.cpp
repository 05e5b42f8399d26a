#include "app/SettingsPanelLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

SettingsPanelLayout::SettingsPanelLayout(QWidget *panel)
    : m_panel(panel)
    , m_grid(new QGridLayout(panel)) {
    m_grid->setContentsMargins(8, 8, 8, 8);
    m_grid->setHorizontalSpacing(10);
    m_grid->setVerticalSpacing(8);
}

std::tuple<QLabel *, QComboBox *>
SettingsPanelLayout::addBox(int row, int column, const char16_t *labelName, const char16_t *caption,
                            const char16_t *boxName, QWidget *trailing) {
    auto *label = new QLabel(QString::fromUtf16(caption), m_panel);
    label->setObjectName(QString::fromUtf16(labelName));
    auto *box = new QComboBox(m_panel);
    box->setObjectName(QString::fromUtf16(boxName));
    box->setMinimumWidth(130);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    label->setBuddy(box);

    m_grid->addWidget(label, row, column * 2, Qt::AlignRight);
    if (trailing) {
        auto *pair = new QHBoxLayout;
        pair->setSpacing(4);
        pair->addWidget(box, 1);
        pair->addWidget(trailing);
        m_grid->addLayout(pair, row, column * 2 + 1);
    } else {
        m_grid->addWidget(box, row, column * 2 + 1);
    }
    return {label, box};
}

QCheckBox *SettingsPanelLayout::addCheckBox(int row, int column, const char16_t *name,
                                            const char16_t *caption,
                                            const QList<QWidget *> &trailing) {
    auto *check = new QCheckBox(QString::fromUtf16(caption), m_panel);
    check->setObjectName(QString::fromUtf16(name));
    if (trailing.isEmpty()) {
        m_grid->addWidget(check, row, column * 2 + 1);
        return check;
    }
    auto *line = new QHBoxLayout;
    line->setSpacing(6);
    line->addWidget(check);
    for (QWidget *widget : trailing)
        line->addWidget(widget);
    line->addStretch(1);
    m_grid->addLayout(line, row, column * 2 + 1, 1, -1);
    return check;
}

void SettingsPanelLayout::finish(int rowCount) {
    m_grid->setColumnStretch(1, 1);
    m_grid->setColumnStretch(3, 1);
    m_grid->setRowStretch(rowCount, 1);
}
