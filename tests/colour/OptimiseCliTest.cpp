// velmora-cli optimize and unoptimize on a clip FFmpeg made, as ImageMagick composes the
// files they write.
#include <gtest/gtest.h>

#include <filesystem>

#include "colour/OptimiseTestSupport.h"
#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;
using namespace optimise_test;

namespace {

TEST(OptimiseCliTest, OptimizeAndUnoptimizeKeepThePictures) {
    const ts::TempFolder folder;
    const std::string input = ts::MakeVideoGif(folder, "clip.gif", "testsrc2", 96, 72, 20);
    const auto original = ts::PeerComposedPictures(input);
    ASSERT_TRUE(original);
    const int screen = 96 * 72;
    for (int level = 1; level <= 5; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        const std::string out = folder.file("q" + std::to_string(level) + ".gif");
        const ts::ToolResult r = ts::RunCli("optimize " + ts::ShellQuote(input) + " -o " +
                                            ts::ShellQuote(out) + " -q " + std::to_string(level));
        ASSERT_EQ(r.status, 0) << r.err;
        const auto optimised = ts::PeerComposedPictures(out);
        ASSERT_TRUE(optimised);
        ASSERT_EQ(optimised->size(), original->size());
        // Cropping may drop isolated pixels: a few per row at most, far fewer in fact.
        for (size_t i = 0; i < original->size(); ++i)
            EXPECT_LE(Mismatches((*optimised)[i].pixels, (*original)[i].pixels, QualityMask(level)),
                      screen / 50)
                << "frame " << i;
    }
    // Unoptimised, every image is the whole screen, reduced again to at most 255 colours
    // per frame: close to the optimised pictures, not always exact.
    const std::string optimised = folder.file("q1.gif"), out = folder.file("unopt.gif");
    const ts::ToolResult r =
        ts::RunCli("unoptimize " + ts::ShellQuote(optimised) + " -o " + ts::ShellQuote(out));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto file = ts::GiflibDecode(out);
    const auto before = ts::PeerComposedPictures(optimised);
    const auto after = ts::PeerComposedPictures(out);
    ASSERT_TRUE(file && before && after);
    ASSERT_EQ(after->size(), before->size());
    for (size_t i = 0; i < after->size(); ++i) {
        const ts::PeerImage& image = file->images[i];
        EXPECT_EQ(std::vector<int>({image.left, image.top, image.width, image.height}),
                  std::vector<int>({0, 0, 96, 72}));
        EXPECT_LE(Mismatches((*after)[i].pixels, (*before)[i].pixels, 0xE0E0E0), screen / 20)
            << "frame " << i;
    }
}

TEST(OptimiseCliTest, UsageErrors) {
    const ts::TempFolder folder;
    const std::string in =
        ts::ShellQuote(ts::MakeVideoGif(folder, "in.gif", "testsrc2", 32, 24, 2));
    const std::string out = folder.file("never.gif");
    const std::string to = " -o " + ts::ShellQuote(out);
    const struct {
        std::string args;
        int status;
    } cases[] = {{"optimize " + in + to + " --quality 6", 2},
                 {"optimize " + in + to + " --quality", 2},
                 {"optimize " + in, 2},
                 {"unoptimize " + in + to + " --quality 2", 2},
                 {"optimize " + in + to + " --lossy 201", 2},
                 {"optimize " + in + to + " --lossy -1", 2},
                 {"optimize " + in + to + " --lossy", 2},
                 {"unoptimize " + in + to + " --lossy 20", 2},
                 {"convert " + in + to + " --lossy x", 2},
                 {"dedupe " + in + to + " --threshold 256", 2},
                 {"dedupe " + in + to + " --threshold", 2},
                 {"dedupe " + in, 2},
                 {"dedupe /nonexistent/file.gif" + to, 1},
                 {"optimize /nonexistent/file.gif" + to, 1}};
    for (const auto& c : cases) EXPECT_EQ(ts::RunCli(c.args).status, c.status) << c.args;
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
