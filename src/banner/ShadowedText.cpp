#include "banner/ShadowedText.h"

#include <cmath>

#include "banner/TextCanvas.h"

namespace {

int Channel(uint32_t rgb, int shift) {
    return int((rgb >> shift) & 0xFF);
}

}  // namespace

uint32_t BlendTowards(uint32_t background, uint32_t target, int numerator, int denominator) {
    if (denominator == 0) return background & 0xFFFFFF;
    uint32_t out = 0;
    for (int shift : {16, 8, 0}) {
        const int bg = Channel(background, shift);
        int v = bg + (Channel(target, shift) - bg) * numerator / denominator;
        v = v < 0 ? 0 : (v > 255 ? 255 : v);
        out |= uint32_t(v) << shift;
    }
    return out;
}

uint32_t EffectiveShadowColour(const ShadowStyle& style) {
    int intensity = style.intensity;
    intensity = intensity < 0 ? 0 : (intensity > 100 ? 100 : intensity);
    return BlendTowards(style.backgroundColour, style.shadowColour, intensity, 100);
}

void DrawShadowedText(TextCanvas& canvas, int x, int y, const std::string& text,
                      const ShadowStyle& style) {
    const uint32_t shadow = EffectiveShadowColour(style);
    const int t = style.thickness;
    const int cx = x + style.shadowX;
    const int cy = y + style.shadowY;
    for (int r = t; r > 0; r -= 2) {
        const uint32_t ring = BlendTowards(style.backgroundColour, shadow, t - r + 1, t + 1);
        for (int a = 0; a < r; a += 2) {
            const int b = int(std::sqrt(double(r * r - a * a)));
            if (a > b) break;
            const int offsets[8][2] = {{a, -b}, {b, -a}, {b, a},   {a, b},
                                       {-a, b}, {-b, a}, {-b, -a}, {-a, -b}};
            // On the axes the eight points fall together in pairs.
            const int stride = (a == 0 || b == 0) ? 2 : 1;
            for (int i = 0; i < 8; i += stride)
                canvas.DrawText(cx + offsets[i][0], cy + offsets[i][1], text, ring);
        }
    }
    canvas.DrawText(cx, cy, text, shadow);
    canvas.DrawText(x, y, text, style.textColour);
}
