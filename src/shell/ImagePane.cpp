#include "shell/ImagePane.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "document/AnimationDocument.h"
#include "document/Composition.h"

namespace {

// Zoom in and out go through these factors; whole factors above 1 keep every picture
// pixel the same size on screen.
constexpr double kZoomSteps[] = {0.125, 0.25, 0.5, 1, 2, 3, 4, 6, 8, 12, 16, 24, 32};

constexpr QRgb kCheckerLight = 0xFFFFFFFF;
constexpr QRgb kCheckerDark = 0xFFCCCCCC;
constexpr int kCheckerSquare = 8;  // screen pixels, whatever the zoom

QBrush CheckerBrush() {
    QPixmap tile(2 * kCheckerSquare, 2 * kCheckerSquare);
    tile.fill(QColor::fromRgb(kCheckerLight));
    QPainter painter(&tile);
    painter.fillRect(0, 0, kCheckerSquare, kCheckerSquare, QColor::fromRgb(kCheckerDark));
    painter.fillRect(kCheckerSquare, kCheckerSquare, kCheckerSquare, kCheckerSquare,
                     QColor::fromRgb(kCheckerDark));
    return QBrush(tile);
}

QString Percent(double scale) {
    const double percent = scale * 100;
    if (std::abs(percent - std::round(percent)) < 1e-6)
        return QString::number(qint64(std::llround(percent))) + QLatin1Char('%');
    return QString::number(percent, 'f', 1) + QLatin1Char('%');
}

}  // namespace

ImagePane::ImagePane(AnimationDocument& document, QWidget* parent)
    : QAbstractScrollArea(parent), document_(document) {
    setFrameShape(QFrame::NoFrame);
    // The keyboard stays with the frame tree; the pane scrolls by mouse and zooms by the
    // window's keys.
    setFocusPolicy(Qt::NoFocus);
    setMinimumSize(120, 90);
    viewport()->setBackgroundRole(QPalette::Window);
    viewport()->setAutoFillBackground(true);
    viewport()->setMouseTracking(true);
}

void ImagePane::showFrame(FrameRecord* frame) {
    frame_ = frame;
    // The logical screen may have changed size with the frame (resize, new document).
    updateScrollBars();
    viewport()->update();
    updatePointed();
    emit zoomChanged(zoomText());
}

QRect ImagePane::pictureRect() const {
    const int sw = document_.screenWidth, sh = document_.screenHeight;
    if (sw <= 0 || sh <= 0) return {};
    const QSize area = viewport()->size();
    int w, h;
    if (fitting()) {
        w = sw;
        h = sh;
        if (w > area.width() || h > area.height()) {
            // Shrink to fit, keeping the aspect ratio.
            const double s = std::min(double(area.width()) / sw, double(area.height()) / sh);
            w = std::max(1, int(sw * s));
            h = std::max(1, int(sh * s));
        }
    } else {
        w = std::max(1, int(std::lround(sw * zoom_)));
        h = std::max(1, int(std::lround(sh * zoom_)));
    }
    // Centred while it fits, else where the scroll bars say.
    const int x = w <= area.width() ? (area.width() - w) / 2 : -horizontalScrollBar()->value();
    const int y = h <= area.height() ? (area.height() - h) / 2 : -verticalScrollBar()->value();
    return QRect(x, y, w, h);
}

QRect ImagePane::screenRect() const {
    const QRect r = pictureRect();
    return r.isNull() ? r : r.translated(viewport()->pos());
}

double ImagePane::scale() const {
    if (!fitting()) return zoom_;
    const int sw = document_.screenWidth;
    return sw > 0 ? double(pictureRect().width()) / sw : 1.0;
}

QString ImagePane::zoomText() const {
    if (fitting()) return QStringLiteral("Fit (%1%)").arg(qRound(scale() * 100));
    return Percent(zoom_);
}

void ImagePane::updateScrollBars() {
    const int sw = std::max(document_.screenWidth, 0), sh = std::max(document_.screenHeight, 0);
    const QSize area = viewport()->size();
    int w = 0, h = 0;
    if (!fitting()) {
        w = int(std::lround(sw * zoom_));
        h = int(std::lround(sh * zoom_));
    }
    horizontalScrollBar()->setRange(0, std::max(0, w - area.width()));
    horizontalScrollBar()->setPageStep(area.width());
    horizontalScrollBar()->setSingleStep(std::max(1, area.width() / 20));
    verticalScrollBar()->setRange(0, std::max(0, h - area.height()));
    verticalScrollBar()->setPageStep(area.height());
    verticalScrollBar()->setSingleStep(std::max(1, area.height() / 20));
}

void ImagePane::zoomTo(double zoom, QPointF anchor) {
    const QRect before = pictureRect();
    const double oldScale = scale();
    // The picture point under the anchor stays there.
    const QPointF point =
        before.isNull() ? QPointF()
                        : QPointF(anchor.x() - before.left(), anchor.y() - before.top()) / oldScale;
    zoom_ = zoom;
    updateScrollBars();
    if (!fitting()) {
        horizontalScrollBar()->setValue(int(std::lround(point.x() * zoom_ - anchor.x())));
        verticalScrollBar()->setValue(int(std::lround(point.y() * zoom_ - anchor.y())));
    }
    viewport()->update();
    updatePointed();
    emit zoomChanged(zoomText());
}

void ImagePane::zoomStep(int direction, QPointF anchor) {
    const double current = scale();
    double next = 0;
    if (direction > 0) {
        for (double step : kZoomSteps) {
            if (step > current * (1 + 1e-9)) {
                next = step;
                break;
            }
        }
    } else {
        for (double step : kZoomSteps) {
            if (step < current * (1 - 1e-9)) next = step;
        }
    }
    if (next > 0) zoomTo(next, anchor);
}

void ImagePane::zoomIn() {
    zoomStep(1, QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
}

void ImagePane::zoomOut() {
    zoomStep(-1, QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
}

void ImagePane::fit() {
    zoomTo(0, QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
}

void ImagePane::actualSize() {
    zoomTo(1, QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
}

QString ImagePane::pixelTextAt(QPoint panePos) const {
    if (!frame_) return {};
    const QPoint pos = viewport()->mapFrom(this, panePos);
    const QRect target = pictureRect();
    if (target.isNull() || !target.contains(pos)) return {};
    std::shared_ptr<const ComposedPicture> picture = GetComposedBitmap(*frame_);
    if (!picture || picture->width <= 0 || picture->height <= 0) return {};
    const int x = std::min(picture->width - 1, int((pos.x() - target.left()) *
                                                   double(picture->width) / target.width()));
    const int y = std::min(picture->height - 1, int((pos.y() - target.top()) *
                                                    double(picture->height) / target.height()));
    QString text = QStringLiteral("x %1, y %2").arg(x).arg(y);
    // The index is the selected frame's own, where it lies on the screen.
    const int fx = x - frame_->left, fy = y - frame_->top;
    const std::shared_ptr<IndexBuffer> indexes = frame_->indexPlane();
    if (indexes && frame_->IsPaletteValid() && fx >= 0 && fy >= 0 && fx < indexes->width &&
        fy < indexes->height && fx < frame_->width && fy < frame_->height) {
        text += QStringLiteral("  index %1").arg(indexes->get(fx, fy));
    }
    if (picture->isSeeThrough(x, y))
        text += QStringLiteral("  transparent");
    else
        text += QStringLiteral("  #%1").arg(QString::number(picture->at(x, y) & 0xFFFFFFu, 16)
                                                .rightJustified(6, QLatin1Char('0'))
                                                .toUpper());
    return text;
}

void ImagePane::updatePointed() {
    const QString text = mouseInside_ ? pixelTextAt(viewport()->mapTo(this, mouse_)) : QString();
    if (text == pointed_) return;
    pointed_ = text;
    emit pointedPixelChanged(text);
}

void ImagePane::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    if (fitting()) emit zoomChanged(zoomText());
}

void ImagePane::scrollContentsBy(int, int) {
    viewport()->update();
    updatePointed();
}

void ImagePane::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // One step per notch; a touchpad's small deltas add up to one.
    wheelDelta_ += event->angleDelta().y();
    while (std::abs(wheelDelta_) >= QWheelEvent::DefaultDeltasPerStep) {
        const int direction = wheelDelta_ > 0 ? 1 : -1;
        wheelDelta_ -= direction * QWheelEvent::DefaultDeltasPerStep;
        zoomStep(direction, event->position());
    }
    event->accept();
}

void ImagePane::mouseMoveEvent(QMouseEvent* event) {
    mouse_ = event->position().toPoint();
    mouseInside_ = true;
    updatePointed();
    QAbstractScrollArea::mouseMoveEvent(event);
}

bool ImagePane::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave) {
        mouseInside_ = false;
        updatePointed();
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void ImagePane::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    if (!frame_) return;
    std::shared_ptr<const ComposedPicture> picture = GetComposedBitmap(*frame_);
    if (!picture || picture->width <= 0 || picture->height <= 0) return;
    const QRect target = pictureRect();
    const QRect visible = target.intersected(event->rect());
    const double sx = double(target.width()) / picture->width;
    const double sy = double(target.height()) / picture->height;
    if (!visible.isEmpty()) {
        // Only the picture pixels in view are drawn: zoomed far in, the whole picture
        // would be millions of screen pixels.
        const int x0 = std::clamp(int(std::floor((visible.left() - target.left()) / sx)), 0,
                                  picture->width - 1);
        const int y0 = std::clamp(int(std::floor((visible.top() - target.top()) / sy)), 0,
                                  picture->height - 1);
        const int x1 = std::clamp(int(std::ceil((visible.right() + 1 - target.left()) / sx)),
                                  x0 + 1, picture->width);
        const int y1 = std::clamp(int(std::ceil((visible.bottom() + 1 - target.top()) / sy)),
                                  y0 + 1, picture->height);
        const QRect source(x0, y0, x1 - x0, y1 - y0);
        const QRectF drawn(target.left() + x0 * sx, target.top() + y0 * sy, source.width() * sx,
                           source.height() * sy);
        // Enlarged pixels stay sharp squares; a shrunk picture is smoothed.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, sx < 1 || sy < 1);
        const bool anyClear = !picture->seeThrough.empty();
        if (anyClear) {
            // The checkerboard stays fixed to the picture's corner as it scrolls.
            painter.setBrushOrigin(target.topLeft());
            painter.fillRect(visible, CheckerBrush());
        }
        // The part in view with its alpha made explicit: the picture's top byte is not
        // an alpha, and see-through pixels let the checkerboard show.
        QImage part(source.size(), QImage::Format_ARGB32);
        for (int y = y0; y < y1 && !part.isNull(); ++y) {
            auto* out = reinterpret_cast<QRgb*>(part.scanLine(y - y0));
            const size_t row = size_t(y) * size_t(picture->width);
            for (int x = x0; x < x1; ++x) {
                const size_t i = row + size_t(x);
                out[x - x0] = anyClear && picture->seeThrough[i]
                                  ? 0u
                                  : (0xFF000000u | (picture->pixels[i] & 0xFFFFFFu));
            }
        }
        painter.drawImage(drawn, part, QRectF(part.rect()));
    }
    if (!frame_->coversScreen()) {
        QPen pen(Qt::black, 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(target.left() + frame_->left * sx, target.top() + frame_->top * sy,
                                frame_->width * sx - 1, frame_->height * sy - 1));
    }
}
