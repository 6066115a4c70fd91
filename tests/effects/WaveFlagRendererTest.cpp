// Wave and Flag: the direction the rows leave in, the swinging with half-waves, the
// plain last frame, the flag's shrunk image and its phase, and the amplitude check.
#include <gtest/gtest.h>

#include <optional>

#include "EffectTestSupport.h"
#include "effects/EffectSetup.h"
#include "effects/ParameterForm.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

class WaveFlagTest : public RendererTest {
  protected:
    // index = column + 1; index 0 is the selected colour.
    FrameRecord* Ramp(int w, int h) {
        std::vector<uint32_t> colours;
        for (int c = 0; c <= w; ++c) colours.push_back(uint32_t(c * 0x010203));
        return owner.add(PatternFrame(doc, w, h, colours, [](int x, int) { return x + 1; }));
    }
    FrameRecord* Rows(int w, int h) {
        std::vector<uint32_t> colours;
        for (int c = 0; c <= h; ++c) colours.push_back(uint32_t(c * 0x030201));
        return owner.add(PatternFrame(doc, w, h, colours, [](int, int y) { return y + 1; }));
    }
};

uint8_t At(const FrameRecord& f, int x, int y) {
    return f.indexPlane()->get(x, y);
}

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

TEST_F(WaveFlagTest, WaveOutWithoutHalfWavesMovesEveryRowOutMonotonically) {
    FrameRecord* f1 = Ramp(20, 10);
    for (bool left : {false, true}) {
        ChainOwner out(RenderWave(f1, nullptr, 6, WaveBlock(6, 0, true, left)));
        const auto frames = out.frames();
        ASSERT_EQ(frames.size(), 6u);
        for (int y = 0; y < 10; ++y) {
            int previous = 0;
            for (size_t i = 0; i + 1 < frames.size(); ++i) {
                const auto o = Offset(*frames[i], y);
                if (!o) {
                    previous = left ? -20 : 20;
                    continue;
                }
                EXPECT_GE(left ? -*o : *o, std::abs(previous)) << y << " frame " << i;
                previous = *o;
            }
            EXPECT_FALSE(Offset(*frames.back(), y)) << y;  // f = 1: only the background
        }
        // Up to down: the top row leads.
        const auto top = Offset(*frames[1], 0), bottom = Offset(*frames[1], 9);
        ASSERT_TRUE(bottom);
        EXPECT_TRUE(!top || std::abs(*top) > std::abs(*bottom));
    }
}

TEST_F(WaveFlagTest, WaveWithThreeHalfWavesSwingsBothWaysBeforeLeaving) {
    FrameRecord* f1 = Ramp(40, 10);
    ChainOwner out(RenderWave(f1, nullptr, 30, WaveBlock(30, 3, true, false)));
    const auto frames = out.frames();
    bool negative = false, positive = false;
    for (FrameRecord* f : frames)
        if (const auto o = Offset(*f, 5)) negative |= *o<0, positive |= *o> 0;
    EXPECT_TRUE(negative && positive);
    EXPECT_FALSE(Offset(*frames.back(), 5));
    // Bottom rows lead when up to down is off.
    ChainOwner up(RenderWave(f1, nullptr, 30, WaveBlock(30, 0, false, false)));
    const auto top = Offset(*up.frames()[3], 0), bottom = Offset(*up.frames()[3], 9);
    ASSERT_TRUE(top);
    EXPECT_TRUE(!bottom || std::abs(*bottom) > std::abs(*top));
}

TEST_F(WaveFlagTest, WaveOutWithOneFrameIsPlainBackgroundAndKeepsTransparency) {
    FrameRecord* f1 = Ramp(20, 10);
    ChainOwner one(RenderWave(f1, nullptr, 1, WaveBlock(1, 3, true, true)));
    ASSERT_EQ(one.frames().size(), 1u);
    for (int y = 0; y < 10; ++y) EXPECT_FALSE(Offset(*one.head, y));
    f1->hasTransparency = 1;
    f1->transparentIndex = 5;
    ChainOwner out(RenderWave(f1, nullptr, 4, WaveBlock(4, 0, true, false)));
    for (FrameRecord* f : out.frames())
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x) ASSERT_NE(At(*f, x, y), 5);
}

TEST_F(WaveFlagTest, WaveTransitionInAndOut) {
    auto uniform = [&](uint32_t c) {
        return owner.add(PatternFrame(doc, 20, 10, {0, c}, [](int, int) { return 1; }));
    };
    FrameRecord* a = uniform(0xFF0000);
    FrameRecord* b = uniform(0x0000FF);
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

TEST_F(WaveFlagTest, FlagWithAmplitudeZeroOnlyLosesTheLastRow) {
    FrameRecord* f1 = Rows(16, 12);
    EffectParams p = PreviewBlock(3, 2, 0);
    ChainOwner out(RenderFlag(f1, nullptr, 3, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 3u);
    for (FrameRecord* f : frames)
        for (int x = 0; x < 16; ++x) {
            for (int y = 0; y < 11; ++y) ASSERT_EQ(At(*f, x, y), y + 1);
            ASSERT_EQ(At(*f, x, 11), 0);
        }
    EXPECT_EQ(RenderFlag(f1, f1, 3, p), nullptr);
    EXPECT_FALSE(doc.busy.load());
}

TEST_F(WaveFlagTest, FlagColumnsFloatWithinTwiceTheAmplitude) {
    FrameRecord* f1 = Rows(40, 40);
    EffectParams p = PreviewBlock(4, 1, 10);  // A = 4, shrunk to 32 rows
    ChainOwner out(RenderFlag(f1, nullptr, 4, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    for (FrameRecord* f : frames)
        for (int x = 0; x < 40; ++x) {
            int top = 0;
            while (top < 40 && At(*f, x, top) == 0) ++top;
            EXPECT_LE(top, 8);
            for (int y = top + 31; y < 40; ++y) EXPECT_EQ(At(*f, x, y), 0) << x << "," << y;
        }
    // Column 0: off = trunc((1 - sin(phase)) * 4): 4, 0, 4, 8 for the four phases.
    auto top = [&](int i) {
        int t = 0;
        while (At(*frames[size_t(i)], 0, t) == 0) ++t;
        return t;
    };
    EXPECT_EQ(top(0), 4);
    EXPECT_EQ(top(1), 0);
    EXPECT_EQ(top(2), 3);  // sin(3.1415) is just above 0
    EXPECT_EQ(top(3), 7);  // trunc(1.99999 * 4)
    EXPECT_FALSE(doc.busy.load());
}

TEST_F(WaveFlagTest, FlagFinalRunKeepsThePaletteAndReleasesTheBusyFlag) {
    FrameRecord* f1 = Rows(20, 20);
    EffectParams p = PreviewBlock(3, 2, 10);
    p.preview = 0;
    p.colorIndex = 0;
    ChainOwner out(RenderFlag(f1, nullptr, 3, p));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_FALSE(doc.busy.load());
    for (FrameRecord* f : frames) {
        f->WaitForReduction();
        EXPECT_EQ(f->trueColourPlane(), nullptr);
        EXPECT_EQ(f->palette, frames[0]->palette);
        // The background is the selected colour (black), kept by the shrinking.
        EXPECT_EQ(f->effectivePalette()[At(*f, 0, 19)].rgb(), 0x000000u);
    }
}

TEST_F(WaveFlagTest, FlagNegativeAmplitudeIsRefusedAndHarmless) {
    FrameRecord* f1 = Rows(20, 10);
    ChainOwner out(RenderFlag(f1, nullptr, 2, PreviewBlock(2, 2, -40)));
    ASSERT_EQ(out.frames().size(), 2u);
    ParameterForm form{host};
    form.imageWidth = 40;
    form.imageHeight = 30;
    SetupFlag(form, kSetupConfigure);
    form.edits[1].text = "-1";
    EXPECT_EQ(SetupFlag(form, kSetupValidate), 0);
    EXPECT_EQ(host.messages().back().text, "Amplitude must be smaller than 50%");
}

}  // namespace
