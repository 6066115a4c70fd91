// Optimisation for file size: cropping to the changes, the shared global palette,
// unchanged pixels made transparent, the quality mask, saving optimised, and the
// pictures staying the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <tuple>

#include "colour/Optimise.h"
#include "colour/OptimisedSave.h"
#include "document/Composition.h"
#include "document/DocumentState.h"
#include "import/LoadGif.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

using Picture = std::vector<uint32_t>;

// A frame of a picture of at most 256 colours (palette in order of first appearance),
// appended to the document at (left, top).
FrameRecord* AddPicture(AnimationDocument& doc, const Picture& pixels, int w, int h, int left = 0,
                        int top = 0, int disposal = 0) {
    std::vector<uint32_t> colours;
    for (uint32_t p : pixels)
        if (std::find(colours.begin(), colours.end(), p) == colours.end()) colours.push_back(p);
    EXPECT_LE(colours.size(), 256u);
    FrameRecord* f = ts::MakeFrame(doc, w, h, colours);
    for (int i = 0; i < w * h; ++i) {
        const auto at = std::find(colours.begin(), colours.end(), pixels[size_t(i)]);
        f->indexPlane()->set(i % w, i / w, uint8_t(at - colours.begin()));
    }
    f->left = left;
    f->top = top;
    f->disposal = disposal;
    ts::AppendToDocument(doc, f, "picture.gif");
    return f;
}

// A progress that aborts after a number of polls.
class RecordingProgress : public OptimiseProgress {
  public:
    void SetLabel(const std::string&) override {}
    void SetPosition(int) override {}
    void ProcessEvents() override { aborted = aborted || ++polls == abortAfterPolls; }
    bool Aborted() const override { return aborted; }
    void Close() override {}

    int polls = 0, abortAfterPolls = -1;
    bool aborted = false;
};

constexpr uint32_t kDesk = 0x3060A0, kInk = 0xE0E0E0;

class OptimiseTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 2};

    Picture Flat(int w, int h, uint32_t colour) { return Picture(size_t(w) * size_t(h), colour); }
    static void Paint(Picture& p, int w, int x0, int y0, int x1, int y1, uint32_t colour) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) p[size_t(y * w + x)] = colour;
    }
    // Colour k of a set that no tolerance or mask of level 1 merges.
    static uint32_t Distinct(int k) {
        return uint32_t((k % 32) * 8) << 16 | uint32_t((k / 32) * 8 + 4) << 8 | 100u;
    }
    // 16 x 16 pixels p of colours Distinct(first + (p + shift) % count).
    static Picture Shifted(int shift, int count = 256, int first = 0) {
        Picture out;
        for (int p = 0; p < 256; ++p) out.push_back(Distinct(first + (p + shift) % count));
        return out;
    }
    int Run() {
        RecordingProgress progress;
        return Optimise(doc, progress);
    }
    int Save(const std::string& path, bool itself, int abortAfter = -1) {
        RecordingProgress progress;
        progress.abortAfterPolls = abortAfter;
        doc.busy = true;
        const int result = SaveOptimised(doc, path, itself, progress);
        doc.busy = false;
        return result;
    }
};

std::vector<int> Rect(const FrameRecord* f) {
    return {f->left, f->top, f->width, f->height};
}

// Hand-worked crops of a second frame over a flat first one: a row or column counts as
// changed with more than width / 20 differing pixels, or two of them less than 3 apart.
TEST_F(OptimiseTest, CropToChangesTakesTheChangedRectangle) {
    using Area = std::array<int, 5>;  // left, top, right, bottom (exclusive), colour
    std::vector<Area> block{{30, 20, 45, 28, kInk}};  // and four isolated pixels
    for (auto [x, y] : {std::pair{2, 2}, {90, 5}, {60, 50}, {10, 40}})
        block.push_back({x, y, x + 1, y + 1, 0xFF00FF});
    std::vector<Area> row{{20, 10, 21, 11, kInk}, {22, 10, 23, 11, kInk}};              // 2 apart
    for (int k = 0; k < 6; ++k) row.push_back({40 + 9 * k, 30, 41 + 9 * k, 31, kInk});  // 6 > 5
    const Area lighter{10, 10, 20, 20, 0x7F5FBF};  // 0x406080 in the top 2 bits only
    const struct {
        const char* label;
        int w, h;
        uint32_t flat, mask;
        std::vector<Area> areas;
        std::vector<int> rect;
        int lost;  // pixels that differ from the second picture afterwards
    } cases[] = {
        // clang-format off
        {"isolated pixels dropped", 100, 60, kDesk, 0xF0F0F0, block, {30, 20, 15, 8}, 4},
        {"isolated pixels kept at the highest quality", 100, 60, kDesk, QualityMask(1), block,
         {2, 2, 89, 49}, 0},
        // No column changes (each holds one pixel): the rows' differing pixels set the width.
        {"pixels close together or many in a row", 100, 40, kDesk, 0xF0F0F0, row,
         {20, 10, 66, 21}, 0},
        {"a single row", 60, 30, kDesk, 0xF0F0F0, {{10, 12, 50, 13, kInk}}, {10, 12, 40, 1}, 0},
        {"equal under the mask", 40, 30, 0x406080, 0xC0C0C0, {lighter}, {0, 0, 40, 30}, 0},
        {"different under the mask", 40, 30, 0x406080, 0xE0E0E0, {lighter}, {10, 10, 10, 10}, 0},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        doc.Clear();
        doc.settings.gifCompression = c.mask;
        Picture second = Flat(c.w, c.h, c.flat);
        for (const Area& a : c.areas) Paint(second, c.w, a[0], a[1], a[2], a[3], uint32_t(a[4]));
        AddPicture(doc, Flat(c.w, c.h, c.flat), c.w, c.h);
        FrameRecord* f = AddPicture(doc, second, c.w, c.h);
        EXPECT_EQ(CropToChanges(*f), c.rect != std::vector<int>({0, 0, c.w, c.h}));
        EXPECT_EQ(Rect(f), c.rect);
        EXPECT_EQ(f->indexPlane()->width, c.rect[2]);
        const Picture shown = GetComposedBitmap(*f)->pixels;
        int lost = 0;
        for (size_t i = 0; i < shown.size(); ++i) lost += (shown[i] & kRgbMask) != second[i];
        EXPECT_EQ(lost, c.lost);
        EXPECT_FALSE(CropToChanges(*f));  // nothing left to crop
    }
}

TEST_F(OptimiseTest, The257thColourKeepsOnlyThatFrameOnItsLocalPalette) {
    doc.settings.gifCompression = 0xFCFCFC;
    // 200 colours, 55 more (the palette is full), old ones and one that no longer fits, old
    // ones only.
    std::vector<Picture> pictures{Shifted(0, 200), Shifted(0, 55, 200), Shifted(7, 200),
                                  Shifted(13, 200)};
    pictures[2][0] = Distinct(255);
    for (const Picture& p : pictures) AddPicture(doc, p, 16, 16);
    const auto before = ts::ComposedPixels(doc);
    ASSERT_EQ(Run(), 0);
    EXPECT_TRUE(doc.hasGlobalPalette);
    std::vector<int> local;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) local.push_back(f->hasLocalPalette);
    EXPECT_EQ(local, std::vector<int>({0, 0, 1, 0}));
    // The background colour, 200 and 55 colours: every global entry is used.
    int used = 0;
    for (const PaletteEntry& e : doc.globalPalette) used += e.used() ? 1 : 0;
    EXPECT_EQ(used, 256);
    EXPECT_EQ(ts::ComposedPixels(doc), before);
}

// A frame joins the global palette while at most a third of its pixels are unchanged
// (made transparent). The unchanged pixels lie on diagonals, so no row or column is cropped:
// 80 of 256 join, 96 keep their own table.
TEST_F(OptimiseTest, AFrameMoreThanAThirdUnchangedKeepsItsOwnPalette) {
    doc.settings.gifCompression = 0xFCFCFC;
    for (const auto& [diagonals, local] : {std::pair{5, 0}, {6, 1}}) {
        SCOPED_TRACE(diagonals);
        doc.Clear();
        const Picture first = Shifted(0, 200);
        Picture second = Shifted(1, 200);
        for (int p = 0; p < 256; ++p)
            if ((p % 16 + p / 16) % 16 < diagonals) second[size_t(p)] = first[size_t(p)];
        AddPicture(doc, first, 16, 16);
        FrameRecord* f = AddPicture(doc, second, 16, 16);
        const auto before = ts::ComposedPixels(doc);
        ASSERT_EQ(Run(), 0);
        EXPECT_EQ(Rect(f), (std::vector<int>{0, 0, 16, 16}));
        EXPECT_EQ(f->hasLocalPalette, local);
        EXPECT_EQ(ts::ComposedPixels(doc), before);
    }
}

TEST_F(OptimiseTest, ColoursJoinAGlobalEntryOnlyWithinToleranceAndUnderTheMask) {
    doc.settings.gifCompression = 0xF0F0F0;
    const int w = 8, h = 8;
    // 0x404040 and 0x444444 are within 5 and equal under the mask: one entry.
    // 0x3E3E3E is within 5 of 0x404040 but not equal under it: an entry of its own.
    AddPicture(doc, Picture(size_t(w * h), 0x404040), w, h);
    for (const uint32_t colour : {0x444444u, 0x3E3E3Eu}) {
        FrameRecord* f = AddPicture(doc, Picture(size_t(w * h), colour), w, h);
        f->hasTransparency = 1;  // the slot the preparation of a full run gives
        f->transparentIndex = 255;
    }
    RecordingProgress progress;
    ASSERT_TRUE(OptimisePalette(doc, 3, progress));
    FrameRecord* f1 = doc.firstFrame;
    FrameRecord* f2 = f1->next;
    FrameRecord* f3 = f2->next;
    // The second equals what lies beneath under the mask: all transparent, local palette.
    EXPECT_EQ(f2->hasLocalPalette, 1);
    ASSERT_EQ(f3->hasLocalPalette, 0);
    EXPECT_NE(f3->indexPlane()->get(0, 0), f1->indexPlane()->get(0, 0));
    EXPECT_EQ(doc.globalPalette[f3->indexPlane()->get(0, 0)].rgb(), 0x3E3E3Eu);
}

// Both ways of saving optimised write the same file, cropped and with its comments; the
// copy leaves the document, its selection and its history as they were. (What the file
// shows is checked end to end, through velmora-cli.) An abort writes nothing: a file of
// that name stays as it was.
TEST_F(OptimiseTest, SavingACopyWritesWhatOptimisingTheDocumentWritesAndAnAbortNothing) {
    const ts::TempFolder folder;
    // The copy takes the document's settings: a quality other than the default changes
    // the file.
    const struct {
        std::string path;
        int lossy, quality;
    } inputs[] = {
        {ts::MakeVideoGif(folder, "whole.gif", "testsrc2", 80, 56, 8, true), 30, 1},
        {ts::MakePhotoGif(folder, "photo.gif", 90, 60, 5), 0, 5},
    };
    const std::string copy = folder.file("copy.gif"), itself = folder.file("itself.gif");
    for (const auto& [in, lossy, quality] : inputs) {
        SCOPED_TRACE(in);
        ASSERT_FALSE(in.empty());
        doc.Clear();
        ASSERT_EQ(LoadGifIntoDocument(doc, in), 0);
        doc.settings.lossy = lossy;
        doc.settings.gifCompression = QualityMask(quality);
        doc.firstFrame->next->comments.push_back({"kept"});
        // The last frame repeated: the optimised file merges it into the one before.
        FrameRecord* again =
            AnimationDocument::Adopt(FrameRecord::Construct(doc, nullptr, nullptr));
        again->setData(doc.lastFrame()->data());
        ts::AppendToDocument(doc, again, "again.gif");
        const int frames = doc.countFrames();
        doc.selectedFrame = doc.firstFrame->next;
        doc.selectedItem = doc.EntryOfFrame(doc.selectedFrame);
        const DocumentState before = CaptureState(doc);
        const auto state = std::tuple(doc.modified(), doc.history.size(), doc.selectedFrame);
        ASSERT_EQ(Save(copy, false), 0);
        EXPECT_TRUE(CaptureState(doc) == before);
        EXPECT_TRUE(std::tuple(doc.modified(), doc.history.size(), doc.selectedFrame) == state);
        const auto file = ts::GiflibDecode(copy);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->images[1].comments, std::vector<std::string>{"kept"});
        int cropped = 0;  // the clip's frames are whole; the optimiser crops some
        for (const ts::PeerImage& image : file->images) cropped += image.width < doc.screenWidth;
        EXPECT_TRUE(cropped > 0 || quality == 5);
        ASSERT_EQ(Save(itself, true), 0);
        EXPECT_LT(doc.countFrames(), frames);
        EXPECT_EQ(ts::ReadBytes(copy), ts::ReadBytes(itself));
        // Aborted in each phase (of the frames left), nothing is written.
        const std::vector<uint8_t> old = ts::ReadBytes(copy);
        for (const bool self : {false, true}) {
            for (const int polls : {1, frames + 1, 2 * frames + 1}) {
                EXPECT_EQ(Save(copy, self, polls), -1) << self << " " << polls;
                EXPECT_EQ(ts::ReadBytes(copy), old) << self << " " << polls;
                EXPECT_EQ(Save(folder.file("never.gif"), self, polls), -1);
            }
        }
        EXPECT_FALSE(std::filesystem::exists(folder.file("never.gif")));
    }
}

// Lossy 4 allows one level per channel: a frame of only such changes draws nothing new.
TEST_F(OptimiseTest, LossyFourLeavesAChangeOfOneLevelUndrawn) {
    const ts::TempFolder folder;
    AddPicture(doc, Flat(16, 16, 0x636363), 16, 16);
    AddPicture(doc, Flat(16, 16, 0x646464), 16, 16);  // apart under the mask of level 1
    doc.settings.gifCompression = QualityMask(1);
    for (const auto& [lossy, opaque] : {std::pair{0, 256}, std::pair{4, 0}}) {
        doc.settings.lossy = lossy;
        ASSERT_EQ(Save(folder.file("out.gif"), false), 0);
        const auto file = ts::GiflibDecode(folder.file("out.gif"));
        int drawn = 0;  // opaque pixels, the first frame's 256 among them
        for (const ts::PeerImage& image : file.value().images)
            drawn += int(std::count_if(image.indexes.begin(), image.indexes.end(),
                                       [&](uint8_t k) { return k != image.transparent; }));
        EXPECT_EQ(drawn - 256, opaque) << "lossy " << lossy;
    }
}

TEST_F(OptimiseTest, AFrameUsingEveryIndexTakesARepeatedColourAsItsSlotOrStaysOpaque) {
    // The fourth: every pixel but 7 takes the colour of the next one; 7 stays.
    Picture fourth = Shifted(1);
    fourth[6] = Distinct(8);
    fourth[7] = Distinct(7);
    AddPicture(doc, Shifted(0), 16, 16);
    FrameRecord* f = AddPicture(doc, Shifted(1), 16, 16);
    FrameRecord* three = AddPicture(doc, Shifted(0), 16, 16);
    three->indexPlane()->set(1, 0, 0);  // leaves index 1 free
    FrameRecord* four = AddPicture(doc, fourth, 16, 16);
    doc.screenHeight = 17;  // a row below the frames, which they do not cover
    doc.settings.gifCompression = QualityMask(1);
    ASSERT_EQ(f->hasTransparency, 0u);
    ASSERT_EQ(four->hasTransparency, 0u);
    const auto before = ts::ComposedPixels(doc);
    ASSERT_EQ(Run(), 0);
    // No colour of the second frame repeats the screen: it stays opaque.
    EXPECT_EQ(f->hasTransparency, 0u);
    // The third frame had a free index: it became the transparent slot as it was.
    EXPECT_EQ(three->hasTransparency, 1u);
    // The fourth frame's colour 7 lies exactly on itself.
    ASSERT_EQ(four->hasTransparency, 1u);
    EXPECT_EQ(four->effectivePalette()[four->transparentIndex].rgb(), Distinct(7));
    // Not one pixel changes, at any level.
    EXPECT_EQ(ts::ComposedPixels(doc), before);
}

// After a restore to the background a frame that draws the background colour goes on
// drawing it: viewers that show nothing on a cleared screen must show that colour too.
TEST_F(OptimiseTest, AfterARestoreTheBackgroundColourStaysDrawn) {
    AddPicture(doc, Shifted(3), 16, 16, 0, 0, 2);
    FrameRecord* f = AddPicture(doc, Shifted(0), 16, 16);  // every index used, 7 the background's
    doc.globalPalette[0] = PaletteEntry::FromRgb(Distinct(7));
    doc.backgroundIndex = 0;
    doc.settings.gifCompression = QualityMask(1);
    const auto before = ts::ComposedPixels(doc);
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(ts::ComposedPixels(doc), before);
    for (int k = 0; k < 256 && f->hasTransparency; ++k)
        EXPECT_NE(f->indexPlane()->get(k % 16, k / 16), f->transparentIndex) << k;
}

// The transparent slot is an index no row uses, the first row included.
TEST_F(OptimiseTest, AnIndexUsedOnlyInTheFirstRowIsNotTheTransparentSlot) {
    AddPicture(doc, Shifted(0), 16, 16);
    FrameRecord* f = AddPicture(doc, Shifted(1), 16, 16);
    f->indexPlane()->set(5, 0, 255);  // index 5 is free, 255 only in the first row
    f->indexPlane()->set(15, 15, 0);
    doc.settings.gifCompression = QualityMask(1);
    const auto before = ts::ComposedPixels(doc);
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(ts::ComposedPixels(doc), before);
}

}  // namespace
