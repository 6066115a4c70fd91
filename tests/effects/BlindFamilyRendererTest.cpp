// Blind, checkers, fringe and weave: painted rows and stripes per frame and the texture
// steps, worked out by hand.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class StripeTest : public RendererTest {
  protected:
    // Index 1 (grey 128) or 3 (red) everywhere; index 0 is the selected colour (black).
    FrameRecord* Fill(int w, int h, int index) {
        return owner.add(PatternFrame(doc, w, h, {0x000000, 0x808080, 0x00FF00, 0xFF0000},
                                      [index](int, int) { return index; }));
    }
    FrameRecord* Grey(int w, int h) { return Fill(w, h, 1); }
};

bool RowPainted(const FrameRecord& f, int y, uint8_t index) {
    for (int x = 0; x < f.width; ++x)
        if (At(f, x, y) != index) return false;
    return true;
}

bool RowIs(const FrameRecord& f, int y, uint32_t colour) {
    for (int x = 0; x < f.width; ++x)
        if ((f.trueColourPlane()->get(x, y) & kRgbMask) != colour) return false;
    return true;
}

TEST_F(StripeTest, BlindEffectClosesOneRowPerBlindAndFrame) {
    ChainOwner out(RenderBlind(Grey(20, 100), nullptr, 10, PreviewBlock(10, 10)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 10u);
    for (int y = 0; y < 100; ++y) {
        EXPECT_EQ(RowPainted(*frames[0], y, 0), y % 10 == 0) << y;
        EXPECT_EQ(RowPainted(*frames[1], y, 0), y % 10 <= 1) << y;
        EXPECT_TRUE(RowPainted(*frames[9], y, 0)) << y;
    }
}

TEST_F(StripeTest, BlindTransitionCopiesRowsOfImage2) {
    EffectParams p = PreviewBlock(4, 10);
    ChainOwner out(RenderBlindTransition(Grey(8, 100), Fill(8, 100, 3), 4, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    // 21 rows per frame: 0, 10, ..., 90, then 1, 11, ..., 91, then 2; 84 in the last.
    int red = 0;
    for (int y = 0; y < 100; ++y) red += RowIs(*frames[3], y, 0xFF0000);
    EXPECT_EQ(red, 84);
    for (int y : {0, 10, 91, 2}) EXPECT_TRUE(RowIs(*frames[0], y, 0xFF0000)) << y;
    EXPECT_TRUE(RowIs(*frames[0], 12, 0x808080));
}

TEST_F(StripeTest, CheckersDarkensAndLightensAlongTheLinesFrameByFrame) {
    ChainOwner out(RenderCheckers(Grey(60, 60), nullptr, 5, PreviewBlock(5)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 5u);
    // h = 5: cell 12, d = 20, half width 1.
    const auto f0 = frames[0]->trueColourPlane();
    EXPECT_EQ(f0->get(5, 5), 0x808080u);
    EXPECT_EQ(f0->get(11, 5), 0x6C6C6Cu);   // dark band 128 - 20
    EXPECT_EQ(f0->get(9, 5), 0x8A8A8Au);    // light band 128 + 10
    EXPECT_EQ(f0->get(5, 11), 0x6C6C6Cu);   // horizontal dark band
    EXPECT_EQ(f0->get(0, 11), 0x6C6C6Cu);   // from the first column on
    EXPECT_EQ(f0->get(11, 11), 0x585858u);  // crossing: both passes
    EXPECT_EQ(f0->get(9, 11), 0x767676u);   // light, then dark
    // Second frame: half width 2, reads the first frame.
    const auto f1 = frames[1]->trueColourPlane();
    EXPECT_EQ(f1->get(11, 5), 0x585858u);
    EXPECT_EQ(f1->get(10, 5), 0x767676u);
    EXPECT_EQ(f1->get(9, 5), 0x949494u);  // lightened twice
    EXPECT_EQ(f1->get(6, 5), 0x808080u);
}

int Painted(const FrameRecord& f, int x0, int x1, int y0, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += At(f, x, y) == 0;
    return n;
}

TEST_F(StripeTest, FringeGrowsStripesFromBothSides) {
    ChainOwner out(RenderFringe(Grey(8, 10), nullptr, 5, PreviewBlock(5, 2)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 5u);
    // Frame 0: length 2; columns 0,1,4,5 from the top, 2,3,6,7 from the bottom.
    for (int x = 0; x < 8; ++x) {
        const bool top = (x / 2) % 2 == 0;
        for (int y = 0; y < 10; ++y)
            EXPECT_EQ(At(*frames[0], x, y) == 0, top ? y < 2 : y >= 8) << x << "," << y;
    }
    EXPECT_EQ(Painted(*frames[2], 0, 2, 0, 10), 12);
    EXPECT_EQ(Painted(*frames[4], 0, 8, 0, 10), 80);
    // Left/right, width 1, two frames: length 5; row 0 from the left, row 1 from the right.
    EffectParams p = PreviewBlock(2, 1);
    p.direction = 1;
    ChainOwner lr(RenderFringe(Grey(10, 4), nullptr, 2, p));
    EXPECT_EQ(Painted(*lr.head, 0, 5, 0, 1) + Painted(*lr.head, 5, 10, 1, 2), 10);
    EXPECT_EQ(Painted(*lr.head, 5, 10, 0, 1) + Painted(*lr.head, 0, 5, 1, 2), 0);
    // The transition: image 2's pixels instead of the colour.
    ChainOwner tr(RenderFringeTransition(Grey(6, 6), Fill(6, 6, 3), 2, PreviewBlock(2, 1)));
    ASSERT_EQ(tr.frames().size(), 2u);
    EXPECT_EQ(CountColour(*tr.frames()[1], 0xFF0000), 36);
    const auto first = tr.head->trueColourPlane();
    EXPECT_EQ(first->get(0, 2), 0xFF0000u);
    EXPECT_EQ(first->get(0, 3), 0x808080u);
    EXPECT_EQ(first->get(1, 3), 0xFF0000u);
}

TEST_F(StripeTest, WeaveOnANarrowImageHasOneThread) {
    ChainOwner out(RenderWeave(Grey(8, 12), nullptr, 2, PreviewBlock(2)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 2u);
    const auto f = frames[0]->trueColourPlane();
    // d = 64: across the thread dark, darker-light, light, lighter.
    const uint32_t steps[] = {0x404040, 0x606060, 0xA0A0A0, 0xC0C0C0};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(f->get(k, 5), steps[k]) << k;
        EXPECT_EQ(f->get(5, k), steps[k]) << k;
    }
    EXPECT_EQ(f->get(4, 5), 0x808080u);
    EXPECT_EQ(f->get(5, 8), 0xC0C0C0u);
    EXPECT_EQ(f->get(5, 11), 0x404040u);
    // The second frame deepens the first.
    EXPECT_EQ(frames[1]->trueColourPlane()->get(0, 5), 0x000000u);
}

}  // namespace
