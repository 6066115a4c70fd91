#include <gtest/gtest.h>

#include <filesystem>

#include "IoTestSupport.h"
#include "document/AnimationDocument.h"
#include "io/ExportAll.h"
#include "io/FileTypeDispatch.h"
#include "support/TestSupport.h"

using namespace io_test;
using testing_support::AppendToDocument;
using testing_support::MakeFrame;

namespace {

TEST(ExportNamingTest, NormalAndAdvancedNames) {
    EXPECT_EQ(ExportDigits(5), 1);
    EXPECT_EQ(ExportDigits(12), 2);
    EXPECT_EQ(ExportDigits(500), 3);
    EXPECT_EQ(ExportDigits(20000), 5);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(ExportFileName("C:\\a\\anim.gif", k, ExportDigits(5), 0),
                  "C:\\a\\anim" + std::to_string(k) + ".gif");
    EXPECT_EQ(ExportFileName("/a/anim.gif", 0, 2, 0), "/a/anim00.gif");
    EXPECT_EQ(ExportFileName("/a/anim.gif", 11, 2, 0), "/a/anim11.gif");
    EXPECT_EQ(ExportFileName("/a/anim.gif", 123, 2, 0), "/a/anim123.gif");
    EXPECT_EQ(ExportFileName("/a/img**x.gif", 0, 2, '*'), "/a/img00x.gif");
    EXPECT_EQ(ExportFileName("/a/img**x.gif", 11, 2, '*'), "/a/img11x.gif");
    // Without extension the number goes at the end; a dot in a folder is no extension.
    EXPECT_EQ(ExportFileName("/a/anim", 3, 1, 0), "/a/anim3");
    EXPECT_EQ(ExportFileName("/my.pictures/anim", 3, 1, 0), "/my.pictures/anim3");

    EXPECT_EQ(ValidateExportIndicator("/a/img*x.gif", "*", 2),
              "Found indicator 1 times, but only 2 occurrences allowed");
    EXPECT_EQ(ValidateExportIndicator("/a/imgx.gif", "*", 2), "Can't find Indicator in FileName");
    EXPECT_EQ(ValidateExportIndicator("/a/img**x.gif", "**", 2),
              "Please specify exactly one character to be used as the indicator");
    EXPECT_EQ(ValidateExportIndicator("/a/img**x.gif", "*", 2), "");
    EXPECT_TRUE(ExportPatternLacksGifExtension("/a/anim"));
    EXPECT_TRUE(ExportPatternLacksGifExtension("/my.dir/anim"));
    EXPECT_FALSE(ExportPatternLacksGifExtension("/a/anim.GIF"));
    EXPECT_FALSE(ExportPatternLacksGifExtension(""));
    EXPECT_EQ(ExportIndicatorInfo(true, 2), "Need 2 Indicators in Name");
    EXPECT_EQ(ExportIndicatorInfo(true, 1), "Need 1 Indicator in Name");
    EXPECT_EQ(ExportIndicatorInfo(false, 2), "No Indicator needed");
}

class ExportAllTest : public ::testing::Test {
  protected:
    std::string dir_ = TempDir("exportall");
    RecordingHost host_;
    AnimationDocument doc_{host_};
    void AddFrames(int n) {
        for (int k = 0; k < n; ++k)
            AppendToDocument(doc_, MakeFrame(doc_, 8, 4, {0x112233u * uint32_t(k + 1)}), "f.gif");
    }
};

TEST_F(ExportAllTest, TwelveFramesAsGifAndAsJpeg) {
    AddFrames(12);
    ASSERT_EQ(ExportAllImages(doc_, {dir_ + "/anim.gif", 0, false}), 0);
    for (int k = 0; k < 12; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "/anim%02d.gif", k);
        EXPECT_EQ(Capture("identify -format '%w %h' '" + dir_ + name + "'"), "8 4") << name;
    }
    EXPECT_EQ(host_.messages().back().text, "Export of all images successful");
    EXPECT_EQ(host_.messages().back().caption, "Status");
    ASSERT_EQ(ExportAllImages(doc_, {dir_ + "/img**x.jpg", '*', true}), 0);
    EXPECT_EQ(Capture("identify -format '%m' '" + dir_ + "/img11x.jpg'"), "JPEG");
    EXPECT_FALSE(doc_.busy);
}

TEST_F(ExportAllTest, AFailureAsksAndNoEndsTheExportWithTheBusyFlagCleared) {
    AddFrames(3);
    host_.answers = {Answer::No};
    EXPECT_EQ(ExportAllImages(doc_, {"/nonexistent-dir/a.gif", 0, false}), 1);
    ASSERT_EQ(host_.questions().size(), 1u);
    EXPECT_EQ(host_.questions()[0].text, "Error exporting as Gif/nonexistent-dir/a0.gif");
    EXPECT_EQ(host_.questions()[0].caption, "Continue Anyway ?");
    EXPECT_FALSE(doc_.busy);
    // Going on past failed JPEG frames is no success.
    host_.answers = {Answer::Yes, Answer::Yes, Answer::Yes};
    EXPECT_EQ(ExportAllImages(doc_, {"/nonexistent-dir/a.jpg", 0, true}), 3);
    EXPECT_EQ(host_.questions().back().text, "Error exporting as Jpg/nonexistent-dir/a2.jpg");
    for (const auto& m : host_.messages()) EXPECT_NE(m.text, "Export of all images successful");
    EXPECT_FALSE(doc_.busy);
}

TEST(FileTypeDispatchTest, KindsPerVariantAndTheRefusalTexts) {
    using V = DispatchVariant;
    EXPECT_EQ(KindOfPath("/x/a.GIF", V::CommandLine), FileKind::Gif);
    EXPECT_EQ(KindOfPath("/x/a.Dib", V::Open), FileKind::Bitmap);
    EXPECT_EQ(KindOfPath("/x/a.tga", V::Open), FileKind::Targa);
    EXPECT_EQ(KindOfPath("/x/a.ico", V::Open), FileKind::Icon);
    EXPECT_EQ(KindOfPath("/x/a.ANI", V::Open), FileKind::Cursor);
    EXPECT_EQ(KindOfPath("/x/a.mp4", V::Open), FileKind::Avi);
    EXPECT_EQ(KindOfPath("/x/a.jpg", V::Open), FileKind::Jpeg);
    // velmora-cli writes .jpeg: every entry reads it, in any case.
    for (const V variant : {V::Open, V::DragDrop, V::CommandLine})
        for (const char* name : {"/x/a.jpeg", "/x/a.JPEG", "/x/a.Jpeg", "/x/a.JPG"})
            EXPECT_EQ(KindOfPath(name, variant), FileKind::Jpeg) << name;
    EXPECT_EQ(KindOfPath("/x/a.png", V::Open), FileKind::Gif);
    EXPECT_EQ(KindOfPath("/x/a", V::Open), FileKind::Gif);
    EXPECT_EQ(KindOfPath("/x/a.png", V::DragDrop), FileKind::Unknown);
    EXPECT_EQ(KindOfPath("/x.y/a", V::DragDrop), FileKind::Gif);
    EXPECT_EQ(KindOfPath("/x/a", V::CommandLine), FileKind::Unknown);

    RecordingHost host;
    AnimationDocument doc(host);
    EXPECT_EQ(LoadFileByType(doc, "/x/a.png", {V::CommandLine, {}}), kLoadUnknownType);
    EXPECT_EQ(host.messages().back().text,
              "Invalid format '*.png'- only GIF, JPG, JPEG, BMP, DIB, TGA, AVI, MP4, WEBM, MOV, "
              "MKV, ICO, CUR and ANI files "
              "are accepted");
    EXPECT_EQ(host.messages().back().caption, "CommandLine Error");
    EXPECT_EQ(LoadFileByType(doc, "/x/a.png", {V::DragDrop, {}}), kLoadUnknownType);
    EXPECT_EQ(host.messages().back().text,
              "Invalid format \"*.png\"- only GIF, JPG, JPEG, BMP, DIB, TGA, AVI, MP4, WEBM, MOV, "
              "MKV, ICO, CUR and ANI files "
              "are accepted");
    EXPECT_EQ(host.messages().back().caption, "Drag & Drop  Error");

    const std::string dir = TempDir("dispatch");
    ASSERT_EQ(Shell("convert -size 4x3 xc:red " + dir + "/a.bmp"), 0);
    ASSERT_EQ(Shell("convert -size 4x3 xc:blue " + dir + "/b.jpg"), 0);
    EXPECT_EQ(LoadFileByType(doc, dir + "/a.bmp"), 0);
    EXPECT_EQ(LoadFileByType(doc, dir + "/b.jpg"), 0);
    EXPECT_EQ(doc.countFrames(), 2);
}

}  // namespace
