// Roll Sphere: the plain colour outside, the projection of the image on the front, the
// turning direction, the two halves of the transition and extreme radii.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class RollSphereTest : public RendererTest {
  protected:
    // 100 x 80, index = column / 10 + 1 (1..10); index 0 is the selected colour.
    FrameRecord* Columns() {
        std::vector<uint32_t> colours;
        for (int c = 0; c < 11; ++c) colours.push_back(uint32_t(c * 0x101010));
        return owner.add(
            PatternFrame(doc, 100, 80, colours, [](int x, int) { return x / 10 + 1; }));
    }
    FrameRecord* Uniform(uint32_t colour, int w = 100, int h = 80) {
        return owner.add(PatternFrame(doc, w, h, {0x000000, colour}, [](int, int) { return 1; }));
    }
};

uint8_t At(const FrameRecord& f, int x, int y) {
    return f.indexPlane()->get(x, y);
}

TEST_F(RollSphereTest, RadiusZeroGivesPlainColourFrames) {
    FrameRecord* f1 = Columns();
    EffectParams p = PreviewBlock(3, 0);
    ChainOwner out(RenderRollSphere(f1, nullptr, 3, p));
    ASSERT_EQ(out.frames().size(), 3u);
    for (FrameRecord* f : out.frames())
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 100; ++x) ASSERT_EQ(At(*f, x, y), 0);
}

TEST_F(RollSphereTest, FrontShowsTheLeftHalfAndTurnsWithTheFrames) {
    FrameRecord* f1 = Columns();
    EffectParams p = PreviewBlock(4, 90);  // R = 80 * 90 / 200 = 36
    ChainOwner out(RenderRollSphere(f1, nullptr, 4, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    // Corners lie off the sphere; the sphere's edge is 36 pixels from the centre (50, 40).
    EXPECT_EQ(At(*frames[0], 0, 0), 0);
    EXPECT_EQ(At(*frames[0], 50 + 37, 40), 0);
    EXPECT_NE(At(*frames[0], 50 + 35, 40), 0);
    // Frame 0: longitudes 0..pi map to columns 0..50, the centre to column 25.
    EXPECT_EQ(At(*frames[0], 50, 40), 25 / 10 + 1);
    for (int x = 50 - 35; x <= 50 + 35; ++x) EXPECT_LE(At(*frames[0], x, 40), 6) << x;
    // Eight frames turn an eighth each: the centre (longitude pi/2) shows the columns
    // at 12.5, 87.5, 62.5 and 37.5 in frames 1, 3, 5 and 7.
    EffectParams p8 = PreviewBlock(8, 90);
    ChainOwner eight(RenderRollSphere(f1, nullptr, 8, p8));
    const auto e = eight.frames();
    ASSERT_EQ(e.size(), 8u);
    EXPECT_EQ(At(*e[1], 50, 40), 12 / 10 + 1);
    EXPECT_EQ(At(*e[3], 50, 40), 87 / 10 + 1);
    EXPECT_EQ(At(*e[5], 50, 40), 62 / 10 + 1);
    EXPECT_EQ(At(*e[7], 50, 40), 37 / 10 + 1);
    // Rolling left turns the other way.
    p8.option[0] = 1;
    ChainOwner left(RenderRollSphere(f1, nullptr, 8, p8));
    EXPECT_EQ(At(*left.frames()[1], 50, 40), 37 / 10 + 1);
    EXPECT_EQ(At(*left.frames()[3], 50, 40), 62 / 10 + 1);
}

TEST_F(RollSphereTest, TransitionShowsImageTwoOnTheFrontHalfWayRound) {
    FrameRecord* a = Uniform(0xFF0000);
    FrameRecord* b = Uniform(0x00FF00);
    EffectParams p = PreviewBlock(4, 90);
    p.colorIndex = 0;
    ChainOwner out(RenderRollSphere(a, b, 4, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    int red = 0, green = 0;
    for (uint32_t px : Pixels(*frames[0])) red += px == 0xFF0000u, green += px == 0x00FF00u;
    EXPECT_GT(red, 3000);
    EXPECT_EQ(green, 0);
    red = green = 0;
    for (uint32_t px : Pixels(*frames[2])) red += px == 0xFF0000u, green += px == 0x00FF00u;
    EXPECT_EQ(red, 0);
    EXPECT_GT(green, 3000);
    EXPECT_EQ(Pixels(*frames[2])[0], 0x000000u);
}

TEST_F(RollSphereTest, TransparentSourcePixelsLetTheColourThrough) {
    FrameRecord* f1 = Uniform(0xFF0000);
    f1->hasTransparency = 1;
    f1->transparentIndex = 1;
    ChainOwner out(RenderRollSphere(f1, nullptr, 2, PreviewBlock(2, 90)));
    for (FrameRecord* f : out.frames())
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 100; ++x) ASSERT_EQ(At(*f, x, y), 0);
}

TEST_F(RollSphereTest, HugeRadiusCoversTheWholeFrameWithoutOverflow) {
    FrameRecord* f1 = Columns();
    ChainOwner out(RenderRollSphere(f1, nullptr, 1, PreviewBlock(1, 2000000000)));
    ASSERT_EQ(out.frames().size(), 1u);
    // Every pixel lies near the sphere's equator and centre meridian: column 25.
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(At(*out.head, x, y), 3) << x << "," << y;
}

TEST_F(RollSphereTest, PingPongReturnsToTheStart) {
    FrameRecord* f1 = Columns();
    EffectParams p = PreviewBlock(5, 90);
    p.pingPong = 1;
    ChainOwner out(RenderRollSphere(f1, nullptr, 5, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 5u);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x) {
            ASSERT_EQ(At(*frames[3], x, y), At(*frames[1], x, y));
            ASSERT_EQ(At(*frames[4], x, y), At(*frames[0], x, y));
        }
}

}  // namespace
