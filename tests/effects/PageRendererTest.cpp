// Page: a fold line sweeping across the picture, the lifted page rolled over a cylinder
// and lying reversed on the flat part, the background or image 2 behind it.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class PageTest : public RendererTest {
  protected:
    // w x h, index = row + 1; index 0 is the background.
    FrameRecord* Rows(int w, int h) {
        std::vector<uint32_t> colours;
        for (int c = 0; c <= h; ++c) colours.push_back(uint32_t(0x010101 * c));
        return owner.add(PatternFrame(doc, w, h, colours, [](int, int y) { return y + 1; }));
    }
};

EffectParams PageBlock(int n, int start, int increment, int thickness) {
    EffectParams p = PreviewBlock(n, start, increment);
    p.value[2] = thickness;
    return p;
}

TEST_F(PageTest, ThinPageFoldsFlatOverItselfAlongAHorizontalFold) {
    FrameRecord* f1 = Rows(8, 11);
    // Angle 0: the fold is horizontal and moves from the top row down to the bottom.
    ChainOwner out(RenderPage(f1, nullptr, 2, PageBlock(2, 0, 0, 0)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 2u);
    for (int x = 0; x < 8; ++x) {
        // Fold at row 5: rows above are gone, rows below show their mirror image.
        for (int y = 0; y < 5; ++y) EXPECT_EQ(At(*frames[0], x, y), 0) << y;
        for (int y = 5; y < 11; ++y) EXPECT_EQ(At(*frames[0], x, y), 10 - y + 1) << y;
        // Fold at the bottom row: only that row is left.
        for (int y = 0; y < 10; ++y) EXPECT_EQ(At(*frames[1], x, y), 0) << y;
        EXPECT_EQ(At(*frames[1], x, 10), 11);
    }
}

// 8 x 40, thickness 4, angle 0, two frames: the fold starts 2 rows below the top, ends
// 4.04 rows below the bottom; in frame 0 it lies at 16.48 rows above the bottom row
// (row 22.52). A page point u rows beyond the fold shows on the roll for u up to 4 pi,
// and beyond that reversed on the flat part, u - 4 pi rows below the fold.
TEST_F(PageTest, ThickPageRollsOverACylinder) {
    ChainOwner out(RenderPage(Rows(8, 40), nullptr, 2, PageBlock(2, 0, 0, 4)));
    ASSERT_EQ(out.frames().size(), 2u);
    const FrameRecord& f = *out.head;
    const struct {
        int y, row;  // row -1: background
    } cases[] = {
        {39, 39},  // 16.48 below: the reversed page (45.5 above the bottom) is off the top
        {29, 3},   // 6.48 below: the point 6.48 + 4 pi above the fold, row 3
        {23, 9},   // 0.48 below: row 9
        {19, 14},  // 3.52 above, on the roll: its top shows the point 4 (pi - asin 0.88) on
        {18, -1},  // 4.52 above: beyond the roll, the page has gone
        {0, -1},
    };
    for (const auto& c : cases)
        for (int x : {0, 7}) EXPECT_EQ(At(f, x, c.y), c.row + 1) << x << "," << c.y;
}

// A 45 degree fold through the middle of a 9 x 9 picture, thickness 0: the upper left
// half is lifted away, the lower right half is covered by its mirror image across the
// diagonal, which swaps columns and rows.
TEST_F(PageTest, DiagonalFoldMirrorsAcrossTheDiagonal) {
    std::vector<uint32_t> colours;
    for (int c = 0; c <= 9; ++c) colours.push_back(uint32_t(0x0A0A0A * c));
    FrameRecord* f1 = owner.add(PatternFrame(doc, 9, 9, colours, [](int x, int) { return x + 1; }));
    ChainOwner out(RenderPage(f1, nullptr, 2, PageBlock(2, 45, 0, 0)));
    ASSERT_EQ(out.frames().size(), 2u);
    const FrameRecord& f = *out.head;
    // (x, y) flat shows the source at column 8 - y.
    EXPECT_EQ(At(f, 7, 6), 8 - 6 + 1);
    EXPECT_EQ(At(f, 8, 8), 0 + 1);
    EXPECT_EQ(At(f, 5, 7), 8 - 7 + 1);
    EXPECT_EQ(At(f, 1, 1), 0);
    EXPECT_EQ(At(f, 3, 2), 0);
}

TEST_F(PageTest, BehindThePageImageTwoOrTheDocumentBackground) {
    FrameRecord* a = owner.add(PatternFrame(doc, 8, 11, {0xFF0000}, [](int, int) { return 0; }));
    FrameRecord* b = owner.add(PatternFrame(doc, 8, 11, {0x00FF00}, [](int, int) { return 0; }));
    ChainOwner out(RenderPage(a, b, 1, PageBlock(1, 0, 0, 0)));
    ASSERT_EQ(out.frames().size(), 1u);
    EXPECT_EQ(Pixels(*out.head)[0], 0x00FF00u);
    EXPECT_EQ(Pixels(*out.head)[10 * 8], 0xFF0000u);
    FrameRecord* f1 =
        owner.add(PatternFrame(doc, 8, 11, {0xFF0000, 0x00FF00}, [](int, int) { return 1; }));
    doc.hasGlobalPalette = true;
    doc.globalPalette[0] = PaletteEntry::FromRgb(0x0000FF);
    doc.backgroundIndex = 0;
    ChainOwner effect(RenderPage(f1, nullptr, 2, PageBlock(2, 0, 0, 0)));
    ASSERT_EQ(effect.frames().size(), 2u);
    const auto px = Pixels(*effect.frames()[1]);
    ASSERT_EQ(px.size(), 88u);
    EXPECT_EQ(px[0], 0x0000FFu);
    EXPECT_EQ(px[10 * 8], 0x00FF00u);
}

// Angles are taken modulo 360: a start of 360 or -360 folds as a start of 0.
TEST_F(PageTest, StartAnglesAreTakenModulo360) {
    for (int start : {360, -360}) {
        SCOPED_TRACE(start);
        ChainOwner out(RenderPage(Rows(8, 11), nullptr, 2, PageBlock(2, start, 0, 0)));
        ASSERT_EQ(out.frames().size(), 2u);
        for (int y = 0; y < 11; ++y) EXPECT_EQ(At(*out.head, 3, y), y < 5 ? 0 : 11 - y) << y;
    }
}

}  // namespace
