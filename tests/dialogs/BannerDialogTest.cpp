// The banner dialog: its preview ("Banner" when there is no text, repainted after a pause
// in typing), the range and empty-text checks on OK, Cancel, and the Banner Text command.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>

#include "../shell/ShellTestSupport.h"
#include "ModalScript.h"
#include "banner/BannerGenerator.h"
#include "dialogs/BannerDialog.h"
#include "document/AnimationDocument.h"
#include "document/FrameTree.h"
#include "shell/CommandIds.h"
#include "shell/MainWindow.h"
#include "textcanvas/QtTextCanvas.h"

using namespace shell_testing;

using namespace dialog_testing;

namespace {

// What the preview would show for these settings, drawn independently of the widget.
QImage ExpectedPreview(const BannerSettings& s, QSize size) {
    QtTextCanvas canvas;
    canvas.Begin(size.width(), size.height());
    PaintBannerPreview(canvas, s, size.width(), size.height());
    return canvas.image();
}

QImage Shown(BannerPreview* preview) {
    return preview->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool HasColour(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) return true;
    return false;
}

class BannerDialogTest : public ::testing::Test {
  protected:
    BannerBlock block;
    void SetUp() override { BannerDialog::Settings() = BannerSettings{}; }
    void TearDown() override { BannerDialog::Settings() = BannerSettings{}; }
};

TEST_F(BannerDialogTest, EmptyPreviewShowsTheWordBanner) {
    BannerDialog dialog(nullptr, nullptr, block);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    BannerPreview* preview = dialog.preview();
    const QImage shown = Shown(preview);
    BannerSettings withWord;
    withWord.text = "Banner";
    EXPECT_EQ(shown, ExpectedPreview(withWord, preview->size()));
    EXPECT_TRUE(HasColour(shown, 0x000000));  // the text
    EXPECT_TRUE(HasColour(shown, 0xDCDCDC));  // its shadow
    EXPECT_TRUE(HasColour(shown, 0xC0C0C0));  // the grey around the image

}

TEST_F(BannerDialogTest, PreviewFollowsTypingAfterAPauseAndOtherChangesAtOnce) {
    BannerDialog dialog(nullptr, nullptr, block);
    dialog.show();
    BannerPreview* preview = dialog.preview();
    QTest::keyClicks(dialog.field(1018), QStringLiteral("Hello"));
    EXPECT_EQ(BannerDialog::Settings().text, "Hello");
    EXPECT_EQ(preview->shownSettings().text, "");  // still waiting for the pause
    QTest::qWait(150);
    EXPECT_EQ(preview->shownSettings().text, "");
    QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(preview->shownSettings().text),
                              QStringLiteral("Hello"), 2000);

    // The number of frames does not change the picture.
    const int updates = preview->updates();
    dialog.field(1026)->setText(QStringLiteral("25"));
    QTest::qWait(600);
    EXPECT_EQ(preview->updates(), updates);
    EXPECT_EQ(BannerDialog::Settings().frames, 25);

    // Border and colours repaint at once.
    dialog.borderBox()->setChecked(true);
    EXPECT_EQ(preview->shownSettings().border, 1);
    dialog.setColour(1020, 0x00FF00);
    EXPECT_EQ(preview->shownSettings().backgroundColour, 0x00FF00u);
    EXPECT_TRUE(HasColour(Shown(preview), 0x00FF00));

    // The shadow fields follow the shadow check box.
    dialog.shadowBox()->setChecked(false);
    EXPECT_FALSE(dialog.field(1022)->isEnabled());
    EXPECT_FALSE(dialog.field(1024)->isEnabled());
    EXPECT_FALSE(dialog.intensitySlider()->isEnabled());
    EXPECT_FALSE(HasColour(Shown(preview), 0xDCDCDC));
    dialog.shadowBox()->setChecked(true);
    EXPECT_TRUE(dialog.field(1023)->isEnabled());
}

TEST_F(BannerDialogTest, OutOfRangeWidthIsClampedWithItsMessageAndTheDialogStays) {
    BannerDialog dialog(nullptr, nullptr, block);
    dialog.show();
    dialog.field(1018)->setText(QStringLiteral("Wide"));
    dialog.field(1028)->setText(QStringLiteral("2049"));
    auto box = AnswerNextBox(Answer::Ok);
    dialog.accept();
    EXPECT_EQ(box->text,
              QStringLiteral("The 'Image Width' value must be in the range from 1 to 2048"));
    EXPECT_EQ(box->caption, QStringLiteral("Information"));
    EXPECT_EQ(dialog.field(1028)->text(), QStringLiteral("2048"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(block.confirmed, 0);

    dialog.accept();  // now valid
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(block.confirmed, 1);
    EXPECT_EQ(block.valid, 1);
    EXPECT_EQ(block.settings.width, 2048);
    EXPECT_EQ(block.settings.text, "Wide");
}

TEST_F(BannerDialogTest, EmptyTextIsQuestionedAndCancelRestoresTheSettings) {
    {
        BannerDialog dialog(nullptr, nullptr, block);
        dialog.show();
        auto box = AnswerNextBox(Answer::No);
        dialog.accept();
        EXPECT_EQ(box->text, QStringLiteral("There is no Banner Text.\nContinue anyway ?"));
        EXPECT_EQ(box->caption, QStringLiteral("Banner Text"));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(block.confirmed, 0);
        box = AnswerNextBox(Answer::Yes);
        dialog.accept();
        EXPECT_EQ(block.confirmed, 1);
    }
    {
        BannerDialog dialog(nullptr, nullptr, block);
        dialog.show();
        dialog.field(1018)->setText(QStringLiteral("changed"));
        dialog.field(1024)->setText(QStringLiteral("3"));
        dialog.intensitySlider()->setValue(80);
        dialog.reject();
        EXPECT_EQ(BannerDialog::Settings(), BannerSettings{});
    }
}

TEST_F(BannerDialogTest, HelpOpensTheBannerPage) {
    BannerDialog dialog(nullptr, nullptr, block);
    dialog.show();
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    buttons->button(QDialogButtonBox::Help)->click();
    QTextBrowser* browser = ShownHelp();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->source().fileName(), QStringLiteral("banner-dialog.html"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Shadow Thickness")));
    browser->window()->close();
}

// Fills the banner dialog when it opens and confirms it.
void AnswerBannerDialog(const QString& text, int frames, QString* widthShown = nullptr) {
    WhenModal<BannerDialog>([=](BannerDialog& dialog) {
        if (widthShown) *widthShown = dialog.field(1028)->text();
        dialog.field(1018)->setText(text);
        dialog.field(1026)->setText(QString::number(frames));
        dialog.accept();
    });
}

TEST(BannerTextCommand, OkInsertsTheBannerFramesAsAGroup) {
    BannerDialog::Settings() = BannerSettings{};
    QTemporaryDir dir;
    auto window = std::make_unique<MainWindow>();
    window->show();
    AnimationDocument& doc = window->document();

    // Into the empty document: the banner becomes the animation.
    AnswerBannerDialog(QStringLiteral("Hi"), 4);
    window->runCommand(kCmdBannerText);
    ASSERT_EQ(doc.countFrames(), 4);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(doc.screenWidth, 140);
    EXPECT_EQ(doc.screenHeight, 80);
    EXPECT_EQ(ImageLabels(*window), (std::vector<std::string>{"Gif: Banner 1", "Gif: Banner 2",
                                                              "Gif: Banner 3", "Gif: Banner 4"}));
    EXPECT_EQ(doc.tree.root()->child(0)->text(), "Banner 1");
    EXPECT_EQ(doc.selectedFrame, doc.firstFrame);
    EXPECT_TRUE(window->action(kCmdStartAnimation)->isEnabled());
    EXPECT_TRUE(window->action(kCmdSaveAs)->isEnabled());
    EXPECT_EQ(window->action(kCmdResize)->text(), QStringLiteral("&Resize All ..."));
    // The frames get their palettes.
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        f->WaitForReduction();
        EXPECT_TRUE(f->IsPaletteValid());
    }

    // A second banner after the selected image takes the screen's size in the dialog.
    QString widthShown;
    AnswerBannerDialog(QStringLiteral("More"), 2, &widthShown);
    window->runCommand(kCmdBannerText);
    EXPECT_EQ(widthShown, QStringLiteral("140"));
    EXPECT_EQ(doc.countFrames(), 6);
    EXPECT_EQ(doc.groups.banners.size(), 2u);
    EXPECT_EQ(ImageLabels(*window)[1], "Gif: Banner 1");  // the second group's first frame
    EXPECT_EQ(doc.firstFrame->next, doc.groups.banners[1].first);

    doc.modified = false;
    window->close();
}

TEST(BannerTextCommand, ABannerIntoADocumentEmptiedByDeleteTakesItsOwnSize) {
    BannerDialog::Settings() = BannerSettings{};
    QTemporaryDir dir;
    auto window = std::make_unique<MainWindow>();
    window->settings().confirmDelete = 0;
    window->show();
    AnimationDocument& doc = window->document();
    ASSERT_EQ(window->openFile(WriteGif(dir.path(), "wide.gif", {10, 10}, 300, 200)), 0);
    ASSERT_EQ(doc.screenWidth, 300);

    // The user deletes every frame with the Delete key, then types Ctrl+B.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    for (int guard = 0; !doc.empty() && guard < 10; ++guard) {
        window->selectEntry(doc.EntryOfFrame(doc.firstFrame));
        QTest::keyClick(window->treeView(), Qt::Key_Delete);
    }
    ASSERT_TRUE(doc.empty());
    QString widthShown;
    AnswerBannerDialog(QStringLiteral("Hi"), 3, &widthShown);
    QTest::keyClick(window->treeView(), Qt::Key_B, Qt::ControlModifier);
    ASSERT_EQ(doc.countFrames(), 3);
    EXPECT_EQ(widthShown, QStringLiteral("140"));
    EXPECT_EQ(doc.screenWidth, 140);
    EXPECT_EQ(doc.screenHeight, 80);
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        EXPECT_TRUE(f->coversScreen());
    }
    doc.modified = false;
    window->close();
}

}  // namespace
