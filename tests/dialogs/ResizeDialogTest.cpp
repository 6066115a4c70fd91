// "Resize Image(s)": the linked size fields, the refused sizes, and the Resize command.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "../shell/ShellTestSupport.h"
#include "ModalScript.h"
#include "dialogs/ResizeDialog.h"
#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "document/FrameRecord.h"
#include "shell/CommandIds.h"
#include "shell/MainWindow.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

using namespace shell_testing;

using namespace dialog_testing;
using namespace testing_support;

namespace {

void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

class ResizeDialogTest : public ::testing::Test {
  protected:
    SilentHost host;
    AnimationDocument doc{host, 1};
    void SetUp() override {
        ResizeDialog::ResetKeptValues();
        doc.screenWidth = 400;
        doc.screenHeight = 300;
    }
};

TEST_F(ResizeDialogTest, TheLinkedFieldsDoNotTriggerEachOther) {
    ResizeRequest request;
    ResizeDialog dialog(nullptr, doc, request);
    EXPECT_EQ(dialog.originalWidth()->text(), "400");
    EXPECT_EQ(dialog.widthEdit()->text(), "400");
    EXPECT_FALSE(dialog.transparencyBox()->isEnabled());  // no transparent frame
    dialog.aspectBox()->setChecked(true);
    Type(dialog.heightEdit(), "100");
    EXPECT_EQ(dialog.widthEdit()->text(), "133");
    EXPECT_EQ(dialog.heightEdit()->text(), "100");
    Type(dialog.widthEdit(), "200");
    EXPECT_EQ(dialog.heightEdit()->text(), "150");
    EXPECT_EQ(dialog.widthEdit()->text(), "200");
    dialog.accept();
    EXPECT_EQ(request.width, 200);
    EXPECT_EQ(request.height, 150);

    // The last sizes and the flag come back.
    ResizeRequest again;
    ResizeDialog second(nullptr, doc, again);
    EXPECT_EQ(second.widthEdit()->text(), "200");
    EXPECT_EQ(second.heightEdit()->text(), "150");
    EXPECT_TRUE(second.aspectBox()->isChecked());
}

TEST_F(ResizeDialogTest, SizesOutsideTheRangeAreRefused) {
    ResizeRequest request;
    ResizeDialog dialog(nullptr, doc, request);
    dialog.show();
    for (const char* bad : {"0", "70000", "-5"}) {
        Type(dialog.widthEdit(), bad);
        auto seen = AnswerNextBox(Answer::Ok);
        dialog.accept();
        EXPECT_EQ(seen->caption, "Parameter out of Range") << bad;
        EXPECT_TRUE(dialog.isVisible()) << bad;
        EXPECT_EQ(dialog.widthEdit()->selectedText(), bad);
    }
    // A ratio that truncates to nothing.
    dialog.aspectBox()->setChecked(true);
    Type(dialog.widthEdit(), "1");
    EXPECT_EQ(dialog.heightEdit()->text(), "0");
    auto seen = AnswerNextBox(Answer::Ok);
    dialog.accept();
    EXPECT_FALSE(seen->text.isEmpty());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(request.width, 0);
    dialog.reject();
}

TEST(ResizeCommandTest, ResizesEveryFrameAndTheScreen) {
    ResizeDialog::ResetKeptValues();
    QTemporaryDir dir;
    MainWindow window;
    window.show();
    ASSERT_EQ(window.openFile(WriteGif(dir.path(), "a.gif", {10, 10}, 8, 6)), 0);
    WhenModal<ResizeDialog>([](ResizeDialog& d) {
        d.widthEdit()->setText("16");
        d.heightEdit()->setText("12");
        d.accept();
    });
    window.runCommand(kCmdResize);
    AnimationDocument& doc = window.document();
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(doc.screenWidth, 16);
    EXPECT_EQ(doc.screenHeight, 12);
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        EXPECT_EQ(f->width, 16);
        EXPECT_EQ(f->height, 12);
    }
    doc.modified = false;
    window.close();
}

// Opens the Resize dialog as a click on its menu item does, types the size and clicks OK;
// then answers whatever message follows with Ok. Returns the captions and texts seen.
QStringList ResizeThroughTheMenu(MainWindow& window, const QString& width, const QString& height,
                                 bool cancelAfterMessage) {
    QStringList seen;
    bool typed = false;
    std::vector<ModalScript::Step> steps;
    steps.push_back(ModalScript::On<ResizeDialog>([&](ResizeDialog& d) {
        Type(d.widthEdit(), width);
        Type(d.heightEdit(), height);
        typed = true;
        auto* ok = d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        QTimer::singleShot(0, ok, &QPushButton::click);
        return true;
    }));
    steps.push_back(ModalScript::On<QMessageBox>([&](QMessageBox& box) {
        seen << box.windowTitle() << box.text();
        QTimer::singleShot(0, box.button(QMessageBox::Ok), &QPushButton::click);
        return true;
    }));
    if (cancelAfterMessage) {
        steps.push_back(ModalScript::On<ResizeDialog>([&](ResizeDialog& d) {
            d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
            return true;
        }));
    }
    ModalScript script(steps);
    window.action(kCmdResize)->trigger();
    // A run without a message leaves that step waiting: nothing else may open.
    EXPECT_TRUE(typed);
    return seen;
}

// Every frame's place, size and palette indexes.
struct FrameState {
    int left, top, width, height;
    std::vector<uint8_t> indexes;
    bool operator==(const FrameState&) const = default;
};
std::vector<FrameState> States(AnimationDocument& doc) {
    std::vector<FrameState> states;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        FrameState s{f->left, f->top, f->width, f->height, {}};
        if (const auto plane = f->indexPlane()) {
            for (int y = 0; y < plane->height; ++y)
                s.indexes.insert(s.indexes.end(), plane->row(y), plane->row(y) + plane->width);
        }
        states.push_back(std::move(s));
    }
    return states;
}

TEST(ResizeCommandTest, TooManyPixelsAreRefusedInTheDialogAndNothingChanges) {
    ResizeDialog::ResetKeptValues();
    QTemporaryDir dir;
    MainWindow window;
    window.show();
    ASSERT_EQ(window.openFile(WriteGif(dir.path(), "a.gif", {10, 10}, 80, 60)), 0);
    AnimationDocument& doc = window.document();
    const auto before = States(doc);
    // Each side is allowed; together they are more than a picture may hold.
    const QStringList seen = ResizeThroughTheMenu(window, "20000", "20000", true);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], "Parameter out of Range");
    EXPECT_EQ(doc.screenWidth, 80);
    EXPECT_EQ(doc.screenHeight, 60);
    EXPECT_EQ(States(doc), before);
    EXPECT_FALSE(doc.modified);
    window.close();
}

TEST(ResizeCommandTest, AFrameThatCannotBeResizedLeavesEveryFrameAndTheScreenAsTheyWere) {
    ResizeDialog::ResetKeptValues();
    TempFolder folder;
    // A one-pixel frame at (1,1) first, a photo covering the screen, a photo at (1,1).
    // Frames at an offset scale against the size the screen had at the first resize
    // while the first frame is not at (0,0): after 100 -> 1000 the last frame is 990
    // wide, and 65535 x 50 would make it 648797 x 495, more than a picture may hold,
    // while the first two frames and the screen fit.
    const std::string gif = folder.file("corner.gif");
    const ToolResult made = RunTool(
        "convert \\( rose: -resize 1x1! -repage 100x100+1+1 \\) "
        "\\( rose: -resize 100x100! -repage 100x100+0+0 \\) "
        "\\( rose: -resize 99x99! -repage 100x100+1+1 \\) " +
        ShellQuote(gif));
    ASSERT_EQ(made.status, 0) << made.err;
    MainWindow window;
    window.show();
    ASSERT_EQ(window.openFile(QString::fromStdString(gif)), 0);
    AnimationDocument& doc = window.document();
    ASSERT_EQ(doc.countFrames(), 3);
    ASSERT_EQ(doc.screenWidth, 100);
    ASSERT_EQ(doc.firstFrame->left, 1);
    ASSERT_TRUE(ResizeThroughTheMenu(window, "1000", "1000", false).isEmpty());
    ASSERT_EQ(doc.screenWidth, 1000);
    ASSERT_EQ(doc.firstFrame->next->next->width, 990);
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) f->WaitForReduction();
    const auto before = States(doc);

    const QStringList seen = ResizeThroughTheMenu(window, "65535", "50", false);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], "Error");
    EXPECT_EQ(doc.screenWidth, 1000);
    EXPECT_EQ(doc.screenHeight, 1000);
    EXPECT_EQ(States(doc), before);
    // The frames are whole: each is composed and covers what it did.
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        EXPECT_TRUE(f->IsPaletteValid());
        EXPECT_NE(GetComposedBitmap(*f), nullptr);
    }
    doc.modified = false;  // the first resize stays; no question on closing
    window.close();
}

}  // namespace
