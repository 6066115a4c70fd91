// The quality palette on a photo, against the photo itself: closer than the exact rule,
// reserved colours kept, transparent pixels kept, an abort leaving the frame alone.
#include "colour/QualityReduction.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "colour/ColourReduction.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

class QualityReductionTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 1};
    ts::TempFolder folder;

    // A frame holding ImageMagick's rose at w x h as its true-colour plane; pixels where
    // `hole` says so are transparent.
    std::unique_ptr<FrameRecord> Photo(int w, int h, bool (*hole)(int, int) = nullptr) {
        const auto still = ts::PeerStillPictures(ts::MakePhoto(folder, "rose.png", w, h));
        if (!still || still->empty()) return nullptr;
        auto frame = FrameRecord::Construct(doc, nullptr, nullptr);
        frame->width = w;
        frame->height = h;
        frame->CreateIndexBuffer(w, h);
        frame->indexPlane()->fill(0);
        frame->CreateTrueColourBuffer();
        auto plane = frame->trueColourPlane();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t rgb = (*still)[0].pixels[size_t(y * w + x)] & 0xFFFFFF;
                plane->set(x, y, hole && hole(x, y) ? kTransparentMarker | rgb : rgb);
            }
        return frame;
    }

    // Mean difference per colour channel between the frame's pixels and its plane, over
    // the opaque pixels.
    static double MeanError(FrameRecord& frame) {
        auto plane = frame.trueColourPlane();
        auto indexes = frame.indexPlane();
        double sum = 0;
        int64_t counted = 0;
        for (int y = 0; y < plane->height; ++y)
            for (int x = 0; x < plane->width; ++x) {
                const uint32_t want = plane->get(x, y);
                if (want & kTransparentMarker) continue;
                const uint32_t got = frame.palette[indexes->get(x, y)].rgb();
                for (int shift : {16, 8, 0})
                    sum += std::abs(int((want >> shift) & 0xFF) - int((got >> shift) & 0xFF));
                counted += 3;
            }
        return counted ? sum / double(counted) : 0;
    }
};

TEST_F(QualityReductionTest, APhotoComesOutCloserThanWithTheExactRule) {
    const struct {
        int w, h, dither;
    } cases[] = {{211, 157, 100}, {211, 157, 0}, {12, 8, 100}, {1, 1, 100}, {401, 13, 50}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " dither " +
                     std::to_string(c.dither));
        auto exact = Photo(c.w, c.h);
        auto quality = Photo(c.w, c.h);
        ASSERT_TRUE(exact && quality);
        ASSERT_TRUE(ReduceFrame(*exact));
        ASSERT_TRUE(ReduceFrameQuality(*quality, c.dither));
        EXPECT_EQ(quality->hasLocalPalette, 1);
        EXPECT_EQ(quality->hasTransparency, 1u);
        EXPECT_EQ(quality->transparencyActive.load(), 0u);
        EXPECT_LE(quality->transparentIndex, 255u);
        // Every index names one of the palette's colours, never the transparent slot.
        auto indexes = quality->indexPlane();
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) ASSERT_LT(indexes->get(x, y), quality->transparentIndex);
        // A photo of a few pixels has fewer colours than a palette: both are exact there.
        if (c.w * c.h <= 96) {
            EXPECT_LT(MeanError(*quality), 1.0);
        } else {
            EXPECT_LT(MeanError(*quality), MeanError(*exact));
        }
    }
}

TEST_F(QualityReductionTest, ReservedColoursAreInThePaletteExactly) {
    auto frame = Photo(97, 61);
    ASSERT_TRUE(frame);
    frame->reservedColours = {0x123457u, kNoReservedColour, 0x00FF01u, kNoReservedColour,
                              kNoReservedColour};
    ASSERT_TRUE(ReduceFrameQuality(*frame, 100));
    std::set<uint32_t> colours;
    for (uint32_t i = 0; i < frame->transparentIndex; ++i) colours.insert(frame->palette[i].rgb());
    EXPECT_TRUE(colours.count(0x123457u));
    EXPECT_TRUE(colours.count(0x00FF01u));
}

TEST_F(QualityReductionTest, TransparentPixelsGoToTheSlotAfterTheColours) {
    auto frame = Photo(64, 48, [](int x, int y) { return x < 16 || (x + y) % 7 == 0; });
    ASSERT_TRUE(frame);
    ASSERT_TRUE(ReduceFrameQuality(*frame, 100));
    EXPECT_LE(frame->transparentIndex, 255u);
    EXPECT_EQ(frame->transparencyActive.load(), 1u);
    auto indexes = frame->indexPlane();
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool hole = x < 16 || (x + y) % 7 == 0;
            ASSERT_EQ(indexes->get(x, y) == frame->transparentIndex, hole) << x << "," << y;
        }
    EXPECT_LT(MeanError(*frame), 12.0);
}

TEST_F(QualityReductionTest, AnAbortLeavesTheFrameAsItWas) {
    auto frame = Photo(97, 61);
    ASSERT_TRUE(frame);
    const auto oldIndexes = frame->indexPlane();
    frame->palette[0] = PaletteEntry{1, 2, 3};
    frame->abortReduce = 1;
    EXPECT_FALSE(ReduceFrameQuality(*frame, 100));
    EXPECT_EQ(frame->indexPlane(), oldIndexes);
    EXPECT_EQ(frame->palette[0], (PaletteEntry{1, 2, 3}));
    frame->abortReduce = 0;
    EXPECT_TRUE(ReduceFrameQuality(*frame, 100));
    EXPECT_NE(frame->indexPlane(), oldIndexes);
}

}  // namespace
