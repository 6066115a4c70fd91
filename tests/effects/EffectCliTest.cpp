// velmora-cli effect / transition: the validation messages (the every-entry run on real
// inputs is in the task tests).
#include <gtest/gtest.h>

#include <string>

#include "effects/EffectRegistry.h"
#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

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

// --pingpong reaches the renderer: the new frames run forward, then back.
TEST(EffectCli, PingPongMirrorsTheNewFrames) {
    const ts::TempFolder folder;
    const std::string in = ts::MakePhotoGif(folder, "in.gif", 40, 30, 3);
    const std::string out = folder.file("pp.gif");
    const ts::ToolResult r = ts::RunCli("effect 'Fade Out' " + ts::ShellQuote(in) + " -o " +
                                        ts::ShellQuote(out) + " --frames 5 --pingpong --color 0");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto file = ts::GiflibDecode(out);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->images.size(), 8u);  // photo 1, F0 F1 F2 F1 F0, photos 2 and 3
    const auto shows = [&](size_t i) { return ts::ImageColours(file->images[i]); };
    EXPECT_EQ(shows(1), shows(5));
    EXPECT_EQ(shows(2), shows(4));
    EXPECT_NE(shows(1), shows(3));
}

}  // namespace
