// Building chains of new frames and splicing them into the document.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "document/Composition.h"
#include "gif/GifWriter.h"
#include "import/LoadGif.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

using testing_support::MakeFrame;

namespace {

class ChainTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 1};

    // A chain of n frames named f1..fn, each filled with its own index.
    FrameRecord* Chain(int n) {
        FrameRecord* first = nullptr;
        FrameRecord* last = nullptr;
        for (int i = 1; i <= n; ++i) {
            FrameRecord* f = MakeFrame(doc, 2, 1, {0, 1, 2, 3, 4, 5, 6}, uint8_t(i));
            f->fileName = "f" + std::to_string(i);
            f->prev = last;
            if (last)
                last->next = f;
            else
                first = f;
            last = f;
        }
        return first;
    }
    static std::vector<int> Indexes(FrameRecord* chain) {
        std::vector<int> out;
        for (; chain; chain = chain->next) out.push_back(chain->indexPlane()->get(0, 0));
        return out;
    }
};

TEST_F(ChainTest, NewChainRefusals) {
    FrameRecord* source = Chain(1);
    EXPECT_EQ(NewChain(source, nullptr, 0), nullptr);
    EXPECT_EQ(NewChain(nullptr, nullptr, 3), nullptr);
    source->bitsPerPixel = 4;
    EXPECT_EQ(NewChain(source, nullptr, 3), nullptr);
    source->bitsPerPixel = 8;
    source->width = 0;
    EXPECT_EQ(NewChain(source, nullptr, 3), nullptr);
    // A chain that no machine holds is refused before anything is made.
    source->width = source->height = 65535;
    EXPECT_EQ(NewChain(source, nullptr, 1000), nullptr);
    source->width = 2;
    source->height = 1;

    FrameRecord* copies = NewChain(nullptr, source, 4);  // b stands in for a missing a
    ASSERT_NE(copies, nullptr);
    EXPECT_EQ(CountChain(copies), 4);
    EXPECT_EQ(Indexes(copies), (std::vector<int>{1, 1, 1, 1}));
    EXPECT_EQ(copies->fileName, "Copy of f1");
    EXPECT_EQ(copies->trueColourPlane(), nullptr);
    DiscardChain(copies);
    DiscardChain(source);
}

TEST_F(ChainTest, CopyIntoNamesAndCopiesWhatItShould) {
    FrameRecord* a = Chain(1);
    a->fileName = "a.gif";
    a->disposal = 2;
    a->delay = 33;
    a->reservedColours[0] = 0x102030;
    ASSERT_TRUE(ToTrueColour(*a, false));
    FrameRecord* b = AnimationDocument::Adopt(FrameRecord::Construct(doc, nullptr, nullptr));
    EXPECT_EQ(CopyInto(*a, nullptr, false), -1);
    EXPECT_EQ(CopyInto(*a, b, true), 0);
    EXPECT_EQ(b->fileName, "Copy of a.gif");
    EXPECT_EQ(b->delay, 33u);
    EXPECT_EQ(b->disposal, 0);  // disposal is not copied
    EXPECT_EQ(b->reservedColours[0], 0x102030u);
    ASSERT_NE(b->trueColourPlane(), nullptr);
    EXPECT_FALSE(b->IsPaletteValid());
    EXPECT_EQ(b->trueColourPlane()->get(1, 0), 1u);

    for (FrameRecord* f : {a, b}) DiscardChain(f);
}

TEST(InsertChainTest, TheFrameBehindTheGroupIsComposedOnTheGroupsLastFrame) {
    namespace ts = testing_support;
    // FFmpeg crops every frame after the first to its changes: the second frame shows
    // the first one around it and through its transparent pixels.
    const ts::TempFolder folder;
    const std::string video = ts::MakeVideoGif(folder, "video.gif", "testsrc2", 160, 120, 3);
    ASSERT_FALSE(video.empty());
    RecordingHost host;
    AnimationDocument doc(host);
    ASSERT_EQ(LoadGifIntoDocument(doc, video), 0);
    FrameRecord* const first = doc.firstFrame;
    FrameRecord* const second = first->next;
    ASSERT_NE(second, nullptr);
    ASSERT_FALSE(second->coversScreen());
    // The editor has shown every frame.
    for (FrameRecord* f = first; f; f = f->next) ASSERT_NE(GetComposedBitmap(*f), nullptr);

    // Insert two frames after the first one: copies of it, mirrored left to right.
    doc.selectedFrame = first;
    doc.selectedItem = doc.EntryOfFrame(first);
    FrameRecord* chain = NewChain(first, nullptr, 2);
    ASSERT_NE(chain, nullptr);
    for (FrameRecord* f = chain; f; f = f->next) {
        const auto plane = f->indexPlane();
        for (int y = 0; y < plane->height; ++y)
            std::reverse(plane->row(y), plane->row(y) + plane->width);
    }
    ASSERT_NE(InsertChainAfterSelection(doc, chain, "Effect 1: Mirror",
                                        [](int i, int n) {
                                            return "Gif :Mirror (" + std::to_string(i) + "/" +
                                                   std::to_string(n) + ")";
                                        }),
              nullptr);
    const std::shared_ptr<const ComposedPicture> shown = GetComposedBitmap(*second);
    ASSERT_NE(shown, nullptr);

    // What every reader shows of the saved animation.
    const std::string saved = folder.file("saved.gif");
    ASSERT_EQ(SaveAnimation(doc, saved), kSaveOk);
    const auto peer = ts::PeerComposedPictures(saved);
    ASSERT_TRUE(peer.has_value());
    ASSERT_EQ(peer->size(), 5u);
    ts::ComposedPicture editor{shown->width, shown->height, {}};
    for (const uint32_t p : shown->pixels) editor.pixels.push_back(0xFF000000u | p);
    EXPECT_EQ(ts::MaxChannelDifference(editor, (*peer)[3]), 0);
    doc.jobs().WaitIdle();
}

}  // namespace
