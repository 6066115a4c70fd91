#pragma once

#include <atomic>
#include <cstdint>

// How true colour becomes a palette: the exact popularity rule, or a palette chosen for
// how the picture looks, with dithering.
enum class PaletteKind { Exact, Quality };

// The options that steer engine operations. The shell keeps them in its settings
// store and copies them here; worker threads read them, hence the atomics.
struct EngineSettings {
    // Frames keep their true-colour data after colour reduction (for JPEG export).
    std::atomic<bool> keepTrueColorInfo{true};
    // Saving optimises first.
    std::atomic<bool> saveOptimized{false};
    // With saveOptimized: optimise the document itself rather than a temporary copy.
    std::atomic<bool> reloadAfterSave{false};
    // Colour mask of the optimiser (one of 0xFCFCFC, 0xF8F8F8, 0xF0F0F0, 0xE0E0E0, 0xC0C0C0).
    std::atomic<uint32_t> gifCompression{0xF0F0F0};
    // Lossy GIF coding, 0 (lossless) to 200: how far a pixel may stray so that the LZW
    // coder continues its match.
    std::atomic<int> lossy{0};
    // JPEG quality 0-100.
    std::atomic<int> jpegCompression{75};
    // The colour reduction of true-colour pictures, and its dithering level 0-100.
    std::atomic<PaletteKind> palette{PaletteKind::Exact};
    std::atomic<int> dither{100};
    // With the quality palette: consecutive video frames that look the same on one
    // palette share it.
    std::atomic<bool> sharedPalette{false};
};

// Gives `to` the values of `from` (a second document working like the first).
inline void CopyEngineSettings(const EngineSettings& from, EngineSettings& to) {
    to.keepTrueColorInfo = from.keepTrueColorInfo.load();
    to.saveOptimized = from.saveOptimized.load();
    to.reloadAfterSave = from.reloadAfterSave.load();
    to.gifCompression = from.gifCompression.load();
    to.lossy = from.lossy.load();
    to.jpegCompression = from.jpegCompression.load();
    to.palette = from.palette.load();
    to.dither = from.dither.load();
    to.sharedPalette = from.sharedPalette.load();
}
