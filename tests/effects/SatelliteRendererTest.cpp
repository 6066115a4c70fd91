// Roll Sphere with Satellite: which image shows where, the refused small ring, the
// sphere that does not roll, the full ring and extreme sizes.
#include <gtest/gtest.h>

#include <set>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class SatelliteTest : public RendererTest {
  protected:
    FrameRecord* Uniform(uint32_t colour) {
        return owner.add(PatternFrame(doc, 64, 64, {0x000000, colour}, [](int, int) { return 1; }));
    }
    // Column x has colour 0x010000 * (x + 1) + 0x80.
    FrameRecord* Columns() {
        std::vector<uint32_t> colours{0x000000};
        for (int x = 0; x < 64; ++x) colours.push_back(0x010000u * uint32_t(x + 1) + 0x80u);
        return owner.add(PatternFrame(doc, 64, 64, colours, [](int x, int) { return x + 1; }));
    }
};

EffectParams SatelliteBlock(int n, int radius, int tilt, int turn, int width, int height) {
    EffectParams p = PreviewBlock(n, radius, tilt);
    p.value[2] = turn;
    p.value[3] = width;
    p.value[4] = height;
    p.option[2] = 1;  // the sphere rolls
    return p;
}

std::set<uint32_t> Colours(const FrameRecord& f) {
    const auto px = Pixels(f);
    return std::set<uint32_t>(px.begin(), px.end());
}

TEST_F(SatelliteTest, SphereRadiusZeroShowsOnlyTheSatellite) {
    FrameRecord* a = Uniform(0xFF0000);
    FrameRecord* b = Uniform(0x00FF00);
    for (bool flat : {false, true}) {
        EffectParams p = SatelliteBlock(4, 0, 30, 0, 40, 20);
        p.option[3] = flat;
        ChainOwner out(RenderSatellite(a, b, 4, p));
        ASSERT_EQ(out.frames().size(), 4u);
        bool green = false;
        for (FrameRecord* f : out.frames()) {
            const auto c = Colours(*f);
            EXPECT_EQ(c.count(0xFF0000u), 0u);
            green |= c.count(0x00FF00u) > 0;
        }
        EXPECT_TRUE(green) << flat;
    }
}

TEST_F(SatelliteTest, SatelliteOfSizeZeroIsNotDrawn) {
    FrameRecord* a = Uniform(0xFF0000);
    FrameRecord* b = Uniform(0x00FF00);
    for (auto [w, h] : {std::pair{0, 20}, std::pair{10, 0}}) {
        ChainOwner out(RenderSatellite(a, b, 3, SatelliteBlock(3, 50, 30, 0, w, h)));
        ASSERT_EQ(out.frames().size(), 3u);
        for (FrameRecord* f : out.frames()) {
            const auto c = Colours(*f);
            EXPECT_EQ(c.count(0x00FF00u), 0u);
            EXPECT_EQ(c.count(0xFF0000u), 1u);
        }
    }
}

TEST_F(SatelliteTest, SphereThatDoesNotRollShowsTheSameHalf) {
    FrameRecord* a = Columns();
    FrameRecord* b = Uniform(0x00FF00);
    EffectParams p = SatelliteBlock(4, 60, 30, 0, 0, 20);
    p.option[2] = 0;
    ChainOwner still(RenderSatellite(a, b, 4, p));
    const auto frames = still.frames();
    ASSERT_EQ(frames.size(), 4u);
    for (FrameRecord* f : frames) EXPECT_EQ(Pixels(*f), Pixels(*frames[0]));
    // Front half of image 1: the centre shows column 16 (a quarter of the width).
    EXPECT_EQ(Pixels(*frames[0])[32 * 64 + 32], 0x010000u * 17 + 0x80u);
    p.option[2] = 1;
    ChainOwner rolling(RenderSatellite(a, b, 4, p));
    EXPECT_NE(Pixels(*rolling.frames()[1]), Pixels(*rolling.frames()[0]));
}

TEST_F(SatelliteTest, RingSmallerThanTheSphereIsRefused) {
    FrameRecord* a = Uniform(0xFF0000);
    FrameRecord* b = Uniform(0x00FF00);
    EXPECT_EQ(RenderSatellite(a, b, 3, SatelliteBlock(3, 150, 30, 0, 40, 20)), nullptr);
    EXPECT_EQ(RenderSatellite(a, nullptr, 3, SatelliteBlock(3, 50, 30, 0, 40, 20)), nullptr);
    // A flat satellite is never refused; huge radii stay safe.
    EffectParams p = SatelliteBlock(3, 2000000000, 30, 0, 40, 20);
    p.option[3] = 1;
    ChainOwner flat(RenderSatellite(a, b, 3, p));
    EXPECT_EQ(flat.frames().size(), 3u);
}

TEST_F(SatelliteTest, FullWidthRingCarriesImageTwoAllRound) {
    FrameRecord* a = Uniform(0xFF0000);
    FrameRecord* b = Columns();
    // Two frames half a turn apart show the near half of the ring from both sides.
    for (int width : {100, 50}) {
        ChainOwner out(RenderSatellite(a, b, 2, SatelliteBlock(2, 0, 0, 0, width, 20)));
        ASSERT_EQ(out.frames().size(), 2u);
        std::set<uint32_t> seen;
        for (FrameRecord* f : out.frames())
            for (uint32_t c : Colours(*f)) seen.insert(c);
        seen.erase(0x000000u);
        EXPECT_GE(seen.size(), 40u) << width;
    }
}

}  // namespace
