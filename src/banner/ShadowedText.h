#pragma once

#include <cstdint>
#include <string>

class TextCanvas;

// How a line of text is drawn with its shadow (the preview and the generator alike).
struct ShadowStyle {
    uint32_t textColour = 0;
    uint32_t backgroundColour = 0xFFFFFF;
    uint32_t shadowColour = 0;
    int shadowX = 0;
    int shadowY = 0;
    int thickness = 0;
    int intensity = 0;  // percent; clamped to 0 ... 100
};

// background moved towards target by numerator / denominator per channel (integer
// arithmetic, truncated towards zero).
uint32_t BlendTowards(uint32_t background, uint32_t target, int numerator, int denominator);

// The shadow colour actually drawn: the background moved by intensity percent.
uint32_t EffectiveShadowColour(const ShadowStyle& style);

// Draws text at (x, y) in the canvas's selected font: first the soft shadow from the
// outside in (rings of radius thickness, thickness - 2, ... around the shadow position,
// each nearer the shadow colour), then the text in the shadow colour at the shadow
// offset, then the text itself.
void DrawShadowedText(TextCanvas& canvas, int x, int y, const std::string& text,
                      const ShadowStyle& style);
