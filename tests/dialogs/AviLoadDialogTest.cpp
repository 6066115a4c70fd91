// "Load AVI" with its checks, the "Loading AVI ..." window with Cancel, the "Resize"
// question, and opening a real video (made by ffmpeg) in the editor through them.
#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

#include "../shell/ShellTestSupport.h"
#include "ModalScript.h"
#include "dialogs/AviLoadDialog.h"
#include "dialogs/AviProgressDialog.h"
#include "dialogs/ResizeQuestionDialog.h"
#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"
#include "shell/MainWindow.h"

using namespace shell_testing;
using dialog_testing::ModalScript;

namespace {

// A step answering the next message box with OK, remembering its text and caption.
ModalScript::Step Box(BoxAnswer* seen) {
    return ModalScript::On<QMessageBox>([seen](QMessageBox& box) {
        *seen = {box.text(), box.windowTitle()};
        box.button(QMessageBox::Ok)->click();
        return true;
    });
}

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

// A video of `frames` frames of w x h made by ffmpeg; "" when it could not be made.
QString MakeVideo(const QString& dir, const QString& name, int frames, int w, int h) {
    const QString path = QDir(dir).filePath(name);
    const QString command = QStringLiteral(
                                "ffmpeg -y -loglevel error -f lavfi -i testsrc2=size=%1x%2:rate=10 "
                                "-frames:v %3 -c:v mjpeg '%4' >/dev/null 2>&1")
                                .arg(w)
                                .arg(h)
                                .arg(frames)
                                .arg(path);
    return std::system(command.toLocal8Bit().constData()) == 0 ? path : QString();
}

class AviLoadDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { RememberedAviChoices() = AviLoadChoices{}; }
    AviStreamInfo info{0, 10, 64, 48};
};

TEST_F(AviLoadDialogTest, ShowsTheStreamAndEnablesTheNumbersOnlyForAPart) {
    AviLoadChoices choices;
    AviLoadDialog dialog(nullptr, info, choices);
    EXPECT_EQ(dialog.windowTitle(), "Load AVI");
    EXPECT_EQ(dialog.infoText()->text(),
              "This AVI contains 10 Frames where the first frame has index 0 and the last frame "
              "has index 9.");
    EXPECT_EQ(dialog.countEdit()->text(), "10");
    EXPECT_EQ(dialog.firstEdit()->text(), "0");
    EXPECT_TRUE(dialog.loadAllBox()->isChecked());
    EXPECT_FALSE(dialog.reverseBox()->isChecked());
    EXPECT_FALSE(dialog.countEdit()->isEnabled());
    EXPECT_FALSE(dialog.firstEdit()->isEnabled());
    dialog.loadAllBox()->setChecked(false);
    EXPECT_TRUE(dialog.countEdit()->isEnabled());
    EXPECT_TRUE(dialog.firstEdit()->isEnabled());
    dialog.loadAllBox()->setChecked(true);
    EXPECT_FALSE(dialog.countEdit()->isEnabled());

    // The remembered boxes come back.
    AviLoadChoices kept;
    kept.loadAll = false;
    kept.reverse = true;
    AviLoadDialog second(nullptr, info, kept);
    EXPECT_FALSE(second.loadAllBox()->isChecked());
    EXPECT_TRUE(second.reverseBox()->isChecked());
    EXPECT_TRUE(second.countEdit()->isEnabled());
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
        {"0", "0", false, "The number of Frames must be greater than 0."},
        {"-3", "0", false, "The number of Frames must be greater than 0."},
        {"11", "0", false, "The AVI contains only 10 frames."},
        {"1", "10", false, "The AVI-frame indizes range from 0 to 9."},
        {"1", "abc", false, "The AVI-frame indizes range from 0 to 9."},
        {"3", "8", false, "The first frame index is too high or the number of frames is too high."},
        {"3", "1", true, "The first frame index is too small or the number of frames is too high."},
    };
    for (const auto& r : refused) {
        dialog.countEdit()->setText(QString::fromLatin1(r.count));
        dialog.firstEdit()->setText(QString::fromLatin1(r.first));
        dialog.reverseBox()->setChecked(r.reverse);
        BoxAnswer seen;
        {
            ModalScript script({Box(&seen)});
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

TEST_F(AviLoadDialogTest, ProgressWindowCountsAndCancelStopsIt) {
    AviProgressDialog progress(nullptr);
    EXPECT_EQ(progress.windowTitle(), "Loading AVI ...");
    EXPECT_TRUE(progress.Step(9, 1, 3));
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.label()->text(), "Loading Frame 9 [1 of 3]");
    EXPECT_TRUE(progress.Step(8, 2, 3));
    EXPECT_EQ(progress.label()->text(), "Loading Frame 8 [2 of 3]");
    QTest::mouseClick(progress.cancelButton(), Qt::LeftButton);
    EXPECT_TRUE(progress.Cancelled());
    EXPECT_FALSE(progress.isVisible());
    EXPECT_FALSE(progress.Step(7, 3, 3));

    // The close box (Escape does the same) cancels too.
    AviProgressDialog closed(nullptr);
    EXPECT_TRUE(closed.Step(0, 1, 2));
    closed.close();
    EXPECT_FALSE(closed.Step(1, 2, 2));
}

TEST_F(AviLoadDialogTest, ResizeQuestionAnswers) {
    ResizeQuestionDialog dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Resize");
    EXPECT_EQ(dialog.statement()->text(),
              "The size of the selected image differs from the size of the image(s) already "
              "loaded.");
    EXPECT_EQ(dialog.question()->text(), "Shall the new image be resized ?");
    EXPECT_EQ(dialog.resizeButton()->text(), "&Ok, Resize");
    EXPECT_EQ(dialog.cancelButton()->text(), "&Cancel Loading");
    {
        ModalScript script({AnswerResize(true)});
        EXPECT_TRUE(ResizeQuestionDialog::Ask(nullptr));
    }
    {
        ModalScript script({AnswerResize(false)});
        EXPECT_FALSE(ResizeQuestionDialog::Ask(nullptr));
    }
    {
        ModalScript script({ModalScript::On<ResizeQuestionDialog>([](ResizeQuestionDialog& d) {
            QTest::keyClick(&d, Qt::Key_Escape);
            return true;
        })});
        EXPECT_FALSE(ResizeQuestionDialog::Ask(nullptr));
    }
}

class AviOpenTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<QTemporaryDir>();
        clip_ = MakeVideo(dir_->path(), "clip.avi", 10, 64, 48);
        long_ = MakeVideo(dir_->path(), "long.avi", 60, 64, 48);
    }
    static void TearDownTestSuite() { dir_.reset(); }
    void SetUp() override {
        ASSERT_FALSE(clip_.isEmpty());
        ASSERT_FALSE(long_.isEmpty());
        RememberedAviChoices() = AviLoadChoices{};
        window = std::make_unique<MainWindow>();
    }
    AnimationDocument& doc() { return window->document(); }
    // No progress window is left behind once a load is over.
    static bool ProgressWindowLeft() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<AviProgressDialog*>(w)) return true;
        return false;
    }

    static inline std::unique_ptr<QTemporaryDir> dir_;
    static inline QString clip_, long_;
    std::unique_ptr<MainWindow> window;
};

TEST_F(AviOpenTest, ReverseRunFromTheDialogWithProgressShown) {
    QStringList shown;
    {
        ModalScript script(
            {Choose(3, 9, true), ModalScript::On<AviProgressDialog>([&](AviProgressDialog& p) {
                 if (!shown.contains(p.label()->text())) shown << p.label()->text();
                 return false;  // keep watching
             })});
        ASSERT_EQ(window->openFile(clip_), 0);
    }
    EXPECT_EQ(
        ImageLabels(*window),
        (std::vector<std::string>{"Gif :clip.avi [9]", "Gif :clip.avi [8]", "Gif :clip.avi [7]"}));
    EXPECT_EQ(doc().countFrames(), 3);
    EXPECT_EQ(doc().screenWidth, 64);
    // What was seen is a subset of the three steps, in order.
    const QStringList steps = {"Loading Frame 9 [1 of 3]", "Loading Frame 8 [2 of 3]",
                               "Loading Frame 7 [3 of 3]"};
    for (const QString& s : shown) EXPECT_TRUE(steps.contains(s)) << s.toStdString();
    EXPECT_FALSE(ProgressWindowLeft());
    // The dialog's choices are kept for the next video.
    EXPECT_FALSE(RememberedAviChoices().loadAll);
    EXPECT_TRUE(RememberedAviChoices().reverse);
}

TEST_F(AviOpenTest, CancelInTheProgressWindowKeepsTheFramesReadBefore) {
    int cancelledAt = 0;
    {
        ModalScript script(
            {Choose(0, 0, false), ModalScript::On<AviProgressDialog>([&](AviProgressDialog& p) {
                 // The label shows the frame about to be read.
                 const auto m =
                     QRegularExpression(QStringLiteral("\\[(\\d+) of")).match(p.label()->text());
                 if (!m.hasMatch() || m.captured(1).toInt() < 3) return false;
                 cancelledAt = m.captured(1).toInt();
                 p.cancelButton()->click();
                 return true;
             })});
        window->openFile(long_);
    }
    ASSERT_GE(cancelledAt, 3);
    EXPECT_EQ(doc().countFrames(), cancelledAt - 1);
    EXPECT_FALSE(ProgressWindowLeft());
}

TEST_F(AviOpenTest, AnotherSizeAsksTheResizeQuestion) {
    ASSERT_EQ(window->openFile(WriteGif(dir_->path(), "small.gif", {10}, 16, 12)), 0);
    QString text;
    {
        ModalScript script({Choose(2, 0, false), AnswerResize(false, &text)});
        EXPECT_EQ(window->openFile(clip_), -1);
        EXPECT_EQ(script.left(), 0u);
    }
    EXPECT_EQ(text,
              "Resize|The size of the selected image differs from the size of the image(s) "
              "already loaded.|Shall the new image be resized ?");
    EXPECT_EQ(doc().countFrames(), 1);
    {
        ModalScript script({Choose(2, 0, false), AnswerResize(true)});
        EXPECT_EQ(window->openFile(clip_), 0);
        EXPECT_EQ(script.left(), 0u);
    }
    ASSERT_EQ(doc().countFrames(), 3);
    for (FrameRecord* f = doc().firstFrame; f; f = f->next) {
        EXPECT_EQ(f->width, 16);
        EXPECT_EQ(f->height, 12);
    }
}

TEST_F(AviOpenTest, CancelInTheLoadDialogLeavesTheDocument) {
    {
        ModalScript script({ModalScript::On<AviLoadDialog>([](AviLoadDialog& d) {
            d.reject();
            return true;
        })});
        EXPECT_EQ(window->openFile(clip_), -1);
    }
    EXPECT_TRUE(doc().empty());
}

}  // namespace
