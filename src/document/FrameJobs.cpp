// The two jobs of a frame: colour reduction (true colour to palette and indexes) and
// composition (the frame's picture of the logical screen), on the document's pool.
#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "host/Host.h"

namespace {

// Steps after the pixels were reduced: report, hand the priority on to the next
// frame's reduction, publish the palette, tidy up and compose.
void RunReduction(FrameRecord& frame, Job& job) {
    AnimationDocument& doc = frame.document;
    const ReductionBody& body = doc.reductionBody();
    const bool reduced = body && !frame.abortReduce && body(frame);
    if (!reduced) {
        frame.reduceFinished = 1;
        return;
    }
    if (!doc.busy) doc.notifier.Notify(kNotifyFrameReduced);
    {
        // A boost given by a waiting window thread travels down the chain; otherwise
        // the next pending frame moves up from below normal.
        AnimationDocument::StructureReadLock structure(doc);
        // Later pictures made from this frame's true colours are out of date: views of
        // them ask for them again.
        for (FrameRecord* f = frame.next; f && HasProvisionalPicture(*f); f = f->next)
            f->pictureVersion = NextPictureVersion();
        if (FrameRecord* next = frame.next) {
            std::lock_guard lock(next->paletteLock);
            if (next->reduceThread) {
                doc.jobs().SetPriority(next->reduceThread, job.priority() == JobPriority::Boost
                                                               ? JobPriority::Boost
                                                               : JobPriority::Normal);
            }
        }
    }
    frame.SetPaletteValid(true);
    if (!doc.settings.keepTrueColorInfo) frame.ReplaceTrueColourPlane(nullptr);
    DiscardComposedBitmap(frame);
    if (!doc.busy) StartComposition(frame);
    frame.reduceFinished = 1;
    doc.host.frameReduced();
}

}  // namespace

void StartReduction(FrameRecord& frame) {
    if (!frame.trueColourPlane()) return;
    AnimationDocument& doc = frame.document;
    if (frame.reduceThread) {
        // A reduction of this frame is still pending: it is superseded by the new one.
        frame.abortReduce = 1;
        if (!doc.jobs().Cancel(frame.reduceThread)) doc.jobs().Wait(frame.reduceThread);
    }
    frame.abortReduce = 0;
    frame.reduceFinished = 0;
    frame.SetPaletteValid(false);
    const bool predecessorPending = frame.prev && !frame.prev->IsPaletteValid();
    const JobPriority priority =
        predecessorPending ? JobPriority::BelowNormal : JobPriority::Normal;
    FrameRecord* target = &frame;
    JobHandle job =
        doc.jobs().Submit([target](Job& self) { RunReduction(*target, self); }, priority);
    std::lock_guard lock(frame.paletteLock);
    frame.reduceThread = std::move(job);
}

void StartComposition(FrameRecord& frame) {
    AnimationDocument& doc = frame.document;
    std::lock_guard lock(frame.composeLock);
    if (frame.composeThread && !frame.composeThread->ended()) return;  // one is on its way
    FrameRecord* target = &frame;
    frame.composeThread =
        doc.jobs().Submit([target](Job&) { ComposeFrame(*target); }, JobPriority::Normal);
}

bool StartPictureJob(FrameRecord& frame,
                     std::function<void(std::shared_ptr<const ComposedPicture>)> use,
                     JobPriority priority) {
    AnimationDocument& doc = frame.document;
    std::lock_guard lock(frame.composeLock);
    if (frame.pictureJob && !frame.pictureJob->ended()) return false;
    FrameRecord* target = &frame;
    frame.pictureJob = doc.jobs().Submit(
        [target, use = std::move(use)](Job&) { use(GetComposedBitmap(*target)); }, priority);
    return true;
}
