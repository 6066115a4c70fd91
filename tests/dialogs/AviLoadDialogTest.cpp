// "Load AVI" with its checks, its rate and size, the "Loading AVI ..." window with Cancel,
// the "Resize" question, and opening a real video (made by ffmpeg) through them.

#include "dialogs/AviLoadDialog.h"
#include "dialogs/AviProgressDialog.h"
#include "dialogs/ResizeQuestionDialog.h"
#include "document/FrameRecord.h"
#include "support/qt/EditorTestSupport.h"

using namespace editor_testing;
using dialog_testing::WhenModal;

namespace {

// Chooses `count` frames from `first` in the Load AVI dialog when it opens (all when
// count 0).
void Choose(int count, int first, bool reverse) {
    WhenModal<AviLoadDialog>([=](AviLoadDialog& d) {
        d.loadAllBox()->setChecked(count == 0);
        d.reverseBox()->setChecked(reverse);
        if (count > 0) {
            d.countEdit()->setText(QString::number(count));
            d.firstEdit()->setText(QString::number(first));
        }
        QMetaObject::invokeMethod(&d, "accept", Qt::QueuedConnection);
    });
}

// Answers the "Resize" question when it opens, keeping what it said.
std::shared_ptr<QString> AnswerResize(bool resize) {
    auto text = std::make_shared<QString>();
    WhenModal<ResizeQuestionDialog>([=](ResizeQuestionDialog& d) {
        *text = d.windowTitle() + "|" + d.statement()->text() + "|" + d.question()->text();
        (resize ? d.resizeButton() : d.cancelButton())->click();
    });
    return text;
}

class AviLoadDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { RememberedAviChoices() = AviLoadChoices{}; }
    AviStreamInfo info{0, 10, 64, 48};
};

// The remembered choices show; what is no number, or no count, keeps the dialog open with
// its message (the ranges themselves are checked where the choices are validated).
TEST_F(AviLoadDialogTest, RememberedChoicesShowAndRefusedNumbersKeepTheDialogOpen) {
    AviLoadChoices choices{false, true};
    AviLoadDialog dialog(nullptr, info, choices);
    EXPECT_EQ(dialog.countEdit()->text(), "10");
    EXPECT_TRUE(dialog.reverseBox()->isChecked());
    dialog.loadAllBox()->setChecked(false);
    dialog.reverseBox()->setChecked(false);
    dialog.show();
    for (const auto& [count, first, message] :
         {std::tuple{"-3", "0", "The number of Frames must be greater than 0."},
          {"1", "abc", "The AVI-frame indizes range from 0 to 9."}}) {
        dialog.countEdit()->setText(QString::fromLatin1(count));
        dialog.firstEdit()->setText(QString::fromLatin1(first));
        auto seen = AnswerNextBox(Answer::Ok);
        dialog.accept();
        EXPECT_EQ(seen->text.toStdString(), message) << count << " from " << first;
        EXPECT_EQ(seen->caption, "Error");
        EXPECT_TRUE(dialog.isVisible());
    }
    // Three from index 7 forward fit; the choices go back to the caller.
    dialog.countEdit()->setText(QStringLiteral("3"));
    dialog.firstEdit()->setText(QStringLiteral("7"));
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(!choices.loadAll && !choices.reverse && choices.count == 3 &&
                choices.firstIndex == 7);
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

    static inline std::unique_ptr<testing_support::TempFolder> videos_;
    static inline QString clip_;
};

// The rate and size fields: the clip at half its rate and width keeps its length; a rate
// that is no number keeps the dialog open.
TEST_F(AviOpenTest, AClipOpenedAtHalfItsRateAndWidthKeepsItsLength) {
    QStringList shown;
    std::shared_ptr<BoxAnswer> refused;
    WhenModal<AviLoadDialog>([&](AviLoadDialog& d) {
        shown << d.rateEdit()->text() << d.widthEdit()->text() << d.heightEdit()->text();
        d.rateEdit()->setText(QStringLiteral("fast"));
        refused = AnswerNextBox(Answer::Ok);
        d.accept();
        EXPECT_TRUE(d.isVisible());
        d.rateEdit()->setText(QStringLiteral("5"));
        d.widthEdit()->setText(QStringLiteral("32"));
        d.heightEdit()->clear();  // keeps the proportions
        QMetaObject::invokeMethod(&d, "accept", Qt::QueuedConnection);
    });
    ASSERT_EQ(window().openFile(clip_), 0);
    EXPECT_EQ(shown, (QStringList{"10", "64", "48"}));
    EXPECT_EQ(refused->text, "Frames per second must be a number from 0 to 1000.");
    ASSERT_EQ(doc().countFrames(), 5);
    EXPECT_EQ(std::pair(doc().screenWidth, doc().screenHeight), std::pair(32, 24));
    uint32_t length = 0;
    for (FrameRecord* f = doc().firstFrame; f; f = f->next) length += f->delay;
    EXPECT_EQ(length, 100u);
    EXPECT_EQ(ImageLabels(window())[1], "Gif :clip.avi [2]");
}

// Cancel in the Load AVI dialog, or at the question another size asks, loads nothing;
// "Resize" loads the frames chosen, backwards, at the size already loaded.
TEST_F(AviOpenTest, CancelOrAnotherSizeAsksTheResizeQuestion) {
    ASSERT_EQ(window().openFile(WriteGif(dir(), "small.gif", {10}, 16, 12)), 0);
    WhenModal<AviLoadDialog>([](AviLoadDialog& d) { d.reject(); });
    EXPECT_EQ(window().openFile(clip_), -1);
    Choose(2, 0, false);
    const auto text = AnswerResize(false);
    EXPECT_EQ(window().openFile(clip_), -1);
    EXPECT_EQ(*text,
              "Resize|The size of the selected image differs from the size of the image(s) "
              "already loaded.|Shall the new image be resized ?");
    EXPECT_EQ(doc().countFrames(), 1);
    Choose(2, 5, true);
    AnswerResize(true);
    EXPECT_EQ(window().openFile(clip_), 0);
    EXPECT_EQ(
        ImageLabels(window()),
        (std::vector<std::string>{"Gif :small.gif", "Gif :clip.avi [5]", "Gif :clip.avi [4]"}));
    EXPECT_TRUE(RememberedAviChoices().reverse);  // kept for the next video
    EXPECT_EQ(doc().lastFrame()->width, 16);
    EXPECT_EQ(doc().lastFrame()->height, 12);
}

}  // namespace
