// The quality palette through velmora-cli: a clip converted with it stays closer to the
// clip than with the exact rule, and the effects take the choice too.
#include <gtest/gtest.h>

#include <string>

#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

TEST(QualityPalette, AClipConvertedWithItStaysCloserToTheClip) {
    const ts::TempFolder folder;
    const struct {
        const char* name;
        const char* source;
        int w, h;
    } clips[] = {{"pan.mkv", "pan", 160, 120}, {"mandelbrot.mp4", "mandelbrot", 97, 61}};
    for (const auto& clip : clips) {
        SCOPED_TRACE(clip.name);
        const std::string in = ts::MakeVideo(folder, clip.name, clip.source, clip.w, clip.h, 6, 25);
        ASSERT_FALSE(in.empty());
        const auto expected = ts::PeerVideoFrames(in);
        ASSERT_TRUE(expected && expected->size() == 6);
        double error[2] = {0, 0};
        const char* kinds[] = {"exact", "quality"};
        for (int k = 0; k < 2; ++k) {
            const std::string out = folder.file(std::string(kinds[k]) + ".gif");
            const ts::ToolResult r = ts::RunCli({"convert", in, "-o", out, "--palette", kinds[k]});
            ASSERT_EQ(r.status, 0) << r.err;
            const auto got = ts::PeerComposedPictures(out);
            ASSERT_TRUE(got && got->size() == 6);
            for (size_t i = 0; i < 6; ++i)
                error[k] += ts::MeanChannelDifference((*expected)[i], (*got)[i]);
        }
        EXPECT_LT(error[1], error[0]);
    }
}

TEST(QualityPalette, EffectsReduceTheirFramesWithIt) {
    const ts::TempFolder folder;
    const std::string in = ts::MakePhotoGif(folder, "rose.gif", 97, 61, 2);
    ASSERT_FALSE(in.empty());
    std::string files[2];
    const char* kinds[] = {"exact", "quality"};
    for (int k = 0; k < 2; ++k) {
        files[k] = folder.file(std::string(kinds[k]) + ".gif");
        const ts::ToolResult r = ts::RunCli({"transition", "Fade", in, "-o", files[k], "--frames",
                                             "4", "--palette", kinds[k], "--dither", "100"});
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_EQ(ts::GiflibDecode(files[k])->images.size(), 6u);
    }
    EXPECT_NE(ts::ReadBytes(files[0]), ts::ReadBytes(files[1]));
    const ts::ToolResult wrong =
        ts::RunCli({"effect", "Blind", in, "-o", folder.file("x.gif"), "--palette", "fine"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("--palette is exact or quality"), std::string::npos) << wrong.err;
}

// The whole job in one command: rate, size, quality palette, optimised and lossy coding.
TEST(QualityPalette, OneCommandMakesASmallGifOfAClip) {
    const ts::TempFolder folder;
    const std::string in = ts::MakeVideo(folder, "clip.mkv", "testsrc2", 128, 96, 30, 30);
    ASSERT_FALSE(in.empty());
    const std::string plain = folder.file("plain.gif");
    const std::string small = folder.file("small.gif");
    ASSERT_EQ(ts::RunCli({"convert", in, "-o", plain, "--fps", "15", "--size", "64x0", "--palette",
                          "quality"})
                  .status,
              0);
    const ts::ToolResult r =
        ts::RunCli({"convert", in, "-o", small, "--fps", "15", "--size", "64x0", "--palette",
                    "quality", "--optimize", "3", "--lossy", "40"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_LT(ts::ReadBytes(small).size() * 10, ts::ReadBytes(plain).size() * 9);
    const auto expected = ts::PeerComposedPictures(plain);
    const auto got = ts::PeerComposedPictures(small);
    ASSERT_TRUE(expected && got);
    ASSERT_EQ(got->size(), 15u);
    ASSERT_EQ(expected->size(), 15u);
    for (size_t i = 0; i < 15; ++i) {
        EXPECT_EQ((*got)[i].width, 64);
        EXPECT_LE(ts::MeanChannelDifference((*expected)[i], (*got)[i]), 6) << "frame " << i;
    }
    EXPECT_EQ(ts::RunCli({"convert", in, "-o", folder.file("x.png"), "--optimize", "3"}).status, 2);
}

}  // namespace
