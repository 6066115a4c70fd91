// The frame tree as the index of the frames: EnumGifs, GetGif and the global comment
// entries.
#include <gtest/gtest.h>

#include "document/AnimationDocument.h"
#include "support/TestSupport.h"

using testing_support::MakeFrame;

namespace {

class FrameTreeTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 1};
    std::vector<FrameRecord*> frames;
    std::vector<TreeItem*> entries;

    // Root: GlobalComment [1], Gif :a (Comment [1]), Effect 1: Blur (Gif x2), Gif :d
    void SetUp() override {
        FrameTree& t = doc.tree;
        doc.globalComments = {{"hello"}};
        doc.RebuildGlobalCommentEntries();
        entries.push_back(t.Append(t.root(), "Gif :a.gif"));
        t.Append(entries[0], "Comment [1]");
        TreeItem* group = t.Append(t.root(), "Effect 1: Blur");
        entries.push_back(t.Append(group, "Gif :Blur (1/2)"));
        entries.push_back(t.Append(group, "Gif :Blur (2/2)"));
        entries.push_back(t.Append(t.root(), "Gif :d.gif"));
        FrameRecord* prev = nullptr;
        for (int i = 0; i < 4; ++i) {
            FrameRecord* f = MakeFrame(doc, 2, 2, {0});
            f->prev = prev;
            if (prev)
                prev->next = f;
            else
                doc.firstFrame = f;
            prev = f;
            frames.push_back(f);
        }
    }
};

TEST_F(FrameTreeTest, EnumGifsCountsFrameEntriesBeforeTheSelection) {
    doc.selectedItem = doc.tree.root();
    EXPECT_EQ(doc.EnumGifs(), 0);
    doc.selectedItem = nullptr;
    EXPECT_EQ(doc.EnumGifs(), 0);
    doc.selectedItem = entries[2];
    EXPECT_EQ(doc.EnumGifs(), 2);
    // A comment entry counts its own frame: the position after it.
    doc.selectedItem = entries[0]->firstChild();
    EXPECT_EQ(doc.EnumGifs(), 1);
    EXPECT_TRUE(host.messages().empty());
}

TEST_F(FrameTreeTest, GlobalCommentEntriesAreRebuiltAtTheTop) {
    doc.globalComments = {{"one"}, {"two"}, {"three"}};
    doc.selectedItem = doc.tree.root()->firstChild();
    doc.RebuildGlobalCommentEntries();
    TreeItem* root = doc.tree.root();
    ASSERT_EQ(root->childCount(), 6);
    EXPECT_EQ(root->child(0)->text(), "GlobalComment [1]");
    EXPECT_EQ(root->child(2)->text(), "GlobalComment [3]");
    EXPECT_EQ(root->child(3)->text(), "Gif :a.gif");
    EXPECT_EQ(doc.selectedItem, root);  // the selected entry went away
    doc.globalComments.clear();
    doc.RebuildGlobalCommentEntries();
    EXPECT_EQ(root->child(0)->text(), "Gif :a.gif");
    EXPECT_EQ(doc.GetGif(entries[1]), frames[1]);
}

}  // namespace
