#include "colour/OptimisedSave.h"

#include "colour/Optimise.h"
#include "colour/RemoveDuplicates.h"
#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "document/Composition.h"
#include "document/FrameRecord.h"
#include "gif/GifWriter.h"
#include "gif/SaveOptimiser.h"

namespace {

thread_local OptimiseProgress* currentProgress = nullptr;
// The frames being saved are a copy without entries in the document's tree.
thread_local bool savingCopy = false;

// The writer finds the optimiser through its call point as soon as this file is linked.
const bool registered = (RegisterSaveOptimiser(&OptimiseForSave), true);

// Sets a value for the duration of a scope.
template <typename T, typename V>
class Temporarily {
  public:
    Temporarily(T& target, V value) : target_(target), old_(target) { target_ = value; }
    ~Temporarily() { target_ = old_; }
    Temporarily(const Temporarily&) = delete;
    Temporarily& operator=(const Temporarily&) = delete;

  private:
    T& target_;
    V old_;
};

}  // namespace

int OptimiseForSave(AnimationDocument& doc) {
    HostOptimiseProgress hostProgress(doc.host);
    const int result = OptimiseForSize(doc, currentProgress ? *currentProgress : hostProgress);
    if (result != 0) return result;
    // Frames that show the same picture as the one before them go; their time stays.
    if (savingCopy) {
        RemoveDuplicateFramesWithoutEntries(doc, 0);
    } else {
        RemoveDuplicateFrames(doc, 0);
    }
    return 0;
}

FrameRecord* CopyDocumentFrames(AnimationDocument& doc) {
    FrameRecord* first = nullptr;
    FrameRecord* last = nullptr;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        std::unique_ptr<FrameRecord> record = FrameRecord::Construct(doc, last, nullptr);
        if (!record) return DiscardChain(first);
        FrameRecord* copy = AnimationDocument::Adopt(std::move(record));
        if (last)
            last->next = copy;
        else
            first = copy;
        last = copy;
        f->WaitForReduction();
        // A frame whose reduction never completed is only in its true colours.
        const bool pending = !f->IsPaletteValid();
        if (CopyInto(*f, copy, pending) != 0) return DiscardChain(first);
        // The copy must write what the frame writes.
        copy->hasLocalPalette = f->hasLocalPalette;
        copy->disposal = f->disposal;
        copy->comments = f->comments;
        if (pending) StartReduction(*copy);
    }
    return first;
}

int SaveOptimised(AnimationDocument& doc, const std::string& path, bool optimiseDocumentItself,
                  OptimiseProgress& progress) {
    (void)registered;
    RegisterSaveOptimiser(&OptimiseForSave);
    Temporarily<OptimiseProgress*, OptimiseProgress*> useProgress(currentProgress, &progress);
    Temporarily<bool, bool> copyOrNot(savingCopy, !optimiseDocumentItself);
    const bool wasOptimised = doc.settings.saveOptimized;
    doc.settings.saveOptimized = true;
    int result;
    if (optimiseDocumentItself) {
        result = SaveAnimation(doc, path);
    } else {
        FrameRecord* copy = CopyDocumentFrames(doc);
        if (!copy && !doc.empty()) {
            doc.settings.saveOptimized = wasOptimised;
            return 5;
        }
        // The optimiser rebuilds the global palette: the document's own frames that use
        // it must find it as it was.
        FrameRecord* const ownFirst = doc.firstFrame;
        FrameRecord* const ownSelected = doc.selectedFrame;
        const Palette ownGlobal = doc.globalPalette;
        const bool ownHasGlobal = doc.hasGlobalPalette;
        const uint8_t ownBackground = doc.backgroundIndex;
        {
            AnimationDocument::StructureWriteLock lock(doc);
            doc.firstFrame = copy;
            doc.selectedFrame = copy;
        }
        result = SaveAnimation(doc, path);
        {
            AnimationDocument::StructureWriteLock lock(doc);
            doc.firstFrame = ownFirst;
            doc.selectedFrame = ownSelected;
            doc.globalPalette = ownGlobal;
            doc.hasGlobalPalette = ownHasGlobal;
            doc.backgroundIndex = ownBackground;
        }
        DiscardChain(copy);
        // Pictures composed meanwhile (when compositions were not held back) saw the
        // rebuilt global palette.
        if (!doc.busy) {
            for (FrameRecord* f = doc.firstFrame; f; f = f->next) DiscardComposedBitmap(*f);
        }
    }
    doc.settings.saveOptimized = wasOptimised;
    return result;
}

void RedisplayAfterOptimisedSave(AnimationDocument& doc) {
    if (!doc.firstFrame) return;
    for (FrameRecord* f = doc.firstFrame->next; f; f = f->next) {
        DiscardComposedBitmap(*f);
        if (f != doc.selectedFrame) StartComposition(*f);
    }
    if (doc.selectedFrame) GetComposedBitmap(*doc.selectedFrame);
}
