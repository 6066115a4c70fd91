// The JPEG reader against ImageMagick (both use libjpeg, so within a level or two), its
// messages, and the writer's baseline, quality and grey output.
#include <gtest/gtest.h>

#include <cstdlib>

#include "document/AnimationDocument.h"
#include "io/Jpeg.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

TEST(JpegTest, ColourGreyNarrowAndCmykFilesReadLikeImageMagick) {
    const ts::TempFolder folder;
    const struct {
        const char* name;
        const char* options;
        int tolerance;
    } cases[] = {
        {"narrow.jpg", "-resize 3x17! -quality 95", 2},
        {"grey.jpg", "-resize 20x9! -colorspace gray", 2},
        {"progressive.jpg", "-resize 41x23! -interlace JPEG", 2},
        {"cmyk.jpg", "-resize 20x9! -colorspace cmyk", 8},
    };
    RecordingHost host;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file(c.name);
        ASSERT_EQ(
            ts::RunTool("convert rose: " + std::string(c.options) + " " + ts::ShellQuote(path))
                .status,
            0);
        int w = 0, h = 0;
        const std::vector<uint8_t> rgb = JpegRead(host, path, w, h);
        const std::vector<uint32_t> peer = ts::PeerStillRgb(path);
        ASSERT_EQ(rgb.size(), 3 * peer.size());
        int worst = 0;
        for (size_t i = 0; i < peer.size(); ++i)
            for (int k = 0; k < 3; ++k)
                worst = std::max(worst, std::abs(int(rgb[3 * i + size_t(k)]) -
                                                 int((peer[i] >> (16 - 8 * k)) & 0xFF)));
        EXPECT_LE(worst, c.tolerance);
        if (std::string(c.name) != "grey.jpg") continue;
        for (size_t i = 0; i < rgb.size(); i += 3)
            ASSERT_TRUE(rgb[i] == rgb[i + 1] && rgb[i] == rgb[i + 2]) << i;
    }
    EXPECT_TRUE(host.messages().empty());
}

TEST(JpegTest, MissingAndDamagedFilesAreReported) {
    const ts::TempFolder folder;
    RecordingHost host;
    AnimationDocument doc(host);
    EXPECT_EQ(ImportJpeg(doc, folder.file("none.jpg")), -1);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].text, "JPEG :\nCan't open " + folder.file("none.jpg") + "\n");
    EXPECT_EQ(host.messages()[0].caption, "Jpeg Error");
    ts::WriteBytes(folder.file("bad.jpg"), {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 1});
    EXPECT_EQ(ImportJpeg(doc, folder.file("bad.jpg")), -1);
    ASSERT_EQ(host.messages().size(), 2u);
    EXPECT_EQ(host.messages()[1].caption, "JPEG Fatal Error");
    EXPECT_TRUE(doc.empty());
}

TEST(JpegTest, ExportWritesABaselineJpegAtTheQualityAskedOrReportsFailure) {
    const ts::TempFolder folder;
    RecordingHost host;
    AnimationDocument doc(host);
    doc.settings.jpegCompression = 75;
    // Left half red, right half blue with the transparency marker, which is no colour.
    auto plane = TrueColourBuffer::Create(16, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            plane->set(x, y, x < 8 ? 0xFF0000u : 0x0000FFu | kTransparentMarker);
    const std::string colour = folder.file("out.jpg"), grey = folder.file("grey.jpg");
    ASSERT_EQ(ExportJpeg(doc, *plane, colour, true), 0);
    ASSERT_EQ(ExportJpeg(doc, *plane, grey, false), 0);
    const ts::ToolResult identified =
        ts::RunTool("identify -format '%w %h %Q %[interlace] %[colorspace]\\n' " +
                    ts::ShellQuote(colour) + " " + ts::ShellQuote(grey));
    EXPECT_EQ(identified.out, "16 8 75 None sRGB\n16 8 75 None Gray\n");
    const std::vector<uint32_t> back = ts::PeerStillRgb(colour);
    ASSERT_EQ(back.size(), 128u);
    EXPECT_GT((back[0] >> 16) & 0xFF, 230u);
    EXPECT_LT(back[0] & 0xFF, 30u);
    EXPECT_GT(back[15] & 0xFF, 230u);
    EXPECT_LT((back[15] >> 16) & 0xFF, 30u);

    EXPECT_EQ(ExportJpeg(doc, *plane, "/nonexistent-dir/out.jpg", true), 1);
    EXPECT_EQ(host.messages().back().text, "Couldn't write jpeg");
}

}  // namespace
