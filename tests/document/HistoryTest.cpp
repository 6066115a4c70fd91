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

// Scripts of a: append the next letter, t: type it (merging, not into the saved step nor
// another kind), u: undo, r: redo, s: save; then the text, saved point and redo left.
TEST_F(HistoryTest, StepsTakenBackAndForthAndTheSavedPoint) {
    const struct {
        const char* script;
        const char* text;
        bool atSaved, canRedo;
    } cases[] = {
        {"", "", true, false},
        {"a", "a", false, false},
        {"au", "", true, true},
        {"as", "a", true, false},
        {"asu", "", false, true},
        {"asur", "a", true, false},
        {"aaauur", "ab", false, true},
        // A new change ends the steps to redo.
        {"asua", "b", false, false},
        {"asuau", "", false, true},
        {"aasuurr", "ab", true, false},
        {"u", "", true, false},
        {"r", "", true, false},
        {"ttu", "", true, true},
        {"ttstu", "ab", true, true},
        {"atu", "a", false, true},
        {"tatu", "ab", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        History h;
        text.clear();
        char next = 'a';
        for (const char* s = c.script; *s; ++s) {
            if (*s == 'a' || *s == 't') Do(h, std::string(1, next++), 1, *s == 't');
            if (*s == 'u') h.undo(doc);
            if (*s == 'r') h.redo(doc);
            if (*s == 's') h.markSaved();
        }
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(h.atSavedPoint(), c.atSaved);
        EXPECT_EQ(h.canRedo(), c.canRedo);
        EXPECT_EQ(h.canUndo(), !text.empty());
    }
}

// Saved with the text empty, then four steps a, b, c, d: a saved state dropped by the limit
// never comes back.
TEST_F(HistoryTest, TheOldestStepsGoWhenALimitIsPassed) {
    const struct {
        const char* what;
        size_t maxSteps;
        int64_t maxBytes;
        int sizes[4];
        size_t kept;
        int64_t bytes;
        const char* afterUndoingAll;
    } cases[] = {
        {"within both", 10, 100, {10, 10, 10, 10}, 4, 40, ""},
        {"by count", 2, 100, {10, 10, 10, 10}, 2, 20, "ab"},
        {"by bytes", 10, 25, {10, 10, 10, 10}, 2, 20, "ab"},
        {"one large step pushes out the rest", 10, 50, {10, 10, 10, 45}, 1, 45, "abc"},
        {"a step larger than the limit stays alone", 10, 5, {1, 1, 1, 9}, 1, 9, "abc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        History h({c.maxSteps, c.maxBytes});
        text.clear();
        h.markSaved();
        for (int i = 0; i < 4; ++i) Do(h, std::string(1, char('a' + i)), c.sizes[i]);
        EXPECT_EQ(h.size(), c.kept);
        EXPECT_EQ(h.bytes(), c.bytes);
        while (h.undo(doc)) {
        }
        EXPECT_EQ(text, c.afterUndoingAll);
        EXPECT_EQ(h.atSavedPoint(), text.empty());
        h.clear(true);
        EXPECT_TRUE(h.atSavedPoint());
        EXPECT_EQ(h.bytes(), 0);
        h.clear(false);
        EXPECT_FALSE(h.atSavedPoint()) << "a recovered document starts modified";
    }
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
