// Roll Sphere: the image wrapped round a sphere that turns about its vertical axis over
// the selected colour. As a transition, each image covers one half of the sphere.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "effects/RendererSkeletons.h"
#include "effects/renderers/PixelAccess.h"
#include "effects/renderers/Renderers.h"

namespace {

constexpr double kTwoPi = 6.283185308;
constexpr double kPi = 3.141592654;
constexpr double kHalfPi = 1.570796327;

// Where each frame pixel lands on the sphere; independent of the rotation, so it is
// computed once per run. phi < 0 marks a pixel off the sphere.
struct SphereMap {
    std::vector<double> phi;     // longitude per pixel
    std::vector<int> sourceRow;  // per frame row
};

SphereMap MapSphere(int w, int h, int64_t radius) {
    SphereMap map;
    map.phi.assign(size_t(w) * size_t(h), -1.0);
    map.sourceRow.assign(size_t(h), 0);
    if (radius <= 0) return map;
    // In double: the radius has no upper limit and its square leaves 32 bits early.
    const double r = double(radius);
    const double r2 = r * r;
    for (int y = 0; y < h; ++y) {
        const double dy = double(h / 2 - y);
        if (std::fabs(dy) > r) continue;
        const double theta = std::acos(dy / r);
        const double q = std::sin(theta) * r;
        map.sourceRow[size_t(y)] = int((h - 1) * theta * 0.31830988614222805);
        if (!(theta >= 0 && theta <= kPi)) continue;
        for (int x = 0; x < w; ++x) {
            const double dx = double(x - w / 2);
            if (dx * dx + dy * dy > r2) continue;
            if (std::fabs(dx) > std::fabs(q)) continue;
            double phi = kHalfPi;
            if (q != 0) phi = std::asin(std::clamp(dx / q, -1.0, 1.0)) + kHalfPi;
            if (!(phi >= 0 && phi <= kPi)) continue;
            map.phi[size_t(y) * size_t(w) + size_t(x)] = phi;
        }
    }
    return map;
}

inline double IntoTurn(double phi, double start) {
    while (phi < start) phi += kTwoPi;
    while (phi >= start + kTwoPi) phi -= kTwoPi;
    return phi;
}

template <typename T>
void DrawSphereFrame(const SphereMap& map, FrameRecord* image1, FrameRecord* image2,
                     FrameRecord& out, int i, int h, int colorIndex, bool rollLeft) {
    using View = PixelView<T>;
    const int w = out.width;
    const int height = out.height;
    const View dst(out);
    const T colour = View::Colour(*image1, colorIndex);
    for (int y = 0; y < height; ++y) std::fill(dst.row(y), dst.row(y) + w, colour);
    const View one(*image1);
    const std::unique_ptr<View> two = image2 ? std::make_unique<View>(*image2) : nullptr;
    double rho = double(i) / double(h) * kTwoPi;
    if (rollLeft) rho = -rho;
    const double span = image2 ? kPi : kTwoPi;
    const double rho2 = rho + kPi;
    const double scale = double(w) / span;
    for (int y = 0; y < height; ++y) {
        const double* phis = map.phi.data() + size_t(y) * size_t(w);
        const int sy = std::clamp(map.sourceRow[size_t(y)], 0, height - 1);
        T* d = dst.row(y);
        for (int x = 0; x < w; ++x) {
            double phi = phis[x];
            if (phi < 0) continue;
            FrameRecord* source = image1;
            const View* view = &one;
            phi = IntoTurn(phi, rho);
            double offset = phi - rho;
            if (image2 && phi > rho + kPi) {
                phi = IntoTurn(phi, rho2);
                if (phi > rho2 + kPi) continue;
                source = image2;
                view = two.get();
                offset = phi - rho2;
            }
            const int sx = std::clamp(int(offset * scale), 0, w - 1);
            const T px = view->row(sy)[sx];
            if (View::Transparent(*source, px)) continue;
            d[x] = px;
        }
    }
}

}  // namespace

FrameRecord* RenderRollSphere(FrameRecord* frame1, FrameRecord* frame2, int n,
                              const EffectParams& p) {
    if (!UsableInput(frame1)) return nullptr;
    if (frame2 && !UsableInput(frame2)) return nullptr;
    const int64_t radius =
        int64_t(std::min(frame1->width, frame1->height)) * std::max(0, p.value[0]) / 200;
    const SphereMap map = MapSphere(frame1->width, frame1->height, radius);
    const bool rollLeft = p.option[0] != 0;
    if (frame2) {
        return RunTrueColourSkeleton(frame1, frame2, n, p, [&](int i, int h, FrameRecord& out) {
            DrawSphereFrame<uint32_t>(map, frame1, frame2, out, i, h, p.colorIndex, rollLeft);
        });
    }
    return RunIndexSkeleton(frame1, nullptr, n, p, [&](int i, int h, FrameRecord& out) {
        DrawSphereFrame<uint8_t>(map, frame1, nullptr, out, i, h, p.colorIndex, rollLeft);
    });
}
