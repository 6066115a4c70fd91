// Small pixel helpers shared by the stripe, block, frame, tilt, move and zoom renderers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>

#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"
#include "document/PixelPlanes.h"

namespace renderer_pixels {

inline bool UsableInput(const FrameRecord* f) {
    return f && f->bitsPerPixel == 8 && f->width >= 1 && f->height >= 1;
}

// A transparent source pixel in true-colour work.
inline bool TransparentPixel(const FrameRecord& frame, uint32_t pixel) {
    return frame.hasTransparency && (pixel & kTransparentMarker);
}
// A transparent source pixel in index work.
inline bool TransparentIndex(const FrameRecord& frame, uint8_t index) {
    return frame.hasTransparency && index == frame.transparentIndex;
}

inline uint8_t ClampedColourIndex(int colorIndex) {
    return uint8_t(colorIndex < 0 || colorIndex > 255 ? 0 : colorIndex);
}

// Channels shifted by `amount` (negative: darker), each kept within 0..255; no marker.
inline uint32_t Shifted(uint32_t pixel, int amount) {
    const int r = std::clamp(int((pixel >> 16) & 0xFF) + amount, 0, 255);
    const int g = std::clamp(int((pixel >> 8) & 0xFF) + amount, 0, 255);
    const int b = std::clamp(int(pixel & 0xFF) + amount, 0, 255);
    return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

// A frame copied from `source` (with its true-colour pixels) and linked behind
// `previous` (none: a new chain). None when memory ran out.
inline FrameRecord* CopyWithTrueColourAfter(FrameRecord& source, FrameRecord* previous) {
    std::unique_ptr<FrameRecord> record =
        FrameRecord::Construct(source.document, previous, nullptr);
    if (!record) return nullptr;
    if (CopyInto(source, record.get(), true) != 0) return nullptr;
    FrameRecord* frame = AnimationDocument::Adopt(std::move(record));
    frame->SetPaletteValid(false);
    frame->prev = previous;
    frame->next = nullptr;
    if (previous) previous->next = frame;
    return frame;
}

// Copies the whole true-colour plane of `from` into `to` (same size).
inline void CopyPlane(const TrueColourBuffer& from, TrueColourBuffer& to) {
    std::copy(from.data(), from.data() + size_t(from.width) * size_t(from.height), to.data());
}

}  // namespace renderer_pixels
