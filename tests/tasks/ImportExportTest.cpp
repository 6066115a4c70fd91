// Files of every kind a user opens, converted to GIF by velmora-cli and compared with what
// ImageMagick or FFmpeg see in the original; and every kind it writes, read back by a peer.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

using ts::PrintTo;

// A picture of the rose at w x h in the format of the file's extension, as ImageMagick
// writes it (`format` may force a variant, like "BMP3:").
std::string Still(const ts::TempFolder& f, const std::string& name, int w, int h,
                  const std::string& options = "", const std::string& format = "") {
    const std::string path = f.file(name);
    ts::ToolSucceeds("convert rose: -resize " + std::to_string(w) + "x" + std::to_string(h) + "! " +
                     options + " " + format + ts::ShellQuote(path));
    return path;
}

struct StillCase {
    const char* label;
    std::function<std::string(const ts::TempFolder&)> make;
    double meanTolerance;  // mean channel difference after reduction to 256 colours
};

const StillCase kStills[] = {
    {"JPEG photo 161x97", [](auto& f) { return Still(f, "photo.jpg", 161, 97); }, 6},
    {"JPEG 1x1", [](auto& f) { return Still(f, "dot.jpg", 1, 1); }, 6},
    {"JPEG 4099x3", [](auto& f) { return Still(f, "wide.jpg", 4099, 3); }, 6},
    {"grey JPEG", [](auto& f) { return Still(f, "grey.jpg", 37, 23, "-colorspace Gray"); }, 3},
    {"progressive JPEG 41x23",
     [](auto& f) { return Still(f, "progressive.jpg", 41, 23, "-interlace JPEG"); }, 6},
    {"CMYK JPEG 3x17", [](auto& f) { return Still(f, "cmyk.jpg", 3, 17, "-colorspace CMYK"); }, 8},
    {"24-bit BMP 13x7", [](auto& f) { return Still(f, "photo.bmp", 13, 7, "", "BMP3:"); }, 3},
    {"8-bit BMP 12x8", [](auto& f) { return Still(f, "pal.bmp", 12, 8, "-colors 200", "BMP3:"); },
     1},
    {"Targa 31x17", [](auto& f) { return Still(f, "photo.tga", 31, 17); }, 6},
    {"icon 32x32", [](auto& f) { return Still(f, "photo.ico", 32, 32); }, 6},
};

class StillImport : public testing::TestWithParam<StillCase> {};

TEST_P(StillImport, ConvertsToAGifShowingThePicture) {
    const ts::TempFolder folder;
    const std::string in = GetParam().make(folder);
    const std::string out = folder.file("out.gif");
    ASSERT_TRUE(ts::CliSucceeds({"convert", in, "-o", out}));
    const auto expected = ts::PeerStillPictures(in);
    const auto got = ts::PeerComposedPictures(out);
    ASSERT_TRUE(expected && got);
    ASSERT_EQ(got->size(), 1u);
    EXPECT_LE(ts::MeanChannelDifference(expected->front(), got->front()), GetParam().meanTolerance);
}

INSTANTIATE_TEST_SUITE_P(Kinds, StillImport, testing::ValuesIn(kStills), ts::ByLabel());

// What velmora-cli writes, read by the peers.
TEST(Exports, JpegAviAndExportAllAreReadByPeersWithThePictures) {
    const ts::TempFolder folder;
    const std::string gif = ts::MakePhotoGif(folder, "photo.gif", 70, 46, 3);
    const auto source = ts::PeerComposedPictures(gif);
    ASSERT_TRUE(source && source->size() == 3u);

    // FFmpeg's GIF of a clip has images smaller than the screen: the AVI holds them as a
    // viewer sees them, composed on the frames before (and reduced again to 256 colours).
    const std::string clip = ts::MakeVideoGif(folder, "clip.gif", "testsrc2", 70, 46, 4);
    const std::string avi = folder.file("out.avi");
    ASSERT_TRUE(ts::CliSucceeds({"convert", clip, "-o", avi}));
    const auto shown = ts::PeerComposedPictures(clip);
    const auto frames = ts::PeerVideoFrames(avi);
    ASSERT_TRUE(shown && frames);
    ASSERT_EQ(frames->size(), shown->size());
    for (size_t i = 0; i < frames->size(); ++i)
        EXPECT_LE(ts::MaxChannelDifference((*shown)[i], (*frames)[i]), 8) << "AVI frame " << i;

    const std::string pattern = folder.file("each.gif");
    ASSERT_TRUE(ts::CliSucceeds({"export-all", gif, pattern}));
    for (int i = 0; i < 3; ++i) {
        const auto one = ts::PeerComposedPictures(folder.file("each" + std::to_string(i) + ".gif"));
        ASSERT_TRUE(one) << i;
        EXPECT_EQ(ts::MaxChannelDifference((*source)[size_t(i)], one->front()), 0) << "GIF " << i;
    }

    // As baseline JPEG, numbered through an indicator, at the quality asked.
    ASSERT_TRUE(ts::CliSucceeds({"export-all", gif, folder.file("img*x.jpg"), "--jpeg", "--quality",
                                 "60", "--indicator", "*"}));
    EXPECT_EQ(ts::RunTool("identify -format '%m %Q %w %[interlace]\\n' " +
                          ts::ShellQuote(folder.file("img0x.jpg")) + " " +
                          ts::ShellQuote(folder.file("img2x.jpg")))
                  .out,
              "JPEG 60 70 None\nJPEG 60 70 None\n");
    EXPECT_FALSE(std::filesystem::exists(folder.file("img3x.jpg")));

    const std::string still = Still(folder, "one.jpg", 70, 46);
    const std::string back = folder.file("back.jpg"), single = folder.file("single.gif");
    ASSERT_TRUE(ts::CliSucceeds({"convert", still, "-o", single}));
    ASSERT_TRUE(ts::CliSucceeds({"convert", single, "-o", back}));
    const auto gifPicture = ts::PeerComposedPictures(single);
    const auto jpegPicture = ts::PeerStillPictures(back);
    ASSERT_TRUE(gifPicture && jpegPicture);
    // A JPEG's own loss at the default quality on a small photo.
    EXPECT_LE(ts::MeanChannelDifference(gifPicture->front(), jpegPicture->front()), 10);
}

// Unoptimised, every image is the whole screen again and shows nearly the same picture
// (reduced again to 255 colours a frame).
TEST(EditAndSave, UnoptimizeMakesWholeFramesOfThePictures) {
    const ts::TempFolder folder;
    const int w = 96, h = 72;
    const std::string in = ts::MakeVideoGif(folder, "clip.gif", "testsrc2", w, h, 20);
    const std::string optimised = folder.file("q1.gif"), out = folder.file("unopt.gif");
    ASSERT_TRUE(ts::CliSucceeds({"optimize", in, "-o", optimised, "-q", "1"}));
    ASSERT_TRUE(ts::CliSucceeds({"unoptimize", optimised, "-o", out}));
    const auto file = ts::GiflibDecode(out);
    const auto before = ts::PeerComposedPictures(optimised);
    const auto after = ts::PeerComposedPictures(out);
    ASSERT_TRUE(file && before && after);
    ASSERT_EQ(after->size(), before->size());
    for (size_t i = 0; i < after->size(); ++i) {
        const ts::PeerImage& image = file->images[i];
        EXPECT_EQ(std::vector<int>({image.left, image.top, image.width, image.height}),
                  std::vector<int>({0, 0, w, h}));
        ASSERT_EQ((*after)[i].pixels.size(), (*before)[i].pixels.size());
        int differing = 0;
        for (size_t p = 0; p < (*after)[i].pixels.size(); ++p)
            differing += (((*after)[i].pixels[p] ^ (*before)[i].pixels[p]) & 0xE0E0E0) != 0;
        EXPECT_LE(differing, w * h / 20) << "frame " << i;
    }
}

// Values that do not exist, and sizes no frame may have, write nothing: usage errors (2),
// or what the engine or the file refuses (1), each with its message.
TEST(Refusals, WriteNothingAndSayWhy) {
    const ts::TempFolder folder;
    const std::string gif = ts::MakePhotoGif(folder, "in.gif", 64, 48, 2);
    const std::string clip = ts::MakeVideo(folder, "clip.avi", "testsrc2", 32, 24, 6, 25);
    ASSERT_FALSE(gif.empty() || clip.empty());
    const std::string never = folder.file("never.gif"), to = " -o " + ts::ShellQuote(never);
    const std::string g = " " + ts::ShellQuote(gif) + to, v = " " + ts::ShellQuote(clip) + to;
    const std::string wxh = "--size needs WxH", fps = "--fps needs a number 0..1000";
    const struct {
        std::string args;
        int status;
        std::string message;
    } cases[] = {
        {"optimize" + g + " --quality 6", 2, ""},
        {"optimize" + g + " --lossy 201", 2, ""},
        {"optimize" + g + " --lossy", 2, ""},
        {"unoptimize" + g + " --lossy 20", 2, ""},
        {"convert" + g + " --lossy x", 2, ""},
        {"dedupe" + g + " --threshold 256", 2, ""},
        {"dedupe " + ts::ShellQuote(gif), 2, ""},
        {"dedupe /nonexistent/file.gif" + to, 1, ""},
        {"convert" + g + ".png --optimize 3", 2, ""},
        {"effect Blind" + g + " --palette fine", 2, "--palette is exact or quality"},
        {"resize" + g + " --size 20000x20000", 1, "Couldn't resize the image(s)"},
        {"resize" + g + " --size 65536x10", 2, wxh},
        {"resize" + g + " --size 10", 2, wxh},
        {"resize" + g + " --size 10x10 --smooth 2", 2, "--smooth needs 0 or 1"},
        {"resize" + g, 2, "missing --size"},
        {"convert" + v + " --fps -1", 2, fps},
        {"convert" + v + " --fps 1001", 2, fps},
        {"convert" + v + " --size 0x0", 2, wxh},
        {"convert" + v + " --size 70000x10", 2, wxh},
        {"convert" + v + " --size 20000x20000", 1,
         "The frame size must be from 1 to 65535 pixels a side."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const ts::ToolResult r = ts::RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(ts::EntriesIn(folder.path()), 2) << "a file was written";
    }
}

// Optimising at the highest quality keeps an effect's pictures and the frames it was made
// from, though a frame that uses all 256 colours has to find a transparent slot.
TEST(EditAndSave, EffectThenOptimiseKeepsEveryComposedPicture) {
    const ts::TempFolder folder;
    const std::string gif = ts::MakeVideoGif(folder, "clip.gif", "testsrc2", 80, 60, 4, true);
    const std::string withEffect = folder.file("effect.gif"), optimised = folder.file("opt.gif");
    ASSERT_TRUE(ts::CliSucceeds(
        {"effect", "Blind", gif, "-o", withEffect, "--frame", "1", "--frames", "3"}));
    ASSERT_TRUE(ts::CliSucceeds({"optimize", withEffect, "-o", optimised, "--quality", "1"}));
    const auto source = ts::PeerComposedPictures(gif);
    const auto before = ts::PeerTimelineOf(withEffect);
    const auto after = ts::PeerTimelineOf(optimised);
    ASSERT_TRUE(source && before && after);
    ASSERT_EQ(before->pictures.size(), 7u);
    // Frames repeating the one before may be merged: every moment shows the same.
    EXPECT_EQ(after->length, before->length);
    for (size_t i = 0; i < before->pictures.size(); ++i) {
        EXPECT_EQ(ts::MaxChannelDifference(before->pictures[i], after->at(before->starts[i])), 0)
            << "frame " << i;
    }
    // The effect's three frames follow the second frame (--frame counts from 0).
    EXPECT_EQ(ts::MaxChannelDifference((*source)[1], before->pictures[1]), 0);
    EXPECT_EQ(ts::MaxChannelDifference((*source)[2], before->pictures[5]), 0);
}

}  // namespace
