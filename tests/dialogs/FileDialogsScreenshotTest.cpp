// Pictures of the file dialogs as they open: Export All Images, Load AVI, Loading AVI
// and the Resize question. They go to $VELMORA_SCREENS when set (for looking at them),
// else to a temporary folder.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>

#include "dialogs/AviLoadDialog.h"
#include "dialogs/AviProgressDialog.h"
#include "dialogs/ExportAllDialog.h"
#include "dialogs/ResizeQuestionDialog.h"
#include "shell/SettingsStore.h"

namespace {

class FileDialogsScreenshotTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = qEnvironmentVariable("VELMORA_SCREENS");
        if (folder.isEmpty()) folder = temp.path();
        ExportAllDialog::ResetKeptValues();
    }
    // Shows the dialog, grabs it and checks the picture is the window's.
    void Grab(QDialog& dialog, const QString& name) {
        dialog.show();
        dialog.adjustSize();
        const QPixmap picture = dialog.grab();
        ASSERT_FALSE(picture.isNull()) << name.toStdString();
        EXPECT_EQ(picture.size(), dialog.size());
        EXPECT_GE(picture.width(), 200);
        EXPECT_TRUE(picture.save(QDir(folder).filePath(name + QStringLiteral(".png"))));
        dialog.hide();
    }
    QTemporaryDir temp;
    QString folder;
};

TEST_F(FileDialogsScreenshotTest, ExportAllInBothModes) {
    AppSettings settings;
    ExportAllDialog normal(nullptr, settings, QStringLiteral("/home/user/Pictures/anim.gif"), 2);
    Grab(normal, QStringLiteral("export-all-normal"));
    ExportAllDialog advanced(nullptr, settings, QStringLiteral("/home/user/Pictures/img**x.gif"),
                             2);
    advanced.advancedRadio()->setChecked(true);
    advanced.jpegRadio()->setChecked(true);
    advanced.qualitySlider()->setValue(80);
    Grab(advanced, QStringLiteral("export-all-advanced-jpeg"));
}

TEST_F(FileDialogsScreenshotTest, LoadAviAndItsProgress) {
    AviLoadChoices choices;
    AviLoadDialog all(nullptr, AviStreamInfo{0, 120, 320, 240}, choices);
    Grab(all, QStringLiteral("load-avi"));
    choices.loadAll = false;
    choices.reverse = true;
    AviLoadDialog part(nullptr, AviStreamInfo{0, 120, 320, 240}, choices);
    Grab(part, QStringLiteral("load-avi-part"));
    AviProgressDialog progress(nullptr);
    progress.Step(41, 42, 120);
    Grab(progress, QStringLiteral("loading-avi"));
}

TEST_F(FileDialogsScreenshotTest, ResizeQuestion) {
    ResizeQuestionDialog dialog(nullptr);
    Grab(dialog, QStringLiteral("resize-question"));
}

}  // namespace
