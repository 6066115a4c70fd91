// Pixelize and Random Rects: block sizes per frame, clipped blocks, the transition's two
// halves, and rectangles revealed per frame.
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
    FrameRecord* Plain(int w, int h, uint32_t colour) {
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
            for (int y = by; y < std::min(out.height, by + s); ++y)
                for (int x = bx; x < std::min(out.width, bx + s); ++x)
                    ASSERT_EQ(o->get(x, y), uint32_t(sum / (s * s))) << s << ": " << x << "," << y;
        }
}

TEST_F(BlockTest, PixelizeEffectBlocksGrowByHalfTheFirstSize) {
    FrameRecord* f1 = Ramp(60, 60);
    ChainOwner out(RenderPixelize(f1, nullptr, 5, PreviewBlock(5)));
    ASSERT_EQ(out.frames().size(), 5u);
    for (int i = 0; i < 5; ++i) ExpectBlocks(*out.frames()[size_t(i)], *f1, 2 + i);
    // Blocks of 4 on 62 pixels: columns and rows 60 and 61 are clipped, and darker.
    ChainOwner clipped(RenderPixelize(Plain(62, 62, 200), nullptr, 5, PreviewBlock(5)));
    const auto third = clipped.frames()[2]->trueColourPlane();
    EXPECT_EQ(third->get(0, 0), 200u);
    EXPECT_EQ(third->get(61, 0), 100u);
    EXPECT_EQ(third->get(61, 61), 50u);
}

TEST_F(BlockTest, PixelizeTransitionLeadsFromImage1ToImage2) {
    ChainOwner out(RenderPixelize(Plain(30, 30, 40), Plain(30, 30, 240), 5, PreviewBlock(5)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);  // N - 1 for an odd N
    EXPECT_EQ(frames[0]->trueColourPlane()->get(3, 3), 40u);
    EXPECT_EQ(frames[3]->trueColourPlane()->get(3, 3), 240u);
    // i = 1: t = 0.5, blocks of 2 + 1 = 3 (area 9, m = 13):
    // A = 9 * (40 + 240 / 2) / 13 = 110, B = 9 * (240 + 40 / 2) / 13 = 180.
    EXPECT_EQ(frames[1]->trueColourPlane()->get(3, 3), 110u);
    EXPECT_EQ(frames[2]->trueColourPlane()->get(3, 3), 180u);
}

TEST_F(BlockTest, RandomRectsRevealCellsPerFrameUntilImage2IsComplete) {
    ChainOwner out(RenderRandomRects(Plain(100, 100, 0x111111), Plain(100, 100, 0xEEEEEE), 10,
                                     PreviewBlock(10, 10, 10)));
    ASSERT_EQ(out.frames().size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(CountColour(*out.frames()[size_t(i)], 0xEEEEEE), 1000 * (i + 1));
    // 3 x 3 cells of 10 x 10 in 4 frames: 2 cells a frame, one never.
    ChainOwner few(RenderRandomRects(Plain(30, 30, 0x111111), Plain(30, 30, 0xEEEEEE), 4,
                                     PreviewBlock(4, 3, 3)));
    ASSERT_EQ(few.frames().size(), 4u);
    EXPECT_EQ(CountColour(*few.frames()[0], 0xEEEEEE), 200);
    EXPECT_EQ(CountColour(*few.frames()[3], 0xEEEEEE), 800);
    // 300 x 300 cells: their count times the cells left passes 32 bits.
    ChainOwner many(RenderRandomRects(Plain(300, 300, 0x111111), Plain(300, 300, 0xEEEEEE), 1,
                                      PreviewBlock(1, 300, 300)));
    ASSERT_EQ(many.frames().size(), 1u);
    EXPECT_EQ(CountColour(*many.head, 0xEEEEEE), 90000);
    // No cells, or more cells than pixels: nothing to make.
    for (auto [c, r] : {std::pair{0, 5}, std::pair{5, -3}, std::pair{100000, 100000}})
        EXPECT_EQ(RenderRandomRects(Plain(10, 10, 1), Plain(10, 10, 2), 2, PreviewBlock(2, c, r)),
                  nullptr);
}

}  // namespace
