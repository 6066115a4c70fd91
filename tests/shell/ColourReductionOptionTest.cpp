// The colour reduction chosen in the Options dialog steers every picture reduced
// afterwards: a photo pasted with the quality palette stays closer to itself than with the
// exact rule.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QSlider>
#include <cstdlib>

#include "dialogs/OptionsDialog.h"
#include "document/FrameRecord.h"
#include "shell/CommandIds.h"
#include "support/UserTask.h"
#include "support/qt/EditorTestSupport.h"
#include "support/qt/ModalScript.h"

using namespace editor_testing;
using dialog_testing::WhenModal;

namespace {

class ColourReductionOptionTest : public EditorTest {};

TEST_F(ColourReductionOptionTest, TheQualityPaletteChosenInOptionsReducesWhatIsPastedAfterwards) {
    QImage photo(QString::fromStdString(testing_support::MakePhoto(folder, "rose.png", 160, 120)));
    ASSERT_FALSE(photo.isNull());
    photo = photo.convertToFormat(QImage::Format_RGB32);
    ASSERT_TRUE(openGif({10}, 160, 120));
    // Pastes the photo behind the selected frame; the mean difference per channel between
    // the pasted frame and the photo.
    const auto pasteAndMeasure = [&]() -> double {
        QApplication::clipboard()->setImage(photo);
        window().runCommand(kCmdPaste);
        FrameRecord* pasted = doc().selectedFrame;
        if (!pasted || pasted == doc().firstFrame) return -1;
        pasted->WaitForReduction();
        const auto indexes = pasted->indexPlane();
        double sum = 0;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 160; ++x) {
                const uint32_t want = photo.pixel(x, y);
                const uint32_t got = pasted->palette[indexes->get(x, y)].rgb();
                for (int shift : {16, 8, 0})
                    sum += std::abs(int((want >> shift) & 0xFF) - int((got >> shift) & 0xFF));
            }
        return sum / (160.0 * 120 * 3);
    };
    const double exact = pasteAndMeasure();
    ASSERT_GE(exact, 0);

    WhenModal<OptionsDialog>([](OptionsDialog& dialog) {
        EXPECT_EQ(dialog.reductionList()->currentText(), "Exact");
        EXPECT_FALSE(dialog.ditherSlider()->isEnabled());
        dialog.reductionList()->setCurrentIndex(1);
        EXPECT_TRUE(dialog.ditherSlider()->isEnabled());
        EXPECT_EQ(dialog.ditherSlider()->value(), 100);
        dialog.accept();
    });
    window().runCommand(kCmdOptions);
    EXPECT_EQ(window().settings().colourReduction, 1u);
    const double quality = pasteAndMeasure();
    ASSERT_GE(quality, 0);
    EXPECT_LT(quality, exact);
}

}  // namespace
