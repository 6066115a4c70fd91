// velmora-cli banner as users run it; its GIFs decoded with giflib. Colour reduction
// keeps colours on its finest grid, so white comes back as 254, 254, 254.
#if VELMORA_TEXTCANVAS
#include <gtest/gtest.h>

#include <filesystem>

#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// Every pixel of every frame of a banner GIF as 0x00RRGGBB (each frame covers the screen).
std::vector<std::vector<uint32_t>> Frames(const std::string& path) {
    std::vector<std::vector<uint32_t>> frames;
    if (const auto file = ts::GiflibDecode(path))
        for (const ts::PeerImage& image : file->images) frames.push_back(ts::ImageColours(image));
    return frames;
}

TEST(BannerCliTest, OneFrameIsCentredAndOptionsReachTheDrawing) {
    const ts::TempFolder folder;
    const ts::ToolResult r =
        ts::RunCli("banner 'Mid' -o " + ts::ShellQuote(folder.file("one.gif")) +
                   " --frames 1 --width 200 --height 60 --shadow 0 --text-color 0000FF "
                   "--background FFFF00 --size 30 --bold 0");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto frames = Frames(folder.file("one.gif"));
    ASSERT_EQ(frames.size(), 1u);
    ASSERT_EQ(frames[0].size(), 200u * 60u);
    int left = 200, right = -1, top = -1, bottom = -1;
    for (size_t i = 0; i < frames[0].size(); ++i) {
        ASSERT_TRUE(frames[0][i] == 0x0000FE || frames[0][i] == 0xFEFE00)
            << std::hex << frames[0][i];
        if (frames[0][i] != 0x0000FE) continue;
        left = std::min(left, int(i % 200));
        right = std::max(right, int(i % 200));
        top = top < 0 ? int(i / 200) : top;
        bottom = int(i / 200);
    }
    // The advance width is centred; the ink lies within a few pixels of that.
    ASSERT_GE(right, 0);
    EXPECT_NEAR(left, 199 - right, 6);
    EXPECT_NEAR(top, 59 - bottom, 10);
}

TEST(BannerCliTest, RefusalsAndAnEmptyText) {
    const ts::TempFolder folder;
    const std::string out = " -o " + ts::ShellQuote(folder.file("x.gif"));
    const struct {
        std::string args;
        int status;
        const char* says;
    } runs[] = {
        {"'x'" + out + " --width 2049", 1,
         "Information: The 'Image Width' value must be in the range from 1 to 2048"},
        {"'x'" + out + " --thickness 21", 1,
         "The 'Shadow Thickness' value must be in the range from 0 to 20"},
        {"'x'" + out + " --shadow 2", 2, ""},
        {"'x'" + out + " --text-color red", 2, ""},
        {"'x'", 2, ""},
        {"'x'" + out + " --nonsense 1", 2, ""},
        {"''" + out + " --frames 2", 0, "There is no Banner Text."},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.args);
        const ts::ToolResult r = ts::RunCli("banner " + run.args);
        EXPECT_EQ(r.status, run.status) << r.err;
        EXPECT_NE(r.err.find(run.says), std::string::npos) << r.err;
        EXPECT_EQ(std::filesystem::exists(folder.file("x.gif")), run.status == 0);
    }
    // The empty text gives plain frames.
    const auto frames = Frames(folder.file("x.gif"));
    ASSERT_EQ(frames.size(), 2u);
    for (const auto& frame : frames)
        for (const uint32_t c : frame) ASSERT_EQ(c, 0xFEFEFEu);
}

}  // namespace
#endif
