// Playing honours the animation's loop count and plays at the speed chosen in the toolbar,
// which changes neither the file nor the document. The test steps playback itself
// (the frames' delays are long enough that the timer never fires meanwhile).

#include <QComboBox>

#include "shell/Playback.h"
#include "support/PeerReaders.h"
#include "support/qt/EditorTestSupport.h"

using namespace editor_testing;
using namespace testing_support;

namespace {

class PlaybackTest : public EditorTest {
  protected:
    // Three photo frames with 30 s delays, made by ImageMagick with `-loop iterations`.
    std::string photoGif(int iterations) {
        if (photo_.empty()) photo_ = MakePhotoGif(folder, "rose.gif", 97, 61, 3);
        const std::string& photo = photo_;
        const std::string path = folder.file("loop" + std::to_string(iterations) + ".gif");
        const ToolResult r =
            RunTool("convert " + ShellQuote(photo) + " -loop " + std::to_string(iterations) +
                    " -set delay 3000 " + ShellQuote(path));
        EXPECT_EQ(r.status, 0) << r.err;
        return path;
    }
    int frameNumber(FrameRecord* f) {
        int n = 0;
        for (FrameRecord* g = doc().firstFrame; g && g != f; g = g->next) ++n;
        return n;
    }
    Playback& playback() { return window().playback(); }
    std::string photo_;
};

// The loop count as ImageMagick means it: `-loop K` plays the animation K times (it
// writes K - 1 into the file, the times a viewer goes back to the start).
TEST_F(PlaybackTest, LoopCountStopsPlayingOnTheLastImage) {
    const struct {
        int iterations;          // ImageMagick's -loop
        int start;               // frame selected when Ctrl+P is pressed
        std::vector<int> shown;  // frames shown step by step
        bool stillPlaying;
    } cases[] = {
        {2, 0, {1, 2, 0, 1, 2}, false},
        // Started on the last image, the first pass begins with the first.
        {2, 2, {0, 1, 2, 0, 1, 2}, false},
        // 0: for ever.
        {0, 0, {1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.iterations * 10 + c.start);
        const std::string gif = photoGif(c.iterations);
        const auto peer = GiflibDecode(gif);
        ASSERT_TRUE(peer);
        ASSERT_EQ(peer->loop, std::max(0, c.iterations - 1));
        ASSERT_TRUE(editor.open(QString::fromStdString(gif)));
        ASSERT_EQ(doc().countFrames(), 3);
        FrameRecord* start = doc().firstFrame;
        for (int i = 0; i < c.start; ++i) start = start->next;
        window().selectEntry(doc().EntryOfFrame(start));
        ASSERT_TRUE(Activate(window()));
        QTest::keyClick(&window(), Qt::Key_P, Qt::ControlModifier);
        ASSERT_TRUE(playback().playing());

        std::vector<int> shown;
        for (int step = 0; step < 13 && playback().playing(); ++step) {
            playback().tick();
            if (playback().playing()) shown.push_back(frameNumber(doc().selectedFrame));
        }
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(playback().playing(), c.stillPlaying);
        EXPECT_EQ(editor.enabled(kCmdStopAnimation), c.stillPlaying);
        if (!c.stillPlaying) {
            EXPECT_EQ(doc().selectedFrame, doc().lastFrame());
        }
        playback().stop();
        window().runCommand(kCmdNew);
    }
}

TEST_F(PlaybackTest, SpeedChangesOnlyThePlaying) {
    const std::string gif = photoGif(0);
    ASSERT_TRUE(editor.open(QString::fromStdString(gif)));
    auto* speed = window().findChild<QComboBox*>(QStringLiteral("playSpeed"));
    ASSERT_NE(speed, nullptr);
    EXPECT_EQ(speed->currentText(), "100%");
    EXPECT_EQ(Playback::IntervalFor(0), 10);  // a delay of 0 still shows for 10 ms
    // 30 s a frame at the file's own speed.
    const struct {
        Qt::Key key;
        const char* speed;
        int milliseconds;
    } choices[] = {
        {Qt::Key_Home, "25%", 120000},
        {Qt::Key_End, "400%", 7500},
        {Qt::Key_Up, "300%", 10000},
    };
    for (const auto& c : choices) {
        SCOPED_TRACE(c.speed);
        QTest::keyClick(speed, c.key);
        EXPECT_EQ(speed->currentText(), c.speed);
        EXPECT_EQ(playback().intervalInForce(), c.milliseconds);
    }

    // Playing at 300%: nothing to save, nothing to undo, the delays stay.
    ASSERT_TRUE(Activate(window()));
    QTest::keyClick(&window(), Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(playback().playing());
    for (int i = 0; i < 4; ++i) playback().tick();
    EXPECT_EQ(playback().intervalInForce(), 10000);
    QTest::keyClick(&window(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_FALSE(playback().playing());
    EXPECT_FALSE(doc().modified());
    EXPECT_FALSE(window().windowTitle().contains('*')) << window().windowTitle().toStdString();
    EXPECT_FALSE(editor.enabled(kCmdUndo));
    for (FrameRecord* f = doc().firstFrame; f; f = f->next) EXPECT_EQ(f->delay, 3000u);
}

}  // namespace
