#include <gtest/gtest.h>

#include "document/AnimationDocument.h"
#include "io/TargaImage.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// Targa files made by ImageMagick and by hand.
TEST(TargaTest, ImageMagickFilesUncompressedAndRunLengthBothOrigins) {
    const ts::TempFolder folder;
    const struct {
        const char* name;
        const char* options;
        int topDown;
    } cases[] = {
        {"plain.tga", "", 0},
        {"rle.tga", "-compress RLE", 0},
        {"top.tga", "-orient TopLeft", 1},
        {"mapped.tga", "-colors 20 -type palette", 0},
        {"grey.tga", "-colorspace gray -compress RLE", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file(c.name);
        ASSERT_EQ(ts::RunTool("convert rose: -resize 21x13! " + std::string(c.options) + " " +
                              ts::ShellQuote(path))
                      .status,
                  0);
        TargaImage image(path);
        EXPECT_EQ(image.GetWidth(), 21);
        EXPECT_EQ(image.IsTopDown(), c.topDown);
        EXPECT_EQ(image.CreateBitmap(), ts::PeerStillRgb(path));
    }
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
    const ts::TempFolder folder;
    const std::string tga = ts::MakePhoto(folder, "a.tga", 8, 5);
    RecordingHost host;
    AnimationDocument doc(host);
    ASSERT_EQ(LoadTargaFile(doc, tga), 0);
    EXPECT_EQ(doc.selectedItem->text(), "Gif :a.tga");
    ts::WriteBytes(folder.file("b.tga"), {1, 2, 3});
    EXPECT_EQ(LoadTargaFile(doc, folder.file("b.tga")), -1);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].text, "Couldn't Load Bitmap");
    EXPECT_EQ(doc.countFrames(), 1);
}

}  // namespace
