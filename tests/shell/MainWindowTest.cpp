// The main window driven as a user would: opening, selecting, deleting, copying and
// pasting, saving, closing, dropping files, the recent files, undo, editors started from
// the desktop and the recovery of a killed one.

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMimeData>
#include <QProcess>
#include <QSettings>
#include <QUrl>
#include <csignal>
#include <functional>
#include <memory>

#include "dialogs/OptimiseProgressDialog.h"
#include "dialogs/ParametersWindow.h"
#include "dialogs/WarningDialog.h"
#include "shell/CrashRecovery.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/qt/EditorTestSupport.h"

using namespace editor_testing;
using namespace testing_support;
using dialog_testing::WhenModal;

namespace {

using MainWindowTest = EditorTest;

TEST_F(MainWindowTest, DeleteACommentThenImagesUntilTheDocumentIsEmpty) {
    ASSERT_TRUE(openGif({10, 20}));
    window().selectEntry(doc().EntryOfFrame(doc().firstFrame)->firstChild());
    window().runCommand(kCmdDelete);
    EXPECT_TRUE(doc().firstFrame->comments.empty());
    EXPECT_TRUE(doc().modified());
    window().selectEntry(doc().EntryOfFrame(doc().firstFrame));
    window().runCommand(kCmdDelete);
    EXPECT_EQ(doc().countFrames(), 1);
    window().runCommand(kCmdDelete);  // the new selection is the remaining frame
    EXPECT_TRUE(doc().empty());
    for (int id : {kCmdSaveAs, kCmdDelete, kCmdResize}) EXPECT_FALSE(editor.enabled(id)) << id;
    EXPECT_EQ(window().windowTitle(), "a.gif - Velmora");  // nothing there to save

    // With confirmation on, "No" keeps the image.
    ASSERT_TRUE(openGif({10, 20}));
    window().settings().confirmDelete = 1;
    auto box = AnswerNextBox(Answer::No);
    window().runCommand(kCmdDelete);
    EXPECT_EQ(box->text, "Do you really want to remove Gif :a.gif from the list ?");
    EXPECT_EQ(box->caption, "Confirm Removal");
    EXPECT_EQ(doc().countFrames(), 2);
}

// Ctrl+C, Ctrl+V and Ctrl+N through the keyboard; Cut and Duplicate from the menu.
TEST_F(MainWindowTest, CopyPasteCutAndDuplicate) {
    // Cut with a comment selected neither copies nor deletes.
    ASSERT_TRUE(openGif({10, 20}));
    QApplication::clipboard()->clear();
    TreeItem* comment = doc().EntryOfFrame(doc().firstFrame)->firstChild();
    ASSERT_EQ(comment->text(), "Comment [1]");
    window().selectEntry(comment);
    AnswerNextBox(Answer::Ok);
    window().runCommand(kCmdCut);
    QTest::qWait(50);
    EXPECT_EQ(doc().firstFrame->comments.size(), 1u);
    EXPECT_EQ(doc().countFrames(), 2);
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    EXPECT_FALSE(clipboard && clipboard->hasImage());
    EXPECT_FALSE(doc().modified());
    window().runCommand(kCmdNew);

    const QString gif = QString::fromStdString(MakePhotoGif(folder, "rose.gif", 93, 61, 3));
    ASSERT_TRUE(editor.open(gif));
    ASSERT_TRUE(Activate(window()));
    window().selectEntry(doc().EntryOfFrame(doc().firstFrame->next));
    QTest::keyClick(&window(), Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(QApplication::clipboard()->mimeData()->hasImage());
    QTest::keyClick(&window(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(doc().countFrames(), 4);
    EXPECT_EQ(ImageLabels(window())[2], "Gif : Copy of Clipboard");
    window().selectEntry(doc().EntryOfFrame(doc().firstFrame));
    window().runCommand(kCmdDuplicate);
    EXPECT_EQ(ImageLabels(window())[1], "Gif :Copy of " + gif.toStdString());

    // New (not saving), then Ctrl+V: the picture becomes the document.
    auto discard = AnswerNextBox(Answer::No);
    QTest::keyClick(&window(), Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(doc().empty());
    ASSERT_TRUE(Activate(window()));  // back from the question
    QTest::keyClick(&window(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(doc().countFrames(), 1);
    EXPECT_EQ(doc().firstFrame->width, 93);
    EXPECT_EQ(doc().screenHeight, 61);
}

TEST_F(MainWindowTest, SaveReopenAndSaveOptimised) {
    ASSERT_TRUE(openGif({10, 20, 30}, 40, 30));
    window().runCommand(kCmdDuplicate);
    auto box = AnswerNextBox(Answer::Ok);
    EXPECT_FALSE(window().saveAnimationTo(file("missing/folder/b.gif")));
    QTest::qWait(50);
    EXPECT_EQ(box->text, "while saving animation");
    EXPECT_TRUE(doc().modified());

    // Optimised into a copy: the document's frames keep their own palettes.
    doc().settings.saveOptimized = true;
    doc().settings.reloadAfterSave = false;
    ASSERT_TRUE(window().saveAnimationTo(file("copy.gif")));
    EXPECT_FALSE(doc().modified());
    EXPECT_EQ(window().settings().pathSave, file("copy.gif"));
    EXPECT_FALSE(doc().hasGlobalPalette);
    for (FrameRecord* f = doc().firstFrame; f; f = f->next) EXPECT_EQ(f->hasLocalPalette, 1);
    // Reloaded: the document itself moved onto the shared palette.
    doc().settings.reloadAfterSave = true;
    ASSERT_TRUE(window().saveAnimationTo(file("itself.gif")));
    EXPECT_TRUE(doc().hasGlobalPalette);
    EXPECT_EQ(doc().firstFrame->hasLocalPalette, 0);

    window().runCommand(kCmdNew);
    ASSERT_TRUE(doc().empty());
    ASSERT_TRUE(editor.open(file("copy.gif")));
    // The duplicate shows the picture before it for longer: one frame with both delays.
    ASSERT_EQ(doc().countFrames(), 3);
    EXPECT_EQ(doc().firstFrame->delay, 20u);
}

// Escape in the progress window of an optimised Ctrl+S, into a copy or into the document
// itself: nothing is written, the file keeps what it held, the document stays unsaved.
TEST_F(MainWindowTest, AnOptimisedSaveAbortedLeavesTheFileAsItWas) {
    const QString gif = QString::fromStdString(MakePhotoGif(folder, "rose.gif", 160, 120, 8));
    ASSERT_TRUE(editor.open(gif));
    const std::vector<uint8_t> old = ReadBytes(gif.toStdString());
    ASSERT_FALSE(old.empty());
    window().selectEntry(doc().EntryOfFrame(doc().firstFrame->next));
    window().runCommand(kCmdDelete);
    for (const bool itself : {false, true}) {
        SCOPED_TRACE(itself ? "the document itself" : "a copy");
        doc().settings.saveOptimized = true;
        doc().settings.reloadAfterSave = itself;
        bool pressed = false;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* p = qobject_cast<OptimiseProgressDialog*>(w);
                    p && p->isVisible() && !pressed) {
                    QTest::keyClick(p, Qt::Key_Escape);
                    pressed = true;
                }
            }
        });
        probe.start(0);
        ASSERT_TRUE(Activate(window()));
        QTest::keyClick(&window(), Qt::Key_S, Qt::ControlModifier);
        probe.stop();
        EXPECT_TRUE(pressed);
        EXPECT_EQ(ReadBytes(gif.toStdString()), old);
        EXPECT_EQ(window().windowTitle(), "rose.gif* - Velmora");
    }
}

TEST_F(MainWindowTest, CloseAsksAboutUnsavedChanges) {
    ASSERT_TRUE(openGif({10}));
    doc().MarkChanged();
    auto cancel = AnswerNextBox(Answer::Cancel);
    EXPECT_FALSE(window().close());
    EXPECT_EQ(cancel->text, "Do you want to save the current animation before closing it ?");
    EXPECT_EQ(cancel->caption, "Confirm Exit");
    EXPECT_TRUE(window().isVisible());
    AnswerNextBox(Answer::No);
    EXPECT_TRUE(window().close());
}

// velmora-cli writes .jpeg: dropped or opened in any case it is read as JPEG; a name
// without extension is read as GIF; other extensions are refused with their message.
TEST_F(MainWindowTest, DroppedFilesByTheirExtension) {
    const QString gif = WriteGif(dir(), "a.gif", {10}, 30, 20);  // the photos' size
    ASSERT_TRUE(QFile::copy(gif, file("noext")));
    for (const char* name : {"b.jpeg", "c.JPEG"})
        ASSERT_FALSE(MakePhoto(folder, name, 30, 20).empty());
    const struct {
        const char* name;
        int frames;  // after the drop
    } rows[] = {{"a.gif", 1}, {"noext", 2}, {"b.jpeg", 3}, {"c.JPEG", 4}, {"picture.png", 4}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const bool refused = QString(row.name).endsWith(".png");
        std::shared_ptr<BoxAnswer> box;
        if (refused) box = AnswerNextBox(Answer::Ok);
        window().dropFiles({QUrl::fromLocalFile(file(row.name))});
        EXPECT_EQ(doc().countFrames(), row.frames);
        if (refused) {
            QTest::qWait(50);
            EXPECT_EQ(box->text,
                      "Invalid format \"*.png\"- only GIF, JPG, JPEG, BMP, DIB, TGA, AVI, MP4, "
                      "WEBM, MOV, MKV, ICO, CUR and ANI files are accepted");
            EXPECT_EQ(box->caption, "Drag & Drop  Error");
        }
    }
}

TEST_F(MainWindowTest, RecentFilesMenuAndAFailedEntry) {
    const QString a = WriteGif(dir(), "a.gif", {10});
    ASSERT_TRUE(QDir(dir()).mkpath("Tom & Jerry"));
    const QString b = WriteGif(file("Tom & Jerry"), "b.gif", {10});
    ASSERT_TRUE(editor.open(a));
    ASSERT_TRUE(editor.open(b));
    EXPECT_EQ(window().settings().path, b);                             // where Open starts next
    EXPECT_EQ(window().action(kCmdRecentFirst)->iconText(), "1 " + b);  // '&' shown
    window().runCommand(kCmdRecentFirst + 1);  // reopening a moves it to the top
    EXPECT_EQ(window().recentFiles().entries().first(), a);
    EXPECT_EQ(doc().countFrames(), 3);
    QFile::remove(b);
    AnswerNextBox(Answer::Ok);  // "Loading Gif"
    window().runCommand(kCmdRecentFirst + 1);
    QTest::qWait(50);
    EXPECT_EQ(window().recentFiles().entries(), QStringList{a});
    // Alt+1 reopens the one entry left; Alt+2, past the list, does nothing.
    ASSERT_TRUE(Activate(window()));
    const int frames = doc().countFrames();
    QTest::keyClick(&window(), Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(doc().countFrames(), frames + 1);
    QTest::keyClick(&window(), Qt::Key_2, Qt::AltModifier);
    EXPECT_EQ(doc().countFrames(), frames + 1);
    EXPECT_EQ(window().recentFiles().entries(), QStringList{a});
}

// Save As (Ctrl+Shift+S) and Export Image (its menu item) with a name typed without extension
// beside a file that has the name with the extension: the dialog asks before anything
// is written, and a "No" keeps the file as it was.
TEST_F(MainWindowTest, ANameWithoutExtensionAsksBeforeReplacingTheFileWithIt) {
    ASSERT_TRUE(editor.open(QString::fromStdString(MakePhotoGif(folder, "rose.gif", 80, 52, 3))));
    const QString existing = file("x.GIF");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(MakePhotoGif(folder, "other.gif", 40, 30, 1)),
                            existing));
    const std::vector<uint8_t> before = ReadBytes(existing.toStdString());
    const std::function<void()> commands[] = {
        [&] {
            ASSERT_TRUE(Activate(window()));  // back from the dialog before
            QTest::keyClick(&window(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        },
        [&] { window().action(kCmdExportImage)->trigger(); },
    };
    for (size_t row = 0; row < std::size(commands); ++row) {
        for (const bool replace : {false, true}) {
            SCOPED_TRACE(testing::Message() << "command " << row << " replace " << replace);
            QString asked;
            bool untouchedWhenAsked = false;
            WhenModal<QFileDialog>([&](QFileDialog& dialog) {
                dialog.setDirectory(dir());
                dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("x");
                WhenModal<QMessageBox>([&, replace](QMessageBox& box) {
                    asked = box.text();
                    untouchedWhenAsked = ReadBytes(existing.toStdString()) == before;
                    box.button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
                });
                // Save (the name's completion list would take a Return key).
                auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
                QTest::mouseClick(buttons->button(QDialogButtonBox::Save), Qt::LeftButton);
                if (dialog.isVisible()) dialog.reject();  // "No": the dialog stays up
            });
            commands[row]();
            EXPECT_TRUE(asked.contains("x.GIF")) << asked.toStdString();
            EXPECT_TRUE(untouchedWhenAsked);
            EXPECT_FALSE(QFile::exists(file("x")));
            if (!replace) {
                EXPECT_EQ(ReadBytes(existing.toStdString()), before);
                continue;
            }
            // Replaced by what the command writes: the animation, or the selected image.
            const auto written = GiflibDecode(existing.toStdString());
            ASSERT_TRUE(written.has_value());
            EXPECT_EQ(written->screenWidth, 80);
            EXPECT_EQ(written->images.size(), row == 0 ? 3u : 1u);
            ASSERT_TRUE(QFile::remove(existing));
            ASSERT_TRUE(QFile::copy(file("other.gif"), existing));
        }
    }
}

// Real editors started the way the desktop starts them (`velmora FILE...`), each with its
// own settings and data folders, a private instance name and unsaved work written for
// recovery every second, which shows from outside what the editor holds.
class DesktopStart {
  public:
    explicit DesktopStart(const QString& home, const QString& instance) : home_(home) {
        QSettings settings(home + "/config/Velmora/Velmora.conf", QSettings::IniFormat);
        settings.setValue("Recovery Seconds", 1);
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("XDG_CONFIG_HOME", home + "/config");
        env_.insert("XDG_DATA_HOME", home + "/data");
        env_.insert("VELMORA_INSTANCE_NAME", instance);
    }
    ~DesktopStart() {
        for (auto& p : started_) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
    QProcess& start(const QStringList& args, const QString& workingFolder = {}) {
        started_.push_back(std::make_unique<QProcess>());
        QProcess& p = *started_.back();
        p.setProcessEnvironment(env_);
        if (!workingFolder.isEmpty()) p.setWorkingDirectory(workingFolder);
        p.start(VELMORA_EDITOR_PATH, args);
        EXPECT_TRUE(p.waitForStarted(10000));
        return p;
    }
    bool listening() const {
        QLocalSocket probe;
        probe.connectToServer(env_.value("VELMORA_INSTANCE_NAME"));
        return probe.waitForConnected(200);
    }
    // The images of what the editor `p` holds unsaved, once it holds `count` of them
    // (or what it holds after a wait).
    size_t waitForUnsavedImages(const QProcess& p, size_t count) const {
        const QString left =
            home_ + QStringLiteral("/data/Velmora/Velmora/recovery-%1.gif").arg(p.processId());
        size_t seen = 0;
        (void)QTest::qWaitFor(
            [&] {
                const auto written = GiflibDecode(left.toStdString());
                seen = written ? written->images.size() : 0;
                return seen == count;
            },
            30000);
        return seen;
    }

  private:
    QString home_;
    QProcessEnvironment env_;
    std::vector<std::unique_ptr<QProcess>> started_;
};

// An editor started with several files opens them all, in one window; files opened from
// the desktop while it runs go to it, every one of them: absolute and relative paths with
// spaces and file:// URIs, as `velmora %F` and launchers that pass URIs give them. The
// later start ends at once.
TEST(DesktopStartTest, FilesGivenAtTheStartOrWhileTheEditorRunsAllOpenInIt) {
    TempFolder folder;
    const QString dir = QString::fromStdString(folder.path());
    const QString one = QString::fromStdString(MakePhotoGif(folder, "rose one.gif", 120, 90, 2));
    QDir(dir).mkdir("sub folder");
    const QString two =
        QString::fromStdString(MakePhotoGif(folder, "sub folder/rose two.gif", 120, 90, 3));
    const QString three =
        QString::fromStdString(MakePhotoGif(folder, "rose #three.gif", 120, 90, 4));
    DesktopStart desktop(
        dir + "/home",
        QStringLiteral("velmora-desktop-%1").arg(QCoreApplication::applicationPid()));
    QProcess& running = desktop.start({one, two});
    EXPECT_EQ(desktop.waitForUnsavedImages(running, 2 + 3), 2u + 3u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return desktop.listening(); }, 30000));
    QProcess& opening = desktop.start(
        {one, "sub folder/rose two.gif", QUrl::fromLocalFile(three).toString(QUrl::FullyEncoded)},
        dir);
    ASSERT_TRUE(opening.waitForFinished(30000));
    EXPECT_EQ(opening.exitCode(), 0) << opening.readAllStandardError().toStdString();
    EXPECT_EQ(desktop.waitForUnsavedImages(running, 5 + 2 + 3 + 4), 5u + 2 + 3 + 4);
    EXPECT_EQ(running.state(), QProcess::Running);
}

// A change by its key and one by the menu, then Ctrl+Z: the step's name is on the menu, the
// title shows the change, and the frames come back as they were.
TEST_F(MainWindowTest, EveryChangeIsTakenBackByCtrlZ) {
    const QString gif = QString::fromStdString(MakePhotoGif(folder, "rose.gif", 61, 41, 3));
    ASSERT_TRUE(editor.open(gif));
    ASSERT_TRUE(Activate(window()));
    EXPECT_EQ(window().windowTitle(), "rose.gif - Velmora");
    EXPECT_FALSE(editor.enabled(kCmdUndo));
    EXPECT_EQ(window().action(kCmdUndo)->text(), "&Undo");
    WarningSetting(window().settings(), WarningKind::Optimize) = 1;
    struct Row {
        const char* change;
        std::function<void()> make;
        int frames;  // after the change
    };
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        return [&, k, m] { QTest::keyClick(&window(), k, m); };
    };
    const Row rows[] = {
        {"Delete Frame", key(Qt::Key_Delete), 2},
        {"Cut Frame", key(Qt::Key_X, Qt::ControlModifier), 2},
        {"Optimize", [&] { window().runCommand(kCmdOptimize); }, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.change);
        window().selectEntry(doc().EntryOfFrame(doc().firstFrame->next));
        const auto before = ComposedPixels(doc());
        row.make();
        EXPECT_EQ(doc().countFrames(), row.frames);
        EXPECT_EQ(window().windowTitle(), "rose.gif* - Velmora");
        EXPECT_EQ(window().action(kCmdUndo)->text(), QStringLiteral("&Undo ") + row.change);
        ASSERT_TRUE(Activate(window()));  // back from a progress window
        QTest::keyClick(&window(), Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(ComposedPixels(doc()), before);
        EXPECT_EQ(window().windowTitle(), "rose.gif - Velmora");
        EXPECT_EQ(window().action(kCmdRedo)->text(), QStringLiteral("&Redo ") + row.change);
        EXPECT_EQ(ImageLabels(window())[1], "Gif :rose.gif");
        EXPECT_EQ(doc().selectedFrame, doc().firstFrame->next);  // the selection came back
    }
    // Redo by either key, then undo again.
    QTest::keyClick(&window(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(window().windowTitle(), "rose.gif* - Velmora");
    QTest::keyClick(&window(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&window(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window().action(kCmdUndo)->text(), "&Undo Optimize");
}

// Changes made in the Parameters window are steps too: a delay typed digit by digit is one
// step, a palette switch another; Ctrl+Z in the main window takes each back.
TEST_F(MainWindowTest, ParameterChangesAreTakenBackByCtrlZ) {
    ASSERT_TRUE(editor.open(QString::fromStdString(MakePhotoGif(folder, "rose.gif", 61, 41, 3))));
    window().selectEntry(doc().EntryOfFrame(doc().firstFrame->next));
    window().action(kCmdParameters)->trigger();
    ParametersWindow* parameters = window().parametersWindow();
    ASSERT_NE(parameters, nullptr);
    FrameRecord* frame = doc().firstFrame->next;
    const uint32_t delay = frame->delay;
    const int local = frame->hasLocalPalette;
    TypeOver(parameters->field(1024), "125");
    QApplication::processEvents();  // the window hears of changes through its queue
    EXPECT_EQ(frame->delay, 125u);
    EXPECT_EQ(window().action(kCmdUndo)->text(), "&Undo Change Delay");
    parameters->box(1008)->click();
    QApplication::processEvents();
    EXPECT_NE(frame->hasLocalPalette, local);
    EXPECT_EQ(window().action(kCmdUndo)->text(), "&Undo Change Palette");
    EXPECT_EQ(window().windowTitle(), "rose.gif* - Velmora");

    ASSERT_TRUE(Activate(window()));
    QTest::keyClick(&window(), Qt::Key_Z, Qt::ControlModifier);
    frame = doc().firstFrame->next;
    EXPECT_EQ(frame->hasLocalPalette, local);
    EXPECT_EQ(frame->delay, 125u);
    QTest::keyClick(&window(), Qt::Key_Z, Qt::ControlModifier);
    frame = doc().firstFrame->next;
    EXPECT_EQ(frame->delay, delay) << "the three digits were one step";
    EXPECT_EQ(window().windowTitle(), "rose.gif - Velmora");
    EXPECT_FALSE(editor.enabled(kCmdUndo));
}

// A clip whose pictures repeat, Remove Duplicate Frames: each run of equal
// pictures becomes one frame showing for the whole run; Ctrl+Z brings the frames back.
TEST_F(MainWindowTest, RemoveDuplicateFramesMergesEachRun) {
    const std::string gif = folder.file("steps.gif");
    const ToolResult made = RunTool(
        "convert -delay 8 rose: rose: \\( rose: -roll +9+0 \\) \\( rose: -roll +9+0 \\) "
        "\\( rose: -roll +9+0 \\) \\( rose: -modulate 80 \\) -loop 0 " +
        ShellQuote(gif));
    ASSERT_EQ(made.status, 0) << made.err;
    ASSERT_TRUE(editor.open(QString::fromStdString(gif)));
    const auto before = ComposedPixels(doc());
    ASSERT_EQ(before.size(), 6u);
    window().runCommand(kCmdRemoveDuplicates);
    std::vector<uint32_t> delays;
    for (FrameRecord* f = doc().firstFrame; f; f = f->next) delays.push_back(f->delay);
    EXPECT_EQ(delays, (std::vector<uint32_t>{16, 24, 8}));
    EXPECT_EQ(ComposedPixels(doc()), (decltype(before){before[0], before[2], before[5]}));
    EXPECT_EQ(window().action(kCmdUndo)->text(), "&Undo Remove Duplicate Frames");
    ASSERT_TRUE(Activate(window()));
    QTest::keyClick(&window(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ComposedPixels(doc()), before);
    EXPECT_EQ(doc().firstFrame->delay, 8u);
}

// Delete, Ctrl+Z, Ctrl+S: the file holds its three pictures; Delete, Ctrl+S: the file has two,
// the title is clean, and Ctrl+Z makes the document differ from the file again.
TEST_F(MainWindowTest, CtrlSWritesBackToTheFileTheDocumentCameFrom) {
    const QString gif = QString::fromStdString(MakePhotoGif(folder, "rose.gif", 47, 31, 3));
    const auto original = PeerComposedPictures(gif.toStdString());
    ASSERT_TRUE(original && original->size() == 3);
    ASSERT_TRUE(editor.open(gif));
    ASSERT_TRUE(Activate(window()));
    window().selectEntry(doc().EntryOfFrame(doc().firstFrame->next));
    QTest::keyClick(&window(), Qt::Key_Delete);
    EXPECT_EQ(window().windowTitle(), "rose.gif* - Velmora");
    QTest::keyClick(&window(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&window(), Qt::Key_S, Qt::ControlModifier);  // no dialog: it would block
    const auto saved = PeerComposedPictures(gif.toStdString());
    ASSERT_TRUE(saved && saved->size() == 3);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ((*saved)[i].pixels, (*original)[i].pixels) << i;

    QTest::keyClick(&window(), Qt::Key_Delete);
    QTest::keyClick(&window(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(window().windowTitle(), "rose.gif - Velmora");
    const auto two = PeerComposedPictures(gif.toStdString());
    ASSERT_TRUE(two && two->size() == 2);
    EXPECT_EQ((*two)[1].pixels, (*original)[2].pixels);
    QTest::keyClick(&window(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window().windowTitle(), "rose.gif* - Velmora");
    EXPECT_EQ(doc().countFrames(), 3);

    // A new document has no file to go back to.
    AnswerNextBox(Answer::No);
    window().runCommand(kCmdNew);
    EXPECT_EQ(window().windowTitle(), "Untitled - Velmora");
}

// An editor killed (SIGKILL) after an edit leaves its unsaved animation behind; the next
// start offers it and opens it untitled and modified. Saving or a clean exit leaves nothing.
TEST_F(MainWindowTest, AnEditorKilledAfterAnEditLeavesItsAnimationToRecover) {
    // Of the sample's size, so that inserting it asks nothing.
    const auto sample = GiflibDecode(MainWindow::SamplePath().toStdString());
    ASSERT_TRUE(sample);
    const QString gif =
        WriteGif(dir(), "inserted.gif", {10, 20}, sample->screenWidth, sample->screenHeight);
    DesktopStart desktop(
        dir() + "/home",
        QStringLiteral("velmora-recovery-%1").arg(QCoreApplication::applicationPid()));
    QProcess& crashing = desktop.start({});
    // The sample is open when the editor listens; a file handed to it is inserted: an edit.
    ASSERT_TRUE(QTest::qWaitFor([&] { return desktop.listening(); }, 30000));
    ASSERT_TRUE(desktop.start({gif}).waitForFinished(20000));
    ASSERT_EQ(desktop.waitForUnsavedImages(crashing, sample->images.size() + 2),
              sample->images.size() + 2);
    const QString folder = dir() + "/home/data/Velmora/Velmora";
    const QString left = folder + QStringLiteral("/recovery-%1.gif").arg(crashing.processId());
    ::kill(pid_t(crashing.processId()), SIGKILL);
    crashing.waitForFinished(5000);

    EXPECT_EQ(CrashRecovery::LeftBehind(folder), QStringList{left});

    auto box = AnswerNextBox(Answer::Yes);
    ASSERT_TRUE(window().offerRecovery(folder));
    EXPECT_TRUE(box->text.startsWith("Recover the unsaved animation from "))
        << box->text.toStdString();
    EXPECT_EQ(doc().countFrames(), int(sample->images.size() + 2));
    EXPECT_EQ(window().windowTitle(), "Untitled* - Velmora");
    EXPECT_TRUE(window().documentPath().isEmpty());
    EXPECT_FALSE(QFile::exists(left));
    EXPECT_FALSE(window().offerRecovery(folder));  // offered once

    // This editor's own file: written while changes are unsaved, gone once saved.
    ASSERT_TRUE(window().crashRecovery().writeNow());
    window().crashRecovery().wait();
    const QString own = window().crashRecovery().filePath();
    const auto written = GiflibDecode(own.toStdString());
    ASSERT_TRUE(written);
    EXPECT_EQ(written->images.size(), sample->images.size() + 2);
    EXPECT_TRUE(CrashRecovery::LeftBehind(QFileInfo(own).path()).isEmpty()) << "ours is running";
    ASSERT_TRUE(window().saveAnimationTo(file("saved.gif")));
    EXPECT_FALSE(QFile::exists(own));
    EXPECT_FALSE(window().crashRecovery().writeNow()) << "nothing unsaved";
}

}  // namespace
