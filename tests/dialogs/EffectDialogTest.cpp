// The "Select Effect/Transition" dialog driven through its widgets, on its own and from
// the editor's Insert Effect / Insert Transition / "Effect/Transition" commands.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

#include "dialogs/EffectDialog.h"
#include "document/FrameRecord.h"
#include "effects/EffectRegistry.h"
#include "support/qt/EditorTestSupport.h"

using namespace dialog_testing;
using namespace editor_testing;

namespace {

// Waits (at most 3 s) until the box answered by `seen` has shown its text.
bool WaitForBox(const std::shared_ptr<BoxAnswer>& seen) {
    for (int i = 0; i < 300 && seen->text.isEmpty(); ++i) QTest::qWait(10);
    return !seen->text.isEmpty();
}

class EffectDialogTest : public EditorTest {
  protected:
    EffectSession& session() { return window().effectSession(); }
    void open(int frames, int w = 8, int h = 6) {
        ASSERT_TRUE(openGif(std::vector<int>(size_t(frames), 10), w, h));
    }
    // The dialog as Apply opens it on the selected frame.
    std::unique_ptr<EffectDialog> makeDialog() {
        session().block.noSecondImage = doc().selectedFrame->next ? 0 : 1;
        auto dialog =
            std::make_unique<EffectDialog>(&window(), doc(), session(), window().settings());
        dialog->show();
        return dialog;
    }
    static int effect(const char* name) { return FindEntryByName(true, name); }
};

// Without a successor of the same size and place, the title says why and the
// transition mode is refused with its message.
TEST_F(EffectDialogTest, WithoutAMatchingSecondImageTransitionsAreRefused) {
    const struct {
        const char* name;
        int frames;
        bool moved;  // the second frame elsewhere
        std::string title;
    } rows[] = {{"one frame", 1, false, kMessage2003},
                {"successor elsewhere", 2, true, "Size of second Image doesn't match"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        window().runCommand(kCmdNew);
        open(row.frames);
        if (row.moved) doc().firstFrame->next->left = 1;
        session().block.isEffect = 0;
        auto dialog = makeDialog();
        EXPECT_EQ(dialog->windowTitle().toStdString(), row.title);
        EXPECT_EQ(session().block.noSecondImage, 1);
        EXPECT_TRUE(dialog->effectRadio()->isChecked());
        auto seen = AnswerNextBox(Answer::Ok);
        dialog->transitionRadio()->click();
        ASSERT_TRUE(WaitForBox(seen));
        EXPECT_EQ(seen->text.toStdString(), kMessage2002);
        EXPECT_EQ(seen->caption, "Warning");
        EXPECT_TRUE(dialog->effectRadio()->isChecked());
        EXPECT_TRUE(dialog->selection().effectMode());
        dialog->reject();
        doc().history.clear(true);
    }
}

// A zero count typed (refused after the typing pause), PingPong with one frame, and a
// spiral count that does not fill its grid: each message, and the dialog stays.
TEST_F(EffectDialogTest, RefusedValuesShowTheirMessageAndKeepTheDialog) {
    const struct {
        const char* effect;
        int frames;
        const char* caption;
        const char* text;
    } rows[] = {
        {"Blur", 7, "Invalid Parameter", "Number of Frames must be larger than Zero !"},
        {"Weave", 1, "Invalid Parameter", "PingPong requires at least two frames."},
        {"Spiral", 10, "Spiral grid doesn't correspond to Nr. of Frames",
         "For a 3 x 3 spiral grid only 9 frames are necessary.\nUse 9 frames instead of 10 ?"},
    };
    open(2, 100, 100);
    window().settings().preview = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.effect);
        session().block.isEffect = 1;
        session().block.effectIndex = effect(row.effect);
        session().block.frameCount = row.frames;
        session().block.pingPong = 0;
        auto dialog = makeDialog();
        auto seen = AnswerNextBox(Answer::Cancel);
        if (row.frames == 7) {
            dialog->frameCountEdit()->selectAll();
            QTest::keyClicks(dialog->frameCountEdit(), "0");
            EXPECT_TRUE(dialog->typingTimer()->isActive());
        } else if (row.frames == 1) {
            dialog->pingPongBox()->click();
        } else {
            dialog->accept();
        }
        ASSERT_TRUE(WaitForBox(seen));
        EXPECT_EQ(seen->text, row.text);
        EXPECT_EQ(seen->caption, row.caption);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->frameCountEdit()->text(), QString::number(row.frames));
        EXPECT_FALSE(dialog->pingPongBox()->isChecked());
        if (row.frames != 10) continue;
        // Yes to the spiral question takes the grid's count.
        seen = AnswerNextBox(Answer::Yes);
        dialog->accept();
        ASSERT_TRUE(WaitForBox(seen));
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(session().block.frameCount, 9);
    }
}

// Insert Effect, Insert Transition and the button under the tree (in the mode used last)
// open the dialog; OK adds the frames as a group after the selected image, its first
// frame selected. A group deletes as one.
TEST_F(EffectDialogTest, TheInsertCommandsAddAGroupThatDeletesAsOne) {
    open(2);
    window().settings().preview = 0;
    const struct {
        int command;
        bool effect;
        const char* entry;
        int frames;
        const char* group;
    } rows[] = {{kCmdInsertEffect, true, "Invert", 3, "Effect 1: Invert"},
                {kCmdInsertTransition, false, "Fade", 2, "Trans 1: Fade"},
                {kCmdEffectTransition, false, "Blur", 2, nullptr}};
    int count = 2;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.entry);
        window().selectEntry(doc().EntryOfFrame(doc().firstFrame));
        bool effectShown = !row.effect;
        WhenModal<EffectDialog>([&](EffectDialog& d) {
            effectShown = d.selection().effectMode();
            (row.effect ? d.effectList() : d.transitionList())
                ->setCurrentRow(FindEntryByName(row.effect, row.entry));
            d.frameCountEdit()->setText(QString::number(row.frames));
            d.accept();
        });
        window().runCommand(row.command);
        EXPECT_EQ(effectShown, row.effect);
        ASSERT_EQ(doc().countFrames(), count += row.frames);
        EXPECT_EQ(doc().selectedFrame, doc().firstFrame->next);
        if (!row.group) continue;
        TreeItem* group = doc().selectedItem->parent();
        EXPECT_EQ(group->text(), row.group);
        EXPECT_EQ(group->childCount(), row.frames);
    }
    EXPECT_TRUE(doc().modified());

    TreeItem* effect = doc().tree.root()->firstChild();
    while (effect && effect->text() != "Effect 1: Invert") effect = effect->nextSibling();
    ASSERT_NE(effect, nullptr);
    window().selectEntry(effect);
    auto seen = AnswerNextBox(Answer::Yes);
    window().runCommand(kCmdDelete);
    EXPECT_EQ(seen->text,
              "Do you really want to remove 'Effect 1: Invert' and all its images from the list ?");
    EXPECT_EQ(doc().countFrames(), count - 3);
}

}  // namespace
