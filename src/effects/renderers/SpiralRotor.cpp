// Spiral covers the image cell by cell along a rectangular spiral from the centre;
// Rotor turns the image row by row about its vertical centre axis. Both build their
// frames incrementally: each frame is a copy of the one before, changed where it differs.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "document/FrameRecord.h"
#include "effects/RendererSkeletons.h"
#include "effects/renderers/PixelAccess.h"
#include "effects/renderers/Renderers.h"

namespace {

// ---------------------------------------------------------------- spiral

struct SpiralGrid {
    int cw = 1, ch = 1, gx = 1, gy = 1;
};

inline int TruncHalf(double v) {
    return int(std::trunc(v + 0.5));
}

// Cells are at least one pixel and the grid at least one cell, so that small images
// and large counts never divide by zero.
SpiralGrid MakeGrid(int w, int h, int n, int computed) {
    SpiralGrid g;
    g.cw = std::max(1, TruncHalf(double(w) / std::sqrt(double(n))));
    g.ch = std::max(1, TruncHalf((double(h) / double(w)) * g.cw));
    g.gx = std::max(1, TruncHalf(double(w) / g.cw));
    g.gy = std::max(1, TruncHalf(double(h) / g.ch));
    if (int64_t(g.gx) * g.gy > computed) {
        g.gx = std::max(1, g.gx - 1);
        g.gy = std::max(1, g.gy - 1);
        g.cw = std::max(1, TruncHalf(double(w) / g.gx));
        g.ch = std::max(1, TruncHalf(double(h) / g.gy));
    }
    if (g.cw * g.gx < w) g.cw += (w - g.cw * g.gx) / g.gx;
    if (g.ch * g.gy < h) g.ch += (h - g.ch * g.gy) / g.gy;
    return g;
}

enum class Heading { Right, Down, Left, Up };

class SpiralWalk {
  public:
    explicit SpiralWalk(const SpiralGrid& g)
        : g_(g),
          visited_(size_t(g.gx) * size_t(g.gy), 0),
          col_((g.gx - 1) / 2),
          row_((g.gy - 1) / 2) {}

    bool Inside() const { return col_ >= 0 && col_ < g_.gx && row_ >= 0 && row_ < g_.gy; }
    int col() const { return col_; }
    int row() const { return row_; }
    void MarkVisited() { visited_[size_t(row_) * size_t(g_.gx) + size_t(col_)] = 1; }
    void StepRight() { ++col_; }

    void Turn() {
        switch (heading_) {
            case Heading::Right:
                if (!Visited(col_, row_ + 1)) {
                    heading_ = Heading::Down;
                    ++row_;
                } else {
                    ++col_;
                }
                break;
            case Heading::Down:
                if (!Visited(col_ - 1, row_)) {
                    heading_ = Heading::Left;
                    --col_;
                } else {
                    ++row_;
                }
                break;
            case Heading::Left:
                if (!Visited(col_, row_ - 1)) {
                    heading_ = Heading::Up;
                    --row_;
                } else {
                    --col_;
                }
                break;
            case Heading::Up:
                if (!Visited(col_ + 1, row_)) {
                    heading_ = Heading::Right;
                    ++col_;
                } else {
                    --row_;
                }
                break;
        }
    }

  private:
    // A neighbour outside the grid (only on grids one cell wide or high) counts as
    // visited: the walk goes on straight and covers the row or column.
    bool Visited(int c, int r) const {
        if (c < 0 || c >= g_.gx || r < 0 || r >= g_.gy) return true;
        return visited_[size_t(r) * size_t(g_.gx) + size_t(c)] != 0;
    }

    SpiralGrid g_;
    std::vector<uint8_t> visited_;
    int col_, row_;
    Heading heading_ = Heading::Right;
};

// Paints cell (col, row): the selected colour (effect) or frame 2's working pixels.
void PaintCell(FrameRecord& out, FrameRecord* frame2, const SpiralGrid& g, int col, int row,
               int colorIndex) {
    const int x0 = col * g.cw, y0 = row * g.ch;
    const int x1 = std::min(out.width, x0 + g.cw), y1 = std::min(out.height, y0 + g.ch);
    if (frame2) {
        const PixelView<uint32_t> dst(out), src(*frame2);
        for (int y = y0; y < y1; ++y) std::copy(src.row(y) + x0, src.row(y) + x1, dst.row(y) + x0);
        return;
    }
    const PixelView<uint8_t> dst(out);
    const uint8_t colour = PixelView<uint8_t>::Colour(out, colorIndex);
    for (int y = y0; y < y1; ++y) std::fill(dst.row(y) + x0, dst.row(y) + x1, colour);
}

FrameRecord* SpiralRun(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (!UsableInput(frame1) || n < 1) return nullptr;
    const bool trueColour = frame2 != nullptr;
    if (trueColour) {
        if (!UsableInput(frame2)) return nullptr;
        if (!ToTrueColour(*frame1, false) || !ToTrueColour(*frame2, false)) return nullptr;
    } else {
        frame1->WaitForReduction();
    }
    const bool preview = p.preview != 0;
    const int h = ComputedCount(n, p.pingPong != 0);
    const SpiralGrid grid = MakeGrid(frame1->width, frame1->height, n, h);
    SpiralWalk walk(grid);
    RenderProgress progress(frame1->document, preview);
    progress.Announce(n);
    FrameRecord* head = nullptr;
    FrameRecord* last = nullptr;
    for (int k = 0; k < h; ++k) {
        FrameRecord* frame = CopyFrameWithPixels(last ? *last : *frame1, last, trueColour);
        if (!frame) return DiscardUnreducedChain(head);
        if (!head) head = frame;
        last = frame;
        if (k == 0) {
            PaintCell(*frame, frame2, grid, walk.col(), walk.row(), p.colorIndex);
            walk.MarkVisited();
            walk.StepRight();
        } else if (walk.Inside()) {
            PaintCell(*frame, frame2, grid, walk.col(), walk.row(), p.colorIndex);
            walk.MarkVisited();
            walk.Turn();
        }
        progress.Step();
    }
    if (p.pingPong && !MirrorComputedFrames(head, h, n)) return DiscardUnreducedChain(head);
    return FinishRun(frame1, frame2, head, h, preview);
}

// ---------------------------------------------------------------- rotor

constexpr double kDegree = 0.017453292519944444;

// Source column per turning angle (0..180 degrees) and output column; -1: background.
// Near 90 degrees the projection leaves every integer range; such columns are background.
// At 180 degrees the row is mirrored exactly (W - 1 - x), so no column repeats.
std::vector<int> RotorColumns(int w, bool addHalf) {
    const int cx = w / 2;
    std::vector<int> table(size_t(181) * size_t(w), -1);
    for (int d = 0; d <= 180; ++d) {
        int* row = table.data() + size_t(d) * size_t(w);
        for (int x = 0; x < w; ++x) {
            int sx;
            if (d == 180) {
                sx = w - 1 - x;
            } else {
                const double v = double(cx - x) / std::cos(d * kDegree) + (addHalf ? 0.5 : 0.0);
                if (!(std::fabs(v) < 1e9)) continue;
                sx = cx - int(std::trunc(v));
            }
            if (sx >= 0 && sx < w) row[x] = sx;
        }
    }
    return table;
}

FrameRecord* RotorRun(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (!UsableInput(frame1) || n < 1) return nullptr;
    const bool transition = frame2 != nullptr;
    if (transition) {
        if (!UsableInput(frame2)) return nullptr;
        if (!ToTrueColour(*frame1, false) || !ToTrueColour(*frame2, false)) return nullptr;
    } else {
        frame1->WaitForReduction();
    }
    const bool preview = p.preview != 0;
    const int w = frame1->width, height = frame1->height;
    const int h = ComputedCount(n, p.pingPong != 0);
    const int64_t total = int64_t(height) + 180;
    // A step of 0 would never move the front; more frames than fronts get a step of 1.
    int64_t step = transition ? int64_t(std::trunc(double(total) / double(h + 1) + 0.5))
                              : total / (int64_t(h) + 1);
    step = std::max<int64_t>(1, step);
    const std::vector<int> columns = RotorColumns(w, !transition);

    const PixelView<uint8_t> in1(*frame1);
    std::unique_ptr<PixelView<uint8_t>> in2;
    std::unique_ptr<PixelView<uint32_t>> tc1, tc2;
    if (transition) {
        in2 = std::make_unique<PixelView<uint8_t>>(*frame2);
        tc1 = std::make_unique<PixelView<uint32_t>>(*frame1);
        tc2 = std::make_unique<PixelView<uint32_t>>(*frame2);
    }
    const int w2 = transition ? frame2->width : w;
    const uint8_t colourIndex = PixelView<uint8_t>::Colour(*frame1, p.colorIndex);
    const uint32_t colour = SelectedColour(*frame1, p.colorIndex);

    RenderProgress progress(frame1->document, preview);
    progress.Announce(n);
    FrameRecord* head = nullptr;
    FrameRecord* last = nullptr;
    for (int64_t t = step; t <= total; t += step) {
        FrameRecord* frame = CopyFrameWithPixels(last ? *last : *frame1, last, transition);
        if (!frame) return DiscardUnreducedChain(head);
        if (!head) head = frame;
        last = frame;
        const PixelView<uint8_t> out(*frame);
        const bool keyed = frame->hasTransparency != 0;
        const uint8_t key = uint8_t(frame->transparentIndex);
        const uint32_t marker =
            keyed && int64_t(frame->transparentIndex) == p.colorIndex ? kTransparentMarker : 0;
        const int rows = int(std::min<int64_t>(height, t));
        for (int y = 0; y < rows; ++y) {
            const int64_t d = std::min<int64_t>(t - y, 180);
            const int* src = columns.data() + size_t(d) * size_t(w);
            uint8_t* o = out.row(y);
            if (!transition) {
                const uint8_t* s = in1.row(y);
                for (int x = 0; x < w; ++x) {
                    if (src[x] >= 0)
                        o[x] = s[src[x]];
                    else if (!(keyed && o[x] == key))
                        o[x] = colourIndex;
                }
                continue;
            }
            uint32_t* ot = PixelView<uint32_t>(*frame).row(y);
            const bool second = d >= 90;
            const uint8_t* si = second ? in2->row(y) : in1.row(y);
            const uint32_t* st = second ? tc2->row(y) : tc1->row(y);
            for (int x = 0; x < w; ++x) {
                int sx = src[x];
                if (sx >= 0) {
                    if (second) sx = std::clamp(w2 - 1 - sx, 0, w2 - 1);
                    o[x] = si[sx];
                    ot[x] = st[sx];
                } else if (!(ot[x] & kTransparentMarker)) {
                    o[x] = colourIndex;
                    ot[x] = colour | marker;
                }
            }
        }
        progress.Step();
    }
    if (!head) return nullptr;
    if (p.pingPong && !MirrorComputedFrames(head, h, n)) return DiscardUnreducedChain(head);
    // Every computed frame is reduced, those beyond N included.
    return FinishRun(frame1, frame2, head, h, preview);
}

}  // namespace

FrameRecord* RenderSpiral(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (frame2) return nullptr;
    return SpiralRun(frame1, nullptr, n, p);
}

FrameRecord* RenderSpiralTransition(FrameRecord* frame1, FrameRecord* frame2, int n,
                                    const EffectParams& p) {
    if (!frame2) return nullptr;
    return SpiralRun(frame1, frame2, n, p);
}

FrameRecord* RenderRotor(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (frame2) return nullptr;
    return RotorRun(frame1, nullptr, n, p);
}

FrameRecord* RenderRotorTransition(FrameRecord* frame1, FrameRecord* frame2, int n,
                                   const EffectParams& p) {
    if (!frame2) return nullptr;
    return RotorRun(frame1, frame2, n, p);
}
