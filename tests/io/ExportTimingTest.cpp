// The durations written for other animated formats: short delays played as browsers do,
// and a constant rate that repeats frames while keeping the clip's length.
#include <gtest/gtest.h>

#include <vector>

#include "io/ExportTiming.h"

namespace {

TEST(ExportTiming, DelaysTooShortToPlayBecomeATenth) {
    const struct {
        uint32_t delay, played;
    } cases[] = {{0, 10}, {1, 10}, {2, 2}, {7, 7}, {10, 10}, {65535, 65535}};
    for (const auto& c : cases) EXPECT_EQ(PlayedDelay(c.delay), c.played) << c.delay;
}

TEST(ExportTiming, ConstantRateRepeatsFramesAndKeepsTheLength) {
    const struct {
        std::vector<uint32_t> delays;
        uint32_t shortestTick;
        uint64_t maxTicks;
        uint32_t tick;
        std::vector<uint32_t> repeats;
    } cases[] = {
        // A common divisor is the tick itself.
        {{10, 20, 30, 40}, 2, 1000000, 10, {1, 2, 3, 4}},
        {{8, 8, 8}, 2, 1000000, 8, {1, 1, 1}},
        // 7 leaves a divisor of 1: the tick is the shortest allowed, starts rounded on
        // the clip's clock (ends at 10, 30, 60, 100, 107 -> ticks 5, 15, 30, 50, 54).
        {{10, 20, 30, 40, 7}, 2, 1000000, 2, {5, 10, 15, 20, 4}},
        // Ends at 3, 7, 10 with a tick of 2: ticks 2 (1.5 rounded up), 4 (3.5), 5.
        {{3, 4, 3}, 2, 1000000, 2, {2, 2, 1}},
        // Too many ticks: the tick doubles until they fit (20 hundredths: 10, 5, then
        // 2 ticks of 8; ends at 6 and 20 -> ticks 1 and 3).
        {{6, 14}, 2, 4, 8, {1, 2}},
        // A frame far shorter than a doubled tick still shows once (tick 32: 202 is
        // 6 ticks in all).
        {{2, 200}, 2, 10, 32, {1, 5}},
    };
    for (const auto& c : cases) {
        const ConstantRate rate = RateForDelays(c.delays, c.shortestTick, c.maxTicks);
        EXPECT_EQ(rate.tick, c.tick) << c.delays.size() << " delays, first " << c.delays[0];
        EXPECT_EQ(rate.repeats, c.repeats) << c.delays.size() << " delays, first " << c.delays[0];
    }
}

}  // namespace
