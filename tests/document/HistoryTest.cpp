// The undo history: steps taken back and forth, merging, the saved point, the limits.
// Edits here change a text, so every expected state can be read off by hand.
#include "document/History.h"

#include <gtest/gtest.h>

#include <string>

#include "document/AnimationDocument.h"
#include "document/DocumentState.h"
#include "support/TestSupport.h"

namespace {

// Appends `added` to a text; a "typing" edit merges with the next typing edit.
class AppendEdit : public Edit {
  public:
    AppendEdit(std::string& text, std::string added, int64_t size, bool typing = false)
        : text_(text), added_(std::move(added)), size_(size), typing_(typing) {
        text_ += added_;
    }
    std::string name() const override { return typing_ ? "Typing" : "Append " + added_; }
    int64_t bytes() const override { return size_; }
    bool apply(AnimationDocument&) override {
        text_ += added_;
        return true;
    }
    bool revert(AnimationDocument&) override {
        text_.resize(text_.size() - added_.size());
        return true;
    }
    bool absorb(const Edit& next) override {
        const auto* other = dynamic_cast<const AppendEdit*>(&next);
        if (!typing_ || !other || !other->typing_) return false;
        added_ += other->added_;
        size_ += other->size_;
        return true;
    }

  private:
    std::string& text_;
    std::string added_;
    int64_t size_;
    bool typing_;
};

class HistoryTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 1};
    std::string text;
    void Do(History& h, const std::string& added, int64_t size = 1, bool typing = false) {
        h.record(std::make_unique<AppendEdit>(text, added, size, typing));
    }
};

TEST_F(HistoryTest, UndoAndRedoWalkTheStepsWithTheirNames) {
    History h;
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.undo(doc));
    Do(h, "a");
    Do(h, "b");
    Do(h, "c");
    EXPECT_EQ(h.undoName(), "Append c");
    EXPECT_EQ(h.redoName(), "");
    ASSERT_TRUE(h.undo(doc));
    ASSERT_TRUE(h.undo(doc));
    EXPECT_EQ(text, "a");
    EXPECT_EQ(h.undoName(), "Append a");
    EXPECT_EQ(h.redoName(), "Append b");
    ASSERT_TRUE(h.redo(doc));
    EXPECT_EQ(text, "ab");
    // A new change ends the redo steps.
    Do(h, "x");
    EXPECT_EQ(text, "abx");
    EXPECT_FALSE(h.canRedo());
    EXPECT_FALSE(h.redo(doc));
    while (h.undo(doc)) {
    }
    EXPECT_EQ(text, "");
    EXPECT_EQ(h.size(), 3u);
}

TEST_F(HistoryTest, TypingMergesIntoOneStepButNotAcrossTheSavedPoint) {
    History h;
    Do(h, "1", 1, true);
    Do(h, "2", 1, true);
    EXPECT_EQ(h.size(), 1u);
    EXPECT_EQ(h.bytes(), 2);
    h.markSaved();
    Do(h, "3", 1, true);
    EXPECT_EQ(h.size(), 2u) << "merged into the saved step";
    EXPECT_FALSE(h.atSavedPoint());
    ASSERT_TRUE(h.undo(doc));
    EXPECT_EQ(text, "12");
    EXPECT_TRUE(h.atSavedPoint());
    Do(h, "4", 1, false);
    Do(h, "5", 1, true);
    EXPECT_EQ(h.size(), 3u) << "a typing step merged into another kind";
}

TEST_F(HistoryTest, TheSavedPoint) {
    const struct {
        const char* what;
        const char* script;  // a: append, u: undo, r: redo, s: save
        bool atSaved;
    } cases[] = {
        {"fresh", "", true},
        {"one change", "a", false},
        {"change undone", "au", true},
        {"saved after a change", "as", true},
        {"saved, undone", "asu", false},
        {"saved, undone, redone", "asur", true},
        {"saved, undone, another change", "asua", false},
        {"saved, undone, another change undone", "asuau", false},
        {"saved, undone twice, redone twice", "aasuurr", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        History h;
        text.clear();
        for (const char* s = c.script; *s; ++s) {
            if (*s == 'a') Do(h, "a");
            if (*s == 'u') {
                ASSERT_TRUE(h.undo(doc));
            }
            if (*s == 'r') {
                ASSERT_TRUE(h.redo(doc));
            }
            if (*s == 's') h.markSaved();
        }
        EXPECT_EQ(h.atSavedPoint(), c.atSaved);
    }
}

TEST_F(HistoryTest, TheOldestStepsGoWhenALimitIsPassed) {
    const struct {
        const char* what;
        size_t maxSteps;
        int64_t maxBytes;
        int sizes[4];  // bytes of the four steps a, b, c, d
        size_t kept;
        const char* afterUndoingAll;
    } cases[] = {
        {"within both", 10, 100, {10, 10, 10, 10}, 4, ""},
        {"by count", 2, 100, {10, 10, 10, 10}, 2, "ab"},
        {"by bytes", 10, 25, {10, 10, 10, 10}, 2, "ab"},
        {"one large step pushes out the rest", 10, 50, {10, 10, 10, 45}, 1, "abc"},
        {"a step larger than the limit stays alone", 10, 5, {1, 1, 1, 9}, 1, "abc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        History h({c.maxSteps, c.maxBytes});
        text.clear();
        const char* names[] = {"a", "b", "c", "d"};
        for (int i = 0; i < 4; ++i) Do(h, names[i], c.sizes[i]);
        EXPECT_EQ(h.size(), c.kept);
        int64_t sum = 0;
        for (size_t i = 4 - c.kept; i < 4; ++i) sum += c.sizes[i];
        EXPECT_EQ(h.bytes(), sum);
        while (h.undo(doc)) {
        }
        EXPECT_EQ(text, c.afterUndoingAll);
    }
}

TEST_F(HistoryTest, ASavedStateDroppedByTheLimitNeverComesBack) {
    History h({2, 100});
    h.markSaved();  // the empty text
    Do(h, "a");
    Do(h, "b");
    Do(h, "c");  // the step from "" to "a" goes
    while (h.undo(doc)) {
    }
    EXPECT_EQ(text, "a");
    EXPECT_FALSE(h.atSavedPoint());
    h.clear(true);
    EXPECT_TRUE(h.atSavedPoint());
    EXPECT_EQ(h.bytes(), 0);
    h.clear(false);
    EXPECT_FALSE(h.atSavedPoint()) << "a recovered document starts modified";
}

// What a step costs: planes the other side shares cost nothing, a plane only this side
// holds counts once however many frames hold it (a 10 x 4 true-colour plane: 160 bytes).
TEST(StepBytes, OnlyPlanesTheOtherSideLacksCountAndEachOnce) {
    FrameState both;
    both.data.indexBuffer = IndexBuffer::Create(nullptr, 10, 4);
    both.data.ppTC = TrueColourBuffer::Create(10, 4);
    FrameState indexOnly;
    indexOnly.data.indexBuffer = both.data.indexBuffer;
    EXPECT_EQ(PlaneBytesNotIn({both, both}, {both}), 0);
    EXPECT_EQ(PlaneBytesNotIn({both, both}, {indexOnly}), 160);
    EXPECT_EQ(PlaneBytesNotIn({indexOnly}, {both}), 0);
}

}  // namespace
