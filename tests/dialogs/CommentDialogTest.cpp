// The comment dialog from the editor's Comment command and from Enter on a comment entry.
#include <gtest/gtest.h>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>

#include "../shell/ShellTestSupport.h"
#include "ModalScript.h"
#include "dialogs/CommentDialog.h"
#include "document/AnimationDocument.h"
#include "document/FrameTree.h"
#include "shell/CommandIds.h"
#include "shell/FrameTreeModel.h"
#include "shell/MainWindow.h"

using namespace shell_testing;

using namespace dialog_testing;

namespace {

// Types `text` into the comment dialog when it opens (replacing what it shows unless
// `keep`) and confirms.
void AnswerCommentDialog(const QString& text, bool keep = false, QString* shown = nullptr) {
    WhenModal<CommentDialog>([=](CommentDialog& dialog) {
        if (shown) *shown = dialog.field()->toPlainText();
        if (!keep) dialog.field()->setPlainText(text);
        dialog.accept();
    });
}

std::vector<std::string> ChildTexts(TreeItem* item) {
    std::vector<std::string> texts;
    for (int i = 0; i < item->childCount(); ++i) texts.push_back(item->child(i)->text());
    return texts;
}

class CommentDialogTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>();
    AnimationDocument& doc() { return window->document(); }
    void SetUp() override {
        window->show();
        ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", {10, 10})), 0);
        doc().modified = false;
    }
    void TearDown() override {
        doc().modified = false;
        window->close();
    }
};

TEST_F(CommentDialogTest, TwoNewCommentsOnAFrameAreNumberedInOrder) {
    FrameRecord* second = doc().firstFrame->next;
    TreeItem* entry = doc().EntryOfFrame(second);
    window->selectEntry(entry);
    AnswerCommentDialog("one");
    window->runCommand(kCmdComment);
    window->selectEntry(entry);
    AnswerCommentDialog("two");
    window->runCommand(kCmdComment);
    EXPECT_TRUE(doc().modified);
    ASSERT_EQ(second->comments.size(), 2u);
    EXPECT_EQ(second->comments[0].text, "one");
    EXPECT_EQ(second->comments[1].text, "two");
    EXPECT_EQ(ChildTexts(entry), (std::vector<std::string>{"Comment [1]", "Comment [2]"}));
}

TEST_F(CommentDialogTest, EnterOnACommentEditsItAndAnUnchangedLongCommentStaysWhole) {
    const std::string longText(6000, 'x');
    doc().firstFrame->comments[0].text = longText;
    TreeItem* comment = doc().EntryOfFrame(doc().firstFrame)->firstChild();
    ASSERT_EQ(comment->text(), "Comment [1]");
    window->selectEntry(comment);

    QString shown;
    AnswerCommentDialog({}, true, &shown);
    window->treeView()->setFocus();
    QTest::keyClick(window->treeView(), Qt::Key_Return);
    EXPECT_EQ(shown.size(), 6000);
    EXPECT_EQ(doc().firstFrame->comments[0].text, longText);  // not cut to 5000
    EXPECT_FALSE(doc().modified);

    window->selectEntry(comment);
    AnswerCommentDialog("changed");
    window->runCommand(kCmdComment);
    EXPECT_EQ(doc().firstFrame->comments[0].text, "changed");
    EXPECT_TRUE(doc().modified);
}

TEST_F(CommentDialogTest, WithTheRootSelectedAGlobalCommentIsAdded) {
    window->selectEntry(doc().tree.root());
    AnswerCommentDialog("");
    window->runCommand(kCmdComment);
    ASSERT_EQ(doc().globalComments.size(), 1u);
    EXPECT_EQ(doc().globalComments[0].text, "");  // an empty comment is kept
    EXPECT_TRUE(doc().hasGlobalComments);
    EXPECT_EQ(doc().tree.root()->firstChild()->text(), "GlobalComment [1]");
    EXPECT_TRUE(doc().modified);
}

}  // namespace
