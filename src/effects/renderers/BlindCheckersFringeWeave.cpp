// Stripe renderers: Blind closes rows blind by blind, Fringe grows combs in from two
// sides, Checkers and Weave deepen a line texture frame by frame. All build frame after
// frame, each a copy of an earlier one; out of memory gives up the whole run.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"
#include "effects/RendererSkeletons.h"
#include "effects/renderers/RendererPixels.h"
#include "effects/renderers/Renderers.h"

using namespace renderer_pixels;

namespace {

// The rows a blind closes, frame after frame. The phase p runs over the rows of one
// blind; once every row of a blind (or of the image, if shorter) is closed, nothing is
// left to paint and the rows past the image are never touched.
class BlindRows {
  public:
    BlindRows(int height, int blindHeight)
        : height_(height),
          step_(std::max(1, blindHeight)),
          limit_(std::min<int64_t>(std::max(1, blindHeight), height)) {}

    // Calls paint(y) for the next `rows` rows.
    template <typename Paint>
    void Advance(int rows, Paint paint) {
        for (int k = 0; k < rows; ++k) {
            if (y_ >= height_) {
                ++p_;
                y_ = p_;
            }
            if (p_ >= limit_) return;
            paint(int(y_));
            y_ += step_;
        }
        if (y_ > height_) {
            ++p_;
            y_ = p_;
        }
    }

  private:
    // 64 bits: a blind may be as high as any int, and the row after the last of the
    // image must not wrap round to a negative row.
    int64_t height_, step_, limit_;
    int64_t y_ = 0, p_ = 0;
};

FrameRecord* Finish(FrameRecord* frame1, FrameRecord* frame2, FrameRecord* head, int h, int n,
                    const EffectParams& p) {
    if (p.pingPong && !MirrorComputedFrames(head, h, n)) return DiscardUnreducedChain(head);
    return FinishRun(frame1, frame2, head, h, p.preview != 0);
}

}  // namespace

FrameRecord* RenderBlind(FrameRecord* frame1, FrameRecord*, int n, const EffectParams& p) {
    if (!UsableInput(frame1) || n < 1) return nullptr;
    const int H = frame1->height;
    const int h = ComputedCount(n, p.pingPong != 0);
    const int rowsPerFrame = p.pingPong ? (H + 5) / h : H / n;
    const uint8_t colour = ClampedColourIndex(p.colorIndex);
    frame1->WaitForReduction();
    RenderProgress progress(frame1->document, p.preview != 0);
    progress.Announce(h);
    BlindRows rows(H, p.value[0]);
    FrameRecord* head = nullptr;
    FrameRecord* previous = frame1;
    for (int i = 0; i < h; ++i) {
        FrameRecord* frame = CopyFrameAfter(*previous, head ? previous : nullptr, false);
        if (!frame) return DiscardUnreducedChain(head);
        if (!head) head = frame;
        previous = frame;
        const std::shared_ptr<IndexBuffer> plane = frame->indexPlane();
        rows.Advance(rowsPerFrame,
                     [&](int y) { std::fill_n(plane->row(y), frame->width, colour); });
        if (!progress.Step()) return DiscardUnreducedChain(head);
    }
    return Finish(frame1, nullptr, head, h, n, p);
}

FrameRecord* RenderBlindTransition(FrameRecord* frame1, FrameRecord* frame2, int n,
                                   const EffectParams& p) {
    if (!UsableInput(frame1) || !UsableInput(frame2) || n < 1) return nullptr;
    if (!ToTrueColour(*frame1, false) || !ToTrueColour(*frame2, false)) return nullptr;
    const int H = frame1->height;
    const int h = ComputedCount(n, p.pingPong != 0);
    const int rowsPerFrame = p.pingPong ? (H + 5) / h : (H + 5) / (n + 1);
    const std::shared_ptr<TrueColourBuffer> target = frame2->trueColourPlane();
    RenderProgress progress(frame1->document, p.preview != 0);
    progress.Announce(h);
    BlindRows rows(H, p.value[0]);
    FrameRecord* head = nullptr;
    FrameRecord* previous = frame1;
    for (int i = 0; i < h; ++i) {
        FrameRecord* frame = CopyWithTrueColourAfter(*previous, head ? previous : nullptr);
        if (!frame) return DiscardUnreducedChain(head);
        if (!head) head = frame;
        previous = frame;
        const std::shared_ptr<TrueColourBuffer> plane = frame->trueColourPlane();
        const int w = std::min(plane->width, target->width);
        rows.Advance(rowsPerFrame, [&](int y) {
            if (y < target->height) std::copy_n(target->row(y), w, plane->row(y));
        });
        if (!progress.Step()) return DiscardUnreducedChain(head);
    }
    return Finish(frame1, frame2, head, h, n, p);
}

// --- Checkers ---

namespace {

// Bands of a line at position c with half width b: the dark band [c - b, c + b), then the
// light bands [c - 2b - 1, c - b) and [c + b, c + 2b + 1). Lines are drawn at ascending
// positions and each line dark band first, so where neighbouring bands overlap the later
// one wins in a fixed order.
template <typename Apply>
void LineBands(int c, int b, int limit, Apply apply) {
    for (int v = std::max(0, c - b); v < std::min(limit, c + b); ++v) apply(v, true);
    for (int v = std::max(0, c - 2 * b - 1); v < std::min(limit, c - b); ++v) apply(v, false);
    for (int v = std::max(0, c + b); v < std::min(limit, c + 2 * b + 1); ++v) apply(v, false);
}

}  // namespace

FrameRecord* RenderCheckers(FrameRecord* frame1, FrameRecord*, int n, const EffectParams& p) {
    if (!UsableInput(frame1) || n < 1) return nullptr;
    if (!ToTrueColour(*frame1, false)) return nullptr;
    const int W = frame1->width, H = frame1->height;
    const int h = ComputedCount(n, p.pingPong != 0);
    const int cell = std::max(std::max(H / h, 6), std::max(W / h, 6));
    const int d = std::max(100 / h, 2);
    int b = 1;
    RenderProgress progress(frame1->document, p.preview != 0);
    progress.Announce(h);
    FrameRecord* head = nullptr;
    FrameRecord* previous = frame1;
    for (int i = 0; i < h; ++i) {
        FrameRecord* frame = CopyFrameAfter(*previous, head ? previous : nullptr, false);
        // Converted afresh from the indexes, which are still frame 1's.
        if (!frame || !ToTrueColour(*frame, true)) {
            if (frame && !head) head = frame;
            return DiscardUnreducedChain(head);
        }
        if (!head) head = frame;
        const std::shared_ptr<TrueColourBuffer> from = previous->trueColourPlane();
        const std::shared_ptr<TrueColourBuffer> to = frame->trueColourPlane();
        const bool keyed = frame1->hasTransparency != 0;
        auto shade = [&](uint32_t source, uint32_t& out, bool dark) {
            // Transparent pixels stay transparent.
            if (keyed && (source & kTransparentMarker)) return;
            out = Shifted(source, dark ? -d : d / 2);
        };
        for (int X = cell; X < W; X += cell)
            for (int y = 0; y < H; ++y) {
                const uint32_t* src = from->row(y);
                uint32_t* dst = to->row(y);
                LineBands(X, b, W, [&](int x, bool dark) { shade(src[x], dst[x], dark); });
            }
        for (int Y = cell; Y < H; Y += cell)
            for (int x = 0; x < W; ++x)
                LineBands(Y, b, H, [&](int y, bool dark) {
                    uint32_t& px = to->row(y)[x];
                    shade(px, px, dark);
                });
        if (cell / 3 > b) ++b;
        previous = frame;
        if (!progress.Step()) return DiscardUnreducedChain(head);
    }
    return Finish(frame1, nullptr, head, h, n, p);
}

// --- Fringe ---

namespace {

// Calls paint(x, y) for the fringe pixels of length g: stripes of width f from one side
// at 0, 2f, ... and from the other at f, 3f, ...
template <typename Paint>
void FringePixels(int W, int H, bool leftRight, int f, int g, Paint paint) {
    if (f <= 0 || g <= 0) return;
    // 64 bits: the stripe width may be any int, and 2f past the last stripe must not
    // wrap round into the picture.
    const int64_t width = f;
    const int64_t across = leftRight ? H : W;  // the stripes lie side by side along this axis
    const int along = leftRight ? W : H;
    g = std::min(g, along);
    for (int64_t start = 0; start < across; start += 2 * width) {
        for (int64_t a = start; a < std::min(across, start + width); ++a) {
            for (int l = 0; l < g; ++l) leftRight ? paint(l, int(a)) : paint(int(a), l);
            const int64_t other = a + width;
            if (other < across && other < start + 2 * width)
                for (int l = along - g; l < along; ++l)
                    leftRight ? paint(l, int(other)) : paint(int(other), l);
        }
    }
}

template <typename PaintFrame>
FrameRecord* FringeRun(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p,
                       bool trueColour, PaintFrame paintFrame) {
    const int W = frame1->width, H = frame1->height;
    const bool leftRight = p.direction == 1;
    const int L = leftRight ? W : H;
    const int h = ComputedCount(n, p.pingPong != 0);
    const int s = std::max(L / h, 1);
    RenderProgress progress(frame1->document, p.preview != 0);
    progress.Announce(h);
    FrameRecord* head = nullptr;
    FrameRecord* last = nullptr;
    for (int i = 0; i < h; ++i) {
        FrameRecord* frame = CopyFrameAfter(*frame1, last, trueColour);
        if (!frame) return DiscardUnreducedChain(head);
        if (!head) head = frame;
        last = frame;
        // More frames than pixels: the fringes stop at the far side.
        const int g = int(std::min<int64_t>(int64_t(i + 1) * s, L));
        paintFrame(*frame, leftRight, g);
        if (!progress.Step()) return DiscardUnreducedChain(head);
    }
    return Finish(frame1, frame2, head, h, n, p);
}

}  // namespace

FrameRecord* RenderFringe(FrameRecord* frame1, FrameRecord*, int n, const EffectParams& p) {
    if (!UsableInput(frame1) || n < 1) return nullptr;
    frame1->WaitForReduction();
    const uint8_t colour = ClampedColourIndex(p.colorIndex);
    const int f = p.value[0];
    return FringeRun(frame1, nullptr, n, p, false, [&](FrameRecord& frame, bool lr, int g) {
        const std::shared_ptr<IndexBuffer> plane = frame.indexPlane();
        FringePixels(frame.width, frame.height, lr, f, g,
                     [&](int x, int y) { plane->set(x, y, colour); });
    });
}

FrameRecord* RenderFringeTransition(FrameRecord* frame1, FrameRecord* frame2, int n,
                                    const EffectParams& p) {
    if (!UsableInput(frame1) || !UsableInput(frame2) || n < 2) return nullptr;
    if (!ToTrueColour(*frame1, false) || !ToTrueColour(*frame2, false)) return nullptr;
    const std::shared_ptr<TrueColourBuffer> one = frame1->trueColourPlane();
    const std::shared_ptr<TrueColourBuffer> two = frame2->trueColourPlane();
    const int f = p.value[0];
    return FringeRun(frame1, frame2, n, p, true, [&](FrameRecord& frame, bool lr, int g) {
        const std::shared_ptr<TrueColourBuffer> plane = frame.trueColourPlane();
        CopyPlane(*one, *plane);
        FringePixels(frame.width, frame.height, lr, f, g,
                     [&](int x, int y) { plane->set(x, y, two->get(x, y)); });
    });
}

// --- Weave ---

FrameRecord* RenderWeave(FrameRecord* frame1, FrameRecord*, int n, const EffectParams& p) {
    if (!UsableInput(frame1) || n < 1) return nullptr;
    if (!ToTrueColour(*frame1, false)) return nullptr;
    const int W = frame1->width, H = frame1->height;
    const int h = ComputedCount(n, p.pingPong != 0);
    const int d = std::max(128 / n, 2);
    const bool keyed = frame1->hasTransparency != 0;
    RenderProgress progress(frame1->document, p.preview != 0);
    progress.Announce(h);
    FrameRecord* head = nullptr;
    FrameRecord* previous = frame1;
    for (int i = 0; i < h; ++i) {
        FrameRecord* frame = CopyFrameAfter(*previous, head ? previous : nullptr, false);
        if (!frame || !ToTrueColour(*frame, true)) {
            if (frame && !head) head = frame;
            return DiscardUnreducedChain(head);
        }
        if (!head) head = frame;
        const std::shared_ptr<TrueColourBuffer> from = previous->trueColourPlane();
        const std::shared_ptr<TrueColourBuffer> to = frame->trueColourPlane();
        // Reads from the previous frame, writes to the new one; transparent pixels stay.
        auto shade = [&](int x, int y, int amount) {
            if (x < 0 || x >= W || y < 0 || y >= H) return;
            const uint32_t source = from->get(x, y);
            if (keyed && (source & kTransparentMarker)) return;
            to->set(x, y, Shifted(source, amount));
        };
        // Threads overlap where they cross; they are drawn at ascending X, then ascending
        // y, each step in the order below, and the later write wins.
        for (int X = 0; X < W; X += 11) {
            for (int y = 0; y < H; ++y) {
                shade(X, y, -d);
                shade(X - 1, y, -d / 2);
                shade(X + 1, y, -d / 2);
                if (X - 3 > 0) shade(X - 3, y, d);
                if (X - 2 > 0) shade(X - 2, y, d / 2);
                shade(X + 2, y, d / 2);
                shade(X + 3, y, d);
                if (y % 11 != 0) continue;
                for (int x = std::max(0, X - 11); x < std::min(W, X + 11); ++x) {
                    shade(x, y, -d);
                    shade(x, y - 1, -d / 2);
                    shade(x, y + 1, -d / 2);
                    if (x >= X - 3 && x <= X + 3) continue;
                    if (y - 3 > 0) shade(x, y - 3, d);
                    shade(x, y + 3, d);
                    if (y - 2 > 0) shade(x, y - 2, d / 2);
                    shade(x, y + 2, d / 2);
                }
            }
        }
        previous = frame;
        if (!progress.Step()) return DiscardUnreducedChain(head);
    }
    return Finish(frame1, nullptr, head, h, n, p);
}
