// A clip turned into the GIF people share: fewer frames per second picked by their time,
// a smaller size scaled smoothly, the clip's length kept.
#include <gtest/gtest.h>

#include <string>

#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

std::string Q(const std::string& word) {
    return ts::ShellQuote(word);
}

TEST(VideoRateAndSize, FramesArePickedByTimeAndScaledWhileTheClipKeepsItsLength) {
    const ts::TempFolder folder;
    const std::string thirty = ts::MakeVideo(folder, "thirty.mp4", "testsrc2", 64, 48, 90, 30);
    const std::string sixty = ts::MakeVideo(folder, "sixty.mkv", "testsrc2", 64, 48, 60, 60);
    ASSERT_FALSE(thirty.empty() || sixty.empty());
    const struct {
        const char* clip;
        const char* options;
        int frames, width, height;
        int everyNth;  // kept frame k is the clip's frame k * everyNth; 0: not checked
        int length;    // hundredths of a second
    } cases[] = {
        {"thirty.mp4", "", 90, 64, 48, 1, 300},
        {"thirty.mp4", "--fps 15", 45, 64, 48, 2, 300},
        {"thirty.mp4", "--fps 10", 30, 64, 48, 3, 300},
        {"thirty.mp4", "--fps 7", 21, 64, 48, 0, 300},
        {"thirty.mp4", "--fps 30", 90, 64, 48, 1, 300},
        {"thirty.mp4", "--fps 60", 90, 64, 48, 1, 300},  // never more than the clip has
        {"thirty.mp4", "--fps 15 --reverse", 45, 64, 48, 0, 300},
        {"sixty.mkv", "", 50, 64, 48, 0, 100},  // the clip's own rate, up to 50
        {"sixty.mkv", "--fps 20", 20, 64, 48, 3, 100},
        {"thirty.mp4", "--size 32x0", 90, 32, 24, 1, 300},
        {"thirty.mp4", "--size 0x30 --fps 15", 45, 40, 30, 2, 300},
        {"thirty.mp4", "--size 101x13", 90, 101, 13, 1, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.clip) + " " + c.options);
        const std::string in = folder.file(c.clip);
        const std::string out = folder.file("out.gif");
        const ts::ToolResult r = ts::RunCli("convert " + Q(in) + " -o " + Q(out) + " " + c.options);
        ASSERT_EQ(r.status, 0) << r.err;
        const auto gif = ts::GiflibDecode(out);
        ASSERT_TRUE(gif.has_value());
        EXPECT_EQ(gif->screenWidth, c.width);
        EXPECT_EQ(gif->screenHeight, c.height);
        ASSERT_EQ(gif->images.size(), size_t(c.frames));
        int shown = 0;
        for (const auto& image : gif->images) shown += image.delay;
        EXPECT_EQ(shown, c.length);
        if (c.everyNth == 0) continue;
        // The clip's frames as FFmpeg scales them to that size.
        const std::string scaled = folder.file("scaled.mkv");
        ASSERT_EQ(
            ts::RunTool("ffmpeg -v error -y -i " + Q(in) + " -vf scale=" + std::to_string(c.width) +
                        ":" + std::to_string(c.height) + ":flags=area -c:v ffv1 " + Q(scaled))
                .status,
            0);
        const auto expected = ts::PeerVideoFrames(scaled);
        const auto got = ts::PeerComposedPictures(out);
        ASSERT_TRUE(expected && got);
        for (size_t k = 0; k < got->size(); ++k) {
            const size_t source = k * size_t(c.everyNth);
            ASSERT_LT(source, expected->size());
            EXPECT_LE(ts::MeanChannelDifference((*expected)[source], (*got)[k]), 10)
                << "frame " << k;
        }
    }
}

TEST(VideoRateAndSize, WrongRatesAndSizesAreRefused) {
    const ts::TempFolder folder;
    const std::string in = ts::MakeVideo(folder, "clip.avi", "testsrc2", 32, 24, 6, 25);
    ASSERT_FALSE(in.empty());
    const struct {
        const char* options;
        const char* message;
    } cases[] = {
        {"--fps -1", "--fps needs a number 0..1000"},
        {"--fps fast", "--fps needs a number 0..1000"},
        {"--fps 1001", "--fps needs a number 0..1000"},
        {"--size 0x0", "--size needs WxH"},
        {"--size 32", "--size needs WxH"},
        {"--size 70000x10", "--size needs WxH"},
        {"--size 20000x20000", "The frame size must be from 1 to 65535 pixels a side."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        const std::string out = folder.file("out.gif");
        const ts::ToolResult r = ts::RunCli("convert " + Q(in) + " -o " + Q(out) + " " + c.options);
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(ts::GiflibDecode(out).has_value());
    }
}

}  // namespace
