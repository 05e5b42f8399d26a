#pragma once

#include <QLabel>

// A label that reports clicks: the click areas of the device strip, the tab
// labels, link labels and image buttons. Given a focus policy that takes
// Tab, it shows a focus frame and Space or Enter clicks it.
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
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
