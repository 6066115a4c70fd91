// Pixelize and Random Rects: block sizes per frame, clipped blocks, the transition's two
// halves, revealed rectangles per frame and the counts that must be refused.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class BlockTest : public RendererTest {
  protected:
    // Every pixel its own shade: blue = (x + 3y) mod 256.
    FrameRecord* Ramp(int w, int h) {
        std::vector<uint32_t> colours;
        for (uint32_t i = 0; i < 256; ++i) colours.push_back(i);
        return owner.add(
            PatternFrame(doc, w, h, colours, [](int x, int y) { return (x + 3 * y) % 256; }));
    }
    FrameRecord* Uniform(int w, int h, uint32_t colour) {
        return owner.add(PatternFrame(doc, w, h, {colour}, [](int, int) { return 0; }));
    }
};

// Blocks of side `s` from (0, 0) hold one value each: the block sum over s * s.
void ExpectBlocks(const FrameRecord& out, const FrameRecord& source, int s) {
    const auto o = out.trueColourPlane();
    const auto src = source.trueColourPlane();
    for (int by = 0; by < out.height; by += s)
        for (int bx = 0; bx < out.width; bx += s) {
            int64_t sum = 0;
            for (int y = by; y < std::min(out.height, by + s); ++y)
                for (int x = bx; x < std::min(out.width, bx + s); ++x) sum += src->get(x, y) & 0xFF;
            const uint32_t expected = uint32_t(sum / (s * s));
            for (int y = by; y < std::min(out.height, by + s); ++y)
                for (int x = bx; x < std::min(out.width, bx + s); ++x)
                    ASSERT_EQ(o->get(x, y), expected) << s << ": " << x << "," << y;
        }
}

TEST_F(BlockTest, PixelizeEffectBlocksGrowByHalfTheFirstSize) {
    FrameRecord* f1 = Ramp(60, 60);
    EffectParams p = PreviewBlock(5);
    ChainOwner out(RenderPixelize(f1, nullptr, 5, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 5u);
    for (int i = 0; i < 5; ++i) ExpectBlocks(*frames[size_t(i)], *f1, 2 + i);
}

TEST_F(BlockTest, PixelizeClippedBlocksComeOutDarker) {
    FrameRecord* f1 = Uniform(62, 62, 200);
    EffectParams p = PreviewBlock(5);
    ChainOwner out(RenderPixelize(f1, nullptr, 5, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 5u);
    const auto third = frames[2]->trueColourPlane();  // blocks of 4: 60 and 61 are clipped
    EXPECT_EQ(third->get(0, 0), 200u);
    EXPECT_EQ(third->get(61, 0), 100u);
    EXPECT_EQ(third->get(61, 61), 50u);
}

TEST_F(BlockTest, PixelizeCountsAndRefusals) {
    EffectParams p = PreviewBlock(1);
    EXPECT_EQ(RenderPixelize(Ramp(20, 20), Ramp(20, 20), 1, p), nullptr);
    p.pingPong = 1;
    EXPECT_EQ(RenderPixelize(Ramp(20, 20), nullptr, 1, p), nullptr);
    p.pingPong = 0;
    ChainOwner one(RenderPixelize(Ramp(20, 20), nullptr, 1, p));
    EXPECT_EQ(one.frames().size(), 1u);

    EffectParams pp = PreviewBlock(5);
    pp.pingPong = 1;
    ChainOwner mirrored(RenderPixelize(Ramp(60, 60), nullptr, 5, pp));
    const auto frames = mirrored.frames();
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(Pixels(*frames[3]), Pixels(*frames[1]));
    EXPECT_EQ(Pixels(*frames[4]), Pixels(*frames[0]));
}

TEST_F(BlockTest, PixelizeTransitionLeadsFromImage1ToImage2) {
    EffectParams p = PreviewBlock(5);
    ChainOwner out(RenderPixelize(Uniform(30, 30, 40), Uniform(30, 30, 240), 5, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);  // N - 1 for an odd N
    // k = 2; the A half from image 1, the B half reversed, ending on image 2's colour.
    EXPECT_EQ(frames[0]->trueColourPlane()->get(3, 3), 40u);
    EXPECT_EQ(frames[3]->trueColourPlane()->get(3, 3), 240u);
    // i = 1: t = 0.5, blocks of 2 + 1 = 3 (area 9, m = 13):
    // A = 9 * (40 + 240 / 2) / 13 = 110, B = 9 * (240 + 40 / 2) / 13 = 180.
    EXPECT_EQ(frames[1]->trueColourPlane()->get(3, 3), 110u);
    EXPECT_EQ(frames[2]->trueColourPlane()->get(3, 3), 180u);
}

TEST_F(BlockTest, PixelizeKeepsTransparentPixels) {
    FrameRecord* f1 = owner.add(
        PatternFrame(doc, 12, 12, {0x000000, 0x202020}, [](int x, int) { return x == 5; }));
    f1->hasTransparency = 1;
    f1->transparentIndex = 1;
    EffectParams p = PreviewBlock(2);
    ChainOwner out(RenderPixelize(f1, nullptr, 2, p));
    for (FrameRecord* f : out.frames())
        for (int y = 0; y < 12; ++y) {
            EXPECT_TRUE(f->trueColourPlane()->get(5, y) & kTransparentMarker);
            EXPECT_FALSE(f->trueColourPlane()->get(4, y) & kTransparentMarker);
        }
}

int CountColour(const FrameRecord& f, uint32_t colour) {
    int n = 0;
    for (uint32_t px : Pixels(f)) n += (px & kRgbMask) == colour;
    return n;
}

TEST_F(BlockTest, RandomRectsRevealsCellsPerFrameUntilImage2IsComplete) {
    EffectParams p = PreviewBlock(10, 10, 10);
    ChainOwner out(
        RenderRandomRects(Uniform(100, 100, 0x111111), Uniform(100, 100, 0xEEEEEE), 10, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(CountColour(*frames[size_t(i)], 0xEEEEEE), 1000 * (i + 1));

    EffectParams q = PreviewBlock(4, 3, 3);
    ChainOwner few(RenderRandomRects(Uniform(30, 30, 0x111111), Uniform(30, 30, 0xEEEEEE), 4, q));
    ASSERT_EQ(few.frames().size(), 4u);
    EXPECT_EQ(CountColour(*few.frames()[0], 0xEEEEEE), 200);
    EXPECT_EQ(CountColour(*few.frames()[3], 0xEEEEEE), 800);
    EXPECT_EQ(CountColour(*few.frames()[3], 0x111111), 100);
}

TEST_F(BlockTest, RandomRectsWithManyCellsAndBadCounts) {
    // 300 x 300 cells: q x remaining passes 32 bits.
    EffectParams p = PreviewBlock(1, 300, 300);
    ChainOwner out(
        RenderRandomRects(Uniform(300, 300, 0x111111), Uniform(300, 300, 0xEEEEEE), 1, p));
    ASSERT_EQ(out.frames().size(), 1u);
    EXPECT_EQ(CountColour(*out.frames()[0], 0xEEEEEE), 90000);

    for (auto [c, r] : {std::pair{0, 5}, std::pair{5, -3}, std::pair{-2, -2}}) {
        EffectParams bad = PreviewBlock(2, c, r);
        EXPECT_EQ(RenderRandomRects(Uniform(10, 10, 1), Uniform(10, 10, 2), 2, bad), nullptr);
    }
    EffectParams huge = PreviewBlock(2, 100000, 100000);
    EXPECT_EQ(RenderRandomRects(Uniform(10, 10, 1), Uniform(10, 10, 2), 2, huge), nullptr);
}

TEST_F(BlockTest, RandomRectsPingPong) {
    EffectParams p = PreviewBlock(5, 4, 4);
    p.pingPong = 1;
    ChainOwner out(RenderRandomRects(Uniform(40, 40, 0x111111), Uniform(40, 40, 0xEEEEEE), 5, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(Pixels(*frames[3]), Pixels(*frames[1]));
    EXPECT_EQ(Pixels(*frames[4]), Pixels(*frames[0]));
    EXPECT_EQ(CountColour(*frames[2], 0xEEEEEE), 1500);  // 5 cells of 100 per frame
}

}  // namespace
