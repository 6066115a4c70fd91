// The options dialog, the warnings with their don't-show-again box, the optimiser's
// progress dialog, and the editor's Options / Optimize / UnOptimize commands.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>

#include "../shell/ShellTestSupport.h"
#include "ModalScript.h"
#include "colour/Optimise.h"
#include "dialogs/OptimiseProgressDialog.h"
#include "dialogs/OptionsDialog.h"
#include "dialogs/WarningDialog.h"
#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "document/FrameRecord.h"
#include "shell/CommandIds.h"
#include "shell/MainWindow.h"
#include "shell/SettingsStore.h"
#include "support/UserTask.h"

using namespace shell_testing;

using namespace dialog_testing;

namespace {

// Runs `act` on the first modal dialog of type T that opens.

TEST(WarningTest, AskedUntilSwitchedOffThenNever) {
    AppSettings settings;
    QString shown;
    WhenModal<WarningDialog>([&shown](WarningDialog& d) {
        shown = d.textLabel()->text();
        d.reject();
    });
    EXPECT_FALSE(Warn(nullptr, settings, WarningKind::Optimize));
    EXPECT_EQ(shown.toStdString(), WarningText(WarningKind::Optimize));
    EXPECT_EQ(settings.optimizeWarning, 0u);

    // Ok without the box: proceeds, asks again next time.
    WhenModal<WarningDialog>([](WarningDialog& d) { d.accept(); });
    EXPECT_TRUE(Warn(nullptr, settings, WarningKind::Optimize));
    EXPECT_EQ(settings.optimizeWarning, 0u);

    WhenModal<WarningDialog>([](WarningDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Warning");
        EXPECT_EQ(d.dontShowBox()->text(), "Don't &Show this message again");
        d.dontShowBox()->setChecked(true);
        d.accept();
    });
    EXPECT_TRUE(Warn(nullptr, settings, WarningKind::Optimize));
    EXPECT_EQ(settings.optimizeWarning, 1u);
    // No dialog any more (a dialog here would block the test).
    EXPECT_TRUE(Warn(nullptr, settings, WarningKind::Optimize));
    EXPECT_EQ(settings.unOptimizeWarning, 0u);
    EXPECT_EQ(&WarningSetting(settings, WarningKind::Resize), &settings.resizeWarning);
}

TEST(OptionsDialogTest, OpensFromTheSettingsAndWritesThemOnOk) {
    AppSettings settings;
    settings.jpegCompression = 40;
    settings.gifCompression = 0xE0E0E0;
    settings.fixedPreviewFrames = 1;
    settings.previewFrames = 12;
    OptionsDialog dialog(nullptr, settings);
    EXPECT_EQ(dialog.windowTitle(), "Options");
    EXPECT_EQ(dialog.jpegSlider()->value(), 40);
    EXPECT_EQ(dialog.jpegReadOut()->text(), "40");
    EXPECT_EQ(dialog.gifSlider()->value(), 4);
    EXPECT_EQ(dialog.gifLevelName()->text(), "Small Size");
    EXPECT_TRUE(dialog.fixedFramesRadio()->isChecked());
    EXPECT_EQ(dialog.previewFramesEdit()->text(), "12");

    dialog.jpegSlider()->setValue(90);
    dialog.gifSlider()->setValue(1);
    EXPECT_EQ(dialog.jpegReadOut()->text(), "90");
    EXPECT_EQ(dialog.gifLevelName()->text(), "Highest Quality");
    EXPECT_EQ(settings.jpegCompression, 40u);  // working copies until OK
    dialog.confirmDeleteBox()->setChecked(false);
    dialog.previewFramesEdit()->setText("5");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(settings.jpegCompression, 90u);
    EXPECT_EQ(settings.gifCompression, 0xFCFCFCu);
    EXPECT_EQ(settings.previewFrames, 5u);
    EXPECT_EQ(settings.confirmDelete, 0u);
}

TEST(OptionsDialogTest, ZeroFramesRefusedOnlyWhenFixed) {
    AppSettings settings;
    settings.fixedPreviewFrames = 1;
    {
        OptionsDialog dialog(nullptr, settings);
        dialog.show();
        dialog.previewFramesEdit()->setText("0");
        auto seen = AnswerNextBox(Answer::Ok);
        dialog.accept();
        EXPECT_EQ(seen->text, "Number of Frames must be larger than Zero");
        EXPECT_EQ(seen->caption, "Invalid Option Parameter");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.previewFramesEdit()->selectedText(), "0");
        dialog.currentFramesRadio()->setChecked(true);
        dialog.accept();
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_EQ(settings.previewFrames, 0u);
    EXPECT_EQ(settings.fixedPreviewFrames, 0u);
}

// Every preview computes the fixed count: a count up to the largest int was taken and
// each list click then tried to make that many frames.
TEST(OptionsDialogTest, FixedCountsAboveTheLargestPreviewRefused) {
    for (const char* text : {"1001", "1073741824", "2147483647"}) {
        SCOPED_TRACE(text);
        AppSettings settings;
        settings.fixedPreviewFrames = 1;
        OptionsDialog dialog(nullptr, settings);
        dialog.show();
        dialog.previewFramesEdit()->setText(text);
        auto seen = AnswerNextBox(Answer::Ok);
        dialog.accept();
        EXPECT_EQ(seen->text, "Number of Frames must not be larger than 1000");
        EXPECT_EQ(seen->caption, "Invalid Option Parameter");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.previewFramesEdit()->selectedText(), text);
        EXPECT_EQ(settings.previewFrames, 10u);
        dialog.previewFramesEdit()->setText("1000");
        dialog.accept();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(settings.previewFrames, 1000u);
    }
}

TEST(OptionsDialogTest, ReactivateActsEvenWhenCancelled) {
    AppSettings settings;
    settings.optimizeWarning = settings.unOptimizeWarning = settings.resizeWarning = 1;
    settings.transparentWarning = settings.localPalWarning = settings.globalPalWarning = 1;
    settings.jpegCompression = 75;
    OptionsDialog dialog(nullptr, settings);
    dialog.jpegSlider()->setValue(10);
    dialog.reactivateButton()->click();
    dialog.reject();
    EXPECT_EQ(settings.optimizeWarning + settings.unOptimizeWarning + settings.resizeWarning +
                  settings.transparentWarning + settings.localPalWarning +
                  settings.globalPalWarning,
              0u);
    EXPECT_EQ(settings.jpegCompression, 75u);
}

TEST(OptionsDialogTest, MultipleInstancesBoxShowsAndSetsItsSetting) {
    for (const uint32_t stored : {0u, 1u}) {
        AppSettings settings;
        settings.multiInst = stored;
        OptionsDialog dialog(nullptr, settings);
        EXPECT_EQ(dialog.multiInstanceBox()->isChecked(), stored == 1);
        dialog.multiInstanceBox()->click();
        dialog.accept();
        EXPECT_EQ(settings.multiInst, 1 - stored);
    }
}

// The field takes no more frames than the settings keep, so what was typed comes back.
TEST(OptionsDialogTest, PreviewFramesFieldIsBoundedByWhatTheSettingsKeep) {
    QTemporaryDir dir;
    QSettings store(dir.filePath("settings.ini"), QSettings::IniFormat);
    AppSettings settings = SettingsStore::Load(store, 800, 600);
    OptionsDialog dialog(nullptr, settings);
    dialog.show();
    dialog.fixedFramesRadio()->click();
    QLineEdit* field = dialog.previewFramesEdit();
    field->selectAll();
    QTest::keyClicks(field, "5000");
    const int typed = field->text().toInt();
    EXPECT_GE(typed, 1);
    EXPECT_LE(typed, AppSettings::kMaxPreviewFrames);
    dialog.accept();
    SettingsStore::Save(store, settings);
    EXPECT_EQ(SettingsStore::Load(store, 800, 600).previewFrames, uint32_t(typed));
}

// Every option changed in the dialog reaches the engine at OK and the settings store
// when the editor closes.
TEST(OptionsDialogTest, EveryOptionSurvivesClosingTheEditor) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("settings.ini");
    {
        QSettings store(ini, QSettings::IniFormat);
        MainWindow window(&store);
        window.show();
        const AppSettings before = window.settings();
        ASSERT_EQ(before.confirmDelete, 1u);
        ASSERT_EQ(before.multiInst, 0u);
        ASSERT_EQ(before.preview, 1u);
        ASSERT_EQ(before.fixedPreviewFrames, 0u);
        ASSERT_EQ(before.keepTrueColorInfo, 1u);
        ASSERT_EQ(before.jpegCompression, 75u);
        ASSERT_EQ(before.gifCompression, 0xF0F0F0u);
        WhenModal<OptionsDialog>([](OptionsDialog& d) {
            d.confirmDeleteBox()->click();
            d.multiInstanceBox()->click();
            d.previewBox()->click();
            d.fixedFramesRadio()->click();
            d.previewFramesEdit()->selectAll();
            QTest::keyClicks(d.previewFramesEdit(), "250");
            d.keepTrueColourBox()->click();
            d.jpegSlider()->setFocus();
            QTest::keyClick(d.jpegSlider(), Qt::Key_Home);  // 0
            for (int i = 0; i < 33; ++i) QTest::keyClick(d.jpegSlider(), Qt::Key_Right);
            d.gifSlider()->setFocus();
            QTest::keyClick(d.gifSlider(), Qt::Key_End);  // "Smallest Size"
            d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        window.action(kCmdOptions)->trigger();
        // The engine works with the new values at once.
        EXPECT_FALSE(window.document().settings.keepTrueColorInfo);
        EXPECT_EQ(window.document().settings.jpegCompression, 33);
        EXPECT_EQ(window.document().settings.gifCompression, 0xC0C0C0u);
        window.close();
    }
    QSettings store(ini, QSettings::IniFormat);
    const AppSettings after = SettingsStore::Load(store, 800, 600);
    EXPECT_EQ(after.confirmDelete, 0u);
    EXPECT_EQ(after.multiInst, 1u);
    EXPECT_EQ(after.preview, 0u);
    EXPECT_EQ(after.fixedPreviewFrames, 1u);
    EXPECT_EQ(after.previewFrames, 250u);
    EXPECT_EQ(after.keepTrueColorInfo, 0u);
    EXPECT_EQ(after.jpegCompression, 33u);
    EXPECT_EQ(after.gifCompression, 0xC0C0C0u);
}

TEST(OptimiseProgressDialogTest, BarLabelAndAbort) {
    OptimiseProgressDialog dialog(nullptr);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Optimizing Images ...");
    EXPECT_EQ(dialog.label()->text(), "Optimizing");
    dialog.SetLabel("Optimizing Palette");
    dialog.SetPosition(49);
    EXPECT_EQ(dialog.label()->text(), "Optimizing Palette");
    EXPECT_EQ(dialog.bar()->value(), 50);
    EXPECT_FALSE(dialog.Aborted());
    QTimer::singleShot(0, dialog.abortButton(), &QPushButton::click);
    dialog.ProcessEvents();
    EXPECT_TRUE(dialog.Aborted());
    // It stays, blocking the other windows, until the optimiser has stopped.
    EXPECT_TRUE(dialog.isVisible());
    dialog.Close();
    EXPECT_FALSE(dialog.isVisible());
}

class OptimiseCommandTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>();
    AnimationDocument& doc() { return window->document(); }
    void SetUp() override { window->show(); }
    void TearDown() override {
        doc().modified = false;
        window->close();
    }
};

TEST_F(OptimiseCommandTest, OptimizeAndUnOptimizeAfterTheirWarnings) {
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", {10, 10, 10}, 16, 12)), 0);
    doc().modified = false;
    // Refused at the warning: nothing happens.
    WhenModal<WarningDialog>([](WarningDialog& d) { d.reject(); });
    window->runCommand(kCmdOptimize);
    EXPECT_FALSE(doc().modified);

    bool progressSeen = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&progressSeen] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<OptimiseProgressDialog*>(w) && w->isVisible()) progressSeen = true;
    });
    probe.start(0);
    WhenModal<WarningDialog>([](WarningDialog& d) {
        d.dontShowBox()->setChecked(true);
        d.accept();
    });
    window->runCommand(kCmdOptimize);
    probe.stop();
    EXPECT_TRUE(doc().modified);
    EXPECT_EQ(window->settings().optimizeWarning, 1u);
    EXPECT_TRUE(progressSeen);
    // Each frame differs from the one before everywhere: none is cropped; the first
    // moves onto the shared global palette.
    EXPECT_EQ(doc().countFrames(), 3);
    EXPECT_EQ(doc().firstFrame->hasLocalPalette, 0);
    for (FrameRecord* f = doc().firstFrame; f; f = f->next) EXPECT_EQ(f->width, 16);

    // UnOptimize: every frame full-screen again.
    doc().modified = false;
    window->settings().unOptimizeWarning = 1;
    window->runCommand(kCmdUnOptimize);
    EXPECT_TRUE(doc().modified);
    for (FrameRecord* f = doc().firstFrame; f; f = f->next) {
        EXPECT_EQ(f->width, doc().screenWidth);
        EXPECT_EQ(f->height, doc().screenHeight);
        EXPECT_EQ(f->left, 0);
    }
}

// The pictures the user sees, frame by frame.
std::vector<std::vector<uint32_t>> Pictures(AnimationDocument& doc) {
    std::vector<std::vector<uint32_t>> pictures;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        const auto picture = GetComposedBitmap(*f);
        pictures.push_back(picture ? picture->pixels : std::vector<uint32_t>{});
    }
    return pictures;
}

TEST_F(OptimiseCommandTest, EscapeOrTheCloseBoxAbortAndTheOtherWindowsStayBlocked) {
    testing_support::TempFolder folder;
    const QString gif =
        QString::fromStdString(testing_support::MakePhotoGif(folder, "rose.gif", 160, 120, 8));
    window->settings().optimizeWarning = 1;  // no warning first
    window->settings().confirmDelete = 0;
    window->settings().gifCompression = 0;
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "close box");
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window->treeView(), Qt::Key_N, Qt::ControlModifier);  // New
        ASSERT_TRUE(doc().empty());
        ASSERT_EQ(window->openFile(gif), 0);
        AnimationDocument& d = doc();
        const int frames = d.countFrames();
        ASSERT_GE(frames, 2);
        const auto before = Pictures(d);

        // While the optimiser walks the frames: the user presses Escape (or clicks the
        // close box), then Delete in the main window.
        bool asked = false, abortedSeen = false, stillBlocking = false;
        int countAfterDelete = -1;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (asked) return;
            OptimiseProgressDialog* progress = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* p = qobject_cast<OptimiseProgressDialog*>(w); p && p->isVisible())
                    progress = p;
            if (!progress) return;
            asked = true;
            if (escape)
                QTest::keyClick(progress, Qt::Key_Escape);
            else
                progress->close();
            abortedSeen = progress->Aborted();
            stillBlocking = progress->isVisible() && QApplication::activeModalWidget() == progress;
            QTest::keyClick(window->windowHandle(), Qt::Key_Delete);
            countAfterDelete = doc().countFrames();
        });
        probe.start(0);
        window->action(kCmdOptimize)->trigger();
        probe.stop();
        ASSERT_TRUE(asked);
        EXPECT_TRUE(abortedSeen);
        EXPECT_TRUE(stillBlocking);
        EXPECT_EQ(countAfterDelete, frames);
        EXPECT_EQ(d.countFrames(), frames);
        EXPECT_EQ(Pictures(d), before);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

        // The editor takes input again: Delete removes the selected frame.
        window->selectEntry(d.EntryOfFrame(d.firstFrame));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window->treeView(), Qt::Key_Delete);
        EXPECT_EQ(d.countFrames(), frames - 1);
        d.modified = false;
    }
}

TEST_F(OptimiseCommandTest, OptionsCommandOpensTheDialog) {
    bool opened = false;
    WhenModal<OptionsDialog>([&opened](OptionsDialog& d) {
        opened = true;
        d.reject();
    });
    window->runCommand(kCmdOptions);
    EXPECT_TRUE(opened);
}

}  // namespace
