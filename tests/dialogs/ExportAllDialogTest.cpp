// "Export All Images": its opening state and enabling rules, the checks on OK, and the
// command writing the numbered files (read back with giflib and Qt's JPEG reader).
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include "../shell/ShellTestSupport.h"
#include "ModalScript.h"
#include "dialogs/ExportAllDialog.h"
#include "document/AnimationDocument.h"
#include "shell/CommandIds.h"
#include "shell/MainWindow.h"
#include "shell/SettingsStore.h"

using namespace shell_testing;
using dialog_testing::ModalScript;

namespace {

// A step answering the next message box with `which`, remembering its text and caption.
ModalScript::Step Box(QMessageBox::StandardButton which, BoxAnswer* seen = nullptr) {
    return ModalScript::On<QMessageBox>([which, seen](QMessageBox& box) {
        if (seen) *seen = {box.text(), box.windowTitle()};
        box.button(which)->click();
        return true;
    });
}

// A step filling in the Export All dialog and pressing OK.
ModalScript::Step FillExportAll(const QString& pattern, bool advanced, bool jpeg) {
    return ModalScript::On<ExportAllDialog>([=](ExportAllDialog& d) {
        d.patternEdit()->setText(pattern);
        (advanced ? d.advancedRadio() : d.normalRadio())->setChecked(true);
        (jpeg ? d.jpegRadio() : d.gifRadio())->setChecked(true);
        // Later: OK may ask a question of its own, which the next step answers.
        QMetaObject::invokeMethod(&d, "accept", Qt::QueuedConnection);
        return true;
    });
}

// Pixel (x, y) of a single-image GIF as 0x00RRGGBB, read with giflib; ~0u on failure.
uint32_t GiflibPixel(const QString& path, int x, int y, int* width = nullptr) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(QFile::encodeName(path).constData(), &error);
    if (!gif) return ~0u;
    uint32_t rgb = ~0u;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1) {
        const SavedImage& image = gif->SavedImages[0];
        const ColorMapObject* map =
            image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        const int index = image.RasterBits[y * image.ImageDesc.Width + x];
        if (map && index < map->ColorCount) {
            const GifColorType c = map->Colors[index];
            rgb = (uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) | c.Blue;
        }
        if (width) *width = image.ImageDesc.Width;
    }
    DGifCloseFile(gif, &error);
    return rgb;
}

class ExportAllDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { ExportAllDialog::ResetKeptValues(); }
    AppSettings settings;
};

TEST_F(ExportAllDialogTest, OpensInNormalModeWithTheFormatFromTheSettings) {
    settings.jpegCompression = 60;
    ExportAllDialog dialog(nullptr, settings, QStringLiteral("/tmp/anim.gif"), 2);
    EXPECT_EQ(dialog.windowTitle(), "Export All Images");
    EXPECT_EQ(dialog.patternEdit()->text(), "/tmp/anim.gif");
    EXPECT_TRUE(dialog.normalRadio()->isChecked());
    EXPECT_EQ(dialog.indicatorEdit()->text(), "*");
    EXPECT_FALSE(dialog.indicatorEdit()->isEnabled());
    EXPECT_FALSE(dialog.indicatorLabel()->isEnabled());
    EXPECT_EQ(dialog.infoText()->text(), "No Indicator needed");
    EXPECT_TRUE(dialog.gifRadio()->isChecked());
    EXPECT_FALSE(dialog.qualitySlider()->isEnabled());
    EXPECT_FALSE(dialog.qualityReadOut()->isEnabled());
    EXPECT_FALSE(dialog.qualityLabel()->isEnabled());
    EXPECT_EQ(dialog.qualitySlider()->value(), 60);
    EXPECT_EQ(dialog.qualitySlider()->minimum(), 0);
    EXPECT_EQ(dialog.qualitySlider()->maximum(), 100);
    EXPECT_EQ(dialog.qualitySlider()->tickInterval(), 10);
    EXPECT_EQ(dialog.qualityReadOut()->text(), "60");

    // Advanced numbering wants one indicator per digit.
    dialog.advancedRadio()->setChecked(true);
    EXPECT_TRUE(dialog.indicatorEdit()->isEnabled());
    EXPECT_TRUE(dialog.indicatorLabel()->isEnabled());
    EXPECT_EQ(dialog.infoText()->text(), "Need 2 Indicators in Name");
    dialog.jpegRadio()->setChecked(true);
    EXPECT_TRUE(dialog.qualitySlider()->isEnabled());
    dialog.qualitySlider()->setValue(35);
    EXPECT_EQ(dialog.qualityReadOut()->text(), "35");
    dialog.patternEdit()->setText(QStringLiteral("/tmp/anim**.gif"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.indicator(), '*');
    EXPECT_EQ(settings.jpegCompression, 35u);
    EXPECT_EQ(settings.exportAsJpg, 1u);

    // The mode and the format come back; one digit needs one indicator.
    ExportAllDialog again(nullptr, settings, QStringLiteral("/tmp/anim.gif"), 1);
    EXPECT_TRUE(again.advancedRadio()->isChecked());
    EXPECT_TRUE(again.jpegRadio()->isChecked());
    EXPECT_EQ(again.infoText()->text(), "Need 1 Indicator in Name");
}

TEST_F(ExportAllDialogTest, OkOffersTheGifExtensionAndChecksTheIndicators) {
    ExportAllDialog dialog(nullptr, settings, QStringLiteral("/tmp/anim"), 2);
    dialog.show();
    BoxAnswer seen;
    {
        ModalScript script({Box(QMessageBox::Cancel, &seen)});
        dialog.accept();
    }
    EXPECT_EQ(seen.text, "Shall '.GIF' be added ?'");
    EXPECT_EQ(seen.caption, "Filename doesn't include extension");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.patternEdit()->text(), "/tmp/anim");

    {
        ModalScript script({Box(QMessageBox::Yes)});
        dialog.accept();
    }
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.pattern(), "/tmp/anim.GIF");
    EXPECT_EQ(dialog.indicator(), 0);

    // Advanced: exactly one indicator character, found once per digit.
    ExportAllDialog advanced(nullptr, settings, QStringLiteral("/tmp/img*x.gif"), 2);
    advanced.advancedRadio()->setChecked(true);
    advanced.show();
    const struct {
        const char* pattern;
        const char* indicator;
        const char* message;
    } refused[] = {
        {"/tmp/img*x.gif", "", "Please specify exactly one character to be used as the indicator"},
        {"/tmp/img*x.gif", "**",
         "Please specify exactly one character to be used as the indicator"},
        {"/tmp/imgx.gif", "*", "Can't find Indicator in FileName"},
        {"/tmp/img*x.gif", "*", "Found indicator 1 times, but only 2 occurrences allowed"},
        {"/tmp/img***x.gif", "*", "Found indicator 3 times, but only 2 occurrences allowed"},
    };
    for (const auto& r : refused) {
        advanced.patternEdit()->setText(QString::fromLatin1(r.pattern));
        advanced.indicatorEdit()->setText(QString::fromLatin1(r.indicator));
        {
            ModalScript script({Box(QMessageBox::Ok, &seen)});
            advanced.accept();
        }
        EXPECT_EQ(seen.text.toStdString(), r.message) << r.pattern;
        EXPECT_EQ(seen.caption, "Problems with Indicator");
        EXPECT_TRUE(advanced.isVisible()) << r.pattern;
    }
    advanced.patternEdit()->setText(QStringLiteral("/tmp/img#x#.gif"));
    advanced.indicatorEdit()->setText(QStringLiteral("#"));
    advanced.accept();
    EXPECT_FALSE(advanced.isVisible());
    EXPECT_EQ(advanced.indicator(), '#');
    EXPECT_EQ(advanced.pattern(), "/tmp/img#x#.gif");
}

TEST_F(ExportAllDialogTest, BrowseReplacesThePattern) {
    QTemporaryDir dir;
    ExportAllDialog dialog(nullptr, settings, QDir(dir.path()).filePath("old.gif"), 1);
    dialog.show();
    const QString chosen = QDir(dir.path()).filePath(QStringLiteral("new.gif"));
    QString title, filter;
    {
        ModalScript script({ModalScript::On<QFileDialog>([&](QFileDialog& d) {
            title = d.windowTitle();
            filter = d.nameFilters().join(';');
            d.selectFile(chosen);
            QMetaObject::invokeMethod(&d, "accept", Qt::QueuedConnection);
            return true;
        })});
        QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    }
    EXPECT_EQ(title, "Select Filename to Export All Images");
    EXPECT_EQ(filter, "Gif Image(*.gif) (*.gif)");
    EXPECT_EQ(dialog.patternEdit()->text(), chosen);
}

TEST_F(ExportAllDialogTest, HelpOpensTheExportAllPage) {
    ExportAllDialog dialog(nullptr, settings, QStringLiteral("/tmp/a.gif"), 1);
    dialog.show();
    QTest::mouseClick(dialog.helpButton(), Qt::LeftButton);
    QTextBrowser* browser = dialog_testing::ShownHelp();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->source().toString().endsWith("export-all-images.html"));
    EXPECT_TRUE(browser->toPlainText().contains("Indicator"));
    browser->window()->close();
}

class ExportAllCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ExportAllDialog::ResetKeptValues();
        window = std::make_unique<MainWindow>();
    }
    AnimationDocument& doc() { return window->document(); }
    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;
};

TEST_F(ExportAllCommandTest, TwelveFramesBecomeTwoDigitGifFilesReadableByGiflib) {
    std::vector<int> delays(12, 10);
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", delays, 8, 6)), 0);
    const QString out = QDir(dir.path()).filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    const QString pattern = out + QStringLiteral("/anim.gif");
    BoxAnswer done;
    QString during;
    const QString before = window->statusText(1);
    {
        ModalScript script({FillExportAll(pattern, false, false),
                            ModalScript::On<QMessageBox>([&](QMessageBox& box) {
                                during = window->statusText(1);
                                done = {box.text(), box.windowTitle()};
                                box.button(QMessageBox::Ok)->click();
                                return true;
                            })});
        window->runCommand(kCmdExportAll);
        EXPECT_EQ(script.left(), 0u);
    }
    EXPECT_EQ(done.text, "Export of all images successful");
    EXPECT_EQ(done.caption, "Status");
    // The status bar counted the images and is back to what it showed.
    EXPECT_EQ(during, "Exporting Image 12 of 12");
    EXPECT_EQ(window->statusText(1), before);
    QStringList names = QDir(out).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(names.size(), 12);
    EXPECT_EQ(names.first(), "anim00.gif");
    EXPECT_EQ(names.last(), "anim11.gif");
    // Frame 5 of WriteGif: white at (0, 0), its own colour elsewhere.
    int width = 0;
    EXPECT_EQ(GiflibPixel(out + "/anim05.gif", 3, 2, &width), 0x204060u + 0x101010u * 5);
    EXPECT_EQ(GiflibPixel(out + "/anim05.gif", 0, 0), 0xFFFFFFu);
    EXPECT_EQ(width, 8);
    EXPECT_EQ(window->settings().pathSave, pattern);
    EXPECT_FALSE(doc().busy);
}

TEST_F(ExportAllCommandTest, AdvancedJpegNamesWithoutTheGifExtension) {
    std::vector<int> delays(3, 10);
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", delays, 16, 12)), 0);
    const QString pattern = QDir(dir.path()).filePath(QStringLiteral("img*x.jpg"));
    {
        ModalScript script(
            {FillExportAll(pattern, true, true), Box(QMessageBox::No), Box(QMessageBox::Ok)});
        window->runCommand(kCmdExportAll);
        EXPECT_EQ(script.left(), 0u);
    }
    EXPECT_EQ(window->settings().exportAsJpg, 1u);
    for (int k = 0; k < 3; ++k) {
        const QImage image(QDir(dir.path()).filePath(QStringLiteral("img%1x.jpg").arg(k)));
        ASSERT_FALSE(image.isNull()) << k;
        EXPECT_EQ(image.size(), QSize(16, 12));
        const QRgb c = image.pixel(10, 8);
        const uint32_t want = 0x204060u + 0x101010u * uint32_t(k);
        EXPECT_NEAR(qRed(c), int(want >> 16), 12) << k;
        EXPECT_NEAR(qGreen(c), int((want >> 8) & 0xFF), 12) << k;
        EXPECT_NEAR(qBlue(c), int(want & 0xFF), 12) << k;
    }
    EXPECT_EQ(window->settings().pathSave, pattern);
}

TEST_F(ExportAllCommandTest, AFailedFrameAsksAndNoStopsWithoutSuccess) {
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", {10, 10}, 8, 6)), 0);
    const QString before = window->settings().pathSave;
    const QString pattern = QDir(dir.path()).filePath(QStringLiteral("missing/anim.gif"));
    BoxAnswer question;
    {
        ModalScript script({FillExportAll(pattern, false, false), Box(QMessageBox::No, &question)});
        window->runCommand(kCmdExportAll);
        EXPECT_EQ(script.left(), 0u);
        QTest::qWait(30);  // no success box follows
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_EQ(question.caption, "Continue Anyway ?");
    EXPECT_EQ(question.text,
              "Error exporting as Gif" + QDir(dir.path()).filePath("missing/anim0.gif"));
    EXPECT_EQ(window->settings().pathSave, before);
    EXPECT_FALSE(doc().busy);
}

TEST_F(ExportAllCommandTest, CancelWritesNothing) {
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "a.gif", {10, 10}, 8, 6)), 0);
    const QString out = QDir(dir.path()).filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    {
        ModalScript script({ModalScript::On<ExportAllDialog>([&](ExportAllDialog& d) {
            d.patternEdit()->setText(out + "/a.gif");
            d.reject();
            return true;
        })});
        window->runCommand(kCmdExportAll);
    }
    EXPECT_TRUE(QDir(out).entryList(QDir::Files).isEmpty());
}

}  // namespace
