// Blur and Emboss: what their kernels promise on images with known pixels.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class ConvolutionTest : public RendererTest {
  protected:
    FrameRecord* Plain(int w, int h, uint32_t colour) {
        return owner.add(PatternFrame(doc, w, h, {colour}, [](int, int) { return 0; }));
    }
};

TEST_F(ConvolutionTest, BlurAtFullStrengthRepeatsFrameOne) {
    FrameRecord* f1 = owner.add(
        PatternFrame(doc, 9, 7, {0xFF0000, 0x0000FF}, [](int x, int y) { return (x + y) % 2; }));
    ChainOwner out(RenderBlur(f1, nullptr, 4, PreviewBlock(4, 100)));
    ASSERT_EQ(out.frames().size(), 4u);
    for (FrameRecord* f : out.frames()) EXPECT_EQ(Pixels(*f), Pixels(*f1));
}

// Strength 0: each side neighbour weighs 3/16 and each corner neighbour 1/16, the pixel
// itself nothing; neighbours outside the picture count as black.
TEST_F(ConvolutionTest, BlurAtZeroAveragesTheNeighbours) {
    ChainOwner out(RenderBlur(Plain(8, 8, 0x808080), nullptr, 1, PreviewBlock(1, 0)));
    const std::vector<uint32_t> px = Pixels(*out.head);
    EXPECT_EQ(px[4 * 8 + 4], 0x808080u);
    EXPECT_EQ(px[0], 0x383838u);  // 128 x (2 x 3 + 1) / 16
    EXPECT_EQ(px[3], 0x585858u);  // 128 x (3 x 3 + 2) / 16
    EXPECT_EQ(px[8 * 8 - 1], 0x383838u);
}

TEST_F(ConvolutionTest, EmbossOfUniformImageIsBiasInsideAndBorderRuleAtTopAndLeft) {
    const int w = 10, h = 6;
    ChainOwner out(RenderEmboss(Plain(w, h, 0x64C8F0), nullptr, 1, PreviewBlock(1, 50, 128)));
    const std::vector<uint32_t> px = Pixels(*out.head);
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x)
            EXPECT_EQ(px[size_t(y * w + x)], 0x808080u) << x << "," << y;
    // Top row and left column: the negative cell is missing, colour x 0.5 + 128.
    const uint32_t border = (178u << 16) | (228u << 8) | 248u;
    for (int x = 0; x < w - 1; ++x) EXPECT_EQ(px[size_t(x)], border) << x;
    for (int y = 0; y < h - 1; ++y) EXPECT_EQ(px[size_t(y * w)], border) << y;
    // Top-right and bottom-left miss both cells: the bias; bottom-right 128 - colour x 0.5.
    EXPECT_EQ(px[size_t(w - 1)], 0x808080u);
    EXPECT_EQ(px[size_t((h - 1) * w)], 0x808080u);
    EXPECT_EQ(px[size_t(h * w - 1)], uint32_t(((128 - 50) << 16) | ((128 - 100) << 8) | 8));
    // Clamped at both ends: 200 + 128 is white; white above-left of black is black.
    ChainOwner bright(RenderEmboss(Plain(4, 4, 0xC8C8C8), nullptr, 1, PreviewBlock(1, 100, 128)));
    EXPECT_EQ(Pixels(*bright.head)[1], 0xFFFFFFu);
    FrameRecord* edge = owner.add(PatternFrame(doc, 6, 6, {0xFFFFFF, 0x000000},
                                               [](int x, int y) { return x >= 3 && y >= 3; }));
    ChainOwner dark(RenderEmboss(edge, nullptr, 1, PreviewBlock(1, 100, 100)));
    EXPECT_EQ(Pixels(*dark.head)[size_t(3 * 6 + 3)], 0u);
    EXPECT_EQ(Pixels(*dark.head)[size_t(1 * 6 + 1)], 0x646464u);
}

TEST_F(ConvolutionTest, BlurTransitionLeadsFromImage1ToImage2) {
    FrameRecord* a = Plain(6, 5, 0x000000);
    FrameRecord* b = Plain(6, 5, 0xFFFFFF);
    // N = 3: 3/4 a + 1/4 b, the average, 3/4 b + 1/4 a.
    ChainOwner three(RenderBlur(a, b, 3, PreviewBlock(3, 100)));
    const std::vector<FrameRecord*> f = three.frames();
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(Pixels(*f[0])[0], 0x3F3F3Fu);
    EXPECT_EQ(Pixels(*f[1])[0], 0x7F7F7Fu);
    EXPECT_EQ(Pixels(*f[2])[0], 0xBFBFBFu);
    EXPECT_EQ(f[2]->palette[0], b->palette[0]);  // the second half descends from image 2
}

TEST_F(ConvolutionTest, CrossMixKeepsMarkersOfBothImagesButNotInTheMiddle) {
    FrameRecord* a =
        owner.add(PatternFrame(doc, 4, 4, {0x000000, 0x102030}, [](int x, int) { return x == 0; }));
    FrameRecord* b =
        owner.add(PatternFrame(doc, 4, 4, {0xFFFFFF, 0x405060}, [](int x, int) { return x == 3; }));
    for (FrameRecord* f : {a, b}) {
        f->hasTransparency = 1;
        f->transparentIndex = 1;
    }
    ChainOwner out(RenderEmboss(a, b, 3, PreviewBlock(3, 0, 0)));
    const std::vector<FrameRecord*> f = out.frames();
    ASSERT_EQ(f.size(), 3u);
    EXPECT_TRUE(Pixels(*f[0])[0] & kTransparentMarker);
    EXPECT_TRUE(Pixels(*f[2])[3] & kTransparentMarker);
    for (uint32_t p : Pixels(*f[1])) EXPECT_EQ(p & 0xFF000000u, 0u);
}

// One pixel wide: only the pixels above and below count, 128 x 3 / 16 at the ends and
// 128 x 6 / 16 between them.
TEST_F(ConvolutionTest, AOnePixelWideImageBlurs) {
    ChainOwner out(RenderBlur(Plain(1, 3, 0x808080), nullptr, 1, PreviewBlock(1, 0)));
    ASSERT_NE(out.head, nullptr);
    EXPECT_EQ(Pixels(*out.head), (std::vector<uint32_t>{0x181818, 0x303030, 0x181818}));
}

}  // namespace
