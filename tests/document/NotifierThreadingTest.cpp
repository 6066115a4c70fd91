// Progress reports from several worker threads at once end on the final text.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "document/DocumentNotifier.h"
#include "support/TestSupport.h"

TEST(NotifierThreading, TheLastDisplayIsTheLastCountWhateverTheThreads) {
    constexpr int kThreads = 4, kEach = 300;
    for (int round = 0; round < 20; ++round) {
        RecordingHost host;
        std::atomic<int> quiet{0};
        DocumentNotifier notifier(host, quiet);
        notifier.Notify(kNotifyBatchStarts, kBatchReduction, kThreads * kEach);
        std::vector<std::thread> workers;
        for (int t = 0; t < kThreads; ++t) {
            workers.emplace_back([&notifier] {
                for (int i = 0; i < kEach; ++i) notifier.Notify(kNotifyFrameReduced);
            });
        }
        for (std::thread& w : workers) w.join();
        ASSERT_EQ(host.lastProgressText(), "Idle") << "round " << round;
        // And the counts were shown in order.
        const auto shown = host.progress();
        for (size_t k = 1; k + 1 < shown.size(); ++k)
            ASSERT_GE(shown[k].position, shown[k - 1].position) << "round " << round;
    }
}
