// Radar: the swept sectors, the start angle forms, the corners and their sense, and
// image 2 swept in over image 1.
#include <gtest/gtest.h>

#include <cmath>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class RadarTest : public RendererTest {};

bool Covered(const FrameRecord& f, int x, int y) {
    return At(f, x, y) == 0;
}

// Whether the pixel 20 from (cx, cy) in direction deg (counter-clockwise, 0 right) is swept.
bool RayCovered(const FrameRecord& f, int cx, int cy, double deg) {
    return Covered(f, cx + int(std::lround(20 * std::cos(deg * M_PI / 180))),
                   cy - int(std::lround(20 * std::sin(deg * M_PI / 180))));
}

TEST_F(RadarTest, CentreSweepsQuartersCounterClockwise) {
    ChainOwner out(RenderRadar(Uniform(61, 61), nullptr, 3, PreviewBlock(3, 0)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        for (double deg = 5; deg < 360; deg += 10)
            EXPECT_EQ(RayCovered(*frames[size_t(k)], 30, 30, deg), deg <= 90.0 * (k + 1))
                << k << " " << deg;
        EXPECT_TRUE(Covered(*frames[size_t(k)], 30, 30));
    }
    EXPECT_TRUE(Covered(*frames[0], 30, 10));  // the end ray itself
}

TEST_F(RadarTest, StartAngleFormsAndClockwise) {
    FrameRecord* f1 = Uniform(61, 61);
    // One frame sweeps 180 degrees.
    const struct {
        int start;
        bool clockwise;
        double in, out;
    } cases[] = {{-90, false, 275, 265}, {450, false, 95, 85}, {0, true, 355, 5}};
    for (const auto& c : cases) {
        EffectParams p = PreviewBlock(1, c.start);
        p.option[0] = c.clockwise;
        ChainOwner out(RenderRadar(f1, nullptr, 1, p));
        EXPECT_TRUE(RayCovered(*out.head, 30, 30, c.in)) << c.start;
        EXPECT_FALSE(RayCovered(*out.head, 30, 30, c.out)) << c.start;
    }
    // 360 and -360 start exactly like 0, also at pixels whose angle rounds to 360.
    FrameRecord* wide = Uniform(401, 3);
    ChainOwner zero(RenderRadar(wide, nullptr, 2, PreviewBlock(2, 0)));
    EXPECT_EQ(At(*zero.head, 400, 1), 0);
    EXPECT_EQ(At(*zero.head, 300, 2), 1);
    for (int start : {360, -360, 720}) {
        ChainOwner other(RenderRadar(wide, nullptr, 2, PreviewBlock(2, start)));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 401; ++x)
                ASSERT_EQ(At(*zero.head, x, y), At(*other.head, x, y)) << start << ": " << x;
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
    // Bottom right, counter-clockwise: from straight up (90 degrees) towards the left.
    p.direction = 4;
    p.option[0] = 0;
    ChainOwner corner(RenderRadar(f1, nullptr, 3, p));
    EXPECT_TRUE(Covered(*corner.head, 36, 25));   // 102 degrees from (39, 39)
    EXPECT_FALSE(Covered(*corner.head, 10, 38));  // 178 degrees
    // An unknown position means the centre.
    p.direction = 7;
    p.option[0] = 0;
    ChainOwner centre(RenderRadar(f1, nullptr, 3, p));
    EXPECT_TRUE(Covered(*centre.head, 20, 20));
    EXPECT_FALSE(Covered(*centre.head, 0, 0));
}

TEST_F(RadarTest, TransitionSweepsImageTwoIn) {
    ChainOwner out(
        RenderRadar(Uniform(21, 21, 0xFF0000), Uniform(21, 21, 0x00FF00), 4, PreviewBlock(4, 0)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    // Sweeps of 72, 144, 216 and 288 degrees, image 2 in the swept part.
    const auto first = Pixels(*frames[0]);
    EXPECT_EQ(first[10 * 21 + 10], 0x00FF00u);               // the centre
    EXPECT_EQ(first[4 * 21 + 15], 0x00FF00u);                // 50 degrees
    EXPECT_EQ(first[0 * 21 + 10], 0xFF0000u);                // 90 degrees
    EXPECT_EQ(first[10 * 21 + 0], 0xFF0000u);                // 180 degrees
    EXPECT_EQ(Pixels(*frames[3])[20 * 21 + 10], 0x00FF00u);  // 270 degrees
    EXPECT_EQ(Pixels(*frames[3])[14 * 21 + 20], 0xFF0000u);  // 338 degrees
}

// From the top right corner, counter-clockwise, the third of three frames sweeps 3 / 4 of
// 90 = 67.5 degrees from the top edge down, whole degrees up to 247 (of 180 + 67.5): the
// pixel 15 left and 36 down lies at 247.4, 37 down at 247.9, rounded 248.
TEST_F(RadarTest, ACornerSweepsAQuarterTurn) {
    EffectParams p = PreviewBlock(3);
    p.direction = 1;
    ChainOwner out(RenderRadar(Uniform(40, 40), nullptr, 3, p));
    ASSERT_EQ(out.frames().size(), 3u);
    EXPECT_TRUE(Covered(*out.frames()[2], 24, 36));
    EXPECT_FALSE(Covered(*out.frames()[2], 24, 37));
}

}  // namespace
