// Optimising while the frames' composition and reduction jobs run: the optimiser
// changes frames only under the structure lock and waits for each reduction, so the
// pictures composed afterwards are those of a run without jobs.
#include <gtest/gtest.h>

#include "colour/Optimise.h"
#include "colour/UnOptimise.h"
#include "document/Composition.h"
#include "import/LoadGif.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

using Pictures = std::vector<std::vector<uint32_t>>;

// The composed pictures of a loaded clip after Optimise, then after UnOptimise (which
// restarts the reductions); with `jobs`, every frame's composition runs meanwhile.
std::vector<Pictures> OptimiseAndUnOptimise(const std::string& path, bool jobs) {
    RecordingHost host;
    AnimationDocument doc{host, 3};
    EXPECT_EQ(LoadGifIntoDocument(doc, path), 0);
    auto startCompositions = [&doc, jobs] {
        for (FrameRecord* f = doc.firstFrame; f && jobs; f = f->next) {
            DiscardComposedBitmap(*f);
            StartComposition(*f);
        }
    };
    std::vector<Pictures> out;
    HostOptimiseProgress progress(host);
    startCompositions();
    EXPECT_EQ(Optimise(doc, progress), 0);
    startCompositions();
    out.push_back(ts::ComposedPixels(doc));
    EXPECT_EQ(UnOptimise(doc, true), 0);
    startCompositions();
    out.push_back(ts::ComposedPixels(doc));
    doc.StopAllJobs();
    return out;
}

TEST(OptimiseJobsTest, OptimiseAndUnOptimiseWhileCompositionsRun) {
    const ts::TempFolder folder;
    const std::string clip = ts::MakeVideoGif(folder, "clip.gif", "testsrc2", 64, 48, 10, true);
    const std::vector<Pictures> alone = OptimiseAndUnOptimise(clip, false);
    ASSERT_EQ(alone.size(), 2u);
    ASSERT_EQ(alone[0].size(), 10u);
    EXPECT_EQ(OptimiseAndUnOptimise(clip, true), alone);
}

}  // namespace
