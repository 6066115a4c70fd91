#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "colour/QualityReduction.h"

class AnimationDocument;
class FrameRecord;
class SharedQualityPalette;

// Reduces frames to palettes on the document's pool while their maker (a video decoder)
// goes on, so that a long clip never holds more than a few frames in true colour: the
// maker waits for room before it makes the next one. Frames are handed over in order and
// are not in the document yet.
//
// With sharePalettes and the quality palette, consecutive frames share one palette while
// each looks about as good on it as on a palette of its own; a frame that does not starts
// the next run, whose palette is chosen from it and the frames just after it. Frames are
// placed in runs in order, one after the other, while later frames get their own palettes
// (to compare with) on the other workers.
class StreamedReduction {
  public:
    StreamedReduction(AnimationDocument& doc, bool sharePalettes);
    ~StreamedReduction();  // waits for the frames handed over
    StreamedReduction(const StreamedReduction&) = delete;
    StreamedReduction& operator=(const StreamedReduction&) = delete;

    // How many frames may be in true colour at once.
    int window() const { return window_; }
    // Returns when fewer than window() frames handed over are still being reduced.
    void WaitForRoom();
    // Starts the frame's reduction; the frame must outlive Finish(). A frame without true
    // colour is left as it is.
    void Add(FrameRecord& frame);
    // No more frames come. Waits until every frame handed over is reduced (or failed: its
    // palette is then not valid and it keeps its true colour).
    void Finish();
    // Palette runs so far (0 without shared palettes).
    int runs() const { return runs_; }

  private:
    struct Slot {
        FrameRecord* frame = nullptr;
        QualityMapping own;
        bool ownMapped = false;
        bool ownDone = false;  // its own palette is known (or failed)
    };

    void ReduceAlone(Slot& slot);
    void MapOwn(size_t k);
    void PlaceInRun(size_t k);
    void Done(FrameRecord& frame, bool reduced, const std::function<void()>& thenLocked = {});
    void SubmitPlacementIfDue();  // under mutex_

    AnimationDocument& doc_;
    const bool share_;
    const int dither_;
    const int window_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Slot> slots_;  // references stay valid while it grows at the back
    int inFlight_ = 0;
    bool ended_ = false;
    size_t nextPlacement_ = 0;
    bool placing_ = false;
    // Touched only by placements, which run one after the other.
    std::unique_ptr<SharedQualityPalette> run_;
    int runs_ = 0;
};
