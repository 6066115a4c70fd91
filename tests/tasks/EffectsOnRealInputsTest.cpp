// Every effect and transition, by its name, as a user runs it from velmora-cli on
// pictures like the ones users have: a photo animation on one global table and a GIF
// that FFmpeg made from a video.
#include <gtest/gtest.h>

#include <ostream>
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
};
void PrintTo(const Input& c, std::ostream* out) {
    *out << c.label;
}

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
            const ts::ToolResult r =
                ts::RunCli(std::string(effect ? "effect " : "transition ") + ts::ShellQuote(name) +
                           " " + ts::ShellQuote(in) + " -o " + ts::ShellQuote(out) + " --frames 4");
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

INSTANTIATE_TEST_SUITE_P(Inputs, EffectsOnRealInputs, testing::ValuesIn(kInputs),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
