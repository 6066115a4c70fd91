// Optimising while the frames' composition and reduction jobs run: the optimiser
// changes frames only under the structure lock and waits for each reduction, so the
// pictures composed afterwards are those of the optimised frames.
#include <gtest/gtest.h>

#include "colour/Optimise.h"
#include "colour/OptimiseTestSupport.h"
#include "colour/UnOptimise.h"

using namespace optimise_test;

namespace {

TEST(OptimiseJobsTest, OptimiseAndUnOptimiseWhileCompositionsRun) {
    RecordingHost host;
    AnimationDocument doc{host, 3};
    const int w = 64, h = 48;
    for (const Picture& p : ScreenRecording(w, h, 10, 0)) AddPicture(doc, p, w, h);
    const auto before = ComposeAll(doc);
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) DiscardComposedBitmap(*f);
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) StartComposition(*f);
    RecordingProgress progress;
    ASSERT_EQ(Optimise(doc, progress), 0);
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) StartComposition(*f);
    // Without flicker nothing is dropped: the pictures are those from before.
    EXPECT_EQ(ComposeAll(doc), before);

    // UnOptimise restarts reductions; compositions of the reduced frames run meanwhile.
    ASSERT_EQ(UnOptimise(doc, true), 0);
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) f->WaitForReduction();
    const auto after = ComposeAll(doc);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(Mismatches(after[i], before[i], 0xFEFEFE), 0) << "frame " << i;
    }
    doc.StopAllJobs();
}

}  // namespace
