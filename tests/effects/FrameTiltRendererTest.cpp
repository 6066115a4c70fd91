// Frame Out, Frame In and Tilt In: how far the frame has grown in each frame, and on
// which side the door hangs.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class FrameTiltTest : public RendererTest {
  protected:
    FrameRecord* Plain(int w, int h, uint32_t colour) {
        return owner.add(
            PatternFrame(doc, w, h, {colour, 0x0000FF, 0x00FF00}, [](int, int) { return 0; }));
    }
};

TEST_F(FrameTiltTest, FrameOutEffectCoversTheImageInTheLastFrame) {
    EffectParams p = PreviewBlock(4);
    p.colorIndex = 2;
    ChainOwner out(RenderFrameOut(Plain(100, 100, 0x808080), nullptr, 4, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    // The border reaches 50 / 4 per frame: 12, 25, 37.
    const int d[] = {12, 25, 37};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(At(*frames[size_t(i)], d[i], 50), 2) << i;
        EXPECT_EQ(At(*frames[size_t(i)], d[i] + 1, 50), 0) << i;
        EXPECT_EQ(At(*frames[size_t(i)], 50, 99 - d[i]), 2) << i;
        EXPECT_EQ(At(*frames[size_t(i)], 50, 98 - d[i]), 0) << i;
    }
    EXPECT_EQ(CountIndex(*frames[3], 2), 100 * 100);
}

TEST_F(FrameTiltTest, FrameOutAndFrameInTransitions) {
    EffectParams p = PreviewBlock(4);
    ChainOwner out(RenderFrameOut(Plain(100, 100, 0x808080), Plain(100, 100, 0xFF0000), 4, p));
    ASSERT_EQ(out.frames().size(), 4u);
    // Divided by 5: the last frame leaves the centre 18 x 18 of image 1.
    EXPECT_EQ(CountColour(*out.frames()[3], 0x808080), 18 * 18);
    EXPECT_EQ(out.frames()[3]->trueColourPlane()->get(41, 41), 0x808080u);
    EXPECT_EQ(out.frames()[0]->trueColourPlane()->get(10, 50), 0xFF0000u);
    EXPECT_EQ(out.frames()[0]->trueColourPlane()->get(11, 50), 0x808080u);
    ChainOwner in(RenderFrameIn(Plain(100, 100, 0x808080), Plain(100, 100, 0xFF0000), 4, p));
    ASSERT_EQ(in.frames().size(), 4u);
    EXPECT_EQ(CountColour(*in.frames()[0], 0xFF0000), 20 * 20);
    EXPECT_EQ(in.frames()[0]->trueColourPlane()->get(40, 40), 0xFF0000u);
    EXPECT_EQ(CountColour(*in.frames()[3], 0xFF0000), 80 * 80);
}

// Halfway through the swing (about 39 degrees from shut) the door still covers the
// pixels by its hinge; the far edge shows image 1.
TEST_F(FrameTiltTest, TiltInTheDoorHangsOnTheChosenSide) {
    const struct {
        const char* side;
        int byHinge[2], farEdge[2];
    } sides[] = {{"Left", {2, 24}, {61, 24}},
                 {"Right", {61, 24}, {2, 24}},
                 {"Top", {32, 2}, {32, 45}},
                 {"Bottom", {32, 45}, {32, 2}}};
    for (int side = 0; side < 4; ++side) {
        SCOPED_TRACE(sides[side].side);
        EffectParams p = PreviewBlock(40, 0);
        p.direction = side;
        ChainOwner out(RenderTiltIn(Plain(64, 48, 0x808080), Plain(64, 48, 0xFF0000), 40, p));
        const auto frames = out.frames();
        ASSERT_EQ(frames.size(), 40u);
        const auto middle = frames[20]->trueColourPlane();
        EXPECT_EQ(middle->get(sides[side].byHinge[0], sides[side].byHinge[1]), 0xFF0000u);
        EXPECT_EQ(middle->get(sides[side].farEdge[0], sides[side].farEdge[1]), 0x808080u);
        // Nearly shut in the last frame: image 2 almost everywhere.
        EXPECT_GT(CountColour(*frames[39], 0xFF0000), 64 * 48 * 9 / 10);
    }
}

// At rest the door shows its picture the right way round, whichever side it hangs on.
TEST_F(FrameTiltTest, TiltInEndsWithTheImageInPlace) {
    const uint32_t quarter[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
    FrameRecord* door =
        owner.add(PatternFrame(doc, 64, 48, {quarter[0], quarter[1], quarter[2], quarter[3]},
                               [](int x, int y) { return (x >= 32) + 2 * (y >= 24); }));
    for (int side = 0; side < 4; ++side) {
        EffectParams p = PreviewBlock(40, 1);
        p.direction = side;
        ChainOwner out(RenderTiltIn(Plain(64, 48, 0x808080), door, 40, p));
        ASSERT_EQ(out.frames().size(), 40u);
        const auto last = out.frames()[39]->trueColourPlane();
        EXPECT_EQ(last->get(16, 12), quarter[0]) << side;
        EXPECT_EQ(last->get(48, 12), quarter[1]) << side;
        EXPECT_EQ(last->get(16, 36), quarter[2]) << side;
        EXPECT_EQ(last->get(48, 36), quarter[3]) << side;
        // Right by the quarter borders: not a row or column off.
        EXPECT_EQ(last->get(16, 23), quarter[0]) << side;
        EXPECT_EQ(last->get(16, 24), quarter[2]) << side;
        EXPECT_EQ(last->get(31, 12), quarter[0]) << side;
        EXPECT_EQ(last->get(32, 12), quarter[1]) << side;
    }
}

}  // namespace
