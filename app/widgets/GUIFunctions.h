#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>

class QLabel;
class QWidget;

// Every text of Mobivert uses Verdana, at 8.25 pt or 9.75 pt.
QFont VerdanaFont(qreal pointSize = 8.25, bool bold = false);

inline const QColor LinkBlue{0, 0, 255};
inline const QColor DarkGrey{64, 64, 64};

// Blue, underlined, with a hand-shaped pointer.
void StyleAsLink(QLabel *label, const QColor &colour = LinkBlue);
void SetTextColour(QWidget *widget, const QColor &colour);
QColor TextColour(const QWidget *widget);

// Paints the device strip's gradient into an image of the given size: 101
// horizontal bands from the start colour at the top to the end colour at
// the bottom, drawn with a pen so broad that each band covers the lower part
// of the one before.
QImage PaintGradient(const QSize &size, const QColor &start, const QColor &end);

// One of Mobivert's own images (the resource :/images/<name>.svg, from app/images)
// at the given size.
QPixmap MobivertImage(const QString &name, const QSize &size);

// A window's size at start: the size it was designed for, within the
// screen's free area with room left for the window manager's title bar
// (a netbook's screen is 600 pixels high), never below its minimum.
QSize StartingWindowSize(const QSize &designed, const QSize &minimum, const QSize &freeArea);
