// Move engine: slides one or both images by whole-pixel offsets over the selected colour
// or the other image. Zoom engine: scales one image about the centre while turning it.
// Both copy whole pixels: indexes with one image, true colour with two.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"
#include "effects/RendererSkeletons.h"
#include "effects/renderers/RendererPixels.h"
#include "effects/renderers/Renderers.h"

using namespace renderer_pixels;

namespace {

struct Offset {
    int64_t x = 0, y = 0;
};

// Offset of list entry `index` (0 top, then clockwise in steps of 45 degrees).
Offset ListOffset(int index, int w, int h) {
    switch (index) {
        case 0:
            return {0, -h};
        case 1:
            return {w, -h};
        case 2:
            return {w, 0};
        case 3:
            return {w, h};
        case 4:
            return {0, h};
        case 5:
            return {-w, h};
        case 6:
            return {-w, 0};
        case 7:
            return {-w, -h};
        default:
            return {};
    }
}

struct Movement {
    Offset start1, end1, start2, end2;
    bool image2OnTop = false;
};

// Products first, then a division truncating toward zero.
Offset Between(Offset start, Offset end, int64_t num, int64_t den) {
    return {start.x + (end.x - start.x) * num / den, start.y + (end.y - start.y) * num / den};
}

// Copies `image` drawn at `at` into the output, skipping its transparent pixels.
template <typename Plane, typename IsTransparent>
void DrawAt(const Plane& source, Plane& out, Offset at, IsTransparent transparent) {
    const int64_t w = out.width, h = out.height;
    if (!(at.x < w && at.y < h && w + at.x > 0 && h + at.y > 0)) return;
    const int64_t xEnd = std::min<int64_t>(at.x < 0 ? w + at.x : w, source.width + at.x);
    const int64_t yEnd = std::min<int64_t>(at.y < 0 ? h + at.y : h, source.height + at.y);
    for (int64_t y = std::max<int64_t>(at.y, 0); y < yEnd; ++y) {
        const auto* from = source.row(int(y - at.y));
        auto* to = out.row(int(y));
        for (int64_t x = std::max<int64_t>(at.x, 0); x < xEnd; ++x) {
            const auto px = from[x - at.x];
            if (!transparent(px)) to[x] = px;
        }
    }
}

FrameRecord* MoveEngine(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p,
                        const Movement& m) {
    if (n < 1 || (!frame1 && !frame2)) return nullptr;
    if ((frame1 && !UsableInput(frame1)) || (frame2 && !UsableInput(frame2))) return nullptr;
    if (n < 2 && (p.pingPong || frame2)) return nullptr;
    const bool trueColour = frame1 && frame2;
    FrameRecord* palette = frame1 ? frame1 : frame2;
    const uint32_t colour = SelectedColour(*palette, p.colorIndex);
    const uint8_t colourIndex = ClampedColourIndex(p.colorIndex);
    FrameBody body = [&](int i, int h, FrameRecord& out) {
        Offset at1 = m.start1, at2 = m.start2;
        if (h >= 2) {
            at1 = Between(m.start1, m.end1, i + 1, frame2 ? h + 1 : h);
            at2 =
                frame1 ? Between(m.start2, m.end2, i + 1, h + 1) : Between(m.start2, m.end2, i, h);
        }
        FrameRecord* first = m.image2OnTop ? frame1 : frame2;
        FrameRecord* second = m.image2OnTop ? frame2 : frame1;
        const Offset firstAt = m.image2OnTop ? at1 : at2;
        const Offset secondAt = m.image2OnTop ? at2 : at1;
        if (trueColour) {
            const std::shared_ptr<TrueColourBuffer> o = out.trueColourPlane();
            o->fill(colour);
            for (const auto& [image, at] :
                 {std::pair{first, firstAt}, std::pair{second, secondAt}}) {
                if (!image) continue;
                const FrameRecord* drawn = image;  // a lambda cannot capture a binding
                DrawAt(*drawn->trueColourPlane(), *o, at,
                       [&](uint32_t px) { return TransparentPixel(*drawn, px); });
            }
            return;
        }
        const std::shared_ptr<IndexBuffer> o = out.indexPlane();
        o->fill(colourIndex);
        for (const auto& [image, at] : {std::pair{first, firstAt}, std::pair{second, secondAt}}) {
            if (!image) continue;
            const FrameRecord* drawn = image;
            DrawAt(*drawn->indexPlane(), *o, at,
                   [&](uint8_t px) { return TransparentIndex(*drawn, px); });
        }
    };
    if (trueColour) return RunTrueColourSkeleton(frame1, frame2, n, p, body);
    return RunIndexSkeleton(frame1, frame2, n, p, body);
}

Movement MovementOf(FrameRecord* frame1, FrameRecord* frame2, int direction1, int direction2,
                    bool onTop) {
    Movement m;
    if (frame1) m.end1 = ListOffset(direction1, frame1->width, frame1->height);
    if (frame2) m.start2 = ListOffset(direction2, frame2->width, frame2->height);
    m.image2OnTop = onTop;
    return m;
}

// Pixel (x, y) of the output is taken from the zoomed image at the truncated source point.
FrameRecord* ZoomEngine(FrameRecord* base, FrameRecord* zoomed, int n, const EffectParams& p,
                        bool zoomIn) {
    if (!UsableInput(zoomed) || n < 1) return nullptr;
    if (base && !UsableInput(base)) return nullptr;
    double a = double(p.value[0]) * 3.141592654 * 0.005555555555555556;
    if (zoomIn) a = -a;
    const uint8_t colourIndex = ClampedColourIndex(p.colorIndex);
    FrameBody body = [&](int i, int h, FrameRecord& out) {
        const int w = out.width, hImg = out.height;
        int j = zoomIn ? i + 1 : h - 1 - i;
        int d = h;
        if (base) {
            // Zoom Out shows image 1 at (h - i) / (h + 1) of its size; Zoom In shows image 2
            // at (i + 1) / (h + 1), so neither end repeats an input image unchanged.
            if (!zoomIn) ++j;
            d = h + 1;
        }
        std::shared_ptr<TrueColourBuffer> tc;
        std::shared_ptr<IndexBuffer> ix;
        std::shared_ptr<TrueColourBuffer> srcTc;
        std::shared_ptr<IndexBuffer> srcIx;
        if (base) {
            tc = out.trueColourPlane();
            srcTc = zoomed->trueColourPlane();
            CopyPlane(*base->trueColourPlane(), *tc);
        } else {
            ix = out.indexPlane();
            srcIx = zoomed->indexPlane();
            ix->fill(colourIndex);
        }
        if (j <= 0) return;
        const double s = double(d) / j;
        const double t = a * (d - j) / d;
        const double cx = w * 0.5, cy = hImg * 0.5;
        const double ct = std::cos(t), st = std::sin(t);
        const int zw = zoomed->width, zh = zoomed->height;
        for (int y = 0; y < hImg; ++y) {
            const double v = (y - cy) * s;
            for (int x = 0; x < w; ++x) {
                const double u = (x - cx) * s;
                double fx, fy;
                if (t == 0) {
                    fx = u + cx;
                    fy = v + cy;
                } else {
                    fx = ct * u - st * v + cx;
                    fy = ct * v + st * u + cy;
                }
                // Checked before truncation; -1 < f < 0 truncates to 0 as well.
                if (!(fx > -1.0 && fx < zw && fy > -1.0 && fy < zh)) continue;
                const int sx = int(fx), sy = int(fy);
                if (base) {
                    const uint32_t px = srcTc->get(sx, sy);
                    if (!TransparentPixel(*zoomed, px)) tc->set(x, y, px);
                } else {
                    const uint8_t px = srcIx->get(sx, sy);
                    if (!TransparentIndex(*zoomed, px)) ix->set(x, y, px);
                }
            }
        }
    };
    // The chain copies frame 1 (image 1 in every entry).
    if (base) {
        FrameRecord* frame1 = zoomIn ? base : zoomed;
        FrameRecord* frame2 = zoomIn ? zoomed : base;
        return RunTrueColourSkeleton(frame1, frame2, n, p, body);
    }
    return RunIndexSkeleton(zoomed, nullptr, n, p, body);
}

}  // namespace

// Effect "Move" (no frame 2) and transition "Move 1. Image".
FrameRecord* RenderMoveImage1(FrameRecord* frame1, FrameRecord* frame2, int n,
                              const EffectParams& p) {
    if (!frame1) return nullptr;
    return MoveEngine(frame1, frame2, n, p, MovementOf(frame1, nullptr, p.direction, 0, false));
}

FrameRecord* RenderMoveImage2(FrameRecord* frame1, FrameRecord* frame2, int n,
                              const EffectParams& p) {
    if (!frame1 || !frame2) return nullptr;
    return MoveEngine(frame1, frame2, n, p, MovementOf(nullptr, frame2, 0, p.secondList, true));
}

FrameRecord* RenderMoveBoth(FrameRecord* frame1, FrameRecord* frame2, int n,
                            const EffectParams& p) {
    if (!frame1 || !frame2) return nullptr;
    return MoveEngine(frame1, frame2, n, p,
                      MovementOf(frame1, frame2, p.direction, p.secondList, p.option[0] != 0));
}

FrameRecord* RenderZoomIn(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (!frame1 || !frame2) return nullptr;
    return ZoomEngine(frame1, frame2, n, p, true);
}

// Effect "Zoom Out" (no frame 2: over the selected colour) and transition "Zoom Out".
FrameRecord* RenderZoomOut(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (!frame1) return nullptr;
    return ZoomEngine(frame2, frame1, n, p, false);
}
