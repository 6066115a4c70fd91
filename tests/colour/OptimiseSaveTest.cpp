// Saving optimised, both ways, and the optimised files as giflib sees them: decoded and
// composed with their disposal methods they show what our own composition shows.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "colour/OptimiseGiflib.h"
#include "colour/OptimiseTestSupport.h"
#include "colour/OptimisedSave.h"
#include "colour/UnOptimise.h"
#include "gif/GifWriter.h"
#include "gif/LoadGif.h"

using namespace optimise_test;

namespace {

std::string TempGif(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("velmora_optimise_" + std::to_string(::getpid()) + "_" + name))
        .string();
}

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
    RecordingHost host;
    AnimationDocument doc{host, 2};
    std::vector<std::string> files;

    void TearDown() override {
        for (const std::string& f : files) std::remove(f.c_str());
    }
    std::string Temp(const std::string& name) {
        files.push_back(TempGif(name));
        return files.back();
    }
    void AddRecording(int w, int h, int frames, int noise, int disposal = 1) {
        for (const Picture& p : ScreenRecording(w, h, frames, noise)) {
            AddPicture(doc, p, w, h, 0, 0, disposal);
        }
    }
};

TEST_F(OptimiseSaveTest, SavingAnOptimisedCopyLeavesTheDocumentAsItWas) {
    AddRecording(64, 48, 8, 3);
    doc.hasGlobalPalette = true;
    doc.globalPalette[0] = PaletteEntry::FromRgb(0x3060A0);
    doc.globalPalette[1] = PaletteEntry::FromRgb(0x000000);
    doc.backgroundIndex = 1;
    FrameRecord* onGlobal = doc.firstFrame->next;  // a frame drawn from the global palette
    onGlobal->hasLocalPalette = 0;
    onGlobal->palette = Palette{};
    for (int y = 0; y < onGlobal->height; ++y) {
        for (int x = 0; x < onGlobal->width; ++x) onGlobal->indexPlane()->set(x, y, 0);
    }
    onGlobal->comments.push_back({"kept"});
    const auto shapes = Shapes(doc);
    const Palette global = doc.globalPalette;
    const auto before = ComposeAll(doc);

    const std::string path = Temp("copy.gif");
    RecordingProgress progress;
    doc.busy = true;
    ASSERT_EQ(SaveOptimised(doc, path, false, progress), 0);
    doc.busy = false;
    EXPECT_EQ(progress.labels.back(), "Final Run");
    EXPECT_FALSE(doc.settings.saveOptimized);  // the option is the shell's; it stays as set
    EXPECT_EQ(Shapes(doc), shapes);
    EXPECT_EQ(doc.globalPalette, global);
    EXPECT_EQ(doc.backgroundIndex, 1);
    EXPECT_EQ(ComposeAll(doc), before);

    const auto decoded = DecodeWithGiflib(path);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->pictures.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_LE(Mismatches(decoded->pictures[i], before[i], doc.settings.gifCompression), 6)
            << "frame " << i;
    }
    // The copy was cropped even though the document was not; the comment went along.
    int cropped = 0;
    for (const auto& r : decoded->rectangles) cropped += r[2] * r[3] < 64 * 48;
    EXPECT_GE(cropped, 6);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_TRUE(file);
    std::string bytes(1 << 20, '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    EXPECT_NE(bytes.find("kept"), std::string::npos);
}

TEST_F(OptimiseSaveTest, SavingTheDocumentItselfShowsTheOptimisedFrames) {
    AddRecording(80, 60, 10, 4);
    const auto before = ComposeAll(doc);
    const std::string path = Temp("itself.gif");
    RecordingProgress progress;
    doc.busy = true;
    ASSERT_EQ(SaveOptimised(doc, path, true, progress), 0);
    doc.busy = false;
    RedisplayAfterOptimisedSave(doc);
    int cropped = 0;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) cropped += f->width * f->height < 80 * 60;
    EXPECT_EQ(cropped, 9);
    const auto after = ComposeAll(doc);
    const auto decoded = DecodeWithGiflib(path);
    ASSERT_TRUE(decoded);
    // The file shows exactly what the optimised document shows ...
    EXPECT_EQ(decoded->pictures, after);
    // ... which is what the document showed before, but for dropped flicker.
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_LE(Mismatches(after[i], before[i], doc.settings.gifCompression), 8) << "frame " << i;
    }
}

TEST_F(OptimiseSaveTest, AnAbortedOptimisationWritesNothing) {
    AddRecording(40, 30, 4, 0);
    const std::string path = Temp("aborted.gif");
    RecordingProgress progress;
    progress.abortAfterPolls = 1;
    doc.busy = true;
    EXPECT_EQ(SaveOptimised(doc, path, false, progress), -1);
    doc.busy = false;
    EXPECT_FALSE(std::filesystem::exists(path));
}

// Files read back by our own loader compose, through our composition, to the pictures
// giflib and a viewer's disposal handling give, for every quality level and for
// frames that keep or restore the background.
TEST_F(OptimiseSaveTest, OptimisedFilesComposeAlikeInGiflibAndInOurComposition) {
    for (const int disposal : {0, 1, 2}) {
        for (int level = 1; level <= 5; ++level) {
            RecordingHost h;
            AnimationDocument source{h, 2};
            for (const Picture& p : ScreenRecording(72, 40, 6, 2, unsigned(level))) {
                AddPicture(source, p, 72, 40, 0, 0, disposal);
            }
            source.settings.gifCompression = QualityMask(level);
            const std::string path = Temp("oracle.gif");
            RecordingProgress progress;
            source.busy = true;
            ASSERT_EQ(SaveOptimised(source, path, true, progress), 0);
            source.busy = false;
            const auto decoded = DecodeWithGiflib(path);
            ASSERT_TRUE(decoded);

            RecordingHost h2;
            AnimationDocument loaded{h2, 2};
            ASSERT_EQ(LoadGifIntoDocument(loaded, path), 0);
            for (FrameRecord* f = loaded.firstFrame; f; f = f->next) f->WaitForReduction();
            const auto ours = ComposeAll(loaded);
            ASSERT_EQ(ours.size(), decoded->pictures.size());
            for (size_t i = 0; i < ours.size(); ++i) {
                EXPECT_EQ(ours[i], decoded->pictures[i])
                    << "disposal " << disposal << " level " << level << " frame " << i;
            }
            EXPECT_EQ(ComposeAll(source), ours);
        }
    }
}

TEST_F(OptimiseSaveTest, UnOptimisedFramesAreFullScreenOpaqueAndShowTheSamePictures) {
    AddRecording(64, 40, 8, 3);
    RecordingProgress progress;
    ASSERT_EQ(Optimise(doc, progress), 0);
    const auto optimised = ComposeAll(doc);
    doc.modified = false;
    ASSERT_EQ(UnOptimise(doc, false), 0);
    EXPECT_TRUE(doc.modified);
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        EXPECT_TRUE(f->coversScreen());
        EXPECT_EQ(f->hasTransparency, 0u);
        // The first frame was full-screen and opaque already: it is left as it was.
        if (f != doc.firstFrame) EXPECT_EQ(f->transparencyActive.load(), 0u);
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

TEST_F(OptimiseSaveTest, UnOptimiseWithReductionRestartsEveryChangedFrame) {
    AddRecording(48, 32, 5, 2);
    RecordingProgress progress;
    ASSERT_EQ(Optimise(doc, progress), 0);
    const auto optimised = ComposeAll(doc);
    ASSERT_EQ(UnOptimise(doc, true), 0);
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        f->WaitForReduction();
        EXPECT_TRUE(f->IsPaletteValid());
        EXPECT_TRUE(f->coversScreen());
        if (f != doc.firstFrame) EXPECT_EQ(f->hasLocalPalette, 1);
    }
    const auto after = ComposeAll(doc);
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(Mismatches(after[i], optimised[i], 0xFEFEFE), 0) << "frame " << i;
    }
}

}  // namespace
