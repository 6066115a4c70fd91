// Blind, checkers, fringe and weave: painted rows and stripes per frame, the texture
// steps, frame counts with PingPong, transparency and the small-image cases.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class StripeTest : public RendererTest {
  protected:
    // Index 1 everywhere (grey 128); index 0 is the selected colour (black).
    FrameRecord* Grey(int w, int h) {
        return owner.add(PatternFrame(doc, w, h, {0x000000, 0x808080, 0x00FF00, 0xFF0000},
                                      [](int, int) { return 1; }));
    }
    FrameRecord* Red(int w, int h) {
        return owner.add(PatternFrame(doc, w, h, {0x000000, 0x808080, 0x00FF00, 0xFF0000},
                                      [](int, int) { return 3; }));
    }
};

bool RowPainted(const FrameRecord& f, int y, uint8_t colour) {
    for (int x = 0; x < f.width; ++x)
        if (f.indexPlane()->get(x, y) != colour) return false;
    return true;
}

bool RowIs(const FrameRecord& f, int y, uint32_t colour) {
    const auto tc = f.trueColourPlane();
    for (int x = 0; x < f.width; ++x)
        if ((tc->get(x, y) & kRgbMask) != colour) return false;
    return true;
}

TEST_F(StripeTest, BlindEffectClosesOneRowPerBlindAndFrame) {
    EffectParams p = PreviewBlock(10, 10);
    ChainOwner out(RenderBlind(Grey(20, 100), nullptr, 10, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 10u);
    for (int y = 0; y < 100; ++y) {
        EXPECT_EQ(RowPainted(*frames[0], y, 0), y % 10 == 0) << y;
        EXPECT_EQ(RowPainted(*frames[1], y, 0), y % 10 <= 1) << y;
        EXPECT_TRUE(RowPainted(*frames[9], y, 0)) << y;
    }
    // Index work: nothing to reduce, no true colour made.
    EXPECT_EQ(frames[0]->trueColourPlane(), nullptr);
}

TEST_F(StripeTest, BlindStopsAtTheLastRowOfTheImage) {
    // More rows per frame than the image holds: the phase must not run past the image.
    EffectParams p = PreviewBlock(2, 10);
    p.pingPong = 1;
    ChainOwner out(RenderBlind(Grey(7, 10), nullptr, 2, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 2u);
    for (int y = 0; y < 10; ++y) {
        EXPECT_TRUE(RowPainted(*frames[0], y, 0));
        EXPECT_TRUE(RowPainted(*frames[1], y, 0));
    }
    // Blind taller than the image.
    EffectParams q = PreviewBlock(3, 50);
    ChainOwner tall(RenderBlind(Grey(5, 6), nullptr, 3, q));
    ASSERT_EQ(tall.frames().size(), 3u);
    EXPECT_TRUE(RowPainted(*tall.frames()[2], 5, 0));
    // A blind height below 1 counts as 1 (one row after the other), never outside the image.
    for (int d : {0, -4}) {
        EffectParams z = PreviewBlock(2, d);
        ChainOwner flat(RenderBlind(Grey(3, 8), nullptr, 2, z));
        ASSERT_EQ(flat.frames().size(), 2u);
        for (int y = 0; y < 8; ++y) EXPECT_EQ(RowPainted(*flat.frames()[0], y, 0), y < 4) << y;
    }
}

TEST_F(StripeTest, BlindTransitionCopiesRowsOfImage2) {
    EffectParams p = PreviewBlock(4, 10);
    ChainOwner out(RenderBlindTransition(Grey(8, 100), Red(8, 100), 4, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    // 21 rows per frame: 84 of 100 rows in the last frame.
    int red = 0;
    for (int y = 0; y < 100; ++y) red += RowIs(*frames[3], y, 0xFF0000);
    EXPECT_EQ(red, 84);
    EXPECT_TRUE(RowIs(*frames[0], 0, 0xFF0000));
    EXPECT_TRUE(RowIs(*frames[0], 10, 0xFF0000));
    // 21 rows: 0, 10, ..., 90, then 1, 11, ..., 91, then 2.
    EXPECT_TRUE(RowIs(*frames[0], 91, 0xFF0000));
    EXPECT_TRUE(RowIs(*frames[0], 2, 0xFF0000));
    EXPECT_TRUE(RowIs(*frames[0], 12, 0x808080));

    // Height 10, blind height 10, 4 frames: 3 rows per frame, 12 in all, 10 in the image.
    ChainOwner small(RenderBlindTransition(Grey(4, 10), Red(4, 10), 4, p));
    ASSERT_EQ(small.frames().size(), 4u);
    for (int y = 0; y < 10; ++y) EXPECT_TRUE(RowIs(*small.frames()[3], y, 0xFF0000)) << y;
}

TEST_F(StripeTest, BlindPingPongMirrorsTheComputedFrames) {
    EffectParams p = PreviewBlock(5, 10);
    p.pingPong = 1;
    ChainOwner out(RenderBlind(Grey(4, 30), nullptr, 5, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 5u);
    for (int y = 0; y < 30; ++y) {
        EXPECT_EQ(RowPainted(*frames[3], y, 0), RowPainted(*frames[1], y, 0));
        EXPECT_EQ(RowPainted(*frames[4], y, 0), RowPainted(*frames[0], y, 0));
    }
    EXPECT_FALSE(RowPainted(*frames[2], 9, 0) && RowPainted(*frames[4], 9, 0));
}

TEST_F(StripeTest, CheckersDarkensAndLightensAlongTheLinesFrameByFrame) {
    EffectParams p = PreviewBlock(5);
    ChainOwner out(RenderCheckers(Grey(60, 60), nullptr, 5, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 5u);
    // h = 5: cell 12, d = 20, half width 1.
    const auto f0 = frames[0]->trueColourPlane();
    EXPECT_EQ(f0->get(5, 5), 0x808080u);
    EXPECT_EQ(f0->get(11, 5), 0x6C6C6Cu);   // dark band 128 - 20
    EXPECT_EQ(f0->get(9, 5), 0x8A8A8Au);    // light band 128 + 10
    EXPECT_EQ(f0->get(5, 11), 0x6C6C6Cu);   // horizontal dark band
    EXPECT_EQ(f0->get(11, 11), 0x585858u);  // crossing: both passes
    EXPECT_EQ(f0->get(9, 11), 0x767676u);   // light, then dark
    // Second frame: half width 2, reads the first frame.
    const auto f1 = frames[1]->trueColourPlane();
    EXPECT_EQ(f1->get(11, 5), 0x585858u);
    EXPECT_EQ(f1->get(10, 5), 0x767676u);
    EXPECT_EQ(f1->get(9, 5), 0x949494u);  // lightened twice
    EXPECT_EQ(f1->get(8, 5), 0x8A8A8Au);
    EXPECT_EQ(f1->get(7, 5), 0x8A8A8Au);
    EXPECT_EQ(f1->get(6, 5), 0x808080u);
    EXPECT_EQ(f1->get(5, 5), 0x808080u);
}

TEST_F(StripeTest, CheckersPingPongAndTransparency) {
    FrameRecord* f1 = owner.add(PatternFrame(doc, 60, 60, {0x000000, 0x808080},
                                             [](int x, int) { return x == 11 ? 0 : 1; }));
    f1->hasTransparency = 1;
    f1->transparentIndex = 0;
    EffectParams p = PreviewBlock(5);
    p.pingPong = 1;
    ChainOwner out(RenderCheckers(f1, nullptr, 5, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(Pixels(*frames[3]), Pixels(*frames[1]));
    EXPECT_EQ(Pixels(*frames[4]), Pixels(*frames[0]));
    EXPECT_NE(Pixels(*frames[2]), Pixels(*frames[1]));
    for (FrameRecord* f : frames)
        for (int y = 0; y < 60; ++y)
            EXPECT_TRUE(f->trueColourPlane()->get(11, y) & kTransparentMarker);
}

int Painted(const FrameRecord& f, int x0, int x1, int y0, int y1, uint8_t colour) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += f.indexPlane()->get(x, y) == colour;
    return n;
}

TEST_F(StripeTest, FringeGrowsStripesFromBothSides) {
    EffectParams p = PreviewBlock(5, 2);
    ChainOwner out(RenderFringe(Grey(8, 10), nullptr, 5, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 5u);
    // Frame 0: length 2; columns 0,1,4,5 from the top, 2,3,6,7 from the bottom.
    for (int x = 0; x < 8; ++x) {
        const bool top = (x / 2) % 2 == 0;
        for (int y = 0; y < 10; ++y) {
            const bool painted = top ? y < 2 : y >= 8;
            EXPECT_EQ(frames[0]->indexPlane()->get(x, y) == 0, painted) << x << "," << y;
        }
    }
    EXPECT_EQ(Painted(*frames[4], 0, 8, 0, 10, 0), 80);
    EXPECT_EQ(Painted(*frames[2], 0, 2, 0, 10, 0), 12);
}

TEST_F(StripeTest, FringeWithMoreFramesThanPixelsAndZeroWidth) {
    EffectParams p = PreviewBlock(15, 3);
    ChainOwner out(RenderFringe(Grey(9, 10), nullptr, 15, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 15u);
    EXPECT_EQ(Painted(*frames[9], 0, 9, 0, 10, 0), 90);
    EXPECT_EQ(Painted(*frames[14], 0, 9, 0, 10, 0), 90);
    EXPECT_EQ(Painted(*frames[0], 0, 9, 0, 10, 0), 9);

    EffectParams zero = PreviewBlock(3, 0);
    ChainOwner none(RenderFringe(Grey(9, 10), nullptr, 3, zero));
    ASSERT_EQ(none.frames().size(), 3u);
    for (FrameRecord* f : none.frames()) EXPECT_EQ(Painted(*f, 0, 9, 0, 10, 0), 0);
}

TEST_F(StripeTest, FringeLeftRightAndTransition) {
    EffectParams p = PreviewBlock(2, 1);
    p.direction = 1;
    ChainOwner out(RenderFringe(Grey(10, 4), nullptr, 2, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 2u);
    // Length 5: row 0 from the left, row 1 from the right.
    EXPECT_EQ(Painted(*frames[0], 0, 5, 0, 1, 0), 5);
    EXPECT_EQ(Painted(*frames[0], 5, 10, 0, 1, 0), 0);
    EXPECT_EQ(Painted(*frames[0], 5, 10, 1, 2, 0), 5);
    EXPECT_EQ(Painted(*frames[0], 0, 5, 1, 2, 0), 0);

    EffectParams t = PreviewBlock(2, 1);
    EXPECT_EQ(RenderFringeTransition(Grey(6, 6), Red(6, 6), 1, t), nullptr);
    ChainOwner tr(RenderFringeTransition(Grey(6, 6), Red(6, 6), 2, t));
    ASSERT_EQ(tr.frames().size(), 2u);
    const auto last = tr.frames()[1]->trueColourPlane();
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(last->get(x, y), 0xFF0000u);
    const auto first = tr.frames()[0]->trueColourPlane();
    EXPECT_EQ(first->get(0, 2), 0xFF0000u);
    EXPECT_EQ(first->get(0, 3), 0x808080u);
    EXPECT_EQ(first->get(1, 3), 0xFF0000u);
}

TEST_F(StripeTest, WeaveOnANarrowImageHasOneThread) {
    EffectParams p = PreviewBlock(2);
    ChainOwner out(RenderWeave(Grey(8, 12), nullptr, 2, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 2u);
    const auto f = frames[0]->trueColourPlane();
    // d = 64.
    EXPECT_EQ(f->get(0, 5), 0x404040u);
    EXPECT_EQ(f->get(1, 5), 0x606060u);
    EXPECT_EQ(f->get(2, 5), 0xA0A0A0u);
    EXPECT_EQ(f->get(3, 5), 0xC0C0C0u);
    EXPECT_EQ(f->get(4, 5), 0x808080u);
    EXPECT_EQ(f->get(5, 0), 0x404040u);
    EXPECT_EQ(f->get(5, 1), 0x606060u);
    EXPECT_EQ(f->get(5, 2), 0xA0A0A0u);
    EXPECT_EQ(f->get(5, 3), 0xC0C0C0u);
    EXPECT_EQ(f->get(5, 8), 0xC0C0C0u);
    EXPECT_EQ(f->get(5, 11), 0x404040u);
    // The second frame deepens the first.
    EXPECT_EQ(frames[1]->trueColourPlane()->get(0, 5), 0x000000u);
    EXPECT_EQ(frames[1]->trueColourPlane()->get(3, 5), 0xFFFFFFu);
    EXPECT_EQ(frames[1]->trueColourPlane()->get(6, 6), 0x808080u);
}

TEST_F(StripeTest, WeaveKeepsTransparentPixelsAndMirrors) {
    FrameRecord* f1 = owner.add(PatternFrame(doc, 30, 30, {0x000000, 0x808080},
                                             [](int x, int y) { return x == 0 && y < 5 ? 0 : 1; }));
    f1->hasTransparency = 1;
    f1->transparentIndex = 0;
    EffectParams p = PreviewBlock(4);
    p.pingPong = 1;
    ChainOwner out(RenderWeave(f1, nullptr, 4, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(Pixels(*frames[2]), Pixels(*frames[1]));
    EXPECT_EQ(Pixels(*frames[3]), Pixels(*frames[0]));
    for (FrameRecord* f : frames) {
        EXPECT_TRUE(f->trueColourPlane()->get(0, 2) & kTransparentMarker);
        EXPECT_FALSE(f->trueColourPlane()->get(0, 7) & kTransparentMarker);
    }
}

}  // namespace
