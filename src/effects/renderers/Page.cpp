// Page: image 1 is turned away like a book page. A straight fold sweeps across the
// picture; the lifted part rolls over a cylinder and lies reversed on the flat part,
// and behind it the background colour (effect) or image 2 (transition) appears.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "document/AnimationDocument.h"
#include "effects/RendererSkeletons.h"
#include "effects/renderers/PixelAccess.h"
#include "effects/renderers/Renderers.h"

namespace {

constexpr double kPi = 3.141592654;
constexpr double kRadians = 0.017453292522222223;

struct Point {
    double x = 0, y = 0;
};

// Start (end = false) or end point of a fold at integer angle a, near the corner the
// fold starts from (or beyond the one it leaves at), in page coordinates.
Point CornerPoint(int64_t a, bool end, int w, int h, double r) {
    if (end) a += 180;
    if (a < 0) a += 36000;
    a %= 360;
    const double phi = double(a + 90) * kRadians;
    const double k = end ? 1.01 * r : -0.5 * r;
    Point p{k * std::cos(phi), k * std::sin(phi)};
    if (a < 0) return p;  // far outside the presets: the offset alone
    if (a < 90) {
        p.y += h - 1;
    } else if (a < 180) {
    } else if (a < 270) {
        p.x += w - 1;
    } else {
        p.x += w - 1;
        p.y += h - 1;
    }
    return p;
}

struct PageSetup {
    Point p0, p1;
    double r = 0;
    int start = 0, increment = 0;
};

// One frame's fold: the point, the direction angle and its tangent.
struct Fold {
    Point f;
    double b = 0;
    int axis = -1;  // 0, 90, 180 or 270 when the fold is axis-parallel; -1 otherwise
    double t = 0;   // tan b
};

Fold MakeFold(const PageSetup& s, int i, int d) {
    Fold fold;
    const double a = RoundHalfUp(((double(s.increment) * (i + 1)) / d + s.start) * 4.0) * 0.25;
    const double fraction = double(i + 1) / d;
    fold.f = {s.p0.x + (s.p1.x - s.p0.x) * fraction, s.p0.y + (s.p1.y - s.p0.y) * fraction};
    double b = a < 0 ? a + 360000000.0 : a;
    b = std::fmod(b, 360.0);
    fold.b = b;
    if (b == 0 || b == 90 || b == 180 || b == 270) fold.axis = int(b);
    fold.t = std::tan(b * kRadians);
    return fold;
}

// Copies image 1's pixel at page point (rnd(px), rnd(py)) to d when inside and opaque.
// Rounded in double and range-checked there: a huge thickness throws points far out.
template <typename T>
inline void CopyPagePoint(const PixelView<T>& src, const FrameRecord& frame1, double px, double py,
                          int w, int h, T& d) {
    const double sx = RoundHalfUp(px), sy = RoundHalfUp(py);
    if (!(sx >= 0 && sx <= w - 1 && sy >= 0 && sy <= h - 1)) return;
    const T v = src.row(h - 1 - int(sy))[int(sx)];
    if (!PixelView<T>::Transparent(frame1, v)) d = v;
}

template <typename T>
void DrawPageFrame(const PageSetup& s, FrameRecord* frame1, FrameRecord* frame2, FrameRecord& out,
                   int i, int h, T fill) {
    using View = PixelView<T>;
    const int w = out.width, height = out.height;
    const int d = frame2 ? h + 1 : h;
    const View dst(out), src(*frame1);
    if (frame2) {
        const View two(*frame2);
        for (int y = 0; y < height; ++y) std::copy(two.row(y), two.row(y) + w, dst.row(y));
    } else {
        for (int y = 0; y < height; ++y) std::fill(dst.row(y), dst.row(y) + w, fill);
    }
    const Fold fold = MakeFold(s, i, d);
    const Point F = fold.f;
    const double t = fold.t, m = -1.0 / t;
    for (int y = 0; y < height; ++y) {
        T* o = dst.row(y);
        const T* own = src.row(y);
        const double Y = double(height - 1 - y);
        for (int x = 0; x < w; ++x) {
            const double X = double(x);
            Point q;
            bool flat;
            switch (fold.axis) {
                case 0:
                    q = {X, F.y}, flat = Y <= F.y;
                    break;
                case 90:
                    q = {F.x, Y}, flat = F.x <= X;
                    break;
                case 180:
                    q = {X, F.y}, flat = F.y <= Y;
                    break;
                case 270:
                    q = {F.x, Y}, flat = X <= F.x;
                    break;
                default: {
                    q.x = (t * F.x - m * X - F.y + Y) / (t - m);
                    q.y = (q.x - F.x) * t + F.y;
                    const double xl = (Y - F.y) / t + F.x;
                    flat = fold.b < 180 ? xl <= X : X <= xl;
                    break;
                }
            }
            const double dx = X - q.x, dy = Y - q.y;
            const double dist = std::sqrt(dx * dx + dy * dy);
            if (flat) {
                if (!View::Transparent(*frame1, own[x])) o[x] = own[x];
                if (dist > 0) {
                    const double g = (kPi * s.r + dist) / dist;
                    CopyPagePoint(src, *frame1, q.x - g * dx, q.y - g * dy, w, height, o[x]);
                } else {
                    CopyPagePoint(src, *frame1, q.x, q.y, w, height, o[x]);
                }
                continue;
            }
            if (!(dist < s.r)) continue;
            if (dist > 0) {
                const double theta = std::asin(dist / s.r);
                const double front = theta * s.r / dist;
                CopyPagePoint(src, *frame1, q.x + front * dx, q.y + front * dy, w, height, o[x]);
                const double top = (kPi - theta) * s.r / dist;
                CopyPagePoint(src, *frame1, q.x + top * dx, q.y + top * dy, w, height, o[x]);
            } else {
                CopyPagePoint(src, *frame1, q.x, q.y, w, height, o[x]);
            }
        }
    }
}

}  // namespace

FrameRecord* RenderPage(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (!UsableInput(frame1)) return nullptr;
    if (frame2 && !UsableInput(frame2)) return nullptr;
    const int w = frame1->width, h = frame1->height;
    PageSetup s;
    s.start = p.value[0];
    s.increment = p.value[1];
    s.r = double(p.value[2]);
    s.p0 = CornerPoint(p.value[0], false, w, h, s.r);
    s.p1 = CornerPoint(int64_t(p.value[0]) + p.value[1], true, w, h, s.r);
    if (frame2) {
        return RunTrueColourSkeleton(frame1, frame2, n, p, [&](int i, int hh, FrameRecord& out) {
            DrawPageFrame<uint32_t>(s, frame1, frame2, out, i, hh, 0);
        });
    }
    // The page uncovers the document's background colour. When frame 1's palette holds
    // it at the background index, indexes do; otherwise the frame is worked in true
    // colour so that the colour itself shows.
    const AnimationDocument& doc = frame1->document;
    const uint8_t index = doc.backgroundIndex;
    frame1->WaitForReduction();
    const Palette& own = frame1->effectivePalette();
    const uint32_t colour =
        doc.hasGlobalPalette ? doc.globalPalette[index].rgb() : own[index].rgb();
    if (own[index].used() && own[index].rgb() == colour) {
        return RunIndexSkeleton(frame1, nullptr, n, p, [&](int i, int hh, FrameRecord& out) {
            DrawPageFrame<uint8_t>(s, frame1, nullptr, out, i, hh, index);
        });
    }
    return RunTrueColourSkeleton(frame1, nullptr, n, p, [&](int i, int hh, FrameRecord& out) {
        DrawPageFrame<uint32_t>(s, frame1, nullptr, out, i, hh, colour);
    });
}
