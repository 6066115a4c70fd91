#include "effects/EffectPreview.h"

#include <memory>

#include "colour/FrameResize.h"
#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "effects/EffectRegistry.h"
#include "effects/RendererRun.h"
#include "effects/RendererSkeletons.h"
#include "host/Host.h"

namespace {

// A copy of `frame` scaled to w x h, not linked anywhere. The plain resize keeps the
// palette and starts no reduction, which is all a preview needs.
FrameRecord* ScaledCopy(FrameRecord& frame, int w, int h) {
    std::unique_ptr<FrameRecord> copy = FrameRecord::Construct(frame.document, nullptr, nullptr);
    if (!copy) return nullptr;
    if (CopyInto(frame, copy.get(), false) != 0) return nullptr;
    if (Resize(*copy, w, h, false, true, false) != 0) return nullptr;
    return AnimationDocument::Adopt(std::move(copy));
}

void DestroyLoose(FrameRecord*& frame) {
    if (frame) {
        frame->prev = frame->next = nullptr;
        DiscardUnreducedChain(frame);
    }
    frame = nullptr;
}

}  // namespace

EffectPreview::~EffectPreview() {
    Close();
}

int EffectPreview::PrepareSources(FrameRecord* selected, int areaWidth, int areaHeight) {
    Close();
    if (!selected) return 0;
    FrameRecord* successor = selected->next;
    if ((long long)selected->width * selected->height < kScaleThreshold) {
        selected->WaitForReduction();
        if (successor) successor->WaitForReduction();
        source1_ = selected;
        source2_ = successor;
        ownsSources_ = false;
        return 0;
    }
    if (areaWidth < 1 || areaHeight < 1) return 5;
    ownsSources_ = true;
    source1_ = ScaledCopy(*selected, areaWidth, areaHeight);
    if (!source1_) return 5;
    if (successor) {
        source2_ = ScaledCopy(*successor, areaWidth, areaHeight);
        if (!source2_) {
            Close();
            return 5;
        }
    }
    return 0;
}

FrameRecord* EffectPreview::Compute(const EffectParams& block, bool on) {
    Discard();
    if (!on || !source1_) return nullptr;
    EffectParams p = block;
    p.preview = 1;
    const bool effect = p.isEffect != 0;
    const RegistryEntry* entry = FindEntry(effect, effect ? p.effectIndex : p.transitionIndex);
    if (!entry || (!effect && !source2_)) return nullptr;
    {
        const WaitCursor wait(doc_.host);
        chain_ = RunRenderer(*entry, source1_, effect ? nullptr : source2_, p.frameCount, p);
        GiveSelectedColourAnEntry(chain_, p.colorIndex);
    }
    shown_ = nullptr;
    return chain_;
}

FrameRecord* EffectPreview::NextFrame() {
    if (!chain_) return nullptr;
    shown_ = (shown_ && shown_->next) ? shown_->next : chain_;
    return shown_;
}

void EffectPreview::Discard() {
    chain_ = DiscardUnreducedChain(chain_);
    shown_ = nullptr;
}

void EffectPreview::Close() {
    Discard();
    if (ownsSources_) {
        DestroyLoose(source1_);
        DestroyLoose(source2_);
    }
    source1_ = source2_ = nullptr;
    ownsSources_ = false;
}
