#include "colour/RemoveDuplicates.h"

#include <cstdlib>

#include "colour/ScreenPicture.h"
#include "document/AnimationDocument.h"
#include "document/DocumentCommands.h"
#include "document/FrameRecord.h"

namespace {

constexpr uint32_t kMaxDelay = 0xFFFF;

// Mean absolute difference per channel; exactly 0 only for equal pictures.
double MeanDifference(const ScreenPixels& a, const ScreenPixels& b) {
    if (a.size() != b.size() || a.empty()) return a.size() == b.size() ? 0 : 1e9;
    uint64_t sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        for (int shift = 0; shift <= 16; shift += 8) {
            sum += uint64_t(std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF)));
        }
    }
    return double(sum) / (3.0 * double(a.size()));
}

bool KeepsScreen(int disposal) {
    return disposal == 0 || disposal == 1;
}

// Walks the frames, calling remove(kept, frame) for every duplicate. Pictures are those
// of the frames as they are, before any removal.
template <typename Remove>
int ForEachDuplicate(AnimationDocument& doc, double threshold, Remove remove) {
    if (doc.useGlobalDelay || threshold < 0) return 0;
    ScreenPixels screen, keptPicture;
    BeneathPixels beneath = NothingBeneath(doc);
    FrameRecord* kept = nullptr;
    uint32_t keptDelay = 0;
    int removed = 0;
    for (FrameRecord* f = doc.firstFrame; f;) {
        FrameRecord* const next = f->next;
        f->WaitForReduction();
        ScreenPixels after = ScreenBefore(*f, screen);
        DrawFrameOnScreen(*f, after, &beneath);
        StackFrame(*f, beneath);
        // Only where every frame involved keeps the screen do our pictures and a viewer's
        // agree on what a removal leaves.
        const bool repeats =
            kept && f->comments.empty() && KeepsScreen(doc.effectiveDisposal(*kept)) &&
            (!next || KeepsScreen(doc.effectiveDisposal(*f))) &&
            keptDelay + f->delay <= kMaxDelay && MeanDifference(after, keptPicture) <= threshold;
        if (repeats) {
            keptDelay += f->delay;
            remove(kept, f);
            ++removed;
        } else {
            kept = f;
            keptDelay = f->delay;
            keptPicture = after;
        }
        screen = std::move(after);
        f = next;
    }
    return removed;
}

}  // namespace

std::vector<FrameRecord*> FindDuplicateFrames(AnimationDocument& doc, double threshold) {
    std::vector<FrameRecord*> found;
    ForEachDuplicate(doc, threshold, [&](FrameRecord*, FrameRecord* f) { found.push_back(f); });
    return found;
}

int RemoveDuplicateFrames(AnimationDocument& doc, double threshold) {
    std::vector<std::pair<FrameRecord*, FrameRecord*>> pairs;
    ForEachDuplicate(doc, threshold,
                     [&](FrameRecord* kept, FrameRecord* f) { pairs.emplace_back(kept, f); });
    int removed = 0;
    for (const auto& [kept, f] : pairs) {
        const uint32_t delay = f->delay;
        const int32_t disposal = f->disposal;
        if (DeleteFrame(doc, f) != 0) continue;
        // The kept frame now hands the screen on as the removed one did.
        kept->delay += delay;
        kept->disposal = disposal;
        ++removed;
    }
    if (removed > 0) doc.MarkChanged();
    return removed;
}
