// Pixelize coarsens an image into growing blocks of averaged colour (as a transition both
// images meet in the middle); Random Rects uncovers image 2 rectangle by rectangle.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "document/FrameRecord.h"
#include "effects/RendererSkeletons.h"
#include "effects/renderers/RendererPixels.h"
#include "effects/renderers/Renderers.h"
#include "effects/renderers/UncoveredCells.h"
#include "host/Host.h"

using namespace renderer_pixels;

namespace {

struct BlockSize {
    int w = 2, h = 2;
};

// Averages every block of `frame` in place. With a partner, each pixel adds the partner's
// pixel weighted i / k (integer per term) and the sums are divided by the larger area m.
// Sums are 64-bit: a large block of bright pixels passes 32 bits.
void PixelizeBlocks(TrueColourBuffer& frame, const TrueColourBuffer* partner, int i, int k,
                    BlockSize block, bool keyed) {
    const int W = frame.width, H = frame.height;
    const int64_t area = int64_t(block.w) * block.h;
    int64_t m = area;
    if (partner) {
        const double t = double(i) / double(k);
        m = int64_t((t + 1.0) * double(block.w) * double(block.h));
    }
    if (m < 1) m = 1;
    for (int by = 0; by < H; by += block.h) {
        const int yEnd = std::min(H, by + block.h);
        for (int bx = 0; bx < W; bx += block.w) {
            const int xEnd = std::min(W, bx + block.w);
            int64_t r = 0, g = 0, b = 0;
            for (int y = by; y < yEnd; ++y) {
                const uint32_t* row = frame.row(y);
                const uint32_t* other = partner ? partner->row(y) : nullptr;
                for (int x = bx; x < xEnd; ++x) {
                    const uint32_t px = row[x];
                    r += (px >> 16) & 0xFF;
                    g += (px >> 8) & 0xFF;
                    b += px & 0xFF;
                    if (other) {
                        const uint32_t q = other[x];
                        r += int64_t((q >> 16) & 0xFF) * i / k;
                        g += int64_t((q >> 8) & 0xFF) * i / k;
                        b += int64_t(q & 0xFF) * i / k;
                    }
                }
            }
            const uint32_t average = (uint32_t(std::min<int64_t>(r / m, 255)) << 16) |
                                     (uint32_t(std::min<int64_t>(g / m, 255)) << 8) |
                                     uint32_t(std::min<int64_t>(b / m, 255));
            for (int y = by; y < yEnd; ++y) {
                uint32_t* row = frame.row(y);
                for (int x = bx; x < xEnd; ++x)
                    if (!(keyed && (row[x] & kTransparentMarker))) row[x] = average;
            }
        }
    }
}

// The next frame of a pixelize run: a copy of `previous` converted from its indexes (so it
// shows the run's source picture), linked behind `last`.
FrameRecord* NextConverted(FrameRecord& previous, FrameRecord* last, FrameRecord*& head) {
    FrameRecord* frame = CopyFrameAfter(previous, last, false);
    if (!frame) return nullptr;
    if (!head) head = frame;
    if (!ToTrueColour(*frame, true)) return nullptr;
    return frame;
}

}  // namespace

FrameRecord* RenderPixelize(FrameRecord* frame1, FrameRecord* frame2, int n,
                            const EffectParams& p) {
    const bool transition = frame2 != nullptr;
    if (!UsableInput(frame1) || n < 1) return nullptr;
    if (transition && !UsableInput(frame2)) return nullptr;
    if (n < 2 && (transition || p.pingPong)) return nullptr;
    if (!ToTrueColour(*frame1, false)) return nullptr;
    if (transition && !ToTrueColour(*frame2, false)) return nullptr;
    const int W = frame1->width, H = frame1->height;
    const int k = transition ? n / 2 : ComputedCount(n, p.pingPong != 0);
    const int64_t six = int64_t(6) * n;
    const int bw0 = std::max(int(W / six), 2);
    const int bh0 = std::max(int(H / six), 2);
    const bool preview = p.preview != 0;
    RenderProgress progress(frame1->document, preview);
    progress.Announce(n);
    FrameRecord* headA = nullptr;
    FrameRecord* headB = nullptr;
    auto fail = [&]() -> FrameRecord* {
        DiscardUnreducedChain(headA);
        DiscardUnreducedChain(headB);
        return nullptr;
    };
    FrameRecord* lastA = nullptr;
    FrameRecord* lastB = nullptr;
    for (int i = 0; i < k; ++i) {
        // Block sizes past an int are no larger in effect than the image.
        const BlockSize block{int(std::min<int64_t>(bw0 + int64_t(i) * (bw0 / 2), W + 1)),
                              int(std::min<int64_t>(bh0 + int64_t(i) * (bh0 / 2), H + 1))};
        FrameRecord* a = NextConverted(lastA ? *lastA : *frame1, lastA, headA);
        if (!a) return fail();
        lastA = a;
        if (!transition) {
            PixelizeBlocks(*a->trueColourPlane(), nullptr, i, k, block, frame1->hasTransparency);
        } else {
            FrameRecord* b = NextConverted(lastB ? *lastB : *frame2, lastB, headB);
            if (!b) return fail();
            lastB = b;
            PixelizeBlocks(*a->trueColourPlane(), frame2->trueColourPlane().get(), i, k, block,
                           frame1->hasTransparency);
            PixelizeBlocks(*b->trueColourPlane(), frame1->trueColourPlane().get(), i, k, block,
                           frame2->hasTransparency);
        }
        if (!progress.Step()) return fail();
    }
    if (transition) {
        // A0 .. A(k-1) B(k-1) .. B0
        FrameRecord* reversed = ReverseChain(headB);
        headB = nullptr;
        lastA->next = reversed;
        reversed->prev = lastA;
    } else if (p.pingPong && !MirrorComputedFrames(headA, k, n)) {
        return fail();
    }
    return FinishRun(frame1, frame2, headA, k, preview);
}

// --- Random Rects ---

namespace {

// Largest cell table we agree to keep.
constexpr int64_t kMaxCells = int64_t(1) << 24;

}  // namespace

FrameRecord* RenderRandomRects(FrameRecord* frame1, FrameRecord* frame2, int n,
                               const EffectParams& p) {
    if (!UsableInput(frame1) || !UsableInput(frame2) || n < 1) return nullptr;
    const int columns = p.value[0], rows = p.value[1];
    if (columns < 1 || rows < 1) return nullptr;
    const int64_t cells = int64_t(columns) * rows;
    if (cells > kMaxCells) return nullptr;
    UncoveredCells unrevealed;
    if (!unrevealed.Init(cells)) return nullptr;
    if (!ToTrueColour(*frame1, false) || !ToTrueColour(*frame2, false)) return nullptr;
    const int W = frame1->width, H = frame1->height;
    const int rw = int(double(W) / columns + 0.5);
    const int rh = int(double(H) / rows + 0.5);
    std::mt19937 generator(uint32_t(std::chrono::system_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> draw(0, 32767);
    const int h = ComputedCount(n, p.pingPong != 0);
    const int64_t perFrame = cells / h;
    int64_t remaining = cells;
    const std::shared_ptr<TrueColourBuffer> two = frame2->trueColourPlane();
    const bool preview = p.preview != 0;
    RenderProgress progress(frame1->document, preview);
    progress.Announce(h);
    FrameRecord* head = nullptr;
    FrameRecord* previous = nullptr;
    for (int i = 0; i < h; ++i) {
        FrameRecord* frame = previous ? CopyWithTrueColourAfter(*previous, previous)
                                      : CopyFrameAfter(*frame1, nullptr, false);
        if (!frame) return DiscardUnreducedChain(head);
        if (!head) head = frame;
        if (!previous && !ToTrueColour(*frame, true)) return DiscardUnreducedChain(head);
        previous = frame;
        const std::shared_ptr<TrueColourBuffer> plane = frame->trueColourPlane();
        for (int64_t k = 0; k < perFrame; ++k) {
            int64_t r = remaining;
            while (r >= remaining) r = int64_t(draw(generator)) * remaining / 32767;
            const int64_t cell = unrevealed.Take(r);
            if (cell < 0) {
                frame1->document.host.message("y>=cy in random shine", "Bug Bug",
                                              MessageIcon::Error);
                return DiscardUnreducedChain(head);
            }
            --remaining;
            const int64_t row = cell / columns, column = cell % columns;
            const int64_t x0 = int64_t(rw) * column, y0 = int64_t(rh) * row;
            const int x1 = int(std::min<int64_t>(x0 + rw, W));
            const int y1 = int(std::min<int64_t>(y0 + rh, H));
            for (int64_t y = y0; y < y1; ++y)
                for (int64_t x = x0; x < x1; ++x)
                    plane->set(int(x), int(y), two->get(int(x), int(y)));
        }
        if (!progress.Step()) return DiscardUnreducedChain(head);
    }
    if (p.pingPong && !MirrorComputedFrames(head, h, n)) return DiscardUnreducedChain(head);
    return FinishRun(frame1, frame2, head, h, preview);
}
