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

}  // namespace

bool ReduceFrameQuality(FrameRecord& frame, int dither) {
    const std::shared_ptr<TrueColourBuffer> plane = frame.trueColourPlane();
    if (!plane) return false;
    const int w = plane->width;
    const int h = plane->height;
    bool anyTransparent = false;
    for (int y = 0; y < h && !anyTransparent; ++y) {
        const uint32_t* row = plane->row(y);
        anyTransparent =
            std::any_of(row, row + w, [](uint32_t p) { return p & kTransparentMarker; });
    }

    LiqPtr<liq_attr> attr(liq_attr_create());
    if (!attr) return false;
    // 255 colours, and the transparent one besides when there are transparent pixels.
    liq_set_max_colors(attr.get(), anyTransparent ? kMaxPaletteColours + 1 : kMaxPaletteColours);
    liq_attr_set_progress_callback(attr.get(), KeepGoing, &frame.abortReduce);
    // Speed 8 of 10: on video frames three times as fast as the default 4, for a quarter
    // of a decibel.
    liq_set_speed(attr.get(), 8);
    LiqPtr<liq_image> image(liq_image_create_custom(attr.get(), ReadRow, plane.get(), w, h, 0));
    if (!image) return false;
    for (const uint32_t c : frame.reservedColours) {
        if (c == kNoReservedColour) continue;
        liq_image_add_fixed_color(image.get(),
                                  liq_color{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255});
    }
    liq_result* quantised = nullptr;
    if (liq_image_quantize(image.get(), attr.get(), &quantised) != LIQ_OK) return false;
    LiqPtr<liq_result> result(quantised);
    liq_set_dithering_level(result.get(), float(std::clamp(dither, 0, 100)) / 100.0f);
    liq_result_set_progress_callback(result.get(), KeepGoing, &frame.abortReduce);

    std::shared_ptr<IndexBuffer> indexes = IndexBuffer::Create(&frame, w, h);
    if (!indexes) return false;
    std::vector<unsigned char*> rows(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) rows[size_t(y)] = indexes->row(y);
    if (liq_write_remapped_image_rows(result.get(), image.get(), rows.data()) != LIQ_OK)
        return false;

    // The opaque colours in the quantiser's order, then the transparent slot.
    const liq_palette* chosen = liq_get_palette(result.get());
    Palette palette{};
    std::array<uint8_t, 256> ours{};
    int colours = 0;
    for (unsigned i = 0; i < chosen->count && i < 256; ++i) {
        const liq_color c = chosen->entries[i];
        if (c.a == 0) continue;
        palette[size_t(colours)] =
            PaletteEntry::FromRgb(uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b);
        ours[i] = uint8_t(colours++);
    }
    const uint8_t transparent = uint8_t(colours);
    for (unsigned i = 0; i < chosen->count && i < 256; ++i) {
        if (chosen->entries[i].a == 0) ours[i] = transparent;
    }
    bool transparencyActive = false;
    for (int y = 0; y < h; ++y) {
        uint8_t* out = indexes->row(y);
        const uint32_t* in = plane->row(y);
        for (int x = 0; x < w; ++x) {
            // The transparent pixels are the plane's, whatever the quantiser made of them.
            if (in[x] & kTransparentMarker) {
                out[x] = transparent;
                transparencyActive = true;
            } else {
                out[x] = ours[out[x]];
            }
        }
    }
    if (frame.abortReduce) return false;
    PublishReduction(frame, palette, colours, std::move(indexes), transparencyActive);
    return true;
}
