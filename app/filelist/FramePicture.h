#pragma once

#include "core/filelist/FrameLoader.h"

#include <QLabel>
#include <QTimer>

// A box that shows one frame of a video file, decoded off the interface
// thread. A time asked with showTime() is decoded shortly after the last
// call, so typing or dragging asks for one frame, not one per keystroke.
// A file without a decodable picture shows "No picture".
class FramePicture final : public QLabel {
    Q_OBJECT
public:
    static inline const QString NoPictureText = QStringLiteral("No picture");
    // How long a time must stay unchanged before its frame is decoded.
    static constexpr int SettleMs = 150;

    FramePicture(const QSize &box, QWidget *parent = nullptr);

    void setFile(const QString &path);
    // The frame at `seconds`, once the time has settled; showTimeNow at once.
    void showTime(double seconds);
    void showTimeNow(double seconds);

    // What is on display: a picture (and the time of its frame), "No
    // picture", or nothing yet.
    bool hasPicture() const { return !pixmap().isNull(); }
    bool showsNoPicture() const { return text() == NoPictureText; }
    double frameSeconds() const { return m_frameSeconds; }
    // A time is waiting to settle or being decoded.
    bool isLoading() const { return m_settle.isActive() || m_loader->isBusy(); }

private:
    void show(const FrameLoader::Result &result);

    FrameLoader *m_loader = nullptr;
    QTimer m_settle;
    double m_wanted = 0;
    double m_frameSeconds = 0;
};
