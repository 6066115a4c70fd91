// The main window driven as a user would: opening, selecting, deleting, duplicating,
// cutting and pasting, saving, closing, dropping files and the recent-file list.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocalServer>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>

#include "ShellTestSupport.h"
#include "dialogs/ParametersWindow.h"
#include "document/AnimationDocument.h"
#include "document/DocumentCommands.h"
#include "shell/CommandIds.h"
#include "shell/FrameTreeModel.h"
#include "shell/ImagePane.h"
#include "shell/MainWindow.h"
#include "shell/Playback.h"
#include "shell/SingleInstance.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

using namespace shell_testing;
using namespace testing_support;

namespace {

// Gives the window the keyboard, as a click on it would: its shortcuts answer only then.
void Activate(QWidget& window) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs `act` on the first modal window of type T that opens (a timer waits for it).
template <typename T>
void OnNextModal(std::function<void(T&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* w = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!w || !w->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(*w);
    });
    timer->start();
}

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
    ASSERT_EQ(window->openSample(), 0);
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

TEST_F(MainWindowTest, CtrlVPastesAfterCopyAndIntoAnEmptyDocument) {
    TempFolder folder;
    const QString gif = QString::fromStdString(MakePhotoGif(folder, "rose.gif", 93, 61, 3));
    QApplication::clipboard()->clear();
    ASSERT_EQ(window->openFile(gif), 0);
    Activate(*window);
    window->selectEntry(doc().EntryOfFrame(doc().firstFrame->next));

    QTest::keyClick(window.get(), Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(QApplication::clipboard()->mimeData()->hasImage());
    QTest::keyClick(window.get(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(doc().countFrames(), 4);
    EXPECT_EQ(ImageLabels(*window)[2], "Gif : Copy of Clipboard");

    // New (not saving), then Ctrl+V: the picture becomes the document.
    auto discard = AnswerNextBox(Answer::No);
    QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(doc().empty());
    EXPECT_TRUE(enabled(kCmdPaste));
    Activate(*window);  // back from the question
    QTest::keyClick(window.get(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(doc().countFrames(), 1);
    EXPECT_EQ(doc().firstFrame->width, 93);
    EXPECT_EQ(doc().firstFrame->height, 61);
    EXPECT_EQ(doc().screenWidth, 93);
}

TEST_F(MainWindowTest, CutWithACommentSelectedNeitherCopiesNorDeletes) {
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", {10, 20})), 0);
    QApplication::clipboard()->clear();
    TreeItem* comment = doc().EntryOfFrame(doc().firstFrame)->firstChild();
    ASSERT_EQ(comment->text(), "Comment [1]");
    window->selectEntry(comment);
    auto box = AnswerNextBox(Answer::Ok);
    window->runCommand(kCmdCut);
    QTest::qWait(50);
    EXPECT_EQ(box->text, "curGif==NULL");
    EXPECT_EQ(box->caption, "Copy ");
    ASSERT_EQ(doc().firstFrame->comments.size(), 1u);  // still there
    EXPECT_EQ(doc().countFrames(), 2);
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    EXPECT_FALSE(clipboard && clipboard->hasImage());
    EXPECT_FALSE(doc().modified);
}

// Save As (Ctrl+S) and Export Image (its menu item) with a name typed without extension
// beside a file that has the name with the extension: the dialog asks before anything
// is written, and a "No" keeps the file as it was.
TEST_F(MainWindowTest, ANameWithoutExtensionAsksBeforeReplacingTheFileWithIt) {
    TempFolder folder;
    const QString gif = QString::fromStdString(MakePhotoGif(folder, "rose.gif", 80, 52, 3));
    ASSERT_EQ(window->openFile(gif), 0);
    Activate(*window);
    const QString existing = QString::fromStdString(folder.file("x.GIF"));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(MakePhotoGif(folder, "other.gif", 40, 30, 1)),
                            existing));
    const QByteArray before = Contents(existing);
    const std::function<void()> commands[] = {
        [&] {
            Activate(*window);  // back from the dialog before
            QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
        },
        [&] { window->action(kCmdExportImage)->trigger(); },
    };
    for (size_t row = 0; row < std::size(commands); ++row) {
        for (const bool replace : {false, true}) {
            SCOPED_TRACE(testing::Message() << "command " << row << " replace " << replace);
            QString asked;
            bool untouchedWhenAsked = false;
            OnNextModal<QFileDialog>([&](QFileDialog& dialog) {
                dialog.setDirectory(QString::fromStdString(folder.path()));
                auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                ASSERT_NE(name, nullptr);
                name->setText(QStringLiteral("x"));
                OnNextModal<QMessageBox>([&, replace](QMessageBox& box) {
                    asked = box.text();
                    untouchedWhenAsked = Contents(existing) == before;
                    box.button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
                });
                // Save (the name's completion list would take a Return key).
                auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
                ASSERT_NE(buttons, nullptr);
                QTest::mouseClick(buttons->button(QDialogButtonBox::Save), Qt::LeftButton);
                if (dialog.isVisible()) dialog.reject();  // "No": the dialog stays up
            });
            commands[row]();
            EXPECT_TRUE(asked.contains("x.GIF")) << asked.toStdString();
            EXPECT_TRUE(untouchedWhenAsked);
            EXPECT_FALSE(QFile::exists(QString::fromStdString(folder.file("x"))));
            if (!replace) {
                EXPECT_EQ(Contents(existing), before);
            } else {
                // Replaced by what the command writes: the animation, or the selected image.
                const auto written = GiflibDecode(existing.toStdString());
                ASSERT_TRUE(written.has_value());
                EXPECT_EQ(written->screenWidth, 80);
                EXPECT_EQ(written->images.size(), row == 0 ? 3u : 1u);
                ASSERT_TRUE(QFile::remove(existing));
                ASSERT_TRUE(
                    QFile::copy(QString::fromStdString(folder.file("other.gif")), existing));
            }
        }
    }
}

TEST(UntitledSample, LeavesNoPathInTheRecentFilesOrTheFolders) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("settings.ini");
    {
        QSettings store(ini, QSettings::IniFormat);
        MainWindow window(&store);
        window.show();
        ASSERT_EQ(window.openSample(), 0);  // as the editor does when started without a file
        EXPECT_GT(window.document().countFrames(), 1);
        EXPECT_TRUE(window.recentFiles().entries().isEmpty());
        EXPECT_FALSE(window.action(kCmdRecentFirst)->isVisible() &&
                     !window.action(kCmdRecentFirst)->text().isEmpty());
        // Save As starts in the home folder (no folder of the user's yet).
        QString startFolder;
        OnNextModal<QFileDialog>([&](QFileDialog& dialog) {
            startFolder = dialog.directory().absolutePath();
            dialog.reject();
        });
        window.runCommand(kCmdSaveAs);
        EXPECT_EQ(startFolder, QDir::home().absolutePath());
        window.document().modified = false;
        window.close();
    }
    QSettings store(ini, QSettings::IniFormat);
    EXPECT_EQ(store.value("Path").toString(), "N/A");
    EXPECT_EQ(store.value("PathSave").toString(), "N/A");
    EXPECT_FALSE(store.contains("History File 0"));
    for (const QString& key : store.allKeys()) {
        EXPECT_FALSE(store.value(key).toString().contains("sample", Qt::CaseInsensitive))
            << key.toStdString();
    }
}

TEST(UntitledSample, SaveAsStartsInTheUsersLastFolder) {
    QTemporaryDir dir;
    const QString gif = WriteGif(dir.path(), "mine.gif", {10});
    QSettings store(dir.filePath("settings.ini"), QSettings::IniFormat);
    {
        MainWindow first(&store);
        ASSERT_EQ(first.openFile(gif), 0);
        first.close();
    }
    MainWindow window(&store);
    window.show();
    ASSERT_EQ(window.openSample(), 0);
    EXPECT_EQ(window.recentFiles().entries(), QStringList{gif});
    QString startFolder;
    OnNextModal<QFileDialog>([&](QFileDialog& dialog) {
        startFolder = dialog.directory().absolutePath();
        dialog.reject();
    });
    window.runCommand(kCmdSaveAs);
    EXPECT_EQ(startFolder, QDir(dir.path()).absolutePath());
    window.document().modified = false;
    window.close();
    EXPECT_EQ(store.value("PathSave").toString(), gif);
}

// A window placement saved on a larger screen, maximised: the window comes back
// maximised and its normal placement is wholly on this screen; the parameters window
// opens on the screen too and follows the main window when that moves.
TEST(Placement, RestoredOnTheScreenAndMaximised) {
    QTemporaryDir dir;
    QSettings store(dir.filePath("settings.ini"), QSettings::IniFormat);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    WindowPlacement saved;
    saved.fields = {44,
                    0,
                    3,
                    0,
                    0,
                    0,
                    0,
                    screen.right() - 100,
                    screen.top() + 40,
                    screen.right() + 500,
                    screen.top() + 440};
    {
        AppSettings settings = SettingsStore::Load(store, screen.width(), screen.height());
        settings.winRect = saved;
        SettingsStore::Save(store, settings);
    }
    MainWindow window(&store);
    window.show();
    EXPECT_TRUE(window.isMaximized());
    EXPECT_TRUE(screen.contains(window.normalGeometry())) << window.normalGeometry().x();
    EXPECT_EQ(window.normalGeometry().size(), QSize(600, 400));
    window.close();
}

TEST(Placement, TheParametersWindowOpensOnTheScreenAndFollowsTheMainWindow) {
    QTemporaryDir dir;
    QSettings store(dir.filePath("settings.ini"), QSettings::IniFormat);
    MainWindow window(&store);  // first run: the default placement
    window.show();
    ASSERT_EQ(window.openFile(WriteGif(dir.path(), "a.gif", {10, 10}, 120, 90)), 0);
    window.action(kCmdParameters)->trigger();
    ParametersWindow* parameters = window.parametersWindow();
    ASSERT_NE(parameters, nullptr);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(parameters->frameGeometry()))
        << parameters->frameGeometry().x() << "+" << parameters->frameGeometry().width();
    const QPoint before = parameters->pos();
    window.move(window.pos() + QPoint(-30, 20));
    QTest::qWait(20);
    EXPECT_EQ(parameters->pos(), before + QPoint(-30, 20));
    window.close();
}

// An open parameters window can be closed from the menu after New.
TEST_F(MainWindowTest, TheParametersItemClosesItsWindowInAnEmptyDocument) {
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", {10})), 0);
    window->action(kCmdParameters)->trigger();
    ASSERT_NE(window->parametersWindow(), nullptr);
    Activate(*window);
    QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(doc().empty());
    EXPECT_TRUE(enabled(kCmdParameters));
    window->action(kCmdParameters)->trigger();
    EXPECT_EQ(window->parametersWindow(), nullptr);
    EXPECT_FALSE(enabled(kCmdParameters));  // nothing left to show
}

TEST_F(MainWindowTest, AnAmpersandInARecentPathIsShown) {
    ASSERT_TRUE(QDir(dir.path()).mkpath("Tom & Jerry"));
    const QString gif = WriteGif(dir.filePath("Tom & Jerry"), "a.gif", {10});
    ASSERT_EQ(window->openFile(gif), 0);
    const QString text = window->action(kCmdRecentFirst)->text();
    EXPECT_EQ(text, "&1 " + QString(gif).replace("&", "&&"));
    // What the menu shows once Qt has taken the mnemonics out.
    EXPECT_EQ(window->action(kCmdRecentFirst)->iconText(), "1 " + gif);
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

// A second editor started without a file while one runs leaves the name to the first;
// a third start with a file hands it to the first.
TEST(SecondInstance, AnotherStartLeavesTheRunningEditorItsName) {
    TempFolder folder;
    const QString gif = WriteGif(QString::fromStdString(folder.path()), "third.gif", {10, 10});
    const QString name =
        QStringLiteral("velmora-test-third-%1").arg(QCoreApplication::applicationPid());
    qputenv("VELMORA_INSTANCE_NAME", name.toUtf8());
    SingleInstance first;
    ASSERT_TRUE(first.Listen());
    QStringList received;
    QObject::connect(&first, &SingleInstance::fileHandedOver,
                     [&](const QString& p) { received << p; });
    int knocks = 0;
    auto* server = first.findChild<QLocalServer*>();
    ASSERT_NE(server, nullptr);
    QObject::connect(server, &QLocalServer::newConnection, [&] { ++knocks; });

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(VELMORA_EDITOR_PATH, {});
    ASSERT_TRUE(second.waitForStarted(10000));
    // The second editor finds the first one answering (it knocks) and keeps running.
    EXPECT_TRUE(QTest::qWaitFor([&] { return knocks > 0; }, 30000));
    EXPECT_EQ(second.state(), QProcess::Running);

    QProcess third;
    third.setProcessEnvironment(env);
    third.start(VELMORA_EDITOR_PATH, {gif});
    ASSERT_TRUE(third.waitForStarted(10000));
    (void)QTest::qWaitFor([&] { return third.state() == QProcess::NotRunning; }, 20000);
    EXPECT_EQ(third.exitCode(), 0) << third.readAllStandardError().toStdString();
    (void)QTest::qWaitFor([&] { return !received.isEmpty(); }, 5000);
    EXPECT_EQ(received, QStringList{gif});

    second.terminate();
    second.waitForFinished(5000);
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
