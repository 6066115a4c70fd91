// velmora-cli banner run as its own process; its GIFs are decoded with giflib and the
// text is followed on the decoded pixels. Colour reduction keeps colours on its finest
// grid, so white comes back as 254, 254, 254.
#if VELMORA_TEXTCANVAS
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "banner/GuiApplication.h"
#include "textcanvas/QtTextCanvas.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kWhite = 0xFEFEFE;

struct CliRun {
    int status = -1;
    std::string err;
};

// One decoded frame as 0x00RRGGBB pixels (every banner frame covers the screen).
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

class BannerCliTest : public ::testing::Test {
  protected:
    static fs::path dir;
    static void SetUpTestSuite() {
        dir = fs::temp_directory_path() / ("velmora_banner_cli_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    static void TearDownTestSuite() { fs::remove_all(dir); }

    static CliRun Cli(const std::string& args) {
        const fs::path err = dir / "stderr.txt";
        const std::string cmd = std::string("'") + VELMORA_CLI_PATH + "' banner " + args +
                                " >/dev/null 2>'" + err.string() + "'";
        CliRun r;
        const int raw = std::system(cmd.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        std::ifstream in(err);
        std::stringstream s;
        s << in.rdbuf();
        r.err = s.str();
        return r;
    }
    static std::string Out(const std::string& name) { return "'" + (dir / name).string() + "'"; }

    static std::vector<Picture> Decode(const fs::path& p) {
        std::vector<Picture> frames;
        int error = 0;
        GifFileType* gif = DGifOpenFileName(p.c_str(), &error);
        if (!gif) return frames;
        if (DGifSlurp(gif) == GIF_OK) {
            for (int i = 0; i < gif->ImageCount; ++i) {
                const SavedImage& image = gif->SavedImages[i];
                const ColorMapObject* map =
                    image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
                Picture picture;
                picture.width = image.ImageDesc.Width;
                picture.height = image.ImageDesc.Height;
                for (int k = 0; k < picture.width * picture.height; ++k) {
                    const GifColorType c = map->Colors[image.RasterBits[k]];
                    picture.pixels.push_back((uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) |
                                             uint32_t(c.Blue));
                }
                frames.push_back(std::move(picture));
            }
        }
        DGifCloseFile(gif, &error);
        return frames;
    }

    // Columns holding the text colour (pure black): first and last, -1 when none.
    static std::pair<int, int> TextColumns(const Picture& p) {
        int first = -1, last = -1;
        for (int x = 0; x < p.width; ++x)
            for (int y = 0; y < p.height; ++y)
                if (p.at(x, y) == 0x000000) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
    static bool AllBackground(const Picture& p) {
        for (uint32_t c : p.pixels)
            if (c != kWhite) return false;
        return true;
    }
};

fs::path BannerCliTest::dir;

TEST_F(BannerCliTest, TextEntersFromTheRightAndHasLeftOnTheLeft) {
    const CliRun r = Cli("'Velmora' -o " + Out("scroll.gif") + " --frames 12");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Picture> frames = Decode(dir / "scroll.gif");
    ASSERT_EQ(frames.size(), 12u);
    for (const Picture& p : frames) {
        ASSERT_EQ(p.width, 140);
        ASSERT_EQ(p.height, 80);
    }
    // Frame 0: the text is still beyond the right edge; last frame: gone past the left.
    EXPECT_TRUE(AllBackground(frames.front()));
    EXPECT_TRUE(AllBackground(frames.back()));
    // In between it moves left, first seen at the right edge, last seen at the left.
    const auto firstSeen = TextColumns(frames[1]);
    ASSERT_GE(firstSeen.first, 0);
    EXPECT_GT(firstSeen.first, 70);
    EXPECT_EQ(firstSeen.second, 139);
    const auto lastSeen = TextColumns(frames[10]);
    ASSERT_GE(lastSeen.first, 0);
    EXPECT_EQ(lastSeen.first, 0);
    EXPECT_LT(lastSeen.second, 70);
    // Frame k puts the text at x = 140 - k * step / 11 with step = 140 + max(tw + 9 + 8,
    // tw + 16): its ink stays inside [x, x + tw) (a pixel of overhang allowed).
    NeedGuiApplication();
    QtTextCanvas canvas;
    ASSERT_TRUE(canvas.Begin(1, 1));
    canvas.SelectFont(BannerFont{});
    const int tw = canvas.MeasureText("Velmora").width;
    const int step = 140 + std::max(tw + 17, tw + 16);
    for (size_t k = 1; k + 1 < frames.size(); ++k) {
        const int x = 140 - int(k) * step / 11;
        const auto [left, right] = TextColumns(frames[k]);
        if (x >= 140 || x + tw <= 0) {
            EXPECT_EQ(left, -1) << "frame " << k;
            continue;
        }
        ASSERT_GE(left, 0) << "frame " << k;
        EXPECT_GE(left, std::max(0, x - 1)) << "frame " << k;
        EXPECT_LE(right, std::min(139, x + tw)) << "frame " << k;
        EXPECT_LE(left, std::max(0, x) + 8) << "frame " << k;
    }
}

TEST_F(BannerCliTest, OneFrameIsCentredAndOptionsReachTheDrawing) {
    const CliRun r = Cli("'Mid' -o " + Out("one.gif") +
                         " --frames 1 --width 200 --height 60 --shadow 0 --text-color 0000FF "
                         "--background FFFF00 --size 30 --bold 0");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Picture> frames = Decode(dir / "one.gif");
    ASSERT_EQ(frames.size(), 1u);
    const Picture& p = frames[0];
    ASSERT_EQ(p.width, 200);
    ASSERT_EQ(p.height, 60);
    int left = -1, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const uint32_t c = p.at(x, y);
            ASSERT_TRUE(c == 0x0000FE || c == 0xFEFE00) << std::hex << c;
            if (c != 0x0000FE) continue;
            if (left < 0 || x < left) left = x;
            right = std::max(right, x);
            if (top < 0) top = y;
            bottom = y;
        }
    ASSERT_GE(left, 0);
    // The advance width is centred; the ink lies within a few pixels of that.
    EXPECT_NEAR(left, 199 - right, 6);
    EXPECT_NEAR(top, 59 - bottom, 10);
}

TEST_F(BannerCliTest, OutOfRangeValuesAreRefusedWithTheDialogsMessage) {
    CliRun r = Cli("'x' -o " + Out("wide.gif") + " --width 2049");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(
        r.err.find("Information: The 'Image Width' value must be in the range from 1 to 2048"),
        std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(dir / "wide.gif"));
    r = Cli("'x' -o " + Out("thick.gif") + " --thickness 21");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("The 'Shadow Thickness' value must be in the range from 0 to 20"),
              std::string::npos);
    // Usage problems.
    EXPECT_EQ(Cli("'x' -o " + Out("u.gif") + " --shadow 2").status, 2);
    EXPECT_EQ(Cli("'x' -o " + Out("u.gif") + " --text-color red").status, 2);
    EXPECT_EQ(Cli("'x'").status, 2);
    EXPECT_EQ(Cli("'x' -o " + Out("u.gif") + " --intensity 101").status, 2);
    EXPECT_EQ(Cli("'x' -o " + Out("u.gif") + " --nonsense 1").status, 2);
}

TEST_F(BannerCliTest, EmptyTextIsAskedAboutAndGivesPlainFrames) {
    const CliRun r = Cli("'' -o " + Out("empty.gif") + " --frames 2");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("There is no Banner Text."), std::string::npos);
    const std::vector<Picture> frames = Decode(dir / "empty.gif");
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(AllBackground(frames[0]));
    EXPECT_TRUE(AllBackground(frames[1]));
}

}  // namespace
#endif
