// Resizing with velmora-cli against ImageMagick resizing the same composed pictures: odd
// sizes, smaller and larger, smooth and plain, and a clip of partial frames at offsets.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

struct ResizeCase {
    const char* what;
    int width, height, frames;  // the input
    int newWidth, newHeight;
    bool smooth;
    bool video;            // FFmpeg testsrc2: frames after the first cropped to their changes
    double meanTolerance;  // mean channel difference from ImageMagick's resize
};

// ImageMagick's picture of the input resized: -resize (a filter) for the smooth form,
// -sample (nearest pixel) for the plain one.
std::vector<ts::ComposedPicture> PeerResized(const ts::TempFolder& folder, const std::string& gif,
                                             int w, int h, bool smooth) {
    const std::string out = folder.file("expected.miff");
    const std::string size = std::to_string(w) + "x" + std::to_string(h) + "!";
    const ts::ToolResult r =
        ts::RunTool("convert " + ts::ShellQuote(gif) + " -coalesce " +
                    (smooth ? "-resize " : "-sample ") + size + " +repage " + ts::ShellQuote(out));
    EXPECT_EQ(r.status, 0) << r.err;
    return ts::PeerStillPictures(out).value_or(std::vector<ts::ComposedPicture>{});
}

TEST(Resize, EveryFrameAndTheScreenTakeTheNewSize) {
    const ResizeCase cases[] = {
        // Our box average and linear ramp against ImageMagick's filters, after a
        // 256-colour reduction: a few levels apart on average, more where partial frames
        // land on rounded rows of sharp content; a wrong picture is 40 and more.
        {"photo halved, smooth", 200, 150, 3, 100, 75, true, false, 8.0},
        {"photo halved, plain", 200, 150, 3, 100, 75, false, false, 12.0},
        {"prime sides to other primes", 97, 61, 2, 41, 23, true, false, 24.0},
        {"small enlarged five times", 12, 8, 2, 60, 40, true, false, 24.0},
        {"small enlarged, plain", 12, 8, 2, 60, 40, false, false, 14.0},
        {"one pixel to a strip", 1, 1, 2, 7, 3, true, false, 4.0},
        {"clip with partial frames", 200, 150, 4, 120, 90, true, true, 18.0},
        {"clip with partial frames, plain", 200, 150, 4, 120, 90, false, true, 22.0},
    };
    for (const ResizeCase& c : cases) {
        SCOPED_TRACE(c.what);
        const ts::TempFolder folder;
        const std::string input =
            c.video ? ts::MakeVideoGif(folder, "in.gif", "testsrc2", c.width, c.height, c.frames)
                    : ts::MakePhotoGif(folder, "in.gif", c.width, c.height, c.frames);
        ASSERT_FALSE(input.empty());
        const std::string out = folder.file("out.gif");
        ASSERT_TRUE(ts::CliSucceeds({"resize", input, "-o", out, "--size",
                                     std::to_string(c.newWidth) + "x" + std::to_string(c.newHeight),
                                     "--smooth", c.smooth ? "1" : "0"}));
        const auto file = ts::GiflibDecode(out), before = ts::GiflibDecode(input);
        ASSERT_TRUE(file && before) << "giflib refuses a file";
        EXPECT_EQ(std::make_pair(file->screenWidth, file->screenHeight),
                  std::make_pair(c.newWidth, c.newHeight));
        ASSERT_EQ(file->images.size(), size_t(c.frames));
        // Each frame's rectangle scales with the screen, to within the rounding of a side.
        const double sx = double(c.newWidth) / c.width, sy = double(c.newHeight) / c.height;
        bool partial = false;
        for (size_t i = 0; i < file->images.size(); ++i) {
            SCOPED_TRACE("frame " + std::to_string(i));
            const ts::PeerImage &was = before->images[i], &is = file->images[i];
            partial = partial || was.width < c.width || was.height < c.height;
            EXPECT_NEAR(is.left, was.left * sx, 1.0);
            EXPECT_NEAR(is.top, was.top * sy, 1.0);
            EXPECT_NEAR(is.width, was.width * sx, 1.5);
            EXPECT_NEAR(is.height, was.height * sy, 1.5);
            EXPECT_LE(is.left + is.width, c.newWidth);
            EXPECT_LE(is.top + is.height, c.newHeight);
        }
        EXPECT_EQ(partial, c.video) << "the clip's frames after the first are partial";
        if (!c.smooth) {
            // Nearest pixel: no colour that the input did not have.
            std::set<uint32_t> had;
            for (const ts::PeerImage& image : before->images)
                for (const uint8_t i : image.indexes) had.insert(image.colours.at(i));
            for (const ts::PeerImage& image : file->images)
                for (const uint8_t i : image.indexes)
                    ASSERT_TRUE(had.count(image.colours.at(i))) << "a new colour appeared";
        }

        const auto pictures = ts::PeerComposedPictures(out);
        ASSERT_TRUE(pictures.has_value());
        const std::vector<ts::ComposedPicture> expected =
            PeerResized(folder, input, c.newWidth, c.newHeight, c.smooth);
        ASSERT_EQ(pictures->size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_LT(ts::MeanChannelDifference((*pictures)[i], expected[i]), c.meanTolerance)
                << "frame " << i;
    }
}

}  // namespace
