#include "colour/QualityReduction.h"

#include <libimagequant.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "colour/ColourReduction.h"
#include "document/FrameRecord.h"

namespace {

struct LiqDelete {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
    void operator()(liq_image* p) const { liq_image_destroy(p); }
    void operator()(liq_result* p) const { liq_result_destroy(p); }
    void operator()(liq_histogram* p) const { liq_histogram_destroy(p); }
};
template <typename T>
using LiqPtr = std::unique_ptr<T, LiqDelete>;

// Rows of the true-colour plane as the quantiser reads them: transparent pixels have no
// colour of their own.
void ReadRow(liq_color out[], int row, int width, void* plane) {
    const uint32_t* in = static_cast<const TrueColourBuffer*>(plane)->row(row);
    for (int x = 0; x < width; ++x) {
        const uint32_t p = in[x];
        if (p & kTransparentMarker)
            out[x] = liq_color{0, 0, 0, 0};
        else
            out[x] = liq_color{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 255};
    }
}

// The quantiser asks this between its steps; 0 stops it.
int KeepGoing(float, void* abort) {
    return static_cast<const std::atomic<uint32_t>*>(abort)->load() ? 0 : 1;
}

liq_color LiqColour(uint32_t c) {
    return liq_color{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255};
}

bool AnyTransparent(const TrueColourBuffer& plane) {
    for (int y = 0; y < plane.height; ++y) {
        const uint32_t* row = plane.row(y);
        if (std::any_of(row, row + plane.width, [](uint32_t p) { return p & kTransparentMarker; }))
            return true;
    }
    return false;
}

// 255 colours, and the transparent one besides when there are transparent pixels.
LiqPtr<liq_attr> MakeAttr(bool anyTransparent) {
    LiqPtr<liq_attr> attr(liq_attr_create());
    if (!attr) return attr;
    liq_set_max_colors(attr.get(), anyTransparent ? kMaxPaletteColours + 1 : kMaxPaletteColours);
    // Speed 8 of 10: on video frames three times as fast as the default 4, for a quarter
    // of a decibel.
    liq_set_speed(attr.get(), 8);
    return attr;
}

// Of the opaque pixels, per channel: what a viewer's PSNR is computed from. The
// quantiser's own measure is not there after dithering at our speed.
double MeanSquareError(const TrueColourBuffer& plane, const Palette& palette,
                       const IndexBuffer& indexes) {
    uint64_t sum = 0, pixels = 0;
    for (int y = 0; y < plane.height; ++y) {
        const uint32_t* in = plane.row(y);
        const uint8_t* mapped = indexes.row(y);
        for (int x = 0; x < plane.width; ++x) {
            if (in[x] & kTransparentMarker) continue;
            const uint32_t a = in[x], b = palette[mapped[x]].rgb();
            for (int shift = 0; shift <= 16; shift += 8) {
                const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
                sum += uint64_t(d * d);
            }
            ++pixels;
        }
    }
    return pixels ? double(sum) / double(3 * pixels) : 0;
}

// Maps the plane's pixels with `result` into `out`: the opaque colours in the quantiser's
// order, then the transparent slot.
bool Remap(liq_result* result, liq_image* image, const TrueColourBuffer& plane, FrameRecord& frame,
           int dither, QualityMapping& out) {
    const int w = plane.width;
    const int h = plane.height;
    liq_set_dithering_level(result, float(std::clamp(dither, 0, 100)) / 100.0f);
    liq_result_set_progress_callback(result, KeepGoing, &frame.abortReduce);
    std::shared_ptr<IndexBuffer> indexes = IndexBuffer::Create(&frame, w, h);
    if (!indexes) return false;
    std::vector<unsigned char*> rows(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) rows[size_t(y)] = indexes->row(y);
    if (liq_write_remapped_image_rows(result, image, rows.data()) != LIQ_OK) return false;

    const liq_palette* chosen = liq_get_palette(result);
    out.palette = Palette{};
    std::array<uint8_t, 256> ours{};
    int colours = 0;
    for (unsigned i = 0; i < chosen->count && i < 256; ++i) {
        const liq_color c = chosen->entries[i];
        if (c.a == 0) continue;
        out.palette[size_t(colours)] =
            PaletteEntry::FromRgb(uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b);
        ours[i] = uint8_t(colours++);
    }
    const uint8_t transparent = uint8_t(colours);
    for (unsigned i = 0; i < chosen->count && i < 256; ++i) {
        if (chosen->entries[i].a == 0) ours[i] = transparent;
    }
    bool transparencyActive = false;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = indexes->row(y);
        const uint32_t* in = plane.row(y);
        for (int x = 0; x < w; ++x) {
            // The transparent pixels are the plane's, whatever the quantiser made of them.
            if (in[x] & kTransparentMarker) {
                row[x] = transparent;
                transparencyActive = true;
            } else {
                row[x] = ours[row[x]];
            }
        }
    }
    if (frame.abortReduce) return false;
    out.colours = colours;
    out.indexes = std::move(indexes);
    out.transparencyActive = transparencyActive;
    out.error = MeanSquareError(plane, out.palette, *out.indexes);
    return true;
}

}  // namespace

bool MapFrameQuality(FrameRecord& frame, int dither, QualityMapping& out) {
    const std::shared_ptr<TrueColourBuffer> plane = frame.trueColourPlane();
    if (!plane) return false;
    LiqPtr<liq_attr> attr = MakeAttr(AnyTransparent(*plane));
    if (!attr) return false;
    liq_attr_set_progress_callback(attr.get(), KeepGoing, &frame.abortReduce);
    LiqPtr<liq_image> image(
        liq_image_create_custom(attr.get(), ReadRow, plane.get(), plane->width, plane->height, 0));
    if (!image) return false;
    for (const uint32_t c : frame.reservedColours) {
        if (c != kNoReservedColour) liq_image_add_fixed_color(image.get(), LiqColour(c));
    }
    liq_result* quantised = nullptr;
    if (liq_image_quantize(image.get(), attr.get(), &quantised) != LIQ_OK) return false;
    LiqPtr<liq_result> result(quantised);
    return Remap(result.get(), image.get(), *plane, frame, dither, out);
}

void PublishQualityMapping(FrameRecord& frame, QualityMapping& mapping) {
    PublishReduction(frame, mapping.palette, mapping.colours, std::move(mapping.indexes),
                     mapping.transparencyActive);
}

bool ReduceFrameQuality(FrameRecord& frame, int dither) {
    QualityMapping mapping;
    if (!MapFrameQuality(frame, dither, mapping)) return false;
    PublishQualityMapping(frame, mapping);
    return true;
}

struct SharedQualityPalette::State {
    LiqPtr<liq_attr> attr;
    LiqPtr<liq_result> result;
    std::array<uint32_t, 5> reserved{};
};

SharedQualityPalette::SharedQualityPalette(std::unique_ptr<State> state)
    : state_(std::move(state)) {}
SharedQualityPalette::~SharedQualityPalette() = default;

std::unique_ptr<SharedQualityPalette> SharedQualityPalette::Choose(
    const std::vector<FrameRecord*>& frames) {
    if (frames.empty() || !frames[0]->trueColourPlane()) return nullptr;
    FrameRecord& frame = *frames[0];
    std::vector<std::shared_ptr<TrueColourBuffer>> planes;
    bool anyTransparent = false;
    for (FrameRecord* f : frames) {
        std::shared_ptr<TrueColourBuffer> plane = f->trueColourPlane();
        if (!plane || f->reservedColours != frame.reservedColours) continue;
        anyTransparent = anyTransparent || AnyTransparent(*plane);
        planes.push_back(std::move(plane));
    }
    auto state = std::make_unique<State>();
    state->reserved = frame.reservedColours;
    state->attr = MakeAttr(anyTransparent);
    if (!state->attr) return nullptr;
    liq_attr_set_progress_callback(state->attr.get(), KeepGoing, &frame.abortReduce);
    LiqPtr<liq_histogram> histogram(liq_histogram_create(state->attr.get()));
    if (!histogram) return nullptr;
    for (const std::shared_ptr<TrueColourBuffer>& plane : planes) {
        LiqPtr<liq_image> image(liq_image_create_custom(state->attr.get(), ReadRow, plane.get(),
                                                        plane->width, plane->height, 0));
        if (!image ||
            liq_histogram_add_image(histogram.get(), state->attr.get(), image.get()) != LIQ_OK)
            return nullptr;
    }
    for (const uint32_t c : frame.reservedColours) {
        if (c != kNoReservedColour) liq_histogram_add_fixed_color(histogram.get(), LiqColour(c), 0);
    }
    liq_result* quantised = nullptr;
    if (liq_histogram_quantize(histogram.get(), state->attr.get(), &quantised) != LIQ_OK)
        return nullptr;
    state->result.reset(quantised);
    // The frames after this one ask their own abort flags.
    liq_attr_set_progress_callback(state->attr.get(), nullptr, nullptr);
    return std::unique_ptr<SharedQualityPalette>(new SharedQualityPalette(std::move(state)));
}

bool SharedQualityPalette::Fits(const FrameRecord& frame) const {
    return frame.reservedColours == state_->reserved;
}

bool SharedQualityPalette::Map(FrameRecord& frame, int dither, QualityMapping& out) {
    const std::shared_ptr<TrueColourBuffer> plane = frame.trueColourPlane();
    if (!plane || !Fits(frame)) return false;
    LiqPtr<liq_image> image(liq_image_create_custom(state_->attr.get(), ReadRow, plane.get(),
                                                    plane->width, plane->height, 0));
    if (!image) return false;
    return Remap(state_->result.get(), image.get(), *plane, frame, dither, out);
}
