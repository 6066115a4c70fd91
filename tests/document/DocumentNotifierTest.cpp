// The progress reporter behind the status bar, driven by scripts of notifications.
#include <gtest/gtest.h>

#include "document/DocumentNotifier.h"
#include "support/TestSupport.h"

namespace {

constexpr int R = kBatchReduction, G = kBatchGeneration, S = kBatchSaving;
constexpr const char* kReducing = "Thread ColorReducing Img ";

struct Step {
    int code, a = 0, b = 0;
    std::string shows = "";  // the text this step shows; "" when it shows nothing
    int position = 0;
    bool quiet = false;  // the window thread waits: nothing may be shown
};
struct Script {
    const char* name;
    std::vector<Step> steps;
};

const std::string k1of3 = std::string(kReducing) + "1/3";
// clang-format off
const Script kScripts[] = {
    {"a batch counts up and ends on Idle",
     {{kNotifyBatchStarts, R, 4}, {kNotifyFrameReduced, 0, 0, std::string(kReducing) + "1/4", 25},
      {kNotifyFrameReduced, 0, 0, std::string(kReducing) + "2/4", 50},
      {kNotifyFrameReduced, 0, 0, std::string(kReducing) + "3/4", 75},
      {kNotifyFrameReduced, 0, 0, "Idle", 0}, {kNotifyShowCurrent}}},
    {"a batch of one ends silently", {{kNotifyBatchStarts, G, 1}, {kNotifyFrameComputed}}},
    {"each counter has its text",
     {{kNotifyBatchStarts, G, 3}, {kNotifyFrameComputed, 0, 0, "Calculating Img 1/3", 33},
      {kNotifyBatchStarts, S, 2}, {kNotifyFrameSaved, 0, 0, "Saving Img 1/2", 50},
      {kNotifyBatchStarts, R, 5}, {kNotifyShowCurrent, 0, 0, "Calculating Img 1/3", 33},
      {kNotifyAcceptResult}, {99, 0, 0, "Idle", -1}, {kNotifyReset, 0, 0, "Idle", 0},
      {kNotifyShowCurrent}, {kNotifyFrameReduced}}},
    {"the reduction counter shows when the calculation is idle",
     {{kNotifyBatchStarts, R, 3}, {kNotifyFrameReduced, 0, 0, k1of3, 33},
      {kNotifyShowCurrent, 0, 0, k1of3, 33}}},
    {"dropped reductions shrink the batch",
     {{kNotifyBatchStarts, R, 4}, {kNotifyReductionDropped, 0, 0, k1of3, 33},
      {kNotifyFrameReduced, 0, 0, std::string(kReducing) + "2/3", 67},
      {kNotifyReductionDropped, 0, 0, "Idle", -1}, {kNotifyFrameReduced},
      {kNotifyBatchStarts, R, 2}, {kNotifyReductionDropped, 0, 0, "Idle", 0},
      {kNotifyFrameReduced}}},
    {"counting goes on while quiet",
     {{kNotifyBatchStarts, R, 2}, {kNotifyFrameReduced, 0, 0, "", 0, true},
      {kNotifyFrameReduced, 0, 0, "Idle", 0}}},
};
// clang-format on

TEST(DocumentNotifier, Scripts) {
    for (const Script& script : kScripts) {
        SCOPED_TRACE(script.name);
        RecordingHost host;
        std::atomic<int> quiet{0};
        DocumentNotifier notifier(host, quiet);
        for (size_t i = 0; i < script.steps.size(); ++i) {
            const Step& step = script.steps[i];
            SCOPED_TRACE("step " + std::to_string(i));
            const size_t shownBefore = host.progress().size();
            quiet = step.quiet ? 1 : 0;
            EXPECT_EQ(notifier.Notify(step.code, step.a, step.b), 1);
            const auto shown = host.progress();
            if (step.shows.empty()) {
                EXPECT_EQ(shown.size(), shownBefore);
                continue;
            }
            ASSERT_EQ(shown.size(), shownBefore + 1);
            EXPECT_EQ(shown.back().text, step.shows);
            EXPECT_EQ(shown.back().position, step.position);
        }
    }
}

}  // namespace
