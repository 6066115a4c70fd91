// velmora-cli banner as users run it; its GIFs decoded with giflib. Colour reduction
// keeps colours on its finest grid, so white comes back as 254, 254, 254.
#if VELMORA_TEXTCANVAS
#include <gtest/gtest.h>

#include <filesystem>

#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// The frames of a banner GIF as 0x00RRGGBB pictures (every banner frame covers the screen).
std::vector<ts::ComposedPicture> Frames(const std::string& path) {
    std::vector<ts::ComposedPicture> frames;
    const auto file = ts::GiflibDecode(path);
    if (!file) return frames;
    for (const ts::PeerImage& image : file->images) {
        ts::ComposedPicture p{image.width, image.height, {}};
        for (const uint8_t index : image.indexes) p.pixels.push_back(image.colours[index]);
        frames.push_back(std::move(p));
    }
    return frames;
}

// The first and last column holding `colour`; -1 when none does.
std::pair<int, int> Columns(const ts::ComposedPicture& p, uint32_t colour) {
    int first = -1, last = -1;
    for (size_t i = 0; i < p.pixels.size(); ++i) {
        if (p.pixels[i] != colour) continue;
        const int x = int(i % size_t(p.width));
        first = first < 0 ? x : std::min(first, x);
        last = std::max(last, x);
    }
    return {first, last};
}

TEST(BannerCliTest, TextEntersFromTheRightAndHasLeftOnTheLeft) {
    const ts::TempFolder folder;
    const ts::ToolResult r =
        ts::RunCli("banner 'Velmora' -o " + ts::ShellQuote(folder.file("s.gif")) + " --frames 12");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto frames = Frames(folder.file("s.gif"));
    ASSERT_EQ(frames.size(), 12u);
    int previous = 1 << 30;
    for (size_t k = 0; k < frames.size(); ++k) {
        SCOPED_TRACE(k);
        ASSERT_EQ(frames[k].width, 140);
        ASSERT_EQ(frames[k].height, 80);
        const auto [left, right] = Columns(frames[k], 0x000000);
        // In the first frame the text still lies beyond the right edge, in the last
        // beyond the left; between, it enters at the right and leaves at the left.
        if (k == 0 || k == 11) {
            EXPECT_EQ(left, -1);
            continue;
        }
        ASSERT_GE(left, 0);
        EXPECT_TRUE(right < previous || right == 139) << right;  // moving left
        EXPECT_TRUE(k != 1 || right == 139) << right;
        EXPECT_TRUE(k != 10 || left == 0) << left;
        previous = right;
    }
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
    const ts::ComposedPicture& p = frames[0];
    ASSERT_EQ(p.width, 200);
    ASSERT_EQ(p.height, 60);
    int top = -1, bottom = -1;
    for (size_t i = 0; i < p.pixels.size(); ++i) {
        ASSERT_TRUE(p.pixels[i] == 0x0000FE || p.pixels[i] == 0xFEFE00) << std::hex << p.pixels[i];
        if (p.pixels[i] != 0x0000FE) continue;
        if (top < 0) top = int(i) / 200;
        bottom = int(i) / 200;
    }
    // The advance width is centred; the ink lies within a few pixels of that.
    const auto [left, right] = Columns(p, 0x0000FE);
    ASSERT_GE(left, 0);
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
        {"'x'" + out + " --intensity 101", 2, ""},
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
        for (const uint32_t c : frame.pixels) ASSERT_EQ(c, 0xFEFEFEu);
}

}  // namespace
#endif
