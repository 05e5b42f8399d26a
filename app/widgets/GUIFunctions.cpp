#include "app/widgets/GUIFunctions.h"

#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPalette>

#include <cmath>

QFont VerdanaFont(qreal pointSize, bool bold) {
    QFont font(QStringLiteral("Verdana"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void SetTextColour(QWidget *widget, const QColor &colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

QColor TextColour(const QWidget *widget) {
    return widget->palette().color(QPalette::WindowText);
}

void StyleAsLink(QLabel *label, const QColor &colour) {
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    SetTextColour(label, colour);
    label->setCursor(Qt::PointingHandCursor);
}

QImage PaintGradient(const QSize &size, const QColor &start, const QColor &end) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(start);
    if (size.isEmpty())
        return image;

    QPainter painter(&image);
    // The pen is a fiftieth of the height measured in twips (15 per pixel).
    const int penWidth = std::max(1, static_cast<int>(std::nearbyint(size.height() * 15.0 / 50.0)));
    const auto channel = [](int from, int to, int step) {
        return static_cast<int>(std::nearbyint(from - step * (from - to) / 100.0));
    };
    for (int i = 0; i <= 100; ++i) {
        const QColor colour(channel(start.red(), end.red(), i),
                            channel(start.green(), end.green(), i),
                            channel(start.blue(), end.blue(), i));
        painter.setPen(QPen(colour, penWidth, Qt::SolidLine, Qt::FlatCap));
        const qreal y = i * size.height() / 100.0;
        painter.drawLine(QPointF(0, y), QPointF(size.width(), y));
    }
    return image;
}

QPixmap MobivertImage(const QString &name, const QSize &size) {
    return QIcon(QStringLiteral(":/images/") + name + QStringLiteral(".svg")).pixmap(size);
}

QSize StartingWindowSize(const QSize &designed, const QSize &minimum, const QSize &freeArea) {
    // What a title bar and the window's borders take, outside the window.
    const QSize frame(16, 48);
    return designed.boundedTo(freeArea - frame).expandedTo(minimum);
}
