#include "widgets/ClickableLabel.h"

#include <QMouseEvent>

ClickableLabel::ClickableLabel(QWidget *parent)
    : QLabel(parent) {}

ClickableLabel::ClickableLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent) {}

void ClickableLabel::mousePressEvent(QMouseEvent *event) {
    emit mousePressed(event->button(), event->position().toPoint());
    event->accept();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent *event) {
    // A click is a left press and release over the label.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    event->accept();
}

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    event->accept();
}
