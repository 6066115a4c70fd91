// Spot and Random Shine through: where the window is in each frame along each path, and
// how many pixels shine through per frame.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class SpotShineTest : public RendererTest {};

// 100 x 100, radius 20 %: the window centre moves within 20..80 by (1 + X(t)) / 2 and
// (1 + Y(t)) / 2, t = i / 8 of a turn. Frames 1, 2, 3: t = 45, 90, 135 degrees.
TEST_F(SpotShineTest, SpotFollowsEveryPath) {
    const struct {
        const char* path;
        int centre[3][2];
    } paths[] = {
        {"circle (sin t, cos t)", {{71, 71}, {80, 50}, {71, 28}}},
        {"loop (sin 2t, cos t)", {{80, 71}, {50, 50}, {20, 28}}},
        {"double loop (sin t, cos 3t)", {{71, 28}, {80, 50}, {71, 71}}},
        {"butterfly (sin 2t, cos 3t)", {{80, 28}, {50, 50}, {20, 71}}},
        {"atomium (sin 4t, cos 3t)", {{50, 28}, {50, 50}, {50, 71}}},
        {"multicircle1 (sin t cos 2t, cos 3t)", {{50, 28}, {20, 50}, {50, 71}}},
        {"multicircle2 (sin 2t cos t, cos 3t)", {{71, 28}, {50, 50}, {71, 71}}},
    };
    FrameRecord* f1 = Uniform(100, 100);
    for (int line = 0; line < 7; ++line) {
        SCOPED_TRACE(paths[line].path);
        EffectParams p = PreviewBlock(8, 20);
        p.direction = line;
        ChainOwner out(RenderSpot(f1, nullptr, 8, p));
        ASSERT_EQ(out.frames().size(), 8u);
        // Every path starts at the bottom middle.
        EXPECT_EQ(At(*out.head, 50, 79), 1);
        for (int i = 0; i < 3; ++i) {
            const FrameRecord& f = *out.frames()[size_t(i + 1)];
            const int x = paths[line].centre[i][0], y = paths[line].centre[i][1];
            EXPECT_EQ(At(f, x, y), 1) << "frame " << i + 1;
            // 24 pixels away on every side lies outside the window.
            for (auto [dx, dy] :
                 {std::pair{24, 0}, std::pair{-24, 0}, std::pair{0, 24}, std::pair{0, -24}})
                if (x + dx >= 0 && x + dx < 100 && y + dy >= 0 && y + dy < 100) {
                    EXPECT_EQ(At(f, x + dx, y + dy), 0) << "frame " << i + 1;
                }
            // About pi R^2 pixels show the image.
            EXPECT_NEAR(CountIndex(f, 1), 1257, 100);
        }
    }
    // A list line outside the table moves like the simple circle.
    EffectParams p = PreviewBlock(8, 20);
    p.direction = 9;
    ChainOwner other(RenderSpot(f1, nullptr, 8, p));
    EXPECT_EQ(At(*other.frames()[1], 71, 71), 1);
}

TEST_F(SpotShineTest, SpotTransitionShowsImageTwoInTheWindow) {
    FrameRecord* a = Uniform(100, 100, 0xFF0000);
    FrameRecord* b = Uniform(100, 100, 0x0000FF);
    ChainOwner out(RenderSpotTransition(a, b, 4, PreviewBlock(4, 20)));
    ASSERT_EQ(out.frames().size(), 4u);
    EXPECT_EQ(Pixels(*out.head)[80 * 100 + 50], 0x0000FFu);
    EXPECT_EQ(Pixels(*out.head)[20 * 100 + 50], 0xFF0000u);
    ChainOwner none(RenderSpotTransition(a, b, 2, PreviewBlock(2, 0)));
    for (FrameRecord* f : none.frames()) EXPECT_EQ(CountColour(*f, 0xFF0000), 100 * 100);
}

TEST_F(SpotShineTest, ShineCoversAShareOfThePixelsPerFrame) {
    // 100 pixels, 4 frames: 20 per frame; a draw may pick (0, 0) again.
    ChainOwner small(RenderRandomShine(Uniform(10, 10), nullptr, 4, PreviewBlock(4)));
    const auto frames = small.frames();
    ASSERT_EQ(frames.size(), 4u);
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_LE(CountIndex(*frames[i], 0), int(20 * (i + 1)));
        EXPECT_GE(CountIndex(*frames[i], 0), int(20 * (i + 1)) - 10);
        if (i > 0)
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 10; ++x)
                    if (At(*frames[i - 1], x, y) == 0) {
                        ASSERT_EQ(At(*frames[i], x, y), 0);
                    }
    }
    // 3600 / 4 = 900 per computed frame; the order differs between calls.
    FrameRecord* f1 = Uniform(60, 60);
    ChainOwner a(RenderRandomShine(f1, nullptr, 3, PreviewBlock(3)));
    ChainOwner b(RenderRandomShine(f1, nullptr, 3, PreviewBlock(3)));
    EXPECT_EQ(CountIndex(*a.frames()[2], 0), 2700);
    int differ = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) differ += At(*a.head, x, y) != At(*b.head, x, y);
    EXPECT_GT(differ, 0);
    // The transition takes image 2's pixels: 900 / 3 per frame.
    ChainOwner t(RenderRandomShine(Uniform(30, 30, 0xFF0000), Uniform(30, 30, 0x00FF00), 2,
                                   PreviewBlock(2)));
    ASSERT_EQ(t.frames().size(), 2u);
    EXPECT_EQ(CountColour(*t.frames()[1], 0x00FF00), 600);
}

}  // namespace
