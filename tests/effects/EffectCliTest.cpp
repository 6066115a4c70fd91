// velmora-cli effects / effect / transition: the listing, the validation messages, and
// where the new frames go (the every-entry run on real inputs is in the task tests).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "effects/EffectRegistry.h"
#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

TEST(EffectCli, ListsEveryEntryInTableOrder) {
    const ts::ToolResult r = ts::RunCli("effects");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, 16), "E0 Blind\nE1 Blur");
    EXPECT_NE(r.out.find("\nE22 Zoom Out\nT0 Blind\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nT18 Roll Sphere with Satellite\n"), std::string::npos);
    EXPECT_EQ(r.out.substr(r.out.size() - 14), "\nT25 Zoom Out\n");
}

TEST(EffectCli, RefusedParametersAndUsage) {
    const ts::TempFolder folder;
    const std::string in = ts::MakePhotoGif(folder, "in.gif", 40, 30, 3);
    const std::string io = " " + ts::ShellQuote(in) + " -o " + ts::ShellQuote(folder.file("x.gif"));
    const struct {
        const char* command;
        const char* options;
        int status;
        const char* message;
    } cases[] = {
        {"transition blur", " --frames 1", 1,
         "At least two frames are required for this transition !"},
        {"effect Emboss", " --value2 256", 1,
         "Parameter out of Range: Valid values for Bias : 0-255"},
        {"effect 'fade out'", " --frames 1 --pingpong", 1,
         "PingPong requires at least two frames."},
        {"effect blur", " --pingpong", 2, ""},  // Blur has no PingPong
        {"effect sparkle", "", 2, ""},
        {"transition fade", " --frame 2", 1, ""},  // the last frame has no successor
    };
    for (const auto& c : cases) {
        const ts::ToolResult r = ts::RunCli(std::string(c.command) + io + c.options);
        EXPECT_EQ(r.status, c.status) << c.command << c.options;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.command << ": " << r.err;
    }
}

TEST(EffectCli, NewFramesFollowTheChosenFrameMirroredWithPingPong) {
    const ts::TempFolder folder;
    const std::string in = folder.file("in.gif");
    ASSERT_EQ(ts::RunTool("convert -size 40x30 gradient:white-black -size 40x30 xc:orange "
                          "-size 40x30 xc:teal -loop 0 " +
                          ts::ShellQuote(in))
                  .status,
              0);
    const std::string out = folder.file("pp.gif");
    const ts::ToolResult r = ts::RunCli("effect 'Fade Out' " + ts::ShellQuote(in) + " -o " +
                                        ts::ShellQuote(out) + " --frames 5 --pingpong --color 0");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto file = ts::GiflibDecode(out);
    ASSERT_TRUE(file);
    // gradient, F0 F1 F2 F1 F0, orange, teal
    ASSERT_EQ(file->images.size(), 8u);
    auto picture = [&](size_t i) {
        std::vector<uint32_t> out;
        for (uint8_t index : file->images[i].indexes) out.push_back(file->images[i].colours[index]);
        return out;
    };
    auto uniform = [](const std::vector<uint32_t>& p) {
        return std::all_of(p.begin(), p.end(), [&](uint32_t v) { return v == p[0]; });
    };
    EXPECT_EQ(picture(1), picture(5));
    EXPECT_EQ(picture(2), picture(4));
    EXPECT_TRUE(uniform(picture(3)));   // the end state: the selected colour
    EXPECT_FALSE(uniform(picture(1)));  // still the gradient, partly faded
    EXPECT_TRUE(uniform(picture(6)));   // the orange frame follows the group
    EXPECT_NE(picture(6)[0], picture(3)[0]);
}

}  // namespace
