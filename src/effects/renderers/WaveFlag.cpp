// Wave swings an image sideways row by row with growing amplitude until it leaves the
// frame (or, reversed, swings it in); Flag shrinks the image and lets every column float
// up and down like a flag in the wind.
#include <algorithm>
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

FrameRecord* RenderFlag(FrameRecord*, FrameRecord*, int, const EffectParams&) {
    return nullptr;
}
