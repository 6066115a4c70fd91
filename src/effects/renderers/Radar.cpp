// Radar: a beam turning about a centre point uncovers a growing sector, in the selected
// colour (effect) or of the second image (transition).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "effects/RendererSkeletons.h"
#include "effects/renderers/PixelAccess.h"
#include "effects/renderers/Renderers.h"

namespace {

struct RadarSetup {
    int cx = 0, cy = 0;
    int sense = 1;     // +1 counter-clockwise, -1 clockwise
    double a0 = 0;     // start angle, degrees in [0, 360)
    double sweep = 0;  // total sweep, degrees
};

RadarSetup MakeSetup(int w, int h, const EffectParams& p) {
    RadarSetup s;
    s.sense = p.option[0] ? -1 : 1;
    const bool cw = s.sense < 0;
    switch (p.direction) {
        case 1:
            s.cx = w - 1, s.cy = 0, s.sweep = 90, s.a0 = cw ? 270 : 180;
            break;
        case 2:
            s.cx = 0, s.cy = 0, s.sweep = 90, s.a0 = cw ? 0 : 270;
            break;
        case 3:
            s.cx = 0, s.cy = h - 1, s.sweep = 90, s.a0 = cw ? 90 : 0;
            break;
        case 4:
            s.cx = w - 1, s.cy = h - 1, s.sweep = 90, s.a0 = cw ? 180 : 90;
            break;
        default: {
            // Centre, also for any position outside the list. 360 and -360 start like 0.
            s.cx = w / 2, s.cy = h / 2, s.sweep = 360;
            s.a0 = double(((int64_t(p.value[0]) % 360) + 360) % 360);
            break;
        }
    }
    return s;
}

// Each pixel's direction from the centre in whole degrees, 0 to 359 (a rounding up to
// 360 is the same ray as 0); -1 for the centre itself.
std::vector<int16_t> PixelAngles(int w, int h, const RadarSetup& s) {
    std::vector<int16_t> angles(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int16_t& out = angles[size_t(y) * size_t(w) + size_t(x)];
            if (x == s.cx && y == s.cy) {
                out = -1;
                continue;
            }
            const double dx = x - s.cx, dy = s.cy - y;
            const double r = std::sqrt(dx * dx + dy * dy);
            double a = std::acos(std::clamp(dx / r, -1.0, 1.0)) * 57.29577950560105;
            if (dy < 0) a = 360 - a;
            if (a >= 360) a -= 360;
            if (a < 0) a += 360;
            int rounded = int(RoundHalfUp(a));
            if (rounded >= 360) rounded -= 360;
            out = int16_t(rounded);
        }
    }
    return angles;
}

// Which of the 360 whole-degree directions the sector up to the end angle covers.
void CoveredDirections(const RadarSetup& s, double end, bool covered[360]) {
    for (int a = 0; a < 360; ++a) {
        if (s.sense > 0)
            covered[a] = (s.a0 <= a && a <= end) || (s.a0 <= a + 360 && a + 360 <= end);
        else
            covered[a] = (end <= a && a <= s.a0) || (end <= a - 360 && a - 360 <= s.a0);
    }
}

template <typename T>
void DrawRadarFrame(const RadarSetup& s, const std::vector<int16_t>& angles, FrameRecord* frame1,
                    FrameRecord* frame2, FrameRecord& out, int k, int h, int colorIndex) {
    using View = PixelView<T>;
    const int w = out.width, height = out.height;
    const View dst(out), one(*frame1);
    const std::unique_ptr<View> two = frame2 ? std::make_unique<View>(*frame2) : nullptr;
    const T colour = View::Colour(*frame1, colorIndex);
    const double swept = s.sweep * double(k + 1) / double(h + 1);
    bool covered[360];
    CoveredDirections(s, s.a0 + s.sense * swept, covered);
    for (int y = 0; y < height; ++y) {
        const int16_t* a = angles.data() + size_t(y) * size_t(w);
        const T* src = one.row(y);
        T* d = dst.row(y);
        const T* second = two ? two->row(y) : nullptr;
        for (int x = 0; x < w; ++x) {
            d[x] = src[x];
            if (a[x] >= 0 && !covered[a[x]]) continue;
            if (!second)
                d[x] = colour;
            else if (!View::Transparent(*frame2, second[x]))
                d[x] = second[x];
        }
    }
}

}  // namespace

FrameRecord* RenderRadar(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (!UsableInput(frame1)) return nullptr;
    if (frame2 && !UsableInput(frame2)) return nullptr;
    const RadarSetup s = MakeSetup(frame1->width, frame1->height, p);
    const std::vector<int16_t> angles = PixelAngles(frame1->width, frame1->height, s);
    if (frame2) {
        return RunTrueColourSkeleton(frame1, frame2, n, p, [&](int k, int h, FrameRecord& out) {
            DrawRadarFrame<uint32_t>(s, angles, frame1, frame2, out, k, h, p.colorIndex);
        });
    }
    return RunIndexSkeleton(frame1, nullptr, n, p, [&](int k, int h, FrameRecord& out) {
        DrawRadarFrame<uint8_t>(s, angles, frame1, nullptr, out, k, h, p.colorIndex);
    });
}
