#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "banner/TextCanvas.h"
#include "document/PixelPlanes.h"

// A canvas whose "font" draws every character as a solid cell of 8 x 16 pixels, so
// that where text lands and in which colour can be checked to the pixel. It records
// every text it draws.
class BlockCanvas : public TextCanvas {
  public:
    static constexpr int kCellWidth = 8;
    static constexpr int kCellHeight = 16;
    struct Draw {
        int x, y;
        std::string text;
        uint32_t rgb;
    };

    bool Begin(int width, int height) override {
        width_ = width;
        height_ = height;
        pixels_.assign(size_t(width) * size_t(height), 0xFFFFFF);
        clip_ = {0, 0, width, height};
        draws.clear();
        return true;
    }
    void SelectFont(const BannerFont&) override {}
    TextExtent MeasureText(const std::string& text) override {
        return {kCellWidth * int(text.size()), kCellHeight};
    }
    void FillRect(const CanvasRect& r, uint32_t rgb) override { Fill(r, rgb); }
    void SetClip(const CanvasRect& r) override { clip_ = r; }
    void DrawText(int x, int y, const std::string& text, uint32_t rgb) override {
        draws.push_back({x, y, text, rgb});
        Fill({x, y, x + kCellWidth * int(text.size()), y + kCellHeight}, rgb);
    }
    bool Capture(TrueColourBuffer& plane) override {
        for (int y = 0; y < std::min(plane.height, height_); ++y)
            for (int x = 0; x < std::min(plane.width, width_); ++x) plane.set(x, y, at(x, y));
        return true;
    }

    uint32_t at(int x, int y) const { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }
    std::vector<Draw> draws;

  private:
    void Fill(const CanvasRect& r, uint32_t rgb) {
        const int left = std::max({r.left, clip_.left, 0});
        const int top = std::max({r.top, clip_.top, 0});
        const int right = std::min({r.right, clip_.right, width_});
        const int bottom = std::min({r.bottom, clip_.bottom, height_});
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                pixels_[size_t(y) * size_t(width_) + size_t(x)] = rgb;
    }

    int width_ = 0, height_ = 0;
    std::vector<uint32_t> pixels_;
    CanvasRect clip_;
};
