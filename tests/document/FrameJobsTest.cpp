// Frame jobs on the worker pool: reductions, their priorities and hand-off, waiting,
// aborting, and compositions held back by the busy flag. Also run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "document/Composition.h"
#include "support/TestSupport.h"

using namespace std::chrono_literals;
using testing_support::AppendToDocument;
using testing_support::MakeFrame;

namespace {

// A stand-in reduction: one palette colour taken from the first pixel. Frames listed in
// `held` wait at a gate (polling their abort flag) until it opens.
class GatedReducer {
  public:
    bool Reduce(FrameRecord& f) {
        {
            std::unique_lock lock(mutex_);
            started_.insert(&f);
            order_.push_back(&f);
            startedChanged_.notify_all();
            while (held_.count(&f) && !open_) {
                if (f.abortReduce) return false;
                gate_.wait_for(lock, 1ms);
            }
        }
        const auto colours = f.trueColourPlane();
        f.palette = Palette{};
        f.palette[0] = PaletteEntry::FromRgb(colours->get(0, 0) & kRgbMask);
        f.indexPlane()->fill(0);
        std::lock_guard lock(mutex_);
        finished_.insert(&f);
        return true;
    }
    void Hold(FrameRecord* f) {
        std::lock_guard lock(mutex_);
        held_.insert(f);
    }
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        gate_.notify_all();
    }
    void WaitStarted(FrameRecord* f) {
        std::unique_lock lock(mutex_);
        startedChanged_.wait(lock, [&] { return started_.count(f) > 0; });
    }
    bool Started(FrameRecord* f) { return In(started_, f); }
    bool Finished(FrameRecord* f) { return In(finished_, f); }
    std::vector<FrameRecord*> order() {
        std::lock_guard lock(mutex_);
        return order_;
    }

  private:
    bool In(const std::set<FrameRecord*>& set, FrameRecord* f) {
        std::lock_guard lock(mutex_);
        return set.count(f) > 0;
    }
    std::mutex mutex_;
    std::condition_variable gate_, startedChanged_;
    std::set<FrameRecord*> held_, started_, finished_;
    std::vector<FrameRecord*> order_;
    bool open_ = false;
};

class FrameJobsTest : public ::testing::Test {
  protected:
    RecordingHost host;
    GatedReducer reducer;
    std::unique_ptr<AnimationDocument> doc;
    std::vector<FrameRecord*> frames;

    void Make(int workers, int count) {
        doc = std::make_unique<AnimationDocument>(host, workers);
        doc->setReductionBody([this](FrameRecord& f) { return reducer.Reduce(f); });
        for (int i = 0; i < count; ++i) {
            FrameRecord* f = MakeFrame(*doc, 3, 2, {0});
            AppendToDocument(*doc, f, "f" + std::to_string(i));
            f->CreateTrueColourBuffer();
            f->trueColourPlane()->fill(uint32_t(0x010101 * (i + 1)));
            frames.push_back(f);
        }
    }
    void TearDown() override {
        reducer.Open();
        doc.reset();
    }
};

TEST_F(FrameJobsTest, TenReductionsFinishWithTheHandOff) {
    Make(1, 10);
    reducer.Hold(frames[0]);
    StartReduction(doc->firstFrame, 10);
    reducer.WaitStarted(frames[0]);
    // The earliest pending frame runs at normal priority, the others trail below normal.
    EXPECT_EQ(frames[0]->reduceThread->priority(), JobPriority::Normal);
    for (int i = 1; i < 10; ++i)
        EXPECT_EQ(frames[i]->reduceThread->priority(), JobPriority::BelowNormal);
    reducer.Open();
    doc->jobs().WaitIdle();
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(frames[i]->IsPaletteValid()) << i;
        EXPECT_EQ(frames[i]->reduceFinished, 1u);
        EXPECT_EQ(frames[i]->palette[0].rgb(), uint32_t(0x010101 * (i + 1)));
        // Each finished frame promoted its successor.
        if (i > 0) {
            EXPECT_EQ(frames[i]->reduceThread->priority(), JobPriority::Normal) << i;
        }
        EXPECT_NE(frames[i]->composedBitmap, nullptr) << "composed after reduction";
    }
    EXPECT_EQ(reducer.order(), frames);
    EXPECT_EQ(host.lastProgressText(), "Idle");
    EXPECT_EQ(doc->notifier.snapshot().reduction.total, 0);
}

TEST_F(FrameJobsTest, WaitingForFrameSevenBoostsItAndItsSuccessor) {
    Make(1, 10);
    reducer.Hold(frames[0]);  // the only worker is stuck on frame 0
    StartReduction(doc->firstFrame, 10);
    reducer.WaitStarted(frames[0]);
    frames[7]->WaitForReduction();
    EXPECT_TRUE(reducer.Finished(frames[7]));
    EXPECT_TRUE(frames[7]->IsPaletteValid());
    EXPECT_EQ(frames[7]->reduceThread, nullptr);  // the wait closes the handle
    EXPECT_FALSE(reducer.Finished(frames[0]));
    // The boost travels on to the next frame.
    EXPECT_EQ(frames[8]->reduceThread->priority(), JobPriority::Boost);
    EXPECT_FALSE(reducer.Started(frames[1]));
    EXPECT_EQ(doc->waiterCount, 0);
    EXPECT_EQ(host.waitCursorDepth, 0);
    reducer.Open();
    doc->jobs().WaitIdle();
    // Frame 8 ran before frames 1-6 thanks to its boost.
    const auto order = reducer.order();
    const auto pos = [&](FrameRecord* f) {
        return std::find(order.begin(), order.end(), f) - order.begin();
    };
    EXPECT_LT(pos(frames[8]), pos(frames[1]));
}

TEST_F(FrameJobsTest, DestroyingAFrameAbortsItsRunningOrQueuedReduction) {
    Make(1, 6);
    reducer.Hold(frames[0]);
    StartReduction(doc->firstFrame, 6);
    reducer.WaitStarted(frames[0]);
    doc->DestroyFrame(frames[5]);  // queued: never starts
    doc->DestroyFrame(frames[0]);  // running: aborted, waited for
    EXPECT_EQ(doc->firstFrame, frames[1]);
    EXPECT_EQ(frames[1]->prev, nullptr);
    doc->jobs().WaitIdle();
    EXPECT_EQ(reducer.order().size(), 5u);
    for (int i = 1; i < 5; ++i) EXPECT_TRUE(frames[i]->IsPaletteValid());
}

TEST_F(FrameJobsTest, BusyHoldsCompositionsAndReportsBack) {
    Make(2, 4);
    doc->busy = true;
    StartReduction(doc->firstFrame, 4);
    doc->jobs().WaitIdle();
    for (FrameRecord* f : frames) {
        EXPECT_TRUE(f->IsPaletteValid());
        EXPECT_EQ(f->composedBitmap, nullptr);
        EXPECT_EQ(f->composeThread, nullptr);
    }
    EXPECT_EQ(doc->notifier.snapshot().reduction.done, 0);  // no reports while busy
    doc->busy = false;
    EXPECT_NE(GetComposedBitmap(*frames[3]), nullptr);
}

// A picture composed while a frame beneath still waited for its reduction shows that
// frame's true colours; once every reduction ended it is composed again.
TEST_F(FrameJobsTest, APictureMadeBeforeAReductionBeneathEndedIsMadeAgain) {
    Make(2, 3);
    frames[1]->trueColourPlane()->set(1, 0, 0x00FF00);  // reduced to (0, 0)'s colour
    frames[2]->left = 2;  // the first two columns show the frames beneath
    reducer.Hold(frames[1]);
    StartReduction(doc->firstFrame, 3);
    frames[2]->WaitForReduction();  // on the other worker
    EXPECT_EQ(testing_support::ComposedAt(*frames[2], 1, 0), 0x00FF00u);
    const uint64_t version = frames[2]->pictureVersion;
    reducer.Open();
    doc->jobs().WaitIdle();
    EXPECT_NE(frames[2]->pictureVersion, version);  // its thumbnail is made again
    EXPECT_EQ(testing_support::ComposedAt(*frames[2], 1, 0), 0x020202u);
}

TEST_F(FrameJobsTest, AWaitAfterAnEarlierReductionWaitsForTheNewOne) {
    Make(2, 1);
    FrameRecord* f = frames[0];
    StartReduction(*f);
    f->WaitForReduction();
    ASSERT_TRUE(f->IsPaletteValid());
    // The composition that the reduction started must not read the plane filled below.
    doc->jobs().WaitIdle();

    reducer.Hold(f);
    f->CreateTrueColourBuffer();
    f->trueColourPlane()->fill(0x00ABCDEF);
    StartReduction(*f);
    std::thread opener([&] {
        std::this_thread::sleep_for(20ms);
        reducer.Open();
    });
    f->WaitForReduction();
    EXPECT_TRUE(f->IsPaletteValid());
    EXPECT_EQ(f->palette[0].rgb(), 0x00ABCDEFu);
    opener.join();
}

// Every other frame composes on the workers while the window thread reads the last
// picture, looks for the frames without one (as after saving) and deletes two.
TEST_F(FrameJobsTest, CompositionsRunWhileTheWindowThreadReadsResumesAndDeletes) {
    Make(2, 30);
    for (FrameRecord* f : frames) f->SetPaletteValid(true);
    doc->screenWidth = 3;
    doc->screenHeight = 2;
    for (size_t i = 0; i < frames.size(); i += 2) StartComposition(*frames[i]);
    ASSERT_NE(GetComposedBitmap(*frames.back()), nullptr);
    ResumeCompositions(*doc);
    doc->DestroyFrame(frames[10]);
    doc->DestroyFrame(frames[11]);
    doc->jobs().WaitIdle();
    for (FrameRecord* f = doc->firstFrame; f; f = f->next) EXPECT_TRUE(HasComposedBitmap(*f));
}

}  // namespace
