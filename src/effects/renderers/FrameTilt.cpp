// Frame engine: a border grows inward (or a rectangle outward from the centre) filled
// with another image or the selected colour. Tilt engine: an image swings in about one
// of its edges like a saloon door, with a damped oscillation.
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

constexpr double kHalfPi = 1.570796327;

// Runs the per-frame body over a chain whose frames are copies of the overlay image when
// there is one (else of the base): true colour with two images, indexes with one.
FrameRecord* RunEngine(FrameRecord* overlay, FrameRecord* base, int n, const EffectParams& p,
                       const FrameBody& body) {
    if (overlay) return RunTrueColourSkeleton(overlay, base, n, p, body);
    return RunIndexSkeleton(base, nullptr, n, p, body);
}

FrameRecord* FrameEngine(FrameRecord* overlay, FrameRecord* base, int n, const EffectParams& p,
                         bool fromCentre) {
    if (!UsableInput(base) || n < 1) return nullptr;
    if (overlay && !UsableInput(overlay)) return nullptr;
    const uint8_t colour = ClampedColourIndex(p.colorIndex);
    FrameBody body = [&](int i, int h, FrameRecord& out) {
        const int W = out.width, H = out.height;
        const int64_t q = overlay ? h + 1 : h;
        int dx = int(int64_t(W / 2) * (i + 1) / q);
        int dy = int(int64_t(H / 2) * (i + 1) / q);
        if (fromCentre) {
            dx = W / 2 - dx;
            dy = H / 2 - dy;
        }
        auto covered = [&](int x, int y) {
            if (fromCentre) return dx <= x && x <= W - 1 - dx && dy <= y && y <= H - 1 - dy;
            return x <= dx || x >= W - 1 - dx || y <= dy || y >= H - 1 - dy;
        };
        if (overlay) {
            const std::shared_ptr<TrueColourBuffer> o = out.trueColourPlane();
            const std::shared_ptr<TrueColourBuffer> b = base->trueColourPlane();
            const std::shared_ptr<TrueColourBuffer> v = overlay->trueColourPlane();
            for (int y = 0; y < H; ++y) {
                const uint32_t* from = b->row(y);
                const uint32_t* over = v->row(y);
                uint32_t* dst = o->row(y);
                for (int x = 0; x < W; ++x)
                    dst[x] =
                        covered(x, y) && !TransparentPixel(*overlay, over[x]) ? over[x] : from[x];
            }
            return;
        }
        const std::shared_ptr<IndexBuffer> o = out.indexPlane();
        const std::shared_ptr<IndexBuffer> b = base->indexPlane();
        for (int y = 0; y < H; ++y) {
            const uint8_t* from = b->row(y);
            uint8_t* dst = o->row(y);
            for (int x = 0; x < W; ++x) dst[x] = covered(x, y) ? colour : from[x];
        }
    };
    return RunEngine(overlay, base, n, p, body);
}

// The door angle of frame i of h.
double DoorAngle(int i, int h, bool overlay, int halfWaves, double restAngle) {
    const double p = overlay ? double(i + 1) / (h + 1) : double(i) / h;
    const double r = overlay ? double(h - i) / (h + 1) : double(h - i) / h;
    const double phase = p > 0 ? (halfWaves * 3.141592654 + kHalfPi) * std::pow(p, 1.6) : 0.0;
    const double power = r > 0 ? std::pow(r, 1.7 - p) : 0.0;
    return (restAngle + kHalfPi) * std::cos(phase) * power - kHalfPi;
}

// True with the truncated position when `value` truncates into 0..limit-1. Checked as a
// double, so a huge or undefined value never reaches an int.
inline bool Truncated(double value, int limit, int& out) {
    if (!(value > -1.0 && value < double(limit))) return false;
    out = int(value);
    return out >= 0 && out < limit;
}

FrameRecord* TiltEngine(FrameRecord* overlay, FrameRecord* tilting, int n, int side, int halfWaves,
                        const EffectParams& p) {
    if (!UsableInput(tilting) || n < 1) return nullptr;
    if (overlay && !UsableInput(overlay)) return nullptr;
    if (halfWaves < 0) halfWaves = 0;
    const uint8_t colourIndex = ClampedColourIndex(p.colorIndex);
    FrameBody body = [&](int i, int h, FrameRecord& out) {
        const int W = out.width, H = out.height;
        const double D = double(W) + double(H);
        const bool sideways = side == 0 || side == 1;
        const double L = sideways ? W : H;
        const double restAngle = std::atan(0.5 * L / D);
        const double t = DoorAngle(i, h, overlay != nullptr, halfWaves, restAngle);
        const int Lu = sideways ? H : W, Lv = sideways ? W : H;
        const double cu = 0.5 * Lu + (Lu % 2 == 0 ? 0.5 : 0.0);
        const double cv = 0.5 * Lv - (Lv % 2 == 0 ? 0.5 : 0.0);
        const bool folded = t > -2.3561944905 && t < -0.7853981635;
        const double s = t + kHalfPi;
        const double T = folded ? std::tan(s) : std::tan(t);
        const double cosine = folded ? std::cos(s) : std::cos(t);
        std::shared_ptr<TrueColourBuffer> tc;
        std::shared_ptr<IndexBuffer> ix;
        std::shared_ptr<TrueColourBuffer> srcTc;
        std::shared_ptr<IndexBuffer> srcIx;
        if (overlay) {
            tc = out.trueColourPlane();
            srcTc = tilting->trueColourPlane();
            CopyPlane(*overlay->trueColourPlane(), *tc);
        } else {
            ix = out.indexPlane();
            srcIx = tilting->indexPlane();
            ix->fill(colourIndex);
        }
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                double u, v;
                switch (side) {
                    case 0:
                        u = (H - 1 - y) - H / 2;
                        v = (W - 1 - x) - W / 2;
                        break;
                    case 1:
                        u = y - H / 2;
                        v = x - W / 2;
                        break;
                    case 2:
                        u = x - W / 2;
                        v = (H - 1 - y) - H / 2;
                        break;
                    default:
                        u = (W - 1 - x) - W / 2;
                        v = y - H / 2;
                        break;
                }
                double Xd, Yd;
                if (folded) {
                    const double k = 1 + v * T / D;
                    Xd = (cv - (cv * v * T / D + v) / k) / cosine;
                    Yd = u * (D - (v - cv) * T / k) / D + cu;
                } else {
                    const double k = v / D - T;
                    if (k >= -1e-08 && k <= 1e-08) continue;
                    Xd = -((v - cv) / k) / cosine;
                    Yd = u * (D - (v - cv) / k) / D + cu;
                }
                int X, Y;
                if (!Truncated(Xd, Lv, X) || !Truncated(Yd, Lu, Y)) continue;
                int sx, sy;
                switch (side) {
                    case 0:
                        sx = X;
                        sy = H - 1 - Y;
                        break;
                    case 1:
                        sx = W - 1 - X;
                        sy = Y;
                        break;
                    case 2:
                        sx = Y;
                        sy = X;
                        break;
                    default:
                        sx = W - 1 - Y;
                        sy = H - 1 - X;
                        break;
                }
                if (overlay) {
                    const uint32_t px = srcTc->get(sx, sy);
                    if (!TransparentPixel(*tilting, px)) tc->set(x, y, px);
                } else {
                    const uint8_t px = srcIx->get(sx, sy);
                    if (!TransparentIndex(*tilting, px)) ix->set(x, y, px);
                }
            }
        }
    };
    return RunEngine(overlay, tilting, n, p, body);
}

}  // namespace

// Effect "Frame Out" (no frame 2) and transition "Frame Out 1. Image".
FrameRecord* RenderFrameOut(FrameRecord* frame1, FrameRecord* frame2, int n,
                            const EffectParams& p) {
    if (!frame1) return nullptr;
    return FrameEngine(frame2, frame1, n, p, false);
}

FrameRecord* RenderFrameIn(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (!frame1 || !frame2) return nullptr;
    return FrameEngine(frame2, frame1, n, p, true);
}

FrameRecord* RenderTiltIn(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (frame2) return frame1 ? TiltEngine(frame1, frame2, n, p.direction, p.value[0], p) : nullptr;
    return TiltEngine(nullptr, frame1, n, p.direction, p.value[0], p);
}
