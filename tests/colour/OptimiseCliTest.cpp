// velmora-cli optimize and unoptimize on animations FFmpeg makes, checked with giflib.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "colour/OptimiseGiflib.h"

using namespace optimise_test;

namespace {

std::string Temp(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("velmora_optcli_" + std::to_string(::getpid()) + "_" + name))
        .string();
}

int Shell(const std::string& command) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Cli() {
    return std::string("'") + VELMORA_CLI_PATH + "'";
}

class OptimiseCliTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        input = Temp("testsrc2.gif");
        // 20 frames of FFmpeg's test pattern, written by FFmpeg's own GIF encoder.
        ASSERT_EQ(Shell("ffmpeg -loglevel error -y -f lavfi -i testsrc2=size=96x72:rate=10 "
                        "-frames:v 20 '" +
                        input + "'"),
                  0);
    }
    static void TearDownTestSuite() { std::remove(input.c_str()); }
    void TearDown() override {
        for (const std::string& f : outputs) std::remove(f.c_str());
    }
    std::string Output(const std::string& name) {
        outputs.push_back(Temp(name));
        return outputs.back();
    }

    static std::string input;
    std::vector<std::string> outputs;
};
std::string OptimiseCliTest::input;

TEST_F(OptimiseCliTest, OptimizeKeepsThePicturesAtEveryQuality) {
    const auto original = DecodeWithGiflib(input);
    ASSERT_TRUE(original);
    const int screen = original->width * original->height;
    for (int level = 1; level <= 5; ++level) {
        const std::string out = Output("q" + std::to_string(level) + ".gif");
        ASSERT_EQ(Shell(Cli() + " optimize '" + input + "' -o '" + out + "' --quality " +
                        std::to_string(level)),
                  0);
        const auto optimised = DecodeWithGiflib(out);
        ASSERT_TRUE(optimised) << out;
        ASSERT_EQ(optimised->pictures.size(), original->pictures.size());
        const uint32_t mask = QualityMask(level);
        for (size_t i = 0; i < original->pictures.size(); ++i) {
            // Cropping may drop isolated pixels: a few per row at most, far fewer in fact.
            EXPECT_LE(Mismatches(optimised->pictures[i], original->pictures[i], mask), screen / 50)
                << "level " << level << " frame " << i;
        }
    }
}

TEST_F(OptimiseCliTest, UnoptimizeWritesFullScreenOpaqueFrames) {
    const std::string optimised = Output("opt.gif");
    ASSERT_EQ(Shell(Cli() + " optimize '" + input + "' -o '" + optimised + "' --quality 1"), 0);
    const std::string out = Output("unopt.gif");
    ASSERT_EQ(Shell(Cli() + " unoptimize '" + optimised + "' -o '" + out + "'"), 0);
    const auto before = DecodeWithGiflib(optimised);
    const auto after = DecodeWithGiflib(out);
    ASSERT_TRUE(before && after);
    ASSERT_EQ(after->pictures.size(), before->pictures.size());
    for (size_t i = 0; i < after->pictures.size(); ++i) {
        EXPECT_EQ(after->rectangles[i], (std::array<int, 4>{0, 0, after->width, after->height}));
        // Reduced again to at most 255 colours per frame: close, not always exact.
        EXPECT_LE(Mismatches(after->pictures[i], before->pictures[i], 0xE0E0E0),
                  after->width * after->height / 20)
            << "frame " << i;
    }
}

TEST_F(OptimiseCliTest, UsageErrors) {
    const std::string out = Output("never.gif");
    EXPECT_EQ(Shell(Cli() + " optimize '" + input + "' -o '" + out + "' --quality 6"), 2);
    EXPECT_EQ(Shell(Cli() + " optimize '" + input + "' -o '" + out + "' --quality"), 2);
    EXPECT_EQ(Shell(Cli() + " optimize '" + input + "'"), 2);
    EXPECT_EQ(Shell(Cli() + " unoptimize '" + input + "' -o '" + out + "' --quality 2"), 2);
    EXPECT_EQ(Shell(Cli() + " optimize /nonexistent/file.gif -o '" + out + "'"), 1);
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
