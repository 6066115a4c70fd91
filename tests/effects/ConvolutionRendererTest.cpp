// Blur and Emboss: what their kernels promise on images with known pixels.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class ConvolutionTest : public RendererTest {};

TEST_F(ConvolutionTest, BlurAtFullStrengthRepeatsFrameOneWithTransparencyKept) {
    // A checkerboard of red and blue with transparent index 2 on the diagonal.
    FrameRecord* f1 =
        owner.add(PatternFrame(doc, 9, 7, {0xFF0000, 0x0000FF, 0x00FF00},
                               [](int x, int y) { return x == y ? 2 : (x + y) % 2; }));
    f1->hasTransparency = 1;
    f1->transparentIndex = 2;
    ChainOwner out(RenderBlur(f1, nullptr, 4, PreviewBlock(4, 100)));
    ASSERT_EQ(out.frames().size(), 4u);
    const std::vector<uint32_t> original = Pixels(*f1);
    ASSERT_EQ(original[0], 0x00FF00u | kTransparentMarker);
    for (FrameRecord* f : out.frames()) EXPECT_EQ(Pixels(*f), original);
}

TEST_F(ConvolutionTest, BlurAtZeroKeepsUniformInsideAndDarkensTheBorder) {
    FrameRecord* f1 = owner.add(PatternFrame(doc, 8, 8, {0x808080}, [](int, int) { return 0; }));
    ChainOwner out(RenderBlur(f1, nullptr, 1, PreviewBlock(1, 0)));
    const std::vector<uint32_t> px = Pixels(*out.head);
    EXPECT_EQ(px[4 * 8 + 4], 0x808080u);
    // The top-left corner misses five of its eight neighbours.
    EXPECT_LT(Channel(px[0], 16), 0x80);
    EXPECT_LT(Channel(px[3], 0), 0x80);  // top edge misses three
    EXPECT_LT(Channel(px[3], 0), 0x80);
    EXPECT_GT(Channel(px[3], 0), Channel(px[0], 0));
}

TEST_F(ConvolutionTest, EmbossOfUniformImageIsBiasInsideAndBorderRuleAtTopAndLeft) {
    const uint32_t colour = 0x64C8F0;  // 100, 200, 240
    FrameRecord* f1 = owner.add(PatternFrame(doc, 10, 6, {colour}, [](int, int) { return 0; }));
    ChainOwner out(RenderEmboss(f1, nullptr, 1, PreviewBlock(1, 50, 128)));
    const std::vector<uint32_t> px = Pixels(*out.head);
    const int w = 10, h = 6;
    for (int y = 1; y < h; ++y)
        for (int x = 1; x < w; ++x) {
            if (x == w - 1 && y == h - 1) continue;
            // inside and along right/bottom (where both cells exist or the negative one
            // does): interior is exactly the bias
            if (x < w - 1 && y < h - 1) {
                EXPECT_EQ(px[size_t(y * w + x)], 0x808080u) << x << "," << y;
            }
        }
    // Top row and left column: the negative cell is missing, colour x 0.5 + 128,
    // clamped at 255.
    const uint32_t border = (178u << 16) | (228u << 8) | 248u;
    for (int x = 0; x < w - 1; ++x) EXPECT_EQ(px[size_t(x)], border) << x;
    for (int y = 0; y < h - 1; ++y) EXPECT_EQ(px[size_t(y * w)], border) << y;
    // Top-right and bottom-left corners miss both cells: exactly the bias.
    EXPECT_EQ(px[size_t(w - 1)], 0x808080u);
    EXPECT_EQ(px[size_t((h - 1) * w)], 0x808080u);
    // Bottom-right misses only the positive cell: 128 - colour x 0.5.
    const uint32_t br = px[size_t(h * w - 1)];
    EXPECT_EQ(Channel(br, 16), 128 - 50);
    EXPECT_EQ(Channel(br, 8), 128 - 100);
    EXPECT_EQ(Channel(br, 0), 128 - 120);
}

TEST_F(ConvolutionTest, EmbossBorderClampsAt255) {
    FrameRecord* f1 = owner.add(PatternFrame(doc, 4, 4, {0xC8C8C8}, [](int, int) { return 0; }));
    ChainOwner out(RenderEmboss(f1, nullptr, 1, PreviewBlock(1, 100, 128)));
    EXPECT_EQ(Pixels(*out.head)[1], 0xFFFFFFu);  // 200 + 128 clamps
    EXPECT_EQ(Pixels(*out.head)[5], 0x808080u);
}

TEST_F(ConvolutionTest, EmbossShadowBelowZeroIsBlackNotWrapped) {
    // White above-left of black: -255 + 0 + 100 is below zero in every channel.
    FrameRecord* f1 = owner.add(PatternFrame(doc, 6, 6, {0xFFFFFF, 0x000000},
                                             [](int x, int y) { return x >= 3 && y >= 3; }));
    ChainOwner out(RenderEmboss(f1, nullptr, 1, PreviewBlock(1, 100, 100)));
    EXPECT_EQ(Pixels(*out.head)[size_t(3 * 6 + 3)], 0u);
    EXPECT_EQ(Pixels(*out.head)[size_t(1 * 6 + 1)], 0x646464u);  // white on white: the bias
}

TEST_F(ConvolutionTest, EmbossDeepensFrameByFrame) {
    FrameRecord* f1 = owner.add(
        PatternFrame(doc, 12, 12, {0x202020, 0xE0E0E0}, [](int x, int) { return x < 6 ? 0 : 1; }));
    ChainOwner out(RenderEmboss(f1, nullptr, 3, PreviewBlock(3, 40, 128)));
    const std::vector<FrameRecord*> frames = out.frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_NE(Pixels(*frames[0]), Pixels(*frames[1]));
    EXPECT_NE(Pixels(*frames[1]), Pixels(*frames[2]));
    for (FrameRecord* f : frames)
        for (uint32_t p : Pixels(*f)) EXPECT_EQ(p & 0xFF000000u, 0u);
}

TEST_F(ConvolutionTest, BlurTransitionCountsAndMiddle) {
    FrameRecord* a = owner.add(PatternFrame(doc, 6, 5, {0x000000}, [](int, int) { return 0; }));
    FrameRecord* b = owner.add(PatternFrame(doc, 6, 5, {0xFFFFFF}, [](int, int) { return 0; }));
    EXPECT_EQ(RenderBlur(a, b, 1, PreviewBlock(1, 100)), nullptr);
    for (int n : {2, 3, 4, 7}) {
        ChainOwner out(RenderBlur(a, b, n, PreviewBlock(n, 100)));
        const std::vector<FrameRecord*> frames = out.frames();
        ASSERT_EQ(int(frames.size()), n);
        // Every frame lies between the two images, and the run leads from a to b.
        int previous = -1;
        for (FrameRecord* f : frames) {
            const uint32_t p = Pixels(*f)[7];
            EXPECT_EQ(p & 0xFF000000u, 0u);
            EXPECT_GE(Channel(p, 8), previous);
            previous = Channel(p, 8);
        }
        EXPECT_GT(Channel(Pixels(*frames.back())[7], 8), Channel(Pixels(*frames.front())[7], 8));
        EXPECT_EQ(frames.front()->prev, nullptr);
        EXPECT_EQ(frames.back()->next, nullptr);
    }
    // N = 3: F1 = 3/4 a + 1/4 b, the middle is the average, G1 = 3/4 b + 1/4 a.
    ChainOwner three(RenderBlur(a, b, 3, PreviewBlock(3, 100)));
    const std::vector<FrameRecord*> f = three.frames();
    EXPECT_EQ(Pixels(*f[0])[0], 0x3F3F3Fu);
    EXPECT_EQ(Pixels(*f[1])[0], 0x7F7F7Fu);
    EXPECT_EQ(Pixels(*f[2])[0], 0xBFBFBFu);
    EXPECT_EQ(f[2]->palette[0], b->palette[0]);  // G frames descend from image 2
}

TEST_F(ConvolutionTest, CrossMixKeepsMarkersOfBothImagesButNotInTheMiddle) {
    FrameRecord* a =
        owner.add(PatternFrame(doc, 4, 4, {0x000000, 0x102030}, [](int x, int) { return x == 0; }));
    FrameRecord* b =
        owner.add(PatternFrame(doc, 4, 4, {0xFFFFFF, 0x405060}, [](int x, int) { return x == 3; }));
    a->hasTransparency = 1;
    a->transparentIndex = 1;
    b->hasTransparency = 1;
    b->transparentIndex = 1;
    ChainOwner out(RenderEmboss(a, b, 3, PreviewBlock(3, 0, 0)));
    const std::vector<FrameRecord*> f = out.frames();
    ASSERT_EQ(f.size(), 3u);
    EXPECT_TRUE(Pixels(*f[0])[0] & kTransparentMarker);
    EXPECT_TRUE(Pixels(*f[2])[3] & kTransparentMarker);
    for (uint32_t p : Pixels(*f[1])) EXPECT_EQ(p & 0xFF000000u, 0u);
}

TEST_F(ConvolutionTest, InputsAreNotChangedAndFinalRunReducesEveryFrame) {
    FrameRecord* f1 = owner.add(
        PatternFrame(doc, 5, 5, {0x112233, 0x445566}, [](int x, int y) { return (x * y) % 2; }));
    std::vector<int> before;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) before.push_back(f1->indexPlane()->get(x, y));
    EffectParams p = PreviewBlock(3, 30);
    p.preview = 0;
    ChainOwner out(RenderBlur(f1, nullptr, 3, p));
    ASSERT_EQ(out.frames().size(), 3u);
    for (FrameRecord* f : out.frames()) f->WaitForReduction();
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(f1->indexPlane()->get(x, y), before[size_t(y * 5 + x)]);
    EXPECT_TRUE(f1->IsPaletteValid());
    // Both counters end where they started.
    const DocumentNotifier::Snapshot s = doc.notifier.snapshot();
    EXPECT_EQ(s.calculation.total, 0);
    EXPECT_EQ(s.reduction.total, 0);
    EXPECT_EQ(host.lastProgressText(), "Idle");
}

}  // namespace
