#include "colour/OptimisedSave.h"

#include "colour/Optimise.h"
#include "colour/RemoveDuplicates.h"
#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "document/DocumentState.h"
#include "document/FrameRecord.h"
#include "gif/GifWriter.h"

namespace {

// Optimises for the smallest file, then merges the frames that show the same picture as
// the one before them. Returns 0, or -1 when aborted.
int OptimiseForSaving(AnimationDocument& doc, OptimiseProgress& progress) {
    const int result = OptimiseForSize(doc, progress);
    // Even an aborted run has changed the frames done so far.
    doc.MarkChanged();
    if (result != 0) return -1;
    RemoveDuplicateFrames(doc, 0);
    return 0;
}

// The document's state for a copy that is only written: reductions under way are
// finished first, so that the copy starts from the very indexes the document shows, and
// the true colours of reduced frames (which writing never reads) stay behind.
DocumentState StateToWrite(AnimationDocument& doc) {
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) f->WaitForReduction();
    DocumentState state = CaptureState(doc);
    for (FrameState& frame : state.frames) {
        if (frame.data.bGifPal) frame.data.ppTC = nullptr;
    }
    return state;
}

int SaveOptimisedCopy(AnimationDocument& doc, const std::string& path, OptimiseProgress& progress) {
    AnimationDocument copy(doc.host);
    copy.busy = true;  // nothing of the copy is ever shown
    CopyEngineSettings(doc.settings, copy.settings);
    if (!RestoreState(copy, StateToWrite(doc))) return 5;
    if (OptimiseForSaving(copy, progress) != 0) return -1;
    // The optimiser has already coded lossily what the lossy setting allows.
    return SaveAnimation(copy, path, 0);
}

int OptimiseAndSave(AnimationDocument& doc, const std::string& path, OptimiseProgress& progress) {
    if (OptimiseForSaving(doc, progress) != 0) return -1;
    return SaveAnimation(doc, path, 0);
}

}  // namespace

int SaveOptimised(AnimationDocument& doc, const std::string& path, bool optimiseDocumentItself,
                  OptimiseProgress& progress) {
    return optimiseDocumentItself ? OptimiseAndSave(doc, path, progress)
                                  : SaveOptimisedCopy(doc, path, progress);
}

void RedisplayAfterOptimisedSave(AnimationDocument& doc) {
    if (!doc.firstFrame) return;
    for (FrameRecord* f = doc.firstFrame->next; f; f = f->next) {
        DiscardComposedBitmap(*f);
        if (f != doc.selectedFrame) StartComposition(*f);
    }
    if (doc.selectedFrame) GetComposedBitmap(*doc.selectedFrame);
}
