// Roll Sphere: the picture wrapped round a sphere turning about its vertical axis, over
// the selected colour; as a transition each image covers one half of the sphere.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class RollSphereTest : public RendererTest {
  protected:
    // 100 x 80, index = pattern + 1 (up to 15); index 0 is the selected colour.
    template <typename Pattern>
    FrameRecord* Bands(Pattern pattern) {
        std::vector<uint32_t> colours;
        for (int c = 0; c < 16; ++c) colours.push_back(uint32_t(c * 0x101010));
        return owner.add(
            PatternFrame(doc, 100, 80, colours, [&](int x, int y) { return pattern(x, y) + 1; }));
    }
};

TEST_F(RollSphereTest, FrontShowsTheLeftHalfAndTurnsWithTheFrames) {
    FrameRecord* f1 = Bands([](int x, int) { return x / 10; });
    ChainOwner out(RenderRollSphere(f1, nullptr, 4, PreviewBlock(4, 90)));  // R = 36
    ASSERT_EQ(out.frames().size(), 4u);
    const FrameRecord& first = *out.head;
    // Off the sphere: the colour; the sphere's edge 36 pixels from the centre (50, 40).
    EXPECT_EQ(At(first, 0, 0), 0);
    EXPECT_EQ(At(first, 50 + 37, 40), 0);
    EXPECT_NE(At(first, 50 + 35, 40), 0);
    // Frame 0: longitudes 0..pi map to columns 0..50, the centre to column 25.
    EXPECT_EQ(At(first, 50, 40), 25 / 10 + 1);
    for (int x = 50 - 35; x <= 50 + 35; ++x) EXPECT_LE(At(first, x, 40), 6) << x;
    // Eight frames turn an eighth each: the centre (longitude pi/2) shows the columns
    // at 12.5, 87.5, 62.5 and 37.5 in frames 1, 3, 5 and 7; rolling left the other way.
    EffectParams p8 = PreviewBlock(8, 90);
    ChainOwner eight(RenderRollSphere(f1, nullptr, 8, p8));
    const auto e = eight.frames();
    ASSERT_EQ(e.size(), 8u);
    EXPECT_EQ(At(*e[1], 50, 40), 12 / 10 + 1);
    EXPECT_EQ(At(*e[3], 50, 40), 87 / 10 + 1);
    EXPECT_EQ(At(*e[5], 50, 40), 62 / 10 + 1);
    EXPECT_EQ(At(*e[7], 50, 40), 37 / 10 + 1);
    p8.option[0] = 1;
    ChainOwner left(RenderRollSphere(f1, nullptr, 8, p8));
    EXPECT_EQ(At(*left.frames()[1], 50, 40), 37 / 10 + 1);
    EXPECT_EQ(At(*left.frames()[3], 50, 40), 62 / 10 + 1);
}

// Rows by latitude: the angle from the north pole over pi spans the picture's 79 rows.
// Down the centre column (R = 36 about row 40): pole, 60 degrees, equator, 120 degrees,
// south pole show rows 0, 26.3, 39.5, 52.7 and 79, in bands of six rows.
TEST_F(RollSphereTest, LatitudesMapToRowsFromTopToBottom) {
    FrameRecord* f1 = Bands([](int, int y) { return y / 6; });
    ChainOwner out(RenderRollSphere(f1, nullptr, 2, PreviewBlock(2, 90)));
    ASSERT_EQ(out.frames().size(), 2u);
    for (FrameRecord* f : out.frames()) {
        EXPECT_EQ(At(*f, 50, 4), 0 / 6 + 1);
        EXPECT_EQ(At(*f, 50, 22), 26 / 6 + 1);
        EXPECT_EQ(At(*f, 50, 40), 39 / 6 + 1);
        EXPECT_EQ(At(*f, 50, 58), 52 / 6 + 1);
        EXPECT_EQ(At(*f, 50, 76), 79 / 6 + 1);
        EXPECT_EQ(At(*f, 50, 2), 0);
    }
}

TEST_F(RollSphereTest, TransitionShowsImageTwoOnTheFrontHalfWayRound) {
    FrameRecord* a = Uniform(100, 80, 0xFF0000);
    FrameRecord* b = Uniform(100, 80, 0x00FF00);
    EffectParams p = PreviewBlock(4, 90);
    p.colorIndex = 0;
    ChainOwner out(RenderRollSphere(a, b, 4, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_GT(CountColour(*frames[0], 0xFF0000), 3000);
    EXPECT_EQ(CountColour(*frames[0], 0x00FF00), 0);
    EXPECT_EQ(CountColour(*frames[2], 0xFF0000), 0);
    EXPECT_GT(CountColour(*frames[2], 0x00FF00), 3000);
    EXPECT_EQ(Pixels(*frames[2])[0], 0x000000u);
}

}  // namespace
