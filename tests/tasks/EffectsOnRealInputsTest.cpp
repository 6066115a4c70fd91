// Every effect and transition by its name from velmora-cli on a photo animation and a GIF
// FFmpeg made from a video; counts beyond memory, wide pictures, saving while reducing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects/EffectRegistry.h"
#include "effects/EffectSelection.h"
#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

using ts::PrintTo;

struct Input {
    const char* label;
    std::string (*make)(const ts::TempFolder&);
    size_t images;
};

const Input kInputs[] = {
    {"photo 200x150 on one global table",
     [](const ts::TempFolder& f) { return ts::MakePhotoGif(f, "photo.gif", 200, 150, 3); }, 3},
    {"64x48 GIF from a video",
     [](const ts::TempFolder& f) {
         return ts::MakeVideoGif(f, "video.gif", "testsrc2", 64, 48, 3, true);
     },
     3},
};

class EffectsOnRealInputs : public testing::TestWithParam<Input> {};

TEST_P(EffectsOnRealInputs, EveryEntryMakesAFileGiflibReads) {
    const ts::TempFolder folder;
    const std::string in = GetParam().make(folder);
    ASSERT_FALSE(in.empty());
    for (const bool effect : {true, false}) {
        const int count = effect ? kEffectCount : kTransitionCount;
        for (int i = 0; i < count; ++i) {
            const std::string name = FindEntry(effect, i)->name;
            const std::string out = folder.file("out.gif");
            const ts::ToolResult r = ts::RunCli(
                {effect ? "effect" : "transition", name, in, "-o", out, "--frames", "4"});
            if (r.signal != 0) {
                ADD_FAILURE() << name << " ended by signal " << r.signal << ": " << r.err;
                continue;
            }
            EXPECT_EQ(r.status, 0) << name << ": " << r.err;
            const auto file = ts::GiflibDecode(out);
            if (!file) {
                ADD_FAILURE() << name << ": giflib cannot read the result";
                continue;
            }
            EXPECT_GT(file->images.size(), GetParam().images) << name;
        }
    }
}

// The same settings given by field name and by slot number.
struct Spelling {
    const char* command;   // "effect" or "transition"
    const char* name;      // the entry
    const char* named;     // options by field name
    const char* numbered;  // the same by slot
};

const Spelling kSpellings[] = {
    {"effect", "Blind", "--blind-height 7 --color 2", "--value1 7 --color 2"},
    {"transition", "Move both Images",
     "--direction-1 3 --direction-2 'left edge to center' --image-2-on-top 1",
     "--list1 3 --list2 6 --option1 1"},
    {"transition", "Roll Sphere with Satellite",
     "--start-position Top-Right-Back --satellite-width 30 --flat-satellite 1 --roll-sphere 0",
     "--list1 6 --value4 30 --option4 1 --option3 0"},
};

// Fields by name (and the entry by --name) give the file the slot numbers give, not the
// defaults'.
TEST_P(EffectsOnRealInputs, NamedFieldsMakeTheFileTheirSlotsMake) {
    const ts::TempFolder folder;
    const std::string in = GetParam().make(folder);
    ASSERT_FALSE(in.empty());
    for (const Spelling& s : kSpellings) {
        SCOPED_TRACE(std::string(s.command) + " " + s.name);
        const std::string io = " " + ts::ShellQuote(in) + " -o ", entry = ts::ShellQuote(s.name);
        const std::string named = folder.file("named.gif"), numbered = folder.file("numbered.gif");
        const std::string plain = folder.file("plain.gif");
        ASSERT_TRUE(ts::CliSucceeds(s.command + io + ts::ShellQuote(named) + " --name " + entry +
                                    " --frames 4 " + s.named));
        ASSERT_TRUE(ts::CliSucceeds(s.command + (" " + entry) + io + ts::ShellQuote(numbered) +
                                    " --frames 4 " + s.numbered));
        ASSERT_TRUE(ts::CliSucceeds(s.command + (" " + entry) + io + ts::ShellQuote(plain) +
                                    " --frames 4"));
        const std::vector<uint8_t> bytes = ts::ReadBytes(named);
        EXPECT_FALSE(bytes.empty());
        EXPECT_TRUE(bytes == ts::ReadBytes(numbered));
        EXPECT_FALSE(bytes == ts::ReadBytes(plain));
        const auto file = ts::GiflibDecode(named);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->images.size(), GetParam().images + 4);
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, EffectsOnRealInputs, testing::ValuesIn(kInputs), ts::ByLabel());

// Counts beyond memory end with a status and a message, never a signal, within a small
// machine's address space (none under the sanitizers: there the budget alone holds).
const int kLimitMiB = ts::SmallMachineMiB();

// What the dialog says about a count whose frames cannot be held.
constexpr const char* kDoesNotFit = "do not fit into memory";

struct TooMany {
    const char* label;
    const char* command;  // effect or transition with its name, quoted
    const char* input;    // "photo" or "video"
    const char* frames;
    bool pingPong;
    // Tens of gigabytes at most: a large machine's budget may let it start.
    bool limitedOnly;
};

// Counts whose frames need from tens of gigabytes to terabytes.
const TooMany kTooMany[] = {
    {"Blur 100000 on a photo", "effect Blur", "photo", "100000", false, true},
    {"Blur ten million on a video GIF", "effect Blur", "video", "10000000", false, false},
    {"Blur transition a million", "transition Blur", "photo", "1000000", false, false},
    {"Weave at the largest int", "effect Weave", "video", "2147483647", false, false},
    {"Random Shine PingPong at the largest int", "effect 'Random Shine through'", "video",
     "2147483647", true, false},
    {"Fade transition at the largest int", "transition Fade", "photo", "2147483647", false, false},
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

// A random pick of 0..32767 scaled to the width reaches only 32768 columns: the run once
// waited for the others for ever. 40 frames of one 40000-pixel row cover more.
TEST(EffectLimits, RandomShineEndsOnPicturesWiderThan32767) {
    const ts::TempFolder folder;
    // Made by FFmpeg: ImageMagick's policy stops at 16K pixels a side.
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

// Saving right after a transition whose colour reduction may still be running: every
// reader sees all frames, with the reduction's tables and transparency.

// Opaque pictures make opaque frames: no pixel may use the transparent slot.
void ExpectOpaque(const ts::PeerImage& image, const std::string& what) {
    if (image.transparent < 0) return;
    for (const uint8_t i : image.indexes)
        ASSERT_NE(int(i), image.transparent) << what << ": a colour became transparent";
}

TEST(SaveAfterReduction, TransitionFadeOnAPhotoGif) {
    const ts::TempFolder folder;
    const std::string gif = ts::MakePhotoGif(folder, "a.gif", 200, 150, 3);
    ASSERT_FALSE(gif.empty());
    const std::string out = folder.file("out.gif");
    const ts::ToolResult r = ts::RunCli({"transition", "Fade", gif, "-o", out, "--frames", "6"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto file = ts::GiflibDecode(out);
    ASSERT_TRUE(file.has_value()) << "giflib refuses the file";
    ASSERT_EQ(file->images.size(), 9u);
    for (size_t i = 1; i < 7; ++i) {
        EXPECT_TRUE(file->images[i].hasLocalMap) << i;
        ExpectOpaque(file->images[i], "faded image " + std::to_string(i));
    }
    // Every reader composes the same pictures, each between its two ends.
    const auto peer = ts::PeerComposedPictures(out);
    ASSERT_TRUE(peer.has_value());
    ASSERT_EQ(peer->size(), 9u);
    const ts::ComposedPicture& from = (*peer)[0];
    const ts::ComposedPicture& to = (*peer)[7];
    for (size_t i = 1; i < 7; ++i) {
        const ts::ComposedPicture& step = (*peer)[i];
        ASSERT_EQ(step.pixels.size(), from.pixels.size());
        int outside = 0;
        for (size_t j = 0; j < step.pixels.size(); ++j) {
            if ((step.pixels[j] >> 24) == 0) ++outside;  // transparent: not a picture
            for (int shift : {16, 8, 0}) {
                const int a = int(from.pixels[j] >> shift & 0xFF);
                const int b = int(to.pixels[j] >> shift & 0xFF);
                const int v = int(step.pixels[j] >> shift & 0xFF);
                if (v < std::min(a, b) - 24 || v > std::max(a, b) + 24) ++outside;
            }
        }
        EXPECT_LT(outside, int(step.pixels.size() / 100)) << "faded image " << i;
    }
}

}  // namespace
