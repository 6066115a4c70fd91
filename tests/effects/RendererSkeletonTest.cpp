// The shared pieces of the renderers: frame copies, PingPong mirroring, progress.
#include <gtest/gtest.h>

#include "EffectTestSupport.h"
#include "effects/RendererSkeletons.h"

using namespace effects_test;

namespace {

class SkeletonTest : public RendererTest {
  protected:
    // An incremental chain of h frames, frame i holding index i + 1 at (0, 0).
    FrameRecord* Computed(FrameRecord* source, int h) {
        FrameRecord* head = nullptr;
        FrameRecord* last = nullptr;
        for (int i = 0; i < h; ++i) {
            FrameRecord* f = CopyFrameAfter(last ? *last : *source, last, true);
            EXPECT_NE(f, nullptr);
            f->trueColourPlane()->fill(uint32_t(i + 1));
            if (!head) head = f;
            last = f;
        }
        return head;
    }
    static std::vector<uint32_t> Marks(FrameRecord* chain) {
        std::vector<uint32_t> out;
        for (; chain; chain = chain->next) out.push_back(chain->trueColourPlane()->get(0, 0));
        return out;
    }
};

TEST_F(SkeletonTest, MirroredFramesReturnToTheStart) {
    FrameRecord* source = owner.add(testing_support::MakeFrame(doc, 3, 2, {0x123456}));
    struct Case {
        int n;
        std::vector<uint32_t> marks;
    };
    for (const Case& c :
         {Case{1, {1}}, Case{2, {1, 1}}, Case{5, {1, 2, 3, 2, 1}}, Case{6, {1, 2, 3, 3, 2, 1}}}) {
        const int h = ComputedCount(c.n, true);
        ChainOwner chain(Computed(source, h));
        ASSERT_TRUE(MirrorComputedFrames(chain.head, h, c.n));
        EXPECT_EQ(Marks(chain.head), c.marks) << c.n;
        FrameRecord* last = LastOfChain(chain.head);
        EXPECT_EQ(last->next, nullptr);
        for (FrameRecord* f = chain.head; f->next; f = f->next) EXPECT_EQ(f->next->prev, f);
    }
    EXPECT_EQ(ComputedCount(6, false), 6);
}

TEST_F(SkeletonTest, CopyAfterInsertsIntoTheMiddleOfAChain) {
    FrameRecord* source = owner.add(testing_support::MakeFrame(doc, 3, 2, {0x123456}));
    source->fileName = "x.gif";
    ChainOwner chain(Computed(source, 2));
    FrameRecord* middle = CopyFrameAfter(*chain.head, chain.head, true);
    ASSERT_NE(middle, nullptr);
    EXPECT_EQ(chain.head->next, middle);
    EXPECT_EQ(middle->next->prev, middle);
    EXPECT_EQ(CountChain(chain.head), 3);
    EXPECT_EQ(middle->fileName, "Copy of x.gif");
    EXPECT_FALSE(middle->IsPaletteValid());
}

TEST_F(SkeletonTest, ProgressAlwaysReturnsToIdle) {
    {
        RenderProgress progress(doc, false);
        progress.Announce(5);
        EXPECT_TRUE(progress.Step());
        EXPECT_TRUE(progress.Step());
        EXPECT_EQ(doc.notifier.snapshot().calculation.total, 5);
        // A run that fails here leaves three steps unreported.
    }
    EXPECT_EQ(doc.notifier.snapshot().calculation.total, 0);
    EXPECT_EQ(host.lastProgressText(), "Idle");
    const size_t shown = host.progress().size();
    {
        RenderProgress preview(doc, true);
        preview.Announce(4);
        preview.Step();
    }
    EXPECT_EQ(host.progress().size(), shown);  // the preview reports nothing
}

TEST_F(SkeletonTest, SelectedColourIsAPlainPixel) {
    FrameRecord* f = owner.add(testing_support::MakeFrame(doc, 2, 2, {0xABCDEF}));
    EXPECT_EQ(SelectedColour(*f, 0), 0xABCDEFu);
    EXPECT_EQ(SelectedColour(*f, 1), 0xFFFFFFu);  // unused entry: white, as a saved table holds it
    EXPECT_EQ(SelectedColour(*f, -1), 0u);
    EXPECT_EQ(SelectedColour(*f, 256), 0u);
}

}  // namespace
