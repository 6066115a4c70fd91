#include <gtest/gtest.h>

#include "IoTestSupport.h"

using namespace io_test;

namespace {

std::string Cli(const std::string& arguments) {
    return std::string(VELMORA_CLI_PATH) + " " + arguments;
}

TEST(CliImportExportTest, ConvertReadsEveryImportableTypeAndWritesGifAviAndJpeg) {
    const std::string dir = TempDir("cli");
    ASSERT_EQ(Shell("convert -size 12x8 gradient:red-blue " + dir + "/a.bmp"), 0);
    ASSERT_EQ(Shell("convert -size 12x8 gradient:green-blue " + dir + "/b.tga"), 0);
    ASSERT_EQ(Shell("convert -size 12x8 gradient:white-blue " + dir + "/c.jpg"), 0);
    ASSERT_EQ(Shell("convert -size 16x16 gradient:white-red " + dir + "/d.ico"), 0);
    ASSERT_EQ(Shell("ffmpeg -y -f lavfi -i testsrc=size=12x8:rate=10 -frames:v 10 -c:v mpeg4 " +
                    dir + "/e.mp4"),
              0);
    ASSERT_EQ(Shell(Cli("convert " + dir + "/a.bmp " + dir + "/b.tga " + dir + "/c.jpg " + dir +
                        "/d.ico -o " + dir + "/out.gif")),
              0);
    EXPECT_EQ(Capture("identify -format '%w %h\\n' " + dir + "/out.gif | wc -l"), "4\n");

    ASSERT_EQ(Shell(Cli("convert " + dir + "/e.mp4 --avi-first 7 --avi-count 3 --reverse -o " +
                        dir + "/r.avi")),
              0);
    EXPECT_EQ(Capture("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                      "stream=nb_read_frames "
                      "-of csv=p=0 " +
                      dir + "/r.avi"),
              "3\n");
    // From index 8 forward there are only two frames: the dialog's message, no file.
    EXPECT_NE(
        Shell(Cli("convert " + dir + "/e.mp4 --avi-first 8 --avi-count 3 -o " + dir + "/x.gif")),
        0);
    const std::string said = Capture(
        "(" + Cli("convert " + dir + "/e.mp4 --avi-first 8 --avi-count 3 -o " + dir + "/x.gif") +
        " 2>&1)");
    EXPECT_NE(said.find("The first frame index is too high or the number of frames is too high."),
              std::string::npos)
        << said;

    ASSERT_EQ(Shell(Cli("convert " + dir + "/a.bmp -o " + dir + "/one.jpg")), 0);
    EXPECT_EQ(Capture("identify -format '%m %w %h' " + dir + "/one.jpg"), "JPEG 12 8");
    EXPECT_NE(Shell(Cli("convert " + dir + "/a.bmp " + dir + "/b.tga -o " + dir + "/two.jpg")), 0);
}

TEST(CliImportExportTest, ExportAllNamesTheFiles) {
    const std::string dir = TempDir("cliexport");
    ASSERT_EQ(Shell("ffmpeg -y -f lavfi -i testsrc=size=12x8:rate=10 -frames:v 12 -c:v mpeg4 " +
                    dir + "/v.mp4"),
              0);
    ASSERT_EQ(Shell(Cli("export-all " + dir + "/v.mp4 " + dir + "/anim.gif")), 0);
    EXPECT_TRUE(std::filesystem::exists(dir + "/anim00.gif"));
    EXPECT_TRUE(std::filesystem::exists(dir + "/anim11.gif"));
    ASSERT_EQ(Shell(Cli("export-all " + dir + "/v.mp4 '" + dir +
                        "/img**x.jpg' --jpeg --quality 60 --indicator '*'")),
              0);
    EXPECT_EQ(Capture("identify -format '%m %Q' " + dir + "/img07x.jpg"), "JPEG 60");
    EXPECT_NE(Shell(Cli("export-all " + dir + "/v.mp4 '" + dir + "/one*.gif' --indicator '*'")), 0);
    EXPECT_FALSE(std::filesystem::exists(dir + "/one0.gif"));
}

}  // namespace
