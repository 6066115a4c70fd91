#pragma once

#include <cstdint>
#include <vector>

class AnimationDocument;
class FrameRecord;

// How long the frames of an animation show when it is written as a video or another
// animated format, in hundredths of a second (the GIF delay unit).

// A delay of 0 or 1 plays as 10, as web browsers and most GIF players play it: such
// files were made for them, and "as fast as the machine can" has no duration.
constexpr uint32_t kShortestPlayedDelay = 2;
constexpr uint32_t kDelayOfTooShort = 10;
uint32_t PlayedDelay(uint32_t delay);

// The played delay of every frame from `first` on (the document's global delay where it
// is in use, as the GIF writer takes it).
std::vector<uint32_t> PlayedDelays(const AnimationDocument& doc, const FrameRecord* first);

// A constant frame rate for formats without per-frame durations: one tick of `tick`
// hundredths of a second, and how many ticks each frame stays (the frame is repeated).
// The frame starts are rounded on the whole clip's clock, so the length is kept within
// half a tick and rounding errors do not add up.
struct ConstantRate {
    uint32_t tick = 1;
    std::vector<uint32_t> repeats;
};
// The tick is the delays' greatest common divisor, but at least `shortestTick`; and it is
// doubled while the clip would need more than `maxTicks` ticks. Every frame keeps at
// least one tick.
ConstantRate RateForDelays(const std::vector<uint32_t>& delays, uint32_t shortestTick,
                           uint64_t maxTicks);
