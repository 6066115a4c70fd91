// Wave and Flag: how far each row has swung in a frame, the direction the rows leave
// in, and the flag's shrunk image floating up and down.
#include <gtest/gtest.h>

#include <optional>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class WaveFlagTest : public RendererTest {
  protected:
    // index = column + 1 (or row + 1); index 0 is the selected colour.
    FrameRecord* Ramp(int w, int h, bool byRow = false) {
        std::vector<uint32_t> colours;
        for (int c = 0; c <= std::max(w, h); ++c) colours.push_back(uint32_t(c * 0x010203));
        return owner.add(PatternFrame(doc, w, h, colours,
                                      [byRow](int x, int y) { return (byRow ? y : x) + 1; }));
    }
};

// The shift of a ramp row, none when the row shows only the background.
std::optional<int> Offset(const FrameRecord& f, int y) {
    for (int x = 0; x < f.width; ++x)
        if (At(f, x, y) != 0) return x - (At(f, x, y) - 1);
    return std::nullopt;
}

EffectParams WaveBlock(int n, int halfWaves, bool upToDown, bool leftSide) {
    EffectParams p = PreviewBlock(n, halfWaves);
    p.option[0] = upToDown;
    p.option[1] = leftSide;
    return p;
}

// 20 x 10, six frames, frame 2: the front has passed half the turn plus half the rows.
// Row y is at phase q = 3 pi / 4 - pi (y + 1) / 10 of the final angle A (clamped to 0..A),
// and shifted by sin(q) * 20 * q / A. No half-wave: A = pi / 2, out to the right; one
// half-wave: A = 3 pi / 2, swinging left before it leaves to the right.
TEST_F(WaveFlagTest, WaveShiftsEveryRowBySineTimesGrowingAmplitude) {
    FrameRecord* f1 = Ramp(20, 10);
    const struct {
        int halfWaves, y;
        std::optional<int> offset;
    } cases[] = {
        {0, 0, std::nullopt}, {0, 3, 12}, {0, 4, 7}, {0, 5, 3}, {0, 9, 0}, {1, 0, 7},
        {1, 4, -7},           {1, 9, -2},
    };
    for (const auto& c : cases) {
        ChainOwner out(RenderWave(f1, nullptr, 6, WaveBlock(6, c.halfWaves, true, false)));
        ASSERT_EQ(out.frames().size(), 6u);
        EXPECT_EQ(Offset(*out.frames()[2], c.y), c.offset) << c.halfWaves << ", row " << c.y;
        EXPECT_FALSE(Offset(*out.frames()[5], c.y));  // f = 1: only the background
    }
    // Left side: the same swing mirrored. Bottom first: row 7 at (10 - 7) / 11 of the turn.
    ChainOwner left(RenderWave(f1, nullptr, 6, WaveBlock(6, 0, true, true)));
    EXPECT_EQ(Offset(*left.frames()[2], 3), -12);
    ChainOwner up(RenderWave(f1, nullptr, 6, WaveBlock(6, 0, false, false)));
    EXPECT_EQ(Offset(*up.frames()[2], 7), 19);
}

TEST_F(WaveFlagTest, WaveTransitionInAndOut) {
    FrameRecord* a = Uniform(20, 10, 0xFF0000);
    FrameRecord* b = Uniform(20, 10, 0x0000FF);
    EffectParams p = WaveBlock(3, 0, true, false);
    p.option[2] = 1;
    ChainOwner out(RenderWave(a, b, 3, p));
    ASSERT_EQ(out.frames().size(), 3u);
    // Image 1 moves right: image 2 shows at the left first.
    EXPECT_EQ(Pixels(*out.frames()[1])[0], 0x0000FFu);
    EXPECT_EQ(Pixels(*out.frames()[0])[19], 0xFF0000u);
    p.option[2] = 0;
    ChainOwner in(RenderWave(a, b, 3, p));
    ASSERT_EQ(in.frames().size(), 3u);
    // Image 2 comes in from the right, settling in the last frames.
    EXPECT_EQ(Pixels(*in.frames()[0])[0], 0xFF0000u);
    EXPECT_EQ(Pixels(*in.frames()[2])[9 * 20 + 0], 0xFF0000u);
}

TEST_F(WaveFlagTest, FlagColumnsFloatWithinTwiceTheAmplitude) {
    FrameRecord* f1 = Ramp(40, 40, true);
    ChainOwner out(RenderFlag(f1, nullptr, 4, PreviewBlock(4, 1, 10)));  // A = 4, 32 rows
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    auto top = [&](int i, int x) {
        int t = 0;
        while (t < 40 && At(*frames[size_t(i)], x, t) == 0) ++t;
        return t;
    };
    for (int i = 0; i < 4; ++i)
        for (int x = 0; x < 40; ++x) {
            EXPECT_LE(top(i, x), 8);
            for (int y = top(i, x) + 31; y < 40; ++y) EXPECT_EQ(At(*frames[size_t(i)], x, y), 0);
        }
    // Column 0: off = trunc((1 - sin(phase)) * 4): 4, 0, 4, 8 for the four phases.
    EXPECT_EQ(top(0, 0), 4);
    EXPECT_EQ(top(1, 0), 0);
    EXPECT_EQ(top(2, 0), 3);  // sin(3.1415) is just above 0
    EXPECT_EQ(top(3, 0), 7);  // trunc(1.99999 * 4)
    EXPECT_FALSE(doc.busy.load());
}

}  // namespace
