// Page: a thin page folding flat over itself along an axis-parallel fold, image 2 or the
// background colour behind it, the presets and extreme thicknesses.
#include <gtest/gtest.h>

#include <tuple>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class PageTest : public RendererTest {
  protected:
    // 8 x 11, index = row + 1; index 0 is the background.
    FrameRecord* Rows() {
        std::vector<uint32_t> colours;
        for (int c = 0; c <= 11; ++c) colours.push_back(uint32_t(0x101010 * c));
        return owner.add(PatternFrame(doc, 8, 11, colours, [](int, int y) { return y + 1; }));
    }
};

uint8_t At(const FrameRecord& f, int x, int y) {
    return f.indexPlane()->get(x, y);
}

EffectParams PageBlock(int n, int start, int increment, int thickness) {
    EffectParams p = PreviewBlock(n, start, increment);
    p.value[2] = thickness;
    return p;
}

TEST_F(PageTest, ThinPageFoldsFlatOverItselfAlongAHorizontalFold) {
    FrameRecord* f1 = Rows();
    // Angle 0: the fold is horizontal and moves from the top row down to the bottom.
    ChainOwner out(RenderPage(f1, nullptr, 2, PageBlock(2, 0, 0, 0)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(frames[0]->trueColourPlane() == nullptr);  // index work
    for (int x = 0; x < 8; ++x) {
        // Fold at row 5: rows above are gone, rows below show their mirror image.
        for (int y = 0; y < 5; ++y) EXPECT_EQ(At(*frames[0], x, y), 0) << y;
        for (int y = 5; y < 11; ++y) EXPECT_EQ(At(*frames[0], x, y), 10 - y + 1) << y;
        // Fold at the bottom row: only that row is left.
        for (int y = 0; y < 10; ++y) EXPECT_EQ(At(*frames[1], x, y), 0) << y;
        EXPECT_EQ(At(*frames[1], x, 10), 11);
    }
}

TEST_F(PageTest, TransitionShowsImageTwoBehindThePage) {
    FrameRecord* a = owner.add(PatternFrame(doc, 8, 11, {0xFF0000}, [](int, int) { return 0; }));
    FrameRecord* b = owner.add(PatternFrame(doc, 8, 11, {0x00FF00}, [](int, int) { return 0; }));
    ChainOwner out(RenderPage(a, b, 1, PageBlock(1, 0, 0, 0)));
    ASSERT_EQ(out.frames().size(), 1u);
    const auto px = Pixels(*out.head);
    // d = 2: the fold halfway, at row 5.
    EXPECT_EQ(px[0], 0x00FF00u);
    EXPECT_EQ(px[10 * 8], 0xFF0000u);
}

TEST_F(PageTest, EffectShowsTheDocumentBackgroundColourWhateverThePalette) {
    FrameRecord* f1 =
        owner.add(PatternFrame(doc, 8, 11, {0xFF0000, 0x00FF00}, [](int, int) { return 1; }));
    doc.hasGlobalPalette = true;
    doc.globalPalette[0] = PaletteEntry::FromRgb(0x0000FF);
    doc.backgroundIndex = 0;
    ChainOwner out(RenderPage(f1, nullptr, 2, PageBlock(2, 0, 0, 0)));
    ASSERT_EQ(out.frames().size(), 2u);
    const auto px = Pixels(*out.frames()[1]);
    ASSERT_EQ(px.size(), 88u);
    EXPECT_EQ(px[0], 0x0000FFu);
    EXPECT_EQ(px[10 * 8], 0x00FF00u);
}

TEST_F(PageTest, PresetsRollAndExtremeThicknessesStaySafe) {
    FrameRecord* f1 = Rows();
    for (auto [start, increment, thickness] :
         {std::tuple{70, -50, 20}, std::tuple{160, -50, 20}, std::tuple{240, -120, 20},
          std::tuple{70, -50, 2000000000}, std::tuple{-100000, 5, 3},
          std::tuple{2000000000, 2000000000, 5}, std::tuple{90, 0, 3}, std::tuple{270, 0, 3}}) {
        EffectParams p = PageBlock(6, start, increment, thickness);
        p.pingPong = 1;
        ChainOwner out(RenderPage(f1, nullptr, 6, p));
        ASSERT_EQ(out.frames().size(), 6u) << start;
    }
    // "Top-Left to Bottom-Right": early frames keep most of the page, the last little.
    ChainOwner out(RenderPage(f1, nullptr, 8, PageBlock(8, 70, -50, 20)));
    auto background = [](const FrameRecord& f) {
        int count = 0;
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 8; ++x) count += At(f, x, y) == 0;
        return count;
    };
    EXPECT_LT(background(*out.frames().front()), background(*out.frames().back()));
    EXPECT_GT(background(*out.frames().back()), 60);
}

}  // namespace
