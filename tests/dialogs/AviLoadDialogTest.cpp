// "Load AVI" with its checks, the "Loading AVI ..." window with Cancel, the "Resize"
// question, and opening a real video (made by ffmpeg) in the editor through them.

#include "dialogs/AviLoadDialog.h"
#include "dialogs/AviProgressDialog.h"
#include "dialogs/ResizeQuestionDialog.h"
#include "document/FrameRecord.h"
#include "support/qt/EditorTestSupport.h"

using namespace editor_testing;
using dialog_testing::ModalScript;

namespace {

// A step choosing `count` frames from `first` in the Load AVI dialog (all when count 0).
ModalScript::Step Choose(int count, int first, bool reverse) {
    return ModalScript::On<AviLoadDialog>([=](AviLoadDialog& d) {
        d.loadAllBox()->setChecked(count == 0);
        d.reverseBox()->setChecked(reverse);
        if (count > 0) {
            d.countEdit()->setText(QString::number(count));
            d.firstEdit()->setText(QString::number(first));
        }
        QMetaObject::invokeMethod(&d, "accept", Qt::QueuedConnection);
        return true;
    });
}

ModalScript::Step AnswerResize(bool resize, QString* text = nullptr) {
    return ModalScript::On<ResizeQuestionDialog>([=](ResizeQuestionDialog& d) {
        if (text)
            *text = d.windowTitle() + "|" + d.statement()->text() + "|" + d.question()->text();
        (resize ? d.resizeButton() : d.cancelButton())->click();
        return true;
    });
}

class AviLoadDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { RememberedAviChoices() = AviLoadChoices{}; }
    AviStreamInfo info{0, 10, 64, 48};
};

TEST_F(AviLoadDialogTest, ShowsTheStreamAndTheRememberedChoices) {
    AviLoadChoices kept{false, true};
    AviLoadDialog dialog(nullptr, info, kept);
    EXPECT_FALSE(dialog.infoText()->text().isEmpty());
    EXPECT_EQ(dialog.countEdit()->text(), "10");
    EXPECT_FALSE(dialog.loadAllBox()->isChecked());
    EXPECT_TRUE(dialog.reverseBox()->isChecked());
    EXPECT_TRUE(dialog.countEdit()->isEnabled());
    dialog.loadAllBox()->setChecked(true);
    EXPECT_FALSE(dialog.firstEdit()->isEnabled());
}

TEST_F(AviLoadDialogTest, RefusedNumbersKeepTheDialogOpenWithTheirMessages) {
    AviLoadChoices choices;
    AviLoadDialog dialog(nullptr, info, choices);
    dialog.show();
    dialog.loadAllBox()->setChecked(false);
    const struct {
        const char* count;
        const char* first;
        bool reverse;
        const char* message;
    } refused[] = {
        {"-3", "0", false, "The number of Frames must be greater than 0."},
        {"1", "abc", false, "The AVI-frame indizes range from 0 to 9."},
        {"3", "1", true, "The first frame index is too small or the number of frames is too high."},
    };
    for (const auto& r : refused) {
        dialog.countEdit()->setText(QString::fromLatin1(r.count));
        dialog.firstEdit()->setText(QString::fromLatin1(r.first));
        dialog.reverseBox()->setChecked(r.reverse);
        BoxAnswer seen;
        {
            ModalScript script({AnswerBox(QMessageBox::Ok, &seen)});
            dialog.accept();
        }
        EXPECT_EQ(seen.text.toStdString(), r.message) << r.count << " from " << r.first;
        EXPECT_EQ(seen.caption, "Error");
        EXPECT_TRUE(dialog.isVisible());
    }
    // Three from index 7 forward fit; the choices go back to the caller.
    dialog.countEdit()->setText(QStringLiteral("3"));
    dialog.firstEdit()->setText(QStringLiteral("7"));
    dialog.reverseBox()->setChecked(false);
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(choices.loadAll);
    EXPECT_FALSE(choices.reverse);
    EXPECT_EQ(choices.count, 3);
    EXPECT_EQ(choices.firstIndex, 7);
}

// The close box (Escape does the same) cancels the load like its Cancel button.
TEST_F(AviLoadDialogTest, TheProgressWindowsCancelAndCloseBoxCancel) {
    for (const bool closeBox : {false, true}) {
        AviProgressDialog progress(nullptr);
        EXPECT_TRUE(progress.Step(0, 1, 2));
        closeBox ? (void)progress.close() : progress.cancelButton()->click();
        EXPECT_TRUE(progress.Cancelled()) << closeBox;
        EXPECT_FALSE(progress.Step(1, 2, 2)) << closeBox;
    }
}

class AviOpenTest : public EditorTest {
  protected:
    static void SetUpTestSuite() {
        videos_ = std::make_unique<testing_support::TempFolder>();
        clip_ = QString::fromStdString(
            testing_support::MakeVideo(*videos_, "clip.avi", "testsrc2", 64, 48, 10, 10));
    }
    static void TearDownTestSuite() { videos_.reset(); }
    void SetUp() override {
        ASSERT_FALSE(clip_.isEmpty());
        RememberedAviChoices() = AviLoadChoices{};
    }
    // No progress window is left behind once a load is over.
    static bool ProgressWindowLeft() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<AviProgressDialog*>(w)) return true;
        return false;
    }

    static inline std::unique_ptr<testing_support::TempFolder> videos_;
    static inline QString clip_;
};

TEST_F(AviOpenTest, ReverseRunFromTheDialogWithProgressShown) {
    QStringList shown;
    {
        ModalScript script(
            {Choose(3, 9, true), ModalScript::On<AviProgressDialog>([&](AviProgressDialog& p) {
                 if (!shown.contains(p.label()->text())) shown << p.label()->text();
                 return false;  // keep watching
             })});
        ASSERT_EQ(window().openFile(clip_), 0);
    }
    EXPECT_EQ(
        ImageLabels(window()),
        (std::vector<std::string>{"Gif :clip.avi [9]", "Gif :clip.avi [8]", "Gif :clip.avi [7]"}));
    EXPECT_EQ(doc().countFrames(), 3);
    EXPECT_EQ(doc().screenWidth, 64);
    for (const QString& s : shown) EXPECT_TRUE(s.startsWith("Loading Frame")) << s.toStdString();
    EXPECT_FALSE(ProgressWindowLeft());
    // The dialog's choices are kept for the next video.
    EXPECT_FALSE(RememberedAviChoices().loadAll);
    EXPECT_TRUE(RememberedAviChoices().reverse);
}

// Cancel in the Load AVI dialog, or at the question another size asks, loads nothing.
TEST_F(AviOpenTest, CancelOrAnotherSizeAsksTheResizeQuestion) {
    ASSERT_EQ(window().openFile(WriteGif(dir(), "small.gif", {10}, 16, 12)), 0);
    {
        ModalScript script({ModalScript::On<AviLoadDialog>([](AviLoadDialog& d) {
            d.reject();
            return true;
        })});
        EXPECT_EQ(window().openFile(clip_), -1);
    }
    QString text;
    {
        ModalScript script({Choose(2, 0, false), AnswerResize(false, &text)});
        EXPECT_EQ(window().openFile(clip_), -1);
        EXPECT_EQ(script.left(), 0u);
    }
    EXPECT_EQ(text,
              "Resize|The size of the selected image differs from the size of the image(s) "
              "already loaded.|Shall the new image be resized ?");
    EXPECT_EQ(doc().countFrames(), 1);
    {
        ModalScript script({Choose(2, 0, false), AnswerResize(true)});
        EXPECT_EQ(window().openFile(clip_), 0);
        EXPECT_EQ(script.left(), 0u);
    }
    ASSERT_EQ(doc().countFrames(), 3);
    for (FrameRecord* f = doc().firstFrame; f; f = f->next) {
        EXPECT_EQ(f->width, 16);
        EXPECT_EQ(f->height, 12);
    }
}

}  // namespace
