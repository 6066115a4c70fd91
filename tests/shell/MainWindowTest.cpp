// The main window as a user meets it: title, the frame tree with its root entry, and
// the editor program starting on the offscreen platform.
#include <gtest/gtest.h>
#include <QProcess>
#include <QTreeView>

#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "shell/FrameTreeModel.h"
#include "shell/ImagePane.h"
#include "shell/MainWindow.h"
#include "support/TestSupport.h"

TEST(MainWindow, ShowsTheFrameTreeWithItsRoot) {
    MainWindow window;
    window.show();
    EXPECT_EQ(window.windowTitle(), "Velmora");
    QAbstractItemModel* model = window.treeView()->model();
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, 0).data().toString(), "Root");
}

TEST(MainWindow, TreeViewFollowsTheEngineTree) {
    MainWindow window;
    AnimationDocument& doc = window.document();
    FrameRecord* frame = testing_support::MakeFrame(doc, 8, 6, {0xFF0000});
    testing_support::AppendToDocument(doc, frame, "a.gif");
    QAbstractItemModel* model = window.treeView()->model();
    const QModelIndex root = model->index(0, 0);
    ASSERT_EQ(model->rowCount(root), 1);
    EXPECT_EQ(model->index(0, 0, root).data().toString(), "Gif :a.gif");

    // Selecting the entry selects the frame and shows its picture.
    window.treeView()->setCurrentIndex(model->index(0, 0, root));
    EXPECT_EQ(doc.selectedFrame, frame);
    EXPECT_TRUE(window.imagePane()->screenRect().isValid());

    doc.RemoveEntry(doc.tree.root()->firstChild());
    EXPECT_EQ(model->rowCount(root), 0);
}

TEST(MainWindow, EditorStartsOnTheOffscreenPlatform) {
    QProcess editor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    editor.setProcessEnvironment(env);
    editor.start(VELMORA_EDITOR_PATH, {});
    ASSERT_TRUE(editor.waitForStarted(10000));
    // Still running after a while: it came up and waits for the user.
    EXPECT_FALSE(editor.waitForFinished(1500)) << editor.readAllStandardError().toStdString();
    editor.terminate();
    editor.waitForFinished(5000);
}
