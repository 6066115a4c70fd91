// The main window driven as a user would: opening, selecting, deleting, duplicating,
// cutting and pasting, saving, closing, dropping files and the recent-file list.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "ShellTestSupport.h"
#include "document/AnimationDocument.h"
#include "document/DocumentCommands.h"
#include "shell/CommandIds.h"
#include "shell/FrameTreeModel.h"
#include "shell/ImagePane.h"
#include "shell/MainWindow.h"
#include "shell/Playback.h"
#include "shell/SingleInstance.h"
#include "support/TestSupport.h"

using namespace shell_testing;

namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>();
    AnimationDocument& doc() { return window->document(); }
    bool enabled(int id) { return window->action(id)->isEnabled(); }

    void SetUp() override {
        window->settings().confirmDelete = 0;
        window->show();
    }
    void TearDown() override {
        doc().modified = false;
        window->close();
    }
};

TEST_F(MainWindowTest, TheSampleAnimationAndTheHelpPagesAreBundled) {
    const QString sample = MainWindow::SamplePath();
    ASSERT_FALSE(sample.isEmpty());
    ASSERT_EQ(window->openFile(sample), 0);
    EXPECT_GT(doc().countFrames(), 1);
    EXPECT_TRUE(QFile::exists(":/help/index.html"));
}

TEST_F(MainWindowTest, StartsWithTheRootAndDocumentCommandsGreyed) {
    EXPECT_EQ(window->windowTitle(), "Velmora");
    QAbstractItemModel* model = window->treeView()->model();
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, 0).data().toString(), "Root");
    for (int id : {kCmdSaveAs, kCmdCopy, kCmdDelete, kCmdInsertEffect, kCmdStartAnimation})
        EXPECT_FALSE(enabled(id));
    EXPECT_TRUE(enabled(kCmdOpen));
    EXPECT_EQ(window->statusText(1), "Idle");
}

TEST_F(MainWindowTest, OpeningAGifFillsTheTreeAndEnablesCommands) {
    const QString gif = WriteGif(dir.path(), "a.gif", {10, 20, 30});
    ASSERT_EQ(window->openFile(gif), 0);
    EXPECT_EQ(ImageLabels(*window),
              (std::vector<std::string>{"Gif :a.gif", "Gif :a.gif", "Gif :a.gif"}));
    EXPECT_EQ(doc().selectedFrame, doc().firstFrame);
    for (int id : {kCmdSaveAs, kCmdCopy, kCmdDelete, kCmdInsertEffect, kCmdStartAnimation,
                   kCmdInsertTransition}) {
        EXPECT_TRUE(enabled(id)) << id;
    }
    EXPECT_EQ(window->action(kCmdResize)->text(), "&Resize All ...");
    EXPECT_EQ(window->recentFiles().entries().first(), gif);
    EXPECT_EQ(window->settings().path, gif);
    EXPECT_EQ(window->statusText(0), "Gif :a.gif");
    // The picture of the selected frame is on screen.
    const QImage shot = window->imagePane()->grab().toImage();
    const QRect r = window->imagePane()->screenRect();
    EXPECT_EQ(QColor(shot.pixel(r.center())).rgb() & 0xFFFFFF, 0x204060u);
}

TEST_F(MainWindowTest, SelectingEntriesFollowsTheRules) {
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", {10, 20})), 0);
    TreeItem* first = doc().EntryOfFrame(doc().firstFrame);
    window->selectEntry(first->firstChild());  // "Comment [1]"
    EXPECT_TRUE(enabled(kCmdComment));
    EXPECT_TRUE(enabled(kCmdDelete));
    EXPECT_FALSE(enabled(kCmdCopy));
    EXPECT_FALSE(enabled(kCmdInsertEffect));
    window->selectEntry(doc().tree.root());
    EXPECT_FALSE(enabled(kCmdDelete));
    EXPECT_FALSE(enabled(kCmdExportImage));
    TreeItem* last = doc().EntryOfFrame(doc().lastFrame());
    window->selectEntry(last);
    EXPECT_EQ(doc().selectedFrame, doc().lastFrame());
    EXPECT_FALSE(enabled(kCmdInsertTransition));  // no successor
    EXPECT_TRUE(enabled(kCmdInsertEffect));
}

TEST_F(MainWindowTest, DeleteImageCommentAndTheLastFrame) {
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", {10, 20})), 0);
    TreeItem* first = doc().EntryOfFrame(doc().firstFrame);
    window->selectEntry(first->firstChild());
    window->runCommand(kCmdDelete);
    EXPECT_TRUE(doc().firstFrame->comments.empty());
    EXPECT_TRUE(doc().modified);
    window->selectEntry(doc().EntryOfFrame(doc().firstFrame));
    window->runCommand(kCmdDelete);
    EXPECT_EQ(doc().countFrames(), 1);
    EXPECT_EQ(window->action(kCmdResize)->text(), "&Resize ...");
    window->runCommand(kCmdDelete);  // the new selection is the remaining frame
    EXPECT_TRUE(doc().empty());
    EXPECT_FALSE(enabled(kCmdSaveAs));
    EXPECT_FALSE(enabled(kCmdDelete));
    EXPECT_FALSE(enabled(kCmdResize));
    EXPECT_FALSE(doc().modified);
}

TEST_F(MainWindowTest, DeleteAsksWhenConfirmationIsOn) {
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", {10, 20})), 0);
    window->settings().confirmDelete = 1;
    auto box = AnswerNextBox(Answer::No);
    window->runCommand(kCmdDelete);
    EXPECT_EQ(box->text, "Do you really want to remove Gif :a.gif from the list ?");
    EXPECT_EQ(box->caption, "Confirm Removal");
    EXPECT_EQ(doc().countFrames(), 2);
}

TEST_F(MainWindowTest, DuplicateCutAndPaste) {
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", {10, 20})), 0);
    window->runCommand(kCmdDuplicate);
    EXPECT_EQ(
        ImageLabels(*window),
        (std::vector<std::string>{
            "Gif :a.gif", "Gif :Copy of " + (dir.path() + "/a.gif").toStdString(), "Gif :a.gif"}));
    EXPECT_EQ(doc().countFrames(), 3);
    window->runCommand(kCmdCut);
    EXPECT_EQ(doc().countFrames(), 2);
    ASSERT_TRUE(QApplication::clipboard()->mimeData()->hasImage());
    window->selectEntry(doc().tree.root());
    window->runCommand(kCmdPaste);
    ASSERT_EQ(doc().countFrames(), 3);
    EXPECT_EQ(ImageLabels(*window).front(), "Gif : Copy of Clipboard");
    doc().firstFrame->WaitForReduction();
    EXPECT_EQ(doc().firstFrame->width, 8);
}

TEST_F(MainWindowTest, SaveAndReopenAndAFailedSaveStaysModified) {
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", {10, 20})), 0);
    window->runCommand(kCmdDuplicate);
    ASSERT_TRUE(doc().modified);
    auto box = AnswerNextBox(Answer::Ok);
    EXPECT_FALSE(window->saveAnimationTo(dir.filePath("missing/folder/b.gif")));
    QTest::qWait(50);
    EXPECT_EQ(box->text, "while saving animation");
    EXPECT_TRUE(doc().modified);
    const QString saved = dir.filePath("b.gif");
    ASSERT_TRUE(window->saveAnimationTo(saved));
    EXPECT_FALSE(doc().modified);
    EXPECT_EQ(window->settings().pathSave, saved);
    window->runCommand(kCmdNew);
    EXPECT_TRUE(doc().empty());
    ASSERT_EQ(window->openFile(saved), 0);
    EXPECT_EQ(doc().countFrames(), 3);
}

TEST_F(MainWindowTest, SavingOptimisedLeavesTheDocumentOrShowsTheResult) {
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", {10, 20, 30}, 40, 30)), 0);
    doc().settings.saveOptimized = true;
    doc().settings.reloadAfterSave = false;
    ASSERT_TRUE(window->saveAnimationTo(dir.filePath("copy.gif")));
    // A copy was optimised: the document's frames keep their own palettes.
    EXPECT_EQ(doc().countFrames(), 3);
    EXPECT_FALSE(doc().hasGlobalPalette);
    for (FrameRecord* f = doc().firstFrame; f; f = f->next) EXPECT_EQ(f->hasLocalPalette, 1);
    EXPECT_TRUE(QFileInfo(dir.filePath("copy.gif")).size() > 0);

    doc().settings.reloadAfterSave = true;
    ASSERT_TRUE(window->saveAnimationTo(dir.filePath("itself.gif")));
    // The document itself was optimised: its frames moved onto the shared palette.
    EXPECT_TRUE(doc().hasGlobalPalette);
    EXPECT_EQ(doc().firstFrame->hasLocalPalette, 0);
    EXPECT_FALSE(doc().modified);
    window->runCommand(kCmdNew);
    ASSERT_EQ(window->openFile(dir.filePath("copy.gif")), 0);
    EXPECT_EQ(doc().countFrames(), 3);
}

TEST_F(MainWindowTest, CloseAsksAboutUnsavedChanges) {
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", {10})), 0);
    doc().modified = true;
    auto cancel = AnswerNextBox(Answer::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(cancel->text, "Do you want to save the current animation before closing it ?");
    EXPECT_EQ(cancel->caption, "Confirm Exit");
    EXPECT_TRUE(window->isVisible());
    AnswerNextBox(Answer::No);
    EXPECT_TRUE(window->close());
}

TEST_F(MainWindowTest, PlaybackStepsThroughImagesAndWraps) {
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", {1, 1, 1})), 0);
    EXPECT_EQ(Playback::IntervalFor(10), 100);
    EXPECT_EQ(Playback::IntervalFor(50), 500);
    EXPECT_EQ(Playback::IntervalFor(0), 10);
    std::vector<FrameRecord*> shown;
    QObject::connect(&window->playback(), &Playback::selectEntry,
                     [&](TreeItem* item) { shown.push_back(doc().GetGif(item)); });
    window->runCommand(kCmdStartAnimation);
    EXPECT_TRUE(window->playback().playing());
    EXPECT_TRUE(enabled(kCmdStopAnimation));
    (void)QTest::qWaitFor([&] { return shown.size() >= 4; }, 3000);
    window->runCommand(kCmdStartAnimation);  // start while playing stops
    EXPECT_FALSE(window->playback().playing());
    ASSERT_GE(shown.size(), 4u);
    FrameRecord* f = doc().firstFrame;
    EXPECT_EQ(shown[0], f->next);
    EXPECT_EQ(shown[1], f->next->next);
    EXPECT_EQ(shown[2], f);  // after the last image the first follows
    window->runCommand(kCmdGotoLast);
    EXPECT_EQ(doc().selectedFrame, doc().lastFrame());
    window->runCommand(kCmdGotoFirst);
    EXPECT_EQ(doc().selectedFrame, doc().firstFrame);
}

TEST_F(MainWindowTest, DroppingFiles) {
    const QString gif = WriteGif(dir.path(), "a.gif", {10});
    auto drop = [&](const QString& path) { window->dropFiles({QUrl::fromLocalFile(path)}); };
    drop(gif);
    EXPECT_EQ(doc().countFrames(), 1);
    QFile::copy(gif, dir.filePath("noext"));
    drop(dir.filePath("noext"));  // a name without extension is read as GIF
    EXPECT_EQ(doc().countFrames(), 2);
    auto box = AnswerNextBox(Answer::Ok);
    drop(dir.filePath("picture.png"));
    QTest::qWait(50);
    EXPECT_EQ(box->text,
              "Invalid format \"*.png\"- only GIF, JPG, JPEG, BMP, DIB, TGA, AVI, MP4, WEBM, MOV, "
              "MKV, ICO, CUR and ANI files "
              "are accepted");
    EXPECT_EQ(box->caption, "Drag & Drop  Error");
    EXPECT_EQ(doc().countFrames(), 2);
}

// velmora-cli writes .jpeg: dropped or opened in any case it is read as JPEG, and the
// Open dialog's first filter shows it with the videos FFmpeg reads.
TEST_F(MainWindowTest, JpegUnderEitherExtensionOpensAndTheOpenFilterListsIt) {
    int frames = 0;
    for (const char* name : {"a.jpeg", "b.JPEG", "c.Jpeg"}) {
        const QString path = dir.filePath(name);
        ASSERT_EQ(QProcess::execute("convert", {"rose:", "-resize", "30x20!", path}), 0);
        window->dropFiles({QUrl::fromLocalFile(path)});
        EXPECT_EQ(doc().countFrames(), ++frames) << name;
        EXPECT_EQ(OpenFileByType(doc(), path.toStdString(), DispatchSource::CommandLine),
                  kDispatchOk)
            << name;
        EXPECT_EQ(doc().countFrames(), ++frames) << name;
    }
    // The patterns of "All Images", as the dialog takes them from the parentheses.
    const QString all = QString::fromStdString(OpenFileFilters().front());
    const QStringList patterns = all.section('(', -1).chopped(1).split(' ', Qt::SkipEmptyParts);
    for (const char* pattern : {"*.jpg", "*.jpeg", "*.gif", "*.bmp", "*.dib", "*.tga", "*.ico",
                                "*.cur", "*.ani", "*.avi", "*.mp4", "*.webm", "*.mov", "*.mkv"})
        EXPECT_TRUE(patterns.contains(pattern)) << pattern;
}

TEST_F(MainWindowTest, RecentFilesMenuAndAFailedEntry) {
    const QString a = WriteGif(dir.path(), "a.gif", {10});
    const QString b = WriteGif(dir.path(), "b.gif", {10});
    ASSERT_EQ(window->openFile(a), 0);
    ASSERT_EQ(window->openFile(b), 0);
    EXPECT_EQ(window->action(kCmdRecentFirst)->text(), "&1 " + b);
    EXPECT_EQ(window->action(kCmdRecentFirst + 1)->text(), "&2 " + a);
    window->runCommand(kCmdRecentFirst + 1);  // reopening a moves it to the top
    EXPECT_EQ(window->recentFiles().entries().first(), a);
    EXPECT_EQ(doc().countFrames(), 3);
    QFile::remove(b);
    AnswerNextBox(Answer::Ok);  // "Loading Gif"
    window->runCommand(kCmdRecentFirst + 1);
    QTest::qWait(50);
    EXPECT_EQ(window->recentFiles().entries(), QStringList{a});
}

TEST(SecondInstance, HandsItsFileToTheRunningEditor) {
    QTemporaryDir dir;
    const QString gif = WriteGif(dir.path(), "handed.gif", {10, 10});
    qputenv("VELMORA_INSTANCE_NAME",
            QStringLiteral("velmora-test-%1").arg(QCoreApplication::applicationPid()).toUtf8());
    SingleInstance instance;
    ASSERT_TRUE(instance.Listen());
    QStringList received;
    QObject::connect(&instance, &SingleInstance::fileHandedOver,
                     [&](const QString& p) { received << p; });

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.start(VELMORA_EDITOR_PATH, {gif});
    ASSERT_TRUE(second.waitForStarted(10000));
    // The second instance ends on its own once the running one took the file.
    (void)QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 20000);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    (void)QTest::qWaitFor([&] { return !received.isEmpty(); }, 5000);
    EXPECT_EQ(received, QStringList{gif});
    qunsetenv("VELMORA_INSTANCE_NAME");
}

TEST(Editor, StartsOnTheOffscreenPlatform) {
    QProcess editor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VELMORA_INSTANCE_NAME", "velmora-test-start");
    editor.setProcessEnvironment(env);
    editor.start(VELMORA_EDITOR_PATH, {});
    ASSERT_TRUE(editor.waitForStarted(10000));
    // Still running after a while: it came up and waits for the user.
    EXPECT_FALSE(editor.waitForFinished(1500)) << editor.readAllStandardError().toStdString();
    editor.terminate();
    editor.waitForFinished(5000);
}

}  // namespace
