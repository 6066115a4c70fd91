// Spiral and Rotor: the walk of the spiral, the rotor's fronts and turned rows.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class SpiralRotorTest : public RendererTest {
  protected:
    // index = column + 1, so that a turned row shows where its pixels came from.
    FrameRecord* Ramp(int w, int h) {
        std::vector<uint32_t> colours;
        for (int c = 0; c <= w; ++c) colours.push_back(uint32_t(c * 0x010203));
        return owner.add(PatternFrame(doc, w, h, colours, [](int x, int) { return x + 1; }));
    }
};

TEST_F(SpiralRotorTest, SpiralPaintsANineCellGridInSpiralOrder) {
    ChainOwner out(RenderSpiral(Uniform(90, 90), nullptr, 9, PreviewBlock(9)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 9u);
    const int order[9][2] = {{1, 1}, {2, 1}, {2, 2}, {1, 2}, {0, 2},
                             {0, 1}, {0, 0}, {1, 0}, {2, 0}};
    for (int k = 0; k < 9; ++k)
        for (int c = 0; c < 9; ++c)
            EXPECT_EQ(At(*frames[size_t(k)], order[c][0] * 30 + 15, order[c][1] * 30 + 15),
                      c <= k ? 0 : 1)
                << "frame " << k << " cell " << c;
    // The transition walks image 2 in the same way.
    ChainOwner t(RenderSpiralTransition(Uniform(90, 90, 0xFF0000), Uniform(90, 90, 0x0000FF), 9,
                                        PreviewBlock(9)));
    ASSERT_EQ(t.frames().size(), 9u);
    EXPECT_EQ(Pixels(*t.head)[45 * 90 + 45], 0x0000FFu);
    EXPECT_EQ(Pixels(*t.head)[0], 0xFF0000u);
    EXPECT_EQ(CountColour(*t.frames()[8], 0x0000FF), 90 * 90);
}

TEST_F(SpiralRotorTest, RotorEffectTurnsRowsBehindTheFront) {
    ChainOwner out(RenderRotor(Ramp(10, 100), nullptr, 10, PreviewBlock(10)));
    const auto frames = out.frames();
    // step 280 / 11 = 25: fronts 25, 50, ..., 275.
    ASSERT_EQ(frames.size(), 11u);
    for (int x = 0; x < 10; ++x) {
        // Front 25: rows from 25 down are untouched.
        EXPECT_EQ(At(*frames[0], x, 50), x + 1);
        // Front 100 (frame 3): row 10 turned by 90 degrees, seen edge on.
        EXPECT_EQ(At(*frames[3], x, 10), x == 5 ? 6 : 0) << x;
        // Front 275: rows 0 and 95 turned by 180 degrees, an exact mirror.
        EXPECT_EQ(At(*frames[10], x, 0), 10 - x) << x;
        EXPECT_EQ(At(*frames[10], x, 95), 10 - x) << x;
    }
    // 181 fronts at most: 500 frames do not give a step of 0.
    ChainOwner many(RenderRotor(Ramp(4, 1), nullptr, 500, PreviewBlock(500)));
    EXPECT_EQ(many.frames().size(), 181u);
}

TEST_F(SpiralRotorTest, RotorTransitionTurnsIntoImageTwoTheRightWayRound) {
    FrameRecord* a = Ramp(10, 20);
    std::vector<uint32_t> colours;
    for (int c = 0; c <= 10; ++c) colours.push_back(uint32_t(0x100000 * c + 0x11));
    FrameRecord* b =
        owner.add(PatternFrame(doc, 10, 20, colours, [](int x, int) { return x + 1; }));
    ChainOwner out(RenderRotorTransition(a, b, 4, PreviewBlock(4)));
    const auto frames = out.frames();
    // step = trunc(200 / 5 + 0.5) = 40: fronts 40 .. 200, five frames.
    ASSERT_EQ(frames.size(), 5u);
    const auto last = Pixels(*frames.back());
    for (int x = 0; x < 10; ++x) EXPECT_EQ(last[size_t(x)], colours[size_t(x) + 1]) << x;
    // Frame 0: row 0 turned by 40 degrees, row 10 by 30: frame 1's pixels in the middle.
    const auto first = Pixels(*frames[0]);
    EXPECT_EQ(first[5], Pixels(*a)[5]);
    EXPECT_EQ(first[10 * 10 + 3], Pixels(*a)[10 * 10 + 3]);  // 5 - trunc(2 / cos) = 3
}

}  // namespace
