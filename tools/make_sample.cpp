// Makes resources/sample.gif, the animation the editor opens when it starts without a
// file: a ball bouncing over a meadow at sunset, 12 frames of 160 x 120 on one global
// palette, written by our own GIF writer.
//   make_sample OUTPUT.gif
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "document/AnimationDocument.h"
#include "gif/GifWriter.h"
#include "host/Host.h"

namespace {

constexpr int kWidth = 160, kHeight = 120, kFrames = 12;
constexpr int kHorizon = 84;
constexpr double kPi = 3.14159265358979323846;

// Palette ranges.
constexpr int kSky = 0, kSkyCount = 96;
constexpr int kGrass = 96, kGrassCount = 32;
constexpr int kBall = 128, kBallCount = 64;
constexpr int kShadow = 192, kShadowCount = 32;
constexpr int kSun = 224, kSunCount = 32;

PaletteEntry Mix(PaletteEntry a, PaletteEntry b, double t) {
    auto m = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return {m(a.red, b.red), m(a.green, b.green), m(a.blue, b.blue)};
}

Palette MakePalette() {
    Palette p;
    for (int i = 0; i < kSkyCount; ++i)
        p[size_t(kSky + i)] = Mix({30, 40, 110}, {250, 170, 90}, i / double(kSkyCount - 1));
    for (int i = 0; i < kGrassCount; ++i)
        p[size_t(kGrass + i)] = Mix({40, 120, 50}, {110, 180, 70}, i / double(kGrassCount - 1));
    for (int i = 0; i < kBallCount; ++i)
        p[size_t(kBall + i)] = Mix({90, 10, 30}, {255, 140, 150}, i / double(kBallCount - 1));
    for (int i = 0; i < kShadowCount; ++i)
        p[size_t(kShadow + i)] = Mix({20, 60, 25}, {60, 110, 45}, i / double(kShadowCount - 1));
    for (int i = 0; i < kSunCount; ++i)
        p[size_t(kSun + i)] = Mix({255, 200, 80}, {255, 250, 210}, i / double(kSunCount - 1));
    return p;
}

void DrawFrame(IndexBuffer& plane, int n) {
    const double phase = n / double(kFrames);
    const double ballX = 80 + 50 * std::sin(2 * kPi * phase);
    const double bounce = std::fabs(std::sin(2 * kPi * phase));  // two bounces per loop
    const double radius = 14;
    const double ballY = kHorizon + 12 - radius - 52 * bounce;
    const double squash = bounce < 0.15 ? 1.0 + (0.15 - bounce) : 1.0;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = plane.row(y);
        for (int x = 0; x < kWidth; ++x) {
            int index;
            if (y < kHorizon) {
                index = kSky + std::min(kSkyCount - 1, y * kSkyCount / kHorizon);
                const double ds = std::hypot(x - 122.0, y - 70.0);
                if (ds < 13) index = kSun + std::clamp(int((13 - ds) * 3), 0, kSunCount - 1);
            } else {
                // Stripes of grass that drift a little from frame to frame.
                const double wave = std::sin((x + 3.0 * n) * 0.21 + y * 0.5);
                index = kGrass +
                        std::clamp(int((y - kHorizon) * 0.6 + 8 + 6 * wave), 0, kGrassCount - 1);
                const double sx = (x - ballX) / (radius * (1.3 - 0.4 * bounce));
                const double sy = (y - (kHorizon + 13.0)) / 3.0;
                if (sx * sx + sy * sy < 1)
                    index = kShadow + std::clamp(int(10 + 20 * bounce), 0, kShadowCount - 1);
            }
            const double dx = (x - ballX) / (radius * squash);
            const double dy = (y - ballY) * squash / radius;
            const double d2 = dx * dx + dy * dy;
            if (d2 < 1) {
                const double dz = std::sqrt(1 - d2);
                const double light =
                    std::clamp(0.5 * (-0.4 * dx - 0.5 * dy + 0.77 * dz) + 0.5, 0.0, 1.0);
                index = kBall + std::clamp(int(light * (kBallCount - 1)), 0, kBallCount - 1);
            }
            row[x] = uint8_t(index);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample OUTPUT.gif\n");
        return 2;
    }
    SilentHost host;
    AnimationDocument doc(host, 1);
    doc.screenWidth = kWidth;
    doc.screenHeight = kHeight;
    doc.hasGlobalPalette = true;
    doc.globalPalette = MakePalette();
    doc.loopCount = 0;
    doc.endless = true;
    doc.globalComments = {{"Velmora sample animation"}};
    doc.hasGlobalComments = true;
    FrameRecord* last = nullptr;
    for (int n = 0; n < kFrames; ++n) {
        FrameRecord* f = AnimationDocument::Adopt(FrameRecord::Construct(doc, last, nullptr));
        if (!f || !f->CreateIndexBuffer(kWidth, kHeight)) return 1;
        f->hasLocalPalette = 0;
        f->palette = doc.globalPalette;
        f->delay = 8;
        f->disposal = 1;
        f->fileName = "sample.gif";
        DrawFrame(*f->indexPlane(), n);
        if (last)
            last->next = f;
        else
            doc.firstFrame = f;
        last = f;
    }
    const int result = SaveAnimation(doc, argv[1]);
    if (result != 0) std::fprintf(stderr, "make_sample: saving failed (%d)\n", result);
    return result == 0 ? 0 : 1;
}
