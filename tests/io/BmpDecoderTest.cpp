#include <gtest/gtest.h>

#include "IoTestSupport.h"
#include "document/AnimationDocument.h"
#include "io/BmpDecoder.h"
#include "support/TestSupport.h"

using namespace io_test;

namespace {

DecodedPicture DecodeFile(const std::string& path) {
    const std::vector<uint8_t> bytes = Bytes(path);
    DecodedPicture picture;
    EXPECT_TRUE(DecodeBmpFile(bytes.data(), bytes.size(), picture)) << path;
    return picture;
}

class BmpPeerTest : public ::testing::Test {
  protected:
    std::string dir_ = TempDir("bmp");
    std::string Make(const std::string& name, const std::string& options,
                     const std::string& size = "37x23", const std::string& prefix = "") {
        const std::string path = dir_ + "/" + name;
        // A picture with structure in both directions, so that flips and shifts show.
        const std::string cmd =
            "convert -size " + size + " gradient:red-blue \\( -size " + size +
            " gradient:yellow-black -rotate 90 \\) -compose multiply -composite " + options + " " +
            prefix + "'" + path + "'";
        EXPECT_EQ(Shell(cmd), 0) << cmd;
        return path;
    }
    void ExpectLikeMagick(const std::string& path, int width, int height) {
        const DecodedPicture picture = DecodeFile(path);
        ASSERT_EQ(picture.width, width);
        ASSERT_EQ(picture.height, height);
        EXPECT_EQ(picture.pixels, MagickPixels(path)) << path;
    }
};

TEST_F(BmpPeerTest, EveryDepthAndCompressionMatchesImageMagick) {
    ExpectLikeMagick(Make("t24.bmp", "-type truecolor", "37x23", "BMP3:"), 37, 23);
    ExpectLikeMagick(Make("t8.bmp", "-colors 200 -type palette", "37x23", "BMP3:"), 37, 23);
    ExpectLikeMagick(Make("t4.bmp", "-colors 16 -type palette", "37x23", "BMP3:"), 37, 23);
    ExpectLikeMagick(Make("t1.bmp", "-threshold 50% -type bilevel", "33x9", "BMP3:"), 33, 9);
    ExpectLikeMagick(Make("rle8.bmp", "-colors 100 -type palette -compress RLE", "37x23", "BMP3:"),
                     37, 23);
    ExpectLikeMagick(Make("t32.bmp", "-alpha on -define bmp:format=bmp4"), 37, 23);
    ExpectLikeMagick(Make("t565.bmp", "-define bmp:subtype=RGB565"), 37, 23);
    ExpectLikeMagick(Make("t555.bmp", "-define bmp:subtype=RGB555"), 37, 23);
    ExpectLikeMagick(Make("v5.bmp", "-type truecolor", "37x23", "BMP:"), 37, 23);
}

// A file cut short is a failure, run-length coded or not, rather than a picture whose
// missing rows are black.
TEST_F(BmpPeerTest, FilesCutShortAreRefused) {
    for (const std::string& path :
         {Make("c24.bmp", "-type truecolor", "37x23", "BMP3:"),
          Make("c8.bmp", "-colors 100 -type palette -compress RLE", "37x23", "BMP3:")}) {
        std::vector<uint8_t> bytes = Bytes(path);
        DecodedPicture picture;
        ASSERT_TRUE(DecodeBmpFile(bytes.data(), bytes.size(), picture)) << path;
        bytes.resize(bytes.size() - (bytes.size() - 1078) / 2);
        EXPECT_FALSE(DecodeBmpFile(bytes.data(), bytes.size(), picture)) << path;
    }
}

// Hand-made files for what ImageMagick does not write.
TEST(BmpHandMadeTest, EightBitWithColoursUsedZeroReadsTheWholeTable) {
    std::vector<uint8_t> dib;
    InfoHeader(dib, 2, 1, 8, 0, 0);
    for (int i = 0; i < 256; ++i) dib.insert(dib.end(), {uint8_t(i), 0, uint8_t(255 - i), 0});
    dib.insert(dib.end(), {200, 7, 0, 0});
    const std::vector<uint8_t> file = BmpFile(dib, 40 + 1024);
    DecodedPicture p;
    ASSERT_TRUE(DecodeBmpFile(file.data(), file.size(), p));
    EXPECT_EQ(p.pixels, (std::vector<uint32_t>{0x3700C8u, 0xF80007u}));
}

TEST(BmpHandMadeTest, TopDownAndRle4AndOneBitThirtyThreeWide) {
    // 2x2 top-down 24 bit: first stored row is the top.
    std::vector<uint8_t> dib;
    InfoHeader(dib, 2, -2, 24, 0, 0);
    dib.insert(dib.end(), {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0});
    std::vector<uint8_t> file = BmpFile(dib, 40);
    DecodedPicture p;
    ASSERT_TRUE(DecodeBmpFile(file.data(), file.size(), p));
    EXPECT_EQ(p.pixels, (std::vector<uint32_t>{0x030201, 0x060504, 0x090807, 0x0C0B0A}));

    // RLE4, 5x2: bottom row "run of 5 alternating 1,2", top row absolute 3 pixels then EOL.
    dib.clear();
    InfoHeader(dib, 5, 2, 4, 2, 4);
    for (uint32_t c : {0x000000u, 0x0000FFu, 0x00FF00u, 0xFF0000u})
        dib.insert(dib.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
    dib.insert(dib.end(), {5, 0x12, 0, 0, 0, 3, 0x31, 0x20, 0, 0, 0, 1});
    file = BmpFile(dib, 40 + 16);
    ASSERT_TRUE(DecodeBmpFile(file.data(), file.size(), p));
    EXPECT_EQ(p.pixels, (std::vector<uint32_t>{0xFF0000, 0x0000FF, 0x00FF00, 0, 0,  // top
                                               0x0000FF, 0x00FF00, 0x0000FF, 0x00FF00, 0x0000FF}));

    // 1 bit, 33 wide: rows of 8 bytes; the last pixel lives in the fifth byte.
    dib.clear();
    InfoHeader(dib, 33, 1, 1, 0, 2);
    dib.insert(dib.end(), {0, 0, 0, 0, 255, 255, 255, 0});
    dib.insert(dib.end(), {0x80, 0, 0, 0, 0x80, 0, 0, 0});
    file = BmpFile(dib, 48);
    ASSERT_TRUE(DecodeBmpFile(file.data(), file.size(), p));
    EXPECT_EQ(p.pixels[0], 0xFFFFFFu);
    EXPECT_EQ(p.pixels[1], 0u);
    EXPECT_EQ(p.pixels[32], 0xFFFFFFu);
}

TEST(BmpHandMadeTest, DamagedFilesAreRefused) {
    std::vector<uint8_t> dib;
    InfoHeader(dib, 4, 4, 8, 0, 300);  // more colours than the table holds
    dib.resize(dib.size() + 300 * 4 + 16);
    std::vector<uint8_t> file = BmpFile(dib, 40 + 1200);
    DecodedPicture p;
    EXPECT_FALSE(DecodeBmpFile(file.data(), file.size(), p));

    dib.clear();
    InfoHeader(dib, 100, 100, 24, 0, 0);
    dib.resize(dib.size() + 50);  // pixel data far too short
    file = BmpFile(dib, 40);
    EXPECT_FALSE(DecodeBmpFile(file.data(), file.size(), p));

    file[0] = 'X';
    EXPECT_FALSE(DecodeBmpFile(file.data(), file.size(), p));

    dib.clear();
    InfoHeader(dib, 1, 1, 24, 0, 0);
    dib.resize(dib.size() + 4);
    file = BmpFile(dib, 40);
    file[10] = 0xF0;  // data offset past the end
    file[11] = 0xFF;
    EXPECT_FALSE(DecodeBmpFile(file.data(), file.size(), p));
    file = BmpFile(dib, 40);
    file[14] = 33;  // header size no version has
    EXPECT_FALSE(DecodeBmpFile(file.data(), file.size(), p));
}

TEST(BmpLoadTest, LoadAddsAFrameAndRefusesDamagedFilesWithTheMessage) {
    const std::string dir = TempDir("bmpload");
    ASSERT_EQ(Shell("convert -size 12x7 gradient:red-blue -type truecolor BMP3:" + dir + "/a.bmp"),
              0);
    RecordingHost host;
    AnimationDocument doc(host);
    ASSERT_EQ(LoadBitmapFile(doc, dir + "/a.bmp"), 0);
    ASSERT_EQ(doc.countFrames(), 1);
    EXPECT_EQ(doc.screenWidth, 12);
    EXPECT_EQ(doc.screenHeight, 7);
    EXPECT_EQ(doc.selectedItem->text(), "Gif :a.bmp");
    doc.firstFrame->WaitForReduction();
    const auto plane = doc.firstFrame->trueColourPlane();
    ASSERT_TRUE(plane);
    const std::vector<uint32_t> expected = MagickPixels(dir + "/a.bmp");
    EXPECT_EQ(std::vector<uint32_t>(plane->data(), plane->data() + 84), expected);

    WriteBytes(dir + "/bad.bmp", {'B', 'M', 1, 2, 3});
    EXPECT_EQ(LoadBitmapFile(doc, dir + "/bad.bmp"), -1);
    EXPECT_EQ(LoadBitmapFile(doc, dir + "/missing.bmp"), -1);
    ASSERT_EQ(host.messages().size(), 2u);
    EXPECT_EQ(host.messages()[0].text, "Couldn't Load Bitmap");
    EXPECT_EQ(host.messages()[0].caption, "Error");
    EXPECT_EQ(doc.countFrames(), 1);
}

}  // namespace
