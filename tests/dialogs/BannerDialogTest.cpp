// The banner dialog: its preview ("Banner" when there is no text, repainted after a pause
// in typing), the checks on OK, and the Banner Text command.

#include <QSlider>

#include "dialogs/BannerDialog.h"
#include "support/qt/EditorTestSupport.h"

using namespace dialog_testing;
using namespace editor_testing;

namespace {

bool HasColour(BannerPreview* preview, QRgb colour) {
    const QImage image = preview->grab().toImage().convertToFormat(QImage::Format_RGB32);
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

TEST_F(BannerDialogTest, PreviewFollowsTypingAfterAPauseAndOtherChangesAtOnce) {
    BannerDialog dialog(nullptr, nullptr, block);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    BannerPreview* preview = dialog.preview();
    // No text: the word "Banner" in black with its shadow, grey around the image.
    EXPECT_TRUE(HasColour(preview, 0x000000));
    EXPECT_TRUE(HasColour(preview, 0xDCDCDC));

    QTest::keyClicks(dialog.field(1018), QStringLiteral("Hello"));
    EXPECT_EQ(BannerDialog::Settings().text, "Hello");
    EXPECT_EQ(preview->shownSettings().text, "");  // waiting for the pause
    QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(preview->shownSettings().text),
                              QStringLiteral("Hello"), 2000);

    // Border and colours repaint at once.
    dialog.borderBox()->setChecked(true);
    EXPECT_EQ(preview->shownSettings().border, 1);
    dialog.setColour(1020, 0x00FF00);
    EXPECT_TRUE(HasColour(preview, 0x00FF00));

    dialog.shadowBox()->setChecked(false);
    EXPECT_FALSE(HasColour(preview, 0xDCDCDC));
}

TEST_F(BannerDialogTest, OkChecksTheRangesAndTheText) {
    {
        BannerDialog dialog(nullptr, nullptr, block);
        dialog.show();
        // No text: asked; "No" keeps the dialog.
        auto box = AnswerNextBox(Answer::No);
        dialog.accept();
        EXPECT_EQ(box->text, QStringLiteral("There is no Banner Text.\nContinue anyway ?"));
        EXPECT_EQ(box->caption, QStringLiteral("Banner Text"));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(block.confirmed, 0);
        // The width out of range is clamped (shown in the field) and the dialog stays.
        dialog.field(1018)->setText(QStringLiteral("Wide"));
        dialog.field(1028)->setText(QStringLiteral("2049"));
        AnswerNextBox(Answer::Ok);
        dialog.accept();
        EXPECT_EQ(dialog.field(1028)->text(), QStringLiteral("2048"));
        EXPECT_EQ(block.confirmed, 0);
        dialog.accept();  // now valid
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(block.confirmed, 1);
        EXPECT_EQ(block.settings.width, 2048);
        EXPECT_EQ(block.settings.text, "Wide");
    }
    // "Yes" to the question takes the empty text.
    BannerDialog dialog(nullptr, nullptr, block);
    dialog.show();
    dialog.field(1018)->clear();
    block.confirmed = 0;
    auto box = AnswerNextBox(Answer::Yes);
    dialog.accept();
    EXPECT_EQ(block.confirmed, 1);
    EXPECT_EQ(block.settings.text, "");
}

// Fills the banner dialog when it opens and confirms it; `widthShown` gets its width.
void AnswerBannerDialog(const QString& text, int frames, QString* widthShown) {
    WhenModal<BannerDialog>([=](BannerDialog& dialog) {
        *widthShown = dialog.field(1028)->text();
        dialog.field(1018)->setText(text);
        dialog.field(1026)->setText(QString::number(frames));
        dialog.accept();
    });
}

// The user deletes every frame with the Delete key, then types Ctrl+B: the banner
// becomes the animation at its own size; a second one after the selected image takes
// the screen's size in the dialog and joins as a group of its own.
TEST(BannerTextCommand, OkInsertsTheBannerFramesAsAGroup) {
    BannerDialog::Settings() = BannerSettings{};
    testing_support::TempFolder folder;
    Editor editor;
    editor->settings().confirmDelete = 0;
    AnimationDocument& doc = editor.doc();
    ASSERT_TRUE(editor.open(
        WriteGif(QString::fromStdString(folder.path()), "wide.gif", {10, 10}, 300, 200)));
    ASSERT_TRUE(Activate(editor.window()));
    for (int guard = 0; !doc.empty() && guard < 10; ++guard) {
        editor->selectEntry(doc.EntryOfFrame(doc.firstFrame));
        QTest::keyClick(editor->treeView(), Qt::Key_Delete);
    }
    ASSERT_TRUE(doc.empty());
    QString widthShown;
    AnswerBannerDialog(QStringLiteral("Hi"), 4, &widthShown);
    QTest::keyClick(editor->treeView(), Qt::Key_B, Qt::ControlModifier);
    ASSERT_EQ(doc.countFrames(), 4);
    EXPECT_EQ(widthShown, QStringLiteral("140"));
    EXPECT_EQ(std::pair(doc.screenWidth, doc.screenHeight), std::pair(140, 80));
    EXPECT_EQ(ImageLabels(editor.window()).back(), "Gif: Banner 4");
    EXPECT_EQ(doc.selectedFrame, doc.firstFrame);
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        f->WaitForReduction();
        EXPECT_TRUE(f->IsPaletteValid());
    }
    AnswerBannerDialog(QStringLiteral("More"), 2, &widthShown);
    editor->runCommand(kCmdBannerText);
    EXPECT_EQ(widthShown, QStringLiteral("140"));
    EXPECT_EQ(doc.countFrames(), 6);
    EXPECT_EQ(doc.firstFrame->next, doc.groups.banners.at(1).first);
    EXPECT_TRUE(doc.modified());
}

}  // namespace
