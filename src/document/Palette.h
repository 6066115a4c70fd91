#pragma once

#include <array>
#include <cstdint>

// One palette colour. All three components -1 mark an unused entry; a reader treats an
// entry as unused as soon as its red value is negative.
struct PaletteEntry {
    int32_t red = -1;
    int32_t green = -1;
    int32_t blue = -1;

    bool used() const { return red >= 0; }
    // 0x00RRGGBB; an unused entry reads as black.
    uint32_t rgb() const {
        if (!used()) return 0;
        return (uint32_t(red & 0xFF) << 16) | (uint32_t(green & 0xFF) << 8) | uint32_t(blue & 0xFF);
    }
    static PaletteEntry FromRgb(uint32_t rgb) {
        return {int32_t((rgb >> 16) & 0xFF), int32_t((rgb >> 8) & 0xFF), int32_t(rgb & 0xFF)};
    }
    bool operator==(const PaletteEntry&) const = default;
};

// Frame palettes and the global palette always have 256 entries, used entries first.
using Palette = std::array<PaletteEntry, 256>;

inline Palette UnusedPalette() {
    return Palette{};
}
