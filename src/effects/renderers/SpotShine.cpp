// Spot shows an image through a round window travelling along a closed curve; Random
// Shine through replaces a fixed number of random pixels per frame. Both build their
// frames incrementally, each a copy of an earlier frame.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "document/FrameRecord.h"
#include "effects/RendererSkeletons.h"
#include "effects/renderers/PixelAccess.h"
#include "effects/renderers/Renderers.h"
#include "effects/renderers/UncoveredCells.h"
#include "host/Host.h"

namespace {

// ---------------------------------------------------------------- spot

// Window centre fractions for path `line` at angle t; both between 0 and 1.
void SpotPath(int line, double t, double& fx, double& fy) {
    double x, y;
    switch (line) {
        case 1:
            x = std::sin(2 * t), y = std::cos(t);
            break;
        case 2:
            x = std::sin(t), y = std::cos(3 * t);
            break;
        case 3:
            x = std::sin(2 * t), y = std::cos(3 * t);
            break;
        case 4:
            x = std::sin(4 * t), y = std::cos(3 * t);
            break;
        case 5:
            x = std::sin(t) * std::cos(2 * t), y = std::cos(3 * t);
            break;
        case 6:
            x = std::sin(2 * t) * std::cos(t), y = std::cos(3 * t);
            break;
        default:
            x = std::sin(t), y = std::cos(t);
            break;  // "Simple circle", also any other line
    }
    fx = (1 + x) * 0.5;
    fy = (1 + y) * 0.5;
}

// Copies the round window at (cx, cy) with radius r from `src` to `dst`, clipped to the image.
template <typename T>
void CopyWindow(const PixelView<T>& src, const PixelView<T>& dst, int w, int h, double cx,
                double cy, int64_t r) {
    for (int64_t dy = r; dy >= 0; --dy) {
        const double s = std::sqrt(double(r * r - dy * dy));
        const int64_t xa = std::max<int64_t>(0, int64_t(std::trunc(cx - s)));
        const int64_t xb = std::min<int64_t>(w, int64_t(std::trunc(cx + s)));
        if (xa >= xb) continue;
        const int64_t ys[2] = {int64_t(std::trunc(cy + double(dy))),
                               int64_t(std::trunc(cy - double(dy)))};
        for (int64_t y : ys) {
            if (y < 0 || y >= h) continue;
            std::copy(src.row(int(y)) + xa, src.row(int(y)) + xb, dst.row(int(y)) + xa);
        }
    }
}

FrameRecord* SpotRun(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (!UsableInput(frame1) || n < 1) return nullptr;
    const bool transition = frame2 != nullptr;
    const int w = frame1->width, h = frame1->height;
    FrameRecord* background = nullptr;
    if (transition) {
        if (!UsableInput(frame2)) return nullptr;
        if (!ToTrueColour(*frame1, false) || !ToTrueColour(*frame2, false)) return nullptr;
    } else {
        frame1->WaitForReduction();
        background = CopyFrameAfter(*frame1, nullptr, false);
        if (!background) return nullptr;
        const PixelView<uint8_t> bg(*background);
        const uint8_t colour = PixelView<uint8_t>::Colour(*frame1, p.colorIndex);
        for (int y = 0; y < h; ++y) std::fill(bg.row(y), bg.row(y) + w, colour);
    }
    // The dialog accepts 0 to 49 %; anything else is held to that range here too.
    const int64_t percent = std::clamp(p.value[0], 0, 49);
    const int64_t r = int64_t(std::min(w, h)) * percent / 100;
    const bool preview = p.preview != 0;
    RenderProgress progress(frame1->document, preview);
    progress.Announce(n);
    FrameRecord* head = nullptr;
    FrameRecord* last = nullptr;
    for (int i = 0; i < n; ++i) {
        FrameRecord* frame =
            CopyFrameWithPixels(transition ? *frame1 : *background, last, transition);
        if (!frame) {
            if (background) DiscardUnreducedChain(background);
            return DiscardUnreducedChain(head);
        }
        if (!head) head = frame;
        last = frame;
        const double t = (double(i) / double(n)) * 6.28318;
        double fx, fy;
        SpotPath(p.direction, t, fx, fy);
        const double cx = double(r) + double(w - 2 * r) * fx;
        const double cy = double(r) + double(h - 2 * r) * fy;
        if (transition)
            CopyWindow(PixelView<uint32_t>(*frame2), PixelView<uint32_t>(*frame), w, h, cx, cy, r);
        else
            CopyWindow(PixelView<uint8_t>(*frame1), PixelView<uint8_t>(*frame), w, h, cx, cy, r);
        progress.Step();
    }
    if (background) DiscardUnreducedChain(background);
    return FinishRun(frame1, frame2, head, n, preview);
}

// ---------------------------------------------------------------- random shine through

// Picks the pixels to replace: a uniform rank among the pixels not yet replaced, so
// every pick lands on a new pixel whatever the picture's size. Seeded afresh by the clock
// for every run.
class ShinePicker {
  public:
    ShinePicker()
        : engine_(uint32_t(std::chrono::high_resolution_clock::now().time_since_epoch().count())) {}
    // False when the table does not fit in memory.
    bool Init(int width, int height) {
        width_ = width;
        // Two pixels are left for the last frame of the original run to differ in.
        remaining_ = int64_t(width) * height - 2;
        return cells_.Init(int64_t(width) * height);
    }
    int64_t remaining() const { return remaining_; }
    // The next pixel; false when none is left.
    bool Next(int& x, int& y) {
        if (remaining_ <= 0 || cells_.uncovered() <= 0) return false;
        std::uniform_int_distribution<int64_t> rank(0, cells_.uncovered() - 1);
        const int64_t cell = cells_.Take(rank(engine_));
        if (cell < 0) return false;
        --remaining_;
        x = int(cell % width_);
        y = int(cell / width_);
        return true;
    }

  private:
    std::minstd_rand engine_;
    UncoveredCells cells_;
    int width_ = 0;
    int64_t remaining_ = 0;
};

FrameRecord* ShineRun(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (!UsableInput(frame1) || n < 1) return nullptr;
    const bool transition = frame2 != nullptr;
    if (transition) {
        if (!UsableInput(frame2)) return nullptr;
        if (!ToTrueColour(*frame1, false) || !ToTrueColour(*frame2, false)) return nullptr;
    } else {
        frame1->WaitForReduction();
    }
    const int w = frame1->width, height = frame1->height;
    const int h = ComputedCount(n, p.pingPong != 0);
    const uint64_t perFrame = (uint64_t(w) * uint64_t(height)) / (uint64_t(h) + 1);
    const uint8_t colour = PixelView<uint8_t>::Colour(*frame1, p.colorIndex);
    ShinePicker picker;
    if (!picker.Init(w, height)) return nullptr;
    const bool preview = p.preview != 0;
    RenderProgress progress(frame1->document, preview);
    progress.Announce(n);
    FrameRecord* head = nullptr;
    FrameRecord* last = nullptr;
    for (int i = 0; i < h; ++i) {
        FrameRecord* frame = CopyFrameWithPixels(last ? *last : *frame1, last, transition);
        if (!frame) return DiscardUnreducedChain(head);
        if (!head) head = frame;
        last = frame;
        const PixelView<uint8_t> out(*frame);
        std::unique_ptr<PixelView<uint32_t>> outTc, src;
        if (transition) {
            outTc = std::make_unique<PixelView<uint32_t>>(*frame);
            src = std::make_unique<PixelView<uint32_t>>(*frame2);
        }
        // Once nothing remains, further frames repeat the last one.
        for (uint64_t k = 0; k < perFrame && picker.remaining() > 0; ++k) {
            int x = 0, y = 0;
            if (!picker.Next(x, y)) {
                frame1->document.host.message("y>=cy in random shine", "Bug Bug",
                                              MessageIcon::Exclamation);
                return DiscardUnreducedChain(head);
            }
            if (transition)
                outTc->row(y)[x] = src->row(y)[x];
            else
                out.row(y)[x] = colour;
        }
        progress.Step();
    }
    if (p.pingPong && !MirrorComputedFrames(head, h, n)) return DiscardUnreducedChain(head);
    return FinishRun(frame1, frame2, head, h, preview);
}

}  // namespace

FrameRecord* RenderSpot(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (frame2) return nullptr;
    return SpotRun(frame1, nullptr, n, p);
}

FrameRecord* RenderSpotTransition(FrameRecord* frame1, FrameRecord* frame2, int n,
                                  const EffectParams& p) {
    if (!frame2) return nullptr;
    return SpotRun(frame1, frame2, n, p);
}

FrameRecord* RenderRandomShine(FrameRecord* frame1, FrameRecord* frame2, int n,
                               const EffectParams& p) {
    return ShineRun(frame1, frame2, n, p);
}
