#include "shell/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

void Draw(QPainter& p, int image) {
    const QColor ink(40, 40, 60);
    p.setPen(QPen(ink, 1));
    switch (image) {
        case 0:  // an opening folder
            p.setBrush(QColor(240, 200, 80));
            p.drawRect(1, 4, 14, 10);
            p.setBrush(QColor(250, 225, 130));
            p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(17, 7), QPoint(15, 15), QPoint(1, 15)}));
            break;
        case 1:  // a disk
            p.setBrush(QColor(70, 110, 190));
            p.drawRect(2, 1, 14, 14);
            p.setBrush(Qt::white);
            p.drawRect(5, 2, 8, 5);
            p.setBrush(QColor(200, 200, 210));
            p.drawRect(5, 10, 8, 5);
            break;
        case 2:  // two sheets
            p.setBrush(Qt::white);
            p.drawRect(2, 1, 9, 11);
            p.drawRect(7, 5, 9, 11);
            break;
        case 3:  // a sparkle over a frame
            p.setBrush(QColor(255, 255, 255));
            p.drawRect(1, 3, 12, 12);
            p.setBrush(QColor(230, 60, 160));
            p.drawPolygon(QPolygon({QPoint(13, 0), QPoint(15, 5), QPoint(18, 6), QPoint(15, 8),
                                    QPoint(13, 13), QPoint(11, 8), QPoint(8, 6), QPoint(11, 5)}));
            break;
        case 4:  // a question mark
            p.setBrush(QColor(255, 240, 120));
            p.drawEllipse(1, 0, 15, 15);
            p.setFont(QFont(QStringLiteral("Sans"), 9, QFont::Bold));
            p.drawText(QRect(1, 0, 15, 16), Qt::AlignCenter, QStringLiteral("?"));
            break;
        case 5:  // start
            p.setBrush(QColor(40, 160, 60));
            p.drawPolygon(QPolygon({QPoint(4, 2), QPoint(15, 8), QPoint(4, 14)}));
            break;
        case 6:  // stop
            p.setBrush(QColor(200, 40, 40));
            p.drawRect(4, 3, 10, 10);
            break;
        case 7:  // to the first
            p.setBrush(ink);
            p.drawRect(3, 3, 2, 10);
            p.drawPolygon(QPolygon({QPoint(15, 3), QPoint(6, 8), QPoint(15, 13)}));
            break;
        case 8:  // to the last
            p.setBrush(ink);
            p.drawRect(13, 3, 2, 10);
            p.drawPolygon(QPolygon({QPoint(3, 3), QPoint(12, 8), QPoint(3, 13)}));
            break;
        case 9:  // one frame turning into another
            p.setBrush(QColor(90, 150, 230));
            p.drawRect(1, 2, 8, 8);
            p.setBrush(QColor(240, 150, 60));
            p.drawRect(8, 7, 9, 8);
            break;
        case 10: {  // a banner
            p.setBrush(QColor(255, 250, 220));
            p.drawRect(1, 4, 16, 9);
            p.setFont(QFont(QStringLiteral("Sans"), 6, QFont::Bold));
            p.drawText(QRect(1, 4, 16, 9), Qt::AlignCenter, QStringLiteral("Ab"));
            break;
        }
        case 11:    // undo: an arrow bending back to the left
        case 12: {  // redo: the same, mirrored
            if (image == 12) p.scale(-1, 1), p.translate(-18, 0);
            QPainterPath arc;
            arc.moveTo(5, 7);
            arc.cubicTo(11, 3, 17, 7, 13, 14);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(40, 90, 170), 2));
            p.drawPath(arc);
            p.setPen(QPen(ink, 1));
            p.setBrush(QColor(40, 90, 170));
            p.drawPolygon(QPolygon({QPoint(1, 7), QPoint(7, 3), QPoint(7, 11)}));
            break;
        }
        default:
            break;
    }
}

}  // namespace

QIcon ToolbarIcon(int image) {
    QPixmap pixmap(18, 17);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    Draw(painter, image);
    painter.end();
    return QIcon(pixmap);
}
