// Roll Sphere with Satellite: image 1 on a sphere, image 2 on a ring or a flat satellite
// circling it, the near half in front of the sphere and the far half behind it.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class SatelliteTest : public RendererTest {
  protected:
    FrameRecord* Plain(uint32_t colour) { return Uniform(64, 64, colour); }
    // Column x has colour Column(x).
    static uint32_t Column(int x) { return 0x010000u * uint32_t(x + 1) + 0x80u; }
    FrameRecord* Columns() {
        std::vector<uint32_t> colours{0x000000};
        for (int x = 0; x < 64; ++x) colours.push_back(Column(x));
        return owner.add(PatternFrame(doc, 64, 64, colours, [](int x, int) { return x + 1; }));
    }
};

EffectParams SatelliteBlock(int n, int radius, int width, int height, bool flat) {
    EffectParams p = PreviewBlock(n, radius, 0);  // no tilt, no turn
    p.value[3] = width;
    p.value[4] = height;
    p.option[2] = 1;  // the sphere rolls
    p.option[3] = flat;
    return p;
}

// Sphere radius 16 about (32, 32); a flat satellite at 20 % (13 x 13 pixels) on a circle
// of radius 26 with no tilt: in front of the sphere's centre in frame 0, a quarter turn
// later beside it, half a turn later right behind it.
TEST_F(SatelliteTest, FlatSatelliteCirclesInFrontOfAndBehindTheSphere) {
    ChainOwner out(
        RenderSatellite(Plain(0xFF0000), Plain(0x00FF00), 4, SatelliteBlock(4, 50, 20, 20, true)));
    const auto f = out.frames();
    ASSERT_EQ(f.size(), 4u);
    EXPECT_EQ(Pixels(*f[0])[32 * 64 + 32], 0x00FF00u);
    EXPECT_EQ(CountColour(*f[0], 0x00FF00), 13 * 13);
    EXPECT_EQ(Pixels(*f[1])[32 * 64 + 32], 0xFF0000u);
    EXPECT_EQ(Pixels(*f[1])[32 * 64 + 58], 0x00FF00u);
    EXPECT_EQ(Pixels(*f[2])[32 * 64 + 32], 0xFF0000u);
    EXPECT_EQ(CountColour(*f[2], 0x00FF00), 0);
}

// No sphere; a full-width ring of radius 32 whose band is 20 % of the latitudes high
// (about 10 rows either side of the equator). The near half shows longitude beta at
// column beta / 2 pi of image 2, turning a quarter per frame of four.
TEST_F(SatelliteTest, RingCarriesImageTwoRoundTheEquator) {
    ChainOwner out(
        RenderSatellite(Plain(0xFF0000), Columns(), 4, SatelliteBlock(4, 0, 100, 20, false)));
    const auto f = out.frames();
    ASSERT_EQ(f.size(), 4u);
    const auto px = Pixels(*f[0]);
    EXPECT_EQ(px[32 * 64 + 32], Column(0));
    EXPECT_EQ(px[27 * 64 + 32], Column(0));
    EXPECT_EQ(px[32 * 64 + 32 + 23], Column(8));         // asin(23 / 32) = 0.80
    EXPECT_EQ(px[32 * 64 + 32 - 23], Column(55));        // 2 pi - 0.80
    EXPECT_EQ(px[17 * 64 + 32], 0x000000u);              // above the band
    EXPECT_NE(px[32 * 64 + 0], 0x000000u);               // the ring reaches the left edge
    EXPECT_EQ(Pixels(*f[1])[32 * 64 + 37], Column(49));  // 2 pi + asin(5 / 32) - pi / 2
    // A band 24 % high: 12 above the equator lies acos(12 / 32) - pi / 2 = -0.384 of the
    // latitudes, -32.1 rows of image 2 from row 32: its top row; 13 above is beyond it.
    ChainOwner band(
        RenderSatellite(Plain(0xFF0000), Columns(), 4, SatelliteBlock(4, 0, 100, 24, false)));
    EXPECT_EQ(Pixels(*band.head)[20 * 64 + 32], Column(0));
    EXPECT_EQ(Pixels(*band.head)[19 * 64 + 32], 0x000000u);
}

TEST_F(SatelliteTest, SphereAloneAndSatelliteAlone) {
    // Radius 0: no sphere, the satellite still shows.
    ChainOwner bare(
        RenderSatellite(Plain(0xFF0000), Plain(0x00FF00), 4, SatelliteBlock(4, 0, 40, 20, true)));
    ASSERT_EQ(bare.frames().size(), 4u);
    for (FrameRecord* f : bare.frames()) EXPECT_EQ(CountColour(*f, 0xFF0000), 0);
    EXPECT_GT(CountColour(*bare.head, 0x00FF00), 0);
    // Satellite height 0: only the sphere.
    ChainOwner none(
        RenderSatellite(Plain(0xFF0000), Plain(0x00FF00), 3, SatelliteBlock(3, 50, 10, 0, false)));
    EXPECT_EQ(CountColour(*none.head, 0x00FF00), 0);
    // A sphere that does not roll shows the same half; its centre column 16.
    EffectParams p = SatelliteBlock(4, 60, 0, 20, false);
    p.option[2] = 0;
    ChainOwner still(RenderSatellite(Columns(), Plain(0x00FF00), 4, p));
    for (FrameRecord* f : still.frames()) EXPECT_EQ(Pixels(*f), Pixels(*still.head));
    EXPECT_EQ(Pixels(*still.head)[32 * 64 + 32], Column(16));
    // A ring inside the sphere is refused.
    EXPECT_EQ(
        RenderSatellite(Plain(0xFF0000), Plain(0x00FF00), 3, SatelliteBlock(3, 150, 40, 20, false)),
        nullptr);
}

// A band as high as the ring: rows far from the equator show image 2 only within the
// ring's circle (radius 32; 24 rows up, 21.2 to either side of the centre).
TEST_F(SatelliteTest, TheRingStaysWithinItsCircle) {
    ChainOwner out(
        RenderSatellite(Plain(0xFF0000), Columns(), 4, SatelliteBlock(4, 0, 100, 100, false)));
    ASSERT_EQ(out.frames().size(), 4u);
    const auto px = Pixels(*out.head);
    EXPECT_NE(px[8 * 64 + 32], 0x000000u);
    EXPECT_EQ(px[8 * 64 + 1], 0x000000u);
    EXPECT_EQ(px[8 * 64 + 62], 0x000000u);
}

}  // namespace
