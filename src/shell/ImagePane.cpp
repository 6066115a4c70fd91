#include "shell/ImagePane.h"

#include <QImage>
#include <QPainter>

#include "document/AnimationDocument.h"
#include "document/Composition.h"

ImagePane::ImagePane(AnimationDocument& document, QWidget* parent)
    : QWidget(parent), document_(document) {
    setAutoFillBackground(true);
    setMinimumSize(120, 90);
}

void ImagePane::showFrame(FrameRecord* frame) {
    frame_ = frame;
    update();
}

QRect ImagePane::screenRect() const {
    const int sw = document_.screenWidth, sh = document_.screenHeight;
    if (sw <= 0 || sh <= 0) return {};
    int w = sw, h = sh;
    if (w > width() || h > height()) {
        // Shrink to fit, keeping the aspect ratio.
        const double scale = std::min(double(width()) / sw, double(height()) / sh);
        w = std::max(1, int(sw * scale));
        h = std::max(1, int(sh * scale));
    }
    return QRect((width() - w) / 2, (height() - h) / 2, w, h);
}

void ImagePane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!frame_) return;
    std::shared_ptr<const ComposedPicture> picture = GetComposedBitmap(*frame_);
    if (!picture || picture->width <= 0) return;
    const QImage image(reinterpret_cast<const uchar*>(picture->pixels.data()), picture->width,
                       picture->height, picture->width * 4, QImage::Format_RGB32);
    const QRect target = screenRect();
    painter.drawImage(target, image);
    if (!frame_->coversScreen()) {
        const double sx = double(target.width()) / picture->width;
        const double sy = double(target.height()) / picture->height;
        QPen pen(Qt::black, 1, Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(QRectF(target.left() + frame_->left * sx, target.top() + frame_->top * sy,
                                frame_->width * sx - 1, frame_->height * sy - 1));
    }
}
