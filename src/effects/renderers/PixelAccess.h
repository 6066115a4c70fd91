// Uniform access to a frame's working pixels for renderers that move whole pixels:
// palette indexes (index work) or 0x00RRGGBB with the transparent marker (true colour).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "document/FrameRecord.h"
#include "document/PixelPlanes.h"
#include "effects/RendererSkeletons.h"
#include "effects/renderers/RendererPixels.h"

template <typename T>
struct PixelView;

template <>
struct PixelView<uint8_t> {
    std::shared_ptr<IndexBuffer> plane;
    explicit PixelView(const FrameRecord& f) : plane(f.indexPlane()) {}
    uint8_t* row(int y) const { return plane->row(y); }
    static bool Transparent(const FrameRecord& f, uint8_t px) {
        return renderer_pixels::TransparentIndex(f, px);
    }
    // The selected colour as this kind of pixel.
    static uint8_t Colour(const FrameRecord&, int colorIndex) {
        return renderer_pixels::ClampedColourIndex(colorIndex);
    }
};

template <>
struct PixelView<uint32_t> {
    std::shared_ptr<TrueColourBuffer> plane;
    explicit PixelView(const FrameRecord& f) : plane(f.trueColourPlane()) {}
    uint32_t* row(int y) const { return plane->row(y); }
    static bool Transparent(const FrameRecord& f, uint32_t px) {
        return renderer_pixels::TransparentPixel(f, px);
    }
    static uint32_t Colour(const FrameRecord& f, int colorIndex) {
        return SelectedColour(f, colorIndex);
    }
};

// Rounding used by the bending renderers: halves go up.
inline double RoundHalfUp(double v) {
    const double f = std::floor(v);
    return v - f < 0.5 ? f : std::ceil(v);
}

using renderer_pixels::UsableInput;

// Incremental runs: the next frame as a copy of `source` linked behind `previous`; with
// trueColour the copy carries the source's working pixels (built from its indexes when
// it has none). None when memory ran out.
inline FrameRecord* CopyFrameWithPixels(FrameRecord& source, FrameRecord* previous,
                                        bool trueColour) {
    FrameRecord* frame = CopyFrameAfter(source, previous, trueColour);
    if (!frame || !trueColour) return frame;
    const std::shared_ptr<TrueColourBuffer> from = source.trueColourPlane();
    const std::shared_ptr<TrueColourBuffer> to = frame->trueColourPlane();
    if (from && to && from->width == to->width && from->height == to->height) {
        std::copy(from->data(), from->data() + size_t(from->width) * size_t(from->height),
                  to->data());
    } else {
        ToTrueColour(*frame, false);
    }
    return frame;
}
