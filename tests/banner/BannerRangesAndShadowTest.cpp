// Range checks of the banner settings and the shadow drawing, on a canvas whose text is
// solid blocks so that every pixel and every drawing call can be checked.
#include <gtest/gtest.h>

#include <cmath>

#include "banner/BannerSettings.h"
#include "banner/BlockCanvas.h"
#include "banner/ShadowedText.h"

namespace {

TEST(BannerRanges, WidthAboveTheLimitIsClampedWithItsMessage) {
    BannerSettings s;
    s.width = 2049;
    std::string message;
    const BannerRange* range = CheckBannerRanges(s, message);
    ASSERT_NE(range, nullptr);
    EXPECT_STREQ(range->label, "Image Width");
    EXPECT_EQ(message, "The 'Image Width' value must be in the range from 1 to 2048");
    EXPECT_EQ(s.width, 2048);
    // Once clamped, the settings pass.
    EXPECT_EQ(CheckBannerRanges(s, message), nullptr);
    EXPECT_TRUE(message.empty());
}

TEST(BannerRanges, ChecksRunInOrderOneAtATimeAndClampToTheNearerBound) {
    BannerSettings s;
    s.height = 0;
    s.width = -5;
    s.frames = 1001;
    s.thickness = -1;
    s.shadowY = 201;
    s.shadowX = -300;
    s.textYOffset = 5000;
    const std::pair<const char*, const char*> expected[] = {
        {"Text Y Offset", "The 'Text Y Offset' value must be in the range from -3000 to 3000"},
        {"Shadow X Offset", "The 'Shadow X Offset' value must be in the range from -200 to 200"},
        {"Shadow Y Offset", "The 'Shadow Y Offset' value must be in the range from -200 to 200"},
        {"Shadow Thickness", "The 'Shadow Thickness' value must be in the range from 0 to 20"},
        {"Nr. of Frames", "The 'Nr. of Frames' value must be in the range from 1 to 1000"},
        {"Image Width", "The 'Image Width' value must be in the range from 1 to 2048"},
        {"Image Height", "The 'Image Height' value must be in the range from 1 to 2048"},
    };
    for (const auto& [label, text] : expected) {
        std::string message;
        const BannerRange* range = CheckBannerRanges(s, message);
        ASSERT_NE(range, nullptr) << label;
        EXPECT_STREQ(range->label, label);
        EXPECT_EQ(message, text);
    }
    std::string message;
    EXPECT_EQ(CheckBannerRanges(s, message), nullptr);
    EXPECT_EQ(s.textYOffset, 3000);
    EXPECT_EQ(s.shadowX, -200);
    EXPECT_EQ(s.shadowY, 200);
    EXPECT_EQ(s.thickness, 0);
    EXPECT_EQ(s.frames, 1000);
    EXPECT_EQ(s.width, 1);
    EXPECT_EQ(s.height, 1);
}

TEST(BannerRanges, DefaultsAreValidAndFontHeightsAreCapped) {
    BannerSettings s;
    std::string message;
    EXPECT_EQ(CheckBannerRanges(s, message), nullptr);
    EXPECT_EQ(s, BannerSettings{});
    EXPECT_EQ(s.font.height, 40);
    EXPECT_EQ(s.font.weight, 700);
    EXPECT_EQ(ClampFontHeight(401), 400);
    EXPECT_EQ(ClampFontHeight(-401), -400);
    EXPECT_EQ(ClampFontHeight(-12), -12);
}

TEST(ShadowColours, IntensityMovesTheBackgroundTowardsTheShadowInWholeSteps) {
    ShadowStyle style;  // white background, black shadow
    style.intensity = 14;
    EXPECT_EQ(EffectiveShadowColour(style), 0xDCDCDCu);  // 255 - 35
    style.intensity = 50;
    EXPECT_EQ(EffectiveShadowColour(style), 0x808080u);  // 255 - 127
    style.intensity = 0;
    EXPECT_EQ(EffectiveShadowColour(style), 0xFFFFFFu);
    style.intensity = 250;  // clamped to 100
    EXPECT_EQ(EffectiveShadowColour(style), 0x000000u);
    // Per channel, darker and lighter at once.
    EXPECT_EQ(BlendTowards(0x20FF80, 0xFF0080, 1, 3), 0x6AAA80u);
}

TEST(ShadowedText, ThicknessZeroDrawsOneHardShadowAndThenTheText) {
    BlockCanvas canvas;
    canvas.Begin(100, 60);
    ShadowStyle style;
    style.textColour = 0x0000FF;
    style.shadowX = 20;
    style.shadowY = 4;
    style.thickness = 0;
    style.intensity = 50;
    DrawShadowedText(canvas, 10, 10, "AB", style);
    ASSERT_EQ(canvas.draws.size(), 2u);
    EXPECT_EQ(canvas.draws[0].x, 30);
    EXPECT_EQ(canvas.draws[0].y, 14);
    EXPECT_EQ(canvas.draws[0].rgb, 0x808080u);
    EXPECT_EQ(canvas.draws[1].x, 10);
    EXPECT_EQ(canvas.draws[1].y, 10);
    EXPECT_EQ(canvas.draws[1].rgb, 0x0000FFu);
    // The shadow shows where the text does not cover it, with a hard edge.
    EXPECT_EQ(canvas.at(35, 27), 0x808080u);  // below the text, inside the shadow
    EXPECT_EQ(canvas.at(45, 29), 0x808080u);
    EXPECT_EQ(canvas.at(45, 30), 0xFFFFFFu);
    EXPECT_EQ(canvas.at(46, 20), 0xFFFFFFu);
    EXPECT_EQ(canvas.at(12, 12), 0x0000FFu);
}

TEST(ShadowedText, IntensityZeroLeavesNoVisibleShadow) {
    BlockCanvas canvas;
    canvas.Begin(100, 60);
    ShadowStyle style;
    style.shadowX = 20;
    style.shadowY = 4;
    style.thickness = 6;
    style.intensity = 0;
    DrawShadowedText(canvas, 10, 10, "AB", style);
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const bool inText = x >= 10 && x < 26 && y >= 10 && y < 26;
            ASSERT_EQ(canvas.at(x, y), inText ? 0x000000u : 0xFFFFFFu) << x << "," << y;
        }
    }
}

TEST(ShadowedText, SoftShadowRingsGetDarkerFromTheOutsideIn) {
    BlockCanvas canvas;
    canvas.Begin(200, 100);
    ShadowStyle style;  // the banner's defaults: offset 9/7, thickness 8, intensity 14
    style.shadowX = 9;
    style.shadowY = 7;
    style.thickness = 8;
    style.intensity = 14;
    DrawShadowedText(canvas, 50, 30, "X", style);

    // Radii 8, 6, 4, 2 in the colours 255 + (220 - 255) * k / 9, k = 1, 3, 5, 7.
    const struct {
        int radius;
        uint32_t colour;
        size_t points;
    } rings[] = {{8, 0xFCFCFC, 20}, {6, 0xF4F4F4, 20}, {4, 0xECECEC, 12}, {2, 0xE4E4E4, 4}};
    size_t i = 0;
    for (const auto& ring : rings) {
        bool axisPoints[4] = {};
        for (size_t p = 0; p < ring.points; ++p, ++i) {
            ASSERT_LT(i, canvas.draws.size());
            const auto& d = canvas.draws[i];
            EXPECT_EQ(d.rgb, ring.colour) << "ring " << ring.radius;
            const int dx = d.x - 59, dy = d.y - 37;
            EXPECT_LE(dx * dx + dy * dy, ring.radius * ring.radius);
            EXPECT_GT(std::hypot(dx, dy), ring.radius - 2.0);
            if (dx == 0 && dy == -ring.radius) axisPoints[0] = true;
            if (dx == ring.radius && dy == 0) axisPoints[1] = true;
            if (dx == 0 && dy == ring.radius) axisPoints[2] = true;
            if (dx == -ring.radius && dy == 0) axisPoints[3] = true;
        }
        for (bool seen : axisPoints) EXPECT_TRUE(seen) << "ring " << ring.radius;
    }
    ASSERT_EQ(canvas.draws.size(), i + 2);
    EXPECT_EQ(canvas.draws[i].rgb, 0xDCDCDCu);
    EXPECT_EQ(canvas.draws[i].x, 59);
    EXPECT_EQ(canvas.draws[i].y, 37);
    EXPECT_EQ(canvas.draws[i + 1].rgb, 0x000000u);

    // On the pixels: outermost reach right of the shadow block is the lightest ring.
    EXPECT_EQ(canvas.at(59 + 8 + 7, 40), 0xFCFCFCu);   // only the radius-8 point (8,0)
    EXPECT_EQ(canvas.at(59 + 8 + 8, 40), 0xFFFFFFu);   // beyond every ring
    EXPECT_EQ(canvas.at(59 + 7, 37 + 15), 0xDCDCDCu);  // the shadow itself, below the text
}

TEST(ShadowedText, RingColoursFollowTheShadowColourPerChannel) {
    BlockCanvas canvas;
    canvas.Begin(100, 60);
    ShadowStyle style;
    style.shadowColour = 0xFF0000;
    style.intensity = 100;
    style.thickness = 2;
    style.shadowX = 20;
    DrawShadowedText(canvas, 10, 10, "A", style);
    // One ring of radius 2 (four points), k = 1 of 3: 255 + (0 - 255) / 3 in green and blue.
    ASSERT_EQ(canvas.draws.size(), 6u);
    for (int p = 0; p < 4; ++p) EXPECT_EQ(canvas.draws[size_t(p)].rgb, 0xFFAAAAu);
    EXPECT_EQ(canvas.at(39, 18), 0xFFAAAAu);  // the ring point (2, 0) past the shadow
    EXPECT_EQ(canvas.at(37, 18), 0xFF0000u);
    EXPECT_EQ(canvas.at(15, 18), 0x000000u);
}

}  // namespace
