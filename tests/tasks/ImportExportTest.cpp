// Files of every kind a user opens, converted to GIF by velmora-cli and compared with what
// ImageMagick or FFmpeg see in the original; and every kind it writes, read back by a peer.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// A picture of the rose at w x h in the format of the file's extension, as ImageMagick
// writes it (`format` may force a variant, like "BMP3:").
std::string Still(const ts::TempFolder& f, const std::string& name, int w, int h,
                  const std::string& options = "", const std::string& format = "") {
    const std::string path = f.file(name);
    const ts::ToolResult r =
        ts::RunTool("convert rose: -resize " + std::to_string(w) + "x" + std::to_string(h) + "! " +
                    options + " " + format + ts::ShellQuote(path));
    EXPECT_EQ(r.status, 0) << r.err;
    return path;
}

struct StillCase {
    const char* label;
    std::function<std::string(const ts::TempFolder&)> make;
    double meanTolerance;  // mean channel difference after reduction to 256 colours
};
void PrintTo(const StillCase& c, std::ostream* out) {
    *out << c.label;
}

const StillCase kStills[] = {
    {"JPEG photo 161x97", [](auto& f) { return Still(f, "photo.jpg", 161, 97); }, 6},
    {"JPEG named .jpeg", [](auto& f) { return Still(f, "photo.jpeg", 64, 48); }, 6},
    {"JPEG named .JPG", [](auto& f) { return Still(f, "PHOTO.JPG", 64, 48); }, 6},
    {"JPEG 1x1", [](auto& f) { return Still(f, "dot.jpg", 1, 1); }, 6},
    {"JPEG 4099x3", [](auto& f) { return Still(f, "wide.jpg", 4099, 3); }, 6},
    {"grey JPEG", [](auto& f) { return Still(f, "grey.jpg", 37, 23, "-colorspace Gray"); }, 3},
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
    const ts::ToolResult c =
        ts::RunCli("convert " + ts::ShellQuote(in) + " -o " + ts::ShellQuote(out));
    ASSERT_EQ(c.signal, 0);
    ASSERT_EQ(c.status, 0) << c.err;
    const auto expected = ts::PeerStillPictures(in);
    const auto got = ts::PeerComposedPictures(out);
    ASSERT_TRUE(expected && got);
    ASSERT_EQ(got->size(), 1u);
    EXPECT_LE(ts::MeanChannelDifference(expected->front(), got->front()), GetParam().meanTolerance);
}

INSTANTIATE_TEST_SUITE_P(Kinds, StillImport, testing::ValuesIn(kStills),
                         [](const auto& info) { return std::to_string(info.index); });

struct VideoCase {
    const char* name;  // the container is the extension
    const char* source;
    int w, h, frames, fps;
};
void PrintTo(const VideoCase& c, std::ostream* out) {
    *out << c.name;
}

const VideoCase kVideos[] = {
    {"clip.avi", "testsrc2", 64, 48, 12, 25}, {"tiny.avi", "testsrc", 12, 8, 6, 25},
    {"odd.mp4", "testsrc", 18, 10, 6, 30},    {"odd.mkv", "mandelbrot", 34, 18, 6, 30},
    {"pan.avi", "pan", 80, 60, 15, 30},       {"clip.webm", "testsrc2", 48, 32, 6, 24},
};

class VideoImport : public testing::TestWithParam<VideoCase> {};

TEST_P(VideoImport, EveryFrameArrivesWithItsTime) {
    const VideoCase& v = GetParam();
    const ts::TempFolder folder;
    const std::string in = ts::MakeVideo(folder, v.name, v.source, v.w, v.h, v.frames, v.fps);
    ASSERT_FALSE(in.empty());
    const std::string out = folder.file("out.gif");
    const ts::ToolResult r =
        ts::RunCli("convert " + ts::ShellQuote(in) + " -o " + ts::ShellQuote(out));
    ASSERT_EQ(r.signal, 0) << r.err;
    ASSERT_EQ(r.status, 0) << r.err;
    const auto file = ts::GiflibDecode(out);
    ASSERT_TRUE(file);
    ASSERT_EQ(int(file->images.size()), v.frames);
    // The clip's length in hundredths, each frame within one hundredth of its own time.
    int total = 0;
    for (const ts::PeerImage& image : file->images) {
        EXPECT_NEAR(image.delay, 100.0 / v.fps, 1.0);
        total += image.delay;
    }
    EXPECT_NEAR(total, 100.0 * v.frames / v.fps, 1.0);
    const auto expected = ts::PeerVideoFrames(in);
    const auto got = ts::PeerComposedPictures(out);
    ASSERT_TRUE(expected && got);
    ASSERT_EQ(expected->size(), got->size());
    for (size_t i = 0; i < got->size(); ++i)
        EXPECT_LE(ts::MeanChannelDifference((*expected)[i], (*got)[i]), 8) << "frame " << i;
}

INSTANTIATE_TEST_SUITE_P(Clips, VideoImport, testing::ValuesIn(kVideos),
                         [](const auto& info) { return std::to_string(info.index); });

// Converting several inputs saves while the reductions of the later ones may still run:
// every image must arrive with its own table and transparency.
TEST(MixedInputs, AGifThenPicturesOfOtherKindsSaveAsOneFileEveryReaderShowsWhole) {
    const ts::TempFolder folder;
    const std::string gif = ts::MakePhotoGif(folder, "photo.gif", 96, 64, 2);
    const std::string bmp = Still(folder, "b.bmp", 96, 64, "-flop", "BMP3:");
    const std::string jpg = Still(folder, "c.jpg", 96, 64, "-flip");
    const std::string out = folder.file("out.gif");
    const ts::ToolResult r =
        ts::RunCli("convert " + ts::ShellQuote(gif) + " " + ts::ShellQuote(bmp) + " " +
                   ts::ShellQuote(jpg) + " -o " + ts::ShellQuote(out));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto file = ts::GiflibDecode(out);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->images.size(), 4u);
    const auto got = ts::PeerComposedPictures(out);
    const auto gifPictures = ts::PeerComposedPictures(gif);
    const auto bmpPicture = ts::PeerStillPictures(bmp), jpgPicture = ts::PeerStillPictures(jpg);
    ASSERT_TRUE(got && gifPictures && bmpPicture && jpgPicture);
    ASSERT_EQ(got->size(), 4u);
    EXPECT_EQ(ts::MaxChannelDifference((*gifPictures)[0], (*got)[0]), 0);
    EXPECT_EQ(ts::MaxChannelDifference((*gifPictures)[1], (*got)[1]), 0);
    EXPECT_LE(ts::MeanChannelDifference(bmpPicture->front(), (*got)[2]), 6);
    EXPECT_LE(ts::MeanChannelDifference(jpgPicture->front(), (*got)[3]), 6);
}

// What velmora-cli writes, read by the peers.
TEST(Exports, JpegAviAndExportAllAreReadByPeersWithThePictures) {
    const ts::TempFolder folder;
    const std::string gif = ts::MakePhotoGif(folder, "photo.gif", 70, 46, 3);
    const auto source = ts::PeerComposedPictures(gif);
    ASSERT_TRUE(source && source->size() == 3u);

    const std::string avi = folder.file("out.avi");
    ASSERT_EQ(ts::RunCli("convert " + ts::ShellQuote(gif) + " -o " + ts::ShellQuote(avi)).status,
              0);
    const auto frames = ts::PeerVideoFrames(avi);
    ASSERT_TRUE(frames);
    ASSERT_EQ(frames->size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(ts::MaxChannelDifference((*source)[i], (*frames)[i]), 0) << "AVI frame " << i;

    const std::string pattern = folder.file("each.gif");
    ASSERT_EQ(
        ts::RunCli("export-all " + ts::ShellQuote(gif) + " " + ts::ShellQuote(pattern)).status, 0);
    for (int i = 0; i < 3; ++i) {
        const auto one = ts::PeerComposedPictures(folder.file("each" + std::to_string(i) + ".gif"));
        ASSERT_TRUE(one) << i;
        EXPECT_EQ(ts::MaxChannelDifference((*source)[size_t(i)], one->front()), 0) << "GIF " << i;
    }

    const std::string still = Still(folder, "one.jpg", 70, 46);
    const std::string back = folder.file("back.jpg");
    const std::string single = folder.file("single.gif");
    ASSERT_EQ(
        ts::RunCli("convert " + ts::ShellQuote(still) + " -o " + ts::ShellQuote(single)).status, 0);
    ASSERT_EQ(
        ts::RunCli("convert " + ts::ShellQuote(single) + " -o " + ts::ShellQuote(back)).status, 0);
    const auto gifPicture = ts::PeerComposedPictures(single);
    const auto jpegPicture = ts::PeerStillPictures(back);
    ASSERT_TRUE(gifPicture && jpegPicture);
    // A JPEG's own loss at the default quality on a small photo.
    EXPECT_LE(ts::MeanChannelDifference(gifPicture->front(), jpegPicture->front()), 10);
}

// Optimising keeps the pictures at the highest quality; an effect inserted before does
// not change the frames it was made from.
// A frame of this clip uses all 256 colours: it may take only a colour that repeats the
// screen as its transparent slot.
TEST(EditAndSave, EffectThenOptimiseKeepsEveryComposedPicture) {
    const ts::TempFolder folder;
    const std::string gif = ts::MakeVideoGif(folder, "clip.gif", "testsrc2", 80, 60, 4, true);
    const std::string withEffect = folder.file("effect.gif"), optimised = folder.file("opt.gif");
    ASSERT_EQ(ts::RunCli("effect Blind " + ts::ShellQuote(gif) + " -o " +
                         ts::ShellQuote(withEffect) + " --frame 1 --frames 3")
                  .status,
              0);
    ASSERT_EQ(ts::RunCli("optimize " + ts::ShellQuote(withEffect) + " -o " +
                         ts::ShellQuote(optimised) + " --quality 1")
                  .status,
              0);
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
