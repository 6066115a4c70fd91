#include "textcanvas/QtTextCanvas.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "document/PixelPlanes.h"

namespace {

QColor Colour(uint32_t rgb) {
    return QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
}

QString Text(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

constexpr int kDefaultPixelSize = 16;

}  // namespace

QFont QtTextCanvas::FontFor(const BannerFont& logical) {
    QFont font;
    if (logical.faceName.empty()) {
        font.setFamilies({QStringLiteral("sans-serif")});
        font.setStyleHint(QFont::SansSerif);
    } else {
        font.setFamilies({QString::fromStdString(logical.faceName)});
    }
    font.setWeight(
        QFont::Weight(std::clamp(logical.weight <= 0 ? 400 : int(logical.weight), 1, 1000)));
    font.setItalic(logical.italic);
    font.setUnderline(logical.underline);
    font.setStrikeOut(logical.strikeOut);
    // Proof quality: whole pixels in the text colour only, which the palette keeps crisp.
    font.setStyleStrategy(QFont::NoAntialias);
    const int h = int(logical.height);
    if (h < 0) {
        font.setPixelSize(-h);
    } else if (h == 0) {
        font.setPixelSize(kDefaultPixelSize);
    } else {
        // A positive height is that of the whole cell: shrink the em until the cell fits.
        font.setPixelSize(h);
        const int cell = QFontMetrics(font).height();
        if (cell > h) font.setPixelSize(std::max(1, h * h / cell));
    }
    return font;
}

BannerFont QtTextCanvas::LogicalFontOf(const QFont& font) {
    BannerFont logical;
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    logical.height = ClampFontHeight(-pixels);
    logical.weight = int(font.weight());
    logical.italic = font.italic();
    logical.underline = font.underline();
    logical.strikeOut = font.strikeOut();
    logical.faceName = font.family().toStdString();
    return logical;
}

bool QtTextCanvas::Begin(int width, int height) {
    if (width < 1 || height < 1) return false;
    image_ = QImage(width, height, QImage::Format_RGB32);
    if (image_.isNull()) return false;
    image_.fill(Qt::white);
    clipped_ = false;
    return true;
}

void QtTextCanvas::SelectFont(const BannerFont& font) {
    font_ = FontFor(font);
}

TextExtent QtTextCanvas::MeasureText(const std::string& text) {
    const QFontMetrics metrics(font_);
    return {metrics.horizontalAdvance(Text(text)), metrics.height()};
}

void QtTextCanvas::FillRect(const CanvasRect& rect, uint32_t rgb) {
    if (image_.isNull() || rect.width() <= 0 || rect.height() <= 0) return;
    QPainter painter(&image_);
    if (clipped_) painter.setClipRect(clip_);
    painter.fillRect(QRect(rect.left, rect.top, rect.width(), rect.height()), Colour(rgb));
}

void QtTextCanvas::SetClip(const CanvasRect& rect) {
    clip_ = QRect(rect.left, rect.top, std::max(0, rect.width()), std::max(0, rect.height()));
    clipped_ = true;
}

void QtTextCanvas::DrawText(int x, int y, const std::string& text, uint32_t rgb) {
    if (image_.isNull() || text.empty()) return;
    QPainter painter(&image_);
    if (clipped_) painter.setClipRect(clip_);
    painter.setFont(font_);
    painter.setPen(Colour(rgb));
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.drawText(QPoint(x, y + QFontMetrics(font_).ascent()), Text(text));
}

bool QtTextCanvas::Capture(TrueColourBuffer& plane) {
    if (image_.isNull()) return false;
    const int w = std::min(plane.width, image_.width());
    const int h = std::min(plane.height, image_.height());
    for (int y = 0; y < h; ++y) {
        const auto* source = reinterpret_cast<const uint32_t*>(image_.constScanLine(y));
        uint32_t* target = plane.row(y);
        for (int x = 0; x < w; ++x) target[x] = source[x] & kRgbMask;
    }
    return true;
}
