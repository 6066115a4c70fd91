// Every effect and transition, by its name, as a user runs it from velmora-cli on
// pictures like the ones users have: a photo animation on one global table and a GIF
// that FFmpeg made from a video.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects/EffectRegistry.h"
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
    {"effect", "Emboss", "--strength 60 --bias 90", "--value1 60 --value2 90"},
    {"effect", "Page", "--preset 'Bottom-Right to Top-Right' --rolling-thickness 8",
     "--list1 2 --value3 8"},
    {"effect", "Spot", "--radius 30 --movement 'BUTTERFLY (sin 2t , cos 3t)'",
     "--value1 30 --list1 3"},
    {"effect", "Radar", "--position 'Top Left Corner' --clockwise 0", "--list1 2 --option1 0"},
    {"effect", "Wave Out", "--halfwaves 5 --left-side 0 --up-to-down 0",
     "--value1 5 --option2 0 --option1 0"},
    {"transition", "Move both Images",
     "--direction-1 3 --direction-2 'left edge to center' --image-2-on-top 1",
     "--list1 3 --list2 6 --option1 1"},
    {"transition", "Roll Sphere with Satellite",
     "--start-position Top-Right-Back --satellite-width 30 --flat-satellite 1 --roll-sphere 0",
     "--list1 6 --value4 30 --option4 1 --option3 0"},
    {"transition", "Zoom In", "--rotation-angle 90", "--value1 90"},
};

// Fields by name give the very file the slot numbers give, and differ from the defaults
// (so neither spelling was ignored). The named run names the entry with --name.
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

}  // namespace
