// The bitmap decoder: every depth and coding ImageMagick writes, to the pixel, and
// hand-made files for what it does not write or what no program should.
#include <gtest/gtest.h>

#include "document/AnimationDocument.h"
#include "io/BmpDecoder.h"
#include "io/FileBytes.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// A .bmp file: file header, 40-byte information header, then `rest` (table and pixels).
std::vector<uint8_t> BmpFile(int32_t w, int32_t h, int bits, uint32_t compression,
                             uint32_t coloursUsed, const std::vector<uint8_t>& rest,
                             uint32_t tableBytes) {
    std::vector<uint8_t> v{'B', 'M'};
    for (uint32_t x :
         {uint32_t(54 + rest.size()), 0u, 54 + tableBytes, 40u, uint32_t(w), uint32_t(h)})
        PutLe32(v, x);
    PutLe16(v, 1);
    PutLe16(v, uint32_t(bits));
    for (uint32_t x : {compression, 0u, 0u, 0u, coloursUsed, 0u}) PutLe32(v, x);
    v.insert(v.end(), rest.begin(), rest.end());
    return v;
}

DecodedPicture Decode(const std::vector<uint8_t>& bytes, bool expectOk = true) {
    DecodedPicture picture;
    EXPECT_EQ(DecodeBmpFile(bytes.data(), bytes.size(), picture), expectOk);
    return picture;
}

TEST(BmpDecoderTest, EveryDepthAndCompressionMatchesImageMagick) {
    const ts::TempFolder folder;
    const struct {
        const char* name;
        std::string options;
        int w, h;
    } cases[] = {
        {"BMP3:t24.bmp", "-type truecolor", 37, 23},
        {"BMP3:t8.bmp", "-colors 200 -type palette", 37, 23},
        {"BMP3:t4.bmp", "-colors 16 -type palette", 37, 23},
        {"BMP3:t1.bmp", "-threshold 50% -type bilevel", 33, 9},
        {"BMP3:rle8.bmp", "-colors 100 -type palette -compress RLE", 37, 23},
        {"t32.bmp", "-alpha on -define bmp:format=bmp4", 37, 23},
        {"t565.bmp", "-define bmp:subtype=RGB565", 37, 23},
        {"t555.bmp", "-define bmp:subtype=RGB555", 37, 23},
        {"BMP:v5.bmp", "-type truecolor", 37, 23},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = c.name;
        const size_t colon = name.find(':') + 1;  // 0 without a format
        const std::string path = folder.file(name.substr(colon));
        const std::string format = name.substr(0, colon);
        const std::string size = std::to_string(c.w) + "x" + std::to_string(c.h);
        ASSERT_EQ(ts::RunTool("convert rose: -resize " + size + "! " + c.options + " " + format +
                              ts::ShellQuote(path))
                      .status,
                  0);
        const std::vector<uint8_t> bytes = ts::ReadBytes(path);
        const DecodedPicture picture = Decode(bytes);
        EXPECT_EQ(picture.width, c.w);
        EXPECT_EQ(picture.height, c.h);
        EXPECT_EQ(picture.pixels, ts::PeerStillRgb(path));
        // Cut short, run-length coded or not, it is a failure rather than a picture
        // whose missing rows are black.
        if (name.find("t24") != std::string::npos || name.find("rle8") != std::string::npos) {
            const size_t pixels = bytes.size() - ReadLe32(&bytes[10]);
            const std::vector<uint8_t> cut(bytes.begin(), bytes.end() - ptrdiff_t(pixels / 2));
            Decode(cut, false);
        }
    }
}

TEST(BmpDecoderTest, HandMadeFiles) {
    // 8 bits with "colours used" 0: the whole table of 256 is read.
    std::vector<uint8_t> rest;
    for (int i = 0; i < 256; ++i) rest.insert(rest.end(), {uint8_t(i), 0, uint8_t(255 - i), 0});
    rest.insert(rest.end(), {200, 7, 0, 0});
    EXPECT_EQ(Decode(BmpFile(2, 1, 8, 0, 0, rest, 1024)).pixels,
              (std::vector<uint32_t>{0x3700C8u, 0xF80007u}));

    // 2x2 top-down 24 bit: the first stored row is the top.
    EXPECT_EQ(
        Decode(BmpFile(2, -2, 24, 0, 0, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}, 0))
            .pixels,
        (std::vector<uint32_t>{0x030201, 0x060504, 0x090807, 0x0C0B0A}));

    // RLE4, 5x2: bottom row a run of 5 alternating 1,2; top row 3 pixels absolute, then
    // the end of the line leaves the rest at index 0.
    rest.clear();
    for (uint32_t c : {0x000000u, 0x0000FFu, 0x00FF00u, 0xFF0000u})
        rest.insert(rest.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
    rest.insert(rest.end(), {5, 0x12, 0, 0, 0, 3, 0x31, 0x20, 0, 0, 0, 1});
    EXPECT_EQ(Decode(BmpFile(5, 2, 4, 2, 4, rest, 16)).pixels,
              (std::vector<uint32_t>{0xFF0000, 0x0000FF, 0x00FF00, 0, 0,  // top
                                     0x0000FF, 0x00FF00, 0x0000FF, 0x00FF00, 0x0000FF}));

    // 1 bit, 33 wide: rows of 8 bytes; the last pixel lives in the fifth byte.
    rest = {0, 0, 0, 0, 255, 255, 255, 0, 0x80, 0, 0, 0, 0x80, 0, 0, 0};
    const DecodedPicture narrow = Decode(BmpFile(33, 1, 1, 0, 2, rest, 8));
    ASSERT_EQ(narrow.pixels.size(), 33u);
    EXPECT_EQ(narrow.pixels[0], 0xFFFFFFu);
    EXPECT_EQ(narrow.pixels[1], 0u);
    EXPECT_EQ(narrow.pixels[31], 0u);
    EXPECT_EQ(narrow.pixels[32], 0xFFFFFFu);
}

TEST(BmpDecoderTest, DamagedFilesAreRefused) {
    // More colours than the table holds.
    Decode(BmpFile(4, 4, 8, 0, 300, std::vector<uint8_t>(300 * 4 + 16), 1200), false);
    // Pixel data far too short.
    std::vector<uint8_t> file = BmpFile(100, 100, 24, 0, 0, std::vector<uint8_t>(50), 0);
    Decode(file, false);
    file[0] = 'X';
    Decode(file, false);
    const std::vector<uint8_t> good = BmpFile(1, 1, 24, 0, 0, std::vector<uint8_t>(4), 0);
    Decode(good);
    file = good;
    file[10] = 0xF0;  // data offset past the end
    file[11] = 0xFF;
    Decode(file, false);
    file = good;
    file[14] = 33;  // a header size no version has
    Decode(file, false);
}

TEST(BmpDecoderTest, LoadAddsANamedFrameOrSaysItCouldNot) {
    const ts::TempFolder folder;
    const std::string bmp = ts::MakePhoto(folder, "a.bmp", 12, 7);
    RecordingHost host;
    AnimationDocument doc(host);
    ASSERT_EQ(LoadBitmapFile(doc, bmp), 0);
    ASSERT_EQ(doc.countFrames(), 1);
    EXPECT_EQ(doc.screenWidth, 12);
    EXPECT_EQ(doc.screenHeight, 7);
    EXPECT_EQ(doc.selectedItem->text(), "Gif :a.bmp");
    ts::WriteBytes(folder.file("bad.bmp"), {'B', 'M', 1, 2, 3});
    EXPECT_EQ(LoadBitmapFile(doc, folder.file("bad.bmp")), -1);
    EXPECT_EQ(LoadBitmapFile(doc, folder.file("missing.bmp")), -1);
    ASSERT_EQ(host.messages().size(), 2u);
    EXPECT_EQ(host.messages()[0].text, "Couldn't Load Bitmap");
    EXPECT_EQ(host.messages()[0].caption, "Error");
    EXPECT_EQ(doc.countFrames(), 1);
}

}  // namespace
