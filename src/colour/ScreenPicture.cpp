#include "colour/ScreenPicture.h"

#include <algorithm>

#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "document/FrameRecord.h"

namespace {

size_t ScreenSize(const AnimationDocument& doc) {
    return size_t(std::max(doc.screenWidth, 0)) * size_t(std::max(doc.screenHeight, 0));
}

}  // namespace

uint32_t ColourShownThrough(const FrameRecord& frame, int x, int y, const BeneathPixels* beneath) {
    const AnimationDocument& doc = frame.document;
    const int disposal = doc.disposalBefore(frame);
    if (disposal == 2 || disposal == 3) return doc.backgroundColour();
    if (!frame.prev) return kGreyBeneath;
    if (beneath && x >= 0 && y >= 0 && x < doc.screenWidth && y < doc.screenHeight &&
        beneath->size() == ScreenSize(doc)) {
        const uint32_t c = (*beneath)[size_t(y) * size_t(doc.screenWidth) + size_t(x)];
        return c == kNothingBeneath ? kGreyBeneath : c;
    }
    return ColourBeneath(frame, x, y).value_or(kGreyBeneath);
}

BeneathPixels NothingBeneath(const AnimationDocument& doc) {
    return BeneathPixels(ScreenSize(doc), kNothingBeneath);
}

void StackFrame(const FrameRecord& frame, BeneathPixels& beneath) {
    const AnimationDocument& doc = frame.document;
    const int sw = std::max(doc.screenWidth, 0), sh = std::max(doc.screenHeight, 0);
    if (beneath.size() != ScreenSize(doc)) return;
    const bool valid = frame.IsPaletteValid();
    const std::shared_ptr<IndexBuffer> indexes = frame.indexPlane();
    const std::shared_ptr<TrueColourBuffer> colours = frame.trueColourPlane();
    const Palette& pal = frame.effectivePalette();
    const int x0 = std::max(0, -frame.left), y0 = std::max(0, -frame.top);
    const int x1 = std::min(frame.width, sw - frame.left),
              y1 = std::min(frame.height, sh - frame.top);
    for (int y = y0; y < y1; ++y) {
        uint32_t* out = beneath.data() + size_t(frame.top + y) * size_t(sw) + size_t(frame.left);
        for (int x = x0; x < x1; ++x) {
            // As ColourBeneath reads a frame: true colours while the palette is pending
            // (markers dropped), else the palette colour unless the index is transparent.
            if (!valid) {
                out[x] = colours && x < colours->width && y < colours->height
                             ? colours->get(x, y) & kRgbMask
                             : 0u;
                continue;
            }
            const uint8_t i =
                indexes && x < indexes->width && y < indexes->height ? indexes->get(x, y) : 0;
            if (frame.hasTransparency && i == frame.transparentIndex) continue;
            out[x] = pal[i].rgb();
        }
    }
}

ScreenPixels ScreenBefore(const FrameRecord& frame, const ScreenPixels& afterPrevious) {
    const AnimationDocument& doc = frame.document;
    const size_t size = ScreenSize(doc);
    const int disposal = doc.disposalBefore(frame);
    if ((disposal == 0 || disposal == 1) && frame.prev && afterPrevious.size() == size) {
        return afterPrevious;
    }
    if (disposal >= 0 && disposal <= 3) return ScreenPixels(size, doc.backgroundColour());
    return ScreenPixels(size, 0u);
}

void DrawFrameOnScreen(const FrameRecord& frame, ScreenPixels& screen,
                       const BeneathPixels* beneath) {
    const AnimationDocument& doc = frame.document;
    const int sw = std::max(doc.screenWidth, 0), sh = std::max(doc.screenHeight, 0);
    if (screen.size() != size_t(sw) * size_t(sh)) return;
    const int disposal = doc.disposalBefore(frame);
    const bool replacesTransparent = disposal >= 0 && disposal <= 3;
    const bool valid = frame.IsPaletteValid();
    const std::shared_ptr<IndexBuffer> indexes = frame.indexPlane();
    const std::shared_ptr<TrueColourBuffer> colours = frame.trueColourPlane();
    if (valid ? !indexes : !colours) return;
    const int w = valid ? indexes->width : colours->width;
    const int h = valid ? indexes->height : colours->height;
    const int x0 = std::max(0, -frame.left), y0 = std::max(0, -frame.top);
    const int x1 = std::min(w, sw - frame.left), y1 = std::min(h, sh - frame.top);
    uint32_t lut[256];
    const Palette& pal = frame.effectivePalette();
    for (int i = 0; i < 256; ++i) lut[i] = pal[size_t(i)].rgb();
    const bool indexTransparent = frame.transparencyActive && frame.hasTransparency;
    for (int y = y0; y < y1; ++y) {
        uint32_t* out = screen.data() + size_t(frame.top + y) * size_t(sw) + size_t(frame.left);
        for (int x = x0; x < x1; ++x) {
            bool transparent;
            uint32_t colour;
            if (valid) {
                const uint8_t i = indexes->get(x, y);
                transparent = indexTransparent && i == frame.transparentIndex;
                colour = lut[i];
            } else {
                const uint32_t c = colours->get(x, y);
                transparent = frame.transparencyActive && (c & kTransparentMarker);
                colour = c & kRgbMask;
            }
            out[x] = transparent && replacesTransparent
                         ? ColourShownThrough(frame, frame.left + x, frame.top + y, beneath)
                         : colour;
        }
    }
}

ScreenPixels ScreenAfter(const FrameRecord& frame) {
    std::vector<const FrameRecord*> chain;
    for (const FrameRecord* f = &frame; f; f = f->prev) chain.push_back(f);
    ScreenPixels screen;
    BeneathPixels beneath = NothingBeneath(frame.document);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        screen = ScreenBefore(**it, screen);
        DrawFrameOnScreen(**it, screen, &beneath);
        StackFrame(**it, beneath);
    }
    return screen;
}
