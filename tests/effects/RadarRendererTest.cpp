// Radar: the swept sectors, the start angle forms, the corners and their sense, the
// centre pixel, transparency of the second image and PingPong.
#include <gtest/gtest.h>

#include <cmath>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class RadarTest : public RendererTest {};

bool Covered(const FrameRecord& f, int x, int y) {
    return f.indexPlane()->get(x, y) == 0;
}

// The pixel at distance 20 from (cx, cy) in direction deg (counter-clockwise, 0 right).
void Ray(int cx, int cy, double deg, int& x, int& y) {
    x = cx + int(std::lround(20 * std::cos(deg * M_PI / 180)));
    y = cy - int(std::lround(20 * std::sin(deg * M_PI / 180)));
}

TEST_F(RadarTest, CentreSweepsQuartersCounterClockwise) {
    FrameRecord* f1 = Uniform(61, 61);
    ChainOwner out(RenderRadar(f1, nullptr, 3, PreviewBlock(3, 0)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        const double end = 90.0 * (k + 1);
        for (double deg = 5; deg < 360; deg += 10) {
            int x, y;
            Ray(30, 30, deg, x, y);
            EXPECT_EQ(Covered(*frames[size_t(k)], x, y), deg <= end) << k << " " << deg;
        }
        EXPECT_TRUE(Covered(*frames[size_t(k)], 30, 30));
    }
    // The end ray itself is covered (inclusive bounds).
    EXPECT_TRUE(Covered(*frames[0], 30, 10));
}

TEST_F(RadarTest, StartAngleFormsAndClockwise) {
    FrameRecord* f1 = Uniform(61, 61);
    auto firstFrameCovers = [&](int start, bool clockwise, double deg) {
        EffectParams p = PreviewBlock(1, start);
        p.option[0] = clockwise;
        ChainOwner out(RenderRadar(f1, nullptr, 1, p));
        int x, y;
        Ray(30, 30, deg, x, y);
        return Covered(*out.head, x, y);  // N = 1 sweeps 180 degrees
    };
    EXPECT_TRUE(firstFrameCovers(-90, false, 275));
    EXPECT_FALSE(firstFrameCovers(-90, false, 265));
    EXPECT_TRUE(firstFrameCovers(450, false, 95));
    EXPECT_FALSE(firstFrameCovers(450, false, 85));
    EXPECT_TRUE(firstFrameCovers(0, true, 355));
    EXPECT_FALSE(firstFrameCovers(0, true, 5));
    // 360 and -360 start exactly like 0, also at pixels whose angle rounds to 360.
    FrameRecord* big = Uniform(401, 401);
    for (int start : {360, -360, 720}) {
        ChainOwner zero(RenderRadar(big, nullptr, 2, PreviewBlock(2, 0)));
        ChainOwner other(RenderRadar(big, nullptr, 2, PreviewBlock(2, start)));
        for (int y = 0; y < 401; ++y)
            for (int x = 0; x < 401; ++x)
                ASSERT_EQ(Covered(*zero.head, x, y), Covered(*other.head, x, y))
                    << start << " at " << x << "," << y;
    }
}

TEST_F(RadarTest, TopLeftCornerClockwiseTurnsFromTheTopEdgeDown) {
    FrameRecord* f1 = Uniform(40, 40);
    EffectParams p = PreviewBlock(3);
    p.direction = 2;
    p.option[0] = 1;
    ChainOwner out(RenderRadar(f1, nullptr, 3, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_TRUE(Covered(*frames[0], 30, 0));   // along the top edge
    EXPECT_TRUE(Covered(*frames[0], 30, 5));   // about 350 degrees
    EXPECT_FALSE(Covered(*frames[0], 5, 30));  // near the left edge
    EXPECT_TRUE(Covered(*frames[2], 20, 30));  // 304 degrees, inside 360 - 67.5
    EXPECT_FALSE(Covered(*frames[2], 1, 39));  // 271 degrees, never reached
    // An unknown position means the centre.
    p.direction = 7;
    p.option[0] = 0;
    ChainOwner centre(RenderRadar(f1, nullptr, 3, p));
    EXPECT_TRUE(Covered(*centre.head, 20, 20));
    EXPECT_FALSE(Covered(*centre.head, 0, 0));
}

TEST_F(RadarTest, TransitionKeepsImageOneWhereImageTwoIsTransparent) {
    FrameRecord* a = Uniform(21, 21, 0xFF0000);
    FrameRecord* b = owner.add(
        PatternFrame(doc, 21, 21, {0x0000FF, 0x00FF00}, [](int x, int) { return x < 5 ? 0 : 1; }));
    b->hasTransparency = 1;
    b->transparentIndex = 0;
    ChainOwner out(RenderRadar(a, b, 4, PreviewBlock(4, 0)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    for (FrameRecord* f : frames) {
        const auto px = Pixels(*f);
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 5; ++x) ASSERT_EQ(px[size_t(y * 21 + x)], 0xFF0000u);
        EXPECT_EQ(px[10 * 21 + 10], 0x00FF00u);  // the centre
    }
    EXPECT_EQ(Pixels(*frames[3])[10 * 21 + 20], 0x00FF00u);
}

TEST_F(RadarTest, PingPongMirrorsTheSweep) {
    FrameRecord* f1 = Uniform(31, 31);
    EffectParams p = PreviewBlock(6);
    p.pingPong = 1;
    ChainOwner out(RenderRadar(f1, nullptr, 6, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 6u);
    for (int y = 0; y < 31; ++y)
        for (int x = 0; x < 31; ++x) {
            ASSERT_EQ(Covered(*frames[3], x, y), Covered(*frames[2], x, y));
            ASSERT_EQ(Covered(*frames[5], x, y), Covered(*frames[0], x, y));
        }
}

}  // namespace
