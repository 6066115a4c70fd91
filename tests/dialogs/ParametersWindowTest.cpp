// The "Parameters" tool window: live edits of global and local parameters, what they
// mark and recompose, refused numbers, the palette warnings and the swatches, and the
// command that toggles the window beside the main window.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "../shell/ShellTestSupport.h"
#include "ModalScript.h"
#include "colour/ColourReduction.h"
#include "dialogs/PaletteDialog.h"
#include "dialogs/ParametersWindow.h"
#include "dialogs/ResizeDialog.h"
#include "dialogs/WarningDialog.h"
#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "document/FrameRecord.h"
#include "shell/CommandIds.h"
#include "shell/MainWindow.h"
#include "shell/Playback.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

using testing_support::AppendToDocument;
using testing_support::MakeFrame;

using namespace dialog_testing;

namespace {

void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

constexpr uint32_t kBackground = 0x0000C0;

class ParametersWindowTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 1};
    AppSettings settings;
    FrameRecord* frames[3] = {};

    // Three frames: a full first one and two smaller ones that build on it.
    void SetUp() override {
        doc.hasGlobalPalette = true;
        doc.globalPalette[0] = PaletteEntry::FromRgb(kBackground);
        doc.globalPalette[1] = PaletteEntry::FromRgb(0x00FF00);
        doc.backgroundIndex = 0;
        frames[0] = MakeFrame(doc, 8, 6, {0xFF0000, 0x00FF00}, 0);
        for (int i = 1; i < 3; ++i) {
            frames[i] = MakeFrame(doc, 2, 2, {0x101010 * uint32_t(i), 0xFFFFFF}, 0);
            frames[i]->left = 2 * i;
            frames[i]->top = 1;
        }
        for (FrameRecord* f : frames) {
            f->delay = 10;
            f->disposal = 1;
            AppendToDocument(doc, f, "f");
        }
        doc.selectedFrame = frames[0];
    }

    uint32_t Composed(FrameRecord& f, int x, int y) {
        std::shared_ptr<const ComposedPicture> p = GetComposedBitmap(f);
        return p ? p->pixels[size_t(y * p->width + x)] & 0xFFFFFFu : 0xDEADu;
    }
};

TEST_F(ParametersWindowTest, FillsFromTheDocumentAndTheSelectedFrame) {
    frames[0]->interlaced = 1;
    frames[0]->hasTransparency = 1;
    frames[0]->transparentIndex = 1;
    doc.loopCount = 3;
    doc.endless = false;
    ParametersWindow w(nullptr, doc, settings);
    EXPECT_EQ(w.windowTitle(), "Parameters");
    EXPECT_EQ(w.field(1001)->text(), "8");
    EXPECT_EQ(w.field(1002)->text(), "6");
    EXPECT_EQ(w.field(1010)->text(), "3");
    EXPECT_FALSE(w.box(1011)->isChecked());
    EXPECT_TRUE(w.field(1010)->isEnabled());
    EXPECT_TRUE(w.box(1003)->isChecked());
    EXPECT_TRUE(w.box(1008)->isChecked());
    EXPECT_TRUE(w.box(1019)->isChecked());
    EXPECT_FALSE(w.box(1019)->isEnabled());
    EXPECT_EQ(w.list(1025)->currentText(), "Do Not Dispose");
    EXPECT_EQ(w.list(1026)->count(), 4);
    EXPECT_EQ(w.list(1026)->itemText(2), "Restore Backgr Color");
    EXPECT_FALSE(w.list(1026)->isEnabled());  // no global disposal in use
    EXPECT_FALSE(w.field(1007)->isEnabled());
    EXPECT_TRUE(w.field(1024)->isEnabled());
    EXPECT_EQ(w.previousDelay(), 10);
    EXPECT_EQ(w.shownTransparentIndex(), 1);
    ASSERT_TRUE(w.swatch(1013)->colour());
    EXPECT_EQ(w.swatch(1013)->colour()->rgb() & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(w.swatch(1000)->colour()->rgb() & 0xFFFFFF, kBackground);

    // Another frame selected: the local part follows.
    doc.selectedFrame = frames[2];
    w.Refresh();
    EXPECT_EQ(w.field(1006)->text(), "4");
    EXPECT_FALSE(w.swatch(1013)->colour());  // no transparency: the red cross
    EXPECT_FALSE(w.swatch(1013)->isEnabled());
    // Without a palette of its own...
    frames[2]->hasLocalPalette = 0;
    w.Refresh();
    EXPECT_FALSE(w.box(1008)->isChecked());
    EXPECT_FALSE(w.button(1023)->isEnabled());
    // ...unless its colours are still being reduced, which ends with a palette of its own.
    frames[2]->SetPaletteValid(false);
    w.Refresh();
    EXPECT_TRUE(w.box(1008)->isChecked());
    frames[2]->SetPaletteValid(true);
    EXPECT_FALSE(doc.modified);
}

TEST_F(ParametersWindowTest, EmptyDocumentDisablesEverythingUntilFramesArrive) {
    RecordingHost otherHost;
    AnimationDocument empty(otherHost, 1);
    ParametersWindow w(nullptr, empty, settings);
    EXPECT_FALSE(w.enabledState());
    for (int id : {1010, 1011, 1005, 1003, 1007, 1000, 1004, 1008, 1024, 1020, 1013, 1023, 1025,
                   1026, 1027}) {
        EXPECT_FALSE(w.control(id)->isEnabled()) << id;
    }
    FrameRecord* f = MakeFrame(empty, 4, 4, {0x123456}, 0);
    AppendToDocument(empty, f, "x");
    empty.selectedFrame = f;
    w.Refresh();
    EXPECT_TRUE(w.enabledState());
    EXPECT_TRUE(w.box(1020)->isEnabled());
    EXPECT_EQ(w.field(1021)->text(), "4");
}

TEST_F(ParametersWindowTest, DisposalChangesMarkModifiedAndRecomposeTheFollowingFrames) {
    // Before: frames 2 and 3 show the first frame around them.
    EXPECT_EQ(Composed(*frames[1], 7, 5), 0xFF0000u);
    EXPECT_EQ(Composed(*frames[2], 7, 5), 0xFF0000u);
    ParametersWindow w(nullptr, doc, settings);
    int repaints = 0;
    QObject::connect(&w, &ParametersWindow::pictureChanged, [&repaints] { ++repaints; });

    // The first frame is now cleared to the background before the second is shown.
    w.list(1025)->setCurrentIndex(2);
    EXPECT_EQ(frames[0]->disposal, 2);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(Composed(*frames[1], 7, 5), kBackground);
    EXPECT_EQ(Composed(*frames[2], 7, 5), kBackground);  // built on the second

    // Back to "Not specified" is a change too.
    doc.modified = false;
    w.list(1025)->setCurrentIndex(0);
    EXPECT_EQ(frames[0]->disposal, 0);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(Composed(*frames[2], 7, 5), 0xFF0000u);

    // The global disposal, once in use, applies to every frame.
    doc.modified = false;
    w.list(1026)->setCurrentIndex(2);
    w.box(1027)->click();
    EXPECT_TRUE(doc.useGlobalDisposal);
    EXPECT_EQ(doc.globalDisposal, 2);
    EXPECT_FALSE(w.list(1025)->isEnabled());
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(Composed(*frames[2], 7, 5), kBackground);
}

TEST_F(ParametersWindowTest, DelaysAndLoopsTakeSixteenBitNumbersOnly) {
    ParametersWindow w(nullptr, doc, settings);
    w.show();
    int restarts = 0;
    QObject::connect(&w, &ParametersWindow::delayInForceChanged, [&restarts] { ++restarts; });

    Type(w.field(1024), "250");
    EXPECT_EQ(frames[0]->delay, 250u);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(w.previousDelay(), 250);
    EXPECT_GT(restarts, 0);
    EXPECT_TRUE(host.messages().empty());

    // Typing on past 65535 is refused and the field shows the last accepted value.
    Type(w.field(1024), "65536");
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].caption, "Parameter out of Range");
    EXPECT_EQ(w.field(1024)->text(), "6553");
    EXPECT_EQ(frames[0]->delay, 6553u);
    Type(w.field(1024), "65535");
    EXPECT_EQ(frames[0]->delay, 65535u);
    EXPECT_EQ(host.messages().size(), 1u);

    // Not a number: refused.
    Type(w.field(1024), "1x");
    EXPECT_EQ(host.messages().size(), 2u);
    EXPECT_EQ(w.field(1024)->text(), "1");
    EXPECT_EQ(frames[0]->delay, 1u);

    // Enter in a field presses no button (no palette dialog, no help).
    const QString helpBefore = HelpPage();
    QTest::keyClick(w.field(1024), Qt::Key_Return);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(HelpPage(), helpBefore);
    EXPECT_TRUE(w.isVisible());

    // An emptied field changes nothing and shows the value again when left.
    w.field(1024)->selectAll();
    QTest::keyClick(w.field(1024), Qt::Key_Backspace);
    EXPECT_EQ(frames[0]->delay, 1u);
    emit w.field(1024)->editingFinished();
    EXPECT_EQ(w.field(1024)->text(), "1");

    // The global delay, in force once "Use Global Delay" is on.
    w.box(1005)->click();
    EXPECT_TRUE(doc.useGlobalDelay);
    EXPECT_TRUE(w.field(1007)->isEnabled());
    EXPECT_FALSE(w.field(1024)->isEnabled());
    Type(w.field(1007), "70000");
    EXPECT_EQ(doc.globalDelay, 7000u);
    EXPECT_EQ(w.field(1007)->text(), "7000");
    EXPECT_EQ(w.previousDelay(), 7000);

    // Loops.
    w.box(1011)->click();  // infinite off
    EXPECT_FALSE(doc.endless);
    EXPECT_TRUE(w.field(1010)->isEnabled());
    EXPECT_EQ(doc.loopCount, 0);
    Type(w.field(1010), "99999");
    EXPECT_EQ(doc.loopCount, 9999);
    EXPECT_EQ(w.field(1010)->text(), "9999");
    w.box(1011)->click();  // infinite on
    EXPECT_TRUE(doc.endless);
    EXPECT_EQ(doc.loopCount, 0);
    EXPECT_EQ(w.field(1010)->text(), "0");
    EXPECT_FALSE(w.field(1010)->isEnabled());
}

TEST_F(ParametersWindowTest, TransparencyAndTheTransparentSwatch) {
    ParametersWindow w(nullptr, doc, settings);
    w.show();
    frames[0]->transparentIndex = 700;
    w.box(1020)->click();
    EXPECT_EQ(frames[0]->hasTransparency, 1u);
    EXPECT_EQ(frames[0]->transparentIndex, 0u);  // an index past the palette becomes 0
    EXPECT_TRUE(w.swatch(1013)->isEnabled());
    EXPECT_TRUE(doc.modified);
    // The second frame now sees the grey "nothing beneath" through the first frame.
    EXPECT_EQ(Composed(*frames[1], 7, 5), 0x808080u);

    // The swatch chooses the transparent index in the palette dialog.
    doc.modified = false;
    WhenModal<PaletteDialog>([](PaletteDialog& d) {
        EXPECT_EQ(d.hintLabel()->text(), "Click on a Color to Select");
        d.select(1);
        d.accept();
    });
    QTest::mouseClick(w.swatch(1013), Qt::LeftButton);
    EXPECT_EQ(frames[0]->transparentIndex, 1u);
    EXPECT_EQ(w.shownTransparentIndex(), 1);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(w.swatch(1013)->colour()->rgb() & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(Composed(*frames[1], 7, 5), 0xFF0000u);

    // While the palette is still being computed the dialog does not open.
    frames[0]->SetPaletteValid(false);
    QTest::mouseClick(w.swatch(1013), Qt::LeftButton);
    QTest::mouseClick(w.button(1023), Qt::LeftButton);
    frames[0]->SetPaletteValid(true);
    ASSERT_EQ(host.messages().size(), 2u);
    EXPECT_EQ(host.messages()[0].text,
              "Please wait until the palette is reduced to 256 colors by the threads");
    EXPECT_EQ(host.messages()[0].caption, "Can't select transparent color now");
    EXPECT_EQ(host.messages()[1].caption, "Can't display local palette now");

    // Background: the palette dialog on the global palette.
    WhenModal<PaletteDialog>([](PaletteDialog& d) {
        d.select(1);
        d.accept();
    });
    QTest::mouseClick(w.swatch(1000), Qt::LeftButton);
    EXPECT_EQ(doc.backgroundIndex, 1);
    EXPECT_EQ(w.swatch(1000)->colour()->rgb() & 0xFFFFFF, 0x00FF00u);

    w.box(1020)->click();
    EXPECT_EQ(frames[0]->hasTransparency, 0u);
    EXPECT_FALSE(w.swatch(1013)->isEnabled());
    EXPECT_FALSE(w.swatch(1013)->colour());
}

TEST_F(ParametersWindowTest, PaletteWarningsCancelOkAndDontShowAgain) {
    frames[1]->hasLocalPalette = 0;  // draws with the global palette
    ParametersWindow w(nullptr, doc, settings);
    w.show();

    // Cancelled: the global palette stays on and nothing is modified.
    WhenModal<WarningDialog>([](WarningDialog& d) {
        EXPECT_EQ(d.textLabel()->text().toStdString(), WarningText(WarningKind::GlobalPal));
        d.reject();
    });
    w.box(1003)->click();
    EXPECT_TRUE(w.box(1003)->isChecked());
    EXPECT_TRUE(doc.hasGlobalPalette);
    EXPECT_TRUE(w.button(1004)->isEnabled());
    EXPECT_EQ(frames[1]->hasLocalPalette, 0);
    EXPECT_FALSE(doc.modified);

    // Ok with "Don't show again": every frame gets a palette of its own, with the colours
    // it had.
    const uint32_t before = Composed(*frames[1], 2, 1);
    WhenModal<WarningDialog>([](WarningDialog& d) {
        d.dontShowBox()->setChecked(true);
        d.accept();
    });
    w.box(1003)->click();
    EXPECT_FALSE(doc.hasGlobalPalette);
    EXPECT_EQ(settings.globalPalWarning, 1u);
    EXPECT_EQ(frames[1]->hasLocalPalette, 1);
    EXPECT_EQ(frames[1]->palette, doc.globalPalette);
    EXPECT_EQ(Composed(*frames[1], 2, 1), before);
    EXPECT_TRUE(doc.modified);

    // Never asked again (a warning now would fail the test).
    w.box(1003)->click();
    EXPECT_TRUE(doc.hasGlobalPalette);
    bool asked = false;
    QTimer* watch = WhenModal<WarningDialog>([&asked](WarningDialog& d) {
        asked = true;
        d.reject();
    });
    w.box(1003)->click();
    QTest::qWait(30);
    EXPECT_FALSE(asked);
    EXPECT_FALSE(doc.hasGlobalPalette);
    watch->stop();
    watch->deleteLater();

    // The local palette off with no global palette: the other warning.
    WhenModal<WarningDialog>([](WarningDialog& d) {
        EXPECT_EQ(d.textLabel()->text().toStdString(), WarningText(WarningKind::LocalPal));
        d.reject();
    });
    w.box(1008)->click();
    EXPECT_TRUE(w.box(1008)->isChecked());
    EXPECT_EQ(frames[0]->hasLocalPalette, 1);
    WhenModal<WarningDialog>([](WarningDialog& d) {
        d.dontShowBox()->setChecked(true);
        d.accept();
    });
    w.box(1008)->click();
    EXPECT_EQ(frames[0]->hasLocalPalette, 0);
    EXPECT_TRUE(doc.hasGlobalPalette);
    EXPECT_TRUE(w.box(1003)->isChecked());
    EXPECT_FALSE(w.button(1023)->isEnabled());
    EXPECT_EQ(settings.localPalWarning, 1u);
    // The first frame now draws with the global palette's index 0.
    EXPECT_EQ(Composed(*frames[0], 0, 0), kBackground);
}

TEST_F(ParametersWindowTest, EditPaletteButtonsEditTheRightPalette) {
    ParametersWindow w(nullptr, doc, settings);
    w.show();
    EXPECT_EQ(Composed(*frames[0], 0, 0), 0xFF0000u);
    WhenModal<PaletteDialog>([](PaletteDialog& d) {
        EXPECT_EQ(d.hintLabel()->text(), "Click on a Color to Select; double-click to Edit");
        EXPECT_EQ(d.workingCopy()[0], PaletteEntry::FromRgb(0xFF0000));
        d.reject();
    });
    QTest::mouseClick(w.button(1023), Qt::LeftButton);
    EXPECT_FALSE(doc.modified);
    WhenModal<PaletteDialog>([](PaletteDialog& d) {
        EXPECT_EQ(d.workingCopy()[0], PaletteEntry::FromRgb(kBackground));
        d.accept();
    });
    QTest::mouseClick(w.button(1004), Qt::LeftButton);
    EXPECT_TRUE(doc.modified);
}

TEST_F(ParametersWindowTest, HelpOpensThePagesAndFieldTopics) {
    ParametersWindow w(nullptr, doc, settings);
    w.show();
    w.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help)->click();
    EXPECT_EQ(HelpPage(), "qrc:/help/parameters-dialog.html");
    w.field(1024)->setFocus();
    QTest::keyClick(&w, Qt::Key_F1);
    EXPECT_EQ(HelpPage(), "qrc:/help/topics.html#topic70");
    EXPECT_EQ(ParametersWindow::HelpTopic(1023), 49);
    EXPECT_EQ(ParametersWindow::HelpTopic(1026), 46);
    WhenModal<PaletteDialog>([](PaletteDialog& d) {
        d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help)->click();
        EXPECT_EQ(HelpPage(), "qrc:/help/palette-dialog.html");
        d.reject();
    });
    QTest::mouseClick(w.button(1004), Qt::LeftButton);
    EXPECT_TRUE(host.messages().empty());
}

// --- the command in the editor ---

class ParametersCommandTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>();
    AnimationDocument& doc() { return window->document(); }
    void SetUp() override { window->show(); }
    void TearDown() override {
        if (window) {
            doc().modified = false;
            window->close();
        }
    }
};

TEST_F(ParametersCommandTest, ToggledFollowsSelectionAndMainWindowAndClosesWithIt) {
    ASSERT_EQ(window->openFile(shell_testing::WriteGif(dir.path(), "a.gif", {10, 20, 30})), 0);
    QAction* command = window->action(kCmdParameters);
    EXPECT_TRUE(command->isEnabled());
    EXPECT_EQ(window->parametersWindow(), nullptr);

    window->runCommand(kCmdParameters);
    ParametersWindow* w = window->parametersWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(command->isChecked());
    EXPECT_EQ(window->settings().toolWindows, 1u);
    EXPECT_EQ(window->settings().paramPlacement.length(), 44);

    // Selecting another image refreshes it.
    window->runCommand(kCmdGotoLast);
    EXPECT_EQ(w->field(1024)->text(), "30");
    window->runCommand(kCmdGotoFirst);
    EXPECT_EQ(w->field(1024)->text(), "10");

    // A delay change while playing restarts the animation with it.
    window->runCommand(kCmdStartAnimation);
    ASSERT_TRUE(window->playback().playing());
    Type(w->field(1024), "7");
    EXPECT_TRUE(window->playback().playing());
    EXPECT_EQ(doc().firstFrame->delay, 7u);
    window->runCommand(kCmdStopAnimation);

    // The main window moves: the tool window moves along.
    const QPoint before = w->pos();
    // (Leftwards: the tool window opened against the screen's right edge.)
    window->move(window->pos() + QPoint(-30, 20));
    QTest::qWait(20);
    EXPECT_EQ(w->pos(), before + QPoint(-30, 20));
    EXPECT_EQ(window->settings().paramPlacement.left(), before.x() - 30);

    // Toggled off: gone, placement kept.
    window->runCommand(kCmdParameters);
    EXPECT_EQ(window->parametersWindow(), nullptr);
    EXPECT_FALSE(command->isChecked());
    EXPECT_EQ(window->settings().toolWindows, 0u);

    // Back at the recorded place; closed by its close box.
    window->runCommand(kCmdParameters);
    w = window->parametersWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->pos(), before + QPoint(-30, 20));
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->parametersWindow(), nullptr);
    EXPECT_FALSE(command->isChecked());

    // Open when the main window closes: it goes first.
    window->runCommand(kCmdParameters);
    QPointer<ParametersWindow> last = window->parametersWindow();
    doc().modified = false;
    window->close();
    EXPECT_TRUE(last.isNull());
    window.reset();
}

// Pictures of both windows on the bundled sample, for looking at (into
// VELMORA_SCREEN_DIR when set).

// Holds frame reductions until opened (an aborted one gives up), then reduces as the
// editor does.
struct ReductionGate {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    void Open() {
        std::lock_guard lock(mutex);
        open = true;
        opened.notify_all();
    }
    void Close() {
        std::lock_guard lock(mutex);
        open = false;
    }
    bool Pass(FrameRecord& f) {
        std::unique_lock lock(mutex);
        while (!open) {
            if (f.abortReduce) return false;
            opened.wait_for(lock, std::chrono::milliseconds(1));
        }
        return true;
    }
};

TEST_F(ParametersCommandTest, TransparencyWaitsForTheReductionAndTheWindowFollowsItsEnd) {
    auto gate = std::make_shared<ReductionGate>();
    doc().setReductionBody([gate, reduce = DefaultReductionBody()](FrameRecord& f) {
        return gate->Pass(f) && reduce(f);
    });
    testing_support::TempFolder folder;
    const std::string photo = testing_support::MakePhoto(folder, "rose.jpg", 120, 90);
    ASSERT_EQ(window->openFile(QString::fromStdString(photo)), 0);
    window->action(kCmdParameters)->trigger();
    ParametersWindow* w = window->parametersWindow();
    ASSERT_NE(w, nullptr);
    FrameRecord* f = doc().selectedFrame;
    ASSERT_NE(f, nullptr);
    ASSERT_FALSE(f->IsPaletteValid());  // held at the gate
    EXPECT_FALSE(w->box(1020)->isChecked());

    // The reduction ends with a transparent slot: the window shows it without being asked.
    gate->Open();
    f->WaitForReduction();
    QCoreApplication::processEvents();
    ASSERT_EQ(f->hasTransparency, 1u);
    EXPECT_TRUE(w->box(1020)->isChecked());
    EXPECT_TRUE(w->swatch(1013)->isEnabled());

    // Resizing starts a new reduction, held again; the user unticks TransparentColor
    // meanwhile. The edit must outlast the reduction's own results.
    gate->Close();
    WhenModal<ResizeDialog>([](ResizeDialog& d) {
        d.widthEdit()->setText("100");
        d.heightEdit()->setText("75");
        d.accept();
    });
    window->action(kCmdResize)->trigger();
    ASSERT_FALSE(f->IsPaletteValid());
    ASSERT_TRUE(w->box(1020)->isChecked());
    std::atomic<bool> clicked{false};
    // Opens the gate once the window thread waits for the reduction (or, failing that,
    // once the click has been handled).
    std::thread opener([&] {
        while (doc().waiterCount.load() == 0 && !clicked) std::this_thread::yield();
        gate->Open();
    });
    QTest::mouseClick(w->box(1020), Qt::LeftButton);
    clicked = true;
    opener.join();
    f->WaitForReduction();
    QCoreApplication::processEvents();
    EXPECT_EQ(f->hasTransparency, 0u);
    EXPECT_FALSE(w->box(1020)->isChecked());
    EXPECT_FALSE(w->swatch(1013)->isEnabled());
}

}  // namespace
