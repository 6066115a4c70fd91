// The colour reduction as a frame job: pictures that become frames, resizing that
// restarts the reduction, aborting and reducing again.
#include <gtest/gtest.h>

#include <atomic>

#include "colour/ColourReduction.h"
#include "colour/CreateFrameFromPicture.h"
#include "colour/FrameResize.h"
#include "support/TestSupport.h"

namespace {

std::vector<uint32_t> Gradient(int w, int h, uint32_t topByte = 0) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            pixels.push_back(topByte | uint32_t(x * 16 << 16 | y * 16 << 8 | 0x40));
    }
    return pixels;
}

class ReductionJobsTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 2};

    std::vector<std::string> Labels() {
        std::vector<std::string> out;
        for (TreeItem* i = FrameTree::NextEntry(doc.tree.root()); i; i = FrameTree::NextEntry(i)) {
            out.push_back(i->text());
        }
        return out;
    }
};

TEST_F(ReductionJobsTest, APictureBecomesTheFirstFrameAndIsReduced) {
    const auto pixels = Gradient(8, 4, 0xFF000000u);
    ASSERT_EQ(
        CreateFrameFromPicture(doc, pixels.data(), 8, 4, false, "/some/dir/picture.jpg", true), 0);
    EXPECT_EQ(doc.screenWidth, 8);
    EXPECT_EQ(doc.screenHeight, 4);
    EXPECT_EQ(doc.frameCount, 1);
    EXPECT_EQ(host.resizeQuestions(), 0);
    FrameRecord* f = doc.firstFrame;
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f, doc.selectedFrame);
    EXPECT_EQ(doc.selectedItem->text(), "Gif :picture.jpg");
    EXPECT_EQ(f->fileName, "/some/dir/picture.jpg");
    EXPECT_EQ(f->bitsPerPixel, 8);
    f->WaitForReduction();
    ASSERT_TRUE(f->IsPaletteValid());
    EXPECT_EQ(f->transparentIndex, 32u);
    EXPECT_EQ(f->hasLocalPalette, 1);
    // Column by column: (0,0), (0,1), ... then (1,0).
    EXPECT_EQ(f->palette[0].rgb(), 0x000040u);
    EXPECT_EQ(f->palette[1].rgb(), 0x001040u);
    EXPECT_EQ(f->palette[4].rgb(), 0x100040u);
    auto indexes = f->indexPlane();
    EXPECT_EQ(indexes->get(1, 0), 4);
    EXPECT_EQ(indexes->get(7, 3), 31);
    EXPECT_EQ(f->transparencyActive.load(), 0u);
    doc.jobs().WaitIdle();
}

TEST_F(ReductionJobsTest, BottomUpRowsAreTurnedOver) {
    const auto pixels = Gradient(3, 2);
    ASSERT_EQ(CreateFrameFromPicture(doc, pixels.data(), 3, 2, true, "b.bmp", false), 0);
    FrameRecord* f = doc.firstFrame;
    f->WaitForReduction();
    // The last source row is the top row of the frame.
    EXPECT_EQ(f->palette[f->indexPlane()->get(0, 0)].rgb(), pixels[3] & 0xFEFEFEu);
    EXPECT_EQ(f->palette[f->indexPlane()->get(0, 1)].rgb(), pixels[0] & 0xFEFEFEu);
    doc.jobs().WaitIdle();
}

TEST_F(ReductionJobsTest, EmptyPicturesAreRefused) {
    const uint32_t pixel = 0;
    EXPECT_EQ(CreateFrameFromPicture(doc, &pixel, 0, 5, false, "x.jpg", true), -1);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].text, "..in Image Data");
    EXPECT_EQ(host.messages()[0].caption, "Error");
    EXPECT_TRUE(doc.empty());
    EXPECT_EQ(doc.frameCount, 0);
}

TEST_F(ReductionJobsTest, APictureOfAnotherSizeIsResizedOnlyWhenTheUserAgrees) {
    const auto first = Gradient(10, 6);
    ASSERT_EQ(CreateFrameFromPicture(doc, first.data(), 10, 6, false, "one.jpg", true), 0);
    const auto other = Gradient(5, 9);

    host.resizeAnswer = false;
    EXPECT_EQ(CreateFrameFromPicture(doc, other.data(), 5, 9, false, "two.jpg", true), -1);
    EXPECT_EQ(host.resizeQuestions(), 1);
    EXPECT_EQ(doc.countFrames(), 1);

    host.resizeAnswer = true;
    ASSERT_EQ(CreateFrameFromPicture(doc, other.data(), 5, 9, false, "two.jpg", true), 0);
    EXPECT_EQ(host.resizeQuestions(), 2);
    FrameRecord* second = doc.firstFrame->next;
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second, doc.selectedFrame);
    EXPECT_EQ(second->width, 10);
    EXPECT_EQ(second->height, 6);
    second->WaitForReduction();
    EXPECT_TRUE(second->IsPaletteValid());
    EXPECT_EQ(second->indexPlane()->width, 10);

    // Without asking, the picture keeps its own size.
    ASSERT_EQ(CreateFrameFromPicture(doc, other.data(), 5, 9, false, "three.jpg", false), 0);
    EXPECT_EQ(host.resizeQuestions(), 2);
    EXPECT_EQ(doc.selectedFrame->width, 5);
    EXPECT_EQ(doc.selectedFrame->height, 9);
    EXPECT_EQ(Labels(),
              (std::vector<std::string>{"Gif :one.jpg", "Gif :two.jpg", "Gif :three.jpg"}));
    EXPECT_EQ(doc.frameCount, 3);
    doc.jobs().WaitIdle();
}

TEST_F(ReductionJobsTest, WithTheRootSelectedThePictureGoesToTheFrontResizedToTheScreen) {
    const auto first = Gradient(10, 6);
    ASSERT_EQ(CreateFrameFromPicture(doc, first.data(), 10, 6, false, "one.jpg", true), 0);
    doc.globalComments.push_back({"hello"});
    doc.RebuildGlobalCommentEntries();
    doc.selectedItem = doc.tree.root();
    const auto other = Gradient(5, 9);
    ASSERT_EQ(CreateFrameFromPicture(doc, other.data(), 5, 9, false, "front.jpg", true), 0);
    EXPECT_EQ(doc.firstFrame, doc.selectedFrame);
    EXPECT_EQ(doc.firstFrame->next->prev, doc.firstFrame);
    EXPECT_EQ(doc.firstFrame->width, 10);
    EXPECT_EQ(doc.firstFrame->height, 6);
    EXPECT_EQ(Labels(),
              (std::vector<std::string>{"GlobalComment [1]", "Gif :front.jpg", "Gif :one.jpg"}));
    EXPECT_EQ(doc.GetGif(doc.selectedItem), doc.firstFrame);
    doc.RebuildGlobalCommentEntries();
    EXPECT_EQ(Labels(),
              (std::vector<std::string>{"GlobalComment [1]", "Gif :front.jpg", "Gif :one.jpg"}));
    doc.firstFrame->WaitForReduction();
    EXPECT_TRUE(doc.firstFrame->IsPaletteValid());
    doc.jobs().WaitIdle();
}

TEST_F(ReductionJobsTest, AnAbortedReductionLeavesTheFrameUnreducedAndCanRunAgain) {
    const auto pixels = Gradient(16, 16);
    // A body that is told to stop half-way through.
    doc.setReductionBody([](FrameRecord& f) {
        f.abortReduce = 1;
        return ReduceFrame(f);
    });
    ASSERT_EQ(CreateFrameFromPicture(doc, pixels.data(), 16, 16, false, "a.jpg", false), 0);
    FrameRecord* f = doc.firstFrame;
    f->WaitForReduction();
    EXPECT_FALSE(f->IsPaletteValid());
    EXPECT_EQ(f->reduceFinished.load(), 1u);
    ASSERT_NE(f->trueColourPlane(), nullptr);
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), f->trueColourPlane()->data()));

    doc.setReductionBody(DefaultReductionBody());
    StartReduction(*f);
    f->WaitForReduction();
    EXPECT_TRUE(f->IsPaletteValid());
    EXPECT_EQ(f->transparentIndex, 255u);
    doc.jobs().WaitIdle();
}

TEST_F(ReductionJobsTest, TrueColourIsDroppedUnlessKept) {
    const auto pixels = Gradient(4, 4);
    doc.settings.keepTrueColorInfo = false;
    ASSERT_EQ(CreateFrameFromPicture(doc, pixels.data(), 4, 4, false, "a.jpg", false), 0);
    doc.firstFrame->WaitForReduction();
    doc.jobs().WaitIdle();
    EXPECT_EQ(doc.firstFrame->trueColourPlane(), nullptr);
    doc.settings.keepTrueColorInfo = true;
    ASSERT_EQ(CreateFrameFromPicture(doc, pixels.data(), 4, 4, false, "b.jpg", false), 0);
    doc.selectedFrame->WaitForReduction();
    doc.jobs().WaitIdle();
    EXPECT_NE(doc.selectedFrame->trueColourPlane(), nullptr);
}

TEST_F(ReductionJobsTest, SmoothResizeRestartsTheReduction) {
    const auto pixels = Gradient(6, 6);
    ASSERT_EQ(CreateFrameFromPicture(doc, pixels.data(), 6, 6, false, "a.jpg", false), 0);
    FrameRecord* f = doc.firstFrame;
    f->WaitForReduction();
    ASSERT_EQ(Resize(*f, 12, 3, true, true, true), 0);
    EXPECT_EQ(f->width, 12);
    f->WaitForReduction();
    EXPECT_TRUE(f->IsPaletteValid());
    EXPECT_EQ(f->indexPlane()->width, 12);
    EXPECT_EQ(f->indexPlane()->height, 3);
    doc.jobs().WaitIdle();
}

TEST_F(ReductionJobsTest, ManyFramesReduceInParallelToTheSameResult) {
    // Frames reduced side by side on the pool equal a reduction on this thread.
    std::vector<std::vector<uint32_t>> pictures;
    for (int i = 0; i < 12; ++i) {
        std::vector<uint32_t> p;
        for (int k = 0; k < 40 * 30; ++k)
            p.push_back(uint32_t((k * 2654435761u + i * 977u) & 0xFFFFFF));
        pictures.push_back(p);
        ASSERT_EQ(CreateFrameFromPicture(doc, p.data(), 40, 30, false, "f.jpg", false), 0);
    }
    int i = 0;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next, ++i) {
        f->WaitForReduction();
        ASSERT_TRUE(f->IsPaletteValid());
        auto copy = FrameRecord::Construct(doc, nullptr, nullptr);
        copy->width = 40;
        copy->height = 30;
        copy->CreateTrueColourBuffer();
        std::copy(pictures[size_t(i)].begin(), pictures[size_t(i)].end(),
                  copy->trueColourPlane()->data());
        ASSERT_TRUE(ReduceFrame(*copy));
        EXPECT_EQ(copy->palette, f->palette);
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(copy->indexPlane()->get(x, y), f->indexPlane()->get(x, y));
        }
    }
    doc.jobs().WaitIdle();
}

}  // namespace
