// Effects and transitions asked for more than a machine can hold, and pictures wider than
// a random pick of 15 bits can reach, as a user runs them from velmora-cli on a photo GIF
// and on a GIF made from a video. Each ends with an exit status and a message, never a
// signal, under the address-space limit of a small machine.
#include <gtest/gtest.h>

#include <string>

#include "effects/EffectSelection.h"
#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// The address space of a small machine (none under the sanitizers, whose shadow memory
// is reserved up front: there the memory budget alone has to hold).
const int kLimitMiB = ts::SmallMachineMiB();

// What the dialog says about a count whose frames cannot be held.
constexpr const char* kDoesNotFit = "do not fit into memory";

struct TooMany {
    const char* label;
    const char* command;  // effect or transition with its name, quoted
    const char* input;    // "photo" or "video"
    const char* frames;
    bool pingPong;
    // Needs tens of gigabytes at most: run only where the address space is limited, since
    // a large machine's budget may let it start.
    bool limitedOnly;
};

// Counts whose frames need from tens of gigabytes to terabytes.
const TooMany kTooMany[] = {
    {"Blur 100000 on a photo", "effect Blur", "photo", "100000", false, true},
    {"Blur ten million on a video GIF", "effect Blur", "video", "10000000", false, false},
    {"Emboss a million on a photo", "effect Emboss", "photo", "1000000", false, false},
    {"Blur transition a million", "transition Blur", "photo", "1000000", false, false},
    {"Weave at the largest int", "effect Weave", "video", "2147483647", false, false},
    {"Blind PingPong at the largest int", "effect Blind", "video", "2147483647", true, false},
    {"Fade Out a billion", "effect 'Fade Out'", "photo", "1073741824", false, false},
    {"Random Shine PingPong at the largest int", "effect 'Random Shine through'", "video",
     "2147483647", true, false},
    {"Fade transition at the largest int", "transition Fade", "photo", "2147483647", false, false},
    {"Pixelize PingPong at the largest int", "effect Pixelize", "video", "2147483647", true, false},
};

TEST(EffectLimits, CountsBeyondMemoryEndWithAMessage) {
    const ts::TempFolder folder;
    const std::string photo = ts::MakePhotoGif(folder, "photo.gif", 200, 150, 2);
    const std::string video = ts::MakeVideoGif(folder, "video.gif", "testsrc2", 64, 48, 2);
    ASSERT_FALSE(photo.empty() || video.empty());
    for (const TooMany& c : kTooMany) {
        SCOPED_TRACE(c.label);
        if (c.limitedOnly && kLimitMiB == 0) continue;
        const std::string in = std::string(c.input) == "photo" ? photo : video;
        const ts::ToolResult r =
            ts::RunCli(std::string(c.command) + " " + ts::ShellQuote(in) + " -o " +
                           ts::ShellQuote(folder.file("out.gif")) + " --frames " + c.frames +
                           (c.pingPong ? " --pingpong" : ""),
                       kLimitMiB);
        EXPECT_EQ(r.signal, 0) << r.err;
        EXPECT_EQ(r.status, 1) << r.err;
        // Refused by the dialog's count check, or by the renderer's budget (message 2004)
        // when memory went elsewhere after the dialog looked.
        EXPECT_TRUE(r.err.find(kDoesNotFit) != std::string::npos ||
                    r.err.find(kMessage2004) != std::string::npos)
            << r.err;
    }
}

// A random pick of 0..32767 scaled to the width reaches only 32768 columns; once they
// were covered the run waited for the others for ever. One row keeps the 40000 pixels
// cheap; 40 frames cover more than 32768 of them.
TEST(EffectLimits, RandomShineEndsOnPicturesWiderThan32767) {
    const ts::TempFolder folder;
    // ImageMagick's policy stops at 16K pixels a side; FFmpeg scales the photo, and makes
    // the second image its negative, on one palette as its users do.
    const std::string photo = ts::MakePhoto(folder, "rose.png", 70, 46);
    ASSERT_FALSE(photo.empty());
    const std::string wide = folder.file("wide.gif");
    ASSERT_TRUE(ts::ToolSucceeds(
        "ffmpeg -v error -nostdin -y -i " + ts::ShellQuote(photo) +
        " -filter_complex \"[0]scale=40000:1:flags=bicubic,split[a][b];[b]negate[c];"
        "[a][c]concat=n=2:v=1:a=0,split[x][y];[x]palettegen[p];[y][p]paletteuse\" " +
        ts::ShellQuote(wide)));
    for (const char* command : {"effect", "transition"}) {
        SCOPED_TRACE(command);
        const std::string out = folder.file("shine.gif");
        const ts::ToolResult r = ts::RunCli(
            {command, "Random Shine through", wide, "-o", out, "--frames", "40"}, kLimitMiB);
        EXPECT_EQ(r.signal, 0) << r.err;
        ASSERT_EQ(r.status, 0) << r.err;
        const auto file = ts::GiflibDecode(out);
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(file->images.size(), 2u + 40u);
    }
}

}  // namespace
