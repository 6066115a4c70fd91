#pragma once

#include "effects/EffectParams.h"

class AnimationDocument;
class FrameRecord;

// The engine side of the effect dialog's live preview: its two sources (the frames
// themselves when small, else copies scaled to the preview area), the preview chain
// computed from them, and the frame the 100 ms timer shows next.
class EffectPreview {
  public:
    // Frames of fewer pixels than this preview from the frames themselves.
    static constexpr long long kScaleThreshold = 10000;

    explicit EffectPreview(AnimationDocument& doc) : doc_(doc) {}
    ~EffectPreview();
    EffectPreview(const EffectPreview&) = delete;
    EffectPreview& operator=(const EffectPreview&) = delete;

    // Picks the sources for `selected` and its successor. 0, or 5 when memory ran out
    // for the scaled copies (the preview then stays empty).
    int PrepareSources(FrameRecord* selected, int areaWidth, int areaHeight);
    FrameRecord* source1() const { return source1_; }
    FrameRecord* source2() const { return source2_; }
    bool scaled() const { return ownsSources_; }

    // Discards the previous chain; when `on`, computes a fresh one from the block
    // (preview = 1 is forced). Returns the new chain (none: nothing to show).
    FrameRecord* Compute(const EffectParams& block, bool on);
    // The timer tick: the next frame to show (after the last, the first again).
    FrameRecord* NextFrame();
    FrameRecord* chain() const { return chain_; }

    // Destroys the preview chain.
    void Discard();
    // Destroys the chain and the scaled copies (closing the dialog).
    void Close();

  private:
    AnimationDocument& doc_;
    FrameRecord* source1_ = nullptr;
    FrameRecord* source2_ = nullptr;
    bool ownsSources_ = false;
    FrameRecord* chain_ = nullptr;
    FrameRecord* shown_ = nullptr;
};
