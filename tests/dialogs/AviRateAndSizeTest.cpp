// The rate and size fields of "Load AVI": a 30 fps clip opened at 15 frames a second and
// half its width keeps its length; a rate that is no number keeps the dialog open.
#include <QLineEdit>

#include "dialogs/AviLoadDialog.h"
#include "document/FrameRecord.h"
#include "support/UserTask.h"
#include "support/qt/EditorTestSupport.h"
#include "support/qt/ModalScript.h"

using namespace editor_testing;
using dialog_testing::ModalScript;

namespace {

class AviRateAndSizeTest : public EditorTest {
  protected:
    void SetUp() override { RememberedAviChoices() = AviLoadChoices{}; }
};

TEST_F(AviRateAndSizeTest, AClipOpenedAtHalfItsRateAndWidthKeepsItsLength) {
    const QString clip = QString::fromStdString(
        testing_support::MakeVideo(folder, "clip.mp4", "testsrc2", 64, 48, 30, 30));
    ASSERT_FALSE(clip.isEmpty());
    QStringList shown;
    QString refused;
    {
        ModalScript script({ModalScript::On<AviLoadDialog>([&](AviLoadDialog& d) {
            shown << d.rateEdit()->text() << d.widthEdit()->text() << d.heightEdit()->text();
            // A rate that is no number is refused and the dialog stays.
            d.rateEdit()->setText(QStringLiteral("fast"));
            {
                BoxAnswer seen;
                ModalScript box({AnswerBox(QMessageBox::Ok, &seen)});
                d.accept();
                refused = seen.text;
            }
            EXPECT_TRUE(d.isVisible());
            d.rateEdit()->setText(QStringLiteral("15"));
            d.widthEdit()->setText(QStringLiteral("32"));
            d.heightEdit()->clear();  // keeps the proportions
            QMetaObject::invokeMethod(&d, "accept", Qt::QueuedConnection);
            return true;
        })});
        ASSERT_EQ(window().openFile(clip), 0);
    }
    EXPECT_EQ(shown, (QStringList{"30", "64", "48"}));
    EXPECT_EQ(refused, "Frames per second must be a number from 0 to 1000.");
    ASSERT_EQ(doc().countFrames(), 15);
    EXPECT_EQ(doc().screenWidth, 32);
    EXPECT_EQ(doc().screenHeight, 24);
    uint32_t length = 0;
    for (FrameRecord* f = doc().firstFrame; f; f = f->next) {
        EXPECT_EQ(f->width, 32);
        length += f->delay;
    }
    EXPECT_EQ(length, 100u);
    EXPECT_EQ(ImageLabels(window())[1], "Gif :clip.mp4 [2]");
}

}  // namespace
