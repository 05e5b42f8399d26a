#pragma once

#include <QImage>
#include <QWidget>

class ClickableLabel;
class QLabel;

// The left device strip: four device entries (picture, caption, and an
// invisible click area over both) on a blue-to-green gradient.
class DeviceStrip final : public QWidget {
    Q_OBJECT
public:
    explicit DeviceStrip(QWidget *parent = nullptr);

    // The gradient's colours; the main window paints the strip while it loads.
    void paintGradient(const QColor &start, const QColor &end);
    bool isPainted() const { return m_start.isValid(); }

    QLabel *imgiPod = nullptr, *imgZune = nullptr, *imgPSP = nullptr, *imgMobilePhone = nullptr;
    QLabel *lbliPod = nullptr, *lblZune = nullptr, *lblPSP = nullptr, *lblMobilePhone = nullptr;
    ClickableLabel *lbliPodClickArea = nullptr, *lblZuneClickArea = nullptr,
                   *lblPSPClickArea = nullptr, *lblMobilePhoneClickArea = nullptr;

signals:
    // The right button went down on the strip where no click area lies.
    void rightButtonPressed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QColor m_start, m_end;
    QImage m_gradient;
};
