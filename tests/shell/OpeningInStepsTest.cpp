// A large GIF opened into the empty editor shows its first image at once and brings the
// rest in from the event loop; commands and closing never see half an animation.
#include <QElapsedTimer>
#include <QFileInfo>

#include "support/qt/EditorTestSupport.h"

using namespace editor_testing;

namespace {

constexpr int kFrames = 48;

class OpeningInStepsTest : public EditorTest {
  protected:
    // Noise compresses badly: 48 frames of 256 x 256 make a file of some 3 MiB.
    static void SetUpTestSuite() {
        folder_ = std::make_unique<testing_support::TempFolder>();
        path_ = folder_->file("large.gif");
        testing_support::RunTool("convert -size 256x256 xc: +noise Random -colors 256 -duplicate " +
                                 std::to_string(kFrames - 1) + " -delay 5 " +
                                 testing_support::ShellQuote(path_));
    }
    static void TearDownTestSuite() { folder_.reset(); }
    static QString large() { return QString::fromStdString(path_); }
    static inline std::unique_ptr<testing_support::TempFolder> folder_;
    static inline std::string path_;
};

}  // namespace

TEST_F(OpeningInStepsTest, TheFirstImageAtOnceThenTheRestAndACommandSeesThemAll) {
    ASSERT_GT(QFileInfo(large()).size(), qint64(2 << 20));
    window().setOpeningSlice(std::chrono::milliseconds(0));
    ASSERT_EQ(window().openFile(large()), 0);
    EXPECT_TRUE(window().opening());
    EXPECT_EQ(doc().countFrames(), 1);
    EXPECT_EQ(doc().selectedFrame, doc().firstFrame);
    EXPECT_TRUE(window().action(kCmdSaveAs)->isEnabled());
    // The event loop brings more; a command meanwhile first reads the rest.
    QElapsedTimer clock;
    clock.start();
    while (doc().countFrames() < 2 && clock.elapsed() < 60000) QApplication::processEvents();
    EXPECT_TRUE(window().opening());
    window().runCommand(kCmdGotoLast);
    EXPECT_FALSE(window().opening());
    EXPECT_EQ(doc().countFrames(), kFrames);
    EXPECT_EQ(ImageLabels(window()).size(), size_t(kFrames));
    EXPECT_EQ(doc().selectedFrame, doc().lastFrame());
    EXPECT_FALSE(doc().modified());
}

TEST_F(OpeningInStepsTest, ClosingDuringTheOpeningLeavesTheRestUnread) {
    ASSERT_EQ(window().openFile(large()), 0);
    ASSERT_TRUE(window().opening());
    EXPECT_TRUE(window().close());
    EXPECT_FALSE(window().opening());
    QApplication::processEvents();  // the stopped timer reads nothing more
    EXPECT_LT(doc().countFrames(), kFrames);
}
