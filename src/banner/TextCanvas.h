#pragma once

#include <cstdint>
#include <string>

#include "banner/BannerSettings.h"

class TrueColourBuffer;

// Rectangles as the banner code works with them: right and bottom are exclusive.
struct CanvasRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

struct TextExtent {
    int width = 0;
    int height = 0;
};

// An off-screen picture the banner draws on. The engine knows no window system, so the
// editor and the command-line tool hand in an implementation that draws real fonts.
// Colours are 0x00RRGGBB.
class TextCanvas {
  public:
    virtual ~TextCanvas() = default;

    // A picture of width x height with no clip; false when it cannot be had.
    virtual bool Begin(int width, int height) = 0;
    virtual void SelectFont(const BannerFont& font) = 0;
    // Advance width and cell height (ascent + descent) of a line in the selected font.
    virtual TextExtent MeasureText(const std::string& text) = 0;
    virtual void FillRect(const CanvasRect& rect, uint32_t rgb) = 0;
    // Later drawing stays inside rect.
    virtual void SetClip(const CanvasRect& rect) = 0;
    // Draws a line with its cell's top-left corner at (x, y) and no background.
    virtual void DrawText(int x, int y, const std::string& text, uint32_t rgb) = 0;
    // Copies the top-left of the picture into the plane, top-down, without markers.
    virtual bool Capture(TrueColourBuffer& plane) = 0;
};

// A sunken edge two pixels wide just inside rect; returns the rectangle inside it.
CanvasRect DrawSunkenEdge(TextCanvas& canvas, const CanvasRect& rect);
