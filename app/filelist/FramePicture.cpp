#include "app/filelist/FramePicture.h"

FramePicture::FramePicture(const QSize &box, QWidget *parent)
    : QLabel(parent)
    , m_loader(new FrameLoader(this)) {
    setFixedSize(box);
    setAlignment(Qt::AlignCenter);
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, [this] { showTimeNow(m_wanted); });
    connect(m_loader, &FrameLoader::frameReady, this, &FramePicture::show);
}

void FramePicture::setFile(const QString &path) {
    m_settle.stop();
    m_loader->setFile(path);
}

void FramePicture::showTime(double seconds) {
    m_wanted = seconds;
    m_settle.start();
}

void FramePicture::showTimeNow(double seconds) {
    m_settle.stop();
    m_wanted = seconds;
    const qreal ratio = devicePixelRatioF();
    const QSize room = contentsRect().size();
    m_loader->request(seconds, QSize(int(room.width() * ratio), int(room.height() * ratio)));
}

void FramePicture::show(const FrameLoader::Result &result) {
    if (result.frame.image.isNull()) {
        setPixmap(QPixmap());
        setText(NoPictureText);
    } else {
        QPixmap picture = QPixmap::fromImage(result.frame.image);
        picture.setDevicePixelRatio(devicePixelRatioF());
        setPixmap(picture);
        m_frameSeconds = result.frame.seconds;
    }
}
