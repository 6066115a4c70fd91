// Spiral and Rotor: the walk of the spiral, grids of one cell, the rotor's fronts and
// turned rows, and frame counts that used to stop the front or divide by zero.
#include <gtest/gtest.h>

#include <tuple>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class SpiralRotorTest : public RendererTest {
  protected:
    // index = column + 1, so that a turned row shows where its pixels came from.
    FrameRecord* Ramp(int w, int h) {
        std::vector<uint32_t> colours;
        for (int c = 0; c <= w; ++c) colours.push_back(uint32_t(c * 0x010203));
        return owner.add(PatternFrame(doc, w, h, colours, [](int x, int) { return x + 1; }));
    }
};

uint8_t At(const FrameRecord& f, int x, int y) {
    return f.indexPlane()->get(x, y);
}

TEST_F(SpiralRotorTest, SpiralPaintsANineCellGridInSpiralOrder) {
    FrameRecord* f1 = Uniform(90, 90);
    ChainOwner out(RenderSpiral(f1, nullptr, 9, PreviewBlock(9)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 9u);
    const int order[9][2] = {{1, 1}, {2, 1}, {2, 2}, {1, 2}, {0, 2},
                             {0, 1}, {0, 0}, {1, 0}, {2, 0}};
    for (int k = 0; k < 9; ++k) {
        for (int c = 0; c < 9; ++c) {
            const int x = order[c][0] * 30 + 15, y = order[c][1] * 30 + 15;
            EXPECT_EQ(At(*frames[size_t(k)], x, y), c <= k ? 0 : 1)
                << "frame " << k << " cell " << c;
        }
    }
    EXPECT_EQ(Pixels(*frames[0]).size(), 0u);  // index work: no working buffer
}

TEST_F(SpiralRotorTest, SpiralTransitionEndsOnImageTwo) {
    FrameRecord* a = Uniform(90, 90, 0xFF0000);
    FrameRecord* b = Uniform(90, 90, 0x0000FF);
    ChainOwner out(RenderSpiralTransition(a, b, 9, PreviewBlock(9)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 9u);
    for (uint32_t px : Pixels(*frames[8])) ASSERT_EQ(px, 0x0000FFu);
    const auto first = Pixels(*frames[0]);
    EXPECT_EQ(first[45 * 90 + 45], 0x0000FFu);
    EXPECT_EQ(first[0], 0xFF0000u);
    EXPECT_EQ(RenderSpiralTransition(a, nullptr, 9, PreviewBlock(9)), nullptr);
    EXPECT_EQ(RenderSpiral(a, b, 9, PreviewBlock(9)), nullptr);
}

TEST_F(SpiralRotorTest, SpiralOnTinyImagesAndMoreFramesThanCells) {
    // One pixel wide with 5 frames, two rows with 100 frames: cells of width 0 before.
    for (auto [w, h, n] : {std::tuple{1, 10, 5}, std::tuple{100, 2, 100}, std::tuple{1, 1, 7},
                           std::tuple{40, 40, 5}}) {
        FrameRecord* f1 = Uniform(w, h);
        ChainOwner out(RenderSpiral(f1, nullptr, n, PreviewBlock(n)));
        ASSERT_EQ(out.frames().size(), size_t(n)) << w << "x" << h;
        // The walk leaves the grid at some point; later frames repeat the last.
        const FrameRecord* last = out.frames().back();
        const FrameRecord* before = out.frames()[size_t(n) - 2];
        {
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) EXPECT_EQ(At(*last, x, y), At(*before, x, y));
        }
    }
}

TEST_F(SpiralRotorTest, SpiralPingPongMirrors) {
    FrameRecord* f1 = Uniform(90, 90);
    EffectParams p = PreviewBlock(5);
    p.pingPong = 1;
    ChainOwner out(RenderSpiral(f1, nullptr, 5, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 5u);
    for (int y = 0; y < 90; y += 7)
        for (int x = 0; x < 90; x += 7) {
            EXPECT_EQ(At(*frames[3], x, y), At(*frames[1], x, y));
            EXPECT_EQ(At(*frames[4], x, y), At(*frames[0], x, y));
        }
}

TEST_F(SpiralRotorTest, RotorEffectComputesOneFramePerFront) {
    FrameRecord* f1 = Ramp(10, 100);
    ChainOwner out(RenderRotor(f1, nullptr, 10, PreviewBlock(10)));
    const auto frames = out.frames();
    // step 280 / 11 = 25: fronts 25, 50, ..., 275.
    ASSERT_EQ(frames.size(), 11u);
    // Front 25: rows from 25 down are untouched; row 0 is turned by 25 degrees.
    for (int x = 0; x < 10; ++x) EXPECT_EQ(At(*frames[0], x, 50), x + 1);
    // Front 275: row 0 is turned by 180 degrees, an exact mirror.
    for (int x = 0; x < 10; ++x) EXPECT_EQ(At(*frames[10], x, 0), 10 - x) << x;
    // Row 95 at front 275 turns by exactly 180 as well.
    for (int x = 0; x < 10; ++x) EXPECT_EQ(At(*frames[10], x, 95), 10 - x) << x;
}

TEST_F(SpiralRotorTest, RotorAtNinetyDegreesShowsTheBackgroundOffTheAxis) {
    FrameRecord* f1 = Ramp(10, 100);
    ChainOwner out(RenderRotor(f1, nullptr, 10, PreviewBlock(10)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 11u);
    // Front 100 (frame 3): row 10 is turned by 90 degrees, seen edge on.
    for (int x = 0; x < 10; ++x) {
        if (x == 5)
            EXPECT_EQ(At(*frames[3], x, 10), 6);
        else
            EXPECT_EQ(At(*frames[3], x, 10), 0) << x;
    }
}

TEST_F(SpiralRotorTest, RotorWithMoreFramesThanFrontsEnds) {
    FrameRecord* f1 = Ramp(4, 1);
    // 181 fronts; 500 frames gave a step of 0 before.
    ChainOwner out(RenderRotor(f1, nullptr, 500, PreviewBlock(500)));
    EXPECT_EQ(out.frames().size(), 181u);
    FrameRecord* a = Uniform(4, 1, 0xFF0000);
    FrameRecord* b = Uniform(4, 1, 0x00FF00);
    EffectParams p = PreviewBlock(400);
    p.pingPong = 1;
    ChainOwner t(RenderRotorTransition(a, b, 400, p));
    ASSERT_NE(t.head, nullptr);
    EXPECT_GE(t.frames().size(), 181u);
}

TEST_F(SpiralRotorTest, RotorTransitionTurnsIntoImageTwoTheRightWayRound) {
    FrameRecord* a = Ramp(10, 20);
    std::vector<uint32_t> colours;
    for (int c = 0; c <= 10; ++c) colours.push_back(uint32_t(0x100000 * c + 0x11));
    FrameRecord* b =
        owner.add(PatternFrame(doc, 10, 20, colours, [](int x, int) { return x + 1; }));
    ChainOwner out(RenderRotorTransition(a, b, 4, PreviewBlock(4)));
    const auto frames = out.frames();
    // step = trunc(200 / 5 + 0.5) = 40: fronts 40 .. 200, five frames.
    ASSERT_EQ(frames.size(), 5u);
    const auto last = Pixels(*frames.back());
    for (int x = 0; x < 10; ++x) EXPECT_EQ(last[size_t(x)], colours[size_t(x) + 1]) << x;
    // Frame 0, row 0 turned by 40 degrees: frame 1's pixels, background at the sides.
    const auto first = Pixels(*frames[0]);
    EXPECT_EQ(first[5], Pixels(*a)[5]);
    EXPECT_EQ(first[10 * 10 + 3],
              Pixels(*a)[10 * 10 + 3]);  // row 10 at 30 degrees: 5 - trunc(2/cos)=3
}

TEST_F(SpiralRotorTest, RotorTransitionReducesEveryFrameInTheFinalRun) {
    FrameRecord* a = Uniform(8, 10, 0xFF0000);
    FrameRecord* b = Uniform(8, 10, 0x00FF00);
    EffectParams p = PreviewBlock(4);
    p.preview = 0;
    ChainOwner out(RenderRotorTransition(a, b, 4, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 5u);  // one more than N: the frame beyond N is reduced too
    for (FrameRecord* f : frames) {
        f->WaitForReduction();
        EXPECT_TRUE(f->IsPaletteValid());
    }
    const DocumentNotifier::Snapshot s = doc.notifier.snapshot();
    EXPECT_EQ(s.calculation.total, 0);
    EXPECT_EQ(s.reduction.total, 0);
}

}  // namespace
