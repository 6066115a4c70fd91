// The "Select Effect/Transition" dialog driven through its widgets, on its own and from
// the editor's Insert Effect / Insert Transition / "Effect/Transition" commands.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "../shell/ShellTestSupport.h"
#include "ModalScript.h"
#include "dialogs/EffectDialog.h"
#include "dialogs/WarningDialog.h"
#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"
#include "effects/EffectRegistry.h"
#include "shell/CommandIds.h"
#include "shell/MainWindow.h"

using namespace shell_testing;

using namespace dialog_testing;

namespace {

// While alive, answers every message box with Yes (Ok boxes are closed) and keeps
// their texts, so that an unexpected box fails a test instead of hanging it.
class BoxGuard {
  public:
    BoxGuard() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            texts.push_back(box->text());
            if (QAbstractButton* yes = box->button(QMessageBox::Yes))
                yes->click();
            else
                box->reject();
        });
        timer_.start(5);
    }
    QStringList texts;

  private:
    QTimer timer_;
};

// Waits (at most 3 s) until the box answered by `seen` has shown its text.
bool WaitForBox(const std::shared_ptr<BoxAnswer>& seen) {
    for (int i = 0; i < 300 && seen->text.isEmpty(); ++i) QTest::qWait(10);
    return !seen->text.isEmpty();
}

class EffectDialogTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>();
    AnimationDocument& doc() { return window->document(); }
    EffectSession& session() { return window->effectSession(); }

    void SetUp() override {
        window->settings().confirmDelete = 0;
        window->show();
    }
    void TearDown() override {
        doc().modified = false;
        window->close();
    }
    void open(int frames, int w = 8, int h = 6) {
        ASSERT_EQ(window->openFile(
                      WriteGif(dir.path(), "a.gif", std::vector<int>(size_t(frames), 10), w, h)),
                  0);
    }
    // The dialog as Apply opens it on the selected frame.
    std::unique_ptr<EffectDialog> makeDialog() {
        session().block.noSecondImage = doc().selectedFrame->next ? 0 : 1;
        auto dialog =
            std::make_unique<EffectDialog>(window.get(), doc(), session(), window->settings());
        dialog->show();
        return dialog;
    }
    static int effect(const char* name) { return FindEntryByName(true, name); }
    static int transition(const char* name) { return FindEntryByName(false, name); }
};

TEST_F(EffectDialogTest, WithoutSecondImageTheTitleSaysSoAndTransitionsAreRefused) {
    open(1);
    session().block.isEffect = 0;
    auto dialog = makeDialog();
    EXPECT_EQ(dialog->windowTitle().toStdString(), kMessage2003);
    EXPECT_TRUE(dialog->effectRadio()->isChecked());
    EXPECT_EQ(dialog->effectList()->count(), kEffectCount);
    EXPECT_EQ(dialog->transitionList()->count(), kTransitionCount);

    auto seen = AnswerNextBox(Answer::Ok);
    dialog->transitionRadio()->click();
    ASSERT_TRUE(WaitForBox(seen));
    EXPECT_EQ(seen->text.toStdString(), kMessage2002);
    EXPECT_EQ(seen->caption, "Warning");
    EXPECT_TRUE(dialog->effectRadio()->isChecked());
    EXPECT_TRUE(dialog->selection().effectMode());
    dialog->reject();
}

TEST_F(EffectDialogTest, SwitchingModesConfiguresTheOtherEntry) {
    open(2);
    session().block.isEffect = 1;
    session().block.effectIndex = effect("Invert");
    session().block.transitionIndex = transition("Blur");
    auto dialog = makeDialog();
    EXPECT_EQ(dialog->windowTitle(), "Select Effect/Transition");
    EXPECT_EQ(dialog->description()->text(),
              "Inverts Image (making it look like a photo-negative).");
    EXPECT_FALSE(dialog->edit(1)->isEnabled());
    dialog->transitionRadio()->click();
    EXPECT_FALSE(dialog->selection().effectMode());
    EXPECT_EQ(dialog->description()->text(), "Blurs the image(s)");
    EXPECT_TRUE(dialog->edit(1)->isEnabled());
    EXPECT_EQ(dialog->edit(1)->text(), "20");
    dialog->effectRadio()->click();
    EXPECT_TRUE(dialog->selection().effectMode());
    EXPECT_FALSE(dialog->edit(1)->isEnabled());
    // Cancel puts back the mode of the opening.
    dialog->transitionRadio()->click();
    dialog->reject();
    EXPECT_EQ(session().block.isEffect, 1);
}

TEST_F(EffectDialogTest, ASuccessorElsewhereOffersOnlyEffects) {
    open(2);
    doc().firstFrame->next->left = 1;  // same size, another place
    session().block.isEffect = 0;
    auto dialog = makeDialog();
    EXPECT_EQ(dialog->windowTitle(), "Size of second Image doesn't match");
    EXPECT_EQ(session().block.noSecondImage, 1);
    EXPECT_TRUE(dialog->effectRadio()->isChecked());
    auto seen = AnswerNextBox(Answer::Ok);
    dialog->transitionRadio()->click();
    ASSERT_TRUE(WaitForBox(seen));
    EXPECT_EQ(seen->text.toStdString(), kMessage2002);
    dialog->reject();
}

TEST_F(EffectDialogTest, TheTypingPauseRestoresABadFrameCount) {
    open(2);
    session().block.isEffect = 1;
    session().block.effectIndex = effect("Blur");
    session().block.frameCount = 7;
    auto dialog = makeDialog();
    EXPECT_EQ(dialog->frameCountEdit()->text(), "7");
    dialog->frameCountEdit()->selectAll();
    auto seen = AnswerNextBox(Answer::Ok);
    QTest::keyClicks(dialog->frameCountEdit(), "0");
    EXPECT_TRUE(dialog->typingTimer()->isActive());
    ASSERT_TRUE(WaitForBox(seen));
    EXPECT_EQ(seen->text, "Number of Frames must be larger than Zero !");
    EXPECT_EQ(seen->caption, "Invalid Parameter");
    EXPECT_EQ(dialog->frameCountEdit()->text(), "7");
    EXPECT_EQ(dialog->frameCountEdit()->selectedText(), "7");

    // A good value is taken after the pause.
    dialog->frameCountEdit()->selectAll();
    QTest::keyClicks(dialog->frameCountEdit(), "4");
    for (int i = 0; i < 100 && session().block.frameCount != 4; ++i) QTest::qWait(10);
    EXPECT_EQ(session().block.frameCount, 4);
    dialog->reject();
}

TEST_F(EffectDialogTest, PingPongNeedsTwoFrames) {
    open(2);
    session().block.isEffect = 1;
    session().block.effectIndex = effect("Weave");
    session().block.frameCount = 1;
    session().block.pingPong = 0;
    auto dialog = makeDialog();
    ASSERT_TRUE(dialog->pingPongBox()->isEnabled());
    auto seen = AnswerNextBox(Answer::Ok);
    dialog->pingPongBox()->click();
    ASSERT_TRUE(WaitForBox(seen));
    EXPECT_EQ(seen->text, "PingPong requires at least two frames.");
    EXPECT_EQ(seen->caption, "Invalid Parameter");
    EXPECT_FALSE(dialog->pingPongBox()->isChecked());
    dialog->reject();
}

TEST_F(EffectDialogTest, TheSpiralGridQuestionOnOk) {
    open(2, 100, 100);
    session().block.isEffect = 1;
    session().block.effectIndex = effect("Spiral");
    session().block.frameCount = 10;
    window->settings().preview = 0;
    auto dialog = makeDialog();
    auto seen = AnswerNextBox(Answer::Cancel);
    dialog->accept();
    ASSERT_TRUE(WaitForBox(seen));
    EXPECT_EQ(seen->caption, "Spiral grid doesn't correspond to Nr. of Frames");
    EXPECT_EQ(seen->text,
              "For a 3 x 3 spiral grid only 9 frames are necessary.\nUse 9 frames "
              "instead of 10 ?");
    EXPECT_TRUE(dialog->isVisible());  // Cancel keeps it open

    seen = AnswerNextBox(Answer::Yes);
    dialog->accept();
    ASSERT_TRUE(WaitForBox(seen));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(session().block.frameCount, 9);
}

TEST_F(EffectDialogTest, TheTransparentColourWarningHasItsDontShowBox) {
    open(2);
    doc().firstFrame->hasTransparency = 1;
    doc().firstFrame->transparentIndex = 0;
    session().dialogColour = 0;
    session().block.isEffect = 1;
    session().block.effectIndex = effect("Invert");
    window->settings().preview = 0;
    window->settings().transparentWarning = 0;
    auto dialog = makeDialog();
    QString text;
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, &text] {
        auto* warning = qobject_cast<WarningDialog*>(QApplication::activeModalWidget());
        if (!warning) return;
        timer->stop();
        timer->deleteLater();
        text = warning->textLabel()->text();
        warning->reject();
    });
    timer->start();
    dialog->accept();
    EXPECT_EQ(text.toStdString(), WarningText(WarningKind::Transparent));
    EXPECT_TRUE(dialog->isVisible());  // refused: stays open
    // Switched off: OK goes through without asking.
    window->settings().transparentWarning = 1;
    dialog->accept();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(EffectDialogTest, SmallFramesPreviewThemselvesLargeOnesScaledCopies) {
    open(2, 100, 99);  // 9900 pixels
    session().block.isEffect = 1;
    session().block.effectIndex = effect("Blur");
    session().block.frameCount = 3;
    window->settings().preview = 1;
    {
        auto dialog = makeDialog();
        EXPECT_FALSE(dialog->preview().scaled());
        EXPECT_EQ(dialog->preview().source1(), doc().firstFrame);
        EXPECT_EQ(dialog->preview().source2(), doc().firstFrame->next);
        ASSERT_NE(dialog->preview().chain(), nullptr);
        const int before = dialog->framesShown();
        QTest::qWait(350);
        EXPECT_GE(dialog->framesShown(), before + 2);  // the 100 ms frame timer runs
        // Preview off clears the area and stops.
        dialog->previewBox()->click();
        EXPECT_EQ(dialog->preview().chain(), nullptr);
        EXPECT_EQ(window->settings().preview, 0u);
        dialog->reject();
        EXPECT_EQ(window->settings().preview, 1u);  // Cancel restores the setting
    }
    doc().modified = false;
    window->runCommand(kCmdNew);
    open(2, 100, 100);  // 10000 pixels
    auto dialog = makeDialog();
    EXPECT_TRUE(dialog->preview().scaled());
    ASSERT_NE(dialog->preview().source1(), nullptr);
    EXPECT_NE(dialog->preview().source1(), doc().firstFrame);
    EXPECT_EQ(dialog->preview().source1()->width, EffectDialog::kPreviewWidth);
    EXPECT_EQ(dialog->preview().source1()->height, EffectDialog::kPreviewHeight);
    ASSERT_NE(dialog->preview().chain(), nullptr);
    QTest::qWait(150);
    dialog->reject();
    EXPECT_EQ(dialog->preview().source1(), nullptr);  // the copies go with the dialog
}

TEST_F(EffectDialogTest, InsertEffectAddsAGroupThatDeletesAsOne) {
    open(2);
    const int before = doc().countFrames();
    window->settings().preview = 0;
    WhenModal<EffectDialog>([](EffectDialog& d) {
        d.effectList()->setCurrentRow(FindEntryByName(true, "Invert"));
        d.frameCountEdit()->setText(QStringLiteral("3"));
        d.accept();
    });
    BoxGuard boxes;
    window->runCommand(kCmdInsertEffect);
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join("|").toStdString();
    ASSERT_EQ(doc().countFrames(), before + 3);
    EXPECT_TRUE(doc().modified);
    TreeItem* group = nullptr;
    for (TreeItem* item = doc().tree.root()->firstChild(); item; item = item->nextSibling())
        if (item->text() == "Effect 1: Invert") group = item;
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->childCount(), 3);
    // The first new frame is selected.
    EXPECT_EQ(doc().selectedFrame, doc().firstFrame->next);
    EXPECT_EQ(doc().selectedItem, group->firstChild());
    EXPECT_TRUE(window->action(kCmdInsertTransition)->isEnabled());
    EXPECT_EQ(window->action(kCmdResize)->text(), "&Resize All ...");

    window->selectEntry(group);
    window->runCommand(kCmdDelete);  // the guard answers the question with Yes
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(boxes.texts[0],
              "Do you really want to remove 'Effect 1: Invert' and all its images from the list ?");
    EXPECT_EQ(doc().countFrames(), before);
}

TEST_F(EffectDialogTest, InsertTransitionNeedsAMatchingSuccessor) {
    open(2);
    window->settings().preview = 0;
    bool opened = false;
    WhenModal<EffectDialog>([&opened](EffectDialog& d) {
        opened = true;
        EXPECT_FALSE(d.selection().effectMode());
        d.transitionList()->setCurrentRow(FindEntryByName(false, "Fade"));
        d.frameCountEdit()->setText(QStringLiteral("2"));
        d.accept();
    });
    BoxGuard boxes;
    window->runCommand(kCmdInsertTransition);
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join("|").toStdString();
    EXPECT_TRUE(opened);
    EXPECT_EQ(doc().countFrames(), 4);
    bool found = false;
    for (TreeItem* item = doc().tree.root()->firstChild(); item; item = item->nextSibling())
        found = found || item->text() == "Trans 1: Fade";
    EXPECT_TRUE(found);

    // Another place for the successor: the command does nothing at all.
    window->selectEntry(doc().EntryOfFrame(doc().firstFrame));
    doc().firstFrame->next->top = 2;
    opened = false;
    QTimer::singleShot(300, [&opened] {
        if (qobject_cast<EffectDialog*>(QApplication::activeModalWidget())) {
            opened = true;
            QApplication::activeModalWidget()->close();
        }
    });
    window->runCommand(kCmdInsertTransition);
    QTest::qWait(350);
    EXPECT_FALSE(opened);
    EXPECT_EQ(doc().countFrames(), 4);
}

TEST_F(EffectDialogTest, TheButtonUnderTheTreeKeepsTheLastMode) {
    open(2);
    window->settings().preview = 0;
    session().block.isEffect = 1;
    bool effectShown = false;
    WhenModal<EffectDialog>([&effectShown](EffectDialog& d) {
        effectShown = d.selection().effectMode();
        d.reject();
    });
    window->runCommand(kCmdEffectTransition);
    EXPECT_TRUE(effectShown);
    EXPECT_EQ(doc().countFrames(), 2);
}

}  // namespace
