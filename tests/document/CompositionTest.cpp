// Composition of frames onto the logical screen and the colour beneath a point.
#include <gtest/gtest.h>

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

TEST_F(CompositionTest, FullScreenFrameIgnoresItsPredecessor) {
    Add(0, 0, 4, 3, kRed);
    FrameRecord* second = Add(0, 0, 4, 3, kGreen);
    // Even with the predecessor unable to compose (no pixels), the full frame stands alone.
    doc.firstFrame->ReplaceIndexPlane(nullptr);
    auto picture = GetComposedBitmap(*second);
    ASSERT_TRUE(picture);
    for (uint32_t p : picture->pixels) EXPECT_EQ(p, kGreen);
    EXPECT_EQ(doc.firstFrame->composedBitmap, nullptr);
}

TEST_F(CompositionTest, PartialFrameUnderEachDisposal) {
    // Disposal 0 and 1 keep what the previous frame left; 2 and 3 restore the background.
    for (int disposal = 0; disposal <= 3; ++disposal) {
        doc.Clear();
        SetUp();
        Add(0, 0, 4, 3, kRed, disposal);
        FrameRecord* second = Add(1, 1, 2, 1, kGreen);
        auto picture = GetComposedBitmap(*second);
        ASSERT_TRUE(picture);
        const uint32_t outside = disposal <= 1 ? kRed : kWhite;
        EXPECT_EQ(picture->at(0, 0), outside) << "disposal " << disposal;
        EXPECT_EQ(picture->at(3, 2), outside) << "disposal " << disposal;
        EXPECT_EQ(picture->at(1, 1), kGreen);
        EXPECT_EQ(picture->at(2, 1), kGreen);
    }
}

TEST_F(CompositionTest, GlobalDisposalOverridesTheFramesOwn) {
    Add(0, 0, 4, 3, kRed, /*disposal=*/1);
    FrameRecord* second = Add(1, 1, 1, 1, kGreen);
    doc.useGlobalDisposal = true;
    doc.globalDisposal = 2;
    auto picture = GetComposedBitmap(*second);
    EXPECT_EQ(picture->at(0, 0), kWhite);
}

TEST_F(CompositionTest, TransparentPixelsOfTheFirstFrame) {
    // Grey under disposal 0 or 1 (nothing beneath), the background under 2 or 3.
    for (int disposal : {0, 1, 2, 3}) {
        doc.Clear();
        SetUp();
        FrameRecord* f = Add(0, 0, 4, 3, kRed);
        f->indexPlane()->set(2, 1, 1);
        doc.globalDisposal = disposal;
        auto picture = GetComposedBitmap(*f);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->at(2, 1), disposal <= 1 ? kGreyBeneath : kWhite) << disposal;
        EXPECT_EQ(picture->at(1, 1), kRed);
    }
}

TEST_F(CompositionTest, TransparencyInactiveShowsThePaletteColour) {
    FrameRecord* f = Add(0, 0, 4, 3, kRed);
    f->indexPlane()->set(0, 0, 1);
    f->transparencyActive = 0;
    EXPECT_EQ(GetComposedBitmap(*f)->at(0, 0), 0x123456u);
}

TEST_F(CompositionTest, TransparentPixelShowsTheNearestOpaqueEarlierFrame) {
    Add(0, 0, 4, 3, kRed);
    FrameRecord* middle = Add(0, 0, 2, 3, kBlue);
    middle->indexPlane()->set(1, 1, 1);  // see-through at (1,1)
    FrameRecord* top = Add(0, 0, 4, 3, kGreen);
    top->indexPlane()->set(1, 1, 1);
    top->indexPlane()->set(0, 0, 1);
    top->indexPlane()->set(3, 0, 1);
    auto picture = GetComposedBitmap(*top);
    EXPECT_EQ(picture->at(1, 1), kRed);   // skips the transparent pixel of the middle frame
    EXPECT_EQ(picture->at(0, 0), kBlue);  // the middle frame covers it
    EXPECT_EQ(picture->at(3, 0), kRed);   // outside the middle frame
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

TEST_F(CompositionTest, ComposingALateFrameComposesTheEarlierOnesFirst) {
    Add(0, 0, 4, 3, kRed);
    for (int i = 0; i < 5; ++i) Add(i % 4, 0, 1, 1, kGreen);
    FrameRecord* last = doc.lastFrame();
    auto picture = GetComposedBitmap(*last);
    ASSERT_TRUE(picture);
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) EXPECT_NE(f->composedBitmap, nullptr);
    EXPECT_EQ(picture->at(0, 0), kGreen);
    EXPECT_EQ(picture->at(0, 1), kRed);
}

TEST_F(CompositionTest, BusyHoldsCompositionsBackAndDiscardDropsThePicture) {
    FrameRecord* f = Add(0, 0, 4, 3, kRed);
    doc.busy = true;
    EXPECT_EQ(GetComposedBitmap(*f), nullptr);
    doc.busy = false;
    ASSERT_TRUE(GetComposedBitmap(*f));
    DiscardComposedBitmap(*f);
    EXPECT_EQ(f->composedBitmap, nullptr);
}

TEST_F(CompositionTest, FramesReachingPastTheScreenAreClipped) {
    Add(0, 0, 4, 3, kRed);
    FrameRecord* f = Add(3, 2, 5, 5, kGreen);
    auto picture = GetComposedBitmap(*f);
    EXPECT_EQ(picture->at(3, 2), kGreen);
    EXPECT_EQ(picture->at(2, 2), kRed);
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

}  // namespace

namespace {

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
    // Dropped pictures come back the same.
    DiscardComposedBitmap(*doc.lastFrame());
    EXPECT_EQ(GetComposedBitmap(*doc.lastFrame())->pixels, expected);
    EXPECT_EQ(GetComposedBitmap(*doc.firstFrame)->at(0, 0), 0x010101u);
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
