// Palette building and pixel mapping of the colour reduction, against hand-worked
// pictures, on random pictures against a search of every palette colour, and against
// the colour tree's answers (which ColourTreeTest holds against a search of every colour).
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "colour/ColourReduction.h"
#include "colour/ColourTree.h"
#include "support/TestSupport.h"

namespace {

class ReductionTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 1};

    // A frame that holds only a true-colour plane of w x h, filled by pixel(x, y).
    template <class F>
    std::unique_ptr<FrameRecord> Picture(int w, int h, F pixel) {
        auto frame = FrameRecord::Construct(doc, nullptr, nullptr);
        frame->CreateIndexBuffer(w, h);
        frame->indexPlane()->fill(0);
        frame->CreateTrueColourBuffer();
        auto plane = frame->trueColourPlane();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) plane->set(x, y, pixel(x, y));
        return frame;
    }
};

// 4096 colours on a 16-step lattice: they survive FE, FC, F8 and F0 and merge only on E0.
uint32_t Lattice(int x, int y) {
    const int i = y * 64 + x;
    return uint32_t((i % 16) * 16 << 16 | ((i / 16) % 16) * 16 << 8 | (i / 256) * 16);
}

TEST_F(ReductionTest, TwoHundredColoursInOrderOfFirstAppearanceByColumn) {
    // 20 x 10 pixels, colour k = x * 10 + y appears at (x, y): reading row by row would
    // give a different order. Odd components show the lowest bit being cleared.
    auto colourOf = [](int k) {
        return uint32_t(((k % 100) * 2 + 1) << 16 | ((k / 100) * 64 + 3) << 8 | 7);
    };
    auto frame = Picture(20, 10, [&](int x, int y) { return colourOf(x * 10 + y); });
    ASSERT_EQ(BuildPalette(*frame), 200);
    for (int k = 0; k < 200; ++k) {
        ASSERT_EQ(frame->palette[size_t(k)].rgb(), colourOf(k) & 0xFEFEFE) << k;
    }
    EXPECT_EQ(frame->transparentIndex, 200u);
    EXPECT_EQ(frame->hasTransparency, 1u);
    for (int k = 200; k < 256; ++k) EXPECT_FALSE(frame->palette[size_t(k)].used()) << k;
    // White becomes 254, 254, 254: the palette holds masked values, not averages.
    auto white = Picture(2, 2, [](int, int) { return 0xFFFFFFu; });
    ASSERT_EQ(BuildPalette(*white), 1);
    EXPECT_EQ(white->palette[0], (PaletteEntry{254, 254, 254}));
}

TEST_F(ReductionTest, ManyColoursEndOnACoarserGrid) {
    // Colours on a lattice of `step`: 1025 that stay distinct on FC coarsen exactly once;
    // a further one coarsens again, although the list did not grow past 1025 by much;
    // 1024 never coarsen.
    const struct {
        int colours, step;
        uint32_t mask;
    } rows[] = {{1025, 4, 0xFCFCFCu}, {1026, 4, 0xF8F8F8u}, {1024, 2, 0xFEFEFEu}};
    for (const auto& r : rows) {
        const int across = 256 / r.step;
        auto line = Picture(r.colours, 1, [&](int x, int) {
            return uint32_t((x / across) * r.step << 8 | (x % across) * r.step);
        });
        EXPECT_EQ(CountPalette(*line->trueColourPlane(), line->reservedColours, nullptr).finalMask,
                  r.mask)
            << r.colours;
    }
}

TEST_F(ReductionTest, MoreThan255ColoursKeepTheMostFrequent) {
    // Colour k (k = 0..299) appears k + 1 times, spread over the columns.
    auto colourOf = [](int k) { return uint32_t((k / 100) * 2 << 16 | ((k % 100) * 2) << 8); };
    std::vector<uint32_t> pixels;
    for (int k = 0; k < 300; ++k)
        for (int n = 0; n <= k; ++n) pixels.push_back(colourOf(k));
    std::shuffle(pixels.begin(), pixels.end(), std::mt19937(7));
    const int w = 150, h = int((pixels.size() + w - 1) / w);
    pixels.resize(size_t(w * h), kTransparentMarker);
    auto frame = Picture(w, h, [&](int x, int y) { return pixels[size_t(y * w + x)]; });
    ASSERT_EQ(BuildPalette(*frame), 255);
    for (int i = 0; i < 255; ++i) {
        EXPECT_EQ(frame->palette[size_t(i)].rgb(), colourOf(299 - i)) << i;
    }
    EXPECT_FALSE(frame->palette[255].used());
    EXPECT_EQ(frame->transparentIndex, 255u);
}

TEST_F(ReductionTest, CountsAddUpWhenTheGridCoarsens) {
    // One row: 520 colours once each, then 255 colours as pairs that differ only in the
    // second-lowest blue bit, each once. The 1025th colour coarsens the grid to FC, which
    // makes each pair one colour of count 2: those 255 are kept, although the 520
    // came first.
    auto colourOf = [](int j) { return uint32_t((j % 64) * 4 << 16 | (j / 64) * 4 << 8); };
    auto frame = Picture(520 + 510, 1, [&](int x, int) {
        return x < 520 ? colourOf(x) : colourOf(520 + (x - 520) / 2) | uint32_t((x - 520) % 2 * 2);
    });
    ASSERT_EQ(BuildPalette(*frame), 255);
    for (int k = 0; k < 255; ++k)
        ASSERT_EQ(frame->palette[size_t(k)].rgb(), colourOf(520 + k)) << k;
}

TEST_F(ReductionTest, FullyTransparentPicture) {
    auto frame =
        Picture(7, 5, [](int x, int y) { return kTransparentMarker | uint32_t(x * 40 + y); });
    frame->transparencyActive = 0;
    ASSERT_TRUE(ReduceFrame(*frame));
    EXPECT_EQ(frame->transparentIndex, 0u);
    EXPECT_EQ(frame->hasTransparency, 1u);
    EXPECT_EQ(frame->transparencyActive.load(), 1u);
    EXPECT_FALSE(frame->palette[0].used());
    auto indexes = frame->indexPlane();
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(indexes->get(x, y), 0);
}

TEST_F(ReductionTest, ReservedColoursComeFirst) {
    auto frame = Picture(10, 10, [](int x, int y) { return uint32_t(x * 20 << 16 | y * 20); });
    frame->reservedColours = {0xFFFFFFFFu, 0x123457u, 0xFFFFFFFFu, 0x00FF01u, 0xFFFFFFFFu};
    ASSERT_EQ(BuildPalette(*frame), 102);
    // Never coarsened: kept exactly, odd bits and all.
    EXPECT_EQ(frame->palette[0].rgb(), 0x123457u);
    EXPECT_EQ(frame->palette[1].rgb(), 0x00FF01u);
    EXPECT_EQ(frame->palette[2].rgb(), 0u);

    // Coarsened: masked by the final grid, and still first although rarer than any
    // counted colour.
    auto many = Picture(64, 64, Lattice);
    many->reservedColours = {0x123457u, 0xFFFFFFFFu, 0xFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    ASSERT_EQ(BuildPalette(*many), 255);
    EXPECT_EQ(many->palette[0].rgb(), 0x123457u & 0xE0E0E0u);
    EXPECT_EQ(many->palette[1].rgb(), 0xE0E0E0u);
    // Four that become one on the coarse grid, plus the pixels of that colour, sum to
    // more than 32 bits can hold; they must still rank first.
    many->reservedColours = {0x404040u, 0x404041u, 0x414040u, 0x404140u, 0xFFFFFFFFu};
    ASSERT_EQ(BuildPalette(*many), 255);
    EXPECT_EQ(many->palette[0].rgb(), 0x404040u);
}

// The abort of a whole reduction is met in ReductionJobsTest; mapping polls the flag
// per pixel and leaves the target alone.
TEST_F(ReductionTest, AnAbortStopsTheMapping) {
    auto frame = Picture(30, 20, [](int x, int y) { return uint32_t(x * 8 << 16 | y * 12 << 8); });
    auto target = IndexBuffer::Create(frame.get(), 30, 20);
    target->fill(9);
    bool active = true;
    std::atomic<uint32_t> stop{1};
    PaletteResult palette =
        CountPalette(*frame->trueColourPlane(), frame->reservedColours, nullptr);
    EXPECT_FALSE(MapToPalette(*frame->trueColourPlane(), palette.palette, palette.colours, *target,
                              active, &stop));
    EXPECT_EQ(target->get(0, 0), 9);
}

TEST_F(ReductionTest, RandomPicturesKeepTheirColoursAndHideTheirTransparentPixels) {
    std::mt19937 rng(20261206);
    for (int round = 0; round < 24; ++round) {
        SCOPED_TRACE(round);
        const int w = 1 + int(rng() % 90), h = 1 + int(rng() % 70);
        // From a handful of colours (ties in counts and in distances) to thousands
        // (coarsening, sorting).
        const int distinct = std::array<int, 6>{2, 7, 200, 300, 1500, 6000}[size_t(round % 6)];
        std::vector<uint32_t> colours(static_cast<size_t>(distinct));
        for (auto& c : colours) c = rng() & (round % 2 ? 0xFFFFFFu : 0xE0E0E0u);
        const bool withTransparency = round % 3 == 0;
        std::set<uint32_t> present;  // under the finest grid
        auto frame = Picture(w, h, [&](int, int) -> uint32_t {
            if (withTransparency && rng() % 7 == 0) return kTransparentMarker | (rng() & 0xFFFFFF);
            const uint32_t c = colours[rng() % colours.size()];
            present.insert(c & 0xFEFEFEu);
            return c;
        });
        ASSERT_TRUE(ReduceFrame(*frame));
        const int count = int(frame->transparentIndex);
        ASSERT_LE(count, 255);
        std::set<uint32_t> listed;
        for (int k = 0; k < count; ++k) listed.insert(frame->palette[size_t(k)].rgb());
        EXPECT_EQ(int(listed.size()), count);  // no colour twice
        // Up to 255 colours are all kept as they are, under the finest grid.
        if (present.size() <= 255) {
            EXPECT_EQ(listed, present);
        }
        // Its own colour where it was kept; else the nearest (NearestColourTest).
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const uint32_t p = frame->trueColourPlane()->get(x, y);
                const int i = frame->indexPlane()->get(x, y);
                ASSERT_EQ(i == count, (p & kTransparentMarker) != 0) << x << "," << y;
                const bool kept = i < count && present.size() <= 255;
                ASSERT_EQ(kept ? frame->palette[size_t(i)].rgb() : 0u, kept ? p & 0xFEFEFEu : 0u)
                    << x << "," << y;
            }
        }
    }
}

}  // namespace

namespace {

TEST(NearestColourTest, MappingAgreesWithOneTreeQueryPerColour) {
    // Palettes on a coarse lattice make equal distances common; a photo's palette packs
    // all its colours close together, so that every one of them is a candidate almost
    // everywhere near it. The mapping must pick what a tree query picks (the same colour
    // among equally near ones) for every colour of a sweep of the cube.
    const struct {
        int colours;
        uint32_t mask;  // applied to random colours
        uint32_t base;  // added to them
    } rounds[] = {
        {255, 0xE0E0E0u, 0},          // lattice
        {7, 0xE0E0E0u, 0},            // lattice
        {255, 0x3F3F3Fu, 0x607080u},  // close together, across box borders
        {255, 0x1F1F1Fu, 0x909090u},  // closer still
    };
    std::mt19937 rng(11);
    for (const auto& round : rounds) {
        Palette palette;
        std::array<ColourPoint, 256> points{};
        std::vector<int> ids;
        for (int i = 0; i < round.colours; ++i) {
            palette[size_t(i)] = PaletteEntry::FromRgb((uint32_t(rng()) & round.mask) + round.base);
            points[size_t(i)] = {palette[size_t(i)].red, palette[size_t(i)].green,
                                 palette[size_t(i)].blue};
            ids.push_back(i);
        }
        const int w = 52 * 52, h = 52;
        auto plane = TrueColourBuffer::Create(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                plane->set(x, y, uint32_t((x % 52) * 5 << 16 | (x / 52) * 5 << 8 | y * 5));
        auto out = IndexBuffer::Create(nullptr, w, h);
        bool active = false;
        ASSERT_TRUE(MapToPalette(*plane, palette, round.colours, *out, active, nullptr));
        ColourTreeContext context;
        Init(context, 3, false);
        context.points = points.data();
        ColourTree tree = Build(ids.data(), round.colours, context);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const uint32_t p = plane->get(x, y);
                const int32_t q[3] = {int32_t(p >> 16), int32_t((p >> 8) & 0xFF),
                                      int32_t(p & 0xFF)};
                ResetQuery(context);
                Search(tree.get(), q, context);
                ASSERT_EQ(out->get(x, y), context.bestIndex) << std::hex << p;
            }
        }
    }
}

// Exactly 256 colours are not sorted: they keep their order of first appearance (by
// column), and the last to appear gives way to the transparent slot even when it is the
// most frequent.
TEST_F(ReductionTest, ExactlyTwoHundredAndFiftySixColoursDropTheLastToAppear) {
    auto colourOf = [](int k) { return uint32_t((k % 128) * 2 << 8 | (k / 128) * 2 << 16); };
    auto frame = Picture(20, 16, [&](int x, int y) { return colourOf(x < 16 ? x * 16 + y : 255); });
    ASSERT_EQ(BuildPalette(*frame), 255);
    for (int k = 0; k < 255; ++k) ASSERT_EQ(frame->palette[size_t(k)].rgb(), colourOf(k)) << k;
    EXPECT_FALSE(frame->palette[255].used());
}

}  // namespace
