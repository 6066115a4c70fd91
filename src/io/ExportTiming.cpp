#include "io/ExportTiming.h"

#include <algorithm>
#include <numeric>

#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"

uint32_t PlayedDelay(uint32_t delay) {
    return delay < kShortestPlayedDelay ? kDelayOfTooShort : delay;
}

std::vector<uint32_t> PlayedDelays(const AnimationDocument& doc, const FrameRecord* first) {
    std::vector<uint32_t> delays;
    for (const FrameRecord* f = first; f; f = f->next) {
        // The GIF writer stores 16 bits; the same clamp keeps both files alike.
        const uint32_t delay =
            std::min<uint32_t>(doc.useGlobalDelay ? doc.globalDelay : f->delay, 0xFFFF);
        delays.push_back(PlayedDelay(delay));
    }
    return delays;
}

ConstantRate RateForDelays(const std::vector<uint32_t>& delays, uint32_t shortestTick,
                           uint64_t maxTicks) {
    ConstantRate rate;
    uint32_t divisor = 0;
    uint64_t total = 0;
    for (const uint32_t d : delays) {
        divisor = std::gcd(divisor, d);
        total += d;
    }
    uint64_t tick = std::max<uint32_t>({divisor, shortestTick, 1u});
    while (total / tick > maxTicks) tick *= 2;
    rate.tick = uint32_t(std::min<uint64_t>(tick, 0xFFFFFFFFu));
    uint64_t clock = 0, shown = 0;
    for (const uint32_t d : delays) {
        clock += d;
        // The tick in which the next frame starts, rounded to the nearest.
        const uint64_t end = (clock + rate.tick / 2) / rate.tick;
        const uint64_t ticks = std::max<uint64_t>(end > shown ? end - shown : 0, 1);
        rate.repeats.push_back(uint32_t(ticks));
        shown += ticks;
    }
    return rate;
}
