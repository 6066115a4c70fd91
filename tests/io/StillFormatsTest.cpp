// The still-picture readers (bitmaps, Targa, icons, cursors, animated cursors): every
// variant ImageMagick writes, to the pixel; hand-made files for what it does not write;
// and damaged files refused with the loader's message.
#include <gtest/gtest.h>

#include "document/AnimationDocument.h"
#include "import/FileImport.h"
#include "io/AnimatedCursor.h"
#include "io/BmpDecoder.h"
#include "io/FileBytes.h"
#include "io/IconCursor.h"
#include "io/TargaImage.h"
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

std::vector<uint32_t> Bmp(const std::vector<uint8_t>& bytes) {
    DecodedPicture picture;
    return DecodeBmpFile(bytes.data(), bytes.size(), picture) ? picture.pixels
                                                              : std::vector<uint32_t>{};
}

std::vector<uint32_t> Icon(const std::vector<uint8_t>& bytes) {
    DecodedPicture picture;
    return DecodeIconImage(bytes.data(), bytes.size(), 0, picture) ? picture.pixels
                                                                   : std::vector<uint32_t>{};
}

std::vector<uint32_t> Targa(const std::vector<uint8_t>& bytes) {
    TargaImage image("");
    return image.LoadFromBytes(bytes) ? image.CreateBitmap() : std::vector<uint32_t>{};
}

TEST(StillFormatsTest, EveryVariantImageMagickWritesReadsToThePixel) {
    const ts::TempFolder folder;
    const struct {
        const char* name;  // with ImageMagick's format prefix where it needs one
        const char* options;
        const char* size;
        std::vector<uint32_t> (*decode)(const std::vector<uint8_t>&);
    } cases[] = {
        {"BMP3:t4.bmp", "-colors 16 -type palette", "37x23", Bmp},
        {"BMP3:t1.bmp", "-threshold 50% -type bilevel", "33x9", Bmp},
        {"BMP3:rle8.bmp", "-colors 100 -type palette -compress RLE", "37x23", Bmp},
        {"t32.bmp", "-alpha on -define bmp:format=bmp4", "37x23", Bmp},
        {"t565.bmp", "-define bmp:subtype=RGB565", "37x23", Bmp},
        {"BMP:v5.bmp", "-type truecolor", "37x23", Bmp},
        {"rle.tga", "-compress RLE", "21x13", Targa},
        {"top.tga", "-orient TopLeft", "21x13", Targa},
        {"mapped.tga", "-colors 20 -type palette", "21x13", Targa},
        {"a.ico", "", "16x16", Icon},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = c.name;
        const size_t colon = name.find(':') + 1;  // 0 without a format
        const std::string path = folder.file(name.substr(colon));
        ASSERT_EQ(ts::RunTool("convert rose: -resize " + std::string(c.size) + "! " + c.options +
                              " " + name.substr(0, colon) + ts::ShellQuote(path))
                      .status,
                  0);
        const std::vector<uint8_t> bytes = ts::ReadBytes(path);
        EXPECT_EQ(c.decode(bytes), ts::PeerStillRgb(path));
        // Cut short, run-length coded or not, it is a failure rather than a picture
        // whose missing rows are black.
        if (name.find("t4") != std::string::npos || name.find("rle8") != std::string::npos) {
            const size_t pixels = bytes.size() - ReadLe32(&bytes[10]);
            EXPECT_TRUE(Bmp({bytes.begin(), bytes.end() - ptrdiff_t(pixels / 2)}).empty());
        }
    }
}

TEST(StillFormatsTest, HandMadeFiles) {
    // 8 bits with "colours used" 0: the whole table of 256 is read.
    std::vector<uint8_t> rest;
    for (int i = 0; i < 256; ++i) rest.insert(rest.end(), {uint8_t(i), 0, uint8_t(255 - i), 0});
    rest.insert(rest.end(), {200, 7, 0, 0});
    EXPECT_EQ(Bmp(BmpFile(2, 1, 8, 0, 0, rest, 1024)),
              (std::vector<uint32_t>{0x3700C8u, 0xF80007u}));
    // 2x2 top-down 24 bit: the first stored row is the top.
    EXPECT_EQ(Bmp(BmpFile(2, -2, 24, 0, 0, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}, 0)),
              (std::vector<uint32_t>{0x030201, 0x060504, 0x090807, 0x0C0B0A}));
    // RLE4, 5x2: bottom row a run of 5 alternating 1,2; top row 3 pixels absolute, then
    // the end of the line leaves the rest at index 0.
    rest.clear();
    for (uint32_t c : {0x000000u, 0x0000FFu, 0x00FF00u, 0xFF0000u})
        rest.insert(rest.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
    rest.insert(rest.end(), {5, 0x12, 0, 0, 0, 3, 0x31, 0x20, 0, 0, 0, 1});
    EXPECT_EQ(Bmp(BmpFile(5, 2, 4, 2, 4, rest, 16)),
              (std::vector<uint32_t>{0xFF0000, 0x0000FF, 0x00FF00, 0, 0,  // top
                                     0x0000FF, 0x00FF00, 0x0000FF, 0x00FF00, 0x0000FF}));
    // 1 bit, 33 wide: rows of 8 bytes; the last pixel lives in the fifth byte.
    rest = {0, 0, 0, 0, 255, 255, 255, 0, 0x80, 0, 0, 0, 0x80, 0, 0, 0};
    std::vector<uint32_t> narrow(33, 0u);
    narrow[0] = narrow[32] = 0xFFFFFF;
    EXPECT_EQ(Bmp(BmpFile(33, 1, 1, 0, 2, rest, 8)), narrow);
    // Targa 2x1 true colour, 16 bits, with a 3-byte identification field and an ignored
    // colour map of 2 entries: white, blue (5-5-5).
    std::vector<uint8_t> tga{3, 1, 2, 0, 0, 2, 0, 24, 0, 0, 0, 0, 2, 0, 1, 0, 16, 0x20};
    tga.insert(tga.end(), {'a', 'b', 'c', 9, 9, 9, 9, 9, 9, 0xFF, 0x7F, 0x1F, 0x00});
    EXPECT_EQ(Targa(tga), (std::vector<uint32_t>{0xFFFFFF, 0x0000FF}));
}

// A 2x2 4-bit icon image: black, green / blue, red; the black pixel (top left) is
// masked out.
std::vector<uint8_t> SmallIconImage() {
    std::vector<uint8_t> dib;
    for (uint32_t v : {40u, 2u, 4u}) PutLe32(dib, v);  // height counts the mask too
    PutLe16(dib, 1);
    PutLe16(dib, 4);
    for (uint32_t v : {0u, 0u, 0u, 0u, 16u, 0u}) PutLe32(dib, v);
    const uint32_t colours[4] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    for (int i = 0; i < 16; ++i) {
        const uint32_t c = i < 4 ? colours[i] : 0;
        dib.insert(dib.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
    }
    // Colour rows, bottom-up: bottom row (blue, red), top row (black, green).
    dib.insert(dib.end(), {0x31, 0, 0, 0, 0x02, 0, 0, 0});
    // AND mask rows, bottom-up: bottom opaque, top-left transparent.
    dib.insert(dib.end(), {0x00, 0, 0, 0, 0x80, 0, 0, 0});
    return dib;
}

std::vector<uint32_t> Pixels(FrameRecord& f) {
    f.WaitForReduction();
    const auto plane = f.trueColourPlane();
    if (!plane) return {};
    return {plane->data(), plane->data() + size_t(f.width) * size_t(f.height)};
}

TEST(StillFormatsTest, MaskedPixelsShowTheGreyOfACursorAndStepsAreBoundedByTheFile) {
    const ts::TempFolder folder;
    const std::vector<uint8_t> cursor = ts::IconFileBytes(2, {{2, SmallIconImage()}});
    ts::WriteBytes(folder.file("a.cur"), cursor);
    ts::WriteBytes(folder.file("a.ico"), ts::IconFileBytes(1, {{2, SmallIconImage()}}));
    RecordingHost host;
    AnimationDocument doc(host);
    ASSERT_EQ(LoadCursorFile(doc, folder.file("a.cur")), 0);
    ASSERT_EQ(LoadIconFile(doc, folder.file("a.ico")), 0);
    ASSERT_EQ(doc.countFrames(), 2);
    EXPECT_EQ(Pixels(*doc.firstFrame),
              (std::vector<uint32_t>{kCursorBackground, 0x00FF00, 0x0000FF, 0xFF0000}));
    EXPECT_EQ(Pixels(*doc.firstFrame->next),
              (std::vector<uint32_t>{0x000000, 0x00FF00, 0x0000FF, 0xFF0000}));

    // A million steps claimed with two frames and no sequence: two steps.
    ts::AniParts parts;
    parts.frames = {cursor, cursor};
    parts.steps = 1000000;
    std::vector<uint8_t> bytes = ts::AniFileBytes(parts);
    AniFile ani;
    ASSERT_TRUE(ParseAni(bytes.data(), bytes.size(), ani));
    EXPECT_EQ(ani.steps, 2u);
    // A sequence naming a frame that is not there ends the steps there.
    parts.frames = {cursor};
    parts.steps = 3;
    parts.sequence = {0, 5, 0};
    bytes = ts::AniFileBytes(parts);
    ASSERT_TRUE(ParseAni(bytes.data(), bytes.size(), ani));
    EXPECT_EQ(ani.FrameOfStep(0), 0);
    EXPECT_EQ(ani.FrameOfStep(1), -1);
    ts::WriteBytes(folder.file("b.ani"), bytes);
    AnimationDocument one(host);
    EXPECT_EQ(LoadCursorFile(one, folder.file("b.ani")), 0);
    EXPECT_EQ(one.countFrames(), 1);
}

// Files no program should write (or none at all), opened as the editor opens them: the
// loader's message, and nothing added; the good ones among them add one named frame.
TEST(StillFormatsTest, DamagedFilesAreRefusedWithTheLoadersMessage) {
    const ts::TempFolder folder;
    const std::vector<uint8_t> good = BmpFile(1, 1, 24, 0, 0, std::vector<uint8_t>(4), 0);
    std::vector<uint8_t> offset = good, header = good;
    offset[10] = 0xF0;  // data offset past the end
    offset[11] = 0xFF;
    header[14] = 33;  // a header size no version has
    // PNG entries up to 1024 pixels a side are icons; wider ones are damaged files.
    std::vector<uint8_t> png[2];
    for (const int side : {1024, 1025}) {
        const std::string path = ts::MakePhoto(folder, std::to_string(side) + ".png", side, 2);
        png[side - 1024] = ts::IconFileBytes(1, {{0, ts::ReadBytes(path)}});
    }
    ts::AniParts ani;
    ani.frames = {ts::IconFileBytes(2, {{2, SmallIconImage()}})};
    ani.steps = 1;
    std::vector<uint8_t> shortAni = ts::AniFileBytes(ani);
    shortAni.resize(20);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;  // empty: no such file
        const char* says;            // in the caption and text; "" when it loads
    } cases[] = {
        {"good.bmp", good, ""},
        {"bad.bmp", {'B', 'M', 1, 2, 3}, "Couldn't Load Bitmap"},
        {"colours.bmp", BmpFile(4, 4, 8, 0, 300, std::vector<uint8_t>(300 * 4 + 16), 1200),
         "Couldn't Load Bitmap"},
        {"short.bmp", BmpFile(100, 100, 24, 0, 0, std::vector<uint8_t>(50), 0),
         "Couldn't Load Bitmap"},
        {"offset.bmp", offset, "Couldn't Load Bitmap"},
        {"header.bmp", header, "Couldn't Load Bitmap"},
        {"bad.tga", {1, 2, 3}, "Couldn't Load Bitmap"},
        {"rle.tga",
         {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 4, 0, 24, 0, 0x85, 1, 2},
         "Couldn't Load Bitmap"},
        {"bad.ico", {0, 0, 1, 0, 1, 0}, "Couldn't Load Icon"},
        {"1024.ico", png[0], ""},
        {"1025.ico", png[1], "Couldn't Load Icon"},
        {"short.ani", shortAni, "Couldn't Load Icon"},
        {"bad.avi", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '}, "Could not open AVI."},
        {"missing.jpg", {}, "Jpeg Error: JPEG :\nCan't open "},
        {"bad.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 1}, "JPEG Fatal Error: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file(c.name);
        if (!c.bytes.empty()) ts::WriteBytes(path, c.bytes);
        RecordingHost host;
        AnimationDocument doc(host);
        const int result = LoadFileByType(doc, path);
        if (*c.says == 0) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(doc.countFrames(), 1);
            EXPECT_EQ(doc.selectedItem->text(), "Gif :" + std::string(c.name));
            continue;
        }
        EXPECT_EQ(result, -1);
        ASSERT_EQ(host.messages().size(), 1u);
        const RecordingHost::Message m = host.messages()[0];
        EXPECT_NE((m.caption + ": " + m.text).find(c.says), std::string::npos)
            << m.caption << ": " << m.text;
        EXPECT_TRUE(doc.empty());
    }
}

}  // namespace
