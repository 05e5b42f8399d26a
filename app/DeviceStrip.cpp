#include "app/DeviceStrip.h"

#include "app/widgets/ClickableLabel.h"
#include "app/widgets/GUIFunctions.h"

#include <QGridLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace {

struct Entry {
    const char16_t *image;
    const char16_t *caption;
    const char16_t *imageName;
    const char16_t *captionName;
    const char16_t *clickAreaName;
};

} // namespace

DeviceStrip::DeviceStrip(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("picLeftMenu"));
    setMinimumWidth(150);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);

    const Entry entries[] = {
        {u"ipod", u"iPod / iPhone", u"imgiPod", u"lbliPod", u"lbliPodClickArea"},
        {u"zune", u"Microsoft Zune", u"imgZune", u"lblZune", u"lblZuneClickArea"},
        {u"psp", u"Sony PSP", u"imgPSP", u"lblPSP", u"lblPSPClickArea"},
        {u"phone", u"Mobile Phone", u"imgMobilePhone", u"lblMobilePhone",
         u"lblMobilePhoneClickArea"},
    };
    QLabel **images[] = {&imgiPod, &imgZune, &imgPSP, &imgMobilePhone};
    QLabel **captions[] = {&lbliPod, &lblZune, &lblPSP, &lblMobilePhone};
    ClickableLabel **clickAreas[] = {&lbliPodClickArea, &lblZuneClickArea, &lblPSPClickArea,
                                     &lblMobilePhoneClickArea};

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 18, 8, 18);
    column->setSpacing(14);
    for (int i = 0; i < 4; ++i) {
        // Picture and caption share one grid cell range with the click area
        // laid over both, so the area takes every click on the entry.
        auto *entry = new QGridLayout;
        entry->setSpacing(2);

        auto *image = new QLabel(this);
        image->setObjectName(QString::fromUtf16(entries[i].imageName));
        image->setPixmap(MobivertImage(QString::fromUtf16(entries[i].image), QSize(56, 56)));
        image->setAlignment(Qt::AlignCenter);
        entry->addWidget(image, 0, 0);

        auto *caption = new QLabel(QString::fromUtf16(entries[i].caption), this);
        caption->setObjectName(QString::fromUtf16(entries[i].captionName));
        caption->setFont(VerdanaFont(8.25, true));
        caption->setAlignment(Qt::AlignCenter);
        SetTextColour(caption, Qt::white);
        entry->addWidget(caption, 1, 0);

        auto *clickArea = new ClickableLabel(this);
        clickArea->setObjectName(QString::fromUtf16(entries[i].clickAreaName));
        clickArea->setCursor(Qt::PointingHandCursor);
        clickArea->setToolTip(QString::fromUtf16(entries[i].caption));
        clickArea->setAccessibleName(QString::fromUtf16(entries[i].caption));
        clickArea->setFocusPolicy(Qt::TabFocus);
        entry->addWidget(clickArea, 0, 0, 2, 1);
        clickArea->raise();

        *images[i] = image;
        *captions[i] = caption;
        *clickAreas[i] = clickArea;
        column->addLayout(entry);
    }
    column->addStretch(1);
}

void DeviceStrip::paintGradient(const QColor &start, const QColor &end) {
    m_start = start;
    m_end = end;
    m_gradient = PaintGradient(size(), m_start, m_end);
    update();
}

void DeviceStrip::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (isPainted())
        m_gradient = PaintGradient(size(), m_start, m_end);
}

void DeviceStrip::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    if (isPainted())
        painter.drawImage(0, 0, m_gradient);
    else
        painter.fillRect(rect(), palette().window());
}

void DeviceStrip::mousePressEvent(QMouseEvent *event) {
    // Presses on a click area go to the area itself and never reach here.
    if (event->button() == Qt::RightButton)
        emit rightButtonPressed();
    event->accept();
}
