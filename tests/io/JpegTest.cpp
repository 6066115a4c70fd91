#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "IoTestSupport.h"
#include "document/AnimationDocument.h"
#include "io/Jpeg.h"
#include "support/TestSupport.h"

using namespace io_test;

namespace {

// libjpeg (through ImageMagick's djpeg-free path would hide its defaults) decodes
// within a tolerance of a few levels for the same file; our reader uses libjpeg too,
// so the pixels must agree with ImageMagick's within a small error.
void ExpectClose(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance) {
    ASSERT_EQ(a.size(), b.size());
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift <= 16; shift += 8)
            worst = std::max(worst,
                             std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF)));
    EXPECT_LE(worst, tolerance);
}

TEST(JpegTest, ColourGreyNarrowAndCmykFilesReadLikeImageMagick) {
    const std::string dir = TempDir("jpeg");
    const std::string picture = "-size 3x17 gradient:red-blue ";
    ASSERT_EQ(Shell("convert " + picture + "-quality 95 " + dir + "/narrow.jpg"), 0);
    ASSERT_EQ(
        Shell("convert -size 20x9 gradient:white-black -colorspace gray " + dir + "/grey.jpg"), 0);
    ASSERT_EQ(
        Shell("convert -size 20x9 gradient:yellow-blue -colorspace cmyk " + dir + "/cmyk.jpg"), 0);
    RecordingHost host;
    for (const char* name : {"narrow.jpg", "grey.jpg", "cmyk.jpg"}) {
        int w = 0, h = 0;
        const std::vector<uint8_t> rgb = JpegRead(host, dir + "/" + name, w, h);
        ASSERT_FALSE(rgb.empty()) << name;
        ExpectClose(FromRgb(rgb), MagickPixels(dir + "/" + name),
                    std::string(name) == "cmyk.jpg" ? 8 : 2);
    }
    int w = 0, h = 0;
    const std::vector<uint8_t> grey = JpegRead(host, dir + "/grey.jpg", w, h);
    for (size_t i = 0; i < grey.size(); i += 3) {
        EXPECT_EQ(grey[i], grey[i + 1]);
        EXPECT_EQ(grey[i], grey[i + 2]);
    }
    EXPECT_TRUE(host.messages().empty());
}

TEST(JpegTest, ImportAddsARightSideUpFrame) {
    const std::string dir = TempDir("jpegimport");
    ASSERT_EQ(Shell("convert -size 3x5 xc:white -fill red -draw 'point 0,0' -quality 100 " + dir +
                    "/a.jpg"),
              0);
    RecordingHost host;
    AnimationDocument doc(host);
    ASSERT_EQ(ImportJpeg(doc, dir + "/a.jpg"), 0);
    doc.firstFrame->WaitForReduction();
    auto plane = doc.firstFrame->trueColourPlane();
    ASSERT_TRUE(plane);
    EXPECT_EQ(doc.firstFrame->width, 3);
    ExpectClose(std::vector<uint32_t>(plane->data(), plane->data() + 15),
                MagickPixels(dir + "/a.jpg"), 2);
    EXPECT_GT((plane->get(0, 0) >> 16) & 0xFF, 200u);
    EXPECT_LT(plane->get(0, 0) & 0xFF, 100u);
}

TEST(JpegTest, MissingAndDamagedFilesAreReported) {
    const std::string dir = TempDir("jpegbad");
    RecordingHost host;
    AnimationDocument doc(host);
    EXPECT_EQ(ImportJpeg(doc, dir + "/none.jpg"), -1);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].text, "JPEG :\nCan't open " + dir + "/none.jpg\n");
    EXPECT_EQ(host.messages()[0].caption, "Jpeg Error");
    WriteBytes(dir + "/bad.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 1});
    EXPECT_EQ(ImportJpeg(doc, dir + "/bad.jpg"), -1);
    ASSERT_EQ(host.messages().size(), 2u);
    EXPECT_EQ(host.messages()[1].caption, "JPEG Fatal Error");
    EXPECT_TRUE(doc.empty());
}

// A photo cut short fails in every coding, also where the library gives up in the middle
// of the rows (the CMYK rows go through a buffer of ours, which the sanitizer build
// checks is freed), and the whole photo still reads.
TEST(JpegTest, APhotoCutShortIsAFailureWithTheLibraryMessage) {
    const std::string dir = TempDir("jpegcut");
    for (const char* options : {"", "-interlace JPEG", "-colorspace CMYK"}) {
        SCOPED_TRACE(options);
        const std::string whole = dir + "/whole.jpg";
        ASSERT_EQ(Shell("convert rose: -resize 300x200! -quality 90 " + std::string(options) + " " +
                        whole),
                  0);
        std::vector<uint8_t> bytes = Bytes(whole);
        bytes.resize(bytes.size() * 2 / 3);
        WriteBytes(dir + "/cut.jpg", bytes);
        RecordingHost host;
        AnimationDocument doc(host);
        EXPECT_EQ(ImportJpeg(doc, dir + "/cut.jpg"), -1);
        EXPECT_TRUE(doc.empty());
        ASSERT_EQ(host.messages().size(), 1u);
        EXPECT_EQ(host.messages()[0].text, "Premature end of JPEG file");
        EXPECT_EQ(host.messages()[0].caption, "JPEG Fatal Error");
        int w = 0, h = 0;
        EXPECT_TRUE(JpegRead(host, dir + "/cut.jpg", w, h).empty());
        EXPECT_EQ(w, 0);
        EXPECT_EQ(ImportJpeg(doc, whole), 0);
        EXPECT_EQ(doc.countFrames(), 1);
    }
}

TEST(JpegTest, ExportWritesABaselineJpegThatLibjpegReadsAndReportsFailure) {
    const std::string dir = TempDir("jpegexport");
    RecordingHost host;
    AnimationDocument doc(host);
    doc.settings.jpegCompression = 75;
    auto plane = TrueColourBuffer::Create(16, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            plane->set(x, y, x < 8 ? 0xFF0000u : 0x0000FFu | kTransparentMarker);
    ASSERT_EQ(ExportJpeg(doc, *plane, dir + "/out.jpg", true), 0);
    int w = 0, h = 0;
    const std::vector<uint8_t> rgb = JpegRead(host, dir + "/out.jpg", w, h);
    ASSERT_EQ(w, 16);
    ASSERT_EQ(h, 8);
    const std::vector<uint32_t> back = FromRgb(rgb);
    EXPECT_GT((back[0] >> 16) & 0xFF, 230u);
    EXPECT_GT(back[15] & 0xFF, 230u);
    // Baseline: ImageMagick reports the sequential (baseline) process.
    EXPECT_EQ(Shell("identify -verbose " + dir + "/out.jpg | grep -q 'Interlace: None'"), 0);
    EXPECT_EQ(Shell("identify -verbose " + dir + "/out.jpg | grep -q 'Quality: 75'"), 0);

    ASSERT_EQ(ExportJpeg(doc, *plane, dir + "/grey.jpg", false), 0);
    EXPECT_EQ(Shell("identify -verbose " + dir + "/grey.jpg | grep -q 'Colorspace: Gray'"), 0);

    EXPECT_EQ(ExportJpeg(doc, *plane, "/nonexistent-dir/out.jpg", true), 1);
    EXPECT_EQ(host.messages().back().text, "Couldn't write jpeg");
}

}  // namespace
