// velmora-cli effect / transition: the validation messages (the every-entry run on real
// inputs is in the task tests).
#include <gtest/gtest.h>

#include <string>

#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

TEST(EffectCli, RefusedParametersAndUsage) {
    const ts::TempFolder folder;
    const std::string in = ts::MakePhotoGif(folder, "in.gif", 40, 30, 3);
    const std::string io =
        std::string(" ") + ts::ShellQuote(in) + " -o " + ts::ShellQuote(folder.file("x.gif"));
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
        // Fields by name: a wrong name lists the entry's fields, values outside the range
        // are refused as bad arguments.
        {"effect Blind", " --blind-hieght 12", 2,
         "unknown option '--blind-hieght' for effect 'Blind' (its fields: --blind-height, "
         "--color)"},
        {"effect Blind", " --blind-height 31", 2,
         "--blind-height 31 is out of range: 1 to the picture height (1-30 on this picture)"},
        {"effect Flag", " --halfwaves 40", 2,
         "--halfwaves 40 is out of range: 0 to the picture width less 1 (0-39 on this picture)"},
        {"effect Page", " --rolling-thickness x", 2,
         "--rolling-thickness needs a whole number from 0"},
        {"effect Radar", " --position 2 --start-angle 5", 2,
         "--start-angle: not used by this entry with these settings"},
        {"effect Blind", " --value1 5 --blind-height 6", 2,
         "--blind-height and --value1 set the same field"},
        // Numbered, the value goes to the dialog's own check.
        {"effect Blind", " --value1 31", 1,
         "Parameter out of Range: Valid values for Blind height : 2-30(picture height)"},
    };
    for (const auto& c : cases) {
        const ts::ToolResult r = ts::RunCli(std::string(c.command) + io + c.options);
        EXPECT_EQ(r.status, c.status) << c.command << c.options;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.command << ": " << r.err;
    }
}

}  // namespace
