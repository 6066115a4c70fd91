#pragma once

#include <cstdint>
#include <functional>

#include "effects/EffectParams.h"

class AnimationDocument;
class FrameRecord;

// Progress of one final run: the frames about to be computed are announced, one step is
// reported per computed frame. Steps announced but never reached (a failed run) are
// reported when the run ends, so the calculation counter always gets back to idle.
// Silent in the preview.
class RenderProgress {
  public:
    RenderProgress(AnimationDocument& doc, bool preview) : doc_(doc), preview_(preview) {}
    ~RenderProgress();
    RenderProgress(const RenderProgress&) = delete;
    RenderProgress& operator=(const RenderProgress&) = delete;

    void Announce(int frames);
    // False when the shell asked to stop.
    bool Step();

  private:
    AnimationDocument& doc_;
    bool preview_;
    int announced_ = 0;
    int stepped_ = 0;
};

// h: the frames a renderer computes for N requested frames.
inline int ComputedCount(int n, bool pingPong) {
    return pingPong ? int((int64_t(n) + 1) / 2) : n;
}

// The selected colour as a working pixel: frame's palette entry at index, 0x00RRGGBB
// without marker. An unused entry reads as the colour a saved file holds for it (what
// the palette grid showed when it was chosen); an index outside the palette as black.
uint32_t SelectedColour(const FrameRecord& frame, int colorIndex);

// After a run: frames in index work whose palette has no entry at colorIndex get one of
// the colour a saved file holds there, so that the editor shows what the file will.
// Frames with true-colour pixels are skipped (their reduction makes a new palette).
void GiveSelectedColourAnEntry(FrameRecord* chain, int colorIndex);

// --- incremental skeleton: each frame a copy of the one before ---

// A new frame filled from `source` by the frame copy, linked right after `previous`
// (none: a new chain), with a fresh true-colour plane (palette marked invalid) when
// trueColour is set. None when memory ran out; nothing is left linked then.
FrameRecord* CopyFrameAfter(FrameRecord& source, FrameRecord* previous, bool trueColour);

// PingPong for incremental renderers: the computed frames F1..Fh are followed by copies
// of F(N-h)..F1 (with their pixels). False when memory ran out.
bool MirrorComputedFrames(FrameRecord* head, int h, int n);

// Destroys a chain none of whose frames was handed to colour reduction (a failed run,
// a preview). Such frames are not reductions that were dropped, so they must not
// count against the reduction counter. Returns none.
FrameRecord* DiscardUnreducedChain(FrameRecord* head);

// Ends a run: reduction of the chain's frames in the final run; the chain itself.
FrameRecord* FinishRun(FrameRecord* frame1, FrameRecord* frame2, FrameRecord* head, int h,
                       bool preview);

// --- whole-chain skeleton ---

// Computes output frame i of h into `out`.
using FrameBody = std::function<void(int i, int h, FrameRecord& out)>;

// True-colour work: chain of h frames, true-colour planes for the inputs and outputs,
// progress, the body per frame, PingPong mirror up to n, finish. None on failure.
FrameRecord* RunTrueColourSkeleton(FrameRecord* frame1, FrameRecord* frame2, int n,
                                   const EffectParams& p, const FrameBody& body);
// Index work: as above, but the inputs' reductions are awaited and the body writes the
// output frames' indexes; nothing is reduced.
FrameRecord* RunIndexSkeleton(FrameRecord* frame1, FrameRecord* frame2, int n,
                              const EffectParams& p, const FrameBody& body);
