#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

std::string TempDir() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() /
                 ("velmora-cli-gif-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir.string();
}

Result Cli(const std::string& args) {
    const std::string err = TempDir() + "/stderr.txt";
    const std::string command = std::string(VELMORA_CLI_PATH) + " " + args + " 2>" + err;
    Result r;
    FILE* pipe = popen(command.c_str(), "r");
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
    const int s = pclose(pipe);
    r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    std::ifstream in(err);
    r.err.assign(std::istreambuf_iterator<char>(in), {});
    return r;
}

// A two-frame GIF: global table of 4, loop 2, a comment on frame 2 with a byte above
// 127, a transparent frame at an offset, and a comment after the last image.
std::string MakeGif(const std::string& name) {
    const std::string path = TempDir() + "/" + name;
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
    return path;
}

}  // namespace

TEST(CliGifTest, InfoAsJson) {
    const Result r = Cli("info " + MakeGif("a.gif") + " --json");
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

TEST(CliGifTest, InfoAsText) {
    const Result r = Cli("info " + MakeGif("t.gif"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("screen: 4x2"), std::string::npos);
    EXPECT_NE(r.out.find("frames: 2"), std::string::npos);
}

TEST(CliGifTest, ConvertJoinsInputsAndKeepsThem) {
    const std::string a = MakeGif("in1.gif");
    const std::string out = TempDir() + "/joined.gif";
    const Result r = Cli("convert " + a + " " + a + " -o " + out);
    ASSERT_EQ(r.status, 0) << r.err;
    const Result info = Cli("info " + out + " --json");
    ASSERT_EQ(info.status, 0);
    size_t frames = 0;
    for (size_t at = info.out.find("\"left\""); at != std::string::npos;
         at = info.out.find("\"left\"", at + 1))
        ++frames;
    EXPECT_EQ(frames, 4u);
    EXPECT_NE(info.out.find("\"loop\":2"), std::string::npos);
    EXPECT_NE(info.out.find("\"comments\":[\"hi\",\"hi\"]"), std::string::npos) << info.out;
}

TEST(CliGifTest, ExitStatuses) {
    EXPECT_EQ(Cli("info").status, 2);
    EXPECT_EQ(Cli("info a.gif --bogus").status, 2);
    EXPECT_EQ(Cli("convert a.gif").status, 2);
    EXPECT_EQ(Cli("convert -o x.gif").status, 2);
    const Result missing = Cli("info " + TempDir() + "/missing.gif");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Loading Gif"), std::string::npos) << missing.err;
    const Result bad = Cli("convert " + TempDir() + "/missing.gif -o " + TempDir() + "/o.gif");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("Loading Gif"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(TempDir() + "/o.gif"));
    const Result cannot = Cli("convert " + MakeGif("c.gif") + " -o /no/such/dir/o.gif");
    EXPECT_EQ(cannot.status, 1);
    EXPECT_NE(cannot.err.find("while saving animation"), std::string::npos) << cannot.err;
}
