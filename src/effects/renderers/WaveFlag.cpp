// Wave swings an image sideways row by row with growing amplitude until it leaves the
// frame (or, reversed, swings it in); Flag shrinks the image and lets every column float
// up and down like a flag in the wind.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "colour/FrameResize.h"
#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "document/FrameRecord.h"
#include "effects/RendererSkeletons.h"
#include "effects/renderers/PixelAccess.h"
#include "effects/renderers/Renderers.h"

namespace {

// ---------------------------------------------------------------- wave

constexpr double kPi = 3.141592654;

struct WaveSetup {
    bool out = true;
    bool leftSide = false;
    bool upToDown = false;
    double finalAngle = 0;  // A
    double amplitude = 0;   // a0
};

// Row offsets of frame i of h for an image of width w and height rows.
void WaveOffsets(const WaveSetup& s, bool withFrame2, int i, int h, int rows,
                 std::vector<int>& offsets) {
    double f;
    if (s.out)
        f = withFrame2 ? double(i + 1) / double(h + 1) : double(i + 1) / double(h);
    else
        f = double(h - i) / double(h + 1);
    const double d = (s.finalAngle + kPi) * f;
    offsets.resize(size_t(rows));
    for (int y = 0; y < rows; ++y) {
        double g;
        if (s.upToDown)
            g = withFrame2 ? double(y + 1) / double(rows + 1) : double(y + 1) / double(rows);
        else
            g = double(rows - y) / double(rows + 1);
        const double ph = s.out ? d - kPi * g : d + kPi * g - kPi;
        const double q = ph > s.finalAngle ? s.finalAngle : (ph < 0 ? 0 : ph);
        const double v = std::sin(q) * s.amplitude * q / s.finalAngle;
        // |v| never exceeds the width, so the int holds it.
        offsets[size_t(y)] = int(RoundHalfUp(v));
    }
}

template <typename T>
void DrawWaveFrame(const WaveSetup& s, FrameRecord* frame1, FrameRecord* frame2, FrameRecord& out,
                   int i, int h, int colorIndex, std::vector<int>& offsets) {
    using View = PixelView<T>;
    const int w = frame1->width;
    const int rows = out.height;
    FrameRecord* moving = s.out ? frame1 : frame2;
    FrameRecord* back = s.out ? frame2 : frame1;
    const View dst(out);
    const View src(*moving);
    if (back) {
        const View b(*back);
        for (int y = 0; y < rows; ++y) std::copy(b.row(y), b.row(y) + w, dst.row(y));
    } else {
        const T colour = View::Colour(*frame1, colorIndex);
        for (int y = 0; y < rows; ++y) std::fill(dst.row(y), dst.row(y) + w, colour);
    }
    WaveOffsets(s, frame2 != nullptr, i, h, rows, offsets);
    for (int y = 0; y < rows; ++y) {
        const int o = offsets[size_t(y)];
        const int x0 = std::max(o, 0);
        const int x1 = std::min(w - 1 + o, w - 1);
        if (x0 >= w || w - 1 + o < 0) continue;
        const T* from = src.row(y);
        T* to = dst.row(y);
        for (int x = x0; x <= x1; ++x) {
            const T px = from[x - o];
            if (!View::Transparent(*moving, px)) to[x] = px;
        }
    }
}

}  // namespace

FrameRecord* RenderWave(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (!UsableInput(frame1)) return nullptr;
    WaveSetup s;
    s.out = frame2 ? p.option[2] != 0 : true;
    if (!s.out && !frame2) return nullptr;
    if (frame2 && !UsableInput(frame2)) return nullptr;
    s.upToDown = p.option[0] != 0;
    s.leftSide = p.option[1] != 0;
    const int k = std::max(p.value[0], 0);
    s.finalAngle = (180.0 * k + 90.0) * 0.017453292522222223;
    s.amplitude = double(frame1->width);
    if (s.leftSide) s.amplitude = -s.amplitude;
    if (k % 2 == 1) s.amplitude = -s.amplitude;
    std::vector<int> offsets;
    if (frame2) {
        return RunTrueColourSkeleton(frame1, frame2, n, p, [&](int i, int h, FrameRecord& out) {
            DrawWaveFrame<uint32_t>(s, frame1, frame2, out, i, h, p.colorIndex, offsets);
        });
    }
    return RunIndexSkeleton(frame1, nullptr, n, p, [&](int i, int h, FrameRecord& out) {
        DrawWaveFrame<uint8_t>(s, frame1, nullptr, out, i, h, p.colorIndex, offsets);
    });
}

namespace {

// ---------------------------------------------------------------- flag

// Holds the document's busy flag while the flag's working copy is resized, and
// destroys that copy on every way out.
class ShrunkCopy {
  public:
    explicit ShrunkCopy(AnimationDocument& doc) : doc_(doc) { doc_.busy = true; }
    ~ShrunkCopy() { Release(); }
    ShrunkCopy(const ShrunkCopy&) = delete;
    ShrunkCopy& operator=(const ShrunkCopy&) = delete;
    FrameRecord* frame = nullptr;
    void Release() {
        if (frame) {
            frame->WaitForReduction();
            DiscardUnreducedChain(frame);
            frame = nullptr;
        }
        doc_.busy = false;
    }

  private:
    AnimationDocument& doc_;
};

void ReserveColour(FrameRecord& frame, uint32_t colour) {
    for (uint32_t& slot : frame.reservedColours) {
        if (slot == colour) return;
        if (slot == kNoReservedColour) {
            slot = colour;
            return;
        }
    }
}

// The palette entry closest to `colour` (an exact match when the reduction kept it).
int NearestEntry(const Palette& palette, uint32_t colour) {
    int best = 0;
    int64_t bestDistance = INT64_MAX;
    for (int c = 0; c < 256; ++c) {
        const PaletteEntry& e = palette[size_t(c)];
        if (!e.used()) continue;
        const int64_t dr = e.red - int((colour >> 16) & 0xFF);
        const int64_t dg = e.green - int((colour >> 8) & 0xFF);
        const int64_t db = e.blue - int(colour & 0xFF);
        const int64_t d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) bestDistance = d, best = c;
    }
    return best;
}

}  // namespace

FrameRecord* RenderFlag(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (frame2 || !UsableInput(frame1) || n < 1) return nullptr;
    const bool preview = p.preview != 0;
    const int w = frame1->width, h = frame1->height;
    // The dialog accepts 0 to 49 %; held to that range here as well, so the shrunk image
    // keeps at least one row and nothing is written outside the frame.
    const int64_t amplitude = int64_t(h) * std::clamp(p.value[1], 0, 49) / 100;
    const double k = double(p.value[0]);
    const int shrunk = int(h - 2 * amplitude);
    frame1->WaitForReduction();
    AnimationDocument& doc = frame1->document;

    FrameRecord* base = nullptr;
    int background = p.colorIndex < 0 || p.colorIndex > 255 ? 0 : p.colorIndex;
    {
        ShrunkCopy copy(doc);
        copy.frame = CopyFrameAfter(*frame1, nullptr, false);
        if (!copy.frame) return nullptr;
        const uint32_t colour = SelectedColour(*copy.frame, p.colorIndex);
        if (!preview) ReserveColour(*copy.frame, colour);
        if (Resize(*copy.frame, w, shrunk, !preview, true, true) != 0) return nullptr;
        copy.frame->WaitForReduction();
        base = CopyFrameAfter(*frame1, nullptr, false);
        if (!base) return nullptr;
        base->hasLocalPalette = 1;
        base->palette = copy.frame->effectivePalette();
        if (!preview) background = NearestEntry(base->palette, colour);
        const std::shared_ptr<IndexBuffer> t = copy.frame->indexPlane();
        const std::shared_ptr<IndexBuffer> b = base->indexPlane();
        const int tw = std::min(w, t->width);
        for (int y = 0; y < std::min(shrunk, t->height); ++y)
            std::copy(t->row(y), t->row(y) + tw, b->row(int(y + 2 * amplitude)));
    }
    FrameRecord* source = CopyFrameAfter(*base, nullptr, false);
    if (!source) return DiscardUnreducedChain(base);
    const std::shared_ptr<IndexBuffer> s = source->indexPlane();

    RenderProgress progress(doc, preview);
    progress.Announce(n);
    std::vector<int> offsets(static_cast<size_t>(w));
    const int moved = shrunk - 1;  // the last row of the shrunk image is not carried
    FrameRecord* last = nullptr;
    for (int i = 0; i < n; ++i) {
        FrameRecord* out = i == 0 ? base : CopyFrameAfter(*source, last, false);
        if (!out) {
            DiscardUnreducedChain(source);
            return DiscardUnreducedChain(base);
        }
        last = out;
        const double phase = (double(i) / double(n)) * 6.283;
        for (int x = 0; x < w; ++x)
            offsets[size_t(x)] = int(std::trunc(
                (1.0 - std::sin((double(x) / w) * k * 3.1415926 + phase)) * double(amplitude)));
        const std::shared_ptr<IndexBuffer> o = out->indexPlane();
        for (int y = 0; y < h; ++y) {
            uint8_t* row = o->row(y);
            for (int x = 0; x < w; ++x) {
                const int j = y - offsets[size_t(x)];
                row[x] =
                    j >= 0 && j < moved ? s->row(int(2 * amplitude + j))[x] : uint8_t(background);
            }
        }
        progress.Step();
    }
    DiscardUnreducedChain(source);
    return FinishRun(frame1, nullptr, base, n, preview);
}
