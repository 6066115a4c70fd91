// Fades, invert, overblend and the colour blendings: end points and steps.
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
        f->hasTransparency = transparent;
        f->transparentIndex = 2;
        return f;
    }
    FrameRecord* Plain(uint32_t colour) {
        return owner.add(PatternFrame(doc, 4, 3, {colour}, [](int, int) { return 0; }));
    }
};

TEST_F(FadeBlendTest, FadeOutStepsTowardsTheColour) {
    FrameRecord* f1 = Image1();
    EffectParams p = PreviewBlock(5);
    p.colorIndex = 3;  // 0x000080
    ChainOwner out(RenderFadeOut(f1, nullptr, 5, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 5u);
    for (uint32_t px : Pixels(*frames.back())) EXPECT_EQ(px, 0x000080u);
    // Grey 0xC0 to 0x00 / 0x80: every step closer.
    int previous = 0xC0;
    for (FrameRecord* f : frames) {
        EXPECT_LT(Channel(Pixels(*f)[3], 16), previous);
        previous = Channel(Pixels(*f)[3], 16);
    }
    // One frame is the plain colour, hidden pixels too.
    ChainOwner one(RenderFadeOut(Image1(true), nullptr, 1, p));
    for (uint32_t px : Pixels(*one.head)) EXPECT_EQ(px, 0x000080u);
    // An unused entry reads as a saved file holds it: white, without marker.
    p = PreviewBlock(1);
    p.colorIndex = 200;
    ChainOwner unused(RenderFadeOut(f1, nullptr, 1, p));
    for (uint32_t px : Pixels(*unused.head)) EXPECT_EQ(px, 0xFFFFFFu);
}

TEST_F(FadeBlendTest, FadeMixesInQuartersAndCopiesAcrossHiddenPixels) {
    ChainOwner out(RenderFade(Plain(0x000000), Plain(0xF0F0F0), 3, PreviewBlock(3)));
    ASSERT_EQ(out.frames().size(), 3u);
    // 1/4, 2/4, 3/4 of 240: neither image repeated.
    EXPECT_EQ(Pixels(*out.frames()[0])[0], 0x3C3C3Cu);
    EXPECT_EQ(Pixels(*out.frames()[1])[0], 0x787878u);
    EXPECT_EQ(Pixels(*out.frames()[2])[0], 0xB4B4B4u);
    FrameRecord* b = owner.add(PatternFrame(doc, 4, 3, {0xFFFFFF, 0x123456},
                                            [](int x, int y) { return x == 3 && y == 2; }));
    b->hasTransparency = 1;
    b->transparentIndex = 1;
    ChainOwner hidden(RenderFade(Image1(true), b, 2, PreviewBlock(2)));
    for (FrameRecord* f : hidden.frames()) {
        EXPECT_EQ(Pixels(*f)[0], 0xFFFFFFu);   // image 1 hidden: image 2 as it is
        EXPECT_EQ(Pixels(*f)[11], 0xC0C0C0u);  // image 2 hidden: image 1
    }
}

TEST_F(FadeBlendTest, InvertIsTheNegative) {
    ChainOwner out(RenderInvert(Image1(true), nullptr, 1, PreviewBlock(1)));
    const std::vector<uint32_t> px = Pixels(*out.head);
    EXPECT_EQ(px[0], 0x00FF00u | kTransparentMarker);
    EXPECT_EQ(px[1], 0xBFFFFFu);
    EXPECT_EQ(px[3], 0x3F3F3Fu);
}

TEST_F(FadeBlendTest, OverblendPassesThroughThePlainColour) {
    FrameRecord* a = Plain(0xF00000);                 // p
    FrameRecord* b = Plain(0x00F000);                 // q
    a->palette[1] = PaletteEntry::FromRgb(0x0000F0);  // m
    EffectParams p = PreviewBlock(5);
    p.colorIndex = 1;
    ChainOwner out(RenderOverblend(a, b, 5, p));
    const auto f = out.frames();
    ASSERT_EQ(f.size(), 5u);
    // (m + 2p)/3, (2m + p)/3, m, (q + 2m)/3, (2q + m)/3
    const uint32_t expected[] = {0xA00050, 0x5000A0, 0x0000F0, 0x0050A0, 0x00A050};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(Pixels(*f[i])[0], expected[i]) << i;
    ChainOwner one(RenderOverblend(a, b, 1, p));
    EXPECT_EQ(Pixels(*one.head)[0], 0x0000F0u);
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
            EXPECT_EQ(At(*f, 0, 0), 3);  // the hidden pixel of the overlay is never copied
        }
        EXPECT_EQ(CountIndex(*frames.back(), 3), 12);
        // Dark to light removes the dark half first.
        EXPECT_EQ(At(*frames.front(), 1, 0), dark ? 3 : 0);
        EXPECT_EQ(At(*frames.front(), 3, 0), dark ? 1 : 3);
    }
    EXPECT_EQ(doc.notifier.snapshot().reduction.total, 0);
}

// Overlay brightness (r + g + b) from 64 (dark red) to 576 (grey), green 255: the range
// starts at 63 and spans 514. Dark to light over 3 frames, the overlay shows up to
// 63 + 514 / 4 = 191, 63 + 514 / 2 = 320, 63 + 514 * 3 / 4 = 448.
TEST_F(FadeBlendTest, ColourBlendingRevealsTheOverlayByItsBrightness) {
    EffectParams p = PreviewBlock(3);
    p.option[0] = 1;
    ChainOwner out(RenderColourBlending(Plain(0x000080), Image1(), 3, p));
    const auto f = out.frames();
    ASSERT_EQ(f.size(), 3u);
    const uint32_t shown[3][3] = {{0x000080, 0x400000, 0x000080},  // (0,0), (1,0), (3,0)
                                  {0x00FF00, 0x400000, 0x000080},
                                  {0x00FF00, 0x400000, 0x000080}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Pixels(*f[i])[0], shown[i][0]) << i;
        EXPECT_EQ(Pixels(*f[i])[1], shown[i][1]) << i;
        EXPECT_EQ(Pixels(*f[i])[3], shown[i][2]) << i;
    }
}

}  // namespace
