// Every effect and transition, by its name, as a user runs it from velmora-cli on
// pictures like the ones users have: a photo animation on one global table and a GIF
// that FFmpeg made from a video.
#include <gtest/gtest.h>

#include <string>

#include "effects/EffectRegistry.h"
#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

struct Input {
    const char* label;
    std::string (*make)(const ts::TempFolder&);
    size_t images;
    // FFmpeg crops the frames of a video GIF to their changes; a transition needs two
    // frames of the same place and size, so the user makes them whole first.
    bool croppedFrames;
};

const Input kInputs[] = {
    {"photo 200x150 on one global table",
     [](const ts::TempFolder& f) { return ts::MakePhotoGif(f, "photo.gif", 200, 150, 3); }, 3,
     false},
    {"64x48 GIF from a video",
     [](const ts::TempFolder& f) {
         return ts::MakeVideoGif(f, "video.gif", "testsrc2", 64, 48, 3);
     },
     3, true},
};

class EffectsOnRealInputs : public testing::TestWithParam<Input> {};

TEST_P(EffectsOnRealInputs, EveryEntryMakesAFileGiflibReads) {
    const ts::TempFolder folder;
    const std::string in = GetParam().make(folder);
    ASSERT_FALSE(in.empty());
    std::string whole = in;
    if (GetParam().croppedFrames) {
        const ts::ToolResult refused = ts::RunCli("transition Fade " + ts::ShellQuote(in) + " -o " +
                                                  ts::ShellQuote(folder.file("refused.gif")));
        EXPECT_EQ(refused.status, 1) << refused.err;
        EXPECT_NE(refused.err.find("has no successor of the same place and size"),
                  std::string::npos)
            << refused.err;
        whole = folder.file("whole.gif");
        const ts::ToolResult r =
            ts::RunCli("unoptimize " + ts::ShellQuote(in) + " -o " + ts::ShellQuote(whole));
        ASSERT_EQ(r.status, 0) << r.err;
    }
    for (const bool effect : {true, false}) {
        const int count = effect ? kEffectCount : kTransitionCount;
        const std::string& input = effect ? in : whole;
        for (int i = 0; i < count; ++i) {
            const std::string name = FindEntry(effect, i)->name;
            const std::string out = folder.file("out.gif");
            const ts::ToolResult r = ts::RunCli(std::string(effect ? "effect " : "transition ") +
                                                ts::ShellQuote(name) + " " + ts::ShellQuote(input) +
                                                " -o " + ts::ShellQuote(out) + " --frames 4");
            EXPECT_EQ(r.signal, 0) << name << " ended by a signal: " << r.err;
            EXPECT_EQ(r.status, 0) << name << ": " << r.err;
            const auto file = ts::GiflibDecode(out);
            ASSERT_TRUE(file.has_value()) << name;
            EXPECT_GT(file->images.size(), GetParam().images) << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, EffectsOnRealInputs, testing::ValuesIn(kInputs),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
