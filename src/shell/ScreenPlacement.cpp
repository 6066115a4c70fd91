#include "shell/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

QRect ClampToScreen(const QRect& wanted) {
    QScreen* best = QGuiApplication::primaryScreen();
    qint64 bestArea = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->availableGeometry().intersected(wanted);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    if (!best) return wanted;
    const QRect area = best->availableGeometry();
    QRect r(wanted.topLeft(), wanted.size().boundedTo(area.size()));
    r.moveLeft(std::clamp(r.left(), area.left(), area.right() + 1 - r.width()));
    r.moveTop(std::clamp(r.top(), area.top(), area.bottom() + 1 - r.height()));
    return r;
}
