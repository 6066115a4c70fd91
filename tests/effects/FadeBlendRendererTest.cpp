// Fades, invert, overblend and the colour blendings: endpoints, steps and frame counts.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class FadeBlendTest : public RendererTest {
  protected:
    // 4 x 3: left half dark red, right half light grey; index 2 (transparent) at (0,0).
    FrameRecord* Image1(bool transparent = false) {
        FrameRecord* f = owner.add(
            PatternFrame(doc, 4, 3, {0x400000, 0xC0C0C0, 0x00FF00, 0x000080},
                         [](int x, int y) { return x == 0 && y == 0 ? 2 : (x < 2 ? 0 : 1); }));
        if (transparent) {
            f->hasTransparency = 1;
            f->transparentIndex = 2;
        }
        return f;
    }
    FrameRecord* Uniform(uint32_t colour) {
        return owner.add(PatternFrame(doc, 4, 3, {colour}, [](int, int) { return 0; }));
    }
};

std::vector<std::vector<uint32_t>> AllPixels(const ChainOwner& c) {
    std::vector<std::vector<uint32_t>> out;
    for (FrameRecord* f : c.frames()) out.push_back(Pixels(*f));
    return out;
}

TEST_F(FadeBlendTest, FadeOutEndsOnTheColourAndStepsMonotonically) {
    FrameRecord* f1 = Image1();
    EffectParams p = PreviewBlock(5);
    p.colorIndex = 3;  // 0x000080
    ChainOwner out(RenderFadeOut(f1, nullptr, 5, p));
    const auto frames = AllPixels(out);
    ASSERT_EQ(frames.size(), 5u);
    for (uint32_t px : frames.back()) EXPECT_EQ(px, 0x000080u);
    const uint32_t start = Pixels(*f1)[5];
    EXPECT_NE(frames.front()[5], start);
    for (int shift : {0, 8, 16}) {
        int previous = Channel(start, shift);
        const int target = Channel(0x000080, shift);
        for (const auto& f : frames) {
            const int v = Channel(f[5], shift);
            EXPECT_LE(std::abs(target - v), std::abs(target - previous));
            previous = v;
        }
    }
}

TEST_F(FadeBlendTest, FadeOutOfOneFrameIsThePlainColourTransparentPixelsIncluded) {
    FrameRecord* f1 = Image1(true);
    EffectParams p = PreviewBlock(1);
    p.colorIndex = 3;
    ChainOwner out(RenderFadeOut(f1, nullptr, 1, p));
    ASSERT_EQ(out.frames().size(), 1u);
    for (uint32_t px : Pixels(*out.head)) EXPECT_EQ(px, 0x000080u);
}

TEST_F(FadeBlendTest, FadeNeverRepeatsEitherImageAndNeedsTwoFrames) {
    FrameRecord* a = Uniform(0x000000);
    FrameRecord* b = Uniform(0xF0F0F0);
    EXPECT_EQ(RenderFade(a, b, 1, PreviewBlock(1)), nullptr);
    ChainOwner out(RenderFade(a, b, 3, PreviewBlock(3)));
    const auto frames = AllPixels(out);
    ASSERT_EQ(frames.size(), 3u);
    // fractions 1/4, 2/4, 3/4 of 240
    EXPECT_EQ(frames[0][0], 0x3C3C3Cu);
    EXPECT_EQ(frames[1][0], 0x787878u);
    EXPECT_EQ(frames[2][0], 0xB4B4B4u);
}

TEST_F(FadeBlendTest, FadeCopiesAcrossTransparentPixels) {
    FrameRecord* a = Image1(true);
    FrameRecord* b = owner.add(PatternFrame(doc, 4, 3, {0xFFFFFF, 0x123456},
                                            [](int x, int y) { return x == 3 && y == 2; }));
    b->hasTransparency = 1;
    b->transparentIndex = 1;
    ChainOwner out(RenderFade(a, b, 2, PreviewBlock(2)));
    for (FrameRecord* f : out.frames()) {
        const std::vector<uint32_t> px = Pixels(*f);
        EXPECT_EQ(px[0], 0xFFFFFFu);   // P transparent: Q as it is
        EXPECT_EQ(px[11], 0xC0C0C0u);  // Q transparent: P
    }
}

TEST_F(FadeBlendTest, FrameCountsWithAndWithoutPingPongAndMirrorOrder) {
    FrameRecord* f1 = Image1();
    for (int n : {1, 2, 5, 6}) {
        for (int pp : {0, 1}) {
            EffectParams p = PreviewBlock(n);
            p.pingPong = pp;
            ChainOwner inv(RenderInvert(f1, nullptr, n, p));
            EXPECT_EQ(int(inv.frames().size()), n) << n << " pp " << pp;
            ChainOwner fade(RenderFadeOut(f1, nullptr, n, p));
            if (pp && n < 2)
                EXPECT_EQ(fade.head, nullptr);
            else
                EXPECT_EQ(int(fade.frames().size()), n) << n << " pp " << pp;
        }
    }
    EffectParams p = PreviewBlock(5);
    p.pingPong = 1;
    ChainOwner five(RenderFadeOut(f1, nullptr, 5, p));
    auto f = AllPixels(five);
    EXPECT_EQ(f[3], f[1]);
    EXPECT_EQ(f[4], f[0]);
    EXPECT_NE(f[0], f[1]);
    EXPECT_NE(f[1], f[2]);
    p.frameCount = 6;
    ChainOwner six(RenderFadeOut(f1, nullptr, 6, p));
    f = AllPixels(six);
    EXPECT_EQ(f[3], f[2]);
    EXPECT_EQ(f[4], f[1]);
    EXPECT_EQ(f[5], f[0]);
    // Computed with h = 3, the third frame is the end state.
    for (uint32_t px : f[2]) EXPECT_EQ(px, 0x400000u);
}

TEST_F(FadeBlendTest, InvertOfOneFrameIsTheNegativeAndKeepsTransparentPixels) {
    FrameRecord* f1 = Image1(true);
    ChainOwner out(RenderInvert(f1, nullptr, 1, PreviewBlock(1)));
    const std::vector<uint32_t> px = Pixels(*out.head);
    EXPECT_EQ(px[0], 0x00FF00u | kTransparentMarker);
    EXPECT_EQ(px[1], 0xBFFFFFu);
    EXPECT_EQ(px[3], 0x3F3F3Fu);
}

TEST_F(FadeBlendTest, OverblendPassesThroughThePlainColour) {
    FrameRecord* a = Uniform(0x000000);
    FrameRecord* b = Uniform(0x000000);
    a->palette[1] = PaletteEntry::FromRgb(0x0000F0);  // m
    b->palette[0] = PaletteEntry::FromRgb(0x00F000);  // q
    a->palette[0] = PaletteEntry::FromRgb(0xF00000);  // p
    EffectParams p = PreviewBlock(5);
    p.colorIndex = 1;
    ChainOwner out(RenderOverblend(a, b, 5, p));
    const auto f = AllPixels(out);
    ASSERT_EQ(f.size(), 5u);
    // (m + 2p)/3, (2m + p)/3, m, (q + 2m)/3, (2q + m)/3
    EXPECT_EQ(f[0][0], 0xA00050u);
    EXPECT_EQ(f[1][0], 0x5000A0u);
    EXPECT_EQ(f[2][0], 0x0000F0u);
    EXPECT_EQ(f[3][0], 0x0050A0u);
    EXPECT_EQ(f[4][0], 0x00A050u);
    ChainOwner one(RenderOverblend(a, b, 1, p));
    EXPECT_EQ(Pixels(*one.head)[0], 0x0000F0u);
}

TEST_F(FadeBlendTest, UnusedPaletteEntryReadsAsASavedFileHoldsItWithoutMarker) {
    FrameRecord* f1 = Image1();
    EffectParams p = PreviewBlock(1);
    p.colorIndex = 200;  // unused: all -1, saved (and shown in the palette grid) as white
    ChainOwner out(RenderFadeOut(f1, nullptr, 1, p));
    for (uint32_t px : Pixels(*out.head)) EXPECT_EQ(px, 0xFFFFFFu);
    p.frameCount = 3;
    ChainOwner inv(RenderInvert(f1, nullptr, 3, p));
    for (FrameRecord* f : inv.frames())
        for (uint32_t px : Pixels(*f)) EXPECT_EQ(px & 0xFF000000u, 0u);
}

TEST_F(FadeBlendTest, ColourBlendingOfOneBrightnessAppearsInOneStep) {
    FrameRecord* a = Uniform(0x101010);
    FrameRecord* b = Uniform(0x808080);
    EffectParams p = PreviewBlock(6);
    p.option[0] = 1;  // dark to light
    p.option[1] = 0;  // blend in
    ChainOwner out(RenderColourBlending(a, b, 6, p));
    const auto f = AllPixels(out);
    ASSERT_EQ(f.size(), 6u);
    int switches = 0;
    for (size_t i = 0; i < f.size(); ++i) {
        for (uint32_t px : f[i]) EXPECT_TRUE(px == 0x101010u || px == 0x808080u);
        if (i > 0 && f[i][0] != f[i - 1][0]) ++switches;
    }
    EXPECT_EQ(switches, 1);
    EXPECT_EQ(f.front()[0], 0x101010u);
    EXPECT_EQ(f.back()[0], 0x808080u);
}

TEST_F(FadeBlendTest, ColourBlendingOutWorksOnIndexesAndEndsOnTheColour) {
    for (int dark : {0, 1}) {
        FrameRecord* f1 = Image1(true);
        EffectParams p = PreviewBlock(4);
        p.colorIndex = 3;
        p.option[0] = dark;
        p.preview = 0;  // index work: nothing to reduce even in the final run
        ChainOwner out(RenderColourBlending(f1, nullptr, 4, p));
        const std::vector<FrameRecord*> frames = out.frames();
        ASSERT_EQ(frames.size(), 4u);
        for (FrameRecord* f : frames) {
            EXPECT_EQ(f->trueColourPlane(), nullptr);
            EXPECT_EQ(f->palette, f1->palette);
            EXPECT_TRUE(f->IsPaletteValid());
        }
        const std::shared_ptr<IndexBuffer> last = frames.back()->indexPlane();
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) EXPECT_EQ(last->get(x, y), 3) << x << "," << y;
        // The transparent pixel of the overlay is never copied.
        for (FrameRecord* f : frames) EXPECT_EQ(f->indexPlane()->get(0, 0), 3);
        // Dark to light removes the dark half first.
        const std::shared_ptr<IndexBuffer> first = frames.front()->indexPlane();
        if (dark) {
            EXPECT_EQ(first->get(1, 0), 3);
            EXPECT_EQ(first->get(3, 0), 1);
        } else {
            EXPECT_EQ(first->get(1, 0), 0);
            EXPECT_EQ(first->get(3, 0), 3);
        }
    }
    EXPECT_EQ(doc.notifier.snapshot().reduction.total, 0);
}

TEST_F(FadeBlendTest, MissingInputsAndBadCountsReturnNone) {
    FrameRecord* f1 = Image1();
    EXPECT_EQ(RenderOverblend(f1, nullptr, 3, PreviewBlock(3)), nullptr);
    EXPECT_EQ(RenderFade(f1, nullptr, 3, PreviewBlock(3)), nullptr);
    EXPECT_EQ(RenderInvert(nullptr, nullptr, 3, PreviewBlock(3)), nullptr);
    EXPECT_EQ(RenderInvert(f1, nullptr, 0, PreviewBlock(0)), nullptr);
}

}  // namespace
