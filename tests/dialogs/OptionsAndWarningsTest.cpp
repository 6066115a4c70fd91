// The options dialog, the warnings with their don't-show-again box, the optimiser's
// progress dialog, and the editor's Options / Optimize / UnOptimize commands.

#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>

#include "app/SettingsStore.h"
#include "dialogs/OptimiseProgressDialog.h"
#include "dialogs/OptionsDialog.h"
#include "dialogs/WarningDialog.h"
#include "support/TestSupport.h"
#include "support/qt/EditorTestSupport.h"

using namespace dialog_testing;
using namespace editor_testing;
using testing_support::MakePhotoGif;

namespace {

// Reactivate acts at once, even when the dialog is cancelled; the rest only on OK.
TEST(OptionsDialogTest, ReactivateActsAtOnceTheRestOnOkOnly) {
    AppSettings settings;
    settings.jpegCompression = 40;
    settings.optimizeWarning = settings.unOptimizeWarning = settings.resizeWarning = 1;
    settings.transparentWarning = settings.localPalWarning = settings.globalPalWarning = 1;
    OptionsDialog dialog(nullptr, settings);
    EXPECT_EQ(dialog.jpegReadOut()->text(), "40");
    dialog.jpegSlider()->setValue(10);
    dialog.reactivateButton()->click();
    dialog.reject();
    EXPECT_EQ(settings.optimizeWarning + settings.unOptimizeWarning + settings.resizeWarning +
                  settings.transparentWarning + settings.localPalWarning +
                  settings.globalPalWarning,
              0u);
    EXPECT_EQ(settings.jpegCompression, 40u);
}

// A fixed count must be 1 to 1000: every preview makes that many frames.
TEST(OptionsDialogTest, FixedPreviewCountsOutsideOneToAThousandAreRefused) {
    const struct {
        const char* typed;
        bool fixed;
        const char* message;  // nullptr: taken
    } rows[] = {
        {"0", true, "Number of Frames must be larger than Zero"},
        {"1001", true, "Number of Frames must not be larger than 1000"},
        {"2147483647", true, "Number of Frames must not be larger than 1000"},
        {"0", false, nullptr},  // the count is not used
        {"1000", true, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.typed << (row.fixed ? " fixed" : " current"));
        AppSettings settings;
        settings.fixedPreviewFrames = 1;
        OptionsDialog dialog(nullptr, settings);
        dialog.show();
        (row.fixed ? dialog.fixedFramesRadio() : dialog.currentFramesRadio())->setChecked(true);
        dialog.previewFramesEdit()->setText(row.typed);
        std::shared_ptr<BoxAnswer> seen;
        if (row.message) seen = AnswerNextBox(Answer::Ok);
        dialog.accept();
        if (!row.message) {
            EXPECT_FALSE(dialog.isVisible());
            EXPECT_EQ(settings.previewFrames, QString(row.typed).toUInt());
            EXPECT_EQ(settings.fixedPreviewFrames, row.fixed ? 1u : 0u);
            continue;
        }
        EXPECT_EQ(seen->text, row.message);
        EXPECT_EQ(seen->caption, "Invalid Option Parameter");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.previewFramesEdit()->selectedText(), row.typed);
        EXPECT_EQ(settings.previewFrames, 10u);
    }
}

// Every option changed in the dialog reaches the engine at OK and the settings store
// when the editor closes; the count field takes no more than the store keeps; the shared
// palette is offered with the quality palette only.
TEST(OptionsDialogTest, EveryOptionSurvivesClosingTheEditor) {
    testing_support::TempFolder folder;
    const QString ini = QString::fromStdString(folder.file("settings.ini"));
    int typed = 0;
    {
        QSettings store(ini, QSettings::IniFormat);
        Editor editor(&store);
        WhenModal<OptionsDialog>([&typed](OptionsDialog& d) {
            d.confirmDeleteBox()->click();
            d.multiInstanceBox()->click();
            d.previewBox()->click();
            d.fixedFramesRadio()->click();
            d.previewFramesEdit()->selectAll();
            QTest::keyClicks(d.previewFramesEdit(), "5000");
            typed = d.previewFramesEdit()->text().toInt();
            d.keepTrueColourBox()->click();
            EXPECT_FALSE(d.ditherSlider()->isEnabled());      // the exact rule does not dither
            EXPECT_FALSE(d.sharedPaletteBox()->isEnabled());  // the quality palette's only
            d.reductionList()->setCurrentIndex(1);            // the quality palette
            EXPECT_TRUE(d.ditherSlider()->isEnabled());
            d.sharedPaletteBox()->setChecked(true);
            d.lossySlider()->setValue(80);
            d.jpegSlider()->setFocus();
            QTest::keyClick(d.jpegSlider(), Qt::Key_Home);  // 0
            for (int i = 0; i < 33; ++i) QTest::keyClick(d.jpegSlider(), Qt::Key_Right);
            d.gifSlider()->setFocus();
            QTest::keyClick(d.gifSlider(), Qt::Key_End);  // "Smallest Size"
            d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        editor->action(kCmdOptions)->trigger();
        // The engine works with the new values at once.
        EXPECT_FALSE(editor.doc().settings.keepTrueColorInfo);
        EXPECT_EQ(editor.doc().settings.jpegCompression, 33);
        EXPECT_EQ(editor.doc().settings.gifCompression, 0xC0C0C0u);
        EXPECT_EQ(editor.doc().settings.palette, PaletteKind::Quality);
    }
    EXPECT_GE(typed, 1);
    EXPECT_LE(typed, AppSettings::kMaxPreviewFrames);
    QSettings store(ini, QSettings::IniFormat);
    const AppSettings after = SettingsStore::Load(store, 800, 600);
    EXPECT_EQ(after.confirmDelete, 0u);
    EXPECT_EQ(after.multiInst, 1u);
    EXPECT_EQ(after.preview, 0u);
    EXPECT_EQ(after.fixedPreviewFrames, 1u);
    EXPECT_EQ(after.previewFrames, uint32_t(typed));
    EXPECT_EQ(after.keepTrueColorInfo, 0u);
    EXPECT_EQ(after.jpegCompression, 33u);
    EXPECT_EQ(after.gifCompression, 0xC0C0C0u);
    EXPECT_EQ(after.colourReduction, 1u);
    EXPECT_EQ(after.sharedPalette, 1u);
    EXPECT_EQ(after.gifLossy, 80u);
}

using OptimiseCommandTest = EditorTest;

TEST_F(OptimiseCommandTest, OptimizeAndUnOptimizeAfterTheirWarnings) {
    ASSERT_TRUE(openGif({10, 10, 10}, 16, 12));
    // Refused at the warning: nothing happens.
    WhenModal<WarningDialog>([](WarningDialog& d) { d.reject(); });
    window().runCommand(kCmdOptimize);
    EXPECT_FALSE(doc().modified());

    // OK without "Don't show again": goes ahead and will ask next time.
    QString text;
    WhenModal<WarningDialog>([&text](WarningDialog& d) {
        text = d.textLabel()->text();
        d.accept();
    });
    window().runCommand(kCmdOptimize);
    EXPECT_EQ(text.toStdString(), WarningText(WarningKind::Optimize));
    EXPECT_TRUE(doc().modified());
    EXPECT_EQ(window().settings().optimizeWarning, 0u);

    // UnOptimize, its warning switched off: not asked; every frame full-screen again.
    doc().history.clear(true);
    window().settings().unOptimizeWarning = 1;
    window().runCommand(kCmdUnOptimize);
    EXPECT_TRUE(doc().modified());
    for (FrameRecord* f = doc().firstFrame; f; f = f->next) {
        EXPECT_EQ(f->width, doc().screenWidth);
        EXPECT_EQ(f->height, doc().screenHeight);
        EXPECT_EQ(f->left, 0);
    }
}

TEST_F(OptimiseCommandTest, EscapeOrTheCloseBoxAbortAndTheOtherWindowsStayBlocked) {
    const QString gif = QString::fromStdString(MakePhotoGif(folder, "rose.gif", 160, 120, 8));
    window().settings().optimizeWarning = 1;  // no warning first
    window().settings().gifCompression = 0;
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "close box");
        window().runCommand(kCmdNew);
        ASSERT_TRUE(editor.open(gif));
        AnimationDocument& d = doc();
        const int frames = d.countFrames();
        const auto before = testing_support::ComposedPixels(d);
        // While the optimiser walks the frames: the user presses Escape (or clicks the
        // close box), then Delete in the main window.
        bool aborted = false, stillBlocking = false;
        int countAfterDelete = -1;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* progress = qobject_cast<OptimiseProgressDialog*>(w);
                if (!progress || !progress->isVisible() || countAfterDelete >= 0) continue;
                escape ? QTest::keyClick(progress, Qt::Key_Escape) : (void)progress->close();
                aborted = progress->Aborted();
                stillBlocking = QApplication::activeModalWidget() == progress;
                QTest::keyClick(window().windowHandle(), Qt::Key_Delete);
                countAfterDelete = doc().countFrames();
            }
        });
        probe.start(0);
        window().action(kCmdOptimize)->trigger();
        probe.stop();
        EXPECT_TRUE(aborted);
        EXPECT_TRUE(stillBlocking);
        EXPECT_EQ(countAfterDelete, frames);
        EXPECT_EQ(testing_support::ComposedPixels(d), before);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        // The editor takes input again: Delete removes the selected frame.
        window().selectEntry(d.EntryOfFrame(d.firstFrame));
        ASSERT_TRUE(Activate(window()));
        QTest::keyClick(window().treeView(), Qt::Key_Delete);
        EXPECT_EQ(d.countFrames(), frames - 1);
        d.history.clear(true);
    }
}

}  // namespace
