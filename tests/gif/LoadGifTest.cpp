#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "document/Composition.h"
#include "import/LoadGif.h"
#include "support/GifBuilder.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

using gif_test::GifBuilder;

namespace {

std::vector<std::string> Labels(const TreeItem* item, int depth = 0) {
    std::vector<std::string> out;
    for (int i = 0; i < item->childCount(); ++i) {
        out.push_back(std::string(size_t(depth) * 2, ' ') + item->child(i)->text());
        for (auto& s : Labels(item->child(i), depth + 1)) out.push_back(s);
    }
    return out;
}

// Two frames at offsets whose bounding box is 7 x 6 although the screen says 3 x 3,
// a comment on the second frame and one after the last image.
std::string TwoFrames(const std::string& path) {
    GifBuilder b;
    b.Header()
        .Screen(3, 3, {0x280001, 0x290101, 0x2A0201, 0x2B0301}, 2)
        .Loop(4)
        .Control(0x04, 12, 0)
        .Descriptor(0, 0, 4, 2)
        .Pixels(2, {0, 1, 2, 3, 3, 2, 1, 0});
    b.Comment("second").Descriptor(5, 4, 2, 2, 1).Pixels(1, {1, 0, 0, 1});
    b.Comment("global").Trailer();
    return b.WriteTo(path);
}

class LoadGifTest : public ::testing::Test {
  protected:
    // The frames in list order; each one's predecessor must be the one before it.
    std::vector<FrameRecord*> Frames() const {
        std::vector<FrameRecord*> out;
        for (FrameRecord* f = doc_.firstFrame; f; f = f->next) {
            EXPECT_EQ(f->prev, out.empty() ? nullptr : out.back());
            out.push_back(f);
        }
        return out;
    }
    const testing_support::TempFolder folder_;
    RecordingHost host_;
    AnimationDocument doc_{host_, 2};
};

}  // namespace

// Screen, values and palettes as velmora-cli info shows them are checked there.
TEST_F(LoadGifTest, IntoAnEmptyDocument) {
    const std::string path = TwoFrames(folder_.file("two.gif"));
    ASSERT_EQ(LoadGifIntoDocument(doc_, path), 0);
    {
        // The first frame is composed at once, before the load returns.
        std::lock_guard lock(doc_.firstFrame->composeLock);
        EXPECT_TRUE(doc_.firstFrame->composedBitmap);
    }
    // The screen grows to the images' bounding box.
    EXPECT_EQ(std::vector<int>({doc_.screenWidth, doc_.screenHeight, doc_.frameCount}),
              std::vector<int>({7, 6, 2}));
    EXPECT_FALSE(doc_.endless);
    EXPECT_FALSE(doc_.modified());
    const std::string name = std::filesystem::path(path).filename().string();
    EXPECT_EQ(Labels(doc_.tree.root()),
              (std::vector<std::string>{"GlobalComment [1]", "Gif :" + name, "Gif :" + name,
                                        "  Comment [1]"}));
    EXPECT_EQ(doc_.GetGif(doc_.selectedItem), doc_.firstFrame);
    // The others follow on the workers.
    doc_.jobs().WaitIdle();
    for (FrameRecord* f = doc_.firstFrame; f; f = f->next)
        EXPECT_EQ(GetComposedBitmap(*f)->width, 7);
}

TEST_F(LoadGifTest, AfterTheSelectedFrameAndInFront) {
    ASSERT_EQ(LoadGifIntoDocument(doc_, TwoFrames(folder_.file("a.gif"))), 0);
    FrameRecord* a1 = doc_.firstFrame;
    FrameRecord* a2 = a1->next;
    const Palette oldGlobal = doc_.globalPalette;

    // After the first frame: the screen is 7 x 6 already, so no resize question.
    GifBuilder b;
    b.Header().Screen(7, 6, {0xC80000, 0xC90000, 0xCA0000, 0xCB0000});
    b.Descriptor(0, 0, 7, 6).Pixels(2, std::vector<uint8_t>(42, 3)).Trailer();
    const std::string bPath = b.WriteTo(folder_.file("b.gif"));
    ASSERT_EQ(LoadGifIntoDocument(doc_, bPath), 0);
    EXPECT_EQ(host_.resizeQuestions(), 0);
    FrameRecord* b1 = a1->next;
    EXPECT_EQ(Frames(), (std::vector<FrameRecord*>{a1, b1, a2}));
    EXPECT_TRUE(doc_.modified());
    EXPECT_EQ(doc_.selectedFrame, b1);
    {
        // Composed at once, although no later frame of its file sets a worker on it.
        std::lock_guard lock(b1->composeLock);
        EXPECT_TRUE(b1->composedBitmap);
    }
    // Frames that were on the old global table keep its colours in their own palette.
    EXPECT_EQ(a1->hasLocalPalette, 1);
    EXPECT_EQ(a1->palette[1], oldGlobal[1]);
    EXPECT_EQ(doc_.globalPalette[0], (PaletteEntry{200, 0, 0}));
    EXPECT_EQ(b1->effectivePalette()[3], (PaletteEntry{203, 0, 0}));

    // With the root selected the frames go in front.
    doc_.selectedItem = doc_.tree.root();
    ASSERT_EQ(LoadGifIntoDocument(doc_, bPath), 0);
    EXPECT_EQ(Frames(), (std::vector<FrameRecord*>{doc_.firstFrame, a1, b1, a2}));
    EXPECT_EQ(doc_.frameCount, 4);
    EXPECT_TRUE(testing_support::TreeIndexesFrames(doc_));
}

TEST_F(LoadGifTest, FailuresLeaveTheDocumentAlone) {
    ASSERT_EQ(LoadGifIntoDocument(doc_, TwoFrames(folder_.file("a.gif"))), 0);
    const Palette global = doc_.globalPalette;
    const auto frames = Frames();
    const auto labels = Labels(doc_.tree.root());

    GifBuilder bad;  // a good global table, then a broken first image
    std::vector<uint8_t> screen{7, 0, 6, 0, 0x81, 1, 0};
    bad.Header().Raw(screen).Raw(std::vector<uint8_t>(12, 9)).Loop(9).Raw({0x2C, 0, 0});
    const std::string badPath = bad.WriteTo(folder_.file("bad.gif"));
    EXPECT_EQ(LoadGifIntoDocument(doc_, badPath), 1);
    EXPECT_EQ(LoadGifIntoDocument(doc_, "/no/such/file.gif"), 1);
    const auto messages = host_.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(std::tuple(messages[0].text, messages[0].caption, messages[0].icon),
              std::tuple("Loading Gif", "Error", MessageIcon::Exclamation));

    // Refusing the resize of a mismatching file.
    host_.resizeAnswer = false;
    GifBuilder other;
    other.Header().Screen(3, 3, 1).Loop(9).Descriptor(0, 0, 3, 3);
    other.Pixels(1, std::vector<uint8_t>(9, 1));
    const std::string otherPath = other.Trailer().WriteTo(folder_.file("other.gif"));
    EXPECT_EQ(LoadGifIntoDocument(doc_, otherPath), -1);
    EXPECT_EQ(host_.resizeQuestions(), 1);

    EXPECT_EQ(Frames(), frames);
    EXPECT_EQ(Labels(doc_.tree.root()), labels);
    EXPECT_TRUE(std::tuple(doc_.globalPalette, doc_.loopCount, doc_.backgroundIndex,
                           doc_.firstFrame->hasLocalPalette,
                           doc_.modified()) == std::tuple(global, 4, 2, 0, false));

    // Accepting it resizes every new frame to the logical screen.
    host_.resizeAnswer = true;
    ASSERT_EQ(LoadGifIntoDocument(doc_, otherPath), 0);
    FrameRecord* added = doc_.selectedFrame;
    added->WaitForReduction();
    EXPECT_EQ(added->left + added->width, doc_.screenWidth);
    EXPECT_FALSE(doc_.resizingInProgress);
}

// Opening in steps as the editor does (the window's side is in tests/shell): the first
// image on a screen of its own size, then one image per step, ending as the whole load.
TEST_F(LoadGifTest, InStepsEndsAsTheWholeLoad) {
    const std::string path = TwoFrames(folder_.file("steps.gif"));
    AnimationDocument whole(host_, 2);
    ASSERT_EQ(LoadGifIntoDocument(whole, path), 0);
    GifLoadInSteps load(doc_);
    ASSERT_EQ(load.Begin(path), 0);
    EXPECT_EQ(std::vector<int>({doc_.countFrames(), doc_.screenWidth, doc_.screenHeight}),
              std::vector<int>({1, 4, 2}));
    EXPECT_TRUE(GetComposedBitmap(*doc_.firstFrame));
    EXPECT_FALSE(load.done());
    EXPECT_TRUE(load.Continue(std::chrono::nanoseconds(0)));
    EXPECT_EQ(doc_.countFrames(), 2);
    EXPECT_TRUE(load.TakeScreenGrown());  // the second image widens the screen
    EXPECT_FALSE(load.TakeScreenGrown());
    EXPECT_FALSE(load.Continue(std::chrono::nanoseconds(0)));
    EXPECT_TRUE(load.done());
    EXPECT_EQ(Labels(doc_.tree.root()), Labels(whole.tree.root()));
    EXPECT_EQ(
        std::vector<int>({doc_.screenWidth, doc_.screenHeight, doc_.frameCount, doc_.loopCount}),
        std::vector<int>(
            {whole.screenWidth, whole.screenHeight, whole.frameCount, whole.loopCount}));
    for (FrameRecord *f = doc_.firstFrame, *g = whole.firstFrame; f && g; f = f->next, g = g->next)
        EXPECT_EQ(GetComposedBitmap(*f)->pixels, GetComposedBitmap(*g)->pixels);
    EXPECT_FALSE(doc_.modified());
}
