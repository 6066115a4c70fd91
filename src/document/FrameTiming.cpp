#include "document/FrameTiming.h"

#include <algorithm>
#include <cstdint>
#include <functional>

#include "document/AnimationDocument.h"

namespace {

// Gives each frame at `positions` the delay `next` returns for its current one.
int ChangeDelays(AnimationDocument& doc, const std::vector<size_t>& positions,
                 const std::function<uint32_t(uint32_t)>& next) {
    bool changed = false;
    size_t k = 0;
    auto wanted = positions.begin();
    for (FrameRecord* f = doc.firstFrame; f && wanted != positions.end(); f = f->next, ++k) {
        if (k != *wanted) continue;
        ++wanted;
        const uint32_t delay = next(f->delay);
        if (delay == f->delay) continue;
        if (!changed) doc.MarkChanged();
        changed = true;
        f->delay = delay;
    }
    return changed ? 0 : -1;
}

}  // namespace

int ScaledDelay(int delay, int percent) {
    const int64_t scaled = (int64_t(std::max(delay, 0)) * percent + 50) / 100;
    return int(std::clamp<int64_t>(scaled, 0, kMaxFrameDelay));
}

int SetFrameDelays(AnimationDocument& doc, const std::vector<size_t>& positions, int delay) {
    if (delay < 0 || delay > kMaxFrameDelay) return -1;
    return ChangeDelays(doc, positions, [delay](uint32_t) { return uint32_t(delay); });
}

int ScaleFrameDelays(AnimationDocument& doc, const std::vector<size_t>& positions, int percent) {
    if (percent < kMinDelayPercent || percent > kMaxDelayPercent) return -1;
    return ChangeDelays(doc, positions, [percent](uint32_t delay) {
        return uint32_t(ScaledDelay(int(std::min<uint32_t>(delay, kMaxFrameDelay)), percent));
    });
}
