// Move and zoom: offsets per frame (truncating toward zero), stacking order, end states,
// scale and frame counts, transparency of the moved or zoomed image.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class MoveZoomTest : public RendererTest {
  protected:
    // Blue channel = x, green = y: every pixel tells where it came from.
    FrameRecord* Coordinates(int w, int h) {
        FrameRecord* f = testing_support::MakeFrame(doc, w, h, {0}, 0);
        owner.add(f);
        // Index = x + w * y needs w * h <= 256.
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int i = x + w * y;
                f->palette[size_t(i)] = PaletteEntry{0x10, y, x};
                f->indexPlane()->set(x, y, uint8_t(i));
            }
        return f;
    }
    FrameRecord* Uniform(int w, int h, uint32_t colour) {
        return owner.add(
            PatternFrame(doc, w, h, {colour, 0x0000FF, 0x00FF00}, [](int, int) { return 0; }));
    }
};

int CountColour(const FrameRecord& f, uint32_t colour) {
    int n = 0;
    for (uint32_t px : Pixels(f)) n += (px & kRgbMask) == colour;
    return n;
}

TEST_F(MoveZoomTest, MoveEffectOfOneFrameShowsImage1Unmoved) {
    FrameRecord* f1 = Coordinates(16, 16);
    EffectParams p = PreviewBlock(1);
    p.direction = 2;
    ChainOwner out(RenderMoveImage1(f1, nullptr, 1, p));
    ASSERT_EQ(out.frames().size(), 1u);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(out.head->indexPlane()->get(x, y), f1->indexPlane()->get(x, y));
}

TEST_F(MoveZoomTest, MoveEffectEndsOnTheSelectedColour) {
    EffectParams p = PreviewBlock(4);
    p.direction = 3;
    p.colorIndex = 2;
    ChainOwner out(RenderMoveImage1(Uniform(20, 10, 0x808080), nullptr, 4, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    // Offsets (5, 2), (10, 5), (15, 7), (20, 10).
    EXPECT_EQ(frames[0]->indexPlane()->get(4, 5), 2);
    EXPECT_EQ(frames[0]->indexPlane()->get(5, 2), 0);
    EXPECT_EQ(frames[0]->indexPlane()->get(5, 1), 2);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) EXPECT_EQ(frames[3]->indexPlane()->get(x, y), 2);
}

TEST_F(MoveZoomTest, MoveImage1ToTheRightEdgeOverImage2) {
    FrameRecord* f1 = Coordinates(40, 6);
    EffectParams p = PreviewBlock(3);
    p.direction = 2;
    ChainOwner out(RenderMoveImage1(f1, Uniform(40, 6, 0xFF0000), 3, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 3u);
    const int offsets[] = {10, 20, 30};
    for (int i = 0; i < 3; ++i) {
        const auto tc = frames[size_t(i)]->trueColourPlane();
        EXPECT_EQ(tc->get(offsets[i] - 1, 3), 0xFF0000u);
        EXPECT_EQ(tc->get(offsets[i], 3), 0x100300u);
        EXPECT_EQ(tc->get(39, 3), 0x100300u | uint32_t(39 - offsets[i]));
    }
}

TEST_F(MoveZoomTest, NegativeOffsetsTruncateTowardZero) {
    FrameRecord* f1 = Coordinates(40, 6);
    EffectParams p = PreviewBlock(2);
    p.direction = 6;  // to the left edge: -40 * 1 / 3 = -13
    ChainOwner out(RenderMoveImage1(f1, Uniform(40, 6, 0xFF0000), 2, p));
    ASSERT_EQ(out.frames().size(), 2u);
    const auto tc = out.head->trueColourPlane();
    EXPECT_EQ(tc->get(0, 0), 0x10000Du);
    EXPECT_EQ(tc->get(26, 0), 0x100027u);
    EXPECT_EQ(tc->get(27, 0), 0xFF0000u);
}

TEST_F(MoveZoomTest, MoveImage2EntersOnTopAndMoveBothObeysTheFlag) {
    EffectParams p = PreviewBlock(3);
    p.secondList = 4;  // from the bottom edge: 30 * 3 / 4 ... down to 0
    ChainOwner in(RenderMoveImage2(Uniform(8, 40, 0x808080), Uniform(8, 40, 0xFF0000), 3, p));
    const auto frames = in.frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(CountColour(*frames[0], 0xFF0000), 8 * 10);  // offset 40 - 40 / 4 = 30
    EXPECT_EQ(CountColour(*frames[2], 0xFF0000), 8 * 30);

    EffectParams both = PreviewBlock(2);
    both.direction = 2;   // image 1 leaves to the right
    both.secondList = 2;  // image 2 comes from the right
    both.colorIndex = 1;  // blue
    for (int onTop : {0, 1}) {
        both.option[0] = onTop;
        ChainOwner out(RenderMoveBoth(Uniform(30, 4, 0x808080), Uniform(30, 4, 0xFF0000), 2, both));
        ASSERT_EQ(out.frames().size(), 2u);
        // Frame 0: image 1 at +10 (columns 10..29), image 2 at +20 (20..29).
        EXPECT_EQ(CountColour(*out.head, 0xFF0000), onTop ? 4 * 10 : 0);
        // Frame 1: image 1 at +20 (20..29), image 2 at +10 (10..29).
        EXPECT_EQ(CountColour(*out.head->next, 0xFF0000), onTop ? 4 * 20 : 4 * 10);
        EXPECT_EQ(CountColour(*out.head, 0x0000FF), 4 * 10);  // uncovered: the colour
    }
}

TEST_F(MoveZoomTest, MoveStackingOrderAndTransparency) {
    FrameRecord* f1 = owner.add(
        PatternFrame(doc, 10, 4, {0x808080, 0x00FF00}, [](int x, int) { return x == 3 ? 1 : 0; }));
    f1->hasTransparency = 1;
    f1->transparentIndex = 1;
    FrameRecord* f2 = Uniform(10, 4, 0xFF0000);
    EffectParams p = PreviewBlock(2);
    p.direction = 0;  // image 1 leaves to the top, image 2 stays
    ChainOwner out(RenderMoveImage1(f1, f2, 2, p));
    ASSERT_EQ(out.frames().size(), 2u);
    const auto tc = out.head->trueColourPlane();  // image 1 at y offset -1
    EXPECT_EQ(tc->get(0, 0), 0x808080u);
    EXPECT_EQ(tc->get(3, 0), 0xFF0000u);  // transparent: image 2 shows through
    EXPECT_EQ(tc->get(0, 3), 0xFF0000u);
    EXPECT_EQ(CountColour(*out.head, 0x00FF00), 0);

    EffectParams q = PreviewBlock(1);
    EXPECT_EQ(RenderMoveImage1(f1, f2, 1, q), nullptr);
    q.pingPong = 1;
    EXPECT_EQ(RenderMoveImage1(f1, nullptr, 1, q), nullptr);
    EffectParams pp = PreviewBlock(2);
    pp.pingPong = 1;
    pp.direction = 2;
    ChainOwner mirrored(RenderMoveImage1(f1, nullptr, 2, pp));
    ASSERT_EQ(mirrored.frames().size(), 2u);
}

TEST_F(MoveZoomTest, ZoomInNeverShowsAnInputUnchanged) {
    EffectParams p = PreviewBlock(3);
    ChainOwner out(RenderZoomIn(Uniform(40, 40, 0x808080), Uniform(40, 40, 0xFF0000), 3, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 3u);
    // Image 2 at 1/4, 2/4 and 3/4 of its size, centred.
    EXPECT_EQ(CountColour(*frames[0], 0xFF0000), 10 * 10);
    EXPECT_EQ(CountColour(*frames[1], 0xFF0000), 20 * 20);
    EXPECT_EQ(CountColour(*frames[2], 0xFF0000), 30 * 30);
    EXPECT_EQ(frames[2]->trueColourPlane()->get(0, 0), 0x808080u);
    EXPECT_EQ(frames[2]->trueColourPlane()->get(20, 20), 0xFF0000u);
}

TEST_F(MoveZoomTest, ZoomOutTransitionAndEffect) {
    EffectParams p = PreviewBlock(3);
    ChainOwner out(RenderZoomOut(Uniform(40, 40, 0xFF0000), Uniform(40, 40, 0x808080), 3, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(CountColour(*frames[0], 0xFF0000), 30 * 30);
    EXPECT_EQ(CountColour(*frames[2], 0xFF0000), 10 * 10);

    EffectParams e = PreviewBlock(4);
    e.colorIndex = 2;
    ChainOwner effect(RenderZoomOut(Uniform(40, 40, 0x808080), nullptr, 4, e));
    const auto ef = effect.frames();
    ASSERT_EQ(ef.size(), 4u);
    auto count = [](const FrameRecord& f, uint8_t index) {
        int n = 0;
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) n += f.indexPlane()->get(x, y) == index;
        return n;
    };
    // (h - 1 - i) / h of the size: 3/4, 2/4, 1/4, nothing.
    EXPECT_EQ(count(*ef[0], 0), 30 * 30);
    EXPECT_EQ(count(*ef[2], 0), 10 * 10);
    EXPECT_EQ(count(*ef[3], 2), 40 * 40);
}

TEST_F(MoveZoomTest, ZoomRotatesAndKeepsTransparency) {
    FrameRecord* zoomed = owner.add(
        PatternFrame(doc, 40, 40, {0xFF0000, 0x00FF00}, [](int x, int) { return x < 20 ? 1 : 0; }));
    zoomed->hasTransparency = 1;
    zoomed->transparentIndex = 1;
    EffectParams p = PreviewBlock(3, 90);
    ChainOwner out(RenderZoomIn(Uniform(40, 40, 0x808080), zoomed, 3, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 3u);
    for (FrameRecord* f : frames) EXPECT_EQ(CountColour(*f, 0x00FF00), 0);
    // Turned: half of image 2 is opaque, so about half of its square area shows.
    const int red = CountColour(*frames[1], 0xFF0000);
    EXPECT_GT(red, 150);
    EXPECT_LT(red, 250);
    EffectParams huge = PreviewBlock(2, 2000000000);
    ChainOwner turned(RenderZoomOut(Uniform(9, 7, 0x808080), Uniform(9, 7, 0xFF0000), 2, huge));
    EXPECT_EQ(turned.frames().size(), 2u);
}

}  // namespace
