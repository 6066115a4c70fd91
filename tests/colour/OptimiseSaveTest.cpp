// Saving optimised, both ways, and unoptimising: the files as giflib reads them and
// ImageMagick composes them show what our own composition shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "colour/OptimiseTestSupport.h"
#include "colour/OptimisedSave.h"
#include "colour/UnOptimise.h"
#include "import/LoadGif.h"
#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;
using namespace optimise_test;

namespace {

struct FrameShape {
    int left, top, width, height, hasLocalPalette;
    uint32_t transparentIndex, hasTransparency;
    Palette palette;
    bool operator==(const FrameShape&) const = default;
};

std::vector<FrameShape> Shapes(AnimationDocument& doc) {
    std::vector<FrameShape> out;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        out.push_back({f->left, f->top, f->width, f->height, f->hasLocalPalette,
                       f->transparentIndex, f->hasTransparency, f->palette});
    }
    return out;
}

class OptimiseSaveTest : public ::testing::Test {
  protected:
    const ts::TempFolder folder;
    RecordingHost host;
    AnimationDocument doc{host, 2};

    void AddRecording(AnimationDocument& d, int w, int h, int frames, int noise, int disposal = 1,
                      unsigned seed = 7) {
        for (const Picture& p : ScreenRecording(w, h, frames, noise, seed))
            AddPicture(d, p, w, h, 0, 0, disposal);
    }
    int Save(AnimationDocument& d, const std::string& path, bool itself, int abortAfter = -1) {
        RecordingProgress progress;
        progress.abortAfterPolls = abortAfter;
        d.busy = true;
        const int result = SaveOptimised(d, path, itself, progress);
        d.busy = false;
        return result;
    }
};

TEST_F(OptimiseSaveTest, SavingAnOptimisedCopyLeavesTheDocumentAsItWas) {
    AddRecording(doc, 64, 48, 8, 3);
    doc.hasGlobalPalette = true;
    doc.globalPalette[0] = PaletteEntry::FromRgb(0x3060A0);
    doc.globalPalette[1] = PaletteEntry::FromRgb(0x000000);
    doc.backgroundIndex = 1;
    FrameRecord* onGlobal = doc.firstFrame->next;  // a frame drawn from the global palette
    onGlobal->hasLocalPalette = 0;
    onGlobal->palette = Palette{};
    onGlobal->indexPlane()->fill(0);
    onGlobal->comments.push_back({"kept"});
    const auto shapes = Shapes(doc);
    const Palette global = doc.globalPalette;
    const auto before = ComposeAll(doc);

    const std::string path = folder.file("copy.gif");
    ASSERT_EQ(Save(doc, path, false), 0);
    EXPECT_FALSE(doc.settings.saveOptimized);  // the option is the shell's; it stays as set
    EXPECT_EQ(Shapes(doc), shapes);
    EXPECT_EQ(doc.globalPalette, global);
    EXPECT_EQ(doc.backgroundIndex, 1);
    EXPECT_EQ(ComposeAll(doc), before);

    const auto file = ts::GiflibDecode(path);
    const auto shown = ts::PeerComposedPictures(path);
    ASSERT_TRUE(file && shown);
    ASSERT_EQ(shown->size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_LE(PeerMismatches(before[i], (*shown)[i].pixels, doc.settings.gifCompression), 6)
            << "frame " << i;
    }
    // The copy was cropped even though the document was not; the comment went along.
    int cropped = 0;
    for (const ts::PeerImage& image : file->images) cropped += image.width * image.height < 64 * 48;
    EXPECT_GE(cropped, 6);
    EXPECT_EQ(file->images[1].comments, std::vector<std::string>{"kept"});
    for (const ts::PeerImage& image : file->images) EXPECT_EQ(image.disposal, 1);
}

TEST_F(OptimiseSaveTest, SavingTheDocumentItselfShowsTheOptimisedFrames) {
    AddRecording(doc, 80, 60, 10, 4);
    const auto before = ComposeAll(doc);
    const std::string path = folder.file("itself.gif");
    ASSERT_EQ(Save(doc, path, true), 0);
    RedisplayAfterOptimisedSave(doc);
    int cropped = 0;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) cropped += f->width * f->height < 80 * 60;
    EXPECT_EQ(cropped, 9);
    const auto after = ComposeAll(doc);
    const auto shown = ts::PeerComposedPictures(path);
    ASSERT_TRUE(shown);
    ASSERT_EQ(shown->size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        // The file shows exactly what the optimised document shows ...
        EXPECT_EQ(PeerMismatches(after[i], (*shown)[i].pixels, 0xFFFFFF), 0) << "frame " << i;
        // ... which is what the document showed before, but for dropped flicker.
        EXPECT_LE(Mismatches(after[i], before[i], doc.settings.gifCompression), 8) << "frame " << i;
    }
}

TEST_F(OptimiseSaveTest, NothingIsWrittenWhenAbortedOrWhenTheCopyCannotBeMade) {
    AddRecording(doc, 40, 30, 4, 0);
    const std::string path = folder.file("never.gif");
    EXPECT_EQ(Save(doc, path, false, 1), -1);
    EXPECT_EQ(Save(doc, path, true, 1), -1);
    // A frame of no pixels cannot be copied.
    doc.firstFrame->next->width = 0;
    EXPECT_EQ(Save(doc, path, false), 5);
    EXPECT_FALSE(doc.settings.saveOptimized);
    EXPECT_FALSE(std::filesystem::exists(path));
}

// Files read back by our own loader compose, through our composition, to the pictures
// ImageMagick shows, for every quality level and for frames that keep or restore the
// background.
TEST_F(OptimiseSaveTest, OptimisedFilesComposeAlikeInImageMagickAndInOurComposition) {
    for (const int disposal : {0, 1, 2}) {
        for (int level = 1; level <= 5; ++level) {
            SCOPED_TRACE("disposal " + std::to_string(disposal) + " level " +
                         std::to_string(level));
            RecordingHost h;
            AnimationDocument source{h, 2};
            AddRecording(source, 72, 40, 6, 2, disposal, unsigned(level));
            source.settings.gifCompression = QualityMask(level);
            const std::string path = folder.file("oracle.gif");
            ASSERT_EQ(Save(source, path, true), 0);
            const auto shown = ts::PeerComposedPictures(path);
            ASSERT_TRUE(shown);

            RecordingHost h2;
            AnimationDocument loaded{h2, 2};
            ASSERT_EQ(LoadGifIntoDocument(loaded, path), 0);
            for (FrameRecord* f = loaded.firstFrame; f; f = f->next) f->WaitForReduction();
            const auto ours = ComposeAll(loaded);
            ASSERT_EQ(ours.size(), shown->size());
            for (size_t i = 0; i < ours.size(); ++i)
                EXPECT_EQ(PeerMismatches(ours[i], (*shown)[i].pixels, 0xFFFFFF), 0)
                    << "frame " << i;
            EXPECT_EQ(ComposeAll(source), ours);
        }
    }
}

TEST_F(OptimiseSaveTest, UnOptimisedFramesAreFullScreenOpaqueAndShowTheSamePictures) {
    AddRecording(doc, 64, 40, 8, 3);
    RecordingProgress progress;
    ASSERT_EQ(Optimise(doc, progress), 0);
    const auto optimised = ComposeAll(doc);
    doc.history.clear(true);
    ASSERT_EQ(UnOptimise(doc, false), 0);
    EXPECT_TRUE(doc.modified());
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        EXPECT_TRUE(f->coversScreen());
        EXPECT_EQ(f->hasTransparency, 0u);
        // The first frame was full-screen and opaque already: it is left as it was.
        if (f != doc.firstFrame) {
            EXPECT_EQ(f->transparencyActive.load(), 0u);
        }
    }
    EXPECT_EQ(ComposeAll(doc), optimised);

    // Reduced again, each frame has its own palette and the same pictures: the
    // recording has few colours, so reduction loses only the lowest bit.
    ASSERT_EQ(UnOptimise(doc, true), 0);  // nothing left to change: no reduction starts
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        EXPECT_FALSE(f->reduceThread);
        if (!f->IsPaletteValid()) StartReduction(*f);
    }
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) f->WaitForReduction();
    const auto reduced = ComposeAll(doc);
    for (size_t i = 0; i < reduced.size(); ++i) {
        EXPECT_EQ(Mismatches(reduced[i], optimised[i], 0xFEFEFE), 0) << "frame " << i;
    }
    for (FrameRecord* f = doc.firstFrame->next; f; f = f->next) EXPECT_EQ(f->hasLocalPalette, 1);
}

}  // namespace
