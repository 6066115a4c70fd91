// The colour reduction as a frame job: empty pictures refused, aborting and reducing
// again, many frames at once.
#include <gtest/gtest.h>

#include "colour/ColourReduction.h"
#include "colour/CreateFrameFromPicture.h"
#include "support/GifBuilder.h"
#include "support/TestSupport.h"

namespace {

std::vector<uint32_t> Gradient(int w, int h, uint32_t topByte = 0) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels.push_back(topByte | uint32_t(x * 16 << 16 | y * 16 << 8 | 0x40));
    return pixels;
}

class ReductionJobsTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 2};

    ~ReductionJobsTest() override { doc.jobs().WaitIdle(); }
    int Add(const std::vector<uint32_t>& pixels, int w, int h, const char* name, bool askResize,
            bool bottomUp = false) {
        return CreateFrameFromPicture(doc, pixels.data(), w, h, bottomUp, name, askResize);
    }
};

TEST_F(ReductionJobsTest, EmptyPicturesAreRefused) {
    EXPECT_EQ(Add({0}, 0, 5, "x.jpg", true), -1);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].text, "..in Image Data");
    EXPECT_EQ(host.messages()[0].caption, "Error");
    EXPECT_TRUE(doc.empty());
}

TEST_F(ReductionJobsTest, AnAbortedReductionLeavesTheFrameUnreducedAndCanRunAgain) {
    const auto pixels = Gradient(16, 16);
    // A body that is told to stop half-way through.
    doc.setReductionBody([](FrameRecord& f) {
        f.abortReduce = 1;
        return ReduceFrame(f);
    });
    ASSERT_EQ(Add(pixels, 16, 16, "a.jpg", false), 0);
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
}

TEST_F(ReductionJobsTest, ManyFramesReduceInParallelToTheSameResult) {
    // Frames reduced side by side on the pool equal a reduction on this thread; the
    // last picture is upside down in its buffer.
    std::vector<std::vector<uint32_t>> pictures;
    for (int i = 0; i < 12; ++i) {
        std::vector<uint32_t> p;
        for (int k = 0; k < 40 * 30; ++k)
            p.push_back(uint32_t((k * 2654435761u + i * 977u) & 0xFFFFFF));
        pictures.push_back(p);
        ASSERT_EQ(Add(p, 40, 30, "f.jpg", false, i == 11), 0);
    }
    int i = 0;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next, ++i) {
        f->WaitForReduction();
        ASSERT_TRUE(f->IsPaletteValid());
        auto copy = FrameRecord::Construct(doc, nullptr, nullptr);
        copy->width = 40;
        copy->height = 30;
        copy->CreateTrueColourBuffer();
        for (int y = 0; y < 30; ++y) {
            const int from = i == 11 ? 29 - y : y;
            std::copy_n(pictures[size_t(i)].begin() + from * 40, 40,
                        copy->trueColourPlane()->data() + y * 40);
        }
        ASSERT_TRUE(ReduceFrame(*copy));
        EXPECT_EQ(copy->palette, f->palette);
        EXPECT_EQ(gif_test::FramePixels(*copy), gif_test::FramePixels(*f)) << i;
    }
}

}  // namespace
