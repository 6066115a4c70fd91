#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "document/AnimationDocument.h"
#include "document/Palette.h"
#include "document/PixelPlanes.h"

// True colour to a palette of at most 255 colours plus a transparent slot: a popularity
// count on progressively coarser colour grids, then every pixel mapped to its nearest
// palette colour through a k-d tree. No dithering.

// Grids the colour count moves through, finest first.
constexpr std::array<uint32_t, 5> kGridMasks{0xFEFEFE, 0xFCFCFC, 0xF8F8F8, 0xF0F0F0, 0xE0E0E0};
// An added colour that makes the count list this long coarsens the grid.
constexpr size_t kCoarsenAt = 1025;
// Reserved colours rank above every counted colour.
constexpr uint32_t kReservedCount = 0x3FFFFFFF;
constexpr int kMaxPaletteColours = 255;

// What the popularity count yields.
struct PaletteResult {
    Palette palette;  // colours first, then unused entries
    int colours = 0;  // palette size 0-255; also the transparent index
    uint32_t finalMask = kGridMasks[0];
    bool aborted = false;
};

// Counts the colours of `pixels` (column by column) and builds the palette. `abort`
// (may be null) is polled before each column.
PaletteResult CountPalette(const TrueColourBuffer& pixels,
                           const std::array<uint32_t, 5>& reservedColours,
                           const std::atomic<uint32_t>* abort);

// The palette of a frame's true-colour plane: writes palette, transparentIndex and
// hasTransparency. Returns the number of colours, or -1 when abortReduce was set.
int BuildPalette(FrameRecord& frame);

// Maps every pixel to the nearest of the first `colours` palette entries (transparent
// pixels to index `colours`). `abort` is polled once per pixel. Returns false when
// aborted; `transparencyActive` tells whether any pixel was transparent.
bool MapToPalette(const TrueColourBuffer& pixels, const Palette& palette, int colours,
                  IndexBuffer& out, bool& transparencyActive, const std::atomic<uint32_t>* abort);

// The pixel part of a frame's reduction job: palette (the frame's own), transparency and
// a new index plane from ppTC, published together under paletteLock. Returns false when
// it was aborted; the frame is then left as it was.
bool ReduceFrame(FrameRecord& frame);

// Makes the result of a reduction the frame's: its own palette of `colours` colours, the
// transparent slot right after them, and the new index plane, all under paletteLock.
void PublishReduction(FrameRecord& frame, const Palette& palette, int colours,
                      std::shared_ptr<IndexBuffer> indexes, bool transparencyActive);

// The reduction job's body for new documents: the exact rule, or the quality palette
// when the document's settings ask for it.
ReductionBody DefaultReductionBody();
