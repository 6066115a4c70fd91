#include "dialogs/ColourSwatch.h"

#include <QMouseEvent>
#include <QPainter>

ColourSwatch::ColourSwatch(QWidget* parent) : QWidget(parent) {
    setMinimumSize(40, 20);
    setCursor(Qt::PointingHandCursor);
}

void ColourSwatch::setColour(std::optional<QColor> colour) {
    colour_ = colour;
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    if (colour_) {
        painter.fillRect(r, *colour_);
    } else {
        painter.fillRect(r, palette().color(QPalette::Window));
        painter.setPen(QPen(QColor(255, 0, 0), 1));
        painter.drawLine(r.topLeft(), r.bottomRight());
        painter.drawLine(r.bottomLeft(), r.topRight());
    }
    painter.setPen(isEnabled() ? Qt::black : Qt::gray);
    painter.drawRect(r);
}

void ColourSwatch::mouseReleaseEvent(QMouseEvent* event) {
    if (rect().contains(event->position().toPoint())) emit clicked();
}
