// A large GIF opened into the empty editor shows its first image at once and brings the
// rest in from the event loop; commands and closing never see half an animation, and a
// file handed over while a dialog is up waits for it.
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <random>

#include "gif/GifWriter.h"
#include "support/TestSupport.h"
#include "support/qt/EditorTestSupport.h"

using namespace editor_testing;

namespace {

constexpr int kFrames = 48;

// Noise compresses badly: 48 frames of 256 x 256 make a file of some 3 MiB.
QString WriteLargeGif(const QString& dir) {
    SilentHost host;
    AnimationDocument doc(host, 1);
    doc.screenWidth = 256;
    doc.screenHeight = 256;
    std::mt19937 rng(5);
    std::vector<uint32_t> colours(256);
    for (size_t c = 0; c < colours.size(); ++c) colours[c] = uint32_t(c * 0x010305u) & 0xFFFFFFu;
    for (int i = 0; i < kFrames; ++i) {
        FrameRecord* f = testing_support::MakeFrame(doc, 256, 256, colours);
        auto plane = f->indexPlane();
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x) plane->set(x, y, uint8_t(rng()));
        }
        f->delay = 5;
        testing_support::AppendToDocument(doc, f, "large");
    }
    const QString path = QDir(dir).filePath("large.gif");
    EXPECT_EQ(SaveAnimation(doc, path.toStdString()), 0);
    return path;
}

class OpeningInStepsTest : public EditorTest {
  protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<testing_support::TempFolder>();
        path_ = WriteLargeGif(QString::fromStdString(folder_->path()));
    }
    static void TearDownTestSuite() { folder_.reset(); }
    static inline std::unique_ptr<testing_support::TempFolder> folder_;
    static inline QString path_;
};

}  // namespace

TEST_F(OpeningInStepsTest, TheFirstImageAtOnceThenTheRestFromTheEventLoop) {
    ASSERT_GT(QFileInfo(path_).size(), qint64(2 << 20));
    ASSERT_EQ(window().openFile(path_), 0);
    EXPECT_TRUE(window().opening());
    EXPECT_EQ(doc().countFrames(), 1);
    EXPECT_EQ(doc().selectedFrame, doc().firstFrame);
    EXPECT_TRUE(window().action(kCmdSaveAs)->isEnabled());

    QElapsedTimer clock;
    clock.start();
    while (window().opening() && clock.elapsed() < 60000) QApplication::processEvents();
    EXPECT_FALSE(window().opening());
    EXPECT_EQ(doc().countFrames(), kFrames);
    EXPECT_EQ(ImageLabels(window()).size(), size_t(kFrames));
    EXPECT_FALSE(doc().modified());
}

TEST_F(OpeningInStepsTest, ACommandDuringTheOpeningSeesTheWholeAnimation) {
    ASSERT_EQ(window().openFile(path_), 0);
    ASSERT_TRUE(window().opening());
    window().runCommand(kCmdGotoLast);
    EXPECT_FALSE(window().opening());
    EXPECT_EQ(doc().countFrames(), kFrames);
    EXPECT_EQ(doc().selectedFrame, doc().lastFrame());
}

TEST_F(OpeningInStepsTest, ClosingDuringTheOpeningLeavesTheRestUnread) {
    ASSERT_EQ(window().openFile(path_), 0);
    ASSERT_TRUE(window().opening());
    EXPECT_TRUE(window().close());
    EXPECT_FALSE(window().opening());
    EXPECT_LT(doc().countFrames(), kFrames);
    QApplication::processEvents();  // the stopped timer reads nothing more
    EXPECT_LT(doc().countFrames(), kFrames);
}

TEST_F(OpeningInStepsTest, AFileHandedOverWhileADialogIsUpWaitsUntilItHasGone) {
    const QString small = WriteGif(dir(), "small.gif", {5, 7});
    QDialog dialog(&window());
    dialog.setModal(true);
    dialog.show();
    window().openHandedOver(small);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 600) QApplication::processEvents();
    EXPECT_TRUE(doc().empty());

    dialog.hide();
    while (doc().empty() && clock.elapsed() < 10000) QApplication::processEvents();
    EXPECT_EQ(doc().countFrames(), 2);
}
