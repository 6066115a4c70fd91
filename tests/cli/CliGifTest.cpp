// velmora-cli info as JSON, and the exit statuses of info and convert.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

TEST(CliGifTest, InfoAsJsonAndExitStatuses) {
    const ts::TempFolder folder;
    const std::string gif = ts::MakePhotoGif(folder, "a.gif", 40, 30, 2);
    const ts::ToolResult info = ts::RunCli({"info", gif, "--json"});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out.rfind("{\"screen\":{\"width\":40,\"height\":30},\"background\":", 0), 0u)
        << info.out;
    EXPECT_NE(info.out.find("\"frames\":[{\"left\":0,\"top\":0,\"width\":40,\"height\":30,"),
              std::string::npos)
        << info.out;

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
        {"convert " + ts::ShellQuote(gif) + " -o /no/such/dir/o.gif", 1, "while saving animation"},
    };
    for (const auto& c : cases) {
        const ts::ToolResult r = ts::RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
