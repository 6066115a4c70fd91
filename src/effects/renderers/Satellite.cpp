// Roll Sphere with Satellite: image 1 on a sphere in the middle, image 2 on a ring or a
// flat card circling it. The far half of the satellite is drawn before the sphere and
// the near half after it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "effects/RendererSkeletons.h"
#include "effects/renderers/PixelAccess.h"
#include "effects/renderers/Renderers.h"

namespace {

constexpr double kPi = 3.141592654;
constexpr double kTwoPi = 6.283185308;
constexpr double kHalfPi = 1.570796327;
constexpr double kRadians = 0.017453292522222223;

struct SatelliteSetup {
    int64_t r1 = 0, r2 = 0;
    int64_t wp = 0, hq = 0;
    int cx = 0, cy = 0;
    bool flat = false;
    double tilt = 0, turn = 0;  // radians
};

// Frame-independent projections per screen pixel: sphere longitude and row, and the
// ring's angle and row for its far and near halves. A row of -1 marks "not drawn".
struct Projection {
    std::vector<double> lon;
    std::vector<int> row;
};

inline double IntoTurn(double v, double start) {
    while (v < start) v += kTwoPi;
    while (v >= start + kTwoPi) v -= kTwoPi;
    return v;
}

Projection ProjectSphere(int w, int h, const SatelliteSetup& s) {
    Projection p{std::vector<double>(size_t(w) * size_t(h), 0.0),
                 std::vector<int>(size_t(w) * size_t(h), -1)};
    if (s.r1 <= 0) return p;
    const double r = double(s.r1);
    for (int y = 0; y < h; ++y) {
        const double Y = double(s.cy - y);
        if (std::fabs(Y) > r) continue;
        const double alpha = std::acos(Y / r);
        const double rho = std::sin(alpha) * r;
        const int v = std::clamp(int((h - 1) * alpha / kPi), 0, h - 1);
        for (int x = 0; x < w; ++x) {
            const double X = double(x - s.cx);
            if (X * X + Y * Y > r * r || std::fabs(X) > std::fabs(rho)) continue;
            const double beta =
                std::sin(alpha) == 0 ? 0.0 : std::asin(std::clamp(X / rho, -1.0, 1.0));
            const size_t k = size_t(y) * size_t(w) + size_t(x);
            p.lon[k] = beta + kHalfPi;
            p.row[k] = v;
        }
    }
    return p;
}

Projection ProjectRing(int w, int h, int h2, const SatelliteSetup& s, bool far) {
    Projection p{std::vector<double>(size_t(w) * size_t(h), 0.0),
                 std::vector<int>(size_t(w) * size_t(h), -1)};
    if (s.r2 <= 0 || s.wp <= 0 || s.hq <= 0) return p;
    const double r = double(s.r2);
    const double ct = std::cos(s.tilt), st = std::sin(s.tilt);
    for (int y = 0; y < h; ++y) {
        const double Y = double(s.cy - y);
        if (std::fabs(Y) > r) continue;
        const double alpha = std::acos(Y / r);
        const double rho = std::sin(alpha) * r;
        for (int x = 0; x < w; ++x) {
            const double X = double(x - s.cx);
            if (X * X + Y * Y > r * r || std::fabs(X) > std::fabs(rho)) continue;
            const double beta =
                std::sin(alpha) == 0 ? 0.0 : std::asin(std::clamp(X / rho, -1.0, 1.0));
            const double g = (far ? kPi - beta : beta) + s.turn;
            const double dz = std::cos(g) * rho, x2 = std::sin(g) * rho;
            const double y2 = Y * ct - dz * st, z2 = Y * st + dz * ct;
            if (std::fabs(y2) > r) continue;
            const double alpha2 = std::acos(y2 / r);
            const double rho2 = std::sin(alpha2) * r;
            if (std::fabs(x2) > std::fabs(rho2)) continue;
            double beta2 =
                std::sin(alpha2) == 0 ? 0.0 : std::asin(std::clamp(x2 / rho2, -1.0, 1.0));
            if (z2 < 0) beta2 = kPi - beta2;
            const double vr = ((alpha2 - kHalfPi) / double(s.hq)) * 1000 * (h2 - 1) / kPi;
            if (!(std::fabs(vr) < 1e9)) continue;
            const int64_t v = int64_t(s.cy) + int64_t(std::trunc(vr));
            if (v < 0 || v >= h2) continue;
            const size_t k = size_t(y) * size_t(w) + size_t(x);
            p.lon[k] = beta2;
            p.row[k] = int(v);
        }
    }
    return p;
}

struct Inputs {
    FrameRecord* one;
    FrameRecord* two;
};

void DrawRing(const Projection& ring, const SatelliteSetup& s, const Inputs& in, double ps,
              const PixelView<uint32_t>& dst, int w, int h) {
    const PixelView<uint32_t> src(*in.two);
    const int w2 = in.two->width;
    const double scale = double(w2) / (double(s.wp) * 0.006283185308000001);
    for (int y = 0; y < h; ++y) {
        uint32_t* d = dst.row(y);
        for (int x = 0; x < w; ++x) {
            const size_t k = size_t(y) * size_t(w) + size_t(x);
            if (ring.row[k] < 0) continue;
            const double u = (IntoTurn(ring.lon[k], ps) - ps) * scale;
            if (!(u >= 0 && u < w2)) continue;
            const uint32_t px = src.row(ring.row[k])[int(u)];
            if (!PixelView<uint32_t>::Transparent(*in.two, px)) d[x] = px;
        }
    }
}

void DrawFlat(const SatelliteSetup& s, const Inputs& in, double ps, bool far,
              const PixelView<uint32_t>& dst, int w, int h) {
    const double a = double(s.r2) * std::cos(ps), b = double(s.r2) * std::sin(ps);
    const double ct = std::cos(s.tilt), st = std::sin(s.tilt);
    const double cs = std::cos(s.turn), ss = std::sin(s.turn);
    const double px = -a * ct * ss + b * cs, py = a * st;
    const double z = a * ct * cs + b * ss;
    if (far != (z < 0)) return;
    const PixelView<uint32_t> src(*in.two);
    // Source column per screen column and source row per screen row; -1 outside.
    std::vector<int> cols(size_t(w), -1), rows(size_t(h), -1);
    for (int x = 0; x < w; ++x) {
        const double v = (x - px - s.cx) / double(s.wp) * 1000;
        if (std::fabs(v) < 1e9) {
            const int64_t sx = s.cx + int64_t(std::trunc(v));
            if (sx >= 0 && sx < w) cols[size_t(x)] = int(sx);
        }
    }
    for (int y = 0; y < h; ++y) {
        const double v = (s.cy - y - py) / double(s.hq) * 1000;
        if (std::fabs(v) < 1e9) {
            const int64_t sy = s.cy - int64_t(std::trunc(v));
            if (sy >= 0 && sy < h) rows[size_t(y)] = int(sy);
        }
    }
    for (int y = 0; y < h; ++y) {
        if (rows[size_t(y)] < 0) continue;
        const uint32_t* from = src.row(rows[size_t(y)]);
        uint32_t* d = dst.row(y);
        for (int x = 0; x < w; ++x) {
            if (cols[size_t(x)] < 0) continue;
            const uint32_t v = from[cols[size_t(x)]];
            if (!PixelView<uint32_t>::Transparent(*in.two, v)) d[x] = v;
        }
    }
}

}  // namespace

FrameRecord* RenderSatellite(FrameRecord* frame1, FrameRecord* frame2, int n,
                             const EffectParams& p) {
    if (!UsableInput(frame1) || !UsableInput(frame2)) return nullptr;
    const int w1 = frame1->width, h1 = frame1->height;
    const int w2 = frame2->width, h2 = frame2->height;
    SatelliteSetup s;
    s.flat = p.option[3] != 0;
    s.r1 = int64_t(std::min(w1, h1)) * std::max(p.value[0], 0) / 200;
    const int64_t base = std::min(w2, h2) / 2;
    const int64_t wPercent = std::clamp(p.value[3], 0, 100);
    const int64_t hPercent = std::clamp(p.value[4], 0, 100);
    if (!s.flat) {
        s.r2 = base;
    } else {
        const int64_t a = (wPercent * w2 * 10) / 2000;
        const int64_t b = (hPercent * h2 * 10) / 2000;
        s.r2 = std::min(base - b, base - a);
        if (s.r2 < a + s.r1) s.r2 = a + s.r1;
        if (s.r2 < b + s.r1) s.r2 = b + s.r1;
    }
    s.r2 = std::max<int64_t>(s.r2, 1);
    s.wp = std::clamp<int64_t>(int64_t(p.value[3]) * 10, 0, 1000);
    s.hq = std::clamp<int64_t>(int64_t(p.value[4]) * 10, 0, 1000);
    if (!s.flat && s.r2 < s.r1) return nullptr;
    s.cx = w1 / 2;
    s.cy = h1 / 2;
    s.tilt = double(p.value[1]) * kRadians;
    s.turn = double(p.value[2]) * kRadians;

    const Projection sphere = ProjectSphere(w1, h1, s);
    Projection far, near;
    if (!s.flat) {
        far = ProjectRing(w1, h1, h2, s, true);
        near = ProjectRing(w1, h1, h2, s, false);
    }
    const bool satellite = s.r2 > 0 && s.wp > 0 && s.hq > 0;
    const Inputs in{frame1, frame2};
    return RunTrueColourSkeleton(frame1, frame2, n, p, [&](int i, int h, FrameRecord& out) {
        const PixelView<uint32_t> dst(out), one(*frame1);
        const uint32_t colour = SelectedColour(*frame1, p.colorIndex);
        for (int y = 0; y < h1; ++y) std::fill(dst.row(y), dst.row(y) + w1, colour);
        double ps = double(i) / double(h) * kTwoPi;
        if (p.option[1]) ps = -ps;
        double pr = p.option[2] ? double(i) / double(h) * kTwoPi : 0.0;
        if (p.option[0]) pr = -pr;
        if (satellite) {
            if (s.flat)
                DrawFlat(s, in, ps, true, dst, w1, h1);
            else
                DrawRing(far, s, in, ps, dst, w1, h1);
        }
        if (s.r1 > 0) {
            const double scale = double(w1) / kTwoPi;
            for (int y = 0; y < h1; ++y) {
                uint32_t* d = dst.row(y);
                for (int x = 0; x < w1; ++x) {
                    const size_t k = size_t(y) * size_t(w1) + size_t(x);
                    if (sphere.row[k] < 0) continue;
                    const int u =
                        std::clamp(int((IntoTurn(sphere.lon[k], pr) - pr) * scale), 0, w1 - 1);
                    const uint32_t px = one.row(sphere.row[k])[u];
                    if (!PixelView<uint32_t>::Transparent(*frame1, px)) d[x] = px;
                }
            }
        }
        if (satellite) {
            if (s.flat)
                DrawFlat(s, in, ps, false, dst, w1, h1);
            else
                DrawRing(near, s, in, ps, dst, w1, h1);
        }
    });
}
