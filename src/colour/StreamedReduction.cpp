#include "colour/StreamedReduction.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "colour/QualityReduction.h"
#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"

namespace {

// A frame joins a run while the shared palette's error stays within this of its own
// palette's: a tenth more (0.4 dB of PSNR), and a little besides, so that frames whose
// own error is tiny are not cut off over nothing.
constexpr double kRunErrorRatio = 1.1;
constexpr double kRunErrorSlack = 0.25;

// A run's palette is chosen from the histogram of its first frames, so that it suits
// where the scene goes rather than one picture of it.
constexpr size_t kRunLookAhead = 8;

bool LooksTheSame(double shared, double own) {
    return shared <= own * kRunErrorRatio + kRunErrorSlack;
}

}  // namespace

StreamedReduction::StreamedReduction(AnimationDocument& doc, bool sharePalettes)
    : doc_(doc),
      share_(sharePalettes && doc.settings.palette == PaletteKind::Quality),
      dither_(doc.settings.dither),
      // Twice the workers: each has one frame in hand and one waiting; sharing holds the
      // frames a run's palette is chosen from besides.
      window_(2 * std::max(1, doc.jobs().workerCount()) + (share_ ? int(kRunLookAhead) : 0)) {}

StreamedReduction::~StreamedReduction() {
    Finish();
}

void StreamedReduction::WaitForRoom() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return inFlight_ < window_; });
}

void StreamedReduction::Finish() {
    std::unique_lock lock(mutex_);
    ended_ = true;
    if (share_) SubmitPlacementIfDue();
    changed_.wait(lock, [this] { return inFlight_ == 0; });
}

void StreamedReduction::Add(FrameRecord& frame) {
    if (!frame.trueColourPlane()) return;
    frame.SetPaletteValid(false);
    frame.reduceFinished = 0;
    std::lock_guard lock(mutex_);
    slots_.push_back(Slot{});
    const size_t k = slots_.size() - 1;
    slots_[k].frame = &frame;
    ++inFlight_;
    if (share_) {
        doc_.jobs().Submit([this, k](Job&) { MapOwn(k); }, JobPriority::BelowNormal);
        SubmitPlacementIfDue();
    } else {
        Slot* slot = &slots_[k];
        doc_.jobs().Submit([this, slot](Job&) { ReduceAlone(*slot); }, JobPriority::BelowNormal);
    }
}

void StreamedReduction::ReduceAlone(Slot& slot) {
    FrameRecord& frame = *slot.frame;
    const ReductionBody& body = doc_.reductionBody();
    Done(frame, body && !frame.abortReduce && body(frame));
}

void StreamedReduction::MapOwn(size_t k) {
    Slot* slot = nullptr;
    {
        std::lock_guard lock(mutex_);
        slot = &slots_[k];
    }
    const bool mapped =
        !slot->frame->abortReduce && MapFrameQuality(*slot->frame, dither_, slot->own);
    std::lock_guard lock(mutex_);
    slot->ownMapped = mapped;
    slot->ownDone = true;
    SubmitPlacementIfDue();
}

// The next frame is placed once its own palette is known, the frame before it is placed
// and the frames a new run would look at have come (or no more come).
void StreamedReduction::SubmitPlacementIfDue() {
    const size_t k = nextPlacement_;
    if (placing_ || k >= slots_.size() || !slots_[k].ownDone) return;
    if (!ended_ && slots_.size() < k + kRunLookAhead) return;
    placing_ = true;
    doc_.jobs().Submit([this, k](Job&) { PlaceInRun(k); }, JobPriority::Normal);
}

void StreamedReduction::PlaceInRun(size_t k) {
    Slot* slot = nullptr;
    std::vector<FrameRecord*> ahead;
    {
        std::lock_guard lock(mutex_);
        slot = &slots_[k];
        for (size_t j = k; j < slots_.size() && j < k + kRunLookAhead; ++j)
            ahead.push_back(slots_[j].frame);
    }
    FrameRecord& frame = *slot->frame;
    bool reduced = false;
    if (slot->ownMapped) {
        QualityMapping shared;
        bool joins = run_ && run_->Fits(frame) && run_->Map(frame, dither_, shared) &&
                     LooksTheSame(shared.error, slot->own.error);
        if (!joins) {
            run_ = SharedQualityPalette::Choose(ahead);
            if (run_) ++runs_;
            joins = run_ && run_->Map(frame, dither_, shared);
        }
        PublishQualityMapping(frame, joins ? shared : slot->own);
        slot->own = QualityMapping{};
        reduced = true;
    }
    Done(frame, reduced, [this] {
        placing_ = false;
        ++nextPlacement_;
        SubmitPlacementIfDue();
    });
}

void StreamedReduction::Done(FrameRecord& frame, bool reduced,
                             const std::function<void()>& thenLocked) {
    if (reduced) {
        frame.SetPaletteValid(true);
        if (!doc_.settings.keepTrueColorInfo) frame.ReplaceTrueColourPlane(nullptr);
    }
    frame.reduceFinished = 1;
    // The last step: once the count reaches 0 this object may be gone.
    std::lock_guard lock(mutex_);
    if (thenLocked) thenLocked();
    --inFlight_;
    changed_.notify_all();
}
