// The GIF reader on files built byte by byte: the cases no encoder at hand writes.
#include <gtest/gtest.h>

#include <algorithm>

#include "gif/GifReader.h"
#include "gif/LzwDecoder.h"
#include "support/GifBuilder.h"
#include "support/TestSupport.h"

using gif_test::FramePixels;
using gif_test::GifBuilder;
using Bytes = std::vector<uint8_t>;

namespace {

class GifReaderTest : public ::testing::Test {
  protected:
    ~GifReaderTest() override { Drop(); }

    int Read(const GifBuilder& b) {
        Drop();
        first_ = AnimationDocument::Adopt(FrameRecord::Construct(doc_, nullptr, nullptr));
        info_ = GifFileInfo{};
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

// Files that read, or fail, as a whole: the result, the images read and the pixels of
// the last one.
struct FileKind {
    const char* label;
    void (*build)(GifBuilder& b);
    int result, images;
    Bytes lastPixels;
};
// The codes of one image `width` x 1 at minimum code size 2 (clear 4, end 5).
void Coded(GifBuilder& b, int width, const std::vector<std::pair<int, int>>& codes) {
    b.Header().Screen(width, 1, 2).Descriptor(0, 0, width, 1).Codes(2, codes).Trailer();
}
// An image on a local table of 4 whose data is coded at `coded` bits, declared `declared`.
void Declared(GifBuilder& b, int declared, int coded) {
    GifBuilder codes;
    codes.Pixels(coded, {3, 1});
    b.Header().Screen(2, 1, 1).Descriptor(0, 0, 2, 1, 2).Raw({uint8_t(declared)});
    b.Raw({codes.bytes().begin() + 1, codes.bytes().end()}).Trailer();
}
void OneImage(GifBuilder& b) {
    b.Header().Screen(2, 1, 1).Descriptor(0, 0, 2, 1).Pixels(1, {0, 1});
}

// clang-format off
const FileKind kFileKinds[] = {
    // The signature decides, the version does not.
    {"version 12z",
     [](GifBuilder& b) { b.Header("GIF12z").Screen(2, 1, 1)
         .Descriptor(0, 0, 2, 1).Pixels(1, {1, 0}).Trailer(); },
     kGifOk, 1, {1, 0}},
    {"signature GIX",
     [](GifBuilder& b) { b.Header("GIX89a").Screen(1, 1, 1).Trailer(); }, kGifNotGif, 0, {}},
    {"the signature alone", [](GifBuilder& b) { b.Header("GIF89a"); }, kGifNotGif, 0, {}},
    // Codes are checked against the table.
    {"a code beyond the next free one",
     [](GifBuilder& b) { Coded(b, 2, {{4, 3}, {1, 3}, {7, 3}}); }, kGifCorruptLzw, 0, {}},
    {"the next free code right after a clear",
     [](GifBuilder& b) { Coded(b, 2, {{4, 3}, {6, 3}}); }, kGifCorruptLzw, 0, {}},
    {"the next free code after a first one: previous + its first byte",
     [](GifBuilder& b) { Coded(b, 3, {{4, 3}, {2, 3}, {6, 3}, {5, 3}}); }, kGifOk, 1, {2, 2, 2}},
    // A minimum code size above 8 takes the table's size.
    {"code size 8", [](GifBuilder& b) { Declared(b, 8, 8); }, kGifOk, 1, {3, 1}},
    {"code size 12", [](GifBuilder& b) { Declared(b, 12, 2); }, kGifOk, 1, {3, 1}},
    // Broken ends keep the complete images.
    {"no trailer after a second image",
     [](GifBuilder& b) { OneImage(b); b.Descriptor(0, 0, 2, 1).Pixels(1, {1, 1}); },
     kGifOk, 2, {1, 1}},
    {"garbage after an image",
     [](GifBuilder& b) { OneImage(b); b.Raw({0x99, 0x00, 0x2C}); }, kGifOk, 1, {0, 1}},
    {"a second image whose data stops in the middle",
     [](GifBuilder& b) { OneImage(b); b.Raw({0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0, 1, 5, 0x12}); },
         kGifOk, 1, {0, 1}},
    // Data ending early leaves the rest 0.
    {"data ending early",
     [](GifBuilder& b) { b.Header().Screen(4, 1, 1)
         .Descriptor(0, 0, 4, 1).Pixels(1, {1}).Trailer(); },
     kGifOk, 1, {1, 0, 0, 0}},
    // A file of bad images only fails with the first one's reason.
    {"bad images only", [](GifBuilder& b) {
         b.Header().Screen(2, 1, 1).Descriptor(0, 0, 0, 0).Pixels(1, {1})
         .Descriptor(0, 0, 60, 60).Pixels(1, {1}).Trailer(); },
     kGifCorruptLzw, 0, {}},
};
// clang-format on

}  // namespace

TEST_F(GifReaderTest, FileKinds) {
    for (const FileKind& k : kFileKinds) {
        SCOPED_TRACE(k.label);
        GifBuilder b;
        k.build(b);
        ASSERT_EQ(Read(b), k.result);
        if (k.result != kGifOk) continue;
        EXPECT_EQ(Count(), k.images);
        EXPECT_EQ(info_.imageCount, k.images);
        EXPECT_EQ(FramePixels(Frame(k.images - 1)), k.lastPixels);
        EXPECT_EQ(Frame(0).fileName, "/some/dir/t.gif");
    }
    EXPECT_LT(MaxLzwPixels(10, 8), 10000u);
}

TEST_F(GifReaderTest, GraphicControlOfFourBytesOnly) {
    GifBuilder b;
    b.Header().Screen(2, 1, 1);
    b.Control(0x09, 25, 1).Descriptor(0, 0, 2, 1).Pixels(1, {0, 1});
    b.Control(0x09, 77, 1, 3).Descriptor(0, 0, 2, 1).Pixels(1, {1, 1});
    b.Control(0x0D, 66, 0, 5).Descriptor(0, 0, 2, 1).Pixels(1, {1, 0});
    // A block of length 0 is just its terminator.
    b.Raw({0x21, 0xF9, 0x00}).Descriptor(0, 0, 2, 1).Pixels(1, {0, 0}).Trailer();
    ASSERT_EQ(Read(b), kGifOk);
    ASSERT_EQ(Count(), 4);
    EXPECT_EQ(FramePixels(Frame(3)), (Bytes{0, 0}));
    // delay, disposal, transparency flag and index. Short, long and empty blocks are
    // skipped: the defaults, with the delay a new frame inherits from its predecessor.
    const std::vector<std::vector<int>> expected{
        {25, 2, 1, 1}, {25, 0, 0, 0}, {25, 0, 0, 0}, {25, 0, 0, 0}};
    for (int i = 0; i < 4; ++i) {
        const FrameRecord& f = Frame(i);
        const std::vector<int> got{int(f.delay), f.disposal, int(f.hasTransparency),
                                   f.hasTransparency ? int(f.transparentIndex) : 0};
        EXPECT_EQ(got, expected[size_t(i)]) << "frame " << i;
    }
}

TEST_F(GifReaderTest, CommentsBelongToTheNextImageOrToTheAnimation) {
    const std::string binary("a\0b\xff\xe9", 5);
    std::string long256(256, 'x');
    long256[255] = '\x01';
    GifBuilder b;
    b.Header().Screen(1, 1, 1).Comment("first").Comment(binary).Descriptor(0, 0, 1, 1);
    b.Pixels(1, {1}).Comment(long256).Loop(3).Descriptor(0, 0, 1, 1).Pixels(1, {0});
    b.Comment("after").Comment("").Trailer();
    ASSERT_EQ(Read(b), kGifOk);
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(Frame(0).comments, (CommentList{{"first"}, {binary}}));
    EXPECT_EQ(Frame(1).comments, (CommentList{{long256}}));
    EXPECT_EQ(info_.trailingComments, (CommentList{{"after"}, {""}}));
    EXPECT_TRUE(info_.hasLoopCount);
    EXPECT_EQ(info_.loopCount, 3);
}

TEST_F(GifReaderTest, BadImagesAreSkippedAndListed) {
    // Ten bad images between good ones: the good ones are read, the first eight bad ones
    // are named.
    GifBuilder b;
    b.Header().Screen(2, 1, 1);
    for (int i = 0; i < 14; ++i) {
        if (i % 4 == 1)
            b.Descriptor(0, 0, 2, 1).Pixels(1, {uint8_t(i & 1), 1});
        else if (i % 2)
            b.Descriptor(0, 0, 0, 1).Pixels(1, {1});
        else
            b.Descriptor(0, 0, 90, 90).Pixels(1, {1});
    }
    ASSERT_EQ(Read(b.Trailer()), kGifOk);
    EXPECT_EQ(Count(), 4);
    EXPECT_EQ(info_.imageCount, 4);
    EXPECT_EQ(info_.skippedCount, 10);
    std::vector<int> numbers;
    for (const SkippedImage& s : info_.skipped) numbers.push_back(s.number);
    EXPECT_EQ(numbers, (std::vector<int>{1, 3, 4, 5, 7, 8, 9, 11}));
    EXPECT_EQ(DescribeSkippedImages(info_, "t.gif"),
              "10 images of t.gif could not be read and were left out: image 1 (90x90, data too "
              "short or corrupt), image 3 (90x90, data too short or corrupt), image 4 (0x1, no "
              "pixels), image 5 (90x90, data too short or corrupt), image 7 (90x90, data too "
              "short or corrupt), image 8 (0x1, no pixels), image 9 (90x90, data too short or "
              "corrupt), image 11 (90x90, data too short or corrupt), ...");
    EXPECT_EQ(FramePixels(Frame(3)), (Bytes{1, 1}));
}

TEST_F(GifReaderTest, InterlacedImagesOfEveryHeightPlaceEachRowOnce) {
    for (int h = 1; h <= 12; ++h) {
        Bytes pixels, expected;
        for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (int y = start; y < h; y += step) pixels.insert(pixels.end(), 3, uint8_t(y));
        for (int y = 0; y < h; ++y) expected.insert(expected.end(), 3, uint8_t(y));
        GifBuilder b;
        b.Header().Screen(3, h, 4).Descriptor(0, 0, 3, h, 0, true).Pixels(4, pixels).Trailer();
        ASSERT_EQ(Read(b), kGifOk) << h;
        EXPECT_EQ(Frame(0).interlaced, 1u);
        EXPECT_EQ(FramePixels(Frame(0)), expected) << "height " << h;
    }
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
    // A frame on the global table keeps the global colours, not the previous local ones.
    for (int i : {0, 2}) {
        EXPECT_EQ(Frame(i).hasLocalPalette, 0);
        EXPECT_EQ(Frame(i).palette, info_.globalPalette);
    }
    EXPECT_EQ(Frame(1).hasLocalPalette, 1);
    EXPECT_EQ(Frame(1).palette[0], (PaletteEntry{2 * 31, 2 * 17, 255}));
    EXPECT_FALSE(Frame(1).palette[2].used());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Frame(i).bitsPerPixel, 8);
}

TEST_F(GifReaderTest, ThousandsOfImagesAreReadWithoutRecursion) {
    GifBuilder b;
    b.Header().Screen(1, 1, 1);
    const int n = 20000;
    for (int i = 0; i < n; ++i) b.Descriptor(0, 0, 1, 1).Pixels(1, {uint8_t(i & 1)});
    ASSERT_EQ(Read(b.Trailer()), kGifOk);
    EXPECT_EQ(Count(), n);
    EXPECT_EQ(info_.imageCount, n);
    EXPECT_EQ(Frame(n - 1).prev, &Frame(n - 2));
}

// 2100 pixels each behind a clear code, then the end code: 4201 codes of 9 bits in 4727
// bytes, which could hold 4201 codes filling 4096 * 4097 / 2 + 105 * 4096 = 8820736
// pixels. A 2500 x 2500 image whose data ends early is kept like a small one.
TEST_F(GifReaderTest, ALargeImageWhoseDataEndsEarlyIsKept) {
    Bytes pixels(2100);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 7);
    GifBuilder b;
    b.Header().Screen(2500, 2500, 8).Descriptor(0, 0, 2500, 2500).Pixels(8, pixels).Trailer();
    ASSERT_EQ(Read(b), kGifOk);
    const Bytes got = FramePixels(Frame(0));
    ASSERT_EQ(got.size(), 2500u * 2500u);
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 2100), pixels);
    EXPECT_EQ(std::count(got.begin() + 2100, got.end(), 0), 2500 * 2500 - 2100);
}
