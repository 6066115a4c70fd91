#pragma once

#include <QFont>
#include <QImage>
#include <QRect>

#include "banner/TextCanvas.h"

// The banner's canvas drawn with Qt: a 32-bit QImage, QFont and QPainter. Needs a
// QGuiApplication (the font database).
class QtTextCanvas : public TextCanvas {
  public:
    bool Begin(int width, int height) override;
    void SelectFont(const BannerFont& font) override;
    TextExtent MeasureText(const std::string& text) override;
    void FillRect(const CanvasRect& rect, uint32_t rgb) override;
    void SetClip(const CanvasRect& rect) override;
    void DrawText(int x, int y, const std::string& text, uint32_t rgb) override;
    bool Capture(TrueColourBuffer& plane) override;

    const QImage& image() const { return image_; }
    // The Qt font a logical font stands for.
    static QFont FontFor(const BannerFont& font);
    // The logical font for a font a user chose (its height as the em height in pixels).
    static BannerFont LogicalFontOf(const QFont& font);

  private:
    QImage image_;
    QFont font_;
    QRect clip_;
    bool clipped_ = false;
};
