// velmora-cli effects / effect / transition, run as a separate process on GIFs made by
// ImageMagick; the results are read back with giflib.
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

#include "effects/EffectRegistry.h"

namespace fs = std::filesystem;

namespace {

struct CliRun {
    int status = -1;
    std::string out, err;
};

class EffectCliTest : public ::testing::Test {
  protected:
    static fs::path dir;

    static void SetUpTestSuite() {
        dir = fs::temp_directory_path() / ("velmora_effect_cli_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        const std::string cmd =
            "convert -size 40x30 gradient:white-black -size 40x30 xc:orange "
            "-size 40x30 xc:teal -loop 0 '" +
            (dir / "in.gif").string() + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    static void TearDownTestSuite() { fs::remove_all(dir); }

    static std::string Slurp(const fs::path& p) {
        std::ifstream in(p);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static CliRun Cli(const std::string& args) {
        const fs::path out = dir / "stdout.txt";
        const fs::path err = dir / "stderr.txt";
        const std::string cmd = std::string("'") + VELMORA_CLI_PATH + "' " + args + " >'" +
                                out.string() + "' 2>'" + err.string() + "'";
        CliRun r;
        const int raw = std::system(cmd.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = Slurp(out);
        r.err = Slurp(err);
        return r;
    }
    static int ImageCount(const fs::path& p) {
        int error = 0;
        GifFileType* gif = DGifOpenFileName(p.c_str(), &error);
        if (!gif) return -1;
        const int count = DGifSlurp(gif) == GIF_OK ? gif->ImageCount : -1;
        DGifCloseFile(gif, &error);
        return count;
    }
    static std::string In() { return "'" + (dir / "in.gif").string() + "'"; }
    static std::string Out(const std::string& name) { return "'" + (dir / name).string() + "'"; }
};

fs::path EffectCliTest::dir;

TEST_F(EffectCliTest, ListsEveryEntryInTableOrder) {
    const CliRun r = Cli("effects");
    ASSERT_EQ(r.status, 0);
    std::string expected;
    for (int i = 0; i < kEffectCount; ++i)
        expected += "E" + std::to_string(i) + " " + EffectTable()[size_t(i)].name + "\n";
    for (int i = 0; i < kTransitionCount; ++i)
        expected += "T" + std::to_string(i) + " " + TransitionTable()[size_t(i)].name + "\n";
    EXPECT_EQ(r.out, expected);
}

TEST_F(EffectCliTest, EveryEntryRunsOrReportsMessage2004) {
    const std::string failure = "An Error occured while calculating the last animation :-(";
    for (bool effect : {true, false}) {
        const int count = effect ? kEffectCount : kTransitionCount;
        for (int i = 0; i < count; ++i) {
            const RegistryEntry* e = FindEntry(effect, i);
            const std::string out = "entry.gif";
            fs::remove(dir / out);
            const CliRun r = Cli(std::string(effect ? "effect" : "transition") + " '" + e->name +
                                 "' " + In() + " -o " + Out(out) + " --frames 4");
            // Either the renderer makes its frames, or (not written yet) it reports 2004
            // and writes nothing; it never crashes.
            if (r.status == 0) {
                // The renderers of this family insert exactly N frames; others may
                // adjust the count (spiral grid, rotor), but always insert some.
                const std::string n = e->name;
                const bool exact = n == "Blur" || n == "Emboss" || n == "Fade" || n == "Fade Out" ||
                                   n == "Invert" || n == "Overblend" || n == "Color Blending" ||
                                   n == "Color Blending Out";
                if (exact)
                    EXPECT_EQ(ImageCount(dir / out), 3 + 4) << e->name;
                else
                    EXPECT_GT(ImageCount(dir / out), 3) << e->name;
            } else {
                EXPECT_EQ(r.status, 1) << e->name;
                EXPECT_NE(r.err.find(failure), std::string::npos) << e->name << ": " << r.err;
                EXPECT_FALSE(fs::exists(dir / out)) << e->name;
            }
        }
    }
}

TEST_F(EffectCliTest, ValidationMessagesAndUsage) {
    CliRun r = Cli("transition blur " + In() + " -o " + Out("x.gif") + " --frames 1");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("At least two frames are required for this transition !"),
              std::string::npos)
        << r.err;
    r = Cli("effect Emboss " + In() + " -o " + Out("x.gif") + " --value2 256");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Parameter out of Range: Valid values for Bias : 0-255"),
              std::string::npos)
        << r.err;
    r = Cli("effect 'fade out' " + In() + " -o " + Out("x.gif") + " --frames 1 --pingpong");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("PingPong requires at least two frames."), std::string::npos) << r.err;
    r = Cli("effect blur " + In() + " -o " + Out("x.gif") + " --pingpong");
    EXPECT_EQ(r.status, 2);
    r = Cli("effect sparkle " + In() + " -o " + Out("x.gif"));
    EXPECT_EQ(r.status, 2);
    // The last frame has no successor for a transition.
    r = Cli("transition fade " + In() + " -o " + Out("x.gif") + " --frame 2");
    EXPECT_EQ(r.status, 1);
}

TEST_F(EffectCliTest, PingPongAndFramePlacement) {
    CliRun r = Cli("effect 'Fade Out' " + In() + " -o " + Out("pp.gif") +
                   " --frames 5 --pingpong --color 0");
    ASSERT_EQ(r.status, 0) << r.err;
    // gradient, F0 F1 F2 F1 F0, orange, teal
    ASSERT_EQ(ImageCount(dir / "pp.gif"), 8);
    int error = 0;
    GifFileType* gif = DGifOpenFileName((dir / "pp.gif").c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    auto pixels = [&](int image) {
        const SavedImage& s = gif->SavedImages[image];
        const ColorMapObject* map = s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap : gif->SColorMap;
        std::vector<int> out;
        for (int i = 0; i < s.ImageDesc.Width * s.ImageDesc.Height; ++i) {
            const GifColorType c = map->Colors[s.RasterBits[i]];
            out.push_back((c.Red << 16) | (c.Green << 8) | c.Blue);
        }
        return out;
    };
    auto uniform = [](const std::vector<int>& p) {
        for (int v : p)
            if (v != p[0]) return false;
        return true;
    };
    EXPECT_EQ(pixels(1), pixels(5));
    EXPECT_EQ(pixels(2), pixels(4));
    EXPECT_TRUE(uniform(pixels(3)));   // the end state: the selected colour
    EXPECT_FALSE(uniform(pixels(1)));  // still the gradient, partly faded
    EXPECT_TRUE(uniform(pixels(6)));   // the orange frame follows the group
    EXPECT_NE(pixels(6)[0], pixels(3)[0]);
    DGifCloseFile(gif, &error);
}

}  // namespace
