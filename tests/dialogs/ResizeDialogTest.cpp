// "Resize Image(s)": the linked size fields, the refused sizes, and the Resize command.
#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "../shell/ShellTestSupport.h"
#include "ModalScript.h"
#include "dialogs/ResizeDialog.h"
#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"
#include "shell/CommandIds.h"
#include "shell/MainWindow.h"
#include "support/TestSupport.h"

using namespace shell_testing;

using namespace dialog_testing;

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

}  // namespace
