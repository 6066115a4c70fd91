// Apply as an engine operation: splicing, group labels, failures and the preview.
#include <gtest/gtest.h>

#include <string>

#include "EffectTestSupport.h"
#include "effects/Apply.h"
#include "effects/EffectRegistry.h"
#include "effects/EffectSelection.h"

using namespace effects_test;
using testing_support::AppendToDocument;
using testing_support::MakeFrame;

namespace {

class ApplyTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 1};
    EffectSession session;

    void SetUp() override {
        for (const char* name : {"a.gif", "b.gif", "c.gif"}) {
            FrameRecord* f = MakeFrame(doc, 8, 6, {0x102030, 0xF0E0D0}, 0);
            f->fileName = name;
            AppendToDocument(doc, f, name);
            if (!doc.firstFrame) doc.firstFrame = f;
        }
        Select(0);
    }
    void TearDown() override { doc.Clear(); }

    void Select(int n) {
        FrameRecord* f = doc.firstFrame;
        for (int i = 0; i < n; ++i) f = f->next;
        doc.selectedFrame = f;
        doc.selectedItem = doc.EntryOfFrame(f);
    }

    // A dialog that picks an entry by name and takes its defaults with OK.
    EffectDialogRunner Choose(const char* name, int frames) {
        return [this, name, frames](EffectSession& s) {
            EffectSelection dialog(host, s);
            dialog.Open(doc.selectedFrame);
            if (s.block.isEffect)
                dialog.SelectEffect(FindEntryByName(true, name));
            else
                dialog.SelectTransition(FindEntryByName(false, name));
            dialog.form.frameCountText = std::to_string(frames);
            return dialog.Ok();
        };
    }
};

TEST_F(ApplyTest, EffectsAndTransitionsAreNumberedSeparately) {
    EXPECT_EQ(RunEffectCommand(doc, session, Choose("blur", 3)), ApplyResult::Inserted);
    EXPECT_EQ(doc.countFrames(), 6);
    // The selection moved to the first new frame; go back to a.gif.
    Select(0);
    EXPECT_EQ(RunEffectCommand(doc, session, Choose("Fade Out", 2)), ApplyResult::Inserted);
    Select(0);
    EXPECT_EQ(RunTransitionCommand(doc, session, Choose("Fade", 2)), ApplyResult::Inserted);
    EXPECT_EQ(doc.selectedItem->text(), "Gif :Fade (1/2)");
    EXPECT_EQ(testing_support::ChildLabels(doc.tree.root()),
              (std::vector<std::string>{"Gif :a.gif", "Trans 1: Fade", "Effect 2: Fade Out",
                                        "Effect 1: Blur", "Gif :b.gif", "Gif :c.gif"}));
    EXPECT_EQ(doc.tree.root()->child(3)->child(2)->text(), "Gif :Blur (3/3)");
    EXPECT_EQ(doc.countFrames(), 3 + 3 + 2 + 2);
    EXPECT_TRUE(doc.modified());
    EXPECT_TRUE(testing_support::TreeIndexesFrames(doc));
    // The transition sits between a.gif and b.gif.
    EXPECT_EQ(doc.groups.transitions.at(0).first->prev, doc.firstFrame);
}

// A renderer that makes nothing ends with message 2004 and leaves the document as it was:
// a count it refuses, or one beyond the memory budget that the run itself checks (memory
// can go elsewhere between the dialog and the run).
TEST_F(ApplyTest, RunsThatMakeNothingReportMessage2004AndChangeNothing) {
    const struct {
        bool effect;
        const char* name;
        int frames, pingPong;
    } cases[] = {
        {false, "Fade", 1, 0}, {true, "Weave", 1 << 30, 0}, {false, "Blur", 2147483647, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Select(0);
        const EffectDialogRunner runner = [&c](EffectSession& s) {
            (c.effect ? s.block.effectIndex : s.block.transitionIndex) =
                FindEntryByName(c.effect, c.name);
            s.block.frameCount = c.frames;
            s.block.pingPong = c.pingPong;
            return true;
        };
        EXPECT_EQ(c.effect ? RunEffectCommand(doc, session, runner)
                           : RunTransitionCommand(doc, session, runner),
                  ApplyResult::Failed);
        ASSERT_FALSE(host.messages().empty());
        EXPECT_EQ(host.messages().back().text,
                  "An Error occured while calculating the last animation :-(");
        EXPECT_EQ(host.messages().back().caption, "Error");
        EXPECT_EQ(doc.countFrames(), 3);
        EXPECT_EQ(doc.tree.root()->childCount(), 3);
    }
    EXPECT_TRUE(doc.groups.effects.empty());
    EXPECT_TRUE(doc.groups.transitions.empty());
}

TEST_F(ApplyTest, RefusalsBeforeTheDialog) {
    int dialogs = 0;
    EffectDialogRunner counting = [&dialogs](EffectSession&) {
        ++dialogs;
        return false;
    };
    doc.selectedItem = doc.tree.root();
    EXPECT_EQ(RunEffectCommand(doc, session, counting), ApplyResult::Refused);
    EXPECT_EQ(host.messages().back().text,
              "Please select an image file prior to applying an Effect/Transition.");
    Select(2);
    EXPECT_FALSE(TransitionPossible(doc));
    EXPECT_EQ(RunTransitionCommand(doc, session, counting), ApplyResult::Refused);
    EXPECT_EQ(RunEffectCommand(doc, session, counting), ApplyResult::Cancelled);
    EXPECT_EQ(session.block.noSecondImage, 1);
    EXPECT_EQ(dialogs, 1);

    RecordingHost emptyHost;
    AnimationDocument empty(emptyHost, 1);
    EXPECT_EQ(RunEffectCommand(empty, session, counting), ApplyResult::Refused);
    EXPECT_EQ(emptyHost.messages().size(), 1u);
}

}  // namespace
