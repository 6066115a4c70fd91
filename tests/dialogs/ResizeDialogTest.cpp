// "Resize Image(s)": the linked size fields, the refused sizes, and the Resize command.

#include "dialogs/ResizeDialog.h"
#include "support/TestSupport.h"
#include "support/qt/EditorTestSupport.h"

using namespace dialog_testing;
using namespace editor_testing;
using namespace testing_support;

namespace {

// Types the size into the Resize dialog when it opens and presses OK (queued: OK may show
// a message of its own).
void FillResize(const char* width, const char* height) {
    WhenModal<ResizeDialog>([=](ResizeDialog& d) {
        TypeOver(d.widthEdit(), width);
        TypeOver(d.heightEdit(), height);
        auto* ok = d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        QTimer::singleShot(0, ok, &QPushButton::click);
    });
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

TEST_F(ResizeDialogTest, TheLinkedFieldsFollowEachOtherAndComeBack) {
    ResizeRequest request;
    ResizeDialog dialog(nullptr, doc, request);
    EXPECT_EQ(dialog.widthEdit()->text(), "400");
    EXPECT_FALSE(dialog.transparencyBox()->isEnabled());  // no transparent frame
    dialog.aspectBox()->setChecked(true);
    TypeOver(dialog.heightEdit(), "100");
    EXPECT_EQ(dialog.widthEdit()->text(), "133");
    EXPECT_EQ(dialog.heightEdit()->text(), "100");
    TypeOver(dialog.widthEdit(), "200");
    EXPECT_EQ(dialog.heightEdit()->text(), "150");
    EXPECT_EQ(dialog.widthEdit()->text(), "200");
    dialog.accept();
    EXPECT_EQ(request.width, 200);
    EXPECT_EQ(request.height, 150);

    ResizeRequest again;
    ResizeDialog second(nullptr, doc, again);
    EXPECT_EQ(second.heightEdit()->text(), "150");  // kept for the next time
    // A ratio that truncates to nothing is refused.
    second.show();
    TypeOver(second.widthEdit(), "1");
    EXPECT_EQ(second.heightEdit()->text(), "0");
    auto seen = AnswerNextBox(Answer::Ok);
    second.accept();
    EXPECT_EQ(seen->caption, "Parameter out of Range");
    EXPECT_TRUE(second.isVisible());
    second.reject();
}

// Sides outside 1...65535, and sizes more than a picture may hold, are refused with their
// message; the dialog stays with the refused value selected, to retype.
TEST_F(ResizeDialogTest, RefusedSizesKeepTheDialogWithTheValueSelected) {
    const struct {
        const char *width, *height, *selected;
    } rows[] = {{"70000", "12", "70000"},
                {"-5", "12", "-5"},
                {"12", "65536", "65536"},
                {"20000", "20000", "20000"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.selected);
        ResizeRequest request{7, 7};
        ResizeDialog dialog(nullptr, doc, request);
        dialog.show();
        dialog.widthEdit()->setText(row.width);
        dialog.heightEdit()->setText(row.height);
        auto seen = AnswerNextBox(Answer::Ok);
        dialog.accept();
        EXPECT_EQ(seen->caption, "Parameter out of Range");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.widthEdit()->selectedText() + dialog.heightEdit()->selectedText(),
                  row.selected);
        EXPECT_EQ(request.width, 7);
    }
}

// Resize from the menu resizes every frame; a size that would make a frame larger than a
// picture may hold is refused with a message, and nothing changes.
TEST(ResizeCommandTest, ResizesEveryFrameOrRefusesAndChangesNothing) {
    TempFolder folder;
    // A one-pixel frame at (1,1) first, a photo covering the screen, a photo at (1,1).
    // Frames at an offset scale against the size the screen had at the first resize
    // while the first frame is not at (0,0): after 100 -> 1000 the last frame is 990
    // wide, and 65535 x 50 would make it 648797 x 495, more than a picture may hold,
    // while the first two frames and the screen fit.
    const std::string corner = folder.file("corner.gif");
    const ToolResult made = RunTool(
        "convert \\( rose: -resize 1x1! -repage 100x100+1+1 \\) "
        "\\( rose: -resize 100x100! -repage 100x100+0+0 \\) "
        "\\( rose: -resize 99x99! -repage 100x100+1+1 \\) " +
        ShellQuote(corner));
    ASSERT_EQ(made.status, 0) << made.err;
    Editor editor;
    ASSERT_TRUE(editor.open(QString::fromStdString(corner)));
    AnimationDocument& doc = editor.doc();
    FillResize("1000", "1000");
    editor->action(kCmdResize)->trigger();
    ASSERT_EQ(doc.screenWidth, 1000);
    EXPECT_EQ(doc.lastFrame()->width, 990);
    EXPECT_TRUE(doc.modified());
    doc.history.clear(true);
    const auto before = ComposedPixels(doc);
    FillResize("65535", "50");
    const auto box = AnswerNextBox(Answer::Ok);
    editor->action(kCmdResize)->trigger();
    EXPECT_EQ(box->caption, "Error");
    EXPECT_EQ(std::pair(doc.screenWidth, doc.screenHeight), std::pair(1000, 1000));
    EXPECT_FALSE(doc.modified());
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) EXPECT_TRUE(f->IsPaletteValid());
    EXPECT_EQ(ComposedPixels(doc), before);
}

}  // namespace
