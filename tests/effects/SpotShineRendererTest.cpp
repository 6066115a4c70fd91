// Spot and Random Shine through: window positions, radii out of range, per-frame pixel
// counts, the end of the pixels to replace, and the radius check of the dialog.
#include <gtest/gtest.h>

#include <set>

#include "EffectTestSupport.h"
#include "effects/EffectSetup.h"
#include "effects/ParameterForm.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class SpotShineTest : public RendererTest {};

uint8_t At(const FrameRecord& f, int x, int y) {
    return f.indexPlane()->get(x, y);
}

int CountIndex(const FrameRecord& f, uint8_t index) {
    int count = 0;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) count += At(f, x, y) == index;
    return count;
}

TEST_F(SpotShineTest, SpotSimpleCircleStartsAtTheBottomMiddleAndTurns) {
    FrameRecord* f1 = Uniform(100, 100);
    EffectParams p = PreviewBlock(4, 20);  // R = 20, free area 60 x 60 from (20, 20)
    ChainOwner out(RenderSpot(f1, nullptr, 4, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    const int centres[4][2] = {{50, 80}, {80, 50}, {50, 20}, {20, 50}};
    for (int i = 0; i < 4; ++i) {
        const FrameRecord& f = *frames[size_t(i)];
        EXPECT_EQ(At(f, centres[i][0], centres[i][1]), 1) << i;
        EXPECT_EQ(At(f, centres[(i + 2) % 4][0], centres[(i + 2) % 4][1]), 0) << i;
        EXPECT_EQ(At(f, 0, 0), 0);
        // About pi R^2 pixels show the image.
        const int shown = CountIndex(f, 1);
        EXPECT_GT(shown, 1150);
        EXPECT_LT(shown, 1350);
    }
    // A list line outside the table moves like the simple circle.
    p.direction = 9;
    ChainOwner other(RenderSpot(f1, nullptr, 4, p));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(At(*other.frames()[size_t(i)], centres[i][0], centres[i][1]), 1);
}

TEST_F(SpotShineTest, SpotRadiusZeroNegativeOrHugeStaysInsideTheImage) {
    FrameRecord* f1 = Uniform(40, 30);
    for (int radius : {0, -5, -2000000000}) {
        ChainOwner out(RenderSpot(f1, nullptr, 3, PreviewBlock(3, radius)));
        ASSERT_EQ(out.frames().size(), 3u);
        for (FrameRecord* f : out.frames()) EXPECT_EQ(CountIndex(*f, 0), 40 * 30) << radius;
    }
    for (int radius : {49, 75, 2000000000}) {
        ChainOwner out(RenderSpot(f1, nullptr, 3, PreviewBlock(3, radius)));
        ASSERT_EQ(out.frames().size(), 3u);
    }
}

TEST_F(SpotShineTest, SpotTransitionShowsImageTwoInTheWindow) {
    FrameRecord* a = Uniform(100, 100, 0xFF0000);
    FrameRecord* b = Uniform(100, 100, 0x0000FF);
    ChainOwner out(RenderSpotTransition(a, b, 4, PreviewBlock(4, 20)));
    ASSERT_EQ(out.frames().size(), 4u);
    const auto first = Pixels(*out.head);
    EXPECT_EQ(first[80 * 100 + 50], 0x0000FFu);
    EXPECT_EQ(first[20 * 100 + 50], 0xFF0000u);
    ChainOwner none(RenderSpotTransition(a, b, 2, PreviewBlock(2, 0)));
    for (FrameRecord* f : none.frames())
        for (uint32_t px : Pixels(*f)) ASSERT_EQ(px, 0xFF0000u);
    EXPECT_EQ(RenderSpot(a, b, 2, PreviewBlock(2, 10)), nullptr);
    EXPECT_EQ(RenderSpotTransition(a, nullptr, 2, PreviewBlock(2, 10)), nullptr);
}

TEST_F(SpotShineTest, SpotRadiusCheckRefusesNegativeValues) {
    ParameterForm form{host};
    const struct {
        const char* value;
        const char* message;
    } cases[] = {{"-1", "Radius must not be negative"},
                 {"-49", "Radius must not be negative"},
                 {"50", "Radius must be smaller than 50 %"},
                 {"75", "Radius must be smaller than 50 %"}};
    for (const auto& c : cases) {
        form.Reset();
        form.imageWidth = 40;
        form.imageHeight = 30;
        SetupSpotEffect(form, kSetupConfigure);
        form.edits[0].text = c.value;
        EXPECT_EQ(SetupSpotEffect(form, kSetupValidate), 0) << c.value;
        EXPECT_EQ(host.messages().back().text, c.message) << c.value;
    }
    form.edits[0].text = "0";
    EXPECT_EQ(SetupSpotEffect(form, kSetupValidate), 1);
}

TEST_F(SpotShineTest, ShineReplacesTwentyPixelsPerFrameOnTenByTen) {
    FrameRecord* f1 = Uniform(10, 10);
    ChainOwner out(RenderRandomShine(f1, nullptr, 4, PreviewBlock(4)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    int previous = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        const int covered = CountIndex(*frames[i], 0);
        // A draw of 0 may pick (0, 0) again; otherwise each choice is a new pixel.
        EXPECT_LE(covered, int(20 * (i + 1)));
        EXPECT_GE(covered, int(20 * (i + 1)) - 10);
        EXPECT_GT(covered, previous);
        previous = covered;
        if (i == 0) continue;
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x) {
                if (At(*frames[i - 1], x, y) == 0) {
                    ASSERT_EQ(At(*frames[i], x, y), 0);
                }
            }
        }
    }
    EXPECT_LT(previous, 100);
}

TEST_F(SpotShineTest, ShineEndsWhenNothingRemains) {
    FrameRecord* f1 = Uniform(2, 2);
    ChainOwner out(RenderRandomShine(f1, nullptr, 3, PreviewBlock(3)));
    EXPECT_EQ(out.frames().size(), 3u);
    FrameRecord* one = Uniform(1, 1);
    ChainOwner single(RenderRandomShine(one, nullptr, 5, PreviewBlock(5)));
    EXPECT_EQ(single.frames().size(), 5u);
    EXPECT_TRUE(host.messages().empty());
}

TEST_F(SpotShineTest, ShineOrderDiffersBetweenCallsAndPingPongMirrors) {
    FrameRecord* f1 = Uniform(60, 60);
    ChainOwner a(RenderRandomShine(f1, nullptr, 4, PreviewBlock(4)));
    ChainOwner b(RenderRandomShine(f1, nullptr, 4, PreviewBlock(4)));
    int differ = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) differ += At(*a.head, x, y) != At(*b.head, x, y);
    EXPECT_GT(differ, 0);
    EffectParams p = PreviewBlock(5);
    p.pingPong = 1;
    ChainOwner pp(RenderRandomShine(f1, nullptr, 5, p));
    const auto frames = pp.frames();
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(CountIndex(*frames[3], 0), CountIndex(*frames[1], 0));
    EXPECT_EQ(CountIndex(*frames[4], 0), CountIndex(*frames[0], 0));
    // 3600 / 4 = 900 per computed frame.
    EXPECT_EQ(CountIndex(*frames[2], 0), 2700);
}

TEST_F(SpotShineTest, ShineTransitionTakesImageTwosPixels) {
    FrameRecord* a = Uniform(30, 30, 0xFF0000);
    FrameRecord* b = Uniform(30, 30, 0x00FF00);
    ChainOwner out(RenderRandomShine(a, b, 2, PreviewBlock(2)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 2u);
    int green = 0;
    for (uint32_t px : Pixels(*frames[1])) green += px == 0x00FF00u;
    EXPECT_EQ(green, 600);  // 900 / 3 per frame
}

}  // namespace
