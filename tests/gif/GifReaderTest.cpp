#include <gtest/gtest.h>

#include <memory>

#include "GifTestSupport.h"
#include "gif/GifReader.h"
#include "gif/LzwDecoder.h"
#include "support/TestSupport.h"

using gif_test::GifBuilder;

namespace {

class GifReaderTest : public ::testing::Test {
  protected:
    ~GifReaderTest() override { Drop(); }

    int Read(const GifBuilder& b) {
        Drop();
        first_ = AnimationDocument::Adopt(FrameRecord::Construct(doc_, nullptr, nullptr));
        return ReadGifData(*first_, b.bytes().data(), b.bytes().size(), "/some/dir/t.gif", info_);
    }
    void Drop() {
        if (!first_) return;
        DiscardFramesAfter(*first_, nullptr);
        delete first_;
        first_ = nullptr;
    }
    FrameRecord& Frame(int n) {
        FrameRecord* f = first_;
        while (n-- > 0) f = f->next;
        return *f;
    }
    int Count() const {
        int n = 0;
        for (FrameRecord* f = first_; f; f = f->next) ++n;
        return n;
    }

    RecordingHost host_;
    AnimationDocument doc_{host_, 1};
    FrameRecord* first_ = nullptr;
    GifFileInfo info_;
};

GifBuilder OneImage(const char* signature = "GIF89a") {
    GifBuilder b;
    b.Header(signature).Screen(2, 2, 2).Descriptor(0, 0, 2, 2).Pixels(2, {0, 1, 2, 3}).Trailer();
    return b;
}

// Codes of a decoder that is fed `n` zero codes after a clear: the width each one has.
std::vector<std::pair<int, int>> ZeroCodesFillingTable(int minCodeSize, int n) {
    std::vector<std::pair<int, int>> codes;
    int width = minCodeSize + 1;
    int nextFree = (1 << minCodeSize) + 2;
    codes.push_back({1 << minCodeSize, width});
    for (int i = 0; i < n; ++i) {
        codes.push_back({0, width});
        if (i > 0 && nextFree < 4096) {
            ++nextFree;
            if (nextFree == (1 << width) && width < 12) ++width;
        }
    }
    return codes;
}

}  // namespace

TEST_F(GifReaderTest, SignatureDecidesVersionDoesNot) {
    EXPECT_EQ(Read(OneImage("GIF87a")), kGifOk);
    EXPECT_EQ(Read(OneImage("GIF12z")), kGifOk);
    EXPECT_EQ(Frame(0).fileName, "/some/dir/t.gif");
    EXPECT_EQ(gif_test::FramePixels(Frame(0)), (std::vector<uint8_t>{0, 1, 2, 3}));
    EXPECT_EQ(Read(OneImage("GIX89a")), kGifNotGif);
    GifBuilder tooShort;
    tooShort.Header("GIF89a");
    EXPECT_EQ(Read(tooShort), kGifNotGif);
}

TEST_F(GifReaderTest, GraphicControlOfFourBytesOnly) {
    GifBuilder b;
    b.Header().Screen(2, 1, 1);
    b.Control(0x09, 25, 1).Descriptor(0, 0, 2, 1).Pixels(1, {0, 1});
    b.Control(0x09, 77, 1, 3).Descriptor(0, 0, 2, 1).Pixels(1, {1, 1});
    b.Control(0x0D, 66, 0, 5).Descriptor(0, 0, 2, 1).Pixels(1, {1, 0}).Trailer();
    ASSERT_EQ(Read(b), kGifOk);
    ASSERT_EQ(Count(), 3);
    EXPECT_EQ(Frame(0).delay, 25u);
    EXPECT_EQ(Frame(0).disposal, 2);
    EXPECT_EQ(Frame(0).hasTransparency, 1u);
    EXPECT_EQ(Frame(0).transparentIndex, 1u);
    // Short and long blocks are skipped: disposal and transparency stay at their
    // defaults, the delay is the one a new frame inherits from its predecessor.
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(Frame(i).delay, 25u);
        EXPECT_EQ(Frame(i).disposal, 0);
        EXPECT_EQ(Frame(i).hasTransparency, 0u);
    }
}

TEST_F(GifReaderTest, CommentsBelongToTheNextImageOrToTheAnimation) {
    std::string binary("a\0b\xff\xe9", 5);
    std::string long256(256, 'x');
    long256[255] = '\x01';
    GifBuilder b;
    b.Header()
        .Screen(1, 1, 1)
        .Comment("first")
        .Comment(binary)
        .Descriptor(0, 0, 1, 1)
        .Pixels(1, {1});
    b.Comment(long256).Loop(3).Descriptor(0, 0, 1, 1).Pixels(1, {0});
    b.Comment("after").Comment("").Trailer();
    ASSERT_EQ(Read(b), kGifOk);
    ASSERT_EQ(Count(), 2);
    ASSERT_EQ(Frame(0).comments.size(), 2u);
    EXPECT_EQ(Frame(0).comments[0].text, "first");
    EXPECT_EQ(Frame(0).comments[1].text, binary);
    ASSERT_EQ(Frame(1).comments.size(), 1u);
    EXPECT_EQ(Frame(1).comments[0].text, long256);
    ASSERT_EQ(info_.trailingComments.size(), 2u);
    EXPECT_EQ(info_.trailingComments[0].text, "after");
    EXPECT_EQ(info_.trailingComments[1].text, "");
    EXPECT_TRUE(info_.hasLoopCount);
    EXPECT_EQ(info_.loopCount, 3);
}

TEST_F(GifReaderTest, FullTableStaysFrozenUntilAClearCode) {
    // 4096 - 6 entries fill the table at minimum code size 2; encoders may go on with
    // 12-bit codes of the strings there (a deferred clear) instead of a clear code.
    const int toFill = 4096 - 6 + 1;
    auto frozen = ZeroCodesFillingTable(2, toFill);
    EXPECT_EQ(frozen.back().second, 12);
    frozen.push_back({0, 12});
    frozen.push_back({1, 12});
    frozen.push_back({4095, 12});  // the last entry made: still there
    // A clear code starts again at 3 bits.
    frozen.push_back({4, 12});
    frozen.push_back({2, 3});
    frozen.push_back({5, 3});
    GifBuilder b;
    b.Header().Screen(2, 2, 2).Descriptor(0, 0, 2, 2).Pixels(2, {0, 1, 2, 3});
    b.Descriptor(0, 0, 8, 8).Codes(2, frozen).Trailer();
    ASSERT_EQ(Read(b), kGifOk);
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(info_.skippedCount, 0);
    EXPECT_EQ(gif_test::FramePixels(Frame(1)), std::vector<uint8_t>(64, 0));
}

TEST_F(GifReaderTest, BadImagesAreSkippedAndListed) {
    // Ten bad images between good ones: the good ones are read, the first few bad ones
    // are named.
    GifBuilder b;
    b.Header().Screen(2, 1, 1);
    std::vector<int> badNumbers;
    int number = 0;
    for (int i = 0; i < 14; ++i) {
        ++number;
        if (i % 4 == 1) {
            b.Descriptor(0, 0, 2, 1).Pixels(1, {uint8_t(i & 1), 1});
            continue;
        }
        badNumbers.push_back(number);
        if (i % 2)
            b.Descriptor(0, 0, 0, 1).Pixels(1, {1});
        else
            b.Descriptor(0, 0, 90, 90).Pixels(1, {1});
    }
    b.Trailer();
    ASSERT_EQ(Read(b), kGifOk);
    EXPECT_EQ(Count(), 4);
    EXPECT_EQ(info_.imageCount, 4);
    EXPECT_EQ(info_.skippedCount, 10);
    ASSERT_EQ(info_.skipped.size(), 8u);
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(info_.skipped[i].number, badNumbers[i]);
    const std::string text = DescribeSkippedImages(info_, "t.gif");
    EXPECT_EQ(text.rfind("10 images of t.gif could not be read and were left out: image 1 "
                         "(90x90, data too short or corrupt), image 3 (90x90, ",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find(", image 4 (0x1, no pixels), "), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 5), ", ...");
    EXPECT_EQ(gif_test::FramePixels(Frame(3)), (std::vector<uint8_t>{1, 1}));
    // A file of bad images only fails with the first one's reason.
    GifBuilder bad;
    bad.Header().Screen(2, 1, 1).Descriptor(0, 0, 0, 0).Pixels(1, {1});
    bad.Descriptor(0, 0, 60, 60).Pixels(1, {1}).Trailer();
    EXPECT_EQ(Read(bad), kGifCorruptLzw);
}

TEST_F(GifReaderTest, CorruptCodes) {
    GifBuilder ahead;  // a code beyond the next free one
    ahead.Header()
        .Screen(2, 2, 2)
        .Descriptor(0, 0, 2, 2)
        .Codes(2, {{4, 3}, {1, 3}, {7, 3}})
        .Trailer();
    EXPECT_EQ(Read(ahead), kGifCorruptLzw);
    GifBuilder kwk;  // the next free code right after a clear
    kwk.Header().Screen(2, 2, 2).Descriptor(0, 0, 2, 2).Codes(2, {{4, 3}, {6, 3}}).Trailer();
    EXPECT_EQ(Read(kwk), kGifCorruptLzw);
    GifBuilder good;  // the next free code after a first one: previous + its first byte
    good.Header()
        .Screen(3, 1, 2)
        .Descriptor(0, 0, 3, 1)
        .Codes(2, {{4, 3}, {2, 3}, {6, 3}, {5, 3}})
        .Trailer();
    ASSERT_EQ(Read(good), kGifOk);
    EXPECT_EQ(gif_test::FramePixels(Frame(0)), (std::vector<uint8_t>{2, 2, 2}));
}

TEST_F(GifReaderTest, InterlacedImagesOfEveryHeightPlaceEachRowOnce) {
    for (int h = 1; h <= 12; ++h) {
        std::vector<int> order;
        for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}}) {
            for (int y = start; y < h; y += step) order.push_back(y);
        }
        std::vector<uint8_t> pixels;
        for (int y : order) pixels.insert(pixels.end(), {uint8_t(y), uint8_t(y), uint8_t(y)});
        GifBuilder b;
        b.Header().Screen(3, h, 4).Descriptor(0, 0, 3, h, 0, true).Pixels(4, pixels).Trailer();
        ASSERT_EQ(Read(b), kGifOk) << h;
        EXPECT_EQ(Frame(0).interlaced, 1u);
        std::vector<uint8_t> expected;
        for (int y = 0; y < h; ++y)
            expected.insert(expected.end(), {uint8_t(y), uint8_t(y), uint8_t(y)});
        EXPECT_EQ(gif_test::FramePixels(Frame(0)), expected) << "height " << h;
    }
}

TEST_F(GifReaderTest, MissingTrailerAndTrailingGarbageKeepCompleteImages) {
    GifBuilder noTrailer;
    noTrailer.Header().Screen(2, 1, 1).Descriptor(0, 0, 2, 1).Pixels(1, {0, 1});
    noTrailer.Descriptor(0, 0, 2, 1).Pixels(1, {1, 0});
    ASSERT_EQ(Read(noTrailer), kGifOk);
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(info_.imageCount, 2);

    GifBuilder garbage;
    garbage.Header()
        .Screen(2, 1, 1)
        .Descriptor(0, 0, 2, 1)
        .Pixels(1, {0, 1})
        .Raw({0x99, 0x00, 0x2C});
    ASSERT_EQ(Read(garbage), kGifOk);
    EXPECT_EQ(Count(), 1);

    GifBuilder truncated;  // the second image's data stops in the middle
    truncated.Header().Screen(2, 1, 1).Descriptor(0, 0, 2, 1).Pixels(1, {0, 1});
    truncated.Raw({0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0, 1, 5, 0x12});
    ASSERT_EQ(Read(truncated), kGifOk);
    EXPECT_EQ(Count(), 1);
}

TEST_F(GifReaderTest, ColourTables) {
    GifBuilder b;
    b.Header().Screen(2, 1, 2, 3);
    b.Descriptor(0, 0, 2, 1).Pixels(2, {0, 3});     // global table
    b.Descriptor(0, 0, 2, 1, 1).Pixels(1, {1, 0});  // local table of 2
    b.Descriptor(0, 0, 2, 1).Pixels(2, {2, 2}).Trailer();
    ASSERT_EQ(Read(b), kGifOk);
    ASSERT_EQ(Count(), 3);
    EXPECT_TRUE(info_.hasGlobalPalette);
    EXPECT_EQ(info_.backgroundIndex, 3);
    EXPECT_TRUE(info_.globalPalette[3].used());
    EXPECT_FALSE(info_.globalPalette[4].used());
    EXPECT_EQ(Frame(0).hasLocalPalette, 0);
    EXPECT_EQ(Frame(0).palette, info_.globalPalette);
    EXPECT_EQ(Frame(1).hasLocalPalette, 1);
    EXPECT_EQ(Frame(1).palette[0], (PaletteEntry{2 * 31, 2 * 17, 255}));
    EXPECT_FALSE(Frame(1).palette[2].used());
    // A frame on the global table keeps the global colours, not the previous local ones.
    EXPECT_EQ(Frame(2).hasLocalPalette, 0);
    EXPECT_EQ(Frame(2).palette, info_.globalPalette);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Frame(i).bitsPerPixel, 8);
}

TEST_F(GifReaderTest, MinimumCodeSizeAboveEightTakesTheTableSize) {
    GifBuilder b;
    b.Header().Screen(2, 1, 1).Descriptor(0, 0, 2, 1, 2);  // local table of 4: s = 1
    b.Raw({12});                                           // then codes at minimum code size 2
    GifBuilder codes;
    codes.Pixels(2, {3, 1});
    std::vector<uint8_t> rest(codes.bytes().begin() + 1, codes.bytes().end());
    b.Raw(rest).Trailer();
    ASSERT_EQ(Read(b), kGifOk);
    EXPECT_EQ(gif_test::FramePixels(Frame(0)), (std::vector<uint8_t>{3, 1}));
}

TEST_F(GifReaderTest, ClaimedSizesAreCheckedAgainstTheData) {
    GifBuilder huge;
    huge.Header().Screen(1, 1, 1).Descriptor(0, 0, 65535, 65535).Pixels(1, {1}).Trailer();
    EXPECT_EQ(Read(huge), kGifCorruptLzw);
    GifBuilder empty;
    empty.Header().Screen(1, 1, 1).Descriptor(0, 0, 0, 5).Pixels(1, {1}).Trailer();
    EXPECT_EQ(Read(empty), kGifCorruptLzw);
    // An image whose data ends early is kept; the rest stays 0.
    GifBuilder early;
    early.Header().Screen(4, 1, 1).Descriptor(0, 0, 4, 1).Pixels(1, {1}).Trailer();
    ASSERT_EQ(Read(early), kGifOk);
    EXPECT_EQ(gif_test::FramePixels(Frame(0)), (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_LT(MaxLzwPixels(10, 8), 10000u);
}

TEST_F(GifReaderTest, ThousandsOfImagesAreReadWithoutRecursion) {
    GifBuilder b;
    b.Header().Screen(1, 1, 1);
    const int n = 20000;
    for (int i = 0; i < n; ++i) b.Descriptor(0, 0, 1, 1).Pixels(1, {uint8_t(i & 1)});
    b.Trailer();
    ASSERT_EQ(Read(b), kGifOk);
    EXPECT_EQ(Count(), n);
    EXPECT_EQ(info_.imageCount, n);
    EXPECT_EQ(Frame(n - 1).prev, &Frame(n - 2));
}

TEST_F(GifReaderTest, EndCodeEndsTheImage) {
    // Whatever follows the end code in the sub-blocks is left alone, even codes that
    // would be corrupt.
    GifBuilder b;
    b.Header().Screen(3, 1, 2).Descriptor(0, 0, 3, 1);
    b.Codes(2, {{4, 3}, {1, 3}, {5, 3}, {4, 3}, {3, 3}, {7, 3}}, {0xFF, 0xFF}).Trailer();
    ASSERT_EQ(Read(b), kGifOk);
    EXPECT_EQ(gif_test::FramePixels(Frame(0)), (std::vector<uint8_t>{1, 0, 0}));
}
