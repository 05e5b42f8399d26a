#include "app/MainStatusBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedLayout>

MainStatusBar::MainStatusBar(QWidget *parent)
    : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar"));
    setSizeGripEnabled(true);

    auto *first = new QWidget(this);
    first->setObjectName(QStringLiteral("StatusBarPanel1"));
    first->setFixedWidth(170);
    m_firstPanelStack = new QStackedLayout(first);
    m_firstPanelStack->setStackingMode(QStackedLayout::StackAll);
    m_firstPanelStack->setContentsMargins(2, 1, 2, 1);
    m_panels[0] = new QLabel(QStringLiteral("Version: 1.1"), first);
    m_panels[0]->setToolTip(QStringLiteral("Version: 1.1"));
    m_firstPanelStack->addWidget(m_panels[0]);
    first->installEventFilter(this);
    addWidget(first);

    auto *second = new QWidget(this);
    second->setObjectName(QStringLiteral("StatusBarPanel2"));
    m_secondPanelRow = new QHBoxLayout(second);
    m_secondPanelRow->setContentsMargins(2, 1, 2, 1);
    m_secondPanelRow->setSpacing(12);
    m_panels[1] = new QLabel(second);
    m_secondPanelRow->addWidget(m_panels[1]);
    m_secondPanelRow->addStretch(1);
    second->installEventFilter(this);
    addWidget(second, 1);
}

QLabel *MainStatusBar::panel(int number) const {
    return number == 1 || number == 2 ? m_panels[number - 1] : nullptr;
}

QString MainStatusBar::panelText(int number) const {
    const QLabel *label = panel(number);
    return label ? label->text() : QString();
}

void MainStatusBar::setPanelText(int number, const QString &text) {
    if (QLabel *label = panel(number))
        label->setText(text);
}

void MainStatusBar::inlayOverFirstPanel(QWidget *widget) {
    const bool wasHidden = widget->isHidden();
    m_firstPanelStack->addWidget(widget);
    widget->raise();
    widget->setHidden(wasHidden);
}

void MainStatusBar::inlayIntoSecondPanel(QWidget *widget) {
    const bool wasHidden = widget->isHidden();
    m_secondPanelRow->insertWidget(1, widget);
    widget->setHidden(wasHidden);
}

bool MainStatusBar::eventFilter(QObject *watched, QEvent *event) {
    // The panels' labels ignore double-clicks, which therefore reach the
    // panel containers watched here, once each.
    if (event->type() == QEvent::MouseButtonDblClick)
        emit PanelDblClick(watched == m_panels[0]->parent() ? 1 : 2);
    return QStatusBar::eventFilter(watched, event);
}
