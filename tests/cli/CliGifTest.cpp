// velmora-cli info on a small hand-made GIF, and the exit statuses of info and convert.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// A two-frame GIF: global table of 4, loop 2, a comment on frame 2 with a byte above
// 127, a transparent frame at an offset, and a comment after the last image.
std::string MakeGif(const ts::TempFolder& folder, const std::string& name) {
    const std::string path = folder.file(name);
    const unsigned char bytes[] = {
        'G',  'I',  'F',  '8',  '9',  'a',  4,    0,    2,    0,    0x81, 1,    0,   10,   20,
        30,   40,   50,   60,   70,   80,   90,   100,  110,  120,  0x21, 0xFF, 11,  'N',  'E',
        'T',  'S',  'C',  'A',  'P',  'E',  '2',  '.',  '0',  3,    1,    2,    0,   0,    0x21,
        0xF9, 4,    0x04, 15,   0,    0,    0,    0x2C, 0,    0,    0,    0,    4,   0,    2,
        0,    0x00, 2,    4,    0x8C, 0x2D, 0x99, 0x07, 0,  // clear, 0..3 twice-ish; any valid data
        0x21, 0xF9, 4,    0x09, 30,   0,    1,    0,    0x21, 0xFE, 3,    'o',  'k', 0xE9, 0,
        0x2C, 1,    0,    1,    0,    2,    0,    1,    0,    0x80, 1,    2,    3,   4,    5,
        6,    2,    2,    0x44, 0x01, 0,    0x21, 0xFE, 2,    'h',  'i',  0,    0x3B};
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
    return ts::ShellQuote(path);
}

}  // namespace

TEST(CliGifTest, InfoAsJson) {
    const ts::TempFolder folder;
    const ts::ToolResult r = ts::RunCli("info " + MakeGif(folder, "a.gif") + " --json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"screen\":{\"width\":4,\"height\":2}"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"background\":1"), std::string::npos);
    EXPECT_NE(r.out.find("\"loop\":2"), std::string::npos);
    EXPECT_NE(r.out.find("\"globalPalette\":[[10,20,30],[40,50,60],[70,80,90],[100,110,120]]"),
              std::string::npos);
    EXPECT_NE(r.out.find("\"comments\":[\"hi\"]"), std::string::npos);
    EXPECT_NE(r.out.find("{\"left\":0,\"top\":0,\"width\":4,\"height\":2,\"delay\":15,"
                         "\"disposal\":1,\"transparent\":null,\"interlaced\":false,"
                         "\"localPalette\":null,\"comments\":[]}"),
              std::string::npos)
        << r.out;
    // Comment bytes are shown as Latin-1.
    EXPECT_NE(r.out.find("{\"left\":1,\"top\":1,\"width\":2,\"height\":1,\"delay\":30,"
                         "\"disposal\":2,\"transparent\":1,\"interlaced\":false,"
                         "\"localPalette\":[[1,2,3],[4,5,6]],\"comments\":[\"ok\xC3\xA9\"]}"),
              std::string::npos)
        << r.out;
}

TEST(CliGifTest, ExitStatuses) {
    const ts::TempFolder folder;
    const std::string missing = ts::ShellQuote(folder.file("missing.gif"));
    const std::string out = folder.file("o.gif");
    const struct {
        std::string args;
        int status;
        const char* message;
    } cases[] = {
        {"info", 2, ""},
        {"convert a.gif", 2, ""},
        {"info " + missing, 1, "Loading Gif"},
        {"convert " + missing + " -o " + ts::ShellQuote(out), 1, "Loading Gif"},
        {"convert " + MakeGif(folder, "c.gif") + " -o /no/such/dir/o.gif", 1,
         "while saving animation"},
    };
    for (const auto& c : cases) {
        const ts::ToolResult r = ts::RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}
