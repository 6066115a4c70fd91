// The comment dialog from the editor's Comment command and from Enter on a comment entry.
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <functional>

#include "dialogs/CommentDialog.h"
#include "document/FrameTree.h"
#include "shell/FrameTreeModel.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/qt/EditorTestSupport.h"

using namespace dialog_testing;
using namespace editor_testing;

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

class CommentDialogTest : public EditorTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(openGif({10, 10}));
        doc().history.clear(true);
    }
};

// Two new comments on a frame are numbered in order; with the root selected a global
// comment is added, even an empty one.
TEST_F(CommentDialogTest, NewCommentsOnAFrameAndOnTheRoot) {
    FrameRecord* second = doc().firstFrame->next;
    TreeItem* entry = doc().EntryOfFrame(second);
    window().selectEntry(entry);
    AnswerCommentDialog("one");
    window().runCommand(kCmdComment);
    window().selectEntry(entry);
    AnswerCommentDialog("two");
    window().runCommand(kCmdComment);
    EXPECT_TRUE(doc().modified());
    ASSERT_EQ(second->comments.size(), 2u);
    EXPECT_EQ(second->comments[0].text, "one");
    EXPECT_EQ(second->comments[1].text, "two");
    EXPECT_EQ(testing_support::ChildLabels(entry),
              (std::vector<std::string>{"Comment [1]", "Comment [2]"}));
    window().selectEntry(doc().tree.root());
    AnswerCommentDialog("");
    window().runCommand(kCmdComment);
    ASSERT_EQ(doc().globalComments.size(), 1u);
    EXPECT_EQ(doc().globalComments[0].text, "");
    EXPECT_EQ(doc().tree.root()->firstChild()->text(), "GlobalComment [1]");
}

// Types text as a keyboard (or an input method) delivers it: one key event per character.
void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

// What a user typed in any script is kept as UTF-8 and written so to the file.
TEST_F(CommentDialogTest, TextOutsideLatin1IsWrittenAsUtf8) {
    const QString typed = QStringLiteral("Gr\u00fc\u00dfe \u2713 \u65e5\u672c \u0416");
    TreeItem* entry = doc().EntryOfFrame(doc().firstFrame->next);
    window().selectEntry(entry);
    WhenModal<CommentDialog>([&](CommentDialog& dialog) {
        Type(dialog.field(), typed);
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    window().runCommand(kCmdComment);
    ASSERT_EQ(doc().firstFrame->next->comments.size(), 1u);
    const QByteArray utf8 = typed.toUtf8();
    EXPECT_EQ(doc().firstFrame->next->comments[0].text, utf8.toStdString());
    const QString saved = file("saved.gif");
    ASSERT_TRUE(window().saveAnimationTo(saved));
    const auto peer = testing_support::GiflibDecode(saved.toStdString());
    ASSERT_TRUE(peer.has_value());
    ASSERT_EQ(peer->images.size(), 2u);
    EXPECT_EQ(peer->images[1].comments, std::vector<std::string>{utf8.toStdString()});
}

// Enter on a comment opens it. A stored comment shows as UTF-8 when it is valid UTF-8,
// else one byte per character; confirmed unchanged, its bytes stay as they were, however
// long; changed, it is replaced.
TEST_F(CommentDialogTest, StoredCommentsShowInTheirEncodingAndStayByteForByte) {
    const struct {
        std::string bytes;
        QString shown;
    } rows[] = {
        {"caf\xC3\xA9 \xE2\x9C\x93", QStringLiteral("caf\u00e9 \u2713")},  // UTF-8
        {"caf\xE9 na\xEFve", QStringLiteral("caf\u00e9 na\u00efve")},      // Latin-1
        {"cut \xE2\x9C", QStringLiteral("cut \u00e2\u009c")},              // broken UTF-8
        {std::string(6000, 'x'), QString(6000, 'x')},                      // past 5000
    };
    TreeItem* comment = doc().EntryOfFrame(doc().firstFrame)->firstChild();
    ASSERT_EQ(comment->text(), "Comment [1]");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes.substr(0, 20));
        doc().firstFrame->comments[0].text = row.bytes;
        window().selectEntry(comment);
        QString shown;
        AnswerCommentDialog({}, true, &shown);
        window().treeView()->setFocus();
        QTest::keyClick(window().treeView(), Qt::Key_Return);
        EXPECT_EQ(shown, row.shown);
        EXPECT_EQ(doc().firstFrame->comments[0].text, row.bytes);
        EXPECT_FALSE(doc().modified());
    }
    window().selectEntry(comment);
    AnswerCommentDialog("changed");
    window().runCommand(kCmdComment);
    EXPECT_EQ(doc().firstFrame->comments[0].text, "changed");
    EXPECT_TRUE(doc().modified());
}

}  // namespace
