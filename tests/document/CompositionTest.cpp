// Composition of frames onto the logical screen and the colour beneath a point.
#include <gtest/gtest.h>

#include <algorithm>

#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "support/TestSupport.h"

using testing_support::AppendToDocument;
using testing_support::MakeFrame;

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

class CompositionTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 2};

    void SetUp() override {
        doc.screenWidth = 4;
        doc.screenHeight = 3;
        doc.globalPalette[0] = PaletteEntry::FromRgb(kBlue);
        doc.globalPalette[1] = PaletteEntry::FromRgb(kWhite);
        doc.backgroundIndex = 1;
    }
    // A frame of one colour (index 0) with index 1 transparent when asked.
    FrameRecord* Add(int left, int top, int w, int h, uint32_t colour, int disposal = 0) {
        FrameRecord* f = MakeFrame(doc, w, h, {colour, 0x123456});
        f->left = left;
        f->top = top;
        f->disposal = disposal;
        f->hasTransparency = 1;
        f->transparentIndex = 1;
        AppendToDocument(doc, f, "t.gif");
        doc.screenWidth = 4;
        doc.screenHeight = 3;
        return f;
    }
};

// The last frame's picture for stacks of frames: each a rectangle of one colour (index
// 0) with some see-through pixels (index 1), and the pixels expected at some points.
TEST_F(CompositionTest, PicturesOfFrameStacks) {
    struct Layer {
        int left, top, w, h;
        uint32_t colour;
        int disposal;
        std::vector<std::pair<int, int>> holes;
    };
    struct Point {
        int x, y;
        uint32_t rgb;
        bool seeThrough = false;  // no frame put an opaque pixel there
    };
    const struct {
        const char* name;
        std::vector<Layer> layers;
        std::vector<Point> points;
        int globalDisposal = 0;
        bool useGlobal = false, transparencyActive = true;
    } cases[] = {
        // clang-format off
        // Disposal 0 and 1 keep what the previous frame left; 2 and 3 restore the background.
        {"disposal 1", {{0, 0, 4, 3, kRed, 1, {}}, {1, 1, 2, 1, kGreen, 0, {}}},
         {{0, 0, kRed}, {3, 2, kRed}, {2, 1, kGreen}}},
        {"disposal 2", {{0, 0, 4, 3, kRed, 2, {}}, {1, 1, 2, 1, kGreen, 0, {}}},
         {{0, 0, kWhite, true}, {3, 2, kWhite, true}, {1, 1, kGreen}, {2, 1, kGreen}}},
        {"disposal 3", {{0, 0, 4, 3, kRed, 3, {}}, {1, 1, 2, 1, kGreen, 0, {}}},
         {{0, 0, kWhite, true}, {3, 2, kWhite, true}, {1, 1, kGreen}}},
        {"the global disposal overrides the frame's",
         {{0, 0, 4, 3, kRed, 1, {}}, {1, 1, 1, 1, kGreen, 0, {}}}, {{0, 0, kWhite, true}}, 2, true},
        // A first frame's see-through pixels: grey under disposal 0 or 1 (nothing
        // beneath), the background under 2 or 3.
        {"first frame, global 0", {{0, 0, 4, 3, kRed, 0, {{2, 1}}}},
         {{2, 1, kGreyBeneath, true}, {1, 1, kRed}}, 0},
        {"first frame, global 1", {{0, 0, 4, 3, kRed, 0, {{2, 1}}}},
         {{2, 1, kGreyBeneath, true}}, 1},
        {"first frame, global 2", {{0, 0, 4, 3, kRed, 0, {{2, 1}}}}, {{2, 1, kWhite, true}}, 2},
        {"first frame, global 3", {{0, 0, 4, 3, kRed, 0, {{2, 1}}}}, {{2, 1, kWhite, true}}, 3},
        // A hole stays see-through until a frame puts an opaque pixel there, also through
        // a smaller frame drawn over the picture before it.
        {"a hole through every frame",
         {{0, 0, 4, 3, kRed, 0, {{1, 1}, {3, 2}}}, {1, 0, 2, 3, kGreen, 0, {{0, 1}}},
          {0, 0, 4, 3, kBlue, 0, {{1, 1}, {3, 2}, {0, 2}}}},
         {{1, 1, kGreyBeneath, true}, {3, 2, kGreyBeneath, true}, {0, 2, kRed}, {2, 2, kBlue}}},
        {"a small frame over a see-through first frame",
         {{0, 0, 4, 3, kRed, 0, {{0, 0}, {1, 1}}}, {1, 1, 2, 1, kGreen, 0, {}}},
         {{0, 0, kGreyBeneath, true}, {1, 1, kGreen}, {3, 2, kRed}}},
        {"a first frame smaller than the screen", {{1, 1, 2, 1, kGreen, 0, {}}},
         {{0, 0, kWhite, true}, {1, 1, kGreen}}},
        {"a hole in a small frame beside a small first frame",
         {{0, 0, 2, 3, kRed, 0, {}}, {2, 0, 1, 3, kGreen, 0, {{0, 1}}}},
         {{2, 1, kGreyBeneath, true}, {3, 0, kWhite, true}, {1, 1, kRed}, {2, 0, kGreen}}},
        {"inactive transparency shows the palette colour", {{0, 0, 4, 3, kRed, 0, {{0, 0}}}},
         {{0, 0, 0x123456}}, 0, false, false},
        // A see-through pixel shows the nearest earlier frame that covers it opaquely.
        {"nearest opaque earlier frame",
         {{0, 0, 4, 3, kRed, 0, {}}, {0, 0, 2, 3, kBlue, 0, {{1, 1}}},
          {0, 0, 4, 3, kGreen, 0, {{1, 1}, {0, 0}, {3, 0}}}},
         {{1, 1, kRed}, {0, 0, kBlue}, {3, 0, kRed}, {2, 2, kGreen}}},
        {"frames reaching past the screen are clipped",
         {{0, 0, 4, 3, kRed, 0, {}}, {3, 2, 5, 5, kGreen, 0, {}}}, {{3, 2, kGreen}, {2, 2, kRed}}},
        {"a late frame composes the earlier ones first",
         {{0, 0, 4, 3, kRed, 0, {}}, {0, 0, 1, 1, kGreen, 0, {}}, {1, 0, 1, 1, kBlue, 0, {}},
          {2, 0, 1, 1, kGreen, 0, {}}, {3, 0, 1, 1, kBlue, 0, {}}, {0, 0, 1, 1, kBlue, 0, {}}},
         {{0, 0, kBlue}, {1, 0, kBlue}, {2, 0, kGreen}, {3, 0, kBlue}, {0, 1, kRed}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        doc.Clear();
        SetUp();
        doc.globalDisposal = c.globalDisposal;
        doc.useGlobalDisposal = c.useGlobal;
        for (const Layer& l : c.layers) {
            FrameRecord* f = Add(l.left, l.top, l.w, l.h, l.colour, l.disposal);
            for (const auto& [x, y] : l.holes) f->indexPlane()->set(x, y, 1);
            f->transparencyActive = c.transparencyActive ? 1 : 0;
        }
        const auto picture = GetComposedBitmap(*doc.lastFrame());
        ASSERT_TRUE(picture);
        for (const Point& p : c.points) {
            EXPECT_EQ(picture->at(p.x, p.y), p.rgb) << p.x << "," << p.y;
            EXPECT_EQ(picture->isSeeThrough(p.x, p.y), p.seeThrough) << p.x << "," << p.y;
        }
        if (c.layers.size() < 6) continue;
        for (FrameRecord* f = doc.firstFrame; f; f = f->next) EXPECT_NE(f->composedBitmap, nullptr);
    }
}

TEST_F(CompositionTest, ColourBeneathSkipsFramesAndStopsAtTheFirst) {
    FrameRecord* first = Add(0, 0, 4, 3, kRed);
    FrameRecord* small = Add(2, 0, 2, 1, kBlue);
    FrameRecord* last = Add(0, 0, 4, 3, kGreen);
    EXPECT_EQ(ColourBeneath(*last, 3, 0), kBlue);
    EXPECT_EQ(ColourBeneath(*last, 0, 0), kRed);  // outside the small frame
    small->indexPlane()->set(1, 0, 1);
    EXPECT_EQ(ColourBeneath(*last, 3, 0), kRed);  // transparent there
    first->indexPlane()->set(3, 0, 1);
    EXPECT_EQ(ColourBeneath(*last, 3, 0), std::nullopt);  // past the first frame
    EXPECT_EQ(ColourBeneath(*first, 0, 0), std::nullopt);
    small->alive = 0;
    EXPECT_EQ(ColourBeneath(*last, 0, 0), std::nullopt);  // a frame on its way out
    small->alive = 1;
}

TEST_F(CompositionTest, FrameAwaitingReductionIsDrawnFromItsTrueColours) {
    Add(0, 0, 4, 3, kRed);
    FrameRecord* f = Add(0, 0, 4, 3, kGreen);
    ASSERT_TRUE(f->CreateTrueColourBuffer());
    f->trueColourPlane()->fill(kBlue);
    f->trueColourPlane()->set(1, 1, kWhite | kTransparentMarker);
    auto picture = GetComposedBitmap(*f);
    EXPECT_EQ(picture->at(0, 0), kBlue);
    EXPECT_EQ(picture->at(1, 1), kRed);  // the marker lets the earlier frame through
    // and the next frame sees true colours (marker dropped) beneath it.
    FrameRecord* next = Add(0, 0, 4, 3, kGreen);
    EXPECT_EQ(ColourBeneath(*next, 1, 1), kWhite);
    EXPECT_EQ(ColourBeneath(*next, 0, 0), kBlue);
}

TEST(LongChain, ComposingTheLastOfTenThousandFramesDoesNotRecurse) {
    RecordingHost host;
    AnimationDocument doc(host, 1);
    doc.globalPalette[0] = PaletteEntry::FromRgb(kWhite);
    for (int i = 0; i < 10000; ++i) {
        FrameRecord* f = MakeFrame(doc, 1, 1, {uint32_t(i)});
        f->left = i % 64;
        f->top = i / 64 % 64;
        AppendToDocument(doc, f, "long.gif");
    }
    doc.screenWidth = doc.screenHeight = 64;
    auto picture = GetComposedBitmap(*doc.lastFrame());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->at(9999 % 64, 9999 / 64 % 64), 9999u);
    EXPECT_EQ(picture->at(0, 0), uint32_t(64 * 64 * 2));  // the last frame at (0,0)
    EXPECT_EQ(ColourBeneath(*doc.lastFrame(), 63, 63), uint32_t(64 * 64 * 2 - 1));
}

TEST(ComposedCache, KeepsPicturesWithinItsBudgetAndRecomputesThem) {
    RecordingHost host;
    AnimationDocument doc(host, 1);
    doc.composedCache.setBudget(3 * 16 * 16 * 4);  // three pictures of 16 x 16
    for (int i = 0; i < 10; ++i) {
        FrameRecord* f = MakeFrame(doc, 4, 4, {uint32_t(0x010101 * (i + 1))});
        f->left = (i * 4) % 16;
        f->top = (i / 4) * 4;
        AppendToDocument(doc, f, "c.gif");
    }
    doc.screenWidth = doc.screenHeight = 16;
    auto last = GetComposedBitmap(*doc.lastFrame());
    ASSERT_TRUE(last);
    const std::vector<uint32_t> expected = last->pixels;
    int held = 0;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) held += f->composedBitmap != nullptr;
    EXPECT_LE(held, 3);
    EXPECT_LE(doc.composedCache.bytesHeld(), 3 * 16 * 16 * 4);
    EXPECT_NE(doc.lastFrame()->composedBitmap, nullptr);  // the one just made stays
    // Dropped pictures give back their bytes (the pixels and the see-through mask: six
    // blocks of the screen are never covered), and come back the same.
    const int64_t before = doc.composedCache.bytesHeld();
    DiscardComposedBitmap(*doc.lastFrame());
    EXPECT_EQ(doc.composedCache.bytesHeld(), before - 16 * 16 * 5);
    EXPECT_EQ(GetComposedBitmap(*doc.lastFrame())->pixels, expected);
    EXPECT_EQ(GetComposedBitmap(*doc.firstFrame)->at(0, 0), 0x010101u);

    // Two opaque 4 x 4 pictures (no see-through mask) fill a budget of exactly their bytes.
    AnimationDocument exact(host, 1);
    exact.composedCache.setBudget(2 * 4 * 4 * 4);
    for (uint32_t colour : {0x112233u, 0x445566u})
        AppendToDocument(exact, MakeFrame(exact, 4, 4, {colour}), "c.gif");
    exact.screenWidth = exact.screenHeight = 4;
    ASSERT_TRUE(GetComposedBitmap(*exact.firstFrame));
    ASSERT_TRUE(GetComposedBitmap(*exact.lastFrame()));
    EXPECT_EQ(exact.composedCache.bytesHeld(), 2 * 4 * 4 * 4);
    EXPECT_NE(exact.firstFrame->composedBitmap, nullptr);
}

}  // namespace

TEST_F(CompositionTest, ScreenBeyondTheBudgetGivesNoPictureAndNoWait) {
    // One pixel at the far corner of the largest screen a GIF can name: its picture would
    // take 17 GB. It is not made, and whoever asks for it does not wait for ever.
    FrameRecord* corner = Add(65534, 65534, 1, 1, kRed);
    doc.screenWidth = 65535;
    doc.screenHeight = 65535;
    EXPECT_FALSE(ComposedPictureFits(65535, 65535));
    EXPECT_EQ(GetComposedBitmap(*corner), nullptr);
    EXPECT_EQ(GetComposedBitmap(*corner), nullptr);
    EXPECT_FALSE(corner->composing);
    EXPECT_TRUE(ComposedPictureFits(640, 480));
}
