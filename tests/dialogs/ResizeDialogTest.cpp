// "Resize Image(s)": the linked size fields, the refused sizes, and the Resize command.

#include "dialogs/ResizeDialog.h"
#include "document/Composition.h"
#include "support/TestSupport.h"
#include "support/qt/EditorTestSupport.h"

using namespace dialog_testing;
using namespace editor_testing;
using namespace testing_support;

namespace {

// A step typing the size into the Resize dialog and pressing OK (later: OK may show a
// message of its own).
ModalScript::Step FillResize(const char* width, const char* height) {
    return ModalScript::On<ResizeDialog>([=](ResizeDialog& d) {
        TypeOver(d.widthEdit(), width);
        TypeOver(d.heightEdit(), height);
        auto* ok = d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        QTimer::singleShot(0, ok, &QPushButton::click);
        return true;
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
    EXPECT_EQ(second.widthEdit()->text(), "200");
    EXPECT_EQ(second.heightEdit()->text(), "150");
    EXPECT_TRUE(second.aspectBox()->isChecked());
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

// Resize from the menu: the size typed and OK clicked; a refusal leaves every frame and
// the screen as they were.
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
    const QString small = WriteGif(QString::fromStdString(folder.path()), "a.gif", {10, 10}, 8, 6);
    const QString large =
        WriteGif(QString::fromStdString(folder.path()), "b.gif", {10, 10}, 80, 60);
    const struct {
        const char* name;
        QString file;
        const char* width;
        const char* height;
        const char* caption;  // nullptr: resized
        bool cancelAfter;     // the dialog stays after the message
        const char* first;    // a size resized to before, or nullptr
    } rows[] = {
        {"resized", small, "16", "12", nullptr, false, nullptr},
        {"no width", small, "0", "12", "Parameter out of Range", true, nullptr},
        {"width past 65535", small, "70000", "12", "Parameter out of Range", true, nullptr},
        {"negative width", small, "-5", "12", "Parameter out of Range", true, nullptr},
        // Each side is allowed; together they are more than a picture may hold.
        {"too many pixels", large, "20000", "20000", "Parameter out of Range", true, nullptr},
        {"a frame too large", QString::fromStdString(corner), "65535", "50", "Error", false,
         "1000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ResizeDialog::ResetKeptValues();
        Editor editor;
        ASSERT_TRUE(editor.open(row.file));
        AnimationDocument& doc = editor.doc();
        if (row.first) {
            ModalScript first({FillResize(row.first, row.first)});
            editor->action(kCmdResize)->trigger();
            ASSERT_EQ(doc.screenWidth, QString(row.first).toInt());
            for (FrameRecord* f = doc.firstFrame; f; f = f->next) f->WaitForReduction();
            doc.history.clear(true);
        }
        const int screenWidth = doc.screenWidth, screenHeight = doc.screenHeight;
        const auto before = States(doc);

        QString caption, selected;
        int polls = 0;
        std::vector<ModalScript::Step> steps;
        steps.push_back(FillResize(row.width, row.height));
        steps.push_back(ModalScript::On<QMessageBox>([&](QMessageBox& box) {
            caption = box.windowTitle();
            QTimer::singleShot(0, box.button(QMessageBox::Ok), &QPushButton::click);
            return true;
        }));
        if (row.cancelAfter) {
            steps.push_back(ModalScript::On<ResizeDialog>([&](ResizeDialog& d) {
                // The dialog selects the refused value once its message has returned,
                // which may be a poll after the message box is gone.
                if (d.widthEdit()->selectedText().isEmpty() && ++polls < 400) return false;
                selected = d.widthEdit()->selectedText();  // the refused value, to retype
                d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
                return true;
            }));
        }
        ModalScript script(steps);
        editor->action(kCmdResize)->trigger();
        EXPECT_EQ(script.left(), row.caption ? 0u : 1u);  // no message after a resize
        if (!row.caption) {
            EXPECT_TRUE(doc.modified());
            EXPECT_EQ(doc.screenWidth, 16);
            EXPECT_EQ(doc.screenHeight, 12);
            EXPECT_EQ(doc.firstFrame->next->width, 16);
            continue;
        }
        EXPECT_EQ(caption, row.caption);
        if (row.cancelAfter) {
            EXPECT_EQ(selected, row.width);
        }
        EXPECT_EQ(doc.screenWidth, screenWidth);
        EXPECT_EQ(doc.screenHeight, screenHeight);
        EXPECT_EQ(States(doc), before);
        EXPECT_FALSE(doc.modified());
        for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
            EXPECT_TRUE(f->IsPaletteValid());
            EXPECT_NE(GetComposedBitmap(*f), nullptr);
        }
    }
}

}  // namespace
