// Move and zoom: offsets per frame (truncating toward zero), stacking order, end states,
// and the scale and turn of the zoomed image.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class MoveZoomTest : public RendererTest {
  protected:
    // Blue channel = x, green = y: every pixel tells where it came from (w * h <= 256).
    FrameRecord* Coordinates(int w, int h) {
        FrameRecord* f = owner.add(testing_support::MakeFrame(doc, w, h, {0}, 0));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                f->palette[size_t(x + w * y)] = PaletteEntry{0x10, y, x};
                f->indexPlane()->set(x, y, uint8_t(x + w * y));
            }
        return f;
    }
    FrameRecord* Plain(int w, int h, uint32_t colour) {
        return owner.add(
            PatternFrame(doc, w, h, {colour, 0x0000FF, 0x00FF00}, [](int, int) { return 0; }));
    }
};

TEST_F(MoveZoomTest, MoveEffectEndsOnTheSelectedColour) {
    EffectParams p = PreviewBlock(4);
    p.direction = 3;
    p.colorIndex = 2;
    ChainOwner out(RenderMoveImage1(Plain(20, 10, 0x808080), nullptr, 4, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    // Offsets (5, 2), (10, 5), (15, 7), (20, 10).
    EXPECT_EQ(At(*frames[0], 4, 5), 2);
    EXPECT_EQ(At(*frames[0], 5, 2), 0);
    EXPECT_EQ(At(*frames[0], 5, 1), 2);
    EXPECT_EQ(CountIndex(*frames[3], 2), 20 * 10);
}

TEST_F(MoveZoomTest, MoveImage1OverImage2BothWays) {
    FrameRecord* f1 = Coordinates(40, 6);
    EffectParams p = PreviewBlock(3);
    p.direction = 2;  // to the right edge: 10, 20, 30
    ChainOwner right(RenderMoveImage1(f1, Plain(40, 6, 0xFF0000), 3, p));
    ASSERT_EQ(right.frames().size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const int offset = 10 * (i + 1);
        const auto tc = right.frames()[size_t(i)]->trueColourPlane();
        EXPECT_EQ(tc->get(offset - 1, 3), 0xFF0000u);
        EXPECT_EQ(tc->get(offset, 3), 0x100300u);
        EXPECT_EQ(tc->get(39, 3), 0x100300u | uint32_t(39 - offset));
    }
    p.direction = 6;  // to the left edge: -40 * 1 / 3 = -13
    ChainOwner left(RenderMoveImage1(f1, Plain(40, 6, 0xFF0000), 2, p));
    ASSERT_EQ(left.frames().size(), 2u);
    const auto tc = left.head->trueColourPlane();
    EXPECT_EQ(tc->get(0, 0), 0x10000Du);
    EXPECT_EQ(tc->get(26, 0), 0x100027u);
    EXPECT_EQ(tc->get(27, 0), 0xFF0000u);
}

TEST_F(MoveZoomTest, MoveImage2EntersOnTopAndMoveBothObeysTheFlag) {
    EffectParams p = PreviewBlock(3);
    p.secondList = 4;  // from the bottom edge
    ChainOwner in(RenderMoveImage2(Plain(8, 40, 0x808080), Plain(8, 40, 0xFF0000), 3, p));
    ASSERT_EQ(in.frames().size(), 3u);
    EXPECT_EQ(CountColour(*in.frames()[0], 0xFF0000), 8 * 10);  // offset 40 - 40 / 4 = 30
    EXPECT_EQ(CountColour(*in.frames()[2], 0xFF0000), 8 * 30);
    EffectParams both = PreviewBlock(2);
    both.direction = 2;   // image 1 leaves to the right
    both.secondList = 2;  // image 2 comes from the right
    both.colorIndex = 1;  // blue
    for (int onTop : {0, 1}) {
        both.option[0] = onTop;
        ChainOwner out(RenderMoveBoth(Plain(30, 4, 0x808080), Plain(30, 4, 0xFF0000), 2, both));
        ASSERT_EQ(out.frames().size(), 2u);
        // Frame 0: image 1 at +10 (columns 10..29), image 2 at +20 (20..29).
        EXPECT_EQ(CountColour(*out.head, 0xFF0000), onTop ? 4 * 10 : 0);
        // Frame 1: image 1 at +20 (20..29), image 2 at +10 (10..29).
        EXPECT_EQ(CountColour(*out.head->next, 0xFF0000), onTop ? 4 * 20 : 4 * 10);
        EXPECT_EQ(CountColour(*out.head, 0x0000FF), 4 * 10);  // uncovered: the colour
    }
}

TEST_F(MoveZoomTest, ZoomInAndOutScaleAboutTheCentre) {
    EffectParams p = PreviewBlock(3);
    ChainOwner in(RenderZoomIn(Plain(40, 40, 0x808080), Plain(40, 40, 0xFF0000), 3, p));
    ASSERT_EQ(in.frames().size(), 3u);
    // Image 2 at 1/4, 2/4 and 3/4 of its size: neither input shows unchanged.
    EXPECT_EQ(CountColour(*in.frames()[0], 0xFF0000), 10 * 10);
    EXPECT_EQ(CountColour(*in.frames()[1], 0xFF0000), 20 * 20);
    EXPECT_EQ(CountColour(*in.frames()[2], 0xFF0000), 30 * 30);
    EXPECT_EQ(in.frames()[2]->trueColourPlane()->get(0, 0), 0x808080u);
    ChainOwner out(RenderZoomOut(Plain(40, 40, 0xFF0000), Plain(40, 40, 0x808080), 3, p));
    EXPECT_EQ(CountColour(*out.frames()[0], 0xFF0000), 30 * 30);
    // The effect: (h - 1 - i) / h of the size, nothing left in the last frame.
    EffectParams e = PreviewBlock(4);
    e.colorIndex = 2;
    ChainOwner effect(RenderZoomOut(Plain(40, 40, 0x808080), nullptr, 4, e));
    ASSERT_EQ(effect.frames().size(), 4u);
    EXPECT_EQ(CountIndex(*effect.frames()[0], 0), 30 * 30);
    EXPECT_EQ(CountIndex(*effect.frames()[2], 0), 10 * 10);
    EXPECT_EQ(CountIndex(*effect.frames()[3], 2), 40 * 40);
}

// Zoom Out of two frames at 180 degrees: frame 0 shows the picture at half size turned
// by 90 degrees, so output (x, y) shows source (60 - 2y, 2x - 20). Red left half, blue
// right half: the blue half comes up on top, the red half down below.
TEST_F(MoveZoomTest, ZoomTurnsThePicture) {
    FrameRecord* f1 = owner.add(PatternFrame(doc, 40, 40, {0x000000, 0xFF0000, 0x0000FF},
                                             [](int x, int) { return x < 20 ? 1 : 2; }));
    ChainOwner out(RenderZoomOut(f1, nullptr, 2, PreviewBlock(2, 180)));
    ASSERT_EQ(out.frames().size(), 2u);
    EXPECT_EQ(At(*out.head, 15, 12), 2);  // source (36, 10); upright it would be (10, 4)
    EXPECT_EQ(At(*out.head, 25, 28), 1);  // about (4, 30); upright (30, 36)
    EXPECT_EQ(At(*out.head, 2, 2), 0);    // outside the half size
}

}  // namespace
