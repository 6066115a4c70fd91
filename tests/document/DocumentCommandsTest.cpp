// Commands on the frame list and its tree, and random command sequences through the real
// loader that keep the tree the index of the frames.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <sstream>

#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "document/Composition.h"
#include "document/DocumentCommands.h"
#include "document/DocumentEdit.h"
#include "document/FrameOrder.h"
#include "document/PaletteChoice.h"
#include "import/LoadGif.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

class DocumentCommandsTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 2};
    ts::TempFolder folder;
    int loads = 0;

    // Opens a GIF of `frames` 4x3 images (the first with `comments` comments) after the
    // selection through the editor's loader, as a file of its own name ("loadN.gif").
    void Load(int frames, int comments = 0) {
        const std::string key = std::to_string(frames) + "-" + std::to_string(comments);
        const std::string made = folder.file("made-" + key + ".gif");
        if (!std::filesystem::exists(made)) {
            std::string colours;
            for (int i = 0; i < frames; ++i) colours += i % 2 ? " xc:#405060" : " xc:#102030";
            std::string notes;
            for (int c = 0; c < comments; ++c) notes += " --comment c" + std::to_string(c);
            const std::string plain = folder.file("plain-" + key + ".gif");
            ASSERT_EQ(ts::RunTool("convert -size 4x3" + colours + " " + plain).status, 0);
            ASSERT_EQ(ts::RunTool("gifsicle" + notes + " " + plain + " -o " + made).status, 0);
        }
        const std::string path = folder.file("load" + std::to_string(++loads) + ".gif");
        std::filesystem::copy_file(made, path, std::filesystem::copy_options::overwrite_existing);
        ASSERT_EQ(LoadGifIntoDocument(doc, path), 0);
        SyncGroupTables(doc);  // as the editor does after every load
    }

    // What Apply and the banner do: a run of copies after the selected frame, as a group.
    bool InsertGroup(const std::string& kind, int frames) {
        if (!doc.selectedFrame || doc.selectedItem == doc.tree.root() ||
            !doc.selectedItem->isFrameEntry()) {
            return false;
        }
        FrameRecord* chain = NewChain(doc.selectedFrame, nullptr, frames);
        if (!chain) return false;
        std::vector<FrameRun>& table = kind == "Effect"  ? doc.groups.effects
                                       : kind == "Trans" ? doc.groups.transitions
                                                         : doc.groups.banners;
        const std::string label = kind == "Banner"
                                      ? "Banner " + std::to_string(table.size() + 1)
                                      : kind + " " + std::to_string(table.size() + 1) + ": X";
        FrameRecord* last = LastOfChain(chain);
        InsertChainAfterSelection(doc, chain, label, [](int i, int n) {
            return "Gif :X (" + std::to_string(i) + "/" + std::to_string(n) + ")";
        });
        table.push_back({chain, last});
        return true;
    }

    void CheckInvariants(const std::string& step) {
        SCOPED_TRACE(step);
        ASSERT_TRUE(ts::TreeIndexesFrames(doc));
        EXPECT_TRUE(host.messages().empty()) << host.messages().front().text;
        // Every group table entry is the run of frames under its group entry.
        AnimationDocument::StructureReadLock lock(doc);
        const GroupTables expected = doc.groups;
        SyncGroupTables(doc);
        const auto same = [](const std::vector<FrameRun>& a, const std::vector<FrameRun>& b) {
            for (size_t i = 0; i < a.size(); ++i)
                EXPECT_TRUE(a[i].first == b[i].first && a[i].last == b[i].last) << "run " << i;
        };
        same(expected.effects, doc.groups.effects);
        same(expected.transitions, doc.groups.transitions);
        same(expected.banners, doc.groups.banners);
    }
};

// Frames moved, copied and reversed take their comments along; a group whose frames all
// leave goes; a copy beside a group's frame joins its run; Undo takes each back.
TEST_F(DocumentCommandsTest, RearrangedFramesKeepTheTreeRules) {
    Load(2, 2);
    doc.selectedFrame = doc.firstFrame;
    doc.selectedItem = doc.EntryOfFrame(doc.firstFrame);
    ASSERT_TRUE(InsertGroup("Effect", 2));
    // 0 load1 with two comments, 1-2 in "Effect 1: X", 3 load1.
    const std::vector<FrameTree::Entry> b = doc.tree.Entries();
    ASSERT_EQ(b.size(), 7u);
    ASSERT_EQ(b[3].text, "Effect 1: X");
    using E = FrameTree::Entry;
    struct Row {
        const char* what;
        char kind;  // m: move, c: copy, r: reverse, y: yo-yo
        std::vector<size_t> frames;
        int target;  // the frame dropped at (-1: the root), After or Before it
        DropPlace place;
        std::vector<E> entries;
        std::vector<size_t> commentsPerFrame;
    };
    const auto A = DropPlace::After;
    // clang-format off
    const Row rows[] = {
        {"the group's frames moved to the end: the group goes", 'm', {1, 2}, -1, A,
         {b[0], b[1], b[2], b[6], {1, b[4].text}, {1, b[5].text}}, {2, 0, 0, 0}},
        {"the first frame moved behind the last, with its comments", 'm', {0}, 3, A,
         {b[3], b[4], b[5], b[6], b[0], b[1], b[2]}, {0, 0, 0, 2}},
        {"the last frame copied in front of the group's first: it joins the group", 'c', {3}, 1,
         DropPlace::Before, {b[0], b[1], b[2], b[3], {2, b[6].text}, b[4], b[5], b[6]},
         {2, 0, 0, 0, 0}},
        {"the first and the last reversed", 'r', {0, 3}, 0, A,
         {b[6], b[3], b[4], b[5], {1, b[0].text}, b[1], b[2]}, {0, 0, 0, 2}},
        {"yo-yo of frames 0, 1, 3: a copy of 1 behind 3", 'y', {0, 1, 3}, 0, A,
         {b[0], b[1], b[2], b[3], b[4], b[5], b[6], {1, b[4].text}}, {2, 0, 0, 0, 0}},
        {"frames dropped onto one of themselves stay", 'm', {0, 1}, 0, A, b, {2, 0, 0, 0}},
    };
    // clang-format on
    const auto change = [&](const Row& r) {
        if (r.kind == 'r') return ReverseFrames(doc, r.frames);
        if (r.kind == 'y') return YoyoFrames(doc, r.frames);
        FrameRecord* at = doc.firstFrame;
        for (int k = 0; k < r.target; ++k) at = at->next;
        TreeItem* target = r.target < 0 ? doc.tree.root() : doc.EntryOfFrame(at);
        return MoveFrames(doc, r.frames, target, r.place, r.kind == 'c');
    };
    // The entry selected after each change: the first frame placed (the root not counted).
    const size_t selected[] = {4, 4, 4, 0, 7};
    for (size_t r = 0; r < std::size(rows); ++r) {
        const Row& row = rows[r];
        SCOPED_TRACE(row.what);
        {
            DocumentEdit edit(doc, "Rearrange");
            ASSERT_EQ(change(row), row.entries == b ? -1 : 0);
        }
        EXPECT_EQ(doc.tree.Entries(), row.entries);
        std::vector<size_t> comments;
        for (FrameRecord* f = doc.firstFrame; f; f = f->next)
            comments.push_back(f->comments.size());
        EXPECT_EQ(comments, row.commentsPerFrame);
        CheckInvariants(row.what);
        if (row.entries == b) continue;  // nothing to take back
        size_t at = 0;
        for (TreeItem* e = FrameTree::NextEntry(doc.tree.root()); e && e != doc.selectedItem;
             e = FrameTree::NextEntry(e))
            ++at;
        EXPECT_EQ(at, selected[r]);
        ASSERT_TRUE(doc.history.undo(doc));
        EXPECT_EQ(doc.tree.Entries(), b);
        CheckInvariants("undone");
    }
    EXPECT_EQ(doc.groups.effects.size(), 1u);
}

// Comments are deleted from their lists; a frame list with only global comments left
// counts as empty, and their entries stay.
TEST_F(DocumentCommandsTest, CommentsAreDeletedFromTheirLists) {
    Load(1, 3);
    doc.globalComments = {{"g1"}, {"g2"}};
    doc.hasGlobalComments = true;
    doc.RebuildGlobalCommentEntries();
    TreeItem* frameItem = doc.EntryOfFrame(doc.firstFrame);
    doc.selectedItem = frameItem->child(1);
    ASSERT_EQ(DeleteSelectedItem(doc, false), 0);
    ASSERT_EQ(doc.firstFrame->comments.size(), 2u);
    EXPECT_EQ(doc.firstFrame->comments[1].text, "c2");
    EXPECT_EQ(frameItem->child(1)->text(), "Comment [2]");
    doc.selectedItem = doc.tree.root()->child(0);
    ASSERT_EQ(DeleteSelectedItem(doc, false), 0);
    ASSERT_EQ(doc.globalComments.size(), 1u);
    EXPECT_EQ(doc.globalComments[0].text, "g2");
    EXPECT_TRUE(doc.hasGlobalComments);
    doc.selectedItem = doc.tree.root()->child(0);
    ASSERT_EQ(DeleteSelectedItem(doc, false), 0);
    EXPECT_FALSE(doc.hasGlobalComments);
    CheckInvariants("after deleting comments");
    doc.globalComments = {{"kept"}};
    doc.RebuildGlobalCommentEntries();
    doc.selectedItem = doc.EntryOfFrame(doc.firstFrame);
    ASSERT_EQ(DeleteSelectedItem(doc, false), 0);
    EXPECT_TRUE(doc.empty());
    EXPECT_EQ(doc.tree.size(), 2);
}

// What a user can see of the document, written out by hand: parameters, the tree with the
// selection, every frame's fields, pixels, palette and comments, and the group counts.
std::string Describe(AnimationDocument& doc) {
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) f->WaitForReduction();
    std::ostringstream out;
    out << doc.screenWidth << "x" << doc.screenHeight << " loops " << doc.loopCount << " global "
        << doc.hasGlobalPalette << " comments " << doc.globalComments.size() << " groups "
        << doc.groups.effects.size() << "/" << doc.groups.transitions.size() << "/"
        << doc.groups.banners.size() << "\n";
    for (TreeItem* e = doc.tree.root(); e; e = FrameTree::NextEntry(e))
        out << (e == doc.selectedItem ? "> " : "  ") << (e->parent() ? " " : "") << e->text()
            << "\n";
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        out << f->left << "," << f->top << " " << f->width << "x" << f->height << " delay "
            << f->delay << " local " << f->hasLocalPalette << " pixels";
        const auto plane = f->indexPlane();
        for (int y = 0; plane && y < f->height; ++y)
            for (int x = 0; x < f->width; ++x)
                out << " " << f->effectivePalette()[plane->get(x, y)].rgb();
        for (const CommentNode& c : f->comments) out << " #" << c.text;
        out << "\n";
    }
    return out.str();
}

// Random commands, each one undoable step: the tree stays the index of the frames, undo
// walks back through exactly the documents there were, and redo forward again.
TEST_F(DocumentCommandsTest, RandomCommandSequencesKeepTheTreeTheIndexAndUndoWalksBack) {
    const std::vector<uint32_t> picture(12, 0x00336699);
    doc.history.setLimits({1000000, int64_t(1) << 40});
    std::mt19937 random;
    const auto group = [&](const char* kind, int most) {
        if (InsertGroup(kind, 1 + int(random() % unsigned(most)))) doc.MarkChanged();
    };
    const auto palette = [&] {
        if (doc.empty()) return;
        if (random() % 2 || !doc.selectedFrame)
            SetUseGlobalPalette(doc, !doc.hasGlobalPalette);
        else
            SetUseLocalPalette(doc, *doc.selectedFrame, !doc.selectedFrame->hasLocalPalette);
    };
    const auto delay = [&] {
        if (!doc.selectedFrame) return;
        doc.selectedFrame->delay += 7;
        doc.MarkChanged();
    };
    const std::pair<std::string, std::function<void()>> commands[] = {
        {"load", [&] { Load(1 + int(random() % 3), int(random() % 2)); }},
        {"effect", [&] { group("Effect", 3); }},
        {"transition", [&] { group("Trans", 3); }},
        {"banner", [&] { group("Banner", 2); }},
        {"duplicate",
         [&] {
             if (doc.selectedFrame) DuplicateSelectedFrame(doc);
         }},
        {"paste", [&] { PasteFrame(doc, picture.data(), 4, 3); }},
        {"palette", palette},
        {"delay", delay},
        {"delete", [&] { DeleteSelectedItem(doc, false); }},
        {"delete", [&] { DeleteSelectedItem(doc, false); }},
    };
    for (unsigned seed = 1; seed <= 8; ++seed) {
        random.seed(seed);
        doc.Clear();
        loads = 0;
        // The document before and after each step of the history.
        std::vector<std::string> before, after;
        for (int step = 0; step < 250; ++step) {
            const std::string where =
                "seed " + std::to_string(seed) + " step " + std::to_string(step);
            // Select something at random first, as a user clicking in the tree.
            std::vector<TreeItem*> items;
            for (TreeItem* e = doc.tree.root(); e; e = FrameTree::NextEntry(e)) items.push_back(e);
            doc.selectedItem = items[random() % items.size()];
            if (doc.selectedItem->isFrameEntry())
                doc.selectedFrame = doc.GetGif(doc.selectedItem);
            else if (doc.selectedItem == doc.tree.root())
                doc.selectedFrame = doc.firstFrame;
            const std::string now = Describe(doc);  // the selection is part of what comes back

            const bool wasEmpty = doc.empty();
            const auto& [what, command] = commands[random() % std::size(commands)];
            {
                // Delays are typed: consecutive changes of one frame's delay are one step.
                DocumentEdit edit(doc, "step", what == "delay" ? "delay" : "");
                command();
            }
            CheckInvariants(where + " " + what);
            if (HasFatalFailure() || HasFailure()) return;
            if (wasEmpty && !doc.empty()) {
                // A file opened into the empty document starts a new history, as in the editor.
                doc.history.clear(true);
                before.clear();
                after.clear();
            } else if (doc.history.size() > before.size()) {
                before.push_back(now);
                after.push_back(Describe(doc));
            } else if (what == "delay" && doc.selectedFrame) {
                ASSERT_NE(Describe(doc), now) << where;
                after.back() = Describe(doc);  // merged into the delay step before it
            } else {
                ASSERT_EQ(Describe(doc), now) << where << " " << what << " changed nothing";
            }
            ASSERT_EQ(doc.history.size(), before.size()) << where << " " << what;
        }
        for (size_t k = before.size(); k-- > 0;) {
            ASSERT_TRUE(doc.history.undo(doc)) << "seed " << seed << " undo step " << k;
            ASSERT_EQ(Describe(doc), before[k]) << "seed " << seed << " undo step " << k;
            CheckInvariants("undo");
        }
        EXPECT_FALSE(doc.history.canUndo());
        for (size_t k = 0; k < after.size(); ++k) {
            ASSERT_TRUE(doc.history.redo(doc)) << "seed " << seed << " redo step " << k;
            ASSERT_EQ(Describe(doc), after[k]) << "seed " << seed << " redo step " << k;
        }
        CheckInvariants("redo");
    }
}

// Undoing a Delete or a Paste puts frames back or takes them out at their position: the
// other frames stay the records they were, and pictures composed before the position stay.
TEST_F(DocumentCommandsTest, UndoOfASpliceLeavesTheOtherFramesAlone) {
    Load(5);
    std::vector<FrameRecord*> records;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) records.push_back(f);
    GetComposedBitmap(*records[1]);
    doc.history.clear(true);
    doc.selectedItem = doc.EntryOfFrame(records[2]);
    doc.selectedFrame = records[2];
    {
        DocumentEdit edit(doc, "Delete Frame");
        ASSERT_EQ(DeleteSelectedItem(doc, false), 0);
    }
    ASSERT_EQ(doc.history.undoName(), "Delete Frame");
    ASSERT_TRUE(doc.history.undo(doc));
    std::vector<FrameRecord*> again;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) again.push_back(f);
    ASSERT_EQ(again.size(), 5u);
    EXPECT_EQ(again, (std::vector<FrameRecord*>{records[0], records[1], again[2], records[3],
                                                records[4]}));
    EXPECT_TRUE(HasComposedBitmap(*records[1]));
    EXPECT_EQ(doc.selectedFrame, again[2]);
    CheckInvariants("undo");
    ASSERT_TRUE(doc.history.redo(doc));
    EXPECT_EQ(doc.countFrames(), 4);
    EXPECT_EQ(doc.firstFrame->next->next, records[3]);
    CheckInvariants("redo");
}

}  // namespace
