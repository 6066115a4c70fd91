// Frame Out, Frame In and Tilt In: frame widths per frame, end states, transparency of the
// overlay and the extreme swings that must stay inside the image.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class FrameTiltTest : public RendererTest {
  protected:
    FrameRecord* Uniform(int w, int h, uint32_t colour) {
        return owner.add(
            PatternFrame(doc, w, h, {colour, 0x0000FF, 0x00FF00}, [](int, int) { return 0; }));
    }
};

int CountIndex(const FrameRecord& f, uint8_t index) {
    int n = 0;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) n += f.indexPlane()->get(x, y) == index;
    return n;
}

int CountColour(const FrameRecord& f, uint32_t colour) {
    int n = 0;
    for (uint32_t px : Pixels(f)) n += (px & kRgbMask) == colour;
    return n;
}

TEST_F(FrameTiltTest, FrameOutEffectCoversTheImageInTheLastFrame) {
    EffectParams p = PreviewBlock(4);
    p.colorIndex = 2;
    ChainOwner out(RenderFrameOut(Uniform(100, 100, 0x808080), nullptr, 4, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    const int d[] = {12, 25, 37, 50};
    for (int i = 0; i < 3; ++i) {
        const auto plane = frames[size_t(i)]->indexPlane();
        EXPECT_EQ(plane->get(d[i], 50), 2) << i;
        EXPECT_EQ(plane->get(d[i] + 1, 50), 0) << i;
        EXPECT_EQ(plane->get(50, 99 - d[i]), 2) << i;
        EXPECT_EQ(plane->get(50, 98 - d[i]), 0) << i;
    }
    EXPECT_EQ(CountIndex(*frames[3], 2), 100 * 100);
}

TEST_F(FrameTiltTest, FrameOutTransitionLeavesTheCentreOfImage1) {
    EffectParams p = PreviewBlock(4);
    ChainOwner out(RenderFrameOut(Uniform(100, 100, 0x808080), Uniform(100, 100, 0xFF0000), 4, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    const auto last = frames[3]->trueColourPlane();
    EXPECT_EQ(CountColour(*frames[3], 0x808080), 18 * 18);
    EXPECT_EQ(last->get(41, 41), 0x808080u);
    EXPECT_EQ(last->get(58, 58), 0x808080u);
    EXPECT_EQ(last->get(40, 50), 0xFF0000u);
    EXPECT_EQ(last->get(59, 50), 0xFF0000u);
    EXPECT_EQ(frames[0]->trueColourPlane()->get(10, 50), 0xFF0000u);
    EXPECT_EQ(frames[0]->trueColourPlane()->get(11, 50), 0x808080u);
}

TEST_F(FrameTiltTest, FrameInGrowsImage2FromTheCentre) {
    EffectParams p = PreviewBlock(4);
    ChainOwner out(RenderFrameIn(Uniform(100, 100, 0x808080), Uniform(100, 100, 0xFF0000), 4, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(CountColour(*frames[0], 0xFF0000), 20 * 20);
    EXPECT_EQ(frames[0]->trueColourPlane()->get(40, 40), 0xFF0000u);
    EXPECT_EQ(frames[0]->trueColourPlane()->get(59, 59), 0xFF0000u);
    EXPECT_EQ(frames[0]->trueColourPlane()->get(39, 50), 0x808080u);
    EXPECT_EQ(CountColour(*frames[3], 0xFF0000), 80 * 80);
    EXPECT_EQ(RenderFrameIn(Uniform(10, 10, 1), nullptr, 4, p), nullptr);
}

TEST_F(FrameTiltTest, FrameTransparentOverlayPixelsNeverCover) {
    FrameRecord* overlay = owner.add(
        PatternFrame(doc, 20, 20, {0xFF0000, 0x00FF00}, [](int x, int) { return x % 2; }));
    overlay->hasTransparency = 1;
    overlay->transparentIndex = 1;
    EffectParams p = PreviewBlock(3);
    p.pingPong = 1;
    ChainOwner out(RenderFrameOut(Uniform(20, 20, 0x808080), overlay, 3, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(Pixels(*frames[2]), Pixels(*frames[0]));
    for (FrameRecord* f : frames) EXPECT_EQ(CountColour(*f, 0x00FF00), 0);
    EXPECT_EQ(frames[1]->trueColourPlane()->get(0, 5), 0xFF0000u);
    EXPECT_EQ(frames[1]->trueColourPlane()->get(1, 5), 0x808080u);
}

TEST_F(FrameTiltTest, TiltInTransitionEndsWithImage2AlmostShut) {
    for (int side = 0; side < 4; ++side) {
        EffectParams p = PreviewBlock(40, 2);
        p.direction = side;
        ChainOwner out(RenderTiltIn(Uniform(64, 48, 0x808080), Uniform(64, 48, 0xFF0000), 40, p));
        const auto frames = out.frames();
        ASSERT_EQ(frames.size(), 40u);
        // Nearly at rest in the last frame: image 2 covers almost the whole frame.
        EXPECT_GT(CountColour(*frames[39], 0xFF0000), 64 * 48 * 9 / 10) << side;
        // The swing shows both images on the way.
        EXPECT_GT(CountColour(*frames[20], 0x808080), 0) << side;
    }
}

TEST_F(FrameTiltTest, TiltInEffectAndExtremeSwingsStayInsideTheImage) {
    EffectParams p = PreviewBlock(6, 1000000000);
    p.colorIndex = 2;
    for (int side = 0; side < 4; ++side) {
        p.direction = side;
        ChainOwner out(RenderTiltIn(Uniform(33, 17, 0x808080), nullptr, 6, p));
        ASSERT_EQ(out.frames().size(), 6u);
        for (FrameRecord* f : out.frames())
            EXPECT_EQ(CountIndex(*f, 0) + CountIndex(*f, 2), 33 * 17);
    }
    for (int n : {1, 2, 3}) {
        EffectParams q = PreviewBlock(n, -5);
        ChainOwner tiny(RenderTiltIn(Uniform(1, 1, 0x808080), Uniform(1, 1, 0xFF0000), n, q));
        EXPECT_EQ(tiny.frames().size(), size_t(n));
    }
}

TEST_F(FrameTiltTest, TiltInTransparentPixelsOfTheDoorShowTheOverlay) {
    FrameRecord* door = owner.add(
        PatternFrame(doc, 30, 30, {0xFF0000, 0x00FF00}, [](int x, int) { return x < 15; }));
    door->hasTransparency = 1;
    door->transparentIndex = 1;
    EffectParams p = PreviewBlock(8, 1);
    ChainOwner out(RenderTiltIn(Uniform(30, 30, 0x808080), door, 8, p));
    ASSERT_EQ(out.frames().size(), 8u);
    for (FrameRecord* f : out.frames()) EXPECT_EQ(CountColour(*f, 0x00FF00), 0);
}

}  // namespace
