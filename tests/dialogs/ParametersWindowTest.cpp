// The "Parameters" tool window: live edits of global and local parameters, what they
// mark and recompose, refused numbers, the palette warnings and the swatches, and the
// command that toggles the window beside the main window.
#include <QComboBox>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "colour/ColourReduction.h"
#include "dialogs/PaletteDialog.h"
#include "dialogs/ParametersWindow.h"
#include "dialogs/ResizeDialog.h"
#include "dialogs/WarningDialog.h"
#include "document/FrameRecord.h"
#include "shell/Playback.h"
#include "support/TestSupport.h"
#include "support/qt/EditorTestSupport.h"

using testing_support::AppendToDocument;
using testing_support::ComposedAt;
using testing_support::MakeFrame;
using testing_support::MakePhoto;

using namespace dialog_testing;
using editor_testing::TypeOver;

namespace {

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
};

TEST_F(ParametersWindowTest, FillsFromTheDocumentAndTheSelectedFrame) {
    frames[0]->hasTransparency = 1;
    frames[0]->transparentIndex = 1;
    doc.loopCount = 3;
    doc.endless = false;
    ParametersWindow w(nullptr, doc, settings);
    for (const auto& [id, text] : {std::pair{1001, "8"}, {1010, "3"}, {1024, "10"}})
        EXPECT_EQ(w.field(id)->text(), text) << id;
    EXPECT_EQ(w.swatch(1013)->colour()->rgb() & 0xFFFFFF, 0x00FF00u);
    // Another frame selected, without a palette of its own: the local part follows,
    // unless its colours are still being reduced (which ends with a palette of its own).
    doc.selectedFrame = frames[2];
    frames[2]->hasLocalPalette = 0;
    w.Refresh();
    EXPECT_EQ(w.field(1006)->text(), "4");
    EXPECT_FALSE(w.swatch(1013)->colour());  // no transparency: the red cross
    EXPECT_FALSE(w.box(1008)->isChecked());
    frames[2]->SetPaletteValid(false);
    w.Refresh();
    EXPECT_TRUE(w.box(1008)->isChecked());
    frames[2]->SetPaletteValid(true);
    // No frame selected: nothing local to edit, until one is selected again.
    doc.selectedFrame = nullptr;
    w.Refresh();
    EXPECT_FALSE(w.box(1020)->isEnabled());
    doc.selectedFrame = frames[1];
    w.Refresh();
    EXPECT_TRUE(w.box(1020)->isEnabled());
    EXPECT_FALSE(doc.modified());
}

TEST_F(ParametersWindowTest, DisposalChangesMarkModifiedAndRecomposeTheFollowingFrames) {
    EXPECT_EQ(ComposedAt(*frames[2], 7, 5), 0xFF0000u);  // the first frame around it
    ParametersWindow w(nullptr, doc, settings);
    int repaints = 0;
    QObject::connect(&w, &ParametersWindow::pictureChanged, [&repaints] { ++repaints; });
    // The first frame is now cleared to the background before the second is shown.
    w.list(1025)->setCurrentIndex(2);
    EXPECT_EQ(frames[0]->disposal, 2);
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(ComposedAt(*frames[1], 7, 5), kBackground);
    EXPECT_EQ(ComposedAt(*frames[2], 7, 5), kBackground);  // built on the second
    w.list(1025)->setCurrentIndex(0);
    EXPECT_EQ(ComposedAt(*frames[2], 7, 5), 0xFF0000u);
    // The global disposal, once in use, applies to every frame.
    w.list(1026)->setCurrentIndex(2);
    w.box(1027)->click();
    EXPECT_TRUE(doc.useGlobalDisposal);
    EXPECT_EQ(doc.globalDisposal, 2);
    EXPECT_FALSE(w.list(1025)->isEnabled());
    EXPECT_EQ(ComposedAt(*frames[2], 7, 5), kBackground);
}

// Typing on past 65535 is refused with a message and the field keeps the last value
// taken; so is what is not a number.
TEST_F(ParametersWindowTest, DelaysAndLoopsTakeSixteenBitNumbersOnly) {
    ParametersWindow w(nullptr, doc, settings);
    w.show();
    int restarts = 0;
    QObject::connect(&w, &ParametersWindow::delayInForceChanged, [&restarts] { ++restarts; });
    w.box(1011)->click();  // infinite loops off: the count is open
    const struct {
        int field;
        const char* typed;
        const char* shown;
        size_t messages;  // so far
    } rows[] = {{1024, "250", "250", 0},   {1024, "65536", "6553", 1}, {1024, "65535", "65535", 1},
                {1024, "1x", "1", 2},      {1010, "99999", "9999", 3}, {1005, nullptr, nullptr, 3},
                {1007, "70000", "7000", 4}};
    for (const auto& row : rows) {
        if (!row.typed) {
            w.box(row.field)->click();  // "Use Global Delay"
            EXPECT_FALSE(w.field(1024)->isEnabled());
            continue;
        }
        SCOPED_TRACE(row.typed);
        TypeOver(w.field(row.field), row.typed);
        EXPECT_EQ(w.field(row.field)->text(), row.shown);
        EXPECT_EQ(host.messages().size(), row.messages);
    }
    EXPECT_EQ(host.messages()[0].caption, "Parameter out of Range");
    EXPECT_EQ(frames[0]->delay, 1u);
    EXPECT_EQ(doc.loopCount, 9999);
    EXPECT_EQ(doc.globalDelay, 7000u);
    EXPECT_EQ(w.previousDelay(), 7000);
    EXPECT_GT(restarts, 0);
    EXPECT_TRUE(doc.modified());

    // An emptied field changes nothing and shows the value again when left.
    TypeOver(w.field(1007), "");
    QTest::keyClick(w.field(1007), Qt::Key_Backspace);
    emit w.field(1007)->editingFinished();
    EXPECT_EQ(w.field(1007)->text(), "7000");
    // Infinite loops on: the count is 0 and closed.
    w.box(1011)->click();
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
    EXPECT_TRUE(doc.modified());
    // The second frame now sees the grey "nothing beneath" through the first frame.
    EXPECT_EQ(ComposedAt(*frames[1], 7, 5), 0x808080u);

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

    w.box(1020)->click();
    EXPECT_EQ(frames[0]->hasTransparency, 0u);
    EXPECT_FALSE(w.swatch(1013)->isEnabled());
}

// Answers the next palette warning: Cancel, or OK with "Don't show again".
void AnswerWarning(bool ok, WarningKind expected) {
    WhenModal<WarningDialog>([ok, expected](WarningDialog& d) {
        EXPECT_EQ(d.textLabel()->text().toStdString(), WarningText(expected));
        d.dontShowBox()->setChecked(ok);
        ok ? d.accept() : d.reject();
    });
}

TEST_F(ParametersWindowTest, PaletteWarningsCancelOkAndDontShowAgain) {
    frames[1]->hasLocalPalette = 0;  // draws with the global palette
    ParametersWindow w(nullptr, doc, settings);
    w.show();
    // Cancelled: the global palette stays on and nothing is modified.
    AnswerWarning(false, WarningKind::GlobalPal);
    w.box(1003)->click();
    EXPECT_TRUE(w.box(1003)->isChecked());
    EXPECT_TRUE(w.button(1004)->isEnabled());
    EXPECT_TRUE(doc.hasGlobalPalette);
    EXPECT_EQ(frames[1]->hasLocalPalette, 0);
    EXPECT_FALSE(doc.modified());
    // Ok: every frame gets a palette of its own, with the colours it had.
    const uint32_t before = ComposedAt(*frames[1], 2, 1);
    AnswerWarning(true, WarningKind::GlobalPal);
    w.box(1003)->click();
    EXPECT_FALSE(doc.hasGlobalPalette);
    EXPECT_EQ(settings.globalPalWarning, 1u);
    EXPECT_EQ(frames[1]->hasLocalPalette, 1);
    EXPECT_EQ(frames[1]->palette, doc.globalPalette);
    EXPECT_EQ(ComposedAt(*frames[1], 2, 1), before);
    EXPECT_TRUE(doc.modified());

    // The local palette off with no global palette: the other warning; the global one
    // comes on.
    AnswerWarning(false, WarningKind::LocalPal);
    w.box(1008)->click();
    EXPECT_EQ(frames[0]->hasLocalPalette, 1);
    AnswerWarning(true, WarningKind::LocalPal);
    w.box(1008)->click();
    EXPECT_EQ(frames[0]->hasLocalPalette, 0);
    EXPECT_TRUE(doc.hasGlobalPalette);
    EXPECT_TRUE(w.box(1003)->isChecked());
    EXPECT_FALSE(w.button(1023)->isEnabled());
    EXPECT_EQ(settings.localPalWarning, 1u);
    EXPECT_EQ(ComposedAt(*frames[0], 0, 0), kBackground);  // the global palette's index 0
}

// The swatches choose an entry in the palette dialog, the buttons edit a palette there:
// the frame's own, or the global one.
TEST_F(ParametersWindowTest, SwatchesAndPaletteButtonsOpenTheirPalette) {
    frames[0]->hasTransparency = 1;
    ParametersWindow w(nullptr, doc, settings);
    w.show();
    for (const auto& [control, entry0] : {std::pair{1013, 0xFF0000u},
                                          {1000, kBackground},
                                          {1023, 0xFF0000u},
                                          {1004, kBackground}}) {
        SCOPED_TRACE(control);
        doc.history.clear(true);
        PaletteEntry shown{};
        WhenModal<PaletteDialog>([&shown](PaletteDialog& d) {
            shown = d.workingCopy()[0];
            d.select(1);
            d.accept();
        });
        QTest::mouseClick(w.control(control), Qt::LeftButton);
        EXPECT_EQ(shown, PaletteEntry::FromRgb(entry0));
        EXPECT_TRUE(doc.modified());
    }
    EXPECT_EQ(frames[0]->transparentIndex, 1u);
    EXPECT_EQ(doc.backgroundIndex, 1);
    EXPECT_EQ(w.swatch(1013)->colour()->rgb() & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(w.swatch(1000)->colour()->rgb() & 0xFFFFFF, 0x00FF00u);
}

// --- the command in the editor ---

using ParametersCommandTest = editor_testing::EditorTest;

TEST_F(ParametersCommandTest, ToggledFollowsSelectionAndMainWindowAndClosesWithIt) {
    ASSERT_TRUE(openGif({10, 20, 30}));
    QAction* command = window().action(kCmdParameters);
    window().runCommand(kCmdParameters);
    ParametersWindow* w = window().parametersWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(command->isChecked());
    // Selecting another image refreshes it.
    window().runCommand(kCmdGotoLast);
    EXPECT_EQ(w->field(1024)->text(), "30");
    // A delay change while playing restarts the animation with it.
    window().runCommand(kCmdStartAnimation);
    TypeOver(w->field(1024), "7");
    EXPECT_TRUE(window().playback().playing());
    EXPECT_EQ(doc().lastFrame()->delay, 7u);
    window().runCommand(kCmdStopAnimation);

    // Toggled off: gone; closed by its close box.
    window().runCommand(kCmdParameters);
    EXPECT_EQ(window().parametersWindow(), nullptr);
    EXPECT_FALSE(command->isChecked());
    window().runCommand(kCmdParameters);
    w = window().parametersWindow();
    ASSERT_NE(w, nullptr);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window().parametersWindow(), nullptr);
    EXPECT_FALSE(command->isChecked());
    // Open when the main window closes: it goes first.
    window().runCommand(kCmdParameters);
    QPointer<ParametersWindow> last = window().parametersWindow();
    editor.close();
    EXPECT_TRUE(last.isNull());
}

TEST_F(ParametersCommandTest, TransparencyWaitsForTheReductionAndTheWindowFollowsItsEnd) {
    // Reductions wait at a gate until it opens (an aborted one gives up).
    auto open = std::make_shared<std::atomic<bool>>(false);
    doc().setReductionBody([open, reduce = DefaultReductionBody()](FrameRecord& f) {
        while (!*open && !f.abortReduce) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return *open && reduce(f);
    });
    ASSERT_TRUE(editor.open(QString::fromStdString(MakePhoto(folder, "rose.jpg", 120, 90))));
    window().action(kCmdParameters)->trigger();
    ParametersWindow* w = window().parametersWindow();
    FrameRecord* f = doc().selectedFrame;
    ASSERT_TRUE(w && !f->IsPaletteValid());  // held at the gate
    EXPECT_FALSE(w->box(1020)->isChecked());

    // The reduction ends with a transparent slot: the window shows it without being asked.
    *open = true;
    f->WaitForReduction();
    QCoreApplication::processEvents();
    ASSERT_EQ(f->hasTransparency, 1u);
    EXPECT_TRUE(w->box(1020)->isChecked());

    // Resizing starts a new reduction, held again; the user unticks TransparentColor
    // meanwhile. The edit must outlast the reduction's own results.
    *open = false;
    WhenModal<ResizeDialog>([](ResizeDialog& d) {
        d.widthEdit()->setText("100");
        d.heightEdit()->setText("75");
        d.accept();
    });
    window().action(kCmdResize)->trigger();
    ASSERT_FALSE(f->IsPaletteValid());
    std::atomic<bool> clicked{false};
    // Opens the gate once the window thread waits for the reduction (or, failing that,
    // once the click has been handled).
    std::thread opener([&] {
        while (doc().waiterCount.load() == 0 && !clicked) std::this_thread::yield();
        *open = true;
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
