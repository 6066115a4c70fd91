// Range checks of the banner settings and the shadow drawing, on a canvas whose text is
// solid blocks so that every pixel and every drawing call can be checked.
#include <gtest/gtest.h>

#include <cmath>

#include "banner/BannerSettings.h"
#include "banner/BlockCanvas.h"
#include "banner/ShadowedText.h"

namespace {

// Each range at its bounds and one past them; the checks run in the dialog's order, one
// value at a time, clamping to the nearer bound.
TEST(BannerRanges, BoundsPassAndValuesPastThemAreClampedInOrder) {
    const struct {
        const char* label;
        int32_t BannerSettings::*field;
        int32_t low, high;
    } ranges[] = {
        {"Text Y Offset", &BannerSettings::textYOffset, -3000, 3000},
        {"Shadow X Offset", &BannerSettings::shadowX, -200, 200},
        {"Shadow Y Offset", &BannerSettings::shadowY, -200, 200},
        {"Shadow Thickness", &BannerSettings::thickness, 0, 20},
        {"Nr. of Frames", &BannerSettings::frames, 1, 1000},
        {"Image Width", &BannerSettings::width, 1, 2048},
        {"Image Height", &BannerSettings::height, 1, 2048},
    };
    BannerSettings all;
    for (const auto& r : ranges) {
        SCOPED_TRACE(r.label);
        const std::string says = std::string("The '") + r.label +
                                 "' value must be in the range from " + std::to_string(r.low) +
                                 " to " + std::to_string(r.high);
        for (const int32_t value : {r.low, r.high, r.low - 1, r.high + 1, r.high + 1000}) {
            BannerSettings s;
            s.*r.field = value;
            std::string message = "stale";
            const BannerRange* range = CheckBannerRanges(s, message);
            const bool inside = value >= r.low && value <= r.high;
            EXPECT_EQ(range == nullptr, inside) << value;
            EXPECT_EQ(message, inside ? "" : says) << value;
            EXPECT_STREQ(range ? range->label : r.label, r.label);
            EXPECT_EQ(s.*r.field, value < r.low ? r.low : value > r.high ? r.high : value);
        }
        all.*r.field = r.low - 1;
    }
    for (const auto& r : ranges) {
        std::string message;
        const BannerRange* range = CheckBannerRanges(all, message);
        ASSERT_NE(range, nullptr) << r.label;
        EXPECT_STREQ(range->label, r.label);
    }
    std::string message;
    EXPECT_EQ(CheckBannerRanges(all, message), nullptr);
    for (const auto& [height, clamped] :
         {std::pair{401, 400}, {400, 400}, {-401, -400}, {-12, -12}})
        EXPECT_EQ(ClampFontHeight(height), clamped);
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
    EXPECT_TRUE(canvas.draws[0].x == 30 && canvas.draws[0].y == 14);
    EXPECT_EQ(canvas.draws[0].rgb, 0x808080u);
    EXPECT_TRUE(canvas.draws[1].x == 10 && canvas.draws[1].y == 10);
    EXPECT_EQ(canvas.draws[1].rgb, 0x0000FFu);
    // The shadow shows where the text does not cover it, with a hard edge.
    EXPECT_EQ(canvas.at(35, 27), 0x808080u);  // below the text, inside the shadow
    EXPECT_EQ(canvas.at(45, 29), 0x808080u);
    EXPECT_EQ(canvas.at(45, 30), 0xFFFFFFu);
    EXPECT_EQ(canvas.at(46, 20), 0xFFFFFFu);
    EXPECT_EQ(canvas.at(12, 12), 0x0000FFu);
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
        for (size_t p = 0; p < ring.points; ++p, ++i) {
            ASSERT_LT(i, canvas.draws.size());
            const auto& d = canvas.draws[i];
            EXPECT_EQ(d.rgb, ring.colour) << "ring " << ring.radius;
            const int dx = d.x - 59, dy = d.y - 37;
            EXPECT_LE(dx * dx + dy * dy, ring.radius * ring.radius);
            EXPECT_GT(std::hypot(dx, dy), ring.radius - 2.0);
        }
    }
    ASSERT_EQ(canvas.draws.size(), i + 2);
    EXPECT_EQ(canvas.draws[i].rgb, 0xDCDCDCu);
    EXPECT_TRUE(canvas.draws[i].x == 59 && canvas.draws[i].y == 37);
    EXPECT_EQ(canvas.draws[i + 1].rgb, 0x000000u);

    // On the pixels: outermost reach right of the shadow block is the lightest ring.
    EXPECT_EQ(canvas.at(59 + 8 + 7, 40), 0xFCFCFCu);   // only the radius-8 point (8,0)
    EXPECT_EQ(canvas.at(59 + 8 + 8, 40), 0xFFFFFFu);   // beyond every ring
    EXPECT_EQ(canvas.at(59 + 7, 37 + 15), 0xDCDCDCu);  // the shadow itself, below the text
}

}  // namespace
