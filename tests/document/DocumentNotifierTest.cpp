// The progress reporter behind the status bar.
#include <gtest/gtest.h>

#include "document/DocumentNotifier.h"
#include "support/TestSupport.h"

namespace {

class NotifierTest : public ::testing::Test {
  protected:
    RecordingHost host;
    std::atomic<int> quiet{0};
    DocumentNotifier notifier{host, quiet};
};

TEST_F(NotifierTest, CountsABatchAndReturnsToIdle) {
    notifier.Notify(kNotifyBatchStarts, kBatchReduction, 4);
    EXPECT_TRUE(host.progress().empty());  // announcing a batch shows nothing
    notifier.Notify(kNotifyFrameReduced);
    ASSERT_EQ(host.progress().size(), 1u);
    EXPECT_EQ(host.progress()[0].text, "Thread ColorReducing Img 1/4");
    EXPECT_EQ(host.progress()[0].position, 25);
    notifier.Notify(kNotifyFrameReduced);
    notifier.Notify(kNotifyFrameReduced);
    EXPECT_EQ(host.progress().back().position, 75);
    notifier.Notify(kNotifyFrameReduced);
    EXPECT_EQ(host.progress().back().text, "Idle");
    EXPECT_EQ(host.progress().back().position, 0);
    EXPECT_EQ(notifier.snapshot().reduction.total, 0);
}

TEST_F(NotifierTest, ABatchOfOneFinishesSilently) {
    notifier.Notify(kNotifyBatchStarts, kBatchGeneration, 1);
    notifier.Notify(kNotifyFrameComputed);
    EXPECT_TRUE(host.progress().empty());
    EXPECT_EQ(notifier.snapshot().calculation.total, 0);
}

TEST_F(NotifierTest, TextsOfTheThreeCounters) {
    notifier.Notify(kNotifyBatchStarts, kBatchGeneration, 3);
    notifier.Notify(kNotifyFrameComputed);
    EXPECT_EQ(host.lastProgressText(), "Calculating Img 1/3");
    notifier.Notify(kNotifyBatchStarts, kBatchSaving, 2);
    notifier.Notify(kNotifyFrameSaved);
    EXPECT_EQ(host.lastProgressText(), "Saving Img 1/2");
    EXPECT_EQ(host.progress().back().position, 50);
    notifier.Notify(kNotifyBatchStarts, kBatchReduction, 5);
    notifier.Notify(kNotifyShowCurrent);
    EXPECT_EQ(host.lastProgressText(), "Calculating Img 1/3");
    EXPECT_EQ(notifier.Notify(kNotifyAcceptResult), 1);
    EXPECT_EQ(notifier.Notify(kNotifyFrameComputed), 1);
    notifier.Notify(99);
    EXPECT_EQ(host.lastProgressText(), "Idle");
    notifier.Notify(kNotifyReset);
    EXPECT_EQ(notifier.snapshot().reduction.total, 0);
    EXPECT_EQ(host.progress().back().position, 0);
}

TEST_F(NotifierTest, DroppedReductionsShrinkTheBatch) {
    notifier.Notify(kNotifyBatchStarts, kBatchReduction, 4);
    notifier.Notify(kNotifyReductionDropped);
    EXPECT_EQ(host.lastProgressText(), "Thread ColorReducing Img 1/3");
    notifier.Notify(kNotifyFrameReduced);
    notifier.Notify(kNotifyReductionDropped);
    notifier.Notify(kNotifyReductionDropped);
    EXPECT_EQ(host.lastProgressText(), "Idle");
    EXPECT_EQ(notifier.snapshot().reduction.total, 0);
}

TEST_F(NotifierTest, QuietWhileTheWindowThreadWaits) {
    quiet = 1;
    notifier.Notify(kNotifyBatchStarts, kBatchReduction, 2);
    notifier.Notify(kNotifyFrameReduced);
    EXPECT_TRUE(host.progress().empty());
    EXPECT_EQ(notifier.snapshot().reduction.done, 1);  // counting goes on
    quiet = 0;
    notifier.Notify(kNotifyFrameReduced);
    EXPECT_EQ(host.lastProgressText(), "Idle");
}

}  // namespace
