#pragma once

#include <QLabel>

// A label that reports clicks: the click areas of the device strip, the tab
// labels, link labels and image buttons.
class ClickableLabel final : public QLabel {
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget *parent = nullptr);
    explicit ClickableLabel(const QString &text, QWidget *parent = nullptr);

signals:
    void clicked();
    void doubleClicked();
    // Any mouse button going down, with the position in the label's coordinates.
    void mousePressed(Qt::MouseButton button, const QPoint &position);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
