#include <gtest/gtest.h>

#include "IoTestSupport.h"
#include "document/AnimationDocument.h"
#include "io/DibImage.h"
#include "io/TargaImage.h"
#include "support/TestSupport.h"

using namespace io_test;

namespace {

TEST(DibImageTest, TagsLayoutAndInfoSize) {
    DibImage one("x.bmp");
    EXPECT_EQ(one.typeTag(), 4);
    EXPECT_EQ(TargaImage("y.tga").typeTag(), 18);
    ASSERT_TRUE(one.Create(33, 2, 1, true));
    EXPECT_EQ(one.paddedWidth(), 64);
    EXPECT_EQ(one.stride(), 8);
    EXPECT_EQ(one.GetInfoSize(), 40 + 8);

    DibImage eight;
    ASSERT_TRUE(eight.Create(5, 3, 8, false, 16));
    EXPECT_EQ(eight.GetInfoSize(), 40 + 64);
    eight.SetColour(15, 0x112233);
    uint8_t* info = eight.GetBitmapInfo();
    ASSERT_TRUE(info);
    // Header, table and pixels form one packed DIB.
    EXPECT_EQ(info + 40 + 64, eight.GetBits());
    EXPECT_EQ(ReadLe32(info), 40u);
    EXPECT_EQ(int32_t(ReadLe32(info + 8)), 3);  // bottom-up: positive height
    EXPECT_EQ(ReadLe32(info + 32), 16u);
    EXPECT_EQ(info[40 + 60], 0x33);  // entry 15: blue, green, red
    EXPECT_EQ(info[40 + 62], 0x11);

    DibImage huge;
    EXPECT_FALSE(huge.Create(2049, 1, 24, true));
    EXPECT_EQ(huge.IsValid(), 0);
}

TEST(DibImageTest, GetPixelOfABottomUpImageReadsTheLastStoredRowAtTheTop) {
    DibImage image;
    ASSERT_TRUE(image.Create(2, 3, 24, false));
    uint8_t* bits = image.GetBits();
    const int last = 2 * image.stride();
    bits[last] = 0x01;  // blue
    bits[last + 1] = 0x02;
    bits[last + 2] = 0x03;                       // red
    EXPECT_EQ(image.GetPixel(0, 0), 0x010203u);  // 0x00BBGGRR
    EXPECT_EQ(image.GetPixel(0, 2), 0u);
    EXPECT_EQ(image.GetPixel(2, 0), 0xFFFFFFFFu);
    EXPECT_EQ(image.CreateBitmap()[0], 0x030201u);

    DibImage sixteen;
    ASSERT_TRUE(sixteen.Create(1, 1, 16, true));
    sixteen.GetBits()[0] = 0xFF;  // 0x7FFF: white in 5-5-5
    sixteen.GetBits()[1] = 0x7F;
    EXPECT_EQ(sixteen.GetPixel(0, 0), 0xFFFFFFu);
}

TEST(DibImageTest, CropAndTrimBorder) {
    DibImage image;
    ASSERT_TRUE(image.Create(9, 7, 4, true));
    image.SetColour(1, 0xFF0000);
    // A 3x2 block of colour 1 at (4,2), on colour 0.
    for (int y = 2; y < 4; ++y)
        for (int x = 4; x < 7; ++x) {
            uint8_t& b = image.GetBits()[y * image.stride() + x / 2];
            b |= (x & 1) ? 0x01 : 0x10;
        }
    ASSERT_EQ(image.TrimBorder(0x000000), 1);
    EXPECT_EQ(image.GetWidth(), 3);
    EXPECT_EQ(image.GetHeight(), 2);
    EXPECT_EQ(image.GetOriginX(), 4);
    EXPECT_EQ(image.GetOriginY(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(image.GetPixel(x, y), 0x0000FFu);

    // Entirely of the given colour: crops to nothing and frees the pixels.
    EXPECT_EQ(image.TrimBorder(0x0000FF), 0);  // 0x00BBGGRR, as GetPixel
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetBits(), nullptr);
}

// Cropping an image whose pixels have not been read: a Targa read lazily reads them
// first; an image without pixels refuses. Both read through a null block before.
TEST(DibImageTest, CropBeforeThePixelsAreReadOrAfterTheyWereDiscarded) {
    const std::string dir = TempDir("tgacrop");
    const std::string path = dir + "/rose.tga";
    ASSERT_EQ(Shell("convert rose: -resize 40x30! " + path), 0);
    const std::vector<uint32_t> whole = FfmpegPixels(path);
    ASSERT_EQ(whole.size(), 40u * 30u);

    TargaImage lazy(path);
    ASSERT_EQ(lazy.GetWidth(), 40);  // the header only
    ASSERT_EQ(lazy.CropTo(DibRect{5, 7, 25, 19}), 1);
    ASSERT_EQ(lazy.GetWidth(), 20);
    ASSERT_EQ(lazy.GetHeight(), 12);
    const std::vector<uint32_t> cropped = lazy.CreateBitmap();
    ASSERT_EQ(cropped.size(), 20u * 12u);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(cropped[size_t(y) * 20 + size_t(x)],
                      whole[size_t(y + 7) * 40 + size_t(x + 5)])
                << x << "," << y;

    DibImage discarded;
    ASSERT_TRUE(discarded.Create(8, 8, 24, false));
    discarded.DiscardPixels();
    EXPECT_EQ(discarded.CropTo(DibRect{1, 1, 5, 5}), 0);
    EXPECT_EQ(discarded.GetBits(), nullptr);
}

// Targa files made by ImageMagick (decoded by FFmpeg as the oracle) and by hand.
TEST(TargaTest, ImageMagickFilesUncompressedAndRunLengthBothOrigins) {
    const std::string dir = TempDir("tga");
    const std::string base =
        "convert -size 21x13 gradient:red-blue \\( -size 21x13 gradient:white-green -rotate 90 \\) "
        "-compose multiply -composite ";
    ASSERT_EQ(Shell(base + dir + "/plain.tga"), 0);
    ASSERT_EQ(Shell(base + "-compress RLE " + dir + "/rle.tga"), 0);
    ASSERT_EQ(Shell(base + "-orient TopLeft " + dir + "/top.tga"), 0);
    ASSERT_EQ(Shell(base + "-colors 20 -type palette " + dir + "/mapped.tga"), 0);
    ASSERT_EQ(Shell(base + "-colorspace gray -compress RLE " + dir + "/grey.tga"), 0);
    for (const char* name : {"plain.tga", "rle.tga", "top.tga", "mapped.tga", "grey.tga"}) {
        const std::string path = dir + "/" + name;
        TargaImage image(path);
        const std::vector<uint32_t> pixels = image.CreateBitmap();
        EXPECT_EQ(image.GetWidth(), 21) << name;
        EXPECT_EQ(pixels, FfmpegPixels(path)) << name;
    }
    EXPECT_EQ(TargaImage(dir + "/top.tga").IsTopDown(), 1);
    EXPECT_EQ(TargaImage(dir + "/plain.tga").IsTopDown(), 0);
}

TEST(TargaTest, IdentificationFieldColourMapAndSixteenBits) {
    // 2x1 true colour with a 3-byte identification field and an ignored colour map.
    std::vector<uint8_t> file{3, 1, 2, 0, 0, 2, 0, 24, 0, 0, 0, 0, 2, 0, 1, 0, 16, 0x20};
    file.insert(file.end(), {'a', 'b', 'c'});
    file.insert(file.end(), {9, 9, 9, 9, 9, 9});        // map: 2 entries
    file.insert(file.end(), {0xFF, 0x7F, 0x1F, 0x00});  // white, blue (5-5-5)
    TargaImage image("");
    ASSERT_TRUE(image.LoadFromBytes(file));
    const std::vector<uint32_t> pixels = image.CreateBitmap();
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFFFFFF, 0x0000FF}));

    // Truncated run-length data is refused.
    std::vector<uint8_t> rle{0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 4, 0, 24, 0, 0x85, 1, 2};
    TargaImage broken("");
    EXPECT_FALSE(broken.LoadFromBytes(rle));
    EXPECT_TRUE(broken.CreateBitmap().empty());
}

TEST(TargaTest, LoadTargaFileAddsTheFrameOrSaysCouldNotLoad) {
    const std::string dir = TempDir("tgaload");
    ASSERT_EQ(Shell("convert -size 8x5 gradient:red-blue -compress RLE " + dir + "/a.tga"), 0);
    RecordingHost host;
    AnimationDocument doc(host);
    ASSERT_EQ(LoadTargaFile(doc, dir + "/a.tga"), 0);
    doc.firstFrame->WaitForReduction();
    auto plane = doc.firstFrame->trueColourPlane();
    ASSERT_TRUE(plane);
    EXPECT_EQ(std::vector<uint32_t>(plane->data(), plane->data() + 40),
              FfmpegPixels(dir + "/a.tga"));
    WriteBytes(dir + "/b.tga", {1, 2, 3});
    EXPECT_EQ(LoadTargaFile(doc, dir + "/b.tga"), -1);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].text, "Couldn't Load Bitmap");
}

}  // namespace
