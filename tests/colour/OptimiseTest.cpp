// Optimisation for file size: cropping to the changes, the shared global palette,
// unchanged pixels made transparent, the quality mask, and the pictures staying the same.
#include <gtest/gtest.h>

#include "colour/Optimise.h"
#include "colour/OptimiseTestSupport.h"
#include "document/Composition.h"

using namespace optimise_test;

namespace {

constexpr uint32_t kDesk = 0x3060A0, kInk = 0xE0E0E0;

class OptimiseTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 2};

    Picture Flat(int w, int h, uint32_t colour) { return Picture(size_t(w) * size_t(h), colour); }
    static void Paint(Picture& p, int w, int x0, int y0, int x1, int y1, uint32_t colour) {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) p[size_t(y * w + x)] = colour;
        }
    }
    // Colour k of a set that no tolerance or mask of level 1 merges.
    static uint32_t Distinct(int k) {
        return uint32_t((k % 32) * 8) << 16 | uint32_t((k / 32) * 8 + 4) << 8 | 100u;
    }
    int Run() {
        RecordingProgress progress;
        return Optimise(doc, progress);
    }
};

std::vector<int> Rect(const FrameRecord* f) {
    return {f->left, f->top, f->width, f->height};
}

TEST_F(OptimiseTest, QualityLevelsAndMasks) {
    const uint32_t masks[] = {0xFCFCFC, 0xF8F8F8, 0xF0F0F0, 0xE0E0E0, 0xC0C0C0};
    const char* names[] = {"Highest Quality", "High Quality", "Medium", "Small Size",
                           "Smallest Size"};
    for (int level = 1; level <= 5; ++level) {
        EXPECT_EQ(QualityMask(level), masks[level - 1]);
        EXPECT_EQ(QualityLevel(masks[level - 1]), level);
        EXPECT_STREQ(QualityName(level), names[level - 1]);
    }
    EXPECT_EQ(QualityMask(0), 0xF0F0F0u);
    EXPECT_EQ(QualityMask(6), 0xF0F0F0u);
    EXPECT_EQ(QualityLevel(0xFFFFFF), 3);
    EXPECT_EQ(doc.settings.gifCompression.load(), 0xF0F0F0u);  // the default is "Medium"
}

TEST_F(OptimiseTest, IdenticalFramesKeepTheirSizeAndPosition) {
    Picture p = Flat(40, 30, kDesk);
    Paint(p, 40, 5, 5, 20, 12, kInk);
    for (int i = 0; i < 3; ++i) AddPicture(doc, p, 40, 30);
    const auto before = ComposeAll(doc);
    ASSERT_EQ(Run(), 0);
    for (FrameRecord* f = doc.firstFrame; f; f = f->next)
        EXPECT_EQ(Rect(f), std::vector<int>({0, 0, 40, 30}));
    EXPECT_EQ(ComposeAll(doc), before);
    // Both repeats became wholly transparent and so kept a local palette.
    for (FrameRecord* f = doc.firstFrame->next; f; f = f->next) {
        EXPECT_EQ(f->hasLocalPalette, 1);
        EXPECT_EQ(f->hasTransparency, 1u);
        EXPECT_EQ(f->indexPlane()->get(10, 8), f->transparentIndex);
    }
}

TEST_F(OptimiseTest, CropToChangesFindsTheChangedRectangleAndDropsIsolatedPixels) {
    const int w = 100, h = 60;  // width / 20 = 5 differing pixels per row or column allowed
    Picture first = Flat(w, h, kDesk);
    Picture second = first;
    Paint(second, w, 30, 20, 45, 28, kInk);  // a block: rows 20-27, columns 30-44
    // Isolated pixels: each alone in its row and column, 3 or more apart.
    const std::pair<int, int> isolated[] = {{2, 2}, {90, 5}, {60, 50}, {10, 40}};
    for (auto [x, y] : isolated) second[size_t(y * w + x)] = 0xFF00FF;
    AddPicture(doc, first, w, h);
    FrameRecord* f = AddPicture(doc, second, w, h);
    ASSERT_TRUE(CropToChanges(*f));
    EXPECT_EQ(Rect(f), std::vector<int>({30, 20, 15, 8}));
    EXPECT_EQ(f->indexPlane()->width, 15);
    // Exactly the isolated pixels are lost from the picture.
    const auto after = GetComposedBitmap(*f);
    ASSERT_TRUE(after);
    EXPECT_EQ(Mismatches(after->pixels, second, 0xFFFFFF), 4);
    for (auto [x, y] : isolated) EXPECT_EQ(after->at(x, y), kDesk);
    // Nothing left to crop: the second call changes nothing.
    EXPECT_FALSE(CropToChanges(*f));

    // At the highest quality the isolated pixels stay.
    doc.settings.gifCompression = QualityMask(1);
    FrameRecord* g = AddPicture(doc, first, w, h);
    FrameRecord* h2 = AddPicture(doc, second, w, h);
    ASSERT_TRUE(CropToChanges(*h2));
    EXPECT_EQ(Rect(h2), std::vector<int>({2, 2, 89, 49}));
    EXPECT_EQ(Mismatches(GetComposedBitmap(*h2)->pixels, second, 0xFFFFFF), 0);
    EXPECT_EQ(Rect(g), std::vector<int>({0, 0, w, h}));
}

TEST_F(OptimiseTest, PixelsCloserThanThreeOrTooManyInARowCountAsChanges) {
    const int w = 100, h = 40;
    Picture first = Flat(w, h, kDesk);
    Picture second = first;
    second[size_t(10 * w + 20)] = kInk;  // two pixels 2 apart in row 10
    second[size_t(10 * w + 22)] = kInk;
    for (int k = 0; k < 6; ++k) second[size_t(30 * w + 40 + k * 9)] = kInk;  // 6 > 100 / 20
    AddPicture(doc, first, w, h);
    FrameRecord* f = AddPicture(doc, second, w, h);
    ASSERT_TRUE(CropToChanges(*f));
    // Rows 10 and 30 change; no column does (each holds one pixel), so the width covers
    // every differing pixel of those rows rather than none.
    EXPECT_EQ(Rect(f), std::vector<int>({20, 10, 40 + 5 * 9 - 20 + 1, 21}));
    EXPECT_EQ(Mismatches(GetComposedBitmap(*f)->pixels, second, 0xFFFFFF), 0);
}

TEST_F(OptimiseTest, TheQualityMaskDecidesWhichColoursAreEqual) {
    const int w = 40, h = 30;
    Picture first = Flat(w, h, 0x406080);
    Picture second = first;
    Paint(second, w, 10, 10, 20, 20, 0x7F5FBF);  // equal to 0x406080 in the top 2 bits only
    AddPicture(doc, first, w, h);
    FrameRecord* f = AddPicture(doc, second, w, h);
    doc.settings.gifCompression = 0xC0C0C0;
    EXPECT_FALSE(CropToChanges(*f));
    EXPECT_EQ(f->width, w);
    doc.settings.gifCompression = 0xE0E0E0;
    ASSERT_TRUE(CropToChanges(*f));
    EXPECT_EQ(f->left, 10);
    EXPECT_EQ(f->width, 10);

    // Through the whole run with the coarsest mask, the second frame repeats the first.
    RecordingHost host2;
    AnimationDocument doc2{host2, 2};
    AddPicture(doc2, first, w, h);
    FrameRecord* g = AddPicture(doc2, second, w, h);
    doc2.settings.gifCompression = 0xC0C0C0;
    RecordingProgress progress;
    ASSERT_EQ(Optimise(doc2, progress), 0);
    EXPECT_EQ(g->hasLocalPalette, 1);  // all of it transparent
    EXPECT_EQ(g->indexPlane()->get(15, 15), g->transparentIndex);
    const auto shown = ComposeAll(doc2);
    EXPECT_EQ(Mismatches(shown[1], second, 0xC0C0C0), 0);
    EXPECT_GT(Mismatches(shown[1], second, 0xFFFFFF), 0);
}

TEST_F(OptimiseTest, The257thColourKeepsOnlyThatFrameOnItsLocalPalette) {
    doc.settings.gifCompression = 0xFCFCFC;
    const int w = 16, h = 16;
    std::vector<Picture> pictures(4, Picture(size_t(w * h)));
    for (int p = 0; p < w * h; ++p) {
        pictures[0][size_t(p)] = Distinct(p % 200);         // 200 colours
        pictures[1][size_t(p)] = Distinct(200 + p % 55);    // 55 more: the palette is full
        pictures[2][size_t(p)] = Distinct((p + 7) % 200);   // old colours ...
        pictures[3][size_t(p)] = Distinct((p + 13) % 200);  // old colours only
    }
    pictures[2][0] = Distinct(255);  // ... and one that no longer fits
    for (const Picture& p : pictures) AddPicture(doc, p, w, h);
    const auto before = ComposeAll(doc);
    ASSERT_EQ(Run(), 0);
    EXPECT_TRUE(doc.hasGlobalPalette);
    std::vector<int> local;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) local.push_back(f->hasLocalPalette);
    EXPECT_EQ(local, std::vector<int>({0, 0, 1, 0}));
    // The background colour, 200 and 55 colours: every global entry is used.
    int used = 0;
    for (const PaletteEntry& e : doc.globalPalette) used += e.used() ? 1 : 0;
    EXPECT_EQ(used, 256);
    EXPECT_EQ(ComposeAll(doc), before);
}

TEST_F(OptimiseTest, AFrameMoreThanAThirdUnchangedKeepsItsPaletteWithThosePixelsTransparent) {
    const int w = 30, h = 30;
    Picture first = Flat(w, h, kDesk);
    Paint(first, w, 0, 0, 30, 5, 0x101010);
    Picture second = first;
    // Every other pixel changes: too dense to crop, half of it unchanged.
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if ((x + y) % 2 == 0) second[size_t(y * w + x)] = (x % 4) ? kInk : 0x802020;
        }
    }
    AddPicture(doc, first, w, h);
    FrameRecord* f = AddPicture(doc, second, w, h);
    const auto before = ComposeAll(doc);
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(f->hasLocalPalette, 1);
    EXPECT_EQ(doc.firstFrame->hasLocalPalette, 0);
    ASSERT_EQ(f->hasTransparency, 1u);
    EXPECT_EQ(f->transparencyActive.load(), 1u);
    EXPECT_EQ(f->width, w);
    int transparent = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool isTransparent = f->indexPlane()->get(x, y) == f->transparentIndex;
            EXPECT_EQ(isTransparent, (x + y) % 2 == 1) << x << "," << y;
            transparent += isTransparent;
        }
    }
    EXPECT_EQ(transparent, w * h / 2);
    EXPECT_EQ(ComposeAll(doc), before);
}

TEST_F(OptimiseTest, MakeUnchangedTransparentCountsAndMarksThePixelsThatRepeatTheScreen) {
    const int w = 12, h = 9;
    Picture first = Flat(w, h, kDesk);
    Picture second = first;
    Paint(second, w, 0, 0, 4, 9, kInk);  // 36 changed, 72 unchanged
    AddPicture(doc, first, w, h);
    FrameRecord* f = AddPicture(doc, second, w, h);
    auto target = IndexBuffer::Create(f, w, h);
    target->fill(77);
    EXPECT_EQ(MakeUnchangedTransparent(*f, *target), 0);  // no transparent slot yet
    EXPECT_EQ(target->get(0, 0), 77);
    f->hasTransparency = 1;
    f->transparentIndex = 9;
    EXPECT_EQ(MakeUnchangedTransparent(*f, *target), 72);
    EXPECT_EQ(target->get(8, 4), 9);
    EXPECT_EQ(target->get(1, 4), f->indexPlane()->get(1, 4));
    // A predecessor that restores the background: nothing is made transparent.
    doc.firstFrame->disposal = 2;
    target->fill(77);
    EXPECT_EQ(MakeUnchangedTransparent(*f, *target), 0);
    EXPECT_EQ(target->get(8, 4), 77);
}

// The transparency of a frame that moves onto the global palette: its transparent
// pixels must stay transparent, and no opaque colour may take the transparent index.
TEST_F(OptimiseTest, AFrameMovedOntoTheGlobalPaletteLooksTheSame) {
    doc.settings.gifCompression = 0xFCFCFC;
    const int w = 10, h = 10;
    Picture first(size_t(w * h));
    for (int p = 0; p < w * h; ++p) first[size_t(p)] = Distinct(p % 10);
    AddPicture(doc, first, w, h);
    // Second frame: colours 20..23 with index 2 transparent on 12 scattered pixels.
    FrameRecord* f = testing_support::MakeFrame(
        doc, w, h, {Distinct(20), Distinct(21), 0x000000, Distinct(22), Distinct(23)});
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int i = (x * 3 + y) % 5 == 2 ? ((x + y) % 4 == 0 ? 2 : 1) : (x * 3 + y) % 5;
            f->indexPlane()->set(x, y, uint8_t(i));
        }
    }
    f->hasTransparency = 1;
    f->transparentIndex = 2;
    testing_support::AppendToDocument(doc, f, "t.gif");
    const auto before = ComposeAll(doc);

    RecordingProgress progress;
    ASSERT_TRUE(OptimisePalette(doc, 2, progress));
    ASSERT_EQ(f->hasLocalPalette, 0);
    ASSERT_EQ(f->hasTransparency, 1u);
    // 12 pixels (x * 3 + y = 2 mod 5 and x + y = 0 mod 4) stay transparent, no other.
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t i = f->indexPlane()->get(x, y);
            EXPECT_EQ(i == f->transparentIndex, (x * 3 + y) % 5 == 2 && (x + y) % 4 == 0);
            EXPECT_TRUE(i == f->transparentIndex || doc.globalPalette[i].used());
        }
    }
    // The old index 2 is a used global colour now; the frame's transparency moved.
    EXPECT_TRUE(doc.globalPalette[2].used());
    EXPECT_NE(f->transparentIndex, 2u);
    EXPECT_EQ(ComposeAll(doc), before);
}

TEST_F(OptimiseTest, ColoursJoinAGlobalEntryOnlyWithinToleranceAndUnderTheMask) {
    doc.settings.gifCompression = 0xF0F0F0;
    const int w = 8, h = 8;
    // 0x404040 and 0x444444 are within 5 and equal under the mask: one entry.
    // 0x3E3E3E is within 5 of 0x404040 but not equal under it: an entry of its own.
    Picture a(size_t(w * h), 0x404040), b(size_t(w * h), 0x444444), c(size_t(w * h), 0x3E3E3E);
    AddPicture(doc, a, w, h);
    for (const Picture* p : {&b, &c}) {
        FrameRecord* f = AddPicture(doc, *p, w, h);
        f->hasTransparency = 1;  // the slot the preparation of a full run gives
        f->transparentIndex = 255;
    }
    RecordingProgress progress;
    ASSERT_TRUE(OptimisePalette(doc, 3, progress));
    FrameRecord* f1 = doc.firstFrame;
    FrameRecord* f2 = f1->next;
    // b equals what lies beneath under the mask: all transparent, local palette.
    EXPECT_EQ(f2->hasLocalPalette, 1);
    FrameRecord* f3 = f2->next;
    ASSERT_EQ(f3->hasLocalPalette, 0);
    EXPECT_NE(f3->indexPlane()->get(0, 0), f1->indexPlane()->get(0, 0));
    EXPECT_EQ(doc.globalPalette[f3->indexPlane()->get(0, 0)].rgb(), 0x3E3E3Eu);
}

TEST_F(OptimiseTest, TheBackgroundColourSurvivesTheNewGlobalPalette) {
    doc.hasGlobalPalette = true;
    doc.globalPalette[5] = PaletteEntry::FromRgb(0x123456);
    doc.backgroundIndex = 5;
    const int w = 20, h = 20;
    // A first frame that leaves part of the screen to the background.
    Picture small(size_t(10 * 10), kInk);
    AddPicture(doc, small, 10, 10);
    doc.screenWidth = w;
    doc.screenHeight = h;
    Picture second(size_t(w * h), kDesk);
    AddPicture(doc, second, w, h)->disposal = 2;
    Picture third(size_t(5 * 5), 0x00FF00);
    AddPicture(doc, third, 5, 5, 3, 3);
    doc.screenWidth = w;
    doc.screenHeight = h;
    const auto before = ComposeAll(doc);
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(doc.backgroundColour(), 0x123456u);
    EXPECT_EQ(ComposeAll(doc), before);
}

TEST_F(OptimiseTest, ProgressRunsThroughTheThreePhases) {
    Picture p = Flat(20, 20, kDesk);
    for (int i = 0; i < 4; ++i) {
        Paint(p, 20, i * 4, 0, i * 4 + 3, 20, kInk);
        AddPicture(doc, p, 20, 20);
    }
    RecordingProgress progress;
    ASSERT_EQ(Optimise(doc, progress), 0);
    EXPECT_EQ(progress.labels,
              (std::vector<std::string>{"Optimizing Rects", "Optimizing Palette", "Final Run"}));
    // Three phases of four frames each report 25, 50, 75, 100.
    std::vector<int> expected{0};
    for (int phase = 0; phase < 3; ++phase) expected.insert(expected.end(), {25, 50, 75, 100});
    EXPECT_EQ(progress.positions, expected);
    EXPECT_EQ(progress.polls, 12);
    EXPECT_TRUE(progress.closed);
}

TEST_F(OptimiseTest, AbortStopsAfterTheFrameInProgress) {
    Picture p = Flat(20, 20, kDesk);
    for (int i = 0; i < 4; ++i) {
        Paint(p, 20, i * 4, 5, i * 4 + 3, 10, kInk);
        AddPicture(doc, p, 20, 20);
    }
    const auto before = ComposeAll(doc);
    RecordingProgress progress;
    progress.abortAfterPolls = 2;
    EXPECT_EQ(Optimise(doc, progress), -1);
    EXPECT_EQ(progress.polls, 2);
    EXPECT_TRUE(progress.closed);
    // The second frame was cropped, the later ones were not touched, no global palette.
    FrameRecord* second = doc.firstFrame->next;
    EXPECT_LT(second->width, 20);
    EXPECT_EQ(second->next->width, 20);
    EXPECT_FALSE(doc.hasGlobalPalette);
    EXPECT_EQ(ComposeAll(doc), before);
}

TEST_F(OptimiseTest, AFrameUsingEveryIndexTakesARepeatedColourAsItsSlotOrStaysOpaque) {
    const int w = 16, h = 16;
    Picture first(size_t(w * h)), second(size_t(w * h)), fourth(size_t(w * h));
    std::vector<int> moving;  // every pixel but 7 takes the colour of the next one
    for (int p = 0; p < w * h; ++p) {
        first[size_t(p)] = Distinct(p);
        second[size_t(p)] = Distinct((p + 1) % 256);
        if (p != 7) moving.push_back(p);
    }
    for (size_t k = 0; k < moving.size(); ++k)
        fourth[size_t(moving[k])] = Distinct(moving[(k + 1) % moving.size()]);
    fourth[7] = Distinct(7);  // stays where it was in the third frame
    AddPicture(doc, first, w, h);
    FrameRecord* f = AddPicture(doc, second, w, h);
    FrameRecord* three = AddPicture(doc, first, w, h);
    three->indexPlane()->set(1, 0, 0);  // leaves index 1 free
    FrameRecord* four = AddPicture(doc, fourth, w, h);
    doc.settings.gifCompression = QualityMask(1);
    ASSERT_EQ(f->hasTransparency, 0u);
    ASSERT_EQ(four->hasTransparency, 0u);
    const auto before = ComposeAll(doc);
    ASSERT_EQ(Run(), 0);
    // No colour of the second frame repeats the screen: it stays opaque.
    EXPECT_EQ(f->hasTransparency, 0u);
    // The third frame had a free index: it became the transparent slot as it was.
    EXPECT_EQ(three->hasTransparency, 1u);
    // The fourth frame's colour 7 lies exactly on itself.
    ASSERT_EQ(four->hasTransparency, 1u);
    EXPECT_EQ(four->effectivePalette()[four->transparentIndex].rgb(), Distinct(7));
    // Not one pixel changes, at any level.
    EXPECT_EQ(ComposeAll(doc), before);
}

}  // namespace
